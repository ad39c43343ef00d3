// What the schedule dialogs share: the configuration they edit, the mode,
// the access table, the settings, the user, and the start month and year
// held by the configuration dialog.
#pragma once

#include "app/app_state.h"
#include "app/prompter.h"
#include "app/settings_store.h"
#include "config/calendar_request.h"
#include "config/collar_config.h"
#include "config/schedule_rules.h"

namespace zelkor {

struct ScheduleContext {
  CollarConfig& config;
  bool viewOnly;
  const AppState& state;
  SettingsStore& store;
  Prompter& prompter;
  Warner& warner;
  int& startMonthIndex;  // 0-11
  int& startYearIndex;   // 0-100
  CalendarOpener calendar;
};

// Until the calendar control is installed, "View Calendar" says so.
void CalendarNotInstalled(Prompter& prompter);

}  // namespace zelkor
