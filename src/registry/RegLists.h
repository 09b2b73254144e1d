// What the registry list editor does without its window: the rows of its three list modes, their
// sort order, the deletions and the backup file's name.
#pragma once

#include <cstdint>
#include <ctime>
#include <string>
#include <string_view>
#include <vector>

#include "platform/AskUser.h"
#include "platform/Registry.h"

namespace nubrix::registry {

enum class TValueType { vtKeyList = 0, vtValueList = 1, vtFolderList = 2 };

// The key listed instead of a missing one in the value and key modes.
inline constexpr std::string_view kSubstituteKey =
    "Software\\Microsoft\\Internet Explorer\\TypedURLs";

struct TRegRow {
  std::string Caption;  // column 0
  std::string Text;     // column 1
  int Picture = 0;
};

// A filling: whether the list is replaced by Rows (false: it keeps what it showed), and the error
// that stopped it (the rows read before it are kept).
struct TRegFill {
  bool Replaced = false;
  std::vector<TRegRow> Rows;
  std::string Error;
};

TRegFill ListValues(platform::IRegistryStore& store, std::uint32_t root, const std::string& key);
TRegFill ListUninstallKeys(platform::IRegistryStore& store, std::uint32_t root,
                           const std::string& key);
TRegFill ListSubKeyPairs(platform::IRegistryStore& store, std::uint32_t root,
                         const std::string& key);
TRegFill FillRows(platform::IRegistryStore& store, std::uint32_t root, const std::string& key,
                  TValueType mode);

// The sort state every editor window of a run shares.
struct TSortState {
  int SortColumn = -1;
  bool SortAscending = true;
};
// A click on a column header: the same column again turns the direction round.
void ClickColumn(TSortState& state, int column);
// The texts of column SortColumn compared in the user's locale, case-sensitively (strcoll);
// negated when descending.
int CompareRows(const TRegRow& a, const TRegRow& b, const TSortState& state);

// The deletions. Each opens its keys with a fresh accessor at root; what is missing is skipped.
void DeleteSelectedValues(platform::IRegistryStore& store, std::uint32_t root,
                          const std::string& key, const std::vector<std::string>& names);
void DeleteKeyIfPresent(platform::IRegistryStore& store, std::uint32_t root,
                        const std::string& path, IAskUser& user);
void DeleteKeyTree(platform::TRegistry& registry, const std::string& path, IAskUser& user);
void CollectSubKeyPaths(platform::TRegistry& registry, const std::string& path,
                        std::vector<std::string>& paths);

// "_dd_mm__hh_nn" of a local time, and backupPath + stamp + ".reg".
std::string BackupStamp(const std::tm& local);
std::string BackupFileName(const std::string& backupPath, const std::tm& local);
// The note after a backup was written.
std::string BackupNote(const std::string& key);

}  // namespace nubrix::registry
