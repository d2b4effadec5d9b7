#include "app/DriverBackend.h"

#include <algorithm>
#include <cctype>
#include <cmath>

#include "app/AppSettings.h"
#include "config/TableConfig.h"

namespace orva {

namespace {

bool equalsIgnoringCase(std::string_view a, std::string_view b) {
  return std::equal(a.begin(), a.end(), b.begin(), b.end(), [](char x, char y) {
    return std::tolower(static_cast<unsigned char>(x)) ==
           std::tolower(static_cast<unsigned char>(y));
  });
}

// A backend nobody answers to: the device is never there.
class UnavailableDevice : public DriverDevice {
 public:
  bool open() override { return false; }
  void close() override {}
  std::uint16_t version() override { return 0; }
  void init() override {}
  void start() override {}
  void stop() override {}
  void setHeat(int) override {}
  // Never reached (a closed driver skips every request); nothing is output.
  StepsCompletion sendSteps(const std::uint8_t*, std::size_t) override {
    StepsCompletion completion;
    completion.completed = false;
    return completion;
  }
  void startTimerCount() override {}
  std::optional<std::uint32_t> pollTimerCount() override { return 0U; }
  std::uint32_t waitTimerCount() override { return 0; }
  void readStatus(DriverStatus&, bool) override {}
};

bool usable(double value) { return std::isfinite(value) && value > 0.0; }

}  // namespace

std::unique_ptr<DriverDevice> makeDriverDevice(std::string_view backend) {
  if (equalsIgnoringCase(backend, kSimulatedBackend)) return std::make_unique<SimulatedMachine>();
  return std::make_unique<UnavailableDevice>();
}

SimulatedMachineParams simulatedParamsFor(const TableConfig& table, SimulatedMachineParams base) {
  SimulatedMachineParams params = base;
  if (usable(table.Tempo)) params.tempoMs = table.Tempo;
  if (table.XNtour > 0 && usable(table.XPas) && usable(table.XNtour / table.XPas)) {
    params.xStepsPerMm = table.XNtour / table.XPas;
  }
  if (table.YNtour > 0 && usable(table.YPas) && usable(table.YNtour / table.YPas)) {
    params.yStepsPerMm = table.YNtour / table.YPas;
  }
  params.xBacklashSteps = std::max(0, table.XPasInvSens);
  params.yBacklashSteps = std::max(0, table.YPasInvSens);
  return params;
}

}  // namespace orva
