// "Send Command" of the offload: fetch the data memory, keep a
// time-stamped backup, offer to erase the collar, translate to CSV.
//
// Beyond the plain sequence, nothing stands under the CSV's name until the
// translation is whole: the memory is received under a temporary name, the
// backup never replaces another file, and the collar is erased only after a
// second read agrees with the first byte for byte (a third read decides a
// disagreement).
#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <string>

#include "app/app_state.h"
#include "app/clock.h"
#include "app/prompter.h"
#include "app/settings_store.h"
#include "gpsdata/erase_guard.h"
#include "gpsdata/gps_backups.h"
#include "gpsdata/translate.h"
#include "link/link_runner.h"

namespace zelkor {

// The shift of a time-zone entry, hours and minutes: "(GMT -07:00) Arizona"
// gives -7:00, "(GMT +09:30) Adelaide" +9:30, the UTC entry 0.
UtcShift ZoneOffset(const std::string& zoneText);

struct OffloadChoice {
  long blocks = 0;            // Number of Datablocks as entered
  uint32_t initialCount = 0;  // the count the dialog opened with
  std::string fileName;
  OutputForm form = OutputForm::LatLon;
  std::string zoneText;       // the selected time-zone entry
  uint32_t collarId = 0;
  // A named zone chosen instead of the list's entry: each row then takes
  // the offset in force at its fix, daylight saving included.
  std::optional<NamedZone> namedZone;
  ZoneChoice zone() const {
    return namedZone ? ZoneChoice::Named(*namedZone) : ZoneChoice::Fixed(ZoneOffset(zoneText), zoneText);
  }
};

enum class OffloadOutcome {
  OutOfRange,
  BadFileName,
  OverwriteDeclined,
  NotReceived,
  Cancelled,        // the user cancelled a transfer; nothing was erased
  Incomplete,       // fewer blocks arrived than the header announces; no CSV
  TranslateFailed,
  Viewed,  // translated (possibly with bad checks) and handed to the viewer
};

struct OffloadReport {
  OffloadOutcome outcome = OffloadOutcome::NotReceived;
  std::string receivedPath;  // the CSV, once translated
  std::string backupPath;    // the verified backup the CSV comes from; empty when none exists
  bool eraseAsked = false;   // the user answered Yes twice
  bool resetDone = false;    // the collar's memory is known to be erased
  int reads = 0;             // full reads of the memory made
  std::string failure;       // the reason of a failure, for the command line
  Translation translation;
};


// The message (titled "View GPS Data") for a translation result; none for Ok.
const char* TranslateResultMessage(TranslateResult result);

// An image is whole when it holds the header and every block the header
// announces.
bool GpsImageIsComplete(const std::vector<uint8_t>& image);

// Writes the image as a new backup (never replacing a file) and reads it
// back; the path written when both agree, else empty with *reason set.
std::string SaveVerifiedBackup(const std::vector<uint8_t>& image, const std::string& path, std::string* reason);

// The temporary name a memory image is received under, beside the CSV.
std::string IncomingName(const std::string& csvName, int read);

struct OffloadContext {
  AppState& state;
  SettingsStore& store;
  Prompter& prompter;
  LinkRunner& link;
  const Clock& clock;
  // Shows the translated CSV (with the backup it came from); may be empty.
  std::function<void(const std::string& csvPath, const std::string& backupPath)> view;
  // A confirmation for the status bar; may be empty.
  std::function<void(const std::string&)> status;
  // Keeps the agreed image of a finished offload (in the season store),
  // with the backup it was saved to; may be empty. Returns a sentence for
  // the status line.
  std::function<std::string(const std::vector<uint8_t>& image, const std::string& backupPath)> keep = {};
};

OffloadReport RunOffload(const OffloadChoice& choice, OffloadContext& context);

}  // namespace zelkor
