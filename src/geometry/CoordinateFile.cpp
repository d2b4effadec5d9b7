#include "geometry/CoordinateFile.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <fstream>
#include <optional>
#include <string>
#include <system_error>
#include <utility>

#include "common/CodePage.h"
#include "common/Messages.h"
#include "common/UserPrompt.h"

namespace orva {

namespace {

// A profile surface is stored with a 16-bit point count, so one surface holds
// at most 65535 points; a file holds at most two such surfaces plus a possible
// header point of counts.
constexpr std::size_t kMaxSurfacePoints = 65535;
constexpr std::size_t kMaxRawPoints = 2 * kMaxSurfacePoints + 1;
// Coordinate files are a few kilobytes; anything this large is not one.
constexpr std::uintmax_t kMaxFileBytes = 16u * 1024u * 1024u;
// A line longer than this is never a coordinate line (it is only a name candidate).
constexpr std::size_t kMaxPointLineBytes = 4096;
// Names keep at most this many characters; a name line is looked at through a
// prefix of this many bytes (enough for kMaxNameChars characters of UTF-8).
constexpr std::size_t kMaxNameChars = 126;
constexpr std::size_t kNamePrefixBytes = 4 * kMaxNameChars;
// The longest path the file dialog may return, in characters.
constexpr std::size_t kMaxPathChars = 127;

bool isCSpace(char c) {
  return c == ' ' || c == '\t' || c == '\n' || c == '\v' || c == '\f' || c == '\r';
}
bool isDigit(char c) { return c >= '0' && c <= '9'; }
char lower(char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c; }

bool startsWithNoCase(std::string_view s, std::size_t pos, std::string_view word) {
  if (s.size() - pos < word.size()) return false;
  for (std::size_t i = 0; i < word.size(); ++i) {
    if (lower(s[pos + i]) != word[i]) return false;
  }
  return true;
}

struct ScannedNumber {
  bool found = false;  // a number was read
  bool finite = true;  // false for nan, inf and values beyond the float range
  float value = 0.0f;
  std::size_t end = 0;  // position after the number
};

// Reads one number the way a C "%f" conversion does: leading white space,
// optional sign, then digits with an optional decimal point (".5" and "5."
// included) and an optional exponent, or one of the words inf, infinity, nan.
// The value is rounded to a 32-bit float independently of the current locale.
ScannedNumber scanFloat(std::string_view s, std::size_t pos) {
  ScannedNumber r;
  while (pos < s.size() && isCSpace(s[pos])) ++pos;
  const std::size_t start = pos;
  bool negative = false;
  if (pos < s.size() && (s[pos] == '+' || s[pos] == '-')) {
    negative = s[pos] == '-';
    ++pos;
  }

  if (startsWithNoCase(s, pos, "inf")) {
    pos += 3;
    if (startsWithNoCase(s, pos, "inity")) pos += 5;
    r.found = true;
    r.finite = false;
    r.end = pos;
    return r;
  }
  if (startsWithNoCase(s, pos, "nan")) {
    pos += 3;
    if (pos < s.size() && s[pos] == '(') {
      std::size_t q = pos + 1;
      while (q < s.size() &&
             (isDigit(s[q]) || (lower(s[q]) >= 'a' && lower(s[q]) <= 'z') || s[q] == '_')) {
        ++q;
      }
      if (q < s.size() && s[q] == ')') pos = q + 1;
    }
    r.found = true;
    r.finite = false;
    r.end = pos;
    return r;
  }

  const std::size_t mantissaStart = pos;
  std::size_t intDigits = 0;
  while (pos < s.size() && isDigit(s[pos])) {
    ++pos;
    ++intDigits;
  }
  std::size_t fracDigits = 0;
  if (pos < s.size() && s[pos] == '.') {
    ++pos;
    while (pos < s.size() && isDigit(s[pos])) {
      ++pos;
      ++fracDigits;
    }
  }
  if (intDigits + fracDigits == 0) return r;
  const std::size_t mantissaEnd = pos;

  long long exponent = 0;  // saturated; only its size class matters below
  if (pos < s.size() && (s[pos] == 'e' || s[pos] == 'E')) {
    std::size_t q = pos + 1;
    bool expNegative = false;
    if (q < s.size() && (s[q] == '+' || s[q] == '-')) {
      expNegative = s[q] == '-';
      ++q;
    }
    if (q < s.size() && isDigit(s[q])) {
      while (q < s.size() && isDigit(s[q])) {
        if (exponent < 1000000000) exponent = exponent * 10 + (s[q] - '0');
        ++q;
      }
      if (expNegative) exponent = -exponent;
      pos = q;
    }
  }

  // std::from_chars takes no '+' sign.
  std::size_t tokenStart = start;
  if (s[tokenStart] == '+') ++tokenStart;
  const char* first = s.data() + tokenStart;
  const char* last = s.data() + pos;
  float value = 0.0f;
  const auto res = std::from_chars(first, last, value, std::chars_format::general);
  r.found = true;
  r.end = pos;
  if (res.ec == std::errc() && res.ptr == last) {
    r.value = value;
    r.finite = std::isfinite(value);
    return r;
  }
  // Out of the float range: decide between overflow and underflow from the
  // decimal magnitude (position of the first significant digit plus exponent).
  long long magnitude = exponent;
  bool significant = false;
  std::size_t seen = 0;
  for (std::size_t i = mantissaStart; i < mantissaEnd; ++i) {
    if (s[i] == '.') continue;
    if (s[i] != '0') {
      significant = true;
      magnitude += static_cast<long long>(intDigits) - static_cast<long long>(seen);
      break;
    }
    ++seen;
  }
  if (significant && magnitude > 0) {
    r.finite = false;  // overflow: a C reader would give infinity
  } else {
    r.value = negative ? -0.0f : 0.0f;  // underflow to zero
  }
  return r;
}

// True when a line holds nothing but white space and control characters.
bool isBlank(std::string_view line) {
  for (char c : line) {
    if (static_cast<unsigned char>(c) > ' ') return false;
  }
  return true;
}

// A prefix of at most maxBytes bytes (maxBytes > 3) that does not end inside a
// UTF-8 sequence (text in other encodings loses at most three more bytes).
std::string_view safePrefix(std::string_view s, std::size_t maxBytes) {
  if (s.size() <= maxBytes) return s;
  std::size_t p = maxBytes;
  while (p > maxBytes - 3 && (static_cast<unsigned char>(s[p]) & 0xC0) == 0x80) --p;
  return s.substr(0, p);
}

// A displayable UTF-8 name from raw bytes: UTF-8 kept, anything else read as
// Windows-1252; control characters (tabs) become spaces; no white space at
// either end; at most kMaxNameChars characters.
std::string makeName(std::string_view raw) {
  std::string name = isValidUtf8(raw) ? std::string(raw) : cp1252ToUtf8(raw);
  for (char& c : name) {
    const auto u = static_cast<unsigned char>(c);
    if (u < 32 || u == 127) c = ' ';
  }
  name.erase(0, std::min(name.size(), name.find_first_not_of(' ')));
  std::size_t chars = 0;
  for (std::size_t i = 0; i < name.size(); ++i) {
    if ((static_cast<unsigned char>(name[i]) & 0xC0) != 0x80) {
      if (chars == kMaxNameChars) {
        name.resize(i);
        break;
      }
      ++chars;
    }
  }
  while (!name.empty() && name.back() == ' ') name.pop_back();
  return name;
}

std::size_t utf8Length(std::string_view s) {
  std::size_t n = 0;
  for (char c : s) {
    if ((static_cast<unsigned char>(c) & 0xC0) != 0x80) ++n;
  }
  return n;
}

}  // namespace

namespace {

// Why points that the profile builder refused make no airfoil.
CoordinateFileProblem diagnose(const PointList& raw) {
  if (raw.size() < 3) return CoordinateFileProblem::TooFewPoints;
  const Point2D first = raw.front();
  const bool wholeCounts = first.x >= 1.0 && first.y >= 1.0 && first.x == std::trunc(first.x) &&
                           first.y == std::trunc(first.y);
  if (wholeCounts && first.x + first.y > static_cast<double>(raw.size() - 1)) {
    return CoordinateFileProblem::CountHeader;
  }
  double highest = 0.0;
  for (const Point2D& p : raw) highest = std::max(highest, p.x);
  if (highest >= 2.0) return CoordinateFileProblem::PercentCoordinates;
  return CoordinateFileProblem::Other;
}

}  // namespace

CoordinateFileStatus ParseCoordinateText(std::string_view bytes, std::string_view fallbackName,
                                         Profile& profile, CoordinateFileProblem* problem) {
  if (problem) *problem = CoordinateFileProblem::Other;
  // A byte-order mark is not part of the first line.
  if (bytes.substr(0, 3) == "\xEF\xBB\xBF") bytes.remove_prefix(3);

  PointList raw;
  raw.reserve(600);
  std::optional<std::string_view> nameLine;

  std::size_t pos = 0;
  while (pos < bytes.size()) {
    // CR LF, LF and a lone CR each end a line.
    std::size_t end = bytes.find_first_of("\r\n", pos);
    std::size_t next;
    if (end == std::string_view::npos) {
      end = bytes.size();
      next = end;
    } else if (bytes[end] == '\r' && end + 1 < bytes.size() && bytes[end + 1] == '\n') {
      next = end + 2;
    } else {
      next = end + 1;
    }
    std::string_view line = bytes.substr(pos, end - pos);
    pos = next;

    while (!line.empty() && static_cast<unsigned char>(line.back()) < 32) line.remove_suffix(1);
    if (isBlank(line)) continue;

    if (line.size() <= kMaxPointLineBytes) {
      const ScannedNumber x = scanFloat(line, 0);
      if (x.found) {
        const ScannedNumber y = scanFloat(line, x.end);
        if (y.found) {
          if (!x.finite || !y.finite) return CoordinateFileStatus::Invalid;
          if (raw.size() == kMaxRawPoints) return CoordinateFileStatus::Invalid;
          raw.push_back({static_cast<double>(x.value), static_cast<double>(y.value)});
          continue;
        }
      }
    }

    // A text line. Before the coordinates it is a name candidate (the last one
    // wins); after them it ends the data: whatever follows (a URL, comments, a
    // second copy of the list) is neither points nor the name.
    if (!raw.empty()) break;
    nameLine = line;
  }

  Profile built;
  if (raw.size() < 3 || !built.BuildFromPoints(raw)) {
    if (problem) *problem = diagnose(raw);
    return CoordinateFileStatus::Invalid;
  }
  const auto le = static_cast<std::size_t>(built.leadingEdgeIndex);
  if (le + 1 > kMaxSurfacePoints || built.points.size() - le > kMaxSurfacePoints) {
    return CoordinateFileStatus::Invalid;
  }

  if (nameLine) {
    std::string_view text = *nameLine;
    while (!text.empty() && static_cast<unsigned char>(text.front()) <= ' ') text.remove_prefix(1);
    built.name = makeName(safePrefix(text, kNamePrefixBytes));
  } else {
    built.name = makeName(safePrefix(fallbackName, kNamePrefixBytes));
  }
  if (built.name.empty()) built.name = "NoName";

  profile = std::move(built);
  if (problem) *problem = CoordinateFileProblem::None;
  return CoordinateFileStatus::Ok;
}

CoordinateFileStatus ReadCoordinateFile(const std::filesystem::path& path, Profile& profile,
                                        CoordinateFileProblem* problem) {
  if (problem) *problem = CoordinateFileProblem::Other;
  std::error_code ec;
  const auto status = std::filesystem::status(path, ec);
  // Only regular files: a directory cannot be read, and a device or pipe could
  // block or never end.
  if (ec || !std::filesystem::is_regular_file(status)) return CoordinateFileStatus::CannotOpen;

  std::ifstream in(path, std::ios::binary);
  if (!in) return CoordinateFileStatus::CannotOpen;

  const std::uintmax_t size = std::filesystem::file_size(path, ec);
  if (!ec && size > kMaxFileBytes) return CoordinateFileStatus::Invalid;

  // Read at most one byte more than allowed, whatever the size said.
  std::string bytes;
  char buffer[65536];
  while (in) {
    in.read(buffer, sizeof buffer);
    const auto got = static_cast<std::size_t>(in.gcount());
    if (got == 0) break;
    if (bytes.size() + got > kMaxFileBytes) return CoordinateFileStatus::Invalid;
    bytes.append(buffer, got);
  }
  if (in.bad()) return CoordinateFileStatus::CannotOpen;

  const std::u8string stem = path.stem().u8string();
  const std::string fallback(stem.begin(), stem.end());
  return ParseCoordinateText(bytes, fallback, profile, problem);
}

bool Profile::LoadCoordinateFile(UserPrompt& prompt, std::string_view title,
                                 const std::string& profileDirectory) {
  FileDialogRequest request;
  request.title = std::string(title);
  request.filters = {{"Co-ordinate Files (*.cor,*.dat)", "*.cor;*.dat"}, {"All Files", "*.*"}};
  request.initialDirectory = profileDirectory;
  request.maxPathLength = kMaxPathChars;
  request.mustExist = true;

  const std::optional<std::string> chosen = prompt.chooseOpenFile(request);
  if (!chosen) return false;
  if (utf8Length(*chosen) > kMaxPathChars) return false;

  const std::filesystem::path path(std::u8string(chosen->begin(), chosen->end()));
  switch (ReadCoordinateFile(path, *this)) {
    case CoordinateFileStatus::Ok:
      return true;
    case CoordinateFileStatus::CannotOpen:
      prompt.showMessage(messageText(Msg::UnableToOpenFileForReading), MessageIcon::Warning);
      return false;
    case CoordinateFileStatus::Invalid:
      return false;
  }
  return false;
}

std::string InvalidDatFileText(CoordinateFileProblem problem) {
  std::string text(messageText(Msg::InvalidDatFile));
  switch (problem) {
    case CoordinateFileProblem::TooFewPoints:
      return text + ": " + std::string(messageText(Msg::DatTooFewPoints));
    case CoordinateFileProblem::PercentCoordinates:
      return text + ": " + std::string(messageText(Msg::DatPercentCoordinates));
    case CoordinateFileProblem::CountHeader:
      return text + ": " + std::string(messageText(Msg::DatCountHeader));
    case CoordinateFileProblem::None:
    case CoordinateFileProblem::Other:
      break;
  }
  return text;
}

}  // namespace orva
