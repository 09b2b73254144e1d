#include "programdb/ScanRecord.h"

#include <algorithm>
#include <cstdlib>
#include <unordered_map>

#include "sizetree/SizeTreeU.h"

namespace nubrix {

namespace {

constexpr std::uint8_t kSizesFormat = 1;

[[noreturn]] void Damaged(const char* what) { throw db::TDatabaseError(what, true); }

void PutVarint(std::string& out, std::uint64_t value) {
  while (value >= 0x80) {
    out.push_back(static_cast<char>((value & 0x7F) | 0x80));
    value >>= 7;
  }
  out.push_back(static_cast<char>(value));
}

std::uint64_t GetVarint(std::string_view data, std::size_t& at) {
  std::uint64_t value = 0;
  for (int shift = 0; shift < 64; shift += 7) {
    if (at >= data.size()) Damaged("a kept scan is cut short");
    const auto byte = static_cast<std::uint8_t>(data[at++]);
    value |= static_cast<std::uint64_t>(byte & 0x7F) << shift;
    if ((byte & 0x80) == 0) return value;
  }
  Damaged("a kept scan holds an overlong number");
}

std::uint64_t ZigZag(std::int64_t value) {
  return (static_cast<std::uint64_t>(value) << 1) ^ static_cast<std::uint64_t>(value >> 63);
}

std::int64_t UnZigZag(std::uint64_t value) {
  return static_cast<std::int64_t>(value >> 1) ^ -static_cast<std::int64_t>(value & 1);
}

struct TKeptSize {
  std::int32_t Id;
  SizeMB Total;
};

// A kept scan's (folder number, total) pairs; every number must lie below idLimit.
std::vector<TKeptSize> DecodeSizes(std::string_view blob, std::int64_t idLimit) {
  std::vector<TKeptSize> sizes;
  if (blob.empty() || static_cast<std::uint8_t>(blob[0]) != kSizesFormat) {
    Damaged("a kept scan has an unknown format");
  }
  std::size_t at = 1;
  std::int64_t id = 0;
  while (at < blob.size()) {
    // Wrapping, not overflowing, on a damaged blob: the range check below then refuses it.
    id = static_cast<std::int64_t>(static_cast<std::uint64_t>(id) +
                                   static_cast<std::uint64_t>(UnZigZag(GetVarint(blob, at))));
    const std::uint64_t total = GetVarint(blob, at);
    if (id < 0 || id >= idLimit || total > static_cast<std::uint64_t>(INT64_MAX)) {
      Damaged("a kept scan names a folder the record does not know");
    }
    sizes.push_back({static_cast<std::int32_t>(id), static_cast<SizeMB>(total)});
  }
  return sizes;
}

std::string EncodeSizes(const std::vector<std::int32_t>& ids, const TScanSnapshot& snapshot) {
  std::string blob(1, static_cast<char>(kSizesFormat));
  blob.reserve(snapshot.Folders.size() * 4 + 1);
  std::int64_t previous = 0;
  for (std::size_t i = 0; i < ids.size(); ++i) {
    PutVarint(blob, ZigZag(ids[i] - previous));
    PutVarint(blob, static_cast<std::uint64_t>(std::max<SizeMB>(0, snapshot.Folders[i].Total)));
    previous = ids[i];
  }
  return blob;
}

std::string DictionaryKey(std::int64_t parent, std::string_view name) {
  std::string key(reinterpret_cast<const char*>(&parent), sizeof parent);
  key.append(name);
  return key;
}

// The folders one root's scans have seen, by number.
class TDictionary {
 public:
  TDictionary(db::TDatabase& db, std::int64_t root) : Db_(db), Root_(root) {
    db::TStatement rows = Db_.Prepare("SELECT id, parent, name FROM folders WHERE root = ?");
    rows.Bind(1, root);
    while (rows.Step()) {
      const std::int64_t id = rows.Int(0);
      const std::int64_t parent = rows.Int(1);
      if (id < 0 || id > INT32_MAX || parent < -1 || parent >= id) {
        Damaged("the folder dictionary is inconsistent");
      }
      if (static_cast<std::size_t>(id) >= Entries_.size()) {
        Entries_.resize(static_cast<std::size_t>(id) + 1);
      }
      Entries_[static_cast<std::size_t>(id)] = {static_cast<std::int32_t>(parent),
                                                std::string(rows.Blob(2)), true};
      Ids_.emplace(DictionaryKey(parent, rows.Blob(2)), static_cast<std::int32_t>(id));
    }
  }

