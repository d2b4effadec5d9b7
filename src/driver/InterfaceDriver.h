#pragma once

#include <atomic>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "driver/DriverDevice.h"

namespace orva {

class UserPrompt;

// The program's one driver object: opens the device, checks its version, and
// applies the program-side rules of every request. While the device is not
// open every request is skipped: SendSteps fails, the status keeps its presets
// and a timer count is over at once with 0 interrupts.
//
// Threads: SendSteps runs on the cut worker while the window thread calls
// ReadStatus, ReadStatusWait and isOpen; these may overlap (the device must
// allow it, see DriverDevice). Everything else (OpenDriver, CloseDriver, Init,
// Start, Stop, SetHeatOutput, the timer count) is called from the window thread
// while no cut worker runs. A failed Steps request shows its message from the
// thread that sent it; the cut worker uses the form that hands the messages
// back instead, so that only the window thread shows them.
class InterfaceDriver {
 public:
  // Oldest driver version the program works with: 1.2.
  static constexpr std::uint16_t kRequiredVersion = 0x0102;

  InterfaceDriver(std::unique_ptr<DriverDevice> device, UserPrompt& prompt);
  // Closes the device if it is open.
  ~InterfaceDriver();
  InterfaceDriver(const InterfaceDriver&) = delete;
  InterfaceDriver& operator=(const InterfaceDriver&) = delete;

  // Opens the device ("Error in loading driver" when absent), checks the
  // version ("Driver version %s too old..." keeps it open without Init),
  // otherwise sends Init. Returns whether the device is open. Calling it while
  // the device is already open does nothing and returns true.
  bool OpenDriver();
  void CloseDriver();
  bool isOpen() const { return open_.load(std::memory_order_acquire); }
  // The version read at open (0 when never read).
  std::uint16_t version() const { return version_; }

  // Sends one move's step entries and waits; true when every entry was output.
  bool SendSteps(const std::uint8_t* bytes, std::size_t length);
  // The same without showing anything: the messages a failure gives are
  // appended to `messages` (shown with the information icon by the caller).
  bool SendSteps(const std::uint8_t* bytes, std::size_t length, std::vector<std::string>& messages);

  void StartTimerCount();
  // (done, interrupts per second); done is false while the second runs.
  std::pair<bool, std::uint32_t> PollTimerCount();
  std::uint32_t WaitTimerCount();

  void Init();
  void Start();
  void Stop();
  // Percent outside 0..100: "Invalid power coefficient %1" and nothing is sent
  // (the message is shown whether or not the device is open).
  void SetHeatOutput(int percent);

  // Presets 0, 100, 1, then reads the status at once.
  void ReadStatus(DriverStatus& status);
  // Presets the two counts to 0 and 100 (the control flag is left as passed),
  // then waits for a status.
  void ReadStatusWait(DriverStatus& status);
  // The wire position as the device reports it; false when the device is not
  // open or cannot tell.
  bool ReadPosition(WirePosition& position);

  DriverDevice& device() { return *device_; }
  const DriverDevice& device() const { return *device_; }

  // A driver version as the user reads it: major and minor number, "1.2".
  static std::string versionText(std::uint16_t version);

 private:
  std::unique_ptr<DriverDevice> device_;
  UserPrompt& prompt_;
  std::atomic<bool> open_{false};
  std::uint16_t version_ = 0;
};

}  // namespace orva
