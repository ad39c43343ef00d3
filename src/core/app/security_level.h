// The access words of the "Security Level" dialog.
#pragma once

#include <string>

#include "app/prompter.h"

namespace zelkor {

struct AccessWordResult {
  std::string shownWord;  // what the password field shows afterwards
  bool accepted = false;
};

// Upper-cases the word; "KOVA" sets level 0, "ZOND" level 1. Any other word
// warns, empties the field and keeps the level.
AccessWordResult ApplyAccessWord(const std::string& typed, int& accessLevel, Prompter& prompter);

}  // namespace zelkor
