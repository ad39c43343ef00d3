// The commands that talk to a collar: ports, send, offload.
#include <cstdio>
#include <map>

#include "link/helper_location.h"
#include "link/system_ports.h"
#include "app/access_file.h"
#include "app/security_level.h"
#include "app/utc_offset.h"
#include "cli_args.h"
#include "cli_commands.h"
#include "cli_zone.h"
#include "cli_setup.h"
#include "config/config_file.h"
#include "gpsdata/gps_fix.h"
#include "gpsdata/offload_workflow.h"
#include "link/collar_sequences.h"
#include "link/port_map.h"
#include "stderr_prompter.h"
#include "store/store_keeper.h"
#include "gpsdata/parallel_offload.h"
#include "link/port_session.h"
#include "app/paths.h"
#include "util/text.h"
#include <algorithm>
#include <cstdlib>
#include <memory>
#ifndef _WIN32
#include <termios.h>
#include <unistd.h>
#endif
#include <chrono>
#include <thread>

namespace zelkor::cli {

namespace {

class MemoryStore : public SettingsStore {
 public:
  bool keyExists(const std::string&) const override { return true; }
  bool createKey(const std::string&) override { return true; }
  SettingsValue read(const std::string&, const std::string&) const override { return {}; }
  bool write(const std::string&, const std::string&, const std::string&) override { return true; }
};

class NextCommand : public CommandSink {
 public:
  void postCommand(int id) override { last = id; }
  int last = 0;
};

// The time zone of an offload, one collar or several: --zone INDEX of the
// fixed list (UTC by default) or --tz ZONE. False, having said why, when the
// options are wrong.
bool OffloadZoneFrom(Args& args, std::optional<long> zone, int* zoneIndex, std::optional<NamedZone>* named) {
  if (zone && args.value("tz")) {
    std::fprintf(stderr, "error: --zone and --tz cannot be given together\n");
    return false;
  }
  if (!ZoneFromOption(args.value("tz"), named)) return false;
  *zoneIndex = static_cast<int>(zone.value_or(kUtcDefaultIndex));
  if (*zoneIndex < 0 || *zoneIndex >= static_cast<int>(TimeZoneEntries().size())) {
    std::fprintf(stderr, "error: --zone takes 0 to %zu\n", TimeZoneEntries().size() - 1);
    return false;
  }
  return true;
}

// "Enable Two Way GPS" takes the collar off the air until a magnet restart;
// the access table decides who may send it, as the program's menu does. The
// full level comes with the Security Level word, from ZELKOR_ACCESS_WORD or
// typed at the terminal (never on the command line).
bool MayEnableTwoWayGps(const std::string& dir) {
  AppState state;
  state.programDirectory = dir;
  StderrPrompter quiet;
  LoadAccessLevels(state, quiet);
  if (state.menuEnabledFor(kTwoWayGpsControl)) return true;
  std::string word;
  if (const char* w = std::getenv("ZELKOR_ACCESS_WORD")) {
    word = w;
  }
#ifndef _WIN32
  else if (isatty(STDIN_FILENO)) {
    std::fprintf(stderr, "Enable Two Way GPS needs the full access level. Security level word: ");
    termios old {};
    const bool hide = tcgetattr(STDIN_FILENO, &old) == 0;
    if (hide) {
      termios silent = old;
      silent.c_lflag &= ~static_cast<tcflag_t>(ECHO);
      tcsetattr(STDIN_FILENO, TCSANOW, &silent);
    }
    char line[128] = {};
    if (std::fgets(line, sizeof line, stdin)) word = line;
    if (hide) tcsetattr(STDIN_FILENO, TCSANOW, &old);
    std::fputc('\n', stderr);
    while (!word.empty() && (word.back() == '\n' || word.back() == '\r')) word.pop_back();
  }
#endif
  int level = state.accessLevel;
  StderrPrompter prompter;
  if (!word.empty() && ApplyAccessWord(word, level, prompter).accepted) state.accessLevel = level;
  if (state.menuEnabledFor(kTwoWayGpsControl)) return true;
  std::fprintf(stderr,
               "error: Enable Two Way GPS needs the full access level (AccessLevel.txt, control %d). Give the "
               "Security Level word in ZELKOR_ACCESS_WORD or type it when asked; nothing was sent.\n",
               kTwoWayGpsControl);
  return false;
}

}  // namespace

int RunPorts(int argc, char** argv) {
  Args args(argc, argv, 2, {"data-dir"}, {});
  if (!args.ok()) {
    std::fprintf(stderr, "error: %s\n", args.error().c_str());
    return kExitUsage;
  }
  SystemSerialPort serial(CliPortDevice);
  // Where the system lists its ports (Windows), its driver names come too.
  const std::map<int, std::string> listed = SystemComPorts();
  for (int i = 0; i < kPortCount; ++i) {
    const std::string device = serial.device(i);
    const bool free = serial.probePort(i) == 1;
    const PortProblem problem = serial.lastProblem(i);
    if (problem == PortProblem::Missing) continue;
    std::string shown = device;
    if (auto it = listed.find(i + 1); it != listed.end()) shown += " (" + it->second + ")";
    std::printf("COM%-3d %-28s %s\n", i + 1, shown.c_str(),
                free ? "free" : DescribePortProblem(problem, device).c_str());
  }
  return 0;
}

int RunSend(int argc, char** argv) {
  Args args(argc, argv, 3, {"port", "data-dir"}, {"yes"});
  const std::string what = argc > 2 ? argv[2] : "";
  const int port = PortIndexFrom(args);
  if (port < 0) return kExitUsage;
  if (what != "reset" && what != "almanac" && what != "twoway") {
    std::fprintf(stderr, "usage: zelkor-cli send reset|almanac|twoway --port N [--yes]\n");
    return kExitUsage;
  }
  const std::string dir = ProgramDirectoryFor(args);
  if (dir.empty()) return 1;
  StderrPrompter prompter;
  CollarLink link = MakeCollarLink(prompter, dir);
  if (what == "reset") {
    // Erasing a collar is asked for explicitly.
    if (!args.flag("yes")) {
      std::fprintf(stderr, "%s\nAdd --yes to erase the collar's data.\n", kResetQuestion);
      return 1;
    }
    prompter.answer = [](const std::string&) { return PromptAnswer::Yes; };
    // The memory is read first and erased only when it is already saved.
    if (RunResetSequence(prompter, *link.runner, port, dir, CancelRequested)) return 0;
    return CancelRequested() ? kExitCancelled : kExitNotErased;
  }
  if (what == "twoway" && !MayEnableTwoWayGps(dir)) return 1;
  LinkParams p;
  p.port = port;
  p.request = what == "almanac" ? LinkRequest::LoadAlmanac : LinkRequest::TwoWayGps;
  const LinkResult r = link.runner->run(p);
  if (r.cancelled) {
    std::fprintf(stderr, "Cancelled: nothing was sent to the collar.\n");
    return kExitCancelled;
  }
  if (!r.commandReceived) {
    std::fprintf(stderr, "error: the collar did not receive the command.\n");
    return 1;
  }
  if (what == "almanac") std::fprintf(stderr, "Load almanac command has been sent\n");
  else std::fprintf(stderr, "Two way GPS command has been sent.\n");
  return 0;
}

int RunOffloadCommand(int argc, char** argv) {
  Args args(argc, argv, 2, {"port", "out", "zone", "tz", "blocks", "db", "data-dir", "verify", "retries"},
            {"utm", "reset"});
  if (args.ok() && args.values("port").size() > 1) return RunParallelOffloadCommand(args);
  const int port = PortIndexFrom(args);
  if (port < 0) return kExitUsage;
  const auto zone = args.number("zone");
  const auto blocks = args.number("blocks");
  const auto out = args.value("out");
  if (!args.ok() || !out || out->empty()) {
    std::fprintf(stderr,
                 "%s\nusage: zelkor-cli offload --port N --out NAME [--utm] [--zone INDEX | --tz ZONE] [--blocks K] "
                 "[--reset] [--verify auto|always|never] [--retries N] [--db URL]\n"
                 "       zelkor-cli offload --port N --port M ... [--out PATTERN] [--utm] [--zone INDEX | --tz ZONE] "
                 "[--reset] [--db URL]\n",
                 args.ok() ? "error: --out NAME is required" : ("error: " + args.error()).c_str());
    return kExitUsage;
  }
  int zoneIndex = 0;
  std::optional<NamedZone> named;
  if (!OffloadZoneFrom(args, zone, &zoneIndex, &named)) return kExitUsage;
  VerifyMode verify = VerifyMode::Auto;
  if (const auto v = args.value("verify"); v && !ParseVerifyMode(*v, &verify)) {
    std::fprintf(stderr, "error: --verify takes auto, always or never, not \"%s\"\n", v->c_str());
    return kExitUsage;
  }
  const auto retries = args.number("retries");
  if (retries && (*retries < 0 || *retries > 100)) {
    std::fprintf(stderr, "error: --retries takes 0 to 100\n");
    return kExitUsage;
  }
  if (blocks && (*blocks < 0 || *blocks > static_cast<long>(kMaxGpsBlocks))) {
    std::fprintf(stderr, "error: --blocks takes a whole number from 0 to %u\n", kMaxGpsBlocks);
    return kExitUsage;
  }
  const std::string dir = ProgramDirectoryFor(args);
  if (dir.empty()) return 1;

  StderrPrompter prompter;
  const bool reset = args.flag("reset");
  // A failed transfer is tried again --retries times, a few seconds apart
  // (time to put a cable back); never when the user cancelled.
  auto retriesLeft = std::make_shared<long>(retries.value_or(0));
  prompter.answer = [reset, retriesLeft](const std::string& question) {
    if (question.find("datapointer") != std::string::npos || question.find("erase all data") != std::string::npos)
      return reset ? PromptAnswer::Yes : PromptAnswer::No;
    if ((question.find("was not received") != std::string::npos ||
         question.find("did not receive") != std::string::npos || question.find("Did not receive") != std::string::npos) &&
        *retriesLeft > 0 && !CancelRequested()) {
      --*retriesLeft;
      for (int i = 0; i < 30 && !CancelRequested(); ++i) std::this_thread::sleep_for(std::chrono::milliseconds(100));
      if (!CancelRequested()) return PromptAnswer::Retry;
    }
    return PromptAnswer::No;  // never overwrite an existing file
  };
  CollarLink link = MakeCollarLink(prompter, dir);
  AppState state;
  state.programDirectory = dir;
  state.comPort = port;
  // One lock from the configuration download to the last byte of the erase.
  SequenceHold hold(*link.runner, port);

  ConfigDownloadState download;
  NextCommand next;
  std::fprintf(stderr, "Reading the collar's configuration on COM%d...\n", port + 1);
  RunConfigDownloadChoice(CollarChoice::OffloadGpsData, port, dir, download, *link.runner, prompter, next);
  if (CancelRequested()) return kExitCancelled;
  if (next.last != kCmdOffloadGpsData) return 1;
  if (download.record.size() < kConfigRecordSize) return 1;
  CollarConfig config;
  {
    CollarConfigRecord raw{};
    std::copy(download.record.begin(), download.record.begin() + kConfigRecordSize, raw.begin());
    DecodeConfig(raw, config);
  }
  std::fprintf(stderr, "Collar %u holds %u data blocks.\n", config.collarId, config.dataBlockCount);
  if (reset && blocks && static_cast<uint32_t>(*blocks) < config.dataBlockCount) {
    std::fprintf(stderr,
                 "error: --reset with --blocks %ld would erase %u blocks that are never read. Offload all %u blocks "
                 "(leave out --blocks) to erase the collar.\n",
                 *blocks, config.dataBlockCount - static_cast<uint32_t>(*blocks), config.dataBlockCount);
    return kExitUsage;
  }

  OffloadChoice choice;
  choice.blocks = blocks.value_or(static_cast<long>(config.dataBlockCount));
  choice.initialCount = config.dataBlockCount;
  choice.fileName = *out;
  choice.form = args.flag("utm") ? OutputForm::Utm : OutputForm::LatLon;
  choice.zoneText = TimeZoneEntries()[static_cast<size_t>(zoneIndex)];
  choice.collarId = config.collarId;
  choice.namedZone = named;
  choice.verify = verify;
  MemoryStore store;
  SystemClock clock;
  OffloadContext context{state, store, prompter, *link.runner, clock, {}, {}};
  std::string target;
  ConnectOptions connect;
  if (!CliStoreTarget(args, dir, &target, &connect)) return kExitUsage;
  if (StoreBuiltIn()) context.keep = [&](const std::vector<uint8_t>& image, const std::string& backup, bool confirmed) {
    ImportInfo info{NowText(clock), port, backup};
    info.confirmed = confirmed;
    const KeepOutcome kept = KeepInStore(dir, target, image, info, connect);
    std::fprintf(stderr, "%s%s\n", kept.stored ? "" : "warning: ", kept.message().c_str());
    // The collar is erased only once the store holds its fixes.
    std::string message = kept.message();
    if (!kept.stored)
      message += Format(" Once the store holds them, erase the collar with \"zelkor-cli send reset --port %d\".",
                        port + 1);
    return KeepResult{kept.stored, message};
  };
  context.cancelled = CancelRequested;
  // A last moment to keep the collar's data, said where the user looks.
  context.beforeErase = [&] {
    std::fprintf(stderr, "Erasing collar %u in 2 seconds; press Ctrl+C to keep its data.\n", config.collarId);
    for (int i = 0; i < 20 && !CancelRequested(); ++i) std::this_thread::sleep_for(std::chrono::milliseconds(100));
  };
  const OffloadReport report = RunOffload(choice, context);
  if (report.cancelled && report.outcome != OffloadOutcome::Cancelled)
    std::fprintf(stderr, "Cancelled; nothing was erased.\n");
  switch (report.outcome) {
    case OffloadOutcome::Viewed:
      std::fprintf(stderr, "%u blocks translated to %s%s\nBackup copy: %s\n", report.translation.rows,
                   report.receivedPath.c_str(), report.confirmed ? " (confirmed by two reads)" : "",
                   report.backupPath.empty() ? "none" : report.backupPath.c_str());
      if (report.cancelled) return kExitCancelled;
      if (report.differsFromBlock) {
        std::fprintf(stderr, "error: the two reads differ from block %u: the saved CSV may hold errors; offload "
                     "again.\n", report.differsFromBlock);
        return kExitNotErased;
      }
      if (reset && !report.resetDone) {
        std::fprintf(stderr, "error: the collar's data pointer was not reset%s%s.\n",
                     report.failure.empty() ? "" : ": ", report.failure.c_str());
        return CancelRequested() ? kExitCancelled : kExitNotErased;
      }
      return 0;
    case OffloadOutcome::OverwriteDeclined:
      std::fprintf(stderr, "error: %s exists; choose another name with --out.\n", report.receivedPath.c_str());
      return 1;
    case OffloadOutcome::Cancelled:
      return kExitCancelled;
    case OffloadOutcome::Incomplete:
      return kExitIncomplete;
    case OffloadOutcome::Unconfirmed:
      std::fprintf(stderr, "error: %s; nothing was kept%s.\n", report.failure.c_str(),
                   report.evidencePath.empty() ? "" : (" but the read set aside in " + report.evidencePath).c_str());
      return kExitUnconfirmed;
    case OffloadOutcome::OutOfRange:
    case OffloadOutcome::BadFileName:
      return kExitUsage;
    case OffloadOutcome::NotReceived:
    case OffloadOutcome::TranslateFailed:
      break;
  }
  return CancelRequested() ? kExitCancelled : 1;
}

int RunParallelOffloadCommand(Args& args) {
  std::vector<int> ports;
  for (const std::string& p : args.values("port")) {
    char* end = nullptr;
    const long n = std::strtol(p.c_str(), &end, 10);
    if (*end != '\0' || n < 1 || n > kPortCount) {
      std::fprintf(stderr, "error: --port takes 1 to %d, not \"%s\"\n", kPortCount, p.c_str());
      return kExitUsage;
    }
    if (std::find(ports.begin(), ports.end(), n - 1) != ports.end()) {
      std::fprintf(stderr, "error: COM%ld is given twice\n", n);
      return kExitUsage;
    }
    ports.push_back(static_cast<int>(n - 1));
  }
  if (args.value("blocks")) {
    std::fprintf(stderr, "error: --blocks is for one collar; several collars are always offloaded whole\n");
    return kExitUsage;
  }
  const auto zone = args.number("zone");
  if (!args.ok()) {
    std::fprintf(stderr, "error: %s\n", args.error().c_str());
    return kExitUsage;
  }
  int zoneIndex = 0;
  std::optional<NamedZone> named;
  if (!OffloadZoneFrom(args, zone, &zoneIndex, &named)) return kExitUsage;
  const std::string pattern = args.value("out").value_or("{id}");
  if (pattern.find('/') != std::string::npos || pattern.find('\\') != std::string::npos) {
    std::fprintf(stderr, "error: --out takes a file name pattern without a folder, such as \"elk-{id}\"\n");
    return kExitUsage;
  }
  const std::string dir = ProgramDirectoryFor(args);
  if (dir.empty()) return 1;
  ParallelOffloadOptions options;
  options.ports = ports;
  options.namePattern = pattern;
  options.form = args.flag("utm") ? OutputForm::Utm : OutputForm::LatLon;
  options.zoneText = TimeZoneEntries()[static_cast<size_t>(zoneIndex)];
  options.namedZone = named;
  options.erase = args.flag("reset");
  SystemClock clock;
  std::string target;
  ConnectOptions connect;
  if (!CliStoreTarget(args, dir, &target, &connect)) return kExitUsage;
  ParallelOffload job(
      dir, clock,
      [&dir](int, std::function<void(const LinkDisplay&)> onTick, std::function<bool()> cancelled) {
        return std::make_unique<PortSession>(dir, CliPortDevice, XmodemHelperPath(ExecutableDirectory()),
                                             std::move(onTick), std::move(cancelled));
      },
      options,
      StoreBuiltIn() ? ImageKeeper([&](const std::vector<uint8_t>& image, const std::string& backup, bool confirmed,
                                       int port) {
        ImportInfo info{NowText(clock), port, backup};
        info.confirmed = confirmed;
        const KeepOutcome kept = KeepInStore(dir, target, image, info, connect);
        return KeepResult{kept.stored, kept.message()};
      })
                     : ImageKeeper());
  std::fprintf(stderr, "Offloading %zu collars at once...\n", ports.size());
  job.start();
  std::vector<bool> reported(ports.size(), false);
  std::vector<std::string> stages(ports.size());
  bool allOk = true;
  for (;;) {
    if (CancelRequested()) job.cancelAll();
    const std::vector<CollarRun> runs = job.snapshot();
    bool done = true;
    for (size_t i = 0; i < runs.size(); ++i) {
      const CollarRun& r = runs[i];
      done &= r.finished;
      // Each step of each collar, as it begins.
      if (!r.finished && r.stage != stages[i]) {
        stages[i] = r.stage;
        std::fprintf(stderr, "COM%d%s: %s\n", r.port + 1,
                     r.collarId ? Format(" (collar %u)", r.collarId).c_str() : "", r.stage.c_str());
      }
      if (!r.finished || reported[i]) continue;
      reported[i] = true;
      allOk &= r.ok;
      std::printf("COM%d: %s%s\n", r.port + 1, r.ok ? "" : (r.cancelled ? "cancelled: " : "failed: "), r.result.c_str());
      std::fflush(stdout);
    }
    if (done) break;
    std::this_thread::sleep_for(std::chrono::milliseconds(100));
  }
  job.wait();
  if (CancelRequested()) return kExitCancelled;
  return allOk ? 0 : 1;
}

}  // namespace zelkor::cli
