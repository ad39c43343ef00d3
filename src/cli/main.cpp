// zelkor-cli: headless jobs on the same core as the desktop program.
#include <cstdio>
#include <cstring>
#include <string>

#include "cli_commands.h"
#ifdef ZELKOR_HAVE_GDAL
#include "gis/gis_export.h"
#endif

namespace {
void Usage(std::FILE* to) {
  std::fputs(
      "usage: zelkor-cli COMMAND ...\n"
      "  translate IN OUT [--utm] [--offset H|+HH:MM] [--trailer TEXT] [--tz ZONE]\n"
      "  config show FILE\n"
      "  config rewrite IN OUT\n"
      "  export IN.gps OUT --format gpx|geojson|kml|movebank|gpkg|shp [--individual NAME] [--max-speed KMH]\n"
      "         [--utm] [--tz ZONE]   (gpkg and shp: UTM coordinates, local times)\n"
      "  map IN.gps OUT.png|OUT.pdf [--layer FILE]... [--size WxH] [--utm] [--max-speed KMH]\n"
      "  summary IN.gps [--config CFG] [--max-speed KMH] [--json]\n"
      "  zones [PART]\n"
      "  db import [FILE.gps...] | collars | imports [--collar ID] | fixes --collar ID [--from DATE] [--to DATE]\n"
      "     [--format F] OUT | remove --offload ID | remove --collar ID --yes | check\n"
      "     [--db TARGET]   the season store: the desktop's, else zelkor.sqlite in the data folder\n"
      "  ports\n"
      "  offload --port N --out NAME [--utm] [--zone INDEX | --tz ZONE] [--blocks K] [--reset] [--db TARGET]\n"
      "  offload --port N --port M ... [--out PATTERN] ...   several collars at once; {id} in PATTERN\n"
      "ZONE is a time zone name such as America/Denver, or \"local\" (see \"zones\").\n"
      "  send reset|almanac|twoway --port N [--yes]\n"
      "Every command accepts --data-dir DIR. --version prints the version.\n",
      to);
}
}  // namespace

int main(int argc, char** argv) {
  zelkor::cli::InstallCancelHandlers();
#ifdef ZELKOR_HAVE_GDAL
  zelkor::InstallGisExports();
#endif
  if (argc < 2) {
    Usage(stderr);
    return 64;
  }
  const std::string command = argv[1];
  if (command == "--version" || command == "-V") {
    std::printf("zelkor-cli %s\n", ZELKOR_VERSION);
    return 0;
  }
  if (command == "--help" || command == "-h" || command == "help") {
    Usage(stdout);
    return 0;
  }
  if (command == "translate") return zelkor::cli::RunTranslate(argc, argv);
  if (command == "config") return zelkor::cli::RunConfig(argc, argv);
  if (command == "export") return zelkor::cli::RunExport(argc, argv);
  if (command == "map") {
#ifdef ZELKOR_HAVE_MAPS
    return zelkor::cli::RunMap(argc, argv);
#else
    std::fprintf(stderr, "zelkor-cli: this build draws no maps (it is built without Qt or GDAL).\n");
    return 1;
#endif
  }
  if (command == "summary") return zelkor::cli::RunSummary(argc, argv);
  if (command == "zones") return zelkor::cli::RunZones(argc, argv);
  if (command == "db") return zelkor::cli::RunDb(argc, argv);
  if (command == "ports") return zelkor::cli::RunPorts(argc, argv);
  if (command == "send") return zelkor::cli::RunSend(argc, argv);
  if (command == "offload") return zelkor::cli::RunOffloadCommand(argc, argv);
  std::fprintf(stderr, "zelkor-cli: unknown command '%s'\n", command.c_str());
  Usage(stderr);
  return 64;
}
