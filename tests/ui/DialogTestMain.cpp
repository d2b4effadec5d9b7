// The dialog tests (Qt Test, offscreen by default). With --dialog NAME the
// binary instead shows one dialog on a sample project, on the display in use,
// until it is closed: for looking at the dialogs.
#include <QApplication>
#include <QTest>

#include <cstdlib>
#include <cstring>
#include <memory>
#include <string>

#include "DialogTestSupport.h"
#include "cutting/SparsForm.h"
#include "model/EllipticalWingForm.h"
#include "model/PanelParamsForm.h"
#include "model/ProjectFile.h"
#include "model/SplitPanelForm.h"
#include "model/XleConfigForm.h"
#include "ui/CommentsDialog.h"
#include "ui/EllipticalWingDialog.h"
#include "ui/PanelParamsDialog.h"
#include "ui/QtUserPrompt.h"
#include "ui/SparsDialog.h"
#include "ui/XleConfigDialog.h"
#include "app/ProgramContext.h"
#include "motion/TimerCalibrationForm.h"
#include "motion/ZeroAxisForm.h"
#include "ui/JobRunner.h"
#include "ui/StatusPanes.h"
#include "ui/TimerCalibrationDialog.h"
#include "ui/ZeroAxisDialog.h"
#include "cutting/PanelCutForm.h"
#include "ui/PanelCutDialog.h"

namespace orva {
std::unique_ptr<QObject> makeFormBinderTest();
std::unique_ptr<QObject> makeProjectDialogsTest();
std::unique_ptr<QObject> makeMainWindowTest();
std::unique_ptr<QObject> makeManualControlTest();
std::unique_ptr<QObject> makeCutDialogTest();
std::unique_ptr<QObject> makeMachineDialogsTest();
int showMachineDialog(const std::string& name);
std::unique_ptr<QObject> makeCutSimulationViewTest();
std::unique_ptr<QObject> makeMachinePanelTest();
}  // namespace orva

namespace {

// The hand controls on a program context of their own (settings and data in
// a scratch directory) with the simulated machine.
int showManualControl(const std::string& name) {
  using namespace orva;
  uitest::ScratchDir dir;
  QtUserPrompt prompt;
  test::RecordingSound sound;
  StatusPanes status;
  ProgramContext context(prompt, sound, status, uitest::WindowRig::optionsFor(dir.path()));
  context.start();
  if (name == "timerCalibration") {
    TimerCalibrationForm form(context.driver, context.machine.table);
    return TimerCalibrationDialog(form, nullptr).exec();
  }
  JobRunner runner(context.job);
  ZeroAxisForm form(context.job);
  return ZeroAxisDialog(form, runner, nullptr).exec();
}

int showDialog(const std::string& name) {
  using namespace orva;
  if (name == "timerCalibration" || name == "zeroAxis") return showManualControl(name);
  uitest::ProjectRig rig;
  // The example project when it can be read; otherwise a tapered panel.
  if (!LoadProjectFile(rig.doc, ORVA_EXAMPLE_PROJECT)) {
    Panel& p = rig.doc.current();
    p.differentRootTip = true;
    p.tip.params.chord = 90.0;
    p.sweep = 30.0;
    p.root.params.leMargin = 10.0;
    p.Rebuild(rig.doc.splines, true);
  }
  Panel& panel = rig.doc.current();
  if (!panel.spars[0].active) {
    panel.spars[0].active = true;
    panel.spars[0].label = "Main spar";
    panel.spars[1].active = true;
    panel.spars[1].type = 7;
    panel.spars[1].label = "Hinge";
  }
  if (rig.doc.comments.empty()) rig.doc.comments = "Wing of the sample project.\r\nSecond line.";
  if (const int shown = showMachineDialog(name); shown != -1) return shown;
  if (name == "panelParams") {
    PanelParamsForm form(rig.doc);
    return PanelParamsDialog(form, nullptr).exec();
  }
  if (name == "xle") {
    auto form = rig.doc.XLeadingEdge();
    return XleConfigDialog(*form, nullptr).exec();
  }
  if (name == "spars") {
    SparsForm form(rig.doc);
    return SparsDialog(form, nullptr).exec();
  }
  if (name == "split") {
    SplitPanelForm form(rig.doc);
    return FormDialog::plain(form, SplitPanelForm::title(), nullptr)->exec();
  }
  if (name == "elliptical") {
    panel.root.params.chord = 250.0;
    panel.tip.params.chord = 80.0;
    panel.span = 700.0;
    panel.sweep = 0.0;
    EllipticalWingForm form(rig.doc);
    return EllipticalWingDialog(form, nullptr).exec();
  }
  if (name == "panelCut") {
    // On the simulated machine with one fixed-heat and one computed-heat foam.
    test::ProjectRig cut;
    if (!LoadProjectFile(cut.doc, ORVA_EXAMPLE_PROJECT)) cut.doc.NewProject();
    FoamType computed = test::MachineRig::foam("Poly", 4.0, 70, ComputedHeat);
    computed.minSpeed = 1.0;
    computed.minSpeedHeat = 30;
    cut.useFoams({computed, test::MachineRig::foam("Depron", 2.0, 50)});
    PanelCutForm form(cut.doc, cut.env);
    return PanelCutDialog(form, nullptr).exec();
  }
  if (name == "comments") {
    return CommentsDialog(rig.doc.comments, nullptr).exec();
  }
  // The prompt's own windows.
  QtUserPrompt qtPrompt;
  if (name == "question") {
    qtPrompt.askYesNoCancel("Save changes to wing.cnc?", MessageIcon::Question);
    return 0;
  }
  if (name == "rootProfile") {
    ProjectContext context{qtPrompt, rig.config, ORVA_AIRFOIL_DIR, ""};
    CT1Doc doc(context);
    doc.SelectRootProfile();
    return 0;
  }
  std::fprintf(stderr, "unknown dialog %s\n", name.c_str());
  return 2;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc == 3 && std::strcmp(argv[1], "--dialog") == 0) {
    QApplication app(argc, argv);
    showDialog(argv[2]);
    return 0;
  }
  if (!std::getenv("QT_QPA_PLATFORM")) setenv("QT_QPA_PLATFORM", "offscreen", 1);
  QApplication app(argc, argv);
  int failed = 0;
  for (auto make : {orva::makeFormBinderTest, orva::makeProjectDialogsTest, orva::makeMainWindowTest,
                    orva::makeManualControlTest, orva::makeCutDialogTest, orva::makeMachineDialogsTest,
                    orva::makeCutSimulationViewTest, orva::makeMachinePanelTest}) {
    const std::unique_ptr<QObject> test = make();
    failed += QTest::qExec(test.get(), argc, argv);
  }
  return failed == 0 ? 0 : 1;
}
