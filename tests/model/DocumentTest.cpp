#include <gtest/gtest.h>

#include <filesystem>
#include <functional>
#include <optional>
#include <string>
#include <tuple>
#include <vector>

#include "common/Messages.h"
#include "model/PanelOperations.h"
#include "model/XleConfigForm.h"
#include "support/FormChecks.h"
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
  EXPECT_EQ(doc.commandState(CT1Doc::kCmdSplines), (CommandState{true, false}));

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

  // Not on a panel that is not a wing panel.
  doc.current().wingPanel = false;
  doc.modified = false;
  EXPECT_FALSE(doc.ToggleOption(CT1Doc::kCmdSplines));
  EXPECT_EQ(std::tuple(doc.splines, doc.modified), std::tuple(false, false));
  EXPECT_EQ(doc.commandState(CT1Doc::kCmdSplines), (CommandState{false, false}));
}

TEST_F(DocumentTest, DisplayTogglesDoNotModifyTheProject) {
  struct Toggle {
    int id;
    bool CT1Doc::*docField;
    bool DisplayOptions::*displayField;
  };
  const Toggle toggles[] = {
      {CT1Doc::kCmdSuperposed, &CT1Doc::superposed, nullptr},
      {CT1Doc::kCmdLegends, nullptr, &DisplayOptions::legends},
      {CT1Doc::kCmdProfilesWithoutSweep, nullptr, &DisplayOptions::profilesWithoutSweep},
      {CT1Doc::kCmdLeOnTop, nullptr, &DisplayOptions::leOnTop},
      {CT1Doc::kCmdFullWing, nullptr, &DisplayOptions::fullWing},
      {CT1Doc::kCmdCutCoordinates, nullptr, &DisplayOptions::cutCoordinates},
      {CT1Doc::kCmdProfileCoordinates, nullptr, &DisplayOptions::profileCoordinates},
  };
  doc.current().wingPanel = false;  // display toggles work on any panel
  for (const Toggle& t : toggles) {
    SCOPED_TRACE(t.id);
    const auto value = [&] { return t.docField ? doc.*t.docField : doc.display.*t.displayField; };
    const bool before = value();
    EXPECT_EQ(doc.commandState(t.id), (CommandState{true, before}));
    ASSERT_TRUE(doc.ToggleOption(t.id));
    EXPECT_EQ(value(), !before);
    EXPECT_EQ(doc.commandState(t.id), (CommandState{true, !before}));
  }
  EXPECT_FALSE(doc.modified);
  EXPECT_EQ(redraws_, 7);
  EXPECT_FALSE(doc.ToggleOption(CT1Doc::kCmdComments));  // not a toggle
}

TEST_F(DocumentTest, EdgeTreatmentsActOnlyOnAWingPanel) {
  ASSERT_TRUE(doc.SetEdgeTreatment(CT1Doc::kCmdTeUpperSurface));
  ASSERT_TRUE(doc.SetEdgeTreatment(CT1Doc::kCmdLeHorizontal));
  EXPECT_EQ(std::tuple(doc.current().teMode, doc.current().leMode, doc.modified),
            std::tuple(TeUpperSurface, LeHorizontal, true));
  EXPECT_EQ(doc.commandState(CT1Doc::kCmdTeUpperSurface), (CommandState{true, true}));
  EXPECT_EQ(doc.commandState(CT1Doc::kCmdTeMeanChord), (CommandState{true, false}));
  EXPECT_EQ(doc.commandState(CT1Doc::kCmdLeHorizontal), (CommandState{true, true}));
  // "X leading edge..." only while the X cut is chosen.
  EXPECT_EQ(doc.commandState(CT1Doc::kCmdXLeadingEdge), (CommandState{false, false}));
  ASSERT_NE(doc.XLeadingEdge(), nullptr);
  EXPECT_EQ(doc.current().leMode, LeXCut);
  EXPECT_EQ(doc.commandState(CT1Doc::kCmdXLeadingEdge), (CommandState{true, true}));
  EXPECT_EQ(doc.commandState(CT1Doc::kCmdLeXCut), (CommandState{true, true}));

  doc.current().wingPanel = false;
  doc.modified = false;
  for (const int id : {CT1Doc::kCmdTeHorizontal, CT1Doc::kCmdTeMeanChord,
                       CT1Doc::kCmdTeUpperAndLower, CT1Doc::kCmdTeUpperSurface, CT1Doc::kCmdLeNone,
                       CT1Doc::kCmdLeHorizontal, CT1Doc::kCmdLeXCut, CT1Doc::kCmdXLeadingEdge}) {
    SCOPED_TRACE(id);
    EXPECT_FALSE(doc.SetEdgeTreatment(id));
    EXPECT_EQ(doc.commandState(id), (CommandState{false, false}));
  }
  EXPECT_EQ(doc.XLeadingEdge(), nullptr);
  EXPECT_EQ(std::tuple(doc.current().teMode, doc.current().leMode, doc.modified),
            std::tuple(TeUpperSurface, LeXCut, false));
}

