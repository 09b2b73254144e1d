// The cleanup run log: every operation that moved things to the trash, with where each item
// came from and where it lies in the trash, so that it can be put back.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "programdb/Sqlite.h"

namespace nubrix {

struct TRunItem {
  std::string Path;  // where it was, raw bytes
  std::int64_t Size = 0;
  std::string TrashFolder;  // the trash folder holding files/ and info/; empty when not found
  std::string TrashName;    // its name in files/ (and, with .trashinfo, in info/)
};

struct TRunSummary {
  std::int64_t Id = 0;
  std::int64_t Time = 0;  // seconds since the epoch
  std::string Command;
  bool Cancelled = false;
  bool Undone = false;  // an undo of it has run
  std::int64_t Items = 0;
  std::int64_t Bytes = 0;
};

struct TRun {
  TRunSummary Summary;
  std::vector<TRunItem> Items;  // in the order they went
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
  // The newest run not undone yet.
  std::optional<TRun> LastRun();
  void MarkUndone(std::int64_t id);
  // The size of the run's seq-th item (from 0), counted after the run was kept.
  void SetItemSize(std::int64_t run, std::int64_t seq, std::int64_t size);

 private:
  db::TDatabase Db_;
};

}  // namespace nubrix
