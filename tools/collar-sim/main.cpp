// collar-sim: a simulated GPS collar on a pseudo-terminal, for training,
// demonstrations and tests.
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cmath>
#include <cstring>
#include <fcntl.h>
#include <fstream>
#include <iterator>
#include <string>
#include <termios.h>
#include <unistd.h>

#include "collar_protocol.h"
#include "link/default_commands.h"
#include "sim_state.h"

using namespace collarsim;

namespace {

char g_linkPath[4096];

void OnSignal(int) {
  if (g_linkPath[0]) unlink(g_linkPath);
  _exit(0);
}

void Usage(std::FILE* to) {
  std::fputs(
      "usage: collar-sim --link PATH [options]\n"
      "  --link PATH        symbolic link to create to the collar's serial device\n"
      "  --state FILE       collar memory (record + data); created when missing\n"
      "  --commands DIR     command files to recognise (default: the shipped ones)\n"
      "  --fixes N          fixes in a new season (default 1500, at most 8190)\n"
      "  --seed S           random seed of a new season (default 1)\n"
      "  --start LAT,LON    start point of a new season (default 40,-105.5)\n"
      "  --id ID            collar ID of a new season (default 1234)\n"
      "  --bad-checks R     share of fixes with a bad check byte (default 0)\n"
      "  --failed-fixes R   share of fix attempts that got no position (0,0, default 0)\n"
      "  --pace             send at 4800 baud, 8N2\n"
      "  --silent           never answer\n"
      "  --nak              answer every command with NAK\n"
      "  --corrupt R        flip a bit in this share of the bytes sent\n"
      "  --drop R           drop this share of the bytes sent\n"
      "  --cut-after N      stop a transfer after N packets\n"
      "  --verbose          log every request on stderr\n"
      "  --version          print the version\n",
      to);
}

bool ReadFileBytes(const std::string& path, std::vector<uint8_t>* out) {
  std::ifstream in(path, std::ios::binary);
  if (!in) return false;
  out->assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
  return true;
}

}  // namespace

int main(int argc, char** argv) {
  std::string link, statePath, commandsDir;
  SeasonOptions season;
  LineFaults faults;
  Behaviour behaviour;
  bool verbose = false;
  for (int i = 1; i < argc; ++i) {
    const std::string a = argv[i];
    auto value = [&](const char* name) -> std::string {
      if (i + 1 >= argc) {
        std::fprintf(stderr, "collar-sim: %s needs a value\n", name);
        std::exit(64);
      }
      return argv[++i];
    };
    if (a == "--help" || a == "-h") {
      Usage(stdout);
      return 0;
    } else if (a == "--version") {
      std::printf("collar-sim %s\n", ZELKOR_VERSION);
      return 0;
    } else if (a == "--link") {
      link = value("--link");
    } else if (a == "--state") {
      statePath = value("--state");
    } else if (a == "--commands") {
      commandsDir = value("--commands");
    } else if (a == "--fixes") {
      season.fixes = static_cast<uint32_t>(std::strtoul(value("--fixes").c_str(), nullptr, 10));
    } else if (a == "--seed") {
      season.seed = static_cast<uint32_t>(std::strtoul(value("--seed").c_str(), nullptr, 10));
    } else if (a == "--start") {
      const std::string v = value("--start");
      if (std::sscanf(v.c_str(), "%lf,%lf", &season.startLat, &season.startLon) != 2 ||
          std::fabs(season.startLat) > 85 || std::fabs(season.startLon) > 180) {
        std::fprintf(stderr, "collar-sim: --start takes LAT,LON in signed degrees\n");
        return 64;
      }
    } else if (a == "--id") {
      season.collarId = static_cast<uint16_t>(std::strtoul(value("--id").c_str(), nullptr, 10));
    } else if (a == "--bad-checks") {
      season.badCheckShare = std::atof(value("--bad-checks").c_str());
    } else if (a == "--failed-fixes") {
      season.failedShare = std::atof(value("--failed-fixes").c_str());
    } else if (a == "--pace") {
      faults.pace = true;
    } else if (a == "--silent") {
      behaviour.silent = true;
    } else if (a == "--nak") {
      behaviour.nakAll = true;
    } else if (a == "--corrupt") {
      faults.corruptRate = std::atof(value("--corrupt").c_str());
    } else if (a == "--drop") {
      faults.dropRate = std::atof(value("--drop").c_str());
    } else if (a == "--cut-after") {
      behaviour.cutAfterPackets = std::atoi(value("--cut-after").c_str());
    } else if (a == "--verbose") {
      verbose = true;
    } else {
      std::fprintf(stderr, "collar-sim: unknown option %s\n", a.c_str());
      Usage(stderr);
      return 64;
    }
  }
  if (link.empty()) {
    Usage(stderr);
    return 64;
  }
  faults.seed = season.seed;

  std::vector<zelkor::CommandFile> commands = zelkor::DefaultCommandFiles();
  if (!commandsDir.empty()) {
    for (auto& c : commands) {
      if (!ReadFileBytes(commandsDir + "/" + c.name, &c.bytes)) {
        std::fprintf(stderr, "collar-sim: cannot read %s/%s\n", commandsDir.c_str(), c.name.c_str());
        return 1;
      }
    }
  }

  SimState state;
  std::string error;
  if (!statePath.empty() && access(statePath.c_str(), F_OK) == 0) {
    if (!LoadState(statePath, state, &error)) {
      std::fprintf(stderr, "collar-sim: %s\n", error.c_str());
      return 1;
    }
  } else {
    state = GenerateSeason(season);
    if (!statePath.empty() && !SaveState(statePath, state)) {
      std::fprintf(stderr, "collar-sim: cannot write %s\n", statePath.c_str());
      return 1;
    }
  }

  const int master = posix_openpt(O_RDWR | O_NOCTTY | O_CLOEXEC);
  if (master < 0 || grantpt(master) != 0 || unlockpt(master) != 0) {
    std::perror("collar-sim: pseudo-terminal");
    return 1;
  }
  const char* slaveName = ptsname(master);
  // Keep the slave side open ourselves, so that the program closing and the
  // transfer helper reopening the port never looks like a hang-up.
  const int slave = open(slaveName, O_RDWR | O_NOCTTY | O_CLOEXEC);
  if (slave < 0) {
    std::perror("collar-sim: slave");
    return 1;
  }
  termios t{};
  tcgetattr(slave, &t);
  cfmakeraw(&t);
  tcsetattr(slave, TCSANOW, &t);

  unlink(link.c_str());
  if (symlink(slaveName, link.c_str()) != 0) {
    std::fprintf(stderr, "collar-sim: cannot create %s: %s\n", link.c_str(), std::strerror(errno));
    return 1;
  }
  std::snprintf(g_linkPath, sizeof g_linkPath, "%s", link.c_str());
  struct sigaction sa {};
  sa.sa_handler = OnSignal;
  sigaction(SIGTERM, &sa, nullptr);
  sigaction(SIGINT, &sa, nullptr);
  sigaction(SIGHUP, &sa, nullptr);
  signal(SIGPIPE, SIG_IGN);

  std::printf("ready %s\n", link.c_str());
  std::fflush(stdout);

  FaultyChannel line(master, faults);
  Collar collar(state, statePath, commands, behaviour, line, verbose);
  volatile bool stop = false;
  collar.serve(stop);
  unlink(link.c_str());
  close(slave);
  close(master);
  return 0;
}
