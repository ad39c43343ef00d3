// "Send Command" of the offload: fetch the data memory, keep a
// time-stamped backup, offer to erase the collar, translate to CSV.
//
// Beyond the plain sequence, nothing stands under the CSV's name until the
// translation is whole: the memory is received under a scratch name of this
// job, the backup never replaces another file, and data is trusted only
// when it is sure: a read that needed no retransmission, or two reads that
// agree byte for byte (a third read decides a disagreement). A read that
// needed retransmissions shows a noisy line, on which the one-byte XMODEM
// sum can let damage through: it is read again before anything is kept.
// The collar is erased last, after two reads agree and the backup, the CSV
// and the season store (or its list of imports to come) are written, and
// only when nobody cancelled.
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

// When a read is confirmed by a second one: after a read that needed
// retransmissions (Auto), after every read (Always), or only before an erase
// (Never).
enum class VerifyMode { Auto, Always, Never };
// "auto", "always", "never".
bool ParseVerifyMode(const std::string& text, VerifyMode* mode);
// The setting "Verify Reads" (auto, always or never); Auto when missing or
// not one of them.
VerifyMode ReadVerifyMode(const SettingsStore& store);

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
  VerifyMode verify = VerifyMode::Auto;
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
  Unconfirmed,      // the line damaged data and no two reads agreed; no CSV, nothing stored
  TranslateFailed,
  Viewed,  // translated (possibly with bad checks) and handed to the viewer
};

struct OffloadReport {
  OffloadOutcome outcome = OffloadOutcome::NotReceived;
  std::string receivedPath;  // the CSV, once translated
  std::string backupPath;    // the verified backup the CSV comes from; empty when none exists
  bool eraseAsked = false;   // the user answered Yes twice
  bool resetDone = false;    // the collar's memory is known to be erased
  bool cancelled = false;    // the user cancelled before the erase command went out
  bool confirmed = false;    // two reads agree on the data kept
  int reads = 0;             // full reads of the memory made
  int retransmissions = 0;   // packets the first read asked for again
  uint32_t differsFromBlock = 0;  // a confirming read that broke off disagreed from this block on
  std::string evidencePath;  // an unconfirmed read kept aside (not a backup)
  std::string failure;       // the reason of a failure, for the command line
  Translation translation;
};

// What keeping an offload in the season store came to.
struct KeepResult {
  // In the store (or the user chose to erase without it): what an erase may
  // rely on. A backup only listed to go in later is not enough on its own.
  bool safe = true;
  std::string message;   // a sentence for the status line
  bool waiting = false;  // not in the store, but its backup is listed to go in later
};


// The message (titled "View GPS Data") for a translation result; none for Ok.
const char* TranslateResultMessage(TranslateResult result);

// An image is whole when it holds the header and every block the header
// announces.
bool GpsImageIsComplete(const std::vector<uint8_t>& image);

// Writes the image as a new backup (never replacing a file) and reads it
// back; the path written when both agree, else empty with *reason set.
std::string SaveVerifiedBackup(const std::vector<uint8_t>& image, const std::string& path, std::string* reason);

// The base of the scratch names a memory image is received under, beside
// the CSV ("deer.csv.incoming"); each read adds its own job mark.
std::string IncomingName(const std::string& csvName);

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
  // Keeps the image of a finished offload (in the season store), with the
  // backup it was saved to and whether two reads confirmed it; may be
  // empty.
  std::function<KeepResult(const std::vector<uint8_t>& image, const std::string& backupPath, bool confirmed)> keep =
      {};
  // True once the user has asked to stop (Ctrl+C, a window's Cancel); asked
  // last thing before the erase command goes out. May be empty.
  std::function<bool()> cancelled = {};
  // Called just before that last question: a command line gives the user a
  // moment to stop the erase there. May be empty.
  std::function<void()> beforeErase = {};
  // When the store could not take the fixes but their backup waits to go
  // in, ask whether to erase all the same (default No); otherwise such a
  // collar is not erased.
  bool askEraseWhileWaiting = false;
};

OffloadReport RunOffload(const OffloadChoice& choice, OffloadContext& context);

}  // namespace zelkor
