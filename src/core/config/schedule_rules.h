// The rules of the schedule and mortality dialogs, free of any window:
// local and UTC hours, the fix-rate and retry checks, the notices, and the
// transmitter's time field.
#pragma once

#include <string>
#include <vector>

#include "app/settings_store.h"
#include "config/collar_config.h"

namespace zelkor {

inline const char kPrimaryRateTooShort[] = "The primary GPS fix rate must be 15 minutes or more.";
inline const char kRetriesPastNextFix[] =
    "Retries are set up to continue past your next regularly scheduled GPS fix attempt.";
inline const char kDisableAuxQuestion[] =
    "Disabling the auxiliary schedule returns the GPS fix rate to the primary fix rate for all days. Do you want "
    "to disable the auxiliary schedule?";
inline const char kDisableAuxCaption[] = "Disable Auxiliary Schedule";
inline const char kAuxOverlapNotice[] =
    "The selected auxiliary time schedule overlaps the primary fix rate which will start at 0:00 UTC as scheduled.";
inline const char kTransmitterDayBoundaryNotice[] =
    "The VHF Transmitter UTC On time and Off times cross a day boundary.  The VHF Transmitter will turn off at 0:00 "
    "UTC on the days the VHF Transmitter is not activated.";
inline const char kTransmitterHoursClampNotice[] =
    "The amount of time must be less than 256 hours! The value has been set to 255.";
inline const char kUtcOffsetReadError[] =
    "There was an error reading the UTC offset from the register so the offset was not implemented in the Start "
    "and Stop time variables.";

// The help topics of the warning dialog.
enum class HelpTopic { AuxiliarySchedule, Transmitter };

// Shows a notice in the warning dialog (title "WARNING", OK and Help).
class Warner {
 public:
  virtual ~Warner() = default;
  virtual void warn(const std::string& text, HelpTopic topic) = 0;
};

const std::vector<std::string>& MonthNames();  // "January", "Feburary", ...
const std::vector<std::string>& YearNames();   // "2000" ... "2100"

// One step into 0-23: minus 24 above 23, plus 24 below 0.
int WrapHour(int hour);
inline int LocalHour(int utc, int offset) { return WrapHour(utc + offset); }
inline int UtcHour(int local, int offset) { return WrapHour(local - offset); }

// "Hours" with atoi rules; false (and 0) when it cannot be read.
bool ReadUtcOffsetHours(const SettingsStore& store, int* hours);
// "Offset UTC Text": the text, "Error" when unreadable, empty when missing.
std::string ReadOffsetText(const SettingsStore& store);

enum class RateCheck { Ok, BelowMinimum, RetriesPastNextFix };
// The primary rate: at least 15 minutes, and retries that end before the next fix.
RateCheck CheckPrimaryRate(int hours, int minutes, bool retriesOn, int maxRetries, int retryDelay);
// The auxiliary rate: only the retry rule.
RateCheck CheckAuxRate(int hours, int minutes, bool retriesOn, int maxRetries, int retryDelay);

// Clears every auxiliary weekday and quarter; rate, retries and hours stay.
void ClearAuxiliarySchedule(CollarConfig& config);
bool AuxiliaryScheduleOn(const CollarConfig& config);

// The transmitter's time field: hours on after power-up below version 200,
// whole days until release from 200 on.
bool UsesReleaseDays(const CollarConfig& config);
int TransmitterTimeValue(const CollarConfig& config);
// Stores the time value; true when it had to be clamped to 255 hours.
bool StoreTransmitterTimeValue(CollarConfig& config, int value);

// Whole hours shown for the mortality trigger, and the spin control's step.
int MortalityHoursShown(const CollarConfig& config);
int SpinMortalityHours(int hours, int delta);

}  // namespace zelkor
