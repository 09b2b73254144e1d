#include "cleaners/CleanupRuns.h"

#include <sys/stat.h>

#include <algorithm>
#include <ctime>
#include <optional>
#include <set>

#include "platform/Paths.h"
#include "sizetree/ScanEngine.h"
#include "sizetree/SizeMB.h"
#include "sizetree/SizeTreeU.h"

namespace nubrix {

namespace {

// The bytes of the item itself (a link counts as itself); none for a folder, whose bytes lie below.
std::optional<std::int64_t> OwnSize(const std::string& path) {
  struct stat info {};
  if (lstat(path.c_str(), &info) != 0) return 0;
  if (S_ISDIR(info.st_mode)) return std::nullopt;
  return info.st_size;
}

bool IsAtOrBelow(const std::string& path, const std::string& folder) {
  return path == folder ||
         (path.size() > folder.size() && path.starts_with(folder) && path[folder.size()] == '/');
}

}  // namespace

TCleanupRun::TCleanupRun(std::string databaseFile, std::string command)
    : DatabaseFile_(std::move(databaseFile)), Command_(std::move(command)) {}

platform::TTrashResult TCleanupRun::Trash(const platform::TListedItem& item, std::int64_t size) {
  const std::optional<std::int64_t> bytes = size >= 0 ? size : OwnSize(item.Path);
  platform::TTrashResult result = Mover_.Move(item);
  if (result.Ok) {
    if (!bytes) Unsized_.push_back(Items_.size());
    Items_.push_back({result.OriginalPath, bytes.value_or(0), result.TrashFolder, result.TrashName,
                      result.DeletionDate, result.ItemId, result.ItemBirth, result.FolderId});
  }
  return result;
}

db::TDatabaseNote TCleanupRun::Finish(bool cancelled) {
  if (Finished_ || DatabaseFile_.empty() || Items_.empty()) return {};
  Finished_ = true;
  return db::WithDatabase(DatabaseFile_, [&] {
    RunId_ = TRunLog(DatabaseFile_)
                 .Add(static_cast<std::int64_t>(std::time(nullptr)), Command_, cancelled, Items_);
  });
}

TUnsizedFolders TCleanupRun::UnsizedFolders() const {
  TUnsizedFolders folders;
  if (RunId_ == 0) return folders;
  folders.RunId = RunId_;
  for (const std::size_t seq : Unsized_) {
    const TRunItem& item = Items_[seq];
    folders.InTrash.emplace_back(seq,
                                 platform::JoinPath(item.TrashFolder, "files/" + item.TrashName));
  }
  return folders;
}

db::TDatabaseNote SizeUnsizedFolders(const std::string& databaseFile,
                                     const TUnsizedFolders& folders,
                                     const std::atomic<bool>* cancel) {
  std::vector<std::pair<std::size_t, std::int64_t>> sizes;
  for (const auto& [seq, trashed] : folders.InTrash) {
    if (cancel != nullptr && cancel->load()) break;
    TSizeTree tree;
    TScanContext context;
    context.Escape = cancel;
    if (!ScanIntoTree(tree, platform::WithSeparator(trashed), context)) break;
    sizes.emplace_back(seq, SizeMBToBytes(tree.ScanRoot()->TotalSize()));
  }
  if (sizes.empty()) return {};
  return db::WithDatabase(databaseFile, [&] {
    TRunLog log(databaseFile);
    for (const auto& [seq, bytes] : sizes)
      log.SetItemSize(folders.RunId, static_cast<std::int64_t>(seq), bytes);
  });
}

platform::TTrashedItem TrashedItem(const TRunItem& item) {
  platform::TTrashedItem trashed{item.Path, item.TrashFolder, item.TrashName, item.DeletionDate,
                                 item.ItemId};
  trashed.ItemBirth = item.ItemBirth;
  trashed.Folder = item.FolderId;
  return trashed;
}

int CountInTrash(const TRun& run) {
  return static_cast<int>(
      std::count_if(run.Items.begin(), run.Items.end(), [](const TRunItem& item) {
        return item.State == TItemState::InTrash && platform::StillInTrash(TrashedItem(item));
      }));
}

std::vector<std::string> MissingFolders(const TRun& run) {
  std::set<std::string> seen;
  std::set<std::string> missing;
  // One look per folder, and the run's own items searched only for a folder that is gone.
  for (const TRunItem& item : run.Items) {
    const std::string folder = platform::FolderOf(item.Path);
    if (item.State != TItemState::InTrash) continue;
    if (!seen.insert(folder).second || !platform::ParentIsGone(item.Path)) continue;
    const bool comesBack =
        std::any_of(run.Items.begin(), run.Items.end(), [&](const TRunItem& other) {
          return other.State == TItemState::InTrash && IsAtOrBelow(folder, other.Path) &&
                 platform::StillInTrash(TrashedItem(other));
        });
    if (!comesBack) missing.insert(folder);
  }
  std::vector<std::string> folders(missing.begin(), missing.end());
  std::stable_sort(folders.begin(), folders.end(),
                   [](const std::string& a, const std::string& b) { return a.size() < b.size(); });
  return folders;
}

TUndoResult UndoRun(const TRun& run, bool makeParents,
                    const std::function<void(int tried)>& progress) {
  TUndoResult result;
  int tried = 0;
  for (std::size_t seq = run.Items.size(); seq-- > 0;) {
    const TRunItem& item = run.Items[seq];
    if (item.State != TItemState::InTrash) continue;
    const platform::TRestoreOutcome outcome =
        item.TrashName.empty()
            ? platform::TRestoreOutcome{platform::TRestoreStatus::LeftTrash,
                                        "where " + item.Path + " went in the trash is not known"}
            : platform::RestoreFromTrash(TrashedItem(item), makeParents);
    const auto at = static_cast<std::int64_t>(seq);
    if (outcome.Status == platform::TRestoreStatus::Restored) {
      ++result.Restored;
      result.States.emplace_back(at, TItemState::Restored);
    } else {
      result.Stayed.push_back({item.Path, outcome.Status, outcome.Detail});
      if (outcome.Status == platform::TRestoreStatus::LeftTrash)
        result.States.emplace_back(at, TItemState::Gone);
    }
    if (progress) progress(++tried);
  }
  return result;
}

std::string RunStateText(const TRunSummary& run) {
  if (run.Restored == 0) return run.Undone ? "no longer in the trash" : "";
  if (run.Restored == run.Items) return "restored";
  return "partly restored (" + std::to_string(run.Restored) + " of " + std::to_string(run.Items) +
         ")";
}

std::string RunTimeText(std::int64_t secondsSinceEpoch) {
  const auto time = static_cast<std::time_t>(secondsSinceEpoch);
  std::tm local{};
  localtime_r(&time, &local);
  char text[32];
  std::strftime(text, sizeof text, "%Y-%m-%d %H:%M:%S", &local);
  return text;
}

}  // namespace nubrix
