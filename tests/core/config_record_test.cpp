#include <gtest/gtest.h>

#include <filesystem>

#include <random>

#include "config/collar_config.h"
#include "config/config_file.h"
#include "config/schedule_rules.h"
#include "support/fixed_clock.h"
#include "support/scripted_prompter.h"
#include "support/temp_dir.h"

namespace zelkor {
namespace {

CollarConfig Decoded(const CollarConfigRecord& r) {
  CollarConfig c;
  DecodeConfig(r, c);
  return c;
}

TEST(ConfigHours, StartAndStopEncodeAsDurationAndBack) {
  EXPECT_EQ(Duration(5, 5), 24);
  EXPECT_EQ(Duration(22, 2), 4);
  EXPECT_EQ(StopHour(22, 4), 2);
  EXPECT_EQ(StopHour(7, 24), 7);
  CollarConfigRecord r{};
  r[24] = 22;
  r[25] = 4;
  EXPECT_EQ(Decoded(r).transmitterOffHourUtc, 2);
}

TEST(ConfigFixRate, EncodesQuartersAndMinutesAndDecodesLargeQuarterCounts) {
  uint8_t h, q;
  EncodeFixRate(0, 15, h, q);
  EXPECT_EQ(h, 0x00);
  EXPECT_EQ(q, 0x01);
  EncodeFixRate(1, 37, h, q);
  EXPECT_EQ(h, 0x01);
  EXPECT_EQ(q, 0x72);
  EncodeFixRate(0, 75, h, q);  // minutes beyond the hour move into the hours
  EXPECT_EQ(h, 1);
  EXPECT_EQ(q, 0x01);
  uint8_t hours, minutes;
  DecodeFixRate(0x00, 0x0F, hours, minutes);
  EXPECT_EQ(hours, 3);
  EXPECT_EQ(minutes, 45);
  DecodeFixRate(0x02, 0xE7, hours, minutes);
  EXPECT_EQ(hours, 3);
  EXPECT_EQ(minutes, 59);
}

TEST(ConfigRecord, DataPointerAndBlockCount) {
  CollarConfig c;
  c.dataBlockCount = 0;
  EncodeConfig(c);
  EXPECT_EQ(c.raw[1], 0x00);
  EXPECT_EQ(c.raw[2], 0x00);
  EXPECT_EQ(c.raw[3], 0x40);
  CollarConfigRecord r{};
  r[3] = 0x60;
  EXPECT_EQ(Decoded(r).dataBlockCount, 1u);
  r[3] = 0x20;  // a pointer below the header is an empty memory
  EXPECT_EQ(Decoded(r).dataBlockCount, 0u);
}

TEST(ConfigRecord, BatteryDropsTheLowEightBitsOfItsUnits) {
  CollarConfig c;
  c.backupBatteryHours = 1;
  EncodeConfig(c);
  EXPECT_EQ(Decoded(c.raw).backupBatteryHours, 0u);
  c.backupBatteryHours = 2;
  EncodeConfig(c);
  EXPECT_EQ(c.raw[35], 1);
  EXPECT_EQ(c.raw[36], 0);
  EXPECT_EQ(Decoded(c.raw).backupBatterySeconds, 4096u);
  EXPECT_EQ(Decoded(c.raw).backupBatteryHours, 1u);
  CollarConfigRecord r{};
  r[35] = 0x10;
  r[36] = 0x02;
  const CollarConfig d = Decoded(r);
  EXPECT_EQ(d.backupBatterySeconds, (0x10u * 256 + 0x02u * 65536) * 16);
  EXPECT_EQ(d.backupBatteryHours * 3600 + d.backupBatteryMinutes * 60 + d.backupBatterySecondsPart,
            d.backupBatterySeconds);
}

TEST(ConfigRecord, QuarterBitsCoverWholeQuartersIncludingDaysAMonthLacks) {
  CollarConfigRecord r{};
  r[44] = 0x80;  // February quarter 3 in the auxiliary grid
  r[55] = 0x80;  // December quarter 3 in the transmitter grid
  const CollarConfig c = Decoded(r);
  for (int day = 1; day <= 31; ++day) {
    EXPECT_EQ(c.auxDays.day(2, day), day >= 24) << "February " << day;
    EXPECT_EQ(c.transmitterDays.day(12, day), day >= 24) << "December " << day;
    EXPECT_FALSE(c.auxDays.day(1, day));
  }
  CollarConfig e = c;
  e.transmitterDays.setDay(3, 10, true);  // a day sets its whole quarter
  EXPECT_TRUE(e.transmitterDays.day(3, 8));
  EXPECT_TRUE(e.transmitterDays.day(3, 15));
  EXPECT_FALSE(e.transmitterDays.day(3, 16));
  EncodeConfig(e);
  EXPECT_EQ(e.raw[51], 0x02);
  EXPECT_EQ(e.raw[44], 0x80);
}

TEST(ConfigRecord, MortalityTriggerInQuarterHours) {
  CollarConfig c;
  c.mortalityTriggerHours = 63;
  EncodeConfig(c);
  EXPECT_EQ(c.raw[38], 252);
  CollarConfigRecord r{};
  r[38] = 255;
  EXPECT_FLOAT_EQ(Decoded(r).mortalityTriggerHours, 63.75f);
}

// Each mortality switch has its own bit of byte 39: 0x02 is hold only,
// 0x04 duty-cycle override only, 0x08 slow only, 0x80 enabled only.
TEST(ConfigRecord, EachMortalitySwitchHasItsOwnBit) {
  struct Bit {
    uint8_t value;
    bool hold, duty, slow, enabled;
  };
  for (const Bit& b : {Bit{0x02, true, false, false, false}, Bit{0x04, false, true, false, false},
                       Bit{0x08, false, false, true, false}, Bit{0x80, false, false, false, true}}) {
    CollarConfigRecord r{};
    r[39] = b.value;
    const CollarConfig c = Decoded(r);
    EXPECT_EQ(c.holdInMortality, b.hold) << int(b.value);
    EXPECT_EQ(c.dutyCycleOverride, b.duty) << int(b.value);
    EXPECT_EQ(c.slowMortality, b.slow) << int(b.value);
    EXPECT_EQ(c.mortalityEnabled, b.enabled) << int(b.value);
    CollarConfig again = c;
    EncodeConfig(again);
    EXPECT_EQ(again.raw[39], b.value);
  }
}

// The cumulative GPS-on hours are big-endian: byte 14 high, byte 15 low.
TEST(ConfigRecord, CumulativeGpsOnHoursAreBigEndian) {
  CollarConfigRecord r{};
  r[14] = 0x01;
  r[15] = 0x2C;
  EXPECT_EQ(Decoded(r).cumulativeGpsOnHours, 300u);
  CollarConfig c;
  c.cumulativeGpsOnHours = 0x1234;
  EncodeConfig(c);
  EXPECT_EQ(c.raw[14], 0x12);
  EXPECT_EQ(c.raw[15], 0x34);
}

TEST(ConfigRecord, EmptyRecordDecodesToZerosWithRetriesOn) {
  const CollarConfig c = Decoded(CollarConfigRecord{});
  EXPECT_EQ(c.collarId, 0u);
  EXPECT_EQ(c.primaryRateHours, 0);
  EXPECT_EQ(c.primaryRateMinutes, 0);
  EXPECT_TRUE(c.retriesEnabled);
  EXPECT_TRUE(c.auxRetriesEnabled);
  EXPECT_EQ(c.auxStartHourUtc, 0);
  EXPECT_EQ(c.auxStopHourUtc, 0);
  EXPECT_EQ(c.dataBlockCount, 0u);
  for (bool w : c.auxWeekdays) EXPECT_FALSE(w);
}

// Bytes the program never interprets, and the bits of byte 39 it carries.
const int kCarried[] = {0, 9, 10, 11, 16, 17, 18, 27, 28, 30, 37, 56, 57, 58, 59, 60, 61, 62};

TEST(ConfigRecord, RandomRecordsSurviveARoundTripExceptTheNormalisedBits) {
  std::mt19937 rng(1234);
  for (int round = 0; round < 2000; ++round) {
    CollarConfigRecord in;
    for (auto& b : in) b = static_cast<uint8_t>(rng());
    // Keep the pointer on a block boundary at or above the header, as a
    // collar writes it.
    const uint32_t blocks = rng() % 8191;
    const uint32_t ptr = blocks * 32 + 64;
    in[1] = static_cast<uint8_t>(ptr >> 16);
    in[2] = static_cast<uint8_t>(ptr >> 8);
    in[3] = static_cast<uint8_t>(ptr);
    CollarConfig c;
    DecodeConfig(in, c);
    EncodeConfig(c);
    const CollarConfigRecord& out = c.raw;
    for (int i : kCarried) EXPECT_EQ(out[i], in[i]) << "carried byte " << i;
    EXPECT_EQ(out[39] & 0x30, in[39] & 0x30);
    EXPECT_EQ(out[39] & 0x41, 0);
    EXPECT_EQ(out[39] & 0x8E, in[39] & 0x8E);
    EXPECT_EQ(out[40], 0xFF);
    EXPECT_EQ(out[41], 0xFF);
    EXPECT_EQ(out[29], in[63] >= 200 ? 72 : in[29]);
    EXPECT_EQ(out[21], in[21] & 0x7F);
    EXPECT_EQ(out[26], in[26] & 0x7F);
    for (int i : {1, 2, 3, 6, 7, 8, 12, 13, 14, 15, 19, 22, 23, 24, 31, 32, 33, 34, 38, 63})
      EXPECT_EQ(out[i], in[i]) << "byte " << i;
    for (int i = 44; i <= 55; ++i) EXPECT_EQ(out[i], in[i]) << "quarter byte " << i;
    EXPECT_EQ(out[36], in[36]);
    EXPECT_EQ(out[35], in[35]);
    // Durations of 1-24 survive; others are normalised into 1-24 keeping
    // the same stop hour.
    for (int s : {19, 24}) {
      if (in[s] <= 23 && in[s + 1] >= 1 && in[s + 1] <= 24) {
        EXPECT_EQ(out[s + 1], in[s + 1]) << "duration byte " << s + 1;
      }
    }
    // Rates: the decoded value survives, written with q below 4.
    uint8_t h1, m1, h2, m2;
    DecodeFixRate(in[4], in[5], h1, m1);
    DecodeFixRate(out[4], out[5], h2, m2);
    if (m1 < 60 && h1 == static_cast<uint8_t>(in[4] + ((in[5] & 0x0F) >> 2))) {
      EXPECT_EQ(h2 * 60 + m2, h1 * 60 + m1);
    }
    EXPECT_EQ(out[5] & 0x0C, 0);
    EXPECT_EQ(out[43] & 0x0C, 0);
    // With hours and durations in their ranges, a second round trip
    // changes nothing.
    if (in[19] > 23 || in[24] > 23 || in[20] < 1 || in[20] > 24 || in[25] < 1 || in[25] > 24) continue;
    CollarConfig again;
    DecodeConfig(out, again);
    EncodeConfig(again);
    EXPECT_EQ(again.raw, out);
    if (::testing::Test::HasFailure()) break;
  }
}

// A file that is not a whole record is an error that changes nothing: a
// folder, a missing, empty or cut file.
TEST(ConfigFile, AnythingButAWholeRecordFailsAndLeavesTheConfigurationAsItWas) {
  testing::TempDir dir;
  dir.write("short.cfg", std::string("\x05\x00\x00\x60", 4));
  dir.write("empty.cfg", "");
  std::filesystem::create_directory(dir.file("folder.cfg"));
  for (const char* name : {"short.cfg", "empty.cfg", "folder.cfg", "none.cfg"}) {
    CollarConfig c;
    c.collarId = 77;
    testing::ScriptedPrompter prompter;
    EXPECT_EQ(ReadConfig(dir.file(name), c, prompter), ConfigFileStatus::OpenFailed) << name;
    EXPECT_EQ(c.collarId, 77u) << name;
    ASSERT_EQ(prompter.messages.size(), 1u);
    EXPECT_EQ(prompter.messages[0].text, "Could not open " + dir.file(name) + ".");
    EXPECT_EQ(prompter.messages[0].caption, "ERROR");
    EXPECT_EQ(prompter.messages[0].icon, PromptIcon::Error);
    EXPECT_FALSE(prompter.messages[0].more.details.empty()) << "says why: " << name;
  }
  // A GPS data file starts with the record: its first 64 bytes are read.
  std::string gps(64 + 32, '\0');
  gps[12] = 0x04;
  gps[13] = 0xD2;
  dir.write("data.gps", gps);
  CollarConfig c;
  testing::ScriptedPrompter prompter;
  EXPECT_EQ(ReadConfig(dir.file("data.gps"), c, prompter), ConfigFileStatus::Ok);
  EXPECT_EQ(c.collarId, 1234u);
}

TEST(ConfigFile, WriteThenReadGivesTheSameRecordAndAFailedOpenKeepsTheEncodedBytes) {
  testing::TempDir dir;
  CollarConfig c;
  c.collarId = 1234;
  c.primaryRateHours = 1;
  c.primaryRateMinutes = 37;
  testing::ScriptedPrompter prompter;
  EXPECT_EQ(WriteConfig(dir.file("out.cfg"), c, prompter), ConfigFileStatus::Ok);
  EXPECT_EQ(dir.read("out.cfg").size(), 64u);
  CollarConfig back;
  ReadConfig(dir.file("out.cfg"), back, prompter);
  EXPECT_EQ(back.raw, c.raw);
  EXPECT_EQ(back.collarId, 1234u);

  c.collarId = 4321;
  EXPECT_EQ(WriteConfig(dir.file("missing/out.cfg"), c, prompter), ConfigFileStatus::OpenFailed);
  EXPECT_EQ(c.raw[12], 4321 >> 8);
  ASSERT_EQ(prompter.messages.size(), 1u);
  EXPECT_EQ(prompter.messages[0].text, "Could not open " + dir.file("missing/out.cfg") + ".");
}

TEST(ConfigBackup, CopiesTheWorkingFileUnderItsTimeStampedName) {
  EXPECT_EQ(ConfigBackupName(1234, {2006, 7, 5, 9, 3, 7}), "1234_7_5_2006_9_3_7.cfg");
  testing::TempDir dir;
  std::string bytes(64, '\0');
  bytes[0] = 'x';
  bytes += "extra bytes are copied too";
  dir.write("CollarConfig.cfg", bytes);
  testing::ScriptedPrompter prompter;
  testing::FixedClock clock{{2006, 7, 5, 9, 3, 7}};
  const std::string copy =
      MakeConfigBackup(dir.file("CollarConfig.cfg"), dir.dir(), 1234, clock, prompter);
  EXPECT_EQ(copy, dir.file("1234_7_5_2006_9_3_7.cfg"));
  EXPECT_EQ(testing::TempDir::ReadFile(copy), bytes);
  EXPECT_TRUE(prompter.messages.empty());

  EXPECT_EQ(MakeConfigBackup(dir.file("gone.cfg"), dir.dir(), 1, clock, prompter), "");
  EXPECT_EQ(MakeConfigBackup(dir.file("CollarConfig.cfg"), dir.file("no/such/dir"), 1, clock, prompter), "");
  ASSERT_EQ(prompter.messages.size(), 2u);
  EXPECT_EQ(prompter.messages[0].text,
            "Could not open the collar configuration file to create a backup copy.");
  EXPECT_EQ(prompter.messages[0].caption, "Error");
  EXPECT_EQ(prompter.messages[1].text, "Could not create a backup file.");
  EXPECT_EQ(prompter.messages[1].caption, "Error");
}

// Exact rules that small slips in the code would break unnoticed: byte
// orders, single bits, limits at their very edges; expected bytes worked
// out by hand.
CollarConfigRecord Encoded(CollarConfig c) {
  EncodeConfig(c);
  return c.raw;
}

TEST(ExactRecord, ReleaseHoursAreHighByteFirst) {
  CollarConfigRecord r{};
  r[22] = 0x09;
  r[23] = 0x60;
  r[63] = 200;  // a collar that counts days to release
  EXPECT_EQ(Decoded(r).releaseHours, 0x0960u) << "2400 hours, 100 days";
  CollarConfig c = Decoded(r);
  c.releaseHours = 0x0960;
  const CollarConfigRecord back = Encoded(c);
  EXPECT_EQ(back[22], 0x09);
  EXPECT_EQ(back[23], 0x60);
}

TEST(ExactRecord, AStartOfMidnightForADayLastsAllDay) {
  EXPECT_EQ(StopHour(0, 24), 0);
  EXPECT_EQ(StopHour(0, 23), 23);
  EXPECT_EQ(Duration(0, 0), 24);
  CollarConfigRecord r{};
  r[19] = 0;
  r[20] = 24;
  r[24] = 0;
  r[25] = 24;
  EXPECT_EQ(Decoded(r).auxStopHourUtc, 0);
  EXPECT_EQ(Decoded(r).transmitterOffHourUtc, 0);
}

TEST(ExactRecord, Bit7OfTheRetryBytesSwitchesRetriesOffAndIsNotPartOfTheCount) {
  CollarConfigRecord r{};
  r[34] = 0x85;
  r[32] = 0x7F;
  const CollarConfig c = Decoded(r);
  EXPECT_EQ(c.maxRetries, 5);
  EXPECT_FALSE(c.retriesEnabled);
  EXPECT_EQ(c.auxMaxRetries, 127);
  EXPECT_TRUE(c.auxRetriesEnabled);
  const CollarConfigRecord back = Encoded(c);
  EXPECT_EQ(back[34], 0x85);
  EXPECT_EQ(back[32], 0x7F);
  CollarConfig on = c;
  on.retriesEnabled = true;
  on.maxRetries = 127;
  EXPECT_EQ(Encoded(on)[34], 0x7F);
  on.auxRetriesEnabled = false;
  on.auxMaxRetries = 0;
  EXPECT_EQ(Encoded(on)[32], 0x80);
}

TEST(ExactRules, FifteenMinutesIsThePrimaryMinimumAndTheAuxiliaryRateHasNone) {
  EXPECT_EQ(CheckPrimaryRate(0, 15, false, 0, 0), RateCheck::Ok);
  EXPECT_EQ(CheckPrimaryRate(0, 14, false, 0, 0), RateCheck::BelowMinimum);
  EXPECT_EQ(CheckPrimaryRate(0, 0, false, 0, 0), RateCheck::BelowMinimum);
  EXPECT_EQ(CheckAuxRate(0, 5, false, 0, 0), RateCheck::Ok);
  EXPECT_EQ(CheckAuxRate(0, 14, false, 0, 0), RateCheck::Ok);
  // Retries must end before the next fix: 3 x 5 min against a 15-minute rate.
  EXPECT_EQ(CheckPrimaryRate(0, 15, true, 3, 5), RateCheck::RetriesPastNextFix);
  EXPECT_EQ(CheckPrimaryRate(0, 16, true, 3, 5), RateCheck::Ok);
  EXPECT_EQ(CheckAuxRate(0, 15, true, 3, 5), RateCheck::RetriesPastNextFix);
}

TEST(ExactRules, TransmitterHoursAbove255AreClampedWithTheirNotice) {
  CollarConfig c;
  c.softwareVersion = 100;  // hours after power-up
  EXPECT_FALSE(StoreTransmitterTimeValue(c, 255));
  EXPECT_EQ(c.transmitterOnAfterPowerUpHours, 255);
  EXPECT_TRUE(StoreTransmitterTimeValue(c, 256));
  EXPECT_EQ(c.transmitterOnAfterPowerUpHours, 255);
  EXPECT_FALSE(StoreTransmitterTimeValue(c, 0));
  EXPECT_EQ(c.transmitterOnAfterPowerUpHours, 0);
}

}  // namespace
}  // namespace zelkor
