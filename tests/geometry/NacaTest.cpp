#include <gtest/gtest.h>

#include <cmath>

#include "geometry/Naca.h"

namespace orva {
namespace {

TEST(Naca4, SymmetricSection) {
  const auto p = MakeNaca4("0012", 60);
  ASSERT_TRUE(p.has_value());
  EXPECT_EQ(p->name, "NACA 0012");
  // 60 stations per surface, the leading edge shared: 119 points, Selig order.
  ASSERT_EQ(p->count(), 119);
  ASSERT_EQ(p->leadingEdgeIndex, 59);
  EXPECT_EQ(p->points[59], (Point2D{0.0, 0.0}));
  // Closed trailing edge: both ends at (1, 0).
  EXPECT_EQ(p->points.front().x + p->points.back().x, 2.0);
  EXPECT_NEAR(std::abs(p->points.front().y) + std::abs(p->points.back().y), 0.0, 1e-15);
  for (std::size_t k = 1; k < 119; ++k) {
    // The upper surface runs towards the leading edge, the lower away from it.
    EXPECT_EQ(p->points[k].x < p->points[k - 1].x, k <= 59) << k;
    // Mirror image about the chord.
    EXPECT_EQ(p->points[k], (Point2D{p->points[118 - k].x, -p->points[118 - k].y})) << k;
  }
  EXPECT_EQ(p->maxCamber, 0.0);
  // The section is 12 % thick at x = 0.30; stations are about 0.025 apart
  // there, where the thickness is flat to within 1e-4.
  EXPECT_NEAR(p->maxThickness, 0.12, 2e-4);
  EXPECT_NEAR(p->maxThicknessX, 0.30, 0.03);
  // Half thickness at x = 0.5 from the four-digit formula by hand:
  // 5*0.12*(0.2969*0.70711 - 0.063 - 0.0879 + 0.0355375 - 0.006475) = 0.0528615.
  const auto mid = MakeNaca4("0012", 3);
  ASSERT_TRUE(mid.has_value());
  ASSERT_EQ(mid->count(), 5);
  EXPECT_NEAR(mid->points[1].x, 0.5, 1e-15);
  EXPECT_NEAR(mid->points[1].y, 0.0528615, 2e-6);
}

TEST(Naca4, CamberedSection) {
  const auto p = MakeNaca4("2412");
  ASSERT_TRUE(p.has_value());
  EXPECT_EQ(p->name, "NACA 2412");
  const int le = p->leadingEdgeIndex;
  EXPECT_EQ(p->points[static_cast<std::size_t>(le)], (Point2D{0.0, 0.0}));
  // 100 lower stations after the leading edge; upper stations that would lie
  // ahead of the leading edge are left out, so at most 100 upper points.
  EXPECT_EQ(p->count() - le, 100);
  EXPECT_LE(le + 1, 100);
  EXPECT_GE(le + 1, 95);
  for (int i = 0; i < p->count(); ++i) {
    const auto k = static_cast<std::size_t>(i);
    if (i != le) { EXPECT_GT(p->points[k].x, 0.0) << i; }
    // The upper surface lies above the lower one.
    if (i > 0 && i < le) { EXPECT_GT(p->points[k].y, p->oppositeY[k]) << i; }
  }
  // 2 % camber at 40 % chord, 12 % thick (measured vertically, so a little
  // more than the thickness laid off perpendicular to the mean line).
  EXPECT_NEAR(p->maxCamber, 0.02, 2e-4);
  EXPECT_NEAR(p->maxCamberX, 0.40, 0.03);
  EXPECT_NEAR(p->maxThickness, 0.12, 1e-3);
}

TEST(Naca4, RefusesWhatIsNotAFourDigitSection) {
  for (const char* d : {"", "241", "24120", "24a2", " 412", "2400", "0000", "2012", "9012"}) {
    EXPECT_FALSE(MakeNaca4(d).has_value()) << d;
  }
  EXPECT_FALSE(MakeNaca4("0012", 2).has_value());
  EXPECT_FALSE(MakeNaca4("0012", 65536).has_value());
  EXPECT_TRUE(MakeNaca4("0012", 3).has_value());
  EXPECT_TRUE(MakeNaca4("9999", 65535).has_value());
}

}  // namespace
}  // namespace orva
