// A small driver that serves device sockets with the Linux driver protocol, for tests of the
// socket transport and of the shared library. Each connection has its own thread; answers come
// from a handler the test sets, with faults to inject.
#pragma once

#include <atomic>
#include <cstdint>
#include <functional>
#include <map>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "driver_call.h"

namespace zeltest {

struct DriverReply {
    enum class Fault {
        None,
        NoAnswer,    // never answer (the client times out)
        HangUp,      // close the connection instead of answering
        Truncated,   // send half the header, then close
        Oversize,    // report more bytes returned than out_size allows
        BadOk,       // an ok word other than 0 or 1
        ByteByByte,  // a correct answer, one byte per write
    };
    std::uint32_t ok = 1;
    std::vector<std::uint8_t> data;
    Fault fault = Fault::None;
};

class FakeDriverServer {
  public:
    using Handler = std::function<DriverReply(const DriverCall &)>;

    // Serves the named devices ("ZEL1", "ZELVXD", ...) in folder. The default handler lets the
    // probe succeed and answers every other call ok with a zero status.
    FakeDriverServer(std::string folder, std::vector<std::string> devices, Handler handler = {});
    ~FakeDriverServer();
    FakeDriverServer(const FakeDriverServer &) = delete;
    FakeDriverServer &operator=(const FakeDriverServer &) = delete;

    void setHandler(Handler handler);
    std::vector<DriverCall> calls() const;
    std::vector<std::uint32_t> accessMasks() const;
    // Connections that have opened a device and not yet closed it.
    int openDevices() const;

    // A reply frame in the response-area layout: status at offset 1, data from offset 3.
    static DriverReply unitAnswer(std::uint8_t status, std::vector<std::uint8_t> data = {});

  private:
    struct Listener {
        std::string name;
        std::string path;
        int fd = -1;
    };

    void acceptLoop();
    void serve(int fd, std::string device);
    DriverReply answer(const DriverCall &call);

    std::string folder_;
    std::vector<Listener> listeners_;
    int wake_[2] = {-1, -1};
    std::atomic<bool> stopping_{false};
    std::thread acceptThread_;

    mutable std::mutex mutex_;
    Handler handler_;
    std::vector<DriverCall> calls_;
    std::vector<std::uint32_t> accessMasks_;
    std::map<std::string, bool> deviceOpen_;
    std::vector<int> connections_;
    std::vector<std::thread> connectionThreads_;
};

}  // namespace zeltest
