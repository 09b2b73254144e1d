#include "programdb/RunLog.h"

namespace nubrix {

namespace {

constexpr const char* kSummaryColumns =
    "SELECT runs.id, runs.time, runs.command, runs.cancelled, runs.undone,"
    " (SELECT count(*) FROM run_items WHERE run = runs.id),"
    " (SELECT coalesce(sum(size), 0) FROM run_items WHERE run = runs.id),"
    " (SELECT count(*) FROM run_items WHERE run = runs.id AND state = 1) FROM runs ";

TRunSummary SummaryOf(const db::TStatement& row) {
  TRunSummary summary;
  summary.Id = row.Int(0);
  summary.Time = row.Int(1);
  summary.Command = std::string(row.Blob(2));
  summary.Cancelled = row.Int(3) != 0;
  summary.Undone = row.Int(4) != 0;
  summary.Items = row.Int(5);
  summary.Bytes = row.Int(6);
  summary.Restored = row.Int(7);
  return summary;
}

// Devices and inodes are unsigned 64-bit numbers; SQLite keeps their bits in a signed one.
void BindId(db::TStatement& statement, int index, const std::optional<platform::TFileId>& id) {
  if (!id) {
    statement.BindNull(index).BindNull(index + 1);
    return;
  }
  statement.Bind(index, static_cast<std::int64_t>(id->Device))
      .Bind(index + 1, static_cast<std::int64_t>(id->Inode));
}

std::optional<platform::TFileId> IdAt(const db::TStatement& row, int column) {
  if (row.IsNull(column) || row.IsNull(column + 1)) return std::nullopt;
  return platform::TFileId{static_cast<dev_t>(row.Int(column)),
                           static_cast<ino_t>(row.Int(column + 1))};
}

bool HasColumn(db::TDatabase& db, const char* table, std::string_view column) {
  db::TStatement info = db.Prepare((std::string("PRAGMA table_info(") + table + ")").c_str());
  while (info.Step()) {
    if (info.Blob(1) == column) return true;
  }
  return false;
}

}  // namespace

TRunLog::TRunLog(const std::string& file) : Db_(file) {
  Db_.Execute(
      "CREATE TABLE IF NOT EXISTS runs(id INTEGER PRIMARY KEY, time INTEGER NOT NULL,"
      " command BLOB NOT NULL, cancelled INTEGER NOT NULL, undone INTEGER NOT NULL DEFAULT 0);"
      "CREATE TABLE IF NOT EXISTS run_items(run INTEGER NOT NULL, seq INTEGER NOT NULL,"
      " path BLOB NOT NULL, size INTEGER NOT NULL, trash BLOB NOT NULL, name BLOB NOT NULL,"
      " PRIMARY KEY(run, seq)) WITHOUT ROWID;");
  Upgrade();
}

// Logs kept before items carried their identity and state get the columns; an item of a run
// an undo ran on counts as put back, as the log said then.
void TRunLog::Upgrade() {
  if (HasColumn(Db_, "run_items", "state")) return;
  db::TTransaction transaction(Db_);
  if (!HasColumn(Db_, "run_items", "state")) {
    Db_.Execute(
        "ALTER TABLE run_items ADD COLUMN date BLOB;"
        "ALTER TABLE run_items ADD COLUMN item_dev INTEGER;"
        "ALTER TABLE run_items ADD COLUMN item_ino INTEGER;"
        "ALTER TABLE run_items ADD COLUMN item_birth INTEGER NOT NULL DEFAULT 0;"
        "ALTER TABLE run_items ADD COLUMN folder_dev INTEGER;"
        "ALTER TABLE run_items ADD COLUMN folder_ino INTEGER;"
        "ALTER TABLE run_items ADD COLUMN state INTEGER NOT NULL DEFAULT 0;"
        "UPDATE run_items SET state = 1 WHERE run IN (SELECT id FROM runs WHERE undone = 1);");
  }
  transaction.Commit();
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
  db::TStatement insert = Db_.Prepare(
      "INSERT INTO run_items(run, seq, path, size, trash, name, date, item_dev, item_ino,"
      " folder_dev, folder_ino, state, item_birth) VALUES(?,?,?,?,?,?,?,?,?,?,?,?,?)");
  std::int64_t seq = 0;
  for (const TRunItem& item : items) {
    insert.Bind(1, run).Bind(2, seq++).Bind(3, item.Path).Bind(4, item.Size);
    insert.Bind(5, item.TrashFolder).Bind(6, item.TrashName).Bind(7, item.DeletionDate);
    BindId(insert, 8, item.ItemId);
    BindId(insert, 10, item.FolderId);
    insert.Bind(12, static_cast<std::int64_t>(item.State)).Bind(13, item.ItemBirth).Run();
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
  db::TStatement items = Db_.Prepare(
      "SELECT path, size, trash, name, date, item_dev, item_ino, folder_dev, folder_ino, state,"
      " item_birth FROM run_items WHERE run = ? ORDER BY seq");
  items.Bind(1, id);
  while (items.Step()) {
    TRunItem& item = run.Items.emplace_back();
    item.Path = std::string(items.Blob(0));
    item.Size = items.Int(1);
    item.TrashFolder = std::string(items.Blob(2));
    item.TrashName = std::string(items.Blob(3));
    item.DeletionDate = std::string(items.Blob(4));
    item.ItemId = IdAt(items, 5);
    item.FolderId = IdAt(items, 7);
    item.State = static_cast<TItemState>(items.Int(9));
    item.ItemBirth = items.Int(10);
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

void TRunLog::RecordUndo(std::int64_t id,
                         const std::vector<std::pair<std::int64_t, TItemState>>& states) {
  db::TTransaction transaction(Db_);
  db::TStatement update = Db_.Prepare("UPDATE run_items SET state = ? WHERE run = ? AND seq = ?");
  for (const auto& [seq, state] : states)
    update.Bind(1, static_cast<std::int64_t>(state)).Bind(2, id).Bind(3, seq).Run();
  Db_.Prepare(
         "UPDATE runs SET undone = NOT EXISTS(SELECT 1 FROM run_items WHERE run = runs.id AND"
         " state = 0) WHERE id = ?")
      .Bind(1, id)
      .Run();
  transaction.Commit();
}

void TRunLog::SetItemSize(std::int64_t run, std::int64_t seq, std::int64_t size) {
  Db_.Prepare("UPDATE run_items SET size = ? WHERE run = ? AND seq = ?")
      .Bind(1, size)
      .Bind(2, run)
      .Bind(3, seq)
      .Run();
}

}  // namespace nubrix
