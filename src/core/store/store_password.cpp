#include "store/store_password.h"

#include <cstdlib>
#include <sstream>
#include <vector>

#ifndef ZELKOR_WINDOWS_LEAN
#include <libpq-fe.h>
#endif
#ifndef _WIN32
#include <pwd.h>
#include <unistd.h>
#endif

#include "store/store_address.h"
#include "store/store_keeper.h"
#include "util/atomic_file.h"
#include "util/read_file.h"

namespace zelkor {

namespace {

std::vector<std::string> Split(const std::string& s, char sep) {
  std::vector<std::string> parts;
  std::string part;
  std::istringstream in(s);
  while (std::getline(in, part, sep)) parts.push_back(part);
  if (parts.empty()) parts.push_back(std::string());
  return parts;
}

// A field of the password file: ':' and '\' escaped, '*' for "any".
std::string Field(const std::string& value) {
  if (value.empty()) return "*";
  std::string out;
  for (char c : value) {
    if (c == ':' || c == '\\') out.push_back('\\');
    out.push_back(c);
  }
  return out;
}

// The first four fields of a line as written (escapes undone), for matching.
std::vector<std::string> LineFields(const std::string& line) {
  std::vector<std::string> fields(1);
  for (size_t i = 0; i < line.size() && fields.size() <= 4; ++i) {
    if (line[i] == '\\' && i + 1 < line.size()) {
      fields.back().push_back(line[++i]);
    } else if (line[i] == ':') {
      fields.emplace_back();
    } else {
      fields.back().push_back(line[i]);
    }
  }
  fields.resize(4);
  return fields;
}

}  // namespace

std::string PasswordFilePath() {
  if (const char* file = std::getenv("PGPASSFILE"); file && *file) return file;
#ifdef _WIN32
  const char* appData = std::getenv("APPDATA");
  return std::string(appData ? appData : ".") + "\\postgresql\\pgpass.conf";
#else
  const char* home = std::getenv("HOME");
  if (!home || !*home) {
    const passwd* pw = getpwuid(getuid());
    home = pw ? pw->pw_dir : "";
  }
  std::string folder = home;
  while (folder.size() > 1 && folder.back() == '/') folder.pop_back();
  return folder + "/.pgpass";
#endif
}

bool SavePasswordInFile(const std::string& target, const std::string& password, std::string* error) {
#ifdef ZELKOR_WINDOWS_LEAN
  (void)target;
  (void)password;
  if (error) *error = "this build of Zelkor has no season store";
  return false;
#else
  char* parseError = nullptr;
  PQconninfoOption* options = PQconninfoParse(WithoutPassword(target).c_str(), &parseError);
  if (!options) {
    if (error) *error = parseError ? parseError : "the address is not one libpq takes";
    PQfreemem(parseError);
    return false;
  }
  std::string host, port, dbname, user, service;
  for (PQconninfoOption* o = options; o->keyword; ++o) {
    const std::string value = o->val ? o->val : "";
    const std::string key = o->keyword;
    if (key == "host" && value.size()) host = value;
    else if (key == "hostaddr" && host.empty()) host = value;
    else if (key == "port") port = value;
    else if (key == "dbname") dbname = value;
    else if (key == "user") user = value;
    else if (key == "service") service = value;
  }
  PQconninfoFree(options);
  if (!service.empty()) {
    if (error)
      *error = "a password for the service \"" + service + "\" belongs in its service file or in " +
               PasswordFilePath() + " under the service's server, database and user";
    return false;
  }
  // libpq looks for "localhost" when no host is named.
  const std::vector<std::string> hosts = Split(host.empty() ? "localhost" : host, ',');
  const std::vector<std::string> ports = Split(port, ',');
  std::vector<std::string> ours;
  for (size_t i = 0; i < hosts.size(); ++i) {
    const std::string p = ports.size() == hosts.size() ? ports[i] : ports.front();
    ours.push_back(Field(hosts[i]) + ":" + Field(p) + ":" + Field(dbname) + ":" + Field(user) + ":" +
                   Field(password));
  }
  const std::string path = PasswordFilePath();
  std::string text;
  ReadWholeFile(path, &text);
  std::string kept;
  std::istringstream in(text);
  for (std::string line; std::getline(in, line);) {
    bool replaced = false;
    for (const std::string& mine : ours)
      replaced |= !line.empty() && line[0] != '#' && LineFields(line) == LineFields(mine);
    if (!replaced) kept += line + "\n";
  }
  for (const std::string& mine : ours) kept += mine + "\n";
  std::string reason;
  if (WritePrivateFileAtomically(path, kept, &reason) != AtomicWrite::Ok) {
    if (error) *error = "could not write " + path + ": " + reason;
    return false;
  }
  return true;
#endif
}

PasswordKept KeepStorePassword(PasswordKeyring* keyring, const std::string& target, const std::string& password) {
  PasswordKept kept;
  const std::string key = WithoutPassword(target);
  std::string keyringError;
  if (keyring && keyring->save(key, password, &keyringError)) {
    kept.ok = true;
    kept.where = "the desktop keyring";
    return kept;
  }
  std::string fileError;
  if (SavePasswordInFile(key, password, &fileError)) {
    kept.ok = true;
    kept.where = PasswordFilePath();
    return kept;
  }
  kept.error = (keyringError.empty() ? std::string("no keyring answered") : keyringError) + ", and " + fileError;
  return kept;
}

ConnectOptions StoreConnectOptions(PasswordKeyring* keyring, const std::string& target) {
  ConnectOptions options;
  if (keyring && IsPostgresTarget(target))
    if (auto password = keyring->find(WithoutPassword(target))) options.password = *password;
  return options;
}

std::string ProtectStoreSetting(SettingsStore& settings, PasswordKeyring* keyring) {
  const SettingsValue v = settings.read(kStoreKey, "Database");
  if (!v.present() || !IsPostgresTarget(v.text)) return std::string();
  std::string password;
  const std::string address = WithoutPassword(v.text, &password);
  if (password.empty()) return std::string();
  const PasswordKept kept = KeepStorePassword(keyring, address, password);
  if (!kept.ok)
    return "The season store's password stands in the settings, and could not be moved out of them: " + kept.error +
           ". Enter it again under Settings > Season Store.";
  if (!settings.write(kStoreKey, "Database", address))
    return "The season store's password was copied to " + kept.where +
           ", but the settings that still hold it could not be rewritten.";
  return "The season store's password was moved from the settings to " + kept.where + ".";
}

}  // namespace zelkor
