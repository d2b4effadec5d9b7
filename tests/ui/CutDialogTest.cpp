// Cutting a panel from the desktop program (Qt Test, offscreen): the Panel
// Cutting dialog bound to its form, the clicks in its top view, a whole cut
// on the simulated machine followed by the window's job runner and its
// progress panel, and Cancel in the middle of a paced cut.
#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QProgressBar>
#include <QPushButton>
#include <QScreen>
#include <QToolBar>
#include <cctype>

#include "DialogTestSupport.h"
#include "TestRegistry.h"
#include "common/Messages.h"
#include "cutting/PanelCutForm.h"
#include "ui/CT1View.h"
#include "ui/CutProgressPanel.h"
#include "ui/PanelCutDialog.h"
#include "ui/PreviewWidget.h"

Q_DECLARE_METATYPE(orva::CutJobResult)

namespace orva {

namespace {

using F = PanelCutField;
constexpr int kPanelCut = 32807;

// The status panes, remembering what pane 2 showed while a cut ran.
class RecordingPanes : public StatusPanes {
 public:
  void setStatusText(std::string_view text) override {
    StatusPanes::setStatusText(text);
    if (!cutProgress().isEmpty()) shownProgress << cutProgress();
  }
  QStringList shownProgress;
};

// A program context on the simulated machine (settings and data in a scratch
// directory, one fixed-heat foam "Blue" at 4 mm/s and 45 %), the main window
// on its new project with the profile view, the job serviced every 10 ms.
struct CutRig {
  explicit CutRig(const std::filesystem::path& dir)
      : context(prompt, sound, status, uitest::WindowRig::optionsFor(dir)) {
    status.setCutRunning([this] { return context.job.running(); });
    context.start();
    context.restoreSimulationSpeedup();
    FoamDatabase& foams = context.machine.foams;
    foams.records.clear();
    foams.records["Blue"] = test::MachineRig::foam("Blue", 4.0, 45);
    foams.records["Fast"] = test::MachineRig::foam("Fast", 500.0, 40);
    foams.SelectFoam("Blue");
    foams.cutSpeed = 4.0;
    frame = std::make_unique<CMainFrame>(context, status);
    frame->resize(1200, 800);
    frame->show();
    frame->showProjectWindows(ProjectWindows::ProfileMaximised);
    frame->jobRunner().setServiceInterval(std::chrono::milliseconds(10));
  }
  ~CutRig() {
    // A test that failed mid-cut leaves the job to the context, which drives
    // it to its end: at once, not at the pace of the test.
    SimulatedMachineParams params = machine().params();
    params.realTimeSpeedup = 0.0;
    machine().setParams(params);
  }
  SimulatedMachine& machine() { return dynamic_cast<SimulatedMachine&>(context.driver.device()); }
  // The wire at the machine zero, as the planner and the machine see it.
  bool wireHome() {
    const MovePlanner::Position p = context.planner.towers();
    const TableConfig& t = context.machine.table;
    const MachineSnapshot home = machine().snapshot();
    return p.XG == t.ZeroX && p.YG == t.ZeroY && p.XD == t.ZeroX && p.YD == t.ZeroY &&
           std::all_of(std::begin(kAxes), std::end(kAxes),
                       [&](Axis axis) { return home[axis].actualSteps == 0; });
  }
  static constexpr Axis kAxes[] = {Axis::XG, Axis::YG, Axis::XD, Axis::YD};
  CT1View* profileView() { return qobject_cast<CT1View*>(frame->activeFrame()->view()); }
  // Opens the dialog with the command and clicks Cut once it is shown.
  void cutFromDialog() {
    uitest::whenModal([](QWidget* modal) {
      auto* cut = modal->findChild<QPushButton*>(QStringLiteral("ok"));
      if (cut != nullptr && cut->isEnabled()) {
        QTest::mouseClick(cut, Qt::LeftButton);
      } else if (auto* dialog = qobject_cast<QDialog*>(modal)) {
        dialog->reject();  // no cut to start: the test fails instead of waiting
      }
    });
    frame->onCommand(kPanelCut);
  }

