// The viewer's text and the track drawn from a translated CSV file.
#pragma once

#include <functional>
#include <cstdint>
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

// What one row of a translated file says of its fix, read once when the
// file is parsed: the numbers of its cells, not the look of its text.
struct CsvFix {
  bool validTime = false;
  int64_t localSeconds = 0;  // the row's date and time, in the file's zone
  bool hasPosition = false;  // the position cells are numbers within their ranges
  double x = 0;              // signed longitude (east positive), or easting
  double y = 0;              // signed latitude (north positive), or northing
  int zone = 0;              // UTM zone, for UTM files
  bool badCheck = false;     // the row carries the two check cells, and they differ
};

// The fixes of a translated file as a table: one row per fix, its cells as
// written; a row with a bad check byte has the two check cells more, the
// computed one without its star.
struct CsvTable {
  bool utm = false;
  std::vector<std::string> headings;  // with the two check columns at the end
  std::vector<std::vector<std::string>> rows;
  std::vector<CsvFix> fixes;  // one per row
  std::string footer;  // the last line: the time zone the rows are in
  bool binary = false;  // the text holds bytes no translation writes (NUL, control characters)
};

// Whether bytes can be a translated file: no NUL and no control character
// but tab, CR and LF. *where (when given) is the offset of the first that is.
bool LooksLikeText(const std::string& bytes, size_t* where = nullptr);

// The headings of a latitude/longitude (32) or UTM (31) table.
std::vector<std::string> CsvHeadings(bool utm);

// The fix rows of a translated file, in file order. Lines that are not fixes
// (the summary, the trailer, rows of the wrong width) are skipped.
CsvTable ParseCsvTable(const std::string& csvText);

struct TrackPoint {
  double x = 0;  // longitude (east positive) or easting
  double y = 0;  // latitude (north positive) or northing
  std::string when;      // "2006-07-05 09:03:07", in the file's time zone
  long day = 0;          // days since 1 January 2000, for colouring by date
  bool validTime = false;
  int64_t localSeconds = 0;  // the row's date and time as seconds, in the file's zone
  std::string altitude;  // as written ("1650", "***")
  int satellites = 0;    // satellites used
  int zone = 0;          // UTM zone, for UTM files
  size_t row = 0;        // its row in the table
};

struct Track {
  bool utm = false;
  std::vector<TrackPoint> points;  // the rows with a position
};

Track TrackFromTable(const CsvTable& table);
// ParseCsvTable then TrackFromTable.
Track ParseTrack(const std::string& csvText);

}  // namespace zelkor
