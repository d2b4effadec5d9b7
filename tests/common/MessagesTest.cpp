#include <gtest/gtest.h>

#include <algorithm>
#include <set>
#include <string>
#include <vector>

#include "common/CodePage.h"
#include "common/Messages.h"

namespace orva {
namespace {

TEST(FillInserts, ReplacesEveryMarkerWithItsInsertInAnyOrder) {
  EXPECT_EQ(fillInserts("%2 then %1, and %2 again", {"a", "bb"}), "bb then a, and bb again");
  EXPECT_EQ(fillInserts("%1%1", {"x"}), "xx");
  EXPECT_EQ(fillInserts("%9.", {"1", "2", "3", "4", "5", "6", "7", "8", "nine"}), "nine.");
  EXPECT_EQ(fillInserts("", {"a"}), "");
  EXPECT_EQ(fillInserts("%1", {""}), "");
}

TEST(FillInserts, NeverExpandsMarkersBroughtInByAnInsert) {
  EXPECT_EQ(fillInserts("%1|%2", {"%2", "x"}), "%2|x");
  EXPECT_EQ(fillInserts("%1", {"%1%1"}), "%1%1");
  EXPECT_EQ(fillInserts("<%1>", {"%"}), "<%>");
}

TEST(FillInserts, LeavesMarkersWithoutInsertAsTheyStand) {
  EXPECT_EQ(fillInserts("%1 %2 %3", {"a"}), "a %2 %3");
  EXPECT_EQ(fillInserts("%1 and %2", {}), "%1 and %2");
}

TEST(FillInserts, LeavesOtherPercentSequencesUntouched) {
  EXPECT_EQ(fillInserts("%% %d %.2f %0 %s %VMax", {"x"}), "%% %d %.2f %0 %s %VMax");
  // "%%1" is printf's escaped percent followed by "1", not a marker.
  EXPECT_EQ(fillInserts("%%1 %%%1", {"x"}), "%%1 %%x");
  EXPECT_EQ(fillInserts("100%", {"x"}), "100%");
  EXPECT_EQ(fillInserts("%", {"x"}), "%");
}

TEST(FillInserts, TakesOneDigitPerMarker) {
  EXPECT_EQ(fillInserts("%10", {"a"}), "a0");
  EXPECT_EQ(fillInserts("%12", {"a", "b"}), "a2");
}

TEST(FormatMessage, FillsTheCatalogueText) {
  EXPECT_EQ(formatMessage(Msg::ScriptFileLine, {"C:/cuts/rib.cut", "12"}),
            "Script file C:/cuts/rib.cut, line 12");
  // %2 comes before %1 in this text.
  EXPECT_EQ(formatMessage(Msg::MotorSpeedLowerThanTimer, {"0.5", "X"}),
            "Motor speed on  X axis lower than 0.5 ms");
  EXPECT_EQ(formatMessage(Msg::TableDoesNotExist, {"Big %2"}), "Table \"Big %2\" does not exist");
  EXPECT_EQ(formatMessage(Msg::AxisLimitOverflow, {"left X", "1001"}),
            "left X axis limit overflow : 1001 mm, ");
  EXPECT_EQ(formatMessage(Msg::InvalidDatFile), "Invalid .dat file");
}

// Expected numbers and texts copied by hand from the system's string table.
TEST(MessageCatalogue, NumberedTextsKeepTheirStringTableNumbers) {
  struct Numbered {
    Msg id;
    int number;
    std::string text;
  };
  const std::vector<Numbered> cases = {
      {Msg::OleInitFailed, 100,
       "Echec de l'initialisation OLE. V\xC3\xA9rifiez que les biblioth\xC3\xA8ques OLE sont de "
       "la bonne version."},
      {Msg::MotorSpeedLowerThanTimer, 10000, "Motor speed on  %2 axis lower than %1 ms"},
      {Msg::NoMemory, 10002, "No memory"},
      {Msg::AxisLimitOverflow, 10003, "%1 axis limit overflow : %2 mm, "},
      {Msg::BlockSizeGreaterThanTable, 10007, "Block size greater than  XD-XG size: %1"},
      {Msg::Right, 10011, "right"},
      {Msg::Left, 10012, "left"},
      {Msg::InvalidPowerCoefficient, 10027, "Invalid power coefficient %1"},
      {Msg::PowerSampling, 10038, "Power sampling %d %%"},
      {Msg::MaterialNameUsedAlready, 10049,
       "This name is used already. Thanks to create a new one"},
      {Msg::TableNameUsedAlready, 10069, "This name is used already. Thanks to create a new one"},
      {Msg::WingSummaryLead, 10072, ""},
      {Msg::TableDoesNotExist, 10082, "Table \"%1\" does not exist"},
      {Msg::InvalidFoamType, 10085, "Invalid foam type, select a new foam"},
  };
  for (const Numbered& c : cases) {
    SCOPED_TRACE(c.number);
    EXPECT_EQ(static_cast<int>(c.id), c.number);
    EXPECT_EQ(messageText(c.id), c.text);
    EXPECT_EQ(messageFromNumber(c.number), c.id);
  }
}

TEST(MessageCatalogue, OddTextsAreByteExact) {
  EXPECT_EQ(messageText(Msg::StartCut), "Start cut ?\nTotal time %s\nHeat %s");
  EXPECT_EQ(std::count(messageText(Msg::StartCut).begin(), messageText(Msg::StartCut).end(), '\n'),
            2);
  EXPECT_EQ(messageText(Msg::DriverVersionTooOld),
            "Driver version %s too old\nPlease install version  %s or above.");
  EXPECT_EQ(messageText(Msg::ReadError), "Read error\n");
  EXPECT_EQ(messageText(Msg::PolyExpanse), "Poly expans\xC3\xA9");
  EXPECT_EQ(messageText(Msg::DdDegPerMm), "Dd (\xC2\xB0/mm)");
  EXPECT_EQ(messageText(Msg::DisplayProfileCoordinates), "Display of profile coordinatesl");
  EXPECT_EQ(messageText(Msg::HorizontalTeProlongation), "Horizontal TE prolongation ");
  EXPECT_EQ(messageText(Msg::DistancePLeMiddleSpar), "Distance p  LE-midle spar");
  EXPECT_EQ(messageText(Msg::FilterSoundFiles), " (*.wav)");
  EXPECT_EQ(messageText(Msg::SingleStepLabel), " ");
  EXPECT_EQ(messageText(Msg::LowerSurfaceSpar), "Lower\nsurface spar");
  EXPECT_EQ(messageText(Msg::UnableToOpenFileForReading), "Unable to Open file for Reading");
}

TEST(MessageCatalogue, ExactlyTheStringTableNumbersAreFoundByNumber) {
  // Every string-table number the program uses.
  const std::set<int> expected = {
      100,   10000, 10002, 10003, 10005, 10006, 10007, 10008, 10010, 10011, 10012, 10027,
      10029, 10030, 10031, 10033, 10034, 10035, 10037, 10038, 10039, 10040, 10041, 10043,
      10044, 10045, 10049, 10051, 10052, 10058, 10059, 10060, 10061, 10062, 10069, 10070,
      10071, 10072, 10074, 10077, 10078, 10079, 10080, 10082, 10083, 10085};
  std::set<int> numbered;
  for (Msg id : allMessageIds()) {
    const int value = static_cast<int>(id);
    if (messageFromNumber(value)) {
      EXPECT_EQ(*messageFromNumber(value), id);
      numbered.insert(value);
    } else {
      // Texts without a number sit in their own range.
      EXPECT_TRUE(value >= 1000 && value < 4000) << value;
    }
  }
  EXPECT_EQ(numbered, expected);

  for (int number : {-1, 0, 1, 99, 101, 10001, 10086, 65535, 70000}) {
    EXPECT_FALSE(messageFromNumber(number)) << number;
  }
  EXPECT_FALSE(messageFromNumber(static_cast<int>(Msg::InvalidDatFile)));
}

TEST(MessageCatalogue, EveryTextIsCleanUtf8) {
  const auto ids = allMessageIds();
  ASSERT_FALSE(ids.empty());
  EXPECT_TRUE(std::is_sorted(ids.begin(), ids.end()));
  EXPECT_EQ(std::adjacent_find(ids.begin(), ids.end()), ids.end());
  for (Msg id : ids) {
    SCOPED_TRACE(static_cast<int>(id));
    const std::string_view text = messageText(id);
    EXPECT_EQ(text.empty(), id == Msg::WingSummaryLead);
    EXPECT_TRUE(isValidUtf8(text));
    // Escapes must have become real characters; no text holds a backslash, tab or CR.
    EXPECT_EQ(text.find_first_of("\\\t\r"), std::string_view::npos) << text;
  }
}

TEST(MessageCatalogue, UnknownValuesHaveNoText) {
  EXPECT_TRUE(messageText(static_cast<Msg>(12345)).empty());
  EXPECT_TRUE(messageText(static_cast<Msg>(-7)).empty());
  EXPECT_EQ(formatMessage(static_cast<Msg>(999999), {"x"}), "");
}

}  // namespace
}  // namespace orva
