// The streamer against a scripted controller in memory: what the firmware
// cannot show on demand (a full receive buffer at every step, a controller
// that stops answering, a program line longer than the buffer).
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "driver/GrblStreamer.h"

namespace orva {
namespace {

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
      out_ += line.find("G5") != std::string::npos ? "error:20\r\n" : "ok\r\n";
    }
    into += out_;
    out_.clear();
    return true;
  }
  std::string errorText() const override { return {}; }
  std::string name() const override { return "scripted"; }

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

GrblSettings fastSettings(int rx) {
  GrblSettings settings;
  settings.rxBufferSize = rx;
  settings.answerTimeout = std::chrono::milliseconds(600);
  settings.bannerTimeout = std::chrono::milliseconds(600);
  return settings;
}

TEST(GrblStreamerScripted, NeverMoreBytesInFlightThanTheBufferHolds) {
  ScriptedController controller(40);
  GrblStreamer streamer(controller, fastSettings(40));
  ASSERT_TRUE(streamer.connect()) << streamer.failureText();
  std::string text;
  for (int i = 0; i < 60; ++i) text += "G1 X" + std::to_string(i) + ".1234 Y7.5 (- move)\n";
  const auto program = GrblProgramFromText(text, false);
  ASSERT_EQ(program.size(), 60U);
  const std::size_t before = controller.received.size();
  const auto state = streamer.run(program, {}, nullptr, nullptr);
  EXPECT_EQ(state, GrblStreamState::Finished) << streamer.failureText();
  EXPECT_EQ(streamer.progress().acknowledged, 60U);
  EXPECT_LE(controller.maxInFlight, 40U);
  EXPECT_GT(controller.maxInFlight, 20U);  // it did fill the buffer, not one line at a time
  // Every line arrived once, in order, without its comment, then the synchronising dwell.
  ASSERT_EQ(controller.received.size(), before + 61);
  EXPECT_EQ(controller.received[before], "G1 X0.1234 Y7.5");
  EXPECT_EQ(controller.received[before + 59], "G1 X59.1234 Y7.5");
  EXPECT_EQ(controller.received.back(), "G4 P0");
  // MPos less WCO, mapped to the towers.
  EXPECT_EQ(streamer.position(), (std::array<double, 4>{0, 1, 2, 3}));

  // A line longer than the buffer could never be sent: refused before anything goes out.
  EXPECT_FALSE(streamer.start({{std::string(40, 'G'), 7}}));
  EXPECT_NE(streamer.failureText().find("Line 7"), std::string::npos) << streamer.failureText();
}

TEST(GrblStreamerScripted, AControllerThatStopsAnsweringEndsTheProgram) {
  ScriptedController controller(128);
  GrblStreamer streamer(controller, fastSettings(128));
  ASSERT_TRUE(streamer.connect()) << streamer.failureText();
  controller.answerStatus = false;
  controller.answerLines = false;
  const auto started = std::chrono::steady_clock::now();
  const auto state = streamer.run(GrblProgramFromText("G1 X1\nG1 X2\n", false), {}, nullptr,
                                  nullptr);
  const auto took = std::chrono::steady_clock::now() - started;
  EXPECT_EQ(state, GrblStreamState::Failed);
  EXPECT_FALSE(streamer.positionKnown());
  EXPECT_NE(streamer.failureText().find("did not answer"), std::string::npos)
      << streamer.failureText();
  EXPECT_LT(took, std::chrono::seconds(5));
}

TEST(GrblStreamerScripted, UnusableAxisLettersAreRefusedBeforeThePortOpens) {
  ScriptedController controller(128);
  controller.answerStatus = false;
  GrblSettings settings = fastSettings(128);
  settings.axisLetters = "XYZ";
  GrblStreamer refused(controller, settings);
  EXPECT_FALSE(refused.connect());
  EXPECT_NE(refused.failureText().find("XYZ"), std::string::npos) << refused.failureText();
  EXPECT_FALSE(controller.isOpen());
}

}  // namespace
}  // namespace orva
