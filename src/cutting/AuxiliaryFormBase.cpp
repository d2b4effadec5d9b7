#include "common/NumberText.h"
#include "cutting/AuxiliaryFormBase.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstddef>
#include <limits>
#include <optional>
#include <string>
#include <utility>

#include "common/Messages.h"
#include "common/UserPrompt.h"
#include "config/MachineConfig.h"
#include "model/CT1Doc.h"
#include "model/PanelParamsForm.h"

namespace orva {

namespace {


}  // namespace

double AuxiliaryFormBase::blockWidthOf(const Section& s) {
  return s.params.chord + s.params.teMargin + s.params.leMargin;
}

double AuxiliaryFormBase::defaultClearance(const CT1Doc& doc) {
  const double c = doc.cutChoices.clearance;
  return c != 0.0 ? c : static_cast<double>(truncToInt(doc.current().foamThickness + 20.0));
}

AuxiliaryFormBase::AuxiliaryFormBase(MachineConfig& machine, UserPrompt& prompt, std::size_t fields,
                                     int speedField, int foamField)
    : machine_(machine),
      prompt_(prompt),
      texts_(fields),
      checks_(fields, false),
      speedField_(speedField),
      foamField_(foamField) {
  for (const auto& [name, record] : machine_.foams.records) foamNames_.push_back(name);
  if (machine_.foams.currentRecord() != nullptr) selectedFoam_ = machine_.foams.currentFoam;
  put(speedField_, numberText(machine_.foams.cutSpeed));
}

bool AuxiliaryFormBase::chooseFoam(std::string_view name) {
  if (!editable(foamField_)) return false;
  FoamType record;
  if (!machine_.foams.SelectFoam(name, &record)) return false;
  selectedFoam_ = machine_.foams.currentFoam;
  put(speedField_, numberText(record.maxSpeed));
  notifyChanged();
  return true;
}

void AuxiliaryFormBase::put(int field, std::string text) {
  texts_.at(static_cast<std::size_t>(field)) = std::move(text);
}

std::string AuxiliaryFormBase::fieldText(int field) const {
  return texts_.at(static_cast<std::size_t>(field));
}

bool AuxiliaryFormBase::takeText(int field, std::string_view text) {
  put(field, std::string(text));
  edited(field);
  return true;
}

bool AuxiliaryFormBase::fieldChecked(int field) const {
  return checks_.at(static_cast<std::size_t>(field));
}

bool AuxiliaryFormBase::takeChecked(int field, bool value) {
  checks_.at(static_cast<std::size_t>(field)) = value;
  edited(field);
  return true;
}

int AuxiliaryFormBase::fieldIndex(int) const {
  const auto it = std::find(foamNames_.begin(), foamNames_.end(), selectedFoam_);
  return it == foamNames_.end() ? -1 : static_cast<int>(it - foamNames_.begin());
}

bool AuxiliaryFormBase::takeIndex(int, int index) {
  return chooseFoam(foamNames_[static_cast<std::size_t>(index)]);
}

std::optional<int> AuxiliaryFormBase::readInt(int field, std::optional<int> min,
                                              std::optional<int> max) {
  const std::optional<int> v = parseInt(texts_.at(static_cast<std::size_t>(field)));
  if (!v) {
    fail(field, std::string(messageText(Msg::PleaseEnterAnInteger)));
    return std::nullopt;
  }
  if ((min && *v < *min) || (max && *v > *max)) {
    fail(field, formatMessage(Msg::PleaseEnterAnIntegerBetween,
                              {intText(min.value_or(std::numeric_limits<int>::min())),
                               intText(max.value_or(std::numeric_limits<int>::max()))}));
    return std::nullopt;
  }
  return v;
}

std::optional<double> AuxiliaryFormBase::readNumber(int field, std::optional<double> min,
                                                    std::optional<double> max) {
  const std::optional<double> v =
      parseNumber(texts_.at(static_cast<std::size_t>(field)));
  if (!v) {
    fail(field, formatMessage(Msg::PleaseEnterANumber));
    return std::nullopt;
  }
  if ((min && *v < *min) || (max && *v > *max)) {
    fail(field, formatMessage(Msg::PleaseEnterANumberBetween,
                              {numberText(min.value_or(-std::numeric_limits<double>::max())),
                               numberText(max.value_or(std::numeric_limits<double>::max()))}));
    return std::nullopt;
  }
  return v;
}

std::optional<double> AuxiliaryFormBase::readSpeed() {
  const std::optional<double> v = readNumber(speedField_);
  if (!v) return std::nullopt;
  // A speed of 0 would make every cut move run as fast as the motors allow.
  if (!(*v > 0.0)) {
    fail(speedField_, fillInserts(messageText(Msg::InvalidCutSpeed), {numberText(*v)}));
    return std::nullopt;
  }
  return v;
}

bool AuxiliaryFormBase::fail(int field, const std::string& message) {
  prompt_.showMessage(message, MessageIcon::Warning);
  return refuse(field, message);
}

void AuxiliaryFormBase::storeFoamAndSpeed(double speed) {
  if (!selectedFoam_.empty()) machine_.foams.SelectFoam(selectedFoam_);
  machine_.foams.cutSpeed = speed;
}

}  // namespace orva
