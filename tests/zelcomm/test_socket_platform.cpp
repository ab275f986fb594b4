// The Linux driver transport: device folder rule, and the socket protocol against a fake driver.
#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <unistd.h>

#include <cstring>

#include "fake_driver_server.h"
#include "platform.h"
#include "posix/device_path.h"
#include "protocol.h"
#include "temp_folder.h"

namespace zeltest {
namespace {

using zelcomm::kInvalidHandle;

TEST(DeviceFolderTest, DeviceDirWinsThenRuntimeDirThenTmp) {
    {
        ScopedEnv device("ZEL_DEVICE_DIR", "/srv/zel");
        ScopedEnv runtime("XDG_RUNTIME_DIR", "/run/user/7");
        EXPECT_EQ(zelcomm::deviceFolder(), "/srv/zel");
    }
    {
        ScopedEnv device("ZEL_DEVICE_DIR", "");
        ScopedEnv runtime("XDG_RUNTIME_DIR", "/run/user/7");
        EXPECT_EQ(zelcomm::deviceFolder(), "/run/user/7/zel8");
    }
    {
        ScopedEnv device("ZEL_DEVICE_DIR", nullptr);
        ScopedEnv runtime("XDG_RUNTIME_DIR", nullptr);
        EXPECT_EQ(zelcomm::deviceFolder(), "/tmp/zel8-" + std::to_string(getuid()));
    }
}

TEST(DeviceFolderTest, WindowsDeviceNamesMapToSocketsInTheFolder) {
    EXPECT_EQ(zelcomm::devicePath("/d", "\\\\.\\ZEL1"), "/d/ZEL1");
    EXPECT_EQ(zelcomm::devicePath("/d", "\\\\.\\ZELVXD"), "/d/ZELVXD");
    EXPECT_EQ(zelcomm::devicePath("/d", "ZEL1"), "");
    EXPECT_EQ(zelcomm::devicePath("/d", "\\\\.\\"), "");
    EXPECT_EQ(zelcomm::devicePath("/d", "\\\\.\\../x"), "");
    EXPECT_EQ(zelcomm::devicePath("/d", nullptr), "");
    EXPECT_EQ(zelcomm::devicePath(std::string(200, 'a'), "\\\\.\\ZEL1"), "")
        << "too long for a socket address";
}

TEST(DeviceFolderTest, TimeoutAndPlatformIdComeFromTheEnvironment) {
    {
        ScopedEnv timeout("ZEL_DRIVER_TIMEOUT_MS", nullptr);
        EXPECT_EQ(zelcomm::driverTimeoutMs(), 1000);
    }
    for (const char *bad : {"", "abc", "0", "-5", "12ms", "99999999999"}) {
        ScopedEnv timeout("ZEL_DRIVER_TIMEOUT_MS", bad);
        EXPECT_EQ(zelcomm::driverTimeoutMs(), 1000) << bad;
    }
    {
        ScopedEnv timeout("ZEL_DRIVER_TIMEOUT_MS", "250");
        EXPECT_EQ(zelcomm::driverTimeoutMs(), 250);
    }
    {
        ScopedEnv platform("ZEL_PLATFORM_ID", nullptr);
        EXPECT_EQ(zelcomm::platformIdFromEnvironment(), 2u);
    }
    {
        ScopedEnv platform("ZEL_PLATFORM_ID", "1");
        EXPECT_EQ(zelcomm::platformIdFromEnvironment(), 1u);
    }
    {
        ScopedEnv platform("ZEL_PLATFORM_ID", "x");
        EXPECT_EQ(zelcomm::platformIdFromEnvironment(), 2u);
    }
}

TEST(DeviceFolderTest, KernelReleaseGivesMajorAndMinor) {
    std::uint32_t major = 9, minor = 9;
    zelcomm::parseKernelRelease("6.1.0-18-amd64", &major, &minor);
    EXPECT_EQ(major, 6u);
    EXPECT_EQ(minor, 1u);
    zelcomm::parseKernelRelease("5", &major, &minor);
    EXPECT_EQ(major, 5u);
    EXPECT_EQ(minor, 0u);
    zelcomm::parseKernelRelease("weird", &major, &minor);
    EXPECT_EQ(major, 0u);
    EXPECT_EQ(minor, 0u);
}

class SocketDriverTest : public ::testing::Test {
  protected:
    SocketDriverTest()
        : env_("ZEL_DEVICE_DIR", folder_.path().c_str()),
          timeout_("ZEL_DRIVER_TIMEOUT_MS", "300"),
          server_(folder_.path(), {"ZEL1", "ZEL2"}) {}

    zelcomm::Platform &driver() { return zelcomm::systemPlatform(); }

    // One request call with a 4-byte payload and a 260-byte answer area.
    bool request(zelcomm::Handle handle, std::uint8_t *response, std::uint32_t *returned) {
        const std::uint8_t frame[] = {0x3A, 4, 1, 3};
        return driver().control(handle, zelproto::kNtRequest, frame, sizeof frame, response,
                                zelproto::kAreaSize, returned);
    }

