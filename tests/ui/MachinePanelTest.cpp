// The machine panel and the Zero axis dialog on a controller table, against
// the real GRBL firmware (grbl-Mega-5X, XYZA) behind a pseudo-terminal.
// Skipped when the simulators have not been built (scripts/build-grbl-sim.sh).
#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QPushButton>
#include <QToolButton>

#include "DialogTestSupport.h"
#include "TestRegistry.h"
#include "common/Messages.h"
#include "controller/GrblSimulator.h"
#include "controller/SerialTransport.h"
#include "motion/TimerCalibrationForm.h"
#include "motion/ZeroAxisForm.h"
#include "ui/MachinePanel.h"
#include "ui/TimerCalibrationDialog.h"
#include "ui/ZeroAxisDialog.h"

namespace orva {

namespace {

namespace fs = std::filesystem;
using namespace std::chrono_literals;
using Tower = ZeroAxisForm::Tower;

class NoSound : public SoundPort {
 public:
  bool playAndWait(const std::string&) override { return true; }
};

// The program on a controller table whose port is the simulator's pty.
struct ControllerRig {
  ControllerRig(const fs::path& dir, const std::string& port)
      : context(prompt, sound, status, optionsFor(dir)) {
    context.start();
    ControllerLink& link = context.machine.table.controller;
    link.CtlBackend = std::string(ControllerLink::kGrbl);
    link.CtlPort = port;
    link.CtlAxes = "XYZA";
    link.CtlRxBuffer = 255;
    link.CtlHeatS = 800.0;
    frame = std::make_unique<CMainFrame>(context, status);
  }
  static ProgramOptions optionsFor(const fs::path& dir) {
    ProgramOptions options = uitest::WindowRig::optionsFor(dir);
    options.transportFactory = [](const std::string& port, int baud) {
      return std::make_unique<SerialTransport>(port, baud);
    };
    return options;
  }
  GrblStreamer& streamer() { return *context.controllerSession().streamer(); }
  // Polls until the controller is Idle again (bounded by the simulator's pace).
  bool idle(MachinePanel& panel) {
    for (int i = 0; i < 300; ++i) {
      panel.poll();
      const auto status = context.controllerSession().lastStatus();
      if (status && status->state == "Idle") return true;
      QTest::qWait(20);
    }
    return false;
  }

  ScriptedPrompt prompt;
  NoSound sound;
  StatusPanes status;
  ProgramContext context;
  std::unique_ptr<CMainFrame> frame;
};

double value(const QString& text) { return text.toDouble(); }

}  // namespace

class MachinePanelTest : public QObject {
  Q_OBJECT

