#pragma once

// The one connection of a program to its G-code controller, shared by
// everything that talks to it: the machine panel, the manual dialogs and the
// cut job. It owns the transport (made by the factory the program installs,
// e.g. a serial port) and the GrblStreamer on it, and keeps a bounded log of
// what was exchanged.
//
// Threading: single thread, like the streamer. connect() and the one-line
// commands block, bounded by the streamer's timeouts; a program streams by
// calls of the streamer's service() from the thread that owns the session.

#include <array>
#include <cstddef>
#include <cstdint>
#include <deque>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

#include "driver/ControllerTransport.h"
#include "driver/GrblStreamer.h"

namespace orva {

class ControllerSession {
 public:
  using TransportFactory =
      std::function<std::unique_ptr<ControllerTransport>(const std::string& port, int baud)>;

  struct LogLine {
    bool sent = false;  // written to the controller (lines and realtime bytes), else received
    bool poll = false;  // a status query "?" or the report that answered it, as received
    std::string text;
  };
  static constexpr std::size_t kLogLimit = 500;

  explicit ControllerSession(TransportFactory factory = {});
  ~ControllerSession();
  ControllerSession(const ControllerSession&) = delete;
  ControllerSession& operator=(const ControllerSession&) = delete;

  void setTransportFactory(TransportFactory factory) { factory_ = std::move(factory); }
  bool hasTransportFactory() const { return static_cast<bool>(factory_); }

  // Opens `port` at `baud` and waits for the controller (bounded by the
  // settings' banner timeout). A session already connected is disconnected
  // first, unless a program streams (then false). False with failureText().
  bool connect(const std::string& port, int baud, const GrblSettings& settings);
  // Connected to `port` at `baud` with `settings` (as they are used, see
  // sameSettings), or connects so; what a cut on a controller table calls.
  bool ensureConnected(const std::string& port, int baud, const GrblSettings& settings);
  // Closes the port (a program that streams is dropped: call it only after
  // an emergency stop or when the program ends).
  void disconnect();
  bool connected() const { return streamer_ != nullptr && streamer_->isConnected(); }
  // Grows with every connection made: a user of streamer() that keeps it
  // across calls checks that it is still the same connection.
  std::uint64_t connectionNumber() const { return connectionNumber_; }

  // The streamer on the open port; nullptr when not connected.
  GrblStreamer* streamer() { return connected() ? streamer_.get() : nullptr; }
  const GrblStreamer* streamer() const { return connected() ? streamer_.get() : nullptr; }
  const std::string& port() const { return port_; }
  int baud() const { return baud_; }
  const GrblSettings& settings() const { return settings_; }
  std::string banner() const;
  std::optional<GrblStatus> lastStatus() const;
  bool positionKnown() const;
  // Why the last connect or command failed ("" when none did).
  std::string failureText() const;

  // A program streams (or is brought to a stop): the one-line commands are
  // refused then.
  bool busy() const;

  // The one-line commands of the manual controls; false with failureText()
  // when not connected, busy, or refused by the controller.
  bool unlock();
  bool jog(const std::array<std::optional<double>, 4>& delta, double feed);
  bool setWorkZero();
  bool setHeat(std::optional<double> spindle);
  bool refreshStatus();

  // The exchange log, oldest first, at most kLogLimit lines, without the
  // status polls (five a second, they would push everything else out);
  // logChanges() grows with every line added (and on connect/disconnect), so
  // a view can tell when to refresh; the observer, when set, is called after each.
  const std::deque<LogLine>& log() const { return log_; }
  std::uint64_t logChanges() const { return logChanges_; }
  void setLogObserver(std::function<void()> observer) { observer_ = std::move(observer); }
  // Called with every line exchanged as it goes, the polls included (marked
  // LogLine::poll, the reports as the controller sent them), before the
  // log observer.
  void setTrafficObserver(std::function<void(const LogLine&)> observer) {
    trafficObserver_ = std::move(observer);
  }
  void clearLog();

  // True when `a` and `b` make the streamer behave the same.
  static bool sameSettings(const GrblSettings& a, const GrblSettings& b);

 private:
  bool ready();
  void addLog(bool sent, bool poll, std::string_view text);

  TransportFactory factory_;
  std::unique_ptr<ControllerTransport> transport_;
  std::unique_ptr<GrblStreamer> streamer_;
  std::string port_;
  int baud_ = 0;
  GrblSettings settings_;
  std::string failure_;
  std::deque<LogLine> log_;
  std::uint64_t logChanges_ = 0;
  std::uint64_t connectionNumber_ = 0;
  std::function<void()> observer_;
  std::function<void(const LogLine&)> trafficObserver_;
};

}  // namespace orva