    TempFolder folder_;
    ScopedEnv env_;
    ScopedEnv timeout_;
    FakeDriverServer server_;
};

TEST_F(SocketDriverTest, OpenSendsTheAccessMaskAndRefusesASecondOpen) {
    const zelcomm::Handle first = driver().open("\\\\.\\ZEL1", zelproto::kAccessReadWrite);
    ASSERT_NE(first, kInvalidHandle);
    EXPECT_EQ(driver().open("\\\\.\\ZEL1", 0), kInvalidHandle) << "no sharing";
    EXPECT_EQ(driver().open("\\\\.\\ZEL3", 0), kInvalidHandle) << "no such device";
    EXPECT_THAT(server_.accessMasks(), ::testing::ElementsAre(0xC0000000u, 0u));
    EXPECT_TRUE(driver().close(first));
}

TEST_F(SocketDriverTest, CloseWaitsUntilTheDeviceIsReleased) {
    for (int round = 0; round < 20; ++round) {
        const zelcomm::Handle handle = driver().open("\\\\.\\ZEL2", zelproto::kAccessReadWrite);
        ASSERT_NE(handle, kInvalidHandle) << "round " << round;
        ASSERT_TRUE(driver().close(handle));
        EXPECT_EQ(server_.openDevices(), 0);
    }
}

TEST_F(SocketDriverTest, ControlCallCarriesCodeLengthsAndPayload) {
    const std::uint8_t data[] = {0, 0, 0, 0, 0, 0x40};
    server_.setHandler([&](const DriverCall &) {
        return DriverReply{1, std::vector<std::uint8_t>(data, data + sizeof data)};
    });
    const zelcomm::Handle handle = driver().open("\\\\.\\ZEL1", zelproto::kAccessReadWrite);
    std::uint8_t response[zelproto::kAreaSize];
    std::memset(response, 0xEE, sizeof response);
    std::uint32_t returned = 0;
    ASSERT_TRUE(request(handle, response, &returned));
    EXPECT_EQ(returned, sizeof data);
    EXPECT_EQ(response[5], 0x40);
    EXPECT_EQ(response[6], 0xEE) << "only the returned bytes are written";
    const auto calls = server_.calls();
    ASSERT_EQ(calls.size(), 1u);
    EXPECT_EQ(calls[0].code, zelproto::kNtRequest);
    EXPECT_EQ(calls[0].outSize, zelproto::kAreaSize);
    EXPECT_EQ(calls[0].input, (std::vector<std::uint8_t>{0x3A, 4, 1, 3}));
    driver().close(handle);
}

TEST_F(SocketDriverTest, FailedCallKeepsTheStreamInStep) {
    int n = 0;
    server_.setHandler([&](const DriverCall &) {
        return ++n == 1 ? DriverReply{0, {1, 2}} : FakeDriverServer::unitAnswer(0, {9});
    });
    const zelcomm::Handle handle = driver().open("\\\\.\\ZEL1", zelproto::kAccessReadWrite);
    std::uint8_t response[zelproto::kAreaSize] = {};
    std::uint32_t returned = 0;
    EXPECT_FALSE(request(handle, response, &returned));
    EXPECT_TRUE(request(handle, response, &returned));
    EXPECT_EQ(response[3], 9);
    driver().close(handle);
}

TEST_F(SocketDriverTest, AnswerInPiecesIsPutTogether) {
    server_.setHandler([](const DriverCall &) {
        DriverReply reply = FakeDriverServer::unitAnswer(0, {1, 2, 3, 4});
        reply.fault = DriverReply::Fault::ByteByByte;
        return reply;
    });
    const zelcomm::Handle handle = driver().open("\\\\.\\ZEL1", zelproto::kAccessReadWrite);
    std::uint8_t response[zelproto::kAreaSize] = {};
    std::uint32_t returned = 0;
    ASSERT_TRUE(request(handle, response, &returned));
    EXPECT_EQ(returned, 7u);
    EXPECT_EQ(response[6], 4);
    driver().close(handle);
}

TEST_F(SocketDriverTest, MalformedOrMissingAnswersFailAndLeaveTheConnectionUnusable) {
    using Fault = DriverReply::Fault;
    for (Fault fault :
         {Fault::Oversize, Fault::BadOk, Fault::HangUp, Fault::Truncated, Fault::NoAnswer}) {
        SCOPED_TRACE(static_cast<int>(fault));
        server_.setHandler([fault](const DriverCall &) {
            DriverReply reply = FakeDriverServer::unitAnswer(0, {1});
            reply.fault = fault;
            return reply;
        });
        const zelcomm::Handle handle = driver().open("\\\\.\\ZEL1", zelproto::kAccessReadWrite);
        ASSERT_NE(handle, kInvalidHandle);
        std::uint8_t response[zelproto::kAreaSize] = {};
        std::uint32_t returned = 0;
        EXPECT_FALSE(request(handle, response, &returned));
        server_.setHandler({});
        EXPECT_FALSE(request(handle, response, &returned)) << "out of step: never trusted again";
        EXPECT_TRUE(driver().close(handle));
        EXPECT_EQ(server_.openDevices(), 0);
    }
}

TEST_F(SocketDriverTest, InvalidHandlesAndOversizedInputFail) {
    std::uint8_t response[zelproto::kAreaSize];
    std::uint32_t returned = 0;
    EXPECT_FALSE(request(kInvalidHandle, response, &returned));
    EXPECT_FALSE(driver().close(kInvalidHandle));
    const zelcomm::Handle handle = driver().open("\\\\.\\ZEL1", zelproto::kAccessReadWrite);
    std::vector<std::uint8_t> big(4096, 0);
    EXPECT_FALSE(driver().control(handle, zelproto::kNtRequest, big.data(),
                                  static_cast<std::uint32_t>(big.size()), response, sizeof response,
                                  &returned));
    driver().close(handle);
}

TEST(SocketDriverFolderTest, MissingFolderMeansNoDevice) {
    ScopedEnv env("ZEL_DEVICE_DIR", "/nonexistent/zel8");
    EXPECT_EQ(zelcomm::systemPlatform().open("\\\\.\\ZEL1", 0), kInvalidHandle);
}

}  // namespace
}  // namespace zeltest
