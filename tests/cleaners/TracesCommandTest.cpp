// nubrix-clean traces: the preview tells what a clear removes, and refusals come out as status 1.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <sstream>

#include "cleaners/BrowserFixtures.h"
#include "cli/TracesCommand.h"
#include "platform/Paths.h"
#include "platform/RegistryStore.h"

namespace nubrix {
namespace {

class TracesCommandTest : public ::testing::Test {
 protected:
  void SetUp() override {
    Environment.Homes = test::MakeBrowserHome(Home);
    Home.Add("data/\nkde/k.desktop=1\nvlc/\ntop/Trash/files/a=10\ntop/Trash/info/a.trashinfo=0");
    ::chmod((Home / "top/Trash").c_str(), 0700);
    Environment.DataHome = Home / "data";
    Environment.KdeRecent = Home / "kde";
    Environment.VlcConfig = Home / "vlc/vlc-qt-interface.conf";
    test::WriteFile(Environment.VlcConfig,
                    "[RecentsMRL]\nlist=file:///a.mp3, file:///b%20c.mp3\ntimes=0, 0\n");
    Environment.Trash =
        std::vector<platform::TTrashFolder>{{Home / "top", platform::TTrashKind::Home}};
    Registry.SetHive(platform::kHkeyCurrentUser,
                     "WINE REGISTRY Version 2\n[Software\\\\Microsoft\\\\Internet Explorer\\\\"
                     "TypedURLs] 1\n\"url1\"=\"a\"\n");
  }
  int Run(const std::vector<std::string>& arguments) {
    Out.str({});
    Err.str({});
    return RunTraces(arguments, Environment, Registry, Out, Err);
  }

  test::TTempTree Home;
  TTraceEnvironment Environment;
  platform::TMemoryRegistry Registry;
  std::ostringstream Out;
  std::ostringstream Err;
};

TEST_F(TracesCommandTest, ThePreviewTellsWhatAClearRemoves) {
  ASSERT_EQ(Run({"--preview"}), 0);
  EXPECT_EQ(Out.str(),
            "cache\tFirefox (profile default-release)\t3 files\t300 bytes\n"
            "history\tFirefox (profile default-release)\t5 visits\n"
            "typed-addresses\tFirefox (profile default-release)\t3 records\n"
            "cache\tChromium (profile Default)\t3 files\t6 bytes\n"
            "history\tChromium (profile Default)\t2 visits\n"
            "typed-addresses\tChromium (profile Default)\t1 records\n"
            "typed-addresses\tregistry\t1 values\n"
            "recent-documents\tdesktop\t1 entries\n"
            "media-history\tregistry\t0 values\n"
            "media-history\tVLC\t2 files\n"
            "trash\ttrash\t1 items\t10 bytes\n");
  ASSERT_EQ(Run({"--clear", "cache", "history", "typed-addresses", "recent-documents",
                 "media-history", "trash"}),
            0)
      << Err.str();
  EXPECT_EQ(Err.str(), "");
  ASSERT_EQ(Run({}), 0);
  EXPECT_EQ(Out.str(),
            "cache\tFirefox (profile default-release)\t0 files\t0 bytes\n"
            "history\tFirefox (profile default-release)\t0 visits\n"
            "typed-addresses\tFirefox (profile default-release)\t0 records\n"
            "cache\tChromium (profile Default)\t0 files\t0 bytes\n"
            "history\tChromium (profile Default)\t0 visits\n"
            "typed-addresses\tChromium (profile Default)\t0 records\n"
            "typed-addresses\tregistry\t0 values\n"
            "recent-documents\tdesktop\t0 entries\n"
            "media-history\tregistry\t0 values\n"
            "media-history\tVLC\t0 files\n"
            "trash\ttrash\t0 items\t0 bytes\n");
  EXPECT_EQ(test::Rows(test::FirefoxPlaces(Home), "SELECT COUNT(*) FROM moz_bookmarks"),
            std::vector<std::string>{"3"});
}

// A hive a running wineserver holds: its change is refused, as TWineRegistry refuses it.
class TRefusingRegistry : public platform::TMemoryRegistry {
 public:
  void Change(std::uint32_t, const std::function<bool(platform::TWineHive&)>&) override {
    throw platform::TRegistryError("The registry key cannot be changed: Wine is running.");
  }
};

TEST_F(TracesCommandTest, ARefusedHiveStopsNoOtherPart) {
  TRefusingRegistry refusing;
  refusing.SetHive(platform::kHkeyCurrentUser,
                   "WINE REGISTRY Version 2\n[Software\\\\Microsoft\\\\MediaPlayer\\\\Player\\\\"
                   "RecentFileList] 1\n\"File0\"=\"a\"\n");
  EXPECT_EQ(RunTraces({"--clear", "media-history"}, Environment, refusing, Out, Err), 1);
  EXPECT_EQ(Out.str(), "media-history\tVLC\t2 files\n") << "VLC's list is cleared all the same";
  EXPECT_EQ(Err.str(),
            "nubrix-clean: media-history: The registry key cannot be changed: Wine is "
            "running.\n");
}

TEST_F(TracesCommandTest, AProfileWithoutAHistoryDatabaseHasNoHistory) {
  ::unlink(test::ChromiumHistory(Home).c_str());
  ASSERT_EQ(Run({"--preview"}), 0);
  EXPECT_NE(Out.str().find("history\tChromium (profile Default)\tno history\n"), std::string::npos)
      << Out.str();
}

TEST_F(TracesCommandTest, RefusalsAndWrongCalls) {
  test::WriteFile(Home / "damaged.sqlite", std::string(2048, '\x11'));
  ::rename((Home / "damaged.sqlite").c_str(), test::ChromiumHistory(Home).c_str());
  EXPECT_EQ(Run({"--clear", "history", "trash"}), 1);
  EXPECT_NE(Err.str().find("nubrix-clean: history: The history of Chromium (profile Default)"),
            std::string::npos)
      << Err.str();
  EXPECT_NE(Out.str().find("trash\t"), std::string::npos) << "the next one still ran";
  EXPECT_TRUE(test::Rows(test::FirefoxPlaces(Home), "SELECT * FROM moz_historyvisits").empty());

  EXPECT_EQ(Run({"--clear"}), 2);
  EXPECT_EQ(Run({"--clear", "cookies"}), 2);
  EXPECT_EQ(Run({"--wipe"}), 2);
  EXPECT_EQ(Out.str(), "");
  EXPECT_TRUE(Err.str().starts_with("usage: nubrix-clean traces"));
}

}  // namespace
}  // namespace nubrix
