#include <sqlite3.h>

#include <chrono>
#include <thread>
#include <vector>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>
#include <cstring>
#include <map>

#include "store/database.h"

namespace zelkor {

namespace {

class SqliteDatabase : public Database {
 public:
  SqliteDatabase(sqlite3* db, bool writable) : db_(db), writable_(writable) {}
  bool writable() const override { return writable_; }
  bool tableExists(const std::string& name, std::string* error) override {
    std::vector<SqlRow> rows;
    if (!run("SELECT COUNT(*) FROM sqlite_master WHERE type = 'table' AND name = ?", {name}, &rows, nullptr, error))
      return false;
    return !rows.empty() && rows[0].integer(0) > 0;
  }
  bool beginLocked(int64_t, std::string* error) override {
    return run("BEGIN IMMEDIATE", {}, nullptr, nullptr, error);
  }
  ~SqliteDatabase() override {
    for (auto& [sql, stmt] : statements_) sqlite3_finalize(stmt);
    sqlite3_close(db_);
  }
  std::string kind() const override { return "SQLite"; }
  std::string autoIdColumn() const override { return "INTEGER PRIMARY KEY"; }

  bool run(const std::string& sql, const std::vector<SqlValue>& params, std::vector<SqlRow>* rows, int64_t* changed,
           std::string* error) override {
    sqlite3_stmt* stmt = prepared(sql, error);
    if (!stmt) return false;
    sqlite3_reset(stmt);
    sqlite3_clear_bindings(stmt);
    for (size_t i = 0; i < params.size(); ++i) {
      const int at = static_cast<int>(i + 1);
      const SqlValue& v = params[i];
      if (auto p = std::get_if<int64_t>(&v))
        sqlite3_bind_int64(stmt, at, *p);
      else if (auto d = std::get_if<double>(&v))
        sqlite3_bind_double(stmt, at, *d);
      else if (auto s = std::get_if<std::string>(&v))
        sqlite3_bind_text(stmt, at, s->data(), static_cast<int>(s->size()), SQLITE_TRANSIENT);
      else
        sqlite3_bind_null(stmt, at);
    }
    for (;;) {
      const int rc = sqlite3_step(stmt);
      if (rc == SQLITE_DONE) break;
      if (rc != SQLITE_ROW) {
        if (error) *error = sqlite3_errmsg(db_);
        sqlite3_reset(stmt);
        return false;
      }
      if (!rows) continue;
      SqlRow row;
      const int n = sqlite3_column_count(stmt);
      row.cells.reserve(static_cast<size_t>(n));
      for (int c = 0; c < n; ++c) {
        switch (sqlite3_column_type(stmt, c)) {
          case SQLITE_INTEGER: row.cells.emplace_back(static_cast<int64_t>(sqlite3_column_int64(stmt, c))); break;
          case SQLITE_FLOAT: row.cells.emplace_back(sqlite3_column_double(stmt, c)); break;
          case SQLITE_NULL: row.cells.emplace_back(std::monostate{}); break;
          default:
            row.cells.emplace_back(std::string(reinterpret_cast<const char*>(sqlite3_column_text(stmt, c)),
                                               static_cast<size_t>(sqlite3_column_bytes(stmt, c))));
        }
      }
      rows->push_back(std::move(row));
    }
    if (changed) *changed = sqlite3_changes(db_);
    sqlite3_reset(stmt);
    return true;
  }

  bool runScript(const std::string& sql, std::string* error) override {
    char* message = nullptr;
    if (sqlite3_exec(db_, sql.c_str(), nullptr, nullptr, &message) != SQLITE_OK) {
      if (error) *error = message ? message : "unknown error";
      sqlite3_free(message);
      return false;
    }
    return true;
  }

 private:
  sqlite3_stmt* prepared(const std::string& sql, std::string* error) {
    auto it = statements_.find(sql);
    if (it != statements_.end()) return it->second;
    sqlite3_stmt* stmt = nullptr;
    if (sqlite3_prepare_v2(db_, sql.c_str(), static_cast<int>(sql.size()), &stmt, nullptr) != SQLITE_OK) {
      if (error) *error = sqlite3_errmsg(db_);
      return nullptr;
    }
    statements_[sql] = stmt;
    return stmt;
  }