  // The number of a folder, -1 when unknown; with add, an unknown one is numbered and stored.
  std::int32_t Find(std::int32_t parent, const std::string& name, bool add) {
    std::string key = DictionaryKey(parent, name);
    if (const auto found = Ids_.find(key); found != Ids_.end()) return found->second;
    if (!add) return -1;
    const auto id = static_cast<std::int32_t>(Entries_.size());
    if (!Insert_) {
      Insert_.emplace(Db_.Prepare("INSERT INTO folders(root, id, parent, name) VALUES(?,?,?,?)"));
    }
    Insert_->Bind(1, Root_).Bind(2, id).Bind(3, parent).Bind(4, name).Run();
    Entries_.push_back({parent, name, true});
    Ids_.emplace(std::move(key), id);
    return id;
  }

  std::int64_t Limit() const { return static_cast<std::int64_t>(Entries_.size()); }

  std::string Path(const std::string& rootPath, std::int32_t id) const {
    std::vector<const std::string*> names;
    for (std::int32_t at = id; at > 0; at = Entries_[static_cast<std::size_t>(at)].Parent) {
      names.push_back(&Entries_[static_cast<std::size_t>(at)].Name);
    }
    std::string path = rootPath;
    for (auto name = names.rbegin(); name != names.rend(); ++name) AppendPathSegment(path, **name);
    return path;
  }

  // Drops the folders no kept scan has.
  void Keep(const std::vector<bool>& used) {
    db::TStatement remove = Db_.Prepare("DELETE FROM folders WHERE root = ? AND id = ?");
    for (std::size_t id = 0; id < Entries_.size(); ++id) {
      if (Entries_[id].Present && (id >= used.size() || !used[id])) {
        remove.Bind(1, Root_).Bind(2, static_cast<std::int64_t>(id)).Run();
      }
    }
  }

