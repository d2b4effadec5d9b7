#include "model/ContentsCodec.h"

#include <bit>
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <limits>
#include <utility>

#include "common/CodePage.h"
#include "geometry/Profile.h"

namespace orva {

namespace {

constexpr std::size_t kMaxSurfacePoints = 0xFFFF;
constexpr std::size_t kPointBytes = 16;
constexpr int kOldSparCount = 6;

// Version thresholds of the layout changes.
constexpr double kVersionWithBasicHeight = 1000.0;  // basic height stored above this
constexpr double kVersionWithSparThickness = 1002.0;
constexpr double kVersionMultiPanel = 1003.0;
constexpr double kVersionPanelBlockPosition = 1004.0;
constexpr double kVersionWingPanel = 1005.0;
constexpr double kVersionTenSpars = 1005.0;  // more than this: ten records
constexpr double kVersionDihedral = 1007.0;

// Internal: thrown by the reader, caught by decodeContents.
struct DecodeError {
  std::string what;
};

// ---------------------------------------------------------------------------
// Reading

class Reader {
 public:
  explicit Reader(std::string_view bytes) : bytes_(bytes) {}

  std::size_t remaining() const { return bytes_.size() - pos_; }
  std::size_t position() const { return pos_; }

  [[noreturn]] void fail(const std::string& what) const {
    throw DecodeError{what + " (at byte " + std::to_string(pos_) + ")"};
  }

  void need(std::size_t n, const char* what) const {
    if (n > remaining()) fail(std::string("stream ends early in ") + what);
  }

  void skip(std::size_t n, const char* what) {
    need(n, what);
    pos_ += n;
  }

  std::uint16_t u16(const char* what) {
    need(2, what);
    const auto v = static_cast<std::uint16_t>(byte(0) | (byte(1) << 8));
    pos_ += 2;
    return v;
  }

  std::uint32_t u32(const char* what) {
    need(4, what);
    std::uint32_t v = 0;
    for (int i = 3; i >= 0; --i) v = (v << 8) | byte(static_cast<std::size_t>(i));
    pos_ += 4;
    return v;
  }

  // A signed 32-bit value stored in two's complement.
  int i32(const char* what) { return static_cast<int>(static_cast<std::int32_t>(u32(what))); }

  bool flag(const char* what) { return u32(what) != 0; }

  double f64(const char* what) {
    need(8, what);
    std::uint64_t v = 0;
    for (int i = 7; i >= 0; --i) v = (v << 8) | byte(static_cast<std::size_t>(i));
    pos_ += 8;
    return std::bit_cast<double>(v);
  }

  std::string text(const char* what) {
    need(1, what);
    std::uint32_t length = byte(0);
    ++pos_;
    if (length == 0xFF) {
      const std::uint16_t wide = u16(what);
      if (wide == 0xFFFE) fail(std::string("unsupported text prefix in ") + what);
      length = wide == 0xFFFF ? u32(what) : wide;
    }
    need(length, what);
    std::string out = cp1252ToUtf8(bytes_.substr(pos_, length));
    pos_ += length;
    return out;
  }

  PointList points(const char* what) {
    const std::size_t count = u16(what);
    // Checked before the list is allocated.
    need(count * kPointBytes, what);
    PointList out;
    out.reserve(count);
    for (std::size_t i = 0; i < count; ++i) {
      const double x = f64(what);
      const double y = f64(what);
      out.push_back({x, y});
    }
    return out;
  }

 private:
  std::uint32_t byte(std::size_t offset) const {
    return static_cast<unsigned char>(bytes_[pos_ + offset]);
  }

