#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <tuple>
#include <vector>

#include "config/TableConfig.h"
#include "support/TestFiles.h"

namespace orva {
namespace {

namespace fs = std::filesystem;

auto fields(const TableConfig& c) {
  return std::make_tuple(c.TableInv, c.InterfChauf, c.Tempo, c.Chauffe, c.ArmVMax, c.Entraxe,
                         c.AxesX, c.AxesY, c.ZeroX, c.XNtour, c.XPasInvSens, c.XPas, c.XVmax,
                         c.VitesseInvSensX, c.VitesseInvSensY, c.YNtour, c.YPasInvSens, c.YPas,
                         c.YVmax, c.MargeBlocX, c.MargeBlocZ, c.ZeroY);
}

TableConfig parsed(const std::string& text) {
  TableConfig c;
  ParseTableConfigText(text, c);
  return c;
}

// The file the built-in record must give, written out by hand.
const char* const kBuiltInFile =
    "TableInv 0\nInterfChauf 1\nTempo 0.500000\nChauffe 10.000000\nArmVMax 1\n"
    "Entraxe 1500\nAxesX 1000\nAxesY 500\nZeroX 0.000000\nXNtour 48\nXPasInvSens 0\n"
    "XPas 1.000000\nXVmax 5.000000\nVitesseInvSensX 100\nVitesseInvSensY 100\nYNtour 48\n"
    "YPasInvSens 0\nYPas 1.000000\nYVmax 5.000000\nMargeBlocX 0\nMargeBlocZ 0\nZeroY 0.000000\n";

TEST(TableConfigParse, EveryKeyInAnyOrderWrittenBackInFileOrder) {
  const std::vector<std::string> lines = {
      "TableInv 1",    "InterfChauf 0", "Tempo 0.25", "Chauffe 7.5",        "ArmVMax 0",
      "Entraxe 900",   "AxesX 640",     "AxesY 320",  "ZeroX -12.5",        "XNtour 200",
      "XPasInvSens 3", "XPas 1.25",     "XVmax 2",    "VitesseInvSensX 80", "VitesseInvSensY 90",
      "YNtour 400",    "YPasInvSens 4", "YPas 2.5",   "YVmax 3.5",          "MargeBlocX 10",
      "MargeBlocZ 20", "ZeroY 33.75"};
  // The same values as the file writes them (six decimals, file order).
  const std::string written =
      "TableInv 1\nInterfChauf 0\nTempo 0.250000\nChauffe 7.500000\nArmVMax 0\nEntraxe 900\n"
      "AxesX 640\nAxesY 320\nZeroX -12.500000\nXNtour 200\nXPasInvSens 3\nXPas 1.250000\n"
      "XVmax 2.000000\nVitesseInvSensX 80\nVitesseInvSensY 90\nYNtour 400\nYPasInvSens 4\n"
      "YPas 2.500000\nYVmax 3.500000\nMargeBlocX 10\nMargeBlocZ 20\nZeroY 33.750000\n";
  std::string forward, backward;
  for (const std::string& l : lines) forward += l + "\n";
  for (auto it = lines.rbegin(); it != lines.rend(); ++it) backward += *it + "\n";
  EXPECT_EQ(FormatTableConfig(parsed(forward)), written);
  EXPECT_EQ(FormatTableConfig(parsed(backward)), written);

  // One key changes only its field; no key changes nothing.
  TableConfig expected;
  expected.Entraxe = 800;
  EXPECT_EQ(fields(parsed("Entraxe 800")), fields(expected));
  EXPECT_EQ(fields(parsed("no key here\n\n")), fields(TableConfig{}));
}

// A controller table keeps its link in lines after the classic ones; a table
// on the interface writes none, and the classic "AxesX"/"AxesY" keys are not
// taken for the controller's letters.
TEST(TableConfigParse, ControllerLinkRoundTripsAndIsCheckedFieldByField) {
  TableConfig classic = parsed(kBuiltInFile);
  EXPECT_FALSE(classic.controller.isGrbl());
  EXPECT_EQ(FormatTableConfig(classic), kBuiltInFile);

  const std::string link =
      "CtlBackend grbl\nCtlPort /dev/tty ACM0 \nCtlBaud 250000\nCtlAxes XYUV\n"
      "CtlHeatS 255.000000\nCtlRxBuffer 256\nCtlStatusMs 100\n";
  const TableConfig grbl = parsed(std::string(kBuiltInFile) + "AxesX 700\r\n" + link);
  EXPECT_EQ(grbl.AxesX, 700);
  EXPECT_EQ(grbl.controller,
            (ControllerLink{"grbl", "/dev/tty ACM0", 250000, "XYUV", 255.0, 256, 100}));
  EXPECT_EQ(parsed(FormatTableConfig(grbl)).controller, grbl.controller);
  EXPECT_EQ(CheckControllerLink(grbl.controller), "");
  // A key glued to its value is some other key, not this one.
  EXPECT_EQ(parsed("CtlBaud9600").controller.CtlBaud, 115200);

  const auto refused = [&](auto change, const char* word) {
    ControllerLink bad = grbl.controller;
    change(bad);
    const std::string why = CheckControllerLink(bad);
    EXPECT_NE(why.find(word), std::string::npos) << why;
  };
  refused([](ControllerLink& l) { l.CtlBackend = "usb"; }, "usb");
  refused([](ControllerLink& l) { l.CtlPort.clear(); }, "serial port");
  refused([](ControllerLink& l) { l.CtlBaud = 0; }, "baud");
  refused([](ControllerLink& l) { l.CtlAxes = "XYZX"; }, "XYZX");
  refused([](ControllerLink& l) { l.CtlHeatS = -1; }, "full heat");
  refused([](ControllerLink& l) { l.CtlRxBuffer = 8; }, "receive buffer");
  refused([](ControllerLink& l) { l.CtlStatusMs = 0; }, "status interval");
  EXPECT_EQ(CheckControllerLink(ControllerLink{}), "");
}

TEST(TableConfigParse, ValuesAreReadAsScanfReadsThemUnderTheirExactKeys) {
  // The conversions themselves are tested with NumberText; here the keys and the
  // scanf options the file is read with. Each row: the text and lines of what
  // is written back.
  const std::vector<std::pair<const char*, std::vector<const char*>>> cases{
      {"TableInv 3\nInterfChauf 2", {"TableInv 1\n", "InterfChauf 0\n"}},  // the lowest bit
      {"TableInv -1", {"TableInv 1\n"}},
      {"TableInv 2", {"TableInv 0\n"}},
      {"AxesX 1\nAxesX 2\nAxesX 3\n", {"AxesX 3\n"}},  // the last value wins
      // "XPas %lf" does not take "InvSens 3".
      {"XPasInvSens 3\nYPasInvSens 5",
       {"XPasInvSens 3\n", "\nXPas 1.0", "YPasInvSens 5\n", "\nYPas 1.0"}},
      {"XPas 2.5", {"XPasInvSens 0\n", "\nXPas 2.5"}},
      {"Entraxe 12.7", {"Entraxe 12\n"}},                 // %d stops at the point
      {"Entraxe900", {"Entraxe 900\n"}},                  // the blank matches no white space too
      {" Entraxe 902\nentraxe 903", {"Entraxe 1500\n"}},  // the key starts the line, in its case
      {"Entraxe 2147483648", {"Entraxe 1500\n"}},         // beyond int: no match
      {"Tempo 0x1p-2", {"Tempo 0.25"}},
      {"Tempo 1e\nTempo 0x\nTempo nan\nTempo 1e999", {"Tempo 0.5"}},
  };
  for (const auto& [text, lines] : cases) {
    const std::string written = FormatTableConfig(parsed(text));
    for (const char* line : lines) EXPECT_NE(written.find(line), std::string::npos) << text << line;
  }
}

TEST(TableConfigParse, LineEndsAndLineLengths) {
  const TableConfig c = parsed("AxesX 11\r\nAxesY 12\rEntraxe 13\nZeroY 4.5");
  EXPECT_EQ(std::make_tuple(c.AxesX, c.AxesY, c.Entraxe, c.ZeroY),
            std::make_tuple(11, 12, 13, 4.5));

  // "Entraxe", blanks, "777": exactly the longest line taken, then one byte more.
  const std::string longest = "Entraxe" + std::string(4096 - 10, ' ') + "777";
  ASSERT_EQ(longest.size(), TableConfigParser::kMaxLineBytes);
  EXPECT_EQ(parsed(longest + "\n").Entraxe, 777);
  const TableConfig tooLong = parsed("Entraxe " + longest.substr(7) + "\nAxesX 5");
  EXPECT_EQ(tooLong.Entraxe, 1500);
  EXPECT_EQ(tooLong.AxesX, 5);  // the next line is read again

  // Fed one byte at a time (a "\r\n" split between pieces) the result is the same.
  const std::string text = "AxesX 21\r\nAxesY 22\r\rEntraxe 23\n" + longest;
  TableConfig pieces;
  TableConfigParser parser(pieces);
  for (const char ch : text) parser.feed(std::string_view(&ch, 1));
  parser.finish();
  EXPECT_EQ(fields(pieces), fields(parsed(text)));
  EXPECT_EQ(pieces.Entraxe, 777);
}

TEST(TableConfigMaxSpeed, DerivedSpeedAndGuardedDivisors) {
  EXPECT_NEAR(MaxAxisSpeed(1.0, 48, 5.0), 1000.0 / 240.0, 1e-12);
  EXPECT_DOUBLE_EQ(MaxAxisSpeed(2.0, 200, 0.5), 20.0);
  EXPECT_NEAR(MaxAxisSpeed(1.0, -48, -1.0), 1000.0 / 48.0, 1e-12);  // hand-edited signs
  EXPECT_EQ(MaxAxisSpeed(1.0, 0, 5.0), 0.0);
  EXPECT_EQ(MaxAxisSpeed(1.0, 48, 0.0), 0.0);
  EXPECT_EQ(MaxAxisSpeed(1e308, 1, 1e-10), 0.0);  // not finite
}

class TableConfigFiles : public ::testing::Test {
 protected:
  const test::TempDir dir_;
};

TEST_F(TableConfigFiles, ReadAndOpenHugeAndHandEditedFiles) {
  TableConfig c;
  c.Entraxe = 700;
  c.tableModified = true;
  EXPECT_FALSE(ReadTableConfig(c, dir_.path(), "Missing_table.bd"));
  fs::create_directory(dir_ / "Dir_table.bd");
  EXPECT_FALSE(ReadTableConfig(c, dir_.path(), "Dir_table.bd"));
  EXPECT_FALSE(OpenTableConfig(c, dir_.path(), "Missing_table.bd", false));
  EXPECT_EQ(c.Entraxe, 700);
  EXPECT_TRUE(c.tableModified);
  // Opening with the built-in values (modified) or from its file (not
  // modified) is shown by the program runs in tests/app.

  // A 3 MB line is skipped without being held; the lines after it count.
  test::writeFile(dir_ / "H_table.bd", std::string(3'000'000, 'x') + "\nEntraxe 800\r\nAxesX 7");
  ASSERT_TRUE(ReadTableConfig(c, dir_.path(), "H_table.bd"));
  EXPECT_EQ(c.Entraxe, 800);
  EXPECT_EQ(c.AxesX, 7);

  // Hand-edited zeros are kept (the planner refuses them).
  test::writeFile(dir_ / "Z_table.bd", "Tempo 0\nXNtour 0\nYVmax -1\n");
  ASSERT_TRUE(ReadTableConfig(c, dir_.path(), "Z_table.bd"));
  EXPECT_EQ(std::make_tuple(c.Tempo, c.XNtour, c.YVmax), std::make_tuple(0.0, 0, -1.0));
}

// The save point (only when modified, the previous file as backup, a failed
// write reported) is shown on disk by the program runs in tests/app.

}  // namespace
}  // namespace orva
