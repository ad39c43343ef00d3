// The season store: every fix of every collar, kept once, with the
// offloads and imports that brought them. A fix is identified by its
// collar, its stored time and its position, so importing a file again, or
// offloading a collar that was not erased, adds only the fixes not yet
// stored. Each import is one transaction. The schema carries its version
// and is brought up to date when the store is opened.
#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "store/database.h"

namespace zelkor {

constexpr int kStoreSchemaVersion = 1;

struct ImportInfo {
  std::string at;          // when, as the user's clock reads "2026-12-07 14:03:07"
  int port = -1;           // COM port (0-based) of an offload; -1 for an imported file
  std::string backupPath;  // the file the data was kept in
  bool confirmed = false;  // two reads of the collar agreed on it
};

struct ImportResult {
  uint32_t collarId = 0;
  int blocks = 0;
  int added = 0;                 // fixes new to the store
  bool alreadyImported = false;  // the same bytes were imported before
};

struct StoredCollar {
  uint32_t collarId = 0;
  int64_t fixes = 0;
  int offloads = 0;
  std::string firstFix;  // UTC, "2026-05-01T00:00:35Z"; empty without timed fixes
  std::string lastFix;
  std::string firstSeen;  // when it was first and last offloaded or imported
  std::string lastSeen;
};

struct StoreCheck {
  bool ok = true;
  int schemaVersion = 0;
  int64_t collars = 0;
  int64_t offloads = 0;
  int64_t fixes = 0;
  std::vector<std::string> problems;
};

class SeasonStore {
 public:
  // target: a PostgreSQL URL ("postgresql://...", "postgres://...") or the
  // path of a SQLite file. Creates and migrates the schema as needed.
  static std::unique_ptr<SeasonStore> Open(const std::string& target, std::string* error);

  // "SQLite /data/zelkor.sqlite" or "PostgreSQL postgresql://host/db", a
  // password left out.
  const std::string& description() const { return description_; }
  int schemaVersion() const { return version_; }

  // Imports a GPS data file image (its 64-byte header and blocks).
  bool import(const std::vector<uint8_t>& image, const ImportInfo& info, ImportResult* result, std::string* error);
  bool collars(std::vector<StoredCollar>* out, std::string* error);
  // One collar's fixes as a GPS data file image, in time order: the header
  // of its latest offload (with the block count made to fit), then the
  // blocks. from/to (UTC seconds) narrow it, to exclusive.
  bool history(uint32_t collarId, std::optional<int64_t> from, std::optional<int64_t> to,
               std::vector<uint8_t>* image, std::string* error);
  // The back end's own integrity check and the counts.
  bool check(StoreCheck* out, std::string* error);

 private:
  SeasonStore(std::unique_ptr<Database> db, std::string description)
      : db_(std::move(db)), description_(std::move(description)) {}
  bool migrate(std::string* error);

  std::unique_ptr<Database> db_;
  std::string description_;
  int version_ = 0;
};

bool IsPostgresUrl(const std::string& target);
// The default store: "zelkor.sqlite" in the data folder.
std::string DefaultStorePath(const std::string& programDirectory);
// The URL with any password replaced by "***".
std::string HidePassword(const std::string& url);

}  // namespace zelkor
