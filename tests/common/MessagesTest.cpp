#include <gtest/gtest.h>

#include <algorithm>
#include <set>
#include <string>

#include "common/CodePage.h"
#include "common/Messages.h"

namespace orva {
namespace {

TEST(FillInserts, ReplacesEachMarkerOnceAndLeavesEverythingElseAsItStands) {
  EXPECT_EQ(fillInserts("%2 then %1, and %2 again", {"a", "bb"}), "bb then a, and bb again");
  EXPECT_EQ(fillInserts("%1%1", {"x"}), "xx");
  EXPECT_EQ(fillInserts("%9.", {"1", "2", "3", "4", "5", "6", "7", "8", "nine"}), "nine.");
  EXPECT_EQ(fillInserts("", {"a"}), "");
  EXPECT_EQ(fillInserts("%1", {""}), "");
  // Markers brought in by an insert are never expanded.
  EXPECT_EQ(fillInserts("%1|%2", {"%2", "x"}), "%2|x");
  EXPECT_EQ(fillInserts("%1", {"%1%1"}), "%1%1");
  EXPECT_EQ(fillInserts("<%1>", {"%"}), "<%>");
  // Markers without insert stay.
  EXPECT_EQ(fillInserts("%1 %2 %3", {"a"}), "a %2 %3");
  EXPECT_EQ(fillInserts("%1 and %2", {}), "%1 and %2");
  // Other percent sequences; "%%1" is printf's escaped percent, then "1".
  EXPECT_EQ(fillInserts("%% %d %.2f %0 %s %VMax", {"x"}), "%% %d %.2f %0 %s %VMax");
  EXPECT_EQ(fillInserts("%%1 %%%1", {"x"}), "%%1 %%x");
  EXPECT_EQ(fillInserts("100%", {"x"}), "100%");
  EXPECT_EQ(fillInserts("%", {"x"}), "%");
  // One digit per marker.
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

TEST(MessageCatalogue, EveryTextIsCleanUtf8AndUnknownValuesHaveNone) {
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
  // Unknown values have none.
  EXPECT_TRUE(messageText(static_cast<Msg>(12345)).empty());
  EXPECT_TRUE(messageText(static_cast<Msg>(-7)).empty());
  EXPECT_EQ(formatMessage(static_cast<Msg>(999999), {"x"}), "");
}

}  // namespace
}  // namespace orva
