#include "platform/TrashItems.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <memory>

#include "platform/Mounts.h"
#include "platform/Paths.h"
#include "platform/SafeOpen.h"
#include "platform/Trash.h"

namespace nubrix::platform {

namespace {

constexpr std::string_view kInfoSuffix = ".trashinfo";

class TFd {
 public:
  explicit TFd(int fd = -1) : Fd_(fd) {}
  ~TFd() {
    if (Fd_ >= 0) close(Fd_);
  }
  TFd(const TFd&) = delete;
  TFd& operator=(const TFd&) = delete;
  TFd& operator=(TFd&& other) noexcept {
    std::swap(Fd_, other.Fd_);
    return *this;
  }
  int Get() const { return Fd_; }
  bool Ok() const { return Fd_ >= 0; }

 private:
  int Fd_;
};

int OpenFolderAt(int at, const char* name, bool followLink) {
  const int flags = O_RDONLY | O_DIRECTORY | O_CLOEXEC | (followLink ? 0 : O_NOFOLLOW);
  const int fd = openat(at, name, flags);
  return fd >= 0 ? fd : -errno;
}

int Hex(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

std::optional<std::string> PercentDecode(std::string_view text) {
  std::string out;
  out.reserve(text.size());
  for (std::size_t i = 0; i < text.size(); ++i) {
    if (text[i] != '%') {
      out.push_back(text[i]);
      continue;
    }
    if (i + 2 >= text.size()) return std::nullopt;
    const int high = Hex(text[i + 1]);
    const int low = Hex(text[i + 2]);
    if (high < 0 || low < 0 || (high == 0 && low == 0)) return std::nullopt;
    out.push_back(static_cast<char>(high * 16 + low));
    i += 2;
  }
  return out;
}

// Absolute, and no empty, "." or ".." segment: a path that can only name one place.
bool IsPlainAbsolutePath(const std::string& path) {
  if (path.size() < 2 || path[0] != '/' || path.back() == '/') return false;
  std::size_t start = 1;
  while (start <= path.size()) {
    std::size_t end = path.find('/', start);
    if (end == std::string::npos) end = path.size();
    const std::string_view segment(path.data() + start, end - start);
    if (segment.empty() || segment == "." || segment == "..") return false;
    start = end + 1;
  }
  return true;
}

std::optional<std::string> ReadInfoAt(int infoFd, const std::string& fileName) {
  return ReadRegularFileAt(infoFd, fileName.c_str(), 65536);
}

// The folder originalPath's item goes into: its ancestors as the path names them, the folder
// itself never through a link; missing folders made again when makeParents.
int OpenParentFolder(const std::string& parent, bool makeParents) {
  TFd at(open("/", O_RDONLY | O_DIRECTORY | O_CLOEXEC));
  if (!at.Ok()) return -errno;
  std::size_t start = 1;
  while (start < parent.size()) {
    std::size_t end = parent.find('/', start);
    if (end == std::string::npos) end = parent.size();
    const std::string segment = parent.substr(start, end - start);
    const bool last = end == parent.size();
    int next = OpenFolderAt(at.Get(), segment.c_str(), !last);
    if (next == -ENOENT && makeParents) {
      if (mkdirat(at.Get(), segment.c_str(), 0777) != 0 && errno != EEXIST) return -errno;
      next = OpenFolderAt(at.Get(), segment.c_str(), false);
    }
    if (next < 0) return next;
    at = TFd(next);
    start = end + 1;
  }
  return dup(at.Get());
}

bool RenameNoReplace(int fromFd, const char* from, int toFd, const char* to) {
  if (renameat2(fromFd, from, toFd, to, RENAME_NOREPLACE) == 0) return true;
  if (errno != EINVAL && errno != ENOSYS) return false;
  // A file system without the flag: check, then rename (the gap is the caller's own folder).
  struct stat info {};
  if (fstatat(toFd, to, &info, AT_SYMLINK_NOFOLLOW) == 0) {
    errno = EEXIST;
    return false;
  }
  return renameat(fromFd, from, toFd, to) == 0;
}

TRestoreOutcome Outcome(TRestoreStatus status, std::string detail) {
  return {status, std::move(detail)};
}

}  // namespace

std::optional<TTrashInfo> ParseTrashInfo(std::string_view text, const std::string& top) {
  TTrashInfo info;
  bool inGroup = false;
  bool havePath = false;
  bool haveDate = false;
  std::size_t start = 0;
  while (start < text.size()) {
    std::size_t end = text.find('\n', start);
    if (end == std::string_view::npos) end = text.size();
    std::string_view line = text.substr(start, end - start);
    if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
    start = end + 1;
    if (line.starts_with('[')) {
      inGroup = line == "[Trash Info]";
    } else if (inGroup && line.starts_with("Path=") && !havePath) {
      const std::optional<std::string> path = PercentDecode(line.substr(5));
      if (!path || path->empty()) return std::nullopt;
      info.Path = (*path)[0] == '/' || top.empty() ? *path : JoinPath(top, *path);
      havePath = true;
    } else if (inGroup && line.starts_with("DeletionDate=") && !haveDate) {
      info.DeletionDate = std::string(line.substr(13));
      haveDate = true;
    }
  }
  if (!havePath || info.Path[0] != '/') return std::nullopt;
  return info;
}

std::string TopOfTrashFolder(const std::string& trashFolder) {
  const std::string folder = WithoutSeparator(trashFolder);
  const std::string name = NameOf(folder);
  if (name.starts_with(".Trash-")) return FolderOf(folder);
  const std::string parent = FolderOf(folder);
  if (NameOf(parent) == ".Trash") return FolderOf(parent);
  return {};
}

std::vector<std::string> TrashFoldersFor(const std::string& path) {
  std::vector<std::string> folders;
  const std::string home = DataHome() + "/Trash";
  if (IsFolder(home)) folders.push_back(home);
  const std::optional<TMountEntry> mount = MountHoldingPath(path);
  if (!mount) return folders;
  const std::string uid = std::to_string(getuid());
  for (const std::string& folder : {JoinPath(mount->MountPoint, ".Trash/" + uid),
                                    JoinPath(mount->MountPoint, ".Trash-" + uid)}) {
    if (IsFolder(folder) && folder != home) folders.push_back(folder);
  }
  return folders;
}

std::string DeletionDateOf(std::time_t time) {
  std::tm local{};
  localtime_r(&time, &local);
  char text[32];
  std::strftime(text, sizeof text, "%Y-%m-%dT%H:%M:%S", &local);
  return text;
}

std::optional<std::string> FindTrashName(const std::string& trashFolder,
                                         const std::string& originalPath,
                                         const std::string& notBefore) {
  TFd info(open(JoinPath(trashFolder, "info").c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
  if (!info.Ok()) return std::nullopt;
  const std::string top = TopOfTrashFolder(trashFolder);
  const std::string base = NameOf(originalPath);
  // Mostly the item keeps its own name; the whole folder is read only when it did not.
  if (const std::optional<std::string> text = ReadInfoAt(info.Get(), base + ".trashinfo")) {
    const std::optional<TTrashInfo> parsed = ParseTrashInfo(*text, top);
    if (parsed && parsed->Path == originalPath && parsed->DeletionDate >= notBefore) return base;
  }
  DIR* dir = fdopendir(dup(info.Get()));
  if (dir == nullptr) return std::nullopt;
  const std::unique_ptr<DIR, int (*)(DIR*)> closer(dir, closedir);
  // A taken name gets a number after its first segment: "a.2.txt", "b.2".
  const std::string stem = base.substr(0, base.find('.'));
  std::optional<std::string> best;
  std::string bestDate;
  std::int64_t bestTime = 0;
  while (const dirent* entry = readdir(dir)) {
    const std::string_view file = entry->d_name;
    if (!file.starts_with(stem) || !file.ends_with(kInfoSuffix)) continue;
    const std::optional<std::string> text = ReadInfoAt(info.Get(), std::string(file));
    if (!text) continue;
    const std::optional<TTrashInfo> parsed = ParseTrashInfo(*text, top);
    if (!parsed || parsed->Path != originalPath || parsed->DeletionDate < notBefore) continue;
    struct stat status {};
    fstatat(info.Get(), entry->d_name, &status, AT_SYMLINK_NOFOLLOW);
    const std::int64_t time = status.st_mtim.tv_sec * 1'000'000'000LL + status.st_mtim.tv_nsec;
    if (best && (parsed->DeletionDate < bestDate ||
                 (parsed->DeletionDate == bestDate && time <= bestTime))) {
      continue;
    }
    best = std::string(file.substr(0, file.size() - kInfoSuffix.size()));
    bestDate = parsed->DeletionDate;
    bestTime = time;
  }
  return best;
}

bool StillInTrash(const std::string& trashFolder, const std::string& name,
                  const std::string& originalPath) {
  if (name.empty() || name.find('/') != std::string::npos) return false;
  struct stat status {};
  if (lstat(JoinPath(trashFolder, "files/" + name).c_str(), &status) != 0) return false;
  TFd info(open(JoinPath(trashFolder, "info").c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
  if (!info.Ok()) return false;
  const std::optional<std::string> text = ReadInfoAt(info.Get(), name + std::string(kInfoSuffix));
  if (!text) return false;
  const std::optional<TTrashInfo> parsed = ParseTrashInfo(*text, TopOfTrashFolder(trashFolder));
  return parsed && parsed->Path == originalPath;
}

bool ParentIsGone(const std::string& originalPath) {
  struct stat status {};
  return stat(FolderOf(originalPath).c_str(), &status) != 0 && errno == ENOENT;
}

TRestoreOutcome RestoreFromTrash(const std::string& trashFolder, const std::string& name,
                                 const std::string& originalPath, bool makeParents) {
  if (!IsPlainAbsolutePath(originalPath)) {
    return Outcome(TRestoreStatus::Failed, originalPath + " is not a place to restore to");
  }
  if (!StillInTrash(trashFolder, name, originalPath)) {
    return Outcome(TRestoreStatus::LeftTrash, originalPath + " is no longer in the trash");
  }
  TFd trash(open(trashFolder.c_str(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC));
  TFd files(trash.Ok() ? OpenFolderAt(trash.Get(), "files", false) : -1);
  TFd info(trash.Ok() ? OpenFolderAt(trash.Get(), "info", false) : -1);
  if (!files.Ok() || !info.Ok()) {
    return Outcome(TRestoreStatus::LeftTrash, originalPath + " is no longer in the trash");
  }
  const std::string parent = FolderOf(originalPath);
  const int parentFd = OpenParentFolder(parent, makeParents);
  if (parentFd == -ENOENT) {
    return Outcome(TRestoreStatus::ParentGone, "the folder " + parent + " is gone");
  }
  if (parentFd < 0) {
    return Outcome(TRestoreStatus::Failed,
                   "cannot open the folder " + parent + ": " + std::strerror(-parentFd));
  }
  const TFd target(parentFd);
  const std::string base = NameOf(originalPath);
  if (!RenameNoReplace(files.Get(), name.c_str(), target.Get(), base.c_str())) {
    const int error = errno;
    if (error == EEXIST || error == ENOTEMPTY) {
      return Outcome(TRestoreStatus::PlaceTaken, "something else is at " + originalPath + " now");
    }
    if (error == ENOENT) {
      return Outcome(TRestoreStatus::LeftTrash, originalPath + " is no longer in the trash");
    }
    return Outcome(TRestoreStatus::Failed,
                   "cannot move " + originalPath + " back: " + std::strerror(error));
  }
  unlinkat(info.Get(), (name + std::string(kInfoSuffix)).c_str(), 0);
  return Outcome(TRestoreStatus::Restored, {});
}

}  // namespace nubrix::platform
