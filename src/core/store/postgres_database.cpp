#include <libpq-fe.h>
#include <poll.h>

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <map>
#include <vector>

#include "store/database.h"
#include "util/text.h"

namespace zelkor {

namespace {

// '?' placeholders become $1, $2 ... (outside quoted text).
std::string Numbered(const std::string& sql) {
  std::string out;
  int n = 0;
  bool quoted = false;
  for (char c : sql) {
    if (c == '\'') quoted = !quoted;
    if (c == '?' && !quoted)
      out += "$" + std::to_string(++n);
    else
      out.push_back(c);
  }
  return out;
}

std::string Trimmed(const char* message) {
  std::string s = message ? message : "";
  while (!s.empty() && (s.back() == '\n' || s.back() == ' ')) s.pop_back();
  return s;
}

// Waits for the connection's socket, a tenth of a second at a time.
bool WaitSocket(PGconn* conn, bool forWriting) {
  pollfd p{PQsocket(conn), static_cast<short>(forWriting ? POLLOUT : POLLIN), 0};
  return poll(&p, 1, 100) >= 0;
}

class PostgresDatabase : public Database {
 public:
  PostgresDatabase(PGconn* conn, ConnectOptions options) : conn_(conn), options_(std::move(options)) {}
  ~PostgresDatabase() override { PQfinish(conn_); }
  std::string kind() const override { return "PostgreSQL"; }
  std::string autoIdColumn() const override { return "BIGSERIAL PRIMARY KEY"; }
  std::string user() const override { return PQuser(conn_) ? PQuser(conn_) : ""; }
  bool lastFailureWasPermission() const override { return sqlState_ == "42501"; }
  bool tableExists(const std::string& name, std::string* error) override {
    std::vector<SqlRow> rows;
    // Asked of the catalog with this statement's own snapshot (to_regclass
    // would answer from this session's cache, which does not see the tables
    // that another program made while this one waited for the lock).
    if (!run("SELECT COUNT(*) FROM pg_catalog.pg_tables WHERE schemaname = current_schema() AND tablename = ?", {name},
             &rows, nullptr, error))
      return false;
    return !rows.empty() && rows[0].integer(0) > 0;
  }
  bool beginLocked(int64_t lock, std::string* error) override {
    if (!runScript("BEGIN", error)) return false;
    std::vector<SqlRow> rows;
    if (!run("SELECT pg_advisory_xact_lock(?)", {lock}, &rows, nullptr, error)) {
      rollback();
      return false;
    }
    return true;
  }

