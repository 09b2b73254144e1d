// Cleanups as runs that can be put back: every item moved to the trash is noted with where it
// went, the run is kept in the program's database when the operation ends (also when cancelled),
// and an undo moves what is still in the trash back where it was.
#pragma once

#include <atomic>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "platform/TrashItems.h"
#include "platform/TrashMove.h"
#include "programdb/RunLog.h"

namespace nubrix {

struct TUnsizedFolders {
  std::int64_t RunId = 0;
  std::vector<std::pair<std::size_t, std::string>> InTrash;  // the item's place in its run, path
};

class TCleanupRun {
 public:
  // databaseFile: the program's database; empty keeps nothing (the operation runs as before).
  TCleanupRun(std::string databaseFile, std::string command);

  // Moves the item to the trash, noting it when it went. size: its bytes; -1 for its own size (a
  // folder counts nothing then, until SizeUnsizedFolders).
  platform::TTrashResult Trash(const platform::TListedItem& item, std::int64_t size = -1);
  // Keeps the run when anything went; what the database said.
  db::TDatabaseNote Finish(bool cancelled);
  const std::vector<TRunItem>& Items() const { return Items_; }
  // The kept run's folders that went without a size, where they lie in the trash; none before
  // Finish or when nothing was kept.
  TUnsizedFolders UnsizedFolders() const;

 private:
  std::string DatabaseFile_;
  std::string Command_;
  platform::TTrashMover Mover_;
  std::vector<TRunItem> Items_;
  std::vector<std::size_t> Unsized_;
  std::int64_t RunId_ = 0;
  bool Finished_ = false;
};

// Counts, as a scan would, the folders of a kept run that went without a size, where they lie in
// the trash, and writes their sizes into the run. Walking a large folder takes as long as
// scanning it, so this runs on a worker after the run is kept; cancel stops it between and
// inside folders (a folder cut short keeps its old size). What the database said.
db::TDatabaseNote SizeUnsizedFolders(const std::string& databaseFile,
                                     const TUnsizedFolders& folders,
                                     const std::atomic<bool>* cancel);

// What the run recorded of one of its items, as the trash knows it.
platform::TTrashedItem TrashedItem(const TRunItem& item);

// A run's items not put back yet that are still in the trash where the run put them.
int CountInTrash(const TRun& run);

// The folders a run's items were in that are gone now, leaving out those the run itself puts
// back (an item and what lies below it); shortest first.
std::vector<std::string> MissingFolders(const TRun& run);

struct TUndoFailure {
  std::string Path;
  platform::TRestoreStatus Status = platform::TRestoreStatus::Failed;
  std::string Detail;
};

struct TUndoResult {
  int Restored = 0;
  std::vector<TUndoFailure> Stayed;  // in the order they were tried
  // What became of each item tried (its seq): what the caller keeps with TRunLog::RecordUndo.
  std::vector<std::pair<std::int64_t, TItemState>> States;
};

// Puts back the items of run not put back yet, the last moved first (so a folder comes back
// before what was in it). makeParents: folders that are gone are made again. progress (when
// given) hears how many items were tried. The caller records the states in the log.
TUndoResult UndoRun(const TRun& run, bool makeParents,
                    const std::function<void(int tried)>& progress = {});

// How much of a run came back: "", "restored" or "partly restored (N of M)".
std::string RunStateText(const TRunSummary& run);

// "2026-12-08 14:03:07", local time.
std::string RunTimeText(std::int64_t secondsSinceEpoch);

}  // namespace nubrix
