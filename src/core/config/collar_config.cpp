#include "config/collar_config.h"

#include "util/endian.h"

namespace zelkor {

void DecodeFixRate(uint8_t hoursByte, uint8_t quarterByte, uint8_t& hours, uint8_t& minutes) {
  const unsigned q = quarterByte & 0x0F;
  hours = static_cast<uint8_t>(hoursByte + (q >> 2));
  minutes = static_cast<uint8_t>((q & 3) * 15 + (quarterByte >> 4));
}

void EncodeFixRate(uint8_t hours, uint8_t minutes, uint8_t& hoursByte, uint8_t& quarterByte) {
  const unsigned h = hours + minutes / 60u;
  const unsigned m = minutes % 60u;
  hoursByte = static_cast<uint8_t>(h);
  quarterByte = static_cast<uint8_t>((m % 15) * 16 + m / 15);
}

uint8_t StopHour(uint8_t start, uint8_t duration) {
  unsigned stop = static_cast<unsigned>(start) + duration;
  if (stop > 23) stop -= 24;
  return static_cast<uint8_t>(stop);
}

uint8_t Duration(uint8_t start, uint8_t stop) {
  unsigned off = stop;
  if (start >= off) off += 24;
  return static_cast<uint8_t>(off - start);
}

namespace {
void DecodeWeekdays(uint8_t byte, WeekdayFlags& flags) {
  for (int n = 0; n < 7; ++n) flags[static_cast<size_t>(n)] = (byte >> n) & 1;
}
uint8_t EncodeWeekdays(const WeekdayFlags& flags) {
  uint8_t b = 0;
  for (int n = 0; n < 7; ++n)
    if (flags[static_cast<size_t>(n)]) b = static_cast<uint8_t>(b | (1u << n));
  return b;
}
}  // namespace

void DecodeConfig(const CollarConfigRecord& r, CollarConfig& c) {
  c.raw = r;
  c.collarId = ReadBe16(&r[12]);
  c.dataPointer = ReadBe24(&r[1]);
  // A pointer below the header is an empty memory, not a wrapped count.
  c.dataBlockCount = c.dataPointer < 64 ? 0 : (c.dataPointer - 64) >> 5;
  c.cumulativeGpsOnHours = ReadBe16(&r[14]);
  c.backupBatterySeconds = (static_cast<uint32_t>(r[35]) * 256 + static_cast<uint32_t>(r[36]) * 65536) * 16;
  c.backupBatteryHours = c.backupBatterySeconds / 3600;
  c.backupBatteryMinutes = (c.backupBatterySeconds / 60) % 60;
  c.backupBatterySecondsPart = c.backupBatterySeconds % 60;
  c.maxFixDurationSeconds = r[6];
  c.validFixesRequired = r[8];
  c.almanacPeriodHours = r[7];
  c.mortalityTriggerHours = static_cast<float>(r[38] * 0.25);
  c.holdInMortality = (r[39] >> 1) & 1;
  c.dutyCycleOverride = (r[39] >> 2) & 1;
  c.slowMortality = (r[39] >> 3) & 1;
  c.mortalityEnabled = (r[39] >> 7) & 1;
  c.transmitterOnHourUtc = r[24];
  c.transmitterOffHourUtc = StopHour(r[24], r[25]);
  DecodeWeekdays(r[26], c.transmitterWeekdays);
  c.transmitterDays.decode(&r[50]);
  c.transmitterOnAfterPowerUpHours = r[29];
  DecodeFixRate(r[4], r[5], c.primaryRateHours, c.primaryRateMinutes);
  c.retryDelayMinutes = r[33];
  c.maxRetries = r[34] & 0x7F;
  c.retriesEnabled = (r[34] & 0x80) == 0;
  DecodeFixRate(r[42], r[43], c.auxRateHours, c.auxRateMinutes);
  c.auxStartHourUtc = r[19];
  c.auxStopHourUtc = StopHour(r[19], r[20]);
  DecodeWeekdays(r[21], c.auxWeekdays);
  c.auxRetryDelayMinutes = r[31];
  c.auxMaxRetries = r[32] & 0x7F;
  c.auxRetriesEnabled = (r[32] & 0x80) == 0;
  c.auxDays.decode(&r[44]);
  c.softwareVersion = r[63];
  c.releaseHours = ReadBe16(&r[22]);
}

void EncodeConfig(CollarConfig& c) {
  CollarConfigRecord& r = c.raw;
  WriteBe16(&r[12], c.collarId);
  c.dataPointer = (c.dataBlockCount * 32 + 64) & 0xFFFFFF;
  WriteBe24(&r[1], c.dataPointer);
  WriteBe16(&r[14], c.cumulativeGpsOnHours);
  c.backupBatterySeconds =
      c.backupBatteryHours * 3600 + c.backupBatteryMinutes * 60 + c.backupBatterySecondsPart;
  const uint32_t units = c.backupBatterySeconds >> 4;
  r[35] = static_cast<uint8_t>((units >> 8) & 0xFF);
  r[36] = static_cast<uint8_t>((units >> 16) & 0xFF);
  r[6] = c.maxFixDurationSeconds;
  r[7] = c.almanacPeriodHours;
  r[8] = c.validFixesRequired;
  r[38] = static_cast<uint8_t>(static_cast<int>(c.mortalityTriggerHours * 4.0));
  uint8_t flags = r[39] & 0x30;
  if (c.holdInMortality) flags |= 0x02;
  if (c.dutyCycleOverride) flags |= 0x04;
  if (c.slowMortality) flags |= 0x08;
  if (c.mortalityEnabled) flags |= 0x80;
  r[39] = flags;
  r[24] = c.transmitterOnHourUtc;
  r[25] = Duration(c.transmitterOnHourUtc, c.transmitterOffHourUtc);
  r[26] = EncodeWeekdays(c.transmitterWeekdays);
  c.transmitterDays.encode(&r[50]);
  r[29] = c.softwareVersion < 200 ? c.transmitterOnAfterPowerUpHours : 72;
  EncodeFixRate(c.primaryRateHours, c.primaryRateMinutes, r[4], r[5]);
  r[33] = c.retryDelayMinutes;
  r[34] = static_cast<uint8_t>((c.maxRetries & 0x7F) | (c.retriesEnabled ? 0 : 0x80));
  EncodeFixRate(c.auxRateHours, c.auxRateMinutes, r[42], r[43]);
  r[19] = c.auxStartHourUtc;
  r[20] = Duration(c.auxStartHourUtc, c.auxStopHourUtc);
  r[21] = EncodeWeekdays(c.auxWeekdays);
  r[31] = c.auxRetryDelayMinutes;
  r[32] = static_cast<uint8_t>((c.auxMaxRetries & 0x7F) | (c.auxRetriesEnabled ? 0 : 0x80));
  c.auxDays.encode(&r[44]);
  r[63] = c.softwareVersion;
  WriteBe16(&r[22], c.releaseHours);
  r[40] = 0xFF;
  r[41] = 0xFF;
}

}  // namespace zelkor
