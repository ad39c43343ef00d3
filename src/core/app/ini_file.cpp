#include "app/ini_file.h"

#include <sstream>

#include "util/read_file.h"

#include <cstdlib>
#include <fstream>

namespace zelkor {

namespace {
std::string Home() {
#ifdef _WIN32
  const char* h = std::getenv("USERPROFILE");
#else
  const char* h = std::getenv("HOME");
#endif
  return h ? h : "";
}

std::string Unescape(const std::string& s) {
  std::string out;
  for (size_t i = 0; i < s.size(); ++i) {
    if (s[i] == '%' && i + 2 < s.size()) {
      out.push_back(static_cast<char>(std::strtol(s.substr(i + 1, 2).c_str(), nullptr, 16)));
      i += 2;
    } else {
      out.push_back(s[i]);
    }
  }
  return out;
}

std::string Trim(const std::string& s) {
  const size_t a = s.find_first_not_of(" \t\r");
  if (a == std::string::npos) return std::string();
  const size_t b = s.find_last_not_of(" \t\r");
  return s.substr(a, b - a + 1);
}
}  // namespace

#ifdef _WIN32
// The desktop program keeps its settings in the registry; the programs
// without windows read an ini file of the same keys in the roaming profile,
// and keep their data where the desktop program does (its AppDataLocation).
std::string AppData() {
  const char* a = std::getenv("APPDATA");
  return a && *a ? a : Home();
}

std::string DefaultSettingsFile() { return AppData() + "\\Nalvik, Inc\\Zelkor.ini"; }

std::string DefaultUserDataDirectory() { return AppData() + "\\Nalvik, Inc\\Zelkor"; }
#else
std::string DefaultSettingsFile() {
  const char* x = std::getenv("XDG_CONFIG_HOME");
  const std::string base = x && *x ? x : Home() + "/.config";
  return base + "/Nalvik, Inc/Zelkor.conf";
}

std::string DefaultUserDataDirectory() {
  const char* x = std::getenv("XDG_DATA_HOME");
  const std::string base = x && *x ? x : Home() + "/.local/share";
  return base + "/Nalvik, Inc/Zelkor";
}
#endif

std::optional<std::string> ReadIniValue(const std::string& path, const std::string& section, const std::string& key) {
  std::string text;
  if (!ReadWholeFile(path, &text)) return std::nullopt;
  std::istringstream in(text);
  std::string line, current;
  while (std::getline(in, line)) {
    line = Trim(line);
    if (line.empty() || line[0] == ';' || line[0] == '#') continue;
    if (line.front() == '[' && line.back() == ']') {
      current = Unescape(line.substr(1, line.size() - 2));
      continue;
    }
    const size_t eq = line.find('=');
    if (eq == std::string::npos || current != section) continue;
    if (Unescape(Trim(line.substr(0, eq))) != key) continue;
    std::string value = Trim(line.substr(eq + 1));
    if (value.size() >= 2 && value.front() == '"' && value.back() == '"') value = value.substr(1, value.size() - 2);
    return value;
  }
  return std::nullopt;
}

}  // namespace zelkor
