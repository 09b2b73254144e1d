#include "platform/FolderWalker.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <optional>

#include "platform/Mounts.h"
#include "platform/Paths.h"
#include "platform/SafeOpen.h"

namespace nubrix::platform {

namespace {

struct TFrame {
  int Fd = -1;
  std::string Path;
  int Depth = 0;
  std::vector<TWalkEntry> Entries;
  std::size_t Next = 0;  // the next entry to consider for entering
};

bool Cancelled(const TWalkOptions& options) {
  return options.Cancel != nullptr && options.Cancel->load(std::memory_order_relaxed);
}

TEntryKind KindOf(int dirFd, const dirent& entry) {
  switch (entry.d_type) {
    case DT_DIR:
      return TEntryKind::Folder;
    case DT_REG:
      return TEntryKind::File;
    case DT_LNK:
      return TEntryKind::Link;
    case DT_UNKNOWN:
      break;
    default:
      return TEntryKind::Other;
  }
  struct stat info {};
  if (fstatat(dirFd, entry.d_name, &info, AT_SYMLINK_NOFOLLOW) != 0) return TEntryKind::Other;
  if (S_ISDIR(info.st_mode)) return TEntryKind::Folder;
  if (S_ISREG(info.st_mode)) return TEntryKind::File;
  return S_ISLNK(info.st_mode) ? TEntryKind::Link : TEntryKind::Other;
}

// The listing of an open folder; 0 or the errno that ended it. The descriptor keeps its place.
int ListFolder(int fd, std::vector<TWalkEntry>& entries, const TWalkOptions& options) {
  const int listing = dup(fd);
  if (listing < 0) return errno;
  DIR* dir = fdopendir(listing);
  if (dir == nullptr) {
    const int error = errno;
    close(listing);
    return error;
  }
  rewinddir(dir);
  int error = 0;
  for (;;) {
    if (Cancelled(options)) break;
    errno = 0;
    const dirent* entry = readdir(dir);
    if (entry == nullptr) {
      error = errno;
      break;
    }
    const std::string_view name = entry->d_name;
    if (name == "." || name == "..") continue;
    entries.push_back({std::string(name), KindOf(fd, *entry)});
  }
  closedir(dir);
  return error;
}

bool RefusedStart(const std::string& path, const TWalkOptions& options) {
  if (options.AllowNetworkStart) return false;
  const std::optional<TMountEntry> mount = MountHoldingPath(path);
  return mount && (IsNetworkFileSystem(mount->FsType) || IsPseudoFileSystem(mount->FsType));
}

class TWalk {
 public:
  TWalk(const TWalkOptions& options, const TFolderVisit& visit, const TEnterRule& enter)
      : Options_(options), Visit_(visit), Enter_(enter) {}
  ~TWalk() {
    for (const TFrame& frame : Stack_) close(frame.Fd);
  }
  TWalk(const TWalk&) = delete;
  TWalk& operator=(const TWalk&) = delete;

  TWalkResult Run(const std::string& start) {
    const std::string path = WithoutSeparator(start);
    if (RefusedStart(path, Options_)) {
      Result_.Errors.push_back({path, EREMOTE});
      return std::move(Result_);
    }
    const int fd = open(path.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC | O_NOCTTY);
    if (fd < 0) {
      Result_.Errors.push_back({path, errno});
      return std::move(Result_);
    }
    Push(fd, path, 0);
    while (!Stack_.empty()) {
      if (Cancelled(Options_)) {
        Result_.Cancelled = true;
        break;
      }
      Step();
    }
    return std::move(Result_);
  }

 private:
  void Push(int fd, std::string path, int depth) {
    TFrame frame{fd, std::move(path), depth, {}, 0};
    const int error = ListFolder(fd, frame.Entries, Options_);
    if (error != 0) Result_.Errors.push_back({frame.Path, error});
    ++Result_.Folders;
    Visit_(TWalkFolder{frame.Fd, frame.Path, frame.Depth, frame.Entries});
    Stack_.push_back(std::move(frame));
  }

  // Enters the next subfolder of the deepest open folder, or leaves that folder.
  void Step() {
    TFrame& top = Stack_.back();
    while (top.Next < top.Entries.size()) {
      const TWalkEntry& entry = top.Entries[top.Next++];
      if (entry.Kind != TEntryKind::Folder) continue;
      if (entry.Name[0] == '.' && !Options_.EnterDotFolders) continue;
      if (Enter_ && !Enter_(TWalkFolder{top.Fd, top.Path, top.Depth, top.Entries}, entry)) continue;
      const std::string path = JoinPath(top.Path, entry.Name);
      const int fd = OpenSubfolderAt(top.Fd, entry.Name.c_str());
      if (fd == -EXDEV || fd == -ELOOP || fd == -ENOTDIR || fd == -ENOENT)
        continue;  // a mount, a link, gone
      if (fd < 0) {
        Result_.Errors.push_back({path, -fd});
        continue;
      }
      Push(fd, path, top.Depth + 1);  // invalidates top
      return;
    }
    close(top.Fd);
    Stack_.pop_back();
  }

  const TWalkOptions& Options_;
  const TFolderVisit& Visit_;
  const TEnterRule& Enter_;
  std::vector<TFrame> Stack_;
  TWalkResult Result_;
};

}  // namespace

TWalkResult WalkFolderTree(const std::string& start, const TWalkOptions& options,
                           const TFolderVisit& visit, const TEnterRule& enter) {
  return TWalk(options, visit, enter).Run(start);
}

}  // namespace nubrix::platform
