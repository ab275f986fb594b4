// The real zel8d as a program: its sockets, start-up errors, shutdown, the no-sharing rule,
// malformed calls, held-back answers and its control socket.
#include <gtest/gtest.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstring>
#include <filesystem>
#include <fstream>

#include "control_client.h"
#include "emulator_process.h"
#include "protocol.h"
#include "raw_device.h"
#include "request_frame.h"
#include "temp_folder.h"

namespace zeltest {
namespace {

namespace fs = std::filesystem;
namespace code = zelproto::code;

// Runs zel8d with the arguments to the end; its exit status and what it printed.
struct Finished {
    int status = -1;
    std::string output;
};
Finished runToEnd(const std::vector<std::string> &arguments) {
    std::string command = ZEL8D_PATH;
    for (const auto &arg : arguments) {
        command += " '" + arg + "'";
    }
    command += " 2>&1";
    Finished finished;
    FILE *pipe = ::popen(command.c_str(), "r");
    char buffer[512];
    std::size_t got = 0;
    while ((got = std::fread(buffer, 1, sizeof buffer, pipe)) > 0) {
        finished.output.append(buffer, got);
    }
    const int status = ::pclose(pipe);
    finished.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    return finished;
}

class DaemonTest : public ::testing::Test {
  protected:
    std::string dir() const { return temp.path() + "/dev"; }
    std::string path(const char *name) const { return dir() + "/" + name; }

