// The dialogs of the auxiliary cuts, cut scripts and the machine and
// material settings, bound to their forms (Qt Test, offscreen), and the cuts
// they start followed by the window's job runner on the simulated machine.
#include <QAbstractButton>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>

#include "DialogTestSupport.h"
#include "TestRegistry.h"
#include "app/DirectoriesForm.h"
#include "config/FoamManagementForm.h"
#include "config/MaterialNameForm.h"
#include "config/TableConfigForm.h"
#include "cutting/BlockShapingForm.h"
#include "cutting/FoamCutForm.h"
#include "cutting/TestCutForm.h"
#include "ui/AuxiliaryCutDialog.h"
#include "ui/DirectoriesDialog.h"
#include "ui/FoamCutDialog.h"
#include "ui/FoamManagementDialog.h"
#include "ui/MachineDialogs.h"
#include "ui/TableConfigDialog.h"

namespace orva {

namespace {

using uitest::child;
using uitest::choose;
using uitest::click;
using uitest::edit;
using uitest::everyFieldBound;
using uitest::groupTitles;
using uitest::typeInto;
using uitest::whenModal;

std::vector<FoamType> threeFoams() {
  FoamType extruded = test::MachineRig::foam("Poly extrudé", 3.5, 80, ComputedHeat);
  extruded.minSpeed = 1.0;
  extruded.minSpeedHeat = 45;
  return {test::MachineRig::foam("Blue", 8.0, 50), extruded,
          test::MachineRig::foam("Dépron", 2.0, 50)};
}

using uitest::WindowRig;

bool plannerAtZero(const MovePlanner& planner, const TableConfig& table) {
  const MovePlanner::Position p = planner.towers();
  return qAbs(p.XG - table.ZeroX) < 1e-9 && qAbs(p.XD - table.ZeroX) < 1e-9 &&
         qAbs(p.YG - table.ZeroY) < 1e-9 && qAbs(p.YD - table.ZeroY) < 1e-9;
}

template <typename AuxiliaryForm>
std::unique_ptr<Form> makeForm(test::ProjectRig& rig, AuxiliaryCutValues& values,
                               AuxiliaryCutSession& session) {
  return std::make_unique<AuxiliaryForm>(rig.doc, values, session);
}

class MachineDialogsTest : public QObject {
  Q_OBJECT

