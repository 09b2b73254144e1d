#include "scanfile/ScanExport.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <ctime>
#include <vector>

#include "platform/Paths.h"
#include "sizetree/DirSource.h"
#include "version/Version.h"

namespace nubrix {

namespace {

constexpr std::size_t kFlushBytes = 256 << 10;
constexpr std::size_t kListBufferBytes = 64 << 10;

// Buffered writes to a descriptor; the first error sticks and later writes are dropped.
class TWriter {
 public:
  explicit TWriter(int fd) : Fd_(fd) { Buffer_.reserve(kFlushBytes * 2); }
  std::string& Text() { return Buffer_; }
  void MaybeFlush() {
    if (Buffer_.size() >= kFlushBytes) Flush();
  }
  void Flush() {
    std::size_t done = 0;
    while (Error_ == 0 && done < Buffer_.size()) {
      const ssize_t wrote = write(Fd_, Buffer_.data() + done, Buffer_.size() - done);
      if (wrote < 0 && errno == EINTR) continue;
      if (wrote < 0) Error_ = errno;
      if (wrote > 0) done += static_cast<std::size_t>(wrote);
    }
    Buffer_.clear();
  }
  int Error() const { return Error_; }

 private:
  int Fd_;
  int Error_ = 0;
  std::string Buffer_;
};

void AppendNumber(std::string& out, const char* key, std::uint64_t value) {
  out += ",\"";
  out += key;
  out += "\":";
  out += std::to_string(value);
}

// The keys of one entry after its name.
void AppendSizes(std::string& out, const struct stat& info) {
  AppendNumber(out, "asize", static_cast<std::uint64_t>(info.st_size));
  AppendNumber(out, "dsize", static_cast<std::uint64_t>(info.st_blocks) * 512);
}

struct TFrame {
  int Fd = -1;
  std::vector<std::string> Subfolders;
  std::size_t Next = 0;
};

class TExport {
 public:
  TExport(int out, const std::atomic<bool>* cancel) : Out_(out), Cancel_(cancel) {}
  TExportResult Run(const std::string& folder);

 private:
  bool Stopped() const { return Cancel_ != nullptr && Cancel_->load(std::memory_order_relaxed); }
  // Opens the folder's array: its info object, then its files; the subfolders wait in frame.
  void Enter(int fd, std::string_view name, TFrame& frame);
  void EnterSubfolder(TFrame& parent);

  TWriter Out_;
  const std::atomic<bool>* Cancel_;
  TDirSource& Source_ = TDirSource::System();
  std::vector<char> Listing_ = std::vector<char>(kListBufferBytes);
  std::string Files_;           // the current folder's files, written after its info object
  std::vector<TFrame> Frames_;  // the folders entered, the deepest last
  TExportResult Result_;
};

void TExport::Enter(int fd, std::string_view name, TFrame& frame) {
  frame.Fd = fd;
  Files_.clear();
  const int error = ForEachEntry(
      Source_, fd, Listing_, [&](const char* entry, std::size_t length, unsigned char) {
        if (entry[0] == '.') return true;  // dot names, "." and ".." among them
        struct stat info {};
        if (fstatat(fd, entry, &info, AT_SYMLINK_NOFOLLOW | AT_NO_AUTOMOUNT) != 0) return true;
        if (S_ISDIR(info.st_mode)) {
          frame.Subfolders.emplace_back(entry, length);
          return true;
        }
        Files_ += ",\n{\"name\":";
        AppendJsonString(Files_, std::string_view(entry, length));
        AppendSizes(Files_, info);
        if (!S_ISREG(info.st_mode)) Files_ += ",\"notreg\":true";
        if (info.st_nlink > 1) {
          AppendNumber(Files_, "ino", info.st_ino);
          AppendNumber(Files_, "nlink", info.st_nlink);
          Files_ += ",\"hlnkc\":true";
        }
        Files_ += '}';
        ++Result_.Entries;
        return true;
      });
  std::string& out = Out_.Text();
  out += "[{\"name\":";
  AppendJsonString(out, name);
  struct stat self {};
  if (fstat(fd, &self) == 0) {
    AppendSizes(out, self);
    AppendNumber(out, "dev", self.st_dev);
    AppendNumber(out, "ino", self.st_ino);
  }
  if (error != 0) {
    out += ",\"read_error\":true";
    ++Result_.UnreadableFolders;
  }
  out += '}';
  out += Files_;
  ++Result_.Entries;
  Out_.MaybeFlush();
}

void TExport::EnterSubfolder(TFrame& parent) {
  const std::string& name = parent.Subfolders[parent.Next++];
  std::string& out = Out_.Text();
  out += ",\n";
  const int fd = Source_.OpenSubfolder(parent.Fd, name.c_str());
  if (fd == -EXDEV) {
    out += "{\"name\":";
    AppendJsonString(out, name);
    out += ",\"excluded\":\"otherfs\"}";
    ++Result_.Entries;
    return;
  }
  if (fd < 0) {
    out += "[{\"name\":";
    AppendJsonString(out, name);
    out += ",\"read_error\":true}]";
    ++Result_.Entries;
    ++Result_.UnreadableFolders;
    return;
  }
  Frames_.emplace_back();
  Enter(fd, name, Frames_.back());
}

TExportResult TExport::Run(const std::string& folder) {
  std::string& out = Out_.Text();
  out += "[1,2,{\"progname\":\"nubrix-scan\",\"progver\":\"" NUBRIX_VERSION "\",\"timestamp\":";
  out += std::to_string(static_cast<long long>(std::time(nullptr)));
  out += "},\n";
  // The top folder is named by its full path, as the kernel resolves it.
  char* real = realpath(folder.c_str(), nullptr);
  const std::string name = platform::WithoutSeparator(real != nullptr ? std::string(real) : folder);
  std::free(real);
  const int root = Source_.OpenRoot(folder);
  if (root < 0) {
    out += "[{\"name\":";
    AppendJsonString(out, name);
    out += ",\"read_error\":true}]";
    ++Result_.UnreadableFolders;
  } else {
    Frames_.emplace_back();
    Enter(root, name, Frames_.back());
  }
  while (!Frames_.empty()) {
    if (Stopped()) {
      Result_.Cancelled = true;
      break;
    }
    TFrame& top = Frames_.back();
    if (top.Next < top.Subfolders.size()) {
      EnterSubfolder(top);
      continue;
    }
    Source_.Close(top.Fd);
    Frames_.pop_back();
    Out_.Text() += ']';
  }
  for (const TFrame& frame : Frames_) Source_.Close(frame.Fd);
  if (!Result_.Cancelled) {
    Out_.Text() += "]\n";
    Out_.Flush();
  }
  Result_.WriteError = Out_.Error();
  return Result_;
}

}  // namespace

void AppendJsonString(std::string& out, std::string_view bytes) {
  static constexpr char kHex[] = "0123456789abcdef";
  out += '"';
  for (const char c : bytes) {
    const auto byte = static_cast<unsigned char>(c);
    if (c == '"' || c == '\\') {
      out += '\\';
      out += c;
    } else if (byte < 0x20) {
      out += "\\u00";
      out += kHex[byte >> 4];
      out += kHex[byte & 15];
    } else {
      out += c;
    }
  }
  out += '"';
}

TExportResult ExportScan(const std::string& folder, int out, const std::atomic<bool>* cancel) {
  return TExport(out, cancel).Run(folder);
}

}  // namespace nubrix
