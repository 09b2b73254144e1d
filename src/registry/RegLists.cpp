#include "registry/RegLists.h"

#include <clocale>
#include <cstdio>
#include <cstring>

#include "registry/RegExpo.h"

namespace nubrix::registry {

namespace {

using platform::TRegistry;

// Opens key, or the substitute key of the same root when key does not exist.
bool OpenListedKey(TRegistry& registry, const std::string& key) {
  return registry.OpenKey(registry.KeyExists(key) ? std::string_view(key) : kSubstituteKey);
}

template <typename AddRow>
TRegFill FillFromOpenKey(TRegistry& registry, const std::vector<std::string>& names,
                         AddRow addRow) {
  TRegFill fill;
  fill.Replaced = true;
  try {
    for (const std::string& name : names) fill.Rows.push_back(addRow(name));
  } catch (const platform::TRegistryError& error) {
    fill.Error = error.what();
  }
  registry.CloseKey();
  return fill;
}

const std::string& ColumnText(const TRegRow& row, int column) {
  static const std::string kNone;
  return column == 0 ? row.Caption : column == 1 ? row.Text : kNone;
}

}  // namespace

TRegFill ListValues(platform::IRegistryStore& store, std::uint32_t root, const std::string& key) {
  TRegistry registry(store);
  registry.SetRootKey(root);
  if (!OpenListedKey(registry, key)) return {};
  return FillFromOpenKey(registry, registry.GetValueNames(), [&](const std::string& name) {
    return TRegRow{name, registry.ReadString(name), 0};
  });
}

TRegFill ListUninstallKeys(platform::IRegistryStore& store, std::uint32_t root,
                           const std::string& key) {
  TRegistry registry(store);
  registry.SetRootKey(root);
  if (!OpenListedKey(registry, key)) return {};
  const std::string opened = registry.KeyExists(key) ? key : std::string(kSubstituteKey);
  TRegistry subkeys(store);
  subkeys.SetRootKey(root);
  return FillFromOpenKey(registry, registry.GetKeyNames(), [&](const std::string& name) {
    TRegRow row{name, {}, 1};
    if (subkeys.OpenKey(opened + "\\" + name)) row.Text = subkeys.ReadString("UninstallString");
    subkeys.CloseKey();
    return row;
  });
}

TRegFill ListSubKeyPairs(platform::IRegistryStore& store, std::uint32_t root,
                         const std::string& key) {
  TRegistry registry(store);
  registry.SetRootKey(root);
  if (!registry.KeyExists(key) || !registry.OpenKey(key)) return {};
  TRegFill fill;
  fill.Replaced = true;
  TRegistry inner(store);
  inner.SetRootKey(root);
  for (const std::string& first : registry.GetKeyNames()) {
    const std::string path = SubkeyPath(key, first);
    if (!inner.KeyExists(path) || !inner.OpenKey(path)) continue;
    for (const std::string& second : inner.GetKeyNames()) fill.Rows.push_back({first, second, 1});
    inner.CloseKey();
  }
  return fill;
}

TRegFill FillRows(platform::IRegistryStore& store, std::uint32_t root, const std::string& key,
                  TValueType mode) {
  switch (mode) {
    case TValueType::vtValueList:
      return ListValues(store, root, key);
    case TValueType::vtKeyList:
      return ListUninstallKeys(store, root, key);
    case TValueType::vtFolderList:
      return ListSubKeyPairs(store, root, key);
  }
  return {};
}

void ClickColumn(TSortState& state, int column) {
  state.SortAscending = column == state.SortColumn ? !state.SortAscending : true;
  state.SortColumn = column;
}

int CompareRows(const TRegRow& a, const TRegRow& b, const TSortState& state) {
  const int order = std::strcoll(ColumnText(a, state.SortColumn).c_str(),
                                 ColumnText(b, state.SortColumn).c_str());
  return state.SortAscending ? order : -order;
}

void DeleteSelectedValues(platform::IRegistryStore& store, std::uint32_t root,
                          const std::string& key, const std::vector<std::string>& names) {
  TRegistry registry(store);
  registry.SetRootKey(root);
  if (!registry.KeyExists(key) || !registry.OpenKey(key)) return;
  // One change of the hive: a large hive is written once, and a write that fails leaves every
  // value in place.
  registry.DeleteValues(names);
}

void DeleteKeyIfPresent(platform::IRegistryStore& store, std::uint32_t root,
                        const std::string& path, IAskUser& user) {
  TRegistry registry(store);
  registry.SetRootKey(root);
  if (registry.KeyExists(path) && registry.OpenKey(path)) DeleteKeyTree(registry, path, user);
}

void CollectSubKeyPaths(TRegistry& registry, const std::string& path,
                        std::vector<std::string>& paths) {
  if (!registry.OpenKey(path)) return;
  const std::vector<std::string> names = registry.GetKeyNames();
  registry.CloseKey();
  for (const std::string& name : names) {
    const std::string below = SubkeyPath(path, name);
    paths.push_back(below);
    CollectSubKeyPaths(registry, below, paths);
  }
}

void DeleteKeyTree(TRegistry& registry, const std::string& path, IAskUser& user) {
  const std::uint32_t root = registry.RootKey();
  std::vector<std::string> paths;
  CollectSubKeyPaths(registry, path, paths);
  for (const std::string& below : paths) {
    registry.SetRootKey(root);
    if (registry.KeyExists(below)) registry.DeleteKey(below);
  }
  if (registry.DeleteKey(path)) user.TellUser("Registry Key and all Subkeys have been deleted");
}

std::string BackupStamp(const std::tm& local) {
  char stamp[32];
  std::snprintf(stamp, sizeof stamp, "_%02d_%02d__%02d_%02d", local.tm_mday, local.tm_mon + 1,
                local.tm_hour, local.tm_min);
  return stamp;
}

std::string BackupFileName(const std::string& backupPath, const std::tm& local) {
  return backupPath + BackupStamp(local) + ".reg";
}

std::string BackupNote(const std::string& key) {
  return "Registry backup of section\n\r" + key + "\n\rsuccessfully created";
}

}  // namespace nubrix::registry
