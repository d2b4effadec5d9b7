#pragma once

// The GRBL firmware simulators of the kit next to the project, each behind
// its own pseudo-terminal (built by scripts/build-grbl-sim.sh).

#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <string>

#include <unistd.h>

#include <QCoreApplication>

#include "controller/SerialTransport.h"
#include "driver/GrblStreamer.h"

namespace orva {

namespace fs = std::filesystem;

inline std::string simOut() {
  const char* env = std::getenv("GRBLSIM_OUT");
  return env != nullptr ? env : ORVA_GRBLSIM_OUT;
}

// Qt's serial port wants an application object for its notifiers.
inline void ensureCoreApplication() {
  if (QCoreApplication::instance() != nullptr) return;
  static int argc = 1;
  static char name[] = "orva_tests";
  static char* argv[] = {name, nullptr};
  static QCoreApplication app(argc, argv);
}

// One simulator behind its own pty, stopped when the object goes; at real
// time unless `speed` says otherwise ("--fast", "-t 5").
class SimulatedController {
 public:
  SimulatedController(const std::string& firmware, const fs::path& dir, const std::string& speed = "")
      : link_(dir / "tty"), state_(dir / "state") {
    const std::string command = "GRBLSIM_OUT='" + simOut() + "' '" ORVA_GRBLSIM_KIT
                                "/start-pty.sh' --overflow -m " + firmware + " " + speed +
                                " -d '" + state_.string() + "' '" + link_.string() +
                                "' > /dev/null 2>&1";
    started_ = std::system(command.c_str()) == 0;
    if (!started_) return;
    // A test killed by its timeout never reaches the destructor; a watcher,
    // in a session of its own out of reach of a kill of the test's process
    // group, stops the simulator then, so that it does not run on (a fast
    // one takes a whole core) through the rest of the suite.
    const std::string watcher = "setsid sh -c \"while kill -0 " + std::to_string(::getpid()) +
                                " 2>/dev/null; do sleep 1; done; " + stopCommand() +
                                "\" > /dev/null 2>&1 < /dev/null &";
    (void)std::system(watcher.c_str());
    awaitBoot();
  }
  ~SimulatedController() { stop(); }
  SimulatedController(const SimulatedController&) = delete;
  SimulatedController& operator=(const SimulatedController&) = delete;

  bool started() const { return started_; }
  std::string path() const { return link_.string(); }
  void stop() {
    if (!started_) return;
    started_ = false;
    (void)std::system(stopCommand().c_str());
  }

 private:
  std::string stopCommand() const {
    return "GRBLSIM_OUT='" + simOut() + "' '" ORVA_GRBLSIM_KIT "/start-pty.sh' --stop -d '" +
           state_.string() + "' '" + link_.string() + "' > /dev/null 2>&1";
  }

  // The simulator boots about a second after it starts, later on a loaded
  // machine. A connect during the boot would see two banners far apart (boot,
  // then its own reset) and could send commands into the second reset; so
  // the tests wait, bounded, until the firmware answers a status query, which
  // it does only once it has booted.
  void awaitBoot() {
    using namespace std::chrono_literals;
    SerialTransport port(link_.string());
    if (!port.open()) return;
    std::string seen;
    const auto until = std::chrono::steady_clock::now() + 10s;
    while (seen.find('<') == std::string::npos && std::chrono::steady_clock::now() < until) {
      if (!port.write("?") || !port.read(seen, 100ms)) break;
    }
    port.close();
  }

  fs::path link_;
  fs::path state_;
  bool started_ = false;
};

inline bool simulatorBuilt(const std::string& firmware) {
  return fs::exists(fs::path(simOut()) / "bin" / ("grbl_sim-" + firmware));
}

// Mega-5X as shipped boots locked (homing lock) with soft limits on and a
// rotary fourth axis: unlock, and make every axis a linear one.
inline void prepareMachine(GrblStreamer& streamer) {
  ASSERT_TRUE(streamer.unlock()) << streamer.failureText();
  // $10=3: machine positions and the buffer state (Bf:) in the reports.
  for (const char* setting : {"$20=0", "$22=0", "$10=3"}) {
    ASSERT_TRUE(streamer.command(setting)) << streamer.failureText();
  }
  for (int axis = 0; axis < 4; ++axis) {
    const std::string n = std::to_string(axis);
    ASSERT_TRUE(streamer.command("$10" + n + "=200")) << streamer.failureText();
    ASSERT_TRUE(streamer.command("$11" + n + "=3000")) << streamer.failureText();
    ASSERT_TRUE(streamer.command("$12" + n + "=200")) << streamer.failureText();
  }
  ASSERT_TRUE(streamer.setWorkZero()) << streamer.failureText();
  ASSERT_TRUE(streamer.positionKnown());
}

}  // namespace orva
