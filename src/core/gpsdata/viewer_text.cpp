#include "gpsdata/viewer_text.h"

#include "gpsdata/fix_time.h"

#include <new>

#include <cstdlib>

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

CsvTable ParseCsvTable(const std::string& csvText) {
  CsvTable table;
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
    const bool bad = line.find(",*") != std::string::npos;
    if (bad && f.size() >= 2) {
      // ",*17,18": the star leads the computed check.
      std::string& computed = f[f.size() - 2];
      if (!computed.empty() && computed[0] == '*') computed.erase(0, 1);
    }
    table.rows.push_back(std::move(f));
    table.badCheck.push_back(bad);
  }
  return table;
}

Track TrackFromTable(const CsvTable& table) {
  Track track;
  track.utm = table.utm;
  for (const auto& f : table.rows) {
    TrackPoint p;
    double a = 0, b = 0;
    size_t next = 0;
    if (!table.utm) {
      if (!Number(f[6], &a) || !Number(f[8], &b)) continue;
      p.y = f[7] == "S" ? -a : a;
      p.x = f[9] == "W" ? -b : b;
      next = 10;
    } else {
      double zone = 0;
      if (!Number(f[6], &a) || !Number(f[7], &b)) continue;
      p.x = a;
      p.y = b;
      if (Number(f[8], &zone)) p.zone = static_cast<int>(zone);
      next = 9;
    }
    p.row = static_cast<size_t>(&f - table.rows.data());
    p.badCheck = table.badCheck[p.row];
    const int year = AtoiRules(f[0]), month = AtoiRules(f[1]), day = AtoiRules(f[2]);
    p.when = Format("%04d-%02d-%02d %s:%s:%s", year, month, day, f[3].c_str(), f[4].c_str(), f[5].c_str());
    const int hour = AtoiRules(f[3]), minute = AtoiRules(f[4]), second = AtoiRules(f[5]);
    if (month >= 1 && month <= 12 && day >= 1 && day <= 31) {
      const int64_t days = DaysFromCivil(year, month, day);
      p.day = static_cast<long>(days - DaysFromCivil(2000, 1, 1));
      p.validTime = hour >= 0 && hour < 24 && minute >= 0 && minute < 60 && second >= 0 && second < 60;
      p.localSeconds = days * 86400 + hour * 3600 + minute * 60 + second;
    }
    p.altitude = f[next];
    for (size_t s = next + 2; s < next + 14 && s < f.size(); ++s) p.satellites += AtoiRules(f[s]) != 0;
    track.points.push_back(p);
  }
  return track;
}

Track ParseTrack(const std::string& csvText) { return TrackFromTable(ParseCsvTable(csvText)); }

}  // namespace zelkor
