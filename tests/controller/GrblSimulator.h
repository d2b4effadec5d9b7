#pragma once

// The GRBL firmware simulators of the kit next to the project, each behind
// its own pseudo-terminal (built by scripts/build-grbl-sim.sh).

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <string>

#include "driver/GrblStreamer.h"

namespace orva {

namespace fs = std::filesystem;

inline std::string simOut() {
  const char* env = std::getenv("GRBLSIM_OUT");
  return env != nullptr ? env : ORVA_GRBLSIM_OUT;
}

// One simulator behind its own pty, stopped when the object goes.
class SimulatedController {
 public:
  SimulatedController(const std::string& firmware, const fs::path& dir, const std::string& speed)
      : link_(dir / "tty"), state_(dir / "state") {
    const std::string command = "GRBLSIM_OUT='" + simOut() + "' '" ORVA_GRBLSIM_KIT
                                "/start-pty.sh' --overflow -m " + firmware + " " + speed +
                                " -d '" + state_.string() + "' '" + link_.string() +
                                "' > /dev/null 2>&1";
    started_ = std::system(command.c_str()) == 0;
  }
  ~SimulatedController() { stop(); }
  SimulatedController(const SimulatedController&) = delete;
  SimulatedController& operator=(const SimulatedController&) = delete;

  bool started() const { return started_; }
  std::string path() const { return link_.string(); }
  void stop() {
    if (!started_) return;
    started_ = false;
    const std::string command = "GRBLSIM_OUT='" + simOut() + "' '" ORVA_GRBLSIM_KIT
                                "/start-pty.sh' --stop -d '" + state_.string() + "' '" +
                                link_.string() + "' > /dev/null 2>&1";
    (void)std::system(command.c_str());
  }

 private:
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