  bool run(const std::string& sql, const std::vector<SqlValue>& params, std::vector<SqlRow>* rows, int64_t* changed,
           std::string* error) override {
    if (sql == "BEGIN" || sql == "COMMIT" || sql == "ROLLBACK") return runScript(sql, error);
    std::string name;
    auto it = statements_.find(sql);
    if (it != statements_.end()) {
      name = it->second;
    } else {
      name = "s" + std::to_string(statements_.size() + 1);
      if (!PQsendPrepare(conn_, name.c_str(), Numbered(sql).c_str(), 0, nullptr)) {
        if (error) *error = Trimmed(PQerrorMessage(conn_));
        return false;
      }
      PGresult* r = Await(error);
      if (!r) return false;
      const bool ok = PQresultStatus(r) == PGRES_COMMAND_OK;
      if (!ok) Failed(r, error);
      PQclear(r);
      if (ok && !Drain(error)) return false;
      if (!ok) return false;
      statements_[sql] = name;
    }
    std::vector<std::string> text(params.size());
    std::vector<const char*> values(params.size(), nullptr);
    for (size_t i = 0; i < params.size(); ++i) {
      const SqlValue& v = params[i];
      if (auto p = std::get_if<int64_t>(&v))
        text[i] = std::to_string(*p);
      else if (auto d = std::get_if<double>(&v))
        text[i] = Format("%.17g", *d);
      else if (auto s = std::get_if<std::string>(&v))
        text[i] = *s;
      else
        continue;
      values[i] = text[i].c_str();
    }
    if (!PQsendQueryPrepared(conn_, name.c_str(), static_cast<int>(params.size()), values.data(), nullptr, nullptr,
                             0)) {
      if (error) *error = Trimmed(PQerrorMessage(conn_));
      return false;
    }
    PGresult* r = Await(error);
    if (!r) return false;
    const ExecStatusType status = PQresultStatus(r);
    if (status != PGRES_COMMAND_OK && status != PGRES_TUPLES_OK) {
      Failed(r, error);
      PQclear(r);
      return false;
    }
    if (rows && status == PGRES_TUPLES_OK) {
      const int n = PQntuples(r), cols = PQnfields(r);
      rows->reserve(rows->size() + static_cast<size_t>(n));
      for (int i = 0; i < n; ++i) {
        SqlRow row;
        row.cells.reserve(static_cast<size_t>(cols));
        for (int c = 0; c < cols; ++c) {
          if (PQgetisnull(r, i, c)) {
            row.cells.emplace_back(std::monostate{});
            continue;
          }
          const char* cell = PQgetvalue(r, i, c);
          switch (PQftype(r, c)) {
            case 20: case 21: case 23: row.cells.emplace_back(static_cast<int64_t>(std::strtoll(cell, nullptr, 10))); break;
            case 700: case 701: case 1700: row.cells.emplace_back(std::strtod(cell, nullptr)); break;
            default: row.cells.emplace_back(std::string(cell, static_cast<size_t>(PQgetlength(r, i, c))));
          }
        }
        rows->push_back(std::move(row));
      }
    }
    if (changed) {
      const char* tuples = PQcmdTuples(r);
      *changed = tuples && *tuples ? std::strtoll(tuples, nullptr, 10) : 0;
    }
    PQclear(r);
    return Drain(error);
  }

  bool runScript(const std::string& sql, std::string* error) override {
    if (!PQsendQuery(conn_, sql.c_str())) {
      if (error) *error = Trimmed(PQerrorMessage(conn_));
      return false;
    }
    // A script may give several results; each must be good.
    bool ok = true;
    for (;;) {
      std::string why;
      PGresult* r = Await(&why);
      if (!r) {
        if (!why.empty() && error && ok) *error = why;
        if (!why.empty()) ok = false;
        break;
      }
      const ExecStatusType status = PQresultStatus(r);
      if (status != PGRES_COMMAND_OK && status != PGRES_TUPLES_OK && ok) {
        Failed(r, error);
        ok = false;
      }
      PQclear(r);
    }
    return ok;
  }

 private:
  // The next result of what was sent, waiting on the socket so that a
  // cancel (the user's, or the statement taking far too long) is seen; null
  // when there are no more (error empty) or the wait was called off.
  PGresult* Await(std::string* error) {
    const auto deadline =
        std::chrono::steady_clock::now() + std::chrono::seconds(options_.statementTimeoutSeconds + 15);
    bool cancelSent = false;
    while (PQisBusy(conn_)) {
      const bool stop = (options_.cancelled && options_.cancelled()) || std::chrono::steady_clock::now() > deadline;
      if (stop && !cancelSent) {
        if (PGcancel* c = PQgetCancel(conn_)) {
          char buf[256];
          PQcancel(c, buf, sizeof buf);
          PQfreeCancel(c);
        }
        cancelSent = true;
        stoppedHere_ = options_.cancelled && options_.cancelled() ? "cancelled" : "the server did not answer in time";
      }
      if (stop && cancelSent && std::chrono::steady_clock::now() > deadline + std::chrono::seconds(5)) {
        // A server that ignores even the cancel: give the connection up.
        if (error) *error = stoppedHere_;
        return nullptr;
      }
      WaitSocket(conn_, false);
      if (!PQconsumeInput(conn_)) {
        if (error) *error = Trimmed(PQerrorMessage(conn_));
        return nullptr;
      }
    }
    PGresult* r = PQgetResult(conn_);
    if (!r && error) error->clear();
    return r;
  }

  // Reads what is left of a command's results, up to the end that lets the
  // next command go.
  bool Drain(std::string* error) {
    std::string why;
    while (PGresult* more = Await(&why)) PQclear(more);
    if (!why.empty() && error) *error = why;
    return why.empty();
  }

