#include "common/NumberText.h"

#include <algorithm>
#include <array>
#include <charconv>
#include <climits>
#include <cmath>
#include <cstdint>
#include <limits>
#include <system_error>

namespace orva {

namespace {

bool isSpace(char c) {
  return c == ' ' || c == '\t' || c == '\n' || c == '\v' || c == '\f' || c == '\r';
}
bool isDigit(char c) { return c >= '0' && c <= '9'; }
bool isHexDigit(char c) { return isDigit(c) || (c >= 'a' && c <= 'f') || (c >= 'A' && c <= 'F'); }
char lower(char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c; }
char upper(char c) { return (c >= 'a' && c <= 'z') ? static_cast<char>(c - 'a' + 'A') : c; }

bool startsWithNoCase(std::string_view s, std::size_t pos, std::string_view word) {
  if (s.size() - pos < word.size()) return false;
  for (std::size_t i = 0; i < word.size(); ++i) {
    if (lower(s[pos + i]) != word[i]) return false;
  }
  return true;
}

std::string_view trimmed(std::string_view text) {
  while (!text.empty() && isSpace(text.front())) text.remove_prefix(1);
  while (!text.empty() && isSpace(text.back())) text.remove_suffix(1);
  return text;
}

// ---------------------------------------------------------------------------
// Writing

// The longest finite double in fixed notation has 309 digits before the point.
constexpr int kMaxPrecision = 400;

std::string charsText(double value, std::chars_format format, int precision) {
  precision = std::clamp(precision, 0, kMaxPrecision);
  std::string buffer(static_cast<std::size_t>(330 + precision), '\0');
  const auto r =
      std::to_chars(buffer.data(), buffer.data() + buffer.size(), value, format, precision);
  if (r.ec != std::errc{}) return "0";
  buffer.resize(static_cast<std::size_t>(r.ptr - buffer.data()));
  return buffer;
}

// A printf conversion: "%" flags width .precision length conversion.
struct Conversion {
  bool left = false;
  bool plus = false;
  bool space = false;
  bool zero = false;
  bool alternate = false;
  std::size_t width = 0;
  std::optional<int> precision;
  char conversion = 0;
  std::size_t length = 0;  // characters of the conversion, '%' included
};

constexpr std::string_view kConversions = "diuxXocsfFeEgG";

// The conversion starting at conv[0] == '%'; nothing when there is none.
std::optional<Conversion> parseConversion(std::string_view text) {
  if (text.size() < 2 || text[0] != '%') return std::nullopt;
  Conversion conv;
  std::size_t i = 1;
  for (; i < text.size(); ++i) {
    const char c = text[i];
    if (c == '-') {
      conv.left = true;
    } else if (c == '+') {
      conv.plus = true;
    } else if (c == ' ') {
      conv.space = true;
    } else if (c == '0') {
      conv.zero = true;
    } else if (c == '#') {
      conv.alternate = true;
    } else {
      break;
    }
  }
  constexpr std::size_t kMaxWidth = 1000;
  while (i < text.size() && isDigit(text[i])) {
    conv.width = std::min(kMaxWidth, conv.width * 10 + static_cast<std::size_t>(text[i] - '0'));
    ++i;
  }
  if (i < text.size() && text[i] == '.') {
    ++i;
    int precision = 0;
    while (i < text.size() && isDigit(text[i])) {
      precision = std::min(kMaxPrecision, precision * 10 + (text[i] - '0'));
      ++i;
    }
    conv.precision = precision;
  }
  while (i < text.size() && std::string_view("hlLqjzt").find(text[i]) != std::string_view::npos) {
    ++i;
  }
  if (i >= text.size() || kConversions.find(text[i]) == std::string_view::npos) {
    return std::nullopt;
  }
  conv.conversion = text[i];
  conv.length = i + 1;
  return conv;
}

// Pads `body` (after its sign or prefix, `signLength` characters) to the width.
std::string pad(std::string body, std::size_t signLength, const Conversion& conv,
                bool zeroAllowed) {
  if (body.size() >= conv.width) return body;
  const std::size_t fill = conv.width - body.size();
  if (conv.left) {
    body.append(fill, ' ');
  } else if (conv.zero && zeroAllowed) {
    body.insert(signLength, fill, '0');
  } else {
    body.insert(0, fill, ' ');
  }
  return body;
}

std::string signOf(bool negative, const Conversion& conv) {
  if (negative) return "-";
  if (conv.plus) return "+";
  if (conv.space) return " ";
  return {};
}

long long truncToLongLong(double value) {
  if (std::isnan(value)) return 0;
  constexpr double kLimit = 9.2e18;
  return static_cast<long long>(std::trunc(std::clamp(value, -kLimit, kLimit)));
}

std::string formatInteger(long long value, const Conversion& conv) {
  std::string digits;
  bool negative = false;
  std::string prefix;
  if (conv.conversion == 'c') {
    return pad(std::string(1, static_cast<char>(value)), 0, conv, false);
  }
  if (conv.conversion == 'd' || conv.conversion == 'i') {
    negative = value < 0;
    // The magnitude of LLONG_MIN does not fit a long long.
    const unsigned long long magnitude = negative ? 0ULL - static_cast<unsigned long long>(value)
                                                  : static_cast<unsigned long long>(value);
    digits = std::to_string(magnitude);
  } else {
    // Unsigned conversions of an int argument show its 32-bit pattern.
    const unsigned long long bits =
        (value >= INT_MIN && value <= UINT_MAX)
            ? static_cast<unsigned long long>(static_cast<std::uint32_t>(value))
            : static_cast<unsigned long long>(value);
    const int base = conv.conversion == 'u' ? 10 : conv.conversion == 'o' ? 8 : 16;
    std::array<char, 32> buffer{};
    const auto r = std::to_chars(buffer.data(), buffer.data() + buffer.size(), bits, base);
    digits.assign(buffer.data(), r.ptr);
    if (conv.conversion == 'X') std::transform(digits.begin(), digits.end(), digits.begin(), upper);
    if (conv.alternate && bits != 0) {
      if (conv.conversion == 'x') prefix = "0x";
      if (conv.conversion == 'X') prefix = "0X";
      if (conv.conversion == 'o') prefix = "0";
    }
  }
  if (conv.precision) {
    const auto minDigits = static_cast<std::size_t>(*conv.precision);
    if (*conv.precision == 0 && value == 0) digits.clear();
    if (digits.size() < minDigits) digits.insert(0, minDigits - digits.size(), '0');
  }
  if (conv.conversion == 'd' || conv.conversion == 'i') prefix = signOf(negative, conv);
  return pad(prefix + digits, prefix.size(), conv, !conv.precision);
}

std::string formatReal(double value, const Conversion& conv) {
  const bool negative = std::signbit(value);
  const bool upperCase = conv.conversion == 'F' || conv.conversion == 'E' || conv.conversion == 'G';
  std::string body;
  bool finite = std::isfinite(value);
  if (!finite) {
    body = std::isnan(value) ? "nan" : "inf";
  } else {
    const int precision = conv.precision.value_or(6);
    const double magnitude = std::fabs(value);
    switch (lower(conv.conversion)) {
      case 'e':
        body = charsText(magnitude, std::chars_format::scientific, precision);
        break;
      case 'g':
        body = charsText(magnitude, std::chars_format::general, precision);
        break;
      default:
        body = charsText(magnitude, std::chars_format::fixed, precision);
        break;
    }
    if (conv.alternate && body.find('.') == std::string::npos && lower(conv.conversion) != 'g') {
      const std::size_t e = body.find('e');
      body.insert(e == std::string::npos ? body.size() : e, ".");
    }
  }
  if (upperCase) std::transform(body.begin(), body.end(), body.begin(), upper);
  const std::string sign = signOf(negative, conv);
  return pad(sign + body, sign.size(), conv, finite);
}

std::string formatText(std::string_view text, const Conversion& conv) {
  if (conv.conversion == 's' && conv.precision &&
      static_cast<std::size_t>(*conv.precision) < text.size()) {
    text = text.substr(0, static_cast<std::size_t>(*conv.precision));
  }
  return pad(std::string(text), 0, conv, false);
}

std::string formatWith(const Conversion& conv, const FieldValue& value) {
  const bool integerConversion =
      std::string_view("diuxXoc").find(conv.conversion) != std::string_view::npos;
  switch (value.kind()) {
    case FieldValue::Kind::Text:
      return formatText(value.text(), conv);
    case FieldValue::Kind::Integer:
      if (conv.conversion == 's') return formatText(intText(value.integer()), conv);
      if (integerConversion) return formatInteger(value.integer(), conv);
      return formatReal(static_cast<double>(value.integer()), conv);
    case FieldValue::Kind::Real:
      if (conv.conversion == 's') return formatText(shortestText(value.real()), conv);
      if (integerConversion) return formatInteger(truncToLongLong(value.real()), conv);
      return formatReal(value.real(), conv);
  }
  return {};
}

// ---------------------------------------------------------------------------
// Reading

// Decides an out-of-range conversion from the magnitude of the mantissa's first
// significant digit (digits before the point minus leading zeros, in the base of
// the mantissa, scaled to its exponent): an overflow is not finite, an underflow
// reads as zero.
bool overflows(std::string_view mantissa, std::size_t intDigits, long long exponent, bool hex) {
  long long position = 0;
  std::size_t seen = 0;
  for (const char c : mantissa) {
    if (c == '.') continue;
    if (c != '0') {
      position = static_cast<long long>(intDigits) - static_cast<long long>(seen);
      return (hex ? 4 * position : position) + exponent > 0;
    }
    ++seen;
  }
  return false;  // zero is never out of range
}

// Digits of an exponent, saturated: only its size matters when out of range.
long long readExponent(std::string_view s, std::size_t& pos, bool& complete) {
  std::size_t q = pos + 1;
  bool negative = false;
  if (q < s.size() && (s[q] == '+' || s[q] == '-')) {
    negative = s[q] == '-';
    ++q;
  }
  complete = q < s.size() && isDigit(s[q]);
  if (!complete) {
    pos = q;  // what scanf has taken into the number
    return 0;
  }
  long long exponent = 0;
  while (q < s.size() && isDigit(s[q])) {
    if (exponent < 1000000000) exponent = exponent * 10 + (s[q] - '0');
    ++q;
  }
  pos = q;
  return negative ? -exponent : exponent;
}

template <typename Real>
std::from_chars_result readReal(const char* first, const char* last, double& out, bool hex) {
  Real value{};
  const auto r = std::from_chars(first, last, value,
                                 hex ? std::chars_format::hex : std::chars_format::general);
  if (r.ec == std::errc{}) out = static_cast<double>(value);
  return r;
}

// The mantissa (and exponent) after the sign at `pos`.
NumberScan scanMantissa(std::string_view s, std::size_t pos, bool negative, bool hex,
                        const ScanOptions& options) {
  NumberScan r;
  const auto isMantissaDigit = [hex](char c) { return hex ? isHexDigit(c) : isDigit(c); };
  const std::size_t start = pos;
  std::size_t intDigits = 0;
  std::size_t digits = 0;
  while (pos < s.size() && isMantissaDigit(s[pos])) {
    ++pos;
    ++intDigits;
  }
  digits = intDigits;
  if (pos < s.size() && s[pos] == '.') {
    ++pos;
    while (pos < s.size() && isMantissaDigit(s[pos])) {
      ++pos;
      ++digits;
    }
  }
  if (digits == 0) {
    r.status = ScanStatus::NoNumber;
    return r;
  }
  const std::size_t mantissaEnd = pos;
  long long exponent = 0;
  if (pos < s.size() && lower(s[pos]) == (hex ? 'p' : 'e')) {
    std::size_t q = pos;
    bool complete = false;
    const long long e = readExponent(s, q, complete);
    if (complete) {
      exponent = e;
      pos = q;
    } else if (options.incompleteFails) {
      r.status = ScanStatus::NoNumber;
      return r;
    }
  }
  r.end = pos;
  double value = 0.0;
  const auto res = options.singlePrecision
                       ? readReal<float>(s.data() + start, s.data() + pos, value, hex)
                       : readReal<double>(s.data() + start, s.data() + pos, value, hex);
  if (res.ec == std::errc{} && res.ptr == s.data() + pos) {
    r.value = negative ? -value : value;
    r.status = std::isfinite(r.value) ? ScanStatus::Ok : ScanStatus::NotFinite;
    return r;
  }
  if (overflows(s.substr(start, mantissaEnd - start), intDigits, exponent, hex)) {
    r.status = ScanStatus::NotFinite;
    return r;
  }
  r.value = negative ? -0.0 : 0.0;
  r.status = ScanStatus::Ok;
  return r;
}

// "inf", "infinity", "nan" and "nan(chars)" at `pos`; their length, or 0.
std::size_t nonFiniteWord(std::string_view s, std::size_t pos) {
  if (startsWithNoCase(s, pos, "inf")) {
    return startsWithNoCase(s, pos + 3, "inity") ? 8 : 3;
  }
  if (!startsWithNoCase(s, pos, "nan")) return 0;
  std::size_t q = pos + 3;
  if (q < s.size() && s[q] == '(') {
    std::size_t p = q + 1;
    while (p < s.size() &&
           (isDigit(s[p]) || (lower(s[p]) >= 'a' && lower(s[p]) <= 'z') || s[p] == '_')) {
      ++p;
    }
    if (p < s.size() && s[p] == ')') q = p + 1;
  }
  return q - pos;
}

}  // namespace

// ---------------------------------------------------------------------------

std::string intText(long long value) { return std::to_string(value); }

std::string fixedText(double value, int decimals) {
  Conversion conv;
  conv.conversion = 'f';
  conv.precision = decimals;
  return formatReal(value, conv);
}

std::string numberText(double value) {
  Conversion conv;
  conv.conversion = 'g';
  conv.precision = 15;
  return formatReal(value, conv);
}

std::string shortestText(double value) {
  std::array<char, 64> buffer{};
  const auto r = std::to_chars(buffer.data(), buffer.data() + buffer.size(), value);
  return std::string(buffer.data(), r.ptr);
}

int truncToInt(double value) {
  if (std::isnan(value)) return 0;
  const double t = std::trunc(value);
  if (t <= static_cast<double>(std::numeric_limits<int>::min())) {
    return std::numeric_limits<int>::min();
  }
  if (t >= static_cast<double>(std::numeric_limits<int>::max())) {
    return std::numeric_limits<int>::max();
  }
  return static_cast<int>(t);
}

std::string formatField(std::string_view conversion, const FieldValue& value) {
  const std::optional<Conversion> parsed = parseConversion(conversion);
  if (!parsed || parsed->length != conversion.size()) return std::string(conversion);
  return formatWith(*parsed, value);
}

std::string fillFields(std::string_view pattern, std::initializer_list<FieldValue> values) {
  std::string out;
  out.reserve(pattern.size() + 16);
  const FieldValue* next = values.begin();
  for (std::size_t i = 0; i < pattern.size(); ++i) {
    if (pattern[i] != '%') {
      out += pattern[i];
      continue;
    }
    if (i + 1 < pattern.size() && pattern[i + 1] == '%') {
      out += '%';
      ++i;
      continue;
    }
    const std::optional<Conversion> conv = parseConversion(pattern.substr(i));
    if (!conv || next == values.end()) {
      out += '%';
      continue;
    }
    out += formatWith(*conv, *next++);
    i += conv->length - 1;
  }
  return out;
}

NumberScan scanNumber(std::string_view s, std::size_t pos, const ScanOptions& options) {
  NumberScan r;
  while (pos < s.size() && isSpace(s[pos])) ++pos;
  if (pos >= s.size()) {
    r.status = ScanStatus::EndOfText;
    return r;
  }
  bool negative = false;
  if (s[pos] == '+' || s[pos] == '-') {
    negative = s[pos] == '-';
    ++pos;
  }
  if (const std::size_t word = nonFiniteWord(s, pos); word != 0) {
    r.status = ScanStatus::NotFinite;
    r.end = pos + word;
    return r;
  }
  if (options.hexadecimal && pos + 1 < s.size() && s[pos] == '0' && lower(s[pos + 1]) == 'x') {
    const NumberScan hex = scanMantissa(s, pos + 2, negative, true, options);
    if (hex.status != ScanStatus::NoNumber || options.incompleteFails) return hex;
    // "0x" without hexadecimal digits: the "0" alone is the number.
  }
  return scanMantissa(s, pos, negative, false, options);
}

IntegerScan scanInteger(std::string_view s, std::size_t pos) {
  IntegerScan r;
  while (pos < s.size() && isSpace(s[pos])) ++pos;
  if (pos >= s.size()) {
    r.status = ScanStatus::EndOfText;
    return r;
  }
  bool negative = false;
  if (s[pos] == '+' || s[pos] == '-') {
    negative = s[pos] == '-';
    ++pos;
  }
  if (pos >= s.size() || !isDigit(s[pos])) return r;
  // The magnitude is accumulated up to just beyond 2^31; more is out of range either way.
  constexpr std::int64_t kLimit = std::int64_t{1} << 31;
  std::int64_t magnitude = 0;
  while (pos < s.size() && isDigit(s[pos])) {
    if (magnitude <= kLimit) magnitude = magnitude * 10 + (s[pos] - '0');
    ++pos;
  }
  r.end = pos;
  const std::int64_t value = negative ? -magnitude : magnitude;
  if (value < -kLimit || value > kLimit - 1) {
    r.status = ScanStatus::OutOfRange;
    return r;
  }
  r.value = static_cast<int>(value);
  r.status = ScanStatus::Ok;
  return r;
}

std::optional<double> parseNumber(std::string_view text) {
  text = trimmed(text);
  const NumberScan scan = scanNumber(text);
  if (text.empty() || !scan.ok() || scan.end != text.size()) return std::nullopt;
  return scan.value;
}

double leadingNumber(std::string_view text) {
  const NumberScan scan = scanNumber(text);
  return scan.ok() ? scan.value : 0.0;
}

std::optional<int> parseInt(std::string_view text) {
  text = trimmed(text);
  bool sign = false;
  if (!text.empty() && text.front() == '+') {
    text.remove_prefix(1);
    sign = true;
  }
  if (text.empty() || text.front() == '+' || (sign && text.front() == '-')) return std::nullopt;
  int value = 0;
  const auto r = std::from_chars(text.data(), text.data() + text.size(), value);
  if (r.ec != std::errc{} || r.ptr != text.data() + text.size()) return std::nullopt;
  return value;
}

}  // namespace orva
