#include <gtest/gtest.h>
#include <stdlib.h>

#include <fstream>

#include "platform/Mounts.h"
#include "platform/Paths.h"
#include "platform/SpecialFolders.h"
#include "support/TempTree.h"

namespace nubrix::platform {
namespace {

TEST(MountsTest, TheMountOfAPathAndItsKind) {
  const std::optional<TMountEntry> root = MountOfPath("/");
  ASSERT_TRUE(root.has_value());
  EXPECT_EQ(root->MountPoint, "/");
  EXPECT_TRUE(IsMountRoot("/"));
  test::TTempTree disk("a/");
  EXPECT_FALSE(IsMountRoot(disk / "a"));
  EXPECT_FALSE(MountOfPath(disk / "missing").has_value());
  EXPECT_TRUE(MountOfPath(disk / "a").has_value());
  EXPECT_TRUE(IsNetworkFileSystem("nfs4"));
  EXPECT_TRUE(IsNetworkFileSystem("fuse.sshfs"));
  EXPECT_FALSE(IsNetworkFileSystem("fuse.portal"));
  EXPECT_FALSE(IsNetworkFileSystem("ext4"));
  EXPECT_TRUE(IsNetworkUrl("smb://server/share"));
  EXPECT_FALSE(IsNetworkUrl("file:///tmp"));
  const std::vector<TMountEntry> mounts = ParseMountInfo(
      "40 27 11:0 / /media/cdrom ro - iso9660 /dev/sr0 ro\n"
      "41 27 7:3 / /mnt/image ro - iso9660 /dev/loop3 ro\n"
      "42 27 11:0 / /media/dvd ro - udf /dev/sr0 ro\n");
  ASSERT_EQ(mounts.size(), 3u);
  EXPECT_TRUE(IsOpticalDisc(mounts[0]));
  EXPECT_FALSE(IsOpticalDisc(mounts[1])) << "a loop-mounted image is no drive";
  EXPECT_TRUE(IsOpticalDisc(mounts[2]));
}

TEST(SpecialFoldersTest, FromTheXdgVariables) {
  test::TTempTree home(".config/");
  setenv("HOME", home.Root().c_str(), 1);
  setenv("XDG_DATA_HOME", (home / "data").c_str(), 1);
  setenv("XDG_DATA_DIRS", "/opt/share:/usr/share/:relative", 1);
  setenv("XDG_CONFIG_HOME", (home / ".config").c_str(), 1);
  EXPECT_EQ(UserStartMenu(), home / "data/applications");
  EXPECT_EQ(CommonStartMenus(),
            (std::vector<std::string>{"/opt/share/applications", "/usr/share/applications"}));
  EXPECT_EQ(RecentDocumentsFolder(), home / "data/RecentDocuments");
  EXPECT_EQ(DesktopFolder(), home / "Desktop");
  std::ofstream(home / ".config/user-dirs.dirs") << "XDG_DESKTOP_DIR=\"$HOME/Schreibtisch\"\n";
  EXPECT_EQ(DesktopFolder(), home / "Schreibtisch");
  std::ofstream(home / ".config/user-dirs.dirs") << "XDG_DESKTOP_DIR=\"$HOME/\"\n";
  EXPECT_FALSE(DesktopFolder().has_value())
      << "the desktop switched off is the home folder: never walked";
  unsetenv("XDG_DATA_DIRS");
  EXPECT_EQ(CommonStartMenus(),
            (std::vector<std::string>{"/usr/local/share/applications", "/usr/share/applications"}));
}

}  // namespace
}  // namespace nubrix::platform
