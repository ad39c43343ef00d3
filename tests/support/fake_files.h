// A file chooser that answers from a script.
#pragma once

#include <deque>
#include <optional>
#include <string>
#include <vector>

#include "app/file_chooser.h"

namespace zelkor::testing {

// Answers are what the user types or picks; the chooser adds the default
// extension as the program's does.
class FakeFiles : public FileChooser {
 public:
  std::deque<std::optional<std::string>> answers;
  std::vector<std::string> asked;
  std::vector<std::string> extensions;

 protected:
  std::optional<std::string> chooseToOpen(const std::string& title, const std::string& initial,
                                          const std::string& filter, const std::string& extension) override {
    asked.push_back(title + "|" + initial + "|" + filter);
    extensions.push_back(extension);
    return next();
  }
  std::optional<std::string> chooseToSave(const std::string& title, const std::string& initial,
                                          const std::string& filter, const std::string& extension) override {
    asked.push_back(title + "|" + initial + "|" + filter);
    extensions.push_back(extension);
    return next();
  }

 private:
  std::optional<std::string> next() {
    if (answers.empty()) return std::nullopt;
    auto a = answers.front();
    answers.pop_front();
    return a;
  }
};

}  // namespace zelkor::testing
