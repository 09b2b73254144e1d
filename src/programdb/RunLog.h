// The cleanup run log: every operation that moved things to the trash, with where each item
// came from, where it lies in the trash and which item it was, so that it can be put back.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "platform/SafeOpen.h"
#include "programdb/Sqlite.h"

namespace nubrix {

enum class TItemState : std::uint8_t {
  InTrash = 0,   // not put back yet
  Restored = 1,  // back where it was
  Gone = 2,      // left the trash (emptied): it can never come back
};

struct TRunItem {
  std::string Path;  // where it was, raw bytes
  std::int64_t Size = 0;
  std::string TrashFolder;     // the trash folder holding files/ and info/; empty when not known
  std::string TrashName;       // its name in files/ (and, with .trashinfo, in info/)
  std::string DeletionDate{};  // as its info file says; empty in runs kept before it was recorded
  std::optional<platform::TFileId> ItemId{};    // the item itself (a rename keeps it)
  std::int64_t ItemBirth = 0;                   // when it was made; 0: not known
  std::optional<platform::TFileId> FolderId{};  // the folder it was in
  TItemState State = TItemState::InTrash;
};

struct TRunSummary {
  std::int64_t Id = 0;
  std::int64_t Time = 0;  // seconds since the epoch
  std::string Command;
  bool Cancelled = false;
  bool Undone = false;  // nothing of it is left to put back
  std::int64_t Items = 0;
  std::int64_t Bytes = 0;
  std::int64_t Restored = 0;  // items put back
};

struct TRun {
  TRunSummary Summary;
  std::vector<TRunItem> Items;  // in the order they went; an item's place is its seq
};

class TRunLog {
 public:
  // Opens or creates the database; throws db::TDatabaseError.
  explicit TRunLog(const std::string& file);

  // Keeps one run in one transaction; its number.
  std::int64_t Add(std::int64_t time, const std::string& command, bool cancelled,
                   const std::vector<TRunItem>& items);
  // Newest first.
  std::vector<TRunSummary> Runs();
  std::optional<TRun> Run(std::int64_t id);
  // The newest run with something left to put back.
  std::optional<TRun> LastRun();
  // What an undo did to the items it tried (seq, state), in one transaction; the run counts as
  // undone once none of its items is left to put back.
  void RecordUndo(std::int64_t id, const std::vector<std::pair<std::int64_t, TItemState>>& states);
  // The size of the run's seq-th item (from 0), counted after the run was kept.
  void SetItemSize(std::int64_t run, std::int64_t seq, std::int64_t size);

 private:
  void Upgrade();
  db::TDatabase Db_;
};

}  // namespace nubrix
