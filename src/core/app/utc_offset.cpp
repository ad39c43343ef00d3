#include "app/utc_offset.h"

#include "util/text.h"

namespace zelkor {

const std::vector<std::string>& TimeZoneEntries() {
  static const std::vector<std::string> entries = {
      "(GMT -12:00) Eniwetok, Kwajalein",
      "(GMT -11:00) Midway Island, Samoa",
      "(GMT -10:00) Hawaii",
      "(GMT -09:00) Alaska",
      "(GMT -08:00) Pacific Time (US & Canada); Tijuana",
      "(GMT -07:00) Arizona",
      "(GMT -07:00) Mountain Time (US & Canada)",
      "(GMT -06:00) Central Time (US & Canada)",
      "(GMT -06:00) Mexico City",
      "(GMT -06:00) Saskatchewan",
      "(GMT -05:00) Bogota, Lima",
      "(GMT -05:00) Eastern Time (US & Canada)",
      "(GMT -05:00) Indiana (East)",
      "(GMT -04:00) Atlantic Time (Canada)",
      "(GMT -04:00) Caracas, La Paz",
      "(GMT) Universal Time Coordinated (UTC)",
      "(GMT +01:00) Warsaw",
      "(GMT +02:00) Athens, Helsinki, Istanbul",
      "(GMT +02:00) Eastern Europe",
      "(GMT +02:00) Harare, Pretoria",
      "(GMT +02:00) Israel",
      "(GMT +03:00) Baghdad, Kuwait, Nairobi, Riyadh",
      "(GMT +03:00) Moscow, St. Petersburg",
      "(GMT +04:00) Abu Dhabi, Muscat, Tbilisi, Kazan, Volgograd",
      "(GMT +05:00) Islamabad, Karachi, Ekaterinburg, Tashkent",
      "(GMT +06:00) Almaty, Dhaka",
      "(GMT +07:00) Bangkok, Jakarta, Hanoi",
      "(GMT +08:00) Beijing, Chongquing, Urumqi",
      "(GMT +08:00) Hong Kong, Perth, Singapore, Taipei",
      "(GMT +09:00) Tokyo, Osaka, Sapporo, Seoul, Yakutsk",
      "(GMT +09:30) Adelaide",
      "(GMT +10:00) Brisbane",
      "(GMT +10:00) Canberra, Melbourne, Sydney",
      "(GMT +10:00) Guam, Port Moresby, Vladivostok",
      "(GMT +10:00) Hobart",
      "(GMT +11:00) Magadan, Solomon Is., New Caledonia",
      "(GMT +12:00) Fiji, Kamchatka, Marshall Is.",
      "(GMT +12:00) Wellington, Auckland",
  };
  return entries;
}

int StoredTimeZoneIndex(const SettingsStore& store) {
  const SettingsValue v = store.read(kSettingsKey, "UTC");
  if (v.present()) return AtoiRules(v.text);
  return kUtcDefaultIndex;
}

namespace {
std::string Cut(const std::string& s, size_t pos, size_t len) {
  return pos < s.size() ? s.substr(pos, len) : std::string();
}
}  // namespace

UtcOffsetValues DeriveUtcOffset(AppState& state, int selectedIndex) {
  const auto& entries = TimeZoneEntries();
  if (selectedIndex >= 0 && selectedIndex < static_cast<int>(entries.size()))
    state.utcOffsetText = entries[static_cast<size_t>(selectedIndex)];
  if (state.utcOffsetText.empty()) state.utcOffsetText = kUtcEntryText;
  UtcOffsetValues v;
  v.offsetText = state.utcOffsetText;
  v.hours = Cut(v.offsetText, 5, 3);
  v.minutes = Cut(v.offsetText, 9, 2);
  if (v.offsetText == kUtcEntryText) {
    v.hours = "0";
    v.minutes = "0";
  }
  return v;
}

bool StoreUtcOffset(SettingsStore& store, Prompter& prompter, int selectedIndex,
                    const UtcOffsetValues& values) {
  bool ok = true;
  ok &= store.write(kSettingsKey, "UTC", Format("%d", selectedIndex));
  ok &= store.write(kSettingsKey, "Hours", values.hours);
  ok &= store.write(kSettingsKey, "Minutes", values.minutes);
  ok &= store.write(kSettingsKey, "Offset UTC Text", values.offsetText);
  if (!ok) prompter.notify(kUtcWriteFailed, "", PromptIcon::Error);
  return ok;
}

}  // namespace zelkor
