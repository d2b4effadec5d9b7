#pragma once

#include <array>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "PortFakes.h"
#include "config/FoamDatabase.h"
#include "config/MachineConfig.h"
#include "driver/DriverDevice.h"
#include "driver/InterfaceDriver.h"
#include "driver/SimulatedMachine.h"
#include "model/CT1Doc.h"
#include "motion/CutEnvironment.h"
#include "motion/CutJob.h"
#include "motion/CutMove.h"
#include "motion/MovePlanner.h"

namespace orva::test {

using Steps = std::array<std::int64_t, 4>;  // XG, YG, XD, YD

// A program context around the simulated machine, as the application wires
// it: the ports (scripted prompt, recording sound and status, all checking
// that only the owner's thread calls them), the interface driver (opened),
// the machine configuration with the default table (48 steps per mm on every
// axis, 0.5 ms timer) and no foam, the move planner, the cut environment and
// its cut job (polled every millisecond). Nothing touches the disk.
class MachineRig {
 public:
  // Puts another device in front of the simulated machine (which the rig
  // keeps): e.g. one that holds or refuses step requests.
  using DeviceWrapper = std::function<std::unique_ptr<DriverDevice>(SimulatedMachine&)>;

  explicit MachineRig(SimulatedMachineParams params = {}, const DeviceWrapper& wrap = {});
  virtual ~MachineRig();
  MachineRig(const MachineRig&) = delete;
  MachineRig& operator=(const MachineRig&) = delete;

  // Motors at 0.5 ms between steps on both axes: 1000 / (48 x 0.5) = 41.67 mm/s.
  void fastMotors();
  // Makes `foams` the foam database, selects the first and cuts at its
  // highest speed with its heat at that speed.
  void useFoams(const std::vector<FoamType>& foams);
  // A foam record; fixed heat unless told.
  static FoamType foam(const std::string& name, double maxSpeed, int maxSpeedHeat,
                       int heatMode = FixedHeat);

  // Steps commanded to the motors so far.
  std::int64_t steps(Axis axis) const;
  Steps allSteps() const;

  OwnerThread owner;
  CheckedPrompt prompt{owner};
  RecordingSound sound{&owner};
  RecordingStatus status{&owner};

 private:
  std::unique_ptr<SimulatedMachine> ownedMachine_;  // behind a wrapper device

 public:
  SimulatedMachine* machine = nullptr;
  InterfaceDriver driver;
  MachineConfig config;
  MovePlanner planner;
  CutEnvironment env;
  CutJob job;

 private:
  MachineRig(const DeviceWrapper& wrap, std::unique_ptr<SimulatedMachine> simulated);
  std::unique_ptr<DriverDevice> device(const DeviceWrapper& wrap,
                                       std::unique_ptr<SimulatedMachine> simulated);
};

// The machine rig with a new project (one default panel, not modified).
class ProjectRig : public MachineRig {
 public:
  explicit ProjectRig(SimulatedMachineParams params = {}, const DeviceWrapper& wrap = {});

  Panel& panel() { return doc.current(); }

  ProjectContext context{prompt, config, "", ""};
  CT1Doc doc{context};
};

// The labels of a move list, in order.
std::vector<std::string> labelsOf(const MoveList& moves);

}  // namespace orva::test