  test::OwnerThread owner;
  test::CheckedPrompt prompt{owner};
  test::RecordingSound sound{&owner};
  RecordingPanes status;
  ProgramContext context;
  std::unique_ptr<CMainFrame> frame;
};

// The pixels of `widget` as it paints itself now.
QImage grabbed(QWidget* widget) { return widget->grab().toImage(); }

// Whether two pictures differ somewhere within `radius` pixels of `at`.
bool differNear(const QImage& a, const QImage& b, QPoint at, int radius) {
  for (int y = at.y() - radius; y <= at.y() + radius; ++y) {
    for (int x = at.x() - radius; x <= at.x() + radius; ++x) {
      if (!a.rect().contains(x, y) || !b.rect().contains(x, y)) continue;
      if (a.pixel(x, y) != b.pixel(x, y)) return true;
    }
  }
  return false;
}

}  // namespace

class CutDialogTest : public QObject {
  Q_OBJECT

 private slots:
  void initTestCase() { qRegisterMetaType<CutJobResult>(); }

  void dialogFitsALowScreenWithLargeText() {
    // Text twice as large as usual makes the options taller than the test
    // screen: they scroll, and the dialog with its buttons stays on it.
    uitest::ScratchDir dir;
    CutRig rig(dir / "run");
    const QFont usual = QApplication::font();
    QFont large = usual;
    large.setPointSizeF(usual.pointSizeF() * 2.0);
    QApplication::setFont(large);
    PanelCutForm form(*rig.context.document, rig.context.cut);
    PanelCutDialog dialog(form, rig.frame.get());
    dialog.show();
    QApplication::setFont(usual);
    QVERIFY(dialog.screen() != nullptr);
    const int screenHeight = dialog.screen()->availableGeometry().height();
    QVERIFY2(
        dialog.sizeHint().height() <= screenHeight,
        qPrintable(QStringLiteral("%1 > %2").arg(dialog.sizeHint().height()).arg(screenHeight)));
  }

  void dialogBindsEveryFieldAndFollowsTheEstimate() {
    uitest::ScratchDir dir;
    CutRig rig(dir / "run");
    CT1Doc& doc = *rig.context.document;
    PanelCutForm form(doc, rig.context.cut);
    PanelCutDialog dialog(form, rig.frame.get());
    dialog.show();
    QVERIFY(dialog.binder().unboundFields().empty());
    auto* messages = dialog.findChild<QLabel*>(QStringLiteral("messages"));
    auto* foam = dialog.findChild<QComboBox*>(QStringLiteral("foamType"));
    auto* intermediate = dialog.findChild<QCheckBox*>(QStringLiteral("intermediateCut"));
    QVERIFY(messages && foam && intermediate);
    // Reviewed in tests/data/ui/panel-cut-session.txt: a foam faster than
    // the motors shows the estimate's error and greys Cut out as Error; the
    // intermediate section enables its position, and Z = 0 disables Cut.
    rig.prompt.clear();
    uitest::SessionDump dump;
    const auto step = [&](const std::string& title) {
      dump.step(title, dialog, rig.prompt);
      dump.line("messages \"" + messages->text().toStdString() + "\"");
    };
    step("opened");
    emit foam->activated(foam->findText(QStringLiteral("Fast")));
    step("foam Fast");
    emit foam->activated(foam->findText(QStringLiteral("Blue")));
    step("foam Blue");
    intermediate->click();
    step("intermediate section");
    uitest::typeInto(dialog.findChild<QLineEdit*>(QStringLiteral("positionZ")),
                     QStringLiteral("0"));
    step("Z 0");
    intermediate->click();
    step("no intermediate section");
    QVERIFY(uitest::matchesGolden("ui/panel-cut-session.txt", dump.text));
    auto* cut = dialog.findChild<QPushButton*>(QStringLiteral("ok"));

    // The wing side moves the block in the front view.
    auto* side = dialog.findChild<QComboBox*>(QStringLiteral("wingSide"));
    QVERIFY(side);
    const QImage rightWing = grabbed(dialog.frontPreview());
    emit side->activated(1);
    QVERIFY(grabbed(dialog.frontPreview()) != rightWing);

    // Cut closes the dialog through the form, which stores the choices.
    QTest::mouseClick(cut, Qt::LeftButton);
    QCOMPARE(dialog.result(), static_cast<int>(QDialog::Accepted));
    QCOMPARE(doc.cutChoices.wingSide, 1);
    QVERIFY(!rig.context.job.running());  // the command starts the cut, not the dialog
  }

