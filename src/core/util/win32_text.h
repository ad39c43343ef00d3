// UTF-8 <-> UTF-16 for the Win32 calls: every text inside the program is
// UTF-8; Windows takes file names and command lines as wide strings.
#pragma once

#include <string>

namespace zelkor {

std::wstring Wide(const std::string& utf8);
std::string Narrow(const std::wstring& utf16);
// The text of a Win32 error code ("The system cannot find the file specified").
std::string Win32ErrorText(unsigned long code);

}  // namespace zelkor
