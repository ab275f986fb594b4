// A request's round trip through libzelcomm.so to the real zel8d, next to a raw socket
// ping-pong of the same sizes with a process that only echoes. The target: the library and
// the emulator together within 1.5 times the raw round trip.
#include <sys/socket.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "compare_rounds.h"
#include "emulator_process.h"
#include "one_cpu.h"
#include "posix/stream_io.h"
#include "protocol.h"
#include "zelcomm.h"

namespace {

constexpr std::size_t kRequestBytes = 12 + 4;                 // control header + ReadChannel
constexpr std::size_t kReplyBytes = 8 + zelproto::kAreaSize;  // answer header + response area

// A process that answers every kRequestBytes with kReplyBytes, until the socket closes.
pid_t startEcho(int fd, int otherEnd) {
    const pid_t pid = ::fork();
    if (pid == 0) {
        ::close(otherEnd);
        std::uint8_t request[kRequestBytes];
        std::uint8_t reply[kReplyBytes] = {};
        while (zelcomm::recvAll(fd, request, sizeof request) &&
               zelcomm::sendAll(fd, reply, sizeof reply)) {
        }
        ::_exit(0);
    }
    return pid;
}

}  // namespace

int main() {
    char folderTemplate[] = "/tmp/zbe-XXXXXX";
    const std::string folder = ::mkdtemp(folderTemplate);
    ::setenv("ZEL_DEVICE_DIR", (folder + "/dev").c_str(), 1);
    zelbench::pinToFirstCpu(0);
    // The echo process starts first, so it holds no copy of the library's driver connection.
    int pair[2];
    ::socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0, pair);
    const pid_t echo = startEcho(pair[1], pair[0]);
    ::close(pair[1]);
    {
        zeltest::EmulatorProcess emulator(ZEL8D_PATH, folder + "/dev");
        if (!emulator.start({"--set", "T1=0.0102", "--set", "T2=0.0098"})) {
            std::fprintf(stderr, "zel8d did not start: %s\n", emulator.errors().c_str());
            return 1;
        }
        if (ZelCommInit(0) != 0 || ZelDefineChannel(1, "(T1+T2)/2") != 0) {
            std::fprintf(stderr, "the library did not reach zel8d\n");
            return 1;
        }
        // Every partner shares the benchmark's core, as the application and a local driver
        // would on a busy machine; this keeps the comparison steady.
        zelbench::pinToFirstCpu(echo);
        zelbench::pinToFirstCpu(emulator.pid());

        std::uint8_t request[kRequestBytes] = {};
        std::uint8_t reply[kReplyBytes];
        auto rawCall = [&] {
            zelcomm::sendAll(pair[0], request, sizeof request);
            zelcomm::recvAll(pair[0], reply, sizeof reply);
        };
        float value = 0;
        auto libraryCall = [&value] { ZelReadChannel(1, &value); };

        constexpr int kCalls = 2000;
        constexpr int kRounds = 31;
        const zelbench::Comparison times =
            zelbench::compareRounds(kCalls, kRounds, rawCall, libraryCall);
        const double ratio = times.ratio;
        std::printf("zel8d round trip (ZelReadChannel, %d calls x %d rounds, medians)\n", kCalls,
                    kRounds);
        std::printf("  raw socket ping-pong    %8.2f us   (%zu bytes out, %zu back)\n",
                    times.baselineUs, kRequestBytes, kReplyBytes);
        std::printf("  libzelcomm -> zel8d     %8.2f us   (value %.4f)\n", times.candidateUs,
                    value);
        std::printf("  ratio                   %8.3f   (target <= 1.5): %s\n", ratio,
                    ratio <= 1.5 ? "met" : "NOT MET");

        ZelClose();
    }
    ::close(pair[0]);
    ::waitpid(echo, nullptr, 0);
    ::rmdir((folder + "/dev").c_str());
    ::rmdir(folder.c_str());
    return 0;
}
