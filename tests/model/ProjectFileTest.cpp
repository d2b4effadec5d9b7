#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <tuple>

#include "common/Messages.h"
#include "model/CT1Doc.h"
#include "model/ProjectFile.h"
#include "model/ProjectJson.h"
#include "support/Golden.h"
#include "support/MachineRig.h"
#include "support/TestFiles.h"
#include "support/TextChecks.h"

namespace orva {
namespace {

namespace fs = std::filesystem;

class ProjectFileTest : public ::testing::Test, protected test::ProjectRig {
 protected:
  ProjectFileTest() {
    config.foams.records = FoamDatabase::builtInFoams();
    config.foams.SelectFoam("Dépron");
    config.foams.cutSpeed = 1.75;
  }

  // A project with two panels that differ from the defaults in every saved
  // respect, and display settings that must not survive a save or a load.
  void makeRichProject(CT1Doc& doc) {
    Panel second = doc.panels.front();
    second.differentRootTip = true;
    second.sweep = 35.5;
    second.span = 480.0;
    second.foamThickness = 42.0;
    second.skinEnabled = true;
    second.sectionCutEnabled = true;
    second.sectionCutZ = 210;
    second.leMode = LeXCut;
    second.teMode = TeUpperSurface;
    second.offsetX0 = 33;
    second.blockCentredZ = false;
    second.rootAxisOffset = 510;
    second.dihedralInDegrees = true;
    second.dihedral = 4.5;
    second.root.params = {.washout = -1.5, .chord = 210.0, .skin = 1.25};
    second.tip.params = {.xleAlpha = 30.0, .basicHeight = 61.0, .chord = 140.0};
    second.tip.profile.SetThickness(0.15);  // saved as changed points
    second.tip.profile.name = "Fine";
    second.spars[3] = {.active = true,
                       .label = "Clé",
                       .widthMode = 2,
                       .tipWidth = 4.0,
                       .rootWidth = 8.0,
                       .distance = 27.5,
                       .type = 6,
                       .thicknessMode = 1,
                       .tipThickness = 2.0,
                       .distanceInPercent = false};
    second.Rebuild(true, true);
    doc.panels.push_back(second);
    doc.comments = "Aile épaisse\r\nseconde ligne";
    doc.cutChoices = {.wingSide = 1,
                      .cutOrder = 0,
                      .sectionReference = 1,
                      .trimmingMode = 2,
                      .referenceLowerSurface = 0,
                      .clearance = 12.0};
    doc.display = {
        .legends = false, .fullWing = true, .profileViewScale = 3.0, .wingViewScale = 0.5};
    doc.superposed = true;
    doc.currentPanel = 1;
    doc.modified = true;
  }

  // Everything of `doc` a save would store, as bytes.
  std::string snapshot(CT1Doc& doc) { return encodeContents(CaptureProject(doc)).value_or(""); }

  void expectReset(const CT1Doc& doc) {
    EXPECT_EQ(doc.display, DisplayOptions{});
    EXPECT_EQ(std::tuple(doc.superposed, doc.cutChoices.wingSide, doc.cutChoices.clearance),
              std::tuple(false, 0, 0.0));
  }

