#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <utility>
#include <vector>

#include "cutting/PanelCutPlanner.h"
#include "cutting/SparCuts.h"
#include "geometry/Naca.h"
#include "support/Golden.h"
#include "support/MachineRig.h"
#include "support/TestFiles.h"

namespace orva {
namespace {

// Whole panel cuts written as the user gets them with "Cut to File": the cut
// script, the G-code of both dialects and, for the small closed outline, the
// step dump, each compared with a reviewed file under tests/data/cuts.
//
// The machine: a 1000 x 500 mm table whose wire supports are 1000 mm apart,
// 48 steps per mm, 0.5 ms timer, motors at 2 ms a step (10.4 mm/s), 2 s of
// wire heating; one fixed-heat foam cut at 4 mm/s with 40 % heat and a kerf
// of 0.8 mm at 4 mm/s, 1.5 mm at 2 mm/s.
struct CutRig : test::ProjectRig {
  explicit CutRig(SimulatedMachineParams params = {}) : ProjectRig(params) {
    TableConfig& t = config.table;
    t.Entraxe = 1000;
    t.AxesX = 1000;
    t.AxesY = 500;
    t.XVmax = 2.0;
    t.YVmax = 2.0;
    t.Chauffe = 2.0;
    FoamType blue = foam("Blue", 4.0, 40);
    blue.kerfAtMaxSpeed = 0.8;
    blue.kerfAtHalfSpeed = 1.5;
    useFoams({blue});
    doc.cutChoices = PanelCutChoices{};
    doc.cutChoices.clearance = 80.0;
  }

  // The panel cut to a file of the given format; the file's text.
  std::string cutToFile(OutputFormat format, bool stepDetails = false) {
    const std::string name = format == OutputFormat::Gcode ? "cut.ngc" : "cut.cut";
    env.output.cutToFile = true;
    env.output.format = format;
    env.output.stepDetails = stepDetails;
    env.output.sourceFile = "wing.cnc";
    env.output.panelName = "Panel 1";
    prompt.queueFile((dir / name).string());
    PanelCutPlanner cut(doc, env);
    EXPECT_FALSE(cut.Start(job)) << planner.lastError();  // written at once
    EXPECT_EQ(job.result(), CutJobResult::Done) << planner.lastError();
    EXPECT_TRUE(prompt.messages().empty()) << prompt.messages().front();
    return test::readFile(dir / name);
  }

