// The expected values kept in tests/data/reference, made by
// make_references.py with outside tools (GeographicLib, PROJ, zoneinfo).
#pragma once

#include <fstream>
#include <sstream>
#include <string>
#include <vector>

namespace zelkor::testing {

inline std::string ReferencePath(const std::string& name) {
  return std::string(ZELKOR_TEST_DATA) + "/reference/" + name;
}

struct ReferenceSeason {
  std::string name;
  double distanceKm = 0;
  double mcp100Km2 = 0;
  double mcp95Km2 = 0;
  std::vector<std::pair<double, double>> positions;  // signed latitude, longitude
};

inline std::vector<ReferenceSeason> ReferenceSeasons() {
  std::vector<ReferenceSeason> seasons;
  std::ifstream in(ReferencePath("seasons.txt"));
  std::string line;
  while (std::getline(in, line)) {
    if (line.empty() || line[0] == '#') continue;
    std::istringstream words(line);
    if (line.rfind("season ", 0) == 0) {
      std::string word;
      size_t count = 0;
      ReferenceSeason s;
      words >> word >> s.name >> count >> s.distanceKm >> s.mcp100Km2 >> s.mcp95Km2;
      seasons.push_back(s);
    } else if (!seasons.empty()) {
      double lat = 0, lon = 0;
      words >> lat >> lon;
      seasons.back().positions.push_back({lat, lon});
    }
  }
  return seasons;
}

struct ReferenceLocalTime {
  std::string zone;
  std::string utc;    // "2040-01-15T12:41:17"
  std::string local;  // "2040-01-15T05:41:17"
  int offsetMinutes = 0;
  std::string abbreviation;
};

inline std::vector<ReferenceLocalTime> ReferenceLocalTimes() {
  std::vector<ReferenceLocalTime> out;
  std::ifstream in(ReferencePath("zones.txt"));
  std::string line;
  while (std::getline(in, line)) {
    if (line.empty() || line[0] == '#') continue;
    std::istringstream words(line);
    ReferenceLocalTime r;
    words >> r.zone >> r.utc >> r.local >> r.offsetMinutes >> r.abbreviation;
    out.push_back(r);
  }
  return out;
}

// One block of a test GPS data file as an independent decoder reads it.
struct ReferenceBlock {
  std::string file;
  int block = 0;
  double latitude = 0, longitude = 0;
  std::string utc;       // "2006-07-05T09:03:07Z", "-" when not a real time
  std::string altitude;  // "-" when none
  bool goodCheck = true;
  bool positioned = false;
  int utmZone = 0;
  double easting = 0, northing = 0;
};

inline std::vector<ReferenceBlock> ReferenceBlocks(const std::string& file) {
  std::vector<ReferenceBlock> out;
  std::ifstream in(ReferencePath("blocks.txt"));
  std::string line;
  while (std::getline(in, line)) {
    if (line.empty() || line[0] == '#') continue;
    std::istringstream words(line);
    ReferenceBlock b;
    std::string check, zone, easting, northing;
    words >> b.file >> b.block >> b.latitude >> b.longitude >> b.utc >> b.altitude >> check >> zone >> easting >>
        northing;
    if (b.file != file) continue;
    b.goodCheck = check == "good";
    b.positioned = zone != "-";
    if (b.positioned) {
      b.utmZone = std::stoi(zone);
      b.easting = std::stod(easting);
      b.northing = std::stod(northing);
    }
    out.push_back(b);
  }
  return out;
}

}  // namespace zelkor::testing
