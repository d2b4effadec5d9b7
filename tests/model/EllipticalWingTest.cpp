#include <gtest/gtest.h>

#include <array>
#include <cmath>
#include <memory>
#include <string>
#include <vector>

#include "model/EllipticalWingForm.h"
#include "support/FormChecks.h"
#include "support/Golden.h"
#include "support/MachineRig.h"
#include "support/UpperLayerRigs.h"

namespace orva {
namespace {

using Field = EllipticalWingField;

// Half-span 1000, root chord 200, tip chord 50. With symmetry 100 the leading
// edge is the half-ellipse x = 200·√(1 − (y/1000)²). The tangent from the tip
// point (50, 1000) touches it at T = 2X / (1 + X²/A1²) = 100 / 1.0625 = 1600/17
// and S = (1 − T·X/A1²)·B = 15000/17; the tangent there is x = 425 − 0.375 y.
// The panel is twice as long as its distance to the tangency: L = 2(B − S) =
// 4000/17, which is below the root limit (the tangent reaches x = 200 at
// y = 600: 1000 − 600 = 400). At its inner end y = 13000/17 the leading edge is
// at 425 − 4875/17 = 2350/17, the chord there (trailing edge at 0) too; its
// sweep is 0.375 × 4000/17 = 1500/17.
constexpr EllipseModel kModel100{1000.0, 200.0, 50.0, 100.0};
constexpr double kT1 = 1600.0 / 17.0;
constexpr double kS1 = 15000.0 / 17.0;
constexpr double kL1 = 4000.0 / 17.0;
constexpr double kRootChord1 = 2350.0 / 17.0;
constexpr double kSweep1 = 1500.0 / 17.0;

EllipseComputation compute(const EllipseModel& model) {
  EllipseTangencies carried;
  EllipseComputation out;
  EXPECT_TRUE(ComputeEllipse(model, carried, out));
  return out;
}

TEST(EllipseComputationTest, FirstPanelFromTheTipMatchesTheTangentConstruction) {
  const EllipseComputation c = compute(kModel100);
  ASSERT_GE(c.count, 2);
  const EllipsePanel& p = c.panels[0];
  const EllipsePanel& next = c.panels[1];
  // The next panel starts where this one ends, on its leading-edge line.
  for (const auto& [value, expected] : {std::pair{p.t, kT1},
                                        {p.s, kS1},
                                        {p.length, kL1},
                                        {p.tipChord, 50.0},
                                        {p.rootChord, kRootChord1},
                                        {p.sweep, kSweep1},
                                        {next.outerY, 1000.0 - kL1},
                                        {next.outerLeX, kRootChord1},
                                        {next.tipChord, kRootChord1}}) {
    EXPECT_NEAR(value, expected, 1e-9);
  }
  // 2.546 × 1000 / 200; the ellipse halves: 1000 × 200 × π/4 mm².
  EXPECT_NEAR(c.lengthOverAverageChord, 12.73, 1e-12);
  EXPECT_NEAR(c.modelSurface, 15.707963, 1e-6);
  // Symmetry 100: the trailing edge is straight, all taper is at the leading edge.
  for (std::size_t k = 0; k < static_cast<std::size_t>(c.count); ++k) {
    const EllipsePanel& q = c.panels[k];
    EXPECT_EQ(EllipseTrailingEdgeX(kModel100, q, q.outerY - q.length), 0.0);
    EXPECT_NEAR(q.rootChord, EllipseLeadingEdgeX(kModel100, q, q.outerY - q.length), 1e-9);
  }
}

TEST(EllipseComputationTest, SymmetryZeroMirrorsSymmetryOneHundred) {
  const EllipseModel mirrored{1000.0, 200.0, 50.0, 0.0};
  const EllipseComputation a = compute(kModel100);
  const EllipseComputation b = compute(mirrored);
  ASSERT_EQ(a.count, b.count);
  EXPECT_NEAR(b.panels[0].tTe, -kT1, 1e-9);
  EXPECT_NEAR(b.panels[0].sTe, kS1, 1e-9);
  for (std::size_t k = 0; k < static_cast<std::size_t>(a.count); ++k) {
    // The trailing-edge lengths are used: the same panels, the taper at the back.
    EXPECT_NEAR(b.panels[k].length, a.panels[k].length, 1e-9);
    EXPECT_NEAR(b.panels[k].rootChord, a.panels[k].rootChord, 1e-9);
    EXPECT_EQ(b.panels[k].outerLeX, 0.0);
    EXPECT_EQ(b.panels[k].sweep, 0.0);  // the leading edge is straight
  }
  EXPECT_NEAR(b.totalLength, a.totalLength, 1e-9);
}

TEST(EllipseComputationTest, PanelsTouchTheEllipseAndNeverPassTheRoot) {
  for (const EllipseModel& m :
       {EllipseModel{800.0, 250.0, 60.0, 60.0}, EllipseModel{1500.0, 300.0, 20.0, 25.0},
        EllipseModel{20000.0, 5000.0, 1.0, 50.0}, EllipseModel{1.0, 1.0, 1.0, 100.0}}) {
    const EllipseComputation c = compute(m);
    ASSERT_GE(c.count, 1) << m.halfSpan;
    const double a1 = m.symmetry / 100.0 * m.rootChord;
    double sum = 0.0;
    for (std::size_t k = 0; k < static_cast<std::size_t>(c.count); ++k) {
      const EllipsePanel& p = c.panels[k];
      EXPECT_GT(p.length, 0.0);
      sum += p.length;
      if (p.t != 0.0) {
        // The tangency lies on the leading-edge ellipse, and the panel's
        // leading edge runs through its outer point.
        EXPECT_NEAR(std::pow(p.t / a1, 2) + std::pow(p.s / m.halfSpan, 2), 1.0, 1e-9);
        EXPECT_NEAR(EllipseLeadingEdgeX(m, p, p.outerY), p.outerLeX, 1e-6 * m.rootChord);
      }
      if (k > 0) {
        EXPECT_DOUBLE_EQ(p.tipChord, c.panels[k - 1].rootChord);
      }
    }
    EXPECT_LE(sum, m.halfSpan);
    EXPECT_NEAR(c.totalLength, sum, 1e-9);
    // Panels after the last one are not built.
    for (std::size_t k = static_cast<std::size_t>(c.count); k < c.panels.size(); ++k) {
      EXPECT_EQ(c.panels[k].length, 0.0);
    }
    const std::vector<EllipsePanel> table = c.rootFirst();
    ASSERT_EQ(table.size(), static_cast<std::size_t>(c.count));
    EXPECT_EQ(table.back().tipChord, m.tipChord);
  }
}

// ---------------------------------------------------------------------------
// The dialog

class EllipticalWingFormTest : public ::testing::Test, protected test::ProjectRig {
 protected:
  void enter(EllipticalWingForm& form, const EllipseModel& m) {
    form.setText(Field::HalfSpan, std::to_string(static_cast<int>(m.halfSpan)));
    form.setText(Field::RootChord, std::to_string(static_cast<int>(m.rootChord)));
    form.setText(Field::TipChord, std::to_string(static_cast<int>(m.tipChord)));
    form.setText(Field::Symmetry, std::to_string(static_cast<int>(m.symmetry)));
  }
};

TEST_F(EllipticalWingFormTest, OpensOnTheCurrentPanel) {
  Panel& p = doc.current();
  p.span = 612.7;
  // {root chord, tip chord, sweep, symmetry shown}
  const std::vector<std::array<double, 4>> cases = {
      {220, 120, 25, 25},                          // 100 × 25 / 100
      {220, 120, 33.3, 33},                        // whole number
      {220, 120, 0, 0},     {220, 120, 100, 100},  // sweep equal to the chord difference
      {100, 120, -5, 100},  // a difference below the sweep: the last rule wins
  };
  for (const auto& [root, tip, sweep, symmetry] : cases) {
    p.root.params.chord = root;
    p.tip.params.chord = tip;
    p.sweep = sweep;
    const EllipticalWingForm form(doc);
    EXPECT_EQ(form.text(Field::Symmetry), std::to_string(static_cast<int>(symmetry))) << sweep;
    EXPECT_EQ(form.text(Field::HalfSpan), "612");
    EXPECT_EQ(form.text(Field::TipChord), std::to_string(static_cast<int>(tip)));
    EXPECT_GE(form.panelCount(), 1);  // computed at opening
  }
}

TEST_F(EllipticalWingFormTest, EditsRecomputeFromTheWholeNumberPart) {
  EllipticalWingForm form(doc);
  enter(form, kModel100);
  EXPECT_EQ(form.model(), kModel100);
  EXPECT_NEAR(form.computation().panels[0].length, kL1, 1e-9);

  form.setText(Field::RootChord, "200.9");  // whole number part
  EXPECT_EQ(form.model().rootChord, 200.0);
  form.setText(Field::HalfSpan, "0");  // a zero span or chord is ignored
  form.setText(Field::TipChord, "");
  EXPECT_EQ(form.model(), kModel100);
  EXPECT_EQ(form.text(Field::HalfSpan), "0");

  form.setText(Field::Symmetry, "x");  // no number: symmetry 0
  EXPECT_EQ(form.model().symmetry, 0.0);
  EXPECT_EQ(form.computation().panels[0].sweep, 0.0);

  // Out of range: the values shown stay those of the last computation.
  const int before = form.panelCount();
  const double length = form.computation().totalLength;
  form.setText(Field::HalfSpan, "25000");
  EXPECT_EQ(form.panelCount(), before);
  EXPECT_EQ(form.computation().totalLength, length);
}

TEST_F(EllipticalWingFormTest, OkRefusesTextsThatAreNotWholeNumbersInRange) {
  const std::string span = "Please enter an integer between 1 and 20000.";
  const auto open = [&] {
    auto form = std::make_unique<EllipticalWingForm>(doc);
    enter(*form, kModel100);
    return form;
  };
  test::expectEachRefused<Field>(
      open, prompt,
      {{Field::HalfSpan, "0", span},
       {Field::HalfSpan, "20001", span},
       {Field::RootChord, "12.5", "Please enter a positive integer."},
       {Field::TipChord, "5001", "Please enter an integer between 1 and 5000."},
       {Field::Symmetry, "101", "Please enter an integer between 0 and 100."},
       {Field::Symmetry, "-1", "Please enter a positive integer."}});
  EXPECT_EQ(doc.panels.size(), 1u);
  EXPECT_FALSE(doc.modified);
}

// The panels built, as reviewed in tests/data/model/elliptical-wing.txt: the
// computed panels root side first, spans truncated (the last is the tip panel
// computed by hand: span 4000/17 truncated to 235, root chord 2350/17, sweep
// 1500/17, tip chord 50), each one's outlines matched root to tip; in the middle of a wing they
// replace the current panel between the others, the first one's root joined to the first panel's
// tip (210).
TEST_F(EllipticalWingFormTest, OkReplacesTheCurrentPanelByTheComputedPanels) {
  EllipticalWingForm form(doc);
  enter(form, kModel100);
  ASSERT_GE(form.panelCount(), 2);
  ASSERT_TRUE(form.ok());
  ASSERT_TRUE(form.built());
  EXPECT_EQ(std::tuple(doc.panels.size(), doc.modified),
            std::tuple(static_cast<std::size_t>(form.panelCount()), true));
  std::string dump = test::section("alone", test::dumpPanels(doc));

  doc.NewProject();
  Panel& first = doc.panels.front();
  first.tip.params.chord = 210.0;
  first.differentRootTip = true;
  first.Rebuild(doc.splines, false);
  doc.panels.push_back(doc.panels.front());
  doc.panels.push_back(doc.panels.front());
  doc.panels[1].span = 999.0;  // the panel replaced
  doc.panels[2].span = 321.0;
  doc.currentPanel = 1;
  EllipticalWingForm middle(doc);
  enter(middle, kModel100);
  ASSERT_TRUE(middle.ok());
  EXPECT_EQ(doc.panels.size(), static_cast<std::size_t>(2 + middle.panelCount()));
  dump += test::section("in the middle", test::dumpPanels(doc));
  test::expectGolden("model/elliptical-wing.txt", dump);
}

}  // namespace
}  // namespace orva
