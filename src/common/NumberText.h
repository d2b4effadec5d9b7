#pragma once

#include <concepts>
#include <cstddef>
#include <initializer_list>
#include <optional>
#include <string>
#include <string_view>
#include <type_traits>

namespace orva {

// Number texts of files, forms and messages, always in the C locale: the decimal
// separator is '.' whatever LC_NUMERIC the process runs under.

// ---------------------------------------------------------------------------
// Writing

// "%d".
std::string intText(long long value);
// "%.<decimals>f"; "%f" by default. Infinities and NaN as printf writes them
// ("inf", "-inf", "nan", "-nan").
std::string fixedText(double value, int decimals = 6);
// "%.15g": the text of an edit box or a range bound in a message, so 500000
// reads "500000" and 0.1 reads "0.1".
std::string numberText(double value);
// The shortest text that reads back as the same double ("0.1", "1e+20").
std::string shortestText(double value);
// The integer part of `value` as "%d" shows a conversion of it: saturated to the
// int range, 0 for NaN.
int truncToInt(double value);

// The value of one printf field: a text, an integer or a floating-point number.
// A text is held as a view: a FieldValue lives only as long as the call it is
// made for (an argument list of fillFields or formatField).
class FieldValue {
 public:
  enum class Kind { Text, Integer, Real };

  FieldValue(std::string_view text) : kind_(Kind::Text), text_(text) {}
  FieldValue(const char* text) : FieldValue(std::string_view(text)) {}
  FieldValue(const std::string& text) : FieldValue(std::string_view(text)) {}
  template <std::integral T>
  requires(!std::is_same_v<T, bool>) FieldValue(T value)
      : kind_(Kind::Integer), integer_(static_cast<long long>(value)) {}
  template <std::floating_point T>
  FieldValue(T value) : kind_(Kind::Real), real_(static_cast<double>(value)) {}

  Kind kind() const { return kind_; }
  std::string_view text() const { return text_; }
  long long integer() const { return integer_; }
  double real() const { return real_; }

 private:
  Kind kind_;
  std::string_view text_;
  long long integer_ = 0;
  double real_ = 0.0;
};

// One printf conversion such as "%d", "%5.3f", "%-7.2f", "%02x", "%.15g" or "%s"
// applied to `value`. Supported: the flags "-+ 0" (and '#' for x and o), a width,
// a precision, length modifiers (ignored) and the conversions d i u x X o c s
// f F e E g G. A number given to an integer conversion is truncated (saturated),
// an integer given to a floating conversion is converted, and a text is written
// as it stands (padded to the width; only "%s" cuts it to the precision). A text
// that is no such conversion gives itself back unchanged.
std::string formatField(std::string_view conversion, const FieldValue& value);

// Fills the printf fields of `pattern` in order with `values`, each by its own
// conversion; "%%" becomes "%". A field without a value, and every %-sequence
// that is no conversion (the %1..%9 markers of fillInserts, "%V"), is copied as
// it stands.
std::string fillFields(std::string_view pattern, std::initializer_list<FieldValue> values);

// ---------------------------------------------------------------------------
// Reading: scanf conversions, whatever the process locale.

enum class ScanStatus {
  Ok,          // a number was read
  NoNumber,    // the text there cannot begin a number (scanf's matching failure)
  EndOfText,   // only white space is left (scanf's end of input)
  NotFinite,   // inf, infinity, nan, nan(...) or a value beyond the range was read
  OutOfRange,  // an integer beyond 32 bits was read
};

struct ScanOptions {
  // Hexadecimal floating point ("0x1.8p3"), as "%lf" takes it.
  bool hexadecimal = true;
  // The value is rounded to a 32-bit float ("%f" into a float); values beyond the
  // float range are not finite, those below it read as zero.
  bool singlePrecision = false;
  // As C's scanf: an exponent marker without digits ("1e", "2e+x", "0x1p") or
  // "0x" without hexadecimal digits is taken into the number and the conversion
  // fails. Otherwise the number before it is read, as strtod does ("1e" is 1).
  bool incompleteFails = false;
};

struct NumberScan {
  ScanStatus status = ScanStatus::NoNumber;
  double value = 0.0;   // set when status is Ok
  std::size_t end = 0;  // position after what was read (Ok, NotFinite, OutOfRange)
  bool ok() const { return status == ScanStatus::Ok; }
};

struct IntegerScan {
  ScanStatus status = ScanStatus::NoNumber;
  int value = 0;
  std::size_t end = 0;
  bool ok() const { return status == ScanStatus::Ok; }
};

// "%lf" at `pos`: white space skipped, an optional sign, then decimal digits with
// an optional point and exponent (".5" and "5." included), a hexadecimal number
// (see ScanOptions) or one of the words inf, infinity, nan, nan(chars) in any
// case. Values below the range read as (signed) zero.
NumberScan scanNumber(std::string_view text, std::size_t pos = 0, const ScanOptions& options = {});
// "%d" at `pos`: white space skipped, an optional sign and decimal digits; a value
// beyond 32 bits is OutOfRange (its digits are consumed).
IntegerScan scanInteger(std::string_view text, std::size_t pos = 0);

// The whole text, white space around allowed, as one finite number (default
// options); nothing otherwise.
std::optional<double> parseNumber(std::string_view text);
// The leading finite number of a text, as the live rules of a form read it; 0
// when there is none.
double leadingNumber(std::string_view text);
// The whole text as an int (white space around and one sign allowed); nothing
// otherwise.
std::optional<int> parseInt(std::string_view text);

}  // namespace orva
