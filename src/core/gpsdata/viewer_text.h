// The viewer's text and the track drawn from a translated CSV file.
#pragma once

#include <string>
#include <vector>

namespace zelkor {

struct ViewerText {
  std::string text;  // every line ended by CR LF, one more CR LF at the end
  int lineCount = 0;  // line feeds in the file
};

// The file's bytes as read in text mode (CR LF arrives as LF).
ViewerText LoadTextForViewer(const std::string& fileText);

struct TrackPoint {
  double x = 0;  // longitude (east positive) or easting
  double y = 0;  // latitude (north positive) or northing
  bool badCheck = false;
};

struct Track {
  bool utm = false;
  std::vector<TrackPoint> points;
};

// The fixes of a translated file, in file order. Rows that are not fixes
// (the summary, the trailer) are skipped.
Track ParseTrack(const std::string& csvText);

}  // namespace zelkor
