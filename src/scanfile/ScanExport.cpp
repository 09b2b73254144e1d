#include "scanfile/ScanExport.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <charconv>
#include <condition_variable>
#include <cstdlib>
#include <ctime>
#include <deque>
#include <memory>
#include <mutex>
#include <thread>
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
  char digits[24];
  out.append(digits, std::to_chars(digits, digits + sizeof digits, value).ptr);
}

// The keys of one entry after its name.
void AppendSizes(std::string& out, const struct stat& info) {
  AppendNumber(out, "asize", static_cast<std::uint64_t>(info.st_size));
  AppendNumber(out, "dsize", static_cast<std::uint64_t>(info.st_blocks) * 512);
}

// One folder as a helper lists it ahead of the writer: opened below its parent, its files as
// entries of the file, its subfolders' names.
constexpr int kQueued = 0;
constexpr int kRunning = 1;
constexpr int kReady = 2;

struct TListing {
  std::atomic<int> State{kQueued};
  int ParentFd = -1;
  std::string Name;
  int Fd = -1;
  int OpenError = 0;  // errno of opening it
  int ListError = 0;  // errno that cut its listing short
  struct stat Self {};
  std::string Files;  // each entry after ",\n"
  std::vector<std::shared_ptr<TListing>> Subfolders;
  std::uint64_t Entries = 0;
};

using TListingPtr = std::shared_ptr<TListing>;

void OpenAndList(TListing& listing, std::vector<char>& buffer) {
  TDirSource& source = TDirSource::System();
  if (listing.Fd < 0) {
    const int fd = source.OpenSubfolder(listing.ParentFd, listing.Name.c_str());
    if (fd < 0) {
      listing.OpenError = -fd;
      return;
    }
    listing.Fd = fd;
  }
  const int fd = listing.Fd;
  fstat(fd, &listing.Self);
  std::string& files = listing.Files;
  listing.ListError = ForEachEntry(
      source, fd, buffer, [&](const char* entry, std::size_t length, unsigned char type) {
        if (entry[0] == '.') return true;  // dot names, "." and ".." among them
        struct stat info {};
        // A folder is described when it is opened: the listing's type spares a call.
        const bool folder = type == kTypeDirectory;
        if (!folder && fstatat(fd, entry, &info, AT_SYMLINK_NOFOLLOW | AT_NO_AUTOMOUNT) != 0)
          return true;
        if (folder || S_ISDIR(info.st_mode)) {
          auto subfolder = std::make_shared<TListing>();
          subfolder->ParentFd = fd;
          subfolder->Name.assign(entry, length);
          listing.Subfolders.push_back(std::move(subfolder));
          return true;
        }
        files += ",\n{\"name\":";
        AppendJsonString(files, std::string_view(entry, length));
        AppendSizes(files, info);
        if (!S_ISREG(info.st_mode)) files += ",\"notreg\":true";
        if (info.st_nlink > 1) {
          AppendNumber(files, "ino", info.st_ino);
          AppendNumber(files, "nlink", info.st_nlink);
          files += ",\"hlnkc\":true";
        }
        files += '}';
        ++listing.Entries;
        return true;
      });
}

// Helpers that list the folders the writer will need next, in the order it needs them: the
// subfolders of a folder just listed go to the front, so the helpers run ahead of the writer
// depth first. They pause when many listings wait ready (each may hold its folder open) and go
// on when half of those are written; a listing the writer needs that no helper has started, it
// makes itself. The writer meets the helpers at a lock only to take work from them.
class TListers {
 public:
  explicit TListers(int threads) {
    for (int i = 0; i < threads; ++i) Threads_.emplace_back([this] { Work(); });
  }
  ~TListers() { Stop(); }
  TListers(const TListers&) = delete;
  TListers& operator=(const TListers&) = delete;

  // Waits for the helpers to end what they are listing.
  void Stop() {
    {
      std::lock_guard lock(Mutex_);
      Stop_ = true;
    }
    Work_.notify_all();
    for (std::thread& thread : Threads_) thread.join();
    Threads_.clear();
  }

  void Submit(const std::vector<TListingPtr>& batch) {
    if (batch.empty() || Threads_.empty()) return;
    std::size_t wake = 0;
    {
      std::lock_guard lock(Mutex_);
      Queue_.insert(Queue_.begin(), batch.begin(), batch.end());
      wake = std::min<std::size_t>(batch.size(), Idle_);
    }
    // Only helpers that sleep are woken: the others come back for more anyway.
    for (std::size_t i = 0; i < wake; ++i) Work_.notify_one();
  }

