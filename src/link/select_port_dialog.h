// "Select Port": lists the ports that exist and are free when it opens.
// The scan runs after the dialog has first painted, so the user sees
// "Scanning for ports..." while it runs.
#pragma once

#include <QDialog>

#include "app/command_ids.h"
#include "app/prompter.h"
#include "app/settings_store.h"
#include "link/port_scan.h"

class QComboBox;
class QLabel;
class QPushButton;

namespace zelkor {

class SelectPortDialog : public QDialog {
  Q_OBJECT
 public:
  SelectPortDialog(SystemSerialPort& serial, SettingsStore& store, Prompter& prompter, CommandSink& commands,
                   int savedPort, QWidget* parent = nullptr);

  int savedPort() const { return savedPort_; }
  bool scanDone() const { return scanDone_; }
  void scan();

  QComboBox* portList() const { return list_; }
  QLabel* statusLine() const { return status_; }
  QPushButton* okButton() const { return ok_; }
  QPushButton* cancelButton() const { return cancel_; }

  void accept() override;
  void reject() override;

 protected:
  void paintEvent(QPaintEvent* event) override;

 private:
  SystemSerialPort& serial_;
  SettingsStore& store_;
  Prompter& prompter_;
  CommandSink& commands_;
  int savedPort_;
  bool scanDone_ = false;
  bool scanQueued_ = false;
  QComboBox* list_;
  QLabel* status_;
  QPushButton* ok_;
  QPushButton* cancel_;
};

// The "Com Port" command: reads the saved port, runs the dialog and returns
// the port to use from now on.
int RunSelectPort(SystemSerialPort& serial, SettingsStore& store, Prompter& prompter, CommandSink& commands,
                  QWidget* parent);

}  // namespace zelkor
