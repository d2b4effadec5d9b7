#pragma once

#include <QDockWidget>

#include "motion/CutJob.h"

class QComboBox;
class QLabel;
class QProgressBar;
class QPushButton;

namespace orva {

class JobRunner;
class ProgramContext;

// The progress of the running cut, docked at the bottom of the main window:
// a bar of the moves output, the elapsed
// and remaining time, the label of the move being output, the measured
// heat, where the four axes are (left tower XG/YG, right tower XD/YD, mm),
// "Retreating" while a cancelled cut goes home, the pacing of the simulated
// machine, and Cancel (the safe retreat; not during the retreat itself).
// Every job the window follows is shown here, whoever started it. A cut
// opens the panel and closes it again at its end; opened by the user (the
// View menu), the panel stays open between cuts, so the pacing can be chosen
// before a cut and the last cut's figures read after it ("Cut ended").
class CutProgressPanel : public QDockWidget {
  Q_OBJECT

 public:
  // The pacing choices of the simulated machine: 1x, 10x, 100x, at once.
  static constexpr double kSpeedups[] = {1.0, 10.0, 100.0, 0.0};

  CutProgressPanel(JobRunner& runner, ProgramContext& context, QWidget* parent);

  // Shows `progress` (the job's progress at the last service).
  void showProgress(const CutJobProgress& progress);
  // The speed-up choice follows the context (another backend disables it).
  void syncSpeedup();

  QProgressBar* progressBar() const { return bar_; }
  QPushButton* cancelButton() const { return cancel_; }
  QComboBox* speedupList() const { return speedup_; }
  QString positionText(int axis) const;
  QString moveText() const;
  QString elapsedText() const;
  QString remainingText() const;
  QString heatText() const;
  bool retreatingShown() const;
  // "Cut ended" shown: the panel stayed open after the end of a cut.
  bool endShown() const;

 protected:
  // The pacing shown is the context's at every opening (the settings are
  // read after the window is made, and a table change may change backend).
  void showEvent(QShowEvent* event) override;

 private:
  void started();
  void finished();

  JobRunner& runner_;
  ProgramContext& context_;
  QProgressBar* bar_ = nullptr;
  QLabel* elapsed_ = nullptr;
  QLabel* remaining_ = nullptr;
  QLabel* move_ = nullptr;
  QLabel* heat_ = nullptr;
  QLabel* axes_[4] = {};
  QLabel* retreating_ = nullptr;
  QLabel* ended_ = nullptr;
  bool openedForCut_ = false;  // the cut opened the panel: its end closes it
  QComboBox* speedup_ = nullptr;
  QPushButton* cancel_ = nullptr;
};

}  // namespace orva
