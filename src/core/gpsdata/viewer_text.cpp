#include "gpsdata/viewer_text.h"

#include <cmath>
#include <cstdlib>
#include <new>

#include "gpsdata/fix_time.h"
#include "gpsdata/translate.h"

#include "util/text.h"

namespace zelkor {

ViewerText LoadTextForViewer(const std::string& raw) {
  ViewerText v;
  v.text.reserve(raw.size() + raw.size() / 40 + 3);
  for (size_t i = 0; i < raw.size(); ++i) {
    const char c = raw[i];
    if (c == '\r' && i + 1 < raw.size() && raw[i + 1] == '\n') continue;  // text mode
    if (c == '\n') {
      v.text += "\r\n";
      ++v.lineCount;
    } else {
      v.text.push_back(c);
    }
  }
  v.text += "\r\n";
  return v;
}

namespace {
std::vector<std::string> Fields(const std::string& line) {
  std::vector<std::string> f;
  size_t start = 0;
  for (;;) {
    const size_t comma = line.find(',', start);
    f.push_back(line.substr(start, comma == std::string::npos ? std::string::npos : comma - start));
    if (comma == std::string::npos) return f;
    start = comma + 1;
  }
}

bool Number(const std::string& s, double* out) {
  if (s.empty()) return false;
  char* end = nullptr;
  *out = std::strtod(s.c_str(), &end);
  return end && *end == '\0';
}
}  // namespace

bool LoadIntoViewer(const std::string& fileText, const std::function<void(const ViewerText&)>& show,
                    Prompter& prompter) {
  ViewerText text;
  try {
    text = LoadTextForViewer(fileText);
  } catch (const std::bad_alloc&) {
    prompter.notify(kViewerAllocationFailed, "ERROR", PromptIcon::Error);
    return false;
  }
  try {
    show(text);
  } catch (const std::bad_alloc&) {
    prompter.notify(kViewerMemoryException, "", PromptIcon::Error);
    return false;
  } catch (...) {
    prompter.notify(kViewerUnknownException, "", PromptIcon::Error);
    return false;
  }
  return true;
}

std::vector<std::string> CsvHeadings(bool utm) {
  std::vector<std::string> h = {"Year", "Month", "Day", "Hour", "Minute", "Second"};
  if (utm) {
    h.insert(h.end(), {"Easting (m)", "Northing (m)", "UTM zone"});
  } else {
    h.insert(h.end(), {"Latitude", "N/S", "Longitude", "E/W"});
  }
  h.insert(h.end(), {"Altitude (m)", "Status"});
  for (int i = 1; i <= 12; ++i) h.push_back("Satellite " + std::to_string(i));
  h.insert(h.end(), {"Bytes 15-16", "Bytes 25-26", "Bytes 22-23", "Bytes 20-21", "Byte 19", "Byte 27",
                     "Check (computed)", "Check (stored)"});
  return h;
}

namespace {
// A whole number within bounds, as the translation writes them.
bool Whole(const std::string& s, long long low, long long high, long long* out) {
  if (s.empty() || s.size() > 18) return false;
  char* end = nullptr;
  const long long v = std::strtoll(s.c_str(), &end, 10);
  if (!end || *end != '\0' || v < low || v > high) return false;
  *out = v;
  return true;
}

bool InRange(const std::string& s, double low, double high, double* out) {
  return Number(s, out) && std::isfinite(*out) && *out >= low && *out <= high;
}


// The facts of one row, or false when it is not a fix row of its form.
bool ReadRow(std::vector<std::string>& f, bool utm, CsvFix* fix) {
  const size_t width = utm ? 29 : 30;
  if (f.size() != width && f.size() != width + 2) return false;
  if (f.size() == width + 2) {
    // ",*17,18": the star leads the computed check.
    std::string& computed = f[width];
    if (computed.size() < 2 || computed[0] != '*') return false;
    computed.erase(0, 1);
    long long a = 0, b = 0;
    if (!Whole(computed, 0, 255, &a) || !Whole(f[width + 1], 0, 255, &b)) return false;
    fix->badCheck = a != b;
  }
  long long year = 0, month = 0, day = 0, hour = 0, minute = 0, second = 0;
  if (Whole(f[0], 1900, 99999, &year) && Whole(f[1], 1, 12, &month) && Whole(f[2], 1, 31, &day) &&
      Whole(f[3], 0, 23, &hour) && Whole(f[4], 0, 59, &minute) && Whole(f[5], 0, 59, &second) &&
      year <= 2199 && day <= DaysInMonth(static_cast<int>(month), static_cast<int>(year - 2000))) {
    fix->validTime = true;
    fix->localSeconds = DaysFromCivil(static_cast<int>(year), static_cast<int>(month), static_cast<int>(day)) * 86400 +
                        hour * 3600 + minute * 60 + second;
  }
  double a = 0, b = 0;
  if (utm) {
    long long zone = 0;
    fix->hasPosition = InRange(f[6], 0, 1e6, &a) && InRange(f[7], 0, 1e7, &b) && Whole(f[8], 0, 61, &zone);
    fix->x = a;
    fix->y = b;
    fix->zone = static_cast<int>(zone);
  } else {
    fix->hasPosition = InRange(f[6], 0, 90, &a) && InRange(f[8], 0, 180, &b);
    fix->y = f[7] == "S" ? -a : a;
    fix->x = f[9] == "W" ? -b : b;
  }
  return true;
}
}  // namespace

bool LooksLikeText(const std::string& bytes, size_t* where) {
  for (size_t i = 0; i < bytes.size(); ++i) {
    const unsigned char c = static_cast<unsigned char>(bytes[i]);
    if (c == 0 || (c < 0x20 && c != '\r' && c != '\n' && c != '\t') || c == 0x7F) {
      if (where) *where = i;
      return false;
    }
  }
  return true;
}

CsvTable ParseCsvTable(const std::string& csvText) {
  CsvTable table;
  table.binary = !LooksLikeText(csvText);
  bool formKnown = false;
  for (std::string line : SplitLines(csvText)) {
    if (!line.empty() && line.back() == '\r') line.pop_back();
    auto f = Fields(line);
    if (f.size() < 29) {
      if (!line.empty() && line.find("blocks translated") == std::string::npos) table.footer = line;
      continue;
    }
    const bool latLon = (f[7] == "N" || f[7] == "S") && (f[9] == "E" || f[9] == "W");
    if (!formKnown) {
      table.utm = !latLon;
      table.headings = CsvHeadings(table.utm);
      formKnown = true;
    }
    if (latLon == table.utm) continue;  // a row of the other form
    CsvFix fix;
    if (!ReadRow(f, table.utm, &fix)) continue;
    table.rows.push_back(std::move(f));
    table.fixes.push_back(fix);
  }
  return table;
}

Track TrackFromTable(const CsvTable& table) {
  Track track;
  track.utm = table.utm;
  for (size_t r = 0; r < table.rows.size(); ++r) {
    const auto& f = table.rows[r];
    const CsvFix& fix = table.fixes[r];
    if (!fix.hasPosition) continue;
    TrackPoint p;
    p.x = fix.x;
    p.y = fix.y;
    p.zone = fix.zone;
    p.row = r;
    // As written when it is not a real date and time.
    p.when = Format("%.5s-%.2s-%.2s %.2s:%.2s:%.2s", f[0].c_str(), f[1].c_str(), f[2].c_str(), f[3].c_str(),
                    f[4].c_str(), f[5].c_str());
    p.validTime = fix.validTime;
    if (fix.validTime) {
      p.localSeconds = fix.localSeconds;
      const int64_t days = fix.localSeconds / 86400;
      p.day = static_cast<long>(days - DaysFromCivil(2000, 1, 1));
      p.when = PlainDateTime(fix.localSeconds);
    }
    const size_t next = table.utm ? 9 : 10;
    p.altitude = f[next];
    for (size_t s = next + 2; s < next + 14 && s < f.size(); ++s) p.satellites += AtoiRules(f[s]) != 0;
    track.points.push_back(p);
  }
  return track;
}

Track ParseTrack(const std::string& csvText) { return TrackFromTable(ParseCsvTable(csvText)); }

}  // namespace zelkor