  std::string_view bytes_;
  std::size_t pos_ = 0;
};

// The panel defaults, taken from a new Panel so that both agree.
StoredPanel defaultStoredPanel() { return storePanel(Panel{}); }

// The number of bytes a section block occupies at least (no points, empty name).
std::size_t minSectionBytes(double v) {
  return (v > kVersionWithBasicHeight ? 12 : 11) * 8 + 2 + 2 + 1;
}

std::size_t minSparBytes(double v) {
  std::size_t n = 4 + 1 + 4 + 4 * 8 + 4;
  if (v >= kVersionWithSparThickness) n += 4 + 8;
  if (v >= kVersionDihedral) n += 4;
  return n;
}

int sparCountFor(double v) { return v > kVersionTenSpars ? kSparCount : kOldSparCount; }

// The smallest panel block of the multi-panel layout (V >= 1003).
std::size_t minPanelBytes(double v) {
  std::size_t n = 4 + 8 + 4 + 4 + 4 + 4;  // fields 1 to 6
  n += v < kVersionWingPanel ? 4 : 8;     // span
  n += 8 + 4;                             // foam thickness, skin
  if (v >= kVersionPanelBlockPosition) n += 12;
  if (v >= kVersionWingPanel) n += 4;
  if (v >= kVersionDihedral) n += 4 + 8;
  n += 2 * minSectionBytes(v);
  n += static_cast<std::size_t>(sparCountFor(v)) * minSparBytes(v);
  return n;
}

StoredSection readSection(Reader& r, double v) {
  StoredSection s;
  SectionParams& p = s.params;
  p.basicHeight = v > kVersionWithBasicHeight ? r.f64("section basic height") : v;
  p.chord = r.f64("section chord");
  p.leMargin = r.f64("section leading-edge margin");
  p.teMargin = r.f64("section trailing-edge margin");
  p.skin = r.f64("section skin");
  p.washout = r.f64("section washout");
  p.xleH1 = r.f64("section X leading edge h1");
  p.xleH2 = r.f64("section X leading edge h2");
  p.xleLength = r.f64("section X leading edge length");
  p.xleBeta = r.f64("section X leading edge beta");
  p.xleAlpha = r.f64("section X leading edge alpha");
  // The reserved value has no meaning; one that is not a number is dropped.
  const double reserved = r.f64("section reserved value");
  p.reserved = std::isfinite(reserved) ? reserved : 0.0;
  s.upper = r.points("upper surface");
  s.lower = r.points("lower surface");
  s.profileName = r.text("profile name");
  return s;
}

SparRecord readSpar(Reader& r, double v) {
  SparRecord s;
  s.active = r.flag("spar active flag");
  s.label = r.text("spar label");
  s.widthMode = r.i32("spar width mode");
  s.tipWidth = r.f64("spar tip width");
  s.rootWidth = r.f64("spar root width");
  s.rootThickness = r.f64("spar root thickness");
  s.distance = r.f64("spar distance");
  const int type = r.i32("spar type");
  if (v < kVersionDihedral) {
    // Older files number the types one lower, with the last one wrapping to 0.
    if (type < 0) r.fail("negative spar type");
    s.type = static_cast<int>((static_cast<std::int64_t>(type) + 1) % 7);
  } else {
    s.type = type;
  }
  if (v >= kVersionWithSparThickness) {
    s.thicknessMode = r.i32("spar thickness mode");
    s.tipThickness = r.f64("spar tip thickness");
  } else {
    s.thicknessMode = 0;
    s.tipThickness = s.rootThickness;
  }
  s.distanceInPercent = v >= kVersionDihedral ? r.flag("spar percent flag") : true;
  return s;
}

void readSpars(Reader& r, double v, int count, StoredPanel& panel) {
  for (int i = 0; i < count; ++i) panel.spars[static_cast<std::size_t>(i)] = readSpar(r, v);
}

int readFlagAsInt(Reader& r, const char* what) { return r.flag(what) ? 1 : 0; }

// Files older than 1003: one panel, its sections first, then a trailer with
// the panel's other fields and the project's, then (above 1000) six spars.
void readSinglePanel(Reader& r, double v, ProjectData& d) {
  StoredPanel p = defaultStoredPanel();
  p.root = readSection(r, v);
  p.tip = readSection(r, v >= kVersionWithBasicHeight ? v : kContentsVersion);

  p.sweep = r.f64("sweep");
  d.cutChoices.wingSide = r.i32("wing side");
  p.span = static_cast<double>(r.i32("span"));
  p.skinEnabled = r.flag("skin flag");
  d.splines = r.flag("splines flag");
  p.differentRootTip = r.flag("different root/tip flag");
  r.skip(8, "unused value");
  r.skip(4, "unused value");
  r.skip(8, "unused value");
  r.skip(4, "unused value");
  p.sectionCutEnabled = r.flag("intermediate section flag");
  d.cutChoices.sectionReference = r.i32("section reference");
  p.sectionCutZ = r.i32("intermediate section position");
  r.i32("trimming mode");  // stored twice; the second one counts
  d.cutChoices.trimmingMode = r.i32("trimming mode");
  p.foamThickness = r.f64("foam thickness");
  d.cutChoices.cutOrder = r.i32("cut order");
  d.cutChoices.kerfCompensationA = readFlagAsInt(r, "kerf compensation flag");
  d.cutChoices.kerfCompensationB = readFlagAsInt(r, "kerf compensation flag");
  d.cutChoices.referenceLowerSurface = readFlagAsInt(r, "reference lower surface flag");
  r.skip(4, "unused value");
  LegacyBlockPosition block;
  block.offsetX0 = r.i32("offset X0");
  block.rootAxisOffset = r.i32("root axis offset");
  block.blockCentredZ = r.flag("block centred flag");
  d.foamName = r.text("foam name");
  d.cutSpeed = r.f64("cutting speed");
  p.teMode = r.i32("trailing-edge mode");
  r.skip(4, "unused value");
  p.leMode = r.i32("leading-edge mode");
  d.comments = r.text("comments");
  if (v > kVersionWithBasicHeight) readSpars(r, v, kOldSparCount, p);

  p.offsetX0 = block.offsetX0;
  p.rootAxisOffset = block.rootAxisOffset;
  p.blockCentredZ = block.blockCentredZ;
  d.legacyBlockPosition = block;
  d.panels.push_back(std::move(p));
}

StoredPanel readPanel(Reader& r, double v, const StoredPanel& defaults) {
  StoredPanel p = defaults;
  p.differentRootTip = r.flag("different root/tip flag");
  p.sweep = r.f64("sweep");
  p.sectionCutEnabled = r.flag("intermediate section flag");
  p.sectionCutZ = r.i32("intermediate section position");
  p.leMode = r.i32("leading-edge mode");
  p.teMode = r.i32("trailing-edge mode");
  p.span = v < kVersionWingPanel ? static_cast<double>(r.i32("span")) : r.f64("span");
  p.foamThickness = r.f64("foam thickness");
  p.skinEnabled = r.flag("skin flag");
  if (v >= kVersionPanelBlockPosition) {
    p.offsetX0 = r.i32("offset X0");
    p.blockCentredZ = r.flag("block centred flag");
    p.rootAxisOffset = r.i32("root axis offset");
  }
  p.wingPanel = v >= kVersionWingPanel ? r.flag("wing panel flag") : true;
  if (v >= kVersionDihedral) {
    p.dihedralInDegrees = r.flag("dihedral in degrees flag");
    p.dihedral = r.f64("dihedral");
  } else {
    p.dihedralInDegrees = false;
    p.dihedral = 0.0;
  }
  p.root = readSection(r, v);
  p.tip = readSection(r, v);
  readSpars(r, v, sparCountFor(v), p);
  return p;
}

void readMultiPanel(Reader& r, double v, ProjectData& d) {
  const std::uint32_t count = r.u32("panel count");
  if (count == 0) r.fail("a project without panels");
  // Every panel block takes some bytes: a count the stream cannot hold is
  // refused before anything is reserved for it.
  if (count > r.remaining() / minPanelBytes(v)) r.fail("panel count larger than the stream");
  const StoredPanel defaults = defaultStoredPanel();
  d.panels.reserve(count);
  for (std::uint32_t i = 0; i < count; ++i) d.panels.push_back(readPanel(r, v, defaults));

  d.cutChoices.wingSide = r.i32("wing side");
  d.splines = r.flag("splines flag");
  d.cutChoices.sectionReference = r.i32("section reference");
  d.cutChoices.trimmingMode = r.i32("trimming mode");
  d.cutChoices.cutOrder = r.i32("cut order");
  d.cutChoices.kerfCompensationA = readFlagAsInt(r, "kerf compensation flag");
  d.cutChoices.kerfCompensationB = readFlagAsInt(r, "kerf compensation flag");
  d.cutChoices.referenceLowerSurface = readFlagAsInt(r, "reference lower surface flag");
  if (v < kVersionPanelBlockPosition) {
    LegacyBlockPosition block;
    block.offsetX0 = r.i32("offset X0");
    block.rootAxisOffset = r.i32("root axis offset");
    block.blockCentredZ = r.flag("block centred flag");
    for (StoredPanel& p : d.panels) {
      p.offsetX0 = block.offsetX0;
      p.rootAxisOffset = block.rootAxisOffset;
      p.blockCentredZ = block.blockCentredZ;
    }
    d.legacyBlockPosition = block;
  }
  d.foamName = r.text("foam name");
  d.cutSpeed = r.f64("cutting speed");
  d.comments = r.text("comments");

  // Splines only apply to wing panels.
  if (v >= kVersionPanelBlockPosition && !d.panels.front().wingPanel) d.splines = false;
}

// ---------------------------------------------------------------------------
// Checks shared by encoding and decoding

std::string panelPlace(std::size_t index) { return "panel " + std::to_string(index + 1); }

std::optional<std::string> checkFinite(double v, const std::string& where, const char* what) {
  if (std::isfinite(v)) return std::nullopt;
  return where + ": " + what + " is not a number";
}

std::optional<std::string> checkRange(int v, int low, int high, const std::string& where,
                                      const char* what) {
  if (v >= low && v <= high) return std::nullopt;
  return where + ": " + what + " " + std::to_string(v) + " is not between " + std::to_string(low) +
         " and " + std::to_string(high);
}

std::optional<std::string> checkTextLength(const std::string& text, const std::string& where) {
  // Every Windows-1252 character comes from at least one UTF-8 byte.
  if (text.size() < std::numeric_limits<std::uint32_t>::max()) return std::nullopt;
  return where + ": text too long";
}

std::optional<std::string> checkSection(const StoredSection& s, const std::string& where) {
  const SectionParams& p = s.params;
  const std::pair<double, const char*> values[] = {{p.basicHeight, "basic height"},
                                                   {p.chord, "chord"},
                                                   {p.leMargin, "leading-edge margin"},
                                                   {p.teMargin, "trailing-edge margin"},
                                                   {p.skin, "skin"},
                                                   {p.washout, "washout"},
                                                   {p.xleH1, "X leading edge h1"},
                                                   {p.xleH2, "X leading edge h2"},
                                                   {p.xleLength, "X leading edge length"},
                                                   {p.xleBeta, "X leading edge beta"},
                                                   {p.xleAlpha, "X leading edge alpha"},
                                                   {p.reserved, "reserved value"}};
  for (const auto& [value, what] : values) {
    if (auto e = checkFinite(value, where, what)) return e;
  }
  const std::pair<const PointList*, const char*> surfaces[] = {{&s.upper, "upper surface"},
                                                               {&s.lower, "lower surface"}};
  for (const auto& [list, what] : surfaces) {
    if (list->size() > kMaxSurfacePoints) {
      return where + ": the " + what + " has " + std::to_string(list->size()) +
             " points; a project file holds at most " + std::to_string(kMaxSurfacePoints) +
             " points per surface";
    }
    for (const Point2D& pt : *list) {
      if (!std::isfinite(pt.x) || !std::isfinite(pt.y)) {
        return where + ": a point of the " + what + " is not a number";
      }
    }
  }
  Profile probe;
  if (!probe.BuildFromPoints(mergeSurfaces(s))) {
    return where + ": the stored surfaces do not form a profile";
  }
  return checkTextLength(s.profileName, where + " profile name");
}

std::optional<std::string> checkSpar(const SparRecord& s, const std::string& where) {
  const std::pair<double, const char*> values[] = {{s.tipWidth, "tip width"},
                                                   {s.rootWidth, "root width"},
                                                   {s.rootThickness, "root thickness"},
                                                   {s.distance, "distance"},
                                                   {s.tipThickness, "tip thickness"}};
  for (const auto& [value, what] : values) {
    if (auto e = checkFinite(value, where, what)) return e;
  }
  if (auto e = checkRange(s.widthMode, 0, 2, where, "width mode")) return e;
  if (auto e = checkRange(s.thicknessMode, 0, 2, where, "thickness mode")) return e;
  if (auto e = checkRange(s.type, 0, 7, where, "type")) return e;
  return checkTextLength(s.label, where + " label");
}

std::optional<std::string> checkPanel(const StoredPanel& p, const std::string& where) {
  const std::pair<double, const char*> values[] = {{p.sweep, "sweep"},
                                                   {p.span, "span"},
                                                   {p.foamThickness, "foam thickness"},
                                                   {p.dihedral, "dihedral"}};
  for (const auto& [value, what] : values) {
    if (auto e = checkFinite(value, where, what)) return e;
  }
  if (auto e = checkRange(p.leMode, LeNone, LeXCut, where, "leading-edge mode")) return e;
  if (auto e = checkRange(p.teMode, TeHorizontal, TeUpperSurface, where, "trailing-edge mode")) {
    return e;
  }
  if (auto e = checkSection(p.root, where + ", root")) return e;
  if (auto e = checkSection(p.tip, where + ", tip")) return e;
  for (std::size_t i = 0; i < p.spars.size(); ++i) {
    if (auto e = checkSpar(p.spars[i], where + ", spar " + std::to_string(i + 1))) return e;
  }
  return std::nullopt;
}

// ---------------------------------------------------------------------------
// Writing

class Writer {
 public:
  void u16(std::uint16_t v) {
    out_.push_back(static_cast<char>(v & 0xFF));
    out_.push_back(static_cast<char>(v >> 8));
  }
  void u32(std::uint32_t v) {
    for (int i = 0; i < 4; ++i) out_.push_back(static_cast<char>((v >> (8 * i)) & 0xFF));
  }
  void i32(int v) { u32(static_cast<std::uint32_t>(v)); }
  void flag(bool v) { u32(v ? 1U : 0U); }
  void f64(double v) {
    const auto bits = std::bit_cast<std::uint64_t>(v);
    for (int i = 0; i < 8; ++i) out_.push_back(static_cast<char>((bits >> (8 * i)) & 0xFF));
  }
  void text(const std::string& utf8) {
    const std::string bytes = utf8ToCp1252(utf8);
    const std::size_t n = bytes.size();
    if (n < 0xFF) {
      out_.push_back(static_cast<char>(n));
    } else if (n < 0xFFFE) {
      out_.push_back(static_cast<char>(0xFF));
      u16(static_cast<std::uint16_t>(n));
    } else {
      out_.push_back(static_cast<char>(0xFF));
      u16(0xFFFF);
      u32(static_cast<std::uint32_t>(n));
    }
    out_ += bytes;
  }
  void points(const PointList& list) {
    u16(static_cast<std::uint16_t>(list.size()));
    for (const Point2D& p : list) {
      f64(p.x);
      f64(p.y);
    }
  }

