// Where the season store is, and how an offload's data gets into it: the
// store named on the command line or in the settings, else "zelkor.sqlite"
// in the data folder. When the store cannot be reached the offload still
// stands (its files are written); the backup is remembered in
// "Backup/GPS Data/pending-imports.txt" and imported the next time the
// store opens.
#pragma once

#include <string>
#include <vector>

#include "app/settings_store.h"
#include "store/season_store.h"

namespace zelkor {

// The settings value "Database" under this key: a PostgreSQL URL or a
// SQLite path; empty or missing for the default.
inline const char kStoreKey[] = "Software\\Nalvik, Inc\\Zelkor\\Store";

// option (--db) first, then the setting, then the default file.
std::string StoreTarget(const std::string& programDirectory, const std::string& option,
                        const SettingsStore* settings);

struct PendingImport {
  std::string path;  // a GPS data file (a backup)
  int port = -1;
  std::string at;
};
std::string PendingImportsPath(const std::string& programDirectory);
std::vector<PendingImport> ReadPendingImports(const std::string& programDirectory);
bool WritePendingImports(const std::string& programDirectory, const std::vector<PendingImport>& pending,
                         std::string* error);

struct KeepOutcome {
  bool stored = false;         // this image went into the store
  bool listed = false;         // or, when it could not, its backup is on the list of imports to come
  int added = 0;               // new fixes from it
  int waitingImported = 0;     // earlier offloads that were waiting and went in now
  int stillWaiting = 0;        // offloads waiting for the store
  std::string store;           // its description
  std::string error;           // why the store could not take it
  std::string backupPath;      // the file it was kept in
  // One sentence for the user: "200 new fixes in the season store (SQLite
  // /data/zelkor.sqlite)." or why not and what happens next.
  std::string message() const;
  // In the store or on its way there: what an erase may rely on.
  bool safe() const { return stored || listed; }
};

// Imports an offload's agreed image (kept in `info.backupPath`), after
// whatever was waiting.
KeepOutcome KeepInStore(const std::string& programDirectory, const std::string& target,
                        const std::vector<uint8_t>& image, const ImportInfo& info);

}  // namespace zelkor
