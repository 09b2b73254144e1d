#include "cleaners/IE_Cache_Hist.h"

#include <fcntl.h>
#include <ftw.h>
#include <sqlite3.h>
#include <unistd.h>

#include <memory>
#include <string_view>

#include "platform/Paths.h"
#include "platform/Trash.h"

namespace nubrix {

namespace {

using platform::TBrowserKind;
using platform::TBrowserProfile;

std::string ProfileText(const TBrowserProfile& profile) {
  return profile.Browser + " (profile " + profile.Name + ")";
}

std::string RunningText(const TBrowserProfile& profile, const char* what) {
  return profile.Browser + " is running: close it to clear its " + what + " (profile " +
         profile.Name + ")";
}

using TDatabase = std::unique_ptr<sqlite3, decltype(&sqlite3_close)>;

TDatabase OpenDatabase(const std::string& file, int flags) {
  sqlite3* db = nullptr;
  if (sqlite3_open_v2(file.c_str(), &db, flags, nullptr) != SQLITE_OK) {
    const std::string message = db != nullptr ? sqlite3_errmsg(db) : "out of memory";
    sqlite3_close(db);
    throw std::runtime_error(message);
  }
  sqlite3_busy_timeout(db, 300);
  return {db, sqlite3_close};
}

// Runs sql; a statement on a missing table counts as done. Throws with SQLite's message.
void Execute(sqlite3* db, const std::string& sql) {
  char* error = nullptr;
  if (sqlite3_exec(db, sql.c_str(), nullptr, nullptr, &error) == SQLITE_OK) return;
  std::string message = error != nullptr ? error : sqlite3_errmsg(db);
  sqlite3_free(error);
  if (message.rfind("no such table", 0) == 0) return;
  throw std::runtime_error(message);
}

int Count(sqlite3* db, const char* sql) {
  sqlite3_stmt* statement = nullptr;
  int count = -1;
  if (sqlite3_prepare_v2(db, sql, -1, &statement, nullptr) == SQLITE_OK &&
      sqlite3_step(statement) == SQLITE_ROW) {
    count = sqlite3_column_int(statement, 0);
  }
  sqlite3_finalize(statement);
  return count;
}

// A text as an SQL literal.
std::string Quoted(const std::string& text) {
  std::string quoted = "'";
  for (const char c : text) quoted += c == '\'' ? std::string("''") : std::string(1, c);
  return quoted + "'";
}

// Runs the statements in one transaction with what is deleted overwritten, then folds the
// write-ahead log into the file, so no removed row is left in any byte of it. attach: another
// database the statements read, as "places".
void RunInTransaction(const std::string& file, const std::vector<std::string>& statements,
                      const std::string& attach = {}) {
  TDatabase db = OpenDatabase(file, SQLITE_OPEN_READWRITE);
  Execute(db.get(), "PRAGMA secure_delete=ON");
  if (!attach.empty()) Execute(db.get(), "ATTACH DATABASE " + Quoted(attach) + " AS places");
  Execute(db.get(), "BEGIN IMMEDIATE");
  try {
    for (const std::string& sql : statements) Execute(db.get(), sql);
    Execute(db.get(), "COMMIT");
  } catch (...) {
    sqlite3_exec(db.get(), "ROLLBACK", nullptr, nullptr, nullptr);
    throw;
  }
  sqlite3_exec(db.get(), "PRAGMA wal_checkpoint(TRUNCATE)", nullptr, nullptr, nullptr);
}

// The addresses of Chromium's bookmarks, from its Bookmarks file: their pictures stay.
std::vector<std::string> BookmarkedUrls(const std::string& bookmarksFile) {
  std::vector<std::string> urls;
  std::string text;
  if (!platform::ReadWholeFile(bookmarksFile, text)) return urls;
  constexpr std::string_view kKey = "\"url\"";
  for (std::size_t at = text.find(kKey); at != std::string::npos; at = text.find(kKey, at + 1)) {
    std::size_t pos = text.find_first_not_of(" \t\r\n", at + kKey.size());
    if (pos == std::string::npos || text[pos] != ':') continue;
    pos = text.find_first_not_of(" \t\r\n", pos + 1);
    if (pos == std::string::npos || text[pos] != '"') continue;
    std::string url;
    for (++pos; pos < text.size() && text[pos] != '"'; ++pos) {
      if (text[pos] == '\\' && pos + 1 < text.size()) ++pos;  // \" \\ \/ as the byte itself
      url += text[pos];
    }
    urls.push_back(std::move(url));
  }
  return urls;
}

// Every row of every table but meta: what these files hold is taken from the history.
std::vector<std::string> EmptyAllTables(const std::vector<std::string>& tables) {
  std::vector<std::string> statements;
  statements.reserve(tables.size());
  for (const std::string& table : tables) statements.push_back("DELETE FROM " + table);
  return statements;
}

struct TCompanion {
  std::string File;  // in the profile's folder
  std::vector<std::string> Statements;
  bool AttachHistory = false;
};

// The files beside the history database that keep its addresses: pictures of pages, top sites,
// the address bar's shortcuts and predictions. Cleared after it, keeping what bookmarks and
// keywords still use.
std::vector<TCompanion> HistoryCompanions(const TBrowserProfile& profile) {
  if (profile.Kind == TBrowserKind::Firefox) {
    const std::string gone =
        " WHERE page_url NOT IN (SELECT url FROM places.moz_places WHERE url IS NOT NULL)";
    return {{"favicons.sqlite",
             {"DELETE FROM moz_icons_to_pages WHERE page_id IN (SELECT id FROM moz_pages_w_icons" +
                  gone + ")",
              "DELETE FROM moz_pages_w_icons" + gone,
              std::string("DELETE FROM moz_icons WHERE id NOT IN (SELECT icon_id FROM "
                          "moz_icons_to_pages) AND NOT (root = 1 AND icon_url IN (SELECT prefix "
                          "|| host || '/favicon.ico' FROM places.moz_origins))")},
             true}};
  }
  std::string kept = "CREATE TEMP TABLE kept(url TEXT PRIMARY KEY)";
  std::vector<std::string> favicons = {kept};
  for (const std::string& url : BookmarkedUrls(platform::JoinPath(profile.Folder, "Bookmarks")))
    favicons.push_back("INSERT OR IGNORE INTO temp.kept VALUES (" + Quoted(url) + ")");
  favicons.insert(favicons.end(),
                  {"DELETE FROM icon_mapping WHERE page_url NOT IN (SELECT url FROM temp.kept)",
                   "DELETE FROM favicon_bitmaps WHERE icon_id NOT IN (SELECT icon_id FROM "
                   "icon_mapping)",
                   "DELETE FROM favicons WHERE id NOT IN (SELECT icon_id FROM icon_mapping)"});
  return {{"Favicons", favicons},
          {"Top Sites", EmptyAllTables({"top_sites"})},
          {"Shortcuts", EmptyAllTables({"omni_box_shortcuts"})},
          {"Network Action Predictor",
           EmptyAllTables({"network_action_predictor", "resource_prefetch_predictor_host_redirect",
                           "resource_prefetch_predictor_origin", "lcp_critical_path_predictor",
                           "lcp_critical_path_predictor_initiator_origin"})}};
}

struct TTally {
  int Files = 0;
  std::int64_t Bytes = 0;
};
thread_local TTally* gTally = nullptr;

// Files and links: what clearing counts, folders aside.
int TallyEntry(const char*, const struct stat* info, int type, FTW*) {
  if (type == FTW_F || type == FTW_SL) {
    ++gTally->Files;
    gTally->Bytes += info->st_size;
  }
  return 0;
}

TTally TallyFolder(const std::string& folder) {
  TTally tally;
  gTally = &tally;
  ::nftw(folder.c_str(), TallyEntry, 16, FTW_PHYS | FTW_MOUNT);
  gTally = nullptr;
  return tally;
}

}  // namespace

const std::vector<std::string>& HistoryStatements(TBrowserKind kind) {
  static const std::vector<std::string> kFirefox = {
      "DELETE FROM moz_historyvisits_extra",
      "DELETE FROM moz_historyvisits",
      "DELETE FROM moz_inputhistory",
      "DELETE FROM moz_places_metadata",
      "DELETE FROM moz_places_metadata_search_queries",
      "DELETE FROM moz_annos WHERE place_id IN (SELECT id FROM moz_places WHERE foreign_count=0)",
      std::string("DELETE FROM moz_places WHERE foreign_count=0") +
          " AND id NOT IN (SELECT fk FROM moz_bookmarks WHERE fk IS NOT NULL)" +
          " AND id NOT IN (SELECT place_id FROM moz_keywords WHERE place_id IS NOT NULL)",
      "DELETE FROM moz_places_extra WHERE place_id NOT IN (SELECT id FROM moz_places)",
      "UPDATE moz_places SET visit_count=0, last_visit_date=NULL, typed=0, frecency=-1",
      std::string("DELETE FROM moz_origins WHERE id NOT IN") +
          " (SELECT origin_id FROM moz_places WHERE origin_id IS NOT NULL)",
      "DELETE FROM moz_meta WHERE key LIKE 'origin_frecency_%'"};
  static const std::vector<std::string> kChromium = {"DELETE FROM visits",
                                                     "DELETE FROM visit_source",
                                                     "DELETE FROM keyword_search_terms",
                                                     "DELETE FROM segment_usage",
                                                     "DELETE FROM segments",
                                                     "DELETE FROM downloads_url_chains",
                                                     "DELETE FROM downloads_slices",
                                                     "DELETE FROM downloads",
                                                     "DELETE FROM content_annotations",
                                                     "DELETE FROM context_annotations",
                                                     "DELETE FROM visited_links",
                                                     "DELETE FROM clusters_and_visits",
                                                     "DELETE FROM cluster_keywords",
                                                     "DELETE FROM cluster_visit_duplicates",
                                                     "DELETE FROM clusters",
                                                     "DELETE FROM journey_history_entries",
                                                     "DELETE FROM urls"};
  return kind == TBrowserKind::Firefox ? kFirefox : kChromium;
}

const std::vector<std::string>& TypedAddressStatements(TBrowserKind kind) {
  static const std::vector<std::string> kFirefox = {"DELETE FROM moz_inputhistory",
                                                    "UPDATE moz_places SET typed=0"};
  static const std::vector<std::string> kChromium = {"UPDATE urls SET typed_count=0"};
  return kind == TBrowserKind::Firefox ? kFirefox : kChromium;
}

TIEStuff::TIEStuff() : TIEStuff(platform::FindBrowserProfiles(platform::TBrowserHomes::OfUser())) {}

TIEStuff::TIEStuff(std::vector<TBrowserProfile> profiles) : Profiles_(std::move(profiles)) {}

TCacheResult TIEStuff::ClearCache(const std::atomic<bool>* cancel) {
  TCacheResult result;
  for (const TBrowserProfile& profile : Profiles_) {
    if (cancel != nullptr && cancel->load()) break;
    if (platform::BrowserRunning(profile)) {
      result.Skipped.push_back(ProfileText(profile) + " is running");
      continue;
    }
    platform::TRemoveHooks hooks;
    hooks.Cancel = cancel;  // Escape stops inside a large cache too
    for (const std::string& folder : profile.CacheFolders) {
      const int fd = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
      if (fd < 0) continue;
      result.Removed +=
          platform::RemoveContents(fd, result.Failures, platform::ShownPath(folder), &hooks);
      ::close(fd);
    }
  }
  return result;
}

void TIEStuff::ClearCompanions(const TBrowserProfile& profile) {
  for (const TCompanion& companion : HistoryCompanions(profile)) {
    const std::string file = platform::JoinPath(profile.Folder, companion.File);
    if (!platform::Exists(file)) continue;
    RunInTransaction(file, companion.Statements,
                     companion.AttachHistory ? profile.HistoryFile : std::string());
  }
}

void TIEStuff::ClearDatabases(TJob job) {
  const char* what = job == TJob::History ? "history" : "typed addresses";
  std::string firstError;
  for (const TBrowserProfile& profile : Profiles_) {
    if (!platform::Exists(profile.HistoryFile)) continue;
    std::string error;
    if (platform::BrowserRunning(profile)) {
      error = RunningText(profile, what);
    } else {
      try {
        RunInTransaction(profile.HistoryFile, job == TJob::History
                                                  ? HistoryStatements(profile.Kind)
                                                  : TypedAddressStatements(profile.Kind));
        if (job == TJob::History) ClearCompanions(profile);
      } catch (const std::exception& failure) {
        error = "The " + std::string(what) + " of " + ProfileText(profile) +
                " could not be cleared: " + failure.what();
      }
    }
    if (firstError.empty()) firstError = error;
  }
  if (!firstError.empty()) throw TTraceError(firstError);
}

void TIEStuff::ClearHistory() { ClearDatabases(TJob::History); }

void TIEStuff::ClearTypedAddresses() { ClearDatabases(TJob::TypedAddresses); }

std::vector<TProfilePreview> TIEStuff::Preview() const {
  std::vector<TProfilePreview> previews;
  for (const TBrowserProfile& profile : Profiles_) {
    TProfilePreview preview{profile.Browser, profile.Name, platform::BrowserRunning(profile)};
    for (const std::string& folder : profile.CacheFolders) {
      const TTally tally = TallyFolder(folder);
      preview.CacheFiles += tally.Files;
      preview.CacheBytes += tally.Bytes;
    }
    preview.HasHistory = platform::Exists(profile.HistoryFile);
    try {
      if (preview.HasHistory) {
        TDatabase db = OpenDatabase(profile.HistoryFile, SQLITE_OPEN_READONLY);
        const bool firefox = profile.Kind == TBrowserKind::Firefox;
        preview.HistoryRows = Count(db.get(), firefox ? "SELECT COUNT(*) FROM moz_historyvisits"
                                                      : "SELECT COUNT(*) FROM visits");
        preview.TypedRows =
            Count(db.get(), firefox ? "SELECT (SELECT COUNT(*) FROM moz_places WHERE typed>0) + "
                                      "(SELECT COUNT(*) FROM moz_inputhistory)"
                                    : "SELECT COUNT(*) FROM urls WHERE typed_count>0");
      }
    } catch (const std::exception&) {
      // Shown as unreadable (-1).
    }
    previews.push_back(std::move(preview));
  }
  return previews;
}

}  // namespace nubrix
