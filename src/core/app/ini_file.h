// Reads one value from the program's settings file (the INI form the
// desktop program writes), for the programs that have no settings library.
#pragma once

#include <optional>
#include <string>

namespace zelkor {

// The settings file: $XDG_CONFIG_HOME (or ~/.config) + "/Nalvik, Inc/Zelkor.conf".
std::string DefaultSettingsFile();
// The per-user data folder: $XDG_DATA_HOME (or ~/.local/share) + "/Nalvik, Inc/Zelkor".
std::string DefaultUserDataDirectory();

// Section and key as the program names them ("Port Devices", "COM3");
// escaped forms in the file ("Port%20Devices") are understood.
std::optional<std::string> ReadIniValue(const std::string& path, const std::string& section, const std::string& key);

}  // namespace zelkor
