// One small interface over the two SQL back ends of the season store,
// SQLite and PostgreSQL. Statements are written once, in portable SQL, with
// '?' for each parameter; values are always bound, never spliced into the
// text. Each back end keeps its statements prepared for reuse.
#pragma once

#include <cstdint>
#include <functional>
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
  // Whether a table of that name exists (a read, nothing is made).
  virtual bool tableExists(const std::string& name, std::string* error) = 0;
  // A transaction that holds the store's write lock from its first
  // statement (SQLite BEGIN IMMEDIATE; on PostgreSQL an advisory lock on
  // `lock`, held to the end of the transaction), so that two programs never
  // change the same things at once.
  virtual bool beginLocked(int64_t lock, std::string* error) = 0;
  // False when nothing may be written here (a file on read-only media).
  virtual bool writable() const { return true; }
  // The user the server knows us as; empty for a file.
  virtual std::string user() const { return std::string(); }
  // Whether the last failure was a refusal for want of rights.
  virtual bool lastFailureWasPermission() const { return false; }

  bool begin(std::string* error) { return run("BEGIN", {}, nullptr, nullptr, error); }
  bool commit(std::string* error) { return run("COMMIT", {}, nullptr, nullptr, error); }
  void rollback() {
    std::string ignored;
    run("ROLLBACK", {}, nullptr, nullptr, &ignored);
  }
};

// A SQLite file, made when missing. Opening changes nothing in the file (a
// file that is not SQLite at all is refused unread); on read-only media (a
// file or folder that may not be written) it is opened read-only.
std::unique_ptr<Database> OpenSqlite(const std::string& path, std::string* error);

// Puts a store file that is known to be ours into WAL mode (nothing for a
// read-only one).
bool UseStoreJournal(Database& db, std::string* error);

// False in a build without database clients: there an offload has no
// store to wait for.
bool StoreBuiltIn();

struct ConnectOptions {
  // Polled while connecting and while a statement runs; true calls it off.
  std::function<bool()> cancelled;
  // Given apart from the target (from the keyring): never part of a text.
  std::string password;
  // Unless the target sets its own connect_timeout.
  int connectTimeoutSeconds = 10;
  // Each statement's limit on the server.
  int statementTimeoutSeconds = 120;
};

// A PostgreSQL server by any target libpq takes ("postgresql://user@host/db",
// "host=/run/socket dbname=db", "service=team").
std::unique_ptr<Database> OpenPostgres(const std::string& target, std::string* error,
                                       const ConnectOptions& options = {});

}  // namespace zelkor
