#include <cstdio>
#include <cstdlib>

#include "cli_args.h"
#include "cli_commands.h"
#include "cli_zone.h"
#include "gpsdata/exports.h"

namespace zelkor::cli {

int RunExport(int argc, char** argv) {
  Args args(argc, argv, 2, {"format", "individual", "max-speed", "data-dir", "tz"}, {"utm"});
  ExportFormat format = ExportFormat::Gpx;
  const auto name = args.value("format");
  const bool known = name ? ParseExportFormat(*name, &format)
                          : args.positional().size() == 2 && ExportFormatForPath(args.positional()[1], &format);
  if (!args.ok() || args.positional().size() != 2 || !known) {
    std::fprintf(stderr,
                 "%susage: zelkor-cli export IN.gps OUT --format gpx|geojson|kml|movebank|gpkg|shp "
                 "[--individual NAME] [--max-speed KMH] [--utm] [--tz ZONE]\n",
                 args.ok() ? "" : (args.error() + "\n").c_str());
    return kExitUsage;
  }
  ExportOptions options;
  options.individual = args.value("individual").value_or("");
  if ((args.flag("utm") || args.value("tz")) && !IsGisFormat(format)) {
    std::fprintf(stderr, "error: --utm and --tz are for --format gpkg and shp; the other formats are in UTC degrees.\n");
    return kExitUsage;
  }
  options.utm = args.flag("utm");
  std::optional<NamedZone> zone;
  if (!ZoneFromOption(args.value("tz"), &zone)) return kExitUsage;
  if (zone) {
    options.zoneName = zone->name();
    options.offsetMinutesAt = [z = *zone](int64_t utc) { return z.offsetMinutesAt(utc); };
  }
  if (!MaxSpeedOption(args, &options.maxSpeedKmh)) return kExitUsage;
  int written = 0, skipped = 0;
  std::string reason;
  switch (ExportGpsFile(args.positional()[0], args.positional()[1], format, options, &written, &skipped, &reason)) {
    case ExportResult::InputFailed:
      std::fprintf(stderr, "error: cannot read GPS data from %s: %s.\n", args.positional()[0].c_str(),
                   reason.c_str());
      return 1;
    case ExportResult::OutputFailed:
      std::fprintf(stderr, "error: cannot write %s: %s; nothing was written under that name.\n",
                   args.positional()[1].c_str(), reason.c_str());
      return 2;
    case ExportResult::Ok:
      break;
  }
  std::fprintf(stderr, "%s to %s.\n", ExportedText(written, skipped).c_str(), args.positional()[1].c_str());
  return 0;
}

}  // namespace zelkor::cli
