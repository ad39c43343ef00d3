// The About and Battery Usage dialogs.
#pragma once

#include <QDialog>

#include "app_context.h"

class QLineEdit;

namespace zelkor {

// The program's name and version, its build, the Qt it runs on, and where
// its settings and data live.
class AboutDialog : public QDialog {
  Q_OBJECT
 public:
  explicit AboutDialog(AppContext& context, QWidget* parent = nullptr);
};

// "<commit> (<build type>)" of this build.
QString BuildId();

// Four read-only fields; the dialog computes nothing.
class BatteryUsageDialog : public QDialog {
  Q_OBJECT
 public:
  explicit BatteryUsageDialog(QWidget* parent = nullptr);
};

}  // namespace zelkor
