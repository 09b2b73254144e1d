#include "cleaners/Duplicates.h"

#include <fcntl.h>
#include <sys/stat.h>

#include <algorithm>
#include <chrono>
#include <condition_variable>
#include <cstring>
#include <deque>
#include <map>
#include <mutex>
#include <thread>
#include <unordered_map>

#include "cleaners/DuplicateFiles.h"
#include "platform/Paths.h"
#include "sizetree/DirSource.h"

namespace nubrix {

using duplicates::TCandidate;
using duplicates::TCompared;
using duplicates::TReadOutcome;
using duplicates::TReadStatus;

namespace {

constexpr std::uint64_t kFirstBlockBytes = 4096;
// Files up to this size are read whole at once and compared from memory...
constexpr std::uint64_t kWholeFileBytes = 64 << 10;
// ...as long as one group of them takes no more memory than this.
constexpr std::uint64_t kGroupMemoryBytes = 512 << 10;
constexpr std::size_t kListBufferBytes = std::size_t{64} * 1024;
constexpr auto kProgressInterval = std::chrono::milliseconds(100);

using TMembers = std::vector<std::uint32_t>;  // indices of candidates

struct TListing {
  std::vector<std::string> Folders;  // with their separator
  std::vector<platform::TFileId> FolderIds;
  std::deque<TCandidate> Files;  // grows without copying or spare room, as the files are many
  std::vector<TUnreadableFile> Unreadable;
};

void ListFolder(TDirSource& source, const TTreeOpener& opener, std::uint32_t index,
                std::uint64_t minSize, TListing& listing, std::vector<TCandidate>& files,
                std::vector<TUnreadableFile>& unreadable, std::vector<char>& buffer) {
  const std::string& folder = listing.Folders[index];
  if (opener.Skipped(index)) return;
  const int fd = opener.Open(index);
  if (fd < 0) {
    unreadable.push_back({folder, -fd});
    return;
  }
  struct stat info {};
  if (fstat(fd, &info) == 0) listing.FolderIds[index] = {info.st_dev, info.st_ino};
  const int error =
      ForEachEntry(source, fd, buffer, [&](const char* name, std::size_t length, unsigned char) {
        if (name[0] == '.') return true;
        TEntryStat stat;
        // An entry that vanished since the listing is skipped.
        if (source.StatEntry(fd, name, stat) != 0 || !stat.IsRegular || stat.Size < minSize)
          return true;
        files.push_back({std::string(name, length), stat.Size, stat.Modified, stat.Device,
                         stat.Inode, index, stat.Times, stat.Owner});
        return true;
      });
  if (error != 0) unreadable.push_back({folder, error});
  source.Close(fd);
}

// Runs work(thread) on count threads, the calling thread reporting every so often until all
// are done. The first exception thrown (out of memory, most likely) reaches the caller.
void RunWorkers(int count, const std::function<void()>& work, const std::function<void()>& report) {
  std::mutex mutex;
  std::condition_variable finished;
  int running = count;
  std::exception_ptr failure;
  std::vector<std::thread> threads;
  threads.reserve(static_cast<std::size_t>(count));
  for (int i = 0; i < count; ++i) {
    threads.emplace_back([&] {
      std::exception_ptr caught;
      try {
        work();
      } catch (...) {
        caught = std::current_exception();
      }
      std::lock_guard lock(mutex);
      if (caught && !failure) failure = caught;
      if (--running == 0) finished.notify_one();
    });
  }
  {
    std::unique_lock lock(mutex);
    while (!finished.wait_for(lock, kProgressInterval, [&] { return running == 0; })) {
      lock.unlock();
      if (report) report();
      lock.lock();
    }
  }
  for (std::thread& thread : threads) thread.join();
  if (failure) std::rethrow_exception(failure);
}

int ThreadCount(const TDuplicateOptions& options) {
  if (options.Threads > 0) return std::min(options.Threads, 64);
  return std::clamp(static_cast<int>(std::thread::hardware_concurrency()), 2, 8);
}

bool Stopped(const TDuplicateOptions& options) {
  return options.Cancel != nullptr && options.Cancel->load(std::memory_order_relaxed);
}

TListing ListFolders(const TTreeFolders& folders, const TDuplicateOptions& options, int threads) {
  TListing listing;
  listing.Folders.reserve(folders.size());
  for (const TTreeFolder& folder : folders.Folders)
    listing.Folders.push_back(platform::WithSeparator(folder.Path));
  const TTreeOpener opener(folders);
  listing.FolderIds.resize(folders.size());
  std::atomic<std::size_t> next{0};
  std::mutex merge;
  RunWorkers(threads,
             [&] {
               std::vector<TCandidate> files;
               std::vector<TUnreadableFile> unreadable;
               std::vector<char> buffer(kListBufferBytes);
               for (std::size_t i = next++; i < folders.size() && !Stopped(options); i = next++) {
                 ListFolder(TDirSource::System(), opener, static_cast<std::uint32_t>(i),
                            options.MinSize, listing, files, unreadable, buffer);
                 std::lock_guard lock(merge);
                 listing.Files.insert(listing.Files.end(), std::make_move_iterator(files.begin()),
                                      std::make_move_iterator(files.end()));
                 files.clear();
               }
               std::lock_guard lock(merge);
               listing.Unreadable.insert(listing.Unreadable.end(), unreadable.begin(),
                                         unreadable.end());
             },
             {});
  return listing;
}

// The search after the listing: candidates of equal size, hard links merged, then read.
class TSearch {
 public:
  TSearch(TListing& listing, const TDuplicateOptions& options)
      : Listing_(listing), Options_(options) {}

