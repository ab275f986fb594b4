// The shared library as a program sees it: loaded, linked by its exports, talking to a driver
// over the device sockets. Each test runs in a process of its own (a fresh library session).
// The Vxd cases run in processes started with ZEL_PLATFORM_ID=1 (Windows 95 family).
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "fake_driver_server.h"
#include "protocol.h"
#include "temp_folder.h"
#include "zelcomm.h"

namespace zeltest {
namespace {

using ::testing::ElementsAre;

std::vector<std::string> &messages() {
    static std::vector<std::string> list;
    return list;
}

void ZELAPI record(const char *text, const char *, std::uint32_t) {
    messages().push_back(text);
}

std::vector<std::uint8_t> floatAnswer(float value) {
    std::vector<std::uint8_t> bytes(4);
    std::memcpy(bytes.data(), &value, 4);
    return bytes;
}

// The unit is attached behind `unitDevice`; every other device answers but its probe fails.
FakeDriverServer::Handler unitBehind(std::string unitDevice) {
    return [unitDevice](const DriverCall &call) {
        if (isProbe(call)) {
            return DriverReply{call.device == unitDevice ? 1u : 0u, {}};
        }
        if (call.code == zelproto::kVxdSelectPort) {
            return DriverReply{};
        }
        return FakeDriverServer::unitAnswer(0, floatAnswer(0.25f));
    };
}

class LibraryTest : public ::testing::Test {
  protected:
    LibraryTest() : env_("ZEL_DEVICE_DIR", folder_.path().c_str()) {
        ZelSetMessageHook(&record);
        messages().clear();
    }
    ~LibraryTest() override { ZelSetMessageHook(nullptr); }

