#include "app/load_settings.h"

#include "util/text.h"

namespace zelkor {

int ReadComPort(const SettingsStore& store) {
  const SettingsValue v = store.read(kSettingsKey, "ComPort");
  if (!v.present()) return 0;
  // A number that names no port (COM1 to COM36) is read as an unreadable
  // one: COM1, never a port index that overflows.
  const int index = AtoiRules(v.text);
  return index >= 0 && index < kComPortCount ? index : 0;
}

StartKind LoadSettings(AppState& state, SettingsStore& store, Prompter& prompter,
                       CommandSink& commands, const std::function<void()>& runUtcOffsetDialog) {
  std::string firstTime = "TRUE";
  if (!store.keyExists(kTopKey)) {
    // No installer made the key: the store is new, and this is the first
    // start of a new user.
    store.createKey(kTopKey);
  } else {
    const SettingsValue v = store.read(kTopKey, "FirstTime");
    if (v.present()) firstTime = v.text;
  }

  if (firstTime == "TRUE") {
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
    // The port dialog follows the time-zone dialog, never on top of it; its
    // OK or Cancel brings up Collar Commands last.
    commands.postCommand(kCmdComPort);
    return StartKind::FirstRun;
  }

  const SettingsValue port = store.read(kSettingsKey, "ComPort");
  if (port.status != ReadStatus::Missing) state.comPort = ReadComPort(store);
  commands.postCommand(kCmdCollarCommands);
  return StartKind::Normal;
}

}  // namespace zelkor
