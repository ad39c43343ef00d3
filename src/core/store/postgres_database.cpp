#include <libpq-fe.h>

#include <cstdlib>
#include <map>

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

class PostgresDatabase : public Database {
 public:
  explicit PostgresDatabase(PGconn* conn) : conn_(conn) {}
  ~PostgresDatabase() override { PQfinish(conn_); }
  std::string kind() const override { return "PostgreSQL"; }
  std::string autoIdColumn() const override { return "BIGSERIAL PRIMARY KEY"; }

  bool run(const std::string& sql, const std::vector<SqlValue>& params, std::vector<SqlRow>* rows, int64_t* changed,
           std::string* error) override {
    if (sql == "BEGIN" || sql == "COMMIT" || sql == "ROLLBACK") return runScript(sql, error);
    std::string name;
    auto it = statements_.find(sql);
    if (it != statements_.end()) {
      name = it->second;
    } else {
      name = "s" + std::to_string(statements_.size() + 1);
      PGresult* r = PQprepare(conn_, name.c_str(), Numbered(sql).c_str(), 0, nullptr);
      const bool ok = PQresultStatus(r) == PGRES_COMMAND_OK;
      if (!ok && error) *error = Trimmed(PQerrorMessage(conn_));
      PQclear(r);
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
    PGresult* r = PQexecPrepared(conn_, name.c_str(), static_cast<int>(params.size()), values.data(), nullptr,
                                 nullptr, 0);
    const ExecStatusType status = PQresultStatus(r);
    if (status != PGRES_COMMAND_OK && status != PGRES_TUPLES_OK) {
      if (error) *error = Trimmed(PQerrorMessage(conn_));
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
    return true;
  }

  bool runScript(const std::string& sql, std::string* error) override {
    PGresult* r = PQexec(conn_, sql.c_str());
    const bool ok = PQresultStatus(r) == PGRES_COMMAND_OK || PQresultStatus(r) == PGRES_TUPLES_OK;
    if (!ok && error) *error = Trimmed(PQerrorMessage(conn_));
    PQclear(r);
    return ok;
  }

 private:
  PGconn* conn_;
  std::map<std::string, std::string> statements_;
};

}  // namespace

std::unique_ptr<Database> OpenPostgres(const std::string& url, std::string* error) {
  PGconn* conn = PQconnectdb(url.c_str());
  if (!conn || PQstatus(conn) != CONNECTION_OK) {
    if (error) *error = conn ? Trimmed(PQerrorMessage(conn)) : "out of memory";
    PQfinish(conn);
    return nullptr;
  }
  PGresult* r = PQexec(conn, "SET client_min_messages TO WARNING");
  PQclear(r);
  return std::make_unique<PostgresDatabase>(conn);
}

}  // namespace zelkor
