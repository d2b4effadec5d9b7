#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "common/Messages.h"
#include "config/FoamDatabase.h"
#include "config/FoamManagementForm.h"
#include "config/MaterialNameForm.h"
#include "driver/InterfaceDriver.h"
#include "support/FormChecks.h"
#include "support/LowerLayerRigs.h"
#include "support/MachineRig.h"

namespace orva {
namespace {

using Field = FoamManagementForm::Field;
using Strings = std::vector<std::string>;

std::string repeat(std::string_view text, int times) {
  std::string out;
  for (int i = 0; i < times; ++i) out += text;
  return out;
}

class FoamFormsTest : public ::testing::Test, protected test::MachineRig {
 protected:
  FoamFormsTest() {
    std::string name = "Poly expansé";
    db_->LoadFoamsFromText("V3", name);  // the built-in foams
    db_->foamModified = false;
  }

  std::unique_ptr<FoamManagementForm> openForm(Strings tables = {"Default", "Big table"}) {
    return std::make_unique<FoamManagementForm>(
        *db_, driver, prompt, std::move(tables), "Default",
        [this](MaterialNameForm& form) { runNameDialog(form); },
        [this](const std::string& table) { switched_.push_back(table); });
  }

  // Plays the name dialog: types each queued name and presses OK until one is
  // accepted; an empty queue closes the window.
  void runNameDialog(MaterialNameForm& form) {
    presets_.push_back(form.name());
    while (!typedNames_.empty()) {
      form.setText(MaterialNameField::Name, typedNames_.front());
      typedNames_.erase(typedNames_.begin());
      if (form.ok()) return;
    }
  }

  const FoamType& record(const std::string& name) { return db_->records.at(name); }
  // The speed label and which of the maximum-speed frame and the minimum-speed
  // group are shown.
  static std::string controls(const FoamManagementForm& form) {
    return form.speedLabel() + (form.maxSpeedFrameVisible() ? ", max" : "") +
           (form.minSpeedGroupVisible() ? ", min" : "");
  }