 private slots:
  void panelConnectsJogsZeroesHeatsAndStopsOnTheFirmware() {
    uitest::ScratchDir dir;
    if (!simulatorBuilt("mega5x-xyza"))
      QSKIP("GRBL simulator mega5x-xyza not built (run scripts/build-grbl-sim.sh)");
    SimulatedController sim("mega5x-xyza", dir / "sim");
    QVERIFY(sim.started());
    ControllerRig rig(dir / "run", sim.path());
    MachinePanel panel(rig.context, nullptr, DialogTimer::Clock::Stepped);
    panel.show();

    // Not connected: everything but Connect is off; the table's port is offered.
    QCOMPARE(panel.portList()->currentText(), QString::fromStdString(sim.path()));
    QVERIFY(!panel.arrow(0, 1)->isEnabled());
    QVERIFY(!panel.stopButton()->isEnabled());
    QVERIFY(panel.connectButton()->isEnabled());

    QTest::mouseClick(panel.connectButton(), Qt::LeftButton);
    QVERIFY2(rig.context.controllerSession().connected(), qPrintable(panel.failureText()));
    QVERIFY(panel.bannerText().startsWith(QStringLiteral("Grbl")));
    QVERIFY(panel.stopButton()->isEnabled());
    QVERIFY(!panel.connectButton()->isEnabled());
    // Mega-5X boots locked: Unlock, then linear axes without limits, fast.
    QVERIFY(panel.unlockButton()->isEnabled());
    QTest::mouseClick(panel.unlockButton(), Qt::LeftButton);
    QVERIFY(panel.logText().contains(QStringLiteral("> $X")));
    for (const char* setting : {"$20=0", "$22=0", "$10=0"})
      QVERIFY(rig.streamer().command(setting));
    for (int axis = 0; axis < 4; ++axis) {
      const std::string n = std::to_string(axis);
      QVERIFY(rig.streamer().command("$10" + n + "=200"));
      QVERIFY(rig.streamer().command("$11" + n + "=3000"));
      QVERIFY(rig.streamer().command("$12" + n + "=400"));
    }
    QTest::mouseClick(panel.zeroButton(), Qt::LeftButton);
    QVERIFY(rig.idle(panel));
    QCOMPARE(panel.stateText(), QStringLiteral("Idle"));
    for (int axis = 0; axis < 4; ++axis) QCOMPARE(value(panel.positionText(axis)), 0.0);

    // 10 mm right and 10 mm up on the left tower only.
    panel.towerButton(MachinePanel::Towers::Left)->click();
    panel.stepButton(2)->click();
    for (const auto& [dX, dY] : {std::pair{1, 0}, std::pair{0, 1}}) {
      QTest::mousePress(panel.arrow(dX, dY), Qt::LeftButton);
      QTest::mouseRelease(panel.arrow(dX, dY), Qt::LeftButton);
    }
    QVERIFY(panel.logText().contains(QStringLiteral("> $J=G21 G91 X10")));
    QVERIFY(rig.idle(panel));
    QCOMPARE(value(panel.positionText(0)), 10.0);
    QCOMPARE(value(panel.positionText(1)), 10.0);
    QCOMPARE(value(panel.positionText(2)), 0.0);
    QCOMPARE(value(panel.positionText(3)), 0.0);

    // Status polls stay out of the log unless asked for; then the query and
    // the report as the controller sent it (its feed and speed too), those
    // made before included, and each new one as it comes.
    const auto polls = [&panel] {
      int n = 0;
      for (const QString& line : panel.logText().split(QLatin1Char('\n'))) {
        n += line == QStringLiteral("> ?") || line.startsWith(QStringLiteral("< <")) ? 1 : 0;
      }
      return n;
    };
    QCOMPARE(polls(), 0);
    const QString without = panel.logText();
    panel.pollsBox()->setChecked(true);
    const int shown = polls();
    QVERIFY2(shown >= 2, qPrintable(panel.logText()));
    panel.poll();
    QCOMPARE(polls(), shown + 2);
    const QStringList lines = panel.logText().split(QLatin1Char('\n'));
    const QStringList tail = lines.mid(lines.size() - 2);
    QCOMPARE(tail.value(0), QStringLiteral("> ?"));
    QVERIFY2(
        tail.value(1).startsWith(QStringLiteral("< <Idle|WPos:10.000,10.000,0.000,0.000|FS:")) &&
            tail.value(1).endsWith(QLatin1Char('>')),
        qPrintable(tail.value(1)));
    panel.pollsBox()->setChecked(false);
    panel.poll();
    QCOMPARE(panel.logText(), without);

    // Zero here makes the reached position the work zero.
    QTest::mouseClick(panel.zeroButton(), Qt::LeftButton);
    panel.poll();
    for (int axis = 0; axis < 4; ++axis) QCOMPARE(value(panel.positionText(axis)), 0.0);

    // A held arrow on both towers jogs on until released, then the jog is cancelled.
    panel.towerButton(MachinePanel::Towers::Both)->click();
    panel.stepButton(0)->click();
    QTest::mousePress(panel.arrow(-1, 0), Qt::LeftButton);
    QVERIFY(panel.holdTimer().isActive());
    QVERIFY(panel.holdTimer().step());
    QVERIFY(panel.logText().contains(QStringLiteral("> $J=G21 G91 X-1000 Z-1000")));
    QTest::qWait(600);
    QTest::mouseRelease(panel.arrow(-1, 0), Qt::LeftButton);
    QVERIFY(panel.logText().contains(QStringLiteral("> 0x85")));
    QVERIFY(rig.idle(panel));
    const double xg = value(panel.positionText(0));
    QVERIFY2(xg < -0.1 && xg > -100.0, qPrintable(panel.positionText(0)));
    QCOMPARE(value(panel.positionText(2)), xg);  // both towers went together
    QCOMPARE(value(panel.positionText(1)), 0.0);

    // Heat test on and off at the table's full-heat value.
    QTest::mouseClick(panel.heatButton(), Qt::LeftButton);
    QVERIFY(panel.heatButton()->isChecked());
    QVERIFY(panel.logText().contains(QStringLiteral("> M3 S800")));
    QTest::mouseClick(panel.heatButton(), Qt::LeftButton);
    QVERIFY(!panel.heatButton()->isChecked());
    QVERIFY(panel.logText().endsWith(QStringLiteral("> M5\n< ok")));

    // The emergency stop: soft reset; the heat goes off once it is back.
    QTest::mouseClick(panel.heatButton(), Qt::LeftButton);
    QTest::mouseClick(panel.stopButton(), Qt::LeftButton);
    QVERIFY(panel.logText().contains(QStringLiteral("> 0x18")));
    QVERIFY(!panel.heatButton()->isChecked());
    QVERIFY(rig.idle(panel));
    panel.poll();
    QVERIFY(panel.logText().endsWith(QStringLiteral("> M5\n< ok")));

    QTest::mouseClick(panel.disconnectButton(), Qt::LeftButton);
    QVERIFY(!rig.context.controllerSession().connected());
    QCOMPARE(panel.stateText(), QString::fromUtf8("Not connected"));
    QVERIFY(!panel.zeroButton()->isEnabled());
  }

