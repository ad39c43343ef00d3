#include "dialog_renderer.h"

#include <QApplication>
#include <QDir>
#include <QWidget>

#include "collar_command_dialogs.h"
#include "collar_commands_dialog.h"
#include "link_dialog.h"
#include "main_frame.h"
#include "main_view.h"
#include "security_level_dialog.h"
#include "select_port_dialog.h"
#include "small_dialogs.h"
#include "utc_offset_dialog.h"

namespace zelkor {

namespace {
class NullSink : public CommandSink {
 public:
  void postCommand(int) override {}
};

class NoLauncher : public XmodemLauncher {
 public:
  int run(const std::vector<std::string>&, const std::string&, const std::function<void(const std::string&)>&) override {
    return -1;
  }
};

bool Save(QWidget& w, const QString& dir, const QString& name, QStringList& written) {
  w.adjustSize();
  w.show();
  QApplication::processEvents();
  const QString path = QDir(dir).filePath(name + ".png");
  const bool ok = w.grab().save(path);
  w.hide();
  if (ok) written << path;
  return ok;
}
}  // namespace

QStringList RenderDialogs(const QString& dir, AppContext& context, MainFrame& frame) {
  QStringList written;
  if (!QDir().mkpath(dir)) return written;
  NullSink sink;
  NoLauncher launcher;

  frame.resize(1152, 800);
  frame.show();
  QApplication::processEvents();
  if (frame.grab().save(QDir(dir).filePath("MainFrame.png"))) written << QDir(dir).filePath("MainFrame.png");

  CollarCommandsDialog commands(0, context.state.programDirectory, context.link, context.prompter, sink, &frame);
  Save(commands, dir, "CollarCommandsDialog", written);
  UtcOffsetDialog utc(context.state, context.store, context.prompter, &frame);
  Save(utc, dir, "UtcOffsetDialog", written);
  int level = 0;
  SecurityLevelDialog security(level, context.prompter, &frame);
  Save(security, dir, "SecurityLevelDialog", written);
  SelectPortDialog port(context.serial, context.store, context.prompter, sink, 0, &frame);
  Save(port, dir, "SelectPortDialog", written);
  LinkParams params;
  params.request = LinkRequest::DownloadConfig;
  params.fileName = "CollarConfig.cfg";
  LinkDialog link(context.serial, launcher, context.prompter, params, context.state.programDirectory, &frame);
  Save(link, dir, "LinkDialog", written);
  AlmanacDialog almanac(0, context.link, context.prompter, sink, &frame);
  Save(almanac, dir, "AlmanacDialog", written);
  TwoWayGpsDialog twoWay(0, context.link, sink, &frame);
  Save(twoWay, dir, "TwoWayGpsDialog", written);
  AboutDialog about(&frame);
  Save(about, dir, "AboutDialog", written);
  BatteryUsageDialog battery(&frame);
  Save(battery, dir, "BatteryUsageDialog", written);
  return written;
}

}  // namespace zelkor
