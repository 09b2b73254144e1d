#include "cleaners/TraceCleaning.h"

#include <dirent.h>
#include <fcntl.h>
#include <ftw.h>
#include <glib.h>
#include <signal.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <sstream>
#include <stdexcept>
#include <thread>

#include "platform/Paths.h"
#include "platform/Registry.h"
#include "platform/SpecialFolders.h"

namespace nubrix {

const char* const kEmptyXbel =
    "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
    "<xbel version=\"1.0\"\n"
    "      xmlns:bookmark=\"http://www.freedesktop.org/standards/desktop-bookmarks\"\n"
    "      xmlns:mime=\"http://www.freedesktop.org/standards/shared-mime-info\"\n"
    "></xbel>\n";

namespace {

constexpr std::string_view kVlcSection = "[RecentsMRL]";
constexpr std::string_view kVlcEmpty = "@Invalid()";
constexpr auto kLockWait = std::chrono::seconds(2);

// Calls visit(line, lineEnd) for each line, inside: whether the line lies in [RecentsMRL].
template <typename Visit>
void ForEachVlcLine(std::string_view text, Visit visit) {
  bool inside = false;
  for (std::size_t begin = 0; begin < text.size();) {
    std::size_t end = text.find('\n', begin);
    end = end == std::string_view::npos ? text.size() : end + 1;
    std::string_view line = text.substr(begin, end - begin);
    std::string_view content = line;
    while (!content.empty() && (content.back() == '\n' || content.back() == '\r')) {
      content.remove_suffix(1);
    }
    if (content.starts_with('[')) inside = content == kVlcSection;
    visit(line, content, inside);
    begin = end;
  }
}

int CountListItems(std::string_view value) {
  if (value.empty() || value == kVlcEmpty) return 0;
  int items = 1;
  bool quoted = false;
  for (const char c : value) {
    if (c == '"') quoted = !quoted;
    if (c == ',' && !quoted) ++items;
  }
  return items;
}

std::string HostName() {
  char name[256] = {};
  ::gethostname(name, sizeof name - 1);
  return name;
}

// A lock file as Qt's QLockFile writes it (pid, program, host): KIO and we exclude each other.
class TLockFile {
 public:
  explicit TLockFile(std::string path) : Path_(std::move(path)) {
    const auto deadline = std::chrono::steady_clock::now() + kLockWait;
    while (!TryLock()) {
      if (RemoveIfStale()) continue;
      if (std::chrono::steady_clock::now() > deadline) {
        throw std::runtime_error("The list of recent documents is in use by another program (" +
                                 platform::ShownPath(Path_) + ").");
      }
      std::this_thread::sleep_for(std::chrono::milliseconds(100));
    }
  }
  ~TLockFile() { ::unlink(Path_.c_str()); }
  TLockFile(const TLockFile&) = delete;
  TLockFile& operator=(const TLockFile&) = delete;

 private:
  bool TryLock() {
    const int fd = ::open(Path_.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0644);
    if (fd < 0) {
      if (errno == EEXIST) return false;
      throw std::runtime_error("Cannot lock the list of recent documents: " +
                               std::string(std::strerror(errno)));
    }
    const std::string content = std::to_string(::getpid()) + "\nnubrix\n" + HostName() + "\n";
    const bool written =
        ::write(fd, content.data(), content.size()) == static_cast<ssize_t>(content.size());
    ::close(fd);
    if (!written) throw std::runtime_error("Cannot lock the list of recent documents.");
    return true;
  }
  // A lock of this host whose program has gone.
  bool RemoveIfStale() {
    std::string content;
    if (!platform::ReadWholeFile(Path_, content)) return true;  // gone meanwhile
    std::istringstream lines(content);
    std::string pid;
    std::string program;
    std::string host;
    std::getline(lines, pid);
    std::getline(lines, program);
    std::getline(lines, host);
    const long number = std::strtol(pid.c_str(), nullptr, 10);
    if (host != HostName() || number <= 0) return false;
    if (::kill(static_cast<pid_t>(number), 0) == 0 || errno != ESRCH) return false;
    ::unlink(Path_.c_str());
    return true;
  }

