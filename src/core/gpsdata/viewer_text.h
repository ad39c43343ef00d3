// The viewer's text and the track drawn from a translated CSV file.
#pragma once

#include <functional>
#include <string>
#include <vector>

#include "app/prompter.h"

namespace zelkor {

struct ViewerText {
  std::string text;  // every line ended by CR LF, one more CR LF at the end
  int lineCount = 0;  // line feeds in the file
};

// The file's bytes as read in text mode (CR LF arrives as LF).
ViewerText LoadTextForViewer(const std::string& fileText);

inline const char kViewerAllocationFailed[] = "Could not allocate memory to read the GPS data file";
inline const char kViewerMemoryException[] = "Memory Exception on GPS data buffer load";
inline const char kViewerUnknownException[] = "Unknown exception on GPS data buffer load";
inline const char kViewGpsDataException[] = "Unknown exception on ViewGPSData";

// Prepares a file's text for the viewer and hands it to show(). A text
// that cannot be made is "Could not allocate memory to read the GPS data
// file" (titled "ERROR"); a failure while show() takes it is "Memory
// Exception on GPS data buffer load" or "Unknown exception on GPS data
// buffer load". Nothing escapes; false when the viewer was not shown.
bool LoadIntoViewer(const std::string& fileText, const std::function<void(const ViewerText&)>& show,
                    Prompter& prompter);

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
