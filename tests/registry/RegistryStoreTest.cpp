// The registry of a Wine prefix on disk, and the accessor over any store: reads, typed reads,
// changes that keep the file whole, and the refusal while a wineserver holds the prefix.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <fstream>
#include <sstream>

#include "platform/Registry.h"
#include "registry/HiveSamples.h"
#include "support/LockHolder.h"
#include "support/TempTree.h"

namespace nubrix::platform {
namespace {

constexpr std::string_view kMedia = "Software\\Microsoft\\MediaPlayer\\Player\\RecentFileList";

std::string ReadFile(const std::string& name) {
  std::ifstream in(name, std::ios::binary);
  std::ostringstream out;
  out << in.rdbuf();
  return out.str();
}

void WriteFile(const std::string& name, const std::string& text) {
  std::ofstream(name, std::ios::binary) << text;
}

std::string Hex(unsigned long long value) {
  std::ostringstream out;
  out << std::hex << value;
  return out.str();
}

// A wineserver of the prefix: its lock file, held by another process.
std::string ServerLock(const std::string& serverBase, const std::string& prefix) {
  struct stat info {};
  EXPECT_EQ(::stat(prefix.c_str(), &info), 0);
  const std::string dir = serverBase + "/server-" + Hex(info.st_dev) + "-" + Hex(info.st_ino);
  ::mkdir(serverBase.c_str(), 0700);
  ::mkdir(dir.c_str(), 0700);
  return dir + "/lock";
}

class WineRegistryTest : public ::testing::Test {
 protected:
  void SetUp() override {
    WriteFile(UserReg, test::kUserReg);
    WriteFile(Prefix + "/system.reg",
              "WINE REGISTRY Version 2\n;; All keys relative to \\\\Machine\n\n[Software\\\\"
              "Classes\\\\.txt] 1\n@=\"txtfile\"\n\n[Software\\\\Microsoft\\\\Windows\\\\"
              "CurrentVersion\\\\Run] 1\n\"Tray\"=\"C:\\\\tray.exe\"\n");
  }