  void Failed(PGresult* r, std::string* error) {
    const char* state = PQresultErrorField(r, PG_DIAG_SQLSTATE);
    sqlState_ = state ? state : "";
    std::string why = Trimmed(PQresultErrorMessage(r));
    if (why.empty()) why = Trimmed(PQerrorMessage(conn_));
    if (sqlState_ == "57014" && !stoppedHere_.empty()) why = stoppedHere_;  // our own cancel
    if (error) *error = why;
    // The rest of the results of what was sent.
    while (PGresult* more = PQgetResult(conn_)) PQclear(more);
  }

  PGconn* conn_;
  ConnectOptions options_;
  std::map<std::string, std::string> statements_;
  std::string sqlState_;
  std::string stoppedHere_;
};

// The connect_timeout a target sets itself, in seconds; 0 when it sets none.
int OwnConnectTimeout(const std::string& target) {
  char* message = nullptr;
  PQconninfoOption* options = PQconninfoParse(target.c_str(), &message);
  if (message) PQfreemem(message);
  if (!options) return 0;
  int seconds = 0;
  for (PQconninfoOption* o = options; o->keyword; ++o)
    if (std::string(o->keyword) == "connect_timeout" && o->val && *o->val) seconds = std::atoi(o->val);
  PQconninfoFree(options);
  // libpq takes anything below 2 seconds as 2.
  return seconds <= 0 ? 0 : std::max(seconds, 2);
}

}  // namespace

std::unique_ptr<Database> OpenPostgres(const std::string& target, std::string* error, const ConnectOptions& options) {
  // The target as libpq takes it, with a time limit unless it sets one,
  // and a password from the keyring beside it (never in a text).
  std::vector<const char*> keys = {"dbname"}, values = {target.c_str()};
  const std::string timeout = std::to_string(options.connectTimeoutSeconds);
  const int ownTimeout = OwnConnectTimeout(target);
  const int limit = ownTimeout ? ownTimeout : options.connectTimeoutSeconds;
  if (!ownTimeout) {
    keys.push_back("connect_timeout");
    values.push_back(timeout.c_str());
  }
  if (!options.password.empty()) {
    keys.push_back("password");
    values.push_back(options.password.c_str());
  }
  keys.push_back("application_name");
  values.push_back("zelkor");
  keys.push_back(nullptr);
  values.push_back(nullptr);
  PGconn* conn = PQconnectStartParams(keys.data(), values.data(), 1);
  if (!conn || PQstatus(conn) == CONNECTION_BAD) {
    if (error) *error = conn ? Trimmed(PQerrorMessage(conn)) : "out of memory";
    PQfinish(conn);
    return nullptr;
  }
  // The connection made step by step, so that a cancel is seen and a
  // server that accepts but never answers is given up in time.
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(limit);
  for (PostgresPollingStatusType state = PGRES_POLLING_WRITING;;) {
    if (options.cancelled && options.cancelled()) {
      if (error) *error = "cancelled";
      PQfinish(conn);
      return nullptr;
    }
    if (std::chrono::steady_clock::now() > deadline) {
      if (error) *error = "the server did not answer within " + std::to_string(limit) + " seconds";
      PQfinish(conn);
      return nullptr;
    }
    if (state == PGRES_POLLING_OK) break;
    if (state == PGRES_POLLING_FAILED) {
      if (error) *error = Trimmed(PQerrorMessage(conn));
      PQfinish(conn);
      return nullptr;
    }
    pollfd p{PQsocket(conn), static_cast<short>(state == PGRES_POLLING_READING ? POLLIN : POLLOUT), 0};
    if (poll(&p, 1, 100) == 0) continue;
    state = PQconnectPoll(conn);
  }
  PQsetnonblocking(conn, 0);
  auto db = std::make_unique<PostgresDatabase>(conn, options);
  std::string ignored;
  db->runScript("SET client_min_messages TO WARNING; SET statement_timeout = " +
                    std::to_string(options.statementTimeoutSeconds * 1000),
                &ignored);
  return db;
}

}  // namespace zelkor
