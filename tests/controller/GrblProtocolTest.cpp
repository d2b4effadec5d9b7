#include "driver/GrblProtocol.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace orva {
namespace {

TEST(GrblProtocol, ReceivedLinesAreClassified) {
  struct Case {
    const char* line;
    GrblLineKind kind;
    int code;
    const char* text;
  };
  const Case cases[] = {
      {"ok", GrblLineKind::Ok, 0, ""},
      {"ok\r", GrblLineKind::Ok, 0, ""},
      {"", GrblLineKind::Empty, 0, ""},
      {"error:20", GrblLineKind::Error, 20, ""},
      {"error:", GrblLineKind::Other, 0, "error:"},
      {"error:x1", GrblLineKind::Other, 0, "error:x1"},
      {"ALARM:3", GrblLineKind::Alarm, 3, ""},
      {"Grbl 1.1h ['$' for help]", GrblLineKind::Banner, 0, "Grbl 1.1h ['$' for help]"},
      {"Grbl 3.7 [FluidNC v3.7.8 (wifi) '$' for help]", GrblLineKind::Banner, 0,
       "Grbl 3.7 [FluidNC v3.7.8 (wifi) '$' for help]"},
      {"[MSG:'$H'|'$X' to unlock]", GrblLineKind::Message, 0, "'$H'|'$X' to unlock"},
      {"[AXS:4:XYUV]", GrblLineKind::Feedback, 0, "AXS:4:XYUV"},
      {"<Idle|MPos:0.000,0.000,0.000|FS:0,0>", GrblLineKind::Status, 0,
       "<Idle|MPos:0.000,0.000,0.000|FS:0,0>"},
      {"$110=750.00", GrblLineKind::Setting, 0, "$110=750.00"},
      {">G21:ok", GrblLineKind::Other, 0, ">G21:ok"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.line);
    const GrblLine line = ParseGrblLine(c.line);
    EXPECT_EQ(line.kind, c.kind);
    EXPECT_EQ(line.code, c.code);
    EXPECT_EQ(line.text, c.text);
  }
  EXPECT_EQ(AxesOfFeedback("AXS:4:XYUV"), "XYUV");
  EXPECT_EQ(AxesOfFeedback("VER:1.1q.20210103:"), "");
}

TEST(GrblProtocol, StatusReportsAreReadFieldByField) {
  const auto run = ParseGrblStatus(
      "<Run|MPos:4.413,1.765,-0.5,10.000|Bf:31,240|FS:300,550|WCO:1.000,2,0,-3.5>");
  ASSERT_TRUE(run);
  EXPECT_EQ(run->state, "Run");
  EXPECT_EQ(run->subState, -1);
  EXPECT_EQ(run->machinePosition, (std::vector<double>{4.413, 1.765, -0.5, 10.0}));
  EXPECT_TRUE(run->workPosition.empty());
  EXPECT_EQ(run->workOffset, (std::vector<double>{1.0, 2.0, 0.0, -3.5}));
  EXPECT_EQ(run->plannerBlocksFree, 31);
  EXPECT_EQ(run->rxBytesFree, 240);
  EXPECT_EQ(run->feed, 300.0);
  EXPECT_EQ(run->spindle, 550.0);

  const auto hold = ParseGrblStatus("<Hold:0|WPos:1,2,3|F:120|Ov:100,100,100|A:S>");
  ASSERT_TRUE(hold);
  EXPECT_EQ(hold->state, "Hold");
  EXPECT_EQ(hold->subState, 0);
  EXPECT_EQ(hold->workPosition, (std::vector<double>{1.0, 2.0, 3.0}));
  EXPECT_FALSE(hold->plannerBlocksFree);
  EXPECT_EQ(hold->feed, 120.0);
  EXPECT_FALSE(hold->spindle);

  for (const char* bad : {"<>", "Idle|MPos:0,0,0", "<Idle|MPos:0,x,0>", "<Hold:a|MPos:0>",
                          "<Idle|Bf:15>", "<|MPos:0,0>"}) {
    EXPECT_FALSE(ParseGrblStatus(bad)) << bad;
  }
}

TEST(GrblProtocol, AxisLettersMapTheTowersOntoTheControllersOrder) {
  const auto xyuv = GrblAxisMap::make("xyuv");
  ASSERT_TRUE(xyuv);
  EXPECT_EQ(xyuv->controllerAxes(), "XYUV");
  EXPECT_EQ(xyuv->towers({1, 2, 3, 4}), (std::array<double, 4>{1, 2, 3, 4}));
  EXPECT_EQ(xyuv->words({1.5, -2.0, 0.00004, 10.12345}), "X1.5 Y-2 U0 V10.1235");
  EXPECT_EQ(xyuv->words(0.0, {}, 0.0, {}), "X0 U0");

  // Any order: XG on A, YG on X, XD on Z, YD on Y; the controller reports X Y Z A.
  const auto mixed = GrblAxisMap::make("AXZY");
  ASSERT_TRUE(mixed);
  EXPECT_EQ(mixed->controllerAxes(), "XYZA");
  EXPECT_EQ(mixed->towers({1, 2, 3, 4}), (std::array<double, 4>{4, 1, 3, 2}));
  // A five-axis build names its order: B is its fifth value.
  const auto five = GrblAxisMap::make("XYZB", "XYZAB");
  ASSERT_TRUE(five);
  EXPECT_EQ(five->towers({1, 2, 3, 4, 5}), (std::array<double, 4>{1, 2, 3, 5}));
  EXPECT_FALSE(five->towers({1, 2, 3, 4}));  // a report with too few values
  EXPECT_FALSE(GrblAxisMap::make("XYUV", "XYZA"));

  for (const char* bad : {"XYZ", "XYZAB", "XYZX", "XYZQ", "XY1A", ""}) {
    EXPECT_FALSE(GrblAxisMap::make(bad)) << bad;
    EXPECT_FALSE(GrblAxisMap::check(bad).empty()) << bad;
  }
  EXPECT_TRUE(GrblAxisMap::check("xyza").empty());
}

TEST(GrblProtocol, ProgramLinesLoseTheirCommentsUnlessKept) {
  EXPECT_EQ(GrblLineToSend("  G1 X1 (- Upper surface) Y2 ; end\r", false), "G1 X1  Y2");
  EXPECT_EQ(GrblLineToSend("(ORVA)", false), "");
  EXPECT_EQ(GrblLineToSend(" (- Tempo)\r", true), "(- Tempo)");
  EXPECT_EQ(GcodeWordValue("M3 S800", 'S'), 800.0);
  EXPECT_EQ(GcodeWordValue("G1 X-1.5 Y2 F120.5", 'f'), 120.5);
  EXPECT_EQ(GcodeWordValue("G1 X-1.5 Y2", 'Y'), 2.0);
  EXPECT_FALSE(GcodeWordValue("G1 X-1.5", 'Y'));
  EXPECT_FALSE(GcodeWordValue("G1 X", 'X'));
  EXPECT_FALSE(GrblErrorText(20).empty());
  EXPECT_FALSE(GrblAlarmText(3).empty());
  EXPECT_TRUE(GrblErrorText(99).empty());
}

}  // namespace
}  // namespace orva
