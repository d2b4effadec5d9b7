#pragma once

#include <memory>
#include <string_view>

#include "driver/DriverDevice.h"
#include "driver/SimulatedMachine.h"

namespace orva {

struct TableConfig;

// The device of a driver backend named in the settings (`Backend`): the
// simulated machine for "simulated" (any letter case). Any other name gives a
// device that is not there: opening the driver then reports "Error in loading
// driver" and every request is skipped, as with a driver that is not
// installed, instead of silently cutting on another backend.
std::unique_ptr<DriverDevice> makeDriverDevice(std::string_view backend);

// The simulated machine's view of a table: the timer period, the steps per mm
// of each axis (XNtour / XPas, YNtour / YPas) and the backlash steps. Values
// the machine cannot run with (a period or steps per mm that is not a positive
// finite number) keep those of `base`, and a negative backlash counts as
// none; the move planner reports such a table when it is used. Every other
// parameter (pacing, hand-set heat, ...) is taken from `base`.
SimulatedMachineParams simulatedParamsFor(const TableConfig& table, SimulatedMachineParams base);

}  // namespace orva
