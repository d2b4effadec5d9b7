#include "common/Form.h"

#include <algorithm>

namespace orva {

const FieldInfo* Form::info(int field) const {
  const std::span<const FieldInfo> table = fieldTable();
  const auto it =
      std::find_if(table.begin(), table.end(), [field](const FieldInfo& f) { return f.id == field; });
  return it == table.end() ? nullptr : &*it;
}

int Form::fieldId(std::string_view name) const {
  for (const FieldInfo& f : fieldTable()) {
    if (f.name == name) return f.id;
  }
  return -1;
}

std::string_view Form::fieldName(int field) const {
  const FieldInfo* f = info(field);
  return f ? f->name : std::string_view{};
}

bool Form::accepts(int field, FieldKind kind) const {
  const FieldInfo* f = info(field);
  return f && f->kind == kind && fieldEnabled(field) && !fieldReadOnly(field);
}

std::string Form::text(int field) const {
  const FieldInfo* f = info(field);
  if (!f || (f->kind != FieldKind::Text && f->kind != FieldKind::Display)) return {};
  return fieldText(field);
}

bool Form::setText(int field, std::string_view text) {
  if (!accepts(field, FieldKind::Text)) return false;
  return notifying([&] { return takeText(field, text); });
}

bool Form::checked(int field) const {
  const FieldInfo* f = info(field);
  return f && f->kind == FieldKind::Check && fieldChecked(field);
}

bool Form::setChecked(int field, bool value) {
  if (!accepts(field, FieldKind::Check)) return false;
  return notifying([&] { return takeChecked(field, value); });
}

std::vector<std::string> Form::options(int field) const {
  const FieldInfo* f = info(field);
  if (!f || f->kind != FieldKind::List) return {};
  return fieldOptions(field);
}

int Form::currentIndex(int field) const {
  const FieldInfo* f = info(field);
  if (!f || f->kind != FieldKind::List) return -1;
  return fieldIndex(field);
}

bool Form::setCurrentIndex(int field, int index) {
  if (!accepts(field, FieldKind::List)) return false;
  if (index < 0 || static_cast<std::size_t>(index) >= fieldOptions(field).size()) return false;
  return notifying([&] { return takeIndex(field, index); });
}

bool Form::enabled(int field) const { return info(field) && fieldEnabled(field); }

bool Form::readOnly(int field) const {
  const FieldInfo* f = info(field);
  return !f || f->kind == FieldKind::Display || fieldReadOnly(field);
}

FormResult Form::ok() {
  message_.clear();
  FormResult result;
  result.accepted = accept();
  if (!result.accepted) {
    result.field = focus_;
    result.message = message_;
  }
  notifyChanged();
  return result;
}

bool Form::refuse(int field, std::string message) {
  focus_ = field;
  message_ = std::move(message);
  return false;
}

void Form::clearRefusal() {
  focus_ = -1;
  message_.clear();
}

void Form::notifyChanged() const {
  if (onChanged_) onChanged_();
}

std::string Form::fieldText(int) const { return {}; }
bool Form::takeText(int, std::string_view) { return false; }
bool Form::fieldChecked(int) const { return false; }
bool Form::takeChecked(int, bool) { return false; }
std::vector<std::string> Form::fieldOptions(int) const { return {}; }
int Form::fieldIndex(int) const { return -1; }
bool Form::takeIndex(int, int) { return false; }
bool Form::fieldEnabled(int) const { return true; }
bool Form::fieldReadOnly(int) const { return false; }

}  // namespace orva
