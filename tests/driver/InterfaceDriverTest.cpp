#include <gtest/gtest.h>

#include <array>
#include <memory>
#include <string>
#include <tuple>
#include <utility>
#include <vector>

#include "common/ScriptedPrompt.h"
#include "driver/InterfaceDriver.h"
#include "driver/SimulatedMachine.h"
#include "support/LowerLayerRigs.h"
#include "support/StepStreams.h"

namespace orva {
namespace {

// The driver over a simulated machine the test keeps a handle on.
struct Rig {
  explicit Rig(SimulatedMachineParams params = {}) {
    auto owned = std::make_unique<SimulatedMachine>(params);
    machine = owned.get();
    driver = std::make_unique<InterfaceDriver>(std::move(owned), prompt);
  }
  ScriptedPrompt prompt;
  SimulatedMachine* machine = nullptr;
  std::unique_ptr<InterfaceDriver> driver;
};

const std::vector<std::uint8_t> kOneStep = {0x81, 0x0C};  // XG+

TEST(InterfaceDriver, AbsentDeviceReportsOnceThenSkipsEveryRequest) {
  SimulatedMachineParams params;
  params.deviceAbsent = true;
  Rig rig(params);
  EXPECT_FALSE(rig.driver->OpenDriver());
  EXPECT_FALSE(rig.driver->isOpen());
  ASSERT_EQ(rig.prompt.calls().size(), 1U);
  EXPECT_EQ(rig.prompt.calls()[0].text, "Error in loading driver");
  EXPECT_EQ(rig.prompt.calls()[0].icon, MessageIcon::Warning);

  EXPECT_FALSE(rig.driver->SendSteps(kOneStep.data(), kOneStep.size()));
  rig.driver->Start();
  rig.driver->SetHeatOutput(50);
  rig.driver->StartTimerCount();
  EXPECT_EQ(rig.driver->PollTimerCount(), std::make_pair(true, std::uint32_t{0}));
  EXPECT_EQ(rig.driver->WaitTimerCount(), 0U);

  DriverStatus status{7, 7, 0};
  rig.driver->ReadStatus(status);
  DriverStatus waited{7, 7, 0};
  rig.driver->ReadStatusWait(waited);
  EXPECT_EQ(test::statusOf(status), (std::array<int, 3>{0, 100, 1}));
  // The control flag is not preset by the waiting read.
  EXPECT_EQ(test::statusOf(waited), (std::array<int, 3>{0, 100, 0}));

  const SimulatedMachineCounters c = rig.machine->counters();
  EXPECT_EQ(c.starts + c.heatSends + c.stepsRequests + c.timerCounts + c.statusReads, 0U);
  EXPECT_EQ(rig.prompt.calls().size(), 1U);
}

TEST(InterfaceDriver, OldVersionIsReportedAndKeptOpenWithoutInit) {
  SimulatedMachineParams params;
  params.version = 0x0101;
  Rig rig(params);
  EXPECT_TRUE(rig.driver->OpenDriver());
  EXPECT_EQ(rig.prompt.messages(),
            std::vector<std::string>{
                "Driver version 1.1 too old\nPlease install version  1.2 or above."});
  EXPECT_EQ(rig.prompt.calls()[0].icon, MessageIcon::Warning);
  EXPECT_EQ(rig.machine->counters().inits, 0U);
  // Still used for everything else.
  EXPECT_TRUE(rig.driver->SendSteps(kOneStep.data(), kOneStep.size()));
  EXPECT_EQ(rig.machine->snapshot()[Axis::XG].commandedSteps, 1);
}

TEST(InterfaceDriver, CurrentVersionIsInitialisedSilently) {
  for (std::uint16_t version : {std::uint16_t{0x0102}, std::uint16_t{0x0200}}) {
    SimulatedMachineParams params;
    params.version = version;
    Rig rig(params);
    EXPECT_TRUE(rig.driver->OpenDriver());
    EXPECT_TRUE(rig.prompt.calls().empty());
    EXPECT_EQ(rig.machine->counters().inits, 1U);
    EXPECT_TRUE(rig.driver->OpenDriver());  // already open: nothing again
    EXPECT_EQ(rig.machine->counters().opens, 1U);
    rig.driver->CloseDriver();
    EXPECT_FALSE(rig.driver->isOpen());
    EXPECT_FALSE(rig.driver->SendSteps(kOneStep.data(), kOneStep.size()));
  }
}

TEST(InterfaceDriver, HeatOutsideZeroToHundredIsRefusedWithItsPercentage) {
  Rig rig;
  ASSERT_TRUE(rig.driver->OpenDriver());
  rig.driver->SetHeatOutput(101);
  rig.driver->SetHeatOutput(-1);
  EXPECT_EQ(rig.prompt.messages(), (std::vector<std::string>{"Invalid power coefficient 101%",
                                                             "Invalid power coefficient -1%"}));
  EXPECT_EQ(rig.prompt.calls()[0].icon, MessageIcon::Warning);
  EXPECT_EQ(rig.machine->counters().heatSends, 0U);

  rig.driver->SetHeatOutput(100);
  DriverStatus status;
  rig.driver->ReadStatus(status);
  EXPECT_EQ(test::statusOf(status)[0], 100);
  EXPECT_EQ(test::statusOf(status)[1], 0);
  EXPECT_EQ(rig.prompt.calls().size(), 2U);
}

TEST(InterfaceDriver, StepsSucceedOnlyWhenNothingIsReturned) {
  Rig rig;
  ASSERT_TRUE(rig.driver->OpenDriver());
  const std::vector<std::uint8_t> malformed = {0x81, 0x04};  // XG direction without step
  EXPECT_FALSE(rig.driver->SendSteps(malformed.data(), malformed.size()));
  EXPECT_TRUE(rig.driver->SendSteps(nullptr, 0));
  EXPECT_TRUE(rig.prompt.calls().empty());
}

TEST(InterfaceDriver, FailedWaitAndRefusalAreReportedAsSystemErrors) {
  ScriptedPrompt prompt;
  auto owned = std::make_unique<test::FakeDevice>();
  test::FakeDevice& device = *owned;
  InterfaceDriver driver(std::move(owned), prompt);
  ASSERT_TRUE(driver.OpenDriver());

  device.completion.completed = false;
  device.completion.error = "The device is not ready.";
  EXPECT_FALSE(driver.SendSteps(kOneStep.data(), kOneStep.size()));

  device.completion = {};
  device.completion.refusal = "Access is denied.";
  EXPECT_TRUE(driver.SendSteps(kOneStep.data(), kOneStep.size()));  // completed, 0 returned

  device.completion = {};
  device.completion.bytesReturned = 2;
  EXPECT_FALSE(driver.SendSteps(kOneStep.data(), kOneStep.size()));

  EXPECT_EQ(prompt.messages(), (std::vector<std::string>{
                                   "VARN::Decoupe, GetOverlappedResult: The device is not ready.",
                                   "VARN::Decoupe, DeviceIOC: Access is denied."}));
  for (const auto& call : prompt.calls()) EXPECT_EQ(call.icon, MessageIcon::Information);
}

}  // namespace
}  // namespace orva
