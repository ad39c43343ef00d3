#include "analysis/convex_hull.h"

#include <algorithm>
#include <cmath>

namespace zelkor {

namespace {
double Cross(const PlanePoint& o, const PlanePoint& a, const PlanePoint& b) {
  return (a.x - o.x) * (b.y - o.y) - (a.y - o.y) * (b.x - o.x);
}
}  // namespace

std::vector<PlanePoint> ConvexHull(std::vector<PlanePoint> p) {
  // Andrew's monotone chain.
  std::sort(p.begin(), p.end(), [](const PlanePoint& a, const PlanePoint& b) {
    return a.x < b.x || (a.x == b.x && a.y < b.y);
  });
  p.erase(std::unique(p.begin(), p.end(),
                      [](const PlanePoint& a, const PlanePoint& b) { return a.x == b.x && a.y == b.y; }),
          p.end());
  if (p.size() < 3) return p;
  std::vector<PlanePoint> hull(2 * p.size());
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

double PolygonArea(const std::vector<PlanePoint>& poly) {
  if (poly.size() < 3) return 0;
  double twice = 0;
  for (size_t i = 0, j = poly.size() - 1; i < poly.size(); j = i++)
    twice += (poly[j].x + poly[i].x) * (poly[j].y - poly[i].y);
  return std::fabs(twice) / 2;
}

}  // namespace zelkor
