// What is wrong with a fix, decided once from the data and asked by every
// part of the program: the viewer's table and track, the season summary,
// the printout, the exports and the store.
//
// A fix is flagged, never removed, for:
//   bad check   - its check byte does not match the bytes it covers;
//   no position - the collar stored none (0,0), or one that is not a place
//                 on Earth;
//   time        - its date or time is not a real one, lies far outside the
//                 season (a GPS week rollover puts a fix 1024 weeks early),
//                 or goes back against the fixes around it;
//   speed       - reaching it from the last good fix takes a speed above
//                 the limit.
// A good fix carries no flag.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "gpsdata/decoded_file.h"

namespace zelkor {

constexpr double kDefaultMaxSpeedKmh = 15.0;  // ungulates at fix intervals of hours
// How far from the middle of a season a fix may lie in time.
constexpr int64_t kSeasonReachSeconds = int64_t{5} * 366 * 86400;

// What is known of one fix, whatever it came from (a data block, or a row
// of a translated file).
struct FixFacts {
  bool validTime = false;
  int64_t seconds = 0;  // any one clock for all fixes: UTC, or the local time of a fixed zone
  bool hasPosition = false;
  double latitude = 0;   // signed degrees
  double longitude = 0;  // signed degrees
  // Or, for a UTM file, metres in a zone: speeds are judged only between
  // fixes of one zone.
  bool planar = false;
  double easting = 0;
  double northing = 0;
  int zone = 0;
  bool badCheck = false;
};

enum class TimeFlag { None, Invalid, OutsideSeason, OutOfOrder };

struct FixQuality {
  bool badCheck = false;
  bool noPosition = false;
  TimeFlag time = TimeFlag::None;
  bool tooFast = false;
  double speedKmh = 0;  // from the last good fix, when it could be worked out
  bool badTime() const { return time != TimeFlag::None; }
  bool any() const { return badCheck || noPosition || badTime() || tooFast; }
  // "bad check; time out of order; speed 52.3 km/h"; empty for a good fix.
  std::string reasons() const;
};

// How many fixes carry each flag; a fix may carry several.
struct QualityCounts {
  int fixes = 0;
  int badCheck = 0;
  int noPosition = 0;
  int time = 0;
  int speed = 0;
  int flagged = 0;  // fixes with any flag
  // "3 flagged: 1 bad check, 2 no position, 0 time, 0 speed", or "none flagged".
  std::string text() const;
};

// One judgement per fix, in the same order.
std::vector<FixQuality> JudgeFixes(const std::vector<FixFacts>& fixes, double maxSpeedKmh = kDefaultMaxSpeedKmh);
QualityCounts CountQuality(const std::vector<FixQuality>& quality);

// The facts of decoded blocks (UTC times).
FixFacts FactsOf(const DecodedFix& fix);
std::vector<FixFacts> FactsOf(const DecodedFile& file);
// JudgeFixes(FactsOf(file)).
std::vector<FixQuality> JudgeFile(const DecodedFile& file, double maxSpeedKmh = kDefaultMaxSpeedKmh);

// A stored position counts only when it is a place on Earth and not 0,0
// (what a collar writes when it got none).
bool IsPosition(double latitude, double longitude);
// A UTM position as a translated file gives it: finite, inside the ranges
// a zone allows, and not 0,0.
bool IsPlanarPosition(double easting, double northing, int zone);

}  // namespace zelkor
