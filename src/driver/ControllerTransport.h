#pragma once

#include <chrono>
#include <string>
#include <string_view>

namespace orva {

// The byte channel to a G-code controller (a serial port, a pseudo-terminal,
// a scripted peer in tests). Blocking calls with bounded waits only, so that
// the protocol engine above it can never hang on it.
class ControllerTransport {
 public:
  virtual ~ControllerTransport() = default;

  // Opens the channel; false with errorText() when it cannot be opened.
  virtual bool open() = 0;
  virtual void close() = 0;
  virtual bool isOpen() const = 0;
  // Writes every byte; false when the channel is lost (then closed).
  virtual bool write(std::string_view bytes) = 0;
  // Appends to `into` what arrives within `timeout` (returns as soon as
  // something arrived, or at once when bytes are waiting); true when nothing
  // came in time. False when the channel is lost (then closed).
  virtual bool read(std::string& into, std::chrono::milliseconds timeout) = 0;
  // Why the last open, write or read failed (the system's words).
  virtual std::string errorText() const = 0;
  // The name the user knows the channel by (the port's path).
  virtual std::string name() const = 0;
};

}  // namespace orva
