// The season store: every fix of every collar, kept once, with the
// offloads and imports that brought them. A fix is identified by its
// collar, its stored time and its position, so importing a file again, or
// offloading a collar that was not erased, adds only the fixes not yet
// stored; each import remembers every fix it holds, so that removing an
// import takes away only what no other import holds. Each import is one
// transaction. The schema carries its version and is brought up to date,
// under a lock and only when needed: opening a current store writes
// nothing, so members who may only read can read.
#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "store/database.h"
#include "store/store_address.h"

namespace zelkor {

constexpr int kStoreSchemaVersion = 2;
// SQLite's application_id of a season store: "ZLKR".
constexpr int64_t kStoreApplicationId = 0x5A4C4B52;

struct ImportInfo {
  std::string at;          // when, as the user's clock reads "2026-12-07 14:03:07"
  int port = -1;           // COM port (0-based) of an offload; -1 for an imported file
  std::string backupPath;  // the file the data was kept in
  bool confirmed = false;  // two reads of the collar agreed on it
};

struct ImportResult {
  uint32_t collarId = 0;
  int64_t offloadId = 0;
  int blocks = 0;
  int added = 0;                 // fixes new to the store
  bool alreadyImported = false;  // the same bytes were imported before
  // A confirmed import took the place of fixes that an unconfirmed read of
  // the same memory had stored damaged; an unconfirmed one left out the
  // blocks a confirmed import contradicts.
  int replaced = 0;
  int ignored = 0;
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

struct StoredImport {
  int64_t offloadId = 0;
  uint32_t collarId = 0;
  std::string at;
  int port = -1;  // 0-based; -1 for an imported file
  std::string backupPath;
  int blocks = 0;
  int64_t held = 0;  // fixes it holds
  int64_t only = 0;  // of them, fixes no other import holds
  bool confirmed = false;
};

struct Removal {
  int64_t fixes = 0;    // fixes that went with it
  int64_t imports = 0;  // imports that went
  bool collarGone = false;
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
  // target: a PostgreSQL target (see IsPostgresTarget) or the path of a
  // SQLite file. A SQLite file that another program made is refused before
  // anything in it changes.
  static std::unique_ptr<SeasonStore> Open(const std::string& target, std::string* error,
                                           const ConnectOptions& options = {});

  // "SQLite /data/zelkor.sqlite" or "PostgreSQL postgresql://ana@host/db",
  // any password masked.
  const std::string& description() const { return description_; }
  int schemaVersion() const { return version_; }
  // False when this user may not change the store (read-only media, or a
  // server role with only SELECT); reading works all the same.
  bool writable() const { return db_->writable(); }
  // Empty when this user may import and remove; else why not, for the user
  // ("this store is read-only for user ana"). Asks the server what the
  // user's role may do.
  std::string readOnlyReason();

  // Imports a GPS data file image (its 64-byte header and blocks).
  bool import(const std::vector<uint8_t>& image, const ImportInfo& info, ImportResult* result, std::string* error);
  bool collars(std::vector<StoredCollar>* out, std::string* error);
  // The imports of one collar (all when collarId is 0), oldest first.
  bool imports(uint32_t collarId, std::vector<StoredImport>* out, std::string* error);
  // One collar's fixes as a GPS data file image, in time order (fixes
  // without a real time last): the header of its latest offload (with the
  // block count made to fit), then the blocks. from/to (UTC seconds)
  // narrow it, to exclusive.
  bool history(uint32_t collarId, std::optional<int64_t> from, std::optional<int64_t> to,
               std::vector<uint8_t>* image, std::string* error);
  // Takes an import away, with the fixes no other import holds; a collar
  // left without imports goes too.
  bool removeImport(int64_t offloadId, Removal* removal, std::string* error);
  // Takes a collar away with all its imports and fixes.
  bool removeCollar(uint32_t collarId, Removal* removal, std::string* error);
  // The back end's own integrity check, that every fix is held by an
  // import and every import's fix is stored, and the counts.
  bool check(StoreCheck* out, std::string* error);

 private:
  SeasonStore(std::unique_ptr<Database> db, std::string description)
      : db_(std::move(db)), description_(std::move(description)) {}
  bool recognise(std::string* error);
  bool migrate(std::string* error);
  int currentVersion(std::string* error, bool* ok);
  // Opens the transaction of a change to one collar's rows, under that
  // collar's lock; false with *error in the user's words.
  bool beginCollarChange(int64_t collar, std::string* error);
  // Rolls a change back; *error put in the user's words. Always false.
  bool abandonChange(std::string* error);
  // Why a change was refused, in words for the user.
  std::string changeRefused(const std::string& why) const;

  std::unique_ptr<Database> db_;
  std::string description_;
  int version_ = 0;
};

// The default store: "zelkor.sqlite" in the data folder.
std::string DefaultStorePath(const std::string& programDirectory);

}  // namespace zelkor
