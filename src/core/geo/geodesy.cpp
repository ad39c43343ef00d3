#include "geo/geodesy.h"

#include <GeographicLib/AzimuthalEquidistant.hpp>
#include <GeographicLib/Geodesic.hpp>
#include <GeographicLib/Gnomonic.hpp>
#include <GeographicLib/PolygonArea.hpp>

#include <algorithm>
#include <cmath>

namespace zelkor {

namespace {
const GeographicLib::Geodesic& Wgs84() { return GeographicLib::Geodesic::WGS84(); }

struct Projected {
  double x = 0;
  double y = 0;
  size_t index = 0;
};

double Cross(const Projected& o, const Projected& a, const Projected& b) {
  return (a.x - o.x) * (b.y - o.y) - (a.y - o.y) * (b.x - o.x);
}

// Andrew's monotone chain; the corners counter-clockwise, without repeats.
std::vector<Projected> Hull(std::vector<Projected> p) {
  std::sort(p.begin(), p.end(), [](const Projected& a, const Projected& b) {
    return a.x < b.x || (a.x == b.x && a.y < b.y);
  });
  p.erase(std::unique(p.begin(), p.end(),
                      [](const Projected& a, const Projected& b) { return a.x == b.x && a.y == b.y; }),
          p.end());
  if (p.size() < 3) return p;
  std::vector<Projected> hull(2 * p.size());
  size_t k = 0;
  for (size_t i = 0; i < p.size(); ++i) {
    while (k >= 2 && Cross(hull[k - 2], hull[k - 1], p[i]) <= 0) --k;
    hull[k++] = p[i];
  }
  for (size_t i = p.size() - 1, t = k + 1; i > 0; --i) {
    while (k >= t && Cross(hull[k - 2], hull[k - 1], p[i - 1]) <= 0) --k;
    hull[k++] = p[i - 1];
  }
  hull.resize(k - 1);
  return hull;
}
}  // namespace

double GeodesicKm(double lat1, double lon1, double lat2, double lon2) {
  double metres = 0;
  Wgs84().Inverse(lat1, lon1, lat2, lon2, metres);
  return metres / 1000.0;
}

double UnwrapLongitude(double longitude, double reference) {
  double d = std::remainder(longitude - reference, 360.0);  // -180..180
  return reference + d;
}

GeoPoint MeanCentre(const std::vector<GeoPoint>& points) {
  GeoPoint c;
  if (points.empty()) return c;
  constexpr double kRad = 3.14159265358979323846 / 180.0;
  double sx = 0, sy = 0, lat = 0;
  for (const GeoPoint& p : points) {
    sx += std::cos(p.longitude * kRad);
    sy += std::sin(p.longitude * kRad);
    lat += p.latitude;
  }
  const double reference = (sx == 0 && sy == 0) ? points.front().longitude : std::atan2(sy, sx) / kRad;
  double lon = 0;
  for (const GeoPoint& p : points) lon += UnwrapLongitude(p.longitude, reference);
  c.latitude = lat / static_cast<double>(points.size());
  c.longitude = std::remainder(lon / static_cast<double>(points.size()), 360.0);
  return c;
}

std::vector<GeoPoint> ConvexPolygon(const std::vector<GeoPoint>& points) {
  if (points.size() < 3) return points;
  const GeoPoint centre = MeanCentre(points);
  std::vector<Projected> plane;
  plane.reserve(points.size());
  // Gnomonic first: geodesics are (very nearly) straight there, so the
  // plane's hull is the hull on the ellipsoid. It covers less than a
  // hemisphere; beyond that the azimuthal equidistant projection takes over.
  const GeographicLib::Gnomonic gnomonic(Wgs84());
  bool covered = true;
  for (size_t i = 0; i < points.size() && covered; ++i) {
    Projected p;
    p.index = i;
    gnomonic.Forward(centre.latitude, centre.longitude, points[i].latitude, points[i].longitude, p.x, p.y);
    covered = std::isfinite(p.x) && std::isfinite(p.y);
    plane.push_back(p);
  }
  if (!covered) {
    plane.clear();
    const GeographicLib::AzimuthalEquidistant equidistant(Wgs84());
    for (size_t i = 0; i < points.size(); ++i) {
      Projected p;
      p.index = i;
      double azimuth = 0, scale = 0;
      equidistant.Forward(centre.latitude, centre.longitude, points[i].latitude, points[i].longitude, p.x, p.y,
                          azimuth, scale);
      plane.push_back(p);
    }
  }
  std::vector<GeoPoint> corners;
  for (const Projected& p : Hull(std::move(plane))) corners.push_back(points[p.index]);
  return corners;
}

double GeodesicAreaKm2(const std::vector<GeoPoint>& polygon) {
  if (polygon.size() < 3) return 0;
  GeographicLib::PolygonArea area(Wgs84());
  for (const GeoPoint& p : polygon) area.AddPoint(p.latitude, p.longitude);
  double perimeter = 0, squareMetres = 0;
  area.Compute(false, true, perimeter, squareMetres);
  return std::fabs(squareMetres) / 1e6;
}

std::vector<GeoPoint> NearestToMean(const std::vector<GeoPoint>& points, double share) {
  if (points.empty()) return points;
  const GeoPoint centre = MeanCentre(points);
  std::vector<std::pair<double, size_t>> byDistance;
  byDistance.reserve(points.size());
  for (size_t i = 0; i < points.size(); ++i)
    byDistance.push_back({GeodesicKm(centre.latitude, centre.longitude, points[i].latitude, points[i].longitude), i});
  const size_t keep = std::min(points.size(), static_cast<size_t>(std::ceil(points.size() * share - 1e-9)));
  std::stable_sort(byDistance.begin(), byDistance.end(),
                   [](const auto& a, const auto& b) { return a.first < b.first; });
  std::vector<GeoPoint> kept;
  kept.reserve(keep);
  for (size_t i = 0; i < keep; ++i) kept.push_back(points[byDistance[i].second]);
  return kept;
}

}  // namespace zelkor