  TDuplicateSearch Run(int threads);

 private:
  std::string PathOf(std::uint32_t index) const {
    const TCandidate& file = Listing_.Files[index];
    return Listing_.Folders[file.Folder] + file.Name;
  }
  const TCandidate& At(std::uint32_t index) const { return Listing_.Files[index]; }
  TDigest Filter(TDigest digest) const {
    return Options_.DigestFilter ? Options_.DigestFilter(digest) : digest;
  }
  void GroupBySize();
  void Work();
  void Search(const TMembers& members, std::vector<TMembers>& found);
  void SearchInMemory(const TMembers& members, std::vector<TMembers>& found);
  void SearchByDigest(const TMembers& members, std::uint64_t length, std::vector<TMembers>& found,
                      bool last);
  void Confirm(TMembers members, std::vector<TMembers>& found);
  void Failed(std::uint32_t index, TReadStatus status);
  std::vector<TMembers> ByDigest(const TMembers& members, std::uint64_t length);
  TDuplicateFile FileOf(std::uint32_t index) const;
  TDuplicateProgress Progress() const;

  TListing& Listing_;
  const TDuplicateOptions& Options_;
  std::vector<TMembers> SizeGroups_;  // largest size first
  std::unordered_map<std::uint32_t, TMembers> OtherNames_;
  std::uint64_t FilesTotal_ = 0;
  std::uint64_t BytesTotal_ = 0;
  std::atomic<std::size_t> Next_{0};
  std::atomic<std::uint64_t> FilesDone_{0};
  std::atomic<std::uint64_t> BytesRead_{0};
  std::mutex Mutex_;  // guards what follows
  std::vector<TMembers> Found_;
  std::uint64_t Changed_ = 0;
};

void TSearch::GroupBySize() {
  std::deque<TCandidate>& files = Listing_.Files;
  std::vector<std::uint32_t> order(files.size());
  for (std::uint32_t i = 0; i < order.size(); ++i) order[i] = i;
  std::sort(order.begin(), order.end(), [&](std::uint32_t a, std::uint32_t b) {
    const TCandidate& x = files[a];
    const TCandidate& y = files[b];
    if (x.Size != y.Size) return x.Size > y.Size;
    return std::tie(x.Device, x.Inode) < std::tie(y.Device, y.Inode);
  });
  for (std::size_t begin = 0; begin < order.size();) {
    std::size_t end = begin + 1;
    while (end < order.size() && files[order[end]].Size == files[order[begin]].Size) ++end;
    TMembers members;
    for (std::size_t i = begin; i < end;) {
      // The names of one file: the first in byte order stands for it.
      std::size_t last = i + 1;
      const auto same = [&](std::size_t k) {
        return files[order[k]].Device == files[order[i]].Device &&
               files[order[k]].Inode == files[order[i]].Inode;
      };
      while (last < end && same(last)) ++last;
      std::vector<std::uint32_t> names(order.begin() + static_cast<std::ptrdiff_t>(i),
                                       order.begin() + static_cast<std::ptrdiff_t>(last));
      if (names.size() > 1) {
        std::sort(names.begin(), names.end(),
                  [&](std::uint32_t a, std::uint32_t b) { return PathOf(a) < PathOf(b); });
        OtherNames_[names[0]] = TMembers(names.begin() + 1, names.end());
      }
      members.push_back(names[0]);
      i = last;
    }
    if (members.size() > 1) {
      FilesTotal_ += members.size();
      BytesTotal_ += members.size() * files[members[0]].Size;
      SizeGroups_.push_back(std::move(members));
    } else if (!members.empty()) {
      OtherNames_.erase(members[0]);
    }
    begin = end;
  }
}

void TSearch::Failed(std::uint32_t index, TReadStatus status) {
  std::lock_guard lock(Mutex_);
  if (status.Outcome == TReadOutcome::Changed) {
    ++Changed_;
  } else {
    Listing_.Unreadable.push_back({PathOf(index), status.Error});
  }
}

// Every member still readable, bucketed by the digest of its first length bytes; buckets of one
// are dropped.
std::vector<TMembers> TSearch::ByDigest(const TMembers& members, std::uint64_t length) {
  std::map<TDigest, TMembers> buckets;
  for (const std::uint32_t index : members) {
    if (Stopped(Options_)) return {};
    TDigest digest;
    const TReadStatus status = duplicates::DigestOf(PathOf(index), At(index), length, digest,
                                                    BytesRead_, nullptr, Options_.ReadDone);
    if (!status.Ok()) {
      Failed(index, status);
      continue;
    }
    buckets[Filter(digest)].push_back(index);
  }
  std::vector<TMembers> result;
  for (auto& [digest, bucket] : buckets) {
    if (bucket.size() > 1) result.push_back(std::move(bucket));
  }
  return result;
}

// Byte for byte against one member: those equal to it make a group, the others try again among
// themselves.
void TSearch::Confirm(TMembers members, std::vector<TMembers>& found) {
  while (members.size() > 1 && !Stopped(Options_)) {
    TMembers same{members[0]};
    TMembers rest;
    bool firstFailed = false;
    for (std::size_t i = 1; i < members.size(); ++i) {
      if (firstFailed) {
        rest.push_back(members[i]);
        continue;
      }
      const duplicates::TCompareResult compared =
          duplicates::CompareFiles(PathOf(members[0]), At(members[0]), PathOf(members[i]),
                                   At(members[i]), BytesRead_, Options_.ReadDone);
      switch (compared.Result) {
        case TCompared::Same:
          same.push_back(members[i]);
          break;
        case TCompared::Different:
          rest.push_back(members[i]);
          break;
        case TCompared::SecondFailed:
          Failed(members[i], compared.Failure);
          break;
        case TCompared::FirstFailed:
          Failed(members[0], compared.Failure);
          firstFailed = true;
          rest.insert(rest.end(), same.begin() + 1, same.end());
          rest.push_back(members[i]);
          break;
      }
    }
    if (!firstFailed && same.size() > 1) found.push_back(std::move(same));
    members = std::move(rest);
  }
}

void TSearch::SearchInMemory(const TMembers& members, std::vector<TMembers>& found) {
  std::vector<std::string> contents(members.size());
  std::map<TDigest, std::vector<std::size_t>> buckets;
  for (std::size_t i = 0; i < members.size(); ++i) {
    if (Stopped(Options_)) return;
    TDigest digest;
    const TReadStatus status = duplicates::DigestOf(PathOf(members[i]), At(members[i]), 0, digest,
                                                    BytesRead_, &contents[i], Options_.ReadDone);
    if (status.Ok()) {
      buckets[Filter(digest)].push_back(i);
    } else {
      Failed(members[i], status);
    }
  }
  for (auto& [digest, bucket] : buckets) {
    // Equal digests are not proof: the bytes decide.
    while (bucket.size() > 1) {
      TMembers same;
      std::vector<std::size_t> rest;
      for (const std::size_t i : bucket) {
        if (contents[i] == contents[bucket[0]]) {
          same.push_back(members[i]);
        } else {
          rest.push_back(i);
        }
      }
      if (same.size() > 1) found.push_back(std::move(same));
      bucket = std::move(rest);
    }
  }
}

void TSearch::SearchByDigest(const TMembers& members, std::uint64_t length,
                             std::vector<TMembers>& found, bool last) {
  for (TMembers& bucket : ByDigest(members, length)) {
    // Two files are compared directly, reading each once; more are told apart by digests first.
    if (bucket.size() == 2 || last) {
      Confirm(std::move(bucket), found);
    } else {
      SearchByDigest(bucket, 0, found, true);
    }
  }
}

void TSearch::Search(const TMembers& members, std::vector<TMembers>& found) {
  const std::uint64_t size = At(members[0]).Size;
  if (size <= kWholeFileBytes && size * members.size() <= kGroupMemoryBytes) {
    SearchInMemory(members, found);
  } else if (members.size() == 2) {
    Confirm(members, found);
  } else {
    SearchByDigest(members, kFirstBlockBytes, found, size <= kFirstBlockBytes);
  }
}

void TSearch::Work() {
  std::vector<TMembers> found;
  for (std::size_t i = Next_++; i < SizeGroups_.size() && !Stopped(Options_); i = Next_++) {
    Search(SizeGroups_[i], found);
    FilesDone_.fetch_add(SizeGroups_[i].size(), std::memory_order_relaxed);
  }
  std::lock_guard lock(Mutex_);
  Found_.insert(Found_.end(), std::make_move_iterator(found.begin()),
                std::make_move_iterator(found.end()));
}

TDuplicateProgress TSearch::Progress() const {
  return {FilesDone_.load(), FilesTotal_, BytesRead_.load(), BytesTotal_};
}

TDuplicateFile TSearch::FileOf(std::uint32_t index) const {
  const TCandidate& candidate = At(index);
  TDuplicateFile file;
  file.Path = PathOf(index);
  file.NameStart = Listing_.Folders[candidate.Folder].size();
  file.Size = candidate.Size;
  file.Modified = candidate.Modified;
  file.Times = candidate.Times;
  file.Owner = candidate.Owner;
  file.Device = candidate.Device;
  file.Inode = candidate.Inode;
  file.FolderDevice = Listing_.FolderIds[candidate.Folder].Device;
  file.FolderInode = Listing_.FolderIds[candidate.Folder].Inode;
  if (const auto names = OtherNames_.find(index); names != OtherNames_.end()) {
    for (const std::uint32_t other : names->second) file.OtherNames.push_back(PathOf(other));
  }
  return file;
}

TDuplicateSearch TSearch::Run(int threads) {
  GroupBySize();
  RunWorkers(
      threads, [this] { Work(); },
      [this] {
        if (Options_.Progress) Options_.Progress(Progress());
      });
  TDuplicateSearch search;
  search.Cancelled = Stopped(Options_);
  search.FilesConsidered = Listing_.Files.size();
  search.ChangedFiles = Changed_;
  search.Read = Progress();
  for (const TMembers& members : Found_) {
    TDuplicateGroup group;
    group.Size = At(members[0]).Size;
    for (const std::uint32_t index : members) group.Files.push_back(FileOf(index));
    std::sort(group.Files.begin(), group.Files.end(),
              [](const TDuplicateFile& a, const TDuplicateFile& b) { return a.Path < b.Path; });
    search.Groups.push_back(std::move(group));
  }
  std::sort(search.Groups.begin(), search.Groups.end(),
            [](const TDuplicateGroup& a, const TDuplicateGroup& b) {
              if (a.Freeable() != b.Freeable()) return a.Freeable() > b.Freeable();
              return a.Files[0].Path < b.Files[0].Path;
            });
  search.Unreadable = std::move(Listing_.Unreadable);
  std::sort(search.Unreadable.begin(), search.Unreadable.end(),
            [](const TUnreadableFile& a, const TUnreadableFile& b) { return a.Path < b.Path; });
  if (Options_.Progress) Options_.Progress(search.Read);
  return search;
}

}  // namespace

TDuplicateSearch FindDuplicates(const TTreeFolders& folders, const TDuplicateOptions& options) {
  const int threads = ThreadCount(options);
  TListing listing = ListFolders(folders, options, threads);
  TSearch search(listing, options);
  return search.Run(threads);
}

std::size_t KeptCopy(const TDuplicateGroup& group, TKeepRule rule) {
  std::size_t kept = 0;
  for (std::size_t i = 1; i < group.Files.size(); ++i) {
    const std::int64_t time = group.Files[i].Modified;
    const std::int64_t keptTime = group.Files[kept].Modified;
    if ((rule == TKeepRule::Newest && time > keptTime) ||
        (rule == TKeepRule::Oldest && time < keptTime))
      kept = i;
  }
  return kept;
}

std::vector<platform::TListedItem> ListedNames(const TDuplicateFile& file) {
  const auto id = [](std::uint64_t device, std::uint64_t inode) {
    return platform::TFileId{static_cast<dev_t>(device), static_cast<ino_t>(inode)};
  };
  std::vector<platform::TListedItem> items;
  const auto add = [&](const std::string& path, std::optional<platform::TFileId> folder,
                       platform::TFileTimes times) {
    platform::TListedItem item(path, folder, id(file.Device, file.Inode));
    item.Size = file.Size;
    item.Times = times;
    items.push_back(std::move(item));
  };
  add(file.Path, id(file.FolderDevice, file.FolderInode), file.Times);
  // The other names' folders were not kept: the file itself is still checked for each. Moving
  // the first name changes the file's time of change, so the others cannot compare it.
  platform::TFileTimes others = file.Times;
  others.Changed = 0;
  for (const std::string& other : file.OtherNames) add(other, std::nullopt, others);
  return items;
}

bool StillListed(const TDuplicateFile& file) {
  struct stat info {};
  platform::TFileTimes times;
  if (!platform::StatTimesAt(AT_FDCWD, file.Path.c_str(), info, times)) return false;
  return S_ISREG(info.st_mode) && info.st_dev == file.Device && info.st_ino == file.Inode &&
         info.st_uid == file.Owner && static_cast<std::uint64_t>(info.st_size) == file.Size &&
         platform::SameTimes(file.Times, times);
}

std::vector<platform::TListedItem> CopyMoves(const TDuplicateGroup& group,
                                             const std::vector<bool>& marked,
                                             std::vector<TCopyRefusal>& refused) {
  std::vector<platform::TListedItem> moves;
  const bool oneOwner = std::all_of(group.Files.begin(), group.Files.end(), [&](const auto& file) {
    return file.Owner == group.Files[0].Owner;
  });
  std::vector<TDuplicateFile> staying;
  for (std::size_t i = 0; i < group.Files.size(); ++i) {
    if (!marked[i]) staying.push_back(group.Files[i]);
  }
  const auto keeps = [staying = std::move(staying)]() -> std::string {
    for (const TDuplicateFile& file : staying) {
      if (StillListed(file)) return {};
    }
    return "has no unchecked copy left as it was compared";
  };
  for (std::size_t i = 0; i < group.Files.size(); ++i) {
    if (!marked[i]) continue;
    if (!oneOwner) {
      refused.push_back(
          {group.Files[i].Path, "its copies belong to different users; the group is left alone"});
      continue;
    }
    for (platform::TListedItem& item : ListedNames(group.Files[i])) {
      item.Guard = keeps;
      moves.push_back(std::move(item));
    }
  }
  return moves;
}

}  // namespace nubrix
