// The print job: the VHF transmitter calendar, the auxiliary GPS fix
// calendar and the configuration report, in that order, each when its
// switch is on; then, when asked for, the season summary of GPS data.
#pragma once

#include <optional>
#include <string>

#include "analysis/season_summary.h"
#include "app/clock.h"
#include "app/prompter.h"
#include "app/settings_store.h"
#include "config/collar_config.h"
#include "print/page_canvas.h"

namespace zelkor {

inline const char kPrintSettingsWriteFailed[] =
    "There was an error writing to the registry. The collar configureation print settings will not be saved to "
    "the register.";

// A page with the season's map under the title "Season Map, Collar N",
// as large as the page allows at its shape.
void PrintSeasonMapPage(PageCanvas& canvas, const CanvasImage& map, uint32_t collarId, const LocalDateTime& now);

// Month, year and the weekday of day 1 (1 = Sunday) the calendar pages
// start with; all 0 until a print from the configuration dialog sets them.
struct CalendarStart {
  int month = 0;
  int year = 0;
  int weekday = 0;
  bool set() const { return month >= 1 && month <= 12; }
};

struct PrintOptions {
  bool collarConfig = true;
  bool transmitterCalendar = true;
  bool auxCalendar = true;
  std::string projectText;  // "VHF Frequency/Project Name:", at most 35 characters
  bool seasonSummary = false;  // a page of the last GPS data viewed, when there is one; not stored
  bool seasonMap = false;      // a map of the same, with the map layers; not stored, off by default
};

// A page switch reads on when missing, unreadable, or 1 by atoi rules.
PrintOptions ReadPrintOptions(const SettingsStore& store);
// Writes "Print Collar Config", "Print Aux Cal", "Print Trans Cal",
// "VHF Trans Cal" in that order; each failure is reported.
void StorePrintOptions(SettingsStore& store, Prompter& prompter, const PrintOptions& options);

struct PrintInputs {
  CollarConfig config;
  PrintOptions options;
  std::string offsetText;
  int utcOffsetHours = 0;
  LocalDateTime now;
  CalendarStart start;
  std::optional<SeasonSummary> summary;  // for the summary page
  std::optional<CanvasImage> seasonMap;  // for the map page
  uint32_t seasonMapCollar = 0;
};

// Reads the settings and the clock. An unset calendar start becomes the
// current local month.
PrintInputs ReadPrintInputs(const CollarConfig& config, const SettingsStore& store, const Clock& clock,
                            CalendarStart start);

enum class CalendarPageKind { Auxiliary = 0, Transmitter = 1 };

// Hours as printed: UTC + offset, "%u:00". The report lets 24:00 stand for
// on, start and stop hours; the calendar pages wrap every hour above 23.
std::string ReportHour(int utcHour, int offset, bool wrapAbove23);

// "(GMT -07:00)" and "Mountain Time (US & Canada)"; two empty lines
// without ")".
std::pair<std::string, std::string> SplitOffsetText(const std::string& text);

void PrintFooter(PageCanvas& canvas, const LocalDateTime& now);
void PrintConfigurationReport(PageCanvas& canvas, const PrintInputs& inputs);
void PrintCalendarPage(PageCanvas& canvas, const PrintInputs& inputs, CalendarPageKind kind);
// The whole job; returns the number of pages.
int RunPrintJob(PageCanvas& canvas, const PrintInputs& inputs);

}  // namespace zelkor
