// zelkor-cli map: a season's map as a PNG or PDF for reports, drawn with
// Qt's painter (on the offscreen platform: no display is needed).
#include <QGuiApplication>
#include <cstdio>
#include <cstdlib>

#include "cli_args.h"
#include "cli_commands.h"
#include "season_map.h"

namespace zelkor::cli {

int RunMap(int argc, char** argv) {
  Args args(argc, argv, 2, {"layer", "size", "max-speed"}, {"utm"});
  if (!args.ok() || args.positional().size() != 2) {
    std::fprintf(stderr,
                 "%susage: zelkor-cli map IN.gps OUT.png|OUT.pdf [--layer FILE]... [--size WxH] [--utm] "
                 "[--max-speed KMH]\n",
                 args.ok() ? "" : (args.error() + "\n").c_str());
    return kExitUsage;
  }
  int width = 1600, height = 1200;
  if (const auto size = args.value("size")) {
    char tail = 0;
    if (std::sscanf(size->c_str(), "%dx%d%c", &width, &height, &tail) != 2 || width < 200 || height < 150 ||
        width > 12000 || height > 12000) {
      std::fprintf(stderr, "error: --size takes the picture's width and height in pixels, 200x150 to 12000x12000, "
                           "as \"1600x1200\", not \"%s\".\n",
                   size->c_str());
      return kExitUsage;
    }
  }
  SeasonMapOptions options;
  options.utm = args.flag("utm");
  if (!MaxSpeedOption(args, &options.maxSpeedKmh)) return kExitUsage;
  // Fonts need a GUI application; the offscreen platform needs no display.
  if (!std::getenv("QT_QPA_PLATFORM")) setenv("QT_QPA_PLATFORM", "offscreen", 1);
  int qtArgc = 1;
  char* qtArgv[] = {argv[0], nullptr};
  // Qt's note that it made its own runtime folder is no news to the user.
  qInstallMessageHandler([](QtMsgType type, const QMessageLogContext&, const QString& text) {
    if (text.startsWith("QStandardPaths:")) return;
    std::fprintf(stderr, "%s%s\n", type >= QtCriticalMsg ? "error: " : "", qPrintable(text));
  });
  QGuiApplication app(qtArgc, qtArgv);
  const std::string& in = args.positional()[0];
  const std::string& out = args.positional()[1];
  std::string reason;
  std::vector<std::string> problems;
  if (!SaveSeasonMap(in, out, args.values("layer"), width, height, options, &reason, &problems)) {
    std::fprintf(stderr, "error: no map of %s was written to %s: %s.\n", in.c_str(), out.c_str(), reason.c_str());
    return 1;
  }
  for (const std::string& p : problems)
    std::fprintf(stderr, "warning: a layer was left out: %s.\n", p.c_str());
  std::fprintf(stderr, "Map of %s written to %s (%dx%d).\n", in.c_str(), out.c_str(), width, height);
  return problems.empty() ? 0 : 3;
}

}  // namespace zelkor::cli
