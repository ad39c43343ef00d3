#include "app/access_file.h"

#include <cstdio>
#include <fstream>
#include <sstream>

#include "util/text.h"

namespace zelkor {

AccessTable ParseAccessLevels(const std::string& text) {
  AccessTable table{};
  // The three numbers keep their values from line to line, the way the
  // scanning loop always worked: a line that yields nothing repeats them.
  int first = 0, show = 0, edit = 0;
  size_t k = 0;
  for (const std::string& line : SplitLines(text)) {
    std::sscanf(line.c_str(), "%d %d %d", &first, &show, &edit);
    if (k < table.size()) {
      table[k].showLevel = static_cast<uint8_t>(show & 0xFF);
      table[k].editLevel = static_cast<uint8_t>(edit & 0xFF);
    }
    ++k;
  }
  (void)first;
  return table;
}

bool LoadAccessLevels(AppState& state, Prompter& prompter) {
  const std::string path = state.programDirectory + "AccessLevel.txt";
  std::ifstream in(path, std::ios::binary);
  if (!in) {
    state.accessTable = AccessTable{};
    prompter.notify(Format("Unable to open the Access Level file - %s!!", path.c_str()),
                    "Opening File Error", PromptIcon::Warning);
    return false;
  }
  std::ostringstream buffer;
  buffer << in.rdbuf();
  std::string text = buffer.str();
  // Text mode: CR LF line ends read as LF.
  std::string cleaned;
  cleaned.reserve(text.size());
  for (size_t i = 0; i < text.size(); ++i) {
    if (text[i] == '\r' && i + 1 < text.size() && text[i + 1] == '\n') continue;
    cleaned.push_back(text[i]);
  }
  state.accessTable = ParseAccessLevels(cleaned);
  return true;
}

}  // namespace zelkor
