#include "config/schedule_rules.h"

#include "util/text.h"

namespace zelkor {

const std::vector<std::string>& MonthNames() {
  static const std::vector<std::string> names = {"January", "Feburary", "March",     "April",   "May",      "June",
                                                 "July",    "August",   "September", "October", "November", "December"};
  return names;
}

const std::vector<std::string>& YearNames() {
  static const std::vector<std::string> names = [] {
    std::vector<std::string> v;
    for (int y = 2000; y <= 2100; ++y) v.push_back(std::to_string(y));
    return v;
  }();
  return names;
}

int WrapHour(int hour) {
  if (hour > 23) return hour - 24;
  if (hour < 0) return hour + 24;
  return hour;
}

bool ReadUtcOffsetHours(const SettingsStore& store, int* hours) {
  const SettingsValue v = store.read(kSettingsKey, "Hours");
  *hours = v.present() ? AtoiRules(v.text) : 0;
  return v.present();
}

std::string ReadOffsetText(const SettingsStore& store) {
  const SettingsValue v = store.read(kSettingsKey, "Offset UTC Text");
  if (v.status == ReadStatus::Unreadable) return "Error";
  return v.present() ? v.text : std::string();
}

namespace {
bool RetriesPast(int hours, int minutes, bool retriesOn, int maxRetries, int retryDelay) {
  return retriesOn && static_cast<long>(maxRetries) * retryDelay >= static_cast<long>(hours) * 60 + minutes;
}
}  // namespace

RateCheck CheckPrimaryRate(int hours, int minutes, bool retriesOn, int maxRetries, int retryDelay) {
  if (hours == 0 && minutes < 15) return RateCheck::BelowMinimum;
  if (RetriesPast(hours, minutes, retriesOn, maxRetries, retryDelay)) return RateCheck::RetriesPastNextFix;
  return RateCheck::Ok;
}

RateCheck CheckAuxRate(int hours, int minutes, bool retriesOn, int maxRetries, int retryDelay) {
  return RetriesPast(hours, minutes, retriesOn, maxRetries, retryDelay) ? RateCheck::RetriesPastNextFix
                                                                         : RateCheck::Ok;
}

void ClearAuxiliarySchedule(CollarConfig& config) {
  config.auxWeekdays.fill(false);
  config.auxDays.clear();
}

bool AuxiliaryScheduleOn(const CollarConfig& config) {
  for (bool w : config.auxWeekdays)
    if (w) return true;
  return false;
}

bool UsesReleaseDays(const CollarConfig& config) { return config.softwareVersion >= 200; }

int TransmitterTimeValue(const CollarConfig& config) {
  return UsesReleaseDays(config) ? static_cast<int>(config.releaseHours / 24) : config.transmitterOnAfterPowerUpHours;
}

bool StoreTransmitterTimeValue(CollarConfig& config, int value) {
  if (config.softwareVersion > 199) {
    config.releaseHours = static_cast<uint32_t>(value) * 24;
    return false;
  }
  if (value < 256) {
    config.transmitterOnAfterPowerUpHours = static_cast<uint8_t>(value);
    return false;
  }
  config.transmitterOnAfterPowerUpHours = 255;
  return true;
}

int MortalityHoursShown(const CollarConfig& config) { return static_cast<int>(config.mortalityTriggerHours); }

int SpinMortalityHours(int hours, int delta) {
  const int v = hours + delta;
  return v < 1 ? 1 : v > 63 ? 63 : v;
}

}  // namespace zelkor
