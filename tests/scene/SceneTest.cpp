#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <string>

#include "model/ProjectFile.h"
#include "scene/PreviewScenes.h"
#include "scene/ProfileViewScene.h"
#include "scene/WingViewScene.h"
#include "support/Golden.h"
#include "support/MachineRig.h"

namespace orva {
namespace {

const std::filesystem::path kExample =
    std::filesystem::path(ORVA_TEST_DATA_DIR) / ".." / ".." / "examples" / "wing.cnc";

void expectGolden(const std::string& name, const std::string& actual) {
  test::expectGolden(std::filesystem::path("scenes") / name, actual);
}

std::vector<const Primitive*> texts(const Scene& s) {
  std::vector<const Primitive*> out;
  for (const Primitive& p : s.items)
    if (p.kind == PrimitiveKind::Text) out.push_back(&p);
  return out;
}

class SceneTest : public ::testing::Test, protected test::ProjectRig {
 protected:
  SceneTest() {
    std::string foam = "Poly";
    config.foams.LoadFoamsFromText("V3\n", foam);
    doc.NewProject();
  }

  // One panel of root chord 200, tip chord 150, span 500.
  CT1Doc& taperedPanel() {
    Panel& p = doc.panels.front();
    p.differentRootTip = true;
    p.root.params.chord = 200.0;
    p.tip.params.chord = 150.0;
    p.span = 500.0;
    p.Rebuild(doc.splines, false);
    return doc;
  }
};

TEST_F(SceneTest, ExampleWingViewsMatchTheirReviewedDumps) {
  ASSERT_TRUE(LoadProjectFile(doc, kExample));
  ASSERT_GE(doc.panels.size(), 2u);
  doc.currentPanel = 1;
  expectGolden("example-profile.txt", ProfileViewScene::build(doc).dump());
  expectGolden("example-wing.txt", WingViewScene::build(doc).dump());
  doc.display.fullWing = true;
  doc.cutChoices.wingSide = 1;
  expectGolden("example-wing-full.txt", WingViewScene::build(doc).dump());
}

TEST_F(SceneTest, EdgeTreatmentsAndEverySparKindMatchTheReviewedDump) {
  CT1Doc& doc = taperedPanel();
  Panel& p = doc.panels.front();
  p.foamThickness = 60.0;
  for (int i = 0; i < 7; ++i) {
    SparRecord& r = p.spars[static_cast<std::size_t>(i)];
    r.active = true;
    r.type = i + 1;
    r.distance = 15.0 + 10.0 * i;
    r.widthMode = 1;
  }
  std::string all;
  for (int le : {LeNone, LeHorizontal, LeXCut}) {
    for (int te : {TeHorizontal, TeMeanChord, TeUpperAndLower, TeUpperSurface}) {
      p.leMode = le;
      p.teMode = te;
      p.Rebuild(doc.splines, false);
      all += "# le " + std::to_string(le) + " te " + std::to_string(te) + "\n";
      all += ProfileViewScene::build(doc).dump();
    }
  }
  expectGolden("edges-and-spars-profile.txt", all);
  expectGolden("edges-and-spars-wing.txt", WingViewScene::build(doc).dump());
}

// The legends (area, mean chord) are in the edges-and-spars wing dump.
TEST_F(SceneTest, LegendsOffLeaveOnlyTheEdgeLabels) {
  CT1Doc& doc = taperedPanel();
  // No text below the top view: only the LE/TE labels remain.
  doc.display.legends = false;
  const Scene off = WingViewScene::build(doc);
  double lowestShape = 0.0;
  for (const Primitive& p : off.items)
    if (p.kind != PrimitiveKind::Text)
      for (const Point2D& q : p.points) lowestShape = std::min(lowestShape, q.y);
  const auto remaining = texts(off);
  EXPECT_EQ(remaining.size(), 2u);
  for (const Primitive* t : remaining) EXPECT_GE(t->points[0].y, lowestShape);
}

TEST_F(SceneTest, PrintingUsesBlackTextsAndANarrowerLeftFrame) {
  CT1Doc& doc = taperedPanel();
  const Scene screen = ProfileViewScene::build(doc);
  const Scene paper = ProfileViewScene::build(doc, {.printing = true});
  ASSERT_EQ(screen.items.size(), paper.items.size());
  // The first primitive is the root block: 5 mm = 50 units further left on paper.
  EXPECT_DOUBLE_EQ(screen.items[0].points[0].x - paper.items[0].points[0].x, 50.0);
  EXPECT_EQ(screen.frame.right - paper.frame.right, 50.0);
  for (const Primitive* t : texts(screen)) EXPECT_EQ(t->pen.color, (Color{0, 0, 128}));
  for (const Primitive* t : texts(paper)) EXPECT_EQ(t->pen.color, (Color{0, 0, 0}));
  const Scene wing = WingViewScene::build(doc, {.printing = true});
  ASSERT_FALSE(texts(wing).empty());
  for (const Primitive* t : texts(wing)) EXPECT_EQ(t->pen.color, (Color{0, 0, 0}));
}

TEST_F(SceneTest, SuperposedProfilesShareTheBasicHeightLine) {
  CT1Doc& doc = taperedPanel();
  doc.panels.front().tip.params.basicHeight = 15.0;
  doc.panels.front().Rebuild(doc.splines, false);
  auto chordLines = [&] {
    std::vector<double> ys;
    for (const Primitive& p : ProfileViewScene::build(doc).items)
      if (p.kind == PrimitiveKind::Line && p.pen.style == PenStyle::Dotted)
        ys.push_back(p.points[0].y);
    return ys;
  };
  const auto apart = chordLines();
  ASSERT_EQ(apart.size(), 2u);
  // The tip block 10 mm above the root block (foam 50 mm), basic heights 25 and 15.
  EXPECT_DOUBLE_EQ(apart[1] - apart[0], (50.0 + 10.0 + 15.0 - 25.0) * 10.0);
  doc.superposed = true;
  const auto together = chordLines();
  ASSERT_EQ(together.size(), 2u);
  EXPECT_DOUBLE_EQ(together[0], together[1]);
  EXPECT_DOUBLE_EQ(together[0], apart[0]);
}

TEST_F(SceneTest, HitTestFindsThePanelAndTheWingSide) {
  ASSERT_TRUE(LoadProjectFile(doc, kExample));
  const auto& panels = doc.panels;
  const double z = 1.0;  // wing zoom 0.1
  const double s0 = panels[0].span;
  EXPECT_EQ(WingViewScene::hitTest(panels, 0.1, false, 200.0 + 1.0)->panel, 0);
  EXPECT_EQ(WingViewScene::hitTest(panels, 0.1, false, 200.0 + (s0 + 1.0) * z)->panel, 1);
  EXPECT_FALSE(WingViewScene::hitTest(panels, 0.1, false, 199.0));
  const double root = WingViewScene::rootX(panels, 0.1, true);
  const auto right = WingViewScene::hitTest(panels, 0.1, true, root + 5.0);
  const auto left = WingViewScene::hitTest(panels, 0.1, true, root - (s0 + 5.0) * z);
  ASSERT_TRUE(right && left);
  EXPECT_EQ(right->panel, 0);
  EXPECT_EQ(right->wingSide, 0);
  EXPECT_EQ(left->panel, 1);
  EXPECT_EQ(left->wingSide, 1);
  // At zoom 0.05 the same mm lie at half the units.
  EXPECT_EQ(WingViewScene::hitTest(panels, 0.05, false, 200.0 + (s0 + 1.0) * 0.5)->panel, 1);
}

TEST(PreviewScenesTest, FrontAndTopPicturesShowTheRecords) {
  FrontPreview f;
  f.title = "Front View";
  f.extent = {-40, -40, 1040, 440};
  f.table = {0, 0, 1000, 400};
  f.widthTicks = {{50, false}, {100, true}};
  f.block = {100, 0, 600, 50};
  f.rootSection = {{100, 5}, {100, 40}};
  f.tipSection = {{600, 8}, {600, 30}};
  TopPreview t;
  t.title = "Top View";
  t.extent = f.extent;
  t.table = f.table;
  t.planform = {Point2D{100, 300}, Point2D{600, 280}, Point2D{600, 150}, Point2D{100, 100}};
  t.intermediate = PreviewSegment{{350, 290}, {350, 125}};
  expectGolden("previews.txt", PreviewScenes::front(f).dump() + PreviewScenes::top(t).dump());
}

}  // namespace
}  // namespace orva
