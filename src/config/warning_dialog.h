// "WARNING": one notice, OK, and Help for its topic.
#pragma once

#include <QDialog>

#include "config/schedule_rules.h"

class QPushButton;

namespace zelkor {

class WarningDialog : public QDialog {
  Q_OBJECT
 public:
  WarningDialog(const QString& text, HelpTopic topic, QWidget* parent = nullptr);
  QPushButton* helpButton() const { return help_; }
  // The help page of a topic, shipped with the program.
  // The manual page (with its anchor) of a notice.
  static QString HelpPage(HelpTopic topic);

 private:
  QPushButton* help_;
};

// The Warner of the program: a WarningDialog each time.
class DialogWarner : public Warner {
 public:
  explicit DialogWarner(QWidget* owner = nullptr) : owner_(owner) {}
  void warn(const std::string& text, HelpTopic topic) override;

 private:
  QWidget* owner_;
};

}  // namespace zelkor
