// The per-user settings store: string values under key paths such as
// "Software\Nalvik, Inc\Zelkor\Settings". The program implements it on
// QSettings; tests use an in-memory store.
#pragma once

#include <string>

namespace zelkor {

inline const char kTopKey[] = "Software\\Nalvik, Inc\\Zelkor";
inline const char kSettingsKey[] = "Software\\Nalvik, Inc\\Zelkor\\Settings";
inline const char kPrintSettingsKey[] = "Software\\Nalvik, Inc\\Zelkor\\Print Settings";
// The main window's size and place.
inline const char kWindowKey[] = "Software\\Nalvik, Inc\\Zelkor\\Window";
// Analysis choices: "Named Time Zone" (the last one chosen) and "Max Speed"
// (km/h, above which a fix is an outlier).
inline const char kAnalysisKey[] = "Software\\Nalvik, Inc\\Zelkor\\Analysis";

enum class ReadStatus { Present, Missing, Unreadable };

struct SettingsValue {
  ReadStatus status = ReadStatus::Missing;
  std::string text;
  bool present() const { return status == ReadStatus::Present; }
};

class SettingsStore {
 public:
  virtual ~SettingsStore() = default;
  virtual bool keyExists(const std::string& key) const = 0;
  // Creates the key if it is missing; false when that fails.
  virtual bool createKey(const std::string& key) = 0;
  virtual SettingsValue read(const std::string& key, const std::string& name) const = 0;
  // Writes a string value, creating the key as needed; false on failure.
  virtual bool write(const std::string& key, const std::string& name, const std::string& value) = 0;
  // Where the settings live, for people (a file, a registry key).
  virtual std::string location() const { return std::string(); }
};

}  // namespace zelkor
