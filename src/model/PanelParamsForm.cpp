#include "model/PanelParamsForm.h"

#include <array>
#include <cmath>
#include <limits>
#include <utility>

#include "common/Messages.h"
#include "common/NumberText.h"
#include "common/UserPrompt.h"
#include "geometry/Point2D.h"
#include "model/CT1Doc.h"

namespace orva {

namespace {

using Field = PanelField;

struct Range {
  double min;
  double max;
};

// The accepted range of an edit box; nothing for "any number".
std::optional<Range> rangeOf(Field field) {
  switch (field) {
    case Field::FoamThickness:
      return Range{0.0, 500000.0};
    case Field::RootChord:
    case Field::TipChord:
      return Range{0.1, 10000.0};
    case Field::RootWashout:
    case Field::TipWashout:
      return Range{-90.0, 90.0};
    case Field::RootSkin:
    case Field::TipSkin:
      return Range{-10.0, 10.0};
    default:
      return std::nullopt;
  }
}

bool isAirfoil(Field field) { return field == Field::RootAirfoil || field == Field::TipAirfoil; }

// The dihedral in degrees of a panel whose tip stands `rise` mm above its
// root over `span` mm, truncated towards zero to 4 decimals. Nothing for a
// span of 0 (no angle can be derived) or a result that is not a number.
std::optional<double> dihedralFromHeights(double rise, double span) {
  if (span == 0.0) return std::nullopt;
  const double degrees = std::atan(rise / span) * 180.0 / kPi;
  const double truncated = std::trunc(degrees * 10000.0) / 10000.0;
  if (!std::isfinite(truncated)) return std::nullopt;
  return truncated;
}

}  // namespace

PanelParamsForm::PanelParamsForm(CT1Doc& doc) : doc_(doc), panelIndex_(doc.currentPanel) {
  const Panel& p = doc_.current();
  checks_[index(Field::WingPanel)] = p.wingPanel;
  checks_[index(Field::DifferentRootTip)] = p.differentRootTip;
  checks_[index(Field::Skin)] = p.skinEnabled;
  checks_[index(Field::DihedralInDegrees)] = p.dihedralInDegrees;

  setNumber(Field::FoamThickness, p.foamThickness);
  setNumber(Field::Span, p.span);
  setNumber(Field::Sweep, p.sweep);
  double dihedral = p.dihedral;
  if (!p.dihedralInDegrees) {
    if (const auto d =
            dihedralFromHeights(p.tip.params.basicHeight - p.root.params.basicHeight, p.span)) {
      dihedral = *d;
    }
  }
  setNumber(Field::Dihedral, dihedral);

  const auto column = [this](const Section& s, bool tip) {
    const auto f = [tip](Field root) {
      return tip ? static_cast<Field>(static_cast<int>(root) + static_cast<int>(Field::TipAirfoil) -
                                      static_cast<int>(Field::RootAirfoil))
                 : root;
    };
    setNumber(f(Field::RootChord), s.params.chord);
    setNumber(f(Field::RootLeMargin), s.params.leMargin);
    setNumber(f(Field::RootTeMargin), s.params.teMargin);
    setNumber(f(Field::RootWashout), s.params.washout);
    setNumber(f(Field::RootBasicHeight), s.params.basicHeight);
    setNumber(f(Field::RootSkin), s.params.skin);
  };
  column(p.root, false);
  column(p.tip, true);
  // What the boxes show at opening is what they stand for exactly: a box left
  // alone gives back the stored value, not its 15-digit text read again.
  shownTexts_ = texts_;
  shownValues_[index(Field::Dihedral)] = dihedral;
  showProfileFigures(false);
  showProfileFigures(true);
}

std::string_view PanelParamsForm::title() { return messageText(Msg::PanelParametersTitle); }

std::string_view PanelParamsForm::label(Field field) {
  switch (field) {
    case Field::FoamThickness:
      return messageText(Msg::FoamThicknessMm);
    case Field::Span:
      return messageText(Msg::PanelSpanMm);
    case Field::Sweep:
      return messageText(Msg::SweepBackMm);
    case Field::WingPanel:
      return messageText(Msg::WingPanel);
    case Field::DifferentRootTip:
      return messageText(Msg::DifferentRootTip);
    case Field::Skin:
      return messageText(Msg::Skin);
    case Field::DihedralInDegrees:
      return messageText(Msg::DihedralInDegree);
    case Field::Dihedral:
      return messageText(Msg::DihedralDeg);
    case Field::RootAirfoil:
    case Field::TipAirfoil:
      return messageText(Msg::AirfoilFile);
    case Field::RootChord:
    case Field::TipChord:
      return messageText(Msg::CordMm);
    case Field::RootLeMargin:
      return messageText(Msg::RootLeadingEdgeMarginMm);
    case Field::TipLeMargin:
      return messageText(Msg::TipLeadingEdgeMarginMm);
    case Field::RootTeMargin:
      return messageText(Msg::RootTrailingEdgeMarginMm);
    case Field::TipTeMargin:
      return messageText(Msg::TipTrailingEdgeMarginMm);
    case Field::RootWashout:
    case Field::TipWashout:
      return messageText(Msg::WashoutDeg);
    case Field::RootBasicHeight:
    case Field::TipBasicHeight:
      return messageText(Msg::BasicHeightMm);
    case Field::RootCamber:
    case Field::TipCamber:
      return messageText(Msg::CamberPercent);
    case Field::RootThickness:
    case Field::TipThickness:
      return messageText(Msg::ThicknessPercent);
    case Field::RootSkin:
    case Field::TipSkin:
      return messageText(Msg::SkinMm);
    default:
      return {};
  }
}

bool PanelParamsForm::isCheckBox(Field field) {
  return field == Field::WingPanel || field == Field::DifferentRootTip || field == Field::Skin ||
         field == Field::DihedralInDegrees;
}

std::span<const FieldInfo> PanelParamsForm::fieldTable() const {
  static const auto kTable = [] {
    constexpr std::string_view kNames[kFields] = {
        "foamThickness", "span", "sweep", "wingPanel", "differentRootTip", "skin",
        "dihedralInDegrees", "dihedral", "rootAirfoil", "rootChord", "rootLeMargin",
        "rootTeMargin", "rootWashout", "rootBasicHeight", "rootCamber", "rootThickness",
        "rootSkin", "tipAirfoil", "tipChord", "tipLeMargin", "tipTeMargin", "tipWashout",
        "tipBasicHeight", "tipCamber", "tipThickness", "tipSkin", "rootBrowse", "tipBrowse"};
    std::array<FieldInfo, kFields> table{};
    for (std::size_t i = 0; i < kFields; ++i) {
      const auto field = static_cast<Field>(i);
      FieldKind kind = FieldKind::Text;
      if (isCheckBox(field)) kind = FieldKind::Check;
      if (isAirfoil(field)) kind = FieldKind::Display;
      if (field == Field::RootBrowse || field == Field::TipBrowse) kind = FieldKind::Button;
      table[i] = {static_cast<int>(i), kNames[i], kind,
                  kind == FieldKind::Button ? messageText(Msg::BrowseEllipsis) : label(field)};
    }
    return table;
  }();
  return kTable;
}

bool PanelParamsForm::fieldEnabled(int id) const {
  const auto field = static_cast<Field>(id);
  const bool different = checks_[index(Field::DifferentRootTip)];
  const bool inDegrees = checks_[index(Field::DihedralInDegrees)];
  const bool skin = checks_[index(Field::Skin)];
  switch (field) {
    case Field::FoamThickness:
    case Field::Span:
    case Field::WingPanel:
    case Field::DifferentRootTip:
    case Field::Skin:
    case Field::RootAirfoil:
    case Field::RootBrowse:
    case Field::RootChord:
    case Field::RootLeMargin:
    case Field::RootTeMargin:
    case Field::RootWashout:
    case Field::RootBasicHeight:
    case Field::RootCamber:
    case Field::RootThickness:
      return true;
    case Field::Sweep:
    case Field::DihedralInDegrees:
    case Field::TipAirfoil:
    case Field::TipBrowse:
    case Field::TipChord:
    case Field::TipWashout:
    case Field::TipCamber:
    case Field::TipThickness:
      return different;
    case Field::Dihedral:
      return different && inDegrees;
    case Field::TipBasicHeight:
      return different && !inDegrees;
    case Field::RootSkin:
      return skin;
    case Field::TipSkin:
      return skin && different;
    case Field::TipLeMargin:
    case Field::TipTeMargin:
    default:
      return false;
  }
}

void PanelParamsForm::show(Field field, std::string text) {
  texts_[index(field)] = std::move(text);
}

void PanelParamsForm::setNumber(Field field, double value) {
  texts_[index(field)] = numberText(value);
  shownValues_[index(field)] = value;
}

double PanelParamsForm::live(Field field) const { return leadingNumber(texts_[index(field)]); }

void PanelParamsForm::showProfileFigures(bool tip) {
  const Panel& p = doc_.panels.at(static_cast<std::size_t>(panelIndex_));
  const Profile& profile = tip ? p.tip.profile : p.root.profile;
  const Field name = tip ? Field::TipAirfoil : Field::RootAirfoil;
  const Field camber = tip ? Field::TipCamber : Field::RootCamber;
  const Field thickness = tip ? Field::TipThickness : Field::RootThickness;
  show(name, profile.name);
  setNumber(camber, profile.maxCamber * 100.0);
  setNumber(thickness, profile.maxThickness * 100.0);
  for (const Field f : {name, camber, thickness}) shownTexts_[index(f)] = texts_[index(f)];
}

void PanelParamsForm::updateTipMargins(Field changedMargin) {
  const double rootChord = live(Field::RootChord);
  const double tipChord = live(Field::TipChord);
  const std::pair<Field, Field> margins[] = {{Field::RootLeMargin, Field::TipLeMargin},
                                             {Field::RootTeMargin, Field::TipTeMargin}};
  bool ran = false;
  for (const auto& [rootField, tipField] : margins) {
    const double m = live(rootField);
    if (m > 0.0) {
      // No tip margin can be derived from a root chord of 0.
      if (rootChord == 0.0) continue;
      const double derived = m * tipChord / rootChord;
      if (std::isfinite(derived)) texts_[index(tipField)] = fixedText(derived);
      ran = true;
    } else if (rootField == changedMargin) {
      // A root margin of 0 or less is taken over as it is (no division).
      texts_[index(tipField)] = fixedText(m);
      ran = true;
    }
  }
  if (!ran) return;
  // Both tip boxes are shown in the same format once the rule has run.
  for (const Field f : {Field::TipLeMargin, Field::TipTeMargin}) {
    texts_[index(f)] = fixedText(live(f));
  }
}

void PanelParamsForm::updateTipBasicHeightFromDihedral() {
  const double height = live(Field::RootBasicHeight) +
                        live(Field::Span) * std::sin(live(Field::Dihedral) * kPi / 180.0);
  if (std::isfinite(height)) show(Field::TipBasicHeight, numberText(height));
}

void PanelParamsForm::updateDihedralFromHeights() {
  const auto d = dihedralFromHeights(live(Field::TipBasicHeight) - live(Field::RootBasicHeight),
                                     live(Field::Span));
  if (d) show(Field::Dihedral, numberText(*d));
}

void PanelParamsForm::copyRootToTip() {
  for (const auto& [from, to] :
       {std::pair{Field::RootSkin, Field::TipSkin}, std::pair{Field::RootCamber, Field::TipCamber},
        std::pair{Field::RootThickness, Field::TipThickness},
        std::pair{Field::RootAirfoil, Field::TipAirfoil}}) {
    texts_[index(to)] = texts_[index(from)];
  }
  const double rootChord = live(Field::RootChord);
  if (rootChord != 0.0) {
    const double ratio = live(Field::TipChord) / rootChord;
    for (const auto& [from, to] : {std::pair{Field::RootLeMargin, Field::TipLeMargin},
                                   std::pair{Field::RootTeMargin, Field::TipTeMargin}}) {
      const double derived = live(from) * ratio;
      if (std::isfinite(derived)) texts_[index(to)] = fixedText(derived);
    }
  }
  if (checks_[index(Field::DihedralInDegrees)]) {
    updateTipBasicHeightFromDihedral();
  } else {
    texts_[index(Field::TipBasicHeight)] = texts_[index(Field::RootBasicHeight)];
  }
}

bool PanelParamsForm::takeText(int id, std::string_view text) {
  const auto field = static_cast<Field>(id);
  const double before = live(field);
  show(field, std::string(text));
  if (text.empty() || text == "-" || text == ".") return true;
  if (live(field) == before) return true;

  const bool different = checks_[index(Field::DifferentRootTip)];
  const bool inDegrees = checks_[index(Field::DihedralInDegrees)];
  switch (field) {
    case Field::RootChord:
    case Field::TipChord:
      if (different) updateTipMargins(Field::None);
      break;
    case Field::RootLeMargin:
    case Field::RootTeMargin:
      if (different) updateTipMargins(field);
      break;
    case Field::Dihedral:
      if (inDegrees && different) updateTipBasicHeightFromDihedral();
      break;
    case Field::RootBasicHeight:
      if (inDegrees) {
        if (different) updateTipBasicHeightFromDihedral();
      } else {
        updateDihedralFromHeights();
      }
      break;
    case Field::TipBasicHeight:
      if (!inDegrees) updateDihedralFromHeights();
      break;
    default:
      break;
  }
  return true;
}

bool PanelParamsForm::takeChecked(int id, bool value) {
  const auto field = static_cast<Field>(id);
  const bool before = checks_[index(field)];
  checks_[index(field)] = value;
  if (field == Field::DifferentRootTip && value && !before) copyRootToTip();
  return true;
}

bool PanelParamsForm::browseProfile(bool tip) {
  if (!browseEnabled(tip)) return false;
  if (!(tip ? doc_.SelectTipProfile() : doc_.SelectRootProfile())) return false;
  showProfileFigures(tip);
  // With the tip still following the root, its boxes show the root's profile.
  if (!tip && !checks_[index(Field::DifferentRootTip)]) showProfileFigures(true);
  notifyChanged();
  return true;
}

bool PanelParamsForm::fail(Field field, const std::string& message) {
  doc_.context().prompt.showMessage(message, MessageIcon::Warning);
  return refuse(id(field), message);
}

bool PanelParamsForm::readValue(Field field, double& value) {
  const std::size_t i = index(field);
  if (texts_[i] == shownTexts_[i]) {
    value = shownValues_[i];
  } else if (const auto parsed = parseNumber(texts_[i])) {
    value = *parsed;
  } else if (enabled(field)) {
    return fail(field, std::string(messageText(Msg::PleaseEnterANumber)));
  } else {
    // A derived box the user cannot edit: its leading number.
    value = live(field);
  }
  if (!enabled(field)) return true;
  if (const auto range = rangeOf(field); range && (value < range->min || value > range->max)) {
    return fail(field, formatMessage(Msg::PleaseEnterANumberBetween,
                                     {numberText(range->min), numberText(range->max)}));
  }
  return true;
}

bool PanelParamsForm::validate() {
  for (std::size_t i = 0; i < kFields; ++i) {
    const auto field = static_cast<Field>(i);
    if (isCheckBox(field) || isAirfoil(field) || field == Field::RootBrowse ||
        field == Field::TipBrowse || !enabled(field)) {
      continue;
    }
    double value = 0.0;
    if (!readValue(field, value)) return false;
  }
  focus_ = -1;
  return true;
}

bool PanelParamsForm::accept() {
  if (!validate()) return false;
  const auto v = [this](Field field) {
    double value = 0.0;
    readValue(field, value);  // cannot fail after validate()
    return value;
  };
  // A camber or thickness box left alone hands the profile its own figure,
  // so the shape is not touched by a round trip through the box's text.
  const auto fraction = [this, &v](Field field, double own) {
    return texts_[index(field)] == shownTexts_[index(field)] ? own : v(field) / 100.0;
  };
  const bool skin = checks_[index(Field::Skin)];
  const bool different = checks_[index(Field::DifferentRootTip)];

  Panel& p = doc_.panels.at(static_cast<std::size_t>(panelIndex_));
  p.foamThickness = v(Field::FoamThickness);
  p.span = v(Field::Span);
  p.skinEnabled = skin;
  p.root.params.skin = skin ? v(Field::RootSkin) : 0.0;
  p.root.profile.SetThickness(fraction(Field::RootThickness, p.root.profile.maxThickness));
  p.root.params.washout = v(Field::RootWashout);
  p.root.params.chord = v(Field::RootChord);
  p.root.params.basicHeight = v(Field::RootBasicHeight);
  p.wingPanel = checks_[index(Field::WingPanel)];
  p.dihedralInDegrees = checks_[index(Field::DihedralInDegrees)];
  p.dihedral = v(Field::Dihedral);
  p.root.profile.SetCamber(fraction(Field::RootCamber, p.root.profile.maxCamber));
  p.root.params.leMargin = v(Field::RootLeMargin);
  p.root.params.teMargin = v(Field::RootTeMargin);
  p.tip.params.leMargin = v(Field::TipLeMargin);
  p.tip.params.teMargin = v(Field::TipTeMargin);
  p.differentRootTip = different;
  p.sweep = v(Field::Sweep);
  if (different) {
    p.tip.params.skin = skin ? v(Field::TipSkin) : 0.0;
    p.tip.profile.SetThickness(fraction(Field::TipThickness, p.tip.profile.maxThickness));
    p.tip.params.washout = v(Field::TipWashout);
    p.tip.params.chord = v(Field::TipChord);
    p.tip.params.basicHeight = v(Field::TipBasicHeight);
    p.tip.profile.SetCamber(fraction(Field::TipCamber, p.tip.profile.maxCamber));
  } else {
    p.sweep = 0.0;
  }
  p.Rebuild(doc_.splines, /*afterDialog=*/true);
  doc_.markModified(DocChange::PanelGeometry);
  return true;
}

}  // namespace orva
