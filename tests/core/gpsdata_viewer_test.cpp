#include <gtest/gtest.h>

#include "gpsdata/viewer_text.h"

#include <functional>
#include <stdexcept>

#include "support/scripted_prompter.h"

namespace zelkor {
namespace {

TEST(ViewerText, EmptyFileShowsOnlyTheAppendedLineEnd) {
  const ViewerText v = LoadTextForViewer("");
  EXPECT_EQ(v.text, "\r\n");
  EXPECT_EQ(v.lineCount, 0);
}

TEST(ViewerText, LinesEndInCrLfAndTheCountIsTheLineFeedsOfTheFile) {
  ViewerText v = LoadTextForViewer("a\nb\nc");
  EXPECT_EQ(v.text, "a\r\nb\r\nc\r\n");
  EXPECT_EQ(v.lineCount, 2);
  v = LoadTextForViewer("a\r\nb\r\n");  // CR LF read in text mode
  EXPECT_EQ(v.text, "a\r\nb\r\n\r\n");
  EXPECT_EQ(v.lineCount, 2);
}

TEST(ViewerTrack, LatLonRowsBecomeSignedPointsAndOnlyTheCheckCellsMakeABadCheck) {
  // Row 2 is a 2-D fix ("***" for the altitude) with a good check; row 3 a
  // bad check. A star in the altitude is not a bad check.
  const std::string csv =
      "2006,7,5,02,03,07,40.50000000,N,105.25000000,W,1650,1,1,5,7,12,0,0,0,0,0,0,0,0,0.0,0.0,0.00,0,0,0\r\n"
      "2006,7,5,02,33,07,40.50000000,N,105.25000000,W,***,2,1,5,7,12,0,0,0,0,0,0,0,0,0.0,0.0,0.00,0,0,0\r\n"
      "2006,7,5,03,03,07,33.90000000,S,151.20000000,E,***,1,1,5,7,12,0,0,0,0,0,0,0,0,0.0,0.0,0.00,0,0,0,*17,18\r\n"
      "\r\n3 blocks translated to Latitude and Longitude format.\r\n\r\n(GMT -07:00) Arizona\r\n";
  const CsvTable table = ParseCsvTable(csv);
  ASSERT_EQ(table.fixes.size(), 3u);
  EXPECT_FALSE(table.fixes[0].badCheck);
  EXPECT_FALSE(table.fixes[1].badCheck) << "a 2-D fix";
  EXPECT_TRUE(table.fixes[2].badCheck);
  EXPECT_EQ(table.rows[2][30], "17") << "the computed check without its star";
  const Track t = TrackFromTable(table);
  EXPECT_FALSE(t.utm);
  ASSERT_EQ(t.points.size(), 3u);
  EXPECT_DOUBLE_EQ(t.points[0].y, 40.5);
  EXPECT_DOUBLE_EQ(t.points[0].x, -105.25);
  EXPECT_DOUBLE_EQ(t.points[2].y, -33.9);
  EXPECT_DOUBLE_EQ(t.points[2].x, 151.2);
}

TEST(ViewerTrack, UtmRowsUseEastingAndNorthing) {
  const std::string csv =
      "2006,7,5,02,03,07,457320.1,4427876.9,13,1650,1,1,5,7,12,0,0,0,0,0,0,0,0,0.0,0.0,0.00,0,0,0\r\n";
  const Track t = ParseTrack(csv);
  EXPECT_TRUE(t.utm);
  ASSERT_EQ(t.points.size(), 1u);
  EXPECT_DOUBLE_EQ(t.points[0].x, 457320.1);
  EXPECT_DOUBLE_EQ(t.points[0].y, 4427876.9);
}

// The viewer's failures each have their message, and none escapes.
TEST(ViewerLoad, EachFailureHasItsMessageAndNothingEscapes) {
  struct Case {
    std::function<void(const ViewerText&)> show;
    const char* message;
  };
  for (const Case& c : {Case{[](const ViewerText&) { throw std::bad_alloc(); }, "Memory Exception on GPS data buffer load"},
                        Case{[](const ViewerText&) { throw std::runtime_error("x"); },
                             "Unknown exception on GPS data buffer load"},
                        Case{[](const ViewerText&) { throw 42; }, "Unknown exception on GPS data buffer load"}}) {
    testing::ScriptedPrompter prompter;
    EXPECT_FALSE(LoadIntoViewer("a\nb\n", c.show, prompter));
    ASSERT_EQ(prompter.messages.size(), 1u);
    EXPECT_EQ(prompter.messages[0].text, c.message);
  }
  testing::ScriptedPrompter prompter;
  int shown = -1;
  EXPECT_TRUE(LoadIntoViewer("a\nb\n", [&](const ViewerText& t) { shown = t.lineCount; }, prompter));
  EXPECT_EQ(shown, 2);
  EXPECT_TRUE(prompter.messages.empty());
}

}  // namespace
}  // namespace zelkor
