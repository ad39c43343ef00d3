#include "app_serial.h"

#include "link/helper_location.h"

#include <QCoreApplication>
#include <QSettings>

#include "link/port_map.h"
#include "util/text.h"

namespace zelkor {

std::string AppPortDevice(int portIndex) {
  return PortDevice(portIndex, [](int com) -> std::optional<std::string> {
    QSettings settings(QSettings::NativeFormat, QSettings::UserScope, "Nalvik, Inc", "Zelkor");
    const QString key = QString("Port Devices/COM%1").arg(com);
    if (!settings.contains(key)) return std::nullopt;
    return settings.value(key).toString().toStdString();
  });
}

std::unique_ptr<SystemSerialPort> MakeAppSerialPort() { return std::make_unique<SystemSerialPort>(AppPortDevice); }

std::unique_ptr<SpawnXmodemLauncher> MakeAppXmodemLauncher() {
  auto launcher = std::make_unique<SpawnXmodemLauncher>(
      XmodemHelperPath((QCoreApplication::applicationDirPath() + "/").toStdString()));
  for (int i = 0; i < kPortCount; ++i) {
    const std::string device = AppPortDevice(i);
    if (device != PortDevice(i)) launcher->setEnvironment(Format("ZELKOR_COM%d", i + 1), device);
  }
  return launcher;
}

}  // namespace zelkor
