#include "config/MaterialNameForm.h"

#include <cstdint>
#include <utility>

#include "common/CodePage.h"
#include "common/Messages.h"
#include "common/UserPrompt.h"
#include "config/FoamDatabase.h"

namespace orva {

namespace {

// Decodes one UTF-8 sequence at s[pos]; a malformed byte stands for itself,
// moved out of the Unicode range so that it never equals a real character.
char32_t nextCodePoint(std::string_view s, std::size_t& pos) {
  const auto byte = [&s](std::size_t i) { return static_cast<unsigned char>(s[i]); };
  const unsigned char lead = byte(pos);
  std::size_t length = 0;
  char32_t cp = 0;
  if (lead < 0x80) {
    ++pos;
    return lead;
  } else if ((lead & 0xE0) == 0xC0) {
    length = 2;
    cp = lead & 0x1F;
  } else if ((lead & 0xF0) == 0xE0) {
    length = 3;
    cp = lead & 0x0F;
  } else if ((lead & 0xF8) == 0xF0) {
    length = 4;
    cp = lead & 0x07;
  }
  if (length == 0 || pos + length > s.size() || !isValidUtf8(s.substr(pos, length))) {
    ++pos;
    return 0x110000 + lead;
  }
  for (std::size_t i = 1; i < length; ++i) cp = (cp << 6) | (byte(pos + i) & 0x3F);
  pos += length;
  return cp;
}

// Lower case of the Windows-1252 letters.
char32_t foldCase(char32_t c) {
  if (c >= U'A' && c <= U'Z') return c + 0x20;
  if (c >= 0xC0 && c <= 0xDE && c != 0xD7) return c + 0x20;  // À..Þ except ×
  switch (c) {
    case 0x160:  // Š
    case 0x152:  // Œ
    case 0x17D:  // Ž
      return c + 1;
    case 0x178:  // Ÿ
      return 0xFF;
    default:
      return c;
  }
}

// The letter without its accent, lower case; ligatures and letters without a
// base letter stay as they are.
char32_t baseLetter(char32_t c) {
  c = foldCase(c);
  if (c >= 0xE0 && c <= 0xE5) return U'a';
  if (c == 0xE7) return U'c';
  if (c >= 0xE8 && c <= 0xEB) return U'e';
  if (c >= 0xEC && c <= 0xEF) return U'i';
  if (c == 0xF1) return U'n';
  if ((c >= 0xF2 && c <= 0xF6) || c == 0xF8) return U'o';
  if (c >= 0xF9 && c <= 0xFC) return U'u';
  if (c == 0xFD || c == 0xFF) return U'y';
  if (c == 0x161) return U's';
  if (c == 0x17E) return U'z';
  return c;
}

std::u32string sortKey(std::string_view s) {
  std::u32string key;
  std::size_t pos = 0;
  while (pos < s.size()) key += baseLetter(nextCodePoint(s, pos));
  return key;
}

bool hasUnstorableCharacter(std::string_view name) {
  bool lossless = true;
  const std::string bytes = utf8ToCp1252(name, &lossless);
  if (!lossless) return true;
  for (char c : bytes) {
    const auto b = static_cast<unsigned char>(c);
    // C0 controls, DEL, and the C1 controls the code page leaves undefined.
    if (b < 0x20 || b == 0x7F || b == 0x81 || b == 0x8D || b == 0x8F || b == 0x90 || b == 0x9D ||
        c == ':') {
      return true;
    }
  }
  return false;
}

}  // namespace

bool sameMaterialNameIgnoringCase(std::string_view a, std::string_view b) {
  std::size_t i = 0;
  std::size_t j = 0;
  while (i < a.size() && j < b.size()) {
    if (foldCase(nextCodePoint(a, i)) != foldCase(nextCodePoint(b, j))) return false;
  }
  return i == a.size() && j == b.size();
}

bool materialNameLess(std::string_view a, std::string_view b) {
  const std::u32string keyA = sortKey(a);
  const std::u32string keyB = sortKey(b);
  if (keyA != keyB) return keyA < keyB;
  return a < b;
}

MaterialNameForm::MaterialNameForm(FoamDatabase& foams, UserPrompt& prompt)
    : foams_(foams), prompt_(prompt), name_(foams.CurrentFoamName()) {}

std::span<const FieldInfo> MaterialNameForm::fieldTable() const {
  static const FieldInfo kTable[] = {
      {id(Field::Name), "materialName", FieldKind::Text, messageText(Msg::EnterNewMaterialName)}};
  return kTable;
}

bool MaterialNameForm::takeText(int, std::string_view text) {
  name_ = std::string(text);
  return true;
}

bool MaterialNameForm::fail(Msg message) {
  prompt_.showMessage(messageText(message), MessageIcon::Warning);
  return refuse(id(Field::Name), std::string(messageText(message)));
}

bool MaterialNameForm::accept() {
  for (const auto& entry : foams_.records) {
    if (sameMaterialNameIgnoringCase(entry.first, name_)) {
      return fail(Msg::MaterialNameUsedAlready);
    }
  }
  if (name_.empty()) {
    return fail(Msg::MaterialNameMandatory);
  }
  if (hasUnstorableCharacter(name_)) {
    return fail(Msg::MaterialNameInvalidCharacters);
  }
  if (utf8ToCp1252(name_).size() > FoamDatabase::kMaxNameBytes) {
    return fail(Msg::MaterialNameTooLong);
  }
  FoamType material;
  material.name = name_;
  foams_.records[name_] = material;
  foams_.currentFoam = name_;
  foams_.foamModified = true;
  accepted_ = true;
  acceptedName_ = name_;
  return true;
}

}  // namespace orva
