#include <gtest/gtest.h>

#include <string>
#include <tuple>
#include <vector>

#include "model/PanelOperations.h"
#include "model/SplitPanelForm.h"
#include "support/FormChecks.h"
#include "support/Golden.h"
#include "support/MachineRig.h"
#include "support/UpperLayerRigs.h"

namespace orva {
namespace {

class PanelOperationsTest : public ::testing::Test, protected test::ProjectRig {
 protected:
  PanelOperationsTest() {
    doc.subscribe([this](DocChanges) { ++redraws_; });
  }

  // A project of `count` panels told apart by their chords: panel i has root
  // chord 100 + 10 i and tip chord 105 + 10 i, and span 500 + i.
  CT1Doc& project(int count) {
    doc.panels.resize(1);
    for (int i = 1; i < count; ++i) doc.panels.push_back(doc.panels.front());
    for (int i = 0; i < count; ++i) {
      Panel& p = doc.panels[static_cast<std::size_t>(i)];
      p.root.params.chord = 100.0 + 10.0 * i;
      p.tip.params.chord = 105.0 + 10.0 * i;
      p.span = 500.0 + i;
      p.differentRootTip = true;
    }
    doc.modified = false;
    redraws_ = 0;
    return doc;
  }

  int redraws_ = 0;
};

// ---------------------------------------------------------------------------
// Insertion and deletion

// New panels at the end, as reviewed in tests/data/model/new-panels.txt: the
// last tip copied into both sections (chord 115, leading-edge margin 7), the
// span, leading-edge mode and foam copied, no sweep and equal ends; next to an
// outline panel a built wing panel (two surfaces from the leading edge, root
// and tip matched).
TEST_F(PanelOperationsTest, NewPanelCopiesTheNeighbourSectionAndPanelSettings) {
  CT1Doc& doc = project(2);
  Panel& last = doc.panels[1];
  last.leMode = LeXCut;
  last.sweep = 40.0;
  last.foamThickness = 80.0;
  last.spars[4].active = true;
  last.tip.params.leMargin = 7.0;
  ASSERT_TRUE(NewPanelAtEnd(doc));  // `last` is no longer valid
  ASSERT_EQ(doc.panels.size(), 3u);
  EXPECT_TRUE(doc.panels[2].spars[4].active);
  EXPECT_EQ(std::tie(doc.panels[2].root.cutUpper, doc.panels[2].tip.cutUpper),
            std::tie(doc.panels[1].tip.cutUpper, doc.panels[1].tip.cutUpper));
  EXPECT_EQ(std::tuple(doc.modified, redraws_ >= 1), std::tuple(true, true));
  std::string dump = test::section("after a wing panel", test::dumpPanels(doc));

  project(1);
  doc.panels[0].wingPanel = false;
  doc.panels[0].Rebuild(doc.splines, true);
  ASSERT_TRUE(NewPanelAtEnd(doc));
  EXPECT_EQ(doc.panels[1].root.cutUpper.front(), doc.panels[1].root.cutLower.front());
  dump += test::section("after an outline panel", test::dumpPanels(doc));
  test::expectGolden("model/new-panels.txt", dump);
}

// Panels are told apart by their root chords (100, 110, 120...).
std::vector<double> rootChords(const CT1Doc& doc) {
  std::vector<double> out;
  for (const Panel& p : doc.panels) out.push_back(p.root.params.chord);
  return out;
}

TEST_F(PanelOperationsTest, InsertionsAndDeletionsFollowTheCurrentIndexRules) {
  const struct {
    int count;  // a fresh project of that many panels first, unless 0
    int current;
    bool (*run)(CT1Doc&);
    std::vector<double> chords;
    int after;
  } steps[] = {
      // Delete: the previous panel becomes current; the first: the next
      // becomes first and current; the last: its previous panel becomes last.
      {4, 2, DeleteCurrentPanel, {100, 110, 130}, 1},
      {0, 0, DeleteCurrentPanel, {110, 130}, 0},
      {0, 1, DeleteCurrentPanel, {110}, 0},
      // Before: from the previous panel's tip (105), at the current index;
      // before the first: from its root, becoming first.
      {3, 1, NewPanelBeforeCurrent, {100, 105, 110, 120}, 1},
      {0, 0, NewPanelBeforeCurrent, {100, 100, 105, 110, 120}, 0},
      // After: from its tip (115), at index + 1; after the last: appended
      // from its tip (125).
      {0, 3, NewPanelAfterCurrent, {100, 100, 105, 110, 115, 120}, 4},
      {0, 5, NewPanelAfterCurrent, {100, 100, 105, 110, 115, 120, 125}, 6},
  };
  for (const auto& step : steps) {
    SCOPED_TRACE(step.chords.size());
    if (step.count > 0) project(step.count);
    doc.currentPanel = step.current;
    doc.modified = false;
    ASSERT_TRUE(step.run(doc));
    EXPECT_EQ(std::tuple(rootChords(doc), doc.currentPanel, doc.modified),
              std::tuple(step.chords, step.after, true));
  }
  EXPECT_EQ(doc.panels[0].tip.params.chord, 100.0);  // the root of the first copied

  project(1);  // the last panel is kept
  EXPECT_FALSE(DeleteCurrentPanel(doc));
  EXPECT_EQ(std::tuple(doc.panels.size(), doc.modified, redraws_), std::tuple(1u, false, 0));

  doc.currentPanel = 5;  // an index outside the list: nothing is touched
  doc.panels.push_back(doc.panels[0]);
  doc.modified = false;
  EXPECT_FALSE(NewPanelBeforeCurrent(doc));
  EXPECT_FALSE(DeleteCurrentPanel(doc));
  EXPECT_FALSE(SplitCurrentPanel(doc, 50.0));
  EXPECT_EQ(doc.panels.size(), 2u);
  EXPECT_FALSE(doc.modified);
}

// ---------------------------------------------------------------------------
// Split

// The splits, as reviewed in tests/data/model/splits.txt: a tapered panel at
// 25 % (the root side inserted before and current; the new section at f = 0.25
// of chord 175, trailing-edge margin 12.5, basic height 25, the leading-edge
// margin 3 copied; sweeps 12.5 and 37.5; skins dropped; ends matched point for
// point), an untapered one at 40 % (section values repeated), and a tip washed
// out by 4° at 50 % (each trailing edge turned by its own washout: 0, 2, 2, 4).
TEST_F(PanelOperationsTest, SplitsMatchTheReviewedPanels) {
  std::string dump;
  CT1Doc& doc = project(3);
  doc.currentPanel = 1;
  Panel& p = doc.panels[1];
  p.root.params = {
      .leMargin = 3.0, .teMargin = 10.0, .basicHeight = 20.0, .chord = 200.0, .skin = 1.0};
  p.tip.params = {.teMargin = 20.0, .basicHeight = 40.0, .chord = 100.0, .skin = 0.5};
  p.sweep = 50.0;
  p.span = 400.0;
  p.Rebuild(doc.splines, false);
  ASSERT_TRUE(SplitCurrentPanel(doc, 25.0));
  dump += test::section("tapered, 25 %", test::dumpPanels(doc));

  doc.NewProject();
  project(1);
  Panel& u = doc.panels[0];
  u.root.params = {
      .washout = 1.5, .leMargin = 4.0, .teMargin = 6.0, .basicHeight = 30.0, .chord = 180.0};
  u.differentRootTip = false;
  u.sweep = 0.0;
  u.Rebuild(doc.splines, false);
  ASSERT_TRUE(SplitCurrentPanel(doc, 40.0));
  dump += test::section("untapered, 40 %", test::dumpPanels(doc));

  doc.NewProject();
  project(1);
  Panel& w = doc.panels[0];
  w.root.params = SectionParams{};
  w.tip.params = {.washout = 4.0};
  w.Rebuild(doc.splines, false);
  ASSERT_TRUE(SplitCurrentPanel(doc, 50.0));
  dump += test::section("tip washout 4, 50 %", test::dumpPanels(doc));
  test::expectGolden("model/splits.txt", dump);
}

TEST_F(PanelOperationsTest, SplitOfAnOutlinePanelGivesTwoOutlinePanels) {
  CT1Doc& doc = project(1);
  Panel& p = doc.panels[0];
  p.wingPanel = false;
  // A tip outline of another point count: the outlines of such a panel are not matched.
  p.tip.profile.BuildFromPoints({{1.0, 0.0}, {0.5, 0.05}, {0.0, 0.0}, {0.5, -0.05}, {1.0, 0.0}});
  p.Rebuild(doc.splines, true);
  ASSERT_NE(p.root.cutUpper.size(), p.tip.cutUpper.size());

  ASSERT_TRUE(SplitCurrentPanel(doc, 50.0));
  ASSERT_EQ(doc.panels.size(), 2u);
  for (const Panel& panel : doc.panels) {
    EXPECT_FALSE(panel.wingPanel);
    EXPECT_TRUE(panel.root.cutLower.empty());
    EXPECT_FALSE(panel.root.cutUpper.empty());
  }
  // The split outline runs around the leading edge: it reaches x = 0 there.
  double minX = 1.0;
  for (const Point2D& pt : doc.panels[1].root.cutUpper) minX = std::min(minX, pt.x);
  EXPECT_NEAR(minX, 0.0, 1e-12);
}

TEST_F(PanelOperationsTest, SplitFormChecksThePosition) {
  CT1Doc& doc = project(1);
  doc.panels[0].span = 600.0;
  SplitPanelForm form(doc);
  EXPECT_EQ(SplitPanelForm::title(), "Panel split");
  EXPECT_EQ(SplitPanelForm::label(), "Position of the split in %");
  EXPECT_EQ(form.text(SplitPanelField::Position), "50");

  test::expectRefusalsInOrder(
      form, prompt,
      {{SplitPanelField::Position, "abc", "Please enter a number."},
       {SplitPanelField::Position, "100.5", "Please enter a number between 0 and 100."}});
  EXPECT_EQ(doc.panels.size(), 1u);
  EXPECT_FALSE(doc.modified);

  // Both spans truncated to whole millimetres: 198.33 and 402.67 of 601.
  doc.panels[0].span = 601.0;
  form.setText(SplitPanelField::Position, " 33 ");
  ASSERT_TRUE(form.ok());
  EXPECT_EQ(form.percent(), 33.0);
  ASSERT_EQ(doc.panels.size(), 2u);
  EXPECT_EQ(doc.panels[0].span, 198.0);
  EXPECT_EQ(doc.panels[1].span, 402.0);
}

// ---------------------------------------------------------------------------
// Alignments

class AlignmentTest : public PanelOperationsTest {
 protected:
  // Two built panels of the built-in airfoil, chords 200 → 150 → 100, the
  // first root at 30 mm.
  CT1Doc& twoPanels() {
    CT1Doc& doc = project(2);
    doc.panels[0].root.params = {.basicHeight = 30.0, .chord = 200.0};
    doc.panels[0].tip.params = {.chord = 150.0};
    doc.panels[1].root.params = {.basicHeight = 5.0, .chord = 150.0};
    doc.panels[1].tip.params = {.chord = 100.0};
    for (Panel& p : doc.panels) p.Rebuild(doc.splines, false);
    doc.currentPanel = 1;
    doc.modified = false;
    return doc;
  }
};

// The alignments, as reviewed in tests/data/model/alignments.txt. The first
// root never moves; the reference on the upper sides is 0.09318 x 200 + 30 =
// 48.636, on the lower sides 24.322, in the middle 36.479; the lower side of an
// outline panel is its lowest point. Panels and margins: each root takes the
// previous tip, margins scale with the chord (10 x 150 / 200 = 7.5, ...); a
// margin of 0 or less is copied.
TEST_F(AlignmentTest, AlignmentsMatchTheReviewedPanels) {
  std::string dump;
  CT1Doc& doc = twoPanels();
  for (const auto& [name, alignment] : {std::pair{"upper side", SectionAlignment::UpperSide},
                                        std::pair{"lower side", SectionAlignment::LowerSide},
                                        std::pair{"middle", SectionAlignment::Middle}}) {
    AlignSections(doc, alignment);
    dump += test::section(name, test::dumpPanels(doc));
  }
  EXPECT_TRUE(doc.modified);
  doc.NewProject();
  twoPanels();
  doc.panels[1].wingPanel = false;
  doc.panels[1].Rebuild(doc.splines, true);
  AlignSections(doc, SectionAlignment::LowerSide);
  dump += test::section("lower side of an outline panel", test::dumpPanels(doc));

  doc.NewProject();
  project(3);
  doc.panels[0].root.params = {.leMargin = 10.0, .teMargin = 20.0, .chord = 200.0};
  doc.panels[0].tip.params = {.basicHeight = 31.0, .chord = 150.0};
  doc.panels[1].root.params.chord = 170.0;  // replaced by the first tip
  doc.panels[1].tip.params.chord = 100.0;
  doc.panels[2].root.params.leMargin = 99.0;
  doc.panels[2].tip.params = {.teMargin = 99.0, .chord = 50.0};
  for (Panel& p : doc.panels) p.Rebuild(doc.splines, false);
  AlignPanelsAndMargins(doc);
  dump += test::section("panels and margins", test::dumpPanels(doc));
  doc.panels[0].root.params.leMargin = 0.0;
  doc.panels[0].root.params.teMargin = -4.0;
  AlignPanelsAndMargins(doc);
  dump += test::section("margins of 0 and less", test::dumpPanels(doc));
  EXPECT_TRUE(doc.modified);
  test::expectGolden("model/alignments.txt", dump);
}

// ---------------------------------------------------------------------------
// Panel menu

TEST_F(PanelOperationsTest, ProjectMenuListsEveryPanelAfterTheNinthEntry) {
  CT1Doc& doc = project(12);
  doc.currentPanel = 10;
  std::vector<MenuEntry> menu;
  for (int i = 0; i < 9; ++i) {
    menu.push_back(MenuEntry{MenuEntry::Kind::Command, 33000 + i, "fixed", false, true});
  }
  // What an earlier rebuild left: a separator and three panel entries.
  menu.push_back(MenuEntry{MenuEntry::Kind::Separator, 0, "", false, true});
  for (int i = 0; i < 3; ++i) {
    menu.push_back(MenuEntry{MenuEntry::Kind::Command, 32950 + i, "old", i == 0, true});
  }

  // The nine fixed entries, a separator and one entry per panel, the current checked.
  std::vector<MenuEntry> expected(menu.begin(), menu.begin() + 10);
  for (int i = 0; i < 12; ++i) {
    expected.push_back(MenuEntry{MenuEntry::Kind::Command, 32950 + i,
                                 "Panel " + std::to_string(i + 1), i == 10, true});
  }
  EXPECT_EQ(RebuildProjectMenu(menu, doc), expected);
  // A menu of fewer entries keeps them all.
  EXPECT_EQ(RebuildProjectMenu({menu[0], menu[1]}, doc).size(), 2u + 1u + 12u);

  EXPECT_EQ(PanelIndexFromCommand(doc, 32961), 11);
  EXPECT_EQ(PanelIndexFromCommand(doc, 32950), 0);
  EXPECT_FALSE(PanelIndexFromCommand(doc, 32962).has_value());
  EXPECT_FALSE(PanelIndexFromCommand(doc, 32949).has_value());
}

}  // namespace
}  // namespace orva
