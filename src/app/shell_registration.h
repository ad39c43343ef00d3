// "RegServer" / "UnregServer": add or remove the program's desktop entry and
// the ".gps" file association for the current user.
#pragma once

#include <QString>

namespace zelkor {

// Returns true when the word (after "-" or "/", any letter case) is one of
// the two registration switches; sets *unregister for "UnregServer".
bool IsRegistrationSwitch(const QString& arg, bool* unregister);

bool RegisterShellEntries(const QString& executablePath, QString* error);
bool UnregisterShellEntries(QString* error);

}  // namespace zelkor
