#pragma once

#include <gtest/gtest.h>

#include "geometry/Point2D.h"

namespace orva::test {

// Same number of points, each within `tol` in x and y.
inline void expectPointsNear(const PointList& got, const PointList& want, double tol = 1e-12) {
  ASSERT_EQ(got.size(), want.size());
  for (std::size_t i = 0; i < got.size(); ++i) {
    EXPECT_NEAR(got[i].x, want[i].x, tol) << i;
    EXPECT_NEAR(got[i].y, want[i].y, tol) << i;
  }
}

}  // namespace orva::test
