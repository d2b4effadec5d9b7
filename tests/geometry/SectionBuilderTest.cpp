#include <gtest/gtest.h>

#include <cmath>

#include "geometry/SectionBuilder.h"
#include "support/PointChecks.h"

namespace orva {
namespace {

// Root: the default profile at 400 mm. Tip: a symmetric 10 % section of 61
// points at 250 mm. Both with a 1 mm skin.
void MakePanel(Section& root, Section& tip, double rootWashout, double tipWashout) {
  root.profile.MakeDefault();
  root.params.chord = 400.0;
  root.params.skin = 1.0;
  root.params.washout = rootWashout;
  PointList raw;
  for (int i = -30; i <= 30; ++i) {
    const double x = 0.5 * (1 - std::cos(3.14159265358979 * std::abs(i) / 30));
    const double h = 0.5 * (0.2969 * std::sqrt(x) - 0.126 * x - 0.3516 * x * x +
                            0.2843 * x * x * x - 0.1036 * x * x * x * x);
    raw.push_back({x, i < 0 ? h : -h});
  }
  ASSERT_TRUE(tip.profile.BuildFromPoints(raw));
  tip.params.chord = 250.0;
  tip.params.skin = 1.0;
  tip.params.washout = tipWashout;
  tip.params.reserved = 42.0;
}

// One rotation by `degrees` (positive turns the trailing edge down) by the
// rotation matrix, not through polar coordinates.
PointList Rotated(const PointList& l, double degrees) {
  const double a = -degrees * 3.1415926535 / 180.0;
  PointList out;
  for (const Point2D& p : l) {
    out.push_back({p.x * std::cos(a) - p.y * std::sin(a), p.x * std::sin(a) + p.y * std::cos(a)});
  }
  return out;
}

TEST(RebuildSections, BuildsAnOwnTipPointForPointWithTheRoot) {
  // A different tip, and a tip that has just received its own profile.
  for (const bool splines : {true, false}) {
    for (const bool different : {true, false}) {
      Section root;
      Section tip;
      MakePanel(root, tip, 0.0, 0.0);
      RebuildSections(root, tip,
                      {.wingPanel = true,
                       .differentRootTip = different,
                       .splines = splines,
                       .tipFromOwnProfile = !different});
      // About one point per mm (0.7 mm) along the root's ~400 mm surfaces.
      EXPECT_GT(root.cutUpper.size(), splines ? 500u : 350u);
      EXPECT_EQ(tip.cutUpper.size(), root.cutUpper.size());
      EXPECT_EQ(tip.cutLower.size(), root.cutLower.size());
      EXPECT_EQ(tip.profile.count(), 61);
      EXPECT_EQ(tip.params.chord, 250.0);
      EXPECT_EQ(tip.upper, tip.profile.ExtractUpper());
      // The shrunken symmetric tip is trimmed at crossings on its chord line,
      // which both outlines share.
      EXPECT_EQ(tip.cutUpper.front(), tip.cutLower.front());
      for (const Point2D& end : {tip.cutUpper.front(), tip.cutUpper.back(), tip.cutLower.back()}) {
        EXPECT_NEAR(end.y, 0.0, 1e-12);
      }
      EXPECT_EQ(root.cutUpper.front(), root.cutLower.front());
    }
  }
}

TEST(RebuildSections, CopiesTheRootIntoATipThatIsTheSame) {
  Section root;
  Section tip;
  MakePanel(root, tip, 3.0, -7.0);
  RebuildSections(root, tip, {.wingPanel = true, .differentRootTip = false});
  EXPECT_EQ((std::vector{tip.params.chord, tip.params.washout, tip.params.reserved}),
            (std::vector{400.0, 3.0, 42.0}));
  EXPECT_EQ(
      (std::vector{tip.profile.points, tip.upper, tip.lower, tip.cutUpper, tip.cutLower}),
      (std::vector{root.profile.points, root.upper, root.lower, root.cutUpper, root.cutLower}));
}

TEST(RebuildSections, TurnsEachSectionByItsWashoutExactlyOnce) {
  const SectionBuildOptions cases[] = {
      {.wingPanel = true, .differentRootTip = false},
      {.wingPanel = true, .differentRootTip = true},
      {.wingPanel = true, .differentRootTip = false, .tipFromOwnProfile = true},
      {.wingPanel = false, .differentRootTip = false},
  };
  for (const SectionBuildOptions& options : cases) {
    Section flatRoot, flatTip, root, tip;
    MakePanel(flatRoot, flatTip, 0.0, 0.0);
    RebuildSections(flatRoot, flatTip, options);
    MakePanel(root, tip, 3.0, -2.0);
    RebuildSections(root, tip, options);
    // A copied tip carries the root's washout.
    const double tipDegrees = options.differentRootTip || options.tipFromOwnProfile ? -2.0 : 3.0;
    test::expectPointsNear(root.cutUpper, Rotated(flatRoot.cutUpper, 3.0));
    test::expectPointsNear(root.lower, Rotated(flatRoot.lower, 3.0));
    test::expectPointsNear(tip.cutUpper, Rotated(flatTip.cutUpper, tipDegrees));
    test::expectPointsNear(tip.cutLower, Rotated(flatTip.cutLower, tipDegrees));
    test::expectPointsNear(tip.upper, Rotated(flatTip.upper, tipDegrees));
  }
}

TEST(RebuildSections, NonWingPanelsAreNeitherShrunkNorResampled) {
  Section root;
  Section tip;
  MakePanel(root, tip, 0.0, 0.0);
  RebuildSections(root, tip, {.wingPanel = false, .differentRootTip = true});
  // No repeated neighbours in either profile: the closed outline is the
  // canonical list run backwards (lower trailing edge first).
  const PointList rootLoop(root.profile.points.rbegin(), root.profile.points.rend());
  EXPECT_EQ(root.cutUpper, rootLoop);
  EXPECT_EQ(root.upper, rootLoop);
  EXPECT_TRUE(root.cutLower.empty());
  EXPECT_EQ(tip.cutUpper, PointList(tip.profile.points.rbegin(), tip.profile.points.rend()));
  RebuildSections(root, tip, {.wingPanel = false, .differentRootTip = false});
  EXPECT_EQ(tip.cutUpper, rootLoop);
}

TEST(RebuildSections, WithoutUsableSkinOrChordTheOutlinesAreTheSurfaces) {
  // Skin 0 at a chord of 0.1 mm (every segment under 1 mm), and a chord of 0.
  for (const double chord : {0.1, 0.0}) {
    Section root;
    Section tip;
    MakePanel(root, tip, 0.0, 0.0);
    root.params.chord = chord;
    root.params.skin = chord == 0.0 ? 1.0 : 0.0;
    RebuildSections(root, tip, {.wingPanel = true, .differentRootTip = false});
    EXPECT_EQ(root.cutUpper, root.profile.ExtractUpper());
    EXPECT_EQ(root.cutLower, root.profile.ExtractLower());
  }
  Section root;  // no profiles at all
  Section tip;
  RebuildSections(root, tip, {.wingPanel = true, .differentRootTip = true});
  EXPECT_TRUE(tip.cutUpper.empty() && root.cutLower.empty());
}

}  // namespace
}  // namespace orva
