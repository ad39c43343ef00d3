#include "link/helper_location.h"

#include <filesystem>
#include <system_error>

#include "link/xmodem_launcher.h"

namespace zelkor {

namespace {
namespace fs = std::filesystem;

std::string WithSlash(const std::string& dir) {
  if (dir.empty()) return "./";
  const char last = dir.back();
  return last == '/' || last == '\\' ? dir : dir + "/";
}

// <exeDir>/../lib/zelkor/ : /usr/bin -> /usr/lib/zelkor.
std::string InstalledDirectory(const std::string& exeDir) { return WithSlash(exeDir) + "../lib/zelkor/"; }

bool Exists(const std::string& path) {
  std::error_code ec;
  return fs::exists(fs::u8path(path), ec);
}
}  // namespace

const char* XmodemHelperName() {
#ifdef _WIN32
  return "NVK_Xmodem.exe";
#else
  return "nvk_xmodem";
#endif
}

std::string XmodemHelperPath(const std::string& exeDir) {
  const std::string beside = WithSlash(exeDir) + XmodemHelperName();
  if (Exists(beside)) return beside;
  const std::string installed = InstalledDirectory(exeDir) + XmodemHelperName();
  if (Exists(installed)) return fs::u8path(installed).lexically_normal().u8string();
  // Neither: the start fails and the message names the place in the build.
  return beside;
}

std::string PluginDirectory(const std::string& exeDir) {
  const std::string beside = WithSlash(exeDir) + "plugins";
  if (Exists(beside)) return beside;
  const std::string installed = InstalledDirectory(exeDir) + "plugins";
  if (Exists(installed)) return fs::u8path(installed).lexically_normal().u8string();
  return beside;
}

}  // namespace zelkor
