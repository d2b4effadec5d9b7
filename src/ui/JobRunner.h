#pragma once

#include <QObject>
#include <QTimer>
#include <chrono>
#include <functional>

#include "motion/CutJob.h"

namespace orva {

// Drives the program's one cut job from the window thread. Whatever starts a
// cut (the Panel Cutting dialog, an auxiliary cut, a script, a manual move
// or heat test) calls CutJob::start() (or a form's start method) and, when
// that returned true, hands the running job to follow(). A timer then calls
// service() until the job is over, so the window stays responsive and the
// worker thread streams the moves; the job writes its progress text to the
// status bar itself. Whoever shows the progress (the progress panel, the
// live view) listens to the signals.
class JobRunner : public QObject {
  Q_OBJECT

 public:
  // How often a running job is serviced: often enough for a smooth progress
  // display and a prompt Cancel, rarely enough to cost nothing.
  static constexpr std::chrono::milliseconds kServiceInterval{100};

  explicit JobRunner(CutJob& job, QObject* parent = nullptr);

  // Follows the job that was just started. `done`, when given, runs once on
  // the window thread when the job is over, with its result. Refused (false)
  // when the job does not run or this runner already follows it.
  using Done = std::function<void(CutJobResult)>;
  bool follow(Done done = {});
  bool following() const { return timer_.isActive(); }

  // Asks the running job to stop and retreat (Cancel).
  void cancel();

  CutJob& job() { return job_; }
  void setServiceInterval(std::chrono::milliseconds interval) { timer_.setInterval(interval); }

 signals:
  // A followed job began to be serviced.
  void started();
  // After every service() while it runs; read job().progress().
  void progressed();
  // The job is over.
  void finished(orva::CutJobResult result);

 private:
  void tick();

  CutJob& job_;
  QTimer timer_;
  Done done_;
};

}  // namespace orva
