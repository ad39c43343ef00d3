// zelkor-pictures: the program without its manual, run at build time to
// render the dialogs the manual shows ("--render-dialogs DIR"). A few
// pseudo-terminals stand in for the serial ports of a field laptop, so that
// the port pictures show ports found, as a user sees them.
#include <cstdlib>
#include <string>

#ifndef _WIN32
#include <fcntl.h>
#include <stdlib.h>
#include <unistd.h>
#endif

#include "app/app_state.h"
#include "app/utc_offset.h"
#include "program.h"
#include "qt_settings_store.h"

namespace {
class Silent : public zelkor::Prompter {
 public:
  void notify(const std::string&, const std::string&, zelkor::PromptIcon, const zelkor::PromptOptions&) override {}
  zelkor::PromptAnswer ask(const std::string&, const std::string&, zelkor::PromptIcon, zelkor::PromptButtons,
                           const zelkor::PromptOptions&) override {
    return zelkor::PromptAnswer::Ok;
  }
};
}  // namespace

int main(int argc, char** argv) {
  {
    // A fresh profile gets the time zone a user in the Rockies would pick,
    // so that the schedule pictures show a zone.
    zelkor::QtSettingsStore settings;
    if (!settings.keyExists(zelkor::kTopKey)) {
      const auto& zones = zelkor::TimeZoneEntries();
      for (size_t i = 0; i < zones.size(); ++i)
        if (zones[i] == "(GMT -07:00) Mountain Time (US & Canada)") {
          zelkor::AppState state;
          Silent silent;
          settings.createKey(zelkor::kTopKey);
          zelkor::StoreUtcOffset(settings, silent, static_cast<int>(i),
                                 zelkor::DeriveUtcOffset(state, static_cast<int>(i)));
        }
    }
  }
#ifndef _WIN32
  for (const char* com : {"ZELKOR_COM1", "ZELKOR_COM3", "ZELKOR_COM5"}) {
    if (std::getenv(com)) continue;
    const int master = posix_openpt(O_RDWR | O_NOCTTY);  // kept open while the program runs
    if (master < 0 || grantpt(master) != 0 || unlockpt(master) != 0) continue;
    if (const char* name = ptsname(master)) setenv(com, name, 0);
  }
#endif
  return zelkor::RunProgram(argc, argv);
}