  void topViewClickShowsTableCoordinatesAndSnaps() {
    uitest::ScratchDir dir;
    CutRig rig(dir / "run");
    PanelCutForm form(*rig.context.document, rig.context.cut);
    PanelCutDialog dialog(form, rig.frame.get());
    dialog.resize(1100, 700);
    dialog.show();
    QVERIFY(QTest::qWaitForWindowExposed(&dialog));
    PreviewWidget* top = dialog.topPreview();
    const PreviewMapping mapping = top->mapping();
    QVERIFY(mapping.valid());
    const TopPreview preview = form.topPreview();
    const double width = rig.context.machine.table.Entraxe;
    const QImage before = grabbed(top);

    // One pixel beside a corner of the block: the corner is taken.
    const Point2D corner = preview.block[1];
    const Point2D c = mapping.toDevice(corner);
    const QPoint near(static_cast<int>(std::lround(c.x)) + 1, static_cast<int>(std::lround(c.y)));
    QTest::mouseClick(top, Qt::LeftButton, {}, near);
    QVERIFY(top->click().has_value());
    QVERIFY(top->click()->snapped);
    QCOMPARE(top->click()->point, corner);
    // The mark is drawn where the point is.
    const QImage marked = grabbed(top);
    QVERIFY(differNear(before, marked, near, 4));

    // Four pixels away nothing is near enough: the click itself is shown,
    // measured from the right tower with the right button.
    const QPoint away = near + QPoint(0, 4);
    QTest::mouseClick(top, Qt::RightButton, {}, away);
    QVERIFY(top->click().has_value());
    QVERIFY(!top->click()->snapped);
    const Point2D logical =
        *mapping.toLogical({static_cast<double>(away.x()), static_cast<double>(away.y())});
    char expected[64];
    std::snprintf(expected, sizeof expected, "%d %d", static_cast<int>(width - logical.x),
                  static_cast<int>(logical.y));
    QCOMPARE(QString::fromStdString(top->click()->text), QString::fromLatin1(expected));

    // A change of the form takes the mark away.
    auto* side = dialog.findChild<QComboBox*>(QStringLiteral("wingSide"));
    emit side->activated(1);
    QVERIFY(!top->click().has_value());
  }

