#pragma once

#include <array>
#include <cstddef>
#include <filesystem>
#include <functional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "common/Form.h"
#include "config/TableConfig.h"

namespace orva {

class UserPrompt;

// The controls of the Table Configuration dialog, in the order the user sees
// them (the order in which their texts are read when the dialog is confirmed).
// Fields of the record carry its key names; Timer is the timer period in µs.
enum class TableConfigField : int {
  None = -1,
  CurrentTable = 0,  // drop-down list of the tables
  XNtour,
  XPas,
  XPasInvSens,
  VitesseInvSensX,
  XVmax,
  YNtour,
  YPas,
  YPasInvSens,
  VitesseInvSensY,
  YVmax,
  Entraxe,
  AxesX,
  AxesY,
  ZeroX,
  ZeroY,
  TableInv,  // check box "Reverse table layout"
  Port,      // drop-down list LPT1..LPT4
  Timer,     // "Timer value (us)": Tempo × 1000
  Chauffe,
  InterfChauf,  // check box "Hardware interface with heat acquisition"
  XMaxSpeed,    // read-only maximum speed of an axis, mm/s with four decimals
  YMaxSpeed,
  // The machine behind the table (ControllerLink); all but the backend are
  // disabled while the backend is the stepper interface.
  CtlBackend,   // drop-down list: the stepper interface, a G-code controller
  CtlPort,      // serial port: typed, or one of portChoices()
  CtlBaud,
  CtlAxes,      // the controller's letters of XG, YG, XD, YD
  CtlHeatS,     // spindle value of full heat, 0: heat set by hand
  CtlRxBuffer,  // receive buffer, bytes
  CtlStatusMs,  // status interval, ms
  Count
};

// What the dialog needs from the program around it.
struct TableConfigFormHooks {
  // Makes the named table current and loads its files (the table list is
  // marked for saving, the status bar shows the name). Called when the user
  // chooses another table, and on Cancel with the table current at opening.
  std::function<void(const std::string&)> makeTableCurrent;
  // Resets the move planner's positions to the table's zero positions.
  std::function<void()> resetPlanner;
};

// The Table Configuration dialog ("CNC Table Configuration") without its
// widgets: field texts as the user sees them, the live rules, validation and
// the OK / Cancel / Default buttons.
//
// Validation when the user confirms (stops at the first failure, with a
// warning message and the focus on the failing field):
//   1. every edit box is read in dialog order (TableConfigField order): an
//      integer field takes only a non-negative integer ("Please enter a
//      positive integer."), a number field only a finite number ("Please enter
//      a number.");
//   2. the ranges, in this order: Entraxe 50-2000, XNtour 40-500, XPas
//      0.5-100, YPas 0.5-100, YNtour 40-5000, XPasInvSens 0-200, YPasInvSens
//      0-200, VitesseInvSensX 1-150, VitesseInvSensY 1-150;
//   3. XVmax, then YVmax, not below the timer period;
//   4. on a controller table only, the controller fields in dialog order, by
//      the rules of CheckControllerLink: a port, a positive baud rate, four
//      distinct axis letters, a full-heat value of 0 or more, a receive
//      buffer of 16 to 65536 bytes, a positive status interval.
// Steps 1 and 2 are also what the spin buttons do to take the field values.
//
// OK ("ok()") validates, then copies the fields into the record and the port
// setting, marks the record modified, writes the current table's file and
// resets the move planner; an accepted OK whose file write failed leaves the
// record committed in memory (still marked modified) and saved() false. On a
// table set to the stepper interface the controller fields are not read: the
// link keeps its other values and the file has only the classic lines.
class TableConfigForm : public FormOf<TableConfigField> {
 public:
  enum class Axis { X, Y };

  // `port` is the Port setting (0..3 for LPT1..LPT4; another value is shown
  // as LPT1). `tableNames` are the listed tables in list order (empty slots
  // are skipped); `currentTable` is selected, or the first entry when absent.
  TableConfigForm(TableConfig& config, int& port, std::vector<std::string> tableNames,
                  std::string currentTable, std::filesystem::path dataDirectory, UserPrompt& prompt,
                  TableConfigFormHooks hooks);

  static std::string_view title();
  std::span<const FieldInfo> fieldTable() const override;

  // Editing steps per revolution, screw thread or minimum step time updates
  // the maximum speed display at once. Choosing an entry of CurrentTable
  // makes it the current table and reloads every field from its configuration.
  const std::string& currentTable() const { return currentTable_; }
  // A click on the spin button of an axis' minimum step time; delta is the
  // proposed change of position (+1 or -1 per click). The time changes by
  // one timer period, never to 0 or below.
  void spinMinimumStepTime(Axis axis, int delta);
  // Default: the classic fields only (the layout, the port, the table and
  // the controller fields stay as they are).
  void pressDefault();

  // The serial ports offered for CtlPort (the system's ports, given by the
  // caller); the field takes any other name too.
  void setPortChoices(std::vector<std::string> ports) { portChoices_ = std::move(ports); }
  const std::vector<std::string>& portChoices() const { return portChoices_; }

  // The checks of "OK", with their messages. Changes nothing else.
  bool validate();
  // Whether the last accepted OK wrote the table's file.
  bool saved() const { return saved_; }
  // "Cancel": the table current at opening becomes current again and is reloaded.
  void cancel();

 protected:
  std::string fieldText(int field) const override;
  bool takeText(int field, std::string_view text) override;
  bool fieldChecked(int field) const override;
  bool takeChecked(int field, bool value) override;
  std::vector<std::string> fieldOptions(int field) const override;
  int fieldIndex(int field) const override;
  bool takeIndex(int field, int index) override;
  bool fieldEnabled(int field) const override;
  bool accept() override;

 private:
  static constexpr std::size_t kFields = static_cast<std::size_t>(Field::Count);

  struct AxisValues {
    int steps = 0;
    double pitch = 0.0;
    double minTime = 0.0;
  };
  // The field values as read by the validation.
  struct Values {
    TableConfig record;
    double timer = 0.0;
  };

  static std::size_t index(Axis axis) { return axis == Axis::X ? 0 : 1; }
  static std::size_t index(Field field) { return static_cast<std::size_t>(field); }

  void load();
  void show(const Values& values);
  void showMaxSpeed(Axis axis, double speed);
  void showController(const ControllerLink& link);
  bool exchange(Values& values);
  bool exchangeController(ControllerLink& link);
  bool fail(Field field, const std::string& message);

  TableConfig& config_;
  int& portSetting_;
  std::filesystem::path dataDirectory_;
  UserPrompt& prompt_;
  TableConfigFormHooks hooks_;

  std::vector<std::string> tableNames_;
  int selectedTable_ = -1;
  std::string currentTable_;
  std::string openingTable_;

  std::array<std::string, kFields> texts_;
  bool tableInv_ = false;
  bool interfChauf_ = false;
  int port_ = 0;
  bool grbl_ = false;  // CtlBackend: a G-code controller
  std::vector<std::string> portChoices_;
  // Values the maximum speed displays are computed from; the minimum step time
  // is taken from its edit box only when all field values are read.
  std::array<AxisValues, 2> axes_;
  std::array<std::string, 2> maxSpeed_;
  bool saved_ = false;
};

}  // namespace orva
