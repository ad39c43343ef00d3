#include <cstdio>
#include <cstdlib>

#include "analysis/season_summary.h"
#include "cli_args.h"
#include "cli_commands.h"
#include "cli_zone.h"
#include "config/config_file.h"
#include "gpsdata/gps_file_check.h"
#include "util/read_file.h"

namespace zelkor::cli {

bool ZoneFromOption(const std::optional<std::string>& value, std::optional<NamedZone>* zone) {
  if (!value) return true;
  std::string error;
  *zone = *value == "local" ? NamedZone::Local(&error) : NamedZone::Find(*value, &error);
  if (!*zone) std::fprintf(stderr, "error: %s\n", error.c_str());
  return zone->has_value();
}

int RunZones(int argc, char** argv) {
  Args args(argc, argv, 2, {"data-dir"}, {});
  if (!args.ok() || args.positional().size() > 1) {
    std::fprintf(stderr, "usage: zelkor-cli zones [PART]\n");
    return kExitUsage;
  }
  const std::string part = args.positional().empty() ? std::string() : args.positional()[0];
  int shown = 0;
  for (const std::string& name : NamedZone::Names()) {
    if (!part.empty() && name.find(part) == std::string::npos) continue;
    std::printf("%s\n", name.c_str());
    ++shown;
  }
  if (shown == 0) {
    std::fprintf(stderr, "error: no time zone name holds \"%s\".\n", part.c_str());
    return 1;
  }
  return 0;
}

int RunSummary(int argc, char** argv) {
  Args args(argc, argv, 2, {"config", "max-speed", "data-dir"}, {"json"});
  if (!args.ok() || args.positional().size() != 1) {
    std::fprintf(stderr, "%susage: zelkor-cli summary IN.gps [--config CFG] [--max-speed KMH] [--json]\n",
                 args.ok() ? "" : (args.error() + "\n").c_str());
    return kExitUsage;
  }
  SummaryOptions options;
  if (!MaxSpeedOption(args, &options.maxSpeedKmh)) return kExitUsage;
  std::string reason;
  if (const auto cfg = args.value("config")) {
    CollarConfig config;
    if (ReadConfigFile(*cfg, config, &reason) != ConfigFileStatus::Ok) {
      std::fprintf(stderr, "error: cannot read the configuration %s: %s.\n", cfg->c_str(), reason.c_str());
      return 1;
    }
    options.config = config;
  }
  const std::string& in = args.positional()[0];
  std::vector<uint8_t> image;
  SeasonSummary summary;
  if (!ReadWholeFile(in, &image, &reason)) {
    std::fprintf(stderr, "error: cannot read GPS data from %s: %s.\n", in.c_str(), reason.c_str());
    return 1;
  }
  if (!SummarizeSeason(image, options, &summary, &reason)) {
    std::fprintf(stderr, "error: %s\n", NotAGpsFileText(in, reason).c_str());
    return 1;
  }
  if (!summary.truncation.empty()) std::fprintf(stderr, "warning: %s: %s.\n", in.c_str(), summary.truncation.c_str());
  if (args.flag("json")) {
    std::fputs(SummaryJson(summary).c_str(), stdout);
  } else {
    for (const auto& [label, value] : SummaryFigures(summary)) std::printf("%-46s %s\n", (label + ":").c_str(), value.c_str());
  }
  return 0;
}

}  // namespace zelkor::cli
