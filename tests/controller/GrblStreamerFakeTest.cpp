// The streamer against a scripted controller in memory: what the firmware
// cannot show on demand (a full receive buffer at every step, a controller
// that stops answering, a program line longer than the buffer).
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "ScriptedController.h"
#include "driver/GrblStreamer.h"

namespace orva {
namespace {

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

TEST(GrblStreamerScripted, ALineLostOnTheWayStopsTheCutInsteadOfWaitingForEver) {
  ScriptedController controller(128);
  GrblStreamer streamer(controller, fastSettings(128));
  ASSERT_TRUE(streamer.connect()) << streamer.failureText();
  controller.loseNewlineIn = "X2";  // "G1 X2G1 X3" arrives: one answer for two lines
  const auto started = std::chrono::steady_clock::now();
  const auto state = streamer.run(
      GrblProgramFromText("M3 S500\nG1 X1\nG1 X2\nG1 X3\nG1 X4\n", false), {}, nullptr, nullptr);
  const auto took = std::chrono::steady_clock::now() - started;
  EXPECT_EQ(state, GrblStreamState::Failed);
  EXPECT_NE(streamer.failureText().find("never answered"), std::string::npos)
      << streamer.failureText();
  EXPECT_LT(took, std::chrono::seconds(5));
  // Stopped the safe way: reset at a standstill (position kept), then the heat off.
  EXPECT_TRUE(streamer.positionKnown());
  EXPECT_EQ(controller.received.back(), "G4 P0");
  EXPECT_NE(std::find(controller.received.end() - 3, controller.received.end(), "M5"),
            controller.received.end());
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
