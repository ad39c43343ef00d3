#include "config/config_json.h"

#include "util/text.h"

namespace zelkor {

namespace {
class ObjectWriter {
 public:
  void number(const char* key, double v) { field(key, Format("%.10g", v)); }
  void integer(const char* key, unsigned long v) { field(key, Format("%lu", v)); }
  void boolean(const char* key, bool v) { field(key, v ? "true" : "false"); }
  void raw(const char* key, const std::string& json) { field(key, json); }
  std::string done() { return out_ + "\n}\n"; }

 private:
  void field(const char* key, const std::string& json) {
    out_ += first_ ? "{\n" : ",\n";
    first_ = false;
    out_ += Format("  \"%s\": ", key) + json;
  }
  std::string out_;
  bool first_ = true;
};

std::string Flags(const WeekdayFlags& w) {
  std::string s = "[";
  for (size_t i = 0; i < w.size(); ++i) s += std::string(i ? ", " : "") + (w[i] ? "true" : "false");
  return s + "]";
}

std::string Grid(const QuarterGrid& g) {
  std::string s = "[";
  for (int m = 1; m <= 12; ++m) {
    s += m == 1 ? "\n    [" : ",\n    [";
    for (int d = 1; d <= 31; ++d) s += std::string(d > 1 ? "," : "") + (g.day(m, d) ? "1" : "0");
    s += "]";
  }
  return s + "\n  ]";
}
}  // namespace

std::string ConfigToJson(const CollarConfig& c) {
  ObjectWriter w;
  std::string raw = "[";
  for (size_t i = 0; i < c.raw.size(); ++i) raw += Format(i ? ",%u" : "%u", c.raw[i]);
  raw += "]";
  w.raw("raw", raw);
  w.integer("collarId", c.collarId);
  w.integer("dataPointer", c.dataPointer);
  w.integer("dataBlockCount", c.dataBlockCount);
  w.integer("cumulativeGpsOnHours", c.cumulativeGpsOnHours);
  w.integer("backupBatterySeconds", c.backupBatterySeconds);
  w.integer("backupBatteryHours", c.backupBatteryHours);
  w.integer("backupBatteryMinutes", c.backupBatteryMinutes);
  w.integer("backupBatterySecondsPart", c.backupBatterySecondsPart);
  w.integer("maxFixDurationSeconds", c.maxFixDurationSeconds);
  w.integer("almanacPeriodHours", c.almanacPeriodHours);
  w.integer("validFixesRequired", c.validFixesRequired);
  w.number("mortalityTriggerHours", c.mortalityTriggerHours);
  w.boolean("holdInMortality", c.holdInMortality);
  w.boolean("dutyCycleOverride", c.dutyCycleOverride);
  w.boolean("slowMortality", c.slowMortality);
  w.boolean("mortalityEnabled", c.mortalityEnabled);
  w.integer("transmitterOnHourUtc", c.transmitterOnHourUtc);
  w.integer("transmitterOffHourUtc", c.transmitterOffHourUtc);
  w.raw("transmitterWeekdays", Flags(c.transmitterWeekdays));
  w.raw("transmitterDays", Grid(c.transmitterDays));
  w.integer("softwareVersion", c.softwareVersion);
  w.integer("transmitterOnAfterPowerUpHours", c.transmitterOnAfterPowerUpHours);
  w.integer("releaseHours", c.releaseHours);
  w.integer("primaryRateHours", c.primaryRateHours);
  w.integer("primaryRateMinutes", c.primaryRateMinutes);
  w.integer("retryDelayMinutes", c.retryDelayMinutes);
  w.integer("maxRetries", c.maxRetries);
  w.boolean("retriesEnabled", c.retriesEnabled);
  w.integer("auxRateHours", c.auxRateHours);
  w.integer("auxRateMinutes", c.auxRateMinutes);
  w.integer("auxStartHourUtc", c.auxStartHourUtc);
  w.integer("auxStopHourUtc", c.auxStopHourUtc);
  w.raw("auxWeekdays", Flags(c.auxWeekdays));
  w.integer("auxRetryDelayMinutes", c.auxRetryDelayMinutes);
  w.integer("auxMaxRetries", c.auxMaxRetries);
  w.boolean("auxRetriesEnabled", c.auxRetriesEnabled);
  w.raw("auxDays", Grid(c.auxDays));
  return w.done();
}

}  // namespace zelkor
