#include "config/TableConfig.h"

#include <array>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <memory>
#include <string>
#include <system_error>

#include "common/NumberText.h"
#include "common/Messages.h"
#include "common/SafeFile.h"
#include "driver/GrblStreamer.h"

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

// The controller's lines: a key and the field it fills (a word or a number).
struct ControllerKey {
  std::string_view key;
  std::string ControllerLink::*textField;
  int ControllerLink::*intField;
  double ControllerLink::*doubleField;
};

constexpr std::array<ControllerKey, 7> kControllerKeys = {{
    {"CtlBackend", &ControllerLink::CtlBackend, nullptr, nullptr},
    {"CtlPort", &ControllerLink::CtlPort, nullptr, nullptr},
    {"CtlBaud", nullptr, &ControllerLink::CtlBaud, nullptr},
    {"CtlAxes", &ControllerLink::CtlAxes, nullptr, nullptr},
    {"CtlHeatS", nullptr, nullptr, &ControllerLink::CtlHeatS},
    {"CtlRxBuffer", nullptr, &ControllerLink::CtlRxBuffer, nullptr},
    {"CtlStatusMs", nullptr, &ControllerLink::CtlStatusMs, nullptr},
}};

std::string_view trimmed(std::string_view text) {
  const auto blank = [](char c) { return c == ' ' || c == '\t'; };
  while (!text.empty() && blank(text.front())) text.remove_prefix(1);
  while (!text.empty() && blank(text.back())) text.remove_suffix(1);
  return text;
}

// A controller line: the key, then at least one blank (no controller key is
// the start of another, so the blank is what ends the key), then the value.
void parseControllerLine(std::string_view line, ControllerLink& link) {
  for (const ControllerKey& k : kControllerKeys) {
    if (line.substr(0, k.key.size()) != k.key) continue;
    const std::string_view rest = line.substr(k.key.size());
    if (rest.empty() || (rest.front() != ' ' && rest.front() != '\t')) continue;
    if (k.textField != nullptr) {
      link.*k.textField = std::string(trimmed(rest));
    } else if (k.intField != nullptr) {
      const IntegerScan scan = scanInteger(rest);
      if (scan.ok()) link.*k.intField = scan.value;
    } else {
      ScanOptions scanf;
      scanf.incompleteFails = true;
      const NumberScan scan = scanNumber(rest, 0, scanf);
      if (scan.ok()) link.*k.doubleField = scan.value;
    }
  }
}

// Matches one line against every key; every key that matches stores its field.
void parseLine(std::string_view line, TableConfig& config) {
  if (line.substr(0, 3) == "Ctl") {
    parseControllerLine(line, config.controller);
    return;
  }
  for (const TableKey& k : kKeys) {
    if (line.substr(0, k.key.size()) != k.key) continue;
    // The blank of the format matches any amount of white space, also none.
    const std::string_view rest = line.substr(k.key.size());
    if (k.intField != nullptr) {
      const IntegerScan scan = scanInteger(rest);
      if (scan.ok()) config.*k.intField = scan.value;
    } else {
      ScanOptions scanf;
      scanf.incompleteFails = true;
      const NumberScan scan = scanNumber(rest, 0, scanf);
      if (scan.ok()) config.*k.doubleField = scan.value;
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
      out += intText(config.*k.intField);
    } else {
      out += fixedText(config.*k.doubleField);
    }
    out += '\n';
  }
  if (config.controller.isGrbl()) {
    for (const ControllerKey& k : kControllerKeys) {
      out += k.key;
      out += ' ';
      if (k.textField != nullptr) {
        out += config.controller.*k.textField;
      } else if (k.intField != nullptr) {
        out += intText(config.controller.*k.intField);
      } else {
        out += fixedText(config.controller.*k.doubleField);
      }
      out += '\n';
    }
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

std::string CheckControllerLink(const ControllerLink& link) {
  if (!link.isGrbl()) {
    if (link.CtlBackend == ControllerLink::kInterface) return {};
    return formatMessage(Msg::CtlBackendUnknown, {link.CtlBackend});
  }
  if (link.CtlPort.empty()) return formatMessage(Msg::CtlPortMissing, {});
  if (link.CtlBaud <= 0) return formatMessage(Msg::CtlBaudInvalid, {intText(link.CtlBaud)});
  GrblSettings settings;
  settings.axisLetters = link.CtlAxes;
  settings.rxBufferSize = link.CtlRxBuffer;
  if (auto why = CheckGrblSettings(settings); !why.empty()) return why;
  if (!(link.CtlHeatS >= 0.0) || !std::isfinite(link.CtlHeatS)) {
    return formatMessage(Msg::CtlHeatInvalid, {fixedText(link.CtlHeatS)});
  }
  if (link.CtlStatusMs <= 0) return formatMessage(Msg::CtlStatusInvalid, {intText(link.CtlStatusMs)});
  return {};
}

double MaxAxisSpeed(double pitch, int stepsPerRevolution, double minStepTimeMs) {
  const double divisor = static_cast<double>(stepsPerRevolution) * minStepTimeMs;
  if (divisor == 0.0) return 0.0;
  const double speed = pitch * 1000.0 / divisor;
  return std::isfinite(speed) ? speed : 0.0;
}

}  // namespace orva
