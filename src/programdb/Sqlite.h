// A thin layer over SQLite for the program's own database: one connection, prepared statements
// that finalize themselves, errors as exceptions that say whether the file is damaged.
#pragma once

#include <sqlite3.h>

#include <cstdint>
#include <stdexcept>
#include <string>
#include <string_view>

namespace nubrix::db {

// Any failure of the database; Damaged when SQLite found the file is not a sound database.
class TDatabaseError : public std::runtime_error {
 public:
  TDatabaseError(const std::string& message, bool damaged)
      : std::runtime_error(message), Damaged_(damaged) {}
  bool Damaged() const { return Damaged_; }

 private:
  bool Damaged_;
};

class TStatement;

class TDatabase {
 public:
  // Opens or creates file in WAL mode with a busy timeout, so that several processes may write.
  explicit TDatabase(const std::string& file, int busyMilliseconds = 10000);
  ~TDatabase();
  TDatabase(const TDatabase&) = delete;
  TDatabase& operator=(const TDatabase&) = delete;

  void Execute(const char* sql);
  TStatement Prepare(const char* sql);
  std::int64_t LastInsertId() const;
  sqlite3* Handle() const { return Db_; }
  [[noreturn]] void Fail(int code) const;

 private:
  sqlite3* Db_ = nullptr;
};

class TStatement {
 public:
  TStatement(const TDatabase& db, sqlite3_stmt* statement) : Db_(&db), Statement_(statement) {}
  ~TStatement();
  TStatement(TStatement&& other) noexcept;
  TStatement(const TStatement&) = delete;
  TStatement& operator=(const TStatement&) = delete;
  TStatement& operator=(TStatement&&) = delete;

  TStatement& Bind(int index, std::int64_t value);
  TStatement& Bind(int index, std::string_view blob);  // as a BLOB: paths are bytes
  TStatement& BindNull(int index);
  // true while a row is there to read; false when done.
  bool Step();
  // Runs a statement that returns no rows, then makes it ready to run again.
  void Run();
  void Reset();

  std::int64_t Int(int column) const;
  std::string_view Blob(int column) const;
  bool IsNull(int column) const;

 private:
  const TDatabase* Db_;
  sqlite3_stmt* Statement_;
};

// BEGIN IMMEDIATE now, ROLLBACK unless Commit was called.
class TTransaction {
 public:
  explicit TTransaction(TDatabase& db);
  ~TTransaction();
  TTransaction(const TTransaction&) = delete;
  TTransaction& operator=(const TTransaction&) = delete;
  void Commit();

 private:
  TDatabase& Db_;
  bool Open_ = true;
};

// What became of a use of the database file beyond its own result.
struct TDatabaseNote {
  std::string SetAside;  // where a damaged file was moved; empty when none was
  std::string Error;     // why the work could not be done; empty when it was
};

// Renames a damaged file aside (with its journal; never deleted: it may hold what someone wants
// back). The new name, or empty when it could not be moved.
std::string SetAside(const std::string& file);
// Makes the folder of file when it is missing.
void EnsureFolderOf(const std::string& file);

// Runs work(), which opens file itself; when the file turns out damaged it is set aside and
// work() runs once more on a new one. Errors of the database end up in the note.
template <class Work>
TDatabaseNote WithDatabase(const std::string& file, Work&& work) {
  TDatabaseNote note;
  EnsureFolderOf(file);
  for (int attempt = 0; attempt < 2; ++attempt) {
    try {
      work();
      note.Error.clear();
      return note;
    } catch (const TDatabaseError& error) {
      note.Error = error.what();
      if (!error.Damaged() || attempt > 0) return note;
    }
    note.SetAside = SetAside(file);
    if (note.SetAside.empty()) {
      note.Error += "; it could not be set aside";
      return note;
    }
  }
  return note;
}

}  // namespace nubrix::db

namespace nubrix {

// The program's database (scans kept, cleanup runs) in the settings folder.
std::string ProgramDatabaseFile(const std::string& appDataFolder);

}  // namespace nubrix
