// Translation of a GPS data file into CSV rows, one per stored fix, with
// times shifted to a time zone and positions as latitude/longitude or UTM.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include <optional>

#include "gpsdata/gps_fix.h"
#include "gpsdata/named_zone.h"
#include "util/atomic_file.h"

namespace zelkor {

enum class OutputForm { LatLon = 0, Utm = 1 };

enum class TranslateResult {
  Ok = 0,
  InputOpenFailed = -1,
  OutputOpenFailed = -2,
  WriteFailed = -3,
  ChecksumMismatch = -4,
};

struct FixTime {
  int month = 0;
  int day = 0;
  int year = 0;  // two-digit year; -1 after 1 January 2000 shifted back, 100 after 31 December 2099 forward
  int hour = 0;
  int minute = 0;
  int second = 0;
  bool operator==(const FixTime& o) const {
    return month == o.month && day == o.day && year == o.year && hour == o.hour &&
           minute == o.minute && second == o.second;
  }
};

// The shift from UTC to a time zone, in minutes: half-hour and quarter-hour
// zones shift by their minutes too.
struct UtcShift {
  int minutes = 0;
  bool operator==(const UtcShift& o) const { return minutes == o.minutes; }
};
constexpr UtcShift ShiftHours(int hours) { return {hours * 60}; }
constexpr UtcShift ShiftMinutes(int minutes) { return {minutes}; }

// "-7", "+10", "+09:30", "-03:30": hours, or hours and minutes, from UTC,
// within -12:00 to +14:00. False for anything else.
bool ParseUtcShift(const std::string& text, UtcShift* shift);

bool IsLeapTwoDigitYear(int year);
int DaysInMonth(int month, int year);
// Shifts by hours and minutes, with at most one day of rollover. With a
// whole-hour shift the minute passes through unchanged.
FixTime ApplyUtcOffset(FixTime t, UtcShift shift);

// One CSV row, ending in CR LF.
std::string FormatCsvRow(const GpsFix& fix, OutputForm form, UtcShift shift);
void AppendCsvRow(std::string& out, const GpsFix& fix, OutputForm form, UtcShift shift);
// The same row built field by field with the C library's printf formats;
// the reference the fast row is checked against.
std::string FormatCsvRowWithPrintf(const GpsFix& fix, OutputForm form, UtcShift shift);

// The lines after the rows: an empty line, "N blocks translated to ...",
// an empty line, the trailer.
std::string SummaryLines(uint32_t rows, OutputForm form, const std::string& trailerText);

struct Translation {
  TranslateResult result = TranslateResult::Ok;
  uint32_t headerBlocks = 0;  // what the header announces
  uint32_t rows = 0;          // rows written: complete blocks present
  uint32_t badChecks = 0;
  std::string csv;  // empty when there is nothing to write
};

// The zone a CSV's times are shifted to: an entry of the fixed list (one
// shift for every row, the entry's text as the footer) or a named zone (the
// offset in force at each fix, its name and abbreviations as the footer).
struct ZoneChoice {
  UtcShift shift;
  std::string text;
  std::optional<NamedZone> named;
  static ZoneChoice Fixed(UtcShift shift, std::string text) { return {shift, std::move(text), std::nullopt}; }
  static ZoneChoice Named(NamedZone zone) { return {UtcShift{}, std::string(), std::move(zone)}; }
};

// Translates a whole file image held in memory. A header that is not
// complete gives InputOpenFailed; an announced count of 0 gives Ok with no
// text. A file shorter than its header says is translated up to its last
// complete block.
Translation TranslateGpsImage(const std::vector<uint8_t>& image, OutputForm form, UtcShift shift,
                              const std::string& trailerText);
Translation TranslateGpsImage(const std::vector<uint8_t>& image, OutputForm form, const ZoneChoice& zone);

// Translates an image and writes the text to outputPath through a temporary
// file; *reason (when given) says why a write failed. With 0 blocks nothing
// is written and the result is Ok.
TranslateResult TranslateImageToFile(const std::vector<uint8_t>& image, const std::string& outputPath,
                                     OutputForm form, UtcShift shift, const std::string& trailerText,
                                     Translation* details = nullptr, std::string* reason = nullptr);
TranslateResult TranslateImageToFile(const std::vector<uint8_t>& image, const std::string& outputPath,
                                     OutputForm form, const ZoneChoice& zone, Translation* details = nullptr,
                                     std::string* reason = nullptr);

// Reads inputPath, translates it and writes outputPath. The text goes to a
// temporary file in the same folder that replaces outputPath only when it is
// complete, so a failure never leaves a partial file under that name. With
// 0 blocks the output is left untouched.
TranslateResult TranslateGpsData(const std::string& inputPath, const std::string& outputPath,
                                 OutputForm form, UtcShift shift,
                                 const std::string& trailerText, Translation* details = nullptr,
                                 std::string* reason = nullptr);
TranslateResult TranslateGpsData(const std::string& inputPath, const std::string& outputPath, OutputForm form,
                                 const ZoneChoice& zone, Translation* details = nullptr,
                                 std::string* reason = nullptr);



}  // namespace zelkor
