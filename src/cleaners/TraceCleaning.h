// The other traces: the values of two registry keys, VLC's recent files, the recent-documents
// list of the desktop, the trash, and the system's own tools.
#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "cleaners/IE_Cache_Hist.h"
#include "platform/BrowserProfiles.h"
#include "platform/RegistryStore.h"
#include "platform/Trash.h"

namespace nubrix {

// Where the traces of this user lie; tests give folders of their own.
struct TTraceEnvironment {
  platform::TBrowserHomes Homes;
  std::string DataHome;   // holds recently-used.xbel
  std::string KdeRecent;  // KDE's RecentDocuments
  std::string VlcConfig;  // vlc-qt-interface.conf
  // The trash folders to empty; none given: every trash folder of the user, from the mount table.
  std::optional<std::vector<platform::TTrashFolder>> Trash;
  static TTraceEnvironment OfUser();
  // The trash folders as paths, as they are now.
  std::vector<std::string> TrashPaths() const;
  platform::TEmptyResult EmptyTrash() const;
};

inline constexpr std::string_view kTypedUrlsKey =
    "Software\\Microsoft\\Internet Explorer\\TypedURLs";
inline constexpr std::string_view kMediaHistoryKey =
    "Software\\Microsoft\\MediaPlayer\\Player\\RecentFileList";

// Deletes every value of key (the key and its subkeys stay) in one change of its hive; a key that
// does not exist or may not be changed leaves nothing to do. The number deleted; throws
// TRegistryError when the hive refuses the change.
int ClearKeyValues(platform::IRegistryStore& store, std::uint32_t root, std::string_view key);
int CountKeyValues(platform::IRegistryStore& store, std::uint32_t root, std::string_view key);

// VLC's recent files: vlc-qt-interface.conf, section [RecentsMRL], keys list and times.
std::string VlcConfigFile(const std::string& configHome);
// The entries its list holds.
int CountVlcRecent(std::string_view configText);
// The text with both keys emptied as VLC writes an empty list; every other byte kept.
std::string ClearedVlcText(std::string_view configText);
// Clears the file in place (atomically, mode kept): the entries removed. Throws
// std::runtime_error when it cannot be written.
int ClearVlcRecent(const std::string& configFile);

// The recent-documents list: $XDG_DATA_HOME/recently-used.xbel, written empty under its lock,
// and KDE's RecentDocuments/*.desktop removed. Throws std::runtime_error when the list is locked
// by a live program or cannot be written.
struct TRecentResult {
  int Entries = 0;     // bookmarks in the list before
  int KdeRemoved = 0;  // KDE entries removed
};
TRecentResult ClearRecentDocuments(const std::string& dataHome, const std::string& kdeFolder);
int CountRecentDocuments(const std::string& dataHome, const std::string& kdeFolder);
// The empty list GLib and KIO read as no items.
extern const char* const kEmptyXbel;

// Items and bytes in the files/ folders of these trash folders.
struct TTrashPreview {
  int Items = 0;
  std::int64_t Bytes = 0;
};
TTrashPreview PreviewTrash(const std::vector<std::string>& trashFolders);

// What each clearing command would clear now, for people, by command: "cache", "history",
// "typed-addresses", "recent-documents", "media-history", "trash" ("312 files, 48.2 MB", "1,204
// visits in 2 profiles", "Firefox is running"). Reads only; never throws.
std::vector<std::pair<std::string, std::string>> SummarizeTraces(
    const TTraceEnvironment& environment, platform::IRegistryStore& registry);

// The parts of one trace command (the registry, then each program's own list): every part runs,
// also after one was refused (a wineserver holding the hive), and the refusals are told together.
class TTraceParts {
 public:
  // Runs part, which returns what it did for people; a refusal it throws is kept.
  void Run(const std::function<std::string()>& part);
  const std::vector<std::string>& Done() const { return Done_; }
  const std::vector<std::string>& Refused() const { return Refused_; }
  // What was done, joined with ", "; then each refusal. Throws TTraceError when any was refused.
  std::string Report() const;

 private:
  std::vector<std::string> Done_;
  std::vector<std::string> Refused_;
};

// The system's tools. Each starts the first of its candidates that is installed and says whether
// one was; nothing is started otherwise.
bool StartDefragmenter(const std::string& mountPoint, const std::string& fileSystemType);
// The question asked before defragmenting, naming the file system and the tool; empty when no
// tool for it is installed (nothing is asked and nothing happens then).
std::string DefragQuestion(const std::string& mountPoint, const std::string& fileSystemType);
bool StartDiskCleanup();
bool OpenUninstallService();

}  // namespace nubrix
