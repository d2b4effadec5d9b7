#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <functional>
#include <initializer_list>
#include <optional>
#include <string>
#include <string_view>
#include <tuple>
#include <utility>
#include <vector>

#include "common/Messages.h"
#include "model/PanelOperations.h"
#include "model/XleConfigForm.h"
#include "support/FormChecks.h"
#include "support/Golden.h"
#include "support/MachineRig.h"
#include "support/TestFiles.h"

namespace orva {
namespace {

namespace fs = std::filesystem;
using Strings = std::vector<std::string>;

// A Selig-order airfoil of five points whose values a 32-bit float holds exactly.
constexpr const char* kFivePointAirfoil =
    "FIVE\n1.0 0.0\n0.5 0.0625\n0.0 0.0\n0.5 -0.03125\n1.0 0.0\n";

class DocumentTest : public ::testing::Test, protected test::ProjectRig {
 protected:
  DocumentTest() {
    context.profileDirectory = (dir_ / "airfoils").string();
    context.projectDirectory = (dir_ / "projects").string();
    doc.subscribe([this](DocChanges) { ++redraws_; });
  }

  std::string writeFile(const std::string& name, const std::string& content) {
    test::writeFile(dir_ / name, content);
    return (dir_ / name).string();
  }

  const test::TempDir dir_;
  int redraws_ = 0;
};

TEST_F(DocumentTest, ObserversAreToldOnceExactlyWhatACommandChanged) {
  using C = DocChange;
  std::vector<DocChanges> first, second;
  const CT1Doc::ObserverToken a = doc.subscribe([&](DocChanges c) { first.push_back(c); });
  doc.subscribe([&](DocChanges c) { second.push_back(c); });
  const std::string saved = (dir_ / "observed.cnc").string();

  struct Step {
    const char* what;
    std::function<void()> run;
    std::optional<DocChanges> told;  // nothing: no notification at all
  };
  const std::vector<Step> steps = {
      {"new at end, unmodified", [&] { NewPanelAtEnd(doc); },
       C::PanelList | C::CurrentPanel | C::ModifiedFlag},
      {"new at end, modified", [&] { NewPanelAtEnd(doc); }, C::PanelList | C::CurrentPanel},
      {"select another panel", [&] { doc.SelectPanel(0); }, C::CurrentPanel},
      {"select the current panel", [&] { doc.SelectPanel(0); }, std::nullopt},
      {"legends", [&] { doc.ToggleOption(CT1Doc::kCmdLegends); }, C::DisplayOptions},
      {"edge treatment", [&] { doc.SetEdgeTreatment(CT1Doc::kCmdTeMeanChord); }, C::PanelGeometry},
      {"alignment", [&] { AlignSections(doc, SectionAlignment::UpperSide); }, C::PanelGeometry},
      {"split", [&] { SplitCurrentPanel(doc, 50.0); },
       C::PanelList | C::CurrentPanel | C::PanelGeometry},
      {"flag off", [&] { doc.SetModifiedFlag(false); }, C::ModifiedFlag},
      {"flag off again", [&] { doc.SetModifiedFlag(false); }, std::nullopt},
      {"comments", [&] { doc.EditComments(std::string("note")); }, C::ModifiedFlag},
      {"comments again", [&] { doc.EditComments(std::nullopt); }, std::nullopt},
      {"delete", [&] { DeleteCurrentPanel(doc); }, C::PanelList | C::CurrentPanel},
      {"save as",
       [&] {
         prompt.queueFile(saved);
         ASSERT_TRUE(doc.SaveAs());
       },
       C::PanelGeometry | C::DisplayOptions | C::ModifiedFlag | C::Path},
      {"new project", [&] { doc.NewProject(); }, DocChanges::all()},
  };
  for (const Step& step : steps) {
    first.clear();
    second.clear();
    step.run();
    const std::vector<DocChanges> expected =
        step.told ? std::vector<DocChanges>{*step.told} : std::vector<DocChanges>{};
    EXPECT_EQ(first, expected) << step.what;
    EXPECT_EQ(second, expected) << step.what;
  }

  // Unsubscribed, the first observer hears nothing more; the second still does.
  EXPECT_TRUE(doc.unsubscribe(a));
  EXPECT_FALSE(doc.unsubscribe(a));
  first.clear();
  second.clear();
  NewPanelAtEnd(doc);
  EXPECT_TRUE(first.empty());
  EXPECT_EQ(second.size(), 1u);

  // Changing the observers while they are told: one removed is not called
  // any more, one added is called from the next change on.
  CT1Doc other(context);
  int removedCalls = 0, addedCalls = 0;
  CT1Doc::ObserverToken removed = 0;
  other.subscribe([&](DocChanges) {
    other.unsubscribe(removed);
    other.subscribe([&](DocChanges) { ++addedCalls; });
  });
  removed = other.subscribe([&](DocChanges) { ++removedCalls; });
  other.SetModifiedFlag(true);
  EXPECT_EQ(removedCalls, 0);
  EXPECT_EQ(addedCalls, 0);
  other.SetModifiedFlag(false);
  EXPECT_EQ(addedCalls, 1);
}

// {panels, current, span, root axis offset, splines, modified, path}
auto newProjectState(const CT1Doc& doc) {
  return std::tuple(doc.panels.size(), doc.currentPanel, doc.current().span,
                    doc.current().rootAxisOffset, doc.splines, doc.modified, doc.path.string());
}

TEST_F(DocumentTest, NewProjectHoldsOneDefaultPanel) {
  config.table.Entraxe = 1501;
  EXPECT_EQ(newProjectState(doc), std::tuple(1u, 0, 750.0, 375, true, false, ""));
  EXPECT_EQ(doc.current().sectionCutZ, 0);
  EXPECT_FALSE(doc.current().sectionCutEnabled);

  // Starting over forgets everything the project held.
  doc.panels.push_back(doc.panels.front());
  doc.currentPanel = 1;
  doc.comments = "old";
  doc.splines = false;
  doc.superposed = true;
  doc.display.fullWing = true;
  doc.cutChoices.cutOrder = 0;
  doc.path = dir_ / "x.cnc";
  doc.modified = true;
  config.table.Entraxe = 1000;
  doc.NewProject();
  EXPECT_EQ(newProjectState(doc), std::tuple(1u, 0, 500.0, 250, true, false, ""));
  EXPECT_TRUE(doc.comments.empty());
  EXPECT_FALSE(doc.superposed);
  EXPECT_EQ(doc.display, DisplayOptions{});
  EXPECT_EQ(doc.cutChoices, PanelCutChoices{});
}

TEST_F(DocumentTest, FailedProfileSelectionChangesNothing) {
  const Panel before = doc.current();
  const std::string twoPoints = writeFile("two.dat", "1.0 0.0\n0.0 0.0\n");

  prompt.queueFile(std::nullopt);                     // cancelled
  prompt.queueFile((dir_ / "missing.dat").string());  // cannot be opened
  prompt.queueFile(twoPoints);                        // too few points
  EXPECT_FALSE(doc.SelectRootProfile());
  EXPECT_FALSE(doc.SelectRootProfile());
  EXPECT_FALSE(doc.SelectTipProfile());

  EXPECT_EQ(prompt.messages(), (Strings{"Invalid .dat file", "Unable to Open file for Reading",
                                        "Invalid .dat file", "Invalid .dat file"}));
  EXPECT_EQ(std::tie(doc.current().root.profile.points, doc.current().tip.profile.points,
                     doc.current().root.cutUpper),
            std::tie(before.root.profile.points, before.tip.profile.points, before.root.cutUpper));
  EXPECT_EQ(std::tuple(doc.modified, redraws_), std::tuple(false, 0));

  // The file dialogs asked with the titles and the airfoil directory.
  std::vector<std::string> titles;
  for (const auto& call : prompt.calls()) {
    if (call.kind != ScriptedPrompt::Kind::OpenFile) continue;
    titles.push_back(call.request.title);
    EXPECT_EQ(call.request.initialDirectory, context.profileDirectory);
  }
  EXPECT_EQ(titles,
            (Strings{"Root profile selection", "Root profile selection", "Tip profile selection"}));
}

TEST_F(DocumentTest, ChosenProfileRebuildsTheCurrentPanel) {
  const std::string file = writeFile("five.dat", kFivePointAirfoil);

  // Root: the tip follows it.
  const PointList fiveUpper{{0.0, 0.0}, {0.5, 0.0625}, {1.0, 0.0}};
  prompt.queueFile(file);
  ASSERT_TRUE(doc.SelectRootProfile());
  EXPECT_EQ(std::tuple(doc.modified, redraws_), std::tuple(true, 1));
  const Section& root = doc.current().root;
  EXPECT_EQ(std::tie(root.profile.name, root.upper), std::tuple("FIVE", fiveUpper));
  EXPECT_EQ(root.profile.count(), 5);
  EXPECT_EQ(doc.current().tip.profile.name, "FIVE");
  EXPECT_EQ(doc.current().tip.cutUpper, root.cutUpper);

  // Tip: the root keeps its profile, the tip is built from its own.
  doc.NewProject();
  prompt.queueFile(file);
  ASSERT_TRUE(doc.SelectTipProfile());
  const Panel& p = doc.current();
  EXPECT_EQ(std::tie(p.root.profile.name, p.tip.profile.name, p.tip.upper),
            std::tuple("NoName", "FIVE", fiveUpper));
  EXPECT_EQ(p.tip.cutUpper.size(), p.root.cutUpper.size());
  EXPECT_TRUE(doc.modified);
}

TEST_F(DocumentTest, SplinesToggleRebuildsOnlyTheCurrentPanel) {
  doc.panels.push_back(doc.panels.front());
  doc.panels[1].root.params.chord = 300.0;
  doc.panels[1].Rebuild(true, true);
  const Panel other = doc.panels[0];
  ASSERT_TRUE(doc.SelectPanelCommand(CT1Doc::kCmdFirstPanel + 1));
  EXPECT_FALSE(doc.modified);

  ASSERT_TRUE(doc.ToggleOption(CT1Doc::kCmdSplines));
  EXPECT_EQ(std::tuple(doc.splines, doc.modified), std::tuple(false, true));

  // The current panel now holds straight-line outlines: the same as a panel
  // built afresh without splines; the other panel kept its spline outlines.
  Panel expected = doc.panels[1];
  expected.Rebuild(false, true);
  const Section& current = doc.panels[1].root;
  EXPECT_EQ(std::tie(current.cutUpper, current.cutLower),
            std::tie(expected.root.cutUpper, expected.root.cutLower));
  Panel splined = doc.panels[1];
  splined.Rebuild(true, true);
  EXPECT_NE(current.cutUpper, splined.root.cutUpper);
  EXPECT_EQ(std::tie(doc.panels[0].root.cutUpper, doc.panels[0].tip.cutLower),
            std::tie(other.root.cutUpper, other.tip.cutLower));
}

// The document's menu commands by name.
using D = CT1Doc;
const std::pair<const char*, int> kCommands[] = {
    {"splines", D::kCmdSplines},
    {"superposed", D::kCmdSuperposed},
    {"legends", D::kCmdLegends},
    {"profiles without sweep", D::kCmdProfilesWithoutSweep},
    {"le on top", D::kCmdLeOnTop},
    {"full wing", D::kCmdFullWing},
    {"cut coordinates", D::kCmdCutCoordinates},
    {"profile coordinates", D::kCmdProfileCoordinates},
    {"te horizontal", D::kCmdTeHorizontal},
    {"te mean chord", D::kCmdTeMeanChord},
    {"te upper and lower", D::kCmdTeUpperAndLower},
    {"te upper surface", D::kCmdTeUpperSurface},
    {"le none", D::kCmdLeNone},
    {"le horizontal", D::kCmdLeHorizontal},
    {"le x cut", D::kCmdLeXCut},
    {"x leading edge...", D::kCmdXLeadingEdge},
    {"comments", D::kCmdComments},
    {"panel 0", D::kCmdFirstPanel - 1},
    {"panel 1", D::kCmdFirstPanel},
    {"panel 2", D::kCmdFirstPanel + 1},
    {"panel 3", D::kCmdFirstPanel + 2},
    {"panel 4", D::kCmdFirstPanel + 3}};

// Their menu states, one a line ("disabled" when the command is, [x] when
// checked, "none" when it has no state), and the figures they change.
std::vector<std::string> commandLines(const CT1Doc& doc, int redraws) {
  std::vector<std::string> lines;
  for (const auto& [name, id] : kCommands) {
    const std::optional<CommandState> s = doc.commandState(id);
    lines.push_back(
        "  " + std::string(name) +
        (!s ? " none"
            : std::string(s->enabled ? "" : " disabled") + (s->checked ? " [x]" : " [ ]")));
  }
  std::string comments = doc.comments;
  for (std::size_t at = comments.find('\n'); at != std::string::npos; at = comments.find('\n', at))
    comments.replace(at, 1, "\\n");
  lines.push_back("  le " + std::to_string(doc.current().leMode) + " te " +
                  std::to_string(doc.current().teMode) + " comments \"" + comments +
                  "\" modified " + std::to_string(doc.modified) + " redraws " +
                  std::to_string(redraws));
  return lines;
}

// A session of commands run as the menu runs them, as reviewed in
// tests/data/model/document-commands.txt: each step ("refused" when the
// command was), then the lines that changed. Edge treatments check their
// command and modify the project; "X leading edge..." only while the X cut is
// chosen, which opening it chooses; panels are selected within the list;
// closing the comments without "Done" keeps the text but marks the project
// modified; on a panel that is not a wing panel the splines and every edge
// command are disabled and refused; the display toggles work on any panel
// and never modify the project; "comments" is no toggle.
TEST_F(DocumentTest, CommandSessionMatchesTheReviewedStates) {
  doc.panels.push_back(doc.panels.front());
  doc.panels.push_back(doc.panels.front());
  std::string dump;
  std::vector<std::string> shown;
  const auto step = [&](const std::string& what, bool taken) {
    dump += "> " + what + (taken ? "\n" : " refused\n");
    const std::vector<std::string> now = commandLines(doc, redraws_);
    for (std::size_t i = 0; i < now.size(); ++i) {
      if (i >= shown.size() || now[i] != shown[i]) dump += now[i] + "\n";
    }
    shown = now;
  };
  const auto commands = [&](std::initializer_list<const char*> names) {
    for (const char* name : names) {
      const int id = std::find_if(std::begin(kCommands), std::end(kCommands), [&](const auto& c) {
                       return std::string_view(c.first) == name;
                     })->second;
      step(name, doc.ToggleOption(id) || doc.SetEdgeTreatment(id) || doc.SelectPanelCommand(id));
    }
  };
  step("opened", true);
  commands({"te upper surface", "le horizontal"});
  step("x leading edge... dialog", doc.XLeadingEdge() != nullptr);
  doc.SetModifiedFlag(false);
  step("saved", true);
  commands({"panel 3", "panel 4", "panel 0", "panel 1"});
  doc.EditComments(std::string("spar at 30 %\nsecond"));
  step("comments done", true);
  doc.SetModifiedFlag(false);
  doc.EditComments(std::nullopt);
  step("saved, comments closed", true);
  doc.current().wingPanel = false;
  doc.SetModifiedFlag(false);
  step("not a wing panel, saved", true);
  commands({"splines", "te upper and lower", "le horizontal", "x leading edge...", "superposed",
            "legends", "profiles without sweep", "le on top", "full wing", "cut coordinates",
            "profile coordinates", "comments"});
  step("x leading edge... dialog", doc.XLeadingEdge() != nullptr);
  test::expectGolden("model/document-commands.txt", dump);
}

TEST_F(DocumentTest, SaveAsksForAPathOnlyWhenTheProjectHasNoneAndAFailureKeepsItModified) {
  std::vector<fs::path> recent;
  doc.addToRecentFiles = [&](const fs::path& p) { recent.push_back(p); };
  doc.modified = true;

  prompt.queueFile(std::nullopt);
  EXPECT_FALSE(doc.Save());
  ASSERT_EQ(prompt.calls().size(), 1u);
  const FileDialogRequest& request = prompt.calls()[0].request;
  EXPECT_EQ(prompt.calls()[0].kind, ScriptedPrompt::Kind::SaveFile);
  std::string filters;
  for (const FileFilter& f : request.filters) filters += f.description + "|" + f.patterns + "|";
  EXPECT_EQ(filters, "Fichiers projet (*.cnc)|*.cnc|All Files|*.*|");
  EXPECT_EQ(std::tie(request.defaultExtension, request.initialDirectory, request.promptOverwrite),
            std::tuple("cnc", context.projectDirectory, false));
  EXPECT_EQ(std::tuple(doc.modified, doc.path, recent.size()), std::tuple(true, fs::path(), 0u));

  const fs::path target = dir_ / "wing.cnc";
  prompt.queueFile(target.string());
  ASSERT_TRUE(doc.Save());
  EXPECT_TRUE(fs::exists(target));
  EXPECT_EQ(std::tie(doc.path, doc.modified, recent),
            std::tuple(target, false, std::vector<fs::path>{target}));

  // Saved again to its own path without a question.
  prompt.clear();
  doc.modified = true;
  ASSERT_TRUE(doc.Save());
  EXPECT_TRUE(prompt.calls().empty());
  EXPECT_FALSE(doc.modified);

  // Save as always asks, and offers the current name.
  prompt.queueFile(std::nullopt);
  EXPECT_FALSE(doc.SaveAs());
  ASSERT_EQ(prompt.calls().size(), 1u);
  EXPECT_EQ(prompt.calls()[0].request.defaultName, "wing.cnc");
  EXPECT_EQ(doc.path, target);

  // A failed save keeps the project modified, its path and the recent files.
  prompt.clear();
  doc.modified = true;
  prompt.queueFile((dir_ / "no such directory" / "wing.cnc").string());
  EXPECT_FALSE(doc.SaveAs());
  ASSERT_EQ(prompt.messages().size(), 1u);
  EXPECT_EQ(prompt.messages()[0].rfind("Unable to save ", 0), 0u) << prompt.messages()[0];
  EXPECT_EQ(std::tie(doc.modified, doc.path, recent),
            std::tuple(true, target, std::vector<fs::path>{target, target}));
}

}  // namespace
}  // namespace orva
