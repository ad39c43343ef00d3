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

}  // namespace zelkor
