#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "cutting/CutSimulation.h"
#include "model/ProjectFile.h"
#include "scene/CutSimulationScene.h"
#include "support/Golden.h"
#include "support/MachineRig.h"

namespace orva {
namespace {

const std::filesystem::path kExample =
    std::filesystem::path(ORVA_TEST_DATA_DIR) / ".." / ".." / "examples" / "wing.cnc";

// The simulation of the example wing's second panel at the start, during the
// upper surface cut and at the end in the front projection (with two
// warnings marked), and during the cut in the oblique view, each compared
// with its reviewed dump.
TEST(CutSimulationSceneTest, ExampleWingMatchesItsReviewedDumpsAtThreeTimes) {
  test::ProjectRig rig;
  std::string foam = "Poly";
  rig.config.foams.LoadFoamsFromText("V3\n", foam);
  ASSERT_TRUE(LoadProjectFile(rig.doc, kExample));
  rig.doc.currentPanel = 1;
  CutSimulation sim = CutSimulation::plan(rig.doc, rig.env);
  ASSERT_TRUE(sim.ok()) << sim.error;
  ASSERT_GT(sim.moves.size(), 100u);
  // Two warnings on neighbouring moves a third of the way, where the root and
  // tip points lie close: one ring for both, labelled with both moves'
  // numbers. One near the leading edge, where they lie 19 mm apart: a ring
  // at each face.
  const std::size_t third = sim.moves.size() / 3;
  for (const std::size_t i : {third, third + 1, sim.moves.size() / 2}) {
    const SimulatedMove& marked = sim.moves[i];
    sim.warnings.push_back({i, i + 5, marked.label, "slow", marked.end.root, marked.end.tip});
  }

  const double middle = sim.moves[sim.moves.size() / 2].start + 0.5 * sim.moves[sim.moves.size() / 2].duration;
  std::string front;
  for (double t : {0.0, middle, sim.totalTime}) {
    front += "# t " + std::to_string(t) + "\n" + CutSimulationScene::front(sim, sim.at(t)).dump();
  }
  test::expectGolden("scenes/example-cut-front.txt", front);
  test::expectGolden("scenes/example-cut-oblique.txt",
                     CutSimulationScene::oblique(sim, sim.at(middle), ObliqueAngles{}).dump());
}

}  // namespace
}  // namespace orva
