#include <gtest/gtest.h>

#include <bit>
#include <cstdint>
#include <limits>
#include <optional>
#include <string>
#include <string_view>
#include <tuple>
#include <vector>

#include "model/ContentsCodec.h"
#include "model/ProjectJson.h"
#include "support/Golden.h"
#include "support/TextChecks.h"

namespace orva {
namespace {

// Builds a Contents stream by hand, field by field, as the layout describes it.
class Bytes {
 public:
  Bytes& u8(unsigned v) {
    s.push_back(static_cast<char>(v & 0xFF));
    return *this;
  }
  Bytes& u16(unsigned v) { return u8(v).u8(v >> 8); }
  Bytes& u32(std::uint32_t v) { return u16(v & 0xFFFF).u16(v >> 16); }
  Bytes& i32(int v) { return u32(static_cast<std::uint32_t>(v)); }
  Bytes& flag(bool v) { return u32(v ? 1 : 0); }
  Bytes& f64(double v) {
    const auto bits = std::bit_cast<std::uint64_t>(v);
    return u32(static_cast<std::uint32_t>(bits)).u32(static_cast<std::uint32_t>(bits >> 32));
  }
  // A short text (below 255 bytes), bytes as given (Windows-1252).
  Bytes& text(std::string_view bytes) {
    u8(static_cast<unsigned>(bytes.size()));
    s += bytes;
    return *this;
  }
  Bytes& points(const PointList& list) {
    u16(static_cast<unsigned>(list.size()));
    for (const Point2D& p : list) f64(p.x).f64(p.y);
    return *this;
  }
  std::string s;
};

const PointList kUpper = {{0.0, 0.0}, {0.3, 0.07}, {1.0, 0.0}};
const PointList kLower = {{0.0, 0.0}, {0.3, -0.03}, {1.0, 0.0}};

// Section block with values 11 + k .. 22 + k in field order, so that a field
// read out of place shows.
void section(Bytes& b, bool withBasicHeight, int k, std::string_view name = "NACA 2412") {
  if (withBasicHeight) b.f64(11 + k);
  for (int field = 12; field <= 22; ++field) b.f64(field + k);
  b.points(kUpper).points(kLower).text(name);
}

// Spar block of a file of version v with its fields set apart from the defaults.
void spar(Bytes& b, double v, int type) {
  b.flag(true).text("S\xE9").i32(2).f64(6.5).f64(7.5).f64(2.5).f64(33.0).i32(type);
  if (v >= 1002) b.i32(1).f64(4.5);
  if (v >= 1007) b.flag(false);
}

// Panel block (V >= 1003) of panel k.
void panel(Bytes& b, double v, int k, bool wingPanel = true, int sparType = 3) {
  b.flag(true).f64(12.5 + k).flag(true).i32(321 + k).i32(2).i32(3);
  if (v < 1005) {
    b.i32(612 + k);
  } else {
    b.f64(612.25 + k);
  }
  b.f64(44.5 + k).flag(true);
  if (v >= 1004) b.i32(-7 - k).flag(false).i32(444 + k);
  if (v >= 1005) b.flag(wingPanel);
  if (v >= 1007) b.flag(true).f64(3.25 + k);
  section(b, true, 10 * k);
  section(b, true, 10 * k + 100);
  const int spars = v <= 1005 ? 6 : 10;
  for (int i = 0; i < spars; ++i) spar(b, v, sparType);
}

// Project trailer (V >= 1003) after the panels.
void trailer(Bytes& b, double v) {
  b.i32(1).flag(true).i32(1).i32(3).i32(0).u32(0).u32(0).u32(0);
  if (v < 1004) b.i32(15).i32(555).flag(false);
  b.text("D\xE9pron").f64(2.75).text("Aile \xE9paisse");
}

// A stream of `panels` panels; `wing` tells which are wing panels (all by default).
std::string multiPanelStream(double v, int panels, int sparType = 3, std::vector<bool> wing = {}) {
  Bytes b;
  b.u32(0).f64(v).u32(static_cast<std::uint32_t>(panels));
  for (int k = 0; k < panels; ++k) {
    panel(b, v, k, static_cast<std::size_t>(k) >= wing.size() || wing[k], sparType);
  }
  trailer(b, v);
  return b.s;
}

ProjectData decodeOk(const std::string& bytes) {
  std::string error;
  auto d = decodeContents(bytes, &error);
  EXPECT_TRUE(d.has_value()) << error;
  return d.value_or(ProjectData{});
}

bool refused(std::string_view bytes) {
  std::string error;
  const bool failed = !decodeContents(bytes, &error).has_value();
  if (failed) {
    EXPECT_FALSE(error.empty());
  }
  return failed;
}

// Files below 1003: one panel whose fields follow its two sections: sweep, wing
// side, span, skin, splines, different root/tip, four ignored values, the
// intermediate section, its reference and Z, two trimming modes (the first not
// used), foam thickness, cut order, kerf A and B, reference lower surface, one
// ignored, offset X0, root axis offset, block centred, foam, speed, teMode, one
// ignored, leMode, comments.
std::string singlePanelStream(double v) {
  Bytes b;
  b.u32(0).f64(v);
  section(b, v > 1000, 0);
  section(b, v >= 1000 ? v > 1000 : true, 100);
  b.f64(8.5).i32(1).i32(700).flag(true).flag(false).flag(true).f64(999).u32(999).f64(999);
  b.u32(999).flag(true).i32(1).i32(250).i32(2).i32(4).f64(60.5).i32(0).u32(0).u32(0).u32(0);
  b.u32(999).i32(30).i32(400).flag(false).text("Poly extrud\xE9").f64(3.5).i32(2).u32(999);
  b.i32(1).text("old");
  if (v > 1000) {
    for (int i = 0; i < 6; ++i) spar(b, v, 0);
  }
  return b.s;
}

// Every layout, decoded, as its reviewed JSON form: the values 11 + k ..
// 21 + k of each section in field order (k = 10 per panel, +100 at the tip),
// spars "S\u00e9" with every field set apart from the defaults (older types
// renumbered: 3 reads as 4), and what each older layout lacks at its default:
// no dihedral before 1007, spars 7..10 before 1006, an integer span before
// 1005, the trailer's block position on every panel before 1004, the tip
// thickness of a spar before 1002, no spars in 1000, whose version (like the
// first number of a file without version) is the root's basic height.
TEST(ContentsCodecTest, EveryVersionDecodesAsReviewed) {
  const std::optional<LegacyBlockPosition> none;
  const LegacyBlockPosition trailer{15, 555, false};
  const LegacyBlockPosition single{30, 400, false};
  const struct {
    const char* name;
    std::string stream;
    std::optional<LegacyBlockPosition> legacy;
  } cases[] = {
      {"v1007", multiPanelStream(1007, 2), none},      {"v1006", multiPanelStream(1006, 1), none},
      {"v1005", multiPanelStream(1005, 1), none},      {"v1004", multiPanelStream(1004, 3), none},
      {"v1003", multiPanelStream(1003, 2), trailer},   {"v1002", singlePanelStream(1002), single},
      {"v1001", singlePanelStream(1001), single},      {"v1000", singlePanelStream(1000), single},
      {"no-version", singlePanelStream(25.0), single},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    const ProjectData d = decodeOk(c.stream);
    test::expectGolden(std::string("contents/") + c.name + ".json", projectToJson(d).dump(1));
    EXPECT_EQ(d.legacyBlockPosition, c.legacy);
  }
  // The encoder writes exactly the layout built by hand.
  const std::string stream = multiPanelStream(1007, 2);
  EXPECT_EQ(encodeContents(decodeOk(stream)), stream);
}

TEST(ContentsCodecTest, OldSparTypesAreShiftedByOneModuloSeven) {
  for (int old = 0; old <= 6; ++old) {
    EXPECT_EQ(decodeOk(multiPanelStream(1006, 1, old)).panels.at(0).spars[0].type, (old + 1) % 7)
        << "old type " << old;
  }
  // Version 1007 stores the type itself.
  EXPECT_EQ(decodeOk(multiPanelStream(1007, 1, 7)).panels.at(0).spars[9].type, 7);
}

TEST(ContentsCodecTest, SplinesAreOffWhenTheFirstPanelIsNotAWingPanel) {
  // The trailer stores splines as 1.
  const ProjectData first = decodeOk(multiPanelStream(1005, 2, 3, {false, true}));
  ASSERT_EQ(first.panels.size(), 2U);
  EXPECT_EQ(std::tuple(first.splines, first.panels[0].wingPanel, first.panels[1].wingPanel),
            std::tuple(false, false, true));
  EXPECT_TRUE(decodeOk(multiPanelStream(1005, 2, 3, {true, false})).splines);
}

TEST(ContentsCodecTest, EveryTruncationOfAValidStreamIsRefused) {
  for (const std::string& stream : {multiPanelStream(1007, 2), singlePanelStream(1002)}) {
    ASSERT_TRUE(decodeContents(stream).has_value());
    for (std::size_t n = 0; n < stream.size(); ++n) {
      EXPECT_TRUE(refused(std::string_view(stream).substr(0, n))) << "prefix of " << n << " bytes";
    }
  }
}

// A one-panel v1007 stream up to its root section's points (panel fields and
// twelve section values).
Bytes upToRootPoints() {
  Bytes b;
  b.u32(0).f64(1007).u32(1);
  b.flag(true).f64(1).flag(true).i32(1).i32(0).i32(0).f64(600).f64(50).flag(false);
  b.i32(20).flag(true).i32(375).flag(true).flag(false).f64(0);
  for (int f = 0; f < 12; ++f) b.f64(1);
  return b;
}

// A one-panel v1007 stream up to the foam name of its trailer.
std::string upToTrailerTexts() {
  Bytes b;
  b.u32(0).f64(1007).u32(1);
  panel(b, 1007, 0);
  b.i32(1).flag(true).i32(1).i32(3).i32(0).u32(0).u32(0).u32(0);
  return b.s;
}

TEST(ContentsCodecTest, MalformedStreamsAndValuesNoProjectCanHoldAreRefused) {
  const double nan = std::numeric_limits<double>::quiet_NaN();
  const double inf = std::numeric_limits<double>::infinity();
  const std::string valid = multiPanelStream(1007, 1);
  ASSERT_TRUE(decodeContents(valid).has_value());
  // `valid` with the bytes at `offset` replaced.
  auto with = [&](std::size_t offset, const Bytes& b) {
    std::string s = valid;
    s.replace(offset, b.s.size(), b.s);
    return s;
  };
  constexpr std::size_t kPanel = 16;  // after the embedded count, version and panel count
  constexpr std::size_t kRoot = kPanel + 76;
  Bytes empty = upToRootPoints();
  empty.u16(0).u16(0).text("empty");  // a section without points cannot form a profile
  section(empty, true, 0);
  for (int i = 0; i < 10; ++i) spar(empty, 1007, 1);
  trailer(empty, 1007);
  // The trailer up to the comments, whose text prefix follows.
  const std::string prefixed = upToTrailerTexts() + Bytes().text("x").f64(2.0).s;
  const struct {
    const char* what;
    std::string stream;
    bool refused;
  } cases[] = {
      {"nothing", "", true},
      {"a byte after the comments", valid + '\0', true},
      {"embedded", "\x01" + valid.substr(1), true},
      {"short text prefix", prefixed + "\1c", false},
      {"text prefix 0xFF 0xFFFE", prefixed + std::string("\xFF\xFE\xFF\1\0\0\0c", 8), true},
      {"4 billion panels", Bytes().u32(0).f64(1007).u32(0xFFFFFFFF).s + std::string(2000, '\0'),
       true},
      {"no panel", Bytes().u32(0).f64(1007).u32(0).s + valid.substr(16), true},
      {"65535 points announced", upToRootPoints().u16(0xFFFF).s + std::string(100, '\0'), true},
      {"foam name of 4 GiB",
       upToTrailerTexts() + Bytes().u8(0xFF).u16(0xFFFF).u32(0xFFFFFFF0).s + std::string(64, 'a'),
       true},
      {"an airfoil file", "NACA 2412\n 1.0000 0.0013\n 0.5000 0.0600\n 0.0000 0.0000\n", true},
      {"version", with(4, Bytes().f64(nan)), true},
      {"sweep", with(kPanel + 4, Bytes().f64(inf)), true},
      {"span", with(kPanel + 28, Bytes().f64(nan)), true},
      {"leMode", with(kPanel + 20, Bytes().i32(3)), true},
      {"teMode", with(kPanel + 24, Bytes().i32(4)), true},
      {"teMode 0", with(kPanel + 24, Bytes().i32(0)), false},
      {"chord", with(kRoot + 8, Bytes().f64(nan)), true},
      {"reserved: ignored", with(kRoot + 88, Bytes().f64(nan)), false},
      {"y of an upper point", with(kRoot + 96 + 2 + 16 + 8, Bytes().f64(-inf)), true},
      // The f64 before the comments text ("Aile épaisse", 12 bytes).
      {"cutting speed", with(valid.size() - 13 - 8, Bytes().f64(nan)), true},
      {"section without points", empty.s, true},
  };
  for (const auto& c : cases) EXPECT_EQ(refused(c.stream), c.refused) << c.what;
}

ProjectData smallProject() {
  ProjectData d;
  StoredPanel p;
  p.root.upper = kUpper;
  p.root.lower = kLower;
  p.root.profileName = "root";
  p.tip = p.root;
  d.panels.push_back(p);
  return d;
}

TEST(ContentsCodecTest, TextPrefixesFollowTheLengthAndTextsAreWindows1252) {
  struct Case {
    std::size_t length;
    std::string prefix;
  };
  const Case cases[] = {
      {0, std::string("\x00", 1)},
      {254, "\xFE"},
      {255, std::string("\xFF\xFF\x00", 3)},
      {0xFFFD, "\xFF\xFD\xFF"},
      {0xFFFE, std::string("\xFF\xFF\xFF\xFE\xFF\x00\x00", 7)},
      {0x10000, std::string("\xFF\xFF\xFF\x00\x00\x01\x00", 7)},
  };
  for (const Case& c : cases) {
    ProjectData d = smallProject();
    d.comments = std::string(c.length, 'c');
    auto bytes = encodeContents(d);
    ASSERT_TRUE(bytes.has_value());
    // The comments are the last field.
    const std::size_t at = bytes->size() - c.length - c.prefix.size();
    EXPECT_EQ(bytes->substr(at, c.prefix.size()), c.prefix) << "length " << c.length;
    const ProjectData back = decodeOk(*bytes);
    EXPECT_EQ(back.comments, d.comments) << "length " << c.length;
  }

  ProjectData d = smallProject();
  d.comments = "Aile \xC3\xA9paisse \xE2\x82\xAC";  // "Aile épaisse €"
  auto bytes = encodeContents(d);
  ASSERT_TRUE(bytes.has_value());
  EXPECT_EQ(bytes->substr(bytes->size() - 15),
            "\x0E"
            "Aile \xE9paisse \x80");
  EXPECT_EQ(decodeOk(*bytes).comments, d.comments);
}

TEST(ContentsCodecTest, EncodingRefusesWhatCannotBeStoredFaithfully) {
  std::string error;
  ProjectData big = smallProject();
  PointList upper;
  for (int i = 0; i < 65536; ++i) upper.push_back({i / 65535.0, 0.05});
  upper.front() = {0.0, 0.0};
  big.panels[0].tip.upper = upper;
  EXPECT_FALSE(encodeContents(big, &error).has_value());
  EXPECT_TRUE(test::contains(error, "65535"));
  EXPECT_TRUE(test::contains(error, "panel 1"));

  // One point fewer fits, and comes back whole.
  upper.pop_back();
  big.panels[0].tip.upper = upper;
  auto bytes = encodeContents(big, &error);
  ASSERT_TRUE(bytes.has_value()) << error;
  EXPECT_EQ(decodeOk(*bytes).panels.at(0).tip.upper.size(), 65535U);

  ProjectData nan = smallProject();
  nan.panels[0].root.params.chord = std::numeric_limits<double>::quiet_NaN();
  EXPECT_FALSE(encodeContents(nan, &error).has_value());

  ProjectData none = smallProject();
  none.panels.clear();
  EXPECT_FALSE(encodeContents(none, &error).has_value());
}

}  // namespace
}  // namespace orva
