#include "cli_setup.h"

#include "link/helper_location.h"

#include "cli_commands.h"

#include <cstdio>
#include <cstdlib>
#ifdef _WIN32
#include <io.h>
#define isatty _isatty
#define STDERR_FILENO 2
#else
#include <unistd.h>
#endif

#include "app/ini_file.h"
#include "app/paths.h"
#include "link/port_map.h"
#include "store/desktop_keyring.h"
#include "store/store_address.h"
#include "store/store_keeper.h"
#include "util/text.h"

namespace zelkor::cli {

std::string ProgramDirectoryFor(const Args& args) {
  ProgramDirectoryInputs in;
  in.optionDir = args.value("data-dir").value_or("");
  if (const char* env = std::getenv("ZELKOR_DATA_DIR")) in.envDir = env;
  in.exeDir = ExecutableDirectory();
  in.userDataDir = DefaultUserDataDirectory();
  const std::string dir = ResolveProgramDirectory(in);
  std::string error;
  if (!PrepareDataFolders(dir, &error)) {
    std::fprintf(stderr, "error: %s\n", error.c_str());
    return std::string();
  }
  return dir;
}

std::string CliPortDevice(int portIndex) {
  return PortDevice(portIndex, [](int com) {
    return ReadIniValue(DefaultSettingsFile(), "Port Devices", Format("COM%d", com));
  });
}

bool CliStoreTarget(const Args& args, const std::string& programDirectory, std::string* target,
                    ConnectOptions* options) {
  const std::string option = args.value("db").value_or("");
  if (!option.empty() && MaskPassword(option) != option) {
    std::fprintf(stderr,
                 "error: --db %s holds a password, which every user of this computer can read in the process "
                 "list. Give it instead through PGPASSWORD, ~/.pgpass (mode 600) or a service file, or save the "
                 "store in Zelkor (Settings > Season Store), which keeps the password in the keyring.\n",
                 MaskPassword(option).c_str());
    return false;
  }
  *target = StoreTarget(programDirectory, option,
                        ReadIniValue(DefaultSettingsFile(), "Store", "Database").value_or(""));
  *options = StoreConnectOptions(DesktopKeyring().get(), *target);
  options->cancelled = CancelRequested;
  return true;
}

std::function<void(const LinkDisplay&)> ProgressPrinter() {
  const bool tty = isatty(STDERR_FILENO);
  auto lastStatus = std::make_shared<std::string>();
  auto lastPacket = std::make_shared<int>(-1);
  auto barShown = std::make_shared<bool>(false);
  return [tty, lastStatus, lastPacket, barShown](const LinkDisplay& d) {
    if (d.status != *lastStatus && !d.status.empty()) {
      if (*barShown) std::fputc('\n', stderr);
      *barShown = false;
      std::fprintf(stderr, "%s\n", d.status.c_str());
      *lastStatus = d.status;
    }
    if (!d.transferring || d.packetsDone == *lastPacket) return;
    *lastPacket = d.packetsDone;
    const int total = d.packetTotal > 0 ? d.packetTotal : d.packetsDone;
    const std::string left = d.secondsLeft >= 0 ? Format("%d:%02d left", d.secondsLeft / 60, d.secondsLeft % 60) : "";
    if (tty) {
      const int width = 30;
      const int filled = total ? std::min(width, d.packetsDone * width / total) : 0;
      std::fprintf(stderr, "\r[%s%s] %d/%d packets  %.0f B/s  %s  ", std::string(static_cast<size_t>(filled), '#').c_str(),
                   std::string(static_cast<size_t>(width - filled), '.').c_str(), d.packetsDone, total,
                   d.bytesPerSecond, left.c_str());
      *barShown = true;
    } else if (d.packetsDone == 1 || d.packetsDone % 64 == 0 || d.packetsDone == total) {
      std::fprintf(stderr, "packet %d of %d, %.0f B/s %s\n", d.packetsDone, total, d.bytesPerSecond, left.c_str());
    }
    std::fflush(stderr);
  };
}

CollarLink MakeCollarLink(Prompter& prompter, const std::string& programDirectory) {
  CollarLink link;
  link.serial = std::make_unique<SystemSerialPort>(CliPortDevice);
  link.launcher = std::make_unique<SpawnXmodemLauncher>(XmodemHelperPath(ExecutableDirectory()));
  // The helper resolves ports from the environment alone; hand it the
  // devices that the settings file maps.
  for (int i = 0; i < kPortCount; ++i) {
    const std::string device = CliPortDevice(i);
    if (device != PortDevice(i)) link.launcher->setEnvironment(Format("ZELKOR_COM%d", i + 1), device);
  }
  link.runner = std::make_unique<HeadlessLinkRunner>(*link.serial, *link.launcher, prompter, programDirectory,
                                                     ProgressPrinter(), CancelRequested);
  return link;
}

int PortIndexFrom(Args& args) {
  const auto port = args.number("port");
  if (!args.ok()) {
    std::fprintf(stderr, "error: %s\n", args.error().c_str());
    return -1;
  }
  if (!port) {
    std::fprintf(stderr, "error: --port N is required (1 for COM1)\n");
    return -1;
  }
  if (*port < 1 || *port > kPortCount) {
    std::fprintf(stderr, "error: --port takes 1 to %d\n", kPortCount);
    return -1;
  }
  return static_cast<int>(*port - 1);
}

}  // namespace zelkor::cli
