// The program's one controller connection: the port comes from the installed
// factory, the connection is reused while the link stays the same, the log
// is bounded and marked, and the manual commands wait while a program runs.
#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "ScriptedController.h"
#include "common/Messages.h"
#include "driver/ControllerSession.h"

namespace orva {
namespace {

GrblSettings quick() {
  GrblSettings settings;
  settings.answerTimeout = std::chrono::milliseconds(600);
  settings.bannerTimeout = std::chrono::milliseconds(600);
  return settings;
}

struct Opened {
  std::string port;
  int baud = 0;
  ScriptedController* controller = nullptr;
};

ControllerSession::TransportFactory factoryInto(std::vector<Opened>& opened) {
  return [&opened](const std::string& port, int baud) {
    auto controller = std::make_unique<ScriptedController>(128);
    opened.push_back({port, baud, controller.get()});
    return controller;
  };
}

TEST(ControllerSession, ConnectsThroughTheFactoryAndReusesTheConnection) {
  ControllerSession none;
  EXPECT_FALSE(none.connect("/dev/ttyACM0", 115200, quick()));
  EXPECT_EQ(none.failureText(), messageText(Msg::SessionNoSerialPorts));

  std::vector<Opened> opened;
  ControllerSession session(factoryInto(opened));
  EXPECT_FALSE(session.connect("", 115200, quick()));
  EXPECT_EQ(session.failureText(), messageText(Msg::SessionNoPort));
  EXPECT_FALSE(session.jog({1.0, {}, {}, {}}, 100));
  EXPECT_EQ(session.failureText(), messageText(Msg::GrblNotConnected));
  EXPECT_TRUE(opened.empty());

  int notified = 0;
  session.setLogObserver([&] { ++notified; });
  ASSERT_TRUE(session.ensureConnected("/dev/ttyACM0", 250000, quick())) << session.failureText();
  ASSERT_EQ(opened.size(), 1U);
  EXPECT_EQ(opened[0].port, "/dev/ttyACM0");
  EXPECT_EQ(opened[0].baud, 250000);
  EXPECT_TRUE(session.connected());
  ASSERT_NE(session.streamer(), nullptr);
  EXPECT_NE(session.banner().find("Grbl 1.1h"), std::string::npos);
  ASSERT_TRUE(session.lastStatus());
  EXPECT_EQ(session.lastStatus()->state, "Idle");
  EXPECT_TRUE(session.positionKnown());
  EXPECT_GT(notified, 0);

  // The same link: the open port is kept; another one: it is opened anew.
  ASSERT_TRUE(session.ensureConnected("/dev/ttyACM0", 250000, quick()));
  EXPECT_EQ(opened.size(), 1U);
  GrblSettings other = quick();
  other.axisLetters = "XYUV";
  ASSERT_TRUE(session.ensureConnected("/dev/ttyACM0", 250000, other)) << session.failureText();
  ASSERT_EQ(opened.size(), 2U);

  // The log: one entry per line, sent and received told apart, the status
  // traffic left out, realtime bytes shown readably.
  session.clearLog();
  ASSERT_TRUE(session.jog({1.5, {}, {}, -2.0}, 300)) << session.failureText();
  ASSERT_GE(session.log().size(), 2U);
  EXPECT_TRUE(session.log().front().sent);
  EXPECT_NE(session.log().front().text.find("$J="), std::string::npos) << session.log().front().text;
  EXPECT_NE(session.log().front().text.find("V-2"), std::string::npos) << session.log().front().text;
  EXPECT_FALSE(session.log()[1].sent);
  EXPECT_EQ(session.log()[1].text, "ok");
  for (const auto& line : session.log()) {
    EXPECT_NE(line.text.front(), '<');
    EXPECT_NE(line.text, "?");
    EXPECT_EQ(line.text.find_first_of("\r\n"), std::string::npos);
  }
  const auto changes = session.logChanges();
  for (int i = 0; i < 300; ++i) ASSERT_TRUE(session.setHeat(std::nullopt));
  EXPECT_EQ(session.log().size(), ControllerSession::kLogLimit);
  EXPECT_GE(session.logChanges(), changes + 600);
  EXPECT_EQ(session.log().back().text, "ok");
  session.streamer()->emergencyStop();
  EXPECT_EQ(session.log().back().text, "0x18");

  session.disconnect();
  EXPECT_FALSE(session.connected());
  EXPECT_EQ(session.streamer(), nullptr);
}

TEST(ControllerSession, ManualCommandsWaitWhileAProgramStreams) {
  std::vector<Opened> opened;
  ControllerSession session(factoryInto(opened));
  ASSERT_TRUE(session.connect("/dev/pts/9", 115200, quick())) << session.failureText();
  opened[0].controller->answerLines = false;  // the program stays in flight
  ASSERT_TRUE(session.streamer()->start(GrblProgramFromText("G1 X1\nG1 X2\n", false)));
  session.streamer()->service(std::chrono::milliseconds(20));
  ASSERT_TRUE(session.busy());
  EXPECT_FALSE(session.jog({1.0, {}, {}, {}}, 100));
  EXPECT_EQ(session.failureText(), messageText(Msg::GrblBusy));
  EXPECT_FALSE(session.setWorkZero());
  EXPECT_FALSE(session.setHeat(500.0));
  EXPECT_FALSE(session.unlock());
  // Nor is the port given up for another link.
  GrblSettings other = quick();
  other.rxBufferSize = 255;
  EXPECT_FALSE(session.ensureConnected("/dev/pts/9", 115200, other));
  EXPECT_EQ(session.failureText(), messageText(Msg::GrblBusy));
  EXPECT_EQ(opened.size(), 1U);
  EXPECT_TRUE(session.connected());

  opened[0].controller->answerLines = true;
  GrblStreamState state = GrblStreamState::Running;
  const auto until = std::chrono::steady_clock::now() + std::chrono::seconds(3);
  while (state == GrblStreamState::Running && std::chrono::steady_clock::now() < until) {
    state = session.streamer()->service(std::chrono::milliseconds(20));
  }
  EXPECT_EQ(state, GrblStreamState::Finished)
      << session.streamer()->failureText() << " " << session.streamer()->progress().acknowledged
      << " " << session.streamer()->progress().state;
  EXPECT_FALSE(session.busy());
  EXPECT_TRUE(session.setWorkZero()) << session.failureText();
}

}  // namespace
}  // namespace orva
