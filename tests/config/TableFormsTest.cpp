#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <map>
#include <memory>
#include <set>
#include <string>
#include <vector>

#include "common/Messages.h"
#include "config/CurrentTableForm.h"
#include "config/TableNameForm.h"
#include "support/FormChecks.h"
#include "support/Golden.h"
#include "support/LowerLayerRigs.h"
#include "support/MachineRig.h"
#include "support/TestFiles.h"
#include "support/TextChecks.h"
#include "support/UpperLayerRigs.h"

namespace orva {
namespace {

namespace fs = std::filesystem;
using Names = std::vector<std::string>;
using Files = std::set<std::string>;

const std::string kOwnFoams = "V3\nOwn foam: 1 2.000000 2.000000 0.700000 1.400000 50 50\n";

class TableFormsTest : public ::testing::Test, protected test::MachineRig {
 protected:
  TableFormsTest() { config.dataDirectory = data_; }

  static std::string read(const fs::path& path) { return test::readFile(path); }
  static Files files(const fs::path& dir) { return test::fileNames(dir); }
  void put(const std::string& name, const std::string& content) {
    test::writeFile(data_ / name, content);
  }
  std::map<std::string, std::string> snapshot() {
    std::map<std::string, std::string> contents;
    for (const std::string& name : files(data_)) contents[name] = read(data_ / name);
    return contents;
  }
  // A table with its own files: Entraxe as given, the foam "Own foam".
  void makeTable(const std::string& name, int entraxe) {
    put(name + "_table.bd", "Entraxe " + std::to_string(entraxe) + "\n");
    put(name + "_foam.bd", kOwnFoams);
  }
  // The configuration and the data directory: the current table, its Entraxe
  // and foams, the name slots up to the last one used, what the form shows and
  // the statuses it set, then every file with its lines.
  std::string state(const CurrentTableForm& form) {
    std::string text = "current " + config.currentTable + " Entraxe " +
                       std::to_string(config.table.Entraxe) + " foams";
    for (const auto& [name, foam] : config.foams.records) text += " [" + name + "]";
    const auto& slots = config.tables.tableNames;
    const auto end = std::find_if(slots.rbegin(), slots.rend(), [](auto& n) { return !n.empty(); });
    text += "\nslots";
    for (auto it = slots.begin(); it != end.base(); ++it) text += " [" + *it + "]";
    text += "\nshown " + test::choices(form, CurrentTableField::Tables) + "\nstatus";
    for (const std::string& status : statuses_) text += " " + status;
    for (const auto& [name, content] : snapshot()) {
      text += "\n" + name + ": ";
      for (const char c : content) text += c == '\n' ? std::string("\\n") : std::string(1, c);
    }
    return text + "\n";
  }
  // "Default" (Entraxe 900) and "Second" (800), listed, "Default" current.
  void twoTables() {
    makeTable("Default", 900);
    makeTable("Second", 800);
    start({"Default", "Second"}, "Default");
  }
  // Lists `names` (read from a list file) and loads `current`.
  void start(const Names& names, const std::string& current) {
    std::string text;
    for (const std::string& n : names) text += n + "\n";
    put("TableNames.bd", text);
    config.tables.ReadTableNames(data_);
    config.currentTable = current;
    config.savedFoamName = "Own foam";
    ASSERT_TRUE(config.LoadCurrentTable());
  }
  std::unique_ptr<CurrentTableForm> openForm(CurrentTableForm::NameDialogRunner runner = {}) {
    auto form = std::make_unique<CurrentTableForm>(
        config, prompt, std::move(runner),
        [this](std::string_view name) { statuses_.emplace_back(name); });
    form->open();
    return form;
  }
  static CurrentTableForm::NameDialogRunner answer(std::string name) {
    return [name](TableNameForm& form) {
      form.setText(TableNameField::Name, name);
      if (!form.ok()) form.cancel();
    };
  }

