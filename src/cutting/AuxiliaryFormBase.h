#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "common/Form.h"

namespace orva {

class CT1Doc;
class MachineConfig;
class Section;
class UserPrompt;

// What the three forms share: the field texts and check boxes, the focus
// after a refusal, the foam list (the one list of each form) with its cut
// speed, and the field checks.
class AuxiliaryFormBase : public Form {
 public:
  // The foam selected in the list (options() of the foam field holds every
  // foam of the database): the current foam at opening, empty when it names
  // no foam.
  const std::string& selectedFoam() const { return selectedFoam_; }
  // Choosing a foam makes it the current foam at once and shows its maximum
  // speed as the cut speed. False (nothing changes) for a name not in the list
  // or while the list cannot be used.
  bool chooseFoam(std::string_view name);

 protected:
  AuxiliaryFormBase(MachineConfig& machine, UserPrompt& prompt, std::size_t fields, int speedField,
                    int foamField);

  std::string fieldText(int field) const override;
  bool takeText(int field, std::string_view text) override;
  bool fieldChecked(int field) const override;
  bool takeChecked(int field, bool value) override;
  std::vector<std::string> fieldOptions(int) const override { return foamNames_; }
  int fieldIndex(int field) const override;
  bool takeIndex(int field, int index) override;
  // The live rules after an edit the form took.
  virtual void edited(int field) { (void)field; }

  // The width of the block at one face: chord plus both margins.
  static double blockWidthOf(const Section& s);
  // The height shown by default for the clearance: the project's, or the
  // integer part of H + 20 when it is 0.
  static double defaultClearance(const CT1Doc& doc);

  void put(int field, std::string text);
  // An integer box: "Please enter an integer." when it holds none, "Please
  // enter an integer between %1 and %2." outside [min, max] when given.
  std::optional<int> readInt(int field, std::optional<int> min = {}, std::optional<int> max = {});
  // A number box: "Please enter a number." / "... between %1 and %2.".
  std::optional<double> readNumber(int field, std::optional<double> min = {},
                                   std::optional<double> max = {});
  // The cut speed box: a number, and greater than 0.
  std::optional<double> readSpeed();
  bool fail(int field, const std::string& message);
  // Makes the selected foam current and stores the cut speed.
  void storeFoamAndSpeed(double speed);

  MachineConfig& machine_;
  UserPrompt& prompt_;
  std::vector<std::string> texts_;
  std::vector<bool> checks_;

 private:
  int speedField_;
  int foamField_;
  std::vector<std::string> foamNames_;
  std::string selectedFoam_;
};

}  // namespace orva
