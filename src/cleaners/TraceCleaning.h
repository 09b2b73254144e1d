// The other traces: the values of two registry keys, VLC's recent files, the recent-documents
// list of the desktop, the trash, and the system's own tools.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

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

// Deletes every value of key (the key and its subkeys stay), from the last name to the first; a
// key that does not exist or may not be changed leaves nothing to do. The number deleted.
int ClearKeyValues(platform::IRegistryStore& store, std::uint32_t root, std::string_view key);
int CountKeyValues(platform::IRegistryStore& store, std::uint32_t root, std::string_view key);

// VLC's recent files: vlc-qt-interface.conf, section [RecentsMRU], keys list and times.
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

// The system's tools. Each starts the first of its candidates that is installed and says whether
// one was; nothing is started otherwise.
bool StartDefragmenter(const std::string& mountPoint, const std::string& fileSystemType);
bool StartDiskCleanup();
bool OpenUninstallService();

}  // namespace nubrix
