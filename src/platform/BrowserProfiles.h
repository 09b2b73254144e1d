// Where the user's browsers keep their profiles, caches and history databases, and whether a
// browser is running on a profile right now.
#pragma once

#include <string>
#include <vector>

namespace nubrix::platform {

enum class TBrowserKind { Firefox, Chromium };

struct TBrowserProfile {
  TBrowserKind Kind = TBrowserKind::Firefox;
  std::string Browser;                    // "Firefox", "Chromium", "Google Chrome", "Brave"
  std::string Name;                       // "default-release", "Default", "Profile 1"
  std::string Folder;                     // the profile's own folder
  std::string LockFolder;                 // where the running browser keeps its lock
  std::vector<std::string> CacheFolders;  // cache folders; each file in them is one entry
  std::string HistoryFile;                // places.sqlite or History
  bool IsDefault = false;                 // Firefox's default profile
};

// The homes the profiles are looked for in; tests give their own.
struct TBrowserHomes {
  std::string Home;        // ~
  std::string ConfigHome;  // $XDG_CONFIG_HOME, ~/.config
  std::string CacheHome;   // $XDG_CACHE_HOME, ~/.cache
  static TBrowserHomes OfUser();
};

// Every Firefox profile of every profiles.ini (the usual, the XDG, the snap and the flatpak
// places) and every Chromium-family profile folder ("Default", "Profile N") that exists.
std::vector<TBrowserProfile> FindBrowserProfiles(const TBrowserHomes& homes);

// Whether the browser holds the profile now: Firefox's fcntl lock on .parentlock, a Chromium
// SingletonLock that names a live process of this host.
bool BrowserRunning(const TBrowserProfile& profile);

}  // namespace nubrix::platform
