#include <gtest/gtest.h>

#include <cmath>
#include <string>

#include "config/FoamDatabase.h"
#include "support/MachineRig.h"

namespace orva {
namespace {

class FoamDatabaseTest : public ::testing::Test, protected test::MachineRig {
 protected:
  // Loads `text` and returns the name asked for afterwards.
  std::string load(std::string_view text, std::string name = "none") {
    db_->LoadFoamsFromText(text, name);
    return name;
  }
  const FoamType& record(const std::string& name) { return db_->records.at(name); }
  std::uint64_t heatSends() const { return machine->counters().heatSends; }

  FoamDatabase* db_ = &config.foams;
};

// The three built-in foams as the file holds them, written out by hand
// (Windows-1252: é is the byte 0xE9).
const char kBuiltInFile[] =
    "V3\n"
    "D\xE9pron: 1 2.000000 2.000000 0.800000 1.500000 50 50\n"
    "Poly expans\xE9: 2 1.000000 4.000000 0.800000 1.500000 30 70\n"
    "Poly extrud\xE9: 2 1.000000 3.500000 0.800000 1.500000 45 80\n";

TEST_F(FoamDatabaseTest, OlderVersionsFillTheFieldsTheyDoNotHold) {
  load("V1\nFoam: 2.0 0.9 1.6\n");
  EXPECT_EQ(record("Foam"), (FoamType{"Foam", FixedHeat, 2.0, 2.0, 0.9, 1.6, 75, 75}));
  EXPECT_FALSE(db_->foamModified);
  load("V2\r\nFoam: 2.0 0.9 1.6 60\r\n");
  EXPECT_EQ(record("Foam"), (FoamType{"Foam", FixedHeat, 2.0, 2.0, 0.9, 1.6, 60, 60}));
}

TEST_F(FoamDatabaseTest, OneWorkingRecordIsCarriedFromLineToLine) {
  load(
      "V3\n"
      "A: 2 1.5 3.0 0.7 1.4 40 85\n"
      "no colon 1 2 3\n"
      "B: 1 2.5\r\n"  // only heatMode and minSpeed
      "C:   \r"       // nothing after the colon: a copy of the working record
      "D: 2 1.25 x 0.5\n"
      "E: abc\n"              // no value at all: skipped
      "F: 2 nan 9 9 9 9 9\n"  // unusable values: skipped whole, working record kept
      "G: 99999999999 1\n"    // int out of range: the same
      " Spaced name : 1 1 1 1 1 1 1\n"
      ":empty name 1\n"
      "Last:");  // no line end at the end of the file
  EXPECT_EQ(db_->records.size(), 6u);
  EXPECT_EQ(record("B"), (FoamType{"B", FixedHeat, 2.5, 3.0, 0.7, 1.4, 40, 85}));
  EXPECT_EQ(record("C"), (FoamType{"C", FixedHeat, 2.5, 3.0, 0.7, 1.4, 40, 85}));
  EXPECT_EQ(record("D"), (FoamType{"D", ComputedHeat, 1.25, 3.0, 0.7, 1.4, 40, 85}));
  EXPECT_EQ(db_->records.count(" Spaced name "), 1u);
  // "Last:" copies the record of " Spaced name ", nothing of F or G.
  EXPECT_EQ(record("Last"), (FoamType{"Last", FixedHeat, 1, 1, 1, 1, 1, 1}));
}

TEST_F(FoamDatabaseTest, NamesAreConvertedAndLongLinesNeverBecomeRecords) {
  const std::string name60(60, 'n');  // longer than the dialog allows, kept
  const std::string tail = "Y: 1 2 2 1 1 50 50";
  std::string text = "V3\n";
  text += "D\xE9pron 2: 1 3 3 1 1 20 20\n";
  text += name60 + ": 1 4 4 1 1 30 30\n";
  text += std::string(300, 'x') + tail + "\n";            // name of over 255 bytes
  text += std::string(5000, ' ') + "Z: 1 1 1 1 1 1 1\n";  // line of over 4096 bytes
  text += "Case: 1 1 1 1 1 1 1\ncase: 2 1 1 1 1 1 1\n";   // keys are exact
  load(text);
  EXPECT_EQ(db_->records.size(), 4u);
  EXPECT_EQ(record("Dépron 2").maxSpeed, 3.0);
  EXPECT_EQ(record(name60).maxSpeedHeat, 30);
  EXPECT_EQ(record("case").heatMode, ComputedHeat);
  EXPECT_EQ(record("Case").heatMode, FixedHeat);

  // What is written reads back the same, long name and accent included.
  db_->foamModified = true;
  const auto before = db_->records;
  load(db_->SaveFoamsToText());
  EXPECT_EQ(db_->records, before);
}

TEST_F(FoamDatabaseTest, NoUsableLineGivesTheBuiltInFoamsWrittenByteExact) {
  const std::string fileName = FoamFileName("Default");
  EXPECT_EQ(fileName, "Default_foam.bd");
  for (const char* text : {"", "V3", "V3\nno colon\nA: abc\n"}) {
    SCOPED_TRACE(text);
    db_->cutSpeed = 0.0;
    EXPECT_EQ(load(text, "Dépron"), "Poly expansé");
    EXPECT_TRUE(db_->foamModified);
    EXPECT_EQ(db_->CurrentFoamName(), "Poly expansé");
    EXPECT_EQ(db_->cutSpeed, 4.0);
    EXPECT_EQ(db_->SaveFoamsToText(), kBuiltInFile);
  }

  // No file at all is the same; the save point (only when modified, the
  // previous file as backup) is shown on disk by the program runs in tests/app
  // and the table dumps of the current table form.
}

TEST_F(FoamDatabaseTest, AFoamNameNotInTheFileLeavesCurrentFoamAndSpeed) {
  load(kBuiltInFile, "Poly extrudé");
  EXPECT_EQ(db_->cutSpeed, 3.5);
  EXPECT_EQ(load("V3\nA: 1 6 6 1 1 50 50\n", "Elsewhere"), "Elsewhere");
  EXPECT_EQ(db_->CurrentFoamName(), "Poly extrudé");
  EXPECT_EQ(db_->currentRecord(), nullptr);
  EXPECT_EQ(db_->cutSpeed, 3.5);
  FoamType out;
  EXPECT_FALSE(db_->SelectFoam("a", &out));
  EXPECT_TRUE(db_->SelectFoam("A", &out));
  EXPECT_EQ(out.maxSpeed, 6.0);
  EXPECT_EQ(db_->CurrentFoamName(), "A");
}

TEST_F(FoamDatabaseTest, KerfLawFollowsTheSpeedOfAFixedHeatFoamAndTheRatioOnlyOfAComputedOne) {
  load("V3\nF: 1 4 4 0.8 1.5 50 50\n", "F");
  EXPECT_NEAR(db_->KerfOffset(4.0, 1.0), 0.4, 1e-12);
  EXPECT_NEAR(db_->KerfOffset(2.0, 1.0), 0.75, 1e-12);
  EXPECT_NEAR(db_->KerfOffset(4.0, 0.5), 0.75, 1e-12);
  // (-0.7 / 4 * 2 * 2 + 0.8) / 2
  EXPECT_NEAR(db_->KerfOffset(6.0, 1.0), 0.05, 1e-12);
  EXPECT_EQ(db_->KerfOffset(100.0, 1.0), 0.0);
  EXPECT_EQ(db_->KerfOffset(std::nan(""), 1.0), 0.0);

  // No reference speed, or no current foam: no offset rather than an infinite one.
  load("V3\nZero: 1 0 0 0.8 1.5 50 50\n", "Zero");
  EXPECT_EQ(db_->KerfOffset(2.0, 1.0), 0.0);
  db_->currentFoam = "gone";
  EXPECT_EQ(db_->KerfOffset(2.0, 1.0), 0.0);

  // A computed-heat foam: the ratio alone counts.
  load("V3\nC: 2 1 4 0.8 1.5 30 70\n", "C");
  for (double v : {0.5, 4.0, 40.0}) {
    EXPECT_NEAR(db_->KerfOffset(v, 1.0), 0.4, 1e-12);
    EXPECT_NEAR(db_->KerfOffset(v, 0.5), 0.75, 1e-12);
  }
  EXPECT_EQ(db_->KerfOffset(4.0, 2.0), 0.0);  // -0.7 + 0.4 < 0
}

TEST_F(FoamDatabaseTest, HeatOfAComputedFoamFollowsTheSpeedUpTo99) {
  load(kBuiltInFile, "Poly extrudé");  // A 1, B 3.5, E 45, F 80: 14 % per mm/s
  EXPECT_TRUE(db_->ApplyHeatForSpeed(3.5));
  EXPECT_EQ(machine->heatPercent(), 80);
  EXPECT_TRUE(db_->ApplyHeatForSpeed(1.05));  // 45.7 truncated
  EXPECT_EQ(machine->heatPercent(), 45);

  const auto sends = heatSends();
  EXPECT_FALSE(db_->ApplyHeatForSpeed(5.0));  // 14 * 4 + 45
  EXPECT_EQ(prompt.messages(), std::vector<std::string>{"Invalid power coefficient 101%"});
  EXPECT_EQ(heatSends(), sends);
  int mode = 0;
  int heat = 0;
  db_->GetHeatState(mode, heat);
  EXPECT_EQ(mode, ComputedHeat);
  EXPECT_EQ(heat, 101);

  double v = 5.0;
  std::string label;
  db_->LimitSpeedForHeat(v, label);
  EXPECT_NEAR(v, (99.9 - 45.0) / 14.0 + 1.0, 1e-12);
  EXPECT_EQ(label, "Speed limit due to wire heat");
  v = 3.0;  // 73 %
  label.clear();
  db_->LimitSpeedForHeat(v, label);
  EXPECT_EQ(v, 3.0);
  EXPECT_TRUE(label.empty());

  prompt.clear();
  EXPECT_FALSE(db_->ApplyHeat(100));
  EXPECT_FALSE(db_->ApplyHeat(-1));
  EXPECT_EQ(prompt.messages(), (std::vector<std::string>{"Invalid power coefficient 100%",
                                                         "Invalid power coefficient -1%"}));
  EXPECT_TRUE(db_->ApplyHeat(0));
  EXPECT_EQ(machine->heatPercent(), 0);
}

TEST_F(FoamDatabaseTest, HeatOfAFixedFoamIsItsOwnWhateverTheSpeed) {
  load(kBuiltInFile, "Dépron");
  for (double v : {0.1, 2.0, 50.0}) {
    machine->setHeat(0);
    EXPECT_TRUE(db_->ApplyHeatForSpeed(v));
    EXPECT_EQ(machine->heatPercent(), 50);
  }
  double v = 50.0;
  std::string label;
  db_->LimitSpeedForHeat(v, label);
  EXPECT_EQ(v, 50.0);
  EXPECT_TRUE(label.empty());

  // A computed foam with one speed has one heat: no division by zero.
  load("V3\nOne: 2 3 3 1 1 20 60\n", "One");
  EXPECT_TRUE(db_->ApplyHeatForSpeed(10.0));
  EXPECT_EQ(machine->heatPercent(), 60);
  db_->LimitSpeedForHeat(v, label);
  EXPECT_EQ(v, 50.0);
  EXPECT_TRUE(prompt.messages().empty());

  // A fixed heat the interface cannot take is refused, not reported as sent.
  load("V3\nHot: 1 3 3 1 1 150 150\n", "Hot");
  EXPECT_FALSE(db_->ApplyHeatForSpeed(3.0));
  EXPECT_EQ(prompt.messages(), std::vector<std::string>{"Invalid power coefficient 150%"});

  // No current foam: refused with the invalid-foam message.
  prompt.clear();
  db_->currentFoam = "gone";
  const auto sends = heatSends();
  EXPECT_FALSE(db_->ApplyHeatForSpeed(3.0));
  EXPECT_EQ(heatSends(), sends);
  EXPECT_EQ(prompt.messages(), std::vector<std::string>{"Invalid foam type, select a new foam"});
  int mode = -1;
  int heat = 0;
  db_->GetHeatState(mode, heat);
  EXPECT_EQ(mode, 0);
}

}  // namespace
}  // namespace orva
