// The collar's 64-byte configuration record and its decoded form.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>

#include "config/quarter_grid.h"

namespace zelkor {

constexpr std::size_t kConfigRecordSize = 64;
using CollarConfigRecord = std::array<uint8_t, kConfigRecordSize>;
using WeekdayFlags = std::array<bool, 7>;  // index 0 = Sunday

struct CollarConfig {
  CollarConfigRecord raw{};  // as last read, or as last encoded

  uint32_t collarId = 0;
  uint32_t dataPointer = 0;
  uint32_t dataBlockCount = 0;
  uint32_t cumulativeGpsOnHours = 0;
  uint32_t backupBatterySeconds = 0;
  uint32_t backupBatteryHours = 0;
  uint32_t backupBatteryMinutes = 0;
  uint32_t backupBatterySecondsPart = 0;
  uint8_t maxFixDurationSeconds = 0;
  uint8_t almanacPeriodHours = 0;
  uint8_t validFixesRequired = 0;
  float mortalityTriggerHours = 0;
  bool holdInMortality = false;
  bool dutyCycleOverride = false;
  bool slowMortality = false;
  bool mortalityEnabled = false;
  uint8_t transmitterOnHourUtc = 0;
  uint8_t transmitterOffHourUtc = 0;
  WeekdayFlags transmitterWeekdays{};
  QuarterGrid transmitterDays;
  uint8_t softwareVersion = 0;
  uint8_t transmitterOnAfterPowerUpHours = 0;
  uint32_t releaseHours = 0;
  uint8_t primaryRateHours = 0;
  uint8_t primaryRateMinutes = 0;
  uint8_t retryDelayMinutes = 0;
  uint8_t maxRetries = 0;
  bool retriesEnabled = false;
  uint8_t auxRateHours = 0;
  uint8_t auxRateMinutes = 0;
  uint8_t auxStartHourUtc = 0;
  uint8_t auxStopHourUtc = 0;
  WeekdayFlags auxWeekdays{};
  uint8_t auxRetryDelayMinutes = 0;
  uint8_t auxMaxRetries = 0;
  bool auxRetriesEnabled = false;
  QuarterGrid auxDays;
};

// Replaces every field with the values decoded from the record.
void DecodeConfig(const CollarConfigRecord& record, CollarConfig& config);

// Encodes every field into config.raw; bytes the program does not interpret
// keep their values.
void EncodeConfig(CollarConfig& config);

// Rate pair helpers (primary bytes 4-5, auxiliary 42-43).
void DecodeFixRate(uint8_t hoursByte, uint8_t quarterByte, uint8_t& hours, uint8_t& minutes);
void EncodeFixRate(uint8_t hours, uint8_t minutes, uint8_t& hoursByte, uint8_t& quarterByte);

// Start hour and duration: the stop hour of a start and duration, and the
// duration (1-24) from a start and stop hour.
uint8_t StopHour(uint8_t start, uint8_t duration);
uint8_t Duration(uint8_t start, uint8_t stop);

}  // namespace zelkor
