// How workflows ask the user for a file: the program shows the platform's
// file dialog, tests answer from a script.
#pragma once

#include <optional>
#include <string>

namespace zelkor {

// path with ".ext" added when its file name has no extension ("foo" becomes
// "foo.dat"; "foo.txt" and an empty extension leave it as it is).
std::string WithDefaultExtension(const std::string& path, const std::string& extension);

class FileChooser {
 public:
  virtual ~FileChooser() = default;
  // filter as "GPS data files (*.csv);;All Files (*)"; nothing when
  // cancelled. A name typed without an extension gets defaultExtension.
  std::optional<std::string> openFile(const std::string& title, const std::string& initialPath,
                                      const std::string& filter, const std::string& defaultExtension = {}) {
    return withExtension(chooseToOpen(title, initialPath, filter, defaultExtension), defaultExtension);
  }
  std::optional<std::string> saveFile(const std::string& title, const std::string& initialPath,
                                      const std::string& filter, const std::string& defaultExtension = {}) {
    return withExtension(chooseToSave(title, initialPath, filter, defaultExtension), defaultExtension);
  }

 protected:
  virtual std::optional<std::string> chooseToOpen(const std::string& title, const std::string& initialPath,
                                                  const std::string& filter, const std::string& defaultExtension) = 0;
  virtual std::optional<std::string> chooseToSave(const std::string& title, const std::string& initialPath,
                                                  const std::string& filter, const std::string& defaultExtension) = 0;

 private:
  static std::optional<std::string> withExtension(std::optional<std::string> path, const std::string& extension) {
    if (path) *path = WithDefaultExtension(*path, extension);
    return path;
  }
};

}  // namespace zelkor
