#include <gtest/gtest.h>
#ifndef _WIN32
#include <signal.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>
#endif

#include <algorithm>
#include <random>

#include "gpsdata/translate.h"
#include "support/gps_image.h"
#include "support/temp_dir.h"

namespace zelkor {
namespace {

using testing::FixAt;
using testing::GpsImage;

std::string DateOf(const std::string& row) {
  // The first six fields.
  size_t pos = 0;
  for (int i = 0; i < 6; ++i) pos = row.find(',', pos) + 1;
  return row.substr(0, pos - 1);
}

std::string Row(const GpsBlockFields& f, int offset, OutputForm form = OutputForm::LatLon) {
  return FormatCsvRow(DecodeGpsBlock(EncodeGpsBlock(f).data()), form, ShiftHours(offset));
}

TEST(UtcShift, RollsBackIntoLeapAndCommonFebruary) {
  EXPECT_EQ(DateOf(Row(FixAt(8, 3, 1, 3, 15, 0, 40, true, 105, false), -7)), "2008,2,29,20,15,00");
  EXPECT_EQ(DateOf(Row(FixAt(7, 3, 1, 3, 15, 0, 40, true, 105, false), -7)), "2007,2,28,20,15,00");
}

TEST(UtcShift, RollsForwardIntoTheNextYearAndIntoLeapDay) {
  EXPECT_EQ(DateOf(Row(FixAt(6, 12, 31, 22, 0, 0, 40, true, 105, false), 3)), "2007,1,1,01,00,00");
  EXPECT_EQ(DateOf(Row(FixAt(0, 2, 28, 23, 0, 0, 40, true, 105, false), 1)), "2000,2,29,00,00,00");
  EXPECT_EQ(DateOf(Row(FixAt(1, 2, 28, 23, 0, 0, 40, true, 105, false), 1)), "2001,3,1,00,00,00");
}

// Half- and quarter-hour zones shift by their minutes too, and the minutes
// carry through the hour and the day.
TEST(UtcShift, MinutesOfAZoneCarryThroughTheHourAndTheDay) {
  const std::string adelaide = Row(FixAt(26, 3, 1, 0, 0, 5, 34.9, false, 138.6, true), 0);
  auto shifted = [](int year, int month, int day, int hour, int minute, int second, UtcShift shift) {
    return DateOf(FormatCsvRow(
        DecodeGpsBlock(EncodeGpsBlock(FixAt(year, month, day, hour, minute, second, 34.9, false, 138.6, true)).data()),
        OutputForm::LatLon, shift));
  };
  EXPECT_EQ(shifted(26, 3, 1, 0, 0, 5, ShiftMinutes(9 * 60 + 30)), "2026,3,1,09,30,05");
  EXPECT_EQ(shifted(26, 3, 1, 14, 45, 0, ShiftMinutes(9 * 60 + 30)), "2026,3,2,00,15,00");
  EXPECT_EQ(shifted(26, 12, 31, 23, 40, 0, ShiftMinutes(5 * 60 + 45)), "2027,1,1,05,25,00");
  EXPECT_EQ(shifted(26, 3, 1, 1, 10, 0, ShiftMinutes(-(3 * 60 + 30))), "2026,2,28,21,40,00");
  EXPECT_EQ(shifted(26, 3, 1, 5, 50, 0, ShiftMinutes(-(3 * 60 + 30))), "2026,3,1,02,20,00");
  (void)adelaide;
  UtcShift s;
  EXPECT_TRUE(ParseUtcShift("+09:30", &s));
  EXPECT_EQ(s.minutes, 570);
  EXPECT_TRUE(ParseUtcShift("-03:30", &s));
  EXPECT_EQ(s.minutes, -210);
  EXPECT_TRUE(ParseUtcShift("-7", &s));
  EXPECT_EQ(s.minutes, -420);
  EXPECT_TRUE(ParseUtcShift("14", &s));
  for (const char* bad : {"100", "-13", "+14:30", "9:3", "9:60", "seven", "", "+", "5x"})
    EXPECT_FALSE(ParseUtcShift(bad, &s)) << bad;
}

TEST(UtcShift, FirstOfJanuary2000ShiftedBackIsWrittenIn1999) {
  EXPECT_EQ(DateOf(Row(FixAt(0, 1, 1, 2, 0, 0, 40, true, 105, false), -5)), "1999,12,31,21,00,00");
}

TEST(UtcShift, OutOfRangeDaysRollWithoutAShift) {
  FixTime t{4, 31, 6, 10, 0, 0};  // 31 April
  EXPECT_EQ(ApplyUtcOffset(t, UtcShift{}), (FixTime{5, 1, 6, 10, 0, 0}));
  t = FixTime{7, 0, 6, 10, 0, 0};  // day 0
  EXPECT_EQ(ApplyUtcOffset(t, UtcShift{}), (FixTime{6, 30, 6, 10, 0, 0}));
  EXPECT_EQ(DaysInMonth(0, 6), 30);
  EXPECT_EQ(DaysInMonth(15, 6), 30);
  EXPECT_TRUE(IsLeapTwoDigitYear(0));
  EXPECT_FALSE(IsLeapTwoDigitYear(100));
}

TEST(CsvRow, LatLonWidthsPadButNeverTruncate) {
  GpsBlockFields f = FixAt(6, 7, 5, 9, 3, 7, 45.5, true, 7.0 + 0.5 / 60, false);
  const std::string row = Row(f, 0);
  EXPECT_NE(row.find(",45.50000000,N,7.00833333,W,"), std::string::npos) << row;
}

TEST(CsvRow, BadCheckEndsWithComputedAndStoredSums) {
  GpsBlockFields f = FixAt(6, 7, 5, 9, 3, 7, 40, true, 105, false);
  f.satelliteMask = 0x00000011u;  // sum 17
  f.goodCheck = false;            // stored 18
  const std::string row = Row(f, 0);
  ASSERT_GE(row.size(), 9u);
  EXPECT_EQ(row.substr(row.size() - 9), ",*17,18\r\n");
}

TEST(CsvRow, FieldCountsForBothForms) {
  GpsBlockFields f = FixAt(6, 7, 5, 9, 3, 7, 40, true, 105, false);
  auto fields = [](const std::string& row) { return std::count(row.begin(), row.end(), ',') + 1; };
  EXPECT_EQ(fields(Row(f, 0)), 30);
  EXPECT_EQ(fields(Row(f, 0, OutputForm::Utm)), 29);
  f.goodCheck = false;
  EXPECT_EQ(fields(Row(f, 0)), 32);
  f.altitudeCode = 32767;
  EXPECT_NE(Row(f, 0, OutputForm::Utm).find(",13,***,1,"), std::string::npos);
}

TEST(TranslateFile, TwoBlocksEndWithTheSummaryAndTrailer) {
  testing::TempDir dir;
  const auto image = GpsImage({FixAt(6, 7, 5, 9, 3, 7, 40, true, 105, false),
                               FixAt(6, 7, 5, 11, 3, 7, 40.01, true, 105.01, false)});
  dir.writeBytes("in.gps", image);
  EXPECT_EQ(TranslateGpsData(dir.file("in.gps"), dir.file("out.csv"), OutputForm::LatLon, ShiftHours(-7),
                             "(GMT -07:00) Arizona"),
            TranslateResult::Ok);
  const std::string csv = dir.read("out.csv");
  const std::string tail =
      "\r\n\r\n2 blocks translated to Latitude and Longitude format.\r\n\r\n(GMT -07:00) Arizona\r\n";
  ASSERT_GE(csv.size(), tail.size());
  EXPECT_EQ(csv.substr(csv.size() - tail.size()), tail);
  EXPECT_EQ(csv.rfind("2006,7,5,02,03,07,", 0), 0u);
}

TEST(TranslateFile, TrailerIsNotAFormat) {
  testing::TempDir dir;
  dir.writeBytes("in.gps", GpsImage({FixAt(6, 7, 5, 9, 3, 7, 40, true, 105, false)}));
  EXPECT_EQ(TranslateGpsData(dir.file("in.gps"), dir.file("out.csv"), OutputForm::Utm, UtcShift{}, "100% %s %n"),
            TranslateResult::Ok);
  const std::string csv = dir.read("out.csv");
  EXPECT_NE(csv.find("1 blocks translated to UTM format.\r\n\r\n100% %s %n\r\n"), std::string::npos);
}

TEST(TranslateFile, EmptyMemoryLeavesAnExistingOutputUntouched) {
  testing::TempDir dir;
  dir.writeBytes("in.gps", GpsImage({}));
  dir.write("out.csv", "earlier work");
  EXPECT_EQ(TranslateGpsData(dir.file("in.gps"), dir.file("out.csv"), OutputForm::LatLon, UtcShift{}, "x"),
            TranslateResult::Ok);
  EXPECT_EQ(dir.read("out.csv"), "earlier work");
}

TEST(TranslateFile, InputAndOutputFailuresAreReportedAndLeaveNoPartialFile) {
  testing::TempDir dir;
  EXPECT_EQ(TranslateGpsData(dir.file("none.gps"), dir.file("out.csv"), OutputForm::LatLon, UtcShift{}, ""),
            TranslateResult::InputOpenFailed);
  dir.write("short.gps", std::string(40, '\0'));
  EXPECT_EQ(TranslateGpsData(dir.file("short.gps"), dir.file("out.csv"), OutputForm::LatLon, UtcShift{}, ""),
            TranslateResult::InputOpenFailed);
  dir.writeBytes("in.gps", GpsImage({FixAt(6, 7, 5, 9, 3, 7, 40, true, 105, false)}));
  EXPECT_EQ(TranslateGpsData(dir.file("in.gps"), dir.file("no/such/out.csv"), OutputForm::LatLon, UtcShift{}, ""),
            TranslateResult::OutputOpenFailed);
  std::filesystem::create_directories(dir.file("a-folder"));
  EXPECT_EQ(TranslateGpsData(dir.file("in.gps"), dir.file("a-folder"), OutputForm::LatLon, UtcShift{}, ""),
            TranslateResult::OutputOpenFailed);
  for (const auto& e : std::filesystem::directory_iterator(dir.dir()))
    EXPECT_EQ(e.path().string().find(".part-"), std::string::npos) << e.path();
}

#ifndef _WIN32
TEST(TranslateFile, WriteFailureKeepsTheOldFileAndLeavesNoTemporary) {
  testing::TempDir dir;
  std::vector<GpsBlockFields> blocks(200, FixAt(6, 7, 5, 9, 3, 7, 40, true, 105, false));
  dir.writeBytes("in.gps", GpsImage(blocks));
  dir.write("out.csv", "earlier work");
  // A child process with a file size limit: the rows cannot all be written.
  const pid_t pid = fork();
  ASSERT_GE(pid, 0);
  if (pid == 0) {
    signal(SIGXFSZ, SIG_IGN);
    rlimit limit{};
    limit.rlim_cur = limit.rlim_max = 4096;
    setrlimit(RLIMIT_FSIZE, &limit);
    const TranslateResult r =
        TranslateGpsData(dir.file("in.gps"), dir.file("out.csv"), OutputForm::LatLon, UtcShift{}, "t");
    _exit(r == TranslateResult::WriteFailed ? 0 : 1);
  }
  int status = 0;
  waitpid(pid, &status, 0);
  EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << "the translation did not report WriteFailed";
  EXPECT_EQ(dir.read("out.csv"), "earlier work");
  for (const auto& e : std::filesystem::directory_iterator(dir.dir()))
    EXPECT_EQ(e.path().string().find(".part-"), std::string::npos) << e.path();
}
#endif

TEST(TranslateFile, ChecksumMismatchStillWritesEveryRow) {
  testing::TempDir dir;
  auto bad = FixAt(6, 7, 5, 9, 3, 7, 40, true, 105, false);
  bad.goodCheck = false;
  dir.writeBytes("in.gps", GpsImage({bad, FixAt(6, 7, 5, 10, 3, 7, 40, true, 105, false)}));
  Translation details;
  EXPECT_EQ(TranslateGpsData(dir.file("in.gps"), dir.file("out.csv"), OutputForm::LatLon, UtcShift{}, "t", &details),
            TranslateResult::ChecksumMismatch);
  EXPECT_EQ(details.rows, 2u);
  EXPECT_EQ(details.badChecks, 1u);
  EXPECT_NE(dir.read("out.csv").find("2 blocks translated"), std::string::npos);
}

TEST(TranslateFile, ShortFileTranslatesItsCompleteBlocksAndCountsThem) {
  auto image = GpsImage({FixAt(6, 7, 5, 9, 3, 7, 40, true, 105, false),
                         FixAt(6, 7, 5, 10, 3, 7, 40, true, 105, false),
                         FixAt(6, 7, 5, 11, 3, 7, 40, true, 105, false)},
                        1234, 10);
  image.resize(image.size() - 5);  // the third block is cut
  const Translation t = TranslateGpsImage(image, OutputForm::LatLon, UtcShift{}, "t");
  EXPECT_EQ(t.headerBlocks, 10u);
  EXPECT_EQ(t.rows, 2u);
  EXPECT_NE(t.csv.find("\r\n2 blocks translated"), std::string::npos);
}

}  // namespace
}  // namespace zelkor

namespace zelkor {
namespace {

TEST(CsvRow, FastRowMatchesPrintfFormattingForRandomBlocks) {
  std::mt19937 rng(2024);
  for (int i = 0; i < 20000; ++i) {
    GpsBlock b;
    for (auto& x : b) x = static_cast<uint8_t>(rng());
    const GpsFix fix = DecodeGpsBlock(b.data());
    const int offset = static_cast<int>(rng() % 25) - 12;
    for (OutputForm form : {OutputForm::LatLon, OutputForm::Utm}) {
      ASSERT_EQ(FormatCsvRow(fix, form, ShiftMinutes(offset * 30)), FormatCsvRowWithPrintf(fix, form, ShiftMinutes(offset * 30)))
          << "block " << i << " offset " << offset;
    }
  }
}

}  // namespace
}  // namespace zelkor
