#include "motion/TimerCalibrationForm.h"

#include <array>
#include <charconv>
#include <cmath>
#include <string_view>
#include <system_error>
#include <thread>

#include "common/Messages.h"
#include "config/TableConfig.h"
#include "driver/InterfaceDriver.h"

namespace orva {

TimerCalibrationForm::TimerCalibrationForm(InterfaceDriver& driver, const TableConfig& table)
    : driver_(driver), table_(table) {}

std::string TimerCalibrationForm::title() {
  return std::string(messageText(Msg::TimerCalibrationTitle));
}

std::string TimerCalibrationForm::setTimerText() const {
  // "%3.0f": no decimals, at least three characters, whatever the process locale.
  std::array<char, 400> buffer{};
  const auto result = std::to_chars(buffer.data(), buffer.data() + buffer.size(),
                                    table_.Tempo * 1000.0, std::chars_format::fixed, 0);
  std::string number = result.ec == std::errc() ? std::string(buffer.data(), result.ptr) : "0";
  if (number.size() < 3) number.insert(0, 3 - number.size(), ' ');

  const std::string_view pattern = messageText(Msg::SetTimerOn);
  const std::size_t field = pattern.find("%3.0f");
  if (field == std::string_view::npos) return std::string(pattern);
  std::string text(pattern.substr(0, field));
  text += number;
  text += pattern.substr(field + 5);
  return text;
}

std::span<const FieldInfo> TimerCalibrationForm::fieldTable() const {
  static const FieldInfo kTable[] = {
      {id(Field::SetTimer), "setTimer", FieldKind::Display, {}},
      {id(Field::CurrentValue), "currentValue", FieldKind::Display,
       messageText(Msg::CurrentValueUs)},
      {id(Field::FinishedAdjustment), "finishedAdjustment", FieldKind::Button,
       messageText(Msg::FinishedAdjustment)},
  };
  return kTable;
}

std::string TimerCalibrationForm::fieldText(int field) const {
  return field == id(Field::SetTimer) ? setTimerText() : std::to_string(currentValueUs_);
}

bool TimerCalibrationForm::accept() {
  finish();
  return true;
}

unsigned TimerCalibrationForm::PeriodForCount(unsigned count) {
  return count <= kMinimumCount ? 0u : 1000000u / count;
}

void TimerCalibrationForm::open() {
  driver_.StartTimerCount();
  counting_ = true;
}

bool TimerCalibrationForm::tick() {
  if (!counting_) return false;
  const auto [done, count] = driver_.PollTimerCount();
  if (!done) return false;
  currentValueUs_ = PeriodForCount(count);
  driver_.StartTimerCount();
  notifyChanged();
  return true;
}

void TimerCalibrationForm::finish() {
  if (!counting_) return;
  if (finishDelay_.count() > 0) std::this_thread::sleep_for(finishDelay_);
  driver_.WaitTimerCount();
  counting_ = false;
}

}  // namespace orva
