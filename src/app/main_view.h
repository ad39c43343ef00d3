// The main view: paints the program's backdrop and runs every command by
// number. Commands are queued with postCommand and run from the event loop.
#pragma once

#include <QWidget>
#include <functional>
#include <map>

#include "app/command_ids.h"
#include "app_context.h"

class QStatusBar;

namespace zelkor {

class MainView : public QWidget, public CommandSink {
  Q_OBJECT
 public:
  MainView(AppContext& context, QWidget* parent = nullptr);

  void postCommand(int id) override;
  // Runs a command at once; false for a number that names no command.
  bool runCommand(int id);

  void setStatusBar(QStatusBar* bar) { statusBar_ = bar; }

  // Commands that are queued but not yet run (for tests).
  int pendingCommands() const { return pending_; }

 signals:
  void commandStarted(int id);
  void portChanged(int port);

 protected:
  void paintEvent(QPaintEvent* event) override;

 private:
  void notAvailableYet(const QString& what);
  void runUtcOffsetDialog();

  AppContext& context_;
  QStatusBar* statusBar_ = nullptr;
  std::map<int, std::function<void()>> commands_;
  int pending_ = 0;
};

}  // namespace zelkor
