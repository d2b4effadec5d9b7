#include "motion/TimerCalibrationForm.h"

#include <array>
#include <cmath>
#include <string_view>
#include <thread>

#include "common/Messages.h"
#include "common/NumberText.h"
#include "config/TableConfig.h"
#include "driver/InterfaceDriver.h"

namespace orva {

TimerCalibrationForm::TimerCalibrationForm(InterfaceDriver& driver, const TableConfig& table)
    : driver_(driver), table_(table) {}

std::string TimerCalibrationForm::title() {
  return std::string(messageText(Msg::TimerCalibrationTitle));
}

std::string TimerCalibrationForm::setTimerText() const {
  return fillFields(messageText(Msg::SetTimerOn), {table_.Tempo * 1000.0});
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
