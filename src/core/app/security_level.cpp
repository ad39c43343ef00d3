#include "app/security_level.h"

#include "util/text.h"

namespace zelkor {

AccessWordResult ApplyAccessWord(const std::string& typed, int& accessLevel, Prompter& prompter) {
  AccessWordResult r;
  r.shownWord = ToUpperAscii(typed);
  if (r.shownWord == "KOVA") {
    accessLevel = 0;
    r.accepted = true;
  } else if (r.shownWord == "ZOND") {
    accessLevel = 1;
    r.accepted = true;
  } else {
    prompter.notify("Invalid password entered, Try again.", "Invalid Password", PromptIcon::Warning);
    r.shownWord.clear();
  }
  return r;
}

}  // namespace zelkor
