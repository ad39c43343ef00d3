// Where the password of a team's store is kept, apart from its address:
// the desktop's keyring when one answers, else the PostgreSQL password file
// (~/.pgpass, or the file PGPASSFILE names), which libpq reads by itself.
// Settings, messages, logs and command lines never hold it.
#pragma once

#include <memory>
#include <optional>
#include <string>

#include "app/settings_store.h"
#include "store/database.h"

namespace zelkor {

// A keyring: the desktop's (Secret Service) or, in tests, a stand-in.
class PasswordKeyring {
 public:
  virtual ~PasswordKeyring() = default;
  // Keeps the password under the key; false (with *error) when no keyring answers.
  virtual bool save(const std::string& key, const std::string& password, std::string* error) = 0;
  // The password kept under the key; nothing when none is or no keyring answers.
  virtual std::optional<std::string> find(const std::string& key) = 0;
  virtual void forget(const std::string& key) = 0;
};

// The password file libpq reads: PGPASSFILE, else ~/.pgpass
// (%APPDATA%\postgresql\pgpass.conf on Windows).
std::string PasswordFilePath();

// Puts the password of a target's server, port, database and user into the
// password file, replacing that entry if it was there and keeping every
// other line. The file is written whole, readable by its owner alone (libpq
// ignores a file others can read). A service name cannot be written there
// (libpq would not find it under the service's own name): false, *error set.
bool SavePasswordInFile(const std::string& target, const std::string& password, std::string* error);

struct PasswordKept {
  bool ok = false;
  std::string where;  // "the desktop keyring" or the password file's path
  std::string error;  // why it could not be kept anywhere
};
// Keeps a target's password: the keyring first, else the password file.
PasswordKept KeepStorePassword(PasswordKeyring* keyring, const std::string& target, const std::string& password);

// How to connect to a target: its password from the keyring when one is kept
// there; without it libpq looks in PGPASSWORD, the password file and the
// service file.
ConnectOptions StoreConnectOptions(PasswordKeyring* keyring, const std::string& target);

// A store setting an earlier version saved with its password: the password
// goes to the keyring (or the password file) and the setting keeps the
// address alone. Returns a sentence for the user when something moved.
std::string ProtectStoreSetting(SettingsStore& settings, PasswordKeyring* keyring);

}  // namespace zelkor
