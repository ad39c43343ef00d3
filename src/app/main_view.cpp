#include "main_view.h"

#include <QMetaObject>
#include <QPainter>
#include <QStatusBar>

#include "app/load_settings.h"
#include "collar_command_dialogs.h"
#include "link/collar_sequences.h"
#include "security_level_dialog.h"
#include "select_port_dialog.h"
#include "utc_offset_dialog.h"

namespace zelkor {

MainView::MainView(AppContext& context, QWidget* parent) : QWidget(parent), context_(context) {
  setAutoFillBackground(false);
  // The one place that says what each command number starts.
  commands_[kCmdInitializeComPort] = [this] {
    LoadSettings(context_.state, context_.store, context_.prompter, *this,
                 [this] { runUtcOffsetDialog(); });
  };
  commands_[kCmdSetUtcOffset] = [this] { runUtcOffsetDialog(); };
  commands_[kCmdSecurityLevel] = [this] {
    SecurityLevelDialog dialog(context_.state.accessLevel, context_.prompter, this);
    dialog.exec();
  };
  commands_[kCmdComPort] = [this] {
    context_.state.comPort = RunSelectPort(context_.serial, context_.store, context_.prompter, *this, this);
    emit portChanged(context_.state.comPort);
  };
  commands_[kCmdResetDataPointer] = [this] {
    RunResetSequence(context_.prompter, context_.link, context_.state.comPort);
  };
  commands_[kCmdAlmanacInfo] = [this] {
    AlmanacDialog dialog(context_.state.comPort, context_.link, context_.prompter, *this, this);
    dialog.exec();
  };
  commands_[kCmdEnableTwoWayGps] = [this] {
    TwoWayGpsDialog dialog(context_.state.comPort, context_.link, *this, this);
    dialog.exec();
  };
  commands_[kCmdCollarCommands] = [this] { notAvailableYet("Collar Commands"); };
  commands_[kCmdCollarConfiguration] = [this] { notAvailableYet("Collar Configuration"); };
  commands_[kCmdOffloadGpsData] = [this] { notAvailableYet("Offload GPS Data"); };
  commands_[kCmdGpsDataFile] = [this] { notAvailableYet("GPS Data File"); };
}

void MainView::postCommand(int id) {
  ++pending_;
  QMetaObject::invokeMethod(
      this,
      [this, id] {
        --pending_;
        runCommand(id);
      },
      Qt::QueuedConnection);
}

bool MainView::runCommand(int id) {
  const auto it = commands_.find(id);
  if (it == commands_.end()) return false;
  emit commandStarted(id);
  it->second();
  return true;
}

void MainView::notAvailableYet(const QString& what) {
  if (statusBar_) statusBar_->showMessage(QString("\"%1\" is not available in this version yet.").arg(what), 8000);
}

void MainView::runUtcOffsetDialog() {
  UtcOffsetDialog dialog(context_.state, context_.store, context_.prompter, this);
  dialog.exec();
}

void MainView::paintEvent(QPaintEvent*) {
  QPainter painter(this);
  painter.fillRect(rect(), QColor(30, 86, 159));
}

}  // namespace zelkor
