// What the program's windows and workflows share for the whole run.
#pragma once

#include "app/app_state.h"
#include "app/clock.h"
#include "app/file_chooser.h"
#include "app/prompter.h"
#include "app/settings_store.h"
#include "link/link_runner.h"
#include "link/system_serial_port.h"
#include "store/store_password.h"

namespace zelkor {

struct AppContext {
  AppState& state;
  SettingsStore& store;
  Prompter& prompter;
  Clock& clock;
  SystemSerialPort& serial;
  LinkRunner& link;
  FileChooser& files;
  // The desktop keyring that keeps the season store's password; none in
  // tests, where passwords go to the password file.
  PasswordKeyring* keyring = nullptr;
};

}  // namespace zelkor
