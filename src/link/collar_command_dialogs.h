// "Almanac INFO" and "Enable Two Way GPS Communication": a text, "Send
// Command" and "Cancel". Closing either way brings the Collar Commands
// dialog back.
#pragma once

#include <QDialog>
#include <functional>
#include <string>

#include "app/command_ids.h"
#include "app/prompter.h"
#include "link/link_runner.h"

class QPushButton;

namespace zelkor {

class AlmanacDialog : public QDialog {
  Q_OBJECT
 public:
  AlmanacDialog(int port, LinkRunner& link, Prompter& prompter, CommandSink& commands, QWidget* parent = nullptr);
  QPushButton* sendButton() const { return send_; }
  void done(int result) override;

 private:
  CommandSink& commands_;
  QPushButton* send_;
};

class TwoWayGpsDialog : public QDialog {
  Q_OBJECT
 public:
  // status (when given) confirms the send, or says it failed, in the
  // main window's status bar.
  TwoWayGpsDialog(int port, LinkRunner& link, CommandSink& commands, QWidget* parent = nullptr,
                  std::function<void(const std::string&)> status = {});
  QPushButton* sendButton() const { return send_; }
  void done(int result) override;

 private:
  CommandSink& commands_;
  QPushButton* send_;
  std::function<void(const std::string&)> status_;
};

}  // namespace zelkor
