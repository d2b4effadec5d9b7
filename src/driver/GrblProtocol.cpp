#include "driver/GrblProtocol.h"

#include <algorithm>
#include <cctype>
#include <charconv>
#include <cmath>
#include <cstdio>

#include "common/Messages.h"

namespace orva {

namespace {

constexpr std::string_view kAxisAlphabet = "XYZABCUVW";

std::string_view trim(std::string_view text) {
  while (!text.empty() && std::isspace(static_cast<unsigned char>(text.front())) != 0) {
    text.remove_prefix(1);
  }
  while (!text.empty() && std::isspace(static_cast<unsigned char>(text.back())) != 0) {
    text.remove_suffix(1);
  }
  return text;
}

std::optional<int> parseInt(std::string_view text) {
  int value = 0;
  const auto* end = text.data() + text.size();
  const auto [ptr, ec] = std::from_chars(text.data(), end, value);
  if (ec != std::errc() || ptr != end || text.empty()) return std::nullopt;
  return value;
}

std::optional<double> parseDouble(std::string_view text) {
  if (!text.empty() && text.front() == '+') text.remove_prefix(1);
  double value = 0.0;
  const auto* end = text.data() + text.size();
  const auto [ptr, ec] = std::from_chars(text.data(), end, value);
  if (ec != std::errc() || ptr != end || text.empty() || !std::isfinite(value)) {
    return std::nullopt;
  }
  return value;
}

// "1.5,-2,3" → {1.5, -2, 3}; nothing when a value is malformed.
std::optional<std::vector<double>> parseList(std::string_view text) {
  std::vector<double> values;
  while (true) {
    const auto comma = text.find(',');
    const auto value = parseDouble(text.substr(0, comma));
    if (!value) return std::nullopt;
    values.push_back(*value);
    if (comma == std::string_view::npos) break;
    text.remove_prefix(comma + 1);
  }
  return values;
}

std::string formatNumber(double value) {
  char buffer[48];
  std::snprintf(buffer, sizeof buffer, "%.4f", value);
  std::string text = buffer;
  while (!text.empty() && text.back() == '0') text.pop_back();
  if (!text.empty() && text.back() == '.') text.pop_back();
  if (text == "-0") text = "0";
  return text;
}

}  // namespace

GrblLine ParseGrblLine(std::string_view raw) {
  const std::string_view line = trim(raw);
  GrblLine result;
  if (line.empty()) {
    result.kind = GrblLineKind::Empty;
    return result;
  }
  if (line == "ok") {
    result.kind = GrblLineKind::Ok;
    return result;
  }
  const auto codeAfter = [&](std::string_view prefix, GrblLineKind kind) {
    if (line.size() <= prefix.size() || line.substr(0, prefix.size()) != prefix) return false;
    const auto code = parseInt(line.substr(prefix.size()));
    if (!code) return false;
    result.kind = kind;
    result.code = *code;
    return true;
  };
  if (codeAfter("error:", GrblLineKind::Error) || codeAfter("ALARM:", GrblLineKind::Alarm)) {
    return result;
  }
  if (line.front() == '<' && line.back() == '>') {
    result.kind = GrblLineKind::Status;
    result.text = std::string(line);
    return result;
  }
  if (line.front() == '[' && line.back() == ']') {
    const std::string_view inside = line.substr(1, line.size() - 2);
    if (inside.substr(0, 4) == "MSG:") {
      result.kind = GrblLineKind::Message;
      result.text = std::string(inside.substr(4));
    } else {
      result.kind = GrblLineKind::Feedback;
      result.text = std::string(inside);
    }
    return result;
  }
  if (line.substr(0, 5) == "Grbl " || line.substr(0, 5) == "GRBL ") {
    result.kind = GrblLineKind::Banner;
    result.text = std::string(line);
    return result;
  }
  if (line.front() == '$' && line.find('=') != std::string_view::npos) {
    result.kind = GrblLineKind::Setting;
    result.text = std::string(line);
    return result;
  }
  result.text = std::string(line);
  return result;
}

std::optional<GrblStatus> ParseGrblStatus(std::string_view raw) {
  const std::string_view line = trim(raw);
  if (line.size() < 3 || line.front() != '<' || line.back() != '>') return std::nullopt;
  std::string_view body = line.substr(1, line.size() - 2);
  GrblStatus status;
  bool first = true;
  while (true) {
    const auto bar = body.find('|');
    const std::string_view field = body.substr(0, bar);
    const auto colon = field.find(':');
    const std::string_view key = field.substr(0, colon);
    const std::string_view value =
        colon == std::string_view::npos ? std::string_view{} : field.substr(colon + 1);
    if (first) {
      if (key.empty()) return std::nullopt;
      status.state = std::string(key);
      if (colon != std::string_view::npos) {
        const auto sub = parseInt(value);
        if (!sub) return std::nullopt;
        status.subState = *sub;
      }
      first = false;
    } else if (key == "MPos" || key == "WPos" || key == "WCO") {
      auto values = parseList(value);
      if (!values) return std::nullopt;
      (key == "MPos" ? status.machinePosition
                     : key == "WPos" ? status.workPosition : status.workOffset) = std::move(*values);
    } else if (key == "Bf") {
      const auto values = parseList(value);
      if (!values || values->size() != 2) return std::nullopt;
      status.plannerBlocksFree = static_cast<int>((*values)[0]);
      status.rxBytesFree = static_cast<int>((*values)[1]);
    } else if (key == "FS" || key == "F") {
      const auto values = parseList(value);
      if (!values || values->empty()) return std::nullopt;
      status.feed = (*values)[0];
      if (values->size() > 1) status.spindle = (*values)[1];
    }
    if (bar == std::string_view::npos) break;
    body.remove_prefix(bar + 1);
  }
  return status;
}

std::string GrblAxisMap::check(std::string_view letters) {
  std::string upper;
  for (const char c : letters) upper += static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
  bool good = upper.size() == 4;
  for (std::size_t i = 0; good && i < upper.size(); ++i) {
    good = kAxisAlphabet.find(upper[i]) != std::string_view::npos &&
           upper.find(upper[i]) == i;
  }
  return good ? std::string{} : formatMessage(Msg::GrblAxisLetters, {letters});
}

std::optional<GrblAxisMap> GrblAxisMap::make(std::string_view letters,
                                             std::string_view controllerAxes) {
  if (!check(letters).empty()) return std::nullopt;
  GrblAxisMap map;
  for (const char c : letters) {
    map.letters_ += static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
  }
  for (const char c : controllerAxes) {
    map.controllerAxes_ += static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
  }
  if (map.controllerAxes_.empty()) {
    for (const char c : kAxisAlphabet) {
      if (map.letters_.find(c) != std::string::npos) map.controllerAxes_ += c;
    }
  }
  for (std::size_t i = 0; i < 4; ++i) {
    const auto at = map.controllerAxes_.find(map.letters_[i]);
    if (at == std::string::npos) return std::nullopt;
    map.index_[i] = static_cast<int>(at);
  }
  return map;
}

std::optional<std::array<double, 4>> GrblAxisMap::towers(
    const std::vector<double>& controllerValues) const {
  std::array<double, 4> result{};
  for (std::size_t i = 0; i < 4; ++i) {
    const auto at = static_cast<std::size_t>(index_[i]);
    if (at >= controllerValues.size()) return std::nullopt;
    result[i] = controllerValues[at];
  }
  return result;
}

std::string GrblAxisMap::words(const std::array<double, 4>& towers) const {
  return words(towers[0], towers[1], towers[2], towers[3]);
}

std::string GrblAxisMap::words(std::optional<double> xg, std::optional<double> yg,
                               std::optional<double> xd, std::optional<double> yd) const {
  const std::array<std::optional<double>, 4> values{xg, yg, xd, yd};
  std::string text;
  for (std::size_t i = 0; i < 4; ++i) {
    if (!values[i]) continue;
    if (!text.empty()) text += ' ';
    text += letters_[i];
    text += formatNumber(*values[i]);
  }
  return text;
}

std::string AxesOfFeedback(std::string_view feedback) {
  if (feedback.substr(0, 4) != "AXS:") return {};
  const auto colon = feedback.find(':', 4);
  if (colon == std::string_view::npos) return {};
  return std::string(trim(feedback.substr(colon + 1)));
}

std::string GrblLineToSend(std::string_view line, bool keepComments) {
  std::string result;
  if (keepComments) {
    result = std::string(trim(line));
  } else {
    bool inComment = false;
    for (const char c : line) {
      if (inComment) {
        if (c == ')') inComment = false;
      } else if (c == '(') {
        inComment = true;
      } else if (c == ';') {
        break;
      } else {
        result += c;
      }
    }
    result = std::string(trim(result));
  }
  // Line ends inside would split the line in two on the controller's side.
  std::replace_if(result.begin(), result.end(), [](char c) { return c == '\r' || c == '\n'; }, ' ');
  return result;
}

std::optional<double> GcodeWordValue(std::string_view line, char letter) {
  const char upper = static_cast<char>(std::toupper(static_cast<unsigned char>(letter)));
  for (std::size_t i = 0; i < line.size(); ++i) {
    if (std::toupper(static_cast<unsigned char>(line[i])) != upper) continue;
    if (i > 0 && std::isalpha(static_cast<unsigned char>(line[i - 1])) != 0) continue;
    std::size_t end = i + 1;
    while (end < line.size() && line[end] == ' ') ++end;
    const std::size_t start = end;
    while (end < line.size() &&
           (std::isdigit(static_cast<unsigned char>(line[end])) != 0 || line[end] == '.' ||
            line[end] == '-' || line[end] == '+')) {
      ++end;
    }
    if (const auto value = parseDouble(line.substr(start, end - start))) return value;
  }
  return std::nullopt;
}

std::string_view GrblErrorText(int code) {
  if (code < 1 || code > 38) return {};
  return messageText(static_cast<Msg>(static_cast<int>(Msg::GrblErrorBase) + code));
}

std::string_view GrblAlarmText(int code) {
  if (code < 1 || code > 9) return {};
  return messageText(static_cast<Msg>(static_cast<int>(Msg::GrblAlarmBase) + code));
}

}  // namespace orva
