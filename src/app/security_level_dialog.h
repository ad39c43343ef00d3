// "Security Level": the access word switches between user and full level.
#pragma once

#include <QDialog>

#include "app/prompter.h"

class QLineEdit;
class QPushButton;

namespace zelkor {

class SecurityLevelDialog : public QDialog {
  Q_OBJECT
 public:
  SecurityLevelDialog(int& accessLevel, Prompter& prompter, QWidget* parent = nullptr);

  QLineEdit* passwordField() const { return password_; }
  QLineEdit* levelField() const { return level_; }
  QPushButton* changeButton() const { return change_; }

 private:
  void change();

  int& accessLevel_;
  Prompter& prompter_;
  QLineEdit* password_;
  QLineEdit* level_;
  QPushButton* change_;
};

}  // namespace zelkor