  void timerCalibrationOnAControllerTableMeasuresNothing() {
    uitest::ScratchDir dir;
    ControllerRig rig(dir / "run", "/dev/null");
    TimerCalibrationForm form(rig.context.driver, rig.context.machine.table);
    TimerCalibrationDialog dialog(form, nullptr, DialogTimer::Clock::Stepped, true);
    dialog.show();
    auto* note = dialog.findChild<QLabel*>(QStringLiteral("nothingToCalibrate"));
    QVERIFY(note && note->isVisible());
    QCOMPARE(note->text(), QString::fromUtf8(messageText(Msg::MachineNothingToCalibrate).data()));
    QVERIFY(!dialog.pollTimer().isActive());
    QVERIFY(!dialog.findChild<QLineEdit*>(QStringLiteral("currentValue"))->isEnabled());
    QTest::mouseClick(dialog.findChild<QPushButton*>(QStringLiteral("finishedAdjustment")),
                      Qt::LeftButton);
    QVERIFY(!dialog.isVisible());
  }

  void zeroAxisDialogJogsAndZeroesTheController() {
    uitest::ScratchDir dir;
    if (!simulatorBuilt("mega5x-xyza"))
      QSKIP("GRBL simulator mega5x-xyza not built (run scripts/build-grbl-sim.sh)");
    SimulatedController sim("mega5x-xyza", dir / "sim");
    QVERIFY(sim.started());
    ControllerRig rig(dir / "run", sim.path());
    ControllerSession& session = rig.context.controllerSession();
    QVERIFY2(session.connect(sim.path(), 115200, GrblSettingsOfTable(rig.context.machine.table)),
             session.failureText().c_str());
    QVERIFY(session.unlock());
    for (const char* setting : {"$20=0", "$22=0", "$10=0"})
      QVERIFY(rig.streamer().command(setting));
    for (int axis = 0; axis < 4; ++axis)
      QVERIFY(rig.streamer().command("$10" + std::to_string(axis) + "=200"));
    QVERIFY(session.setWorkZero());

    ZeroAxisForm form(rig.context.job);
    ZeroAxisDialog dialog(form, rig.frame->jobRunner(), nullptr, DialogTimer::Clock::Stepped,
                          &session, &rig.context.machine.table);
    dialog.show();
    // Synchronized: the left up arrow steps both towers on the controller.
    QTest::mousePress(dialog.arrow(Tower::Left, 0, 1), Qt::LeftButton);
    QTest::mouseRelease(dialog.arrow(Tower::Left, 0, 1), Qt::LeftButton);
    QVERIFY(session.streamer()->waitIdle(10s));
    auto at = session.streamer()->position();
    QVERIFY(at);
    QCOMPARE((*at)[1], ZeroAxisDialog::kControllerStepMm);
    QCOMPARE((*at)[3], ZeroAxisDialog::kControllerStepMm);
    QCOMPARE((*at)[0], 0.0);
    // Move: the four distances as one jog.
    form.leftX = 2.0;
    form.rightY = -1.0;
    QTest::mouseClick(dialog.findChild<QPushButton*>(QStringLiteral("move")), Qt::LeftButton);
    QVERIFY(session.streamer()->waitIdle(10s));
    at = session.streamer()->position();
    QCOMPARE((*at)[0], 2.0);
    QCOMPARE((*at)[3], ZeroAxisDialog::kControllerStepMm - 1.0);
    // Set Zero: the controller's work zero, and the dialog closes.
    QTest::mouseClick(dialog.findChild<QPushButton*>(QStringLiteral("setZero")), Qt::LeftButton);
    QVERIFY(!dialog.isVisible());
    QVERIFY(session.refreshStatus());
    const auto zeroed = session.streamer()->position();
    QVERIFY(zeroed);
    for (const double v : *zeroed) QCOMPARE(v, 0.0);
  }
};

ORVA_REGISTER_UI_TEST(MachinePanelTest)

}  // namespace orva

#include "MachinePanelTest.moc"
