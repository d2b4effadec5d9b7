#include "MachineRig.h"

#include <gtest/gtest.h>

#include <chrono>
#include <utility>

namespace orva::test {

MachineRig::MachineRig(SimulatedMachineParams params, const DeviceWrapper& wrap)
    : MachineRig(wrap, std::make_unique<SimulatedMachine>(params)) {}

MachineRig::MachineRig(const DeviceWrapper& wrap, std::unique_ptr<SimulatedMachine> simulated)
    : machine(simulated.get()),
      driver(device(wrap, std::move(simulated)), prompt),
      config(driver, prompt),
      planner(config.table, config.foams, prompt),
      env{planner, driver, config, prompt, sound, status, {}, "Bravo.wav", {}, {}},
      job(env) {
  job.setPollInterval(std::chrono::milliseconds(1));
  driver.OpenDriver();
}

MachineRig::~MachineRig() { EXPECT_EQ(owner.strayCalls(), 0); }

std::unique_ptr<DriverDevice> MachineRig::device(const DeviceWrapper& wrap,
                                                 std::unique_ptr<SimulatedMachine> simulated) {
  if (!wrap) return simulated;
  ownedMachine_ = std::move(simulated);
  return wrap(*ownedMachine_);
}

void MachineRig::fastMotors() {
  config.table.XVmax = 0.5;
  config.table.YVmax = 0.5;
}

void MachineRig::useFoams(const std::vector<FoamType>& foams) {
  config.foams.records.clear();
  for (const FoamType& f : foams) config.foams.records[f.name] = f;
  if (foams.empty()) return;
  config.foams.SelectFoam(foams.front().name);
  config.foams.cutSpeed = foams.front().maxSpeed;
  config.foams.currentHeat = foams.front().maxSpeedHeat;
}

FoamType MachineRig::foam(const std::string& name, double maxSpeed, int maxSpeedHeat,
                          int heatMode) {
  FoamType f;
  f.name = name;
  f.heatMode = heatMode;
  f.maxSpeed = maxSpeed;
  f.maxSpeedHeat = maxSpeedHeat;
  return f;
}

std::int64_t MachineRig::steps(Axis axis) const {
  return machine->snapshot()[axis].commandedSteps;
}

Steps MachineRig::allSteps() const {
  return {steps(Axis::XG), steps(Axis::YG), steps(Axis::XD), steps(Axis::YD)};
}

ProjectRig::ProjectRig(SimulatedMachineParams params, const DeviceWrapper& wrap)
    : MachineRig(params, wrap) {
  doc.modified = false;
}

std::vector<std::string> labelsOf(const MoveList& moves) {
  std::vector<std::string> out;
  out.reserve(moves.size());
  for (const CutMove& m : moves) out.push_back(m.label);
  return out;
}

}  // namespace orva::test
