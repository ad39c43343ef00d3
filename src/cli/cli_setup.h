// What the collar commands of zelkor-cli share: the program directory, the
// serial ports, the transfer helper, and progress on stderr.
#pragma once

#include <memory>
#include <string>

#include "cli_args.h"
#include "link/link_runner.h"
#include "link/system_serial_port.h"
#include "link/xmodem_launcher.h"
#include "store/database.h"

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

// The season store of one command: --db, else the store the desktop's
// settings name, else zelkor.sqlite in the data folder. A --db holding a
// password is refused (false, with a message): the process list would show
// it to every user.
// *options carry the password the desktop keyring keeps for it (libpq
// otherwise looks in PGPASSWORD, ~/.pgpass and the service file) and the
// Ctrl+C that calls off a connect or an import.
bool CliStoreTarget(const Args& args, const std::string& programDirectory, std::string* target,
                    ConnectOptions* options);

// --port N (1-based) as a port index, or -1 with a message.
int PortIndexFrom(Args& args);

}  // namespace zelkor::cli