 private slots:
  void blockShapingAndTestCutBindRefuseTheFirstBadBoxAndCommit() {
    // The two dialogs are alike: the same checks on each.
    struct Case {
      const char* title;
      decltype(&makeForm<TestCutForm>) make;
      std::vector<int> left, right;
    };
    using B = BlockShapingField;
    using T = TestCutField;
    const std::vector<Case> cases = {
        {"Block shaping",
         makeForm<BlockShapingForm>,
         {int(B::X0), int(B::BlockCentred), int(B::LeftAxisOffset), int(B::Length),
          int(B::YDimension)},
         {int(B::LeftWidth), int(B::RightWidth), int(B::Taper), int(B::FoamType),
          int(B::CutSpeed)}},
        {"Test Cut",
         makeForm<TestCutForm>,
         {int(T::StartWithTop), int(T::X0), int(T::BlockCentred), int(T::LeftAxisOffset),
          int(T::Spacing), int(T::NumberOfCuts), int(T::YDimension)},
         {int(T::LeftWidth), int(T::RightWidth), int(T::Taper), int(T::Length), int(T::Height),
          int(T::FoamType), int(T::CutSpeed), int(T::Heat)}},
    };
    uitest::SessionDump dump;
    for (const Case& c : cases) {
      test::ProjectRig rig;
      rig.useFoams(threeFoams());
      AuxiliaryCutValues values;
      AuxiliaryCutSession session;  // "Block centered" set
      std::unique_ptr<Form> form = c.make(rig, values, session);
      AuxiliaryCutDialog dialog(*form, c.title, c.left, c.right, nullptr);
      dialog.show();
      QVERIFY2(everyFieldBound(dialog), c.title);
      const auto step = [&](const std::string& title) {
        dump.step(title, dialog, rig.prompt);
        dump.line("shown " + std::to_string(dialog.isVisible()) + " result " +
                  std::to_string(dialog.result()) + " offsetX0 " +
                  std::to_string(rig.doc.current().offsetX0) + " blockLength " +
                  QString::number(values.blockLength).toStdString() + " foam " +
                  rig.config.foams.currentFoam + " cutSpeed " +
                  QString::number(rig.config.foams.cutSpeed).toStdString());
      };
      dump.shown.clear();
      dump.text += "#### " + dialog.windowTitle().toStdString() + "\n";
      step("opened");
      // Centred: the left axis offset follows the length on the screen.
      typeInto(edit(dialog, "length"), "600");
      QCOMPARE(edit(dialog, "leftAxisOffset")->text(),
               QString::number((rig.config.table.Entraxe - 600) / 2));
      step("length 600");
      auto* foams = child<QComboBox>(dialog, "foamType");
      choose(foams, foams->findText(QStringLiteral("Dépron")));
      step("foam Dépron");
      if (auto* heat = dialog.findChild<QLineEdit*>("heat")) typeInto(heat, "40");
      typeInto(edit(dialog, "x0"), "1.5x");
      click(dialog, "ok");
      step("heat 40, x0 1.5x, OK");
      typeInto(edit(dialog, "x0"), "35");
      click(dialog, "ok");
      step("x0 35, OK");
    }
    QVERIFY(uitest::matchesGolden("ui/auxiliary-cut-sessions.txt", dump.text));
  }

  void foamCutRaisesThenCutsThroughTheJobRunnerAndHoldsTheDialogMeanwhile() {
    test::ProjectRig rig;
    rig.fastMotors();
    rig.useFoams(threeFoams());
    JobRunner runner(rig.job);
    runner.setServiceInterval(std::chrono::milliseconds(1));
    FoamCutForm form(rig.doc);
    FoamCutDialog dialog(form, runner, nullptr);
    dialog.show();
    QVERIFY(everyFieldBound(dialog));

    // Reviewed in tests/data/ui/foam-cut-session.txt: "Horizontal cut" swaps
    // the boxes in use; while a move runs no button can be used; raised, only
    // the action button can, it has the focus and the dialog does not close;
    // after the cut the focus is on "Done".
    uitest::SessionDump dump;
    const auto step = [&](const std::string& title) {
      dump.step(title, dialog, rig.prompt);
      dump.line("shown " + std::to_string(dialog.isVisible()) + " following " +
                std::to_string(runner.following()) + " armVMax " +
                std::to_string(rig.config.table.ArmVMax));
    };
    step("opened");
    click(dialog, "horizontal");
    step("horizontal");
    click(dialog, "horizontal");
    typeInto(edit(dialog, "heightOfCut"), "60");
    typeInto(edit(dialog, "alpha"), "45");
    QSignalSpy finished(&runner, &JobRunner::finished);
    click(dialog, "action");
    step("vertical, height 60, alpha 45, raise");
    QVERIFY(finished.wait(20000));
    QCOMPARE(finished.at(0).at(0).value<CutJobResult>(), CutJobResult::Done);
    // Raised: 60 mm up and 60 mm on.
    QVERIFY(qAbs(rig.planner.towers().YG - 60.0) < 0.1 &&
            qAbs(rig.planner.towers().XD - 60.0) < 0.1);
    dialog.reject();
    step("raised, closing refused");

    click(dialog, "action");
    QVERIFY(finished.wait(20000));
    QCOMPARE(finished.at(1).at(0).value<CutJobResult>(), CutJobResult::Done);
    QVERIFY(plannerAtZero(rig.planner, rig.config.table));
    QCOMPARE(rig.owner.strayCalls(), 0);
    step("cut");
    click(dialog, "raiseAtMaxSpeed");
    click(dialog, "done");
    step("raise at max speed, done");
    QVERIFY(uitest::matchesGolden("ui/foam-cut-session.txt", dump.text));
    QCOMPARE(dialog.result(), int(QDialog::Accepted));
  }

