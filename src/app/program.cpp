// The desktop program's start: settings, the data folder, the main window,
// the first command; or, with "--render-dialogs DIR", pictures of every
// dialog. main() of zelkor (and of the picture tool) calls it.
#include "program.h"

#include <QApplication>
#include <QCommandLineParser>
#include <QDir>
#include <QFileInfo>
#include <QMessageBox>
#include <QStandardPaths>
#include <QTimer>
#include <csignal>
#include <cstdio>

#include "store/desktop_keyring.h"
#include "title_room.h"
#include "app/access_file.h"
#include "app/clock.h"
#include "app/command_ids.h"
#include "app/paths.h"
#include "app_serial.h"
#include "cnvk_calendar.h"
#include "link/helper_location.h"
#include "dialog_renderer.h"
#include "help_window.h"
#include "main_frame.h"
#include "main_view.h"
#include "message_box_prompter.h"
#include "qt_file_chooser.h"
#include "qt_link_runner.h"
#include "qt_settings_store.h"
#include "shell_registration.h"
#ifdef ZELKOR_HAVE_GDAL
#include "gis/gis_export.h"
#endif

namespace zelkor {


int RunProgram(int argc, char** argv) {
#ifdef ZELKOR_HAVE_GDAL
  InstallGisExports();
#endif
  // Registration ends the program at once, without a window.
  for (int i = 1; i < argc; ++i) {
    bool unregister = false;
    if (IsRegistrationSwitch(QString::fromLocal8Bit(argv[i]), &unregister)) {
      QCoreApplication core(argc, argv);
      QCoreApplication::setOrganizationName("Nalvik, Inc");
      QCoreApplication::setApplicationName("Zelkor");
      QString error;
      const bool ok = unregister ? UnregisterShellEntries(&error)
                                 : RegisterShellEntries(QCoreApplication::applicationFilePath(), &error);
      if (!ok) std::fprintf(stderr, "%s\n", qPrintable(error));
      return ok ? 0 : 1;
    }
  }

  // A full disk is a write error to report, not a reason to die.
#ifdef SIGXFSZ
  std::signal(SIGXFSZ, SIG_IGN);
#endif
  QApplication app(argc, argv);
  InstallTitleRoom(app);
  QApplication::setOrganizationName("Nalvik, Inc");
  QApplication::setApplicationName("Zelkor");
  QApplication::setApplicationVersion("1.2.3");

  QCommandLineParser parser;
  parser.setApplicationDescription("GPS collar interface and data offload");
  parser.addHelpOption();
  QCommandLineOption dataDir("data-dir", "Folder holding the program's data folders.", "DIR");
  QCommandLineOption smoke("smoke-test", "Start, check that the main window shows, and quit.");
  QCommandLineOption render("render-dialogs", "Write a PNG of every dialog into DIR and quit.", "DIR");
  parser.addOption(dataDir);
  parser.addOption(smoke);
  parser.addOption(render);
  parser.addPositionalArgument("file", "A \".gps\" file to open.", "[file]");
  parser.process(app);
  // Pictures of the dialogs in one font on every platform, so that the
  // Windows build's can be held against the Linux build's.
  if (parser.isSet(render)) UseRenderFont();

  QtSettingsStore store;
  MessageBoxPrompter prompter;
  SystemClock clock;
  AppState state;
  auto serial = MakeAppSerialPort();
  auto launcher = MakeAppXmodemLauncher();
  QtLinkRunner link(state, *serial, *launcher, prompter);
  QtFileChooser files;
  auto keyring = DesktopKeyring();
  AppContext context{state, store, prompter, clock, *serial, link, files, keyring.get()};

  MainFrame frame(context);
  prompter.setOwner(&frame);
  link.setParent(&frame);
  link.setStatusLine([&frame](const std::string& line) { frame.view()->showStatus(line); });
  files.setOwner(&frame);

  // A ".gps" file given by the shell opens as the document.
  for (const QString& arg : parser.positionalArguments())
    if (arg.endsWith(".gps", Qt::CaseInsensitive)) frame.openDocument(arg);

  if (parser.isSet(smoke)) {
    // Checked from inside whatever modal loop start-up is in.
    QTimer::singleShot(1500, [&frame] {
      const bool shown = frame.isVisible();
      std::printf("%s\n", shown ? "main window shown" : "main window not shown");
      // The companions an installed program must find.
      const bool calendar = CNVKCalendar::FindFactory() != nullptr;
      std::printf("calendar control %s in %s\n", calendar ? "found" : "not found",
                  CNVKCalendar::PluginFolder().toLocal8Bit().constData());
      const std::string helper = XmodemHelperPath((QCoreApplication::applicationDirPath() + "/").toStdString());
      const bool receiver = QFileInfo(QString::fromStdString(helper)).isExecutable();
      std::printf("receiver %s: %s\n", receiver ? "found" : "not found", helper.c_str());
      std::fflush(stdout);
      QCoreApplication::exit(shown && calendar && receiver ? 0 : 1);
    });
  }

  frame.showWithSavedGeometry();
  // A password an earlier version saved with the store's address leaves
  // the settings.
  const std::string moved = ProtectStoreSetting(store, keyring.get());
  if (!moved.empty()) prompter.notify(moved, "Season Store", PromptIcon::Information);

  ProgramDirectoryInputs in;
  in.optionDir = parser.value(dataDir).toStdString();
  in.envDir = qEnvironmentVariable("ZELKOR_DATA_DIR").toStdString();
  in.exeDir = QCoreApplication::applicationDirPath().toStdString();
  in.userDataDir = QStandardPaths::writableLocation(QStandardPaths::AppDataLocation).toStdString();
  state.programDirectory = ResolveProgramDirectory(in);
  std::string error;
  if (!PrepareDataFolders(state.programDirectory, &error))
    prompter.notify(error, "Error", PromptIcon::Error);

  if (parser.isSet(render)) {
    QStringList problems;
    const QStringList files = RenderDialogs(parser.value(render), context, frame, &problems);
    for (const QString& f : files) std::printf("%s\n", qPrintable(f));
    for (const QString& p : problems) std::fprintf(stderr, "layout: %s\n", qPrintable(p));
    return files.isEmpty() ? 1 : 0;
  }

  InstallHelpKey();
  LoadAccessLevels(state, prompter);
  frame.view()->postCommand(kCmdInitializeComPort);
  return app.exec();
}

}  // namespace zelkor
