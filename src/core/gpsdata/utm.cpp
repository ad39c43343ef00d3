#include "gpsdata/utm.h"

#include <cmath>

namespace zelkor {

namespace {
// The collar software has always converted with this value of pi; keeping
// it keeps the output identical to earlier translations.
constexpr double kPi = 3.141592654;
constexpr double kA = 6378137.0;
constexpr double kF = 0.0033528106647474805;
constexpr double kK0 = 0.9996;
constexpr double kFalseEasting = 500000.0;
constexpr double kFalseNorthingSouth = 10000000.0;
constexpr double kM0 = 0.0;
}  // namespace

UtmPosition LatLonToUtm(double latitude, char northSouth, double longitude, char eastWest) {
  const double e2 = 2 * kF - kF * kF;
  const double e = std::sqrt(e2);
  const double e4 = std::pow(e, 4);
  const double e6 = std::pow(e, 6);
  const double ep2 = e2 / (1 - e2);

  const double phi = latitude * kPi / 180;
  const double lambda = longitude * kPi / 180;

  UtmPosition out;
  out.zone = 30 - static_cast<int>(std::trunc(longitude / 6));
  const double lambda0 = 183 - 6 * out.zone;

  const double sinPhi = std::sin(phi);
  const double cosPhi = std::cos(phi);
  const double tanPhi = std::tan(phi);
  const double n = kA / std::sqrt(1 - e2 * sinPhi * sinPhi);
  const double t = tanPhi * tanPhi;
  const double c = ep2 * cosPhi * cosPhi;
  const double a = cosPhi * (lambda0 * kPi / 180 - lambda);

  const double m =
      kA * ((1 - e2 / 4 - 3 * e4 / 64 - 5 * e6 / 256) * phi -
            (3 * e2 / 8 + 3 * e4 / 32 + 45 * e6 / 1024) * std::sin(2 * phi) +
            (15 * e4 / 256 + 45 * e6 / 1024) * std::sin(4 * phi) - (35 * e6 / 3072) * std::sin(6 * phi));

  const double a2 = a * a, a3 = a2 * a, a4 = a3 * a, a5 = a4 * a, a6 = a5 * a;
  const double x = kK0 * n * (a + (1 - t + c) * a3 / 6 + (5 - 18 * t + t * t + 72 * c - 58 * ep2) * a5 / 120) +
                   kFalseEasting;
  if (eastWest == 'E') {
    out.zone = static_cast<int>(std::trunc(longitude / 6)) + 31;
    out.easting = 1000000 - x;
  } else {
    out.easting = x;
  }

  const double y =
      kK0 * (m - kM0 + n * tanPhi * (a2 / 2 + (5 - t + 9 * c + 4 * c * c) * a4 / 24 +
                                     (61 - 58 * t + t * t + 600 * c - 330 * ep2) * a6 / 720));
  out.northing = northSouth == 'S' ? kFalseNorthingSouth - y : y;
  return out;
}

int UtmZoneOf(double longitude) {
  const int zone = static_cast<int>(std::floor((longitude + 180.0) / 6.0)) + 1;
  return zone < 1 ? 1 : zone > 60 ? 60 : zone;
}

UtmPosition ProjectIntoZone(double latitude, double longitude, int zone) {
  const double e2 = 2 * kF - kF * kF;
  const double e4 = e2 * e2, e6 = e4 * e2;
  const double ep2 = e2 / (1 - e2);
  const double phi = latitude * kPi / 180;
  const double centre = 6.0 * zone - 183.0;
  const double sinPhi = std::sin(phi), cosPhi = std::cos(phi), tanPhi = std::tan(phi);
  const double n = kA / std::sqrt(1 - e2 * sinPhi * sinPhi);
  const double t = tanPhi * tanPhi;
  const double c = ep2 * cosPhi * cosPhi;
  const double a = cosPhi * (longitude - centre) * kPi / 180;
  const double m =
      kA * ((1 - e2 / 4 - 3 * e4 / 64 - 5 * e6 / 256) * phi -
            (3 * e2 / 8 + 3 * e4 / 32 + 45 * e6 / 1024) * std::sin(2 * phi) +
            (15 * e4 / 256 + 45 * e6 / 1024) * std::sin(4 * phi) - (35 * e6 / 3072) * std::sin(6 * phi));
  const double a2 = a * a, a3 = a2 * a, a4 = a3 * a, a5 = a4 * a, a6 = a5 * a;
  UtmPosition out;
  out.zone = zone;
  out.easting = kK0 * n * (a + (1 - t + c) * a3 / 6 + (5 - 18 * t + t * t + 72 * c - 58 * ep2) * a5 / 120) +
                kFalseEasting;
  out.northing = kK0 * (m + n * tanPhi * (a2 / 2 + (5 - t + 9 * c + 4 * c * c) * a4 / 24 +
                                           (61 - 58 * t + t * t + 600 * c - 330 * ep2) * a6 / 720));
  return out;
}

}  // namespace zelkor
