#include "driver/InterfaceDriver.h"

#include <initializer_list>
#include <stdexcept>
#include <string_view>

#include "common/Messages.h"
#include "common/NumberText.h"
#include "common/UserPrompt.h"

namespace orva {

InterfaceDriver::InterfaceDriver(std::unique_ptr<DriverDevice> device, UserPrompt& prompt)
    : device_(std::move(device)), prompt_(prompt) {
  if (!device_) throw std::invalid_argument("InterfaceDriver needs a device");
}

InterfaceDriver::~InterfaceDriver() { CloseDriver(); }

std::string InterfaceDriver::versionText(std::uint16_t version) {
  return std::to_string(version >> 8) + "." + std::to_string(version & 0xFF);
}

bool InterfaceDriver::OpenDriver() {
  if (isOpen()) return true;
  if (!device_->open()) {
    prompt_.showMessage(messageText(Msg::ErrorInLoadingDriver), MessageIcon::Warning);
    return false;
  }
  open_.store(true, std::memory_order_release);
  version_ = device_->version();
  if (version_ < kRequiredVersion) {
    // An old driver stays in use for every request except Init.
    prompt_.showMessage(fillFields(messageText(Msg::DriverVersionTooOld),
                                   {versionText(version_), versionText(kRequiredVersion)}),
                        MessageIcon::Warning);
    return true;
  }
  device_->init();
  return true;
}

void InterfaceDriver::CloseDriver() {
  if (!isOpen()) return;
  device_->close();
  open_.store(false, std::memory_order_release);
}

bool InterfaceDriver::SendSteps(const std::uint8_t* bytes, std::size_t length) {
  std::vector<std::string> messages;
  const bool sent = SendSteps(bytes, length, messages);
  for (const std::string& message : messages) prompt_.showMessage(message, MessageIcon::Information);
  return sent;
}

bool InterfaceDriver::SendSteps(const std::uint8_t* bytes, std::size_t length,
                                std::vector<std::string>& messages) {
  if (!isOpen()) return false;
  const StepsCompletion done = device_->sendSteps(bytes, length);
  if (!done.refusal.empty()) {
    // Refused when issued: reported, then the completion decides all the same.
    messages.push_back(std::string(messageText(Msg::DeviceIoControlFailed)) + done.refusal);
  }
  if (!done.completed) {
    messages.push_back(std::string(messageText(Msg::GetOverlappedResultFailed)) + done.error);
    return false;
  }
  return done.bytesReturned == 0;
}

void InterfaceDriver::StartTimerCount() {
  if (isOpen()) device_->startTimerCount();
}

std::pair<bool, std::uint32_t> InterfaceDriver::PollTimerCount() {
  if (!isOpen()) return {true, 0};
  const std::optional<std::uint32_t> count = device_->pollTimerCount();
  if (!count) return {false, 0};
  return {true, *count};
}

std::uint32_t InterfaceDriver::WaitTimerCount() {
  if (!isOpen()) return 0;
  return device_->waitTimerCount();
}

void InterfaceDriver::Init() {
  if (isOpen()) device_->init();
}

void InterfaceDriver::Start() {
  if (isOpen()) device_->start();
}

void InterfaceDriver::Stop() {
  if (isOpen()) device_->stop();
}

void InterfaceDriver::SetHeatOutput(int percent) {
  if (percent < 0 || percent > 100) {
    prompt_.showMessage(
        formatMessage(Msg::InvalidPowerCoefficient, {std::to_string(percent) + "%"}),
        MessageIcon::Warning);
    return;
  }
  if (isOpen()) device_->setHeat(percent);
}

void InterfaceDriver::ReadStatus(DriverStatus& status) {
  status.heatOnCount = 0;
  status.heatOffCount = 100;
  status.controlFlag = 1;
  if (isOpen()) device_->readStatus(status, false);
}

void InterfaceDriver::ReadStatusWait(DriverStatus& status) {
  status.heatOnCount = 0;
  status.heatOffCount = 100;
  if (isOpen()) device_->readStatus(status, true);
}

bool InterfaceDriver::ReadPosition(WirePosition& position) {
  return isOpen() && device_->readPosition(position);
}

}  // namespace orva
