#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <limits>
#include <string>
#include <vector>

#include "common/NumberText.h"

namespace orva {
namespace {

// printf itself is the reference for every supported conversion (the tests run in
// the C locale).
template <typename T>
std::string printed(const char* format, T value) {
  char buffer[512];
  std::snprintf(buffer, sizeof buffer, format, value);
  return buffer;
}

TEST(FormatField, WritesEveryConversionAsPrintfDoes) {
  const std::vector<const char*> realFormats = {
      "%f",    "%.0f",   "%.1f",    "%5.3f", "%-7.2f", "%6.1f", "%2.2f", "%3.0f", "%+.2f",
      "% .1f", "%08.2f", "%-8.1f|", "%e",    "%.3E",   "%g",    "%.15g", "%G",    "%#.0f"};
  const std::vector<double> reals = {0.0,     -0.0, 1.0,         -1.5,    0.125, 2.5, 3.5,
                                     999.995, 1e-7, 123456789.0, -0.0004, 1e300, 0.1};
  for (const char* format : realFormats) {
    for (double v : reals) {
      std::string s = format;
      if (s.back() == '|') s.pop_back();
      EXPECT_EQ(formatField(s, v), printed(s.c_str(), v)) << format << " " << v;
    }
  }
  for (const char* format :
       {"%d", "%5d", "%-5d|", "%05d", "%+d", "%.3d", "%02x", "%X", "%#x", "%o", "%u"}) {
    for (int v : {0, 7, -42, 255, 65535, std::numeric_limits<int>::min()}) {
      std::string s = format;
      if (s.back() == '|') s.pop_back();
      if ((s.back() == 'x' || s.back() == 'X' || s.back() == 'o' || s.back() == 'u') && v < 0) {
        EXPECT_EQ(formatField(s, v), printed(s.c_str(), static_cast<unsigned>(v))) << format << v;
      } else {
        EXPECT_EQ(formatField(s, v), printed(s.c_str(), v)) << format << " " << v;
      }
    }
  }
  EXPECT_EQ(formatField("%ld", 1234567890123LL), "1234567890123");
  EXPECT_EQ(formatField("%zu", std::size_t{12}), "12");
  EXPECT_EQ(formatField("%c", 'A'), "A");
  EXPECT_EQ(formatField("%5s|", "ab"), "%5s|");  // not one conversion: unchanged
  EXPECT_EQ(formatField("%5s", "ab"), "   ab");
  EXPECT_EQ(formatField("%-4s", "ab"), "ab  ");
  EXPECT_EQ(formatField("%.2s", "abc"), "ab");
  // Non-finite values, also where zeros would pad.
  const double inf = std::numeric_limits<double>::infinity();
  for (const char* format : {"%f", "%6.1f", "%06.1f", "%F", "%g"}) {
    EXPECT_EQ(formatField(format, inf), printed(format, inf)) << format;
    EXPECT_EQ(formatField(format, -inf), printed(format, -inf)) << format;
    EXPECT_EQ(formatField(format, std::nan("")), printed(format, std::nan(""))) << format;
  }
}

TEST(FormatField, ConvertsBetweenIntegersNumbersAndTexts) {
  EXPECT_EQ(formatField("%d", 12.9), "12");  // truncated
  EXPECT_EQ(formatField("%d", -12.9), "-12");
  EXPECT_EQ(formatField("%d", std::nan("")), "0");
  EXPECT_EQ(formatField("%.2f", 3), "3.00");
  EXPECT_EQ(formatField("%s", 2.5), "2.5");
  EXPECT_EQ(formatField("%s", 17), "17");
  EXPECT_EQ(formatField("%6.1f", "given"), " given");  // a text stands as it is
  EXPECT_EQ(formatField("%V", 1), "%V");
  EXPECT_EQ(formatField("%1", 1), "%1");
}

TEST(NumberTexts, FixedNumberShortestAndInteger) {
  EXPECT_EQ(fixedText(0.5), "0.500000");
  EXPECT_EQ(fixedText(-12.345, 1), "-12.3");
  EXPECT_EQ(fixedText(2.5, 0), "2");  // round half to even, as printf
  EXPECT_EQ(fixedText(1e308, 2).size(), 309u + 3u);
  EXPECT_EQ(fixedText(std::nan("")), "nan");
  EXPECT_EQ(fixedText(-std::numeric_limits<double>::infinity()), "-inf");
  EXPECT_EQ(numberText(500000.0), "500000");
  EXPECT_EQ(numberText(0.1), "0.1");
  EXPECT_EQ(numberText(1.0 / 3.0), "0.333333333333333");
  EXPECT_EQ(numberText(1e20), "1e+20");
  EXPECT_EQ(shortestText(0.1), "0.1");
  EXPECT_EQ(shortestText(1.0 / 3.0), "0.3333333333333333");
  EXPECT_EQ(shortestText(10000.0), "10000");
  EXPECT_EQ(intText(-9000000000LL), "-9000000000");
  EXPECT_EQ(truncToInt(-3.9), -3);
  EXPECT_EQ(truncToInt(1e12), std::numeric_limits<int>::max());
  EXPECT_EQ(truncToInt(-1e12), std::numeric_limits<int>::min());
  EXPECT_EQ(truncToInt(std::nan("")), 0);
}

TEST(FillFields, FillsEachFieldInOrderByItsOwnConversion) {
  EXPECT_EQ(fillFields("%s %d%%", {"Heat", 75}), "Heat 75%");
  EXPECT_EQ(fillFields("%d %5.3f|%-6.1f|%s", {3, 0.5, 2.25, "x"}), "3 0.500|2.2   |x");
  EXPECT_EQ(fillFields("Set timer on %3.0f ms", {5.0}), "Set timer on   5 ms");
  EXPECT_EQ(fillFields("#%02x%02x%02x", {255, 8, 0}), "#ff0800");
  // Fields without a value and sequences that are no conversion stay as they stand.
  EXPECT_EQ(fillFields("%s and %s", {"a"}), "a and %s");
  EXPECT_EQ(fillFields("%1 at %VMax, %d", {4}), "%1 at %VMax, 4");
  EXPECT_EQ(fillFields("100%", {}), "100%");
  EXPECT_EQ(fillFields("%%d %d", {1}), "%d 1");
  // A value's text is never scanned again.
  EXPECT_EQ(fillFields("%s|%d", {"%d", 2}), "%d|2");
}

// ---------------------------------------------------------------------------
// Reading

struct ScanCase {
  const char* text;
  ScanStatus status;
  double value;     // when Ok
  std::size_t end;  // when Ok or NotFinite
};

void expectScans(const std::vector<ScanCase>& cases, const ScanOptions& options) {
  for (const ScanCase& c : cases) {
    SCOPED_TRACE(c.text);
    const NumberScan r = scanNumber(c.text, 0, options);
    EXPECT_EQ(r.status, c.status);
    if (c.status == ScanStatus::Ok) {
      EXPECT_EQ(r.value, c.value);
      EXPECT_EQ(std::signbit(r.value), std::signbit(c.value));
    }
    if (c.status == ScanStatus::Ok || c.status == ScanStatus::NotFinite) { EXPECT_EQ(r.end, c.end); }
  }
}

TEST(ScanNumber, ReadsWhatPercentLfReads) {
  using S = ScanStatus;
  expectScans(
      {{"  .25", S::Ok, 0.25, 5},     {"5.", S::Ok, 5.0, 2},
       {"+1.5e-1ms", S::Ok, 0.15, 7}, {"\t-7 8", S::Ok, -7.0, 3},
       {"0.5-0.01", S::Ok, 0.5, 3},  // no blank needed before a sign
       {"1E0 x", S::Ok, 1.0, 3},      {"0x1p-2", S::Ok, 0.25, 6},
       {"-0X1.8P1", S::Ok, -3.0, 8},  {"1e-400", S::Ok, 0.0, 6},  // below the range: zero
       {"-1e-400", S::Ok, -0.0, 7},   {"0.000e999999999999", S::Ok, 0.0, 18},
       {"1e999", S::NotFinite, 0, 5}, {"-123e400", S::NotFinite, 0, 8},
       {"nan", S::NotFinite, 0, 3},   {"-Infinity 0", S::NotFinite, 0, 9},
       {"INF", S::NotFinite, 0, 3},   {"NAN(1) 2", S::NotFinite, 0, 6},
       {"nan(x", S::NotFinite, 0, 3}, {"Nanofoil", S::NotFinite, 0, 3},  // a word starting like one
       {".", S::NoNumber, 0, 0},      {"-", S::NoNumber, 0, 0},
       {"x1", S::NoNumber, 0, 0},     {"1,5", S::Ok, 1.0, 1},
       {"", S::EndOfText, 0, 0},      {" \t\r\n", S::EndOfText, 0, 0}},
      {});
}

TEST(ScanNumber, IncompleteExponentsAndPrefixesFollowTheOption) {
  using S = ScanStatus;
  // strtod's way (default): the number before them is read.
  expectScans({{"1e", S::Ok, 1.0, 1},
               {"2e+x", S::Ok, 2.0, 1},
               {"0x", S::Ok, 0.0, 1},
               {"0xg", S::Ok, 0.0, 1},
               {"0x1p", S::Ok, 1.0, 3}},
              {});
  // scanf's way: they are taken into the number, which fails.
  ScanOptions scanf;
  scanf.incompleteFails = true;
  expectScans({{"1e", S::NoNumber, 0, 0},
               {"2e+x", S::NoNumber, 0, 0},
               {"0x", S::NoNumber, 0, 0},
               {"0x1p", S::NoNumber, 0, 0},
               {"1e5", S::Ok, 1e5, 3},
               {"0x10", S::Ok, 16.0, 4}},
              scanf);
}

// The coordinate-file tests read lines of these numbers (floats, 1e39
// refused, one number after the other).
TEST(ScanNumber, SinglePrecisionWithoutHexadecimalForCoordinates) {
  using S = ScanStatus;
  ScanOptions coordinates;
  coordinates.hexadecimal = false;
  coordinates.singlePrecision = true;
  expectScans({{"0.123456789", S::Ok, static_cast<double>(0.123456789f), 11},
               {"0x10", S::Ok, 0.0, 1},
               {"1e-60", S::Ok, 0.0, 5},  // below the float range
               {"-4e38", S::NotFinite, 0, 5},
               {"3e38", S::Ok, static_cast<double>(3e38f), 4}},
              coordinates);
  EXPECT_NE(scanNumber("0.123456789", 0, coordinates).value, 0.123456789);
}

TEST(ScanInteger, ReadsWhatPercentDReads) {
  struct Case {
    const char* text;
    ScanStatus status;
    int value;
    std::size_t end;
  };
  const std::vector<Case> cases = {
      {"12.7", ScanStatus::Ok, 12, 2},  // stops at the point
      {" \t 901 mm", ScanStatus::Ok, 901, 6},
      {"+5", ScanStatus::Ok, 5, 2},
      {"-2147483648", ScanStatus::Ok, std::numeric_limits<int>::min(), 11},
      {"2147483647", ScanStatus::Ok, std::numeric_limits<int>::max(), 10},
      {"2147483648", ScanStatus::OutOfRange, 0, 10},
      {"99999999999999999999 1", ScanStatus::OutOfRange, 0, 20},
      {"-2147483649", ScanStatus::OutOfRange, 0, 11},
      {"x", ScanStatus::NoNumber, 0, 0},
      {"-", ScanStatus::NoNumber, 0, 0},
      {"", ScanStatus::EndOfText, 0, 0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.text);
    const IntegerScan r = scanInteger(c.text);
    EXPECT_EQ(r.status, c.status);
    if (c.status == ScanStatus::Ok) { EXPECT_EQ(r.value, c.value); }
    if (c.status == ScanStatus::Ok || c.status == ScanStatus::OutOfRange) { EXPECT_EQ(r.end, c.end); }
  }
}

TEST(ParseNumber, WholeTextsAndLeadingNumbers) {
  EXPECT_EQ(parseNumber(" 2.5 "), 2.5);
  EXPECT_EQ(parseNumber("0x10"), 16.0);
  for (const char* bad : {"", "  ", "2.5mm", "1e", "inf", "nan", "1e999", "1,5", "--1"}) {
    EXPECT_FALSE(parseNumber(bad)) << bad;
  }
  EXPECT_EQ(leadingNumber("12.5 mm"), 12.5);
  EXPECT_EQ(leadingNumber("mm"), 0.0);
  EXPECT_EQ(leadingNumber("inf"), 0.0);
  EXPECT_EQ(parseInt(" +12 "), 12);
  EXPECT_EQ(parseInt("-3"), -3);
  for (const char* bad : {"", "1.5", "++1", "+-1", "2147483648", "12a"}) {
    EXPECT_FALSE(parseInt(bad)) << bad;
  }
}

}  // namespace
}  // namespace orva