    TempFolder folder_;
    ScopedEnv env_;
};

TEST_F(LibraryTest, IsTheNtFamilyUnlessTold) {
    ASSERT_EQ(std::getenv("ZEL_PLATFORM_ID"), nullptr);
}

TEST_F(LibraryTest, FindsTheUnitOnPortTwoAndReadsAChannel) {
    FakeDriverServer server(folder_.path(), {"ZEL2", "ZEL3"}, unitBehind("ZEL2"));
    EppInstallMsg(1);
    ASSERT_EQ(ZelCommInit(0), 0);
    ASSERT_EQ(messages().size(), 3u);
    EXPECT_THAT(messages()[0], ::testing::StartsWith("Zelcomm::Verbose Debug enabled\nOsVersion:"));
    EXPECT_THAT(messages()[0], ::testing::EndsWith("\nWin32 on Windows NT\n"));
    EXPECT_EQ(messages()[1], "Zel driver NOT found Port:1");
    EXPECT_EQ(messages()[2], "Zel driver found Port:2, Zel found");
    float value = 0;
    EXPECT_EQ(ZelReadChannel(1, &value), 0);
    EXPECT_EQ(value, 0.25f);
    EXPECT_THAT(server.accessMasks(), ElementsAre(zelproto::kAccessReadWrite));
}

TEST_F(LibraryTest, SendsTheFrameOnTheWireByteForByte) {
    FakeDriverServer server(folder_.path(), {"ZEL1"});
    ASSERT_EQ(ZelCommInit(0), 0);
    char formula[] = "T1";
    EXPECT_EQ(ZelDefineChannel(3, formula), 0);
    const auto sent = requestsAmong(server.calls());
    ASSERT_EQ(sent.size(), 1u);
    EXPECT_EQ(sent[0].code, zelproto::kNtRequest);
    EXPECT_EQ(sent[0].outSize, 260u);
    EXPECT_EQ(sent[0].input, (std::vector<std::uint8_t>{0x3A, 3, 4, 3, 'T', '1', 0}));
    const auto calls = server.calls();
    EXPECT_EQ(calls[0].code, zelproto::kNtProbe);
    EXPECT_EQ(calls[0].input.size(), 260u);
}

TEST_F(LibraryTest, ReinitialisingClosesAndReopensTheSameDeviceAtOnce) {
    FakeDriverServer server(folder_.path(), {"ZEL1"});
    for (int round = 0; round < 10; ++round) {
        ASSERT_EQ(ZelCommInit(0), 0) << "round " << round;
    }
    EXPECT_EQ(ZelClose(), 0);
    EXPECT_EQ(ZelOpen(), 0) << "the current port opens again";
    EXPECT_EQ(ZelCloseEx(0, 0), 0);
    EXPECT_EQ(server.openDevices(), 0);
}

TEST_F(LibraryTest, NoDriverAtAllMeansDemoModeWithOneMessage) {
    EXPECT_EQ(ZelCommInit(0), 1);
    float value = 7.0f;
    EXPECT_EQ(ZelReadChannel(1, &value), 0);
    EXPECT_EQ(value, 0.0f);
    EXPECT_EQ(ZelReadChannel(2, &value), 0);
    EXPECT_THAT(messages(), ElementsAre("ZEL-8 not communicating -- Entering DEMO mode"));
}

TEST_F(LibraryTest, UnitAnswering255SwitchesToDemoMode) {
    FakeDriverServer server(folder_.path(), {"ZEL1"});
    ASSERT_EQ(ZelCommInit(0), 0);
    server.setHandler([](const DriverCall &) { return FakeDriverServer::unitAnswer(255); });
    float value = 1.0f;
    EXPECT_EQ(ZelReadChannel(1, &value), -1);
    EXPECT_EQ(value, 1.0f);
    const std::size_t before = server.calls().size();
    EXPECT_EQ(ZelReadChannel(1, &value), 0);
    EXPECT_EQ(value, 0.0f);
    EXPECT_EQ(server.calls().size(), before) << "demo mode answers locally";
    EXPECT_THAT(messages(), ElementsAre("ZEL-8 not communicating -- Entering DEMO mode"));
}

TEST_F(LibraryTest, UnitErrorIsReportedInWords) {
    FakeDriverServer server(folder_.path(), {"ZEL1"});
    ASSERT_EQ(ZelCommInit(0), 0);
    server.setHandler([](const DriverCall &) { return FakeDriverServer::unitAnswer(20); });
    char formula[] = "C1";
    EXPECT_EQ(ZelDefineChannel(1, formula), 20);
    EXPECT_THAT(messages(), ElementsAre("Circular channel definition"));
}

TEST_F(LibraryTest, SilentDriverTimesOutIntoDemoMode) {
    ScopedEnv timeout("ZEL_DRIVER_TIMEOUT_MS", "200");
    FakeDriverServer server(folder_.path(), {"ZEL1"});
    ASSERT_EQ(ZelCommInit(0), 0);
    server.setHandler([](const DriverCall &) {
        DriverReply reply;
        reply.fault = DriverReply::Fault::NoAnswer;
        return reply;
    });
    float value = 3.0f;
    EXPECT_EQ(ZelReadLvdt(1, &value), 0);
    EXPECT_EQ(value, 0.0f);
    EXPECT_THAT(messages(), ElementsAre("ZEL-8 not communicating -- Entering DEMO mode"));
    server.setHandler({});
    EXPECT_EQ(ZelCommInit(0), 0) << "a new initialisation reconnects";
    EXPECT_EQ(ZelReadLvdt(1, &value), 0);
    EXPECT_EQ(messages().size(), 1u);
}

TEST_F(LibraryTest, DriverThatHangsUpMeansDemoMode) {
    FakeDriverServer server(folder_.path(), {"ZEL1"});
    ASSERT_EQ(ZelCommInit(0), 0);
    server.setHandler([](const DriverCall &) {
        DriverReply reply;
        reply.fault = DriverReply::Fault::HangUp;
        return reply;
    });
    EXPECT_EQ(ZelStartScan(), 0);
    EXPECT_THAT(messages(), ElementsAre("ZEL-8 not communicating -- Entering DEMO mode"));
}

using VxdLibraryTest = LibraryTest;

TEST_F(VxdLibraryTest, SelectsThePortOnTheOneDevice) {
    const char *platform = std::getenv("ZEL_PLATFORM_ID");
    ASSERT_TRUE(platform != nullptr && std::string(platform) == "1")
        << "run with ZEL_PLATFORM_ID=1";
    int selected = 0;
    FakeDriverServer server(folder_.path(), {"ZELVXD"}, [&](const DriverCall &call) {
        if (call.code == zelproto::kVxdSelectPort) {
            selected = static_cast<int>(zelproto::getU32(call.input.data())) + 1;
            return DriverReply{};
        }
        if (call.code == zelproto::kVxdProbe) {
            return DriverReply{selected == 3 ? 1u : 0u, {}};
        }
        return FakeDriverServer::unitAnswer(0, floatAnswer(1.5f));
    });
    EppInstallMsg(1);
    ASSERT_EQ(ZelCommInit(0), 0);
    EXPECT_THAT(messages()[0], ::testing::EndsWith("\nWin32 on Windows 95\n"));
    EXPECT_EQ(messages().back(), "Zel driver found Port:3, Zel found");
    EXPECT_THAT(server.accessMasks(), ElementsAre(0u, 0u, 0u));
    float value = 0;
    EXPECT_EQ(ZelReadCscale(1, &value), 0);
    EXPECT_EQ(value, 1.5f);
    const auto sent = requestsAmong(server.calls());
    ASSERT_EQ(sent.size(), 1u);
    EXPECT_EQ(sent[0].code, zelproto::kVxdRequest);
    std::vector<std::uint32_t> codes;
    for (const auto &call : server.calls()) {
        codes.push_back(call.code);
    }
    EXPECT_THAT(codes, ElementsAre(0x1002u, 0x1001u, 0x1002u, 0x1001u, 0x1002u, 0x1001u, 0x1000u));
}

}  // namespace
}  // namespace zeltest
