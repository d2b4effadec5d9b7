// The cut window under Qt Test (offscreen): opened from the View menu, the
// time line moving the wire, the 3D view turned by dragging, and the view
// following a real cut on the simulated machine.
#include <QApplication>
#include <QMdiArea>
#include <QSignalSpy>
#include <QSlider>
#include <QStatusBar>
#include <QTest>
#include <QToolButton>
#include <QLabel>
#include <QListWidget>
#include <fstream>
#include <memory>

#include "DialogTestSupport.h"
#include "TestRegistry.h"
#include "app/ProgramContext.h"
#include "common/Messages.h"
#include "common/ScriptedPrompt.h"
#include "common/SoundPort.h"
#include "cutting/PanelCutPlanner.h"
#include "driver/SimulatedMachine.h"
#include "support/MirroredTowerCase.h"
#include "ui/CMainFrame.h"
#include "ui/CutSimulationView.h"
#include "ui/JobRunner.h"
#include "ui/StatusPanes.h"

namespace orva {

namespace {

class Quiet : public SoundPort {
 public:
  bool playAndWait(const std::string&) override { return true; }
};

struct CutWindowRig {
  explicit CutWindowRig(const std::filesystem::path& dir) : context(prompt, sound, status, optionsFor(dir)) {
    context.start();
    frame = std::make_unique<CMainFrame>(context, status);
    frame->resize(1200, 800);
    frame->show();
  }
  static ProgramOptions optionsFor(const std::filesystem::path& dir) {
    std::filesystem::create_directories(dir / "data");
    std::ofstream(dir / "settings.ini") << "";
    ProgramOptions options;
    options.settingsFile = dir / "settings.ini";
    options.dataDirectory = dir / "data";
    return options;
  }
  ScriptedPrompt prompt;
  Quiet sound;
  StatusPanes status;
  ProgramContext context;
  std::unique_ptr<CMainFrame> frame;
};

}  // namespace

class CutSimulationViewTest : public QObject {
  Q_OBJECT

