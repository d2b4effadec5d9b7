// orva-cli render --view cut, run as a separate process as a user runs it.
#include <gtest/gtest.h>
#include <sys/wait.h>

#include <cstdlib>
#include <filesystem>
#include <string>

#include "support/TestFiles.h"
#include "support/TextChecks.h"

namespace fs = std::filesystem;
namespace test = orva::test;

namespace {

struct RunResult {
  int exitCode = -1;
  std::string err;
};

class RenderCutTest : public ::testing::Test {
 protected:
  RunResult run(const std::string& arguments) {
    const fs::path home = dir_ / "home";
    const fs::path err = dir_ / "stderr.txt";
    const std::string command = "HOME='" + home.string() + "' XDG_CONFIG_HOME='" +
                                (home / ".config").string() + "' XDG_DATA_HOME='" +
                                (home / ".local/share").string() + "' '" + ORVA_CLI_PATH + "' " +
                                arguments + " >/dev/null 2>'" + err.string() + "'";
    const int status = std::system(command.c_str());
    return {WIFEXITED(status) ? WEXITSTATUS(status) : -1, test::readFile(err)};
  }
  const test::TempDir dir_;
};

// The cut of a tapered panel drawn as PNG (the wire at the end unless
// --time says otherwise) and as SVG in 3D; a panel that cannot be cut and
// the options of other views are refused.
TEST_F(RenderCutTest, DrawsThePlannedCutInBothProjectionsAndRefusesWhatItCannot) {
  test::writeFile(dir_ / "wing.json", R"({"panels": [{"span": 400, "sweep": 40,
      "root": {"chord": 240, "naca": "2412"}, "tip": {"chord": 160, "naca": "2412"}}]})");
  const std::string project = (dir_ / "wing.cnc").string();
  ASSERT_EQ(run("build '" + (dir_ / "wing.json").string() + "' -o '" + project + "'").exitCode, 0);
  const std::string render = "render '" + project + "' --view cut --place auto";

  const fs::path end = dir_ / "end.png";
  const fs::path early = dir_ / "early.png";
  const RunResult drawn = run(render + " -o '" + end.string() + "'");
  ASSERT_EQ(drawn.exitCode, 0) << drawn.err;
  EXPECT_EQ(drawn.err, "");
  ASSERT_EQ(run(render + " --time 20 -o '" + early.string() + "'").exitCode, 0);
  const std::string endPng = test::readFile(end);
  EXPECT_EQ(endPng.compare(1, 3, "PNG"), 0);
  EXPECT_GT(endPng.size(), 5000u);
  EXPECT_NE(test::readFile(early), endPng);  // the wire and the time shown moved

  const fs::path svg = dir_ / "cut3d.svg";
  ASSERT_EQ(run(render + " --3d --time 100 -o '" + svg.string() + "'").exitCode, 0);
  const std::string picture = test::readFile(svg);
  EXPECT_TRUE(test::contains(picture, "<svg"));
  EXPECT_TRUE(test::contains(picture, "Oblique view"));
  EXPECT_TRUE(test::contains(picture, "100.0 s elapsed"));

  // An intermediate section outside the panel is not simulated.
  const RunResult refused = run("render '" + project + "' --view cut --section-cut 5000 -o '" +
                          (dir_ / "x.png").string() + "'");
  EXPECT_EQ(refused.exitCode, 1);
  EXPECT_TRUE(test::contains(refused.err, "render: The cut cannot be simulated: ")) << refused.err;
  EXPECT_FALSE(fs::exists(dir_ / "x.png"));
  EXPECT_EQ(run("render '" + project + "' --view profile --3d -o '" + end.string() + "'").exitCode, 2);
  EXPECT_EQ(run(render + " --time -4 -o '" + end.string() + "'").exitCode, 2);
}

}  // namespace
