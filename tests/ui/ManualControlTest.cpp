// The machine's hand controls under Qt Test (offscreen): Timer Calibration
// polling the measured period, and Zero axis with its held arrows (on a
// stepped repeat timer), spin buttons, synchronisation and the moves it runs
// as jobs while the window stays responsive.
#include <QCheckBox>
#include <QPushButton>
#include <QToolButton>

#include "DialogTestSupport.h"
#include "TestRegistry.h"
#include "motion/TimerCalibrationForm.h"
#include "motion/ZeroAxisForm.h"
#include "ui/TimerCalibrationDialog.h"
#include "ui/ZeroAxisDialog.h"

namespace orva {

namespace {

using Tower = ZeroAxisForm::Tower;

using ControlRig = uitest::WindowRig;

using uitest::child;
using uitest::edit;

QImage image(const QIcon& icon) { return icon.pixmap(QSize(24, 24)).toImage(); }

// The steps commanded on XG, YG, XD and YD.
QList<std::int64_t> steps(ControlRig& rig) {
  return {rig.steps(Axis::XG), rig.steps(Axis::YG), rig.steps(Axis::XD), rig.steps(Axis::YD)};
}

}  // namespace

class ManualControlTest : public QObject {
  Q_OBJECT

 private slots:
  void timerCalibrationShowsEachMeasuredPeriodUntilFinished() {
    ControlRig rig;
    TimerCalibrationForm form(rig.context.driver, rig.context.machine.table);
    form.setFinishDelay(std::chrono::milliseconds(0));
    TimerCalibrationDialog dialog(form, nullptr, DialogTimer::Clock::Stepped);
    dialog.show();
    QVERIFY(dialog.binder().unboundFields().empty());
    QCOMPARE(edit(dialog, "setTimer")->text(), QStringLiteral("Set timer on 500 us"));
    auto* current = edit(dialog, "currentValue");
    QVERIFY(current->isReadOnly());
    QCOMPARE(current->text(), QStringLiteral("0"));
    QVERIFY(dialog.pollTimer().isActive());
    QCOMPARE(dialog.pollTimer().interval(), 200);

    // The interface runs at the table's 0.5 ms: 2000 interrupts a second.
    QVERIFY(dialog.pollTimer().step());
    QCOMPARE(current->text(), QStringLiteral("500"));

    QTest::mouseClick(child<QPushButton>(dialog, "finishedAdjustment"), Qt::LeftButton);
    QVERIFY(!dialog.isVisible());
    QCOMPARE(dialog.result(), static_cast<int>(QDialog::Accepted));
    QVERIFY(!dialog.pollTimer().isActive());
    QCOMPARE(rig.context.machine.table.Tempo, 0.5);  // nothing stored
  }

  void heldArrowStepsAgainOnEveryRepeatFasterAndFaster() {
    ControlRig rig;
    ZeroAxisForm form(rig.context.job);
    ZeroAxisDialog dialog(form, rig.frame->jobRunner(), nullptr, DialogTimer::Clock::Stepped);
    dialog.show();
    QVERIFY(dialog.binder().unboundFields().empty());
    uitest::typeInto(edit(dialog, "xStepTime"), QStringLiteral("10"));
    uitest::typeInto(edit(dialog, "yStepTime"), QStringLiteral("10"));

    // Synchronized: the right grid is off, a left arrow steps both towers.
    QToolButton* upRight = dialog.arrow(Tower::Left, 1, 1);
    QCOMPARE(upRight->objectName(), QStringLiteral("leftArrowNE"));
    QVERIFY(!dialog.arrow(Tower::Right, -1, 0)->isEnabled());
    const QImage normal = image(upRight->icon());
    QTest::mousePress(upRight, Qt::LeftButton);
    QCOMPARE(steps(rig), (QList<std::int64_t>{1, 1, 1, 1}));
    QVERIFY(image(upRight->icon()) == image(ZeroAxisDialog::arrowIcon(1, 1, true)));
    QVERIFY(image(upRight->icon()) != normal);
    DialogTimer& timer = dialog.repeatTimer();
    QVERIFY(timer.isActive());
    // Each repeat steps once more and restarts the timer shorter while the
    // shorter period still exceeds both step times; then it keeps its period.
    QList<int> intervals{timer.interval()};
    for (int i = 0; i < 16; ++i) {
      QVERIFY(timer.step());
      intervals << timer.interval();
    }
    QCOMPARE(intervals.mid(0, 5), (QList<int>{500, 384, 295, 226, 173}));
    QCOMPARE(intervals.last(), 11);
    QCOMPARE(intervals[intervals.size() - 2], 11);
    QCOMPARE(steps(rig), (QList<std::int64_t>{17, 17, 17, 17}));
    QTest::mouseRelease(upRight, Qt::LeftButton);
    QVERIFY(!timer.isActive());
    QVERIFY(!timer.step());
    QCOMPARE(steps(rig), (QList<std::int64_t>{17, 17, 17, 17}));
    QVERIFY(image(upRight->icon()) == normal);

    // Not synchronized: the right grid steps the right tower alone, and a
    // new press starts again from the slow period.
    QTest::mouseClick(child<QCheckBox>(dialog, "synchronized"), Qt::LeftButton);
    QToolButton* left = dialog.arrow(Tower::Right, -1, 0);
    QVERIFY(left->isEnabled());
    QTest::mousePress(left, Qt::LeftButton);
    QCOMPARE(timer.interval(), 500);
    QVERIFY(timer.step());
    QTest::mouseRelease(left, Qt::LeftButton);
    QCOMPARE(steps(rig), (QList<std::int64_t>{17, 17, 15, 17}));
    dialog.reject();
  }

