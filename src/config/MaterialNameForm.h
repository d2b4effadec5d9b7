#pragma once

#include <string>
#include <string_view>
#include <utility>

namespace orva {

class FoamDatabase;
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
class MaterialNameForm {
 public:
  MaterialNameForm(FoamDatabase& foams, UserPrompt& prompt);

  // The text field as the user sees it (UTF-8).
  std::string name;
  void editName(std::string text) { name = std::move(text); }

  // The OK button; true when the name was accepted and the dialog closes.
  bool ok();

  bool accepted() const { return accepted_; }
  // The name stored by an accepted OK.
  const std::string& acceptedName() const { return acceptedName_; }

 private:
  FoamDatabase& foams_;
  UserPrompt& prompt_;
  bool accepted_ = false;
  std::string acceptedName_;
};

}  // namespace orva
