#include <gtest/gtest.h>

#include <tuple>

#include "geometry/Profile.h"
#include "model/Panel.h"

namespace orva {
namespace {

// The trailing-edge point (1, 0) of the built-in airfoil turned by 5 degrees
// of washout: (cos 5°, -sin 5°).
constexpr double kCos5 = 0.99619469809;
constexpr double kMinusSin5 = -0.08715574275;

void expectSameOutlines(const Section& a, const Section& b) {
  EXPECT_EQ(std::tie(a.upper, a.lower, a.cutUpper, a.cutLower),
            std::tie(b.upper, b.lower, b.cutUpper, b.cutLower));
}

TEST(PanelTest, DefaultPanelTakesHalfTheTableWithIntegerArithmetic) {
  struct Case {
    int entraxe;
    double span;
    int offset;
  };
  // 1501 - 750 = 751, halved with integer division: 375.
  for (const Case c : {Case{1500, 750.0, 375}, Case{1501, 750.0, 375}, Case{1499, 749.0, 375},
                       Case{1000, 500.0, 250}, Case{51, 25.0, 13}}) {
    SCOPED_TRACE(c.entraxe);
    const Panel p = Panel::makeDefault(c.entraxe, true);
    EXPECT_EQ(std::tuple(p.span, p.rootAxisOffset), std::tuple(c.span, c.offset));
  }
}

TEST(PanelTest, DefaultPanelIsBuiltFromTheBuiltInAirfoil) {
  const Panel p = Panel::makeDefault(1500, true);
  EXPECT_EQ(std::tuple(p.teMode, p.leMode, p.differentRootTip, p.wingPanel),
            std::tuple(TeMeanChord, LeNone, false, true));
  EXPECT_EQ(std::tuple(p.root.profile.name, p.root.profile.count()), std::tuple("NoName", 69));
  EXPECT_EQ(p.tip.profile.points, p.root.profile.points);
  // Surfaces run from the shared leading edge (0, 0.00047) to the trailing edge (1, 0).
  ASSERT_EQ(p.root.upper.size(), 35u);
  ASSERT_EQ(p.root.lower.size(), 35u);
  EXPECT_EQ(p.root.upper.front(), (Point2D{0.0, 0.00047}));
  EXPECT_EQ(p.root.upper.back(), (Point2D{1.0, 0.0}));
  // Resampled at about 0.7 mm on a 150 mm chord: far more points than the file has.
  EXPECT_GT(p.root.cutUpper.size(), 150u);
  EXPECT_GT(p.root.cutLower.size(), 150u);
  expectSameOutlines(p.tip, p.root);
}

TEST(PanelTest, PanelThatIsNotAWingLosesItsEdgeTreatments) {
  Panel p = Panel::makeDefault(1500, true);
  p.wingPanel = false;
  p.leMode = LeXCut;
  p.teMode = TeUpperSurface;
  p.Rebuild(true, /*afterDialog=*/false);  // as after loading: only teMode
  EXPECT_EQ(std::tuple(p.leMode, p.teMode), std::tuple(LeXCut, TeHorizontal));
  p.Rebuild(true, /*afterDialog=*/true);
  EXPECT_EQ(p.leMode, LeNone);

  // One closed outline (lower TE, around the LE, upper TE) holding the shared
  // leading edge once; no lower outline.
  EXPECT_EQ(p.root.cutUpper.size(), 69u);
  EXPECT_TRUE(p.root.cutLower.empty());

  // A wing panel keeps its treatments whatever the rebuild.
  Panel wing = Panel::makeDefault(1500, true);
  wing.leMode = LeHorizontal;
  wing.teMode = TeUpperAndLower;
  wing.Rebuild(true, true);
  EXPECT_EQ(std::tuple(wing.leMode, wing.teMode), std::tuple(LeHorizontal, TeUpperAndLower));
}

TEST(PanelTest, TipFollowsTheRootUnlessTheyDiffer) {
  for (const bool wing : {true, false}) {
    SCOPED_TRACE(wing);
    Panel p = Panel::makeDefault(1500, true);
    p.wingPanel = wing;
    p.tip.params.chord = 90.0;
    p.tip.params.washout = 3.0;
    p.tip.profile.SetThickness(0.06);
    p.Rebuild(true, true);
    EXPECT_EQ(std::tuple(p.tip.params.chord, p.tip.params.washout), std::tuple(150.0, 0.0));
    EXPECT_EQ(p.tip.profile.points, p.root.profile.points);
    expectSameOutlines(p.tip, p.root);
  }

  Panel p = Panel::makeDefault(1500, true);
  p.differentRootTip = true;
  p.tip.params.chord = 90.0;
  p.Rebuild(true, true);
  EXPECT_EQ(p.tip.params.chord, 90.0);
  // Matched to the root point for point.
  EXPECT_EQ(std::pair(p.tip.cutUpper.size(), p.tip.cutLower.size()),
            std::pair(p.root.cutUpper.size(), p.root.cutLower.size()));
}

TEST(PanelTest, WashoutTurnsTheOutlinesOncePerRebuild) {
  Panel p = Panel::makeDefault(1500, true);
  p.root.params.washout = 5.0;
  p.Rebuild(true, true);
  const Panel fresh = p;

  // Rebuilding again, or after a new root profile, starts from the profile:
  // the rotation is not stacked on the previous one.
  p.Rebuild(true, true);
  p.RebuildAfterNewProfile(true, /*tipChanged=*/false);
  for (const Section* s : {&p.root, &p.tip}) {
    EXPECT_NEAR(s->upper.back().x, kCos5, 1e-9);
    EXPECT_NEAR(s->upper.back().y, kMinusSin5, 1e-9);
  }
  expectSameOutlines(p.root, fresh.root);
  expectSameOutlines(p.tip, fresh.tip);
}

TEST(PanelTest, NewTipProfileIsKeptUntilTheNextFullRebuild) {
  Panel p = Panel::makeDefault(1500, false);
  ASSERT_FALSE(p.differentRootTip);
  p.leMode = LeXCut;
  p.tip.params.washout = 5.0;  // the tip's own washout
  p.tip.profile.SetThickness(0.06);
  const PointList newTip = p.tip.profile.points;

  p.RebuildAfterNewProfile(false, /*tipChanged=*/true);
  EXPECT_EQ(p.leMode, LeXCut);
  EXPECT_EQ(p.tip.profile.points, newTip);
  EXPECT_NE(p.tip.cutUpper, p.root.cutUpper);
  // Processed like a different tip: matched to the root.
  EXPECT_EQ(p.tip.cutUpper.size(), p.root.cutUpper.size());
  EXPECT_EQ(p.tip.cutLower.size(), p.root.cutLower.size());
  // Its own washout, once; the root's (0) leaves the root's trailing edge alone.
  EXPECT_NEAR(p.tip.upper.back().x, kCos5, 1e-9);
  EXPECT_NEAR(p.tip.upper.back().y, kMinusSin5, 1e-9);
  EXPECT_EQ(p.root.upper.back(), (Point2D{1.0, 0.0}));

  // A new root profile on a panel whose tip follows the root: the tip becomes its copy.
  Panel q = p;
  q.root.profile.SetThickness(0.08);
  q.RebuildAfterNewProfile(false, /*tipChanged=*/false);
  EXPECT_EQ(q.tip.profile.points, q.root.profile.points);
  expectSameOutlines(q.tip, q.root);

  p.Rebuild(false, true);
  EXPECT_EQ(p.tip.profile.points, p.root.profile.points);
  expectSameOutlines(p.tip, p.root);
}

}  // namespace
}  // namespace orva
