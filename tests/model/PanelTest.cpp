#include <gtest/gtest.h>

#include <tuple>

#include "geometry/Profile.h"
#include "model/Panel.h"

namespace orva {
namespace {

// How the sections are built (a tip matched to the root or copied from it,
// skin, resampling, washout) is the section builder's, tested beside it; the
// default panel's outlines are in the panel dumps of the project goldens. Here:
// what the panel itself decides.

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

TEST(PanelTest, PanelThatIsNotAWingLosesItsEdgeTreatments) {
  Panel p = Panel::makeDefault(1500, true);
  p.wingPanel = false;
  p.leMode = LeXCut;
  p.teMode = TeUpperSurface;
  p.Rebuild(true, /*afterDialog=*/false);  // as after loading: only teMode
  EXPECT_EQ(std::tuple(p.leMode, p.teMode), std::tuple(LeXCut, TeHorizontal));
  p.Rebuild(true, /*afterDialog=*/true);
  EXPECT_EQ(p.leMode, LeNone);
}

// The trailing-edge point (1, 0) of the built-in airfoil turned by 5 degrees
// of washout is (cos 5°, -sin 5°), after any number of rebuilds.
TEST(PanelTest, NewTipProfileKeepsTheEdgeTreatmentsAndWashoutTurnsOnce) {
  Panel p = Panel::makeDefault(1500, false);
  p.leMode = LeXCut;
  p.tip.params.washout = 5.0;  // the tip's own washout
  p.tip.profile.SetThickness(0.06);
  const PointList newTip = p.tip.profile.points;

  p.RebuildAfterNewProfile(false, /*tipChanged=*/true);
  p.RebuildAfterNewProfile(false, /*tipChanged=*/true);
  EXPECT_EQ(std::tuple(p.leMode, p.tip.profile.points), std::tuple(LeXCut, newTip));
  EXPECT_NEAR(p.tip.upper.back().x, 0.99619469809, 1e-9);
  EXPECT_NEAR(p.tip.upper.back().y, -0.08715574275, 1e-9);
  EXPECT_EQ(p.root.upper.back(), (Point2D{1.0, 0.0}));

  // The next full rebuild makes the tip, which follows the root, its copy.
  p.Rebuild(false, true);
  EXPECT_EQ(std::tie(p.tip.profile.points, p.tip.cutUpper, p.tip.cutLower),
            std::tie(p.root.profile.points, p.root.cutUpper, p.root.cutLower));
}

}  // namespace
}  // namespace orva
