#include "config/sample_config.h"

namespace zelkor {

CollarConfig SampleCollarConfig(uint16_t collarId) {
  CollarConfig c;
  c.collarId = collarId;
  c.softwareVersion = 210;
  c.primaryRateHours = 2;
  c.primaryRateMinutes = 0;
  c.maxFixDurationSeconds = 120;
  c.almanacPeriodHours = 168;
  c.validFixesRequired = 1;
  c.cumulativeGpsOnHours = 312;
  c.backupBatteryHours = 8760;
  c.retryDelayMinutes = 15;
  c.maxRetries = 3;
  c.retriesEnabled = true;
  c.auxRateHours = 0;
  c.auxRateMinutes = 30;
  c.auxStartHourUtc = 12;
  c.auxStopHourUtc = 16;
  c.auxWeekdays = {false, true, true, true, true, true, false};
  for (int m = 5; m <= 7; ++m)
    for (int q = 0; q < 4; ++q) c.auxDays.setQuarter(m, q, true);
  c.auxRetryDelayMinutes = 5;
  c.auxMaxRetries = 2;
  c.auxRetriesEnabled = true;
  c.transmitterOnHourUtc = 13;
  c.transmitterOffHourUtc = 1;
  c.transmitterWeekdays.fill(true);
  for (int m = 1; m <= 12; ++m)
    for (int q = 0; q < 4; ++q) c.transmitterDays.setQuarter(m, q, true);
  c.mortalityTriggerHours = 24;
  c.mortalityEnabled = true;
  c.releaseHours = 8760;
  c.raw[0] = 0x5A;
  EncodeConfig(c);
  return c;
}

}  // namespace zelkor
