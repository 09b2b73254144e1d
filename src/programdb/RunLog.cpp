#include "programdb/RunLog.h"

namespace nubrix {

namespace {

constexpr const char* kSummaryColumns =
    "SELECT runs.id, runs.time, runs.command, runs.cancelled, runs.undone,"
    " (SELECT count(*) FROM run_items WHERE run = runs.id),"
    " (SELECT coalesce(sum(size), 0) FROM run_items WHERE run = runs.id) FROM runs ";

TRunSummary SummaryOf(const db::TStatement& row) {
  TRunSummary summary;
  summary.Id = row.Int(0);
  summary.Time = row.Int(1);
  summary.Command = std::string(row.Blob(2));
  summary.Cancelled = row.Int(3) != 0;
  summary.Undone = row.Int(4) != 0;
  summary.Items = row.Int(5);
  summary.Bytes = row.Int(6);
  return summary;
}

}  // namespace

TRunLog::TRunLog(const std::string& file) : Db_(file) {
  Db_.Execute(
      "CREATE TABLE IF NOT EXISTS runs(id INTEGER PRIMARY KEY, time INTEGER NOT NULL,"
      " command BLOB NOT NULL, cancelled INTEGER NOT NULL, undone INTEGER NOT NULL DEFAULT 0);"
      "CREATE TABLE IF NOT EXISTS run_items(run INTEGER NOT NULL, seq INTEGER NOT NULL,"
      " path BLOB NOT NULL, size INTEGER NOT NULL, trash BLOB NOT NULL, name BLOB NOT NULL,"
      " PRIMARY KEY(run, seq)) WITHOUT ROWID;");
}

std::int64_t TRunLog::Add(std::int64_t time, const std::string& command, bool cancelled,
                          const std::vector<TRunItem>& items) {
  db::TTransaction transaction(Db_);
  Db_.Prepare("INSERT INTO runs(time, command, cancelled) VALUES(?,?,?)")
      .Bind(1, time)
      .Bind(2, command)
      .Bind(3, cancelled ? 1 : 0)
      .Run();
  const std::int64_t run = Db_.LastInsertId();
  db::TStatement insert =
      Db_.Prepare("INSERT INTO run_items(run, seq, path, size, trash, name) VALUES(?,?,?,?,?,?)");
  std::int64_t seq = 0;
  for (const TRunItem& item : items) {
    insert.Bind(1, run).Bind(2, seq++).Bind(3, item.Path).Bind(4, item.Size);
    insert.Bind(5, item.TrashFolder).Bind(6, item.TrashName).Run();
  }
  transaction.Commit();
  return run;
}

std::vector<TRunSummary> TRunLog::Runs() {
  std::vector<TRunSummary> runs;
  db::TStatement select = Db_.Prepare((std::string(kSummaryColumns) + "ORDER BY id DESC").c_str());
  while (select.Step()) runs.push_back(SummaryOf(select));
  return runs;
}

std::optional<TRun> TRunLog::Run(std::int64_t id) {
  db::TStatement select = Db_.Prepare((std::string(kSummaryColumns) + "WHERE id = ?").c_str());
  select.Bind(1, id);
  if (!select.Step()) return std::nullopt;
  TRun run;
  run.Summary = SummaryOf(select);
  db::TStatement items =
      Db_.Prepare("SELECT path, size, trash, name FROM run_items WHERE run = ? ORDER BY seq");
  items.Bind(1, id);
  while (items.Step()) {
    run.Items.push_back({std::string(items.Blob(0)), items.Int(1), std::string(items.Blob(2)),
                         std::string(items.Blob(3))});
  }
  return run;
}

std::optional<TRun> TRunLog::LastRun() {
  db::TStatement select =
      Db_.Prepare("SELECT id FROM runs WHERE undone = 0 ORDER BY id DESC LIMIT 1");
  if (!select.Step()) return std::nullopt;
  const std::int64_t id = select.Int(0);
  select.Reset();
  return Run(id);
}

void TRunLog::MarkUndone(std::int64_t id) {
  Db_.Prepare("UPDATE runs SET undone = 1 WHERE id = ?").Bind(1, id).Run();
}

void TRunLog::SetItemSize(std::int64_t run, std::int64_t seq, std::int64_t size) {
  Db_.Prepare("UPDATE run_items SET size = ? WHERE run = ? AND seq = ?")
      .Bind(1, size)
      .Bind(2, run)
      .Bind(3, seq)
      .Run();
}

}  // namespace nubrix
