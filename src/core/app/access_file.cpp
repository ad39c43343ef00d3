#include "app/access_file.h"

#include "util/read_file.h"

#include <algorithm>
#include <cctype>
#include <climits>
#include <cstdio>
#include <fstream>
#include <sstream>

#include "util/text.h"

namespace zelkor {

namespace {

// The file read as one stream of characters, the way a C program reads it
// with fscanf and getc: end of file is known only once a read has run
// into it.
class Stream {
 public:
  explicit Stream(const std::string& text) : text_(text) {}
  bool eof() const { return eof_; }
  int peek() {
    if (at_ < text_.size()) return static_cast<unsigned char>(text_[at_]);
    eof_ = true;
    return EOF;
  }
  int get() {
    const int c = peek();
    if (c != EOF) ++at_;
    return c;
  }
  void skipSpace() {
    while (std::isspace(peek())) ++at_;
  }
  // "%d": white space, an optional sign, digits. False when no number
  // could be read (at the end of the file, or at a character that is not
  // part of a number, which stays unread).
  bool number(int* out) {
    skipSpace();
    int c = peek();
    if (c == EOF) return false;
    bool negative = false;
    if (c == '+' || c == '-') {
      negative = c == '-';
      ++at_;
      c = peek();
    }
    if (!std::isdigit(c)) return false;
    long long v = 0;
    while (std::isdigit(peek())) {
      v = std::min<long long>(v * 10 + (get() - '0'), 1LL << 40);
    }
    v = negative ? -v : v;
    *out = static_cast<int>(std::max<long long>(INT_MIN, std::min<long long>(INT_MAX, v)));
    return true;
  }
  // The rest of the line, its line feed included.
  void skipLine() {
    for (int c; (c = get()) != EOF && c != '\n';) {
    }
  }

 private:
  const std::string& text_;
  size_t at_ = 0;
  bool eof_ = false;
};

}  // namespace

AccessTable ParseAccessLevels(const std::string& text) {
  AccessTable table{};
  // Three numbers at a time, "%d %d %d": white space between them includes
  // line ends, so blank lines are skipped and a short line continues on the
  // next. The numbers keep their values when a read stops early, so an
  // entry without numbers repeats the one before it.
  Stream in(text);
  int first = 0, show = 0, edit = 0;
  for (size_t k = 0; !in.eof(); ++k) {
    if (in.number(&first)) {
      in.skipSpace();
      if (in.number(&show)) {
        in.skipSpace();
        in.number(&edit);
      }
    }
    if (k < table.size()) {
      table[k].showLevel = static_cast<uint8_t>(show & 0xFF);
      table[k].editLevel = static_cast<uint8_t>(edit & 0xFF);
    }
    in.skipLine();
  }
  (void)first;
  return table;
}

bool LoadAccessLevels(AppState& state, Prompter& prompter) {
  const std::string path = state.programDirectory + "AccessLevel.txt";
  std::string text;
  if (!ReadWholeFile(path, &text)) {
    state.accessTable = AccessTable{};
    prompter.notify(Format("Unable to open the Access Level file - %s!!", path.c_str()),
                    "Opening File Error", PromptIcon::Warning);
    return false;
  }
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
