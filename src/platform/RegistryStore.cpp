#include "platform/RegistryStore.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <climits>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <sstream>

#include "platform/Paths.h"

namespace nubrix::platform {

namespace {

std::string Hex(std::uint64_t value) {
  std::ostringstream out;
  out << std::hex << value;
  return out.str();
}

}  // namespace

std::string IRegistryStore::HivePrefix(std::uint32_t /*root*/) const { return {}; }

const TWineHive* TMemoryRegistry::Hive(std::uint32_t root) {
  const auto found = Hives_.find(root);
  return found == Hives_.end() ? nullptr : &found->second;
}

bool TMemoryRegistry::Writable(std::uint32_t root) const {
  return Hives_.contains(root) && !ReadOnly_.contains(root);
}

void TMemoryRegistry::Change(std::uint32_t root, const std::function<bool(TWineHive&)>& edit) {
  if (!Writable(root)) throw TRegistryError("The registry key cannot be changed: access denied.");
  TWineHive hive = Hives_[root];
  if (!edit(hive)) return;
  Hives_[root] = std::move(hive);
  ++Changes;
}

std::string TMemoryRegistry::Describe(std::uint32_t root) const {
  return "the registry held in memory (" + RootKeyName(root) + ")";
}

TWineRegistry::TWineRegistry(std::string prefix, std::string serverBase)
    : Prefix_(WithoutSeparator(std::move(prefix))), ServerBase_(std::move(serverBase)) {}

std::string TWineRegistry::DefaultPrefix() {
  if (const char* prefix = std::getenv("WINEPREFIX"); prefix != nullptr && *prefix != '\0') {
    return prefix;
  }
  const char* home = std::getenv("HOME");
  return JoinPath(home != nullptr ? home : "", ".wine");
}

std::string TWineRegistry::DefaultServerBase() {
  return "/tmp/.wine-" + std::to_string(::getuid());
}

std::string TWineRegistry::HiveFile(std::uint32_t root) const {
  if (root == kHkeyCurrentUser) return JoinPath(Prefix_, "user.reg");
  if (root == kHkeyLocalMachine || root == kHkeyClassesRoot) return JoinPath(Prefix_, "system.reg");
  return {};
}

std::string TWineRegistry::HivePrefix(std::uint32_t root) const {
  return root == kHkeyClassesRoot ? "Software\\Classes" : std::string();
}

const TWineHive* TWineRegistry::Hive(std::uint32_t root) {
  const std::string file = HiveFile(root);
  struct stat info {};
  if (file.empty() || ::stat(file.c_str(), &info) != 0) return nullptr;
  TLoaded& loaded = Loaded_[file];
  const std::int64_t stamp = info.st_mtim.tv_sec * 1000000000LL + info.st_mtim.tv_nsec;
  const auto size = static_cast<std::uint64_t>(info.st_size);
  if (loaded.Stamp != stamp || loaded.Size != size || loaded.Inode != info.st_ino) {
    std::string text;
    if (!ReadWholeFile(file, text)) return nullptr;
    loaded = {TWineHive(std::move(text)), stamp, size, info.st_ino};
  }
  return loaded.Hive.HasSignature() ? &loaded.Hive : nullptr;
}

bool TWineRegistry::Writable(std::uint32_t root) const {
  const std::string file = HiveFile(root);
  return !file.empty() && ::access(file.c_str(), W_OK) == 0;
}

std::vector<std::string> TWineRegistry::ServerFolders() const {
  std::vector<std::string> folders = {ServerBase_};
  // Debian's Wine keeps its server folder in a private temporary folder whose name the prefix's
  // "wineserver" file holds.
  std::string name;
  if (ReadWholeFile(JoinPath(Prefix_, "wineserver"), name)) {
    name = name.substr(0, name.find_first_of("\r\n"));
    if (!name.empty() && name.find('/') == std::string::npos && name != "." && name != "..") {
      folders.push_back(JoinPath(FolderOf(ServerBase_), name));
    }
  }
  return folders;
}

bool TWineRegistry::ServerRunning() const {
  struct stat prefix {};
  if (::stat(Prefix_.c_str(), &prefix) != 0) return false;
  const std::string server = "server-" + Hex(prefix.st_dev) + "-" + Hex(prefix.st_ino);
  for (const std::string& folder : ServerFolders()) {
    if (LockHeld(JoinPath(JoinPath(folder, server), "lock"))) return true;
  }
  return false;
}

bool TWineRegistry::LockHeld(const std::string& lock) {
  const int fd = ::open(lock.c_str(), O_RDONLY | O_CLOEXEC);
  if (fd < 0) return false;
  struct flock probe {};
  probe.l_type = F_WRLCK;
  probe.l_whence = SEEK_SET;
  probe.l_start = 0;
  probe.l_len = 1;
  const bool locked = ::fcntl(fd, F_GETLK, &probe) == 0 && probe.l_type != F_UNLCK;
  ::close(fd);
  return locked;
}

void TWineRegistry::Change(std::uint32_t root, const std::function<bool(TWineHive&)>& edit) {
  const std::string file = HiveFile(root);
  const auto refuse = [&](const std::string& why) {
    throw TRegistryError("The registry in " + ShownPath(file) + " cannot be changed: " + why);
  };
  if (file.empty() || Hive(root) == nullptr) {
    throw TRegistryError("No registry file serves " + RootKeyName(root) + " in the Wine prefix " +
                         ShownPath(Prefix_) + ".");
  }
  if (ServerRunning()) {
    refuse(
        "a Wine program is running for this prefix. Close it (or run \"wineserver -k\") and "
        "try again.");
  }
  if (!Writable(root)) refuse(std::strerror(EACCES));
  // Taken, not copied: a large hive is parsed again on its next read in any case.
  TWineHive hive = std::move(Loaded_[file].Hive);
  Loaded_.erase(file);
  if (!edit(hive)) return;
  if (ServerRunning()) refuse("a Wine program started meanwhile.");
  if (const int error = ReplaceFileAtomically(file, hive.Text()); error != 0)
    refuse(std::strerror(error));
}

std::string TWineRegistry::Describe(std::uint32_t root) const {
  const std::string file = HiveFile(root);
  return file.empty() ? "no registry file of the Wine prefix " + ShownPath(Prefix_)
                      : ShownPath(file);
}

}  // namespace nubrix::platform