  std::string Path_;
};

std::vector<std::string> KdeEntries(const std::string& folder) {
  std::vector<std::string> entries;
  DIR* dir = ::opendir(folder.c_str());
  if (dir == nullptr) return entries;
  while (const dirent* entry = ::readdir(dir)) {
    const std::string name = entry->d_name;
    if (name.size() > 8 && name.ends_with(".desktop")) entries.push_back(name);
  }
  ::closedir(dir);
  return entries;
}

int CountBookmarks(const std::string& xbel) {
  std::string text;
  if (!platform::ReadWholeFile(xbel, text)) return 0;
  int count = 0;
  for (std::size_t at = text.find("<bookmark "); at != std::string::npos;
       at = text.find("<bookmark ", at + 1)) {
    ++count;
  }
  return count;
}

thread_local std::int64_t* gBytes = nullptr;

int AddBytes(const char*, const struct stat* info, int type, FTW*) {
  if (type == FTW_F || type == FTW_SL) *gBytes += info->st_size;
  return 0;
}

std::string FindTool(const char* name) {
  gchar* found = g_find_program_in_path(name);
  std::string path = found != nullptr ? found : "";
  g_free(found);
  for (const char* folder : {"/usr/sbin/", "/sbin/"}) {
    if (path.empty() && ::access((std::string(folder) + name).c_str(), X_OK) == 0) {
      path = std::string(folder) + name;
    }
  }
  return path;
}

bool Spawn(std::vector<std::string> arguments) {
  std::vector<gchar*> argv;
  argv.reserve(arguments.size() + 1);
  for (std::string& argument : arguments) argv.push_back(argument.data());
  argv.push_back(nullptr);
  return g_spawn_async(nullptr, argv.data(), nullptr, G_SPAWN_DEFAULT, nullptr, nullptr, nullptr,
                       nullptr) != FALSE;
}

// The first installed candidate, started without waiting: whether one was.
bool StartFirst(const std::vector<std::vector<std::string>>& candidates) {
  for (std::vector<std::string> candidate : candidates) {
    const std::string program = FindTool(candidate.front().c_str());
    if (program.empty()) continue;
    candidate.front() = program;
    return Spawn(std::move(candidate));
  }
  return false;
}

}  // namespace

TTraceEnvironment TTraceEnvironment::OfUser() {
  TTraceEnvironment environment;
  environment.Homes = platform::TBrowserHomes::OfUser();
  environment.DataHome = platform::DataHome();
  environment.KdeRecent = platform::RecentDocumentsFolder();
  environment.VlcConfig = VlcConfigFile(environment.Homes.ConfigHome);
  return environment;
}

std::vector<std::string> TTraceEnvironment::TrashPaths() const {
  if (!Trash) return platform::UserTrashFolders();
  std::vector<std::string> paths;
  for (const platform::TTrashFolder& folder : *Trash) paths.push_back(folder.Path(::getuid()));
  return paths;
}

platform::TEmptyResult TTraceEnvironment::EmptyTrash() const {
  return Trash ? platform::EmptyTrash(*Trash, ::getuid()) : platform::EmptyAllTrash();
}

int ClearKeyValues(platform::IRegistryStore& store, std::uint32_t root, std::string_view key) {
  platform::TRegistry registry(store);
  registry.SetRootKey(root);
  if (!registry.OpenKey(key)) return 0;
  std::vector<std::string> names = registry.GetValueNames();
  std::reverse(names.begin(), names.end());
  return registry.DeleteValues(names);
}

int CountKeyValues(platform::IRegistryStore& store, std::uint32_t root, std::string_view key) {
  platform::TRegistry registry(store);
  registry.SetRootKey(root);
  return registry.OpenKeyReadOnly(key) ? static_cast<int>(registry.GetValueNames().size()) : 0;
}

std::string VlcConfigFile(const std::string& configHome) {
  return platform::JoinPath(configHome, "vlc/vlc-qt-interface.conf");
}

int CountVlcRecent(std::string_view configText) {
  int count = 0;
  ForEachVlcLine(configText, [&](std::string_view, std::string_view content, bool inside) {
    if (inside && content.starts_with("list=")) count = CountListItems(content.substr(5));
  });
  return count;
}

std::string ClearedVlcText(std::string_view configText) {
  std::string out;
  out.reserve(configText.size());
  ForEachVlcLine(configText, [&](std::string_view line, std::string_view content, bool inside) {
    const std::size_t equals = content.find('=');
    const std::string_view key = content.substr(0, equals);
    if (!inside || equals == std::string_view::npos || (key != "list" && key != "times")) {
      out += line;
      return;
    }
    out += key;
    out += '=';
    out += kVlcEmpty;
    out += line.substr(content.size());
  });
  return out;
}

int ClearVlcRecent(const std::string& configFile) {
  std::string text;
  if (!platform::ReadWholeFile(configFile, text)) return 0;
  const int entries = CountVlcRecent(text);
  const std::string cleared = ClearedVlcText(text);
  if (cleared == text) return 0;
  if (const int error = platform::ReplaceFileAtomically(configFile, cleared); error != 0) {
    throw std::runtime_error("Cannot write " + platform::ShownPath(configFile) + ": " +
                             std::strerror(error));
  }
  return entries;
}

TRecentResult ClearRecentDocuments(const std::string& dataHome, const std::string& kdeFolder) {
  TRecentResult result;
  const std::string xbel = platform::JoinPath(dataHome, "recently-used.xbel");
  if (platform::Exists(xbel)) {
    result.Entries = CountBookmarks(xbel);
    const TLockFile lock(xbel + ".lock");
    if (const int error = platform::ReplaceFileAtomically(xbel, kEmptyXbel); error != 0) {
      throw std::runtime_error("Cannot write " + platform::ShownPath(xbel) + ": " +
                               std::strerror(error));
    }
  }
  for (const std::string& name : KdeEntries(kdeFolder)) {
    const std::string path = platform::JoinPath(kdeFolder, name);
    struct stat info {};
    if (::lstat(path.c_str(), &info) == 0 && !S_ISDIR(info.st_mode) &&
        ::unlink(path.c_str()) == 0) {
      ++result.KdeRemoved;
    }
  }
  return result;
}

int CountRecentDocuments(const std::string& dataHome, const std::string& kdeFolder) {
  return CountBookmarks(platform::JoinPath(dataHome, "recently-used.xbel")) +
         static_cast<int>(KdeEntries(kdeFolder).size());
}

TTrashPreview PreviewTrash(const std::vector<std::string>& trashFolders) {
  TTrashPreview preview;
  for (const std::string& folder : trashFolders) {
    const std::string files = platform::JoinPath(folder, "files");
    DIR* dir = ::opendir(files.c_str());
    if (dir == nullptr) continue;
    while (const dirent* entry = ::readdir(dir)) {
      if (std::strcmp(entry->d_name, ".") != 0 && std::strcmp(entry->d_name, "..") != 0) {
        ++preview.Items;
      }
    }
    ::closedir(dir);
    gBytes = &preview.Bytes;
    ::nftw(files.c_str(), AddBytes, 16, FTW_PHYS | FTW_MOUNT);
    gBytes = nullptr;
  }
  return preview;
}

namespace {

// 1234567 -> "1,234,567".
std::string Grouped(std::int64_t number) {
  std::string digits = std::to_string(number < 0 ? -number : number);
  for (int at = static_cast<int>(digits.size()) - 3; at > 0; at -= 3)
    digits.insert(static_cast<std::size_t>(at), ",");
  return (number < 0 ? "-" : "") + digits;
}

std::string Counted(std::int64_t count, const char* one, const char* many) {
  return Grouped(count) + " " + (count == 1 ? one : many);
}

std::string Megabytes(std::int64_t bytes) {
  char text[32];
  std::snprintf(text, sizeof text, "%.1f MB", static_cast<double>(bytes) / 1048576.0);
  return text;
}

std::string Joined(const std::vector<std::string>& parts) {
  std::string text;
  for (const std::string& part : parts) text += (text.empty() ? "" : "; ") + part;
  return text;
}

int Values(platform::IRegistryStore& registry, std::string_view key) {
  try {
    return CountKeyValues(registry, platform::kHkeyCurrentUser, key);
  } catch (const std::exception&) {
    return 0;
  }
}

}  // namespace

std::vector<std::pair<std::string, std::string>> SummarizeTraces(
    const TTraceEnvironment& environment, platform::IRegistryStore& registry) {
  const TIEStuff browsers(platform::FindBrowserProfiles(environment.Homes));
  int files = 0;
  std::int64_t bytes = 0;
  int visits = 0;
  int withHistory = 0;
  int typed = 0;
  std::vector<std::string> running;
  for (const TProfilePreview& profile : browsers.Preview()) {
    if (profile.Running) {
      running.push_back(profile.Browser + " is running");
      continue;
    }
    files += profile.CacheFiles;
    bytes += profile.CacheBytes;
    withHistory += profile.HistoryRows > 0 ? 1 : 0;
    visits += std::max(profile.HistoryRows, 0);
    typed += std::max(profile.TypedRows, 0);
  }
  std::sort(running.begin(), running.end());
  running.erase(std::unique(running.begin(), running.end()), running.end());
  const auto withRunning = [&](const std::string& text) {
    return running.empty() ? text : Joined({text, Joined(running)});
  };
  std::string vlc;
  const int vlcFiles =
      platform::ReadWholeFile(environment.VlcConfig, vlc) ? CountVlcRecent(vlc) : 0;
  const TTrashPreview trash = PreviewTrash(environment.TrashPaths());
  return {{"cache", withRunning(Counted(files, "file", "files") + ", " + Megabytes(bytes))},
          {"history", withRunning(Counted(visits, "visit", "visits") + " in " +
                                  Counted(withHistory, "profile", "profiles"))},
          {"typed-addresses", withRunning(Counted(typed, "address", "addresses") + ", " +
                                          Counted(Values(registry, kTypedUrlsKey), "registry value",
                                                  "registry values"))},
          {"recent-documents",
           Counted(CountRecentDocuments(environment.DataHome, environment.KdeRecent), "document",
                   "documents")},
          {"media-history",
           Counted(vlcFiles, "file", "files") + ", " +
               Counted(Values(registry, kMediaHistoryKey), "registry value", "registry values")},
          {"trash", Counted(trash.Items, "item", "items") + ", " + Megabytes(trash.Bytes)}};
}

void TTraceParts::Run(const std::function<std::string()>& part) {
  try {
    Done_.push_back(part());
  } catch (const std::exception& refusal) {
    Refused_.emplace_back(refusal.what());
  }
}

std::string TTraceParts::Report() const {
  std::string text;
  for (const std::string& done : Done_) text += (text.empty() ? "" : ", ") + done;
  if (Refused_.empty()) return text;
  std::string message = text.empty() ? std::string("Nothing was cleared.") : text + ".";
  for (const std::string& refusal : Refused_) message += "\r\n" + refusal;
  throw TTraceError(message);
}

namespace {

std::vector<std::string> DefragCommand(const std::string& mountPoint,
                                       const std::string& fileSystemType) {
  if (fileSystemType == "ext4") return {"e4defrag", mountPoint};
  if (fileSystemType == "btrfs") return {"btrfs", "filesystem", "defragment", "-r", mountPoint};
  if (fileSystemType == "xfs") return {"xfs_fsr", mountPoint};
  return {};
}

}  // namespace

std::string DefragQuestion(const std::string& mountPoint, const std::string& fileSystemType) {
  const std::vector<std::string> command = DefragCommand(mountPoint, fileSystemType);
  if (command.empty() || FindTool(command.front().c_str()).empty() || FindTool("pkexec").empty())
    return {};
  const std::string tool = command.front() == "btrfs" ? "btrfs filesystem defragment" : command[0];
  return "Defragment " + mountPoint + " (" + fileSystemType + ") with " + tool +
         "? It can take long.";
}

bool StartDefragmenter(const std::string& mountPoint, const std::string& fileSystemType) {
  std::vector<std::string> command = DefragCommand(mountPoint, fileSystemType);
  const std::string pkexec = FindTool("pkexec");
  if (command.empty() || pkexec.empty()) return false;
  const std::string tool = FindTool(command.front().c_str());
  if (tool.empty()) return false;
  command.front() = tool;
  command.insert(command.begin(), pkexec);
  return Spawn(std::move(command));
}

bool StartDiskCleanup() {
  return StartFirst({{"bleachbit"}, {"baobab"}, {"filelight"}, {"sweeper"}, {"gnome-usage"}});
}

bool OpenUninstallService() {
  return StartFirst(
      {{"gnome-software", "--mode=installed"}, {"plasma-discover"}, {"synaptic-pkexec"}});
}

}  // namespace nubrix
