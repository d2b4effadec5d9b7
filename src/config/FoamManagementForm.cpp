#include "config/FoamManagementForm.h"

#include <algorithm>
#include <cmath>
#include <utility>

#include "common/Messages.h"
#include "common/NumberText.h"
#include "common/UserPrompt.h"
#include "config/MaterialNameForm.h"
#include "driver/InterfaceDriver.h"

namespace orva {

namespace {

constexpr int kMinHeat = 0;
constexpr int kMaxHeat = 100;

}  // namespace

FoamManagementForm::FoamManagementForm(FoamDatabase& foams, InterfaceDriver& driver,
                                       UserPrompt& prompt, std::vector<std::string> tableNames,
                                       std::string currentTable, NameDialogRunner runNameDialog,
                                       TableSwitcher switchTable)
    : foams_(foams),
      driver_(driver),
      prompt_(prompt),
      runNameDialog_(std::move(runNameDialog)),
      switchTable_(std::move(switchTable)),
      tableNames_(std::move(tableNames)),
      currentTable_(std::move(currentTable)) {
  open();
}

void FoamManagementForm::open() {
  listFoams();
  selectName(foams_.currentFoam);
  if (selectedFoam_ < 0 && !foamNames_.empty()) selectedFoam_ = 0;
  if (const std::string* name = selectedName()) {
    show(foams_.records.at(*name));
  } else {
    showNothing();
  }
  const auto table = std::find(tableNames_.begin(), tableNames_.end(), currentTable_);
  selectedTable_ = table == tableNames_.end() ? -1 : static_cast<int>(table - tableNames_.begin());
}

std::span<const FieldInfo> FoamManagementForm::fieldTable() const {
  static const FieldInfo kTable[] = {
      {id(Field::MaxSpeed), "maxSpeed", FieldKind::Text, messageText(Msg::SpeedMmPerS)},
      {id(Field::KerfAtMaxSpeed), "kerfAtMaxSpeed", FieldKind::Text,
       messageText(Msg::KerfForSpeedSMm)},
      {id(Field::KerfAtHalfSpeed), "kerfAtHalfSpeed", FieldKind::Text,
       messageText(Msg::KerfForHalfSpeedMm)},
      {id(Field::MaxSpeedHeat), "maxSpeedHeat", FieldKind::Text, messageText(Msg::Heat0To100)},
      {id(Field::MinSpeed), "minSpeed", FieldKind::Text, messageText(Msg::SpeedMinMmPerS)},
      {id(Field::MinSpeedHeat), "minSpeedHeat", FieldKind::Text, messageText(Msg::HeatMin0To100)},
      {id(Field::ComputedHeat), "computedHeat", FieldKind::Check,
       messageText(Msg::ComputerControlledHeat)},
      {id(Field::FoamTypes), "foamTypes", FieldKind::List, messageText(Msg::FoamTypes)},
      {id(Field::CurrentTable), "currentTable", FieldKind::List,
       messageText(Msg::CurrentTableColon)},
      {id(Field::ApplyChanges), "applyChanges", FieldKind::Button, messageText(Msg::ApplyChanges)},
      {id(Field::CancelChanges), "cancelChanges", FieldKind::Button,
       messageText(Msg::CancelChanges)},
      {id(Field::CreateMaterial), "createMaterial", FieldKind::Button,
       messageText(Msg::CreateNewMaterial)},
      {id(Field::RenameMaterial), "renameMaterial", FieldKind::Button,
       messageText(Msg::RenameThisMaterial)},
      {id(Field::DeleteMaterial), "deleteMaterial", FieldKind::Button,
       messageText(Msg::DeleteThisMaterial)},
      {id(Field::HeatAcquisition), "heatAcquisition", FieldKind::Button,
       messageText(Msg::HeatAcquisition)},
  };
  return kTable;
}

std::string* FoamManagementForm::fieldString(int field) {
  switch (static_cast<Field>(field)) {
    case Field::MaxSpeed:
      return &fields_.maxSpeed;
    case Field::KerfAtMaxSpeed:
      return &fields_.kerfAtMaxSpeed;
    case Field::KerfAtHalfSpeed:
      return &fields_.kerfAtHalfSpeed;
    case Field::MaxSpeedHeat:
      return &fields_.maxSpeedHeat;
    case Field::MinSpeed:
      return &fields_.minSpeed;
    case Field::MinSpeedHeat:
      return &fields_.minSpeedHeat;
    default:
      return nullptr;
  }
}

std::string FoamManagementForm::fieldText(int field) const {
  const std::string* text = const_cast<FoamManagementForm*>(this)->fieldString(field);
  return text ? *text : std::string();
}

bool FoamManagementForm::takeText(int field, std::string_view text) {
  std::string* target = fieldString(field);
  if (!target) return false;
  *target = std::string(text);
  return true;
}

std::vector<std::string> FoamManagementForm::fieldOptions(int field) const {
  return field == id(Field::FoamTypes) ? foamNames_ : tableNames_;
}

int FoamManagementForm::fieldIndex(int field) const {
  return field == id(Field::FoamTypes) ? selectedFoam_ : selectedTable_;
}

bool FoamManagementForm::takeIndex(int field, int index) {
  if (field == id(Field::CurrentTable)) {
    if (index == selectedTable_) return true;
    if (!applyChanges()) return false;
    const std::string table = tableNames_[static_cast<std::size_t>(index)];
    if (switchTable_) switchTable_(table);
    currentTable_ = table;
    open();
    return true;
  }
  selectedFoam_ = index;
  FoamType foam;
  if (!foams_.SelectFoam(foamNames_[static_cast<std::size_t>(index)], &foam)) return true;
  show(foam);
  foams_.cutSpeed = foam.maxSpeed;
  return true;
}

std::string FoamManagementForm::speedLabel() const {
  return std::string(messageText(fields_.computedHeat ? Msg::MaxSpeedMmPerS : Msg::SpeedMmPerS));
}

void FoamManagementForm::listFoams() {
  foamNames_.clear();
  for (const auto& entry : foams_.records) foamNames_.push_back(entry.first);
  std::sort(foamNames_.begin(), foamNames_.end(), materialNameLess);
}

void FoamManagementForm::selectName(const std::string& name) {
  const auto found = std::find(foamNames_.begin(), foamNames_.end(), name);
  selectedFoam_ = found == foamNames_.end() ? -1 : static_cast<int>(found - foamNames_.begin());
}

const std::string* FoamManagementForm::selectedName() const {
  if (selectedFoam_ < 0 || selectedFoam_ >= static_cast<int>(foamNames_.size())) return nullptr;
  return &foamNames_[static_cast<std::size_t>(selectedFoam_)];
}

void FoamManagementForm::show(const FoamType& foam) {
  values_.maxSpeed = foam.maxSpeed;
  values_.kerfAtMaxSpeed = foam.kerfAtMaxSpeed;
  values_.kerfAtHalfSpeed = foam.kerfAtHalfSpeed;
  values_.maxSpeedHeat = foam.maxSpeedHeat;
  values_.computedHeat = foam.heatMode != FixedHeat;
  // A fixed-heat foam has one operating point: the hidden minimum fields hold it.
  values_.minSpeed = values_.computedHeat ? foam.minSpeed : foam.maxSpeed;
  values_.minSpeedHeat = values_.computedHeat ? foam.minSpeedHeat : foam.maxSpeedHeat;
  focus_ = -1;
  putValues();
}

void FoamManagementForm::showNothing() {
  values_ = Values{};
  fields_ = Fields{};
  focus_ = -1;
}

void FoamManagementForm::putValues() {
  fields_.maxSpeed = shortestText(values_.maxSpeed);
  fields_.kerfAtMaxSpeed = shortestText(values_.kerfAtMaxSpeed);
  fields_.kerfAtHalfSpeed = shortestText(values_.kerfAtHalfSpeed);
  fields_.maxSpeedHeat = std::to_string(values_.maxSpeedHeat);
  fields_.minSpeed = shortestText(values_.minSpeed);
  fields_.minSpeedHeat = std::to_string(values_.minSpeedHeat);
  fields_.computedHeat = values_.computedHeat;
}

bool FoamManagementForm::takeFields() {
  Values taken;
  const auto number = [this](Field field, const std::string& text, double& out) {
    const std::optional<double> value = parseNumber(text);
    if (!value) {
      prompt_.showMessage(messageText(Msg::PleaseEnterANumber), MessageIcon::Warning);
      return refuse(id(field), std::string(messageText(Msg::PleaseEnterANumber)));
    }
    out = *value;
    return true;
  };
  const auto heat = [this](Field field, const std::string& text, int& out) {
    const std::optional<int> value = parseInt(text);
    if (!value || *value < kMinHeat || *value > kMaxHeat) {
      const std::string message = formatMessage(
          Msg::PleaseEnterAnIntegerBetween, {std::to_string(kMinHeat), std::to_string(kMaxHeat)});
      prompt_.showMessage(message, MessageIcon::Warning);
      return refuse(id(field), message);
    }
    out = *value;
    return true;
  };
  if (!number(Field::MaxSpeed, fields_.maxSpeed, taken.maxSpeed) ||
      !number(Field::KerfAtMaxSpeed, fields_.kerfAtMaxSpeed, taken.kerfAtMaxSpeed) ||
      !number(Field::KerfAtHalfSpeed, fields_.kerfAtHalfSpeed, taken.kerfAtHalfSpeed) ||
      !heat(Field::MaxSpeedHeat, fields_.maxSpeedHeat, taken.maxSpeedHeat) ||
      !number(Field::MinSpeed, fields_.minSpeed, taken.minSpeed) ||
      !heat(Field::MinSpeedHeat, fields_.minSpeedHeat, taken.minSpeedHeat)) {
    return false;
  }
  taken.computedHeat = fields_.computedHeat;
  values_ = taken;
  focus_ = -1;
  return true;
}

FoamType FoamManagementForm::buildRecord(const std::string& name) const {
  FoamType foam;
  foam.name = name;
  foam.maxSpeed = values_.maxSpeed;
  foam.kerfAtMaxSpeed = values_.kerfAtMaxSpeed;
  foam.kerfAtHalfSpeed = values_.kerfAtHalfSpeed;
  foam.maxSpeedHeat = values_.maxSpeedHeat;
  foam.minSpeed = values_.minSpeed;
  foam.minSpeedHeat = values_.minSpeedHeat;
  foam.heatMode = values_.computedHeat ? ComputedHeat : FixedHeat;
  return foam;
}

bool FoamManagementForm::takeChecked(int, bool checked) {
  fields_.computedHeat = checked;
  foams_.foamModified = true;
  // The label and the minimum-speed group follow the check box; a refused
  // field only keeps the values last taken.
  if (selectedName()) takeFields();
  return true;
}

bool FoamManagementForm::applyChanges() {
  const std::string* name = selectedName();
  if (!name) return true;  // no material to apply the fields to
  foams_.foamModified = true;
  const bool taken = takeFields();
  if (taken) foams_.records[*name] = buildRecord(*name);
  notifyChanged();
  return taken;
}

void FoamManagementForm::cancelChanges() {
  if (!selectedName()) return;
  focus_ = -1;
  putValues();
  notifyChanged();
}

bool FoamManagementForm::accept() {
  if (!applyChanges()) return false;
  if (const std::string* name = selectedName()) {
    foams_.SelectFoam(*name);
    foams_.cutSpeed = values_.maxSpeed;
  }
  closed_ = true;
  return true;
}

void FoamManagementForm::createMaterial() {
  foams_.foamModified = true;
  MaterialNameForm nameForm(foams_, prompt_);
  if (runNameDialog_) runNameDialog_(nameForm);
  if (!nameForm.accepted()) return notifyChanged();
  const std::string name = nameForm.acceptedName();
  // The new material starts as a copy of the values held for the one shown.
  const FoamType foam = buildRecord(name);
  foams_.records[name] = foam;
  listFoams();
  selectName(name);
  show(foam);
  notifyChanged();
}

void FoamManagementForm::renameMaterial() {
  const std::string* selected = selectedName();
  if (!selected) return;
  foams_.foamModified = true;
  const std::string oldName = *selected;
  const auto found = foams_.records.find(oldName);
  const FoamType removed = found->second;
  foams_.records.erase(found);
  listFoams();
  selectedFoam_ = -1;

  MaterialNameForm nameForm(foams_, prompt_);
  if (runNameDialog_) runNameDialog_(nameForm);
  if (!nameForm.accepted()) {
    // Nothing happened: the material is back under its name, the fields as they were.
    foams_.records[oldName] = removed;
    listFoams();
    selectName(oldName);
    notifyChanged();
    return;
  }
  const std::string name = nameForm.acceptedName();
  const FoamType foam = buildRecord(name);
  foams_.records[name] = foam;
  listFoams();
  selectName(name);
  show(foam);
  notifyChanged();
}

void FoamManagementForm::deleteMaterial() {
  const std::string* selected = selectedName();
  if (!selected) return;
  foams_.foamModified = true;
  const int index = selectedFoam_;
  foams_.records.erase(*selected);
  listFoams();
  if (foamNames_.empty()) {
    selectedFoam_ = -1;
    showNothing();
    notifyChanged();
    return;
  }
  selectedFoam_ = std::min(index, static_cast<int>(foamNames_.size()) - 1);
  show(foams_.records.at(foamNames_[static_cast<std::size_t>(selectedFoam_)]));
  notifyChanged();
}

void FoamManagementForm::heatAcquisition() {
  DriverStatus status;
  driver_.ReadStatusWait(status);
  const int on = status.heatOnCount;
  const int total = on + status.heatOffCount;
  // No sample at all: no heat was seen.
  const int percent = total == 0 ? 0 : on * 100 / total;
  prompt_.askOkCancel(fillFields(messageText(Msg::PowerSampling), {percent}), MessageIcon::Warning);
}


}  // namespace orva
