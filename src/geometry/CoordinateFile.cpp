#include "geometry/CoordinateFile.h"

#include <algorithm>
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
#include "common/NumberText.h"
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

// A coordinate is read as C's "%f" reads it into a float: decimal only, rounded
// to 32 bits; inf, nan and values beyond the float range are read but refused.
ScanOptions coordinateScan() {
  ScanOptions options;
  options.hexadecimal = false;
  options.singlePrecision = true;
  return options;
}

bool isNumber(const NumberScan& scan) {
  return scan.status == ScanStatus::Ok || scan.status == ScanStatus::NotFinite;
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
      const NumberScan x = scanNumber(line, 0, coordinateScan());
      if (isNumber(x)) {
        const NumberScan y = scanNumber(line, x.end, coordinateScan());
        if (isNumber(y)) {
          if (!x.ok() || !y.ok()) return CoordinateFileStatus::Invalid;
          if (raw.size() == kMaxRawPoints) return CoordinateFileStatus::Invalid;
          raw.push_back({x.value, y.value});
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
