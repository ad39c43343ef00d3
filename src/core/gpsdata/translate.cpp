#include "gpsdata/translate.h"

#include "gpsdata/fix_time.h"

#include <cctype>
#include <cstdarg>
#include <cstdio>
#include <algorithm>
#include <charconv>

#include "gpsdata/utm.h"
#include "util/atomic_file.h"
#include "util/read_file.h"
#include "util/text.h"

namespace zelkor {

bool ParseUtcShift(const std::string& text, UtcShift* shift) {
  int hours = 0, minutes = 0, used = 0;
  const char* p = text.c_str();
  const bool negative = *p == '-';
  if (*p == '+' || *p == '-') ++p;
  if (std::sscanf(p, "%d%n", &hours, &used) != 1 || hours < 0 || !std::isdigit(static_cast<unsigned char>(*p)))
    return false;
  p += used;
  if (*p == ':') {
    ++p;
    if (!std::isdigit(static_cast<unsigned char>(p[0])) || !std::isdigit(static_cast<unsigned char>(p[1])) || p[2])
      return false;
    minutes = (p[0] - '0') * 10 + (p[1] - '0');
    if (minutes > 59) return false;
  } else if (*p) {
    return false;
  }
  const int total = (hours * 60 + minutes) * (negative ? -1 : 1);
  if (total < -12 * 60 || total > 14 * 60) return false;
  shift->minutes = total;
  return true;
}

bool IsLeapTwoDigitYear(int year) {
  const int full = 2000 + year;
  return (full % 4 == 0 && full % 100 != 0) || full % 400 == 0;
}

int DaysInMonth(int month, int year) {
  switch (month) {
    case 1: case 3: case 5: case 7: case 8: case 10: case 12: return 31;
    case 2: return IsLeapTwoDigitYear(year) ? 29 : 28;
    default: return 30;
  }
}

FixTime ApplyUtcOffset(FixTime t, UtcShift shift) {
  // The minutes of a half- or quarter-hour zone first, carrying into the
  // hour; then the hours, with the one day of rollover.
  const int shiftMinutes = shift.minutes % 60;
  int carry = 0;
  if (shiftMinutes != 0) {
    t.minute += shiftMinutes;
    if (t.minute >= 60) {
      t.minute -= 60;
      carry = 1;
    } else if (t.minute < 0) {
      t.minute += 60;
      carry = -1;
    }
  }
  const int h = t.hour + shift.minutes / 60 + carry;
  if (h >= 24) {
    t.hour = h - 24;
    t.day += 1;
  } else if (h < 0) {
    t.hour = h + 24;
    t.day -= 1;
  } else {
    t.hour = h;
  }
  if (t.day < 1) {
    t.month -= 1;
    if (t.month < 1) {
      t.month = 12;
      t.year -= 1;
      t.day = DaysInMonth(12, t.year);
    } else {
      t.day = DaysInMonth(t.month, t.year);
    }
  } else if (t.day > DaysInMonth(t.month, t.year)) {
    t.day = 1;
    t.month += 1;
    if (t.month > 12) {
      t.month = 1;
      t.year += 1;
    }
  }
  return t;
}

namespace {
void Append(std::string& out, const char* fmt, ...) __attribute__((format(printf, 2, 3)));
void Append(std::string& out, const char* fmt, ...) {
  char buffer[256];
  va_list args;
  va_start(args, fmt);
  const int n = std::vsnprintf(buffer, sizeof buffer, fmt, args);
  va_end(args);
  if (n > 0 && static_cast<size_t>(n) < sizeof buffer) {
    out.append(buffer, static_cast<size_t>(n));
  } else if (n > 0) {
    std::string big(static_cast<size_t>(n) + 1, '\0');
    va_start(args, fmt);
    std::vsnprintf(big.data(), big.size(), fmt, args);
    va_end(args);
    out.append(big.data(), static_cast<size_t>(n));
  }
}
}  // namespace

namespace {
// Appends numbers the way printf would, without parsing a format each time:
// integers as "%d" or "%02d", doubles as "%.Nf" (std::to_chars gives the
// same correctly rounded digits as the C library's printf).
class RowBuilder {
 public:
  explicit RowBuilder(std::string& out) : out_(out) {}
  RowBuilder& integer(long v, int minDigits = 1) {
    char buf[24];
    auto r = std::to_chars(buf, buf + sizeof buf, v < 0 ? -v : v);
    const int digits = static_cast<int>(r.ptr - buf);
    if (v < 0) out_.push_back('-');
    for (int i = digits; i < minDigits; ++i) out_.push_back('0');
    out_.append(buf, r.ptr);
    return *this;
  }
  RowBuilder& fixed(double v, int precision) {
    char buf[64];
    auto r = std::to_chars(buf, buf + sizeof buf, v, std::chars_format::fixed, precision);
    if (r.ec == std::errc()) {
      out_.append(buf, r.ptr);
    } else {
      Append(out_, "%.*f", precision, v);
    }
    return *this;
  }
  RowBuilder& text(const char* s) {
    out_ += s;
    return *this;
  }
  RowBuilder& ch(char c) {
    out_.push_back(c);
    return *this;
  }