TEST_F(DocumentTest, XLeadingEdgeFormStoresTheTenValuesOnOk) {
  doc.current().differentRootTip = true;
  auto form = doc.XLeadingEdge();
  ASSERT_NE(form, nullptr);
  doc.modified = false;
  test::expectTexts(*form, {{XleField::RootAlpha, "45"}, {XleField::TipLength, "10"}});
  EXPECT_FALSE(form->enabled(XleField::RootAlpha) || form->enabled(XleField::TipBeta));
  EXPECT_FALSE(form->setText(XleField::TipBeta, "12"));
  EXPECT_EQ(form->text(XleField::TipBeta), "45");

  // Cancel: nothing but the X cut already chosen.
  const SectionParams root = doc.current().root.params;
  ASSERT_TRUE(form->setText(XleField::RootH1, "7"));
  form->cancel();
  EXPECT_EQ(doc.current().root.params.xleH1, root.xleH1);
  EXPECT_FALSE(doc.modified);

  form = doc.XLeadingEdge();
  doc.modified = false;
  ASSERT_TRUE(form->setText(XleField::RootLength, "12.5"));
  test::expectRefusalsInOrder(*form, prompt,
                              {{XleField::TipH2, "x", "Please enter a number."},
                               {XleField::RootH1, "abc", "Please enter a number."}});
  ASSERT_TRUE(form->setText(XleField::TipH2, "0"));
  EXPECT_EQ(doc.current().root.params.xleLength, 10.0);
  EXPECT_FALSE(doc.modified);

  ASSERT_TRUE(form->setText(XleField::RootH1, "3"));
  ASSERT_TRUE(form->setText(XleField::RootH2, "-1.5"));
  ASSERT_TRUE(form->setText(XleField::TipLength, "8"));
  ASSERT_TRUE(form->setText(XleField::TipH1, "2"));
  ASSERT_TRUE(form->setText(XleField::TipH2, " 4 "));
  ASSERT_TRUE(form->ok());
  const SectionParams& r = doc.current().root.params;
  const SectionParams& t = doc.current().tip.params;
  EXPECT_EQ(std::tie(r.xleAlpha, r.xleBeta, r.xleLength, r.xleH1, r.xleH2),
            std::tuple(45.0, 45.0, 12.5, 3.0, -1.5));
  EXPECT_EQ(std::tie(t.xleLength, t.xleH1, t.xleH2), std::tuple(8.0, 2.0, 4.0));
  EXPECT_TRUE(doc.modified);
}

TEST_F(DocumentTest, CommentsAndPanelSelection) {
  doc.EditComments(std::string("spar at 30 %\nsecond line"));
  EXPECT_EQ(std::tie(doc.comments, doc.modified), std::tuple("spar at 30 %\nsecond line", true));
  doc.modified = false;
  doc.EditComments(std::nullopt);  // closed without "Done"
  EXPECT_EQ(std::tie(doc.comments, doc.modified), std::tuple("spar at 30 %\nsecond line", true));

  doc.panels.push_back(doc.panels.front());
  doc.panels.push_back(doc.panels.front());
  doc.modified = false;
  EXPECT_TRUE(doc.SelectPanel(2));
  EXPECT_FALSE(doc.SelectPanel(3) || doc.SelectPanel(-1));
  EXPECT_EQ(std::tuple(doc.currentPanel, doc.modified), std::tuple(2, false));
  EXPECT_EQ(doc.commandState(CT1Doc::kCmdFirstPanel + 2), (CommandState{true, true}));
  EXPECT_EQ(doc.commandState(CT1Doc::kCmdFirstPanel), (CommandState{true, false}));
  EXPECT_EQ(doc.commandState(CT1Doc::kCmdFirstPanel + 3), std::nullopt);
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
