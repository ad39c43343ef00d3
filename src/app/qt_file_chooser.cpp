#include "qt_file_chooser.h"

#include <QFileDialog>

namespace zelkor {

std::optional<std::string> QtFileChooser::run(bool save, const std::string& title, const std::string& initialPath,
                                              const std::string& filter, const std::string& defaultExtension) {
  QFileDialog dialog(owner_, QString::fromStdString(title), QString::fromStdString(initialPath),
                     QString::fromStdString(filter));
  dialog.setAcceptMode(save ? QFileDialog::AcceptSave : QFileDialog::AcceptOpen);
  dialog.setFileMode(save ? QFileDialog::AnyFile : QFileDialog::ExistingFile);
  dialog.setDefaultSuffix(QString::fromStdString(defaultExtension));
  if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return std::nullopt;
  return dialog.selectedFiles().first().toStdString();
}

std::optional<std::string> QtFileChooser::chooseToOpen(const std::string& title, const std::string& initialPath,
                                                       const std::string& filter, const std::string& extension) {
  return run(false, title, initialPath, filter, extension);
}

std::optional<std::string> QtFileChooser::chooseToSave(const std::string& title, const std::string& initialPath,
                                                       const std::string& filter, const std::string& extension) {
  return run(true, title, initialPath, filter, extension);
}

}  // namespace zelkor
