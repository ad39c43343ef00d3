// The two back ends the store tests run against: a SQLite file in a
// temporary folder, and a fresh database on the throwaway PostgreSQL server
// that ctest starts (its URL in the file ZELKOR_PG_STATE names).
#pragma once

#include <gtest/gtest.h>

#include <fstream>
#include <random>
#include <string>

#include "store/database.h"
#include "store/season_store.h"
#include "support/temp_dir.h"

namespace zelkor::testing {

inline std::string PostgresServerUrl() {
  const char* state = std::getenv("ZELKOR_PG_STATE");
  if (!state) return std::string();
  std::ifstream in(state);
  for (std::string line; std::getline(in, line);)
    if (line.rfind("URL=", 0) == 0) return line.substr(4);
  return std::string();
}

// A store target of the given kind that lives as long as this object.
class StoreTarget {
 public:
  explicit StoreTarget(const std::string& kind) : kind_(kind) {
    if (kind == "SQLite") {
      target_ = dir_.file("zelkor.sqlite");
      return;
    }
    const std::string server = PostgresServerUrl();
    if (server.empty()) {
      ADD_FAILURE() << "no PostgreSQL test server: ZELKOR_PG_STATE is not set or names no URL (ctest starts one)";
      return;
    }
    std::random_device random;
    name_ = "zelkor_t" + std::to_string(random() % 1000000000);
    std::string error;
    auto admin = OpenPostgres(server, &error);
    if (!admin || !admin->runScript("CREATE DATABASE " + name_, &error)) {
      ADD_FAILURE() << "cannot make a test database: " << error;
      return;
    }
    server_ = server;
    target_ = server;
    target_.replace(target_.find("/postgres?"), 10, "/" + name_ + "?");
  }
  ~StoreTarget() {
    if (name_.empty() || server_.empty()) return;
    std::string error;
    if (auto admin = OpenPostgres(server_, &error)) admin->runScript("DROP DATABASE IF EXISTS " + name_ + " WITH (FORCE)", &error);
  }
  const std::string& target() const { return target_; }
  const std::string& kind() const { return kind_; }
  TempDir& dir() { return dir_; }

 private:
  std::string kind_;
  TempDir dir_;
  std::string target_;
  std::string server_;
  std::string name_;
};

}  // namespace zelkor::testing