  void wholePanelCutRunsFromTheDialog() {
    uitest::ScratchDir dir;
    CutRig rig(dir / "run");
    rig.prompt.queueAnswer(Answer::Ok);  // "Start cut ?"
    const QString table = rig.status.tableName();
    QVERIFY(!table.isEmpty());
    JobRunner& runner = rig.frame->jobRunner();
    QSignalSpy started(&runner, &JobRunner::started);
    QSignalSpy finished(&runner, &JobRunner::finished);
    bool panelShown = false;
    bool commandGreyed = false;
    bool liveViewShown = false;
    bool endShownAtStart = true;
    connect(&runner, &JobRunner::started, this, [&] {
      panelShown = rig.frame->cutProgress().isVisible();
      endShownAtStart = rig.frame->cutProgress().endShown();
      commandGreyed = !rig.frame->action(kPanelCut)->isEnabled();
    });
    connect(&runner, &JobRunner::progressed, this, [&] {
      if (rig.profileView()->liveCut()) liveViewShown = true;
    });
    // Paced, so the window sees the wire move.
    QVERIFY(rig.context.setSimulationSpeedup(100.0));

    rig.cutFromDialog();
    QCOMPARE(started.count(), 1);
    QVERIFY(rig.context.job.running());
    QVERIFY(finished.wait(60000));
    QCOMPARE(finished.first().first().value<CutJobResult>(), CutJobResult::Done);

    // The confirmation, then no message at all.
    const auto questions = rig.prompt.callsOf(ScriptedPrompt::Kind::OkCancel);
    QCOMPARE(questions.size(), std::size_t{1});
    QVERIFY(questions[0].text.starts_with("Start cut ?\nCut speed 4.00\nTotal time "));
    QVERIFY(rig.prompt.messages().empty());
    // Pane 2 showed the progress while the cut ran, and is empty again.
    QVERIFY(!rig.status.shownProgress.isEmpty());
    QCOMPARE(rig.status.shownProgress.first(), QStringLiteral("4.00 mm/s Power 45 %, fixed 45%"));
    QCOMPARE(rig.status.cutProgress(), QString());
    QCOMPARE(rig.status.tableName(), table);
    QCOMPARE(rig.owner.strayCalls(), 0);
    QVERIFY(rig.wireHome());
    // The panel and the live view came and went with the cut.
    QVERIFY(panelShown);
    QVERIFY(commandGreyed);
    QVERIFY(liveViewShown);
    QVERIFY(!rig.frame->cutProgress().isVisible());
    QVERIFY(!rig.profileView()->liveCut());
    QVERIFY(rig.frame->action(kPanelCut)->isEnabled());

    // Opened from the View menu, the panel shows the last cut's end, offers
    // the pacing before the next cut and stays open after it.
    QAction* toggle = rig.frame->cutProgress().toggleViewAction();
    const auto menus = rig.frame->menuBar()->actions();
    QVERIFY(std::any_of(menus.begin(), menus.end(), [&](QAction* m) {
      return m->menu() != nullptr && m->menu()->actions().contains(toggle);
    }));
    QVERIFY(rig.context.setSimulationSpeedup(10.0));  // as the settings give it
    toggle->trigger();
    QVERIFY(rig.frame->cutProgress().isVisible());
    QVERIFY(rig.frame->cutProgress().speedupList()->isEnabled());
    QCOMPARE(rig.frame->cutProgress().speedupList()->currentText(), QStringLiteral("10\u00d7"));
    QVERIFY(rig.frame->cutProgress().endShown());
    QVERIFY(rig.context.setSimulationSpeedup(0.0));
    rig.prompt.queueAnswer(Answer::Ok);
    rig.cutFromDialog();
    QVERIFY(finished.wait(60000));
    QCOMPARE(finished.last().first().value<CutJobResult>(), CutJobResult::Done);
    QVERIFY(!endShownAtStart);
    QVERIFY(rig.frame->cutProgress().isVisible());
    QVERIFY(rig.frame->cutProgress().endShown());
    const QProgressBar* bar = rig.frame->cutProgress().progressBar();
    QVERIFY(bar->maximum() > 1);
    QCOMPARE(bar->value(), bar->maximum());
  }

