#include <gtest/gtest.h>

#include <filesystem>
#include <memory>
#include <string>
#include <tuple>
#include <vector>

#include "model/FormReplay.h"
#include "model/PanelParamsForm.h"
#include "model/ProjectFile.h"
#include "model/ProjectJson.h"
#include "support/FormChecks.h"
#include "support/Golden.h"
#include "support/MachineRig.h"
#include "support/TestFiles.h"

namespace orva {
namespace {

namespace fs = std::filesystem;
using F = PanelField;
using Strings = std::vector<std::string>;

class PanelParamsFormTest : public ::testing::Test, protected test::ProjectRig {
 protected:
  // A panel whose root and tip differ: root chord 150, tip chord 100, span 500.
  void makeTapered() {
    Panel& p = panel();
    p.differentRootTip = true;
    p.span = 500.0;
    p.tip.params.chord = 100.0;
    p.tip.params.washout = 2.0;
    p.tip.profile.SetThickness(0.08);
    p.sweep = 40.0;
    p.Rebuild(doc.splines, true);
    doc.modified = false;
  }
};

TEST_F(PanelParamsFormTest, DihedralShownAtOpeningIsTruncatedToFourDecimals) {
  makeTapered();
  struct Case {
    double tipHeight;
    const char* shown;
  };
  // atan(50 / 500) = 5.7105931...°, atan(-50 / 500) = -5.7105931...°,
  // atan(100 / 500) = 11.3099324...°: truncated, never rounded.
  for (const Case c : {Case{75.0, "5.7105"}, Case{-25.0, "-5.7105"}, Case{125.0, "11.3099"}}) {
    panel().tip.params.basicHeight = c.tipHeight;
    EXPECT_EQ(PanelParamsForm(doc).text(F::Dihedral), c.shown);
  }
  // Entered in degrees: the stored angle.
  panel().dihedralInDegrees = true;
  panel().dihedral = 12.5;
  EXPECT_EQ(PanelParamsForm(doc).text(F::Dihedral), "12.5");
  // A span of 0 gives no angle: the stored one is shown.
  panel().dihedralInDegrees = false;
  panel().span = 0.0;
  EXPECT_EQ(PanelParamsForm(doc).text(F::Dihedral), "12.5");
}

TEST_F(PanelParamsFormTest, OutOfRangeOrNonNumericValuesKeepTheDialogOpen) {
  makeTapered();
  panel().skinEnabled = true;
  const Panel before = panel();
  const std::string number = "Please enter a number.";
  test::expectEachRefused<F>(
      [&] { return std::make_unique<PanelParamsForm>(doc); }, prompt,
      {{F::FoamThickness, "500001", "Please enter a number between 0 and 500000."},
       {F::FoamThickness, "-0.5", "Please enter a number between 0 and 500000."},
       {F::RootChord, "0.09", "Please enter a number between 0.1 and 10000."},
       {F::TipChord, "10001", "Please enter a number between 0.1 and 10000."},
       {F::RootWashout, "90.5", "Please enter a number between -90 and 90."},
       {F::TipWashout, "-91", "Please enter a number between -90 and 90."},
       {F::RootSkin, "10.01", "Please enter a number between -10 and 10."},
       {F::TipSkin, "-11", "Please enter a number between -10 and 10."},
       {F::Span, "12abc", number},
       {F::Sweep, "", number},
       {F::RootCamber, "-", number}});
  EXPECT_EQ(std::tuple(doc.modified, panel().foamThickness, panel().root.params.chord),
            std::tuple(false, before.foamThickness, before.root.params.chord));

  // The first failure in dialog order is the one reported.
  PanelParamsForm form(doc);
  form.setText(F::TipChord, "0");
  test::expectRefusalsInOrder(form, prompt, {{F::FoamThickness, "x", number}});

  // The bounds themselves are accepted.
  PanelParamsForm bounds(doc);
  bounds.setText(F::FoamThickness, "500000");
  bounds.setText(F::RootChord, "0.1");
  bounds.setText(F::TipChord, "10000");
  bounds.setText(F::RootWashout, "-90");
  bounds.setText(F::RootSkin, "-10");
  EXPECT_TRUE(bounds.ok());
  EXPECT_EQ(std::tuple(panel().foamThickness, panel().root.params.chord, panel().tip.params.chord),
            std::tuple(500000.0, 0.1, 10000.0));
}

TEST_F(PanelParamsFormTest, BoxesThatCannotBeEditedAreNotChecked) {
  // A skin beyond the range with the skin flag off: the box is disabled, the
  // dialog must not refuse OK because of it, and the skin is stored as 0.
  panel().root.params.skin = 25.0;
  PanelParamsForm form(doc);
  EXPECT_TRUE(form.ok());
  EXPECT_TRUE(prompt.messages().empty());
  EXPECT_EQ(std::tuple(panel().root.params.skin, panel().tip.params.skin), std::tuple(0.0, 0.0));
}

TEST_F(PanelParamsFormTest, TurningDifferentRootTipOffMakesTheTipACopyOfTheRoot) {
  makeTapered();
  PanelParamsForm form(doc);
  form.setText(F::TipChord, "60");
  form.setText(F::TipThickness, "5");
  form.setText(F::Sweep, "120");
  ASSERT_TRUE(form.setChecked(F::DifferentRootTip, false));
  ASSERT_TRUE(form.ok());

  const Panel& p = panel();
  EXPECT_EQ(std::tuple(p.differentRootTip, p.sweep, p.tip.params.chord, p.tip.params.washout,
                       doc.modified),
            std::tuple(false, 0.0, 150.0, 0.0, true));
  const auto copied = [](const Section& s) {
    return std::tie(s.params.basicHeight, s.profile.points, s.profile.maxThickness, s.cutUpper,
                    s.cutLower);
  };
  EXPECT_EQ(copied(p.tip), copied(p.root));
}

TEST_F(PanelParamsFormTest, OkCommitsTheValuesAndRebuilds) {
  makeTapered();
  panel().root.params.skin = 2.0;  // dropped: the skin flag stays off
  panel().teMode = TeUpperSurface;
  int redraws = 0;
  doc.subscribe([&](DocChanges) { ++redraws; });
  PanelParamsForm form(doc);
  form.setText(F::FoamThickness, "60");
  form.setText(F::Span, "400");
  form.setText(F::RootThickness, "9");
  form.setText(F::RootCamber, "0");  // flattened mean line
  form.setText(F::RootWashout, "1.5");
  form.setText(F::RootBasicHeight, "30");
  form.setText(F::TipThickness, "6");
  form.setText(F::TipChord, "120");
  form.setText(F::TipWashout, "-2");
  form.setText(F::TipBasicHeight, "35");
  form.setText(F::Sweep, "25");
  ASSERT_TRUE(form.ok());

  // The reviewed panel: foam 60, span 400, sweep 25, the skin dropped (the
  // skin flag stays off), root 9 % thick with a flat mean line, washout 1.5 and
  // basic height 30, tip 6 % thick, chord 120, washout -2 and basic height 35,
  // the edge treatments kept, and the dihedral stored as shown at OK:
  // atan(5 / 400) = 0.7161599...° truncated to 0.7161.
  test::expectGolden("model/panel-params-ok.json", projectToJson(CaptureProject(doc)).dump(1));
  const Panel& p = panel();
  EXPECT_EQ(
      std::tuple(p.root.profile.maxThickness, p.tip.profile.maxThickness, doc.modified, redraws),
      std::tuple(0.09, 0.06, true, 1));
  EXPECT_EQ(p.tip.cutUpper.size(), p.root.cutUpper.size());
}

TEST_F(PanelParamsFormTest, WingPanelOffDropsTheEdgeTreatments) {
  panel().leMode = LeXCut;
  panel().teMode = TeUpperAndLower;
  PanelParamsForm form(doc);
  ASSERT_TRUE(form.setChecked(F::WingPanel, false));
  ASSERT_TRUE(form.ok());
  EXPECT_EQ(std::tuple(panel().leMode, panel().teMode), std::tuple(LeNone, TeHorizontal));
  EXPECT_TRUE(panel().root.cutLower.empty());
}

// Sessions of the dialog, as reviewed in tests/data/model/panel-params-sessions.txt:
// - the new project's panel: only the root column and the global boxes until
//   root and tip differ (the tip boxes, sweep and dihedral refuse edits);
//   with the skin and the dihedral in degrees the tip skin and the angle are
//   enabled, the tip's basic height (derived from the dihedral) and margins
//   never; while root and tip are the same the tip margins do not follow;
// - tip margins (root chord 150, tip 100; root margins 0 / 30, tip 7 / 4): a
//   positive root margin is scaled (30 x 100 / 200 = 15, then 7.5 for a tip
//   of 50), the unchanged root margin leaves its tip margin; a root margin
//   of 0 or less is taken over as it is; a root chord of 0 gives no ratio;
// - the dihedral in degrees sets the tip's basic height: 25 + 500 sin 30 =
//   275, 285 with a root at 35; half-typed texts run no rule;
// - basic heights give the angle shown, truncated: atan(50 / 500) =
//   5.7105; the span has no rule of its own and a root height typed with
//   the same value runs none; atan(49.5 / 250) = 11.1997; a span of 0 none;
// - switching root and tip apart copies the root boxes (skin, camber,
//   thickness, airfoil; margins 15 x 150 / 300 = 7.5; in degrees the tip's
//   height 40 + 750 sin 10 = 170.2361), and without degrees the root's
//   basic height.
TEST_F(PanelParamsFormTest, SessionsMatchTheReviewedDialog) {
  std::string dump;
  {
    panel().root.params.skin = 1.25;
    PanelParamsForm form(doc);
    EXPECT_EQ(PanelParamsForm::title(), "Panel Parameters");
    EXPECT_TRUE(!form.browseEnabled(true) && form.browseEnabled(false));
    dump += test::section("new panel", test::replayEdits(form, {{F::TipChord, "80"},
                                                                {F::DihedralInDegrees, true},
                                                                {F::RootLeMargin, "12"},
                                                                {F::DifferentRootTip, true},
                                                                {F::Skin, true},
                                                                {F::DihedralInDegrees, true}}));
  }
  doc.NewProject();
  makeTapered();
  panel().root.params.leMargin = 0.0;
  panel().root.params.teMargin = 30.0;
  panel().tip.params.leMargin = 7.0;
  panel().tip.params.teMargin = 4.0;
  {
    PanelParamsForm form(doc);
    dump += test::section("tip margins", test::replayEdits(form, {{F::RootChord, "200"},
                                                                  {F::TipChord, "50"},
                                                                  {F::RootLeMargin, "-2"},
                                                                  {F::RootLeMargin, "0"},
                                                                  {F::RootChord, "0"},
                                                                  {F::RootChord, "150"}}));
    ASSERT_TRUE(form.ok());
    EXPECT_EQ(std::tuple(panel().root.params.leMargin, panel().tip.params.leMargin,
                         panel().tip.params.teMargin),
              std::tuple(0.0, 0.0, 10.0));
  }
  doc.NewProject();
  makeTapered();
  panel().dihedralInDegrees = true;
  {
    PanelParamsForm form(doc);
    dump +=
        test::section("dihedral in degrees", test::replayEdits(form, {{F::Dihedral, "30"},
                                                                      {F::RootBasicHeight, "35"},
                                                                      {F::Dihedral, ""},
                                                                      {F::Dihedral, "-"},
                                                                      {F::Dihedral, "."}}));
  }
  panel().dihedralInDegrees = false;
  {
    PanelParamsForm form(doc);
    dump += test::section("basic heights", test::replayEdits(form, {{F::TipBasicHeight, "75"},
                                                                    {F::Span, "250"},
                                                                    {F::RootBasicHeight, "25.0"},
                                                                    {F::RootBasicHeight, "25.5"},
                                                                    {F::Span, "0"},
                                                                    {F::RootBasicHeight, "20"}}));
  }
  doc.NewProject();
  panel().skinEnabled = true;
  panel().dihedralInDegrees = true;
  panel().dihedral = 10.0;
  {
    PanelParamsForm form(doc);
    dump += test::section("root and tip apart, in degrees",
                          test::replayEdits(form, {{F::RootChord, "300"},
                                                   {F::RootSkin, "1.5"},
                                                   {F::RootCamber, "2"},
                                                   {F::RootThickness, "9"},
                                                   {F::RootLeMargin, "15"},
                                                   {F::RootBasicHeight, "40"},
                                                   {F::DifferentRootTip, true}}));
  }
  doc.NewProject();
  {
    PanelParamsForm form(doc);
    dump += test::section(
        "root and tip apart",
        test::replayEdits(form, {{F::RootBasicHeight, "40"}, {F::DifferentRootTip, true}}));
  }
  test::expectGolden("model/panel-params-sessions.txt", dump);
}

TEST_F(PanelParamsFormTest, CancelChangesNothingButAChosenProfileStays) {
  const test::TempDir dir;
  const fs::path file = dir / "five.dat";
  test::writeFile(file, "FIVE\n1.0 0.0\n0.5 0.0625\n0.0 0.0\n0.5 -0.03125\n1.0 0.0\n");
  const Panel before = panel();

  PanelParamsForm form(doc);
  form.setText(F::Span, "300");
  form.setText(F::RootChord, "80");
  prompt.queueFile(std::nullopt);
  EXPECT_FALSE(form.browseProfile(false));
  EXPECT_EQ(prompt.messages(), Strings{"Invalid .dat file"});
  EXPECT_FALSE(doc.modified);

  prompt.queueFile(file.string());
  // What the boxes show of the new profile is in the dialog's reviewed session
  // (tests/data/ui/panel-parameters-session.txt).
  ASSERT_TRUE(form.browseProfile(false));
  const PointList chosen = panel().root.profile.points;
  form.cancel();

  // Modified by the profile choice.
  EXPECT_EQ(
      std::tie(panel().span, panel().root.params.chord, panel().root.profile.name, doc.modified),
      std::tuple(before.span, before.root.params.chord, "FIVE", true));

  // OK with the figures left alone leaves the chosen profile's points exactly.
  PanelParamsForm again(doc);
  ASSERT_TRUE(again.ok());
  EXPECT_EQ(std::tie(panel().root.profile.points, panel().tip.profile.points),
            std::tie(chosen, chosen));
}

}  // namespace
}  // namespace orva
