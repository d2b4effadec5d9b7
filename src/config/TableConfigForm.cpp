#include "config/TableConfigForm.h"

#include <algorithm>
#include <array>
#include <cctype>
#include <cmath>
#include <cstdint>
#include <limits>
#include <optional>
#include <utility>

#include "common/Messages.h"
#include "common/NumberText.h"
#include "common/UserPrompt.h"
#include "driver/GrblProtocol.h"
#include "driver/GrblStreamer.h"

namespace orva {

namespace {

using Field = TableConfigField;

constexpr int kPortCount = 4;  // LPT1..LPT4

// The controller fields that follow the backend choice (CtlPort..CtlStatusMs).
bool isControllerBox(int field) {
  return field >= static_cast<int>(Field::CtlPort) && field <= static_cast<int>(Field::CtlStatusMs);
}

bool isBlank(char c) {
  return c == ' ' || c == '\t' || c == '\n' || c == '\v' || c == '\f' || c == '\r';
}
std::string_view trim(std::string_view s) {
  while (!s.empty() && isBlank(s.front())) s.remove_prefix(1);
  while (!s.empty() && isBlank(s.back())) s.remove_suffix(1);
  return s;
}

// The whole text as a non-negative integer (optional '+', decimal digits,
// blanks around). Very long values saturate above the int range.
std::optional<std::int64_t> parseNonNegativeInt(std::string_view text) {
  std::string_view s = trim(text);
  if (!s.empty() && s.front() == '+') s.remove_prefix(1);
  if (s.empty()) return std::nullopt;
  constexpr std::int64_t kSaturated = std::int64_t{1} << 40;
  std::int64_t value = 0;
  for (const char c : s) {
    if (c < '0' || c > '9') return std::nullopt;
    value = std::min(kSaturated, value * 10 + (c - '0'));
  }
  return value;
}

// The live rules read a text the way atoi does: the leading number, 0 when none.
int leadingInt(std::string_view text) {
  const IntegerScan scan = scanInteger(text);
  return scan.ok() ? scan.value : 0;
}

// The edit boxes and the record fields they show, in dialog order.
struct EditBox {
  Field field;
  int TableConfig::*intField;        // integer boxes
  double TableConfig::*doubleField;  // number boxes (both null: the timer)
};
constexpr std::array<EditBox, 17> kEditBoxes = {{
    {Field::XNtour, &TableConfig::XNtour, nullptr},
    {Field::XPas, nullptr, &TableConfig::XPas},
    {Field::XPasInvSens, &TableConfig::XPasInvSens, nullptr},
    {Field::VitesseInvSensX, &TableConfig::VitesseInvSensX, nullptr},
    {Field::XVmax, nullptr, &TableConfig::XVmax},
    {Field::YNtour, &TableConfig::YNtour, nullptr},
    {Field::YPas, nullptr, &TableConfig::YPas},
    {Field::YPasInvSens, &TableConfig::YPasInvSens, nullptr},
    {Field::VitesseInvSensY, &TableConfig::VitesseInvSensY, nullptr},
    {Field::YVmax, nullptr, &TableConfig::YVmax},
    {Field::Entraxe, &TableConfig::Entraxe, nullptr},
    {Field::AxesX, &TableConfig::AxesX, nullptr},
    {Field::AxesY, &TableConfig::AxesY, nullptr},
    {Field::ZeroX, nullptr, &TableConfig::ZeroX},
    {Field::ZeroY, nullptr, &TableConfig::ZeroY},
    {Field::Timer, nullptr, nullptr},
    {Field::Chauffe, nullptr, &TableConfig::Chauffe},
}};

const EditBox* findEditBox(Field field) {
  for (const EditBox& box : kEditBoxes) {
    if (box.field == field) return &box;
  }
  return nullptr;
}

// The range checks, in the order they are made.
struct RangeCheck {
  Field field;
  double min;
  double max;
};
constexpr std::array<RangeCheck, 9> kRangeChecks = {{
    {Field::Entraxe, 50, 2000},
    {Field::XNtour, 40, 500},
    {Field::XPas, 0.5, 100.0},
    {Field::YPas, 0.5, 100.0},
    {Field::YNtour, 40, 5000},
    {Field::XPasInvSens, 0, 200},
    {Field::YPasInvSens, 0, 200},
    {Field::VitesseInvSensX, 1, 150},
    {Field::VitesseInvSensY, 1, 150},
}};

// What the Default button puts into the dialog.
TableConfig defaultButtonValues() {
  TableConfig v;
  v.Entraxe = 1000;
  v.AxesX = 600;
  v.AxesY = 250;
  v.InterfChauf = 1;
  v.Tempo = 0.5;
  v.Chauffe = 10.0;
  v.ZeroX = 0.0;
  v.ZeroY = 0.0;
  v.XNtour = 48;
  v.XPas = 1.0;
  v.XPasInvSens = 0;
  v.XVmax = 5.0;
  v.YNtour = 48;
  v.YPas = 1.0;
  v.YPasInvSens = 0;
  v.YVmax = 5.0;
  v.VitesseInvSensX = 100;
  v.VitesseInvSensY = 100;
  return v;
}

}  // namespace

TableConfigForm::TableConfigForm(TableConfig& config, int& port,
                                 std::vector<std::string> tableNames, std::string currentTable,
                                 std::filesystem::path dataDirectory, UserPrompt& prompt,
                                 TableConfigFormHooks hooks)
    : config_(config),
      portSetting_(port),
      dataDirectory_(std::move(dataDirectory)),
      prompt_(prompt),
      hooks_(std::move(hooks)),
      currentTable_(std::move(currentTable)) {
  for (std::string& name : tableNames) {
    if (!name.empty()) tableNames_.push_back(std::move(name));
  }
  openingTable_ = currentTable_;
  if (!tableNames_.empty()) selectedTable_ = 0;
  for (std::size_t i = 0; i < tableNames_.size(); ++i) {
    if (tableNames_[i] == currentTable_) {
      selectedTable_ = static_cast<int>(i);
      break;
    }
  }
  load();
}

std::string_view TableConfigForm::title() { return messageText(Msg::CncTableConfigurationTitle); }

std::span<const FieldInfo> TableConfigForm::fieldTable() const {
  static const FieldInfo kTable[] = {
      {id(Field::CurrentTable), "currentTable", FieldKind::List, messageText(Msg::CurrentTableColon)},
      {id(Field::XNtour), "xNtour", FieldKind::Text, messageText(Msg::StepsPerRevolution)},
      {id(Field::XPas), "xPas", FieldKind::Text, messageText(Msg::ScrewThreadMm)},
      {id(Field::XPasInvSens), "xPasInvSens", FieldKind::Text,
       messageText(Msg::XStepLostInverseDirection)},
      {id(Field::VitesseInvSensX), "vitesseInvSensX", FieldKind::Text,
       messageText(Msg::BacklashCompSpeed)},
      {id(Field::XVmax), "xVmax", FieldKind::Text, messageText(Msg::MinimumTimeBetweenStepsMs)},
      {id(Field::YNtour), "yNtour", FieldKind::Text, messageText(Msg::StepsPerRevolution)},
      {id(Field::YPas), "yPas", FieldKind::Text, messageText(Msg::ScrewThreadMm)},
      {id(Field::YPasInvSens), "yPasInvSens", FieldKind::Text,
       messageText(Msg::YStepsLostInverseDirection)},
      {id(Field::VitesseInvSensY), "vitesseInvSensY", FieldKind::Text,
       messageText(Msg::BacklashCompSpeed)},
      {id(Field::YVmax), "yVmax", FieldKind::Text, messageText(Msg::MinimumTimeBetweenStepsMs)},
      {id(Field::Entraxe), "entraxe", FieldKind::Text, messageText(Msg::DistanceBetWireSupportMm)},
      {id(Field::AxesX), "axesX", FieldKind::Text, messageText(Msg::XAxisTravelMm)},
      {id(Field::AxesY), "axesY", FieldKind::Text, messageText(Msg::YAxisTravelMm)},
      {id(Field::ZeroX), "zeroX", FieldKind::Text, messageText(Msg::ZeroPositionInX)},
      {id(Field::ZeroY), "zeroY", FieldKind::Text, messageText(Msg::ZeroPositionInY)},
      {id(Field::TableInv), "tableInv", FieldKind::Check, messageText(Msg::ReverseTableLayout)},
      {id(Field::Port), "port", FieldKind::List, messageText(Msg::ParallelPort)},
      {id(Field::Timer), "timer", FieldKind::Text, messageText(Msg::TimerValueUs)},
      {id(Field::Chauffe), "chauffe", FieldKind::Text, messageText(Msg::TimeForWireHeatingS)},
      {id(Field::InterfChauf), "interfChauf", FieldKind::Check,
       messageText(Msg::HardwareInterfaceWithHeatAcquisition)},
      {id(Field::XMaxSpeed), "xMaxSpeed", FieldKind::Display,
       messageText(Msg::MaximumSpeedInXMmPerS)},
      {id(Field::YMaxSpeed), "yMaxSpeed", FieldKind::Display,
       messageText(Msg::MaximumSpeedInYMmPerS)},
      {id(Field::CtlBackend), "ctlBackend", FieldKind::List, messageText(Msg::CtlBackendCaption)},
      {id(Field::CtlPort), "ctlPort", FieldKind::Text, messageText(Msg::CtlPortCaption)},
      {id(Field::CtlBaud), "ctlBaud", FieldKind::Text, messageText(Msg::CtlBaudCaption)},
      {id(Field::CtlAxes), "ctlAxes", FieldKind::Text, messageText(Msg::CtlAxesCaption)},
      {id(Field::CtlHeatS), "ctlHeatS", FieldKind::Text, messageText(Msg::CtlHeatSCaption)},
      {id(Field::CtlRxBuffer), "ctlRxBuffer", FieldKind::Text,
       messageText(Msg::CtlRxBufferCaption)},
      {id(Field::CtlStatusMs), "ctlStatusMs", FieldKind::Text,
       messageText(Msg::CtlStatusMsCaption)},
  };
  return kTable;
}

std::string TableConfigForm::fieldText(int field) const {
  if (field == id(Field::XMaxSpeed)) return maxSpeed_[0];
  if (field == id(Field::YMaxSpeed)) return maxSpeed_[1];
  return texts_[static_cast<std::size_t>(field)];
}

bool TableConfigForm::fieldChecked(int field) const {
  if (field == id(Field::TableInv)) return tableInv_;
  return field == id(Field::InterfChauf) && interfChauf_;
}

std::vector<std::string> TableConfigForm::fieldOptions(int field) const {
  if (field == id(Field::CurrentTable)) return tableNames_;
  if (field == id(Field::CtlBackend)) {
    return {std::string(messageText(Msg::CtlBackendInterface)),
            std::string(messageText(Msg::CtlBackendGrbl))};
  }
  return {std::string(messageText(Msg::Lpt1)), std::string(messageText(Msg::Lpt2)),
          std::string(messageText(Msg::Lpt3)), std::string(messageText(Msg::Lpt4))};
}

int TableConfigForm::fieldIndex(int field) const {
  if (field == id(Field::CtlBackend)) return grbl_ ? 1 : 0;
  return field == id(Field::CurrentTable) ? selectedTable_ : port_;
}

bool TableConfigForm::fieldEnabled(int field) const { return grbl_ || !isControllerBox(field); }

void TableConfigForm::load() {
  Values values;
  values.record = config_;
  values.timer = config_.Tempo * 1000.0;
  show(values);
  tableInv_ = config_.TableInv != 0;
  port_ = (portSetting_ >= 0 && portSetting_ < kPortCount) ? portSetting_ : 0;
  showController(config_.controller);
}

// A backend other than "grbl" (also a misspelt one) is shown as the interface.
void TableConfigForm::showController(const ControllerLink& link) {
  grbl_ = link.isGrbl();
  texts_[index(Field::CtlPort)] = link.CtlPort;
  texts_[index(Field::CtlBaud)] = intText(link.CtlBaud);
  texts_[index(Field::CtlAxes)] = link.CtlAxes;
  texts_[index(Field::CtlHeatS)] = numberText(link.CtlHeatS);
  texts_[index(Field::CtlRxBuffer)] = intText(link.CtlRxBuffer);
  texts_[index(Field::CtlStatusMs)] = intText(link.CtlStatusMs);
}

// Writes every edit box and check box "heat acquisition" from `values` and
// recomputes both maximum speeds (the reverse-layout box, the port and the
// table list are left alone).
void TableConfigForm::show(const Values& values) {
  const TableConfig& r = values.record;
  for (const EditBox& box : kEditBoxes) {
    std::string& t = texts_[index(box.field)];
    if (box.intField != nullptr) {
      t = intText(r.*box.intField);
    } else if (box.doubleField != nullptr) {
      t = numberText(r.*box.doubleField);
    } else {
      t = numberText(values.timer);
    }
  }
  interfChauf_ = r.InterfChauf != 0;
  axes_[0] = {r.XNtour, r.XPas, r.XVmax};
  axes_[1] = {r.YNtour, r.YPas, r.YVmax};
  for (const Axis axis : {Axis::X, Axis::Y}) {
    const AxisValues& a = axes_[index(axis)];
    showMaxSpeed(axis, MaxAxisSpeed(a.pitch, a.steps, a.minTime));
  }
}

void TableConfigForm::showMaxSpeed(Axis axis, double speed) {
  maxSpeed_[index(axis)] = fixedText(speed, 4);
}

bool TableConfigForm::takeText(int id, std::string_view text) {
  const auto field = static_cast<Field>(id);
  texts_[index(field)] = std::string(text);

  const Axis axis =
      (field == Field::YNtour || field == Field::YPas || field == Field::YVmax) ? Axis::Y : Axis::X;
  AxisValues& a = axes_[index(axis)];
  switch (field) {
    case Field::XNtour:
    case Field::YNtour: {
      const int steps = leadingInt(text);
      if (steps != 0) {
        a.steps = steps;
        showMaxSpeed(axis, MaxAxisSpeed(a.pitch, a.steps, a.minTime));
      } else {
        showMaxSpeed(axis, 0.0);
      }
      break;
    }
    case Field::XPas:
    case Field::YPas:
      a.pitch = leadingNumber(text);
      showMaxSpeed(axis, MaxAxisSpeed(a.pitch, a.steps, a.minTime));
      break;
    case Field::XVmax:
    case Field::YVmax: {
      // The time itself is taken only when all field values are read.
      const double minTime = leadingNumber(text);
      showMaxSpeed(axis, minTime != 0.0 ? MaxAxisSpeed(a.pitch, a.steps, minTime) : 0.0);
      break;
    }
    default:
      break;
  }
  return true;
}

bool TableConfigForm::takeChecked(int field, bool checked) {
  (field == id(Field::TableInv) ? tableInv_ : interfChauf_) = checked;
  return true;
}

bool TableConfigForm::takeIndex(int field, int index) {
  if (field == id(Field::Port)) {
    port_ = index;
    return true;
  }
  if (field == id(Field::CtlBackend)) {
    grbl_ = index == 1;
    return true;
  }
  selectedTable_ = index;
  currentTable_ = tableNames_[static_cast<std::size_t>(index)];
  if (hooks_.makeTableCurrent) hooks_.makeTableCurrent(currentTable_);
  load();
  return true;
}

void TableConfigForm::spinMinimumStepTime(Axis axis, int delta) {
  Values values;
  if (!exchange(values)) return;
  const double period = values.timer / 1000.0;
  double& minTime = axis == Axis::X ? values.record.XVmax : values.record.YVmax;
  double next = minTime - static_cast<double>(delta) * values.timer / 1000.0;
  if (!std::isfinite(next)) return;
  if (next <= 0.0) next = period;
  minTime = next;
  show(values);
  notifyChanged();
}

void TableConfigForm::pressDefault() {
  Values values;
  values.record = defaultButtonValues();
  values.timer = 500.0;
  show(values);
  notifyChanged();
}

bool TableConfigForm::fail(Field field, const std::string& message) {
  prompt_.showMessage(message, MessageIcon::Warning);
  return refuse(id(field), message);
}

// Reads every edit box into `values` and checks the ranges.
bool TableConfigForm::exchange(Values& values) {
  values.record = config_;  // fields the dialog does not show stay as they are
  std::array<std::int64_t, kFields> integers{};
  for (const EditBox& box : kEditBoxes) {
    const std::string& t = texts_[index(box.field)];
    if (box.intField != nullptr) {
      const std::optional<std::int64_t> v = parseNonNegativeInt(t);
      bool ranged = false;
      for (const RangeCheck& c : kRangeChecks) ranged = ranged || c.field == box.field;
      // A ranged field too large for an int fails its range check below.
      if (!v || (!ranged && *v > std::numeric_limits<int>::max())) {
        return fail(box.field, formatMessage(Msg::PleaseEnterAPositiveInteger));
      }
      integers[index(box.field)] = *v;
      values.record.*box.intField =
          static_cast<int>(std::min<std::int64_t>(*v, std::numeric_limits<int>::max()));
    } else {
      const std::optional<double> v = parseNumber(t);
      if (!v) return fail(box.field, formatMessage(Msg::PleaseEnterANumber));
      if (box.doubleField != nullptr) {
        values.record.*box.doubleField = *v;
      } else {
        values.timer = *v;
      }
    }
  }
  values.record.TableInv = tableInv_ ? 1 : 0;
  values.record.InterfChauf = interfChauf_ ? 1 : 0;

  for (const RangeCheck& c : kRangeChecks) {
    const EditBox& box = *findEditBox(c.field);
    if (box.intField != nullptr) {
      const std::int64_t v = integers[index(c.field)];
      if (v < static_cast<std::int64_t>(c.min) || v > static_cast<std::int64_t>(c.max)) {
        return fail(c.field, formatMessage(Msg::PleaseEnterAnIntegerBetween,
                                           {intText(static_cast<long long>(c.min)),
                                            intText(static_cast<long long>(c.max))}));
      }
    } else {
      const double v = values.record.*box.doubleField;
      if (v < c.min || v > c.max) {
        return fail(c.field, formatMessage(Msg::PleaseEnterANumberBetween,
                                           {shortestText(c.min), shortestText(c.max)}));
      }
    }
  }
  return true;
}

bool TableConfigForm::validate() {
  Values values;
  if (!exchange(values)) return false;
  const double period = values.timer / 1000.0;
  const std::string periodText = fixedText(period, 1);
  if (values.record.XVmax < period) {
    return fail(Field::XVmax, formatMessage(Msg::MotorSpeedLowerThanTimer, {periodText, "X"}));
  }
  if (values.record.YVmax < period) {
    return fail(Field::YVmax, formatMessage(Msg::MotorSpeedLowerThanTimer, {periodText, "Y"}));
  }
  if (!exchangeController(values.record.controller)) return false;
  focus_ = -1;
  return true;
}

// Reads the controller fields into `link` with the rules of
// CheckControllerLink, field by field so that a refusal names its field. On
// the interface only the backend is taken.
bool TableConfigForm::exchangeController(ControllerLink& link) {
  if (!grbl_) {
    link.CtlBackend = std::string(ControllerLink::kInterface);
    return true;
  }
  link.CtlBackend = std::string(ControllerLink::kGrbl);
  const auto textOf = [this](Field field) { return trim(texts_[index(field)]); };
  // A positive integer (saturated far above the int range), else nothing.
  const auto positive = [&](Field field) -> std::optional<int> {
    const std::optional<std::int64_t> v = parseNonNegativeInt(textOf(field));
    if (!v || *v <= 0 || *v > std::numeric_limits<int>::max()) return std::nullopt;
    return static_cast<int>(*v);
  };
  link.CtlPort = std::string(textOf(Field::CtlPort));
  if (link.CtlPort.empty()) return fail(Field::CtlPort, formatMessage(Msg::CtlPortMissing));
  const std::optional<int> baud = positive(Field::CtlBaud);
  if (!baud) {
    return fail(Field::CtlBaud, formatMessage(Msg::CtlBaudInvalid, {textOf(Field::CtlBaud)}));
  }
  link.CtlBaud = *baud;
  std::string letters;
  for (const char c : textOf(Field::CtlAxes)) {
    letters += static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
  }
  if (!GrblAxisMap::check(letters).empty()) {
    return fail(Field::CtlAxes,
                formatMessage(Msg::GrblAxisLetters, {textOf(Field::CtlAxes)}));
  }
  link.CtlAxes = letters;
  const std::optional<double> heat = parseNumber(textOf(Field::CtlHeatS));
  if (!heat || !(*heat >= 0.0)) {
    return fail(Field::CtlHeatS, formatMessage(Msg::CtlHeatInvalid, {textOf(Field::CtlHeatS)}));
  }
  link.CtlHeatS = *heat;
  const std::optional<int> rx = positive(Field::CtlRxBuffer);
  GrblSettings settings;
  settings.axisLetters = letters;
  settings.rxBufferSize = rx.value_or(0);
  if (!rx || !CheckGrblSettings(settings).empty()) {
    return fail(Field::CtlRxBuffer,
                formatMessage(Msg::GrblRxBufferSize, {textOf(Field::CtlRxBuffer)}));
  }
  link.CtlRxBuffer = *rx;
  const std::optional<int> status = positive(Field::CtlStatusMs);
  if (!status) {
    return fail(Field::CtlStatusMs,
                formatMessage(Msg::CtlStatusInvalid, {textOf(Field::CtlStatusMs)}));
  }
  link.CtlStatusMs = *status;
  // The same rules as one check: what the program refuses later is refused here.
  if (std::string why = CheckControllerLink(link); !why.empty()) return fail(Field::CtlBackend, why);
  return true;
}

bool TableConfigForm::accept() {
  if (!validate()) return false;
  Values values;
  exchange(values);  // cannot fail: validate() made the same checks
  exchangeController(values.record.controller);

  config_ = values.record;
  // The period the step times were checked against: timer / 1000 gives the
  // same double as that check, where timer × 0.001 can come out one unit
  // larger (9 µs) and put a checked step time just below the stored period.
  config_.Tempo = values.timer / 1000.0;
  portSetting_ = port_;
  config_.tableModified = true;
  saved_ = SaveTableConfig(config_, dataDirectory_, TableFileName(currentTable_));
  if (hooks_.resetPlanner) hooks_.resetPlanner();
  return true;
}

void TableConfigForm::cancel() {
  if (hooks_.makeTableCurrent) hooks_.makeTableCurrent(openingTable_);
}

}  // namespace orva