  const test::TempDir root_;
  const fs::path data_ = [this] {
    fs::create_directory(root_ / "data");
    return root_ / "data";
  }();
  Names statuses_;
};

TEST_F(TableFormsTest, NameFormRefusesListedEmptyTooLongAndUnsafeNamesAndStaysOpen) {
  twoTables();
  TableNameForm form(config, prompt);
  EXPECT_EQ(form.title(), "Table name");
  EXPECT_EQ(form.name(), "Default");

  using N = TableNameField;
  const std::string unsafe(messageText(Msg::UnsafeTableName));
  test::expectRefusalsInOrder(
      form, prompt,
      {{N::Name, "Second", "This name is used already. Thanks to create a new one"},
       {N::Name, "", "A material name is mandatory, please enter a name"},
       {N::Name, std::string(26, 'z'), "Please enter no more than 25 characters."},
       {N::Name, "../x", unsafe},
       {N::Name, "a/b", unsafe},
       {N::Name, "x\ty", unsafe}},
      MessageIcon::Warning);
  EXPECT_EQ(form.result(), TableNameForm::Result::Open);
  EXPECT_EQ(config.currentTable, "Default");
  EXPECT_FALSE(config.tables.namesModified || config.table.tableModified);

  // The same name in other letter case is another table.
  form.setText(TableNameField::Name, "second");
  EXPECT_TRUE(form.ok());
  EXPECT_EQ(form.result(), TableNameForm::Result::Ok);
  EXPECT_EQ(config.currentTable, "second");
  EXPECT_TRUE(config.tables.namesModified && config.table.tableModified);

  TableNameForm cancelled(config, prompt);
  cancelled.setText(TableNameField::Name, "Other");
  cancelled.cancel();
  EXPECT_EQ(cancelled.result(), TableNameForm::Result::Cancelled);
  EXPECT_EQ(config.currentTable, "second");
}

TEST_F(TableFormsTest, UnsafeCurrentTableNeverReachesTheFiles) {
  for (const char* name : {"../x", "a/b", "x\ty"}) {
    config.currentTable = name;
    config.table.Entraxe = 777;
    config.table.tableModified = true;
    config.foams.foamModified = true;
    EXPECT_FALSE(config.LoadCurrentTable()) << name;
    EXPECT_FALSE(config.saveCurrentTable()) << name;
    EXPECT_EQ(config.table.Entraxe, 777);
    EXPECT_FALSE(config.tableFilePath(name).has_value());
    EXPECT_FALSE(config.switchTable(name)) << name;
  }
  EXPECT_EQ(files(root_.path()), Files{"data"});
  EXPECT_EQ(files(data_), Files{});

  // An unsafe (hence unlisted) current table cannot be deleted; renamed, it
  // gets files under its new name only.
  makeTable("A", 100);
  makeTable("B", 200);
  put("TableNames.bd", "A\nB\n");
  config.tables.ReadTableNames(data_);
  config.currentTable = "../x";
  const auto form = openForm(answer("Fine"));
  form->deleteTable();
  EXPECT_EQ(config.currentTable, "../x");
  form->editTableName();
  EXPECT_EQ(config.currentTable, "Fine");
  EXPECT_EQ(files(root_.path()), Files{"data"});
  EXPECT_EQ(files(data_), (Files{"A_table.bd", "A_foam.bd", "B_table.bd", "B_foam.bd",
                                 "TableNames.bd", "Fine_table.bd", "Fine_foam.bd"}));
  EXPECT_TRUE(test::contains(read(data_ / "Fine_table.bd"), "Entraxe 777\n"));
}

TEST_F(TableFormsTest, LoadingATableReadsItsFilesAndCreatesOnlyWhatIsMissingAndDue) {
  makeTable("Second", 800);
  start({"Default", "Second"}, "Second");
  EXPECT_EQ(config.table.Entraxe, 800);
  EXPECT_EQ(config.foams.records.size(), 1u);
  EXPECT_EQ(config.foams.currentFoam, "Own foam");
  EXPECT_EQ(read(data_ / "Second_table.bd"), "Entraxe 800\n");  // read, not rewritten
  EXPECT_EQ(read(data_ / "Second_foam.bd"), kOwnFoams);

  // A table without files keeps the record in memory (not marked modified,
  // so no table file) and gets the built-in foams, which are written.
  config.currentTable = "New";
  ASSERT_TRUE(config.LoadCurrentTable());
  EXPECT_EQ(config.table.Entraxe, 800);
  EXPECT_EQ(config.foams.records.size(), 3u);
  EXPECT_EQ(config.foams.records.count("D\xC3\xA9pron"), 1u);
  EXPECT_EQ(config.savedFoamName, "Own foam");  // the setting is not changed by loading
  EXPECT_EQ(files(data_),
            (Files{"TableNames.bd", "Second_table.bd", "Second_foam.bd", "New_foam.bd"}));
}

// The selections, as reviewed in tests/data/config/tables/select.txt: another
// table first writes the pending changes of the table left; back on the table
// current at opening, validating reloads nothing but writes the list copy
// (the selections marked the list modified); without a change it neither
// reloads (Entraxe 1234 in memory, not marked) nor writes; validating another
// table loads it and gives it a table file if it has none.
TEST_F(TableFormsTest, SelectionsMatchTheReviewedDirectory) {
  twoTables();
  const auto form = openForm();
  EXPECT_EQ(form->title(), "Current table");
  config.foams.records["Mine"] = FoamType{"Mine", FixedHeat, 3.0, 3.0, 0.5, 1.0, 40, 40};
  config.foams.foamModified = true;
  config.table.Entraxe = 1200;
  config.table.tableModified = true;
  form->setCurrentIndex(CurrentTableField::Tables, 1);
  EXPECT_TRUE(config.tables.namesModified);
  std::string dump = test::section("Second selected", state(*form));
  form->setCurrentIndex(CurrentTableField::Tables, 0);
  dump += test::section("Default selected again", state(*form));
  form->validateSelection();
  EXPECT_TRUE(form->isClosed() && form->filesOk());
  dump += test::section("validated", state(*form));

  fs::remove_all(data_);
  fs::create_directory(data_);
  twoTables();
  statuses_.clear();
  config.table.Entraxe = 1234;
  const auto same = openForm();
  same->validateSelection();
  EXPECT_TRUE(same->isClosed());
  dump += test::section("validated without a change", state(*same));
  put("Third_foam.bd", kOwnFoams);
  config.tables.tableNames[2] = "Third";
  const auto third = openForm();
  third->setCurrentIndex(CurrentTableField::Tables, 2);
  dump += test::section("Third selected", state(*third));
  third->validateSelection();
  dump += test::section("Third validated", state(*third));
  test::expectGolden("config/tables/select.txt", dump);
}

// The duplicates, as reviewed in tests/data/config/tables/duplicate.txt:
// dismissed, nothing changes; accepted as "Copy", the configuration of Default
// (Entraxe 900) is copied with the built-in foams, listed third and current,
// Default's files untouched; with twenty tables listed the copy "Extra" is
// current and written but not listed, T1 stays shown selected, the unlisted
// table cannot be deleted, and validating takes the selected T1.
TEST_F(TableFormsTest, DuplicatesMatchTheReviewedDirectory) {
  twoTables();
  const auto form = openForm([](TableNameForm& f) { f.cancel(); });
  form->duplicate();
  std::string dump = test::section("dismissed", state(*form));
  const auto copying = openForm(answer("Copy"));
  copying->duplicate();
  dump += test::section("as Copy", state(*copying));

  fs::remove_all(data_);
  fs::create_directory(data_);
  Names names;
  for (int i = 1; i <= 20; ++i) names.push_back("T" + std::to_string(i));
  makeTable("T1", 900);
  start(names, "T1");
  statuses_.clear();
  const auto twenty = openForm(answer("Extra"));
  twenty->duplicate();
  dump += test::section("twenty listed", state(*twenty));
  twenty->deleteTable();
  dump += test::section("the unlisted copy deleted", state(*twenty));
  twenty->validateSelection();
  dump += test::section("validated", state(*twenty));
  test::expectGolden("config/tables/duplicate.txt", dump);
}

// The renames, as reviewed in tests/data/config/tables/rename.txt: both files
// move after their backups are deleted; onto an unlisted table's file "Other",
// that file is kept (and read), Default's table file stays with its backup and
// its foam file (none there) moves.
TEST_F(TableFormsTest, RenamesMatchTheReviewedDirectory) {
  twoTables();
  put("Default_table.bd.bak", "Entraxe 100\n");
  put("Default_foam.bd.bak", "V3\n");
  const auto form = openForm(answer("Big"));
  form->editTableName();
  std::string dump = test::section("to Big", state(*form));

  fs::remove_all(data_);
  fs::create_directory(data_);
  makeTable("Default", 900);
  put("Default_table.bd.bak", "Entraxe 100\n");
  put("Default_foam.bd.bak", "V3\n");
  put("Other_table.bd", "Entraxe 555\n");  // an unlisted table's file
  start({"Default", "Second"}, "Default");
  statuses_.clear();
  const auto other = openForm(answer("Other"));
  other->editTableName();
  dump += test::section("onto another table's file", state(*other));
  test::expectGolden("config/tables/rename.txt", dump);
}

// The deletes, as reviewed in tests/data/config/tables/delete.txt: of the last
// listed (C) the one before becomes current and C's backup stays; of the first
// the name moved up into its slot; the last table stays; across an empty slot
// the next table is found.
TEST_F(TableFormsTest, DeletesMatchTheReviewedDirectory) {
  makeTable("A", 100);
  makeTable("B", 200);
  makeTable("C", 300);
  put("C_table.bd.bak", "Entraxe 1\n");
  start({"A", "B", "C"}, "C");
  const auto form = openForm();
  form->deleteTable();
  std::string dump = test::section("the last listed", state(*form));
  form->setCurrentIndex(CurrentTableField::Tables, 0);
  form->deleteTable();
  dump += test::section("the first", state(*form));
  form->deleteTable();
  dump += test::section("the only one", state(*form));
  EXPECT_TRUE(config.tables.namesModified);

  makeTable("A", 100);
  start({"A", "", "B"}, "A");
  const auto gap = openForm();
  gap->deleteTable();
  dump += test::section("across an empty slot", state(*gap));
  test::expectGolden("config/tables/delete.txt", dump);
}

// A table file that cannot be deleted is reported; the table still leaves the list.
TEST_F(TableFormsTest, DeleteReportsAFileItCannotDelete) {
  makeTable("A", 100);
  makeTable("B", 200);
  start({"A", "B"}, "B");
  const auto form = openForm();
  fs::remove(data_ / "B_foam.bd");
  fs::create_directory(data_ / "B_foam.bd");
  put("B_foam.bd/keep", "x");
  ASSERT_TRUE(prompt.messages().empty());
  form->deleteTable();
  EXPECT_EQ(config.currentTable, "A");
  EXPECT_EQ(config.tables.listedNames(), Names{"A"});
  EXPECT_FALSE(fs::exists(data_ / "B_table.bd"));
  ASSERT_EQ(prompt.messages().size(), 1u);
  const std::string lead = "Could not delete " + (data_ / "B_foam.bd").string() + ": ";
  EXPECT_EQ(prompt.messages()[0].rfind(lead, 0), 0u) << prompt.messages()[0];
  EXPECT_GT(prompt.messages()[0].size(), lead.size());  // the system's reason follows
}

}  // namespace
}  // namespace orva
