#include "qt_file_chooser.h"

#include <QFileDialog>

namespace zelkor {

std::optional<std::string> QtFileChooser::openFile(const std::string& title, const std::string& initialPath,
                                                   const std::string& filter) {
  const QString path = QFileDialog::getOpenFileName(owner_, QString::fromStdString(title),
                                                    QString::fromStdString(initialPath), QString::fromStdString(filter));
  if (path.isEmpty()) return std::nullopt;
  return path.toStdString();
}

std::optional<std::string> QtFileChooser::saveFile(const std::string& title, const std::string& initialPath,
                                                   const std::string& filter) {
  const QString path = QFileDialog::getSaveFileName(owner_, QString::fromStdString(title),
                                                    QString::fromStdString(initialPath), QString::fromStdString(filter));
  if (path.isEmpty()) return std::nullopt;
  return path.toStdString();
}

}  // namespace zelkor
