// Where the registry lives: the hives of the user's Wine prefix, or hives held in memory (tests).
// A store hands out the hive of a root for reading and applies changes to it as one unit.
#pragma once

#include <cstdint>
#include <ctime>
#include <functional>
#include <map>
#include <set>
#include <string>
#include <vector>

#include "platform/WineHive.h"

namespace nubrix::platform {

class IRegistryStore {
 public:
  virtual ~IRegistryStore() = default;
  // The hive that serves root, as it is now; null when nothing serves it (every key missing).
  virtual const TWineHive* Hive(std::uint32_t root) = 0;
  // The path under the hive's root where root's keys lie ("Software\Classes" for the classes).
  virtual std::string HivePrefix(std::uint32_t root) const;
  // Whether the user may change root's keys (what opening a key with full access asks).
  virtual bool Writable(std::uint32_t root) const = 0;
  // Applies edit to the current hive of root and keeps the result when edit reports a change.
  // Throws TRegistryError when the change cannot be kept (nothing is changed then).
  virtual void Change(std::uint32_t root, const std::function<bool(TWineHive&)>& edit) = 0;
  // What the user is told the store looked in for root.
  virtual std::string Describe(std::uint32_t root) const = 0;
  // The time stamp given to sections a change writes.
  virtual std::int64_t Now() const { return static_cast<std::int64_t>(std::time(nullptr)); }
};

// Hives held in memory; roots without a hive are missing.
class TMemoryRegistry : public IRegistryStore {
 public:
  void SetHive(std::uint32_t root, std::string text) { Hives_[root] = TWineHive(std::move(text)); }
  void SetReadOnly(std::uint32_t root) { ReadOnly_.insert(root); }
  const TWineHive* Hive(std::uint32_t root) override;
  bool Writable(std::uint32_t root) const override;
  void Change(std::uint32_t root, const std::function<bool(TWineHive&)>& edit) override;
  std::string Describe(std::uint32_t root) const override;
  int Changes = 0;  // how many changes were kept

 private:
  std::map<std::uint32_t, TWineHive> Hives_;
  std::set<std::uint32_t> ReadOnly_;
};

// The registry of a Wine prefix: HKEY_CURRENT_USER in user.reg, HKEY_LOCAL_MACHINE (and the
// classes below its Software\Classes) in system.reg. A hive is read again when its file changed;
// a change is written back atomically, keeping the file's mode, and is refused while a
// wineserver runs for the prefix (it would overwrite the file with its own copy).
class TWineRegistry : public IRegistryStore {
 public:
  // serverBase: the folder wineservers keep their sockets and locks in (/tmp/.wine-<uid>); Debian's
  // Wine uses a folder beside it named in the prefix's "wineserver" file.
  explicit TWineRegistry(std::string prefix, std::string serverBase = DefaultServerBase());
  // $WINEPREFIX, else ~/.wine.
  static std::string DefaultPrefix();
  static std::string DefaultServerBase();

  const TWineHive* Hive(std::uint32_t root) override;
  std::string HivePrefix(std::uint32_t root) const override;
  bool Writable(std::uint32_t root) const override;
  void Change(std::uint32_t root, const std::function<bool(TWineHive&)>& edit) override;
  std::string Describe(std::uint32_t root) const override;
  // Whether a wineserver holds the prefix's lock right now.
  bool ServerRunning() const;

 private:
  struct TLoaded {
    TWineHive Hive;
    std::int64_t Stamp = -1;
    std::uint64_t Size = 0;
    std::uint64_t Inode = 0;
  };
  std::string HiveFile(std::uint32_t root) const;
  std::vector<std::string> ServerFolders() const;
  // Whether another process holds the write lock on byte 0 of lock.
  static bool LockHeld(const std::string& lock);

  std::string Prefix_;
  std::string ServerBase_;
  std::map<std::string, TLoaded> Loaded_;
};

}  // namespace nubrix::platform
