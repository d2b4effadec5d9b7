#include <gtest/gtest.h>

#include <limits>
#include <vector>

#include "geometry/Profile.h"

namespace orva {
namespace {

// A small open-trailing-edge airfoil in Selig order, used for hand computations:
//   0 (1, 0.002)  1 (0.6, 0.0800197)  2 (0.2, 0.06)  3 LE (0, 0)
//   4 (0.3, -0.03)  5 (0.8, -0.02)  6 (1, -0.002)
PointList smallSelig() {
  return {{1.0, 0.002}, {0.6, 0.0800197}, {0.2, 0.06},  {0.0, 0.0},
          {0.3, -0.03}, {0.8, -0.02},     {1.0, -0.002}};
}

TEST(ProfileBuild, ThreeLayoutsGiveTheSameCanonicalList) {
  const PointList selig = smallSelig();

  // Two surfaces, each from the leading edge to its trailing edge.
  const PointList twoSurfaces = {{0.0, 0.0}, {0.2, 0.06},  {0.6, 0.0800197}, {1.0, 0.002},
                                 {0.0, 0.0}, {0.3, -0.03}, {0.8, -0.02},     {1.0, -0.002}};
  // The same behind a header of counts; the fractional parts are truncated away.
  PointList counted = twoSurfaces;
  counted.insert(counted.begin(), Point2D{4.9, 4.2});

  // A third block after the second surface is not part of the profile, and a
  // header may announce fewer points than follow.
  PointList extraBlock = twoSurfaces;
  extraBlock.insert(extraBlock.end(), {{0.0, 0.5}, {0.5, 0.5}});
  PointList longer = counted;
  longer.push_back({0.5, 0.5});
  for (const PointList& raw : {selig, twoSurfaces, counted, extraBlock, longer}) {
    Profile p;
    ASSERT_TRUE(p.BuildFromPoints(raw));
    EXPECT_EQ(p.points, selig);  // Selig order is kept as it is
    EXPECT_EQ(p.leadingEdgeIndex, 3);
  }
}

TEST(ProfileBuild, BadInputIsRefusedAndLeavesTheProfileUnchanged) {
  Profile p;
  p.MakeDefault();
  const Profile before = p;
  const PointList tail = {{0.0, 0.0}, {0.5, 0.05}, {1.0, 0.0}, {0.0, 0.0}, {1.0, 0.0}};
  auto withHeader = [&](double x, double y) {
    PointList raw = tail;
    raw.insert(raw.begin(), Point2D{x, y});
    return raw;
  };
  const double inf = std::numeric_limits<double>::infinity();
  const double nan = std::numeric_limits<double>::quiet_NaN();

  const std::vector<PointList> bad = {
      {},
      withHeader(2.0, 0.0),   // counts 2 and 0
      withHeader(3.0, 0.9),   // lower count truncates to 0
      withHeader(3.0, -2.0),  // negative count
      withHeader(3.0, 3.0),   // 6 points announced, 5 follow
      withHeader(6.0, 1.0),   // 7 announced
      withHeader(1e30, 2.0),  // counts beyond any integer
      withHeader(2.0, 1e300),
      withHeader(inf, 2.0),
      withHeader(2.0, inf),
      withHeader(2.0, nan),
      // Header fits, but every canonical point has x >= 100: no leading edge.
      {{2.0, 1.0}, {100.0, 0.0}, {200.0, 0.0}, {300.0, 0.0}},
      // Percent coordinates behind a fitting header or in two surfaces: the
      // canonical list would start at x = 100 and could not be read back.
      {{3.0, 3.0}, {0.0, 0.0}, {50.0, 6.0}, {100.0, 0.0}, {0.0, 0.0}, {50.0, -3.0}, {100.0, 0.0}},
      {{0.0, 0.0}, {50.0, 6.0}, {100.0, 0.0}, {0.0, 0.0}, {50.0, -3.0}, {100.0, 0.0}},
      // Non-finite coordinates.
      {{1.0, 0.0}, {0.0, nan}, {1.0, 0.0}},
      {{1.0, 0.0}, {-inf, 0.0}, {1.0, 0.0}},
  };
  for (std::size_t i = 0; i < bad.size(); ++i) {
    EXPECT_FALSE(p.BuildFromPoints(bad[i])) << "case " << i;
    EXPECT_EQ(p.points, before.points);
    EXPECT_EQ(p.leadingEdgeIndex, before.leadingEdgeIndex);
    EXPECT_EQ(p.maxThickness, before.maxThickness);
  }

  // The largest header that fits is accepted: 3 + 2 = 5 points follow.
  EXPECT_TRUE(p.BuildFromPoints(withHeader(3.0, 2.0)));
  EXPECT_EQ(p.count(), 4);
}

TEST(ProfileBuild, FirstXJustAboveOneIsATrailingEdgeWhenItCannotBeAHeader) {
  // Read as a header this would be 1 upper and 0 lower points; it is the
  // trailing edge of a section whose chord runs a little past 1.
  const PointList raw = {{1.01, 0.002}, {0.5, 0.05}, {0.0, 0.0}, {0.5, -0.04}, {1.01, -0.002}};
  Profile p;
  ASSERT_TRUE(p.BuildFromPoints(raw));
  EXPECT_EQ(p.points, raw);
  EXPECT_EQ(p.leadingEdgeIndex, 2);
  // A header that fits still wins, however close to 1 the first x is.
  Profile h;
  ASSERT_TRUE(h.BuildFromPoints({{1.5, 2.0}, {0.0, 0.0}, {0.0, 0.0}, {1.0, -0.01}}));
  EXPECT_EQ(h.count(), 2);
}

TEST(ProfileBuild, LeadingEdgeIsSmallestXThenClosestToZeroThenEarliest) {
  Profile p;
  // Two points at the smallest x: the one nearer y = 0 wins, wherever it is.
  ASSERT_TRUE(p.BuildFromPoints({{1.0, 0.0}, {0.0, 0.02}, {0.0, -0.01}, {0.0, 0.03}, {1.0, 0.0}}));
  EXPECT_EQ(p.leadingEdgeIndex, 2);
  // A full tie in |y|: the earlier point.
  ASSERT_TRUE(p.BuildFromPoints({{1.0, 0.0}, {0.1, 0.01}, {0.1, -0.01}, {1.0, 0.0}}));
  EXPECT_EQ(p.leadingEdgeIndex, 1);
  // Negative x is taken as given (no normalisation).
  ASSERT_TRUE(p.BuildFromPoints({{0.9, 0.0}, {-0.01, 0.05}, {0.0, 0.0}, {0.9, 0.0}}));
  EXPECT_EQ(p.leadingEdgeIndex, 1);
}

TEST(ProfileBuild, OppositeSurfaceAndFiguresByHand) {
  Profile p;
  ASSERT_TRUE(p.BuildFromPoints(smallSelig()));
  ASSERT_EQ(p.oppositeY.size(), 7u);
  // Upper points interpolate the lower surface between its neighbours:
  //   x 0.6 between (0.3,-0.03) and (0.8,-0.02): -0.03 + 0.01 * 0.3/0.5 = -0.024
  //   x 0.2 between (0,0) and (0.3,-0.03):        -0.03 * 0.2/0.3        = -0.02
  // Lower points interpolate the upper surface:
  //   x 0.3 between (0.2,0.06) and (0.6,0.0800197): 0.06 + 0.0200197 * 0.25 = 0.065004925
  //   x 0.8 between (0.6,0.0800197) and (1,0.002):  0.0800197 - 0.0780197 / 2 = 0.04100985
  // Trailing-edge ends and the leading edge are their own opposite.
  const std::vector<double> expected = {0.002, -0.024, -0.02, 0.0, 0.065004925, 0.04100985, -0.002};
  for (std::size_t i = 0; i < 7; ++i) EXPECT_NEAR(p.oppositeY[i], expected[i], 1e-12) << i;

  // Thickness: largest |y - opposite| is 0.0800197 + 0.024 = 0.1040197 at x 0.6,
  // truncated (not rounded) to 0.10401.
  EXPECT_NEAR(p.maxThickness, 0.10401, 1e-12);
  // Camber against the chord line from the LE (0,0) to (1,0.002), slope 0.002:
  // at x 0.6: (0.0800197 - 0.024)/2 - 0.0012 = 0.02680985, truncated to 0.02680.
  EXPECT_NEAR(p.maxCamber, 0.0268, 1e-12);
  EXPECT_EQ((std::vector<double>{p.maxThicknessX, p.maxCamberX, p.minY, p.maxY}),
            (std::vector<double>{0.6, 0.6, -0.03, 0.0800197}));
}

TEST(ProfileBuild, DegenerateListsStaySafe) {
  Profile p;
  // One point: its own opposite, no thickness.
  ASSERT_TRUE(p.BuildFromPoints({{0.5, 0.1}}));
  EXPECT_EQ(p.leadingEdgeIndex, 0);
  EXPECT_EQ(p.oppositeY, std::vector<double>{0.1});
  EXPECT_EQ(p.ExtractUpper().size() + p.ExtractLower().size(), 2u);

  // Two surfaces of which the second is missing: the leading edge is the last
  // point, the lower surface is the leading edge alone.
  ASSERT_TRUE(p.BuildFromPoints({{0.0, 0.0}, {0.5, 0.05}, {1.0, 0.0}}));
  EXPECT_EQ(p.leadingEdgeIndex, 2);
  EXPECT_EQ(p.ExtractUpper().size(), 3u);
  EXPECT_EQ(p.ExtractLower().size(), 1u);

  // An upper point behind the lower trailing edge takes the trailing-edge y
  // (there is no neighbour to interpolate with), and vice versa.
  ASSERT_TRUE(p.BuildFromPoints({{1.0, 0.02}, {0.95, 0.01}, {0.0, 0.0}, {0.9, -0.02}}));
  EXPECT_EQ(p.oppositeY[1], -0.02);
  ASSERT_TRUE(
      p.BuildFromPoints({{0.9, 0.03}, {0.5, 0.05}, {0.0, 0.0}, {0.95, -0.01}, {1.0, -0.02}}));
  EXPECT_EQ(p.oppositeY[3], 0.03);
}

TEST(ProfileShape, SetThicknessScalesTheThicknessAboutTheMeanLine) {
  // The built-in profile's points and figures are those of the
  // airfoil-default golden of the command-line tool.
  Profile p;
  p.MakeDefault();
  const Profile before = p;

  p.SetThickness(before.maxThickness);  // the current value: f is exactly 1
  EXPECT_EQ(p.points, before.points);

  p.SetThickness(0.06);
  EXPECT_EQ(p.maxThickness, 0.06);
  EXPECT_EQ(p.maxCamber, before.maxCamber);
  const double f = 0.06 / before.maxThickness;
  for (std::size_t k = 0; k < p.points.size(); ++k) {
    EXPECT_EQ(p.points[k].x, before.points[k].x);
    EXPECT_NEAR(p.points[k].y + p.oppositeY[k], before.points[k].y + before.oppositeY[k], 1e-15);
    EXPECT_NEAR(p.points[k].y - p.oppositeY[k], (before.points[k].y - before.oppositeY[k]) * f,
                1e-15);
  }
  // The reshaped points, measured afresh, have the requested thickness.
  Profile rebuilt;
  ASSERT_TRUE(rebuilt.BuildFromPoints(p.points));
  EXPECT_NEAR(rebuilt.maxThickness, 0.06, 2e-5);

  // A profile without thickness cannot be scaled: nothing changes.
  Profile flat;
  ASSERT_TRUE(flat.BuildFromPoints({{1.0, 0.0}, {0.5, 0.0}, {0.0, 0.0}, {0.5, 0.0}, {1.0, 0.0}}));
  const Profile flatBefore = flat;
  flat.SetThickness(0.1);
  EXPECT_EQ(flat.maxThickness, 0.0);
  EXPECT_EQ(flat.points, flatBefore.points);
}

TEST(ProfileShape, SetCamberScalesTheMeanLineAndKeepsTheThickness) {
  Profile p;
  p.MakeDefault();
  const Profile before = p;  // maxCamber 0.03528

  // Equal to 3 decimals (35 == 35): ignored.
  p.SetCamber(0.0359);
  EXPECT_EQ(p.points, before.points);
  EXPECT_EQ(p.maxCamber, before.maxCamber);
  Profile third = before;  // 31 != 35 in the third decimal: taken
  third.SetCamber(0.031);
  EXPECT_EQ(third.maxCamber, 0.031);

  p.SetCamber(0.02);
  EXPECT_EQ(p.maxCamber, 0.02);
  EXPECT_EQ(p.maxThickness, before.maxThickness);
  const double f = 0.02 / before.maxCamber;
  const double yLe = before.points[34].y;
  const double k = (before.points[0].y - yLe) / (before.points[0].x - before.points[34].x);
  for (std::size_t i = 0; i < before.points.size(); ++i) {
    const double x = before.points[i].x;
    const double chord = yLe + k * x;
    const double oldMean = (before.points[i].y + before.oppositeY[i]) / 2.0 - chord;
    const double newMean = (p.points[i].y + p.oppositeY[i]) / 2.0 - chord;
    EXPECT_NEAR(newMean, oldMean * f, 1e-15) << i;
    EXPECT_NEAR(p.points[i].y - p.oppositeY[i], before.points[i].y - before.oppositeY[i], 1e-15);
  }
  Profile rebuilt;
  ASSERT_TRUE(rebuilt.BuildFromPoints(p.points));
  EXPECT_NEAR(rebuilt.maxCamber, 0.02, 2e-5);
  EXPECT_NEAR(rebuilt.maxThickness, before.maxThickness, 2e-5);

  // Zero camber puts the mean line on the chord line.
  p.SetCamber(0.0);
  ASSERT_TRUE(rebuilt.BuildFromPoints(p.points));
  EXPECT_LT(rebuilt.maxCamber, 1e-5);
}

TEST(ProfileShape, SymmetricProfileCannotBeCambered) {
  Profile p;
  ASSERT_TRUE(p.BuildFromPoints(
      {{1.0, 0.0}, {0.5, 0.04}, {0.1, 0.03}, {0.0, 0.0}, {0.1, -0.03}, {0.5, -0.04}, {1.0, 0.0}}));
  EXPECT_EQ(p.maxCamber, 0.0);
  EXPECT_NEAR(p.maxThickness, 0.08, 1.1e-5);
  const Profile before = p;
  // f = 0 times a zero mean line: the shape stays, and the figure keeps telling
  // the truth instead of claiming the requested camber.
  p.SetCamber(0.03);
  EXPECT_EQ(p.points, before.points);
  EXPECT_EQ(p.oppositeY, before.oppositeY);
  EXPECT_EQ(p.maxCamber, 0.0);
}

}  // namespace
}  // namespace orva
