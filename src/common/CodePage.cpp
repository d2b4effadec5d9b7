#include "common/CodePage.h"

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>

namespace orva {

namespace {

// Code points of the bytes 0x80..0x9F. The five bytes the code page leaves
// undefined map to the C1 control of the same value so that they survive a
// round trip.
constexpr std::array<char32_t, 32> kHighControls = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021,  // 80..87
    0x02C6, 0x2030, 0x0160, 0x2039, 0x0152, 0x008D, 0x017D, 0x008F,  // 88..8F
    0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,  // 90..97
    0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178,  // 98..9F
};

void appendUtf8(std::string& out, char32_t cp) {
  if (cp < 0x80) {
    out.push_back(static_cast<char>(cp));
  } else if (cp < 0x800) {
    out.push_back(static_cast<char>(0xC0 | (cp >> 6)));
    out.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
  } else if (cp < 0x10000) {
    out.push_back(static_cast<char>(0xE0 | (cp >> 12)));
    out.push_back(static_cast<char>(0x80 | ((cp >> 6) & 0x3F)));
    out.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
  } else {
    out.push_back(static_cast<char>(0xF0 | (cp >> 18)));
    out.push_back(static_cast<char>(0x80 | ((cp >> 12) & 0x3F)));
    out.push_back(static_cast<char>(0x80 | ((cp >> 6) & 0x3F)));
    out.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
  }
}

// Decodes the UTF-8 sequence starting at `pos` and advances `pos` past it.
// Returns nothing for an ill-formed sequence; `pos` then moves past its
// maximal subpart (the longest prefix that could have started a well-formed
// sequence, at least one byte), so each broken sequence is reported once and
// the byte that broke it is examined again as a possible new start.
std::optional<char32_t> decodeNext(std::string_view s, std::size_t& pos) {
  const auto byte = [&](std::size_t i) { return static_cast<std::uint8_t>(s[i]); };
  const std::uint8_t lead = byte(pos);
  if (lead < 0x80) {
    ++pos;
    return lead;
  }

  // Length and allowed range of the second byte, per lead byte. The narrowed
  // ranges exclude overlong forms (E0, F0), surrogates (ED) and code points
  // above U+10FFFF (F4); C0, C1 and F5..FF never start a sequence.
  std::size_t length = 0;
  std::uint8_t low = 0x80;
  std::uint8_t high = 0xBF;
  char32_t cp = 0;
  if (lead >= 0xC2 && lead <= 0xDF) {
    length = 2;
    cp = lead & 0x1F;
  } else if (lead >= 0xE0 && lead <= 0xEF) {
    length = 3;
    cp = lead & 0x0F;
    if (lead == 0xE0) low = 0xA0;
    if (lead == 0xED) high = 0x9F;
  } else if (lead >= 0xF0 && lead <= 0xF4) {
    length = 4;
    cp = lead & 0x07;
    if (lead == 0xF0) low = 0x90;
    if (lead == 0xF4) high = 0x8F;
  } else {
    ++pos;
    return std::nullopt;
  }

  for (std::size_t k = 1; k < length; ++k) {
    const std::size_t i = pos + k;
    const std::uint8_t lo = k == 1 ? low : 0x80;
    const std::uint8_t hi = k == 1 ? high : 0xBF;
    if (i >= s.size() || byte(i) < lo || byte(i) > hi) {
      pos = i;
      return std::nullopt;
    }
    cp = (cp << 6) | (byte(i) & 0x3F);
  }
  pos += length;
  return cp;
}

std::optional<char> toCp1252(char32_t cp) {
  if (cp < 0x80 || (cp >= 0xA0 && cp <= 0xFF)) return static_cast<char>(cp);
  for (std::size_t i = 0; i < kHighControls.size(); ++i) {
    if (kHighControls[i] == cp) return static_cast<char>(0x80 + i);
  }
  return std::nullopt;
}

}  // namespace

std::string cp1252ToUtf8(std::string_view bytes) {
  std::string out;
  out.reserve(bytes.size());
  for (const char c : bytes) {
    const auto b = static_cast<std::uint8_t>(c);
    if (b >= 0x80 && b <= 0x9F) {
      appendUtf8(out, kHighControls[b - 0x80]);
    } else {
      appendUtf8(out, b);
    }
  }
  return out;
}

std::string utf8ToCp1252(std::string_view utf8, bool* lossless) {
  std::string out;
  out.reserve(utf8.size());
  bool exact = true;
  std::size_t pos = 0;
  while (pos < utf8.size()) {
    const std::optional<char32_t> cp = decodeNext(utf8, pos);
    const std::optional<char> c = cp ? toCp1252(*cp) : std::nullopt;
    if (c) {
      out.push_back(*c);
    } else {
      out.push_back('?');
      exact = false;
    }
  }
  if (lossless) *lossless = exact;
  return out;
}

bool isValidUtf8(std::string_view bytes) {
  std::size_t pos = 0;
  while (pos < bytes.size()) {
    if (!decodeNext(bytes, pos)) return false;
  }
  return true;
}

}  // namespace orva
