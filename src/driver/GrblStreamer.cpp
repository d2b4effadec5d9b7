#include "driver/GrblStreamer.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <utility>

#include "common/Messages.h"
#include "common/NumberText.h"

namespace orva {

namespace {

constexpr std::chrono::milliseconds kMinimumStatusInterval{200};
constexpr int kMinimumRxBuffer = 16;
constexpr int kMaximumRxBuffer = 65536;
// A feed hold brings a hot wire to a stand within a second; far longer means
// the controller does not hold.
constexpr std::chrono::seconds kHoldTimeout{30};
constexpr std::chrono::milliseconds kBannerQuiet{400};

std::string numberText(double value, int decimals) {
  char buffer[48];
  std::snprintf(buffer, sizeof buffer, "%.*f", decimals, value);
  return buffer;
}

std::string secondsText(std::chrono::milliseconds ms) {
  return numberText(static_cast<double>(ms.count()) / 1000.0, 1);
}

bool stands(const GrblStatus& status) {
  return status.state == "Idle" || (status.state == "Hold" && status.subState == 0);
}

}  // namespace

std::string CheckGrblSettings(const GrblSettings& settings) {
  if (auto why = GrblAxisMap::check(settings.axisLetters); !why.empty()) return why;
  if (settings.rxBufferSize < kMinimumRxBuffer || settings.rxBufferSize > kMaximumRxBuffer) {
    return formatMessage(Msg::GrblRxBufferSize, {std::to_string(settings.rxBufferSize)});
  }
  return {};
}

std::vector<GrblProgramLine> GrblProgramFromText(std::string_view gcode, bool keepComments) {
  std::vector<GrblProgramLine> program;
  std::size_t number = 0;
  while (!gcode.empty()) {
    const auto end = gcode.find('\n');
    const std::string_view line = gcode.substr(0, end);
    ++number;
    std::string text = GrblLineToSend(line, keepComments);
    // "%" marks the program's start and end in some files; GRBL refuses it.
    if (!text.empty() && text != "%") program.push_back({std::move(text), number});
    if (end == std::string_view::npos) break;
    gcode.remove_prefix(end + 1);
  }
  return program;
}

GrblStreamer::GrblStreamer(ControllerTransport& transport, GrblSettings settings)
    : transport_(transport), settings_(std::move(settings)) {
  settings_.statusInterval = std::max(settings_.statusInterval, kMinimumStatusInterval);
  settings_.rxBufferSize = std::clamp(settings_.rxBufferSize, kMinimumRxBuffer, kMaximumRxBuffer);
  if (auto map = GrblAxisMap::make(settings_.axisLetters)) {
    axisMap_ = *map;
  } else {
    axisMap_ = *GrblAxisMap::make("XYZA");
  }
}

bool GrblStreamer::writeBytes(std::string_view bytes, GrblTraffic kind) {
  if (!transport_.isOpen()) return false;
  if (log_) log_(kind, bytes);
  if (!transport_.write(bytes)) {
    losePort();
    return false;
  }
  return true;
}

bool GrblStreamer::writeRealtime(char byte) {
  return connected_ && writeBytes(std::string_view(&byte, 1), GrblTraffic::Realtime);
}

void GrblStreamer::lose(std::string text) {
  ++losses_;
  // After an alarm the controller may stop answering until it is reset: the
  // alarm is what the user has to know.
  if (!alarmCode_) failure_ = std::move(text);
  positionKnown_ = false;
  // What was sent stays counted: the controller still answers every line it
  // has received (an alarm refuses them with an error), in order.
  queue_.clear();
  progress_.retreating = false;
  if (phase_ != Phase::None) {
    phase_ = Phase::None;
    streamState_ = GrblStreamState::Failed;
  }
}

void GrblStreamer::losePort() {
  lose(formatMessage(Msg::GrblPortLost, {transport_.name(), transport_.errorText()}));
  inFlight_.clear();
  inFlightBytes_ = 0;
  alarmCode_.reset();
  if (transport_.isOpen()) transport_.close();
  connected_ = false;
}

bool GrblStreamer::connect() {
  disconnect();
  failure_.clear();
  if (auto why = CheckGrblSettings(settings_); !why.empty()) {
    failure_ = why;
    return false;
  }
  if (!transport_.open()) {
    failure_ = formatMessage(Msg::GrblPortNotOpened, {transport_.name(), transport_.errorText()});
    return false;
  }
  connected_ = true;
  bannerSeen_ = false;
  alarmCode_.reset();
  axesMismatch_.clear();
  received_.clear();
  // A controller that was booting when the port opened prints its banner
  // twice (boot, then the reset): the answers count from the last one, so
  // the banner must be followed by a quiet moment.
  const bool answered = writeRealtime(kGrblSoftReset) &&
                        waitFor([this] { return bannerSeen_; }, settings_.bannerTimeout);
  if (answered) {
    bool again = true;
    while (again && connected_) {
      bannerSeen_ = false;
      again = waitFor([this] { return bannerSeen_; }, kBannerQuiet);
    }
    bannerSeen_ = true;
  }
  if (!answered || !connected_) {
    if (failure_.empty() || bannerSeen_ == false) {
      failure_ = formatMessage(Msg::GrblNoBanner,
                               {transport_.name(), secondsText(settings_.bannerTimeout)});
    }
    disconnect();
    return false;
  }
  // "$I" names the axes in the controller's order where the build reports
  // them ("[AXS:4:XYUV]"); a refusal is no fault (not every build knows it).
  command("$I");
  if (!axesMismatch_.empty()) {
    failure_ = formatMessage(Msg::GrblAxesMissing, {axesMismatch_, axisMap_.letters()});
    disconnect();
    return false;
  }
  if (!refreshStatus()) {
    disconnect();
    return false;
  }
  positionKnown_ = status_ && status_->state != "Alarm";
  failure_.clear();
  return true;
}

void GrblStreamer::disconnect() {
  if (transport_.isOpen()) transport_.close();
  connected_ = false;
  queue_.clear();
  inFlight_.clear();
  inFlightBytes_ = 0;
  phase_ = Phase::None;
  if (streamState_ == GrblStreamState::Running || streamState_ == GrblStreamState::Stopping) {
    streamState_ = GrblStreamState::Failed;
  }
}

bool GrblStreamer::waitFor(const std::function<bool()>& done, std::chrono::milliseconds timeout) {
  const auto until = Clock::now() + timeout;
  const std::size_t losses = losses_;
  while (!done()) {
    if (!connected_ || !transport_.isOpen() || losses_ != losses) return false;
    const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(until - Clock::now());
    if (left.count() <= 0) return false;
    pump(std::min(left, std::chrono::milliseconds(50)));
  }
  return true;
}

void GrblStreamer::pump(std::chrono::milliseconds wait) {
  if (!transport_.isOpen()) {
    if (connected_) losePort();
    return;
  }
  sendWhatFits();
  pollStatus();
  std::string chunk;
  if (!transport_.read(chunk, wait)) {
    losePort();
    return;
  }
  received_ += chunk;
  std::size_t end = 0;
  while ((end = received_.find('\n')) != std::string::npos) {
    std::string line = received_.substr(0, end);
    received_.erase(0, end + 1);
    if (!line.empty() && line.back() == '\r') line.pop_back();
    if (log_ && !line.empty()) log_(GrblTraffic::Received, line);
    handleLine(line);
    if (!connected_) return;
  }
  sendWhatFits();
}

void GrblStreamer::sendWhatFits() {
  // One byte of the receive buffer stays free, as the controller's own
  // character-counting sender keeps it: a full buffer on a loaded controller
  // was seen to lose a byte (two lines run together, "error:25").
  const auto capacity = static_cast<std::size_t>(settings_.rxBufferSize) - 1;
  while (!queue_.empty() && connected_) {
    const std::size_t bytes = queue_.front().text.size() + 1;
    if (inFlightBytes_ + bytes > capacity) break;
    Outgoing line = std::move(queue_.front());
    queue_.pop_front();
    inFlightBytes_ += bytes;
    const std::string text = line.text + '\n';
    inFlight_.push_back(std::move(line));
    if (!writeBytes(text, GrblTraffic::Sent)) return;
  }
}

void GrblStreamer::pollStatus() {
  if (!connected_ || !bannerSeen_) return;
  const auto now = Clock::now();
  if (statusAsked_) {
    if (now - lastQuery_ > settings_.answerTimeout) {
      // Best effort: a reset switches the controller's spindle output off.
      const char reset = kGrblSoftReset;
      transport_.write(std::string_view(&reset, 1));
      lose(formatMessage(Msg::GrblNoAnswer,
                         {transport_.name(), secondsText(settings_.answerTimeout)}));
    }
    return;
  }
  if (now - lastQuery_ < settings_.statusInterval) return;
  lastQuery_ = now;
  statusAsked_ = true;
  const char query = kGrblStatusQuery;
  writeBytes(std::string_view(&query, 1), GrblTraffic::Realtime);
}

void GrblStreamer::handleLine(std::string_view text) {
  const GrblLine line = ParseGrblLine(text);
  switch (line.kind) {
    case GrblLineKind::Ok:
    case GrblLineKind::Error: {
      if (inFlight_.empty()) return;  // an answer to nothing we sent (after a reset)
      Outgoing answered = std::move(inFlight_.front());
      inFlight_.pop_front();
      standingSince_.reset();
      inFlightBytes_ -= answered.text.size() + 1;
      const bool ok = line.kind == GrblLineKind::Ok;
      if (answered.tag == Tag::Command) {
        if (answered.index == awaitedCommand_) {
          commandAnswered_ = true;
          if (!ok) commandError_ = line.code;
        }
        if (!ok && phase_ == Phase::Finishing) failRefused(answered, line.code);
        return;
      }
      if (answered.tag == Tag::Sync) {
        if (!ok) {
          failRefused(answered, line.code);
          return;
        }
        syncAcknowledged_ = true;
        syncStatusCount_ = statusCount_;
        return;
      }
      if (!ok) {
        failRefused(answered, line.code);
        return;
      }
      const GrblProgramLine& source = program_[answered.index];
      ++progress_.acknowledged;
      progress_.fileLine = source.fileLine;
      const std::string& t = source.text;
      const auto m = GcodeWordValue(t, 'M');
      if (m && (*m == 3.0 || *m == 4.0)) {
        heat_ = GcodeWordValue(t, 'S').value_or(heat_.value_or(0.0));
      } else if (m && *m == 5.0) {
        heat_.reset();
      } else if (const auto s = GcodeWordValue(t, 'S'); s && heat_) {
        heat_ = *s;
      }
      if (phase_ == Phase::Streaming && progress_.acknowledged == program_.size()) {
        phase_ = Phase::Draining;
      }
      return;
    }
    case GrblLineKind::Alarm:
      alarmCode_.reset();
      lose(formatMessage(Msg::GrblAlarm, {std::to_string(line.code), describeCode(line.code, true)}));
      alarmCode_ = line.code;
      locked_ = true;
      return;
    case GrblLineKind::Banner:
      banner_ = line.text;
      bannerSeen_ = true;
      // A reset empties the controller's buffers: nothing sent is answered any more.
      inFlight_.clear();
      inFlightBytes_ = 0;
      statusAsked_ = false;
      if (phase_ == Phase::Resetting) {
        afterReset();
      } else if (phase_ != Phase::None) {
        lose(formatMessage(Msg::GrblResetItself));
      }
      return;
    case GrblLineKind::Status:
      if (const auto status = ParseGrblStatus(line.text)) handleStatus(*status);
      return;
    case GrblLineKind::Feedback:
      // "[OPT:VNMGH,35,255]": the planner's blocks and the receive buffer of the build.
      if (line.text.rfind("OPT:", 0) == 0) {
        const auto first = line.text.find(',');
        if (first != std::string::npos) {
          if (const IntegerScan blocks = scanInteger(line.text, first + 1); blocks.ok()) {
            plannerBlocks_ = blocks.value;
          }
        }
      }
      if (const std::string axes = AxesOfFeedback(line.text); !axes.empty()) {
        if (auto map = GrblAxisMap::make(axisMap_.letters(), axes)) {
          axisMap_ = *map;
        } else {
          axesMismatch_ = axes;
        }
      }
      return;
    default:
      return;
  }
}

void GrblStreamer::handleStatus(const GrblStatus& status) {
  statusAsked_ = false;
  ++statusCount_;
  if (!status.workOffset.empty()) workOffset_ = status.workOffset;
  status_ = status;
  progress_.state = status.state;
  progress_.plannerBlocksFree = status.plannerBlocksFree;
  progress_.position = position();
  locked_ = status.state == "Alarm";
  if (locked_) positionKnown_ = false;
  if (phase_ == Phase::Streaming && status.state == "Run") moving_ = true;
  if (phase_ == Phase::Streaming && moving_ && status.plannerBlocksFree) {
    const int free = *status.plannerBlocksFree;
    ++progress_.runReports;
    progress_.minPlannerBlocksFree = progress_.minPlannerBlocksFree < 0
                                         ? free
                                         : std::min(progress_.minPlannerBlocksFree, free);
    progress_.maxPlannerBlocksFree = std::max(progress_.maxPlannerBlocksFree, free);
  }
  if (phase_ == Phase::Streaming || phase_ == Phase::Draining) watchForLostAnswer(status);
  switch (phase_) {
    case Phase::Holding:
      if (stands(status)) {
        // The machine stands: a reset now keeps its position.
        phase_ = Phase::Resetting;
        phaseSince_ = Clock::now();
        bannerSeen_ = false;
        writeRealtime(kGrblSoftReset);
      }
      break;
    case Phase::AfterReset:
      if (status.state == "Alarm") {
        lose(formatMessage(Msg::GrblAlarmState));
        break;
      }
      phase_ = Phase::Finishing;
      {
        std::vector<std::string> lines;
        if (cancelling_) {
          progress_.retreating = true;
          const auto here = position();
          lines.emplace_back("G21 G90 G94");
          if (heat_) lines.push_back("M3 S" + numberText(*heat_, 0));
          if (here) {
            const double yg = std::max((*here)[1], clearance_);
            const double yd = std::max((*here)[3], clearance_);
            if (yg > (*here)[1] || yd > (*here)[3]) {
              lines.push_back("G1 " + axisMap_.words({}, yg, {}, yd) + " F" +
                              numberText(settings_.retreatFeed, 1));
            }
            lines.push_back("G0 " + axisMap_.words(0.0, {}, 0.0, {}));
          }
          lines.push_back("G0 " + axisMap_.words({}, 0.0, {}, 0.0));
        }
        lines.emplace_back("M5");
        for (auto& text : lines) queue_.push_back({std::move(text), Tag::Command, 0});
        queue_.push_back({"G4 P0", Tag::Sync, 0});
        syncAcknowledged_ = false;
      }
      break;
    case Phase::Draining:
    case Phase::Finishing:
      if (syncAcknowledged_ && statusCount_ > syncStatusCount_) {
        if (status.state == "Idle") {
          finishStream(phase_ == Phase::Draining ? GrblStreamState::Finished : endState_);
        } else if (status.state == "Alarm") {
          lose(formatMessage(Msg::GrblAlarmState));
        }
      }
      break;
    default:
      break;
  }
}

void GrblStreamer::watchForLostAnswer(const GrblStatus& status) {
  // A byte lost on the serial line can run two lines into one: the controller
  // then answers once for both, and the oldest line waits for an answer that
  // never comes while the controller stands idle with its receive buffer
  // empty. Seen for longer than the answer timeout (plus the dwells still
  // unanswered, during which GRBL also reports Idle), that ends the cut the
  // safe way instead of waiting for ever.
  const bool standing = !inFlight_.empty() && status.state == "Idle" && status.rxBytesFree &&
                        *status.rxBytesFree >= settings_.rxBufferSize &&
                        (!status.plannerBlocksFree || plannerBlocks_ <= 0 ||
                         *status.plannerBlocksFree >= plannerBlocks_);
  if (!standing) {
    standingSince_.reset();
    return;
  }
  const auto now = Clock::now();
  if (!standingSince_) {
    standingSince_ = now;
    return;
  }
  double dwell = 0.0;
  for (const Outgoing& line : inFlight_) {
    if (GcodeWordValue(line.text, 'G') == 4.0) {
      dwell += GcodeWordValue(line.text, 'P').value_or(0.0);
    }
  }
  const auto allowed =
      settings_.answerTimeout +
      std::chrono::duration_cast<Clock::duration>(std::chrono::duration<double>(dwell));
  if (now - *standingSince_ <= allowed) return;
  const Outgoing& line = inFlight_.front();
  const std::size_t number = line.tag == Tag::Program ? program_[line.index].fileLine : 0;
  failure_ = formatMessage(Msg::GrblLineUnanswered,
                           {number > 0 ? std::to_string(number) : std::string("-"), line.text,
                            secondsText(std::chrono::duration_cast<std::chrono::milliseconds>(
                                now - *standingSince_))});
  standingSince_.reset();
  endState_ = GrblStreamState::Failed;
  beginSafeStop();
}

void GrblStreamer::afterReset() {
  // Ask at once where the machine stands; the answer continues the stop.
  phase_ = Phase::AfterReset;
  lastQuery_ = Clock::now() - settings_.statusInterval;
}

void GrblStreamer::failRefused(const Outgoing& line, int code) {
  const std::size_t number = line.tag == Tag::Program ? program_[line.index].fileLine : 0;
  const std::string text = formatMessage(
      Msg::GrblLineRefused,
      {number > 0 ? std::to_string(number) : std::string("-"), line.text, std::to_string(code),
       describeCode(code, false)});
  if (phase_ == Phase::Finishing) {
    // A line of the stop itself refused: stop here, the machine stands.
    failure_ = text;
    finishStream(GrblStreamState::Failed);
    return;
  }
  if (phase_ != Phase::Streaming && phase_ != Phase::Draining) return;
  failure_ = text;
  endState_ = GrblStreamState::Failed;
  beginSafeStop();
}

void GrblStreamer::beginSafeStop() {
  queue_.clear();
  streamState_ = GrblStreamState::Stopping;
  phase_ = Phase::Holding;
  phaseSince_ = Clock::now();
  writeRealtime(kGrblFeedHold);
  lastQuery_ = Clock::now() - settings_.statusInterval;  // ask for the state at once
}

void GrblStreamer::finishStream(GrblStreamState state) {
  phase_ = Phase::None;
  streamState_ = state;
  progress_.retreating = false;
  queue_.clear();
  if (state == GrblStreamState::Cancelled) failure_ = formatMessage(Msg::GrblCancelled);
}

std::string GrblStreamer::describeCode(int code, bool alarm) const {
  const std::string_view text = alarm ? GrblAlarmText(code) : GrblErrorText(code);
  return std::string(text.empty() ? messageText(Msg::GrblUnknownCode) : text);
}

std::optional<std::array<double, 4>> GrblStreamer::position() const {
  if (!status_) return std::nullopt;
  if (!status_->workPosition.empty()) return axisMap_.towers(status_->workPosition);
  if (status_->machinePosition.empty()) return std::nullopt;
  std::vector<double> work = status_->machinePosition;
  for (std::size_t i = 0; i < work.size() && i < workOffset_.size(); ++i) work[i] -= workOffset_[i];
  return axisMap_.towers(work);
}

bool GrblStreamer::command(std::string_view line) {
  if (!connected_) {
    failure_ = formatMessage(Msg::GrblNotConnected);
    return false;
  }
  if (phase_ != Phase::None) {
    failure_ = formatMessage(Msg::GrblBusy);
    return false;
  }
  std::string text = GrblLineToSend(line, settings_.keepComments);
  if (text.size() + 1 > static_cast<std::size_t>(settings_.rxBufferSize)) {
    failure_ = formatMessage(Msg::GrblLineTooLong,
                             {"-", std::to_string(settings_.rxBufferSize)});
    return false;
  }
  commandAnswered_ = false;
  commandError_.reset();
  awaitedCommand_ = ++commandCount_;
  queue_.push_back({text, Tag::Command, awaitedCommand_});
  // No fixed limit: a command may wait for motion; the status polling
  // notices a controller that stops answering.
  alarmCode_.reset();
  const std::size_t losses = losses_;
  const auto pending = [this] {
    const auto awaited = [this](const Outgoing& o) {
      return o.tag == Tag::Command && o.index == awaitedCommand_;
    };
    return std::any_of(queue_.begin(), queue_.end(), awaited) ||
           std::any_of(inFlight_.begin(), inFlight_.end(), awaited);
  };
  // Ends when answered, and when a reset of the controller dropped the line.
  while (!commandAnswered_ && connected_ && !alarmCode_ && losses_ == losses && pending()) {
    pump(std::chrono::milliseconds(50));
  }
  if (!commandAnswered_) return false;
  if (commandError_) {
    failure_ = formatMessage(Msg::GrblCommandRefused,
                             {text, std::to_string(*commandError_), describeCode(*commandError_, false)});
    return false;
  }
  return commandAnswered_;
}

bool GrblStreamer::unlock() {
  if (!command("$X")) return false;
  locked_ = false;
  return true;
}

bool GrblStreamer::waitIdle(std::chrono::milliseconds timeout) {
  const auto until = Clock::now() + timeout;
  while (Clock::now() < until) {
    if (!refreshStatus()) return false;
    if (status_->state == "Idle") return true;
    if (locked_) return false;
    pump(std::chrono::milliseconds(50));
  }
  failure_ = formatMessage(Msg::GrblNotIdle, {status_ ? status_->state : std::string("?")});
  return false;
}

bool GrblStreamer::jog(const std::array<std::optional<double>, 4>& delta, double feed) {
  const std::string words = axisMap_.words(delta[0], delta[1], delta[2], delta[3]);
  if (words.empty()) return true;
  return command("$J=G21 G91 " + words + " F" + numberText(feed, 1));
}

bool GrblStreamer::setWorkZero() {
  if (!command("G10 L20 P0 " + axisMap_.words(std::array<double, 4>{}))) return false;
  positionKnown_ = true;
  return refreshStatus();
}

bool GrblStreamer::setHeat(std::optional<double> spindle) {
  return command(spindle ? "M3 S" + numberText(*spindle, 0) : std::string("M5"));
}

void GrblStreamer::emergencyStop() {
  if (!connected_) return;
  const bool moving = status_ && status_->state != "Idle" && !stands(*status_);
  writeRealtime(kGrblSoftReset);
  queue_.clear();
  inFlight_.clear();
  inFlightBytes_ = 0;
  if (moving) positionKnown_ = false;
  if (phase_ != Phase::None) {
    phase_ = Phase::None;
    streamState_ = GrblStreamState::Failed;
  }
}

bool GrblStreamer::refreshStatus() {
  if (!connected_) return false;
  const std::size_t before = statusCount_;
  if (!statusAsked_) lastQuery_ = Clock::now() - settings_.statusInterval;
  const bool got = waitFor([&] { return statusCount_ > before; }, settings_.answerTimeout);
  if (!got && connected_) {
    failure_ = formatMessage(Msg::GrblNoAnswer,
                             {transport_.name(), secondsText(settings_.answerTimeout)});
  }
  return got;
}

bool GrblStreamer::start(std::vector<GrblProgramLine> program, std::optional<double> clearance) {
  if (!connected_) {
    failure_ = formatMessage(Msg::GrblNotConnected);
    return false;
  }
  if (phase_ != Phase::None) {
    failure_ = formatMessage(Msg::GrblBusy);
    return false;
  }
  if (locked_) {
    failure_ = formatMessage(Msg::GrblAlarmState);
    return false;
  }
  const auto capacity = static_cast<std::size_t>(settings_.rxBufferSize);
  double highest = 0.0;
  for (const GrblProgramLine& line : program) {
    if (line.text.size() + 1 > capacity) {
      failure_ = formatMessage(Msg::GrblLineTooLong,
                               {std::to_string(line.fileLine), std::to_string(capacity)});
      return false;
    }
    for (const std::size_t tower : {std::size_t{1}, std::size_t{3}}) {
      if (const auto y = GcodeWordValue(line.text, axisMap_.letters()[tower])) {
        highest = std::max(highest, *y);
      }
    }
  }
  program_ = std::move(program);
  clearance_ = clearance.value_or(highest);
  failure_.clear();
  progress_ = GrblProgress{};
  progress_.lineCount = program_.size();
  progress_.state = status_ ? status_->state : std::string{};
  progress_.position = position();
  heat_.reset();
  cancelling_ = false;
  moving_ = false;
  syncAcknowledged_ = false;
  endState_ = GrblStreamState::Finished;
  for (std::size_t i = 0; i < program_.size(); ++i) {
    queue_.push_back({program_[i].text, Tag::Program, i});
  }
  queue_.push_back({"G4 P0", Tag::Sync, 0});
  phase_ = program_.empty() ? Phase::Draining : Phase::Streaming;
  phaseSince_ = Clock::now();
  streamState_ = GrblStreamState::Running;
  return true;
}

GrblStreamState GrblStreamer::service(std::chrono::milliseconds wait) {
  if (phase_ == Phase::None) return streamState_;
  if (!connected_) {
    losePort();
    return streamState_;
  }
  pump(wait);
  if (phase_ == Phase::Holding && Clock::now() - phaseSince_ > kHoldTimeout) {
    lose(formatMessage(Msg::GrblNotIdle, {status_ ? status_->state : std::string("?")}));
  }
  if (phase_ == Phase::Resetting && Clock::now() - phaseSince_ > settings_.bannerTimeout) {
    lose(formatMessage(Msg::GrblNoAnswer, {transport_.name(), secondsText(settings_.bannerTimeout)}));
  }
  return streamState_;
}

void GrblStreamer::cancel() {
  if (phase_ != Phase::Streaming && phase_ != Phase::Draining) return;
  cancelling_ = true;
  endState_ = GrblStreamState::Cancelled;
  beginSafeStop();
}

GrblStreamState GrblStreamer::run(std::vector<GrblProgramLine> program,
                                  std::optional<double> clearance,
                                  const std::function<void(const GrblProgress&)>& onProgress,
                                  const std::function<bool()>& cancelRequested) {
  if (!start(std::move(program), clearance)) return GrblStreamState::Failed;
  while (true) {
    const GrblStreamState state = service(std::chrono::milliseconds(20));
    if (onProgress) onProgress(progress_);
    if (state != GrblStreamState::Running && state != GrblStreamState::Stopping) return state;
    if (cancelRequested && cancelRequested()) cancel();
  }
}

}  // namespace orva
