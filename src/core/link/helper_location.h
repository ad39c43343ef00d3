// Where the program's companions live: the XMODEM receiver and the calendar
// control. In a build tree they sit beside the executables (the control in
// plugins/); an installed program keeps them in <prefix>/lib/zelkor/.
#pragma once

#include <string>

namespace zelkor {

// The receiver's full path for programs in exeDir (with a trailing
// separator): beside them when it is there, else the installed place.
std::string XmodemHelperPath(const std::string& exeDir);

// The calendar control's folder for programs in exeDir, by the same rule.
std::string PluginDirectory(const std::string& exeDir);

}  // namespace zelkor
