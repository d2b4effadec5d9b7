#pragma once

#include <QSerialPort>
#include <chrono>
#include <string>

#include "driver/ControllerTransport.h"

namespace orva {

// A controller's serial port (a USB serial adapter, a pseudo-terminal) through
// Qt Serial Port: 8 data bits, no parity, one stop bit, no flow control.
// Works without an event loop (the waits are Qt's blocking ones).
class SerialTransport final : public ControllerTransport {
 public:
  explicit SerialTransport(std::string path, int baudRate = 115200);

  bool open() override;
  void close() override;
  bool isOpen() const override;
  bool write(std::string_view bytes) override;
  bool read(std::string& into, std::chrono::milliseconds timeout) override;
  std::string errorText() const override;
  std::string name() const override { return path_; }

 private:
  bool fail();

  std::string path_;
  int baudRate_;
  QSerialPort port_;
  std::string error_;
};

}  // namespace orva
