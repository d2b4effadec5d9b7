#include <gtest/gtest.h>

#include <algorithm>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "common/Messages.h"
#include "config/FoamDatabase.h"
#include "config/FoamManagementForm.h"
#include "config/MaterialNameForm.h"
#include "driver/InterfaceDriver.h"
#include "support/FormChecks.h"
#include "support/Golden.h"
#include "support/LowerLayerRigs.h"
#include "support/MachineRig.h"
#include "support/TestFiles.h"
#include "support/UpperLayerRigs.h"

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

// Sessions of the dialog, as reviewed in tests/data/config/foam-sessions.txt;
// each starts as the first, on the built-in foams. Showing a foam is not
// choosing it; the first refused field speaks, keeps the focus and nothing
// is stored; Create copies the values held for the shown material, not typed
// ones; Delete leaves the current foam name (its kerf then none).
TEST_F(FoamFormsTest, SessionsMatchTheReviewedDialog) {
  std::unique_ptr<FoamManagementForm> form;
  std::vector<std::string> shown;
  std::vector<std::string> opened;  // the state every session starts from
  std::string dump;
  // The action, what it returned, the lines of the state that changed, then
  // the messages shown and the names preset in the name dialog meanwhile.
  const auto step = [&](const std::string& action, std::optional<bool> result = std::nullopt) {
    std::string text = test::dumpForm(*form) + "  label " + controls(*form) + ", focus " +
                       std::string(form->fieldName(FoamManagementForm::id(form->focus()))) +
                       (form->closed() ? ", closed" : "") + "\n  current " +
                       db_->CurrentFoamName() + " at " + test::mm(db_->cutSpeed) +
                       (db_->foamModified ? ", modified" : "") + ", kerf " +
                       test::mm(db_->KerfOffset(4.0, 1.0)) + "\n  materials";
    for (const auto& [name, f] : db_->records) {
      text += " | " + name + ": " + std::to_string(f.heatMode) + " " + test::mm(f.minSpeed) + " " +
              test::mm(f.maxSpeed) + " " + test::mm(f.kerfAtMaxSpeed) + " " +
              test::mm(f.kerfAtHalfSpeed) + " " + std::to_string(f.minSpeedHeat) + " " +
              std::to_string(f.maxSpeedHeat);
    }
    dump += "> " + action + (result ? *result ? ": true\n" : ": false\n" : "\n");
    const std::vector<std::string> now = test::lines(text);
    for (const std::string& line : now) {
      if (std::find(shown.begin(), shown.end(), line) == shown.end()) dump += line + "\n";
    }
    shown = now;
    for (const std::string& message : prompt.messages()) dump += "  message " + message + "\n";
    for (const std::string& preset : presets_) dump += "  name preset " + preset + "\n";
    prompt.clear();
    presets_.clear();
  };
  const auto fresh = [&](const std::string& title) {
    std::string name = "Poly expansé";
    db_->LoadFoamsFromText("V3", name);
    db_->foamModified = false;
    form = openForm();
    dump += "#### " + title + "\n";
    shown = opened;
    step("opened");
    if (opened.empty()) opened = shown;
  };

  fresh("opening");
  db_->currentFoam = "gone";
  form = openForm({"Other"});
  step("opened on a foam not listed, table not listed");
  form->selectFoam(2);
  step("Poly extrudé selected");

  fresh("check box, apply, cancel");
  form->selectFoam(0);
  step("Dépron selected");
  form->clickComputedHeat(true);
  step("computed heat clicked");
  form->setText(Field::MaxSpeed, " 3.25 ");
  form->setText(Field::MinSpeed, "1");
  form->setText(Field::MinSpeedHeat, "20");
  step("apply 3.25, 1, 20", form->applyChanges());
  form->setText(Field::MaxSpeedHeat, "101");
  form->setText(Field::MinSpeed, "fast");
  step("apply heat 101, min speed fast", form->applyChanges());
  form->setText(Field::MaxSpeedHeat, "100");
  form->setText(Field::KerfAtMaxSpeed, "inf");
  step("apply and exit heat 100, kerf inf", form->applyAndExit());
  form->setChecked(Field::ComputedHeat, false);
  form->cancelChanges();
  step("box cleared, cancel");
  form->setText(Field::MinSpeedHeat, "x");
  form->clickComputedHeat(false);
  step("min heat x, computed heat clicked off");

  fresh("apply and exit");
  form->selectFoam(2);
  form->selectFoam(0);
  db_->currentFoam = "Poly extrudé";
  form->setText(Field::MaxSpeed, "2.5");
  step("Dépron shown, Poly extrudé current, speed 2.5, apply and exit",
       form->applyAndExit());

  fresh("create");
  form->selectFoam(2);
  form->setText(Field::MaxSpeed, "9");
  typedNames_ = {"POLY EXTRUDÉ", "Blue foam"};
  form->createMaterial();
  step("Poly extrudé selected, speed 9, create as POLY EXTRUDÉ then Blue foam");
  form->createMaterial();
  step("create, name dialog closed");

  fresh("rename");
  form->selectFoam(0);
  form->setText(Field::MaxSpeed, "7");
  form->renameMaterial();
  step("Dépron selected, speed 7, rename dismissed");
  typedNames_ = {"dépron"};
  form->renameMaterial();
  step("rename as dépron");

  fresh("delete");
  form->deleteMaterial();
  step("delete");
  form->deleteMaterial();
  step("delete the last entry");
  form->deleteMaterial();
  step("delete the only one");
  form->deleteMaterial();
  form->renameMaterial();
  step("delete, rename, apply on the empty list", form->applyChanges());
  typedNames_ = {"Fresh"};
  form->createMaterial();
  step("create Fresh");
  test::expectGolden("config/foam-sessions.txt", dump);
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
