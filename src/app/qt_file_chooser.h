// The file chooser on the platform's file dialogs.
#pragma once

#include <QPointer>
#include <QWidget>

#include "app/file_chooser.h"

namespace zelkor {

class QtFileChooser : public FileChooser {
 public:
  explicit QtFileChooser(QWidget* owner = nullptr) : owner_(owner) {}
  void setOwner(QWidget* owner) { owner_ = owner; }
  std::optional<std::string> openFile(const std::string& title, const std::string& initialPath,
                                      const std::string& filter) override;
  std::optional<std::string> saveFile(const std::string& title, const std::string& initialPath,
                                      const std::string& filter) override;

 private:
  QPointer<QWidget> owner_;
};

}  // namespace zelkor
