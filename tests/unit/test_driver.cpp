// The emulated driver: which devices exist, which calls succeed on which port, the select-port
// call of ZELVXD, injected faults, and the scan schedule.
#include <gtest/gtest.h>

#include "driver.h"
#include "request_frame.h"
#include "scan_schedule.h"
#include "unit_harness.h"

namespace {

using zel8d::Device;
using zel8d::Driver;
using zel8d::PortMode;
using zeltest::requestFrame;
namespace code = zelproto::code;

class DriverTest : public ::testing::Test {
  protected:
    zel8d::CallReply call(Device device, std::uint32_t controlCode,
                          std::vector<std::uint8_t> input = {}, std::size_t outSize = 260) {
        return driver.control(device, &selected, controlCode, input.data(), input.size(), outSize,
                              0.0);
    }
    static std::vector<std::uint8_t> port(std::uint8_t zeroBased) { return {zeroBased, 0, 0, 0}; }

    zeltest::UnitHarness h;
    Driver driver{h.unit, {PortMode::Silent, PortMode::Unit, PortMode::Absent}};
    int selected = 0;
};

TEST_F(DriverTest, DevicesExistForPortsWithADriverAndAlwaysForVxd) {
    EXPECT_TRUE(driver.offers(Device::Zel1));
    EXPECT_TRUE(driver.offers(Device::Zel2));
    EXPECT_FALSE(driver.offers(Device::Zel3));
    EXPECT_TRUE(driver.offers(Device::Vxd));
    EXPECT_EQ(driver.unitPort(), 2);
    EXPECT_STREQ(zel8d::deviceName(Device::Vxd), "ZELVXD");
}

TEST_F(DriverTest, OnlyThePortWithTheUnitAnswers) {
    EXPECT_TRUE(call(Device::Zel2, zelproto::kNtProbe, std::vector<std::uint8_t>(260)).ok);
    EXPECT_FALSE(call(Device::Zel1, zelproto::kNtProbe).ok);
    EXPECT_FALSE(call(Device::Zel1, zelproto::kNtRequest, requestFrame(code::StartScan)).ok);
    const zel8d::CallReply reply =
        call(Device::Zel2, zelproto::kNtRequest, requestFrame(code::ReadTfsv, {1}));
    ASSERT_TRUE(reply.ok);
    ASSERT_EQ(reply.output.size(), 260u);
    EXPECT_EQ(reply.output[1], 0);
    // Codes of the other family are unknown to the NT devices.
    EXPECT_FALSE(call(Device::Zel2, zelproto::kVxdRequest, requestFrame(code::StartScan)).ok);
    EXPECT_FALSE(call(Device::Zel2, 0x222010).ok);
}

TEST_F(DriverTest, TheAnswerFitsTheCallersBuffer) {
    EXPECT_EQ(call(Device::Zel2, zelproto::kNtRequest, requestFrame(code::ReadTfsv, {1}), 0)
                  .output.size(),
              0u);
    EXPECT_EQ(call(Device::Zel2, zelproto::kNtRequest, requestFrame(code::ReadTfsv, {1}), 4096)
                  .output.size(),
              260u);
}

TEST_F(DriverTest, VxdReachesAPortThroughSelectPort) {
    EXPECT_FALSE(call(Device::Vxd, zelproto::kVxdProbe).ok);                // nothing selected yet
    EXPECT_FALSE(call(Device::Vxd, zelproto::kVxdSelectPort, port(2)).ok);  // no driver
    EXPECT_FALSE(call(Device::Vxd, zelproto::kVxdSelectPort, port(3)).ok);  // no such port
    EXPECT_FALSE(call(Device::Vxd, zelproto::kVxdSelectPort, {0, 0}).ok);   // short input
    EXPECT_TRUE(call(Device::Vxd, zelproto::kVxdSelectPort, port(0)).ok);
    EXPECT_EQ(selected, 1);
    EXPECT_FALSE(call(Device::Vxd, zelproto::kVxdProbe).ok);  // silent port
    EXPECT_TRUE(call(Device::Vxd, zelproto::kVxdSelectPort, port(1)).ok);
    EXPECT_TRUE(call(Device::Vxd, zelproto::kVxdProbe).ok);
    EXPECT_TRUE(call(Device::Vxd, zelproto::kVxdRequest, requestFrame(code::StartScan)).ok);
    EXPECT_FALSE(call(Device::Vxd, zelproto::kNtRequest, requestFrame(code::StartScan)).ok);
}

TEST_F(DriverTest, SilentMakesEveryCallFailUntilSwitchedOff) {
    driver.setSilent(true);
    EXPECT_FALSE(call(Device::Zel2, zelproto::kNtProbe).ok);
    EXPECT_FALSE(call(Device::Zel2, zelproto::kNtRequest, requestFrame(code::StartScan)).ok);
    driver.setSilent(false);
    EXPECT_TRUE(call(Device::Zel2, zelproto::kNtProbe).ok);
}

TEST_F(DriverTest, AnInjectedStatusAnswersTheNextRequestInsteadOfTheUnit) {
    driver.answerNextRequestWith(255);
    std::vector<std::uint8_t> define = requestFrame(code::DefineChannel, {1, 'T', '1', 0});
    const zel8d::CallReply injected = call(Device::Zel2, zelproto::kNtRequest, define);
    EXPECT_TRUE(injected.ok);
    EXPECT_EQ(injected.output[1], 255);
    EXPECT_FALSE(h.unit.channels().defined(1));
    EXPECT_EQ(call(Device::Zel2, zelproto::kNtRequest, define).output[1], 0);
    EXPECT_TRUE(h.unit.channels().defined(1));
}

TEST_F(DriverTest, ADelayHoldsBackRequestAnswersOnly) {
    driver.setDelay(1.5);
    EXPECT_EQ(call(Device::Zel2, zelproto::kNtRequest, requestFrame(code::StartScan)).delaySeconds,
              1.5);
    EXPECT_EQ(call(Device::Zel2, zelproto::kNtProbe).delaySeconds, 0.0);
}

TEST(ScanScheduleTest, ScansEveryPeriodWhileScanningAndHoldsWhileStopped) {
    zeltest::UnitHarness h;
    h.unit.scanTime();  // 100: every 10 ms
    ASSERT_EQ(h.define(1, "T1"), 0);
    zel8d::ScanSchedule schedule;
    EXPECT_EQ(schedule.run(h.unit, 1.0), 1);
    EXPECT_EQ(schedule.run(h.unit, 1.0), 0);
    EXPECT_EQ(schedule.run(h.unit, 1.0355), 3);
    EXPECT_NEAR(schedule.next(), 1.04, 1e-9);
    // Far behind: start again from now instead of catching up, and count what was given up.
    EXPECT_EQ(schedule.run(h.unit, 5.0), 1);
    EXPECT_EQ(schedule.scans(), 5);
    EXPECT_EQ(schedule.dropped(), 396);  // (5.0 - 1.04) / 0.01

    h.signal.setProbe(1, 0.002);
    h.request(code::StopScan);
    EXPECT_EQ(schedule.run(h.unit, 9.0), 0);
    EXPECT_LT(schedule.next(), 0.0);
    EXPECT_EQ(h.read(code::ReadChannel, 1), 0.0f);  // holds
    h.request(code::StartScan);
    EXPECT_EQ(schedule.run(h.unit, 9.5), 1);
    EXPECT_FLOAT_EQ(h.read(code::ReadChannel, 1), 0.002f);
}

// The server runs one scan before a request, so a backlog makes no request wait longer.
TEST(ScanScheduleTest, ABacklogIsCaughtUpAsFewScansAtATimeAsAskedEachAtItsOwnTime) {
    zeltest::UnitHarness h;
    ASSERT_EQ(h.define(1, "T1"), 0);
    zel8d::ScanSchedule schedule;
    EXPECT_EQ(schedule.run(h.unit, 1.0, 1), 1);
    EXPECT_EQ(schedule.run(h.unit, 1.0355, 1), 1);
    EXPECT_NEAR(schedule.next(), 1.02, 1e-9);
    EXPECT_EQ(schedule.run(h.unit, 1.0355, 0), 0);
    EXPECT_EQ(schedule.run(h.unit, 1.0355, 5), 2);
    EXPECT_NEAR(schedule.next(), 1.04, 1e-9);
    EXPECT_EQ(schedule.scans(), 4);
    EXPECT_EQ(schedule.dropped(), 0);
    EXPECT_GT(schedule.longestScan(), 0.0);
}

}  // namespace
