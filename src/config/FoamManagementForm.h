#pragma once

#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "common/Form.h"
#include "config/FoamDatabase.h"

namespace orva {

class InterfaceDriver;
class MaterialNameForm;
class UserPrompt;

// The edit boxes come first, in validation order.
enum class FoamManagementField : int {
  None = -1,
  MaxSpeed = 0,
  KerfAtMaxSpeed,
  KerfAtHalfSpeed,
  MaxSpeedHeat,
  MinSpeed,
  MinSpeedHeat,
  ComputedHeat,  // check box: clickComputedHeat
  FoamTypes,     // list: selectFoam
  CurrentTable,  // list: chooseTable
  ApplyChanges,  // buttons: the methods of the same names
  CancelChanges,
  CreateMaterial,
  RenameMaterial,
  DeleteMaterial,
  HeatAcquisition,
};

// The "Foam management" dialog: the list of materials of the current table,
// the fields of the selected one, and the choice of the current table.
//
// Fields: the texts of the edit boxes and the state of the check box
// "Computer controlled heat", as the user sees them. "Taking the field values"
// validates them in the order of Field (speeds and kerfs: any number, "Please
// enter a number."; heats: "Please enter an integer between 0 and 100."); the
// first failure shows its message, names the field that gets the focus and
// keeps the values last taken, and the button that asked for them does
// nothing more.
//
// The name dialog of "Create new material" and "Rename this material" is run
// through a NameDialogRunner: it gets the MaterialNameForm, shows it modally
// (the user edits the name and presses OK until the form accepts, or closes
// the window) and returns when it is closed; the form's accepted() tells the
// outcome. Without a runner the name dialog counts as dismissed.
//
// With no material left in the list (every one deleted), nothing is selected:
// the fields are empty, the check box is cleared, "Apply changes", "Cancel
// changes", "Rename" and "Delete" do nothing, "Apply and exit" only closes,
// and "Create new material" makes a material with the values of a new one.
// OK is "Apply and exit".
class FoamManagementForm : public FormOf<FoamManagementField> {
 public:
  struct Fields {
    std::string maxSpeed;         // "Speed (mm/s)" / "Max speed (mm/s)"
    std::string kerfAtMaxSpeed;   // "Kerf for speed S (mm)"
    std::string kerfAtHalfSpeed;  // "Kerf for speed S/2 (mm)"
    std::string maxSpeedHeat;     // "Heat (0-100)"
    std::string minSpeed;         // "Speed min (mm/s)"
    std::string minSpeedHeat;     // "Heat Min (0-100)"
    bool computedHeat = false;    // "Computer controlled heat"

    bool operator==(const Fields&) const = default;
  };

  using NameDialogRunner = std::function<void(MaterialNameForm&)>;
  // Makes the named table current and loads its files into the FoamDatabase
  // this form edits. It should first write the foam list of the table being
  // left when it is modified: the form has just applied the shown values to it.
  using TableSwitcher = std::function<void(const std::string& tableName)>;

  // Opens the dialog (see open()). tableNames: the non-empty table names in
  // list order.
  FoamManagementForm(FoamDatabase& foams, InterfaceDriver& driver, UserPrompt& prompt,
                     std::vector<std::string> tableNames, std::string currentTable,
                     NameDialogRunner runNameDialog = {}, TableSwitcher switchTable = {});

  std::span<const FieldInfo> fieldTable() const override;
  // The texts of the edit boxes and the check box, all at once.
  const Fields& fields() const { return fields_; }

  // Fills "Foam types:" with the sorted names and selects the current foam, or
  // the first entry when it is not listed, and shows it (without making it
  // current); selects the current table in "Current table:".
  void open();

  // "Foam types:": the entry becomes the current foam, is shown, and the
  // cutting speed becomes its maxSpeed.
  void selectFoam(int index) { setCurrentIndex(Field::FoamTypes, index); }
  // "Computer controlled heat" clicked to `checked`: takes the field values,
  // shows or hides the minimum-speed controls and switches the speed label.
  void clickComputedHeat(bool checked) { setChecked(Field::ComputedHeat, checked); }
  // "Apply changes": takes the field values and stores them in the selected
  // material. False when a field was refused.
  bool applyChanges();
  // "Cancel changes": the values last taken or shown go back into the fields.
  void cancelChanges();
  // "Apply and exit": as applyChanges, then the selected material becomes the
  // current foam, the cutting speed takes the speed field, and the dialog
  // closes. False (and still open) when a field was refused.
  bool applyAndExit() { return static_cast<bool>(ok()); }
  // "Create new material": after the name dialog accepted a name, a copy of
  // the values held for the material shown before is stored under it,
  // listed, selected and shown.
  void createMaterial();
  // "Rename this material": the selected material moves to the name given;
  // when the name dialog is dismissed it stays under its old name.
  void renameMaterial();
  // "Delete this material": no confirmation; the entry that took its place,
  // or the one before when the last was removed, is selected and shown. The
  // current foam is not changed.
  void deleteMaterial();
  // "Heat acquisition": waits for a status of the interface and shows the
  // share of heat-on samples in an OK/Cancel box (0 % when no sample was
  // counted at all).
  void heatAcquisition();
  // "Current table:": applies the shown values to the selected material,
  // switches to the chosen table and opens again. False when a field was
  // refused (the table stays as it was).
  bool chooseTable(int index) { return setCurrentIndex(Field::CurrentTable, index); }

  // "Foam types:" (sorted) and "Current table:" are the lists FoamTypes and
  // CurrentTable; their selection is -1 for none.
  const std::string& currentTable() const { return currentTable_; }

  // "Speed (mm/s)" or "Max speed (mm/s)".
  std::string speedLabel() const;
  // The frame of the group "Maximum speed" (its fields are always visible).
  bool maxSpeedFrameVisible() const { return fields_.computedHeat; }
  // The whole group "Minimum speed": frame, labels and fields.
  bool minSpeedGroupVisible() const { return fields_.computedHeat; }

  bool closed() const { return closed_; }

 protected:
  std::string fieldText(int field) const override;
  bool takeText(int field, std::string_view text) override;
  bool fieldChecked(int) const override { return fields_.computedHeat; }
  bool takeChecked(int field, bool checked) override;
  std::vector<std::string> fieldOptions(int field) const override;
  int fieldIndex(int field) const override;
  bool takeIndex(int field, int index) override;
  bool accept() override;

 private:
  std::string* fieldString(int field);
  // The values behind the fields, as last taken or shown.
  struct Values {
    double maxSpeed = 1.0;
    double kerfAtMaxSpeed = 1.0;
    double kerfAtHalfSpeed = 1.0;
    int maxSpeedHeat = 1;
    double minSpeed = 1.0;
    int minSpeedHeat = 1;
    bool computedHeat = false;
  };

  void show(const FoamType& foam);
  void showNothing();
  void putValues();  // values_ into the fields
  bool takeFields();
  FoamType buildRecord(const std::string& name) const;
  void listFoams();
  // Selects `name` in the list; -1 when it is not there.
  void selectName(const std::string& name);
  const std::string* selectedName() const;

  FoamDatabase& foams_;
  InterfaceDriver& driver_;
  UserPrompt& prompt_;
  NameDialogRunner runNameDialog_;
  TableSwitcher switchTable_;

  std::vector<std::string> foamNames_;
  int selectedFoam_ = -1;
  std::vector<std::string> tableNames_;
  int selectedTable_ = -1;
  std::string currentTable_;
  Fields fields_;
  Values values_;
  bool closed_ = false;
};

}  // namespace orva