 private slots:
  void viewCommandOpensTheCutWindowAndTheTimeLineMovesTheWire() {
    uitest::ScratchDir dir;
    CutWindowRig rig(dir / "run");
    CMainFrame& frame = *rig.frame;
    QVERIFY(frame.openProject(ORVA_EXAMPLE_PROJECT).opened());
    QAction* command = frame.action(kCmdCutSimulationView);
    QVERIFY(command);
    QCOMPARE(command->text(), QStringLiteral("Cut"));
    QVERIFY(command->isEnabled());
    command->trigger();
    CProfileFrame* window = frame.activeFrame();
    QVERIFY(window);
    QCOMPARE(window->kind(), CProfileFrame::ViewKind::Cut);
    QCOMPARE(window->windowTitle(), QStringLiteral("wing.cnc - Cut"));
    auto* view = qobject_cast<CutSimulationView*>(window->view());
    QVERIFY(view);
    const CutSimulation& sim = view->simulation();
    QVERIFY2(sim.ok(), sim.error.c_str());
    // A new window shows the wire at the end.
    QCOMPARE(view->state().time, sim.totalTime);
    // The same command again keeps the one window.
    command->trigger();
    QCOMPARE(frame.frames().size(), 3);

    auto* slider = view->findChild<QSlider*>(QStringLiteral("timeSlider"));
    auto* readout = view->findChild<QLabel*>(QStringLiteral("moveReadout"));
    QVERIFY(slider && readout);
    QCOMPARE(slider->maximum(), static_cast<int>(std::ceil(sim.totalTime * CutSimulationView::kSliderSteps)));
    const QString before = readout->text();
    slider->setValue(slider->maximum() / 2);
    const double t = slider->maximum() / 2 / double(CutSimulationView::kSliderSteps);
    QCOMPARE(view->state().time, t);
    const WireState expected = sim.at(t);
    QCOMPARE(view->state().wire.left.x, expected.wire.left.x);
    QCOMPARE(view->state().wire.tip.y, expected.wire.tip.y);
    QVERIFY(readout->text() != before);
    QVERIFY(readout->text().contains(QString::fromStdString(expected.label)));
    // The next move ends where that move ends.
    view->findChild<QToolButton*>(QStringLiteral("nextMove"))->click();
    QCOMPARE(view->state().time, sim.moves[expected.move].start + sim.moves[expected.move].duration);
    QCOMPARE(slider->value(), static_cast<int>(std::lround(view->state().time * CutSimulationView::kSliderSteps)));

    // 3D: dragging turns the view.
    view->findChild<QToolButton*>(QStringLiteral("threeDButton"))->click();
    QVERIFY(view->threeD());
    const double azimuth = view->angles().azimuth;
    QTest::mousePress(view->viewport(), Qt::LeftButton, {}, QPoint(100, 100));
    QMouseEvent move(QEvent::MouseMove, QPointF(150, 90), view->viewport()->mapToGlobal(QPointF(150, 90)),
                     Qt::NoButton, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(view->viewport(), &move);
    QTest::mouseRelease(view->viewport(), Qt::LeftButton, {}, QPoint(150, 90));
    QVERIFY(view->angles().azimuth != azimuth);
    QVERIFY(view->buildScene(true).dump().find("\"Oblique view\"") != std::string::npos);
    QVERIFY(view->buildScene(false).dump().find("\"Left tower\"") == std::string::npos);

    // A change of the panel plans again.
    CT1Doc& doc = *rig.context.document;
    const double total = sim.totalTime;
    doc.current().span -= 100.0;
    doc.notifyChanged(DocChange::PanelGeometry);
    QTRY_VERIFY(view->simulation().totalTime != total);
  }

  // The badly placed panel's warnings are listed under the view, numbered
  // as the rings of the front projection, and a click on one shows the wire
  // at its move; the example wing has none and shows no list.
  void listsTheWarningsOfTheCutAndGoesToTheirMoves() {
    uitest::ScratchDir dir;
    CutWindowRig rig(dir / "run");
    CMainFrame& frame = *rig.frame;
    QVERIFY(frame.openProject(std::nullopt).opened());
    test::MirroredTowerCase::table(rig.context.machine.table);
    test::MirroredTowerCase::foams(rig.context.machine.foams);
    rig.context.planner.ResetPlanner();
    test::MirroredTowerCase::panel(*rig.context.document);
    frame.onCommand(kCmdCutSimulationView);
    auto* view = qobject_cast<CutSimulationView*>(frame.activeFrame()->view());
    QVERIFY(view);
    const CutSimulation& sim = view->simulation();
    QVERIFY2(sim.ok(), sim.error.c_str());
    auto* list = view->findChild<QListWidget*>(QStringLiteral("warningList"));
    QVERIFY(list);
    QVERIFY(list->isVisible());
    QCOMPARE(list->count(), static_cast<int>(sim.warnings.size()));
    int mirrored = -1;
    for (int i = 0; i < list->count(); ++i) {
      const QString text = list->item(i)->text();
      QCOMPARE(text, QStringLiteral("%1. %2").arg(i + 1).arg(QString::fromStdString(sim.warnings[i].text)));
      if (text.contains(QStringLiteral("the right tower runs backwards"))) mirrored = i;
    }
    QVERIFY2(mirrored >= 0, qPrintable(list->item(0)->text()));
    QVERIFY(list->item(0)->text().contains(QStringLiteral("a pause of 160.00 s")));
    // The window shows the end of the cut; a click goes to the mirrored run.
    const SimulationWarning& w = sim.warnings[static_cast<std::size_t>(mirrored)];
    QVERIFY(sim.moveStart(w.moveIndex) < view->state().time);
    list->scrollToItem(list->item(mirrored));
    QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, list->visualItemRect(list->item(mirrored)).center());
    QCOMPARE(view->state().time, sim.moveStart(w.moveIndex));
    QCOMPARE(view->state().move, w.moveIndex);
    QVERIFY(view->findChild<QLabel*>(QStringLiteral("moveReadout"))->text().contains(QString::fromStdString(w.label)));
    // Each warning ringed at its root and at its tip point in the picture
    // (once where they meet: the heating pause, the wire on the table).
    const Color c = CutSimulationScene::kWarningColor;
    const std::string ring = QStringLiteral("circle pen #%1%2%3 ")
                                 .arg(c.r, 2, 16, QLatin1Char('0'))
                                 .arg(c.g, 2, 16, QLatin1Char('0'))
                                 .arg(c.b, 2, 16, QLatin1Char('0'))
                                 .toStdString();
    const std::string picture = view->buildScene(true).dump();
    std::size_t rings = 0;
    for (std::size_t at = picture.find(ring); at != std::string::npos; at = picture.find(ring, at + 1)) ++rings;
    std::size_t expected = 0;
    for (const SimulationWarning& each : sim.warnings) expected += each.root == each.tip ? 1 : 2;
    QCOMPARE(rings, expected);
    QVERIFY(expected > sim.warnings.size());

    QVERIFY(frame.openProject(ORVA_EXAMPLE_PROJECT).opened());
    frame.onCommand(kCmdCutSimulationView);
    auto* example = qobject_cast<CutSimulationView*>(frame.activeFrame()->view());
    QVERIFY(example);
    QVERIFY2(example->simulation().ok(), example->simulation().error.c_str());
    QVERIFY(example->simulation().warnings.empty());
    auto* none = example->findChild<QListWidget*>(QStringLiteral("warningList"));
    QVERIFY(none);
    QCOMPARE(none->count(), 0);
    QVERIFY(!none->isVisible());
  }

