#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>

namespace orva {

// The 6-byte status record of the interface: heat samples counted with the
// heat on and off since the last request, and whether the program controls
// the heat (1) or the heat is set by hand on the interface (0).
struct DriverStatus {
  std::uint16_t heatOnCount = 0;
  std::uint16_t heatOffCount = 100;
  std::uint8_t controlFlag = 1;
};

// Where the wire is on the four axes, mm from where the machine started (the
// table's zero position), as the interface reports it.
struct WirePosition {
  double XG = 0.0;
  double YG = 0.0;
  double XD = 0.0;
  double YD = 0.0;
};

// Request codes of the interface-driver protocol.
enum class DriverRequest : int {
  Steps = 1,
  TimerCount = 3,
  Init = 4,
  Start = 5,
  Stop = 6,
  Heat = 7,
  StatusWait = 8,
  Status = 9,
  Version = 10,
};

// The outcome of one Steps request as the device completes it.
struct StepsCompletion {
  // Not empty: the system refused the request when it was issued (this is its
  // text); the request was still waited for and the fields below still apply.
  std::string refusal;
  bool completed = true;  // false: the wait for the request itself failed
  std::uint32_t bytesReturned =
      0;              // 0: every entry was output; anything else: the move did not run
  std::string error;  // what went wrong when not completed
};

// One backend of the interface: the simulated machine, a hardware driver, …
// Requests follow the protocol's completion rules; the InterfaceDriver above it
// applies the program-side rules (presets, open state, messages).
//
// Threads: sendSteps() runs on the cut worker while the window thread calls
// readStatus(); a backend must allow these two to overlap. Every other request
// is made while no sendSteps() is running.
class DriverDevice {
 public:
  virtual ~DriverDevice() = default;

  // Opens the device. False: it is not there ("Error in loading driver").
  virtual bool open() = 0;
  virtual void close() = 0;

  // Version: high byte major, low byte minor.
  virtual std::uint16_t version() = 0;
  virtual void init() = 0;
  virtual void start() = 0;
  virtual void stop() = 0;
  // Heat percentage 0..100.
  virtual void setHeat(int percent) = 0;

  // Outputs a stream of 2-byte step entries; returns when it has been output.
  virtual StepsCompletion sendSteps(const std::uint8_t* entries, std::size_t length) = 0;

  // Timer calibration: counts the timer interrupts during one second.
  virtual void startTimerCount() = 0;
  // The count when the second is over, nothing while it runs.
  virtual std::optional<std::uint32_t> pollTimerCount() = 0;
  virtual std::uint32_t waitTimerCount() = 0;

  // Status now (Status) or after the next heat sample period (StatusWait).
  // Fields the device does not report keep the values passed in.
  virtual void readStatus(DriverStatus& status, bool wait) = 0;

  // The wire position, when the device can tell it (it may overlap a
  // sendSteps() like readStatus()). False: the device does not know.
  virtual bool readPosition(WirePosition& position) {
    (void)position;
    return false;
  }
};

}  // namespace orva
