#include <gtest/gtest.h>

#include "gpsdata/utm.h"
#include "util/text.h"

namespace zelkor {
namespace {

std::string Printed(double lat, char ns, double lon, char ew) {
  const UtmPosition u = LatLonToUtm(lat, ns, lon, ew);
  return Format("%.1f,%.1f,%d", u.easting, u.northing, u.zone);
}

TEST(Utm, KnownPositionsPrintAsExpected) {
  EXPECT_EQ(Printed(40, 'N', 105, 'W'), "500000.0,4427757.2,13");
  EXPECT_EQ(Printed(40, 'N', 105.5, 'W'), "457320.1,4427876.9,13");
  EXPECT_EQ(Printed(33.9, 'S', 151.2, 'E'), "333568.9,6247473.3,56");
}

TEST(Utm, EquatorGivesZeroNorthOrTheFalseNorthingSouth) {
  EXPECT_EQ(LatLonToUtm(0, 'N', 100, 'W').northing, 0.0);
  EXPECT_EQ(LatLonToUtm(0, 'S', 100, 'W').northing, 10000000.0);
}

TEST(Utm, ZoneEdgesFollowTheCollarsRules) {
  EXPECT_EQ(LatLonToUtm(40, 'N', 108, 'W').zone, 12);
  EXPECT_EQ(LatLonToUtm(40, 'N', 107.999, 'W').zone, 13);
  EXPECT_EQ(LatLonToUtm(40, 'N', 5.999, 'W').zone, 30);
  EXPECT_EQ(LatLonToUtm(40, 'N', 174, 'W').zone, 1);
  EXPECT_EQ(LatLonToUtm(40, 'N', 179.9, 'W').zone, 1);
  EXPECT_EQ(LatLonToUtm(40, 'N', 12, 'E').zone, 33);
  EXPECT_EQ(LatLonToUtm(40, 'N', 11.999, 'E').zone, 32);
  EXPECT_EQ(LatLonToUtm(40, 'N', 0, 'W').zone, 30);
  EXPECT_EQ(LatLonToUtm(40, 'N', 0, 'E').zone, 31);
  EXPECT_EQ(LatLonToUtm(-1, 'S', 179.9, 'E').zone, 60);
}

TEST(Utm, CentralMeridiansGiveTheFalseEastingInBothHemispheres) {
  for (double lat : {0.0, 12.5, 45.0, 70.0}) {
    for (char ns : {'N', 'S'}) {
      EXPECT_EQ(Format("%.1f", LatLonToUtm(lat, ns, 111, 'W').easting), "500000.0");
      EXPECT_EQ(Format("%.1f", LatLonToUtm(lat, ns, 15, 'E').easting), "500000.0");
      EXPECT_EQ(Format("%.1f", LatLonToUtm(lat, ns, 3, 'E').easting), "500000.0");
    }
  }
}

TEST(Utm, PositionsEitherSideOfACentralMeridianAreSymmetric) {
  const UtmPosition w = LatLonToUtm(40, 'N', 105.5, 'W');
  const UtmPosition e = LatLonToUtm(40, 'N', 104.5, 'W');
  EXPECT_EQ(w.zone, 13);
  EXPECT_EQ(e.zone, 13);
  EXPECT_NEAR(w.easting + e.easting, 1000000.0, 1e-6);
  EXPECT_NEAR(w.northing, e.northing, 1e-6);
  EXPECT_LT(w.easting, 500000.0);

  const UtmPosition a = LatLonToUtm(20, 'S', 9.5, 'E');
  const UtmPosition b = LatLonToUtm(20, 'S', 8.5, 'E');
  EXPECT_EQ(a.zone, 32);
  EXPECT_EQ(b.zone, 32);
  EXPECT_NEAR(a.easting + b.easting, 1000000.0, 1e-6);
  EXPECT_GT(a.easting, 500000.0);
}

}  // namespace
}  // namespace zelkor