  // A cut that ends while the program exits reports to panes whose status
  // bar is gone: the text is kept, nothing is touched.
  void statusTextAfterTheStatusBarIsGoneIsKept() {
    StatusPanes panes;
    auto* bar = new QStatusBar;
    panes.attach(bar);
    panes.setStatusText("Default");
    QCOMPARE(bar->findChild<QLabel*>(QStringLiteral("tablePane"))->text(), QStringLiteral("Default"));
    delete bar;
    panes.setStatusText("Big table");
    panes.ShowCutProgress(QStringLiteral("2.00 mm/s"));
    QCOMPARE(panes.tableName(), QStringLiteral("Big table"));
    QCOMPARE(panes.cutProgress(), QStringLiteral("2.00 mm/s"));
  }

  void followsTheWireOfARunningCut() {
    uitest::ScratchDir dir;
    CutWindowRig rig(dir / "run");
    CMainFrame& frame = *rig.frame;
    QVERIFY(frame.openProject(ORVA_EXAMPLE_PROJECT).opened());
    frame.onCommand(kCmdCutSimulationView);
    auto* view = qobject_cast<CutSimulationView*>(frame.activeFrame()->view());
    QVERIFY(view && view->simulation().ok());
    auto* machine = dynamic_cast<SimulatedMachine*>(&rig.context.driver.device());
    QVERIFY(machine);
    SimulatedMachineParams params = machine->params();
    params.realTimeSpeedup = 100.0;
    machine->setParams(params);

    // The cut the view shows, run on the machine at the same speed.
    rig.context.machine.foams.cutSpeed = view->simulation().cutSpeed;
    PanelCutResult planned = PanelCutPlanner(*rig.context.document, rig.context.cut).Plan();
    QVERIFY(planned.ok());
    QVERIFY(rig.context.job.start(std::move(planned.moves), kCutLong, -1.0));
    // Whatever fails below, the cut ends while the window is there.
    struct Drain {
      CutJob& job;
      ~Drain() {
        if (job.running()) {
          job.cancel();
          job.runToEnd();
        }
      }
    } drain{rig.context.job};
    JobRunner& runner = frame.jobRunner();
    runner.setServiceInterval(std::chrono::milliseconds(20));
    QSignalSpy progressed(&runner, &JobRunner::progressed);
    QSignalSpy finished(&runner, &JobRunner::finished);
    QVERIFY(runner.follow());
    QTRY_VERIFY_WITH_TIMEOUT(progressed.count() >= 3, 5000);
    QVERIFY(view->following());
    const CutJobProgress now = rig.context.job.progress();
    QVERIFY(now.position);
    QCOMPARE(view->state().wire.left.x, now.position->XG);
    QCOMPARE(view->state().wire.right.y, now.position->YD);
    // The worker goes on between the view's reading and this one.
    QVERIFY(view->state().move <= now.moveIndex);
    QVERIFY(view->state().move + 3 >= std::min(now.moveIndex, view->simulation().moves.size() - 1));
    QVERIFY(!view->findChild<QSlider*>(QStringLiteral("timeSlider"))->isEnabled());
    runner.cancel();
    QTRY_VERIFY_WITH_TIMEOUT(finished.count() == 1, 20000);
    QVERIFY(!view->following());
    QVERIFY(view->findChild<QSlider*>(QStringLiteral("timeSlider"))->isEnabled());
  }
};

ORVA_REGISTER_UI_TEST(CutSimulationViewTest)

}  // namespace orva

#include "CutSimulationViewTest.moc"
