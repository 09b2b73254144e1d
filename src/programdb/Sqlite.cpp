#include "programdb/Sqlite.h"

#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <ctime>
#include <filesystem>

namespace nubrix::db {

namespace {

bool IsDamage(int code) {
  const int primary = code & 0xFF;
  return primary == SQLITE_CORRUPT || primary == SQLITE_NOTADB;
}

}  // namespace

TDatabase::TDatabase(const std::string& file, int busyMilliseconds) {
  const int code =
      sqlite3_open_v2(file.c_str(), &Db_,
                      SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE | SQLITE_OPEN_NOMUTEX, nullptr);
  if (code != SQLITE_OK) {
    const std::string message = Db_ != nullptr ? sqlite3_errmsg(Db_) : "out of memory";
    sqlite3_close(Db_);
    Db_ = nullptr;
    throw TDatabaseError(file + ": " + message, IsDamage(code));
  }
  sqlite3_extended_result_codes(Db_, 1);
  sqlite3_busy_timeout(Db_, busyMilliseconds);
  try {
    // Reading the header here finds a file that is no database before anything is written.
    Execute("PRAGMA journal_mode=WAL");
    Execute("PRAGMA synchronous=NORMAL");
  } catch (...) {
    sqlite3_close(Db_);
    throw;
  }
}

TDatabase::~TDatabase() { sqlite3_close(Db_); }

void TDatabase::Fail(int code) const {
  throw TDatabaseError(sqlite3_errmsg(Db_), IsDamage(code) || IsDamage(sqlite3_errcode(Db_)));
}

void TDatabase::Execute(const char* sql) {
  const int code = sqlite3_exec(Db_, sql, nullptr, nullptr, nullptr);
  if (code != SQLITE_OK) Fail(code);
}

TStatement TDatabase::Prepare(const char* sql) {
  sqlite3_stmt* statement = nullptr;
  const int code = sqlite3_prepare_v2(Db_, sql, -1, &statement, nullptr);
  if (code != SQLITE_OK) Fail(code);
  return {*this, statement};
}

std::int64_t TDatabase::LastInsertId() const { return sqlite3_last_insert_rowid(Db_); }

TStatement::~TStatement() { sqlite3_finalize(Statement_); }

TStatement::TStatement(TStatement&& other) noexcept : Db_(other.Db_), Statement_(other.Statement_) {
  other.Statement_ = nullptr;
}

TStatement& TStatement::Bind(int index, std::int64_t value) {
  const int code = sqlite3_bind_int64(Statement_, index, value);
  if (code != SQLITE_OK) Db_->Fail(code);
  return *this;
}

TStatement& TStatement::Bind(int index, std::string_view blob) {
  // An empty blob bound from a null pointer would be NULL, which no column here accepts.
  static const char kNothing = 0;
  const int code = sqlite3_bind_blob64(Statement_, index, blob.empty() ? &kNothing : blob.data(),
                                       blob.size(), SQLITE_TRANSIENT);
  if (code != SQLITE_OK) Db_->Fail(code);
  return *this;
}

bool TStatement::Step() {
  const int code = sqlite3_step(Statement_);
  if (code == SQLITE_ROW) return true;
  if (code == SQLITE_DONE) return false;
  sqlite3_reset(Statement_);
  Db_->Fail(code);
}

void TStatement::Run() {
  while (Step()) {
  }
  Reset();
}

void TStatement::Reset() {
  sqlite3_reset(Statement_);
  sqlite3_clear_bindings(Statement_);
}

TStatement& TStatement::BindNull(int index) {
  const int code = sqlite3_bind_null(Statement_, index);
  if (code != SQLITE_OK) Db_->Fail(code);
  return *this;
}

bool TStatement::IsNull(int column) const {
  return sqlite3_column_type(Statement_, column) == SQLITE_NULL;
}

std::int64_t TStatement::Int(int column) const { return sqlite3_column_int64(Statement_, column); }

std::string_view TStatement::Blob(int column) const {
  const void* data = sqlite3_column_blob(Statement_, column);
  const int size = sqlite3_column_bytes(Statement_, column);
  if (data == nullptr || size <= 0) return {};
  return {static_cast<const char*>(data), static_cast<std::size_t>(size)};
}

TTransaction::TTransaction(TDatabase& db) : Db_(db) { Db_.Execute("BEGIN IMMEDIATE"); }

TTransaction::~TTransaction() {
  if (Open_) sqlite3_exec(Db_.Handle(), "ROLLBACK", nullptr, nullptr, nullptr);
}

void TTransaction::Commit() {
  Db_.Execute("COMMIT");
  Open_ = false;
}

namespace {

bool RenameIfThere(const std::string& from, const std::string& to) {
  return std::rename(from.c_str(), to.c_str()) == 0 || errno == ENOENT;
}

std::string AsideName(const std::string& file) {
  char stamp[32];
  const std::time_t now = std::time(nullptr);
  std::tm local{};
  localtime_r(&now, &local);
  std::strftime(stamp, sizeof stamp, "%Y%m%d-%H%M%S", &local);
  std::string name = file + ".damaged-" + stamp;
  for (int n = 2; access(name.c_str(), F_OK) == 0; ++n) {
    name = file + ".damaged-" + stamp + "-" + std::to_string(n);
  }
  return name;
}

}  // namespace

std::string SetAside(const std::string& file) {
  std::string aside = AsideName(file);
  if (!RenameIfThere(file, aside) || !RenameIfThere(file + "-wal", aside + "-wal")) return {};
  std::remove((file + "-shm").c_str());  // an index rebuilt from the journal, nothing more
  return aside;
}

void EnsureFolderOf(const std::string& file) {
  std::error_code ignored;
  std::filesystem::create_directories(std::filesystem::path(file).parent_path(), ignored);
}

}  // namespace nubrix::db

namespace nubrix {

std::string ProgramDatabaseFile(const std::string& appDataFolder) {
  std::string file = appDataFolder;
  if (!file.empty() && file.back() != '/') file.push_back('/');
  return file + "Nubrix.db";
}

}  // namespace nubrix
