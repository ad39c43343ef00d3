// "Send Command" of the offload: fetch the data memory, keep a
// time-stamped backup, offer to reset the collar, translate to CSV.
#pragma once

#include <cstdint>
#include <functional>
#include <string>

#include "app/app_state.h"
#include "app/clock.h"
#include "app/prompter.h"
#include "app/settings_store.h"
#include "gpsdata/translate.h"
#include "link/link_runner.h"

namespace zelkor {

struct OffloadChoice {
  long blocks = 0;            // Number of Datablocks as entered
  uint32_t initialCount = 0;  // the count the dialog opened with
  std::string fileName;
  OutputForm form = OutputForm::LatLon;
  std::string zoneText;       // the selected time-zone entry
  uint32_t collarId = 0;
};

enum class OffloadOutcome {
  OutOfRange,
  BadFileName,
  OverwriteDeclined,
  NotReceived,
  TranslateFailed,
  Viewed,  // translated (possibly with bad checks) and handed to the viewer
};

struct OffloadReport {
  OffloadOutcome outcome = OffloadOutcome::NotReceived;
  std::string receivedPath;  // the CSV, once translated
  std::string backupPath;    // empty when no verified backup exists
  bool resetDone = false;
  Translation translation;
};

// Whole hours of a time-zone entry: "(GMT -07:00) Arizona" gives -7,
// "(GMT +09:30) Adelaide" 9, the UTC entry 0.
int ZoneOffsetHours(const std::string& zoneText);

// "<collarId>_<month>_<day>_<year>_<hour>_<minute>_<second>.gps"
std::string GpsBackupName(uint32_t collarId, const LocalDateTime& when);

// The message (titled "View GPS Data") for a translation result; none for Ok.
const char* TranslateResultMessage(TranslateResult result);

// A received file is whole when it holds the header and every block the
// header announces.
bool GpsFileIsComplete(const std::string& path);

// Copies a file and reads the copy back; true only when both are equal.
bool CopyAndVerify(const std::string& from, const std::string& to, bool* sourceOpened);

struct OffloadContext {
  AppState& state;
  SettingsStore& store;
  Prompter& prompter;
  LinkRunner& link;
  const Clock& clock;
  // Shows the translated CSV (with the backup it came from); may be empty.
  std::function<void(const std::string& csvPath, const std::string& backupPath)> view;
};

OffloadReport RunOffload(const OffloadChoice& choice, OffloadContext& context);

}  // namespace zelkor