  std::string take() { return std::move(out_); }

 private:
  std::string out_;
};

void writeSection(Writer& w, const StoredSection& s) {
  const SectionParams& p = s.params;
  for (double v : {p.basicHeight, p.chord, p.leMargin, p.teMargin, p.skin, p.washout, p.xleH1,
                   p.xleH2, p.xleLength, p.xleBeta, p.xleAlpha, p.reserved}) {
    w.f64(v);
  }
  w.points(s.upper);
  w.points(s.lower);
  w.text(s.profileName);
}

void writeSpar(Writer& w, const SparRecord& s) {
  w.flag(s.active);
  w.text(s.label);
  w.i32(s.widthMode);
  w.f64(s.tipWidth);
  w.f64(s.rootWidth);
  w.f64(s.rootThickness);
  w.f64(s.distance);
  w.i32(s.type);
  w.i32(s.thicknessMode);
  w.f64(s.tipThickness);
  w.flag(s.distanceInPercent);
}

void writePanel(Writer& w, const StoredPanel& p) {
  w.flag(p.differentRootTip);
  w.f64(p.sweep);
  w.flag(p.sectionCutEnabled);
  w.i32(p.sectionCutZ);
  w.i32(p.leMode);
  w.i32(p.teMode);
  w.f64(p.span);
  w.f64(p.foamThickness);
  w.flag(p.skinEnabled);
  w.i32(p.offsetX0);
  w.flag(p.blockCentredZ);
  w.i32(p.rootAxisOffset);
  w.flag(p.wingPanel);
  w.flag(p.dihedralInDegrees);
  w.f64(p.dihedral);
  writeSection(w, p.root);
  writeSection(w, p.tip);
  for (const SparRecord& s : p.spars) writeSpar(w, s);
}

}  // namespace

bool operator==(const StoredSection& a, const StoredSection& b) {
  const SectionParams& p = a.params;
  const SectionParams& q = b.params;
  return p.xleH1 == q.xleH1 && p.xleH2 == q.xleH2 && p.xleLength == q.xleLength &&
         p.xleBeta == q.xleBeta && p.xleAlpha == q.xleAlpha && p.reserved == q.reserved &&
         p.washout == q.washout && p.leMargin == q.leMargin && p.teMargin == q.teMargin &&
         p.basicHeight == q.basicHeight && p.chord == q.chord && p.skin == q.skin &&
         a.upper == b.upper && a.lower == b.lower && a.profileName == b.profileName;
}

StoredPanel storePanel(const Panel& panel) {
  StoredPanel p;
  p.differentRootTip = panel.differentRootTip;
  p.sweep = panel.sweep;
  p.sectionCutEnabled = panel.sectionCutEnabled;
  p.sectionCutZ = panel.sectionCutZ;
  p.leMode = panel.leMode;
  p.teMode = panel.teMode;
  p.span = panel.span;
  p.foamThickness = panel.foamThickness;
  p.skinEnabled = panel.skinEnabled;
  p.offsetX0 = panel.offsetX0;
  p.blockCentredZ = panel.blockCentredZ;
  p.rootAxisOffset = panel.rootAxisOffset;
  p.wingPanel = panel.wingPanel;
  p.dihedralInDegrees = panel.dihedralInDegrees;
  p.dihedral = panel.dihedral;
  const std::pair<const Section*, StoredSection*> ends[] = {{&panel.root, &p.root},
                                                            {&panel.tip, &p.tip}};
  for (const auto& [section, stored] : ends) {
    stored->params = section->params;
    stored->upper = section->profile.ExtractUpper();
    stored->lower = section->profile.ExtractLower();
    stored->profileName = section->profile.name;
  }
  p.spars = panel.spars;
  // Computed at each cut, never stored.
  for (SparRecord& s : p.spars) s.positionKey = 0.0;
  return p;
}

PointList mergeSurfaces(const StoredSection& section) {
  PointList merged;
  merged.reserve(section.upper.size() + section.lower.size());
  merged.assign(section.upper.rbegin(), section.upper.rend());
  if (!section.lower.empty())
    merged.insert(merged.end(), section.lower.begin() + 1, section.lower.end());
  return merged;
}

bool restorePanel(const StoredPanel& stored, Panel& panel) {
  Panel p;
  p.differentRootTip = stored.differentRootTip;
  p.sweep = stored.sweep;
  p.sectionCutEnabled = stored.sectionCutEnabled;
  p.sectionCutZ = stored.sectionCutZ;
  p.leMode = stored.leMode;
  p.teMode = stored.teMode;
  p.span = stored.span;
  p.foamThickness = stored.foamThickness;
  p.skinEnabled = stored.skinEnabled;
  p.offsetX0 = stored.offsetX0;
  p.blockCentredZ = stored.blockCentredZ;
  p.rootAxisOffset = stored.rootAxisOffset;
  p.wingPanel = stored.wingPanel;
  p.dihedralInDegrees = stored.dihedralInDegrees;
  p.dihedral = stored.dihedral;
  const std::pair<const StoredSection*, Section*> ends[] = {{&stored.root, &p.root},
                                                            {&stored.tip, &p.tip}};
  for (const auto& [from, to] : ends) {
    to->params = from->params;
    if (!to->profile.BuildFromPoints(mergeSurfaces(*from))) return false;
    to->profile.name = from->profileName;
  }
  p.spars = stored.spars;
  panel = std::move(p);
  return true;
}

std::optional<std::string> checkProjectData(const ProjectData& data) {
  if (data.panels.empty()) return "the project has no panel";
  if (data.panels.size() > std::numeric_limits<std::uint32_t>::max()) {
    return "too many panels";
  }
  for (std::size_t i = 0; i < data.panels.size(); ++i) {
    if (auto e = checkPanel(data.panels[i], panelPlace(i))) return e;
  }
  const PanelCutChoices& c = data.cutChoices;
  if (auto e = checkRange(c.cutOrder, 0, 1, "project", "cut order")) return e;
  if (auto e = checkRange(c.sectionReference, 0, 1, "project", "section reference")) return e;
  if (auto e = checkRange(c.trimmingMode, 0, 4, "project", "trimming mode")) return e;
  if (auto e = checkFinite(data.cutSpeed, "project", "cutting speed")) return e;
  if (auto e = checkTextLength(data.foamName, "foam name")) return e;
  return checkTextLength(data.comments, "comments");
}

std::optional<std::string> encodeContents(const ProjectData& data, std::string* error) {
  if (auto problem = checkProjectData(data)) {
    if (error) *error = *problem;
    return std::nullopt;
  }
  Writer w;
  w.u32(0);  // embedded items
  w.f64(kContentsVersion);
  w.u32(static_cast<std::uint32_t>(data.panels.size()));
  for (const StoredPanel& p : data.panels) writePanel(w, p);
  const PanelCutChoices& c = data.cutChoices;
  w.i32(c.wingSide);
  w.flag(data.splines);
  w.i32(c.sectionReference);
  w.i32(c.trimmingMode);
  w.i32(c.cutOrder);
  w.flag(c.kerfCompensationA != 0);
  w.flag(c.kerfCompensationB != 0);
  w.flag(c.referenceLowerSurface != 0);
  w.text(data.foamName);
  w.f64(data.cutSpeed);
  w.text(data.comments);
  return w.take();
}

std::optional<ProjectData> decodeContents(std::string_view bytes, std::string* error) {
  try {
    if (bytes.empty()) throw DecodeError{"empty stream"};
    Reader r(bytes);
    if (r.u32("embedded item count") != 0) r.fail("embedded items are not supported");
    const double version = r.f64("version");
    if (!std::isfinite(version)) r.fail("version is not a number");
    ProjectData d;
    d.version = version;
    if (version < kVersionMultiPanel) {
      readSinglePanel(r, version, d);
    } else {
      readMultiPanel(r, version, d);
    }
    if (r.remaining() != 0) r.fail("bytes left after the last field");
    if (auto problem = checkProjectData(d)) throw DecodeError{*problem};
    return d;
  } catch (const DecodeError& e) {
    if (error) *error = e.what;
    return std::nullopt;
  }
}

}  // namespace orva