  void tableConfigurationRecomputesSpinsRefusesAndCommits() {
    test::ProjectRig rig;
    test::TempDir dir;
    rig.config.dataDirectory = dir.path();
    int port = 2;
    std::vector<std::string> madeCurrent;
    TableConfigFormHooks hooks{[&](const std::string& name) { madeCurrent.push_back(name); },
                               [] {}};
    const TableConfig before = rig.config.table;
    {
      TableConfigForm form(rig.config.table, port, {"Default", "Small"}, "Default", dir.path(),
                           rig.prompt, hooks);
      form.setPortChoices({"/dev/ttyACM0"});  // not the system's ports
      TableConfigDialog dialog(form, nullptr);
      dialog.show();
      QVERIFY(everyFieldBound(dialog));
      QCOMPARE(dialog.windowTitle(), QString("CNC Table Configuration"));
      QCOMPARE(groupTitles(dialog),
               QStringList({"X Axis Configuration", "Y Axis Configuration", "Dimensions",
                            "Miscellaneous", "Driver and Hardware Interface", "Controller"}));
      // Reviewed in tests/data/ui/table-config-session.txt: the maximum speed
      // follows the steps per revolution at once (1000 / (96 x 5) = 2.0833);
      // the up arrow makes the time one timer period longer; a refused
      // distance keeps the dialog open with the focus on it.
      uitest::SessionDump dump;
      const auto step = [&](const std::string& title) {
        dump.step(title, dialog, rig.prompt);
        dump.line("shown " + std::to_string(dialog.isVisible()) + " result " +
                  std::to_string(dialog.result()) + " committed entraxe " +
                  std::to_string(rig.config.table.Entraxe));
      };
      step("opened");
      typeInto(edit(dialog, "xNtour"), "96");
      QCOMPARE(edit(dialog, "xMaxSpeed")->text(), uiText(form.text(TableConfigField::XMaxSpeed)));
      click(dialog, "yVmaxUp");
      QCOMPARE(edit(dialog, "yVmax")->text(), uiText(form.text(TableConfigField::YVmax)));
      step("96 steps, Y time up");
      typeInto(edit(dialog, "entraxe"), "30");
      click(dialog, "ok");
      step("entraxe 30, OK");
      typeInto(edit(dialog, "entraxe"), "800");
      choose(child<QComboBox>(dialog, "port"), 3);
      click(dialog, "ok");
      step("entraxe 800, LPT4, OK");
      QVERIFY(uitest::matchesGolden("ui/table-config-session.txt", dump.text));
    }
    QCOMPARE(port, 3);
    QVERIFY(madeCurrent.empty());

    // Cancel, also by closing the window, loads the table of the opening again.
    TableConfigForm form(rig.config.table, port, {"Default", "Small"}, "Default", dir.path(),
                         rig.prompt, hooks);
    TableConfigDialog dialog(form, nullptr);
    dialog.show();
    typeInto(edit(dialog, "axesX"), "2000");
    QTest::keyClick(&dialog, Qt::Key_Escape);
    QVERIFY(!dialog.isVisible());
    QCOMPARE(madeCurrent, std::vector<std::string>{"Default"});
    QCOMPARE(rig.config.table.AxesX, before.AxesX);
  }

