#include "app/load_settings.h"

#include "util/text.h"

namespace zelkor {

StartKind LoadSettings(AppState& state, SettingsStore& store, Prompter& prompter,
                       CommandSink& commands, const std::function<void()>& runUtcOffsetDialog) {
  std::string firstTime = "TRUE";
  if (!store.keyExists(kTopKey)) {
    // A key created just now is a normal start; the next start finds the
    // key without "FirstTime" and runs the first-run sequence.
    store.createKey(kTopKey);
    firstTime = "FALSE";
  } else {
    const SettingsValue v = store.read(kTopKey, "FirstTime");
    if (v.present()) firstTime = v.text;
  }

  if (firstTime == "TRUE") {
    commands.postCommand(kCmdComPort);
    bool ok = true;
    ok &= store.write(kTopKey, "FirstTime", "FALSE");
    ok &= store.write(kSettingsKey, "ComPort", "0");
    ok &= store.write(kSettingsKey, "Hours", "0");
    ok &= store.write(kSettingsKey, "Lat or UTC Offload", "0");
    ok &= store.write(kSettingsKey, "Minutes", "0");
    ok &= store.write(kSettingsKey, "Offset UTC Text", "(GMT)Universal Time Coordinated(UTC)");
    ok &= store.write(kSettingsKey, "UTC", "15");
    ok &= store.write(kPrintSettingsKey, "Print Aux Cal", "1");
    ok &= store.write(kPrintSettingsKey, "Print Collar Config", "1");
    ok &= store.write(kPrintSettingsKey, "Print Trans Cal", "1");
    if (runUtcOffsetDialog) runUtcOffsetDialog();
    if (!ok) prompter.notify(kRegistryWriteFailedFirstRun, "", PromptIcon::Error);
    return StartKind::FirstRun;
  }

  const SettingsValue port = store.read(kSettingsKey, "ComPort");
  if (port.status == ReadStatus::Present) {
    state.comPort = AtoiRules(port.text);
  } else if (port.status == ReadStatus::Unreadable) {
    state.comPort = 0;
  }
  commands.postCommand(kCmdCollarCommands);
  return StartKind::Normal;
}

}  // namespace zelkor
