// "Collar Configuration Options": send the edited configuration to the
// collar or save it to a file; it lists what changed first.
#pragma once

#include <QDialog>

#include "app/file_chooser.h"
#include "app/prompter.h"
#include "config/config_workflow.h"

class QLabel;
class QLineEdit;
class QListWidget;
class QPushButton;
class QRadioButton;

namespace zelkor {

class ConfigOptionsDialog : public QDialog {
  Q_OBJECT
 public:
  // prompter (when given) asks before Cancel throws changes away.
  ConfigOptionsDialog(const std::vector<std::string>& changes, const std::string& fileName, FileChooser& files,
                      QWidget* parent = nullptr, Prompter* prompter = nullptr);
  void reject() override;
  OptionsChoice choice() const;
  std::string fileName() const;

  QRadioButton* sendButton() const { return send_; }
  QRadioButton* saveButton() const { return save_; }
  QPushButton* browseButton() const { return browse_; }
  QLineEdit* fileField() const { return file_; }
  QListWidget* changesList() const { return changes_; }

 private:
  void modeChanged();
  Prompter* prompter_;
  bool changed_;
  QRadioButton* send_;
  QRadioButton* save_;
  QLabel* fileLabel_;
  QLineEdit* file_;
  QPushButton* browse_;
  QListWidget* changes_;
};

// The dialog behind the workflow; the file name survives between openings.
class QtOptionsDialogPort : public OptionsDialogPort {
 public:
  QtOptionsDialogPort(FileChooser& files, QWidget* parent, Prompter* prompter = nullptr)
      : files_(files), parent_(parent), prompter_(prompter) {}
  OptionsChoice run(const std::vector<std::string>& changes, std::string& fileName) override;

 private:
  FileChooser& files_;
  QWidget* parent_;
  Prompter* prompter_;
};

// "Load Configuration ": from the collar or from a file.
class LoadConfigDialog : public QDialog {
  Q_OBJECT
 public:
  LoadConfigDialog(FileChooser& files, QWidget* parent = nullptr);
  bool fromFile() const;
  std::string fileName() const;
  QRadioButton* collarButton() const { return collar_; }
  QRadioButton* fileButton() const { return file_; }

 private:
  QRadioButton* collar_;
  QRadioButton* file_;
  QLineEdit* name_;
};

}  // namespace zelkor