  // While a cut runs only what looks stays available: the commands that would
  // change the project, the table, the foams or the planner, or start another
  // cut, are greyed in the menus and tool bars and refused from a key. Cancel
  // retreats (paced, not cancellable), then everything is available again.
  void cancelMidCutRetreatsAndStops() {
    uitest::ScratchDir dir;
    CutRig rig(dir / "run");
    rig.prompt.queueAnswer(Answer::Ok);
    QVERIFY(rig.context.setSimulationSpeedup(10.0));  // the cut lasts
    CMainFrame& frame = *rig.frame;
    JobRunner& runner = frame.jobRunner();
    CutProgressPanel& panel = frame.cutProgress();
    const std::vector<int> locked = {57600, 57601, 57604, 32869, 32870, 32782, 32781,
                                     32810, 32834, 32807, 32811, 32798, 32837, 32901,
                                     32779, 32805, 32796, 32803, 32812};
    const std::vector<int> open = {
        1005, 1006, kCmdCutSimulationView, 59392, 32843, 57650, 57651, 57667, 57664, 57607, 57603};
    const auto enabled = [&frame](int id) {
      return frame.action(id) != nullptr && frame.action(id)->isEnabled();
    };
    for (int id : locked) QVERIFY2(enabled(id), qPrintable(QString::number(id)));
    QWidget* openButton = frame.toolBar(ToolBar::Main)->widgetForAction(frame.action(57601));
    QVERIFY(openButton && openButton->isEnabled());
    // The project menu's panel entries are made anew with the menu: looked up each time.
    const auto panelEntry = [&frame] {
      return frame.findChild<QAction*>(QStringLiteral("command32950"));
    };
    QVERIFY(panelEntry() && panelEntry()->isEnabled());
    QSignalSpy progressed(&runner, &JobRunner::progressed);
    QSignalSpy finished(&runner, &JobRunner::finished);
    rig.cutFromDialog();
    QVERIFY(rig.context.job.running());
    for (int id : locked) QVERIFY2(!enabled(id), qPrintable(QString::number(id)));
    for (int id : open) QVERIFY2(enabled(id), qPrintable(QString::number(id)));
    QVERIFY(!openButton->isEnabled());
    QVERIFY(panelEntry() && !panelEntry()->isEnabled());
    // A key reaches the window all the same: refused with a word, the project stays.
    const CT1Doc* project = rig.context.document.get();
    frame.onCommand(57600);
    QCOMPARE(rig.context.document.get(), project);
    QCOMPARE(rig.prompt.messages(),
             std::vector<std::string>{std::string(messageText(Msg::CutRunning))});
    QVERIFY(progressed.wait(10000));
    // Cancelled during the heat check, a cut ends without a move; past it,
    // it retreats. Wait until the wire is moving.
    QTRY_VERIFY_WITH_TIMEOUT(rig.context.job.progress().moveIndex > 0, 10000);
    const std::size_t total = rig.context.job.progress().moveCount;
    QVERIFY(total > 10);
    QVERIFY(panel.isVisible());
    QCOMPARE(panel.speedupList()->currentText(), QStringLiteral("10\u00d7"));
    QVERIFY(panel.cancelButton()->isEnabled());
    QVERIFY(!panel.positionText(0).isEmpty());
    QVERIFY(panel.positionText(0) != QStringLiteral("\u2014"));  // the simulated machine tells

    QTest::mouseClick(panel.cancelButton(), Qt::LeftButton);
    // The retreat runs (still paced): shown, and it cannot be cancelled.
    QTRY_VERIFY_WITH_TIMEOUT(rig.context.job.progress().retreating, 10000);
    QTRY_VERIFY_WITH_TIMEOUT(panel.retreatingShown(), 10000);
    QVERIFY(!panel.cancelButton()->isEnabled());
    QCOMPARE(panel.moveText(), QStringLiteral("Abort cut"));
    // The live view shows the cut as far as it went, and the wire on its way home.
    QTRY_VERIFY_WITH_TIMEOUT(rig.profileView()->liveCut().has_value(), 5000);
    const LiveCutOverlay& live = *rig.profileView()->liveCut();
    QVERIFY(live.rootWire.has_value());
    QVERIFY(live.rootPath.size() <= rig.context.job.lastCutMovesSent() + 1);
    QVERIFY(live.rootPath.size() >= rig.context.job.lastCutMovesSent());
    // The rest of the retreat at once, chosen in the panel.
    const int atOnce = panel.speedupList()->findText(QStringLiteral("at once"));
    QVERIFY(atOnce >= 0);
    emit panel.speedupList()->activated(atOnce);
    QCOMPARE(rig.context.simulationSpeedup(), std::optional<double>(0.0));
    QVERIFY(finished.wait(30000));

    QCOMPARE(finished.first().first().value<CutJobResult>(), CutJobResult::Cancelled);
    // The wire is home though the pace changed during the retreat.
    QVERIFY(rig.wireHome());
    QVERIFY(!panel.isVisible());
    QCOMPARE(rig.status.cutProgress(), QString());
    for (int id : locked) QVERIFY2(enabled(id), qPrintable(QString::number(id)));
    QVERIFY(openButton->isEnabled());
    QVERIFY(panelEntry() && panelEntry()->isEnabled());
    // The choice is remembered for the next run.
    QVERIFY(rig.context.setSimulationSpeedup(100.0));
    CutRig again(dir / "run");
    QCOMPARE(again.context.simulationSpeedup(), std::optional<double>(100.0));
  }

