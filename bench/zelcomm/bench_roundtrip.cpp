// Round trip of ZelReadChannel through libzelcomm.so against a minimal driver, next to a raw
// socket ping-pong of the same sizes against the same driver. The library's own cost is the
// difference; the target is at most 10% over the raw round trip.
#include <sched.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <thread>
#include <vector>

#include "compare_rounds.h"
#include "posix/stream_io.h"
#include "protocol.h"
#include "zelcomm.h"

namespace {

constexpr std::size_t kRequestBytes = 12 + 4;  // control header + ReadChannel frame
constexpr std::size_t kReplyBytes = 8 + zelproto::kAreaSize;

void pinToFirstCpu() {
    cpu_set_t set;
    CPU_ZERO(&set);
    CPU_SET(0, &set);
    sched_setaffinity(0, sizeof set, &set);
}

int listenOn(const std::string &path) {
    const int fd = ::socket(AF_UNIX, SOCK_STREAM, 0);
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    std::snprintf(address.sun_path, sizeof address.sun_path, "%s", path.c_str());
    ::unlink(path.c_str());
    if (::bind(fd, reinterpret_cast<sockaddr *>(&address), sizeof address) != 0 ||
        ::listen(fd, 4) != 0) {
        std::perror("listen");
        std::exit(1);
    }
    return fd;
}

// The driver: opens every connection, answers each control call with status 0 and a float.
void serveConnection(int fd) {
    pinToFirstCpu();
    std::uint8_t mask[4];
    if (!zelcomm::recvAll(fd, mask, 4)) {
        return;
    }
    const std::uint8_t opened = 1;
    zelcomm::sendAll(fd, &opened, 1);
    std::uint8_t reply[kReplyBytes] = {};
    zelproto::putU32(reply, 1);
    const float value = 0.0123f;
    std::memcpy(reply + 8 + zelproto::kDataOffset, &value, 4);
    std::uint8_t header[12];
    std::uint8_t input[zelproto::kAreaSize + 4];
    for (;;) {
        if (!zelcomm::recvAll(fd, header, sizeof header)) {
            break;
        }
        const std::uint32_t length = zelproto::getU32(header + 4);
        const std::uint32_t outSize = zelproto::getU32(header + 8);
        if (length > sizeof input || !zelcomm::recvAll(fd, input, length)) {
            break;
        }
        const std::uint32_t returned = std::min<std::uint32_t>(outSize, zelproto::kAreaSize);
        zelproto::putU32(reply + 4, returned);
        const std::size_t size = 8 + returned;
        if (::send(fd, reply, size, MSG_NOSIGNAL) != static_cast<ssize_t>(size)) {
            break;
        }
    }
    ::close(fd);
}

}  // namespace

int main() {
    char folderTemplate[] = "/tmp/zb-XXXXXX";
    const std::string folder = ::mkdtemp(folderTemplate);
    ::setenv("ZEL_DEVICE_DIR", folder.c_str(), 1);
    pinToFirstCpu();

    const int unitListener = listenOn(folder + "/ZEL1");
    const int rawListener = listenOn(folder + "/RAW");
    std::vector<std::thread> threads;
    auto acceptOne = [&](int listener) {
        threads.emplace_back([listener] {
            const int fd = ::accept(listener, nullptr, nullptr);
            if (fd >= 0) {
                serveConnection(fd);
            }
        });
    };
    acceptOne(unitListener);
    acceptOne(rawListener);

    // Library path.
    ZelSetMessageHook([](const char *text, const char *, std::uint32_t) {
        std::fprintf(stderr, "zelcomm: %s\n", text);
    });
    if (ZelCommInit(0) != 0) {
        std::fprintf(stderr, "the library did not find the benchmark driver\n");
        return 1;
    }
    float value = 0;
    auto libraryCall = [&value] { ZelReadChannel(1, &value); };

    // Raw path: the same bytes on a plain socket.
    const int raw = ::socket(AF_UNIX, SOCK_STREAM, 0);
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    std::snprintf(address.sun_path, sizeof address.sun_path, "%s/RAW", folder.c_str());
    std::uint8_t mask[4] = {0, 0, 0, 0xC0};
    std::uint8_t opened = 0;
    if (::connect(raw, reinterpret_cast<sockaddr *>(&address), sizeof address) != 0 ||
        ::send(raw, mask, 4, 0) != 4 || !zelcomm::recvAll(raw, &opened, 1)) {
        std::perror("raw connect");
        return 1;
    }
    std::uint8_t request[kRequestBytes] = {};
    zelproto::putU32(request, zelproto::kNtRequest);
    zelproto::putU32(request + 4, 4);
    zelproto::putU32(request + 8, zelproto::kAreaSize);
    request[12] = 0x3A;
    request[13] = zelproto::code::ReadChannel;
    request[14] = 1;
    request[15] = 1;
    std::uint8_t reply[kReplyBytes];
    auto rawCall = [&] {
        ::send(raw, request, sizeof request, MSG_NOSIGNAL);
        zelcomm::recvAll(raw, reply, sizeof reply);
    };

    constexpr int kCalls = 2000;
    constexpr int kRounds = 51;
    const zelbench::Comparison times =
        zelbench::compareRounds(kCalls, kRounds, rawCall, libraryCall);
    const double rawUs = times.baselineUs;
    const double libraryUs = times.candidateUs;
    const double ratio = times.ratio;
    std::printf("zelcomm round trip (ZelReadChannel, %d calls x %d rounds, medians)\n", kCalls,
                kRounds);
    std::printf("  raw socket ping-pong   %8.2f us\n", rawUs);
    std::printf("  through libzelcomm     %8.2f us   (value %.4f)\n", libraryUs, value);
    std::printf("  ratio                  %8.3f   library overhead %+.1f%% (target <= +10%%): %s\n",
                ratio, (ratio - 1.0) * 100.0, ratio <= 1.10 ? "met" : "NOT MET");

    ZelClose();
    ::shutdown(raw, SHUT_RDWR);
    ::close(raw);
    for (auto &thread : threads) {
        thread.join();
    }
    ::close(unitListener);
    ::close(rawListener);
    ::unlink((folder + "/ZEL1").c_str());
    ::unlink((folder + "/RAW").c_str());
    ::rmdir(folder.c_str());
    return 0;
}