  const test::TempDir dir_;
};

auto sectionState(const Section& s) {
  return std::tie(s.profile.points, s.profile.name, s.params.chord, s.params.basicHeight,
                  s.params.washout, s.params.skin, s.params.xleAlpha, s.cutUpper, s.cutLower);
}

TEST_F(ProjectFileTest, SavedProjectLoadsBackWithDisplaySettingsReset) {
  CT1Doc doc(context);
  makeRichProject(doc);
  const Panel tipBefore = doc.panels[1];
  const fs::path file = dir_ / "wing.cnc";
  const std::string stream = snapshot(doc);  // before the save, which resets the wing side

  std::string error;
  ASSERT_TRUE(SaveProjectFile(doc, file, &error)) << error;
  EXPECT_TRUE(prompt.messages().empty());
  // A compound file (its signature first) holding the stream.
  const std::string first = test::readFile(file);
  EXPECT_EQ(first.substr(0, 8), "\xD0\xCF\x11\xE0\xA1\xB1\x1A\xE1");
  EXPECT_EQ(first, *buildCompoundFile(stream));
  EXPECT_EQ(std::tie(doc.modified, doc.path, doc.foamName), std::tuple(false, file, "Dépron"));
  expectReset(doc);  // a save runs the post-load steps too
  // The changed tip profile is stored as its changed points.
  EXPECT_EQ(doc.panels[1].tip.profile.points, tipBefore.tip.profile.points);

  // Another project is open with another foam and speed when the file is loaded.
  config.foams.SelectFoam("Poly extrudé");
  config.foams.cutSpeed = 9.0;
  CT1Doc loaded(context);
  loaded.display.leOnTop = false;
  loaded.currentPanel = 0;
  ASSERT_TRUE(LoadProjectFile(loaded, file, &error)) << error;
  EXPECT_TRUE(prompt.messages().empty());

  ASSERT_EQ(loaded.panels.size(), 2U);
  EXPECT_EQ(std::tie(loaded.currentPanel, loaded.modified, loaded.path),
            std::tuple(0, false, file));
  expectReset(loaded);
  EXPECT_EQ(std::tuple(config.foams.CurrentFoamName(), config.foams.cutSpeed),
            std::tuple("Dépron", 1.75));
  // Every stored field, as reviewed; the same as saved.
  test::expectGolden("projects/rich-project.json", projectToJson(CaptureProject(loaded)).dump(1));
  EXPECT_EQ(snapshot(loaded), snapshot(doc));
  EXPECT_EQ(loaded.panels[1].tip.profile.points, tipBefore.tip.profile.points);
  // Rebuilt from the same data the same way: identical outlines.
  for (std::size_t i = 0; i < 2; ++i) {
    EXPECT_EQ(sectionState(loaded.panels[i].root), sectionState(doc.panels[i].root));
    EXPECT_EQ(sectionState(loaded.panels[i].tip), sectionState(doc.panels[i].tip));
  }

  // Saving again keeps the previous file as .bak and writes the same stream.
  ASSERT_TRUE(SaveProjectFile(loaded, file, &error)) << error;
  EXPECT_EQ(test::readFile(fs::path(file.string() + ".bak")), first);
  EXPECT_EQ(snapshot(loaded), snapshot(doc));
}

// Older files as another program wrote them (make_fixtures.py), loaded and
// rebuilt, compared with their reviewed JSON form: v1003 gives the stored
// block position (offset 12, root axis 300) to every panel and renumbers spar
// type 4 as 5; v1005 keeps a panel that is not a wing panel with its leading
// edge but a horizontal trailing edge, and defaults spars 7..10; the file
// without version reads the first number as the root's basic height (25) and
// copies the root to the tip. The wing side is reset; the file's foam becomes
// current at its speed.
TEST_F(ProjectFileTest, OlderFilesLoadAsReviewed) {
  const struct {
    const char* file;
    const char* foam;
    double speed;
  } fixtures[] = {{"v1003", "Dépron", 1.5},
                  {"v1005", "Poly extrudé", 2.0},
                  {"no_version", "Poly expansé", 3.25}};
  for (const auto& f : fixtures) {
    SCOPED_TRACE(f.file);
    CT1Doc doc(context);
    std::string error;
    ASSERT_TRUE(LoadProjectFile(
        doc, test::testDataDir() / "projects" / (std::string(f.file) + ".cnc"), &error))
        << error;
    EXPECT_TRUE(prompt.messages().empty());
    test::expectGolden(std::string("projects/") + f.file + ".json",
                       projectToJson(CaptureProject(doc)).dump(1));
    EXPECT_EQ(
        std::tuple(doc.cutChoices.wingSide, config.foams.CurrentFoamName(), config.foams.cutSpeed),
        std::tuple(0, f.foam, f.speed));
  }
}

TEST_F(ProjectFileTest, AFileThatIsNotAProjectLeavesTheOpenProjectUntouched) {
  CT1Doc doc(context);
  makeRichProject(doc);
  const fs::path saved = dir_ / "saved.cnc";
  ASSERT_TRUE(SaveProjectFile(doc, saved));
  const std::string container = test::readFile(saved);
  const std::string stream = *encodeContents(CaptureProject(doc));

  doc.modified = true;
  doc.display.fullWing = true;
  doc.path = "/somewhere/else.cnc";
  const std::string before = snapshot(doc);
  const std::string foamBefore = config.foams.CurrentFoamName();

  struct Case {
    std::string name;
    std::string bytes;
  };
  std::vector<Case> cases = {
      {"airfoil.dat", "NACA 0012\n1.0 0.0013\n0.5 0.0529\n0.0 0.0\n0.5 -0.0529\n1.0 -0.0013\n"},
      {"empty.cnc", ""},
  };
  // The compound file with its stream renamed: no "Contents" stream.
  std::string renamed = container;
  const std::string name16("C\0o\0n\0t\0e\0n\0t\0s\0", 16);
  const std::size_t at = renamed.find(name16);
  ASSERT_NE(at, std::string::npos);
  renamed[at + 14] = 'z';
  cases.push_back({"renamed.cnc", renamed});
  // A compound file holding a stream that is cut short.
  cases.push_back({"short.cnc", *buildCompoundFile(stream.substr(0, stream.size() / 2))});
  // The compound file itself cut short at several places.
  for (std::size_t n = 0; n < container.size(); n += 509) {
    cases.push_back({"cut" + std::to_string(n) + ".cnc", container.substr(0, n)});
  }

  const std::vector<std::string> invalid{std::string(messageText(Msg::InvalidProjectFormat))};
  for (const Case& c : cases) {
    const fs::path file = dir_ / c.name;
    test::writeFile(file, c.bytes);
    prompt.clear();
    std::string error;
    SCOPED_TRACE(c.name);
    EXPECT_FALSE(LoadProjectFile(doc, file, &error));
    EXPECT_EQ(error, messageText(Msg::InvalidProjectFormat));
    EXPECT_EQ(prompt.messages(), invalid);
    EXPECT_EQ(snapshot(doc), before);
    EXPECT_EQ(std::tuple(doc.modified, doc.display.fullWing, doc.path.string(),
                         config.foams.CurrentFoamName()),
              std::tuple(true, true, "/somewhere/else.cnc", foamBefore));
  }

  // A file that cannot be opened says so instead.
  prompt.clear();
  EXPECT_FALSE(LoadProjectFile(doc, dir_ / "missing.cnc"));
  EXPECT_EQ(prompt.messages(),
            std::vector<std::string>{std::string(messageText(Msg::UnableToOpenFileForReading))});
  EXPECT_EQ(snapshot(doc), before);

  // The bare stream, without the container, is a project.
  const fs::path bare = dir_ / "bare.cnc";
  test::writeFile(bare, stream);
  EXPECT_TRUE(LoadProjectFile(doc, bare));
  EXPECT_EQ(doc.panels.size(), 2U);
}

TEST_F(ProjectFileTest, ASurfaceTooLargeForTheFileIsNotSavedAndTheFileStaysAsItWas) {
  CT1Doc doc(context);
  const fs::path file = dir_ / "big.cnc";
  ASSERT_TRUE(SaveProjectFile(doc, file));
  const std::string onDisk = test::readFile(file);

  // 65536 upper points (the leading edge included) and a 3-point lower surface.
  PointList raw;
  for (int i = 65535; i >= 1; --i) raw.push_back({i / 65535.0, 0.05});
  raw.push_back({0.0, 0.0});
  raw.push_back({0.5, -0.02});
  raw.push_back({1.0, 0.0});
  Profile big;
  ASSERT_TRUE(big.BuildFromPoints(raw));
  ASSERT_EQ(big.ExtractUpper().size(), 65536U);
  doc.panels[0].root.profile = big;
  doc.modified = true;
  doc.display.fullWing = true;
  prompt.clear();

  std::string error;
  EXPECT_FALSE(SaveProjectFile(doc, file, &error));
  EXPECT_TRUE(test::contains(error, file.string()));
  EXPECT_TRUE(test::contains(error, "65535"));
  EXPECT_EQ(prompt.messages(), std::vector<std::string>{error});
  EXPECT_EQ(test::readFile(file), onDisk);
  EXPECT_FALSE(fs::exists(fs::path(file.string() + ".bak")));
  EXPECT_EQ(std::tuple(doc.modified, doc.display.fullWing, doc.panels[0].root.profile.count()),
            std::tuple(true, true, big.count()));
}

TEST_F(ProjectFileTest, AProjectWhoseOutlinesWouldBeHugeIsNeitherLoadedNorSaved) {
  // A chord of 1e9 mm makes every cut outline as long as resampling allows
  // (a million points); five such panels hold more than the limit.
  CT1Doc doc(context);
  ProjectData data = CaptureProject(doc);
  for (StoredSection* s : {&data.panels[0].root, &data.panels[0].tip}) s->params.chord = 1e9;
  data.panels[0].differentRootTip = true;
  data.panels.resize(5, data.panels[0]);
  data.splines = false;
  const fs::path hostile = dir_ / "hostile.cnc";
  ASSERT_TRUE(WriteProjectFile(data, hostile));

  const std::string before = snapshot(doc);
  prompt.clear();
  EXPECT_FALSE(LoadProjectFile(doc, hostile));
  EXPECT_EQ(prompt.messages(),
            std::vector<std::string>{std::string(messageText(Msg::InvalidProjectFormat))});
  EXPECT_EQ(snapshot(doc), before);
  ASSERT_EQ(doc.panels.size(), 1U);

  // The same panels in an open project (not built yet) are not saved either.
  Panel wide = doc.panels[0];
  wide.differentRootTip = true;
  wide.root.params.chord = 1e9;
  wide.tip.params.chord = 1e9;
  doc.panels.assign(5, wide);
  doc.splines = false;
  doc.modified = true;
  prompt.clear();
  std::string error;
  EXPECT_FALSE(SaveProjectFile(doc, dir_ / "never.cnc", &error));
  EXPECT_TRUE(test::contains(error, std::to_string(kMaxProjectOutlinePoints)));
  EXPECT_EQ(prompt.messages(), std::vector<std::string>{error});
  EXPECT_FALSE(fs::exists(dir_ / "never.cnc"));
  // Not rebuilt.
  EXPECT_EQ(std::tuple(doc.modified, doc.panels[0].root.cutUpper.size()),
            std::tuple(true, wide.root.cutUpper.size()));
}

}  // namespace
}  // namespace orva
