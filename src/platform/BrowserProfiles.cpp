#include "platform/BrowserProfiles.h"

#include <dirent.h>
#include <fcntl.h>
#include <glib.h>
#include <signal.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <memory>

#include "platform/Paths.h"

namespace nubrix::platform {

namespace {

struct TFirefoxPlace {
  const char* Data;   // below the home: where profiles.ini lies
  const char* Cache;  // below the home: where the profiles' caches lie; null: the cache home's
};

// ~/.config is given relative to the home by its own entry, the XDG one.
constexpr TFirefoxPlace kFirefoxPlaces[] = {
    {".mozilla/firefox", nullptr},
    {"snap/firefox/common/.mozilla/firefox", "snap/firefox/common/.cache/mozilla/firefox"},
    {".var/app/org.mozilla.firefox/.mozilla/firefox",
     ".var/app/org.mozilla.firefox/cache/mozilla/firefox"},
};

struct TChromiumPlace {
  const char* Browser;
  const char* Folder;  // below the config and the cache home
};

constexpr TChromiumPlace kChromiumPlaces[] = {
    {"Chromium", "chromium"},
    {"Google Chrome", "google-chrome"},
    {"Brave", "BraveSoftware/Brave-Browser"},
};

std::string Env(const char* name, const std::string& fallback) {
  const char* value = std::getenv(name);
  return value != nullptr && *value == '/' ? std::string(value) : fallback;
}

std::string KeyString(GKeyFile* file, const char* group, const char* key) {
  gchar* value = g_key_file_get_string(file, group, key, nullptr);
  std::string text = value != nullptr ? value : "";
  g_free(value);
  return text;
}

using TKeyFile = std::unique_ptr<GKeyFile, decltype(&g_key_file_free)>;

TKeyFile LoadKeyFile(const std::string& path) {
  TKeyFile file(g_key_file_new(), g_key_file_free);
  if (!g_key_file_load_from_file(file.get(), path.c_str(), G_KEY_FILE_NONE, nullptr))
    return {nullptr, g_key_file_free};
  return file;
}

// The profile an installation of Firefox really uses: installs.ini's "Default", then that of an
// [Install...] group of profiles.ini; empty when neither names one (profiles.ini's Default=1
// decides then).
std::string InstalledDefault(const std::string& dataFolder, GKeyFile* profiles) {
  const auto firstDefault = [](GKeyFile* file, bool installGroupsOnly) {
    std::string found;
    gchar** groups = g_key_file_get_groups(file, nullptr);
    for (gchar** group = groups; *group != nullptr && found.empty(); ++group) {
      if (installGroupsOnly && !g_str_has_prefix(*group, "Install")) continue;
      found = KeyString(file, *group, "Default");
    }
    g_strfreev(groups);
    return found;
  };
  if (const TKeyFile installs = LoadKeyFile(JoinPath(dataFolder, "installs.ini"))) {
    if (std::string found = firstDefault(installs.get(), false); !found.empty()) return found;
  }
  return firstDefault(profiles, true);
}

void AddFirefoxProfiles(const std::string& dataFolder, const std::string& cacheFolder,
                        std::vector<TBrowserProfile>& profiles) {
  const TKeyFile file = LoadKeyFile(JoinPath(dataFolder, "profiles.ini"));
  if (!file) return;
  const std::string installed = InstalledDefault(dataFolder, file.get());
  gchar** groups = g_key_file_get_groups(file.get(), nullptr);
  for (gchar** group = groups; *group != nullptr; ++group) {
    if (!g_str_has_prefix(*group, "Profile")) continue;
    const std::string path = KeyString(file.get(), *group, "Path");
    if (path.empty() || path.find("..") != std::string::npos) continue;
    const bool relative = KeyString(file.get(), *group, "IsRelative") != "0";
    TBrowserProfile profile;
    profile.Kind = TBrowserKind::Firefox;
    profile.Browser = "Firefox";
    profile.Name = KeyString(file.get(), *group, "Name");
    profile.Folder = relative ? JoinPath(dataFolder, path) : path;
    profile.LockFolder = profile.Folder;
    profile.HistoryFile = JoinPath(profile.Folder, "places.sqlite");
    profile.IsDefault =
        installed.empty() ? KeyString(file.get(), *group, "Default") == "1" : path == installed;
    const std::string cache = relative ? JoinPath(cacheFolder, path) : profile.Folder;
    profile.CacheFolders = {JoinPath(cache, "cache2"), JoinPath(cache, "startupCache"),
                            JoinPath(cache, "thumbnails")};
    if (IsFolder(profile.Folder)) profiles.push_back(std::move(profile));
  }
  g_strfreev(groups);
}

bool IsChromiumProfileName(const std::string& name) {
  return name == "Default" || name.rfind("Profile ", 0) == 0 || name == "Guest Profile";
}

void AddChromiumProfiles(const TChromiumPlace& place, const TBrowserHomes& homes,
                         std::vector<TBrowserProfile>& profiles) {
  const std::string userData = JoinPath(homes.ConfigHome, place.Folder);
  const std::string cacheData = JoinPath(homes.CacheHome, place.Folder);
  DIR* dir = ::opendir(userData.c_str());
  if (dir == nullptr) return;
  std::vector<std::string> names;
  while (const dirent* entry = ::readdir(dir)) {
    if (IsChromiumProfileName(entry->d_name)) names.emplace_back(entry->d_name);
  }
  ::closedir(dir);
  std::sort(names.begin(), names.end());
  for (const std::string& name : names) {
    TBrowserProfile profile;
    profile.Kind = TBrowserKind::Chromium;
    profile.Browser = place.Browser;
    profile.Name = name;
    profile.Folder = JoinPath(userData, name);
    profile.LockFolder = userData;
    profile.HistoryFile = JoinPath(profile.Folder, "History");
    const std::string cache = JoinPath(cacheData, name);
    // A profile of a user data folder given on the command line keeps its caches inside it.
    profile.CacheFolders = {JoinPath(cache, "Cache"),
                            JoinPath(cache, "Code Cache"),
                            JoinPath(profile.Folder, "Cache"),
                            JoinPath(profile.Folder, "Code Cache"),
                            JoinPath(profile.Folder, "GPUCache"),
                            JoinPath(profile.Folder, "DawnGraphiteCache"),
                            JoinPath(profile.Folder, "DawnWebGPUCache")};
    // The browser's own, shared by its profiles: counted and cleared with the first.
    if (name == names.front())
      profile.CacheFolders.push_back(JoinPath(userData, "GPUPersistentCache"));
    if (IsFolder(profile.Folder)) profiles.push_back(std::move(profile));
  }
}

bool FirefoxRunning(const std::string& folder) {
  const int fd = ::open(JoinPath(folder, ".parentlock").c_str(), O_RDONLY | O_CLOEXEC);
  if (fd < 0) return false;
  struct flock probe {};
  probe.l_type = F_WRLCK;
  probe.l_whence = SEEK_SET;
  const bool locked = ::fcntl(fd, F_GETLK, &probe) == 0 && probe.l_type != F_UNLCK;
  ::close(fd);
  return locked;
}

std::string HostName() {
  char name[256] = {};
  ::gethostname(name, sizeof name - 1);
  return name;
}

// SingletonLock is a link to "<host>-<pid>"; a pid of this host that no longer lives is stale.
bool ChromiumRunning(const std::string& userData) {
  char target[512];
  const ssize_t length =
      ::readlink(JoinPath(userData, "SingletonLock").c_str(), target, sizeof target - 1);
  if (length <= 0) return false;
  const std::string text(target, static_cast<std::size_t>(length));
  const std::size_t dash = text.rfind('-');
  if (dash == std::string::npos) return true;
  if (text.substr(0, dash) != HostName()) return true;  // another machine's: assume it runs
  const long pid = std::strtol(text.c_str() + dash + 1, nullptr, 10);
  return pid > 0 && (::kill(static_cast<pid_t>(pid), 0) == 0 || errno == EPERM);
}

}  // namespace

TBrowserHomes TBrowserHomes::OfUser() {
  const std::string home = Env("HOME", "/");
  return {home, Env("XDG_CONFIG_HOME", JoinPath(home, ".config")),
          Env("XDG_CACHE_HOME", JoinPath(home, ".cache"))};
}

std::vector<TBrowserProfile> FindBrowserProfiles(const TBrowserHomes& homes) {
  std::vector<TBrowserProfile> profiles;
  for (const TFirefoxPlace& place : kFirefoxPlaces) {
    const std::string cache = place.Cache != nullptr ? JoinPath(homes.Home, place.Cache)
                                                     : JoinPath(homes.CacheHome, "mozilla/firefox");
    AddFirefoxProfiles(JoinPath(homes.Home, place.Data), cache, profiles);
  }
  AddFirefoxProfiles(JoinPath(homes.ConfigHome, "mozilla/firefox"),
                     JoinPath(homes.CacheHome, "mozilla/firefox"), profiles);
  for (const TChromiumPlace& place : kChromiumPlaces) AddChromiumProfiles(place, homes, profiles);
  return profiles;
}

bool BrowserRunning(const TBrowserProfile& profile) {
  return profile.Kind == TBrowserKind::Firefox ? FirefoxRunning(profile.LockFolder)
                                               : ChromiumRunning(profile.LockFolder);
}

}  // namespace nubrix::platform
