#include "config/FoamDatabase.h"

#include <array>
#include <cctype>
#include <climits>
#include <cmath>
#include <fstream>
#include <string>
#include <utility>
#include <vector>

#include "common/CodePage.h"
#include "common/Messages.h"
#include "common/NumberText.h"
#include "common/SafeFile.h"
#include "common/UserPrompt.h"
#include "driver/InterfaceDriver.h"

namespace orva {

namespace {

// ---------------------------------------------------------------------------
// Lines: "\r\n", "\n" and a lone "\r" end a line; a last line without a line
// end still counts. Lines longer than FoamDatabase::kMaxLineBytes are reported
// as overlong and their text is not kept.
class LineSplitter {
 public:
  template <typename OnLine>
  void feed(std::string_view chunk, OnLine&& onLine) {
    for (char c : chunk) {
      if (c == '\n' && afterCr_) {
        afterCr_ = false;
        continue;
      }
      afterCr_ = false;
      if (c == '\r' || c == '\n') {
        afterCr_ = c == '\r';
        emit(onLine);
        continue;
      }
      open_ = true;
      if (overlong_) continue;
      if (line_.size() >= FoamDatabase::kMaxLineBytes) {
        overlong_ = true;
        line_.clear();
        continue;
      }
      line_ += c;
    }
  }

  template <typename OnLine>
  void finish(OnLine&& onLine) {
    if (open_) emit(onLine);
  }

 private:
  template <typename OnLine>
  void emit(OnLine& onLine) {
    onLine(std::string_view(line_), overlong_);
    line_.clear();
    overlong_ = false;
    open_ = false;
  }

  std::string line_;
  bool overlong_ = false;
  bool afterCr_ = false;
  bool open_ = false;  // characters seen since the last line end
};

// ---------------------------------------------------------------------------
// A conversion that finds a number it must not use (an int out of range, an
// infinity or NaN) makes the whole line unusable: such a value must never reach
// the laws.
enum class Conversion { Ok, Mismatch, EndOfInput, Unusable };

Conversion conversionOf(ScanStatus status) {
  switch (status) {
    case ScanStatus::Ok:
      return Conversion::Ok;
    case ScanStatus::NoNumber:
      return Conversion::Mismatch;
    case ScanStatus::EndOfText:
      return Conversion::EndOfInput;
    case ScanStatus::NotFinite:
    case ScanStatus::OutOfRange:
      break;
  }
  return Conversion::Unusable;
}

// Reads one slot's "%d" or "%lf" at `pos` into `record` and moves `pos` past it.
Conversion scanSlot(std::string_view text, std::size_t& pos, int* intField, double* doubleField) {
  if (intField != nullptr) {
    const IntegerScan scan = scanInteger(text, pos);
    if (scan.ok()) {
      *intField = scan.value;
      pos = scan.end;
    }
    return conversionOf(scan.status);
  }
  const NumberScan scan = scanNumber(text, pos);
  if (scan.ok()) {
    *doubleField = scan.value;
    pos = scan.end;
  }
  return conversionOf(scan.status);
}

// The fields a version's line holds, in order.
enum class Version { V1, V2, V3 };

struct Slot {
  enum Kind { Int, Double } kind;
  int FoamType::*intField = nullptr;
  double FoamType::*doubleField = nullptr;
};

constexpr Slot intSlot(int FoamType::*f) { return Slot{Slot::Int, f, nullptr}; }
constexpr Slot doubleSlot(double FoamType::*f) { return Slot{Slot::Double, nullptr, f}; }

const std::vector<Slot>& slotsOf(Version version) {
  static const std::vector<Slot> v1 = {doubleSlot(&FoamType::minSpeed),
                                       doubleSlot(&FoamType::kerfAtMaxSpeed),
                                       doubleSlot(&FoamType::kerfAtHalfSpeed)};
  static const std::vector<Slot> v2 = {
      doubleSlot(&FoamType::minSpeed), doubleSlot(&FoamType::kerfAtMaxSpeed),
      doubleSlot(&FoamType::kerfAtHalfSpeed), intSlot(&FoamType::minSpeedHeat)};
  static const std::vector<Slot> v3 = {
      intSlot(&FoamType::heatMode),           doubleSlot(&FoamType::minSpeed),
      doubleSlot(&FoamType::maxSpeed),        doubleSlot(&FoamType::kerfAtMaxSpeed),
      doubleSlot(&FoamType::kerfAtHalfSpeed), intSlot(&FoamType::minSpeedHeat),
      intSlot(&FoamType::maxSpeedHeat)};
  switch (version) {
    case Version::V1:
      return v1;
    case Version::V2:
      return v2;
    case Version::V3:
      break;
  }
  return v3;
}

// Scans the values after the colon into `working`. True when the line counts:
// at least one value was assigned, or the text ended before the first value.
// A line holding a value that must not be used leaves `working` unchanged.
bool scanValues(std::string_view text, Version version, FoamType& working) {
  FoamType scanned = working;
  std::size_t pos = 0;
  std::size_t assigned = 0;
  bool endBeforeFirst = false;
  for (const Slot& slot : slotsOf(version)) {
    const Conversion c = slot.kind == Slot::Int
                             ? scanSlot(text, pos, &(scanned.*slot.intField), nullptr)
                             : scanSlot(text, pos, nullptr, &(scanned.*slot.doubleField));
    if (c == Conversion::Unusable) return false;
    if (c == Conversion::Ok) {
      ++assigned;
      continue;
    }
    endBeforeFirst = c == Conversion::EndOfInput && assigned == 0;
    break;
  }
  if (assigned == 0 && !endBeforeFirst) return false;
  // The fields an older version does not hold follow from those it does.
  switch (version) {
    case Version::V1:
      scanned.maxSpeed = scanned.minSpeed;
      scanned.minSpeedHeat = scanned.maxSpeedHeat = 75;
      scanned.heatMode = FixedHeat;
      break;
    case Version::V2:
      scanned.maxSpeedHeat = scanned.minSpeedHeat;
      scanned.maxSpeed = scanned.minSpeed;
      scanned.heatMode = FixedHeat;
      break;
    case Version::V3:
      // Every law treats a mode other than FixedHeat as ComputedHeat; say so.
      if (scanned.heatMode != FixedHeat) scanned.heatMode = ComputedHeat;
      break;
  }
  working = std::move(scanned);
  return true;
}

// Reads the lines of a foam file into `records` and counts the lines stored.
class FoamFileReader {
 public:
  explicit FoamFileReader(std::map<std::string, FoamType>& records) : records_(records) {}

