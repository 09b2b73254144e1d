// Reading desktop entries and .lnk files, good, broken and garbled.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <fstream>
#include <random>

#include "platform/Shortcuts.h"
#include "support/LnkBuilder.h"
#include "support/TempTree.h"

namespace nubrix::platform {
namespace {

using test::BuildLnk;
using test::TLnkSpec;

class DesktopEntryTest : public testing::Test {
 protected:
  TShortcutTarget Read(const std::string& body) {
    const std::string file = dir_ / ("e" + std::to_string(++count_) + ".desktop");
    std::ofstream(file) << body;
    return ReadDesktopEntry(file);
  }
  test::TTempTree dir_;
  int count_ = 0;
};

TEST_F(DesktopEntryTest, ProgramsFromTryExecOrExec) {
  const TShortcutTarget tryExec =
      Read("[Desktop Entry]\nType=Application\nName=x\nTryExec=sh\nExec=nowhere-at-all\n");
  EXPECT_EQ(tryExec.Kind, TTargetKind::Path);
  EXPECT_TRUE(tryExec.Path.ends_with("/sh")) << tryExec.Path;
  EXPECT_EQ(Read("[Desktop Entry]\nType=Application\nTryExec=no-such-program-here\nExec=sh\n").Kind,
            TTargetKind::Missing);
  const TShortcutTarget env =
      Read("[Desktop Entry]\nType=Application\nExec=env FOO=bar LANG=C sh -c \"echo %f\"\n");
  EXPECT_EQ(env.Kind, TTargetKind::Path);
  EXPECT_TRUE(env.Path.ends_with("/sh")) << "the program after env " << env.Path;
  const TShortcutTarget missing =
      Read("[Desktop Entry]\nType=Application\nExec=env A=1 no-such-program-here --x\n");
  EXPECT_EQ(missing.Kind, TTargetKind::Missing);
  EXPECT_EQ(missing.Path, "no-such-program-here");
  EXPECT_EQ(Read("[Desktop Entry]\nType=Application\nExec=/bin/sh\n").Path, "/bin/sh");
  EXPECT_EQ(Read("[Desktop Entry]\nType=Application\nExec=\"unterminated\n").Kind,
            TTargetKind::Unknown);
  EXPECT_EQ(Read("[Desktop Entry]\nType=Application\nExec=flatpak run --branch=stable "
                 "org.example.NoSuchApp\n")
                .Path,
            "/var/lib/flatpak/app/org.example.NoSuchApp");
}

TEST_F(DesktopEntryTest, HiddenLinksAndJunk) {
  EXPECT_EQ(
      Read("[Desktop Entry]\nType=Application\nHidden=true\nExec=no-such-program-here\n").Kind,
      TTargetKind::Deliberate);
  const TShortcutTarget file =
      Read("[Desktop Entry]\nType=Link\nURL=file://" + dir_.Root() + "/a%20b\n");
  EXPECT_EQ(file.Kind, TTargetKind::Path);
  EXPECT_EQ(file.Path, dir_ / "a b") << "the URL's escapes undone";
  EXPECT_EQ(Read("[Desktop Entry]\nType=Link\nURL=smb://server/share/x\n").Kind,
            TTargetKind::Network);
  EXPECT_EQ(Read("[Desktop Entry]\nType=Link\nURL=https://example.org/\n").Kind,
            TTargetKind::Unknown);
  EXPECT_EQ(Read("[Desktop Entry]\nType=Directory\n").Kind, TTargetKind::Unknown);
  EXPECT_TRUE(Read(std::string("\x00\x01\xff garbage [[[\n=\n", 17)).Path.empty());
  EXPECT_TRUE(ReadDesktopEntry(dir_ / "missing.desktop").Path.empty());
}

class LnkTest : public testing::Test {
 protected:
  void SetUp() override {
    // A Wine prefix whose C: is drive_c, holding "Program Files/App/app.exe".
    prefix_.Add(
        "system.reg=0\ndrive_c/Program Files/App/app.exe=10\ndrive_c/caf\xc3\xa9/x.exe=1\nlinks/");
    mkdir((prefix_ / "dosdevices").c_str(), 0755);
    symlink("../drive_c", (prefix_ / "dosdevices/c:").c_str());
  }
  TShortcutTarget Read(const TLnkSpec& spec) {
    const std::string file = prefix_ / ("links/l" + std::to_string(++count_) + ".lnk");
    std::ofstream(file, std::ios::binary) << BuildLnk(spec);
    return ReadLnk(file);
  }
  test::TTempTree prefix_;
  int count_ = 0;
};

TEST_F(LnkTest, LocalPathsMapThroughTheWinePrefixWithoutCase) {
  TLnkSpec spec;
  spec.LocalBase = "C:\\PROGRAM FILES\\app\\";
  spec.Suffix = "APP.EXE";
  TShortcutTarget target = Read(spec);
  EXPECT_EQ(target.Kind, TTargetKind::Path);
  EXPECT_EQ(target.Path, prefix_ / "drive_c/Program Files/App/app.exe");
  spec.UnicodeLinkInfo = true;
  spec.LocalBase = "C:\\caf\xc3\xa9\\";
  spec.Suffix = "X.EXE";
  EXPECT_EQ(Read(spec).Path, prefix_ / "drive_c/caf\xc3\xa9/x.exe") << "the Unicode paths";
  spec.LocalBase = "Q:\\nowhere.exe";
  spec.Suffix.clear();
  EXPECT_EQ(Read(spec).Kind, TTargetKind::Unknown) << "a drive the prefix does not map";
}

// A shortcut on a Windows partition names that system's drives: the user's own Wine prefix says
// nothing about them.
TEST_F(LnkTest, DriveLettersOutsideAnyPrefixAreNotJudged) {
  test::TTempTree partition("Users/Public/Desktop/");
  setenv("WINEPREFIX", prefix_.Root().c_str(), 1);
  TLnkSpec spec;
  spec.LocalBase = "C:\\Windows\\notepad.exe";
  const std::string file = partition / "Users/Public/Desktop/Notepad.lnk";
  std::ofstream(file, std::ios::binary) << BuildLnk(spec);
  const TShortcutTarget target = ReadLnk(file);
  unsetenv("WINEPREFIX");
  EXPECT_EQ(target.Kind, TTargetKind::Unknown);
  EXPECT_EQ(target.Path, "C:\\Windows\\notepad.exe");
  EXPECT_EQ(WinePrefixFor(file), "");
  EXPECT_EQ(WinePrefixFor(prefix_ / "links/x.lnk"), prefix_.Root());
}

TEST_F(LnkTest, NetworkDrivesRelativeEnvironmentAndAdvertised) {
  TLnkSpec share;
  share.NetName = "\\\\server\\share";
  share.Suffix = "file.txt";
  TShortcutTarget target = Read(share);
  EXPECT_EQ(target.Kind, TTargetKind::Network);
  EXPECT_EQ(target.Path, "\\\\server\\share\\file.txt");
  TLnkSpec cd;
  cd.LocalBase = "D:\\setup.exe";
  cd.DriveType = 5;
  EXPECT_EQ(Read(cd).Kind, TTargetKind::CdRom);
  cd.DriveType = 4;
  EXPECT_EQ(Read(cd).Kind, TTargetKind::Network);
  TLnkSpec relative;
  relative.RelativePath = "..\\drive_c\\Program Files\\App\\app.exe";
  EXPECT_EQ(Read(relative).Path, prefix_ / "links/../drive_c/Program Files/App/app.exe");
  relative.UnicodeStrings = false;
  EXPECT_EQ(Read(relative).Kind, TTargetKind::Path);
  TLnkSpec environment;
  environment.Environment = "%ProgramFiles%\\App\\app.exe";
  EXPECT_EQ(Read(environment).Path, prefix_ / "drive_c/Program Files/App/app.exe");
  TLnkSpec advertised;
  advertised.LocalBase = "C:\\x.exe";
  advertised.Advertised = true;
  EXPECT_TRUE(Read(advertised).Path.empty());
}

TEST_F(LnkTest, EveryTruncationAndRandomBytesReadSafely) {
  TLnkSpec spec;
  spec.LocalBase = "C:\\Program Files\\App\\app.exe";
  spec.NetName = "\\\\server\\share";
  spec.RelativePath = "..\\x.exe";
  spec.Environment = "%windir%\\x.exe";
  spec.UnicodeLinkInfo = true;
  const std::string whole = BuildLnk(spec);
  ASSERT_TRUE(ParseLnk(whole).has_value());
  for (std::size_t cut = 0; cut <= whole.size(); ++cut)
    ParseLnk(std::string_view(whole).substr(0, cut));
  std::mt19937 random(42);
  for (int round = 0; round < 2000; ++round) {
    std::string bytes = whole;
    for (int flips = 0; flips < 8; ++flips)
      bytes[random() % bytes.size()] = static_cast<char>(random());
    ParseLnk(bytes);
  }
  EXPECT_FALSE(ParseLnk("not a shortcut at all").has_value());
  EXPECT_FALSE(ParseLnk("").has_value());
}

}  // namespace
}  // namespace nubrix::platform
