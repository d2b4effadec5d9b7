#include "config/TableConfig.h"

#include <array>
#include <charconv>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <memory>
#include <string>
#include <system_error>

#include "common/SafeFile.h"

namespace orva {

namespace {

// One line of the table file: its key and the field it fills. Exactly one of
// the two member pointers is set.
struct TableKey {
  std::string_view key;
  int TableConfig::*intField;
  double TableConfig::*doubleField;
};

// The lines of the file, in the order they are written.
constexpr std::array<TableKey, 22> kKeys = {{
    {"TableInv", &TableConfig::TableInv, nullptr},
    {"InterfChauf", &TableConfig::InterfChauf, nullptr},
    {"Tempo", nullptr, &TableConfig::Tempo},
    {"Chauffe", nullptr, &TableConfig::Chauffe},
    {"ArmVMax", &TableConfig::ArmVMax, nullptr},
    {"Entraxe", &TableConfig::Entraxe, nullptr},
    {"AxesX", &TableConfig::AxesX, nullptr},
    {"AxesY", &TableConfig::AxesY, nullptr},
    {"ZeroX", nullptr, &TableConfig::ZeroX},
    {"XNtour", &TableConfig::XNtour, nullptr},
    {"XPasInvSens", &TableConfig::XPasInvSens, nullptr},
    {"XPas", nullptr, &TableConfig::XPas},
    {"XVmax", nullptr, &TableConfig::XVmax},
    {"VitesseInvSensX", &TableConfig::VitesseInvSensX, nullptr},
    {"VitesseInvSensY", &TableConfig::VitesseInvSensY, nullptr},
    {"YNtour", &TableConfig::YNtour, nullptr},
    {"YPasInvSens", &TableConfig::YPasInvSens, nullptr},
    {"YPas", nullptr, &TableConfig::YPas},
    {"YVmax", nullptr, &TableConfig::YVmax},
    {"MargeBlocX", &TableConfig::MargeBlocX, nullptr},
    {"MargeBlocZ", &TableConfig::MargeBlocZ, nullptr},
    {"ZeroY", nullptr, &TableConfig::ZeroY},
}};

// White space as the C locale's isspace() sees it.
bool isCSpace(char c) {
  return c == ' ' || c == '\t' || c == '\n' || c == '\v' || c == '\f' || c == '\r';
}
bool isDigit(char c) { return c >= '0' && c <= '9'; }
bool isHexDigit(char c) { return isDigit(c) || (c >= 'a' && c <= 'f') || (c >= 'A' && c <= 'F'); }
char lower(char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c; }

std::size_t skipSpace(std::string_view s, std::size_t pos) {
  while (pos < s.size() && isCSpace(s[pos])) ++pos;
  return pos;
}

// Skips an exponent part ("e-12", "p+3") when s[pos] is `marker`. Returns
// false when the marker is there but no digit follows: scanf has then taken
// the marker (and sign) into the number, which makes the conversion fail.
bool skipExponent(std::string_view s, std::size_t& pos, char marker) {
  if (pos >= s.size() || lower(s[pos]) != marker) return true;
  ++pos;
  if (pos < s.size() && (s[pos] == '+' || s[pos] == '-')) ++pos;
  if (pos >= s.size() || !isDigit(s[pos])) return false;
  while (pos < s.size() && isDigit(s[pos])) ++pos;
  return true;
}

// "%d" / "%f" text of a field, independent of the process locale ("%f" and
// to_chars(fixed, 6) give the same text).
void appendInt(std::string& out, int value) {
  std::array<char, 16> buf{};
  const auto r = std::to_chars(buf.data(), buf.data() + buf.size(), value);
  out.append(buf.data(), r.ptr);
}
void appendFixed6(std::string& out, double value) {
  // The largest double takes 309 digits before the point.
  std::array<char, 400> buf{};
  const auto r =
      std::to_chars(buf.data(), buf.data() + buf.size(), value, std::chars_format::fixed, 6);
  if (r.ec == std::errc{}) out.append(buf.data(), r.ptr);
}

// Matches one line against every key; every key that matches stores its field.
void parseLine(std::string_view line, TableConfig& config) {
  for (const TableKey& k : kKeys) {
    if (line.substr(0, k.key.size()) != k.key) continue;
    // The blank of the format matches any amount of white space, also none.
    const std::string_view rest = line.substr(skipSpace(line, k.key.size()));
    if (k.intField != nullptr) {
      int value = 0;
      if (scanInt(rest, value) != 0) config.*k.intField = value;
    } else {
      double value = 0.0;
      if (scanDouble(rest, value) != 0) config.*k.doubleField = value;
    }
  }
}

// The UTF-8 file name as a path (file names are UTF-8 in memory).
std::filesystem::path utf8Path(std::string_view name) {
  return std::filesystem::path(std::u8string(name.begin(), name.end()));
}

struct FileCloser {
  void operator()(std::FILE* f) const { std::fclose(f); }
};

}  // namespace

void TableConfig::setBuiltIn() {
  const bool modified = tableModified;
  *this = TableConfig{};
  tableModified = modified;
}

std::string TableFileName(std::string_view tableName) {
  std::string name(tableName);
  name += "_table.bd";
  return name;
}

std::size_t scanInt(std::string_view s, int& value) {
  std::size_t pos = skipSpace(s, 0);
  bool negative = false;
  if (pos < s.size() && (s[pos] == '+' || s[pos] == '-')) {
    negative = s[pos] == '-';
    ++pos;
  }
  if (pos >= s.size() || !isDigit(s[pos])) return 0;
  // Accumulate the magnitude; anything beyond 2^31 is out of range either way.
  constexpr std::int64_t kLimit = std::int64_t{1} << 31;
  std::int64_t magnitude = 0;
  while (pos < s.size() && isDigit(s[pos])) {
    if (magnitude <= kLimit) magnitude = magnitude * 10 + (s[pos] - '0');
    ++pos;
  }
  const std::int64_t signedValue = negative ? -magnitude : magnitude;
  if (signedValue < -kLimit || signedValue > kLimit - 1) return 0;
  value = static_cast<int>(signedValue);
  return pos;
}

std::size_t scanDouble(std::string_view s, double& value) {
  std::size_t pos = skipSpace(s, 0);
  bool negative = false;
  if (pos < s.size() && (s[pos] == '+' || s[pos] == '-')) {
    negative = s[pos] == '-';
    ++pos;
  }
  // "inf", "infinity" and "nan" are numbers to scanf, but never finite.
  if (pos < s.size() && (lower(s[pos]) == 'i' || lower(s[pos]) == 'n')) return 0;

  const bool hex = pos + 1 < s.size() && s[pos] == '0' && lower(s[pos + 1]) == 'x';
  if (hex) pos += 2;
  const std::size_t start = pos;
  const auto isMantissaDigit = [hex](char c) { return hex ? isHexDigit(c) : isDigit(c); };
  std::size_t digits = 0;
  const auto skipDigits = [&] {
    while (pos < s.size() && isMantissaDigit(s[pos])) {
      ++pos;
      ++digits;
    }
  };
  skipDigits();
  if (pos < s.size() && s[pos] == '.') {
    ++pos;
    skipDigits();
  }
  if (digits == 0) return 0;
  if (!skipExponent(s, pos, hex ? 'p' : 'e')) return 0;

  double magnitude = 0.0;
  const auto r = std::from_chars(s.data() + start, s.data() + pos, magnitude,
                                 hex ? std::chars_format::hex : std::chars_format::general);
  if (r.ec != std::errc{} || r.ptr != s.data() + pos || !std::isfinite(magnitude)) return 0;
  value = negative ? -magnitude : magnitude;
  return pos;
}

void TableConfigParser::feed(std::string_view bytes) {
  for (const char c : bytes) {
    if (c == '\n' || c == '\r') {
      // "\r\n" is one line end.
      if (!(c == '\n' && afterCr_)) endLine();
      afterCr_ = c == '\r';
      continue;
    }
    afterCr_ = false;
    if (overlong_) continue;
    if (line_.size() == kMaxLineBytes) {
      overlong_ = true;
      line_.clear();
      continue;
    }
    line_.push_back(c);
  }
}

void TableConfigParser::endLine() {
  if (!overlong_) parseLine(line_, config_);
  line_.clear();
  overlong_ = false;
}

void TableConfigParser::finish() {
  if (!line_.empty() || overlong_) endLine();
  afterCr_ = false;
  config_.TableInv &= 1;
  config_.InterfChauf &= 1;
}

void ParseTableConfigText(std::string_view text, TableConfig& config) {
  TableConfigParser parser(config);
  parser.feed(text);
  parser.finish();
}

std::string FormatTableConfig(const TableConfig& config) {
  std::string out;
  out.reserve(400);
  for (const TableKey& k : kKeys) {
    out += k.key;
    out += ' ';
    if (k.intField != nullptr) {
      appendInt(out, config.*k.intField);
    } else {
      appendFixed6(out, config.*k.doubleField);
    }
    out += '\n';
  }
  return out;
}

bool ReadTableConfig(TableConfig& config, const std::filesystem::path& dir,
                     std::string_view fileName) {
  const std::filesystem::path path = dir / utf8Path(fileName);
  // Only a regular file is a table file: a directory cannot be read and a
  // device or pipe could be endless.
  std::error_code ec;
  if (!std::filesystem::is_regular_file(path, ec)) return false;
  const std::unique_ptr<std::FILE, FileCloser> file(std::fopen(path.c_str(), "rb"));
  if (!file) return false;

  // Read into a copy so that a read error part-way leaves the record as it was.
  TableConfig read = config;
  TableConfigParser parser(read);
  std::array<char, 16384> buf{};
  std::size_t n = 0;
  while ((n = std::fread(buf.data(), 1, buf.size(), file.get())) > 0) {
    parser.feed(std::string_view(buf.data(), n));
  }
  if (std::ferror(file.get()) != 0) return false;
  parser.finish();

  config = read;
  config.tableModified = false;
  return true;
}

bool OpenTableConfig(TableConfig& config, const std::filesystem::path& dir,
                     std::string_view fileName, bool useDefaults) {
  if (ReadTableConfig(config, dir, fileName)) return true;
  if (!useDefaults) return false;
  config.setBuiltIn();
  config.tableModified = true;  // the file is created at the next save point
  return true;
}

bool SaveTableConfig(const TableConfig& config, const std::filesystem::path& dir,
                     std::string_view fileName) {
  if (!config.tableModified) return true;
  return writeFileSafely(dir / utf8Path(fileName), FormatTableConfig(config));
}

double MaxAxisSpeed(double pitch, int stepsPerRevolution, double minStepTimeMs) {
  const double divisor = static_cast<double>(stepsPerRevolution) * minStepTimeMs;
  if (divisor == 0.0) return 0.0;
  const double speed = pitch * 1000.0 / divisor;
  return std::isfinite(speed) ? speed : 0.0;
}

}  // namespace orva
