// The browsers' caches and histories: the cache files of every profile removed one by one, and
// the history tables cleared through SQLite with bookmarks and keywords kept. Nothing of a
// browser that runs is touched.
#pragma once

#include <atomic>
#include <cstdint>
#include <stdexcept>
#include <string>
#include <vector>

#include "platform/BrowserProfiles.h"

namespace nubrix {

// A profile that could not be cleared; the message names the browser and the profile.
class TTraceError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

struct TCacheResult {
  int Removed = 0;                    // files (and links) removed, as the preview counts them
  std::vector<std::string> Skipped;   // "Firefox (profile x) is running", one per profile
  std::vector<std::string> Failures;  // files that could not go, with the reason
};

// What clearing would remove from one profile.
struct TProfilePreview {
  std::string Browser;
  std::string Name;
  bool Running = false;
  int CacheFiles = 0;  // files and links
  std::int64_t CacheBytes = 0;
  bool HasHistory = false;  // whether the profile has a history database at all
  int HistoryRows = -1;     // visits; -1 when the database cannot be read
  int TypedRows = -1;       // typed addresses
};

class TIEStuff {
 public:
  // The profiles of the user's browsers.
  TIEStuff();
  explicit TIEStuff(std::vector<platform::TBrowserProfile> profiles);

  TCacheResult ClearCache(const std::atomic<bool>* cancel = nullptr);
  // Clears every profile it can, with the pictures of pages, top sites, the address bar's
  // shortcuts and predictions that keep the same addresses; then throws TTraceError for the first
  // one it could not (a running browser, a locked or damaged database), which is left as it was.
  void ClearHistory();
  // The typed-address records of every profile, by the same rules.
  void ClearTypedAddresses();
  std::vector<TProfilePreview> Preview() const;

  const std::vector<platform::TBrowserProfile>& Profiles() const { return Profiles_; }

 private:
  enum class TJob { History, TypedAddresses };
  void ClearDatabases(TJob job);
  static void ClearCompanions(const platform::TBrowserProfile& profile);

  std::vector<platform::TBrowserProfile> Profiles_;
};

// The statements each clearing runs, in order; a statement on a table the database lacks is
// skipped.
const std::vector<std::string>& HistoryStatements(platform::TBrowserKind kind);
const std::vector<std::string>& TypedAddressStatements(platform::TBrowserKind kind);

}  // namespace nubrix
