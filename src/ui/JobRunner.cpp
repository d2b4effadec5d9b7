#include "ui/JobRunner.h"

#include <utility>

namespace orva {

JobRunner::JobRunner(CutJob& job, QObject* parent) : QObject(parent), job_(job) {
  timer_.setInterval(kServiceInterval);
  connect(&timer_, &QTimer::timeout, this, &JobRunner::tick);
}

bool JobRunner::follow(Done done) {
  if (!job_.running() || following()) return false;
  done_ = std::move(done);
  timer_.start();
  emit started();
  return true;
}

void JobRunner::cancel() {
  if (job_.running()) job_.cancel();
}

void JobRunner::tick() {
  if (job_.running()) job_.service();
  if (job_.running()) {
    emit progressed();
    return;
  }
  timer_.stop();
  const CutJobResult result = job_.result();
  // The callback may start the next job (a script's next cut), so it is
  // taken before it runs.
  Done done = std::exchange(done_, {});
  if (done) done(result);
  emit finished(result);
}

}  // namespace orva
