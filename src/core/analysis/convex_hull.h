// The minimum convex polygon of points in a plane, and its area.
#pragma once

#include <vector>

namespace zelkor {

struct PlanePoint {
  double x = 0;
  double y = 0;
};

// The hull's corners counter-clockwise, without repeats; fewer than three
// points for a degenerate set.
std::vector<PlanePoint> ConvexHull(std::vector<PlanePoint> points);
// The area of a simple polygon (shoelace), always positive.
double PolygonArea(const std::vector<PlanePoint>& polygon);

}  // namespace zelkor
