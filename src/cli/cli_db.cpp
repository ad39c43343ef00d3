// zelkor-cli db: the season store from the command line.
#include <cstdio>
#include <cstdlib>

#include "app/clock.h"
#include "app/utc_offset.h"
#include "cli_args.h"
#include "cli_commands.h"
#include "cli_setup.h"
#include "gpsdata/exports.h"
#include "gpsdata/fix_time.h"
#include "gpsdata/gps_file_check.h"
#include "gpsdata/translate.h"
#include "store/store_keeper.h"
#include "util/atomic_file.h"
#include "util/read_file.h"
#include "util/text.h"

namespace zelkor::cli {

namespace {

void Usage() {
  std::fputs(
      "usage: zelkor-cli db import [FILE.gps...] [--db TARGET]   (no file: the list of imports to come)\n"
      "       zelkor-cli db collars [--db TARGET]\n"
      "       zelkor-cli db imports [--collar ID] [--db TARGET]\n"
      "       zelkor-cli db fixes --collar ID [--from DATE] [--to DATE] [--format csv|gpx|geojson|kml|movebank] OUT "
      "[--db TARGET]\n"
      "       zelkor-cli db remove --offload ID [--db TARGET]\n"
      "       zelkor-cli db remove --collar ID --yes [--db TARGET]\n"
      "       zelkor-cli db check [--db TARGET]\n"
      "The store is the one Zelkor's settings name (Settings > Season Store), else zelkor.sqlite in the data\n"
      "folder; --db names another for one command: a SQLite file, a postgresql:// URL, or libpq words such as\n"
      "\"service=team\". Never put a password on the command line: PGPASSWORD, ~/.pgpass (mode 600) or a service\n"
      "file give it. DATE is UTC: 2026-05-01 or 2026-05-01T06:00:00; --to takes in the whole day.\n",
      stderr);
}

// "2026-05-01" or "2026-05-01T06:00:00" (a space works too) as UTC seconds;
// a bare date given as an end means the end of that day. A date that is not
// in the calendar (31 February) is refused.
bool ParseDate(const std::string& text, bool end, int64_t* out) {
  int y = 0, mo = 0, d = 0, h = 0, mi = 0, s = 0, used = 0;
  if (std::sscanf(text.c_str(), "%4d-%2d-%2d%n", &y, &mo, &d, &used) != 3) return false;
  const bool dateOnly = static_cast<size_t>(used) == text.size();
  if (!dateOnly) {
    int more = 0;
    if (std::sscanf(text.c_str() + used, "%*1[T ]%2d:%2d:%2d%n", &h, &mi, &s, &more) != 3 ||
        static_cast<size_t>(used + more) != text.size())
      return false;
  }
  if (y < 1900 || mo < 1 || mo > 12 || d < 1 || d > DaysInMonth(mo, y - 2000) || h > 23 || mi > 59 || s > 59)
    return false;
  *out = DaysFromCivil(y, mo, d) * 86400 + h * 3600 + mi * 60 + s + (end && dateOnly ? 86400 : 0);
  return true;
}

std::unique_ptr<SeasonStore> OpenStore(Args& args) {
  const std::string dir = ProgramDirectoryFor(args);
  if (dir.empty()) return nullptr;
  std::string target;
  ConnectOptions options;
  if (!CliStoreTarget(args, dir, &target, &options)) return nullptr;
  std::string error;
  auto store = SeasonStore::Open(target, &error, options);
  if (!store) {
    std::fprintf(stderr, "error: %s\n", error.c_str());
    return nullptr;
  }
  // Every command says which store it used.
  std::fprintf(stderr, "Store: %s\n", store->description().c_str());
  return store;
}

int ImportFiles(Args& args) {
  // Every file is read and recognised before the store is opened: a wrong
  // file never reaches it, nor creates one.
  int failed = 0;
  std::vector<std::pair<std::string, std::vector<uint8_t>>> files;
  for (size_t i = 1; i < args.positional().size(); ++i) {
    const std::string& path = args.positional()[i];
    std::vector<uint8_t> image;
    std::string error;
    if (!ReadWholeFile(path, &image, &error)) {
      std::fprintf(stderr, "error: %s was not imported: %s.\n", path.c_str(), error.c_str());
      ++failed;
      continue;
    }
    const GpsFileCheck check = CheckGpsFile(image);
    if (!check.recognised) {
      std::fprintf(stderr, "error: %s Nothing was stored.\n", NotAGpsFileText(path, check.reason).c_str());
      ++failed;
      continue;
    }
    if (check.truncated()) std::fprintf(stderr, "warning: %s: %s.\n", path.c_str(), check.truncationNote().c_str());
    files.emplace_back(path, std::move(image));
  }
  if (files.empty()) return 1;
  auto store = OpenStore(args);
  if (!store) return CancelRequested() ? kExitCancelled : 1;
  SystemClock clock;
  for (const auto& [path, image] : files) {
    if (CancelRequested()) return kExitCancelled;
    std::string error;
    ImportResult r;
    if (!store->import(image, {NowText(clock), -1, path}, &r, &error)) {
      std::fprintf(stderr, "error: %s was not imported: %s\n", path.c_str(), error.c_str());
      ++failed;
      continue;
    }
    // Each file as it goes in, so that a killed import still tells what it did.
    std::printf("%s: collar %u, %d blocks, %d new fixes%s\n", path.c_str(), r.collarId, r.blocks, r.added,
                r.alreadyImported ? " (imported before)" : "");
    std::fflush(stdout);
  }
  return failed ? 1 : 0;
}

int ImportPendingList(Args& args) {
  const std::string dir = ProgramDirectoryFor(args);
  if (dir.empty()) return 1;
  if (ReadPendingImports(dir).empty()) {
    std::fprintf(stderr, "No offload waits for the store (%s holds none).\n", PendingImportsPath(dir).c_str());
    return 0;
  }
  auto store = OpenStore(args);
  if (!store) return CancelRequested() ? kExitCancelled : 1;
  const PendingOutcome out = ImportPending(dir, *store, [](const std::string& path, const ImportResult& r) {
    std::printf("%s: collar %u, %d blocks, %d new fixes%s\n", path.c_str(), r.collarId, r.blocks, r.added,
                r.alreadyImported ? " (imported before)" : "");
    std::fflush(stdout);
  });
  for (const std::string& f : out.failures) std::fprintf(stderr, "error: %s\n", f.c_str());
  std::fprintf(stderr, "%d waiting offloads went into the store; %d still wait.\n", out.imported, out.left);
  return out.left ? 1 : 0;
}

int Import(Args& args) { return args.positional().size() < 2 ? ImportPendingList(args) : ImportFiles(args); }

int Collars(Args& args) {
  auto store = OpenStore(args);
  if (!store) return CancelRequested() ? kExitCancelled : 1;
  std::vector<StoredCollar> collars;
  std::string error;
  if (!store->collars(&collars, &error)) {
    std::fprintf(stderr, "error: %s\n", error.c_str());
    return 1;
  }
  for (const StoredCollar& c : collars)
    std::printf("%u\t%lld\t%s\t%s\n", c.collarId, static_cast<long long>(c.fixes),
                c.firstFix.empty() ? "-" : c.firstFix.c_str(), c.lastFix.empty() ? "-" : c.lastFix.c_str());
  if (collars.empty()) std::fprintf(stderr, "The store %s holds no collars yet.\n", store->description().c_str());
  return 0;
}

int Imports(Args& args) {
  const auto collar = args.number("collar");
  if (!args.ok() || (collar && (*collar < 1 || *collar > 65535))) {
    Usage();
    return kExitUsage;
  }
  auto store = OpenStore(args);
  if (!store) return CancelRequested() ? kExitCancelled : 1;
  std::vector<StoredImport> list;
  std::string error;
  if (!store->imports(collar ? static_cast<uint32_t>(*collar) : 0, &list, &error)) {
    std::fprintf(stderr, "error: %s\n", error.c_str());
    return 1;
  }
  std::printf("import\tcollar\twhen\tfrom\tfixes\tonly here\tconfirmed\n");
  for (const StoredImport& i : list)
    std::printf("%lld\t%u\t%s\t%s\t%lld\t%lld\t%s\n", static_cast<long long>(i.offloadId), i.collarId, i.at.c_str(),
                i.port >= 0 ? Format("COM%d", i.port + 1).c_str() : i.backupPath.c_str(),
                static_cast<long long>(i.held), static_cast<long long>(i.only), i.confirmed ? "yes" : "no");
  return 0;
}

int Remove(Args& args) {
  const auto offload = args.number("offload");
  const auto collar = args.number("collar");
  if (!args.ok() || (offload.has_value() == collar.has_value())) {
    std::fprintf(stderr, "error: give --offload ID or --collar ID\n");
    Usage();
    return kExitUsage;
  }
  if (collar && !args.flag("yes")) {
    std::fprintf(stderr,
                 "error: removing collar %ld takes away every fix and import of it; add --yes to do so.\n", *collar);
    return kExitUsage;
  }
  auto store = OpenStore(args);
  if (!store) return CancelRequested() ? kExitCancelled : 1;
  Removal r;
  std::string error;
  const bool ok = offload ? store->removeImport(*offload, &r, &error)
                          : store->removeCollar(static_cast<uint32_t>(*collar), &r, &error);
  if (!ok) {
    std::fprintf(stderr, "error: %s\n", error.c_str());
    return 1;
  }
  if (offload)
    std::printf("Import %ld removed with the %lld fixes no other import holds%s.\n", *offload,
                static_cast<long long>(r.fixes), r.collarGone ? "; its collar had no other import and went too" : "");
  else
    std::printf("Collar %ld removed: %lld imports and %lld fixes.\n", *collar, static_cast<long long>(r.imports),
                static_cast<long long>(r.fixes));
  return 0;
}

int Fixes(Args& args) {
  const auto collar = args.number("collar");
  if (!args.ok() || !collar || *collar < 0 || *collar > 65535 || args.positional().size() != 2) {
    if (!args.ok()) std::fprintf(stderr, "error: %s\n", args.error().c_str());
    Usage();
    return kExitUsage;
  }
  std::optional<int64_t> from, to;
  int64_t t = 0;
  if (const auto v = args.value("from")) {
    if (!ParseDate(*v, false, &t)) {
      std::fprintf(stderr, "error: --from takes a UTC date of the calendar, 2026-05-01 or 2026-05-01T06:00:00, not \"%s\"\n",
                   v->c_str());
      return kExitUsage;
    }
    from = t;
  }
  if (const auto v = args.value("to")) {
    if (!ParseDate(*v, true, &t)) {
      std::fprintf(stderr, "error: --to takes a UTC date of the calendar, 2026-05-31 or 2026-05-31T18:00:00, not \"%s\"\n",
                   v->c_str());
      return kExitUsage;
    }
    to = t;
  }
  const std::string format = args.value("format").value_or("csv");
  ExportFormat exportFormat = ExportFormat::Gpx;
  if (format != "csv" && (!ParseExportFormat(format, &exportFormat) || IsGisFormat(exportFormat))) {
    std::fprintf(stderr, "error: --format takes csv, gpx, geojson, kml or movebank\n");
    return kExitUsage;
  }
  auto store = OpenStore(args);
  if (!store) return CancelRequested() ? kExitCancelled : 1;
  std::vector<uint8_t> image;
  std::string error;
  if (!store->history(static_cast<uint32_t>(*collar), from, to, &image, &error)) {
    std::fprintf(stderr, "error: %s\n", error.c_str());
    return 1;
  }
  std::string text;
  if (format == "csv") {
    text = TranslateGpsImage(image, OutputForm::LatLon, UtcShift{}, kUtcEntryText).csv;
  } else {
    DecodedFile data;
    DecodeGpsFile(image, &data);
    text = ExportText(data, exportFormat, {}, nullptr);
  }
  const std::string& out = args.positional()[1];
  if (WriteFileAtomically(out, text, &error) != AtomicWrite::Ok) {
    std::fprintf(stderr, "error: cannot write %s: %s; nothing was written under that name.\n", out.c_str(),
                 error.c_str());
    return 2;
  }
  std::fprintf(stderr, "%u fixes of collar %ld written to %s.\n", HeaderBlockCount(image.data()), *collar,
               out.c_str());
  return 0;
}

int Check(Args& args) {
  auto store = OpenStore(args);
  if (!store) return CancelRequested() ? kExitCancelled : 1;
  StoreCheck c;
  std::string error;
  if (!store->check(&c, &error)) {
    std::fprintf(stderr, "error: %s\n", error.c_str());
    return 1;
  }
  std::printf("%s\nschema version %d\n%lld collars, %lld offloads and imports, %lld fixes\n",
              store->description().c_str(), c.schemaVersion, static_cast<long long>(c.collars),
              static_cast<long long>(c.offloads), static_cast<long long>(c.fixes));
  for (const std::string& p : c.problems) std::printf("problem: %s\n", p.c_str());
  std::printf("%s\n", c.ok ? "ok" : "NOT ok");
  return c.ok ? 0 : 1;
}

}  // namespace

int RunDb(int argc, char** argv) {
  Args args(argc, argv, 2, {"db", "collar", "offload", "from", "to", "format", "data-dir"}, {"yes"});
  if (!args.ok() || args.positional().empty()) {
    if (!args.ok()) std::fprintf(stderr, "error: %s\n", args.error().c_str());
    Usage();
    return kExitUsage;
  }
  const std::string& what = args.positional()[0];
  if (what == "import") return Import(args);
  if (what == "collars") return Collars(args);
  if (what == "imports") return Imports(args);
  if (what == "fixes") return Fixes(args);
  if (what == "remove") return Remove(args);
  if (what == "check") return Check(args);
  std::fprintf(stderr, "error: unknown db command \"%s\"\n", what.c_str());
  Usage();
  return kExitUsage;
}

}  // namespace zelkor::cli
