#include "model/EllipticalWingForm.h"

#include <algorithm>
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>

#include "common/Messages.h"
#include "common/NumberText.h"
#include "common/UserPrompt.h"
#include "model/CT1Doc.h"
#include "model/PanelOperations.h"

namespace orva {

namespace {

constexpr double kPiForSurface = 3.1415926535;
// 8 / pi rounded: a wing of two such halves has the aspect ratio 8/pi × B / c.
constexpr double kAspectFactor = 2.546;
constexpr double kMm2ToDm2 = 0.0001;
// Closer than this (mm) to the root end of the ellipse, a tangent gives no root limit.
constexpr double kRootLimitMargin = 0.05;

constexpr double kMinHalfSpan = 1.0;
constexpr double kMaxHalfSpan = 20000.0;
constexpr double kMinChord = 1.0;
constexpr double kMaxChord = 5000.0;
constexpr double kMinSymmetry = 0.0;
constexpr double kMaxSymmetry = 100.0;

// Model values are whole numbers; absurd texts saturate far beyond every range.
constexpr double kSaturation = 1e9;

double wholeNumber(double v) {
  if (std::isnan(v)) return 0.0;
  return std::trunc(std::clamp(v, -kSaturation, kSaturation));
}

std::string wholeText(double v) { return std::to_string(static_cast<long long>(wholeNumber(v))); }

bool isBlank(char c) {
  return c == ' ' || c == '\t' || c == '\n' || c == '\v' || c == '\f' || c == '\r';
}

// The whole text as a non-negative integer (optional '+', digits, blanks
// around), saturated far above every range.
std::optional<double> parseNonNegativeInt(std::string_view s) {
  while (!s.empty() && isBlank(s.front())) s.remove_prefix(1);
  while (!s.empty() && isBlank(s.back())) s.remove_suffix(1);
  if (!s.empty() && s.front() == '+') s.remove_prefix(1);
  if (s.empty()) return std::nullopt;
  std::int64_t value = 0;
  for (const char c : s) {
    if (c < '0' || c > '9') return std::nullopt;
    value = std::min<std::int64_t>(std::int64_t{1} << 40, value * 10 + (c - '0'));
  }
  return static_cast<double>(value);
}

// The tangency from the outer point (x, y) to the half-ellipse of semi-axes
// (a, b): the larger root T of the quadratic for the leading edge (the one
// towards the root), the other root for the trailing edge whose x is negative.
// A negative discriminant leaves `t` as it was. Returns S.
double tangency(double a, double b, double x, double y, bool leadingEdge, double& t) {
  const double b2 = b * b;
  const double qa = -1.0 - (x * x * b2) / (a * a * y * y);
  const double qb = 2.0 * b2 * x / (y * y);
  const double qc = a * a * (1.0 - b2 / (y * y));
  const double d = qb * qb - 4.0 * qa * qc;
  if (d >= 0.0) {
    t = leadingEdge ? (-qb - std::sqrt(d)) / (2.0 * qa) : -(qb - std::sqrt(d)) / (2.0 * qa);
  }
  return (1.0 - t * x / (a * a)) * b2 / y;
}

}  // namespace

std::vector<EllipsePanel> EllipseComputation::rootFirst() const {
  std::vector<EllipsePanel> out;
  for (int k = count; k-- > 0;) out.push_back(panels[static_cast<std::size_t>(k)]);
  return out;
}

bool EllipseModelInRange(const EllipseModel& m) {
  return m.halfSpan >= kMinHalfSpan && m.halfSpan <= kMaxHalfSpan && m.rootChord >= kMinChord &&
         m.rootChord <= kMaxChord && m.tipChord >= kMinChord && m.tipChord <= kMaxChord &&
         m.symmetry >= kMinSymmetry && m.symmetry <= kMaxSymmetry;
}

double EllipseLeadingEdgeX(const EllipseModel& m, const EllipsePanel& p, double y) {
  if (p.t == 0.0 || m.symmetry <= 0.0 || m.halfSpan == 0.0) return 0.0;
  const double a1 = m.symmetry / 100.0 * m.rootChord;
  return (1.0 - y * p.s / (m.halfSpan * m.halfSpan)) * a1 * a1 / p.t;
}

double EllipseTrailingEdgeX(const EllipseModel& m, const EllipsePanel& p, double y) {
  if (p.tTe == 0.0 || m.symmetry >= 100.0 || m.halfSpan == 0.0) return 0.0;
  const double a2 = (100.0 - m.symmetry) / 100.0 * m.rootChord;
  return (1.0 - y * p.sTe / (m.halfSpan * m.halfSpan)) * a2 * a2 / p.tTe;
}

bool ComputeEllipse(const EllipseModel& m, EllipseTangencies& carried, EllipseComputation& out) {
  if (!EllipseModelInRange(m)) return false;
  const double b = m.halfSpan;
  const double b2 = b * b;
  const double s = m.symmetry;
  const double a1 = s / 100.0 * m.rootChord;
  const double a2 = (100.0 - s) / 100.0 * m.rootChord;

  EllipseComputation r;
  double y = b;
  double x = s / 100.0 * m.tipChord;               // outer leading-edge point
  double xTe = -(100.0 - s) / 100.0 * m.tipChord;  // outer trailing-edge point
  bool ended = false;
  for (std::size_t k = 0; k < static_cast<std::size_t>(kMaxEllipsePanels); ++k) {
    EllipsePanel& p = r.panels[k];
    p.outerY = y;
    p.outerLeX = x;
    p.outerTeX = xTe;

    // y = 0 (the lengths have reached the root) has no tangency either.
    if (a1 * y == 0.0) {
      p.t = p.s = 0.0;
    } else {
      p.t = carried.t[k];
      p.s = tangency(a1, b, x, y, true, p.t);
    }
    if (a2 * y == 0.0) {
      p.tTe = p.sTe = 0.0;
    } else {
      p.tTe = carried.tTe[k];
      p.sTe = tangency(a2, b, xTe, y, false, p.tTe);
    }
    carried.t[k] = p.t;
    carried.tTe[k] = p.tTe;

    // Where each tangent reaches the root end of its ellipse (x = A1, x = −A2).
    const double yLe =
        (p.s == 0.0 || a1 - p.t <= kRootLimitMargin) ? 0.0 : (1.0 - p.t / a1) * b2 / p.s;
    const double yTe =
        (p.sTe == 0.0 || a2 + p.tTe <= kRootLimitMargin) ? 0.0 : (1.0 + p.tTe / a2) * b2 / p.sTe;
    const double rootLimit = y - std::max(yLe, yTe);

    const double leLength = s <= 0.0 ? 0.0 : std::min(2.0 * (y - p.s), y);
    const double teLength = s >= 100.0 ? 0.0 : std::min(2.0 * (y - p.sTe), y);
    const double length = (a2 > a1 && s < 100.0) ? teLength : leLength;
    double l = std::max(0.0, std::min(length, rootLimit));
    if (!std::isfinite(l) || ended) l = 0.0;
    // The lengths never pass the root.
    l = std::min(l, y);
    if (l <= 0.0) ended = true;
    p.length = l;
    if (!ended) ++r.count;

    const double next = y - l;
    x = EllipseLeadingEdgeX(m, p, next);
    xTe = EllipseTrailingEdgeX(m, p, next);
    y = next;
  }

  const auto n = static_cast<std::size_t>(r.count);
  for (std::size_t k = 0; k < n; ++k) {
    EllipsePanel& p = r.panels[k];
    p.tipChord = k == 0 ? m.tipChord : r.panels[k - 1].rootChord;
    p.rootChord = k + 1 < n ? r.panels[k + 1].outerLeX - r.panels[k + 1].outerTeX
                            : EllipseLeadingEdgeX(m, p, 0.0) - EllipseTrailingEdgeX(m, p, 0.0);
    const double sweep = p.t == 0.0 || s <= 0.0 ? 0.0 : p.length * p.s * a1 * a1 / (b2 * p.t);
    p.sweep = std::isfinite(sweep) ? std::max(0.0, sweep) : 0.0;
    r.totalLength += p.length;
    r.totalSweep += p.sweep;
    r.panelsSurface += (p.rootChord + p.tipChord) * p.length / 2.0;
  }
  r.panelsSurface *= kMm2ToDm2;
  r.modelSurface = (b * a1 + b * a2) * kPiForSurface * 0.25 * kMm2ToDm2;
  r.lengthOverAverageChord = kAspectFactor * b / m.rootChord;
  out = r;
  return true;
}

EllipticalWingForm::EllipticalWingForm(CT1Doc& doc) : doc_(doc) {
  if (!doc.panels.empty() && doc.currentPanel >= 0 &&
      static_cast<std::size_t>(doc.currentPanel) < doc.panels.size()) {
    const Panel& p = doc.current();
    const double rootChord = p.root.params.chord;
    const double tipChord = p.tip.params.chord;
    const double difference = rootChord - tipChord;
    double symmetry = 0.0;
    if (p.sweep > 0.0 && p.sweep < difference) symmetry = 100.0 * p.sweep / difference;
    if (!(difference > p.sweep)) symmetry = 100.0;
    model_ = {wholeNumber(p.span), wholeNumber(rootChord), wholeNumber(tipChord),
              wholeNumber(symmetry)};
  }
  texts_[index(Field::HalfSpan)] = wholeText(model_.halfSpan);
  texts_[index(Field::RootChord)] = wholeText(model_.rootChord);
  texts_[index(Field::TipChord)] = wholeText(model_.tipChord);
  texts_[index(Field::Symmetry)] = wholeText(model_.symmetry);
  recompute();
}

std::string_view EllipticalWingForm::title() {
  return messageText(Msg::EllipsoidalWingDesignTitle);
}

std::span<const FieldInfo> EllipticalWingForm::fieldTable() const {
  static const FieldInfo kTable[] = {
      {id(Field::HalfSpan), "halfSpan", FieldKind::Text, messageText(Msg::HalfSpanMm)},
      {id(Field::RootChord), "rootChord", FieldKind::Text, messageText(Msg::RootCordMm)},
      {id(Field::TipChord), "tipChord", FieldKind::Text, messageText(Msg::TipCordMm)},
      {id(Field::Symmetry), "symmetry", FieldKind::Text, messageText(Msg::SymetryPercent)},
      {id(Field::LeftHalfEllipse), "leftHalfEllipse", FieldKind::Check,
       messageText(Msg::DisplayLeftHalfEllipse)},
      {id(Field::RightHalfEllipse), "rightHalfEllipse", FieldKind::Check,
       messageText(Msg::DisplayRightHalfEllipse)},
      {id(Field::LeftPanels), "leftPanels", FieldKind::Check, messageText(Msg::DisplayLeftPanels)},
      {id(Field::RightPanels), "rightPanels", FieldKind::Check,
       messageText(Msg::DisplayRightPanels)},
  };
  return kTable;
}

std::string EllipticalWingForm::fieldText(int field) const {
  return texts_[static_cast<std::size_t>(field)];
}

bool EllipticalWingForm::fieldChecked(int field) const {
  return options_[static_cast<std::size_t>(field - id(Field::LeftHalfEllipse))];
}

bool EllipticalWingForm::takeChecked(int field, bool on) {
  options_[static_cast<std::size_t>(field - id(Field::LeftHalfEllipse))] = on;
  recompute();
  return true;
}

bool EllipticalWingForm::takeText(int id, std::string_view text) {
  const auto field = static_cast<Field>(id);
  texts_[index(field)] = text;
  const double value = leadingNumber(text);
  switch (field) {
    case Field::HalfSpan:
      if (value != 0.0) model_.halfSpan = wholeNumber(value);
      break;
    case Field::RootChord:
      if (value != 0.0) model_.rootChord = wholeNumber(value);
      break;
    case Field::TipChord:
      if (value != 0.0) model_.tipChord = wholeNumber(value);
      break;
    case Field::Symmetry:
      model_.symmetry = wholeNumber(value);
      break;
    default:
      break;
  }
  recompute();
  return true;
}

bool EllipticalWingForm::option(EllipseDisplayOption option) const {
  return options_.at(static_cast<std::size_t>(option));
}

void EllipticalWingForm::recompute() { ComputeEllipse(model_, tangencies_, computation_); }

bool EllipticalWingForm::readField(Field field, double min, double max, double& value) {
  UserPrompt& prompt = doc_.context().prompt;
  const std::optional<double> v = parseNonNegativeInt(texts_[index(field)]);
  const auto fail = [&](const std::string& message) {
    prompt.showMessage(message, MessageIcon::Warning);
    return refuse(id(field), message);
  };
  if (!v) return fail(formatMessage(Msg::PleaseEnterAPositiveInteger));
  if (*v < min || *v > max) {
    return fail(formatMessage(Msg::PleaseEnterAnIntegerBetween, {wholeText(min), wholeText(max)}));
  }
  value = *v;
  return true;
}

bool EllipticalWingForm::validate() {
  EllipseModel v;
  if (!readField(Field::HalfSpan, kMinHalfSpan, kMaxHalfSpan, v.halfSpan) ||
      !readField(Field::RootChord, kMinChord, kMaxChord, v.rootChord) ||
      !readField(Field::TipChord, kMinChord, kMaxChord, v.tipChord) ||
      !readField(Field::Symmetry, kMinSymmetry, kMaxSymmetry, v.symmetry)) {
    return false;
  }
  focus_ = -1;
  validated_ = v;
  return true;
}

bool EllipticalWingForm::accept() {
  built_ = false;
  if (!validate()) return false;
  // The panels are built from the values just checked, whatever was shown.
  model_ = validated_;
  recompute();
  if (computation_.count == 0 || doc_.panels.empty() || doc_.currentPanel < 0 ||
      static_cast<std::size_t>(doc_.currentPanel) >= doc_.panels.size()) {
    return true;
  }
  build(computation_);
  built_ = true;
  return true;
}

void EllipticalWingForm::build(const EllipseComputation& result) {
  CT1Doc::ChangeBatch batch(doc_);
  const int original = doc_.currentPanel;
  // Root side first: each new panel goes after the one made before it.
  for (const EllipsePanel& e : result.rootFirst()) {
    NewPanelAfterCurrent(doc_);
    Panel& p = doc_.current();
    p.span = std::trunc(e.length);
    p.root.params.chord = e.rootChord;
    p.tip.params.chord = e.tipChord;
    p.sweep = e.sweep;
    p.differentRootTip = e.sweep != 0.0 || e.rootChord != e.tipChord;
    p.Rebuild(doc_.splines, false);
  }
  doc_.currentPanel = original;
  DeleteCurrentPanel(doc_);
  AlignPanelsAndMargins(doc_);
  doc_.markModified(DocChange::PanelGeometry);
}

}  // namespace orva
