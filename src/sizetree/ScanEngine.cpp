#include "sizetree/ScanEngine.h"

#include <sys/resource.h>
#include <sys/stat.h>

#include <algorithm>
#include <cerrno>
#include <condition_variable>
#include <exception>
#include <memory>
#include <mutex>
#include <thread>
#include <vector>

#include "sizetree/DirSource.h"
#include "sizetree/FileStats.h"
#include "sizetree/MountPoints.h"

namespace nubrix {

namespace {

constexpr std::size_t kListBufferBytes = std::size_t{64} * 1024;
constexpr int kMaxThreads = 64;
// Measured on cold and warm caches (bench/run.sh --threads-sweep): eight threads keep a cold
// disk busy (a cold scan of /usr took 0.86 s with 8, 1.07 s with 2, 0.83 s with 16), while a
// warm scan, which waits for nothing, loses about 4 % to them against 2.
constexpr int kDefaultThreads = 8;
constexpr unsigned char kTypeRegular = 8;
// How many entries of one folder pass between two looks at the Escape flag.
constexpr int kEscapePollEntries = 4096;

TDirSource& SourceOf(TDirSource* source) {
  return source != nullptr ? *source : TDirSource::System();
}

int ThreadsFor(const TScanContext& context) {
  return context.Threads > 0 ? std::min(context.Threads, kMaxThreads) : kDefaultThreads;
}

// A deep, bushy tree keeps one descriptor open per level that still has folders to open.
void RaiseOpenFileLimit() {
  static std::once_flag once;
  std::call_once(once, [] {
    rlimit limit{};
    if (getrlimit(RLIMIT_NOFILE, &limit) == 0 && limit.rlim_cur < limit.rlim_max) {
      limit.rlim_cur = limit.rlim_max;
      setrlimit(RLIMIT_NOFILE, &limit);
    }
  });
}

// An entry's type, asking the file system only when the listing did not say (DT_UNKNOWN).
// False when the entry is gone.
bool ResolveType(TDirSource& source, int dirFd, const char* name, unsigned char& type,
                 TEntryStat& stat, bool& statted) {
  if (type != kTypeUnknown) return true;
  if (source.StatEntry(dirFd, name, stat) != 0) return false;
  statted = true;
  type = stat.IsDirectory ? kTypeDirectory : kTypeRegular;
  return true;
}

std::int32_t SubfolderCountRule(std::int32_t directoryEntries) {
  return directoryEntries > 1 ? directoryEntries - 1 : directoryEntries;
}

bool IsCancelled(const TScanContext& context) {
  return context.State.ScanCancelled.load(std::memory_order_relaxed);
}

bool EscapePressed(const TScanContext& context) {
  return context.Escape != nullptr && context.Escape->load(std::memory_order_relaxed);
}

}  // namespace

// The walk below one folder. Each worker takes folders depth first from its own stack; a worker
// that runs dry takes from a shared pool, which busy workers fill with their shallowest folders
// when someone waits. A folder is opened relative to its parent's descriptor, which stays open
// (shared by the child tasks) until the last child is opened.
class TFolderWalk {
 public:
  TFolderWalk(TScanContext& context, TSizeFolder* start, bool topLevel)
      : Context_(context),
        Source_(SourceOf(context.Source)),
        Start_(start),
        TopLevel_(topLevel),
        Mounts_(TMountPoints::BelowFolder(start->Path())),
        Threads_(ThreadsFor(context)) {}

  void Run();

 private:
  struct TDir {
    int Fd;
    TDirSource* Source;
    TDir(int fd, TDirSource* source) : Fd(fd), Source(source) {}
    ~TDir() { Source->Close(Fd); }
    TDir(const TDir&) = delete;
    TDir& operator=(const TDir&) = delete;
  };
  struct TTask {
    TSizeFolder* Folder;
    std::shared_ptr<TDir> Parent;  // null for the start folder
    const TMountPoints::Node* Mounts;
    bool TopLevel;
  };
  struct TWorker {
    std::vector<TTask> Stack;
    std::vector<char> Buffer = std::vector<char>(kListBufferBytes);
    std::unique_ptr<TFolderFiles> Files;
  };
  struct TListing {
    std::uint64_t FilesBytes = 0;
    int Error = 0;
    std::int32_t DirectoryEntries = 0;
  };

  bool Stopped() const { return IsCancelled(Context_) || Aborted_.load(std::memory_order_relaxed); }
  void Work(TWorker& worker);
  template <class Step>
  void Guarded(Step&& step);
  bool NextTask(TWorker& worker, TTask& task);
  void Share(TWorker& worker);
  void Process(TTask& task, TWorker& worker);
  int Open(const TTask& task);
  int OpenByWalkingDown(const TSizeFolder* folder);
  TListing List(int fd, const TTask& task, TWorker& worker, bool isStart, bool mountRoot);
  bool AddSubfolder(TSizeFolder* parent, std::string_view name);
  void EnterTopLevel();

