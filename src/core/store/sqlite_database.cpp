#include <sqlite3.h>

#include <map>

#include "store/database.h"

namespace zelkor {

namespace {

class SqliteDatabase : public Database {
 public:
  explicit SqliteDatabase(sqlite3* db) : db_(db) {}
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
  std::map<std::string, sqlite3_stmt*> statements_;
};

}  // namespace

std::unique_ptr<Database> OpenSqlite(const std::string& path, std::string* error) {
  sqlite3* db = nullptr;
  if (sqlite3_open_v2(path.c_str(), &db, SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE | SQLITE_OPEN_FULLMUTEX,
                      nullptr) != SQLITE_OK) {
    if (error) *error = db ? sqlite3_errmsg(db) : "out of memory";
    sqlite3_close(db);
    return nullptr;
  }
  sqlite3_busy_timeout(db, 5000);
  auto database = std::make_unique<SqliteDatabase>(db);
  // WAL: readers never block the one writer, and a crash mid-import leaves
  // the last committed state. NORMAL is safe with WAL.
  if (!database->runScript("PRAGMA journal_mode=WAL; PRAGMA synchronous=NORMAL; PRAGMA foreign_keys=ON;", error))
    return nullptr;
  return database;
}

}  // namespace zelkor
