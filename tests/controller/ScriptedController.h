#pragma once

// A GRBL controller in memory, for what the firmware cannot show on demand.

#include <algorithm>
#include <chrono>
#include <string>
#include <vector>

#include "driver/ControllerTransport.h"

namespace orva {

// Takes one line out of its receive buffer per read and answers it; answers
// "?" at once; reports "Run" while lines wait and "Idle" when none do.
class ScriptedController final : public ControllerTransport {
 public:
  explicit ScriptedController(std::size_t rxSize) : rxSize_(rxSize) {}

  bool open() override { return open_ = true; }
  void close() override { open_ = false; }
  bool isOpen() const override { return open_; }
  bool write(std::string_view bytes) override {
    for (const char c : bytes) {
      if (c == '?') {
        if (answerStatus) out_ += std::string("<") + (rx_.empty() ? "Idle" : "Run") +
                                  "|MPos:1.000,2.000,3.000,4.000|Bf:10," +
                                  std::to_string(rxSize_ - rx_.size()) + "|WCO:1,1,1,1>\n";
      } else if (c == '\x18') {
        rx_.clear();
        out_ += "\r\nGrbl 1.1h ['$' for help]\r\n";
      } else if (c == '!' || c == '~' || c == '\x85') {
      } else if (c == '\n' && !loseNewlineIn.empty() &&
                 rx_.find(loseNewlineIn, rx_.rfind('\n') + 1) != std::string::npos) {
        loseNewlineIn.clear();  // lost once: this line runs into the next
      } else {
        rx_ += c;
        maxInFlight = std::max(maxInFlight, rx_.size());
      }
    }
    return true;
  }
  bool read(std::string& into, std::chrono::milliseconds) override {
    const auto end = rx_.find('\n');
    if (end != std::string::npos && answerLines) {
      const std::string line = rx_.substr(0, end);
      rx_.erase(0, end + 1);
      received.push_back(line);
      out_ += line.find(refuseContaining) != std::string::npos ? "error:20\r\n" : "ok\r\n";
    }
    into += out_;
    out_.clear();
    return true;
  }
  std::string errorText() const override { return {}; }
  std::string name() const override { return "scripted"; }

  std::string refuseContaining = "G5";  // lines holding it are answered "error:20"
  std::string loseNewlineIn;  // the end of the first line holding it is lost on the way
  bool answerStatus = true;
  bool answerLines = true;
  std::size_t maxInFlight = 0;
  std::vector<std::string> received;

 private:
  std::size_t rxSize_;
  bool open_ = false;
  std::string rx_;
  std::string out_;
};

}  // namespace orva
