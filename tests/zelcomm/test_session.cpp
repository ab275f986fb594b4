// Finding the unit, opening and closing the device, flags and the load entry.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "protocol.h"
#include "session_fixture.h"

namespace zeltest {
namespace {

using ::testing::ElementsAre;

const std::string kZel1 = "\\\\.\\ZEL1";
const std::string kZel2 = "\\\\.\\ZEL2";
const std::string kZel3 = "\\\\.\\ZEL3";
const std::string kVxd = "\\\\.\\ZELVXD";

using OpenCloseTest = SessionTest;

TEST_F(OpenCloseTest, OpenBeforeAnyInitialisationFailsWithoutCurrentPort) {
    fake.devices = {kZel1, kZel2, kZel3};
    EXPECT_EQ(ZelOpen(), 1);
    EXPECT_TRUE(fake.opened.empty());
}

TEST_F(OpenCloseTest, PortsOutsideOneToThreeFailWithoutTouchingTheDriver) {
    fake.devices = {kZel1, kZel2, kZel3};
    EXPECT_EQ(ZelOpenEx(4, 0), 1);
    EXPECT_EQ(ZelOpenEx(0, 0), 1);
    EXPECT_EQ(ZelOpenEx(-1, 0), 1);
    EXPECT_TRUE(fake.opened.empty());
    EXPECT_TRUE(fake.calls.empty());
}

TEST_F(OpenCloseTest, NtOpensTheNumberedDeviceForReadAndWrite) {
    fake.devices = {kZel3};
    EXPECT_EQ(ZelOpenEx(3, 0), 0);
    EXPECT_THAT(fake.opened, ElementsAre(kZel3));
    EXPECT_THAT(fake.accesses, ElementsAre(zelproto::kAccessReadWrite));
    EXPECT_EQ(ZelOpenEx(2, 0), 0) << "an open session answers 0 for any port";
    EXPECT_THAT(fake.opened, ElementsAre(kZel3)) << "and keeps the old device";
}

TEST_F(OpenCloseTest, MissingDeviceFails) {
    EXPECT_EQ(ZelOpenEx(1, 0), 1);
    EXPECT_THAT(fake.opened, ElementsAre(kZel1));
    EXPECT_EQ(ZelClose(), 0);
    EXPECT_TRUE(fake.closed.empty());
}

TEST_F(OpenCloseTest, CloseWhenNotOpenReturnsZero) {
    EXPECT_EQ(ZelClose(), 0);
    EXPECT_EQ(ZelCloseEx(7, 8), 0);
    EXPECT_TRUE(fake.closed.empty());
}

TEST_F(OpenCloseTest, FailedCloseReturnsOneAndKeepsTheSession) {
    fake.devices = {kZel1};
    ASSERT_EQ(ZelOpenEx(1, 0), 0);
    fake.closeFails = true;
    EXPECT_EQ(ZelClose(), 1);
    EXPECT_EQ(zelcomm::session.open, 1);
    fake.closeFails = false;
    EXPECT_EQ(ZelClose(), 0);
    EXPECT_THAT(fake.closed, ElementsAre(kZel1));
    EXPECT_EQ(zelcomm::session.open, 0);
    EXPECT_EQ(ZelOpenEx(1, 0), 0) << "the device can be opened again";
}

TEST_F(OpenCloseTest, OpenUsesThePortTheLastScanFound) {
    connectUnit(2);
    ASSERT_EQ(ZelClose(), 0);
    EXPECT_EQ(ZelOpen(), 0);
    EXPECT_THAT(fake.opened, ElementsAre(kZel2));
}

TEST_F(OpenCloseTest, DetachClosesTheSession) {
    connectUnit(1);
    zelcomm::detach();
    EXPECT_THAT(fake.closed, ElementsAre(kZel1));
    EXPECT_EQ(zelcomm::session.loaded, 0);
}

using ScanTest = SessionTest;

TEST_F(ScanTest, FindsTheUnitOnPortTwoAfterTryingPortOne) {
    fake.devices = {kZel1, kZel2, kZel3};
    fake.unitPorts = {2};
    EXPECT_EQ(ZelGetPort(), 0) << "no port before the unit is found";
    EXPECT_EQ(ZelCommInit(0), 0);
    EXPECT_THAT(fake.opened, ElementsAre(kZel1, kZel2));
    EXPECT_THAT(fake.closed, ElementsAre(kZel1)) << "a port without the unit is closed again";
    ASSERT_EQ(fake.calls.size(), 2u);
    for (const auto &call : fake.calls) {
        EXPECT_EQ(call.code, zelproto::kNtProbe);
        EXPECT_EQ(call.input.size(), zelproto::kAreaSize) << "the probe sends the whole area";
        EXPECT_EQ(call.outSize, 0u);
    }
    EXPECT_EQ(ZelGetPort(), 2);
    EXPECT_EQ(zelcomm::session.demo, 0);
    EXPECT_EQ(zelcomm::session.lastCallSucceeded, 1);
    EXPECT_TRUE(hookedMessages().empty()) << "no messages unless verbose";
}

TEST_F(ScanTest, VerboseMessagesComeInOrder) {
    fake.devices = {kZel2, kZel3};
    fake.unitPorts = {3};
    EXPECT_EQ(EppInstallMsg(1), 0);
    EXPECT_EQ(ZelCommInit(0), 0);
    EXPECT_THAT(messageTexts(),
                ElementsAre("Zelcomm::Verbose Debug enabled\nOsVersion:6.1\nWin32 on Windows NT\n",
                            "Zel driver NOT found Port:1", "Zel driver found Port:2, Zel NOT found",
                            "Zel driver found Port:3, Zel found"));
    for (const auto &message : hookedMessages()) {
        EXPECT_TRUE(message.hasCaption);
        EXPECT_EQ(message.caption, "Zelcomm.dll Message");
        EXPECT_EQ(message.style, 0x2030u);
    }
}

TEST_F(ScanTest, NoUnitAnywhereReturnsOneAndTheNextRequestEntersDemoMode) {
    fake.devices = {kZel1};
    EXPECT_EQ(ZelCommInit(0), 1);
    EXPECT_EQ(zelcomm::session.open, 0);
    EXPECT_EQ(ZelIsDemo(), 0);
    float value = 5.0f;
    EXPECT_EQ(ZelReadChannel(1, &value), 0);
    EXPECT_EQ(value, 0.0f);
    EXPECT_THAT(messageTexts(), ElementsAre("ZEL-8 not communicating -- Entering DEMO mode"));
    EXPECT_EQ(ZelIsDemo(), 1);
}

TEST_F(ScanTest, InitClosesAnOpenSessionFirst) {
    connectUnit(1);
    EXPECT_EQ(ZelCommInit(0), 0);
    EXPECT_THAT(fake.closed, ElementsAre(kZel1));
    EXPECT_THAT(fake.opened, ElementsAre(kZel1));
}

TEST_F(ScanTest, VersionReportNamesEveryPlatform) {
    const std::pair<std::uint32_t, std::string> cases[] = {{0, "Win32s on Windows 3.1\n"},
                                                           {1, "Win32 on Windows 95\n"},
                                                           {2, "Win32 on Windows NT\n"},
                                                           {7, "OsVersionInfo.dwPlatformId:7\n"}};
    for (const auto &[platform, line] : cases) {
        zelcomm::resetSession();
        fake.os = {4, 10, platform};
        ASSERT_TRUE(zelcomm::attach(fake));
        ZelSetMessageHook(&recordMessage);
        hookedMessages().clear();
        EppInstallMsg(1);
        ZelCommInitEx(1, 0);
        ASSERT_FALSE(hookedMessages().empty());
        EXPECT_EQ(hookedMessages().front().text,
                  "Zelcomm::Verbose Debug enabled\nOsVersion:4.10\n" + line);
    }
}

using InitExTest = SessionTest;

TEST_F(InitExTest, SilentUnitReturnsOneAndLeavesTheSessionOpen) {
    fake.devices = {kZel2};
    EXPECT_EQ(ZelCommInitEx(2, 0), 1);
    EXPECT_EQ(zelcomm::session.open, 1);
    EXPECT_TRUE(fake.closed.empty());
    EXPECT_EQ(ZelGetPort(), 0) << "the current port is not changed";
    EXPECT_EQ(zelcomm::session.lastCallSucceeded, 0);
}

TEST_F(InitExTest, PortThatDoesNotOpenReturnsOne) {
    EXPECT_EQ(ZelCommInitEx(3, 0), 1);
    EXPECT_TRUE(fake.calls.empty());
}

TEST_F(InitExTest, DoesNotCloseAnOpenSession) {
    connectUnit(1);
    EXPECT_EQ(ZelCommInitEx(2, 0), 0) << "probes the device already open";
    EXPECT_TRUE(fake.opened.empty());
    EXPECT_TRUE(fake.closed.empty());
    ASSERT_EQ(fake.calls.size(), 1u);
    EXPECT_EQ(fake.calls[0].device, kZel1);
}

TEST_F(InitExTest, PortZeroScansQuietlyAndSetsTheCurrentPort) {
    fake.devices = {kZel1, kZel3};
    fake.unitPorts = {3};
    EppInstallMsg(1);
    EXPECT_EQ(ZelCommInitEx(0, 0), 0);
    EXPECT_EQ(ZelGetPort(), 3);
    EXPECT_THAT(fake.closed, ElementsAre(kZel1));
    ASSERT_EQ(hookedMessages().size(), 1u) << "only the version report";
    EXPECT_EQ(ZelCommInitEx(0, 0), 0) << "already open: probes the open device";
}

TEST_F(InitExTest, PortZeroWithoutUnitReturnsOne) {
    fake.devices = {kZel1, kZel2};
    EXPECT_EQ(ZelCommInitEx(0, 0), 1);
    EXPECT_EQ(zelcomm::session.open, 0);
}

TEST_F(InitExTest, LeavesDemoMode) {
    connectUnit(1);
    fake.replies.push_back(Reply::failedCall());
    float value = 0;
    ZelReadChannel(1, &value);
    ASSERT_EQ(ZelIsDemo(), 1);
    EXPECT_EQ(ZelCommInitEx(1, 0), 0);
    EXPECT_EQ(ZelIsDemo(), 0);
}

class VxdTest : public SessionTest {
  protected:
    void SetUp() override {
        fake.os = {4, 10, 1};
        SessionTest::SetUp();
    }
};

TEST_F(VxdTest, OpensTheOneDeviceAndSelectsThePort) {
    fake.devices = {kVxd};
    fake.unitPorts = {2};
    EXPECT_EQ(ZelCommInit(0), 0);
    EXPECT_THAT(fake.opened, ElementsAre(kVxd, kVxd));
    EXPECT_THAT(fake.accesses, ElementsAre(0u, 0u)) << "no access rights requested";
    ASSERT_EQ(fake.calls.size(), 4u);
    EXPECT_EQ(fake.calls[0].code, zelproto::kVxdSelectPort);
    EXPECT_EQ(fake.calls[0].input, (std::vector<std::uint8_t>{0, 0, 0, 0}));
    EXPECT_EQ(fake.calls[1].code, zelproto::kVxdProbe);
    EXPECT_EQ(fake.calls[2].code, zelproto::kVxdSelectPort);
    EXPECT_EQ(fake.calls[2].input, (std::vector<std::uint8_t>{1, 0, 0, 0}));
    EXPECT_EQ(fake.calls[3].code, zelproto::kVxdProbe);
    EXPECT_EQ(ZelGetPort(), 2);
}

TEST_F(VxdTest, RequestsUseTheVxdCode) {
    fake.devices = {kVxd};
    fake.unitPorts = {1};
    ASSERT_EQ(ZelCommInit(0), 0);
    fake.forget();
    EXPECT_EQ(ZelStartScan(), 0);
    ASSERT_EQ(fake.calls.size(), 1u);
    EXPECT_EQ(fake.calls[0].code, zelproto::kVxdRequest);
}

TEST_F(VxdTest, RefusedPortSelectionClosesTheDevice) {
    fake.devices = {kVxd};
    fake.selectPortFails = true;
    EXPECT_EQ(ZelOpenEx(1, 0), 1);
    EXPECT_THAT(fake.closed, ElementsAre(kVxd));
    EXPECT_EQ(zelcomm::session.open, 0);
}

TEST_F(VxdTest, VersionReportSaysWindows95) {
    EppInstallMsg(1);
    ZelCommInit(0);
    ASSERT_FALSE(hookedMessages().empty());
    EXPECT_EQ(hookedMessages().front().text,
              "Zelcomm::Verbose Debug enabled\nOsVersion:4.10\nWin32 on Windows 95\n");
}

using FlagTest = SessionTest;

TEST_F(FlagTest, MessageFlagsReturnTheirPreviousValueUnnormalised) {
    EXPECT_EQ(EppInstallMsg(1), 0);
    EXPECT_EQ(EppInstallMsg(5), 1);
    EXPECT_EQ(EppInstallMsg(0), 5);
    EXPECT_EQ(EppDiagMsg(1), 0);
    EXPECT_EQ(EppDiagMsg(-3), 1);
    EXPECT_EQ(EppDiagMsg(0), -3);
}

TEST_F(FlagTest, ErrorBoxFlagIsNormalised) {
    EXPECT_EQ(zelcomm::session.errorBox, 1);
    ZelMsgBox(0);
    EXPECT_EQ(zelcomm::session.errorBox, 0);
    ZelMsgBox(42);
    EXPECT_EQ(zelcomm::session.errorBox, 1);
}

TEST_F(FlagTest, VersionNumbers) {
    EXPECT_EQ(ZelDLL(), 769);
    int16_t version = 99;
    GetZelVersion(&version);
    EXPECT_EQ(version, 0);
    GetZelVersion(nullptr);
}

TEST(LoadTest, RefusesASecondLoadAndAFailedVersionQuery) {
    FakePlatform fake;
    zelcomm::resetSession();
    EXPECT_TRUE(zelcomm::attach(fake));
    EXPECT_FALSE(zelcomm::attach(fake));
    zelcomm::resetSession();
    fake.versionFails = true;
    EXPECT_FALSE(zelcomm::attach(fake));
    EXPECT_EQ(zelcomm::session.loaded, 0);
    zelcomm::resetSession();
}

TEST(LoadTest, NtFlagFollowsThePlatformId) {
    FakePlatform fake;
    for (std::uint32_t id : {0u, 1u, 2u, 3u}) {
        zelcomm::resetSession();
        fake.os.platformId = id;
        ASSERT_TRUE(zelcomm::attach(fake));
        EXPECT_EQ(zelcomm::session.nt, id == 2 ? 1 : 0);
    }
    zelcomm::resetSession();
}

}  // namespace
}  // namespace zeltest
