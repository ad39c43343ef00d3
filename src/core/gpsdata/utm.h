// Latitude/longitude to UTM on the WGS 84 ellipsoid (labelled NAD83 to the
// user), by the transverse Mercator forward series.
#pragma once

namespace zelkor {

struct UtmPosition {
  double easting = 0;
  double northing = 0;
  int zone = 0;
};

// Latitude and longitude are magnitudes in decimal degrees; the letters
// give the hemispheres ("N"/"S", "E"/"W").
UtmPosition LatLonToUtm(double latitude, char northSouth, double longitude, char eastWest);

// The UTM zone of a signed longitude (east positive), 1-60.
int UtmZoneOf(double longitude);
// Signed latitude and longitude projected into a given zone, so that fixes
// on both sides of a zone boundary share one plane. The northing is signed
// (no false northing south of the equator).
UtmPosition ProjectIntoZone(double latitude, double longitude, int zone);

}  // namespace zelkor
