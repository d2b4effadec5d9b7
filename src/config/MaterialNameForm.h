#pragma once

#include <string>
#include <string_view>
#include <utility>

#include "common/Form.h"

namespace orva {

class FoamDatabase;
enum class Msg : int;
class UserPrompt;


// True when the two names are the same but for letter case. Case is ignored
// for the letters of Windows-1252 (the names' character set in the foam file):
// A-Z, the accented Latin letters À..Þ/à..þ, Š/š, Œ/œ, Ž/ž and Ÿ/ÿ. Everything
// else is compared exactly.
bool sameMaterialNameIgnoringCase(std::string_view a, std::string_view b);

// The order of the "Foam types:" list: alphabetical, letter case and the
// accents of the Windows-1252 letters ignored ("dépron" sorts with "depron",
// before "Poly"); names that differ only in case or accents follow byte order.
bool materialNameLess(std::string_view a, std::string_view b);

enum class MaterialNameField : int { None = -1, Name = 0 };

// The name dialog "Enter a new name for this material...": one text field,
// preset with the current foam's name, and an OK button only (closing the
// window dismisses it without change).
//
// OK refuses, with a message and the dialog staying open:
// - a name equal to an existing one but for letter case: "This name is used
//   already. Thanks to create a new one";
// - an empty name: "A material name is mandatory, please enter a name";
// - a name the foam file could not give back: a colon (it ends the name in
//   the file), a control character (line breaks end the record), or a
//   character Windows-1252 does not have: Msg::MaterialNameInvalidCharacters;
// - a name longer than FoamDatabase::kMaxNameBytes Windows-1252 bytes:
//   Msg::MaterialNameTooLong.
// Otherwise a new material (FoamType's default values) is stored under the
// name, the name becomes the current foam, the foam list is marked modified
// and the dialog closes accepted.
class MaterialNameForm : public FormOf<MaterialNameField> {
 public:
  MaterialNameForm(FoamDatabase& foams, UserPrompt& prompt);

  std::span<const FieldInfo> fieldTable() const override;
  // The text field as the user sees it (UTF-8); the OK button is ok(),
  // accepted when the name was stored and the dialog closes.
  const std::string& name() const { return name_; }

  bool accepted() const { return accepted_; }
  // The name stored by an accepted OK.
  const std::string& acceptedName() const { return acceptedName_; }

 protected:
  std::string fieldText(int) const override { return name_; }
  bool takeText(int field, std::string_view text) override;
  bool accept() override;

 private:
  bool fail(Msg message);

  FoamDatabase& foams_;
  UserPrompt& prompt_;
  std::string name_;
  bool accepted_ = false;
  std::string acceptedName_;
};

}  // namespace orva
