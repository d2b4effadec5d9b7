#pragma once

#include <QIcon>
#include <QList>
#include <array>
#include <functional>
#include <map>
#include <optional>

#include "motion/ZeroAxisForm.h"
#include "ui/DialogTimer.h"
#include "ui/FormDialog.h"

class QToolButton;

namespace orva {

class ControllerSession;
class JobRunner;
struct TableConfig;

// "Zero axis": two 3 × 3 grids of arrows (left and right tower) that step the
// wire while held, the distances of "Move", the heat and duration of
// "Test", the motor step times with their spin buttons and maximum speeds,
// "Synchronized Axes", and "Set Zero" as the dialog's OK.
//
// A held arrow steps once when pressed, then on every timeout of the repeat
// timer, whose interval the form shortens as the arrow stays down. "Move" and
// "Test" run as jobs followed by `runner`: the dialog stays responsive, its
// arrows and buttons wait until the job is over, and Cancel (or closing the
// window) asks the job to stop and closes the dialog once it has.
//
// On a controller table (`controller` given) the towers are the
// controller's: an arrow jogs 0.1 mm when pressed and, held on, jogs until
// it is released (then the jog is cancelled); "Move" is one jog by the four
// distances; "Test" switches the heat on for the test duration; "Set Zero"
// makes the controller's work zero. Every call is one of the session's
// bounded one-line commands, so the dialog stays responsive.
class ZeroAxisDialog : public FormDialog {
 public:
  ZeroAxisDialog(ZeroAxisForm& form, JobRunner& runner, QWidget* parent,
                 DialogTimer::Clock clock = DialogTimer::Clock::Real,
                 ControllerSession* controller = nullptr, const TableConfig* table = nullptr);

  static constexpr double kControllerStepMm = 0.1;

  // The arrow of `tower` pointing (dX, dY); nullptr for (0, 0).
  QToolButton* arrow(ZeroAxisForm::Tower tower, int dX, int dY) const;
  DialogTimer& repeatTimer() { return repeat_; }
  DialogTimer& heatTimer() { return heatTimer_; }
  // A move or test of the dialog is running.
  bool jobRunning() const { return jobRunning_; }

  // The image of an arrow pointing (dX, dY), normal or pressed.
  static QIcon arrowIcon(int dX, int dY, bool pressed);

  void reject() override;

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  struct Arrow {
    QToolButton* button;
    ZeroAxisForm::Tower tower;
    int dX;
    int dY;
  };

  QWidget* makeArrowGrid(ZeroAxisForm::Tower tower);
  QWidget* withSpinButtons(QWidget* edit, std::function<void(int delta)> spin);
  void press(const Arrow& arrow);
  void release(const Arrow& arrow);
  void repeat();
  void follow(std::optional<bool> started);
  void jobEnded();
  void showStates();
  bool controllerJog(const std::array<std::optional<double>, 4>& delta);
  void controllerPress(const Arrow& arrow);
  void controllerMove();
  void controllerTest();
  bool controllerSetZero();
  void controllerFailed();

  ZeroAxisForm& form_;
  JobRunner& runner_;
  DialogTimer repeat_;
  QList<Arrow> arrows_;
  std::map<QObject*, std::function<void(int)>> spins_;  // edit box -> its spin
  bool jobRunning_ = false;
  bool closeWhenDone_ = false;
  ControllerSession* controller_ = nullptr;
  const TableConfig* table_ = nullptr;
  DialogTimer heatTimer_;
  std::optional<Arrow> controllerHeld_;
  bool longJog_ = false;
};

}  // namespace orva
