#include <gtest/gtest.h>

#include <filesystem>
#include <memory>
#include <string>
#include <tuple>
#include <vector>

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

double num(const std::string& text) { return std::stod(text); }

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

TEST_F(PanelParamsFormTest, OpeningShowsThePanelAndWhatCanBeEdited) {
  panel().root.params.skin = 1.25;
  PanelParamsForm form(doc);
  EXPECT_EQ(PanelParamsForm::title(), "Panel Parameters");
  test::expectTexts(form, {{F::FoamThickness, "50"},
                           {F::Span, "750"},
                           {F::Dihedral, "0"},
                           {F::RootChord, "150"},
                           {F::RootBasicHeight, "25"},
                           {F::RootSkin, "1.25"},
                           {F::RootAirfoil, "NoName"},
                           {F::TipAirfoil, "NoName"}});
  EXPECT_TRUE(form.checked(F::WingPanel) && !form.checked(F::DifferentRootTip));

  // Root and tip the same: only the root column and the global boxes.
  for (const F f : {F::FoamThickness, F::Span, F::WingPanel, F::DifferentRootTip, F::Skin,
                    F::RootChord, F::RootLeMargin, F::RootWashout, F::RootCamber}) {
    EXPECT_TRUE(form.enabled(f)) << static_cast<int>(f);
  }
  for (const F f : {F::Sweep, F::DihedralInDegrees, F::Dihedral, F::TipChord, F::TipWashout,
                    F::TipBasicHeight, F::TipLeMargin, F::TipTeMargin, F::RootSkin, F::TipSkin}) {
    EXPECT_FALSE(form.enabled(f)) << static_cast<int>(f);
  }
  EXPECT_TRUE(!form.browseEnabled(true) && form.browseEnabled(false));
  EXPECT_FALSE(form.setText(F::TipChord, "80") || form.setChecked(F::DihedralInDegrees, true));
  EXPECT_EQ(form.text(F::TipChord), "150");

  ASSERT_TRUE(form.setChecked(F::DifferentRootTip, true));
  ASSERT_TRUE(form.setChecked(F::Skin, true));
  ASSERT_TRUE(form.setChecked(F::DihedralInDegrees, true));
  EXPECT_TRUE(form.enabled(F::TipSkin) && form.enabled(F::Dihedral));
  // The tip's basic height is derived from the dihedral, its margins always.
  EXPECT_FALSE(form.enabled(F::TipBasicHeight) || form.enabled(F::TipLeMargin));
}

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

  doc.modified = false;
  EXPECT_FALSE(doc.SetEdgeTreatment(CT1Doc::kCmdLeHorizontal));
  EXPECT_EQ(std::tuple(panel().leMode, doc.modified), std::tuple(LeNone, false));
  EXPECT_EQ(doc.commandState(CT1Doc::kCmdLeHorizontal), (CommandState{false, false}));
}

TEST_F(PanelParamsFormTest, TipMarginsFollowTheRoot) {
  makeTapered();  // root chord 150, tip chord 100
  panel().root.params.leMargin = 0.0;
  panel().root.params.teMargin = 30.0;
  panel().tip.params.leMargin = 7.0;
  panel().tip.params.teMargin = 4.0;
  PanelParamsForm form(doc);
  EXPECT_EQ(form.text(F::TipLeMargin), "7");

  // Chord change: a positive root margin is scaled (30 x 100 / 200); the root
  // margin of 0 is not the one that changed, so its tip margin stays.
  form.setText(F::RootChord, "200");
  test::expectTexts(form, {{F::TipTeMargin, "15.000000"}, {F::TipLeMargin, "7.000000"}});
  form.setText(F::TipChord, "50");
  EXPECT_EQ(form.text(F::TipTeMargin), "7.500000");

  // A root margin of 0 or less is taken over as it is, whatever the chords.
  form.setText(F::RootLeMargin, "-2");
  EXPECT_EQ(form.text(F::TipLeMargin), "-2.000000");
  form.setText(F::RootLeMargin, "0");
  EXPECT_EQ(form.text(F::TipLeMargin), "0.000000");
  // A root chord of 0 gives no ratio: the tip margins stay.
  form.setText(F::RootChord, "0");
  EXPECT_EQ(form.text(F::TipTeMargin), "7.500000");
  form.setText(F::RootChord, "150");
  EXPECT_EQ(form.text(F::TipTeMargin), "10.000000");

  ASSERT_TRUE(form.ok());
  EXPECT_EQ(std::tuple(panel().root.params.leMargin, panel().tip.params.leMargin,
                       panel().tip.params.teMargin),
            std::tuple(0.0, 0.0, 10.0));

  // With root and tip the same the margins do not follow while editing.
  doc.NewProject();
  PanelParamsForm same(doc);
  same.setText(F::RootLeMargin, "12");
  EXPECT_EQ(same.text(F::TipLeMargin), "0");
}

