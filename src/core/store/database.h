// One small interface over the two SQL back ends of the season store,
// SQLite and PostgreSQL. Statements are written once, in portable SQL, with
// '?' for each parameter; values are always bound, never spliced into the
// text. Each back end keeps its statements prepared for reuse.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <variant>
#include <vector>

namespace zelkor {

using SqlValue = std::variant<std::monostate, int64_t, double, std::string>;

struct SqlRow {
  std::vector<SqlValue> cells;
  bool isNull(size_t i) const { return std::holds_alternative<std::monostate>(cells[i]); }
  int64_t integer(size_t i) const;
  double real(size_t i) const;
  std::string text(size_t i) const;
};

class Database {
 public:
  virtual ~Database() = default;
  // "SQLite" or "PostgreSQL".
  virtual std::string kind() const = 0;
  // Runs one statement. Result rows go to *rows and the rows it changed to
  // *changed (either may be null). False, with *error, on failure.
  virtual bool run(const std::string& sql, const std::vector<SqlValue>& params, std::vector<SqlRow>* rows,
                   int64_t* changed, std::string* error) = 0;
  // Runs statements without parameters, one after another (schema changes).
  virtual bool runScript(const std::string& sql, std::string* error) = 0;
  // The column type of a generated row number used as the primary key.
  virtual std::string autoIdColumn() const = 0;

  bool begin(std::string* error) { return run("BEGIN", {}, nullptr, nullptr, error); }
  bool commit(std::string* error) { return run("COMMIT", {}, nullptr, nullptr, error); }
  void rollback() {
    std::string ignored;
    run("ROLLBACK", {}, nullptr, nullptr, &ignored);
  }
};

// A SQLite file (made when missing), in WAL mode.
std::unique_ptr<Database> OpenSqlite(const std::string& path, std::string* error);
// A PostgreSQL server by its connection URL ("postgresql://user@host/db",
// "postgresql:///db?host=/run/socket").
std::unique_ptr<Database> OpenPostgres(const std::string& url, std::string* error);

}  // namespace zelkor
