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

// The progress of the running cut, docked at the bottom of the main window
// and shown only while a job runs: a bar of the moves output, the elapsed
// and remaining time, the label of the move being output, the measured
// heat, where the four axes are (left tower XG/YG, right tower XD/YD, mm),
// "Retreating" while a cancelled cut goes home, the pacing of the simulated
// machine, and Cancel (the safe retreat; not during the retreat itself).
// Every job the window follows is shown here, whoever started it.
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
  QComboBox* speedup_ = nullptr;
  QPushButton* cancel_ = nullptr;
};

}  // namespace orva
