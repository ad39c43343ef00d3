// Why a serial device could not be opened, and how to say so to the user.
#pragma once

#include <string>

namespace zelkor {

enum class PortProblem { None, Missing, Busy, PermissionDenied, NotATerminal, Other };

// One sentence naming the device, the reason and, where there is one, the
// remedy. Each platform words its own (groups on Linux, Device Manager on
// Windows).
std::string DescribePortProblem(PortProblem problem, const std::string& device);

// Who holds a busy device, for people: "PID 1234 (zelkor-cli)", "this
// program"; empty when that cannot be found out.
std::string PortHolder(const std::string& device);

}  // namespace zelkor
