#pragma once

#include <QObject>
#include <QTimer>
#include <functional>

namespace orva {

// A dialog's window timer: started with an interval, it calls its action on
// every timeout until stopped. On the real clock it is a QTimer; on the
// stepped clock nothing runs by itself and step() plays one timeout, so a
// test decides when time passes and reads the interval the dialog chose.
class DialogTimer : public QObject {
 public:
  enum class Clock { Real, Stepped };

  explicit DialogTimer(Clock clock = Clock::Real, QObject* parent = nullptr);

  void setAction(std::function<void()> action) { action_ = std::move(action); }
  // (Re)starts the timer: the next timeout comes `intervalMs` after now.
  void start(int intervalMs);
  void stop();
  bool isActive() const { return active_; }
  int interval() const { return interval_; }
  Clock clock() const { return clock_; }

  // Stepped clock: one timeout, as if the interval had passed. False (nothing
  // done) while the timer is stopped.
  bool step();

 private:
  void timeout();

  Clock clock_;
  QTimer timer_;
  std::function<void()> action_;
  int interval_ = 0;
  bool active_ = false;
};

}  // namespace orva
