// A file chooser that answers from a script.
#pragma once

#include <deque>
#include <optional>
#include <string>
#include <vector>

#include "app/file_chooser.h"

namespace zelkor::testing {

class FakeFiles : public FileChooser {
 public:
  std::optional<std::string> openFile(const std::string& title, const std::string& initial,
                                      const std::string& filter) override {
    asked.push_back(title + "|" + initial + "|" + filter);
    return next();
  }
  std::optional<std::string> saveFile(const std::string& title, const std::string& initial,
                                      const std::string& filter) override {
    asked.push_back(title + "|" + initial + "|" + filter);
    return next();
  }
  std::deque<std::optional<std::string>> answers;
  std::vector<std::string> asked;

 private:
  std::optional<std::string> next() {
    if (answers.empty()) return std::nullopt;
    auto a = answers.front();
    answers.pop_front();
    return a;
  }
};

}  // namespace zelkor::testing
