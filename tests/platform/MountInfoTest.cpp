#include <gtest/gtest.h>

#include "platform/MountInfo.h"
#include "sizetree/MountPoints.h"

namespace nubrix {
namespace {

using platform::ParseMountInfo;
using platform::TMountEntry;

constexpr const char* kTable =
    "27 1 254:0 / / rw,relatime - ext4 /dev/vda rw\n"
    "45 27 254:0 /tmp/bm/a /data/bind rw,relatime shared:5 master:1 - ext4 /dev/vda rw\n"
    "46 27 0:50 / /data/with\\040blank\\011tab rw - tmpfs none rw\n"
    "garbage line\n"
    "47 27 0:51 / /data2 rw - nfs4 server:/export rw,vers=4\n"
    "48 45 0:52 / /data/bind/inner/deep rw - fuse.sshfs me@host:/ rw\n"
    "49 27 0:53 / /data/back\\134slash rw - tmpfs x rw";

TEST(MountInfoTest, ParsesFieldsOptionalTagsAndEscapes) {
  const std::vector<TMountEntry> mounts = ParseMountInfo(kTable);
  ASSERT_EQ(mounts.size(), 6u) << "the malformed line is skipped";
  EXPECT_EQ(mounts[0].MountPoint, "/");
  EXPECT_EQ(mounts[0].FsType, "ext4");
  EXPECT_EQ(mounts[1].Id, 45);
  EXPECT_EQ(mounts[1].ParentId, 27);
  EXPECT_EQ(mounts[1].Root, "/tmp/bm/a");
  EXPECT_EQ(mounts[1].FsType, "ext4") << "optional fields before the dash are skipped";
  EXPECT_EQ(mounts[2].MountPoint, "/data/with blank\ttab");
  EXPECT_EQ(mounts[2].Major, 0u);
  EXPECT_EQ(mounts[2].Minor, 50u);
  EXPECT_EQ(mounts[3].Source, "server:/export");
  EXPECT_EQ(mounts[5].MountPoint, "/data/back\\slash");
}

TEST(MountInfoTest, TruncatedAndOddInputNeverFails) {
  EXPECT_TRUE(ParseMountInfo("").empty());
  EXPECT_TRUE(ParseMountInfo("1 2 3:4 / /x rw").empty()) << "no dash, no file system";
  EXPECT_TRUE(ParseMountInfo("a b c:d / /x rw - ext4 s o").empty());
  EXPECT_EQ(platform::UnescapeMountField("tail\\04"), "tail\\04");
  EXPECT_EQ(platform::UnescapeMountField("\\999"), "\\999");
  const std::string binary("1 1 0:1 / /\xff\x01 rw - t s o\n\0\0\n", 29);
  EXPECT_EQ(ParseMountInfo(binary).size(), 1u);
}

TEST(MountPointsTest, OnlyMountsStrictlyBelowTheRootCount) {
  const std::vector<TMountEntry> mounts = ParseMountInfo(kTable);
  const TMountPoints below = TMountPoints::Below("/data", mounts);
  ASSERT_NE(below.Root(), nullptr);
  EXPECT_FALSE(below.RootIsMountPoint());
  const TMountPoints::Node* bind = below.Root()->Find("bind");
  ASSERT_NE(bind, nullptr);
  EXPECT_TRUE(bind->IsMountPoint);
  EXPECT_TRUE(bind->Find("inner")->Find("deep")->IsMountPoint);
  EXPECT_FALSE(bind->Find("inner")->IsMountPoint);
  EXPECT_TRUE(below.Root()->Find("with blank\ttab")->IsMountPoint);
  EXPECT_EQ(below.Root()->Find("2"), nullptr) << "/data2 is not below /data";

  EXPECT_TRUE(TMountPoints::Below("/", mounts).RootIsMountPoint());
  EXPECT_TRUE(TMountPoints::Below("/data2/", mounts).RootIsMountPoint());
  EXPECT_EQ(TMountPoints::Below("/data2/", mounts).Root(), nullptr);
  EXPECT_EQ(TMountPoints::Below("/elsewhere", mounts).Root(), nullptr);
}

}  // namespace
}  // namespace nubrix