 private:
  struct TEntry {
    std::int32_t Parent = -1;
    std::string Name;
    bool Present = false;
  };
  db::TDatabase& Db_;
  std::int64_t Root_;
  std::vector<TEntry> Entries_;
  std::unordered_map<std::string, std::int32_t> Ids_;
  std::optional<db::TStatement> Insert_;
};

void CreateTables(db::TDatabase& db) {
  db.Execute(
      "CREATE TABLE IF NOT EXISTS scan_roots(id INTEGER PRIMARY KEY, path BLOB NOT NULL UNIQUE);"
      "CREATE TABLE IF NOT EXISTS folders(root INTEGER NOT NULL, id INTEGER NOT NULL,"
      " parent INTEGER NOT NULL, name BLOB NOT NULL, PRIMARY KEY(root, id)) WITHOUT ROWID;"
      "CREATE TABLE IF NOT EXISTS scans(id INTEGER PRIMARY KEY, root INTEGER NOT NULL,"
      " time INTEGER NOT NULL, folder_count INTEGER NOT NULL, sizes BLOB NOT NULL);"
      "CREATE INDEX IF NOT EXISTS scans_of_root ON scans(root, id);");
}

std::optional<std::int64_t> FindRoot(db::TDatabase& db, const std::string& path, bool add) {
  db::TStatement find = db.Prepare("SELECT id FROM scan_roots WHERE path = ?");
  find.Bind(1, path);
  if (find.Step()) return find.Int(0);
  if (!add) return std::nullopt;
  db.Prepare("INSERT INTO scan_roots(path) VALUES(?)").Bind(1, path).Run();
  return db.LastInsertId();
}

std::vector<std::int32_t> NumberFolders(const TScanSnapshot& snapshot, TDictionary& dictionary,
                                        bool add) {
  std::vector<std::int32_t> ids(snapshot.Folders.size(), -1);
  for (std::size_t i = 0; i < ids.size(); ++i) {
    const TScanEntry& entry = snapshot.Folders[i];
    if (entry.Parent < 0) {
      ids[i] = i == 0 ? dictionary.Find(-1, {}, add) : -1;
      continue;
    }
    const std::int32_t parent = ids[static_cast<std::size_t>(entry.Parent)];
    if (parent >= 0) ids[i] = dictionary.Find(parent, entry.Name, add);
  }
  return ids;
}

TScanComparison Compare(const TScanSnapshot& snapshot, const std::vector<std::int32_t>& ids,
                        const TDictionary& dictionary, std::int64_t time, std::string_view blob) {
  const std::vector<TKeptSize> earlier = DecodeSizes(blob, dictionary.Limit());
  std::vector<SizeMB> before(static_cast<std::size_t>(dictionary.Limit()), kNewFolder);
  for (const TKeptSize& kept : earlier) before[static_cast<std::size_t>(kept.Id)] = kept.Total;
  TScanComparison comparison;
  comparison.EarlierTime = time;
  comparison.Before.reserve(ids.size());
  std::vector<bool> present(before.size(), false);
  for (const std::int32_t id : ids) {
    comparison.Before.push_back(id >= 0 ? before[static_cast<std::size_t>(id)] : kNewFolder);
    if (id >= 0) present[static_cast<std::size_t>(id)] = true;
  }
  for (const TKeptSize& kept : earlier) {
    if (!present[static_cast<std::size_t>(kept.Id)]) {
      comparison.Removed.push_back({dictionary.Path(snapshot.Root, kept.Id), kept.Total});
    }
  }
  return comparison;
}

void Prune(db::TDatabase& db, std::int64_t root, TDictionary& dictionary) {
  db::TStatement prune = db.Prepare(
      "DELETE FROM scans WHERE root = ?1 AND id NOT IN"
      " (SELECT id FROM scans WHERE root = ?1 ORDER BY id DESC LIMIT ?2)");
  prune.Bind(1, root).Bind(2, kKeptScans).Run();
  if (sqlite3_changes(db.Handle()) == 0) return;
  std::vector<bool> used(static_cast<std::size_t>(dictionary.Limit()), false);
  db::TStatement kept = db.Prepare("SELECT sizes FROM scans WHERE root = ?");
  kept.Bind(1, root);
  while (kept.Step()) {
    for (const TKeptSize& size : DecodeSizes(kept.Blob(0), dictionary.Limit())) {
      used[static_cast<std::size_t>(size.Id)] = true;
    }
  }
  dictionary.Keep(used);
}

}  // namespace

TScanSnapshot SnapshotOf(const TSizeFolder& root, std::int64_t time,
                         std::vector<const TSizeFolder*>* folders) {
  TScanSnapshot snapshot;
  snapshot.Root = root.Path();
  // A folder is kept under its absolute path, however it was named for the scan.
  if (char* absolute = realpath(snapshot.Root.c_str(), nullptr); absolute != nullptr) {
    snapshot.Root = absolute;
    std::free(absolute);
  }
  if (snapshot.Root.empty() || snapshot.Root.back() != '/') snapshot.Root.push_back('/');
  snapshot.Time = time;
  std::vector<std::pair<const TSizeFolder*, std::int32_t>> stack{{&root, -1}};
  while (!stack.empty()) {
    const auto [folder, parent] = stack.back();
    stack.pop_back();
    const auto index = static_cast<std::int32_t>(snapshot.Folders.size());
    snapshot.Folders.push_back(
        {parent, parent < 0 ? std::string() : folder->PathSegment(), folder->TotalSize()});
    if (folders != nullptr) folders->push_back(folder);
    for (int i = folder->ChildCount() - 1; i >= 0; --i) stack.emplace_back(folder->Child(i), index);
  }
  return snapshot;
}

std::string EntryPath(const TScanSnapshot& snapshot, std::size_t index) {
  std::vector<const std::string*> names;
  for (auto at = static_cast<std::int32_t>(index); at > 0;
       at = snapshot.Folders[static_cast<std::size_t>(at)].Parent) {
    names.push_back(&snapshot.Folders[static_cast<std::size_t>(at)].Name);
  }
  std::string path = snapshot.Root;
  for (auto name = names.rbegin(); name != names.rend(); ++name) AppendPathSegment(path, **name);
  return path;
}

TScanRecord::TScanRecord(const std::string& file) : Db_(file) { CreateTables(Db_); }

std::optional<TScanComparison> TScanRecord::CompareAndRecord(const TScanSnapshot& snapshot,
                                                             bool record) {
  if (snapshot.Folders.empty()) return std::nullopt;
  db::TTransaction transaction(Db_);
  const std::optional<std::int64_t> root = FindRoot(Db_, snapshot.Root, record);
  if (!root) return std::nullopt;
  TDictionary dictionary(Db_, *root);
  const std::vector<std::int32_t> ids = NumberFolders(snapshot, dictionary, record);
  std::optional<TScanComparison> comparison;
  {
    db::TStatement last =
        Db_.Prepare("SELECT time, sizes FROM scans WHERE root = ? ORDER BY id DESC LIMIT 1");
    last.Bind(1, *root);
    if (last.Step()) comparison = Compare(snapshot, ids, dictionary, last.Int(0), last.Blob(1));
  }
  if (record) {
    db::TStatement insert =
        Db_.Prepare("INSERT INTO scans(root, time, folder_count, sizes) VALUES(?,?,?,?)");
    insert.Bind(1, *root).Bind(2, snapshot.Time);
    insert.Bind(3, static_cast<std::int64_t>(ids.size())).Bind(4, EncodeSizes(ids, snapshot));
    insert.Run();
    Prune(Db_, *root, dictionary);
  }
  transaction.Commit();
  return comparison;
}

std::vector<std::int64_t> TScanRecord::ScanTimes(const std::string& root) {
  std::vector<std::int64_t> times;
  db::TStatement select = Db_.Prepare(
      "SELECT scans.time FROM scans JOIN scan_roots ON scans.root = scan_roots.id"
      " WHERE scan_roots.path = ? ORDER BY scans.id");
  select.Bind(1, root);
  while (select.Step()) times.push_back(select.Int(0));
  return times;
}

TRecordOutcome CompareAndRecord(const std::string& file, const TScanSnapshot& snapshot,
                                bool record) {
  TRecordOutcome outcome;
  const db::TDatabaseNote note = db::WithDatabase(
      file, [&] { outcome.Comparison = TScanRecord(file).CompareAndRecord(snapshot, record); });
  outcome.SetAside = note.SetAside;
  outcome.Error = note.Error;
  return outcome;
}

std::vector<TFolderGrowth> GrowthOf(const TScanSnapshot& snapshot,
                                    const TScanComparison& comparison) {
  std::vector<TFolderGrowth> growth;
  for (std::size_t i = 0; i < snapshot.Folders.size() && i < comparison.Before.size(); ++i) {
    const SizeMB now = snapshot.Folders[i].Total;
    const SizeMB before = comparison.Before[i] == kNewFolder ? 0 : comparison.Before[i];
    if (now != before) growth.push_back({now - before, now, EntryPath(snapshot, i)});
  }
  for (const TRemovedFolder& removed : comparison.Removed) {
    if (removed.Before != 0) growth.push_back({-removed.Before, 0, removed.Path});
  }
  std::stable_sort(
      growth.begin(), growth.end(),
      [](const TFolderGrowth& a, const TFolderGrowth& b) { return a.Change > b.Change; });
  return growth;
}

}  // namespace nubrix
