// Where the season store is, and how an offload's data gets into it: the
// store named on the command line or in the settings, else "zelkor.sqlite"
// in the data folder. When the store cannot be reached the offload still
// stands (its files are written) and its backup goes on the list of imports
// to come, "Backup/GPS Data/pending-imports.txt": a journal that programs
// append to under a lock, from which an entry goes only once its import has
// committed. The next import, or "zelkor-cli db import" alone, takes it in.
#pragma once

#include <functional>
#include <string>
#include <vector>

#include "app/settings_store.h"
#include "store/season_store.h"

namespace zelkor {

// The settings value "Database" under this key: a PostgreSQL target (never
// with its password) or a SQLite path; empty or missing for the default.
inline const char kStoreKey[] = "Software\\Nalvik, Inc\\Zelkor\\Store";

// option (--db) first, then the setting, then the default file.
std::string StoreTarget(const std::string& programDirectory, const std::string& option,
                        const SettingsStore* settings);
std::string StoreTarget(const std::string& programDirectory, const std::string& option, const std::string& setting);

struct PendingImport {
  std::string path;  // a GPS data file (a backup)
  int port = -1;
  std::string at;
  bool confirmed = false;
};
std::string PendingImportsPath(const std::string& programDirectory);
std::vector<PendingImport> ReadPendingImports(const std::string& programDirectory);
// Adds an entry (appended under the list's lock; an entry already there is
// not added twice). False, with *error, when it could not be written.
bool AppendPendingImport(const std::string& programDirectory, const PendingImport& entry, std::string* error);
// Takes the entries of these paths off the list (under its lock).
bool RemovePendingImports(const std::string& programDirectory, const std::vector<std::string>& paths,
                          std::string* error);

struct KeepOutcome {
  bool stored = false;         // this image went into the store
  bool listed = false;         // or, when it could not, its backup is on the list of imports to come
  int added = 0;               // new fixes from it
  int replaced = 0;            // damaged fixes of an unconfirmed read it replaced
  int waitingImported = 0;     // earlier offloads that were waiting and went in now
  int stillWaiting = 0;        // offloads waiting for the store
  std::string store;           // its description
  std::string error;           // why the store could not take it
  std::string backupPath;      // the file it was kept in
  // One sentence for the user: "200 new fixes in the season store (SQLite
  // /data/zelkor.sqlite)." or why not and what happens next.
  std::string message() const;
};

// Imports an offload's agreed image (kept in `info.backupPath`), after
// whatever was waiting. options carry a cancel and a password.
KeepOutcome KeepInStore(const std::string& programDirectory, const std::string& target,
                        const std::vector<uint8_t>& image, const ImportInfo& info, const ConnectOptions& options = {});

struct PendingOutcome {
  int imported = 0;
  int left = 0;
  std::vector<std::string> failures;  // "FILE: why"
};
// Imports what the list holds into an open store; what went in leaves the
// list. `each` (when given) hears of every file as it goes in.
PendingOutcome ImportPending(const std::string& programDirectory, SeasonStore& store,
                             const std::function<void(const std::string& path, const ImportResult&)>& each = {});

}  // namespace zelkor