  test::TempDir dir;
};

using SetUp = std::function<void(CutRig&)>;

// Writes the cut of each variant (a title and its set-up) in the three
// formats, and with `stepDump` also as a script with the step dump, and
// compares them with tests/data/cuts/<name>.{cut,grbl.ngc,linuxcnc.ngc,
// steps.cut}. Several variants go into one file, each after a line
// "#### <title>".
void expectWholeCut(const std::string& name, const std::vector<std::pair<std::string, SetUp>>& variants,
                    bool stepDump = false) {
  auto output = [&](OutputFormat format, GcodeDialect dialect, bool steps) {
    std::string text;
    for (const auto& [title, setUp] : variants) {
      CutRig rig;
      setUp(rig);
      rig.env.output.gcode.dialect = dialect;
      if (variants.size() > 1) text += "#### " + title + "\n";
      text += rig.cutToFile(format, steps);
    }
    return text;
  };
  const std::filesystem::path dir = "cuts";
  test::expectGolden(dir / (name + ".cut"), output(OutputFormat::CutScript, GcodeDialect::Grbl, false));
  test::expectGolden(dir / (name + ".grbl.ngc"), output(OutputFormat::Gcode, GcodeDialect::Grbl, false));
  test::expectGolden(dir / (name + ".linuxcnc.ngc"),
                     output(OutputFormat::Gcode, GcodeDialect::LinuxCnc, false));
  if (stepDump) {
    test::expectGolden(dir / (name + ".steps.cut"),
                       output(OutputFormat::CutScript, GcodeDialect::Grbl, true));
  }
}

SparRecord spar(int type, double distance, double width, double thickness, const char* label) {
  SparRecord s;
  s.active = true;
  s.type = type;
  s.distance = distance;
  s.rootWidth = s.tipWidth = width;
  s.rootThickness = s.tipThickness = thickness;
  s.widthMode = SizeProportional;
  s.thicknessMode = SizeTipEqualsRoot;
  s.label = label;
  return s;
}

// A tapered, swept, washed-out right wing with kerf compensation, both faces
// trimmed before the profile, a horizontal leading-edge cut and two spars:
// root NACA 2412 of 200 mm, tip of 120 mm washed out by 3 degrees, 40 mm
// sweep, 500 mm span placed 250 mm from the root tower; margins 10 mm (tip
// 8 mm) behind and 5 mm (tip 3 mm) in front.
void taperedSweptWing(CutRig& rig) {
  Panel& p = rig.panel();
  const auto naca = MakeNaca4("2412", 20);
  ASSERT_TRUE(naca.has_value());
  p.root.profile = p.tip.profile = *naca;
  p.root.params.chord = 200.0;
  p.tip.params.chord = 120.0;
  p.tip.params.washout = 3.0;
  p.root.params.basicHeight = p.tip.params.basicHeight = 20.0;
  p.root.params.teMargin = 10.0;
  p.tip.params.teMargin = 8.0;
  p.root.params.leMargin = 5.0;
  p.tip.params.leMargin = 3.0;
  p.differentRootTip = true;
  p.sweep = 40.0;
  p.span = 500.0;
  p.blockCentredZ = false;
  p.rootAxisOffset = 250;
  p.offsetX0 = 100;
  p.foamThickness = 45.0;
  p.teMode = TeMeanChord;
  p.leMode = LeHorizontal;
  p.spars[0] = spar(SparUpperNotch, 30.0, 8.0, 4.0, "main");
  p.spars[1] = spar(SparLowerNotch, 65.0, 6.0, 3.0, "rear");
  rig.doc.splines = false;
  rig.doc.cutChoices.trimmingMode = 1;
  rig.doc.cutChoices.kerfCompensationA = rig.doc.cutChoices.kerfCompensationB = 1;
  rig.config.table.ZeroX = 5.0;
  rig.config.table.ZeroY = 2.0;
  p.Rebuild(false, false);
}

// A tail plane: a symmetric NACA 0012 panel of 80 mm chord, 300 mm span, with the
// trailing-edge treatment `teMode`, trimmed while cutting, an X cut at the
// leading edge (4 mm up at 60 degrees, 3 mm down at 45 degrees, 8 mm long),
// cut bottom first.
SetUp symmetricPanel(int teMode) {
  return [teMode](CutRig& rig) {
    Panel& p = rig.panel();
    const auto naca = MakeNaca4("0012", 12);
    ASSERT_TRUE(naca.has_value());
    p.root.profile = p.tip.profile = *naca;
    for (Section* s : {&p.root, &p.tip}) {
      s->params.chord = 80.0;
      s->params.basicHeight = 20.0;
      s->params.leMargin = 6.0;
      s->params.teMargin = 5.0;
      s->params.xleH1 = 4.0;
      s->params.xleH2 = 3.0;
      s->params.xleLength = 8.0;
      s->params.xleBeta = 45.0;
      s->params.xleAlpha = 60.0;
    }
    p.differentRootTip = false;
    p.span = 300.0;
    p.blockCentredZ = true;
    p.foamThickness = 40.0;
    p.teMode = teMode;
    p.leMode = LeXCut;
    rig.doc.splines = false;
    rig.doc.cutChoices.trimmingMode = 2;
    rig.doc.cutChoices.cutOrder = 0;
    p.Rebuild(false, false);
  };
}

TEST(WholeCut, TaperedSweptWashedOutWingWithSpars) {
  expectWholeCut("tapered-swept-wing", {{"", taperedSweptWing}});
}

TEST(WholeCut, SymmetricPanelWithEachTrailingEdgeMode) {
  expectWholeCut("symmetric-panel", {{"trailing edge: horizontal", symmetricPanel(TeHorizontal)},
                                      {"trailing edge: mean chord", symmetricPanel(TeMeanChord)},
                                      {"trailing edge: upper and lower", symmetricPanel(TeUpperAndLower)},
                                      {"trailing edge: upper surface", symmetricPanel(TeUpperSurface)}});
}

// A closed outline (not a wing panel): a diamond of 40 mm chord and 10 mm
// thickness at 15 mm height in a 200 mm block, without kerf or trimming, on
// a table of 8 steps per mm (8 steps per turn, 1 mm pitch) so that its step
// dump stays short, with 2 steps of backlash in X and 1 in Y taken up at
// half speed; clearance 30 mm.
void diamondOutline(CutRig& rig) {
  Panel& p = rig.panel();
  Profile diamond;
  ASSERT_TRUE(diamond.BuildFromPoints({{1, 0}, {0.5, 0.125}, {0, 0}, {0.5, -0.125}, {1, 0}}));
  for (Section* s : {&p.root, &p.tip}) {
    s->profile = diamond;
    s->params.chord = 40.0;
    s->params.leMargin = 3.0;
    s->params.teMargin = 3.0;
    s->params.basicHeight = 15.0;
  }
  p.wingPanel = false;
  p.span = 200.0;
  p.foamThickness = 30.0;
  p.offsetX0 = 10;
  rig.config.table.XNtour = rig.config.table.YNtour = 8;
  rig.config.table.XVmax = rig.config.table.YVmax = 10.0;  // 12.5 mm/s
  rig.config.table.XPasInvSens = 2;
  rig.config.table.YPasInvSens = 1;
  rig.config.table.VitesseInvSensX = rig.config.table.VitesseInvSensY = 50;
  rig.doc.splines = false;
  rig.doc.cutChoices.trimmingMode = 0;
  rig.doc.cutChoices.kerfCompensationA = rig.doc.cutChoices.kerfCompensationB = 0;
  rig.doc.cutChoices.referenceLowerSurface = 0;
  rig.doc.cutChoices.clearance = 30.0;
  p.Rebuild(false, true);
}

TEST(WholeCut, ClosedOutlineWithStepDump) {
  expectWholeCut("closed-outline", {{"", diamondOutline}}, /*stepDump=*/true);
}

// An intermediate section of the tapered wing, cut on a reverse table with
// backlash on both axes: the left wing, the section 200 mm from the root
// kept towards the tip, the block trimmed after cutting, bottom first.
void intermediateSection(CutRig& rig) {
  taperedSweptWing(rig);
  Panel& p = rig.panel();
  p.spars = {};
  p.sectionCutEnabled = true;
  p.sectionCutZ = 200;
  rig.config.table.TableInv = 1;
  rig.config.table.XPasInvSens = 3;
  rig.config.table.YPasInvSens = 2;
  rig.config.table.VitesseInvSensX = 50;
  rig.doc.cutChoices.sectionReference = 1;
  rig.doc.cutChoices.wingSide = 1;
  rig.doc.cutChoices.trimmingMode = 3;
  rig.doc.cutChoices.cutOrder = 0;
  rig.doc.cutChoices.kerfCompensationA = rig.doc.cutChoices.kerfCompensationB = 0;
}

TEST(WholeCut, IntermediateSectionOnAReverseTableWithBacklash) {
  expectWholeCut("intermediate-section", {{"", intermediateSection}});
}

}  // namespace
}  // namespace orva