TEST_F(PanelParamsFormTest, DihedralAndTipBasicHeightFollowEachOther) {
  makeTapered();  // span 500, both basic heights 25
  panel().dihedralInDegrees = true;
  PanelParamsForm form(doc);
  // 25 + 500 sin 30° = 275; then a root at 35 gives 285.
  form.setText(F::Dihedral, "30");
  EXPECT_NEAR(num(form.text(F::TipBasicHeight)), 275.0, 1e-6);
  form.setText(F::RootBasicHeight, "35");
  EXPECT_NEAR(num(form.text(F::TipBasicHeight)), 285.0, 1e-6);
  // Half-typed texts run no rule.
  for (const char* partial : {"", "-", "."}) {
    form.setText(F::Dihedral, partial);
    EXPECT_NEAR(num(form.text(F::TipBasicHeight)), 285.0, 1e-6);
  }

  // Not in degrees: the basic heights give the angle shown.
  panel().dihedralInDegrees = false;
  PanelParamsForm heights(doc);
  heights.setText(F::TipBasicHeight, "75");  // atan(50 / 500)
  EXPECT_EQ(heights.text(F::Dihedral), "5.7105");
  // The span has no rule of its own, and a root basic height typed with the
  // same value runs none either: the angle still uses the old span.
  heights.setText(F::Span, "250");
  heights.setText(F::RootBasicHeight, "25.0");
  EXPECT_EQ(heights.text(F::Dihedral), "5.7105");
  heights.setText(F::RootBasicHeight, "25.5");  // atan(49.5 / 250) = 11.19970...°
  EXPECT_EQ(heights.text(F::Dihedral), "11.1997");
  heights.setText(F::Span, "0");
  heights.setText(F::RootBasicHeight, "20");
  EXPECT_EQ(heights.text(F::Dihedral), "11.1997");
}

TEST_F(PanelParamsFormTest, SwitchingDifferentRootTipOnCopiesTheRootBoxes) {
  panel().skinEnabled = true;
  panel().dihedralInDegrees = true;
  panel().dihedral = 10.0;
  PanelParamsForm form(doc);
  form.setText(F::RootChord, "300");
  form.setText(F::RootSkin, "1.5");
  form.setText(F::RootCamber, "2");
  form.setText(F::RootThickness, "9");
  form.setText(F::RootLeMargin, "15");
  form.setText(F::RootBasicHeight, "40");
  EXPECT_EQ(form.text(F::TipLeMargin), "0");  // not following yet
  ASSERT_TRUE(form.setChecked(F::DifferentRootTip, true));

  test::expectTexts(form, {{F::TipSkin, "1.5"},
                           {F::TipCamber, "2"},
                           {F::TipThickness, "9"},
                           {F::TipAirfoil, "NoName"}});
  // 15 x 150 / 300.
  test::expectTexts(form, {{F::TipLeMargin, "7.500000"}, {F::TipTeMargin, "0.000000"}});
  // In degrees: 40 + 750 sin 10° = 170.2361...
  EXPECT_NEAR(num(form.text(F::TipBasicHeight)), 170.2361332, 1e-6);

  // Not in degrees: the root's basic height.
  doc.NewProject();
  PanelParamsForm plain(doc);
  plain.setText(F::RootBasicHeight, "40");
  plain.setChecked(F::DifferentRootTip, true);
  EXPECT_EQ(plain.text(F::TipBasicHeight), "40");
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
  ASSERT_TRUE(form.browseProfile(false));
  // The boxes show the new profile, in both columns while the tip follows the
  // root: 0.0625 + 0.03125 = 9.375 % thick; mean line 0.015625, truncated to
  // 5 decimals, 1.562 %.
  test::expectTexts(form, {{F::RootAirfoil, "FIVE"},
                           {F::RootThickness, "9.375"},
                           {F::RootCamber, "1.562"},
                           {F::TipAirfoil, "FIVE"}});
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
