// Runs orva-cli as a separate process, as a user or a script does.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <nlohmann/json.hpp>
#include <sstream>
#include <string>
#include <sys/wait.h>

namespace fs = std::filesystem;

namespace {

struct CliRun {
  int exitCode = -1;
  std::string out;
  std::string err;
  nlohmann::json json() const { return nlohmann::json::parse(out); }
};

std::string readAll(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream text;
  text << in.rdbuf();
  return text.str();
}

class CliTest : public ::testing::Test {
 protected:
  void SetUp() override {
    dir_ = fs::temp_directory_path() /
           ("orva-cli-test-" + std::to_string(::getpid()) + "-" +
            ::testing::UnitTest::GetInstance()->current_test_info()->name());
    fs::create_directories(dir_);
  }
  void TearDown() override { fs::remove_all(dir_); }

  fs::path writeFile(const std::string& name, const std::string& content) {
    fs::path path = dir_ / name;
    std::ofstream(path, std::ios::binary) << content;
    return path;
  }

  CliRun run(const std::string& arguments) {
    const fs::path out = dir_ / "stdout.txt";
    const fs::path err = dir_ / "stderr.txt";
    const std::string command = std::string("'") + ORVA_CLI_PATH + "' " + arguments + " >'" +
                                out.string() + "' 2>'" + err.string() + "'";
    const int status = std::system(command.c_str());
    CliRun result;
    result.exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    result.out = readAll(out);
    result.err = readAll(err);
    return result;
  }

