#pragma once

#include <functional>
#include <initializer_list>
#include <string>
#include <variant>
#include <vector>

#include "common/Form.h"
#include "support/TestFiles.h"
#include "support/UpperLayerRigs.h"

namespace orva::test {

// One edit of a dialog: a text typed, a box checked or cleared, a list entry
// chosen.
template <typename F>
struct Edit {
  F field;
  std::variant<std::string, bool, int> value;
};

// The dump of a form, one line per field (a line break inside an option shows
// as "\n").
inline std::vector<std::string> fieldLines(const Form& form) {
  std::vector<std::string> fields;
  for (const std::string& line : lines(dumpForm(form))) {
    if (line.starts_with("  ") || fields.empty()) {
      fields.push_back(line);
    } else {
      fields.back() += "\\n" + line;
    }
  }
  return fields;
}

// Makes the edits one after the other and writes what the dialog shows as it
// goes: the form at the start (fieldLines), then for each edit a line
// "> field value" (with "refused" when the form did not take it) followed by
// the fields whose line of the dump changed. Compared with a reviewed file,
// it checks every live rule, every read-only or disabled box and every
// derived text of the session at once. `probe`, when given, adds a line of
// its own to the dump (figures the form keeps that no field shows).
template <typename FormT>
std::string replayEdits(FormT& form, std::initializer_list<Edit<typename FormT::Field>> edits,
                        const std::function<std::string(const FormT&)>& probe = nullptr) {
  const auto fields = [&] {
    std::vector<std::string> all = fieldLines(form);
    if (probe) all.push_back("  " + probe(form));
    return all;
  };
  std::vector<std::string> shown = fields();
  std::string text;
  for (const std::string& line : shown) text += line + "\n";
  for (const auto& e : edits) {
    const int id = FormT::id(e.field);
    text += "> " + std::string(form.fieldName(id));
    bool taken = false;
    if (const auto* typed = std::get_if<std::string>(&e.value)) {
      text += " \"" + *typed + "\"";
      taken = form.setText(e.field, *typed);
    } else if (const auto* check = std::get_if<bool>(&e.value)) {
      text += *check ? " [x]" : " [ ]";
      taken = form.setChecked(e.field, *check);
    } else {
      const int index = std::get<int>(e.value);
      text += " #" + std::to_string(index);
      taken = form.setCurrentIndex(e.field, index);
    }
    text += taken ? "\n" : " refused\n";
    const std::vector<std::string> now = fields();
    for (std::size_t i = 0; i < now.size(); ++i) {
      if (i >= shown.size() || now[i] != shown[i]) text += now[i] + "\n";
    }
    shown = now;
  }
  return text;
}

}  // namespace orva::test
