// The time-zone choice behind the "Offset from UTC" dialog: the fixed list,
// the offset cut out of an entry's text, and the four stored settings.
#pragma once

#include <string>
#include <vector>

#include "app/app_state.h"
#include "app/prompter.h"
#include "app/settings_store.h"

namespace zelkor {

inline const char kUtcEntryText[] = "(GMT) Universal Time Coordinated (UTC)";
inline const char kUtcWriteFailed[] =
    "There was an error writing to the registry.  UTC register settings were not saved!";
constexpr int kUtcDefaultIndex = 15;

const std::vector<std::string>& TimeZoneEntries();

struct UtcOffsetValues {
  std::string offsetText;
  std::string hours;
  std::string minutes;
};

// The index the dialog opens at: the stored "UTC", or 15.
int StoredTimeZoneIndex(const SettingsStore& store);

// Derives the three values for the selected index (-1 or out of range: no
// selection, the previous text stands). Updates state.utcOffsetText.
UtcOffsetValues DeriveUtcOffset(AppState& state, int selectedIndex);

// Writes "UTC", "Hours", "Minutes", "Offset UTC Text" in that order; shows
// the error at most once. Returns whether every write succeeded.
bool StoreUtcOffset(SettingsStore& store, Prompter& prompter, int selectedIndex,
                    const UtcOffsetValues& values);

}  // namespace zelkor