  fs::path dir_;
};

TEST_F(CliTest, ReportsTheBuiltInAirfoilWithItsLeadingEdge) {
  const CliRun result = run("airfoil --default --points");
  ASSERT_EQ(result.exitCode, 0) << result.err;
  const auto json = result.json();
  EXPECT_EQ(json["name"], "NoName");
  EXPECT_EQ(json["count"], 69);
  EXPECT_EQ(json["leadingEdgeIndex"], 34);
  ASSERT_EQ(json["points"].size(), 69u);
  EXPECT_DOUBLE_EQ(json["points"][34][0].get<double>(), 0.0);
  EXPECT_DOUBLE_EQ(json["points"][34][1].get<double>(), 0.00047);
  EXPECT_DOUBLE_EQ(json["minY"].get<double>(), -0.02839);
  EXPECT_DOUBLE_EQ(json["maxY"].get<double>(), 0.09318);
  // Thickest where the two columns of the built-in table are furthest apart: x = 0.30866.
  EXPECT_NEAR(json["maxThickness"].get<double>(), 0.09266 + 0.02458, 1e-9);
  EXPECT_DOUBLE_EQ(json["maxThicknessX"].get<double>(), 0.30866);
}

TEST_F(CliTest, ReportsNacaAirfoilsAndRefusesBadDesignations) {
  const CliRun symmetric = run("airfoil --naca 0012");
  ASSERT_EQ(symmetric.exitCode, 0) << symmetric.err;
  EXPECT_EQ(symmetric.json()["name"], "NACA 0012");
  EXPECT_EQ(symmetric.json()["maxCamber"].get<double>(), 0.0);
  EXPECT_NEAR(symmetric.json()["maxThickness"].get<double>(), 0.12, 0.002);

  const CliRun bad = run("airfoil --naca 12");
  EXPECT_EQ(bad.exitCode, 1);
  EXPECT_NE(bad.err.find("NACA"), std::string::npos);
}

TEST_F(CliTest, RefusedFilesPrintTheProgramsMessagesInOrder) {
  const CliRun missing = run("airfoil '" + (dir_ / "absent.dat").string() + "'");
  EXPECT_EQ(missing.exitCode, 1);
  EXPECT_EQ(missing.err, "Unable to Open file for Reading\nInvalid .dat file\n");
  EXPECT_TRUE(missing.out.empty());

  const fs::path twoPoints = writeFile("two.dat", "flat\n1.0 0.0\n0.0 0.0\n");
  const CliRun invalid = run("airfoil '" + twoPoints.string() + "'");
  EXPECT_EQ(invalid.exitCode, 1);
  EXPECT_EQ(invalid.err, "Invalid .dat file\n");
}

TEST_F(CliTest, ReadsAFileAndNamesItFromItsTextLine) {
  const fs::path file =
      writeFile("diamond.dat", "Diamond 5\r\n1.0 0.0\r\n0.5 0.05\r\n0.0 0.0\r\n0.5 -0.05\r\n1.0 0.0\r\n");
  const CliRun result = run("airfoil --compact '" + file.string() + "'");
  ASSERT_EQ(result.exitCode, 0) << result.err;
  EXPECT_EQ(result.out.find('\n'), result.out.size() - 1);  // one line
  const auto json = result.json();
  EXPECT_EQ(json["name"], "Diamond 5");
  EXPECT_EQ(json["count"], 5);
  EXPECT_EQ(json["leadingEdgeIndex"], 2);
  // Coordinates are read as 32-bit floats: 0.05f - (-0.05f) in double.
  EXPECT_DOUBLE_EQ(json["maxThickness"].get<double>(),
                   std::trunc(2.0 * static_cast<double>(0.05f) * 100000.0) * 0.00001);
  EXPECT_DOUBLE_EQ(json["maxThicknessX"].get<double>(), 0.5);
}

TEST_F(CliTest, SectionMatchesTheTipToTheRootPointForPoint) {
  const CliRun result =
      run("section --default --chord 400 --skin 1 --washout 0 --tip-naca 0012 --tip-chord 200 "
          "--tip-washout 3 --compact");
  ASSERT_EQ(result.exitCode, 0) << result.err;
  const auto json = result.json();
  ASSERT_TRUE(json.contains("tip"));
  const auto& root = json["root"];
  const auto& tip = json["tip"];
  EXPECT_EQ(tip["cutUpper"].size(), root["cutUpper"].size());
  EXPECT_EQ(tip["cutLower"].size(), root["cutLower"].size());
  // Resampled about every 0.7 mm at 400 mm: far more points than the 35 of the surface.
  EXPECT_GT(root["cutUpper"].size(), 400u);
  EXPECT_EQ(root["upper"].size(), 35u);
  // The tip's trailing edge is turned down by its washout.
  EXPECT_LT(tip["upper"].back()[1].get<double>(), 0.0);
  EXPECT_EQ(tip["name"], "NACA 0012");
}

TEST_F(CliTest, SectionWithoutTipHasNoTipAndKeepsOptionsInRange) {
  const CliRun plain = run("section --naca 2412 --splines 0 --compact");
  ASSERT_EQ(plain.exitCode, 0) << plain.err;
  EXPECT_FALSE(plain.json().contains("tip"));
  EXPECT_EQ(plain.json()["splines"], false);

  const CliRun chord = run("section --default --chord 0");
  EXPECT_EQ(chord.exitCode, 2);
  EXPECT_EQ(chord.err, "--chord: Please enter a number between 0.1 and 10000.\n");

  const CliRun notNumber = run("section --default --washout abc");
  EXPECT_EQ(notNumber.exitCode, 2);
  EXPECT_EQ(notNumber.err, "--washout: Please enter a number.\n");

  const CliRun tipWithoutAirfoil = run("section --default --tip-chord 100");
  EXPECT_EQ(tipWithoutAirfoil.exitCode, 2);

  const CliRun twoRoots = run("section --default --naca 0012");
  EXPECT_EQ(twoRoots.exitCode, 2);
}

TEST_F(CliTest, UnknownCommandsAndHelp) {
  EXPECT_EQ(run("frobnicate").exitCode, 2);
  const CliRun help = run("--help");
  EXPECT_EQ(help.exitCode, 0);
  EXPECT_NE(help.out.find("airfoil"), std::string::npos);
  EXPECT_NE(help.out.find("section"), std::string::npos);
  const CliRun sectionHelp = run("section --help");
  EXPECT_EQ(sectionHelp.exitCode, 0);
  EXPECT_NE(sectionHelp.out.find("--tip-chord"), std::string::npos);
}

}  // namespace
