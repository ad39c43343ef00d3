// Distances and areas on the WGS 84 ellipsoid, through GeographicLib: the
// geodesic between two fixes, and the minimum convex polygon of a set of
// fixes with its area. The polygon is found in a gnomonic projection centred
// on the fixes (where geodesics are straight lines), so it has no seam at
// 180 degrees and no zone boundary to fall on.
#pragma once

#include <vector>

namespace zelkor {

struct GeoPoint {
  double latitude = 0;   // signed degrees, north positive
  double longitude = 0;  // signed degrees, east positive
};

// Geodesic distance on WGS 84, in kilometres.
double GeodesicKm(double lat1, double lon1, double lat2, double lon2);

// The longitude moved by whole turns to lie within 180 degrees of reference.
double UnwrapLongitude(double longitude, double reference);

// The mean of the latitudes and of the longitudes unwrapped around their
// circular mean (so fixes on both sides of 180 degrees average near it);
// the longitude comes back within -180..180.
GeoPoint MeanCentre(const std::vector<GeoPoint>& points);

// The corners of the minimum convex polygon, counter-clockwise seen from
// above; fewer than three points for a set on one line or smaller.
std::vector<GeoPoint> ConvexPolygon(const std::vector<GeoPoint>& points);

// The area enclosed by a polygon with geodesic edges, in km^2.
double GeodesicAreaKm2(const std::vector<GeoPoint>& polygon);

// The points nearest their mean centre (geodesic distance), share of them
// rounded up: the 95 % rule of home ranges with share 0.95.
std::vector<GeoPoint> NearestToMean(const std::vector<GeoPoint>& points, double share);

}  // namespace zelkor
