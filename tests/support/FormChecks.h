#pragma once

#include <gtest/gtest.h>

#include <initializer_list>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "common/Form.h"
#include "common/ScriptedPrompt.h"

namespace orva::test {

// One refusal of OK: `text` typed into `field` makes OK show `message` and put
// the focus on `focus` (the edited field when not given).
template <typename F>
struct Refusal {
  F field;
  std::string text;
  std::string message;
  std::optional<F> focus = std::nullopt;
};

// OK is refused: the result and the form name `focus`, and `message` is the one
// message the user was shown (as a warning when `icon` is given).
inline void expectRefused(Form& form, ScriptedPrompt& prompt, int focus, std::string_view message,
                          std::optional<MessageIcon> icon = std::nullopt) {
  SCOPED_TRACE("refused on " + std::string(form.fieldName(focus)) + ": " + std::string(message));
  prompt.clear();
  const FormResult result = form.ok();
  EXPECT_FALSE(result.accepted);
  EXPECT_EQ(form.fieldName(result.field), form.fieldName(focus));
  EXPECT_EQ(form.fieldName(form.focus()), form.fieldName(focus));
  EXPECT_EQ(result.message, message);
  ASSERT_EQ(prompt.calls().size(), 1u);
  EXPECT_EQ(prompt.calls()[0].kind, ScriptedPrompt::Kind::Message);
  EXPECT_EQ(prompt.calls()[0].text, message);
  if (icon) { EXPECT_EQ(prompt.calls()[0].icon, *icon); }
}

template <typename FormT>
void expectRefused(FormT& form, ScriptedPrompt& prompt, typename FormT::Field focus,
                   std::string_view message, std::optional<MessageIcon> icon = std::nullopt) {
  expectRefused(static_cast<Form&>(form), prompt, FormT::id(focus), message, icon);
}

// The validation order of a form: the edits are made one after the other on
// the same form and each leaves OK refused as listed.
template <typename FormT>
void expectRefusalsInOrder(FormT& form, ScriptedPrompt& prompt,
                           std::initializer_list<Refusal<typename FormT::Field>> cases,
                           std::optional<MessageIcon> icon = std::nullopt) {
  for (const auto& c : cases) {
    ASSERT_TRUE(form.setText(c.field, c.text)) << form.fieldName(FormT::id(c.field));
    expectRefused(form, prompt, c.focus.value_or(c.field), c.message, icon);
  }
}

// Each edit on a fresh form from `open()` (which returns the form by
// reference or as a pointer) leaves OK refused as listed.
template <typename F, typename Open>
void expectEachRefused(Open open, ScriptedPrompt& prompt, std::initializer_list<Refusal<F>> cases) {
  for (const auto& c : cases) {
    auto&& opened = open();
    auto& form = [&]() -> auto& {
      if constexpr (requires { *opened; }) {
        return *opened;
      } else {
        return opened;
      }
    }();
    SCOPED_TRACE("typed \"" + c.text + "\"");
    ASSERT_TRUE(form.setText(c.field, c.text)) << form.fieldName(form.id(c.field));
    expectRefused(form, prompt, c.focus.value_or(c.field), c.message);
  }
}

// The texts the fields show, in one table: {field, text}, ...
template <typename FormT>
void expectTexts(const FormT& form,
                 std::initializer_list<std::pair<typename FormT::Field, std::string_view>> texts) {
  for (const auto& [field, text] : texts) {
    EXPECT_EQ(form.text(field), text) << form.fieldName(FormT::id(field));
  }
}

}  // namespace orva::test
