// The path toolbox: separators, names, shown text, mount roots and the atomic file replacement.
#include <gtest/gtest.h>
#include <sys/mount.h>
#include <sys/stat.h>
#include <unistd.h>

#include <fstream>
#include <sstream>

#include "platform/Paths.h"
#include "support/OtherUser.h"
#include "support/TempTree.h"

namespace nubrix::platform {
namespace {

struct TPathCase {
  const char* Path;
  const char* With;
  const char* Without;
  const char* Folder;
  const char* Name;
};

class PathsTest : public testing::TestWithParam<TPathCase> {};

TEST_P(PathsTest, SeparatorsFoldersAndNames) {
  const TPathCase& p = GetParam();
  EXPECT_EQ(WithSeparator(p.Path), p.With);
  EXPECT_EQ(WithoutSeparator(p.Path), p.Without);
  EXPECT_EQ(FolderOf(WithoutSeparator(p.Path)), p.Folder);
  EXPECT_EQ(NameOf(p.Path), p.Name);
}

INSTANTIATE_TEST_SUITE_P(
    Edges, PathsTest,
    testing::Values(TPathCase{"/", "/", "/", "/", "/"}, TPathCase{"//", "/", "/", "/", "/"},
                    TPathCase{"/a", "/a/", "/a", "/", "a"},
                    TPathCase{"/a/b//", "/a/b/", "/a/b", "/a", "b"},
                    TPathCase{"rel", "rel/", "rel", ".", "rel"}, TPathCase{"", "", "", ".", ""},
                    TPathCase{"/x/\xff\xfe", "/x/\xff\xfe/", "/x/\xff\xfe", "/x", "\xff\xfe"}));

TEST(PathsTest, JoiningNeverDoublesASeparator) {
  EXPECT_EQ(JoinPath("/", "a"), "/a");
  EXPECT_EQ(JoinPath("/data", "a"), "/data/a");
  EXPECT_EQ(JoinPath("/data/", "a"), "/data/a");
  EXPECT_EQ(JoinPath("", "a"), "/a");
}

TEST(PathsTest, ShownTextIsValidUtf8WithReplacementsForStrayBytes) {
  EXPECT_EQ(ShownPath("/caf\xc3\xa9/\xe2\x82\xac/\xf0\x9f\x98\x80"),
            "/caf\xc3\xa9/\xe2\x82\xac/\xf0\x9f\x98\x80");
  const std::string replacement = "\xEF\xBF\xBD";
  EXPECT_EQ(ShownPath("/\xff"), "/" + replacement);
  EXPECT_EQ(ShownPath("/\xc3"), "/" + replacement) << "cut short at the end";
  EXPECT_EQ(ShownPath("\xc0\xaf"), replacement + replacement) << "an overlong slash";
  EXPECT_EQ(ShownPath("\xed\xa0\x80"), replacement + replacement + replacement) << "a surrogate";
  EXPECT_EQ(ShownPath("\xf4\x90\x80\x80"), replacement + replacement + replacement + replacement)
      << "past U+10FFFF";
  EXPECT_EQ(ShownPath("\xe2\x82x"), replacement + replacement + "x");
}

TEST(PathsTest, MountRootsByTheTable) {
  EXPECT_TRUE(IsMountRoot("/"));
  test::TTempTree disk("a/");
  EXPECT_FALSE(IsMountRoot(disk / "a"));
  EXPECT_FALSE(IsMountRoot(disk / "missing"));
  EXPECT_TRUE(IsFolder(disk / "a"));
  EXPECT_FALSE(IsFolder(disk / "missing"));
  symlink((disk / "nowhere").c_str(), (disk / "dangling").c_str());
  EXPECT_TRUE(Exists(disk / "dangling")) << "a link counts itself";
  EXPECT_FALSE(IsFolder(disk / "dangling"));
}

std::string Read(const std::string& path) {
  std::string text;
  ReadWholeFile(path, text);
  return text;
}

TEST(PathsTest, ReplacingALinkWritesItsTargetAndAnotherUsersFileStaysTheirs) {
  test::TTempTree disk("real/");
  std::ofstream(disk / "real/vlc.conf") << "old";
  symlink("real/vlc.conf", (disk / "vlc.conf").c_str());
  ASSERT_EQ(ReplaceFileAtomically(disk / "vlc.conf", "new"), 0);
  struct stat info {};
  ASSERT_EQ(lstat((disk / "vlc.conf").c_str(), &info), 0);
  EXPECT_TRUE(S_ISLNK(info.st_mode)) << "the link stays a link";
  EXPECT_EQ(Read(disk / "real/vlc.conf"), "new");
  if (!test::CanActAsOtherUser()) GTEST_SKIP() << "owners other than ourselves need root";
  const std::string hive = disk / "user.reg";
  std::ofstream(hive) << "WINE REGISTRY Version 2";
  ASSERT_EQ(chown(hive.c_str(), test::kOtherUid, test::kOtherUid), 0);
  chmod(hive.c_str(), 0600);
  ASSERT_EQ(ReplaceFileAtomically(hive, "WINE REGISTRY Version 2\n"), 0);
  ASSERT_EQ(lstat(hive.c_str(), &info), 0);
  EXPECT_EQ(info.st_uid, test::kOtherUid);
  EXPECT_EQ(info.st_gid, test::kOtherUid);
  EXPECT_EQ(info.st_mode & 0777, 0600U);
}

TEST(PathsTest, AFileWithTwoNamesIsLeftWholeWhenTheDiskIsFull) {
  if (!test::CanMount()) GTEST_SKIP() << "a small file system of the test's own needs root";
  test::TTempTree disk("small/");
  const std::string small = disk / "small";
  ASSERT_EQ(mount("nubrix-full", small.c_str(), "tmpfs", 0, "size=128k"), 0);
  std::string keys;
  for (int i = 0; i < 300; ++i) keys += "\"Key" + std::to_string(i) + "\"=\"value\"\n";
  std::ofstream(small + "/system.reg") << keys;
  link((small + "/system.reg").c_str(), (small + "/other-name.reg").c_str());
  {
    std::ofstream filler(small + "/filler");
    const std::string block(4096, 'f');
    while (filler.write(block.data(), block.size())) {
    }
  }
  const int error = ReplaceFileAtomically(small + "/system.reg", keys + keys + keys);
  const std::string after = Read(small + "/other-name.reg");
  unlink((small + "/filler").c_str());
  const int again = ReplaceFileAtomically(small + "/system.reg", keys + "\"Last\"=\"1\"\n");
  const std::string other = Read(small + "/other-name.reg");
  umount2(small.c_str(), MNT_DETACH);
  EXPECT_EQ(error, ENOSPC);
  EXPECT_EQ(after, keys) << "nothing changed";
  EXPECT_EQ(again, 0);
  EXPECT_EQ(other, keys + "\"Last\"=\"1\"\n") << "both names see the new text";
}

TEST(PathsTest, ReplacingAFileKeepsItsModeAndRefusesReadOnlyOnes) {
  test::TTempTree disk;
  const std::string file = disk / "f";
  EXPECT_EQ(ReplaceFileAtomically(file, "one", 0600), 0);
  struct stat info {};
  ASSERT_EQ(stat(file.c_str(), &info), 0);
  EXPECT_EQ(info.st_mode & 0777, 0600u);
  chmod(file.c_str(), 0640);
  EXPECT_EQ(ReplaceFileAtomically(file, "two"), 0);
  ASSERT_EQ(stat(file.c_str(), &info), 0);
  EXPECT_EQ(info.st_mode & 0777, 0640u) << "the mode of the file replaced";
  chmod(file.c_str(), 0444);
  EXPECT_EQ(ReplaceFileAtomically(file, "three"), EACCES);
  std::ifstream in(file);
  std::ostringstream text;
  text << in.rdbuf();
  EXPECT_EQ(text.str(), "two");
  EXPECT_NE(ReplaceFileAtomically(disk / "no/such/folder/f", "x"), 0);
}

}  // namespace
}  // namespace nubrix::platform
