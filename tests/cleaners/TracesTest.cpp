// The browser stores and the other traces on files made by the tests: what goes, what stays, and
// that nothing of a running browser or a locked database is touched.
#include <fcntl.h>
#include <glib.h>
#include <gtest/gtest.h>
#include <sqlite3.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <sstream>

#include "cleaners/BrowserFixtures.h"
#include "cleaners/IE_Cache_Hist.h"
#include "cleaners/TraceCleaning.h"
#include "platform/Paths.h"
#include "platform/Registry.h"
#include "support/LockHolder.h"
#include "support/TempTree.h"

namespace nubrix {
namespace {

using test::Rows;
using test::Sql;
using test::WriteFile;

std::string ReadFile(const std::string& name) {
  std::ifstream in(name, std::ios::binary);
  std::ostringstream out;
  out << in.rdbuf();
  return out.str();
}

// A home with one Firefox and one Chromium profile, their caches and history databases.
class TracesTest : public ::testing::Test {
 protected:
  void SetUp() override { Homes = test::MakeBrowserHome(Tree); }
  std::string Places() const { return test::FirefoxPlaces(Tree); }
  std::string ChromiumHistory() const { return test::ChromiumHistory(Tree); }
  TIEStuff Stuff() const { return TIEStuff(platform::FindBrowserProfiles(Homes)); }

