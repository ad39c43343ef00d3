#include "link/system_ports.h"

#include <windows.h>

#include <cwchar>

#include "util/win32_text.h"

namespace zelkor {

std::map<int, std::string> SystemComPorts() {
  std::map<int, std::string> ports;
  HKEY key = nullptr;
  if (RegOpenKeyExW(HKEY_LOCAL_MACHINE, L"HARDWARE\\DEVICEMAP\\SERIALCOMM", 0, KEY_READ, &key) != ERROR_SUCCESS)
    return ports;
  for (DWORD i = 0;; ++i) {
    wchar_t name[256];
    wchar_t data[64];
    DWORD nameSize = 256, dataSize = sizeof data, type = 0;
    const LONG r = RegEnumValueW(key, i, name, &nameSize, nullptr, &type, reinterpret_cast<BYTE*>(data), &dataSize);
    if (r == ERROR_NO_MORE_ITEMS) break;
    if (r != ERROR_SUCCESS || type != REG_SZ) continue;
    data[std::min<DWORD>(dataSize / sizeof(wchar_t), 63)] = L'\0';
    // "COM12" -> 12
    if (std::wcsncmp(data, L"COM", 3) != 0) continue;
    const int number = static_cast<int>(std::wcstol(data + 3, nullptr, 10));
    if (number > 0) ports[number] = Narrow(std::wstring(name, nameSize));
  }
  RegCloseKey(key);
  return ports;
}

}  // namespace zelkor
