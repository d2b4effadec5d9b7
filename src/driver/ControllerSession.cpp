#include "driver/ControllerSession.h"

#include <utility>

#include "common/Messages.h"

namespace orva {

ControllerSession::ControllerSession(TransportFactory factory) : factory_(std::move(factory)) {}

ControllerSession::~ControllerSession() {
  // The streamer refers to the transport: it goes first.
  if (streamer_) streamer_->setTrafficLog({});
  streamer_.reset();
  transport_.reset();
}

bool ControllerSession::sameSettings(const GrblSettings& a, const GrblSettings& b) {
  return a.axisLetters == b.axisLetters && a.rxBufferSize == b.rxBufferSize &&
         a.statusInterval == b.statusInterval && a.answerTimeout == b.answerTimeout &&
         a.bannerTimeout == b.bannerTimeout && a.keepComments == b.keepComments &&
         a.retreatFeed == b.retreatFeed;
}

bool ControllerSession::connect(const std::string& port, int baud, const GrblSettings& settings) {
  if (busy()) {
    failure_ = formatMessage(Msg::GrblBusy);
    return false;
  }
  disconnect();
  if (const std::string problem = CheckGrblSettings(settings); !problem.empty()) {
    failure_ = problem;
    return false;
  }
  if (!factory_) {
    failure_ = formatMessage(Msg::SessionNoSerialPorts);
    return false;
  }
  if (port.empty()) {
    failure_ = formatMessage(Msg::SessionNoPort);
    return false;
  }
  transport_ = factory_(port, baud);
  if (!transport_) {
    failure_ = formatMessage(Msg::SessionNoSerialPorts);
    return false;
  }
  port_ = port;
  baud_ = baud;
  settings_ = settings;
  streamer_ = std::make_unique<GrblStreamer>(*transport_, settings);
  ++connectionNumber_;
  streamer_->setTrafficLog([this](GrblTraffic kind, std::string_view text) {
    // The status queries and their reports come five times a second: they
    // go to the traffic observer only.
    if (kind == GrblTraffic::Realtime) {
      if (text == "?") {
        addLog(true, true, text);
        return;
      }
      std::string shown;
      for (const char c : text) {
        const auto byte = static_cast<unsigned char>(c);
        if (byte >= 0x20 && byte < 0x7f) {
          shown += c;
        } else {
          static constexpr char kHex[] = "0123456789ABCDEF";
          shown += "0x";
          shown += kHex[byte >> 4];
          shown += kHex[byte & 0xF];
        }
      }
      addLog(true, false, shown);
      return;
    }
    const bool report = kind == GrblTraffic::Received && !text.empty() && text.front() == '<';
    addLog(kind == GrblTraffic::Sent, report, text);
  });
  failure_.clear();
  ++logChanges_;
  if (!streamer_->connect()) {
    failure_ = streamer_->failureText();
    streamer_->setTrafficLog({});
    streamer_.reset();
    transport_.reset();
    if (observer_) observer_();
    return false;
  }
  if (observer_) observer_();
  return true;
}

bool ControllerSession::ensureConnected(const std::string& port, int baud,
                                        const GrblSettings& settings) {
  if (connected() && port == port_ && baud == baud_ && sameSettings(settings, settings_)) {
    return true;
  }
  return connect(port, baud, settings);
}

void ControllerSession::disconnect() {
  if (!streamer_ && !transport_) return;
  if (streamer_) {
    streamer_->disconnect();
    streamer_->setTrafficLog({});
  }
  streamer_.reset();
  transport_.reset();
  ++logChanges_;
  if (observer_) observer_();
}

std::string ControllerSession::banner() const {
  return connected() ? streamer_->banner() : std::string();
}

std::optional<GrblStatus> ControllerSession::lastStatus() const {
  return connected() ? streamer_->lastStatus() : std::nullopt;
}

bool ControllerSession::positionKnown() const { return connected() && streamer_->positionKnown(); }

std::string ControllerSession::failureText() const { return failure_; }

bool ControllerSession::busy() const {
  if (!connected()) return false;
  const GrblStreamState state = streamer_->state();
  return state == GrblStreamState::Running || state == GrblStreamState::Stopping;
}

bool ControllerSession::ready() {
  if (!connected()) {
    failure_ = formatMessage(Msg::GrblNotConnected);
    return false;
  }
  if (busy()) {
    failure_ = formatMessage(Msg::GrblBusy);
    return false;
  }
  return true;
}

namespace {
template <typename Call>
bool runCommand(GrblStreamer& streamer, std::string& failure, Call call) {
  if (call(streamer)) {
    failure.clear();
    return true;
  }
  failure = streamer.failureText();
  return false;
}
}  // namespace

bool ControllerSession::unlock() {
  return ready() && runCommand(*streamer_, failure_, [](GrblStreamer& s) { return s.unlock(); });
}

bool ControllerSession::jog(const std::array<std::optional<double>, 4>& delta, double feed) {
  return ready() &&
         runCommand(*streamer_, failure_, [&](GrblStreamer& s) { return s.jog(delta, feed); });
}

bool ControllerSession::setWorkZero() {
  return ready() &&
         runCommand(*streamer_, failure_, [](GrblStreamer& s) { return s.setWorkZero(); });
}

bool ControllerSession::setHeat(std::optional<double> spindle) {
  return ready() &&
         runCommand(*streamer_, failure_, [&](GrblStreamer& s) { return s.setHeat(spindle); });
}

bool ControllerSession::refreshStatus() {
  return ready() &&
         runCommand(*streamer_, failure_, [](GrblStreamer& s) { return s.refreshStatus(); });
}

void ControllerSession::clearLog() {
  log_.clear();
  ++logChanges_;
  if (observer_) observer_();
}

void ControllerSession::addLog(bool sent, bool poll, std::string_view text) {
  // One entry per line: the streamer hands whole lines, a realtime byte, or
  // several lines at once.
  std::size_t begin = 0;
  bool added = false;
  while (begin <= text.size()) {
    std::size_t end = text.find('\n', begin);
    if (end == std::string_view::npos) end = text.size();
    std::string_view piece = text.substr(begin, end - begin);
    while (!piece.empty() && (piece.back() == '\r' || piece.back() == '\n')) piece.remove_suffix(1);
    if (!piece.empty()) {
      LogLine line{sent, poll, std::string(piece)};
      if (trafficObserver_) trafficObserver_(line);
      if (!poll) {
        log_.push_back(std::move(line));
        if (log_.size() > kLogLimit) log_.pop_front();
        ++logChanges_;
        added = true;
      }
    }
    if (end == text.size()) break;
    begin = end + 1;
  }
  if (added && observer_) observer_();
}

}  // namespace orva