  void spinButtonsAndArrowKeysChangeTimesAndHeat() {
    ControlRig rig;
    ZeroAxisForm form(rig.context.job);
    ZeroAxisDialog dialog(form, rig.frame->jobRunner(), nullptr, DialogTimer::Clock::Stepped);
    dialog.show();
    auto* time = edit(dialog, "xStepTime");
    auto* speed = edit(dialog, "xMaxSpeed");
    uitest::typeInto(time, QStringLiteral("1.26"));
    const QString before = speed->text();
    // Up raises the time to the next whole period of the 0.5 ms timer.
    QTest::mouseClick(child<QToolButton>(dialog, "xStepTimeUp"), Qt::LeftButton);
    QCOMPARE(time->text(), QStringLiteral("1.5"));
    QCOMPARE(speed->text(), QString::fromStdString(form.maxSpeedText(ZeroAxisForm::Axis::X)));
    QVERIFY(speed->text() != before);
    // Down (button or key) lowers it, never below one period.
    QTest::mouseClick(child<QToolButton>(dialog, "xStepTimeDown"), Qt::LeftButton);
    QCOMPARE(time->text(), QStringLiteral("1"));
    for (int i = 0; i < 3; ++i) QTest::keyClick(time, Qt::Key_Down);
    QCOMPARE(time->text(), QStringLiteral("0.5"));
    auto* yTime = edit(dialog, "yStepTime");
    QTest::keyClick(yTime, Qt::Key_Up);
    QCOMPARE(yTime->text(), QStringLiteral("5.5"));
    // The heat keeps within 1..100.
    auto* heat = edit(dialog, "heat");
    uitest::typeInto(heat, QStringLiteral("99"));
    QTest::keyClick(heat, Qt::Key_Up);
    QTest::mouseClick(child<QToolButton>(dialog, "heatUp"), Qt::LeftButton);
    QCOMPARE(heat->text(), QStringLiteral("100"));
    QTest::mouseClick(child<QToolButton>(dialog, "heatDown"), Qt::LeftButton);
    QCOMPARE(heat->text(), QStringLiteral("99"));
    dialog.reject();
  }

  void zeroAxisCommandMovesAsAJobAndSetsTheZero() {
    ControlRig rig;
    CMainFrame& frame = *rig.frame;
    QVERIFY(frame.isCommandHandled(32803));
    QVERIFY(frame.isCommandHandled(32796));
    rig.context.planner.SetPlannerPosition(30.0, 40.0, 30.0, 40.0);
    const MovePlanner::Position start = rig.context.planner.towers();
    bool sawRunning = false;
    bool buttonsWaited = false;
    bool closedAfterJob = false;
    uitest::whenModal([&](QWidget* modal) {
      auto* dialog = dynamic_cast<ZeroAxisDialog*>(modal);
      if (!dialog) {
        modal->close();
        return;
      }
      uitest::typeInto(edit(*dialog, "leftX"), QStringLiteral("-20"));
      auto* move = child<QPushButton>(*dialog, "move");
      QTest::mouseClick(move, Qt::LeftButton);
      // The job runs on: the window answers while the arrows and buttons wait.
      sawRunning = dialog->jobRunning();
      buttonsWaited = !move->isEnabled() && !child<QPushButton>(*dialog, "setZero")->isEnabled() &&
                      !dialog->arrow(Tower::Left, 0, 1)->isEnabled();
      QTRY_VERIFY_WITH_TIMEOUT(!dialog->jobRunning(), 5000);
      QVERIFY(move->isEnabled());
      // A second move cancelled before it began (during its heat check):
      // nothing moves, and the dialog closes once the job has ended.
      QTest::mouseClick(move, Qt::LeftButton);
      QTest::keyClick(dialog, Qt::Key_Escape);
      QVERIFY(dialog->isVisible());
      QTRY_VERIFY_WITH_TIMEOUT(!dialog->isVisible(), 5000);
      closedAfterJob = !rig.context.job.running();
    });
    frame.onCommand(32803);
    QVERIFY(sawRunning);
    QVERIFY(buttonsWaited);
    QVERIFY(closedAfterJob);
    // One move of 20 mm towards negative X by the left tower alone, which the
    // planner follows.
    QCOMPARE((QList<double>{rig.mm(Axis::XG), rig.mm(Axis::YG), rig.mm(Axis::XD)}),
             (QList<double>{-20.0, 0.0, 0.0}));
    QCOMPARE(rig.context.planner.towers().XG, start.XG - 20.0);
    QCOMPARE(rig.context.planner.towers().YD, start.YD);

    // "Set Zero": the step times kept, the wire at the machine zero.
    uitest::whenModal([&](QWidget* modal) {
      uitest::typeInto(edit(*modal, "yStepTime"), QStringLiteral("7"));
      QTest::mouseClick(child<QPushButton>(*modal, "setZero"), Qt::LeftButton);
    });
    frame.onCommand(32803);
    QVERIFY(!QApplication::activeModalWidget());
    QCOMPARE(rig.context.machine.table.YVmax, 7.0);
    const MovePlanner::Position zero = rig.context.planner.towers();
    QCOMPARE(zero.XG, rig.context.machine.table.ZeroX);
    QVERIFY(zero.XG != start.XG - 20.0);
    QCOMPARE(zero.YD, rig.context.machine.table.ZeroY);
  }
};

ORVA_REGISTER_UI_TEST(ManualControlTest)

}  // namespace orva

#include "ManualControlTest.moc"
