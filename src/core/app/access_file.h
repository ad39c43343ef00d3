// Reading "AccessLevel.txt": three numbers per dialog control, read as one
// stream ("%d %d %d", then the rest of the line), the second number the show
// level and the third the edit level.
#pragma once

#include <string>

#include "app/app_state.h"
#include "app/prompter.h"

namespace zelkor {

// Parses the file's text into a table. Blank lines are skipped, a short
// line continues on the next; a line without numbers repeats the previous
// entry; entries beyond the last control are ignored.
AccessTable ParseAccessLevels(const std::string& text);

// Reads programDirectory + "AccessLevel.txt" into state.accessTable. The
// file is only read. When it cannot be read, warns through the prompter and
// leaves an all-zero table. Returns whether the file was read.
bool LoadAccessLevels(AppState& state, Prompter& prompter);

}  // namespace zelkor
