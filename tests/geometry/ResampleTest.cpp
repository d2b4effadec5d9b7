#include <gtest/gtest.h>

#include <cmath>

#include "geometry/Resample.h"
#include "support/PointChecks.h"

namespace orva {
namespace {

double Mm(const Point2D& a, const Point2D& b, double chord) {
  return std::hypot(b.x - a.x, b.y - a.y) * chord;
}

// True when every point of `input` occurs in `output`, unchanged and in order.
bool KeepsInputInOrder(const PointList& input, const PointList& output) {
  std::size_t k = 0;
  for (const Point2D& p : output) k += k < input.size() && p == input[k];
  return k == input.size();
}

TEST(ResampleStraight, AddsOnePointPerWholeMillimetre) {
  // 3.5 mm at chord 100: m = 3, points at 1 and 2 mm; 0.9 mm: none; a vertical
  // segment keeps its ends only; fewer than two points are kept as they are.
  test::expectPointsNear(ResampleStraight({{0, 0}, {0.035, 0}}, 100.0),
                         {{0, 0}, {0.01, 0}, {0.02, 0}, {0.035, 0}});
  EXPECT_EQ(ResampleStraight({{0, 0}, {0.009, 0}}, 100.0).size(), 2u);
  EXPECT_EQ(ResampleStraight({{0.5, 0}, {0.5, 0.1}}, 1000.0).size(), 2u);
  EXPECT_EQ(ResampleStraight({{0.3, 0.2}}, 400.0), (PointList{{0.3, 0.2}}));
  EXPECT_TRUE(ResampleStraight({}, 400.0).empty());
}

TEST(ResampleStraight, StepsOneMillimetreAlongEachSegmentInEveryDirection) {
  const double chord = 250.0;
  const PointList in{{0, 0}, {0.03, 0.04}, {0.1, 0.01}, {0.02, -0.052}, {0.2013, -0.052}};
  const PointList out = ResampleStraight(in, chord);
  EXPECT_TRUE(KeepsInputInOrder(in, out));
  std::size_t k = 1;
  for (std::size_t i = 1; i < in.size(); ++i) {
    // m = length truncated: m - 1 steps of exactly 1 mm on the segment, then
    // the remainder (1 to 2 mm) into the input point.
    const auto m = static_cast<std::size_t>(Mm(in[i - 1], in[i], chord));
    ASSERT_LT(k + m - 1, out.size());
    for (std::size_t s = 1; s < m; ++s, ++k) {
      EXPECT_NEAR(Mm(in[i - 1], out[k], chord), static_cast<double>(s), 1e-9);
      EXPECT_NEAR(Mm(in[i - 1], out[k], chord) + Mm(out[k], in[i], chord),
                  Mm(in[i - 1], in[i], chord), 1e-9);
    }
    EXPECT_EQ(out[k++], in[i]);
  }
  EXPECT_EQ(k, out.size());
}

TEST(ResampleSpline, PlacesPointsOnTheNaturalCubicThroughThePoints) {
  // Natural cubic through (0,0), (1,1), (2,0): x(t) = t, and y(t) = 1.5 t - 0.5 t^3
  // on [0, 1], so y(0.5) = 0.6875, symmetric on [1, 2]. Each segment is sqrt(2)
  // long; a chord of 1.4 / sqrt(2) makes it 1.4 mm, m = 2: one point at the
  // middle parameter.
  test::expectPointsNear(ResampleSpline({{0, 0}, {1, 1}, {2, 0}}, 1.4 / std::sqrt(2.0)),
                         {{0, 0}, {0.5, 0.6875}, {1, 1}, {1.5, 0.6875}, {2, 0}});
  EXPECT_EQ(ResampleSpline({{0, 0}, {1, 0}}, 1000.0).size(), 2u);

  // x values 0, 0, 1: on the first segment x(t) = (t^3 - t) / 4 < 0, so its
  // 9 points (m = 10 at chord 7) are dropped; on the second x > 0 and all 9
  // stay. The input point (0, 1) stays although it is not ahead of the first.
  const PointList in{{0, 0}, {0, 1}, {1, 1}};
  const PointList r = ResampleSpline(in, 7.0);
  EXPECT_TRUE(KeepsInputInOrder(in, r));
  ASSERT_EQ(r.size(), 12u);
  for (std::size_t i = 2; i < r.size(); ++i) EXPECT_GT(r[i].x, 0.0);

  // Through collinear, unevenly spaced points the curve stays on their line.
  const PointList line{{0, 0}, {0.1, 0.05}, {0.15, 0.075}, {0.5, 0.25}, {1, 0.5}};
  const PointList l = ResampleSpline(line, 300.0);
  EXPECT_TRUE(KeepsInputInOrder(line, l));
  EXPECT_GT(l.size(), 400u);  // about 335 mm / 0.7 mm
  for (const Point2D& p : l) EXPECT_NEAR(p.y, 0.5 * p.x, 1e-12);
}

TEST(Resample, BoundsThePointsAHostileOutlineCanAskFor) {
  const PointList wild{{0, 0}, {1e9, 0}, {2e9, 1}};  // 1e13 mm at 10 m chord
  for (const PointList& r : {ResampleSpline(wild, 10000.0), ResampleStraight(wild, 10000.0)}) {
    EXPECT_LE(r.size(), 1'000'000u);
    EXPECT_GT(r.size(), 1000u);
    EXPECT_TRUE(KeepsInputInOrder(wild, r));
  }
  EXPECT_EQ(ResampleStraight(wild, 0.0).size(), 3u);
  EXPECT_EQ(ResampleSpline(wild, -5.0).size(), 3u);
}

TEST(MatchOutline, CarriesRootPositionsOntoTheTipRange) {
  // Tip: 40 points on y = 2x + 1 over [0, 0.5]; root: 120 points over [0, 1].
  PointList tip;
  for (int i = 0; i < 40; ++i) tip.push_back({0.5 * i / 39.0, 2 * (0.5 * i / 39.0) + 1});
  PointList root;
  for (int j = 0; j < 120; ++j) root.push_back({j / 119.0, 0.3});
  const PointList m = MatchOutline(tip, root);
  ASSERT_EQ(m.size(), 120u);
  for (int j = 0; j < 120; ++j) {
    EXPECT_NEAR(m[j].x, 0.5 * root[j].x, 1e-15);
    EXPECT_NEAR(m[j].y, 2 * m[j].x + 1, 1e-12);
  }
  EXPECT_EQ(m.front(), tip.front());
  EXPECT_EQ(m.back(), tip.back());

  // Matched to itself (x from 0 to 1) an outline comes back unchanged; a tip
  // keeps its own extreme x values.
  const PointList curve{{0, 0}, {0.1, 0.05}, {0.4, 0.08}, {0.7, 0.04}, {1, 0}};
  EXPECT_EQ(MatchOutline(curve, curve), curve);
  const PointList s = MatchOutline({{0.02, 0.01}, {0.5, 0.06}, {0.97, 0.002}}, curve);
  EXPECT_DOUBLE_EQ(s.front().x, 0.02);
  EXPECT_DOUBLE_EQ(s.back().x, 0.97);

  // Root x going 0, 0.8, 0.2, 1: at 0.2 the walk already stands between (0.5, 1)
  // and (1, 0) and never steps back, so y = 1 + (0.2 - 0.5) * (-1 / 0.5) = 1.6.
  const PointList peak{{0, 0}, {0.5, 1}, {1, 0}};
  test::expectPointsNear(MatchOutline(peak, {{0, 9}, {0.8, 9}, {0.2, 9}, {1, 9}}),
                         {{0, 0}, {0.8, 0.4}, {0.2, 1.6}, {1, 0}});
}

TEST(MatchOutline, HandlesDegenerateOutlines) {
  const PointList tip{{0, 0}, {0.5, 1}, {1, 0}};
  EXPECT_TRUE(MatchOutline(tip, {}).empty());
  EXPECT_TRUE(MatchOutline({}, tip).empty());
  EXPECT_EQ(MatchOutline({{0.2, 0.3}}, tip), (PointList(3, Point2D{0.2, 0.3})));
  // Root ends sharing one x: positions by index (0, 0.5, 1 of the tip range);
  // a single root point takes the tip's first point.
  EXPECT_EQ(MatchOutline(tip, {{0.4, 0}, {0.6, 1}, {0.4, 2}}), tip);
  EXPECT_EQ(MatchOutline(tip, {{0.4, 0}}), (PointList{tip[0]}));

  Section root;
  root.params.chord = 100.0;
  root.cutUpper = {{0, 0}, {0.035, 0}};
  root.cutLower = {{0, 0}, {0.0525, 0}};
  Resample(root, false);
  Section t;
  t.cutUpper = {{0, 0}, {1, 1}};
  t.cutLower = {{0, 0}, {1, -1}};
  MatchToRoot(t, root);
  EXPECT_EQ(t.cutUpper.size(), 4u);
  EXPECT_EQ(t.cutLower.size(), 6u);
}

}  // namespace
}  // namespace orva