  test::TTempTree Tree{"prefix/\nservers/"};
  std::string Prefix = Tree / "prefix";
  std::string UserReg = Prefix + "/user.reg";
  std::string Servers = Tree / "servers";
  TWineRegistry Store{Prefix, Servers};
};

TEST_F(WineRegistryTest, ReadsTheHivesOfItsRoots) {
  TRegistry registry(Store);
  registry.SetRootKey(kHkeyLocalMachine);
  ASSERT_TRUE(registry.OpenKey("Software\\Microsoft\\Windows\\CurrentVersion\\Run\\"));
  EXPECT_EQ(registry.ReadString("Tray"), "C:\\tray.exe");
  registry.SetRootKey(kHkeyClassesRoot);
  ASSERT_TRUE(registry.OpenKey("\\.txt")) << "the classes are Software\\Classes of the machine";
  EXPECT_EQ(registry.ReadString(""), "txtfile");
  registry.SetRootKey(kHkeyUsers);
  EXPECT_FALSE(registry.KeyExists("Software")) << "no hive serves it";

  registry.SetRootKey(kHkeyCurrentUser);
  ASSERT_TRUE(registry.OpenKey(kMedia));
  EXPECT_EQ(registry.GetValueNames(),
            (std::vector<std::string>{"File0", "File1", "File2", "Count"}));
  WriteFile(UserReg, "WINE REGISTRY Version 2\n\n[" + std::string("Software\\\\Other") + "] 2\n");
  EXPECT_FALSE(registry.KeyExists(kMedia)) << "a hive changed on disk is read again";
  EXPECT_TRUE(registry.KeyExists("Software\\Other"));
}

TEST_F(WineRegistryTest, ADeletionChangesOnlyItsLinesAndKeepsTheFile) {
  ::chmod(UserReg.c_str(), 0600);
  const std::string link = Tree / "linked.reg";
  ::rename(UserReg.c_str(), link.c_str());
  ASSERT_EQ(::symlink(link.c_str(), UserReg.c_str()), 0);
  TRegistry registry(Store);
  registry.SetRootKey(kHkeyCurrentUser);
  ASSERT_TRUE(registry.OpenKey(kMedia));
  EXPECT_TRUE(registry.DeleteValue("File1"));
  std::string expected = test::kUserReg;
  const std::string line = "\"File1\"=\"Z:\\\\home\\\\user\\\\clip.avi\"\n";
  expected.erase(expected.find(line), line.size());
  EXPECT_EQ(ReadFile(link), expected);
  struct stat info {};
  ASSERT_EQ(::lstat(UserReg.c_str(), &info), 0);
  EXPECT_TRUE(S_ISLNK(info.st_mode)) << "the link stays; its target is replaced";
  ASSERT_EQ(::stat(link.c_str(), &info), 0);
  EXPECT_EQ(info.st_mode & 07777, 0600U);
  EXPECT_EQ(registry.GetValueNames(), (std::vector<std::string>{"File0", "File2", "Count"}));
}

TEST_F(WineRegistryTest, AHiveWithSeveralNamesIsWrittenInPlace) {
  const std::string other = Tree / "other-name.reg";
  ASSERT_EQ(::link(UserReg.c_str(), other.c_str()), 0);
  TRegistry registry(Store);
  EXPECT_TRUE(registry.DeleteKey("Software\\Empty"));
  EXPECT_EQ(ReadFile(other), ReadFile(UserReg));
  EXPECT_EQ(ReadFile(other).find("Empty"), std::string::npos);
}

TEST_F(WineRegistryTest, ARunningWineserverBlocksChanges) {
  TRegistry registry(Store);
  ASSERT_TRUE(registry.OpenKey(kMedia));
  {
    const test::TLockHolder server(ServerLock(Servers, Prefix));
    EXPECT_TRUE(Store.ServerRunning());
    try {
      registry.DeleteValue("File0");
      ADD_FAILURE() << "the change went through";
    } catch (const TRegistryError& error) {
      EXPECT_NE(std::string(error.what()).find("running"), std::string::npos) << error.what();
    }
    EXPECT_EQ(ReadFile(UserReg), test::kUserReg);
    EXPECT_EQ(registry.ReadString("File0"), "Z:\\home\\user\\song.mp3") << "reading goes on";
  }
  EXPECT_FALSE(Store.ServerRunning()) << "a lock file nobody holds is stale";
  EXPECT_TRUE(registry.DeleteValue("File0"));
}

// Debian's Wine names its server's private folder in the prefix's "wineserver" file.
TEST_F(WineRegistryTest, DebiansServerFolderIsFoundThroughThePrefix) {
  WriteFile(Prefix + "/wineserver", "wine-AbC123");
  const std::string lock = ServerLock(Tree / "wine-AbC123", Prefix);
  {
    const test::TLockHolder server(lock);
    EXPECT_TRUE(Store.ServerRunning());
    TRegistry registry(Store);
    EXPECT_THROW(registry.DeleteKey("Software\\Empty"), TRegistryError);
  }
  WriteFile(Prefix + "/wineserver", "../wine-AbC123");
  const test::TLockHolder server(lock);
  EXPECT_FALSE(Store.ServerRunning()) << "a name that leaves the temporary folder is ignored";
}

TEST(WineRegistryMissingTest, WithoutAPrefixEveryKeyIsMissing) {
  const test::TTempTree tree;
  TWineRegistry store(tree / "no-prefix", tree / "servers");
  TRegistry registry(store);
  EXPECT_FALSE(registry.KeyExists("Software"));
  EXPECT_FALSE(registry.OpenKey("Software"));
  EXPECT_FALSE(registry.DeleteKey("Software"));
  EXPECT_FALSE(registry.DeleteValue("x"));
  EXPECT_NE(store.Describe(kHkeyCurrentUser).find("no-prefix/user.reg"), std::string::npos);
  EXPECT_THROW(store.Change(kHkeyCurrentUser, [](TWineHive&) { return true; }), TRegistryError);

  WriteFile(tree / "user.reg", "not a hive\n[Software] 1\n");
  TWineRegistry corrupt(tree.Root(), tree / "servers");
  EXPECT_EQ(corrupt.Hive(kHkeyCurrentUser), nullptr) << "Wine would not load it either";
}

TEST(RegistryTest, TypedReads) {
  TMemoryRegistry store;
  store.SetHive(kHkeyCurrentUser,
                "WINE REGISTRY Version 2\n[K] 1\n\"s\"=\"text\"\n\"e\"=str(2):\"%X%\"\n"
                "\"m\"=str(7):\"a\\0\"\n\"n\"=dword:ffffffff\n\"b\"=hex:01,02,ff\n");
  TRegistry registry(store);
  ASSERT_TRUE(registry.OpenKey("k"));
  EXPECT_EQ(registry.ReadString("s"), "text");
  EXPECT_EQ(registry.ReadString("e"), "%X%") << "expandable strings are read unexpanded";
  EXPECT_EQ(registry.ReadString("missing"), "");
  EXPECT_EQ(registry.ReadInteger("n"), -1);
  EXPECT_EQ(registry.GetDataType("b"), kRegBinary);
  EXPECT_EQ(registry.GetDataType("missing"), kRegNone);
  EXPECT_EQ(registry.GetDataSize("b"), 3);
  EXPECT_EQ(registry.GetDataSize("s"), 10) << "UTF-16 with its zero";
  EXPECT_EQ(registry.GetDataSize("missing"), -1);
  unsigned char buffer[3] = {};
  EXPECT_EQ(registry.ReadBinaryData("b", buffer, 3), 3);
  EXPECT_EQ(buffer[2], 0xFF);
  EXPECT_THROW(registry.ReadBinaryData("b", buffer, 2), TRegistryError);
  EXPECT_THROW(registry.ReadInteger("s"), TRegistryError);
  try {
    registry.ReadString("m");
    ADD_FAILURE() << "a multi-string read as text";
  } catch (const TRegistryError& error) {
    EXPECT_STREQ(error.what(), "Invalid data type for 'm'");
  }
}

TEST(RegistryTest, FullAccessIsRefusedWhereTheUserMayNotWrite) {
  TMemoryRegistry store;
  store.SetHive(kHkeyLocalMachine, "WINE REGISTRY Version 2\n[K] 1\n\"s\"=\"text\"\n");
  store.SetReadOnly(kHkeyLocalMachine);
  TRegistry registry(store);
  registry.SetRootKey(kHkeyLocalMachine);
  EXPECT_TRUE(registry.KeyExists("K"));
  EXPECT_FALSE(registry.OpenKey("K"));
  EXPECT_TRUE(registry.OpenKeyReadOnly("K"));
  EXPECT_EQ(registry.ReadString("s"), "text");
  EXPECT_FALSE(registry.DeleteValue("s"));
  EXPECT_FALSE(registry.DeleteKey("K"));
  EXPECT_EQ(store.Changes, 0);
}

}  // namespace
}  // namespace nubrix::platform