  sqlite3* db_;
  bool writable_;
  std::map<std::string, sqlite3_stmt*> statements_;
};

bool CanWrite(const std::string& path) { return ::access(path.c_str(), W_OK) == 0; }

std::string FolderOf(const std::string& path) {
  const size_t slash = path.find_last_of("/\\");
  return slash == std::string::npos ? std::string(".") : path.substr(0, slash + 1);
}

// "file:" URI of a path, for the read-only modes.
std::string UriOf(const std::string& path, bool immutable) {
  std::string uri = "file:";
  for (char c : path) {
    if (c == '%' || c == '?' || c == '#') {
      char buf[4];
      std::snprintf(buf, sizeof buf, "%%%02X", static_cast<unsigned char>(c));
      uri += buf;
    } else {
      uri.push_back(c);
    }
  }
  return uri + (immutable ? "?mode=ro&immutable=1" : "?mode=ro");
}

}  // namespace

bool StoreBuiltIn() { return true; }

std::unique_ptr<Database> OpenSqlite(const std::string& path, std::string* error) {
  struct stat st {};
  const bool exists = ::stat(path.c_str(), &st) == 0;
  if (exists && !S_ISREG(st.st_mode)) {
    if (error) *error = "it is not a regular file";
    return nullptr;
  }
  if (exists && st.st_size > 0) {
    // A file that is not SQLite at all is refused before SQLite touches it.
    char head[16] = {};
    FILE* f = std::fopen(path.c_str(), "rb");
    const size_t n = f ? std::fread(head, 1, sizeof head, f) : 0;
    if (f) std::fclose(f);
    if (n < sizeof head || std::memcmp(head, "SQLite format 3", 16) != 0) {
      if (error) *error = "it is not a SQLite database; nothing was changed in it";
      return nullptr;
    }
  }
  // Read-only media: the file, or its folder (where SQLite keeps its
  // journal), may not be written. Such a store is opened only to read.
  const bool folderWritable = CanWrite(FolderOf(path));
  const bool writable = exists ? CanWrite(path) && folderWritable : folderWritable;
  sqlite3* db = nullptr;
  int rc;
  if (writable) {
    rc = sqlite3_open_v2(path.c_str(), &db, SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE | SQLITE_OPEN_FULLMUTEX, nullptr);
  } else if (exists) {
    rc = sqlite3_open_v2(UriOf(path, !folderWritable).c_str(), &db,
                         SQLITE_OPEN_READONLY | SQLITE_OPEN_URI | SQLITE_OPEN_FULLMUTEX, nullptr);
  } else {
    if (error) *error = "its folder may not be written, so the store cannot be made there";
    return nullptr;
  }
  if (rc != SQLITE_OK) {
    if (error) *error = db ? sqlite3_errmsg(db) : "out of memory";
    sqlite3_close(db);
    return nullptr;
  }
  sqlite3_busy_timeout(db, 15000);
  auto database = std::make_unique<SqliteDatabase>(db, writable);
  // Foreign keys are a setting of this connection, not of the file.
  if (!database->runScript("PRAGMA foreign_keys=ON;", error)) return nullptr;
  return database;
}

// The journal a store of ours keeps: WAL, so that readers never block the
// one writer and a crash mid-import leaves the last committed state. Set
// only once the file is known to be ours.
bool UseStoreJournal(Database& db, std::string* error) {
  if (!db.writable()) return true;
  std::vector<SqlRow> rows;
  if (!db.run("PRAGMA journal_mode", {}, &rows, nullptr, error)) return false;
  if (rows.empty() || rows[0].text(0) != "wal") {
    // The switch needs the file to itself, and SQLite does not wait for
    // that: programs opening a new store at once take turns here.
    const auto until = std::chrono::steady_clock::now() + std::chrono::seconds(15);
    std::string why;
    while (!db.runScript("PRAGMA journal_mode=WAL", &why)) {
      if (why.find("locked") == std::string::npos || std::chrono::steady_clock::now() > until) {
        if (error) *error = why;
        return false;
      }
      std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
  }
  return db.runScript("PRAGMA synchronous=NORMAL;", error);
}

}  // namespace zelkor