  FoamDatabase* db_ = &config.foams;
  Strings typedNames_;
  Strings presets_;
  Strings switched_;
};

TEST(MaterialNameTest, LetterCaseIsIgnoredForTheWindows1252Letters) {
  EXPECT_TRUE(sameMaterialNameIgnoringCase("poly EXPANSÉ", "Poly expansé"));
  EXPECT_TRUE(sameMaterialNameIgnoringCase("ŒUVRE ŠŽŸ", "œuvre šžÿ"));
  EXPECT_FALSE(sameMaterialNameIgnoringCase("Poly expanse", "Poly expansé"));
  EXPECT_FALSE(sameMaterialNameIgnoringCase("Poly", "Poly "));
  EXPECT_FALSE(sameMaterialNameIgnoringCase("\xC3", "\xE3"));  // broken bytes stay apart
  EXPECT_TRUE(materialNameLess("dépron", "Depron2"));
  EXPECT_TRUE(materialNameLess("abc", "Zed"));
}

TEST_F(FoamFormsTest, NameDialogRefusesNamesItCannotStoreAndStaysOpen) {
  MaterialNameForm form(*db_, prompt);
  EXPECT_EQ(form.name(), "Poly expansé");
  using N = MaterialNameField;
  const std::string tooLong(messageText(Msg::MaterialNameTooLong));
  const std::string invalid(messageText(Msg::MaterialNameInvalidCharacters));
  test::expectRefusalsInOrder(
      form, prompt,
      {{N::Name, "poly EXPANSÉ", "This name is used already. Thanks to create a new one"},
       {N::Name, "", "A material name is mandatory, please enter a name"},
       {N::Name, std::string(52, 'a'), tooLong},
       {N::Name, repeat("é", 52), tooLong},
       {N::Name, "a:b", invalid},
       {N::Name, "two\nlines", invalid},
       {N::Name, "日本", invalid}});
  EXPECT_FALSE(form.accepted());
  EXPECT_EQ(db_->records.size(), 3u);

  // 51 bytes in the file is the most accepted; each é is one byte there.
  const std::string longest = repeat("é", 51);
  form.setText(MaterialNameField::Name, longest);
  EXPECT_TRUE(form.ok());
  EXPECT_TRUE(form.accepted());
  FoamType fresh;
  fresh.name = longest;
  EXPECT_EQ(record(longest), fresh);
  EXPECT_EQ(db_->CurrentFoamName(), longest);
  EXPECT_TRUE(db_->foamModified);
}

TEST_F(FoamFormsTest, OpeningShowsTheCurrentFoamOrTheFirst) {
  auto form = openForm();
  EXPECT_EQ(test::choices(*form, Field::FoamTypes), "Dépron [Poly expansé] Poly extrudé");
  EXPECT_EQ(form->fields(), (FoamManagementForm::Fields{"4", "0.8", "1.5", "70", "1", "30", true}));
  EXPECT_EQ(controls(*form), "Max speed (mm/s), max, min");
  EXPECT_EQ(form->currentIndex(Field::CurrentTable), 0);

  db_->currentFoam = "gone";
  form = openForm({"Other"});
  EXPECT_EQ(form->currentIndex(Field::FoamTypes), 0);
  // A fixed-heat foam: the minimum fields hold its one speed and heat, hidden.
  EXPECT_EQ(form->fields(),
            (FoamManagementForm::Fields{"2", "0.8", "1.5", "50", "2", "50", false}));
  EXPECT_EQ(controls(*form), "Speed (mm/s)");
  EXPECT_EQ(form->currentIndex(Field::CurrentTable), -1);
  EXPECT_EQ(db_->CurrentFoamName(), "gone");  // showing is not choosing

  form->selectFoam(2);
  EXPECT_EQ(db_->CurrentFoamName(), "Poly extrudé");
  EXPECT_EQ(db_->cutSpeed, 3.5);
  EXPECT_EQ(form->fields().maxSpeedHeat, "80");
}

TEST_F(FoamFormsTest, CheckBoxSwitchesTheControlsAndApplyStoresTheFields) {
  auto form = openForm();
  form->selectFoam(0);  // Dépron, fixed heat
  form->clickComputedHeat(true);
  EXPECT_TRUE(db_->foamModified);
  EXPECT_EQ(controls(*form), "Max speed (mm/s), max, min");
  form->setText(Field::MaxSpeed, " 3.25 ");
  form->setText(Field::MinSpeed, "1");
  form->setText(Field::MinSpeedHeat, "20");
  ASSERT_TRUE(form->applyChanges());
  EXPECT_EQ(record("Dépron"), (FoamType{"Dépron", ComputedHeat, 1.0, 3.25, 0.8, 1.5, 20, 50}));

  // Refused fields: the first failing one speaks and keeps the focus; nothing is stored.
  form->setText(Field::MaxSpeedHeat, "101");
  form->setText(Field::MinSpeed, "fast");
  EXPECT_FALSE(form->applyChanges());
  EXPECT_EQ(form->focus(), Field::MaxSpeedHeat);
  form->setText(Field::MaxSpeedHeat, "100");
  form->setText(Field::KerfAtMaxSpeed, "inf");
  EXPECT_FALSE(form->applyAndExit());
  EXPECT_FALSE(form->closed());
  EXPECT_EQ(form->focus(), Field::KerfAtMaxSpeed);
  EXPECT_EQ(prompt.messages(),
            (Strings{"Please enter an integer between 0 and 100.", "Please enter a number."}));
  EXPECT_EQ(record("Dépron").maxSpeed, 3.25);

  // Cancel brings back what was last taken, check box and controls included.
  form->setChecked(Field::ComputedHeat, false);
  form->cancelChanges();
  EXPECT_EQ(form->fields(),
            (FoamManagementForm::Fields{"3.25", "0.8", "1.5", "50", "1", "20", true}));
  EXPECT_TRUE(form->minSpeedGroupVisible());

  // Unchecking with a refused field still hides the minimum-speed controls.
  form->setText(Field::MinSpeedHeat, "x");
  form->clickComputedHeat(false);
  EXPECT_EQ(controls(*form), "Speed (mm/s)");
  EXPECT_EQ(form->focus(), Field::MinSpeedHeat);
}

TEST_F(FoamFormsTest, ApplyAndExitMakesTheSelectionCurrentAtTheFieldSpeed) {
  auto form = openForm();
  form->selectFoam(2);
  form->selectFoam(0);  // Dépron shown; Dépron is current
  db_->currentFoam = "Poly extrudé";
  form->setText(Field::MaxSpeed, "2.5");
  ASSERT_TRUE(form->applyAndExit());
  EXPECT_TRUE(form->closed());
  EXPECT_EQ(db_->CurrentFoamName(), "Dépron");
  EXPECT_EQ(db_->cutSpeed, 2.5);
  EXPECT_EQ(record("Dépron").maxSpeed, 2.5);
}

TEST_F(FoamFormsTest, CreateCopiesTheShownMaterialUnderTheAcceptedName) {
  auto form = openForm();
  form->selectFoam(2);                  // Poly extrudé becomes current, preset of the name dialog
  form->setText(Field::MaxSpeed, "9");  // typed but not applied: not part of the copy
  typedNames_ = {"POLY EXTRUDÉ", "Blue foam"};
  form->createMaterial();
  EXPECT_EQ(presets_, Strings{"Poly extrudé"});
  EXPECT_EQ(prompt.messages(), Strings{"This name is used already. Thanks to create a new one"});
  EXPECT_EQ(test::choices(*form, Field::FoamTypes), "[Blue foam] Dépron Poly expansé Poly extrudé");
  EXPECT_EQ(db_->CurrentFoamName(), "Blue foam");
  EXPECT_EQ(record("Blue foam"), (FoamType{"Blue foam", ComputedHeat, 1.0, 3.5, 0.8, 1.5, 45, 80}));
  EXPECT_EQ(form->fields().maxSpeed, "3.5");

  // Closing the name dialog changes no material.
  const auto before = db_->records;
  form->createMaterial();
  EXPECT_EQ(db_->records, before);
  EXPECT_EQ(form->options(Field::FoamTypes).size(), 4u);
}

TEST_F(FoamFormsTest, RenameMovesTheMaterialOrPutsItBack) {
  auto form = openForm();
  form->selectFoam(0);  // Dépron
  const FoamType depron = record("Dépron");
  form->setText(Field::MaxSpeed, "7");  // not applied
  form->renameMaterial();               // dismissed
  EXPECT_EQ(record("Dépron"), depron);
  EXPECT_EQ(test::choices(*form, Field::FoamTypes), "[Dépron] Poly expansé Poly extrudé");
  EXPECT_EQ(form->fields().maxSpeed, "7");

  typedNames_ = {"dépron"};  // its own name in other letter case is free now
  form->renameMaterial();
  EXPECT_EQ(presets_, (Strings{"Dépron", "Dépron"}));
  EXPECT_EQ(db_->records.count("Dépron"), 0u);
  FoamType renamed = depron;
  renamed.name = "dépron";
  EXPECT_EQ(record("dépron"), renamed);
  EXPECT_EQ(test::choices(*form, Field::FoamTypes), "[dépron] Poly expansé Poly extrudé");
  EXPECT_EQ(db_->CurrentFoamName(), "dépron");
}

TEST_F(FoamFormsTest, DeleteSelectsTheNextEntryOrTheOneBefore) {
  auto form = openForm();  // Poly expansé selected and current
  form->deleteMaterial();
  EXPECT_TRUE(db_->foamModified);
  EXPECT_EQ(test::choices(*form, Field::FoamTypes), "Dépron [Poly extrudé]");
  EXPECT_EQ(form->fields().maxSpeed, "3.5");
  EXPECT_EQ(db_->CurrentFoamName(), "Poly expansé");
  EXPECT_EQ(db_->KerfOffset(4.0, 1.0), 0.0);  // no current foam any more

  form->deleteMaterial();  // the last entry: the one before is selected
  EXPECT_EQ(test::choices(*form, Field::FoamTypes), "[Dépron]");
  EXPECT_EQ(form->fields().maxSpeed, "2");

  form->deleteMaterial();
  EXPECT_TRUE(db_->records.empty());
  EXPECT_EQ(form->currentIndex(Field::FoamTypes), -1);
  EXPECT_EQ(form->fields(), FoamManagementForm::Fields{});
  EXPECT_FALSE(form->minSpeedGroupVisible());
  form->deleteMaterial();
  form->renameMaterial();
  EXPECT_TRUE(form->applyChanges());
  EXPECT_TRUE(db_->records.empty());
  EXPECT_TRUE(prompt.messages().empty());

  // From the empty list a new material starts with the values of a new one.
  typedNames_ = {"Fresh"};
  form->createMaterial();
  EXPECT_EQ(record("Fresh"), (FoamType{"Fresh", FixedHeat, 1.0, 1.0, 1.0, 1.0, 1, 1}));
  EXPECT_EQ(form->fields().maxSpeed, "1");
}

TEST_F(FoamFormsTest, HeatAcquisitionShowsTheShareOfHeatOnSamples) {
  auto form = openForm();
  ASSERT_TRUE(db_->ApplyHeat(37));
  form->heatAcquisition();
  ASSERT_EQ(prompt.calls().size(), 1u);
  EXPECT_EQ(prompt.calls()[0].kind, ScriptedPrompt::Kind::OkCancel);
  EXPECT_EQ(prompt.calls()[0].text, "Power sampling 37 %");

  // An interface whose heat sampler counted nothing at all.
  InterfaceDriver silent(std::make_unique<test::FakeDevice>(), prompt);
  ASSERT_TRUE(silent.OpenDriver());
  FoamManagementForm silentForm(*db_, silent, prompt, {}, "Default");
  silentForm.heatAcquisition();
  EXPECT_EQ(prompt.calls().back().text, "Power sampling 0 %");
}

TEST_F(FoamFormsTest, ChoosingATableAppliesTheFieldsThenSwitchesAndReopens) {
  auto form = std::make_unique<FoamManagementForm>(
      *db_, driver, prompt, Strings{"Default", "Big table"}, "Default", nullptr,
      [this](const std::string& table) {
        switched_.push_back(table);
        // The applied values are in the database when the table is left.
        EXPECT_EQ(record("Poly expansé").maxSpeedHeat, 66);
        std::string name = "Poly expansé";
        db_->LoadFoamsFromText("V3\nA: 1 5 5 1 1 10 10\nB: 1 6 6 1 1 10 10\n", name);
      });
  form->setText(Field::MaxSpeedHeat, "abc");
  EXPECT_FALSE(form->chooseTable(1));
  EXPECT_TRUE(switched_.empty());
  EXPECT_EQ(form->currentIndex(Field::CurrentTable), 0);

  form->setText(Field::MaxSpeedHeat, "66");
  ASSERT_TRUE(form->chooseTable(1));
  EXPECT_EQ(switched_, Strings{"Big table"});
  EXPECT_EQ(form->currentTable(), "Big table");
  EXPECT_EQ(form->currentIndex(Field::CurrentTable), 1);
  EXPECT_EQ(test::choices(*form, Field::FoamTypes), "[A] B");
  EXPECT_EQ(form->fields().maxSpeed, "5");
}

}  // namespace
}  // namespace orva
