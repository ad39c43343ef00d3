// What the collar commands of zelkor-cli share: the program directory, the
// serial ports, the transfer helper, and progress on stderr.
#pragma once

#include <memory>
#include <string>

#include "cli_args.h"
#include "link/link_runner.h"
#include "link/system_serial_port.h"
#include "link/xmodem_launcher.h"

namespace zelkor::cli {

// Resolves and prepares the program directory; empty (with a message on
// stderr) when that fails.
std::string ProgramDirectoryFor(const Args& args);

// The device of a port: environment, settings file, platform default.
std::string CliPortDevice(int portIndex);

// A progress printer for link displays: a bar when stderr is a terminal,
// plain lines otherwise.
std::function<void(const LinkDisplay&)> ProgressPrinter();

struct CollarLink {
  std::unique_ptr<SystemSerialPort> serial;
  std::unique_ptr<SpawnXmodemLauncher> launcher;
  std::unique_ptr<HeadlessLinkRunner> runner;
};

CollarLink MakeCollarLink(Prompter& prompter, const std::string& programDirectory);

// --port N (1-based) as a port index, or -1 with a message.
int PortIndexFrom(Args& args);

}  // namespace zelkor::cli
