// The About and Battery Usage dialogs.
#pragma once

#include <QDialog>

class QLineEdit;

namespace zelkor {

class AboutDialog : public QDialog {
  Q_OBJECT
 public:
  explicit AboutDialog(QWidget* parent = nullptr);
};

// Four read-only fields; the dialog computes nothing.
class BatteryUsageDialog : public QDialog {
  Q_OBJECT
 public:
  explicit BatteryUsageDialog(QWidget* parent = nullptr);
};

}  // namespace zelkor
