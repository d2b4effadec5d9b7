#include "model/PanelFieldTable.h"

namespace orva {

namespace {

using P = PanelFields;
using S = SectionParams;
using R = SparRecord;

// Versions in which fields were added or changed their size.
constexpr double kSparThickness = 1002.0;
constexpr double kPanelBlockPosition = 1004.0;
constexpr double kWingPanel = 1005.0;
constexpr double kDihedral = 1007.0;

const Field<P> kPanelFields[] = {
    {.key = "differentRootTip", .what = "different root/tip flag",
     .member = &P::differentRootTip, .jsonRank = 0},
    {.key = "sweep", .what = "sweep", .member = &P::sweep, .jsonRank = 3},
    {.key = "sectionCutEnabled", .what = "intermediate section flag",
     .member = &P::sectionCutEnabled, .jsonRank = 10},
    {.key = "sectionCutZ", .what = "intermediate section position", .member = &P::sectionCutZ,
     .jsonRank = 11},
    {.key = "leMode", .what = "leading-edge mode", .member = &P::leMode, .low = LeNone,
     .high = LeXCut, .jsonRank = 9},
    {.key = "teMode", .what = "trailing-edge mode", .member = &P::teMode, .low = TeHorizontal,
     .high = TeUpperSurface, .jsonRank = 8},
    {.key = "span", .what = "span", .member = &P::span, .wholeBefore = kWingPanel,
     .positive = true, .jsonRank = 2},
    {.key = "foamThickness", .what = "foam thickness", .member = &P::foamThickness,
     .positive = true, .jsonRank = 4},
    {.key = "skinEnabled", .what = "skin flag", .member = &P::skinEnabled, .jsonRank = 5},
    {.key = "offsetX0", .what = "offset X0", .member = &P::offsetX0,
     .since = kPanelBlockPosition, .jsonRank = 12},
    {.key = "blockCentredZ", .what = "block centred flag", .member = &P::blockCentredZ,
     .since = kPanelBlockPosition, .jsonRank = 13},
    {.key = "rootAxisOffset", .what = "root axis offset", .member = &P::rootAxisOffset,
     .since = kPanelBlockPosition, .jsonRank = 14},
    {.key = "wingPanel", .what = "wing panel flag", .member = &P::wingPanel, .since = kWingPanel,
     .jsonRank = 1},
    {.key = "dihedralInDegrees", .what = "dihedral in degrees flag",
     .member = &P::dihedralInDegrees, .since = kDihedral, .jsonRank = 6},
    {.key = "dihedral", .what = "dihedral", .member = &P::dihedral, .since = kDihedral,
     .jsonRank = 7},
};

const Field<S> kSectionFields[] = {
    {.key = "basicHeight", .what = "basic height", .member = &S::basicHeight, .jsonRank = 0},
    {.key = "chord", .what = "chord", .member = &S::chord, .positive = true, .jsonRank = 1},
    {.key = "leMargin", .what = "leading-edge margin", .member = &S::leMargin, .jsonRank = 2},
    {.key = "teMargin", .what = "trailing-edge margin", .member = &S::teMargin, .jsonRank = 3},
    {.key = "skin", .what = "skin", .member = &S::skin, .jsonRank = 4},
    {.key = "washout", .what = "washout", .member = &S::washout, .jsonRank = 5},
    {.key = "xleH1", .what = "X leading edge h1", .member = &S::xleH1, .jsonRank = 6},
    {.key = "xleH2", .what = "X leading edge h2", .member = &S::xleH2, .jsonRank = 7},
    {.key = "xleLength", .what = "X leading edge length", .member = &S::xleLength,
     .jsonRank = 8},
    {.key = "xleBeta", .what = "X leading edge beta", .member = &S::xleBeta, .jsonRank = 9},
    {.key = "xleAlpha", .what = "X leading edge alpha", .member = &S::xleAlpha, .jsonRank = 10},
    // Kept in the file, not used, not shown.
    {.key = nullptr, .what = "reserved value", .member = &S::reserved},
};

const Field<R> kSparFields[] = {
    {.key = "active", .what = "active flag", .member = &R::active, .jsonRank = 0},
    {.key = "label", .what = "label", .member = &R::label, .jsonRank = 1},
    {.key = "widthMode", .what = "width mode", .member = &R::widthMode, .low = 0, .high = 2,
     .jsonRank = 5},
    {.key = "tipWidth", .what = "tip width", .member = &R::tipWidth, .jsonRank = 7},
    {.key = "rootWidth", .what = "root width", .member = &R::rootWidth, .jsonRank = 6},
    {.key = "rootThickness", .what = "root thickness", .member = &R::rootThickness,
     .jsonRank = 9},
    {.key = "distance", .what = "distance", .member = &R::distance, .jsonRank = 3},
    // 0 only arises from the type remap of old files and marks a record of no category.
    {.key = "type", .what = "type", .member = &R::type, .low = 0, .high = 7, .jsonRank = 2},
    {.key = "thicknessMode", .what = "thickness mode", .member = &R::thicknessMode,
     .since = kSparThickness, .low = 0, .high = 2, .jsonRank = 8},
    {.key = "tipThickness", .what = "tip thickness", .member = &R::tipThickness,
     .since = kSparThickness, .jsonRank = 10},
    {.key = "distanceInPercent", .what = "percent flag", .member = &R::distanceInPercent,
     .since = kDihedral, .jsonRank = 4},
};

}  // namespace

std::span<const Field<PanelFields>> PanelFieldTable::panel() { return kPanelFields; }
std::span<const Field<SectionParams>> PanelFieldTable::section() { return kSectionFields; }
std::span<const Field<SparRecord>> PanelFieldTable::spar() { return kSparFields; }

}  // namespace orva
