#include "gpsdata/viewer_text.h"

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

Track ParseTrack(const std::string& csvText) {
  Track track;
  bool formKnown = false;
  for (std::string line : SplitLines(csvText)) {
    if (!line.empty() && line.back() == '\r') line.pop_back();
    const auto f = Fields(line);
    if (f.size() < 29) continue;
    const bool latLon = (f[7] == "N" || f[7] == "S") && (f[9] == "E" || f[9] == "W");
    if (!formKnown) {
      track.utm = !latLon;
      formKnown = true;
    }
    TrackPoint p;
    double a = 0, b = 0;
    if (latLon && !track.utm) {
      if (!Number(f[6], &a) || !Number(f[8], &b)) continue;
      p.y = f[7] == "S" ? -a : a;
      p.x = f[9] == "W" ? -b : b;
    } else if (!latLon && track.utm) {
      if (!Number(f[6], &a) || !Number(f[7], &b)) continue;
      p.x = a;
      p.y = b;
    } else {
      continue;
    }
    p.badCheck = line.find(",*") != std::string::npos;
    track.points.push_back(p);
  }
  return track;
}

}  // namespace zelkor
