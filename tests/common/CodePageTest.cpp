#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

#include "common/CodePage.h"

namespace orva {
namespace {

using namespace std::string_literals;

// The characters of bytes 0x80..0x9F as the code page defines them; the five
// undefined bytes carry the C1 control of the same value.
const std::vector<std::string> kHighCharacters = {
    "€", "\u0081", "‚",      "ƒ", "„",      "…",      "†", "‡",      "ˆ", "‰", "Š",
    "‹", "Œ",      "\u008D", "Ž", "\u008F", "\u0090", "‘", "’",      "“", "”", "•",
    "–", "—",      "˜",      "™", "š",      "›",      "œ", "\u009D", "ž", "Ÿ",
};

TEST(CodePageTest, EveryByteSurvivesARoundTrip) {
  std::string all;
  for (int b = 0; b < 256; ++b) all.push_back(static_cast<char>(b));

  const std::string utf8 = cp1252ToUtf8(all);
  EXPECT_TRUE(isValidUtf8(utf8));
  bool lossless = false;
  EXPECT_EQ(utf8ToCp1252(utf8, &lossless), all);
  EXPECT_TRUE(lossless);
}

TEST(CodePageTest, HighControlRangeMapsToItsCharactersBothWays) {
  ASSERT_EQ(kHighCharacters.size(), 32u);
  for (int i = 0; i < 32; ++i) {
    const std::string byte(1, static_cast<char>(0x80 + i));
    SCOPED_TRACE(i);
    EXPECT_EQ(cp1252ToUtf8(byte), kHighCharacters[i]);
    bool lossless = false;
    EXPECT_EQ(utf8ToCp1252(kHighCharacters[i], &lossless), byte);
    EXPECT_TRUE(lossless);
  }
}

TEST(CodePageTest, LatinTextConvertsBothWays) {
  EXPECT_EQ(cp1252ToUtf8("Poly expans\xE9"), "Poly expans\xC3\xA9");
  EXPECT_EQ(utf8ToCp1252("Poly expansé"), "Poly expans\xE9");
  EXPECT_EQ(cp1252ToUtf8("\xA0\xFF"), "\u00A0\u00FF");
  EXPECT_EQ(cp1252ToUtf8("a\0b"s), "a\0b"s);
  EXPECT_EQ(utf8ToCp1252("a\0b"s), "a\0b"s);
}

TEST(CodePageTest, UnmappableCharactersBecomeQuestionMarks) {
  const std::vector<std::pair<std::string, std::string>> cases = {
      {"a😀b", "a?b"},          // emoji: one character, one '?'
      {"\u0080", "?"},         // C1 control whose byte the code page gives to €
      {"\u009F", "?"},         // likewise for Ÿ
      {"\u0100\u20AD", "??"},  // just outside the Latin-1 and € code points
      {"\U0010FFFF", "?"},     // highest code point
  };
  for (const auto& [in, out] : cases) {
    SCOPED_TRACE(in);
    EXPECT_TRUE(isValidUtf8(in));
    bool lossless = true;
    EXPECT_EQ(utf8ToCp1252(in, &lossless), out);
    EXPECT_FALSE(lossless);
  }

  bool lossless = false;
  EXPECT_EQ(utf8ToCp1252("why?", &lossless), "why?");
  EXPECT_TRUE(lossless) << "a question mark in the input is not a loss";
}

TEST(CodePageTest, MalformedUtf8BecomesOneQuestionMarkPerBrokenPart) {
  const std::vector<std::pair<std::string, std::string>> cases = {
      {"a\xE2\x82", "a?"},           // truncated at the end
      {"\xE2\x82z", "?z"},           // truncated: the next character is kept
      {"\xF0\x9F\x98", "?"},         // truncated four-byte sequence
      {"\xC3", "?"},                 // lone lead byte
      {"\xC0\xAF", "??"},            // overlong '/'
      {"\xE0\x80\xAF", "???"},       // overlong '/', three bytes
      {"\xF0\x82\x82\xAC", "????"},  // overlong €
      {"\xED\xA0\x80", "???"},       // high surrogate
      {"\xED\xBF\xBF", "???"},       // low surrogate
      {"\xF4\x90\x80\x80", "????"},  // U+110000
      {"\xF5\x80\x80\x80", "????"},  // lead byte beyond the range
      {"x\x80y\xBF", "x?y?"},        // stray continuation bytes
      {"\xFE\xFF", "??"},            // never valid
      {"\xC3\xA9\xA9", "\xE9?"},     // é followed by one continuation byte too many
  };
  for (const auto& [in, out] : cases) {
    SCOPED_TRACE(testing::PrintToString(in));
    EXPECT_FALSE(isValidUtf8(in));
    bool lossless = true;
    EXPECT_EQ(utf8ToCp1252(in, &lossless), out);
    EXPECT_FALSE(lossless);
  }
}

TEST(CodePageTest, ValidityFollowsTheBoundariesOfUtf8) {
  EXPECT_TRUE(isValidUtf8(""));
  EXPECT_TRUE(isValidUtf8("\xE0\xA0\x80"));       // U+0800, smallest three-byte form
  EXPECT_TRUE(isValidUtf8("\xED\x9F\xBF"));       // U+D7FF, just below the surrogates
  EXPECT_TRUE(isValidUtf8("\xEE\x80\x80"));       // U+E000, just above them
  EXPECT_TRUE(isValidUtf8("\xF0\x90\x80\x80"));   // U+10000, smallest four-byte form
  EXPECT_FALSE(isValidUtf8("\xC1\xBF"));          // overlong U+007F
  EXPECT_FALSE(isValidUtf8("\xE0\x9F\xBF"));      // overlong U+07FF
  EXPECT_FALSE(isValidUtf8("\xF0\x8F\xBF\xBF"));  // overlong U+FFFF
  EXPECT_FALSE(isValidUtf8("ok\xE9"));            // Windows-1252 text is not UTF-8
}

}  // namespace
}  // namespace orva
