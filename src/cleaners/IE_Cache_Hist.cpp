#include "cleaners/IE_Cache_Hist.h"

#include <fcntl.h>
#include <ftw.h>
#include <sqlite3.h>
#include <unistd.h>

#include <memory>

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

void RunInTransaction(const std::string& file, const std::vector<std::string>& statements) {
  TDatabase db = OpenDatabase(file, SQLITE_OPEN_READWRITE);
  Execute(db.get(), "PRAGMA secure_delete=ON");
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

struct TTally {
  int Files = 0;
  std::int64_t Bytes = 0;
};
thread_local TTally* gTally = nullptr;

int TallyEntry(const char*, const struct stat* info, int type, FTW*) {
  if (type == FTW_F) {
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
      "DELETE FROM moz_historyvisits",
      "DELETE FROM moz_inputhistory",
      "DELETE FROM moz_places_metadata",
      "DELETE FROM moz_places_metadata_search_queries",
      "DELETE FROM moz_annos WHERE place_id IN (SELECT id FROM moz_places WHERE foreign_count=0)",
      std::string("DELETE FROM moz_places WHERE foreign_count=0") +
          " AND id NOT IN (SELECT fk FROM moz_bookmarks WHERE fk IS NOT NULL)" +
          " AND id NOT IN (SELECT place_id FROM moz_keywords WHERE place_id IS NOT NULL)",
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
    for (const std::string& folder : profile.CacheFolders) {
      const int fd = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
      if (fd < 0) continue;
      result.Removed += platform::RemoveContents(fd, result.Failures, platform::ShownPath(folder));
      ::close(fd);
    }
  }
  return result;
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
    try {
      if (platform::Exists(profile.HistoryFile)) {
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
