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

 protected:
  std::optional<std::string> chooseToOpen(const std::string& title, const std::string& initialPath,
                                          const std::string& filter, const std::string& defaultExtension) override;
  std::optional<std::string> chooseToSave(const std::string& title, const std::string& initialPath,
                                          const std::string& filter, const std::string& defaultExtension) override;

 private:
  std::optional<std::string> run(bool save, const std::string& title, const std::string& initialPath,
                                 const std::string& filter, const std::string& defaultExtension);
  QPointer<QWidget> owner_;
};

}  // namespace zelkor
