// Feeds arbitrary bytes to the coordinate-file reader; on success checks the
// profile's invariants and exercises the shape operations on it.

#include <cmath>
#include <cstddef>
#include <cstdint>
#include <string_view>

#include "common/CodePage.h"
#include "geometry/CoordinateFile.h"

namespace {

void check(bool condition) {
  if (!condition) __builtin_trap();
}

bool allFinite(const orva::Profile& p) {
  for (const orva::Point2D& q : p.points) {
    if (!std::isfinite(q.x) || !std::isfinite(q.y)) return false;
  }
  for (double y : p.oppositeY) {
    if (!std::isfinite(y)) return false;
  }
  return true;
}

void checkShape(const orva::Profile& p, const orva::PointList& xs) {
  check(p.points.size() == xs.size());
  check(p.oppositeY.size() == p.points.size());
  for (std::size_t i = 0; i < xs.size(); ++i) check(p.points[i].x == xs[i].x);
  check(allFinite(p));
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string_view bytes(reinterpret_cast<const char*>(data), size);
  orva::Profile p;
  const orva::CoordinateFileStatus status = orva::ParseCoordinateText(bytes, "fuzz", p);
  if (status != orva::CoordinateFileStatus::Ok) {
    // A refused text leaves the profile untouched.
    check(status == orva::CoordinateFileStatus::Invalid);
    check(p.points.empty() && p.name.empty());
    return 0;
  }

  const int n = p.count();
  check(n >= 1);
  check(p.leadingEdgeIndex >= 0 && p.leadingEdgeIndex < n);
  check(p.oppositeY.size() == p.points.size());
  check(!p.name.empty() && orva::isValidUtf8(p.name));
  check(allFinite(p));
  check(p.maxThickness >= 0.0 && p.maxCamber >= 0.0 && p.minY <= p.maxY);
  // The two trailing-edge ends are their own opposite.
  check(p.oppositeY.front() == p.points.front().y);
  check(p.oppositeY.back() == p.points.back().y);

  const orva::PointList upper = p.ExtractUpper();
  const orva::PointList lower = p.ExtractLower();
  const auto le = static_cast<std::size_t>(p.leadingEdgeIndex);
  check(upper.size() == le + 1 && upper.size() <= 65535);
  check(lower.size() == p.points.size() - le && lower.size() <= 65535);
  check(upper.front() == p.points[le] && lower.front() == p.points[le]);
  check(upper.back() == p.points.front() && lower.back() == p.points.back());
  // No point lies ahead of the leading edge.
  for (const orva::Point2D& q : p.points) check(q.x >= p.points[le].x);

  const orva::PointList before = p.points;
  p.SetThickness(0.1);
  checkShape(p, before);
  p.SetCamber(0.02);
  checkShape(p, before);
  p.SetThickness(0.0);
  checkShape(p, before);
  p.SetCamber(0.0);
  checkShape(p, before);
  return 0;
}