  // "Cut to File" with "Step Details" from the dialog: the script goes
  // through the save dialog with the step dump (its lines are checked with
  // the whole-cut references), and nothing runs on the machine.
  void stepDetailsAreWrittenThroughTheSaveDialog() {
    uitest::ScratchDir dir;
    CutRig rig(dir / "run");
    const std::filesystem::path target = dir / "steps";
    rig.prompt.queueFile(target.string());
    uitest::whenModal([](QWidget* modal) {
      auto* toFile = modal->findChild<QCheckBox*>(QStringLiteral("cutToFile"));
      auto* steps = modal->findChild<QCheckBox*>(QStringLiteral("stepDetails"));
      auto* cut = modal->findChild<QPushButton*>(QStringLiteral("ok"));
      if (toFile == nullptr || steps == nullptr || cut == nullptr) {
        if (auto* dialog = qobject_cast<QDialog*>(modal)) dialog->reject();
        return;
      }
      toFile->click();
      steps->click();
      QTest::mouseClick(cut, Qt::LeftButton);
    });
    rig.frame->onCommand(kPanelCut);
    QVERIFY(!rig.context.job.running());
    QVERIFY(rig.context.cut.output.stepDetails);

    std::ifstream in(dir / "steps.cut", std::ios::binary);
    QVERIFY2(in.good(), "no script written");
    std::size_t moves = 0;
    std::size_t dumped = 0;
    for (std::string line; std::getline(in, line);) {
      if (line.rfind("T:", 0) == 0) {
        ++moves;
      } else if (!line.empty() && std::isdigit(static_cast<unsigned char>(line[0])) != 0) {
        ++dumped;  // "<delay> [-+]YG [-+]XG ...", several entries a move
      }
    }
    QVERIFY(moves > 10);
    QVERIFY(dumped > moves);
    // Written, not cut: no question, no start of the interface.
    QVERIFY(rig.prompt.callsOf(ScriptedPrompt::Kind::OkCancel).empty());
    QCOMPARE(rig.machine().counters().starts, std::uint64_t{0});
  }

  void closingTheWindowDuringACutCancelsItFirst() {
    uitest::ScratchDir dir;
    CutRig rig(dir / "run");
    rig.prompt.queueAnswer(Answer::Ok);  // "Start cut ?"
    QVERIFY(rig.context.setSimulationSpeedup(10.0));
    QSignalSpy finished(&rig.frame->jobRunner(), &JobRunner::finished);
    rig.cutFromDialog();
    QVERIFY(rig.context.job.running());
    // "Cancel cut ?" answered Cancel: the window and the cut stay.
    rig.prompt.queueAnswer(Answer::Cancel);
    QVERIFY(!rig.frame->close());
    QVERIFY(rig.context.job.running());
    QVERIFY(rig.frame->isVisible());
    // Answered OK: the cut retreats, then the window closes.
    rig.prompt.queueAnswer(Answer::Ok);
    QVERIFY(!rig.frame->close());
    QCOMPARE(rig.prompt.callsOf(ScriptedPrompt::Kind::OkCancel).back().text,
             std::string("Cancel cut ?"));
    SimulatedMachineParams params = rig.machine().params();
    params.realTimeSpeedup = 0.0;  // the retreat at once
    rig.machine().setParams(params);
    QVERIFY(finished.wait(30000));
    QCOMPARE(finished.first().first().value<CutJobResult>(), CutJobResult::Cancelled);
    QTRY_VERIFY_WITH_TIMEOUT(!rig.frame->isVisible(), 5000);
  }
};

ORVA_REGISTER_UI_TEST(CutDialogTest)

}  // namespace orva

#include "CutDialogTest.moc"
