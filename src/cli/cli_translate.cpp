#include <cstdio>

#include "cli_args.h"
#include "cli_commands.h"
#include "cli_zone.h"
#include "gpsdata/translate.h"
#include "util/read_file.h"

namespace zelkor::cli {

int RunTranslate(int argc, char** argv) {
  Args args(argc, argv, 2, {"offset", "trailer", "tz", "data-dir"}, {"utm"});
  const auto offsetText = args.value("offset");
  if (!args.ok() || args.positional().size() != 2 || (offsetText && args.value("tz"))) {
    std::fprintf(stderr,
                 "%s\nusage: zelkor-cli translate IN OUT [--utm] [--offset H|+HH:MM] [--trailer TEXT] [--tz ZONE]\n",
                 !args.ok() ? args.error().c_str()
                 : args.positional().size() != 2 ? "translate needs an input and an output file"
                                                 : "--offset and --tz cannot be given together");
    return kExitUsage;
  }
  std::optional<NamedZone> named;
  if (!ZoneFromOption(args.value("tz"), &named)) return kExitUsage;
  // The zones on Earth: UTC-12:00 to UTC+14:00, in hours ("-7") or hours
  // and minutes ("+09:30").
  UtcShift shift;
  if (offsetText && !ParseUtcShift(*offsetText, &shift)) {
    std::fprintf(stderr,
                 "error: --offset takes the time from UTC, -12 to +14 hours, as \"-7\" or \"+09:30\", not \"%s\".\n",
                 offsetText->c_str());
    return kExitUsage;
  }
  const std::string& in = args.positional()[0];
  const std::string& out = args.positional()[1];
  if (SameFile(in, out)) {
    std::fprintf(stderr, "error: the output %s is the input file; choose another output name.\n", out.c_str());
    return kExitUsage;
  }
  const OutputForm form = args.flag("utm") ? OutputForm::Utm : OutputForm::LatLon;
  Translation details;
  std::string reason;
  const ZoneChoice zone =
      named ? ZoneChoice::Named(*named) : ZoneChoice::Fixed(shift, args.value("trailer").value_or(""));
  const TranslateResult r = TranslateGpsData(in, out, form, zone, &details, &reason);
  switch (r) {
    case TranslateResult::Ok:
      if (details.headerBlocks == 0)
        std::fprintf(stderr, "%s holds no GPS data; %s was not written.\n", in.c_str(), out.c_str());
      else
        std::fprintf(stderr, "%u blocks translated to %s.\n", details.rows, out.c_str());
      if (details.rows < details.headerBlocks)
        std::fprintf(stderr, "warning: the header announces %u blocks but the file holds only %u.\n",
                     details.headerBlocks, details.rows);
      return 0;
    case TranslateResult::InputOpenFailed:
      std::fprintf(stderr, "error: cannot read GPS data from %s: %s.\n", in.c_str(), reason.c_str());
      return 1;
    case TranslateResult::OutputOpenFailed:
      std::fprintf(stderr, "error: cannot create %s: %s.\n", out.c_str(), reason.c_str());
      return 2;
    case TranslateResult::WriteFailed:
      std::fprintf(stderr, "error: writing %s failed: %s; nothing was written under that name.\n", out.c_str(),
                   reason.c_str());
      return 3;
    case TranslateResult::ChecksumMismatch:
      std::fprintf(stderr,
                   "%u blocks translated to %s, but %u had a bad check byte; their rows end with ,*SUM,STORED.\n",
                   details.rows, out.c_str(), details.badChecks);
      return 4;
  }
  return 1;
}

}  // namespace zelkor::cli
