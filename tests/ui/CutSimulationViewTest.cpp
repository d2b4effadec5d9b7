// The cut window under Qt Test (offscreen): opened from the View menu, the
// time line moving the wire, the 3D view turned by dragging, and the view
// following a real cut on the simulated machine.
#include <QLabel>
#include <QListWidget>
#include <QSlider>
#include <QStatusBar>
#include <QToolButton>

#include "DialogTestSupport.h"
#include "TestRegistry.h"
#include "cutting/PanelCutPlanner.h"
#include "support/MirroredTowerCase.h"
#include "ui/CutSimulationView.h"

namespace orva {

class CutSimulationViewTest : public QObject {
  Q_OBJECT

 private slots:
  void viewCommandOpensTheCutWindowAndTheTimeLineMovesTheWire() {
    uitest::WindowRig rig;
    CMainFrame& frame = *rig.frame;
    QVERIFY(frame.openProject(ORVA_EXAMPLE_PROJECT).opened());
    QAction* command = frame.action(kCmdCutSimulationView);
    QVERIFY(command && command->isEnabled());
    QCOMPARE(command->text(), QStringLiteral("Cut"));
    command->trigger();
    CProfileFrame* window = frame.activeFrame();
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
    QCOMPARE(slider->maximum(),
             static_cast<int>(std::ceil(sim.totalTime * CutSimulationView::kSliderSteps)));
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
    QCOMPARE(view->state().time,
             sim.moves[expected.move].start + sim.moves[expected.move].duration);
    QCOMPARE(slider->value(),
             static_cast<int>(std::lround(view->state().time * CutSimulationView::kSliderSteps)));

    // 3D: dragging turns the view.
    view->findChild<QToolButton*>(QStringLiteral("threeDButton"))->click();
    QVERIFY(view->threeD());
    const double azimuth = view->angles().azimuth;
    QTest::mousePress(view->viewport(), Qt::LeftButton, {}, QPoint(100, 100));
    QMouseEvent move(QEvent::MouseMove, QPointF(150, 90),
                     view->viewport()->mapToGlobal(QPointF(150, 90)), Qt::NoButton, Qt::LeftButton,
                     Qt::NoModifier);
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

  // The badly placed panel's warnings are listed under the view; choosing
  // one (a click, the arrow keys) shows the wire at the end of its move,
  // which the readout numbers as the warning's text does, from 1, and the
  // front projection rings its face points labelled with that number; the
  // example wing has none and shows no list.
  void listsTheWarningsOfTheCutAndGoesToTheirMoves() {
    uitest::WindowRig rig;
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
    auto* readout = view->findChild<QLabel*>(QStringLiteral("moveReadout"));
    QVERIFY(list && readout);
    QVERIFY(list->isVisible());
    QCOMPARE(list->count(), static_cast<int>(sim.warnings.size()));
    QVERIFY(list->count() >= 2);
    // Listing them moves nothing: the window shows the end of the cut.
    QCOMPARE(view->state().time, sim.totalTime);
    int mirrored = -1;
    for (int i = 0; i < list->count(); ++i) {
      const QString text = list->item(i)->text();
      QCOMPARE(text, QString::fromStdString(sim.warnings[i].text));
      if (text.contains(QStringLiteral("the right tower runs backwards"))) mirrored = i;
    }
    QVERIFY2(mirrored > 0, qPrintable(list->item(0)->text()));

    // A click goes to the mirrored run, "Move N of M: label" on the time line
    // (the list's texts number the moves alike, checked with the warnings).
    const auto numberOf = [](const SimulationWarning& w) {
      return QString::number(static_cast<qulonglong>(MoveNumber(w.moveIndex)));
    };
    const auto landsOn = [&](const SimulationWarning& w) {
      QCOMPARE(view->state().move, w.moveIndex);
      QCOMPARE(view->state().time, sim.moveStart(w.moveIndex) + sim.moves[w.moveIndex].duration);
      QVERIFY(view->state().wire.root == w.root);  // in the warning's ring
      QCOMPARE(readout->text(), QStringLiteral("Move %1 of %2: %3")
                                    .arg(numberOf(w))
                                    .arg(sim.moves.size())
                                    .arg(QString::fromStdString(w.label)));
    };
    const SimulationWarning& w = sim.warnings[static_cast<std::size_t>(mirrored)];
    QVERIFY(w.moveIndex > 0);
    list->scrollToItem(list->item(mirrored));
    QTest::mouseClick(list->viewport(), Qt::LeftButton, {},
                      list->visualItemRect(list->item(mirrored)).center());
    landsOn(w);
    // The arrow keys choose the one above, and the wire follows.
    QTest::keyClick(list, Qt::Key_Up);
    landsOn(sim.warnings[static_cast<std::size_t>(mirrored - 1)]);
    // Clicking the same one again after moving the time line goes back.
    view->setTime(sim.totalTime);
    QTest::mouseClick(list->viewport(), Qt::LeftButton, {},
                      list->visualItemRect(list->currentItem()).center());
    landsOn(sim.warnings[static_cast<std::size_t>(mirrored - 1)]);
    // From there the next move starts where the wire stands, the previous
    // step goes back to the start of the warning's move.
    const std::size_t shown = view->state().move;
    view->findChild<QToolButton*>(QStringLiteral("nextMove"))->click();
    QCOMPARE(view->state().move, shown + 1);
    QCOMPARE(view->state().time, sim.moveStart(shown + 1));
    QVERIFY(readout->text().startsWith(QStringLiteral("Move %1 of ").arg(MoveNumber(shown + 1))));
    QTest::mouseClick(list->viewport(), Qt::LeftButton, {},
                      list->visualItemRect(list->currentItem()).center());
    landsOn(sim.warnings[static_cast<std::size_t>(mirrored - 1)]);
    view->findChild<QToolButton*>(QStringLiteral("previousMove"))->click();
    QCOMPARE(view->state().move, shown);
    QCOMPARE(view->state().time, sim.moveStart(shown));

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
    QCOMPARE(bar->findChild<QLabel*>(QStringLiteral("tablePane"))->text(),
             QStringLiteral("Default"));
    delete bar;
    panes.setStatusText("Big table");
    panes.ShowCutProgress(QStringLiteral("2.00 mm/s"));
    QCOMPARE(panes.tableName(), QStringLiteral("Big table"));
    QCOMPARE(panes.cutProgress(), QStringLiteral("2.00 mm/s"));
  }

  void followsTheWireOfARunningCut() {
    uitest::WindowRig rig;
    CMainFrame& frame = *rig.frame;
    QVERIFY(frame.openProject(ORVA_EXAMPLE_PROJECT).opened());
    frame.onCommand(kCmdCutSimulationView);
    auto* view = qobject_cast<CutSimulationView*>(frame.activeFrame()->view());
    QVERIFY(view && view->simulation().ok());
    SimulatedMachineParams params = rig.machine().params();
    params.realTimeSpeedup = 100.0;
    rig.machine().setParams(params);

    // The cut the view shows, run on the machine at the same speed.
    rig.context.machine.foams.cutSpeed = view->simulation().cutSpeed;
    PanelCutResult planned = PanelCutPlanner(*rig.context.document, rig.context.cut).Plan();
    QVERIFY(planned.ok());
    QVERIFY(rig.context.job.start(std::move(planned.moves), kCutLong, -1.0));
    // Whatever fails below, the rig ends the cut while the window is there.
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
