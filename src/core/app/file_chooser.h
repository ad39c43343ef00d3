// How workflows ask the user for a file: the program shows the platform's
// file dialog, tests answer from a script.
#pragma once

#include <optional>
#include <string>

namespace zelkor {

class FileChooser {
 public:
  virtual ~FileChooser() = default;
  // filter as "GPS data files (*.csv);;All Files (*)"; nothing when cancelled.
  virtual std::optional<std::string> openFile(const std::string& title, const std::string& initialPath,
                                              const std::string& filter) = 0;
  virtual std::optional<std::string> saveFile(const std::string& title, const std::string& initialPath,
                                              const std::string& filter) = 0;
};

}  // namespace zelkor
