#include "sizetree/FileStats.h"

#include <sys/stat.h>

#include <algorithm>
#include <cstring>
#include <exception>
#include <thread>
#include <utility>

#include "platform/Paths.h"

namespace nubrix {

namespace {

constexpr std::size_t kListBufferBytes = std::size_t{64} * 1024;
// Two cores keep warm listings busy; more only queue at the file system's locks.
constexpr int kCollectThreads = 4;

// Better: bigger, or as big and first in byte order.
bool Better(const TLargeFile& a, const TLargeFile& b) {
  return a.Size != b.Size ? a.Size > b.Size : a.Path < b.Path;
}

std::string_view RawExtension(std::string_view name) {
  const void* dot = name.empty() ? nullptr : memrchr(name.data(), '.', name.size());
  if (dot == nullptr || dot == name.data()) return {};
  const auto start = static_cast<std::size_t>(static_cast<const char*>(dot) - name.data()) + 1;
  return name.substr(start);
}

void LowerInto(std::string& out, std::string_view text) {
  out.assign(text);
  for (char& c : out) {
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
  }
}

}  // namespace

std::string FileExtension(std::string_view name) {
  std::string out;
  LowerInto(out, RawExtension(name));
  return out;
}

TFileCollector::TFileCollector(std::size_t largestCount) : Limit_(largestCount) {
  if (Limit_ == 0) Threshold_.store(UINT64_MAX);
}

void TFileCollector::Offer(TLargeFile file) {
  std::lock_guard lock(LargestMutex_);
  if (Heap_.size() == Limit_) {
    if (!Better(file, Heap_.front())) return;
    std::pop_heap(Heap_.begin(), Heap_.end(), Better);
    Heap_.back() = std::move(file);
  } else {
    Heap_.push_back(std::move(file));
  }
  std::push_heap(Heap_.begin(), Heap_.end(), Better);
  if (Heap_.size() == Limit_) Threshold_.store(Heap_.front().Size, std::memory_order_relaxed);
}

void TFileCollector::AddTypes(const std::unordered_map<std::string, TCount>& types,
                              std::uint64_t files, std::uint64_t bytes) {
  std::lock_guard lock(TypesMutex_);
  for (const auto& [extension, count] : types) {
    TCount& total = Types_[extension];
    total.Files += count.Files;
    total.Bytes += count.Bytes;
  }
  Files_ += files;
  Bytes_ += bytes;
}

TFileStats TFileCollector::Take() {
  TFileStats stats;
  {
    std::lock_guard lock(LargestMutex_);
    stats.Largest = std::move(Heap_);
    Heap_.clear();
    Threshold_.store(Limit_ == 0 ? UINT64_MAX : 0);
  }
  std::sort(stats.Largest.begin(), stats.Largest.end(), Better);
  std::lock_guard lock(TypesMutex_);
  stats.Types.reserve(Types_.size());
  for (auto& [extension, count] : Types_) {
    stats.Types.push_back({extension, count.Files, count.Bytes});
  }
  Types_.clear();
  std::sort(stats.Types.begin(), stats.Types.end(), [](const TTypeTotal& a, const TTypeTotal& b) {
    return a.Bytes != b.Bytes ? a.Bytes > b.Bytes : a.Extension < b.Extension;
  });
  stats.Files = std::exchange(Files_, 0);
  stats.Bytes = std::exchange(Bytes_, 0);
  return stats;
}

void TFolderFiles::Begin(int dirFd, std::function<std::string()> folderPath) {
  DirFd_ = dirFd;
  FolderPath_ = std::move(folderPath);
  HaveFolder_ = false;
  Types_.clear();
}

TFileCollector::TCount& TFolderFiles::CountOf(std::string_view name) {
  LowerInto(Extension_, RawExtension(name));
  // A folder holds few types, and most of its files share the last one met.
  for (auto it = Types_.rbegin(); it != Types_.rend(); ++it) {
    if (it->first == Extension_) return it->second;
  }
  Types_.emplace_back(Extension_, TFileCollector::TCount{});
  return Types_.back().second;
}

void TFolderFiles::Add(std::string_view name, const TEntryStat& stat) {
  TFileCollector::TCount& count = CountOf(name);
  ++count.Files;
  count.Bytes += stat.Size;
  ++Files_;
  Bytes_ += stat.Size;
  if (!Collector_.MayEnter(stat.Size)) return;
  if (!HaveFolder_) {
    Folder_ = platform::WithSeparator(FolderPath_());
    struct stat info {};
    if (fstat(DirFd_, &info) == 0) {
      FolderDevice_ = info.st_dev;
      FolderInode_ = info.st_ino;
    }
    HaveFolder_ = true;
  }
  TLargeFile file;
  file.Path.reserve(Folder_.size() + name.size());
  file.Path.append(Folder_).append(name);
  file.NameStart = Folder_.size();
  file.Size = stat.Size;
  file.Modified = stat.Modified;
  file.Times = stat.Times;
  file.FolderDevice = FolderDevice_;
  file.FolderInode = FolderInode_;
  file.Device = stat.Device;
  file.Inode = stat.Inode;
  Collector_.Offer(std::move(file));
}

void TFolderFiles::End() {
  for (const auto& [extension, count] : Types_) {
    TFileCollector::TCount& total = Kept_[extension];
    total.Files += count.Files;
    total.Bytes += count.Bytes;
  }
  Types_.clear();
}

void TFolderFiles::Flush() {
  if (Files_ > 0) Collector_.AddTypes(Kept_, Files_, Bytes_);
  Kept_.clear();
  Files_ = 0;
  Bytes_ = 0;
}

namespace {

// One folder's own files, as the scan counts them.
void ListFolderFiles(TDirSource& source, const TTreeOpener& opener, const std::string& folder,
                     std::size_t index, TFolderFiles& files, std::vector<char>& buffer) {
  if (opener.Skipped(index)) return;
  const int fd = opener.Open(index);
  if (fd < 0) return;
  files.Begin(fd, [&folder] { return folder; });
  ForEachEntry(source, fd, buffer, [&](const char* name, std::size_t length, unsigned char type) {
    if (name[0] == '.') return true;
    if (type == kTypeDirectory) return true;
    TEntryStat stat;
    // An entry that vanished since the listing is skipped.
    if (source.StatEntry(fd, name, stat) != 0 || stat.IsDirectory) return true;
    files.Add(std::string_view(name, length), stat);
    return true;
  });
  files.End();
  source.Close(fd);
}

}  // namespace

TFileStats CollectFileStats(const TTreeFolders& folders, std::size_t largestCount,
                            const std::atomic<bool>* cancel,
                            const std::function<void(std::int64_t)>& progress,
                            TDirSource* sourceOrNull) {
  TDirSource& source = sourceOrNull != nullptr ? *sourceOrNull : TDirSource::System();
  TFileCollector collector(largestCount);
  const TTreeOpener opener(folders, &source);
  std::atomic<std::size_t> next{0};
  std::atomic<std::int64_t> done{0};
  std::atomic<bool> cancelled{false};
  std::mutex failureMutex;
  std::exception_ptr failure;
  const auto list = [&](bool reports) {
    TFolderFiles files(collector);
    std::vector<char> buffer(kListBufferBytes);
    for (;;) {
      if (cancel != nullptr && cancel->load(std::memory_order_relaxed)) {
        cancelled.store(true);
        return;
      }
      const std::size_t index = next.fetch_add(1);
      if (index >= folders.size()) {
        files.Flush();
        return;
      }
      ListFolderFiles(source, opener, folders.PathOf(index), index, files, buffer);
      const std::int64_t count = done.fetch_add(1) + 1;
      if (reports && progress) progress(count);
    }
  };
  // Out of memory, most likely: the others stop at their next folder and the caller hears of it.
  const auto work = [&](bool reports) {
    try {
      list(reports);
    } catch (...) {
      std::lock_guard lock(failureMutex);
      if (!failure) failure = std::current_exception();
      next.store(folders.size());
    }
  };
  const int helpers = static_cast<int>(
      std::min<std::size_t>(kCollectThreads - 1, folders.size() > 1 ? folders.size() - 1 : 0));
  std::vector<std::thread> threads;
  threads.reserve(static_cast<std::size_t>(helpers));
  for (int i = 0; i < helpers; ++i) threads.emplace_back(work, false);
  work(true);
  for (std::thread& thread : threads) thread.join();
  if (failure) std::rethrow_exception(failure);
  // The helpers may have listed the last folders, or all of them: the final count comes anyway.
  if (progress && done.load() > 0) progress(done.load());
  TFileStats stats = collector.Take();
  stats.Cancelled = cancelled.load();
  return stats;
}

}  // namespace nubrix