 private:
  std::string& out_;
};
}  // namespace

void AppendCsvRow(std::string& row, const GpsFix& f, OutputForm form, UtcShift shift) {
  FixTime t{f.month, f.day, f.year, f.hour, f.minute, f.second};
  t = ApplyUtcOffset(t, shift);
  RowBuilder b(row);
  if (t.year < 0 || t.year > 99) {
    // 1 January 2000 shifted back lands in 1999, and 31 December 2099
    // shifted forward in 2100: the whole year, not "20" and three digits.
    b.integer(2000 + t.year);
  } else {
    b.text("20").integer(t.year, 2);
  }
  b.ch(',').integer(t.month).ch(',').integer(t.day).ch(',').integer(t.hour, 2).ch(',');
  b.integer(t.minute, 2).ch(',').integer(t.second, 2).ch(',');
  if (form == OutputForm::LatLon) {
    b.fixed(f.latitude, 8).ch(',').ch(f.northSouth).ch(',').fixed(f.longitude, 8).ch(',').ch(f.eastWest).ch(',');
  } else {
    const UtmPosition u = LatLonToUtm(f.latitude, f.northSouth, f.longitude, f.eastWest);
    b.fixed(u.easting, 1).ch(',').fixed(u.northing, 1).ch(',').integer(u.zone).ch(',');
  }
  if (f.hasAltitude)
    b.integer(f.altitude).ch(',');
  else
    b.text("***,");
  b.integer(f.statusCode);
  for (int sat : f.satellites) b.ch(',').integer(sat);
  b.ch(',').integer(f.bcd15Whole).ch('.').integer(f.bcd15Tenths);
  b.ch(',').integer(f.bcd25 / 10).ch('.').integer(f.bcd25 % 10);
  b.ch(',').fixed(f.sixteenths22, 2);
  b.ch(',').integer(static_cast<long>(f.word20)).ch(',').integer(static_cast<long>(f.byte19));
  b.ch(',').integer(static_cast<long>(f.byte27));
  if (f.checkGood()) {
    b.text("\r\n");
  } else {
    b.text(",*").integer(static_cast<long>(f.computedCheck)).ch(',').integer(static_cast<long>(f.storedCheck));
    b.text("\r\n");
  }
}

std::string FormatCsvRow(const GpsFix& fix, OutputForm form, UtcShift shift) {
  std::string row;
  row.reserve(200);
  AppendCsvRow(row, fix, form, shift);
  return row;
}

std::string FormatCsvRowWithPrintf(const GpsFix& f, OutputForm form, UtcShift shift) {
  FixTime t{f.month, f.day, f.year, f.hour, f.minute, f.second};
  t = ApplyUtcOffset(t, shift);
  std::string row;
  if (t.year < 0 || t.year > 99) {
    Append(row, "%d,%d,%d,%02d,%02d,%02d,", 2000 + t.year, t.month, t.day, t.hour, t.minute, t.second);
  } else {
    Append(row, "20%02d,%d,%d,%02d,%02d,%02d,", t.year, t.month, t.day, t.hour, t.minute, t.second);
  }
  if (form == OutputForm::LatLon) {
    const char ns[2] = {f.northSouth, 0};
    const char ew[2] = {f.eastWest, 0};
    Append(row, "%2.8f,%s,%3.8f,%s,", f.latitude, ns, f.longitude, ew);
  } else {
    const UtmPosition u = LatLonToUtm(f.latitude, f.northSouth, f.longitude, f.eastWest);
    Append(row, "%.1f,%.1f,%d,", u.easting, u.northing, u.zone);
  }
  if (f.hasAltitude)
    Append(row, "%d,", f.altitude);
  else
    row += "***,";
  const auto& s = f.satellites;
  Append(row, "%d,%d,%d,%d,%d,%d,%d,%d,%d,%d,%d,%d,%d,%d.%d,%d.%d,%3.2f,%d,%d,%d", f.statusCode, s[0], s[1],
         s[2], s[3], s[4], s[5], s[6], s[7], s[8], s[9], s[10], s[11], f.bcd15Whole, f.bcd15Tenths,
         f.bcd25 / 10, f.bcd25 % 10, f.sixteenths22, static_cast<int>(f.word20), static_cast<int>(f.byte19),
         static_cast<int>(f.byte27));
  if (f.checkGood())
    row += "\r\n";
  else
    Append(row, ",*%d,%d\r\n", static_cast<int>(f.computedCheck), static_cast<int>(f.storedCheck));
  return row;
}

std::string SummaryLines(uint32_t rows, OutputForm form, const std::string& trailerText) {
  std::string s;
  Append(s, "\r\n%d blocks translated ", static_cast<int>(rows));
  s += form == OutputForm::LatLon ? "to Latitude and Longitude format.\r\n" : "to UTM format.\r\n";
  s += "\r\n";
  s += trailerText;
  s += "\r\n";
  return s;
}

Translation TranslateGpsImage(const std::vector<uint8_t>& image, OutputForm form, const ZoneChoice& zone) {
  Translation t;
  if (image.size() < kGpsHeaderSize) {
    t.result = TranslateResult::InputOpenFailed;
    return t;
  }
  t.headerBlocks = HeaderBlockCount(image.data());
  if (t.headerBlocks == 0) return t;
  const size_t present = (image.size() - kGpsHeaderSize) / kGpsBlockSize;
  t.rows = static_cast<uint32_t>(std::min<size_t>(t.headerBlocks, present));
  t.csv.reserve(t.rows * 160u + 200u + zone.text.size());
  // A named zone shifts each fix by the offset in force at its instant; a
  // fix whose time is not a real one keeps the offset of the fix before it.
  bool anyTime = false;
  int64_t first = 0, last = 0;
  UtcShift shift = zone.shift;
  if (zone.named) {
    for (uint32_t i = 0; i < t.rows; ++i) {
      int64_t s = 0;
      if (FixUtcSeconds(DecodeGpsBlock(image.data() + kGpsHeaderSize + i * kGpsBlockSize), &s)) {
        shift = ShiftMinutes(zone.named->offsetMinutesAt(s));
        break;
      }
    }
  }
  for (uint32_t i = 0; i < t.rows; ++i) {
    const GpsFix fix = DecodeGpsBlock(image.data() + kGpsHeaderSize + i * kGpsBlockSize);
    if (!fix.checkGood()) ++t.badChecks;
    int64_t s = 0;
    if (zone.named && FixUtcSeconds(fix, &s)) {
      shift = ShiftMinutes(zone.named->offsetMinutesAt(s));
      first = anyTime ? std::min(first, s) : s;
      last = anyTime ? std::max(last, s) : s;
      anyTime = true;
    }
    AppendCsvRow(t.csv, fix, form, shift);
  }
  const std::string footer =
      zone.named ? (anyTime ? zone.named->label(first, last) : zone.named->name()) : zone.text;
  t.csv += SummaryLines(t.rows, form, footer);
  t.result = t.badChecks ? TranslateResult::ChecksumMismatch : TranslateResult::Ok;
  return t;
}

Translation TranslateGpsImage(const std::vector<uint8_t>& image, OutputForm form, UtcShift shift,
                              const std::string& trailerText) {
  return TranslateGpsImage(image, form, ZoneChoice::Fixed(shift, trailerText));
}

TranslateResult TranslateImageToFile(const std::vector<uint8_t>& image, const std::string& outputPath,
                                     OutputForm form, const ZoneChoice& zone, Translation* details,
                                     std::string* reason) {
  Translation local;
  Translation& t = details ? *details : local;
  t = TranslateGpsImage(image, form, zone);
  if (t.result == TranslateResult::InputOpenFailed) {
    if (reason) *reason = "it is shorter than the 64-byte header of a GPS data file";
    return t.result;
  }
  if (t.headerBlocks == 0) return t.result;
  switch (WriteFileAtomically(outputPath, t.csv, reason)) {
    case AtomicWrite::OpenFailed: return TranslateResult::OutputOpenFailed;
    case AtomicWrite::WriteFailed: return TranslateResult::WriteFailed;
    case AtomicWrite::Ok: break;
  }
  return t.result;
}

TranslateResult TranslateImageToFile(const std::vector<uint8_t>& image, const std::string& outputPath,
                                     OutputForm form, UtcShift shift, const std::string& trailerText,
                                     Translation* details, std::string* reason) {
  return TranslateImageToFile(image, outputPath, form, ZoneChoice::Fixed(shift, trailerText), details, reason);
}

TranslateResult TranslateGpsData(const std::string& inputPath, const std::string& outputPath, OutputForm form,
                                 const ZoneChoice& zone, Translation* details, std::string* reason) {
  std::vector<uint8_t> image;
  if (!ReadWholeFile(inputPath, &image, reason)) {
    if (details) {
      *details = Translation{};
      details->result = TranslateResult::InputOpenFailed;
    }
    return TranslateResult::InputOpenFailed;
  }
  return TranslateImageToFile(image, outputPath, form, zone, details, reason);
}

TranslateResult TranslateGpsData(const std::string& inputPath, const std::string& outputPath,
                                 OutputForm form, UtcShift shift,
                                 const std::string& trailerText, Translation* details, std::string* reason) {
  return TranslateGpsData(inputPath, outputPath, form, ZoneChoice::Fixed(shift, trailerText), details, reason);
}

}  // namespace zelkor
