#include "shell_registration.h"

#include <QDir>
#include <QFile>

#include "util/atomic_file.h"
#include <QProcess>
#include <QSettings>
#include <QStandardPaths>

namespace zelkor {

#ifndef _WIN32
namespace {
const char kDesktopName[] = "nalvik-zelkor.desktop";
const char kMimeName[] = "nalvik-zelkor.xml";

QString DataHome() {
  return QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation);
}

void Refresh() {
  const QString home = DataHome();
  // The caches are optional; a desktop without these tools still works.
  if (!QStandardPaths::findExecutable("update-mime-database").isEmpty())
    QProcess::execute("update-mime-database", {home + "/mime"});
  if (!QStandardPaths::findExecutable("update-desktop-database").isEmpty())
    QProcess::execute("update-desktop-database", {home + "/applications"});
}

bool WriteFile(const QString& path, const QByteArray& text, QString* error) {
  QDir().mkpath(QFileInfo(path).absolutePath());
  std::string reason;
  if (WriteFileAtomically(path.toStdString(), text.toStdString(), &reason) != AtomicWrite::Ok) {
    if (error) *error = QString::fromStdString(WriteFailureText(path.toStdString(), reason));
    return false;
  }
  return true;
}
}  // namespace
#endif

bool IsRegistrationSwitch(const QString& arg, bool* unregister) {
  if (arg.size() < 2 || (arg[0] != '-' && arg[0] != '/')) return false;
  const QString word = arg.mid(1).toLower();
  if (word == "regserver") {
    *unregister = false;
    return true;
  }
  if (word == "unregserver") {
    *unregister = true;
    return true;
  }
  return false;
}

#ifdef _WIN32
// Windows keeps file associations in the registry: HKCU\Software\Classes
// maps ".gps" to the program's document type and that to its open command.
// (Built and used on Windows only; see the README.)
namespace {
const char kClasses[] = "HKEY_CURRENT_USER\\Software\\Classes";
const char kProgId[] = "NVKZel.Document";
}  // namespace

bool RegisterShellEntries(const QString& executablePath, QString* error) {
  QSettings classes(kClasses, QSettings::NativeFormat);
  const QString exe = QDir::toNativeSeparators(executablePath);
  classes.setValue(".gps/.", kProgId);
  classes.setValue(QString(kProgId) + "/.", "NVKZel Document");
  classes.setValue(QString(kProgId) + "/DefaultIcon/.", exe + ",0");
  classes.setValue(QString(kProgId) + "/shell/open/command/.", "\"" + exe + "\" \"%1\"");
  classes.sync();
  if (classes.status() != QSettings::NoError) {
    if (error) *error = "Could not write the file association under HKEY_CURRENT_USER\\Software\\Classes.";
    return false;
  }
  return true;
}

bool UnregisterShellEntries(QString* error) {
  QSettings classes(kClasses, QSettings::NativeFormat);
  if (classes.value(".gps/.").toString() == kProgId) classes.remove(".gps");
  classes.remove(kProgId);
  classes.sync();
  if (classes.status() != QSettings::NoError) {
    if (error) *error = "Could not remove the file association under HKEY_CURRENT_USER\\Software\\Classes.";
    return false;
  }
  return true;
}
#else
bool RegisterShellEntries(const QString& executablePath, QString* error) {
  const QString home = DataHome();
  const QByteArray desktop =
      "[Desktop Entry]\n"
      "Type=Application\n"
      "Name=NVKZelkor\n"
      "Comment=GPS collar interface and data offload\n"
      "Exec=\"" + executablePath.toUtf8() + "\" %f\n"
      "MimeType=application/x-nvkzelkor-gps;\n"
      "Categories=Science;Utility;\n"
      "Terminal=false\n";
  const QByteArray mime =
      "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
      "<mime-info xmlns=\"http://www.freedesktop.org/standards/shared-mime-info\">\n"
      "  <mime-type type=\"application/x-nvkzelkor-gps\">\n"
      "    <comment>NVKZel Document</comment>\n"
      "    <glob pattern=\"*.gps\"/>\n"
      "  </mime-type>\n"
      "</mime-info>\n";
  if (!WriteFile(home + "/applications/" + kDesktopName, desktop, error)) return false;
  if (!WriteFile(home + "/mime/packages/" + kMimeName, mime, error)) return false;
  Refresh();
  return true;
}

bool UnregisterShellEntries(QString* error) {
  const QString home = DataHome();
  bool ok = true;
  for (const QString& path : {home + "/applications/" + kDesktopName,
                              home + "/mime/packages/" + kMimeName}) {
    if (QFile::exists(path) && !QFile::remove(path)) {
      if (error) *error = "Could not remove " + path;
      ok = false;
    }
  }
  Refresh();
  return ok;
}

#endif

}  // namespace zelkor