  void Await(TListing& listing) {
    int state = kQueued;
    if (listing.State.compare_exchange_strong(state, kRunning)) {
      List(listing, Buffer_);
      return;
    }
    // Rather than wait, the writer lists what the helpers would list next.
    while ((state = listing.State.load(std::memory_order_acquire)) != kReady) {
      if (const TListingPtr other = TakeQueued()) {
        List(*other, Buffer_);
        Ahead_.fetch_add(1);
        other->State.store(kReady, std::memory_order_release);
        other->State.notify_one();
      } else {
        listing.State.wait(state);
      }
    }
    if (Ahead_.fetch_sub(1) == kResume + 1) {
      std::lock_guard lock(Mutex_);
      Work_.notify_all();
    }
  }

 private:
  static constexpr int kPause = 512;
  static constexpr int kResume = 256;

  void List(TListing& listing, std::vector<char>& buffer) {
    OpenAndList(listing, buffer);
    // A folder without subfolders is not needed open any more.
    if (listing.Subfolders.empty() && listing.Fd >= 0) {
      close(listing.Fd);
      listing.Fd = -1;
    }
    Submit(listing.Subfolders);
  }

  // The next listing no one has started, now the caller's; null when there is none.
  TListingPtr TakeQueued() {
    std::lock_guard lock(Mutex_);
    while (!Queue_.empty()) {
      TListingPtr listing = std::move(Queue_.front());
      Queue_.pop_front();
      int state = kQueued;
      if (listing->State.compare_exchange_strong(state, kRunning)) return listing;
    }
    return nullptr;
  }

  void Work() {
    std::vector<char> buffer(kListBufferBytes);
    std::unique_lock lock(Mutex_);
    for (;;) {
      ++Idle_;
      Work_.wait(lock, [&] { return Stop_ || (!Queue_.empty() && Ahead_.load() < kPause); });
      --Idle_;
      if (Stop_) return;
      const TListingPtr listing = Queue_.front();
      Queue_.pop_front();
      int state = kQueued;
      if (!listing->State.compare_exchange_strong(state, kRunning)) continue;  // the writer's
      lock.unlock();
      List(*listing, buffer);
      Ahead_.fetch_add(1);
      listing->State.store(kReady, std::memory_order_release);
      listing->State.notify_one();
      lock.lock();
    }
  }

  std::mutex Mutex_;
  std::condition_variable Work_;  // for the helpers: something to list, or room to list it
  int Idle_ = 0;                  // helpers asleep
  std::deque<TListingPtr> Queue_;
  bool Stop_ = false;
  std::atomic<int> Ahead_{0};  // listings ready that the writer has not taken
  std::vector<char> Buffer_ = std::vector<char>(kListBufferBytes);  // the writer's own
  std::vector<std::thread> Threads_;
};

struct TFrame {
  int Fd = -1;
  std::vector<TListingPtr> Subfolders;
  std::size_t Next = 0;
};

class TExport {
 public:
  TExport(int out, const std::atomic<bool>* cancel, int threads)
      : Out_(out), Cancel_(cancel), Listers_(threads) {}
  TExportResult Run(const std::string& folder);

 private:
  bool Stopped() const { return Cancel_ != nullptr && Cancel_->load(std::memory_order_relaxed); }
  // Writes the folder's info object and its files, and hands its subfolders to the listers.
  void Enter(TListing& listing, std::string_view name);
  void Next(TFrame& parent);
  void CloseAll();

  TWriter Out_;
  const std::atomic<bool>* Cancel_;
  TListers Listers_;
  std::vector<TFrame> Frames_;  // the folders entered, the deepest last
  TExportResult Result_;
};

void TExport::Enter(TListing& listing, std::string_view name) {
  std::string& out = Out_.Text();
  out += "[{\"name\":";
  AppendJsonString(out, name);
  AppendSizes(out, listing.Self);
  AppendNumber(out, "dev", listing.Self.st_dev);
  AppendNumber(out, "ino", listing.Self.st_ino);
  if (listing.ListError != 0) {
    out += ",\"read_error\":true";
    ++Result_.UnreadableFolders;
  }
  out += '}';
  out += listing.Files;
  Result_.Entries += listing.Entries + 1;
  TFrame frame;
  frame.Fd = listing.Fd;
  frame.Subfolders = std::move(listing.Subfolders);
  listing.Files = std::string();
  Frames_.push_back(std::move(frame));
  Out_.MaybeFlush();
}

