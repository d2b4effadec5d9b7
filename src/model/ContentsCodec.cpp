#include "model/ContentsCodec.h"

#include <bit>
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <limits>
#include <span>
#include <utility>
#include <variant>

#include "common/CodePage.h"
#include "geometry/Profile.h"
#include "model/PanelFieldTable.h"

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

// Reads the fields of `table` that version `v` stores, in stream order.
template <class Record>
void readFields(Reader& r, double v, std::span<const Field<Record>> table, Record& record,
                const std::string& prefix) {
  for (const Field<Record>& f : table) {
    if (v < f.since) continue;
    const std::string what = prefix + f.what;
    std::visit(FieldVisitor{[&](bool Record::*m) { record.*m = r.flag(what.c_str()); },
                          [&](int Record::*m) { record.*m = r.i32(what.c_str()); },
                          [&](double Record::*m) {
                            record.*m = v < f.wholeBefore
                                            ? static_cast<double>(r.i32(what.c_str()))
                                            : r.f64(what.c_str());
                          },
                          [&](std::string Record::*m) { record.*m = r.text(what.c_str()); }},
               f.member);
  }
}

// The bytes the fields of `table` take at least in version `v` (texts empty).
template <class Record>
std::size_t minFieldBytes(std::span<const Field<Record>> table, double v) {
  std::size_t n = 0;
  for (const Field<Record>& f : table) {
    if (v < f.since) continue;
    n += std::visit(FieldVisitor{[](bool Record::*) -> std::size_t { return 4; },
                               [](int Record::*) -> std::size_t { return 4; },
                               [&](double Record::*) -> std::size_t {
                                 return v < f.wholeBefore ? 4 : 8;
                               },
                               [](std::string Record::*) -> std::size_t { return 1; }},
                    f.member);
  }
  return n;
}

// The panel defaults, taken from a new Panel so that both agree.
StoredPanel defaultStoredPanel() { return storePanel(Panel{}); }

// The number of bytes a section block occupies at least (no points, empty name).
std::size_t minSectionBytes(double v) {
  const auto fields = PanelFieldTable::section();
  return minFieldBytes(fields.subspan(v > kVersionWithBasicHeight ? 0 : 1), v) + 2 + 2 + 1;
}

std::size_t minSparBytes(double v) { return minFieldBytes(PanelFieldTable::spar(), v); }

int sparCountFor(double v) { return v > kVersionTenSpars ? kSparCount : kOldSparCount; }

// The smallest panel block of the multi-panel layout (V >= 1003).
std::size_t minPanelBytes(double v) {
  std::size_t n = minFieldBytes(PanelFieldTable::panel(), v);
  n += 2 * minSectionBytes(v);
  n += static_cast<std::size_t>(sparCountFor(v)) * minSparBytes(v);
  return n;
}

StoredSection readSection(Reader& r, double v) {
  StoredSection s;
  SectionParams& p = s.params;
  // Files of version 1000 and older start with the basic height where the
  // version would be; the section block then begins with the chord.
  const auto fields = PanelFieldTable::section();
  if (v <= kVersionWithBasicHeight) p.basicHeight = v;
  readFields(r, v, fields.subspan(v > kVersionWithBasicHeight ? 0 : 1), p, "section ");
  // The reserved value has no meaning; one that is not a number is dropped.
  if (!std::isfinite(p.reserved)) p.reserved = 0.0;
  s.upper = r.points("upper surface");
  s.lower = r.points("lower surface");
  s.profileName = r.text("profile name");
  return s;
}

SparRecord readSpar(Reader& r, double v) {
  SparRecord s;
  readFields(r, v, PanelFieldTable::spar(), s, "spar ");
  if (v < kVersionDihedral) {
    // Older files number the types one lower, with the last one wrapping to 0.
    if (s.type < 0) r.fail("negative spar type");
    s.type = static_cast<int>((static_cast<std::int64_t>(s.type) + 1) % 7);
  }
  // Files without a tip thickness have spars of one thickness.
  if (v < kVersionWithSparThickness) s.tipThickness = s.rootThickness;
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
  // Fields older versions do not store keep the values of a new panel.
  StoredPanel p = defaults;
  readFields<PanelFields>(r, v, PanelFieldTable::panel(), p, "");
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

// The checks of the table: every number finite, then every mode in its
// range, then every text storable.
template <class Record>
std::optional<std::string> checkFields(std::span<const Field<Record>> table, const Record& record,
                                       const std::string& where) {
  for (const Field<Record>& f : table) {
    if (auto m = std::get_if<double Record::*>(&f.member)) {
      if (auto e = checkFinite(record.**m, where, f.what)) return e;
    }
  }
  for (const Field<Record>& f : table) {
    const auto m = std::get_if<int Record::*>(&f.member);
    if (m && f.low <= f.high) {
      if (auto e = checkRange(record.**m, f.low, f.high, where, f.what)) return e;
    }
  }
  for (const Field<Record>& f : table) {
    if (auto m = std::get_if<std::string Record::*>(&f.member)) {
      if (auto e = checkTextLength(record.**m, where + " " + f.what)) return e;
    }
  }
  return std::nullopt;
}

std::optional<std::string> checkSection(const StoredSection& s, const std::string& where) {
  if (auto e = checkFields(PanelFieldTable::section(), s.params, where)) return e;
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

std::optional<std::string> checkPanel(const StoredPanel& p, const std::string& where) {
  if (auto e = checkFields<PanelFields>(PanelFieldTable::panel(), p, where)) return e;
  if (auto e = checkSection(p.root, where + ", root")) return e;
  if (auto e = checkSection(p.tip, where + ", tip")) return e;
  for (std::size_t i = 0; i < p.spars.size(); ++i) {
    const std::string place = where + ", spar " + std::to_string(i + 1);
    if (auto e = checkFields(PanelFieldTable::spar(), p.spars[i], place)) return e;
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

// Writes every field of `table` in the layout of the current version.
template <class Record>
void writeFields(Writer& w, std::span<const Field<Record>> table, const Record& record) {
  for (const Field<Record>& f : table) {
    std::visit(FieldVisitor{[&](bool Record::*m) { w.flag(record.*m); },
                          [&](int Record::*m) { w.i32(record.*m); },
                          [&](double Record::*m) { w.f64(record.*m); },
                          [&](std::string Record::*m) { w.text(record.*m); }},
               f.member);
  }
}

void writeSection(Writer& w, const StoredSection& s) {
  writeFields(w, PanelFieldTable::section(), s.params);
  w.points(s.upper);
  w.points(s.lower);
  w.text(s.profileName);
}

void writePanel(Writer& w, const StoredPanel& p) {
  writeFields<PanelFields>(w, PanelFieldTable::panel(), p);
  writeSection(w, p.root);
  writeSection(w, p.tip);
  for (const SparRecord& s : p.spars) writeFields(w, PanelFieldTable::spar(), s);
}

}  // namespace

StoredPanel storePanel(const Panel& panel) {
  StoredPanel p;
  static_cast<PanelFields&>(p) = panel;
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
  static_cast<PanelFields&>(p) = stored;
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
