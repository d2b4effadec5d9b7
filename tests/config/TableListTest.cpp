#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "config/TableList.h"
#include "support/TestFiles.h"

namespace orva {
namespace {

using test::readFile;
using test::writeFile;

class TableListTest : public ::testing::Test {
 protected:
  static std::string emptyLines(int count) {
    return std::string(static_cast<std::size_t>(count), '\n');
  }

  const test::TempDir dir_;
};

// Without a list file "Default" is listed and the other slots kept, the list
// is written at the save point as twenty lines, only when modified, with the
// previous file as backup, and a failed write is reported: the program runs
// in tests/app show each of these in their directories.

TEST_F(TableListTest, ReadsTwentyLinesWithAnyLineEndAndEmptiesTheSlotsAfterTheLastLine) {
  std::string text;
  for (int i = 1; i <= 22; ++i)
    text += "T" + std::to_string(i) + (i % 3 == 0 ? "\r\n" : i % 3 == 1 ? "\n" : "\r");
  writeFile(dir_ / "TableNames.bd", text);
  TableList list;
  list.namesModified = true;
  list.ReadTableNames(dir_.path());
  for (int i = 0; i < TableList::kSlots; ++i) {
    EXPECT_EQ(list.tableNames[static_cast<std::size_t>(i)], "T" + std::to_string(i + 1));
  }
  EXPECT_FALSE(list.namesModified);
  EXPECT_FALSE(list.contains("T21"));

  // Three lines, the second empty, the last without line end: slots 0..2 from
  // the file, every later slot emptied (also those that held names before).
  writeFile(dir_ / "TableNames.bd", "A\r\n\r\nC");
  list.ReadTableNames(dir_.path());
  for (int i = 0; i < TableList::kSlots; ++i) {
    EXPECT_EQ(list.tableNames[static_cast<std::size_t>(i)], i == 0 ? "A" : i == 2 ? "C" : "") << i;
  }
  EXPECT_EQ(list.countNames(), 2);
  EXPECT_EQ(list.listedNames(), (std::vector<std::string>{"A", "C"}));
  EXPECT_EQ(list.firstEmptySlot(), 1);

  // An empty file is an empty list.
  writeFile(dir_ / "TableNames.bd", "");
  list.ReadTableNames(dir_.path());
  EXPECT_EQ(list.countNames(), 0);
  EXPECT_FALSE(list.namesModified);
}

TEST_F(TableListTest, NamesAreWindows1252OnDisk) {
  writeFile(dir_ / "TableNames.bd", "Petite \xE9tag\xE8re\n\x80uro\n");
  TableList list;
  list.ReadTableNames(dir_.path());
  EXPECT_EQ(list.tableNames[0], "Petite \xC3\xA9tag\xC3\xA8re");
  EXPECT_EQ(list.tableNames[1], "\xE2\x82\xACuro");
  EXPECT_FALSE(list.namesModified);

  list.namesModified = true;
  ASSERT_TRUE(list.SaveTableNames(dir_.path(), "CChoixTables.bd"));
  EXPECT_EQ(readFile(dir_ / "CChoixTables.bd"), "Petite \xE9tag\xE8re\n\x80uro\n" + emptyLines(18));
}

TEST_F(TableListTest, UnsafeLinesOfAHandEditedListAreDroppedAndTheListRewrittenClean) {
  const std::string longLine(300, 'w');
  writeFile(dir_ / "TableNames.bd", "../x\nGood\na/b\nx\ty\n" + std::string(26, 'n') + "\n" +
                                        longLine + "\nAfter\n..\n\x81\nC:x\n");
  TableList list;
  list.ReadTableNames(dir_.path());
  EXPECT_EQ(list.listedNames(), (std::vector<std::string>{"Good", "After"}));
  EXPECT_EQ(list.tableNames[1], "Good");  // slots keep their positions
  EXPECT_EQ(list.tableNames[6], "After");
  EXPECT_TRUE(list.namesModified);

  ASSERT_TRUE(list.SaveTableNames(dir_.path(), "TableNames.bd"));
  EXPECT_EQ(readFile(dir_ / "TableNames.bd"), "\nGood\n\n\n\n\nAfter\n" + emptyLines(13));

  // A name put into memory that could not be read back is not written either.
  list.tableNames[0] = "two\nlines";
  EXPECT_EQ(list.formatTableNames(), "\nGood\n\n\n\n\nAfter\n" + emptyLines(13));
}

TEST(TableNameSafety, RefusesNamesThatLeaveTheDirectoryOrChangeOnDisk) {
  using namespace std::string_literals;
  const std::string max25(25, 'a');
  const std::string accented25 = std::string(24, 'a') + "\xC3\xA9";  // 25 characters, 26 bytes
  const std::vector<std::string> safe = {
      "Default", "Poly expans\xC3\xA9", "\xE2\x82\xAC uro", "...", "a..b", " lead", max25,
      accented25};
  for (const std::string& name : safe) EXPECT_TRUE(isSafeTableName(name)) << name;

  const std::vector<std::string> unsafe = {
      "",     ".",    "..",           "../x",      "a/b",
      "a\\b", "x\ty", "x\x7Fy",       "x\0y"s,     "x\xC2\x81y",
      "\xFF", "\xC3", "\xE6\x97\xA5", max25 + "a", accented25 + "a",
      "a:b",  "a?",   "a*",           "<a>",       "a|b",
      "\"q\""};
  for (const std::string& name : unsafe) EXPECT_FALSE(isSafeTableName(name)) << name;
}

}  // namespace
}  // namespace orva