void TExport::Next(TFrame& parent) {
  const TListingPtr listing = parent.Subfolders[parent.Next];
  parent.Subfolders[parent.Next++].reset();
  Listers_.Await(*listing);
  std::string& out = Out_.Text();
  out += ",\n";
  if (listing->OpenError == EXDEV) {
    out += "{\"name\":";
    AppendJsonString(out, listing->Name);
    out += ",\"excluded\":\"otherfs\"}";
    ++Result_.Entries;
  } else if (listing->OpenError != 0) {
    out += "[{\"name\":";
    AppendJsonString(out, listing->Name);
    out += ",\"read_error\":true}]";
    ++Result_.Entries;
    ++Result_.UnreadableFolders;
  } else {
    Enter(*listing, listing->Name);
  }
}

// After a cancel: the folders entered, and those listed ahead and never written.
void TExport::CloseAll() {
  std::vector<TListingPtr> ahead;
  for (const TFrame& frame : Frames_) {
    ahead.insert(ahead.end(), frame.Subfolders.begin() + static_cast<std::ptrdiff_t>(frame.Next),
                 frame.Subfolders.end());
    if (frame.Fd >= 0) close(frame.Fd);
  }
  while (!ahead.empty()) {
    const TListingPtr listing = std::move(ahead.back());
    ahead.pop_back();
    if (listing->Fd >= 0) close(listing->Fd);
    ahead.insert(ahead.end(), listing->Subfolders.begin(), listing->Subfolders.end());
  }
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
  TListing root;
  root.Fd = TDirSource::System().OpenRoot(folder);
  if (root.Fd < 0) {
    out += "[{\"name\":";
    AppendJsonString(out, name);
    out += ",\"read_error\":true}]";
    ++Result_.UnreadableFolders;
  } else {
    std::vector<char> buffer(kListBufferBytes);
    OpenAndList(root, buffer);
    Listers_.Submit(root.Subfolders);
    Enter(root, name);
  }
  while (!Frames_.empty()) {
    if (Stopped()) {
      Result_.Cancelled = true;
      break;
    }
    TFrame& top = Frames_.back();
    if (top.Next < top.Subfolders.size()) {
      Next(top);
      continue;
    }
    if (top.Fd >= 0) close(top.Fd);
    Frames_.pop_back();
    Out_.Text() += ']';
  }
  if (Result_.Cancelled) {
    Listers_.Stop();
    CloseAll();
    Result_.WriteError = Out_.Error();
    return Result_;
  }
  Out_.Text() += "]\n";
  Out_.Flush();
  Result_.WriteError = Out_.Error();
  return Result_;
}

}  // namespace

void AppendJsonString(std::string& out, std::string_view bytes) {
  static constexpr char kHex[] = "0123456789abcdef";
  out += '"';
  // DEL is a control character too: readers that keep to the strict rules refuse it raw.
  const auto control = [](unsigned char byte) { return byte < 0x20 || byte == 0x7f; };
  const auto plain = [&](char c) {
    return c != '"' && c != '\\' && !control(static_cast<unsigned char>(c));
  };
  if (std::all_of(bytes.begin(), bytes.end(), plain)) {
    out.append(bytes);
    out += '"';
    return;
  }
  for (const char c : bytes) {
    const auto byte = static_cast<unsigned char>(c);
    if (c == '"' || c == '\\') {
      out += '\\';
      out += c;
    } else if (control(byte)) {
      out += "\\u00";
      out += kHex[byte >> 4];
      out += kHex[byte & 15];
    } else {
      out += c;
    }
  }
  out += '"';
}

TExportResult ExportScan(const std::string& folder, int out, const std::atomic<bool>* cancel,
                         int threads) {
  const int helpers =
      threads > 0 ? std::min(threads, 64)
                  : std::clamp(static_cast<int>(std::thread::hardware_concurrency()) - 1, 1, 7);
  return TExport(out, cancel, helpers).Run(folder);
}

}  // namespace nubrix
