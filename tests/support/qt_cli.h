// Runs zelkor-cli from ZELKOR_BIN_DIR and collects its exit code and output,
// for the command-line tests that build their arguments as Qt strings.
#pragma once

#include <QProcess>
#include <QString>
#include <QStringList>
#include <string>

namespace zelkor::testing {

struct CliResult {
  int exit;  // -1 when the program crashed or was killed
  std::string out, err;
};

inline CliResult Cli(const QStringList& args) {
  QProcess p;
  p.start(QString(ZELKOR_BIN_DIR) + "/zelkor-cli", args);
  p.waitForFinished(30000);
  return {p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -1, p.readAllStandardOutput().toStdString(),
          p.readAllStandardError().toStdString()};
}

inline QString Q(const std::string& s) { return QString::fromStdString(s); }

}  // namespace zelkor::testing