  void tableConfigurationControllerFieldsFollowTheBackend() {
    test::ProjectRig rig;
    test::TempDir dir;
    int port = 0;
    TableConfigForm form(rig.config.table, port, {"Default"}, "Default", dir.path(), rig.prompt,
                         {[](const std::string&) {}, [] {}});
    form.setPortChoices({"/dev/ttyACM0", "/dev/ttyUSB1"});
    TableConfigDialog dialog(form, nullptr);
    dialog.show();
    QVERIFY(everyFieldBound(dialog));
    auto* ports = child<QComboBox>(dialog, "ctlPortChoice");
    auto* portEdit = edit(dialog, "ctlPort");
    QCOMPARE(portEdit->parentWidget(), static_cast<QWidget*>(ports));
    // Reviewed in tests/data/ui/table-controller-session.txt: the stepper
    // interface greys every controller field and the port's list; the
    // caller's ports are listed and a choice is the field's text; a refused
    // field takes the focus and nothing is committed.
    uitest::SessionDump dump;
    const auto step = [&](const std::string& title) {
      dump.step(title, dialog, rig.prompt);
      dump.line("shown " + std::to_string(dialog.isVisible()) + " form ctlPort " +
                form.text(TableConfigField::CtlPort) + " committed grbl " +
                std::to_string(rig.config.table.controller.isGrbl()));
    };
    step("opened");
    choose(child<QComboBox>(dialog, "ctlBackend"), 1);
    step("G-code controller");
    choose(ports, 1);
    step("port 2 chosen");
    typeInto(edit(dialog, "ctlBaud"), "0");
    click(dialog, "ok");
    step("baud 0, OK");
    typeInto(edit(dialog, "ctlBaud"), "250000");
    typeInto(portEdit, "/dev/pts/4");
    click(dialog, "ok");
    step("baud 250000, port /dev/pts/4, OK");
    QVERIFY(uitest::matchesGolden("ui/table-controller-session.txt", dump.text));
    QCOMPARE(dialog.result(), int(QDialog::Accepted));
    const ControllerLink& link = rig.config.table.controller;
    QCOMPARE(std::tie(link.CtlPort, link.CtlBaud), std::tuple(std::string("/dev/pts/4"), 250000));
  }

  void foamManagementFollowsTheHeatModeNamesAMaterialAndAppliesOnExit() {
    test::ProjectRig rig;
    rig.useFoams(threeFoams());
    FoamManagementForm form(
        rig.config.foams, rig.driver, rig.prompt, {"Default"}, "Default",
        [](MaterialNameForm& nameForm) { runMaterialNameDialog(nameForm, nullptr); });
    FoamManagementDialog dialog(form, nullptr);
    dialog.show();
    QVERIFY(everyFieldBound(dialog));
    // Reviewed in tests/data/ui/foam-management-session.txt: a fixed-heat
    // foam hides the minimum group; a refused heat keeps the dialog open with
    // the focus on it; a new material starts as a copy of the one shown and
    // is current on exit.
    uitest::SessionDump dump;
    const auto step = [&](const std::string& title) {
      dump.step(title, dialog, rig.prompt);
      const FoamDatabase& foams = rig.config.foams;
      dump.line("shown " + std::to_string(dialog.isVisible()) + " current " + foams.currentFoam +
                " cutSpeed " + QString::number(foams.cutSpeed).toStdString());
      for (const auto& [name, foam] : foams.records) {
        dump.line(name + ": mode " + std::to_string(foam.heatMode) + " heat " +
                  std::to_string(foam.maxSpeedHeat) + " speed " +
                  QString::number(foam.maxSpeed).toStdString());
      }
    };
    step("opened");
    // No frame around the maximum group of a fixed-heat foam.
    const auto labelOf = [&dialog](QWidget* buddy) -> QString {
      for (const QLabel* l : dialog.findChildren<QLabel*>()) {
        if (l->buddy() == buddy) return QString(l->text()).remove('&');
      }
      return {};
    };
    auto* speed = edit(dialog, "maxSpeed");
    QCOMPARE(labelOf(speed), QString("Speed (mm/s)"));
    click(dialog, "computedHeat");
    QCOMPARE(labelOf(speed), QString("Max speed (mm/s)"));
    step("computed heat");
    typeInto(edit(dialog, "maxSpeedHeat"), "101");
    click(dialog, "ok");
    step("heat 101, OK");

    whenModal([](QWidget* nameDialog) {
      // OK only: the window's close button dismisses it.
      const auto buttons = nameDialog->findChild<QDialogButtonBox*>()->buttons();
      QCOMPARE(std::count_if(buttons.begin(), buttons.end(),
                             [&](QAbstractButton* b) { return b->isVisibleTo(nameDialog); }),
               1);
      typeInto(nameDialog->findChild<QLineEdit*>("materialName"), "Green");
      QTest::mouseClick(nameDialog->findChild<QPushButton*>("ok"), Qt::LeftButton);
    });
    click(dialog, "createMaterial");
    step("new material Green");
    typeInto(edit(dialog, "maxSpeedHeat"), "60");
    typeInto(speed, "3.5");
    click(dialog, "ok");
    step("heat 60, speed 3.5, OK");
    QVERIFY(uitest::matchesGolden("ui/foam-management-session.txt", dump.text));
    QCOMPARE(dialog.result(), int(QDialog::Accepted));
  }