  test::TTempTree Tree;
  platform::TBrowserHomes Homes;
};

std::string HostName() {
  char name[256] = {};
  ::gethostname(name, sizeof name - 1);
  return name;
}

TEST_F(TracesTest, FindsTheProfiles) {
  const std::vector<platform::TBrowserProfile> profiles = platform::FindBrowserProfiles(Homes);
  ASSERT_EQ(profiles.size(), 2U);
  EXPECT_EQ(profiles[0].Browser, "Firefox");
  EXPECT_EQ(profiles[0].Name, "default-release");
  EXPECT_TRUE(profiles[0].IsDefault);
  EXPECT_EQ(profiles[1].Browser, "Chromium");
  EXPECT_EQ(profiles[1].Name, "Default");
  EXPECT_FALSE(platform::BrowserRunning(profiles[0]));
  EXPECT_FALSE(platform::BrowserRunning(profiles[1]));
}

// As Firefox 153 leaves them: profiles.ini's Default=1 names a profile no installation uses.
TEST(BrowserProfilesTest, TheProfileInUseAndCachesBelowTheCacheHome) {
  test::TTempTree tree(".mozilla/firefox/old.default/\n.mozilla/firefox/new.default-esr/");
  WriteFile(tree / ".mozilla/firefox/profiles.ini",
            "[Profile1]\nName=default\nIsRelative=1\nPath=old.default\nDefault=1\n\n[Profile0]\n"
            "Name=default-esr\nIsRelative=1\nPath=new.default-esr\n\n[Install3B6073811A6ABF12]\n"
            "Default=new.default-esr\nLocked=1\n");
  WriteFile(tree / ".mozilla/firefox/installs.ini",
            "[3B6073811A6ABF12]\nDefault=new.default-esr\nLocked=1\n");
  const platform::TBrowserHomes homes{tree.Root(), tree / "config", tree / "xdg-cache"};
  const std::vector<platform::TBrowserProfile> profiles = platform::FindBrowserProfiles(homes);
  ASSERT_EQ(profiles.size(), 2U);
  EXPECT_EQ(profiles[0].Name, "default");
  EXPECT_FALSE(profiles[0].IsDefault);
  EXPECT_TRUE(profiles[1].IsDefault) << "installs.ini names the profile in use";
  EXPECT_EQ(profiles[1].CacheFolders.front(),
            tree / "xdg-cache/mozilla/firefox/new.default-esr/cache2");
}

TEST_F(TracesTest, HistoryGoesBookmarksAndKeywordsStay) {
  Stuff().ClearHistory();
  EXPECT_EQ(Rows(Places(),
                 "SELECT id, visit_count, last_visit_date, typed, frecency FROM "
                 "moz_places ORDER BY id"),
            (std::vector<std::string>{"1|0|NULL|0|-1", "3|0|NULL|0|-1", "5|0|NULL|0|-1"}))
      << "the bookmarked places (also one whose count a crash lost) and the keyword's stay";
  EXPECT_TRUE(Rows(Places(), "SELECT * FROM moz_historyvisits").empty());
  EXPECT_TRUE(Rows(Places(), "SELECT * FROM moz_inputhistory").empty());
  EXPECT_EQ(Rows(Places(), "SELECT id, fk, title FROM moz_bookmarks ORDER BY id"),
            (std::vector<std::string>{"1|NULL|menu", "2|1|A bookmark",
                                      "3|5|A bookmark whose place lost its count"}));
  EXPECT_EQ(Rows(Places(), "SELECT keyword, place_id FROM moz_keywords"),
            std::vector<std::string>{"kw|3"});
  EXPECT_EQ(Rows(Places(), "SELECT id FROM moz_origins ORDER BY id"),
            (std::vector<std::string>{"1", "3"}))
      << "a NULL origin_id must not keep every origin";
  EXPECT_EQ(Rows(Places(), "SELECT key FROM moz_meta"), std::vector<std::string>{"other"});
  EXPECT_EQ(Rows(Places(), "SELECT id, place_id FROM moz_annos"), std::vector<std::string>{"2|1"});

  EXPECT_TRUE(Rows(ChromiumHistory(), "SELECT * FROM urls").empty());
  EXPECT_TRUE(Rows(ChromiumHistory(), "SELECT * FROM visits").empty());
  EXPECT_TRUE(Rows(ChromiumHistory(), "SELECT * FROM keyword_search_terms").empty());
  EXPECT_TRUE(Rows(ChromiumHistory(), "SELECT * FROM downloads").empty());
  EXPECT_EQ(Rows(ChromiumHistory(), "SELECT key FROM meta"), std::vector<std::string>{"version"});
}

// The pictures of pages, top sites, shortcuts and predictions keep the addresses too: after
// clearing, none removed is left in any byte of any database of either profile.
TEST_F(TracesTest, NoRemovedAddressIsLeftInAnyByteOfTheProfiles) {
  Stuff().ClearHistory();
  const std::string firefox = Tree / ".mozilla/firefox/abc.default-release/";
  const std::string chromium = Tree / ".config/chromium/Default/";
  for (const std::string& folder : {firefox, chromium}) {
    for (const auto& entry : std::filesystem::directory_iterator(folder)) {
      EXPECT_EQ(ReadFile(entry.path()).find("nubrix-secret"), std::string::npos) << entry.path();
    }
  }
  EXPECT_EQ(Rows(firefox + "favicons.sqlite", "SELECT page_url FROM moz_pages_w_icons"),
            std::vector<std::string>{"https://bookmarked.example/"});
  EXPECT_EQ(Rows(firefox + "favicons.sqlite", "SELECT id FROM moz_icons ORDER BY id"),
            (std::vector<std::string>{"1", "3"}))
      << "the bookmark's picture and the keyword site's stay";
  EXPECT_EQ(Rows(chromium + "Favicons", "SELECT page_url FROM icon_mapping"),
            std::vector<std::string>{"https://bookmarked.example/"});
  EXPECT_EQ(Rows(chromium + "Favicons", "SELECT id FROM favicon_bitmaps"),
            std::vector<std::string>{"1"});
}

TEST_F(TracesTest, TypedAddressesGoTheRestStays) {
  Stuff().ClearTypedAddresses();
  EXPECT_EQ(Rows(Places(), "SELECT id, typed, visit_count FROM moz_places ORDER BY id"),
            (std::vector<std::string>{"1|0|5", "2|0|3", "3|0|2", "4|0|1", "5|0|1"}));
  EXPECT_TRUE(Rows(Places(), "SELECT * FROM moz_inputhistory").empty());
  EXPECT_EQ(Rows(Places(), "SELECT COUNT(*) FROM moz_historyvisits"),
            std::vector<std::string>{"5"});
  EXPECT_EQ(Rows(ChromiumHistory(), "SELECT id, typed_count FROM urls ORDER BY id"),
            (std::vector<std::string>{"1|0", "2|0"}));
}

TEST_F(TracesTest, ARunningBrowserIsLeftAlone) {
  const std::string before = ReadFile(Places());
  {
    const test::TLockHolder firefox(Tree / ".mozilla/firefox/abc.default-release/.parentlock");
    TIEStuff stuff = Stuff();
    try {
      stuff.ClearHistory();
      ADD_FAILURE() << "no error for a running browser";
    } catch (const TTraceError& error) {
      EXPECT_STREQ(error.what(),
                   "Firefox is running: close it to clear its history (profile default-release)");
    }
    EXPECT_EQ(ReadFile(Places()), before);
    EXPECT_TRUE(Rows(ChromiumHistory(), "SELECT * FROM urls").empty())
        << "the other browser was cleared all the same";
    const TCacheResult cache = stuff.ClearCache();
    EXPECT_EQ(cache.Removed, 3) << "only Chromium's cache: its three files";
    EXPECT_EQ(cache.Skipped,
              std::vector<std::string>{"Firefox (profile default-release) is running"});
    EXPECT_TRUE(
        platform::Exists(Tree / ".cache/mozilla/firefox/abc.default-release/cache2/entries/e0"));
    EXPECT_TRUE(stuff.Preview()[0].Running);
  }
  ASSERT_EQ(::symlink((HostName() + "-" + std::to_string(::getpid())).c_str(),
                      (Tree / ".config/chromium/SingletonLock").c_str()),
            0);
  EXPECT_THROW(Stuff().ClearTypedAddresses(), TTraceError) << "Chromium runs: this process";
}

TEST_F(TracesTest, AStaleChromiumLockDoesNotCount) {
  const pid_t child = ::fork();
  if (child == 0) ::_exit(0);
  ::waitpid(child, nullptr, 0);
  ASSERT_EQ(::symlink((HostName() + "-" + std::to_string(child)).c_str(),
                      (Tree / ".config/chromium/SingletonLock").c_str()),
            0);
  EXPECT_FALSE(platform::BrowserRunning(platform::FindBrowserProfiles(Homes)[1]));
}

TEST_F(TracesTest, ALockedOrDamagedDatabaseIsReportedAndKept) {
  sqlite3* holder = nullptr;
  ASSERT_EQ(sqlite3_open(ChromiumHistory().c_str(), &holder), SQLITE_OK);
  ASSERT_EQ(sqlite3_exec(holder, "BEGIN EXCLUSIVE", nullptr, nullptr, nullptr), SQLITE_OK);
  try {
    Stuff().ClearHistory();
    ADD_FAILURE() << "a locked database cleared";
  } catch (const TTraceError& error) {
    EXPECT_NE(std::string(error.what()).find("Chromium (profile Default)"), std::string::npos)
        << error.what();
  }
  sqlite3_exec(holder, "ROLLBACK", nullptr, nullptr, nullptr);
  sqlite3_close(holder);
  EXPECT_EQ(Rows(ChromiumHistory(), "SELECT COUNT(*) FROM urls"), std::vector<std::string>{"2"});

  const std::string damaged = std::string(4096, '\x17');
  WriteFile(Places(), damaged);
  EXPECT_THROW(Stuff().ClearHistory(), TTraceError);
  EXPECT_EQ(ReadFile(Places()), damaged);
  EXPECT_EQ(Stuff().Preview()[0].HistoryRows, -1);
}

TEST_F(TracesTest, CacheFilesGoOneByOneAndThePreviewCountsThem) {
  const std::vector<TProfilePreview> preview = Stuff().Preview();
  ASSERT_EQ(preview.size(), 2U);
  EXPECT_EQ(preview[0].CacheFiles, 3);
  EXPECT_EQ(preview[0].CacheBytes, 300);
  EXPECT_EQ(preview[0].HistoryRows, 5);
  EXPECT_EQ(preview[0].TypedRows, 3) << "two typed places and one input";
  EXPECT_EQ(preview[1].CacheFiles, 3);
  EXPECT_EQ(preview[1].HistoryRows, 2);
  EXPECT_EQ(preview[1].TypedRows, 1);

  ASSERT_EQ(::symlink(Tree.Root().c_str(),
                      (Tree / ".cache/chromium/Default/Cache/Cache_Data/link").c_str()),
            0);
  EXPECT_EQ(Stuff().Preview()[1].CacheFiles, 4) << "the link counts as a file";
  const TCacheResult result = Stuff().ClearCache();
  EXPECT_EQ(result.Removed, 7) << "six files and the link itself, as the preview counts them";
  EXPECT_TRUE(platform::Exists(Places())) << "a link is never followed";
  EXPECT_TRUE(platform::IsFolder(Tree / ".cache/mozilla/firefox/abc.default-release/cache2"));
  EXPECT_EQ(Stuff().Preview()[0].CacheFiles, 0);
  EXPECT_EQ(Stuff().Preview()[0].HistoryRows, 5) << "the preview reads, never writes";
}

TEST(DefragTest, TheQuestionNamesTheFileSystemAndTheTool) {
  const test::TTempTree tools;
  for (const char* tool : {"e4defrag", "btrfs", "pkexec"}) {
    WriteFile(tools / tool, "#!/bin/sh\n");
    ::chmod((tools / tool).c_str(), 0755);
  }
  const std::string path = std::getenv("PATH");
  ::setenv("PATH", tools.Root().c_str(), 1);
  EXPECT_EQ(DefragQuestion("/home", "ext4"),
            "Defragment /home (ext4) with e4defrag? It can take long.");
  EXPECT_EQ(DefragQuestion("/data", "btrfs"),
            "Defragment /data (btrfs) with btrfs filesystem defragment? It can take long.");
  EXPECT_EQ(DefragQuestion("/media/usb", "vfat"), "") << "no tool: nothing is asked";
  ::setenv("PATH", path.c_str(), 1);
}

TEST(RecentDocumentsTest, TheListIsWrittenEmptyUnderItsLock) {
  const test::TTempTree tree("data/\nkde/");
  const std::string xbel = tree / "data/recently-used.xbel";
  WriteFile(xbel,
            "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<xbel version=\"1.0\" "
            "xmlns:bookmark=\"http://www.freedesktop.org/standards/desktop-bookmarks\" "
            "xmlns:mime=\"http://www.freedesktop.org/standards/shared-mime-info\">\n"
            "<bookmark href=\"file:///a.txt\" added=\"2026-01-01T00:00:00Z\" "
            "modified=\"2026-01-01T00:00:00Z\" visited=\"2026-01-01T00:00:00Z\"/>\n"
            "<bookmark href=\"file:///b.txt\" added=\"2026-01-01T00:00:00Z\" "
            "modified=\"2026-01-01T00:00:00Z\" visited=\"2026-01-01T00:00:00Z\"/>\n</xbel>\n");
  WriteFile(tree / "kde/a.txt.desktop", "[Desktop Entry]\nType=Link\nURL=file:///a.txt\n");
  WriteFile(tree / "kde/notes", "kept");
  EXPECT_EQ(CountRecentDocuments(tree / "data", tree / "kde"), 3);

  // A lock left by a program that has gone is taken over.
  const pid_t child = ::fork();
  if (child == 0) ::_exit(0);
  ::waitpid(child, nullptr, 0);
  WriteFile(xbel + ".lock", std::to_string(child) + "\nkioworker\n" + HostName() + "\n");
  const TRecentResult result = ClearRecentDocuments(tree / "data", tree / "kde");
  EXPECT_EQ(result.Entries, 2);
  EXPECT_EQ(result.KdeRemoved, 1);
  EXPECT_FALSE(platform::Exists(xbel + ".lock"));
  EXPECT_TRUE(platform::Exists(tree / "kde/notes"));

  GBookmarkFile* bookmarks = g_bookmark_file_new();
  GError* error = nullptr;
  EXPECT_TRUE(g_bookmark_file_load_from_file(bookmarks, xbel.c_str(), &error))
      << (error != nullptr ? error->message : "");
  EXPECT_EQ(g_bookmark_file_get_size(bookmarks), 0);
  g_clear_error(&error);
  g_bookmark_file_free(bookmarks);

  // A live program's lock is respected.
  WriteFile(xbel + ".lock", std::to_string(::getpid()) + "\nkioworker\n" + HostName() + "\n");
  WriteFile(xbel, "changed");
  EXPECT_THROW(ClearRecentDocuments(tree / "data", tree / "kde"), std::runtime_error);
  EXPECT_EQ(ReadFile(xbel), "changed");
}

TEST(VlcHistoryTest, OnlyTheRecentListIsEmptied) {
  const std::string text =
      "[General]\r\nlist=not this one\r\n\r\n[RecentsMRU]\r\nlist=file:///old.mp3\r\n\r\n"
      "[RecentsMRL]\r\nlist=file:///m/a.mp3, \"file:///m/b,%20c.mp3\", file:///m/d.mp3\r\n"
      "times=0, 12, 0\r\nother=1\r\n[MainWindow]\r\ngeometry=@ByteArray(x)\r\n";
  EXPECT_EQ(CountVlcRecent(text), 3);
  const std::string cleared = ClearedVlcText(text);
  EXPECT_EQ(cleared,
            "[General]\r\nlist=not this one\r\n\r\n[RecentsMRU]\r\nlist=file:///old.mp3\r\n\r\n"
            "[RecentsMRL]\r\nlist=@Invalid()\r\n"
            "times=@Invalid()\r\nother=1\r\n[MainWindow]\r\ngeometry=@ByteArray(x)\r\n");
  EXPECT_EQ(CountVlcRecent(cleared), 0);

  const test::TTempTree tree("vlc/");
  const std::string file = VlcConfigFile(tree.Root());
  WriteFile(file, text);
  ::chmod(file.c_str(), 0600);
  EXPECT_EQ(ClearVlcRecent(file), 3);
  EXPECT_EQ(ReadFile(file), cleared);
  struct stat info {};
  ASSERT_EQ(::stat(file.c_str(), &info), 0);
  EXPECT_EQ(info.st_mode & 0777, 0600U);
  EXPECT_EQ(ClearVlcRecent(tree / "missing.conf"), 0);
}

TEST(RegistryTracesTest, AllValuesGoTheKeyStays) {
  std::string hive =
      "WINE REGISTRY Version 2\n[Software\\\\Microsoft\\\\Internet Explorer\\\\"
      "TypedURLs] 1\n";
  for (int i = 1; i <= 25; ++i) {
    hive += "\"url" + std::to_string(i) + "\"=\"http://" + std::to_string(i) + ".example/\"\n";
  }
  hive += "[Software\\\\Microsoft\\\\Internet Explorer\\\\TypedURLs\\\\Sub] 1\n\"x\"=\"1\"\n";
  platform::TMemoryRegistry store;
  store.SetHive(platform::kHkeyCurrentUser, hive);
  EXPECT_EQ(CountKeyValues(store, platform::kHkeyCurrentUser, kTypedUrlsKey), 25);
  EXPECT_EQ(ClearKeyValues(store, platform::kHkeyCurrentUser, kTypedUrlsKey), 25);
  platform::TRegistry registry(store);
  ASSERT_TRUE(registry.OpenKey(kTypedUrlsKey)) << "the key stays";
  EXPECT_TRUE(registry.GetValueNames().empty());
  EXPECT_EQ(registry.GetKeyNames(), std::vector<std::string>{"Sub"});
  EXPECT_EQ(ClearKeyValues(store, platform::kHkeyCurrentUser, kMediaHistoryKey), 0)
      << "a missing key: nothing";
}

TEST(TrashPreviewTest, ItemsAndBytes) {
  const test::TTempTree tree("t/files/a=10\nt/files/d/b=5\nt/files/d/c=7\nt/info/a.trashinfo=3");
  const TTrashPreview preview = PreviewTrash({tree / "t", tree / "missing"});
  EXPECT_EQ(preview.Items, 2);
  EXPECT_EQ(preview.Bytes, 22);
}

}  // namespace
}  // namespace nubrix
