#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <memory>
#include <string>
#include <tuple>
#include <utility>
#include <vector>

#include "common/ScriptedPrompt.h"
#include "config/TableConfigForm.h"
#include "model/FormReplay.h"
#include "support/FormChecks.h"
#include "support/Golden.h"
#include "support/LowerLayerRigs.h"
#include "support/TestFiles.h"

namespace orva {
namespace {

namespace fs = std::filesystem;
using Field = TableConfigField;
using Axis = TableConfigForm::Axis;

class TableConfigFormTest : public ::testing::Test {
 protected:
  TableConfigForm& open(std::string current = "Default") {
    TableConfigFormHooks hooks;
    hooks.makeTableCurrent = [this](const std::string& name) {
      madeCurrent_.push_back(name);
      if (name == "Big") config_ = big_;
    };
    hooks.resetPlanner = [this] { ++resets_; };
    form_ = std::make_unique<TableConfigForm>(config_, port_,
                                              std::vector<std::string>{"Default", "", "Big"},
                                              std::move(current), dataDir_, prompt_, hooks);
    return *form_;
  }
  const test::TempDir dir_;
  fs::path dataDir_ = dir_.path();  // where the form saves
  TableConfig config_;
  TableConfig big_ = [] {
    TableConfig c;
    c.Entraxe = 700;
    c.XNtour = 200;
    c.XPas = 2.0;
    c.XVmax = 1.0;
    return c;
  }();
  int port_ = 2;
  ScriptedPrompt prompt_;
  std::vector<std::string> madeCurrent_;
  int resets_ = 0;
  std::unique_ptr<TableConfigForm> form_;
};

// A controller table as a hand-edited file left it.
ControllerLink grblLink() { return {"grbl", "/dev/ttyACM0", 250000, "XYUV", 800.0, 255, 250}; }

// Sessions of the dialog, as reviewed in tests/data/config/table-config-sessions.txt:
// - opened on "Big" it shows the record (not Big's), the port and Big chosen;
//   the maximum speed is pitch x 1000 / (steps x step time): 1 x 1000 / (48 x
//   5) = 4.1667, with 96 steps 2.0833, with 0 steps 0.0000, with pitch 2
//   4.1667 (the 96 steps taken stay), with 2.5 ms 8.3333, back to pitch 1
//   2.0833; a typed timer is not taken yet; the controller boxes are disabled
//   on the stepper interface and refuse edits;
// - with the layout, the port, the controller and its port set apart, Default
//   gives back the default table's values (Entraxe 1000, travel 600 x 250, 48
//   steps, timer 500, heating 10) and keeps the layout, the port, the chosen
//   table and the controller;
// - choosing Big shows its own controller link; a backend that is not one
//   shows as the stepper interface.
TEST_F(TableConfigFormTest, SessionsMatchTheReviewedDialog) {
  EXPECT_EQ(TableConfigForm::title(), "CNC Table Configuration");
  TableConfigForm& form = open("Big");
  std::string dump = test::section("opened on Big, live maximum speed",
                                   test::replayEdits(form, {{Field::XNtour, "96"},
                                                            {Field::XNtour, "0"},
                                                            {Field::XPas, "2"},
                                                            {Field::XVmax, "2.5"},
                                                            {Field::XPas, "1"},
                                                            {Field::Timer, "900"},
                                                            {Field::CtlPort, "/dev/ttyUSB0"},
                                                            {Field::CtlBaud, "1"}}));
  dump += test::section("set apart", test::replayEdits(form, {{Field::TableInv, true},
                                                              {Field::InterfChauf, false},
                                                              {Field::Port, 3},
                                                              {Field::Entraxe, "1234"},
                                                              {Field::CtlBackend, 1},
                                                              {Field::CtlPort, "/dev/pts/7"}}));
  form.pressDefault();
  dump += test::section("default", test::dumpForm(form));
  EXPECT_TRUE(madeCurrent_.empty());
  big_.controller = grblLink();
  dump += test::section("Big with a controller link",
                        test::replayEdits(form, {{Field::CurrentTable, 1}}));
  big_.controller.CtlBackend = "fluidnc";
  dump += test::section("Big with an unknown backend",
                        test::replayEdits(form, {{Field::CurrentTable, 1}}));
  test::expectGolden("config/table-config-sessions.txt", dump);

  // The port list is the caller's; any other name is taken too (above).
  form.setPortChoices({"/dev/ttyACM0", "/dev/ttyUSB1"});
  EXPECT_EQ(form.portChoices(), (std::vector<std::string>{"/dev/ttyACM0", "/dev/ttyUSB1"}));
  port_ = 7;
  EXPECT_EQ(open("Elsewhere").currentIndex(Field::CurrentTable), 0);
  EXPECT_EQ(form_->currentIndex(Field::Port), 0);
}

TEST_F(TableConfigFormTest, SpinStepsByOneTimerPeriodAndStopsAtOnePeriod) {
  TableConfigForm& form = open();
  form.setText(Field::YVmax, "0.8");
  std::vector<std::string> shown;
  for (int spin : {+1, +1, -1}) {
    form.spinMinimumStepTime(Axis::Y, spin);
    shown.push_back(form.text(Field::YVmax));
  }
  EXPECT_EQ(shown, (std::vector<std::string>{"0.3", "0.5", "1"}));
  EXPECT_EQ(form.text(Field::YMaxSpeed), "20.8333");  // 1000 / 48

  form.setText(Field::Timer, "300");
  form.setText(Field::XVmax, "0.9");
  for (int i = 0; i < 3; ++i) form.spinMinimumStepTime(Axis::X, +1);  // 0.6, 0.3, then 0
  EXPECT_EQ(form.text(Field::XVmax), "0.3");
  EXPECT_TRUE(prompt_.calls().empty());

  form.setText(Field::Entraxe, "abc");  // the values cannot be taken: nothing moves
  form.spinMinimumStepTime(Axis::X, -1);
  EXPECT_EQ(form.text(Field::XVmax), "0.3");
  EXPECT_EQ(prompt_.messages(), std::vector<std::string>{"Please enter a positive integer."});
}

TEST_F(TableConfigFormTest, ValidationOrderAndMessages) {
  TableConfigForm& form = open();
  EXPECT_TRUE(form.validate());
  form.setText(Field::YNtour, "4000");
  EXPECT_TRUE(form.validate());
  const std::string positive = "Please enter a positive integer.";
  const auto warning = MessageIcon::Warning;
  test::expectRefusalsInOrder(
      form, prompt_,
      {{Field::XNtour, "4000", "Please enter an integer between 40 and 500."},
       {Field::Entraxe, "20", "Please enter an integer between 50 and 2000."},  // before the steps
       {Field::AxesX, "12a", positive},  // every text is read before any range
       {Field::AxesX, "99999999999", positive}},
      warning);

  form.pressDefault();
  test::expectRefusalsInOrder(form, prompt_, {{Field::XPasInvSens, "-5", positive}}, warning);
  form.setText(Field::XPasInvSens, "0");
  test::expectRefusalsInOrder(form, prompt_, {{Field::ZeroY, "north", "Please enter a number."}},
                              warning);
  form.setText(Field::ZeroY, " -12.5 ");
  form.setText(Field::YPas, "100.5");
  test::expectRefusalsInOrder(
      form, prompt_,
      {{Field::VitesseInvSensX, "0", "Please enter a number between 0.5 and 100.", Field::YPas},
       {Field::YPas, "100", "Please enter an integer between 1 and 150.", Field::VitesseInvSensX}},
      warning);
  form.setText(Field::VitesseInvSensX, "150");
  form.setText(Field::Timer, "2000");
  form.setText(Field::XVmax, "1.5");
  test::expectRefusalsInOrder(
      form, prompt_,
      {{Field::YVmax, "1.5", "Motor speed on  X axis lower than 2.0 ms", Field::XVmax},
       {Field::XVmax, "2", "Motor speed on  Y axis lower than 2.0 ms", Field::YVmax}},
      warning);
  form.setText(Field::YVmax, "2.0");
  EXPECT_TRUE(form.validate());
}

// A refused OK commits nothing (the dialog session); a failed save still commits.
TEST_F(TableConfigFormTest, OkCommitsSavesAndResetsThePlanner) {
  config_.ArmVMax = 0;  // not in the dialog: kept
  TableConfigForm& form = open();
  form.setText(Field::Entraxe, "800");
  form.setText(Field::Timer, "250");
  form.setText(Field::ZeroX, "12.5");
  form.setChecked(Field::TableInv, true);
  form.setCurrentIndex(Field::Port, 1);
  EXPECT_TRUE(form.ok());
  EXPECT_TRUE(form.saved());
  EXPECT_EQ(std::tuple(config_.Entraxe, config_.Tempo, config_.ZeroX, config_.TableInv,
                       config_.ArmVMax, config_.tableModified),
            std::tuple(800, 0.25, 12.5, 1, 0, true));
  EXPECT_EQ(port_, 1);
  EXPECT_EQ(resets_, 1);
  TableConfig written;
  ASSERT_TRUE(ReadTableConfig(written, dir_.path(), "Default_table.bd"));
  EXPECT_EQ(std::pair(written.Entraxe, written.Tempo), std::pair(800, 0.25));

  dataDir_ = dir_ / "missing";
  TableConfigForm& unsaved = open();
  unsaved.setText(Field::AxesY, "444");
  EXPECT_TRUE(unsaved.ok());
  EXPECT_FALSE(unsaved.saved());
  EXPECT_EQ(std::tuple(config_.AxesY, config_.tableModified, resets_), std::tuple(444, true, 2));
}

TEST_F(TableConfigFormTest, StoredTimerPeriodIsTheOneTheStepTimesWereCheckedAgainst) {
  // 9 × 0.001 is one unit above the double nearest 0.009; 9 / 1000 is that double.
  TableConfigForm& form = open();
  form.setText(Field::Timer, "9");
  form.setText(Field::XVmax, "0.009");
  form.setText(Field::YVmax, "0.009");
  ASSERT_TRUE(form.ok());
  EXPECT_TRUE(form.saved());
  EXPECT_EQ(config_.Tempo, 0.009);
  EXPECT_FALSE(config_.XVmax < config_.Tempo);
}

// What the dialog shows of the table chosen is in the reviewed sessions.
TEST_F(TableConfigFormTest, ChoosingATableReloadsAndCancelRestoresTheFirst) {
  TableConfigForm& form = open();
  form.setCurrentIndex(Field::CurrentTable, 1);
  EXPECT_EQ(madeCurrent_, std::vector<std::string>{"Big"});
  EXPECT_EQ(form.currentTable(), "Big");
  form.cancel();
  EXPECT_EQ(madeCurrent_, (std::vector<std::string>{"Big", "Default"}));

  TableConfigForm& again = open();
  again.setCurrentIndex(Field::CurrentTable, 1);
  ASSERT_TRUE(again.ok());
  EXPECT_TRUE(again.saved());
  TableConfig written;
  EXPECT_TRUE(ReadTableConfig(written, dir_.path(), "Big_table.bd"));
  EXPECT_EQ(written.Entraxe, 700);
  EXPECT_FALSE(fs::exists(dir_ / "Default_table.bd"));
}

TEST_F(TableConfigFormTest, ControllerValidationAfterTheClassicFieldsInDialogOrder) {
  config_.controller = grblLink();
  TableConfigForm& form = open();
  EXPECT_TRUE(form.validate());
  const auto warning = MessageIcon::Warning;
  const std::string baud = "The controller's baud rate must be positive: ";
  const std::string rx = "The controller's receive buffer must hold 16 to 65536 bytes: ";
  const std::string heat =
      "The spindle value of full heat must be 0 (heat set by hand) or positive: ";
  const std::string status = "The status interval must be a positive number of ms: ";
  const std::string axes =
      "The axis letters must be four different letters of X Y Z A B C U V W, one for XG, YG, XD "
      "and YD in this order: ";
  // Each refusal names what the field needs; an earlier field goes first,
  // the classic fields before all of them.
  test::expectRefusalsInOrder(
      form, prompt_,
      {{Field::CtlStatusMs, "0", status + "0"},
       {Field::CtlRxBuffer, "8", rx + "8"},
       {Field::CtlHeatS, "-1", heat + "-1"},
       {Field::CtlAxes, "XYZX", axes + "XYZX"},
       {Field::CtlBaud, "fast", baud + "fast"},
       {Field::CtlPort, "  ", "The controller's serial port is not set: choose the port it is on"},
       {Field::YVmax, "0.1", "Motor speed on  Y axis lower than 0.5 ms"},
       {Field::AxesX, "x", "Please enter a positive integer."}},
      warning);

  // Each rule on its own, from a sound controller table.
  test::expectEachRefused<Field>([this]() -> TableConfigForm& { return open(); }, prompt_,
                                 {{Field::CtlBaud, "0", baud + "0"},
                                  {Field::CtlBaud, "99999999999", baud + "99999999999"},
                                  {Field::CtlBaud, "-9600", baud + "-9600"},
                                  {Field::CtlAxes, "XYZ", axes + "XYZ"},
                                  {Field::CtlAxes, "XYZQ", axes + "XYZQ"},
                                  {Field::CtlHeatS, "hot", heat + "hot"},
                                  {Field::CtlHeatS, "inf", heat + "inf"},
                                  {Field::CtlRxBuffer, "70000", rx + "70000"},
                                  {Field::CtlRxBuffer, "1.5", rx + "1.5"},
                                  {Field::CtlStatusMs, "", status}});
  // The bounds are taken.
  TableConfigForm& edge = open();
  for (const auto& [field, text] :
       std::vector<std::pair<Field, const char*>>{{Field::CtlRxBuffer, "16"},
                                                  {Field::CtlHeatS, "0"},
                                                  {Field::CtlStatusMs, "1"},
                                                  {Field::CtlAxes, " yxva "}}) {
    edge.setText(field, text);
  }
  EXPECT_TRUE(edge.validate()) << prompt_.messages().back();
  edge.setText(Field::CtlRxBuffer, "65536");
  EXPECT_TRUE(edge.validate());

  // On the interface nothing of the controller is read: a broken link does not stop OK.
  config_.controller.CtlRxBuffer = 8;
  TableConfigForm& onInterface = open();
  test::expectRefused(onInterface, prompt_, Field::CtlRxBuffer, rx + "8", warning);
  ASSERT_TRUE(onInterface.setCurrentIndex(Field::CtlBackend, 0));
  EXPECT_TRUE(onInterface.ok());
  EXPECT_EQ(std::tuple(config_.controller.CtlBackend, config_.controller.CtlRxBuffer),
            std::tuple("interface", 8));  // the buffer kept as it was
  const std::string file = test::readFile(dir_ / "Default_table.bd");
  EXPECT_EQ(file.find("Ctl"), std::string::npos) << file;
  EXPECT_EQ(std::count(file.begin(), file.end(), '\n'), 22);
}

TEST_F(TableConfigFormTest, ControllerFieldsAreCommittedAndRoundTripThroughTheFile) {
  TableConfigForm& form = open();
  ASSERT_TRUE(form.setCurrentIndex(Field::CtlBackend, 1));
  for (const auto& [field, text] :
       std::vector<std::pair<Field, const char*>>{{Field::CtlPort, " /dev/ttyUSB1 "},
                                                  {Field::CtlBaud, "250000"},
                                                  {Field::CtlAxes, "xyuv"},
                                                  {Field::CtlHeatS, "0"},
                                                  {Field::CtlRxBuffer, "1024"},
                                                  {Field::CtlStatusMs, "100"},
                                                  {Field::Entraxe, "900"}}) {
    ASSERT_TRUE(form.setText(field, text));
  }
  ASSERT_TRUE(form.ok());
  ASSERT_TRUE(form.saved());
  const ControllerLink expected{"grbl", "/dev/ttyUSB1", 250000, "XYUV", 0.0, 1024, 100};
  EXPECT_EQ(config_.controller, expected);
  EXPECT_EQ(config_.Entraxe, 900);
  EXPECT_EQ(resets_, 1);

  // The classic lines first, as they always were, then the controller's.
  const std::string file = test::readFile(dir_ / "Default_table.bd");
  EXPECT_EQ(file.substr(0, file.find("Ctl")), [&] {
    TableConfig classic = config_;
    classic.controller = ControllerLink{};
    return FormatTableConfig(classic);
  }());
  TableConfig written;
  ASSERT_TRUE(ReadTableConfig(written, dir_.path(), "Default_table.bd"));
  EXPECT_EQ(written.controller, expected);
  EXPECT_TRUE(CheckControllerLink(written.controller).empty());
  // A stored link shown again: the reviewed sessions; one given up for the
  // interface loses its lines: the validation test above.
}

}  // namespace
}  // namespace orva
