#include <gtest/gtest.h>

#include <cmath>

#include "geometry/Section.h"
#include "support/PointChecks.h"

namespace orva {
namespace {

constexpr double kTiny = 1e-9;  // a skin that triggers the crossing clean-up but barely moves

// Signed distance of p from the line a->b: negative on the right of travel.
double SignedDistance(const Point2D& a, const Point2D& b, const Point2D& p) {
  return ((b.x - a.x) * (p.y - a.y) - (b.y - a.y) * (p.x - a.x)) / std::hypot(b.x - a.x, b.y - a.y);
}

TEST(SectionSkin, OffsetsStraightAndCorneredOutlinesInwards) {
  Section s;
  // Two points: both ends move by the segment's normal; upper down, lower up.
  s.cutUpper = {{0, 0.1}, {1, 0.1}};
  s.cutLower = {{0, -0.1}, {1, -0.1}};
  s.ApplySkin(0.01);
  test::expectPointsNear(s.cutUpper, {{0, 0.09}, {1, 0.09}});
  test::expectPointsNear(s.cutLower, {{0, -0.09}, {1, -0.09}});
  s.cutLower = {};
  s.ApplySkin(-0.01);  // a negative skin moves outwards
  test::expectPointsNear(s.cutUpper, {{0, 0.1}, {1, 0.1}});

  // A right-angled peak: the corner drops by d * sqrt(2), the ends move along their normals.
  const double d = 0.1;
  const double r = d / std::sqrt(2.0);
  s.cutUpper = {{0, 0}, {1, 1}, {2, 0}};
  s.ApplySkin(d);
  test::expectPointsNear(s.cutUpper, {{r, -r}, {1, 1 - d * std::sqrt(2.0)}, {2 - r, -r}});
  // A vertical first segment: the corner lands on the vertical offset line x = d.
  s.cutUpper = {{0, 0}, {0, 1}, {1, 1}};
  s.ApplySkin(d);
  test::expectPointsNear(s.cutUpper, {{d, 0}, {d, 1 - d}, {1, 1 - d}});
  // Collinear points (parallel offset lines): the inner point moves along the normal.
  s.cutUpper = {{0, 0}, {0.5, 0}, {1, 0}};
  s.ApplySkin(d);
  test::expectPointsNear(s.cutUpper, {{0, -d}, {0.5, -d}, {1, -d}});
}

TEST(SectionSkin, KeepsTheSkinDistanceFromEverySegmentOfARealProfile) {
  Section s;
  s.profile.MakeDefault();
  s.params.chord = 400.0;
  s.ExtractSurfaces(true);
  const double d = 1.0 / 400.0;
  for (const bool upperSide : {true, false}) {
    // One outline alone: no crossing to trim.
    const PointList original = upperSide ? s.upper : s.lower;
    s.cutUpper = upperSide ? original : PointList{};
    s.cutLower = upperSide ? PointList{} : original;
    s.ApplySkin(d);
    const PointList& shifted = upperSide ? s.cutUpper : s.cutLower;
    ASSERT_EQ(shifted.size(), original.size());
    const double inside = upperSide ? -d : d;
    for (std::size_t k = 0; k + 1 < original.size(); ++k) {
      EXPECT_NEAR(SignedDistance(original[k], original[k + 1], shifted[k]), inside, 1e-9) << k;
      EXPECT_NEAR(SignedDistance(original[k], original[k + 1], shifted[k + 1]), inside, 1e-9) << k;
    }
  }
}

TEST(SectionSkin, CrossingsTrimBothOutlinesAndDropNeighboursWithinAFifthOfAMillimetre) {
  Section s;
  // Leading edge: the first segments cross at (0.05, 0), 0.1118 chords before
  // the next points: 111.8 mm at chord 1000 (kept), 0.11 mm at chord 1 (dropped).
  // Trailing edge: the last segments cross at (0.95, 0), as far after the points before.
  for (const double chord : {1000.0, 1.0}) {
    const bool keep = chord == 1000.0;
    s.params.chord = chord;
    s.cutUpper = {{0, -0.1}, {0.1, 0.1}, {0.5, 0.1}, {1, 0.1}};
    s.cutLower = {{0, 0.1}, {0.1, -0.1}, {0.5, -0.1}, {1, -0.1}};
    s.ApplySkin(kTiny);
    test::expectPointsNear(s.cutUpper,
                           keep ? PointList{{0.05, 0}, {0.1, 0.1}, {0.5, 0.1}, {1, 0.1}}
                                : PointList{{0.05, 0}, {0.5, 0.1}, {1, 0.1}},
                           1e-8);
    EXPECT_EQ(s.cutLower.size(), s.cutUpper.size());
    EXPECT_EQ(s.cutLower.front(), s.cutUpper.front());

    s.cutUpper = {{0, 0.1}, {0.5, 0.1}, {0.9, 0.1}, {1, -0.1}};
    s.cutLower = {{0, -0.1}, {0.5, -0.1}, {0.9, -0.1}, {1, 0.1}};
    s.ApplySkin(kTiny);
    test::expectPointsNear(s.cutUpper,
                           keep ? PointList{{0, 0.1}, {0.5, 0.1}, {0.9, 0.1}, {0.95, 0}}
                                : PointList{{0, 0.1}, {0.5, 0.1}, {0.95, 0}},
                           1e-8);
    EXPECT_EQ(s.cutLower.back(), s.cutUpper.back());
  }
}

TEST(SectionSkin, AVerticalSegmentCrossesOnlyWhereItMeetsTheOther) {
  Section s;
  s.params.chord = 1000.0;
  const PointList upper{{0, 0.1}, {0.5, 0.1}, {1, 0.1}, {1.5, 0.1}};
  // A vertical first lower segment well below the upper outline: no crossing.
  s.cutUpper = upper;
  s.cutLower = {{0.3, -0.1}, {0.3, -0.2}, {0.6, -0.2}, {1, -0.2}};
  s.ApplySkin(kTiny);
  test::expectPointsNear(s.cutUpper, upper, 1e-8);
  EXPECT_EQ(s.cutLower.size(), 4u);
  // Reaching up through the upper outline it crosses it at (0.3, 0.1).
  s.cutUpper = upper;
  s.cutLower = {{0.3, -0.1}, {0.3, 0.2}, {0.6, 0.2}, {1, 0.2}};
  s.ApplySkin(kTiny);
  test::expectPointsNear({s.cutUpper.front(), s.cutLower.front()}, {{0.3, 0.1}, {0.3, 0.1}}, 1e-8);
}

TEST(SectionSkin, SurvivesDegenerateOutlines) {
  Section s;
  const PointList shapes[] = {{},
                              {{0.5, 0}},
                              {{0, 0}, {0, 0}},
                              {{0.2, 0.1}, {0.2, 0.1}, {0.2, 0.1}},
                              {{0, 0}, {1, 0}, {0, 0}, {1, 0}, {0, 0}}};
  for (const PointList& u : shapes) {
    for (const PointList& l : shapes) {
      s.cutUpper = u;
      s.cutLower = l;
      s.ApplySkin(0.3);
      EXPECT_LE(s.cutUpper.size(), u.size());
      EXPECT_LE(s.cutLower.size(), l.size());
    }
  }
}

// Washout: tested with the section builder, which turns all four lists.

TEST(SectionSurfaces, ClosedOutlineOfANonWingPanelHoldsRepeatedPointsOnce) {
  Section s;
  // A repeated point on the upper surface and a closed trailing edge.
  ASSERT_TRUE(
      s.profile.BuildFromPoints({{1, 0}, {0.5, 0.05}, {0.5, 0.05}, {0, 0}, {0.5, -0.05}, {1, 0}}));
  s.ExtractSurfaces(true);
  EXPECT_EQ(s.cutUpper, (PointList{{0, 0}, {0.5, 0.05}, {0.5, 0.05}, {1, 0}}));
  EXPECT_EQ(s.cutLower, (PointList{{0, 0}, {0.5, -0.05}, {1, 0}}));
  // From the lower trailing edge round the leading edge to the upper one; the
  // loop closes at the shared trailing edge.
  s.ExtractSurfaces(false);
  const PointList closed{{1, 0}, {0.5, -0.05}, {0, 0}, {0.5, 0.05}, {1, 0}};
  EXPECT_EQ(s.upper, closed);
  EXPECT_EQ(s.cutUpper, closed);
  EXPECT_TRUE(s.lower.empty() && s.cutLower.empty());
}

TEST(SectionCopy, CopiesEverythingButTheReservedField) {
  Section a;
  a.params = {1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12};
  a.profile.MakeDefault();
  a.ExtractSurfaces(true);
  a.cutUpper = {{0.1, 0.2}};
  Section b;
  b.params.reserved = 99.0;
  b.CopyFrom(a);
  const SectionParams& p = b.params;
  EXPECT_EQ(
      (std::vector<double>{p.xleH1, p.xleH2, p.xleLength, p.xleBeta, p.xleAlpha, p.reserved,
                           p.washout, p.leMargin, p.teMargin, p.basicHeight, p.chord, p.skin}),
      (std::vector<double>{1, 2, 3, 4, 5, 99, 7, 8, 9, 10, 11, 12}));
  EXPECT_EQ(b.profile.name, a.profile.name);
  EXPECT_EQ((std::vector{b.profile.points, b.upper, b.lower, b.cutUpper, b.cutLower}),
            (std::vector{a.profile.points, a.upper, a.lower, a.cutUpper, a.cutLower}));
}

TEST(SectionQueries, ExtremesAndHeightsAlongTheOutline) {
  Section s;
  s.params.chord = 200.0;
  s.upper = {{0, -0.2}, {1, -0.1}};
  s.lower = {{0, 20000}};
  EXPECT_EQ(s.MaxUpperY(), 0.0);
  EXPECT_EQ(s.MinLowerY(), 10000.0);
  s.upper = {{0, 0.02}, {0.3, 0.09}, {1, 0}};
  s.lower = {{0, 0.02}, {0.3, -0.04}, {1, 0}};
  EXPECT_EQ(s.MaxUpperY(), 0.09);
  EXPECT_EQ(s.MinLowerY(), -0.04);

  EXPECT_EQ(s.OutlineHeightAt(true, 50.0), 0.0);  // empty outline
  s.cutUpper = {{0, 0.01}, {0.5, 0.1}, {1, 0.02}};
  EXPECT_DOUBLE_EQ(s.OutlineHeightAt(true, -5.0), 2.0);
  EXPECT_DOUBLE_EQ(s.OutlineHeightAt(true, 50.0), 20.0);  // first point at or beyond X
  EXPECT_DOUBLE_EQ(s.OutlineHeightAt(true, 100.0), 20.0);
  EXPECT_DOUBLE_EQ(s.OutlineHeightAt(true, 300.0), 4.0);  // beyond the end: last point
}

}  // namespace
}  // namespace orva