  TScanContext& Context_;
  TDirSource& Source_;
  TSizeFolder* Start_;
  bool TopLevel_;
  TMountPoints Mounts_;
  int Threads_;

  std::mutex Mutex_;
  std::condition_variable Wake_;
  std::vector<TTask> Pool_;
  int Idle_ = 0;
  bool Finished_ = false;
  std::atomic<int> IdleHint_{0};
  std::atomic<bool> Aborted_{false};
  std::exception_ptr Failure_;
};

void TFolderWalk::Run() {
  RaiseOpenFileLimit();
  TWorker first;
  TTask startTask{Start_, nullptr, Mounts_.Root(), false};
  Process(startTask, first);
  if (first.Stack.empty()) Threads_ = 1;
  std::vector<std::thread> helpers;
  helpers.reserve(static_cast<std::size_t>(Threads_ - 1));
  std::vector<TWorker> helperWorkers(static_cast<std::size_t>(Threads_ - 1));
  for (auto& worker : helperWorkers) helpers.emplace_back([this, &worker] { Work(worker); });
  Work(first);
  for (auto& helper : helpers) helper.join();
  if (Failure_) std::rethrow_exception(Failure_);
}

void TFolderWalk::Work(TWorker& worker) {
  TTask task;
  while (NextTask(worker, task)) {
    Guarded([&] { Process(task, worker); });
    if (IdleHint_.load(std::memory_order_relaxed) > 0 && worker.Stack.size() > 1) Share(worker);
  }
  if (worker.Files) Guarded([&] { worker.Files->Flush(); });
}

template <class Step>
void TFolderWalk::Guarded(Step&& step) {
  try {
    step();
  } catch (...) {
    // Out of memory, most likely: stop everyone, let the idle count finish, rethrow in Run.
    std::lock_guard lock(Mutex_);
    if (!Failure_) Failure_ = std::current_exception();
    Aborted_.store(true);
  }
}

bool TFolderWalk::NextTask(TWorker& worker, TTask& task) {
  if (!worker.Stack.empty()) {
    task = std::move(worker.Stack.back());
    worker.Stack.pop_back();
    return true;
  }
  std::unique_lock lock(Mutex_);
  ++Idle_;
  IdleHint_.store(Idle_, std::memory_order_relaxed);
  for (;;) {
    if (!Pool_.empty()) {
      task = std::move(Pool_.back());
      Pool_.pop_back();
      --Idle_;
      IdleHint_.store(Idle_, std::memory_order_relaxed);
      return true;
    }
    if (Finished_ || Idle_ == Threads_) {
      Finished_ = true;
      Wake_.notify_all();
      return false;
    }
    Wake_.wait(lock);
  }
}

void TFolderWalk::Share(TWorker& worker) {
  const std::size_t half = worker.Stack.size() / 2;
  {
    std::lock_guard lock(Mutex_);
    for (std::size_t i = 0; i < half; ++i) Pool_.push_back(std::move(worker.Stack[i]));
  }
  worker.Stack.erase(worker.Stack.begin(), worker.Stack.begin() + static_cast<long>(half));
  Wake_.notify_all();
}

void TFolderWalk::Process(TTask& task, TWorker& worker) {
  if (!Stopped() && EscapePressed(Context_)) Context_.State.ScanCancelled.store(true);
  if (Stopped()) return;
  const int fd = Open(task);
  task.Parent.reset();
  if (task.TopLevel) EnterTopLevel();
  TSizeFolder* folder = task.Folder;
  if (fd < 0) {
    folder->SetListing(0, -fd);
    return;
  }
  struct stat self {};
  if (fstat(fd, &self) == 0) folder->SetIdentity(self.st_dev, self.st_ino);
  const bool isStart = folder == Start_ && TopLevel_;
  const bool mountRoot = isStart && (Mounts_.RootIsMountPoint() || Source_.IsMountRoot(fd));
  const TListing listing = List(fd, task, worker, isStart, mountRoot);
  if (isStart) Context_.State.TopLevelTotal.store(SubfolderCountRule(listing.DirectoryEntries));
  folder->SetListing(listing.FilesBytes, listing.Error);
  if (folder->ChildCount() == 0) {
    Source_.Close(fd);
    return;
  }
  auto dir = std::make_shared<TDir>(fd, &Source_);
  // Pushed last-first so that the first child is walked first.
  for (int i = folder->ChildCount() - 1; i >= 0; --i) {
    TSizeFolder* child = folder->Children_[static_cast<std::size_t>(i)].get();
    const TMountPoints::Node* below = task.Mounts ? task.Mounts->Find(child->Segment_) : nullptr;
    worker.Stack.push_back({child, dir, below, isStart});
  }
}

int TFolderWalk::Open(const TTask& task) {
  if (!task.Parent) return Source_.OpenRoot(task.Folder->Path());
  const int fd = Source_.OpenSubfolder(task.Parent->Fd, task.Folder->Segment_.c_str());
  if (fd == -EMFILE || fd == -ENFILE) return OpenByWalkingDown(task.Folder);
  return fd;
}

// Out of descriptors: reach the folder from the start folder with two descriptors at a time.
int TFolderWalk::OpenByWalkingDown(const TSizeFolder* folder) {
  std::vector<const TSizeFolder*> chain;
  for (const TSizeFolder* f = folder; f != Start_ && f != nullptr; f = f->Parent_) {
    chain.push_back(f);
  }
  int fd = Source_.OpenRoot(Start_->Path());
  for (auto it = chain.rbegin(); it != chain.rend() && fd >= 0; ++it) {
    const int next = Source_.OpenSubfolder(fd, (*it)->Segment_.c_str());
    Source_.Close(fd);
    fd = next;
  }
  return fd;
}

TFolderWalk::TListing TFolderWalk::List(int fd, const TTask& task, TWorker& worker, bool isStart,
                                        bool mountRoot) {
  TListing out;
  TSizeFolder* folder = task.Folder;
  int sinceEscapeCheck = 0;
  if (Context_.Files != nullptr && !worker.Files) {
    worker.Files = std::make_unique<TFolderFiles>(*Context_.Files);
  }
  TFolderFiles* files = worker.Files.get();
  if (files != nullptr) files->Begin(fd, [folder] { return folder->Path(); });
  out.Error = ForEachEntry(Source_, fd, worker.Buffer,
                           [&](const char* name, std::size_t length, unsigned char type) {
                             if (++sinceEscapeCheck == kEscapePollEntries) {
                               sinceEscapeCheck = 0;
                               if (EscapePressed(Context_))
                                 Context_.State.ScanCancelled.store(true);
                               if (Stopped()) return false;
                             }
                             const bool dotName = name[0] == '.';
                             if (dotName && !isStart) return true;
                             TEntryStat stat;
                             bool statted = false;
                             if (!ResolveType(Source_, fd, name, type, stat, statted)) return true;
                             if (type == kTypeDirectory) {
                               if (isStart && !(mountRoot && IsDotOrDotDot(name)))
                                 ++out.DirectoryEntries;
                               if (dotName) return true;
                               const std::string_view folderName(name, length);
                               if (task.Mounts != nullptr) {
                                 const TMountPoints::Node* below = task.Mounts->Find(folderName);
                                 if (below != nullptr && below->IsMountPoint) return true;
                               }
                               return AddSubfolder(folder, folderName);
                             }
                             if (dotName) return true;
                             // An entry that vanished since the listing is skipped.
                             if (!statted && Source_.StatEntry(fd, name, stat) != 0) return true;
                             out.FilesBytes += stat.Size;
                             if (files != nullptr) files->Add({name, length}, stat);
                             return true;
                           });
  if (files != nullptr) files->End();
  return out;
}

bool TFolderWalk::AddSubfolder(TSizeFolder* parent, std::string_view name) {
  parent->AddNamedChild(name);
  const std::int32_t count = Context_.State.FolderCount.fetch_add(1) + 1;
  if (EscapePressed(Context_)) {
    // The child just added stays in the tree, unwalked.
    Context_.State.ScanCancelled.store(true);
    return false;
  }
  if (count % kFoundReportInterval == 0 && Context_.Progress != nullptr) {
    Context_.Progress->FoldersFound(count);
  }
  return !Stopped();
}

void TFolderWalk::EnterTopLevel() {
  const std::int32_t done = Context_.State.TopLevelDone.fetch_add(1) + 1;
  const std::int32_t total = Context_.State.TopLevelTotal.load();
  // The total comes from the same listing, so it is at least the number of first-level
  // folders; guard anyway against a folder that appeared between two readings.
  const std::int32_t percent =
      total > 0 ? static_cast<std::int32_t>(static_cast<std::int64_t>(done) * 100 / total) : 100;
  if (Context_.Progress != nullptr) Context_.Progress->GaugePosition(percent);
}

void WalkFolders(TSizeFolder* folder, bool topLevel, TScanContext& context) {
  TFolderWalk(context, folder, topLevel).Run();
}

void TSizeFolder::CreateObjectTree(TSizeFolder* folder, TScanContext& context) {
  TScanState& state = context.State;
  state.FolderCount = 0;
  state.TopLevelDone = 0;
  state.SizedCount = 0;
  state.ScanCancelled = false;
  // Counted from the scan root's own listing, which the walk reads first.
  state.TopLevelTotal = 0;
  WalkFolders(folder, true, context);
}

bool TSizeTree::CalculateSizes(TScanContext& context) {
  TScanState& state = context.State;
  if (state.ScanCancelled.exchange(false)) return false;
  state.SizedCount = 0;
  UnreadableCount_ = 0;
  if (context.Progress != nullptr) context.Progress->TotalAnnounced(state.FolderCount.load());
  TSizeFolder* root = ScanRoot();
  if (root == nullptr) return true;
  // SubfolderSize_ first gathers the bytes below each folder and is converted once they are all
  // there: no memory beyond the list of folders is needed, however big the tree.
  std::vector<TSizeFolder*> preOrder;
  preOrder.reserve(static_cast<std::size_t>(std::max(0, state.FolderCount.load())) + 1);
  VisitPreOrder(*root, [&](TSizeFolder& folder, const std::string& path) {
    // A folder the walk did not list (a tree built by hand) is listed now.
    if (!folder.Listed_) folder.ListedBytes_ = FolderFilesBytes(path, context.Source);
    folder.AddOwnSize(BytesToSizeMB(folder.ListedBytes_));
    folder.Sized_ = true;
    folder.SubfolderSize_ = 0;
    folder.UnreadableBelow_ = folder.ReadError_ != 0;
    UnreadableCount_ += folder.ReadError_ != 0;
    preOrder.push_back(&folder);
    const std::int32_t sized = state.SizedCount.fetch_add(1) + 1;
    if (context.Progress != nullptr) context.Progress->FoldersSized(sized);
    return true;
  });
  // Reverse pre-order meets every folder after all of its descendants, so its bytes below are
  // complete when it is met.
  for (auto it = preOrder.rbegin(); it != preOrder.rend(); ++it) {
    TSizeFolder& folder = **it;
    const auto below = static_cast<std::uint64_t>(folder.SubfolderSize_);
    folder.SubfolderSize_ = BytesToSizeMB(below);
    folder.TotalBytes_ = below + folder.ListedBytes_;
    if (&folder == root) continue;
    TSizeFolder& parent = *folder.Parent_;
    parent.SubfolderSize_ += static_cast<SizeMB>(below + folder.ListedBytes_);
    parent.UnreadableBelow_ = parent.UnreadableBelow_ || folder.UnreadableBelow_;
  }
  return true;
}

bool ScanIntoTree(TSizeTree& tree, const std::string& path, TScanContext& context) {
  TSizeFolder* root = tree.TopFolder().AddChild(path);
  tree.TopFolder().CreateObjectTree(root, context);
  root->SetName(path);
  return tree.CalculateSizes(context);
}

std::uint64_t FolderFilesBytes(const std::string& path, TDirSource* sourceOrNull) {
  TDirSource& source = SourceOf(sourceOrNull);
  const int fd = source.OpenRoot(path);
  if (fd < 0) return 0;
  std::vector<char> buffer(kListBufferBytes);
  std::uint64_t sum = 0;
  ForEachEntry(source, fd, buffer, [&](const char* name, std::size_t, unsigned char type) {
    if (name[0] == '.') return true;
    TEntryStat stat;
    bool statted = false;
    if (!ResolveType(source, fd, name, type, stat, statted) || type == kTypeDirectory) return true;
    if (statted || source.StatEntry(fd, name, stat) == 0) sum += stat.Size;
    return true;
  });
  source.Close(fd);
  return sum;
}

SizeMB FolderFilesSize(const std::string& path, TDirSource* source) {
  return BytesToSizeMB(FolderFilesBytes(path, source));
}

std::int32_t CountSubfolders(const std::string& path, TDirSource* sourceOrNull) {
  TDirSource& source = SourceOf(sourceOrNull);
  const int fd = source.OpenRoot(path);
  if (fd < 0) return 0;
  const bool mountRoot =
      source.IsMountRoot(fd) || TMountPoints::BelowFolder(path).RootIsMountPoint();
  std::vector<char> buffer(kListBufferBytes);
  std::int32_t directories = 0;
  ForEachEntry(source, fd, buffer, [&](const char* name, std::size_t, unsigned char type) {
    TEntryStat stat;
    bool statted = false;
    if (!ResolveType(source, fd, name, type, stat, statted)) return true;
    if (type == kTypeDirectory && !(mountRoot && IsDotOrDotDot(name))) ++directories;
    return true;
  });
  source.Close(fd);
  return SubfolderCountRule(directories);
}

}  // namespace nubrix