  void directoriesBrowseTestAndDefaultReachTheSettingsOnlyWithDone() {
    test::TempDir dir;
    test::ProjectRig rig;
    test::RecordingSound sound;
    sound.onlyExistingFiles = true;
    AppSettings settings;
    settings.RepProfil = "/old/profiles";
    settings.SonFinDec = "missing.wav";
    DirectoriesForm form(settings, rig.prompt, sound, {});
    DirectoriesDialog dialog(form, nullptr);
    dialog.show();
    QVERIFY(everyFieldBound(dialog));
    QCOMPARE(groupTitles(dialog), QStringList({"Installation Directory", "Finished Cutting Sound",
                                               "Profile Directory", "Project Directory"}));

    // Reviewed in tests/data/ui/directories-session.txt: a file picked in a
    // directory gives the directory, without a separator; Test plays the
    // sound; Default gives back the sound; the settings change only on Done.
    uitest::SessionDump dump;
    const auto step = [&](const std::string& title) {
      dump.step(title, dialog, rig.prompt);
      dump.line("shown " + std::to_string(dialog.isVisible()) + " settings " + settings.RepProfil +
                " | " + settings.SonFinDec + " | " + settings.RepProjet);
    };
    step("opened");
    test::writeFile(dir / "profiles/naca.dat", "x");
    rig.prompt.queueFile((dir / "profiles/naca.dat").string());
    click(dialog, "browseProfileDirectory");
    step("profile directory browsed");
    click(dialog, "test");
    step("test");
    click(dialog, "default");
    typeInto(edit(dialog, "projectDirectory"), "/work/projects/");
    step("default, project directory typed");
    click(dialog, "done");
    step("done");
    QVERIFY(uitest::matchesGolden(
        "ui/directories-session.txt",
        QString::fromStdString(dump.text).replace(dir.path().c_str(), "$DIR").toStdString()));
    QCOMPARE(dialog.result(), int(QDialog::Accepted));
  }