  void line(std::string_view text, bool overlong) {
    if (first_) {
      first_ = false;
      version_ = overlong       ? Version::V3
                 : text == "V1" ? Version::V1
                 : text == "V2" ? Version::V2
                                : Version::V3;
      return;
    }
    if (overlong) return;
    const std::size_t colon = text.find(':');
    if (colon == std::string_view::npos) return;
    const std::string_view rawName = text.substr(0, colon);
    // A record needs a name the user can see and choose.
    if (rawName.empty() || rawName.size() > FoamDatabase::kMaxReadNameBytes) return;
    if (!scanValues(text.substr(colon + 1), version_, working_)) return;
    std::string name = cp1252ToUtf8(rawName);
    auto found = records_.find(name);
    if (found == records_.end() && records_.size() >= FoamDatabase::kMaxRecords) return;
    working_.name = name;
    if (found == records_.end()) {
      records_.emplace(std::move(name), working_);
    } else {
      found->second = working_;
    }
    ++count_;
  }

  std::size_t count() const { return count_; }

 private:
  std::map<std::string, FoamType>& records_;
  FoamType working_;
  Version version_ = Version::V3;
  bool first_ = true;
  std::size_t count_ = 0;
};

std::string percentText(int percent) { return std::to_string(percent) + "%"; }

}  // namespace

// ---------------------------------------------------------------------------

std::string FoamFileName(std::string_view tableName) { return std::string(tableName) + "_foam.bd"; }

FoamDatabase::FoamDatabase(InterfaceDriver& driver, UserPrompt& prompt)
    : driver_(driver), prompt_(prompt) {}

std::map<std::string, FoamType> FoamDatabase::builtInFoams() {
  std::map<std::string, FoamType> foams;
  const auto add = [&foams](std::string_view name, int mode, double a, double b, double k1,
                            double k2, int e, int f) {
    foams[std::string(name)] = FoamType{std::string(name), mode, a, b, k1, k2, e, f};
  };
  add(messageText(Msg::PolyExtrude), ComputedHeat, 1.0, 3.5, 0.8, 1.5, 45, 80);
  add(messageText(Msg::PolyExpanse), ComputedHeat, 1.0, 4.0, 0.8, 1.5, 30, 70);
  add(messageText(Msg::Depron), FixedHeat, 2.0, 2.0, 0.8, 1.5, 50, 50);
  return foams;
}

void FoamDatabase::LoadFoams(const std::filesystem::path& dir, std::string_view fileName,
                             std::string& currentName) {
  records.clear();
  std::ifstream in(dir / std::filesystem::path(std::string(fileName)), std::ios::binary);
  if (!in.is_open()) {
    finishLoad(0, currentName);
    return;
  }
  FoamFileReader reader(records);
  LineSplitter splitter;
  const auto onLine = [&reader](std::string_view text, bool overlong) {
    reader.line(text, overlong);
  };
  std::array<char, 65536> chunk{};
  while (in) {
    in.read(chunk.data(), static_cast<std::streamsize>(chunk.size()));
    const std::streamsize got = in.gcount();
    if (got <= 0) break;
    splitter.feed(std::string_view(chunk.data(), static_cast<std::size_t>(got)), onLine);
  }
  splitter.finish(onLine);
  foamModified = false;
  finishLoad(reader.count(), currentName);
}

void FoamDatabase::LoadFoamsFromText(std::string_view bytes, std::string& currentName) {
  records.clear();
  FoamFileReader reader(records);
  LineSplitter splitter;
  const auto onLine = [&reader](std::string_view text, bool overlong) {
    reader.line(text, overlong);
  };
  splitter.feed(bytes, onLine);
  splitter.finish(onLine);
  foamModified = false;
  finishLoad(reader.count(), currentName);
}

void FoamDatabase::finishLoad(std::size_t count, std::string& currentName) {
  if (count == 0) {
    foamModified = true;
    records = builtInFoams();
    currentName = std::string(kDefaultFoamName);
  }
  FoamType selected;
  if (SelectFoam(currentName, &selected)) cutSpeed = selected.maxSpeed;
}

std::string FoamDatabase::SaveFoamsToText() const {
  std::string out = "V3\n";
  for (const auto& [name, foam] : records) {
    out += utf8ToCp1252(name);
    out += ": ";
    out += std::to_string(foam.heatMode);
    for (double value : {foam.minSpeed, foam.maxSpeed, foam.kerfAtMaxSpeed, foam.kerfAtHalfSpeed}) {
      out += ' ';
      out += fixedText(value);
    }
    out += ' ';
    out += std::to_string(foam.minSpeedHeat);
    out += ' ';
    out += std::to_string(foam.maxSpeedHeat);
    out += '\n';
  }
  return out;
}

bool FoamDatabase::SaveFoams(const std::filesystem::path& dir, std::string_view fileName) const {
  if (!foamModified) return true;
  return writeFileSafely(dir / std::filesystem::path(std::string(fileName)), SaveFoamsToText());
}

bool FoamDatabase::SelectFoam(std::string_view name, FoamType* record) {
  const auto found = records.find(std::string(name));
  if (found == records.end()) return false;
  if (record) *record = found->second;
  currentFoam = found->first;
  return true;
}

const FoamType* FoamDatabase::currentRecord() const {
  const auto found = records.find(currentFoam);
  return found == records.end() ? nullptr : &found->second;
}

double FoamDatabase::KerfOffset(double v, double r) const {
  const FoamType* foam = currentRecord();
  if (!foam) return 0.0;
  const double s = foam->maxSpeed;
  const double k1 = foam->kerfAtMaxSpeed;
  const double k2 = foam->kerfAtHalfSpeed;
  double offset = 0.0;
  if (foam->heatMode == FixedHeat) {
    if (s == 0.0) return 0.0;  // no reference speed: the law says nothing
    const double x = v * r;
    offset = ((k1 - k2) / s * 2.0 * (x - s) + k1) * 0.5;
  } else {
    offset = (k1 - k2) * (r - 1.0) + k1 * 0.5;
  }
  // Zero, negative, infinite or not a number: no offset.
  if (!std::isfinite(offset) || !(offset > 0.0)) return 0.0;
  return offset;
}

std::optional<int> FoamDatabase::computedHeat(const FoamType& foam, double v) {
  const double a = foam.minSpeed;
  const double b = foam.maxSpeed;
  const double e = foam.minSpeedHeat;
  const double f = foam.maxSpeedHeat;
  const double p = (f - e) / (b - a) * (v - a) + e;
  if (std::isnan(p)) return std::nullopt;
  const double truncated = std::trunc(p);
  if (truncated >= static_cast<double>(INT_MAX)) return INT_MAX;
  if (truncated <= static_cast<double>(INT_MIN)) return INT_MIN;
  return static_cast<int>(truncated);
}

bool FoamDatabase::ApplyHeat(int percent) {
  currentHeat = percent;
  if (percent >= 0 && percent <= 99) {
    driver_.SetHeatOutput(percent);
    return true;
  }
  prompt_.showMessage(formatMessage(Msg::InvalidPowerCoefficient, {percentText(percent)}),
                      MessageIcon::Warning);
  return false;
}

bool FoamDatabase::ApplyHeatForSpeed(double v) {
  const FoamType* foam = currentRecord();
  if (!foam) {
    prompt_.showMessage(messageText(Msg::InvalidFoamType), MessageIcon::Warning);
    return false;
  }
  if (foam->heatMode == FixedHeat || foam->maxSpeed == foam->minSpeed) {
    const int f = foam->maxSpeedHeat;
    currentHeat = f;
    // The interface takes 0..100; anything else is not sent, and saying so
    // lets the caller give up the cut instead of cutting with the wrong heat.
    if (f < 0 || f > 100) {
      prompt_.showMessage(formatMessage(Msg::InvalidPowerCoefficient, {percentText(f)}),
                          MessageIcon::Warning);
      return false;
    }
    driver_.SetHeatOutput(f);
    return true;
  }
  const std::optional<int> p = computedHeat(*foam, v);
  if (!p) {
    prompt_.showMessage(formatMessage(Msg::InvalidPowerCoefficient, {"nan%"}),
                        MessageIcon::Warning);
    return false;
  }
  return ApplyHeat(*p);
}

void FoamDatabase::LimitSpeedForHeat(double& v, std::string& label) const {
  const FoamType* foam = currentRecord();
  if (!foam || foam->heatMode == FixedHeat || foam->maxSpeed == foam->minSpeed) return;
  const std::optional<int> p = computedHeat(*foam, v);
  if (!p || *p < 100) return;
  const double a = foam->minSpeed;
  const double b = foam->maxSpeed;
  const double e = foam->minSpeedHeat;
  const double f = foam->maxSpeedHeat;
  const double limited = (99.9 - e) / ((f - e) / (b - a)) + a;
  // A heat that does not change with the speed cannot be brought below 100 %
  // by any speed: the speed stays, and the heat request will refuse the cut.
  if (!std::isfinite(limited)) return;
  v = limited;
  label = std::string(messageText(Msg::SpeedLimitDueToWireHeat));
}

std::optional<int> FoamDatabase::HeatForSpeed(double v) const {
  const FoamType* foam = currentRecord();
  if (!foam) return std::nullopt;
  if (foam->heatMode == FixedHeat || foam->maxSpeed == foam->minSpeed) return foam->maxSpeedHeat;
  return computedHeat(*foam, v);
}

namespace {

// `text` (UTF-8) in lower case without the accents of Latin-1 letters, for
// comparing names the way a user types them. Other bytes are kept.
std::string foldName(std::string_view text) {
  // Base letters of U+00C0..U+00FF; '\0' where there is none (kept as is).
  static constexpr char kBase[] =
      "aaaaaaaceeeeiiiidnooooo\0ouuuuyts"   // U+00C0..U+00DF
      "aaaaaaaceeeeiiiidnooooo\0ouuuuyty";  // U+00E0..U+00FF
  std::string out;
  out.reserve(text.size());
  for (std::size_t i = 0; i < text.size(); ++i) {
    const auto c = static_cast<unsigned char>(text[i]);
    if (c < 0x80) {
      out += static_cast<char>(std::tolower(c));
    } else if ((c == 0xC3) && i + 1 < text.size()) {
      const auto next = static_cast<unsigned char>(text[i + 1]);
      const unsigned code = 0xC0u + (next & 0x3Fu);
      if ((next & 0xC0u) == 0x80u && kBase[code - 0xC0u] != '\0') {
        out += kBase[code - 0xC0u];
        ++i;
      } else {
        out += text[i];
      }
    } else {
      out += text[i];
    }
  }
  return out;
}

}  // namespace

std::optional<std::string> FoamDatabase::MatchFoamName(std::string_view name,
                                                       std::vector<std::string>* candidates) const {
  if (candidates) candidates->clear();
  if (records.count(std::string(name))) return std::string(name);
  const std::string wanted = foldName(name);
  std::vector<std::string> found;
  for (const auto& [key, record] : records) {
    if (foldName(key) == wanted) found.push_back(key);
  }
  if (found.size() == 1) return found.front();
  if (candidates) *candidates = std::move(found);
  return std::nullopt;
}

void FoamDatabase::GetHeatState(int& mode, int& heat) const {
  const FoamType* foam = currentRecord();
  mode = foam ? foam->heatMode : 0;
  heat = currentHeat;
}

}  // namespace orva
