#include "ui/DialogTimer.h"

namespace orva {

DialogTimer::DialogTimer(Clock clock, QObject* parent) : QObject(parent), clock_(clock) {
  connect(&timer_, &QTimer::timeout, this, &DialogTimer::timeout);
}

void DialogTimer::start(int intervalMs) {
  interval_ = intervalMs;
  active_ = true;
  if (clock_ == Clock::Real) timer_.start(intervalMs);
}

void DialogTimer::stop() {
  active_ = false;
  timer_.stop();
}

bool DialogTimer::step() {
  if (!active_) return false;
  timeout();
  return true;
}

void DialogTimer::timeout() {
  if (active_ && action_) action_();
}

}  // namespace orva