  void tableManagementRenamesTheTableAndPaneOneShowsIt() {
    WindowRig w;
    QCOMPARE(w.status.tableName(), QString("Default"));
    whenModal([](QWidget* tables) {
      QVERIFY(tables->findChild<QListWidget*>("tables") != nullptr);
      whenModal([](QWidget* name) {
        // The name is limited to 25 characters as it is typed.
        auto* edit = name->findChild<QLineEdit*>("tableName");
        QCOMPARE(edit->maxLength(), 25);
        typeInto(edit, "Bench");
        QTest::mouseClick(name->findChild<QPushButton*>("ok"), Qt::LeftButton);
      });
      QTest::mouseClick(tables->findChild<QPushButton*>("editTableName"), Qt::LeftButton);
      auto* list = tables->findChild<QListWidget*>("tables");
      QCOMPARE(list->currentItem()->text(), QString("Bench"));
      QTest::mouseClick(tables->findChild<QPushButton*>("validateSelection"), Qt::LeftButton);
    });
    QVERIFY(runMachineDialog(32901, *w.frame, w.context));
    QVERIFY(QApplication::activeModalWidget() == nullptr);
    QCOMPARE(w.context.machine.currentTable, std::string("Bench"));
    QCOMPARE(w.status.tableName(), QString("Bench"));
    QVERIFY(std::filesystem::exists(w.dir / "data/Bench_table.bd"));
    QVERIFY(!std::filesystem::exists(w.dir / "data/Default_table.bd"));
  }

  void blockShapingRunsFromItsDialogToItsEndOnTheSimulatedMachine() {
    WindowRig w;
    w.context.machine.table.XVmax = 0.5;
    w.context.machine.table.YVmax = 0.5;
    w.context.syncMachineToTable();
    QVERIFY(w.context.document != nullptr);
    w.prompt.queueAnswer(Answer::Ok);  // "Start cut ?"
    whenModal([](QWidget* dialog) {
      QCOMPARE(dialog->windowTitle(), QString("Block shaping"));
      QTest::mouseClick(dialog->findChild<QPushButton*>("ok"), Qt::LeftButton);
    });
    QVERIFY(runMachineDialog(32798, *w.frame, w.context));
    QVERIFY(w.cutRunsToItsEnd());
    const CutJobProgress progress = w.context.job.progress();
    QCOMPARE(progress.moveIndex, progress.moveCount);  // its moves as in the auxiliary cuts' list
    QVERIFY(plannerAtZero(w.context.planner, w.context.machine.table));
    // After the cut pane 1 shows the table again, not the last progress.
    QCOMPARE(w.status.tableName(), QString("Default"));
  }

  void aScriptRunsFromItsOpenDialogToItsEnd() {
    WindowRig w;
    // The script makes the table "Bench" current: twice the X steps per mm.
    QVERIFY(test::writeFile(w.dir / "data/Bench_table.bd", "XNtour 96\n"));
    // 20 mm up in 8 s (2.5 mm/s, within the motors' 4.17 mm/s), and back.
    const std::string script =
        "F:Poly expans\xe9\nN:Bench\nHw:40\n"
        "// Start\nT:0.000000 XG:0.000000 YG:0.000000 XD:0.000000 YD:0.000000\n"
        "// Up\nT:8.000000 XG:10.000000 YG:20.000000 XD:10.000000 YD:20.000000\n"
        "// Back\nT:8.000000 XG:0.000000 YG:0.000000 XD:0.000000 YD:0.000000\n";
    QVERIFY(test::writeFile(w.dir / "up.cut", script));

    w.prompt.queueFile((w.dir / "up.cut").string());
    w.prompt.queueAnswer(Answer::Ok);  // "Start cut ?"
    QVERIFY(runMachineDialog(32837, *w.frame, w.context));
    // The simulated machine runs the moves with the script's table.
    QCOMPARE(w.machine().params().xStepsPerMm, 96.0);
    QVERIFY(w.cutRunsToItsEnd());
    QCOMPARE(w.prompt.messages(), std::vector<std::string>{});
    QCOMPARE(w.status.tableName(), QString("Bench"));
    QCOMPARE(w.context.job.progress().moveIndex, std::size_t{2});
    QVERIFY(plannerAtZero(w.context.planner, w.context.machine.table));

    // Cancelling the open dialog starts nothing.
    QVERIFY(runMachineDialog(32837, *w.frame, w.context));
    QVERIFY(!w.frame->jobRunner().following());
  }
};

}  // namespace

ORVA_REGISTER_UI_TEST(MachineDialogsTest)

}  // namespace orva

#include "MachineDialogsTest.moc"
