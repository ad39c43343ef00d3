#include "link/port_session.h"

#include "link/port_map.h"
#include "util/text.h"

namespace zelkor {

PortSession::PortSession(const std::string& programDirectory, std::function<std::string(int)> resolver,
                         const std::string& helperPath, std::function<void(const LinkDisplay&)> onTick,
                         std::function<bool()> cancelled) {
  serial_ = std::make_unique<SystemSerialPort>(resolver);
  launcher_ = std::make_unique<SpawnXmodemLauncher>(helperPath);
  for (int i = 0; i < kPortCount; ++i) {
    const std::string device = resolver(i);
    if (device != PortDevice(i)) launcher_->setEnvironment(Format("ZELKOR_COM%d", i + 1), device);
  }
  runner_ = std::make_unique<HeadlessLinkRunner>(*serial_, *launcher_, prompter_, programDirectory, std::move(onTick),
                                                 std::move(cancelled));
}

}  // namespace zelkor