    TempFolder temp;
    EmulatorProcess emulator{ZEL8D_PATH, temp.path() + "/dev"};
};

TEST_F(DaemonTest, ServesTheDevicesOfPortsWithADriverAndRemovesThemOnSigterm) {
    ASSERT_TRUE(emulator.start({"--port", "2", "--absent-port", "3"})) << emulator.errors();
    EXPECT_TRUE(fs::is_socket(path("ZEL1")));
    EXPECT_TRUE(fs::is_socket(path("ZEL2")));
    EXPECT_FALSE(fs::exists(path("ZEL3")));
    EXPECT_TRUE(fs::is_socket(path("ZELVXD")));
    EXPECT_TRUE(fs::is_socket(path("control")));
    struct stat info {};
    ASSERT_EQ(::stat(dir().c_str(), &info), 0);
    EXPECT_EQ(info.st_mode & 0777, 0700u);  // created private
    EXPECT_EQ(emulator.stop(), 0);
    EXPECT_FALSE(fs::exists(dir()));  // it made the folder, and it was left empty
    EXPECT_NE(emulator.errors().find("stopped"), std::string::npos);
}

TEST_F(DaemonTest, ASecondDriverOnTheSameFolderIsRefusedAndTheFirstKeepsServing) {
    ASSERT_TRUE(emulator.start()) << emulator.errors();
    const Finished second = runToEnd({"--dir", dir()});
    EXPECT_EQ(second.status, 1);
    EXPECT_NE(second.output.find("is in use"), std::string::npos) << second.output;
    RawDevice device;
    EXPECT_EQ(device.open(dir(), "ZEL1"), 1);
}

TEST_F(DaemonTest, ASocketLeftByACrashedDriverIsReplaced) {
    fs::create_directories(dir());
    const int fd = ::socket(AF_UNIX, SOCK_STREAM, 0);
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    std::strncpy(address.sun_path, path("ZEL1").c_str(), sizeof address.sun_path - 1);
    ASSERT_EQ(::bind(fd, reinterpret_cast<sockaddr *>(&address), sizeof address), 0);
    ::close(fd);  // bound, never listening: stale
    ASSERT_TRUE(emulator.start()) << emulator.errors();
    RawDevice device;
    EXPECT_EQ(device.open(dir(), "ZEL1"), 1);
    EXPECT_EQ(emulator.stop(), 0);
    EXPECT_TRUE(fs::exists(dir()));  // not its folder to remove
}

TEST_F(DaemonTest, AFolderItCannotUseIsAClearError) {
    { std::ofstream(temp.path() + "/plain") << "x"; }
    Finished run = runToEnd({"--dir", temp.path() + "/plain/dev"});
    EXPECT_EQ(run.status, 1);
    EXPECT_NE(run.output.find("cannot create the device folder"), std::string::npos) << run.output;
    run = runToEnd({"--dir", temp.path() + "/plain"});
    EXPECT_EQ(run.status, 1);
    EXPECT_NE(run.output.find("is not a folder"), std::string::npos) << run.output;
    { std::ofstream(temp.path() + "/ZEL1") << "not a socket"; }
    run = runToEnd({"--dir", temp.path()});
    EXPECT_EQ(run.status, 1);
    EXPECT_NE(run.output.find("is not a socket"), std::string::npos) << run.output;
    if (::geteuid() != 0) {  // root may write anywhere
        fs::create_directories(temp.path() + "/locked");
        ::chmod((temp.path() + "/locked").c_str(), 0500);
        run = runToEnd({"--dir", temp.path() + "/locked"});
        EXPECT_EQ(run.status, 1);
        EXPECT_NE(run.output.find("cannot serve sockets in"), std::string::npos) << run.output;
    }
}

TEST_F(DaemonTest, HelpAndUsageErrors) {
    Finished run = runToEnd({"--help"});
    EXPECT_EQ(run.status, 0);
    EXPECT_NE(run.output.find("--signal demo"), std::string::npos);
    run = runToEnd({"--port", "9"});
    EXPECT_EQ(run.status, 2);
    EXPECT_NE(run.output.find("--port takes a whole number from 1 to 3"), std::string::npos);
}

TEST_F(DaemonTest, ADeviceIsNeverSharedAndIsFreeAgainRightAfterAClose) {
    ASSERT_TRUE(emulator.start()) << emulator.errors();
    RawDevice first, second, vxd;
    ASSERT_EQ(first.open(dir(), "ZEL1"), 1);
    EXPECT_EQ(second.open(dir(), "ZEL1"), 0);
    EXPECT_TRUE(second.closedByDriver());
    EXPECT_EQ(vxd.open(dir(), "ZELVXD", 0), 1);  // another device
    for (int round = 0; round < 20; ++round) {
        ASSERT_TRUE(first.close());
        ASSERT_EQ(first.open(dir(), "ZEL1"), 1) << "round " << round;
    }
}

TEST_F(DaemonTest, CallsReachTheUnitOnlyOnItsPort) {
    ASSERT_TRUE(emulator.start({"--port", "3"})) << emulator.errors();
    RawDevice unitPort, silentPort;
    ASSERT_EQ(unitPort.open(dir(), "ZEL3"), 1);
    ASSERT_EQ(silentPort.open(dir(), "ZEL1"), 1);
    EXPECT_TRUE(unitPort.call(zelproto::kNtProbe, std::vector<std::uint8_t>(260), 0).ok);
    RawAnswer silent = silentPort.call(zelproto::kNtProbe, std::vector<std::uint8_t>(260), 0);
    EXPECT_TRUE(silent.answered);
    EXPECT_FALSE(silent.ok);
    const RawAnswer tfsv = unitPort.call(zelproto::kNtRequest, requestFrame(code::ReadTfsv, {1}));
    ASSERT_TRUE(tfsv.ok);
    ASSERT_EQ(tfsv.output.size(), 260u);
    float value = 0;
    std::memcpy(&value, &tfsv.output[3], 4);
    EXPECT_FLOAT_EQ(value, 0.0125f);
}

TEST_F(DaemonTest, MalformedFramesGetAStatusAndMalformedCallsTheirConnectionClosed) {
    ASSERT_TRUE(emulator.start()) << emulator.errors();
    RawDevice device;
    ASSERT_EQ(device.open(dir(), "ZEL1"), 1);
    RawAnswer answer = device.call(zelproto::kNtRequest, {'?', code::ReadChannel, 1, 1});
    ASSERT_TRUE(answer.ok);
    EXPECT_EQ(answer.output[1], 2);
    answer = device.call(zelproto::kNtRequest, {zelproto::kLead, 0xEE, 0});
    EXPECT_EQ(answer.output[1], 1);
    answer = device.call(zelproto::kNtRequest, {});
    EXPECT_EQ(answer.output[1], 2);
    // A call announcing more input than any request can have is not a client of this driver.
    std::vector<std::uint8_t> huge(12, 0);
    zelproto::putU32(huge.data(), zelproto::kNtRequest);
    zelproto::putU32(huge.data() + 4, 1u << 30);
    ASSERT_TRUE(device.send(huge));
    EXPECT_TRUE(device.closedByDriver());
    RawDevice again;
    EXPECT_EQ(again.open(dir(), "ZEL1"), 1);  // and the device was released
}

TEST_F(DaemonTest, AHeldBackAnswerComesLaterAndAClientMayLeaveBeforeIt) {
    ASSERT_TRUE(emulator.start()) << emulator.errors();
    EXPECT_EQ(emulator.control({"delay", "50"}), "OK");
    RawDevice device;
    ASSERT_EQ(device.open(dir(), "ZEL1"), 1);
    EXPECT_TRUE(device.call(zelproto::kNtRequest, requestFrame(code::StartScan)).ok);
    EXPECT_EQ(emulator.control({"delay", "600000"}), "OK");
    ASSERT_TRUE(device.send(
        {0x04, 0x20, 0x22, 0, 4, 0, 0, 0, 0, 1, 0, 0, zelproto::kLead, code::StartScan, 1, 0}));
    EXPECT_TRUE(device.close());  // the driver lets go at once, without its answer
    EXPECT_EQ(device.open(dir(), "ZEL1"), 1);
    EXPECT_TRUE(device.call(zelproto::kNtProbe, {}, 0).ok);  // probes are not held back
}

TEST_F(DaemonTest, ControlSocketAndItsClient) {
    ASSERT_TRUE(emulator.start({"--set", "T2=0.004"})) << emulator.errors();
    EXPECT_EQ(emulator.control({"scan", "1"}), "OK");
    EXPECT_EQ(emulator.control({"get", "T2"}), "OK\t0.004");
    EXPECT_EQ(emulator.control({"bogus"}), "ERR\tunknown command 'bogus'");
    EXPECT_EQ(zel8d::runControlClient({"--dir", dir(), "set", "T2", "0.001"}), 0);
    EXPECT_EQ(zel8d::runControlClient({"--dir", dir(), "set", "T2"}), 1);
    EXPECT_EQ(zel8d::runControlClient({"--dir", temp.path() + "/none", "get", "T2"}), 2);
    EXPECT_EQ(emulator.control({"quit"}), "OK");
    EXPECT_EQ(emulator.wait(), 0);
    EXPECT_FALSE(fs::exists(path("control")));
}

TEST_F(DaemonTest, ALineTooLongForTheControlSocketClosesThatConnection) {
    ASSERT_TRUE(emulator.start()) << emulator.errors();
    std::string reply, error;
    EXPECT_TRUE(zel8d::controlRequest(dir(), {std::string(10000, 'x')}, &reply, &error));
    EXPECT_EQ(reply, "ERR\tline too long");
    EXPECT_EQ(emulator.control({"get", "T1"}), "OK\t0");
}

TEST_F(DaemonTest, GarbageOnEverySocketNeverStopsIt) {
    ASSERT_TRUE(emulator.start({"--absent-port", "3"})) << emulator.errors();
    std::uint32_t seed = 12345;
    auto next = [&seed] {
        seed = seed * 1664525u + 1013904223u;
        return static_cast<std::uint8_t>(seed >> 24);
    };
    for (const char *name : {"ZEL1", "ZEL2", "ZELVXD", "control"}) {
        for (int round = 0; round < 8; ++round) {
            const int fd = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
            sockaddr_un address{};
            address.sun_family = AF_UNIX;
            std::strncpy(address.sun_path, path(name).c_str(), sizeof address.sun_path - 1);
            ASSERT_EQ(::connect(fd, reinterpret_cast<sockaddr *>(&address), sizeof address), 0);
            timeval limit{5, 0};
            ::setsockopt(fd, SOL_SOCKET, SO_SNDTIMEO, &limit, sizeof limit);
            std::vector<std::uint8_t> bytes(16384);
            for (auto &byte : bytes) {
                byte = next();
            }
            if (round % 2 == 1) {
                // A plausible start, so the garbage reaches the call and frame parsers.
                const std::uint8_t start[] = {0, 0, 0, 0xC0, 0x04, 0x20, 0x22, 0, 7, 0, 0, 0};
                std::copy(std::begin(start), std::end(start), bytes.begin());
            }
            (void)::send(fd, bytes.data(), bytes.size(), MSG_NOSIGNAL);
            ::close(fd);
        }
    }
    EXPECT_EQ(emulator.control({"get", "T1"}), "OK\t0");
    RawDevice device;
    EXPECT_EQ(device.open(dir(), "ZEL1"), 1);
    EXPECT_TRUE(device.call(zelproto::kNtProbe, {}, 0).ok);
}

TEST_F(DaemonTest, ClientsBeyondTheConnectionLimitWaitTheirTurn) {
    ASSERT_TRUE(emulator.start()) << emulator.errors();
    std::vector<int> idle;
    for (int i = 0; i < 70; ++i) {
        const int fd = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
        sockaddr_un address{};
        address.sun_family = AF_UNIX;
        std::strncpy(address.sun_path, path("control").c_str(), sizeof address.sun_path - 1);
        ASSERT_EQ(::connect(fd, reinterpret_cast<sockaddr *>(&address), sizeof address), 0);
        idle.push_back(fd);
    }
    // The last of them is queued, not served: its command is answered once others leave.
    const char command[] = "get\tT1\n";
    ASSERT_EQ(::send(idle.back(), command, sizeof command - 1, 0),
              static_cast<ssize_t>(sizeof command - 1));
    for (std::size_t i = 0; i + 1 < idle.size(); ++i) {
        ::close(idle[i]);
    }
    char reply[16] = {};
    EXPECT_EQ(::recv(idle.back(), reply, 5, MSG_WAITALL), 5);
    EXPECT_STREQ(reply, "OK\t0\n");
    ::close(idle.back());
    EXPECT_EQ(emulator.control({"get", "T1"}), "OK\t0");
}

}  // namespace
}  // namespace zeltest
