// zel8d's sockets and event loop: the device sockets of the driver, the control socket, the
// unit's scan schedule and delayed answers, all on one thread.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "driver.h"
#include "emulator.h"

namespace zel8d {

// Bounds of one control call on a device socket; a client beyond them is disconnected.
inline constexpr std::uint32_t kMaxCallInput = 4096;
inline constexpr std::uint32_t kMaxCallOutput = 65536;
// A client that does not read its answers is disconnected once this much is waiting.
inline constexpr std::size_t kMaxPendingOutput = 256 * 1024;
inline constexpr std::size_t kMaxControlLine = 4096;
// Connections served at once; further clients wait in the listen queue.
inline constexpr std::size_t kMaxConnections = 64;

class Server {
  public:
    Server(Emulator &emulator, std::string folder);
    ~Server();
    Server(const Server &) = delete;
    Server &operator=(const Server &) = delete;

    // Creates the folder when needed and serves every device socket and the control socket.
    // False with a message when the folder is not usable or a socket is served by someone else.
    bool start(std::string *error);
    // Runs until stopSignalFd becomes readable (SIGTERM, SIGINT) or a control "quit".
    void run(int stopSignalFd);
    // Closes every connection and removes the sockets this server created.
    void stop();

  private:
    struct Listener {
        int fd = -1;
        std::string path;
        bool control = false;
        Device device = Device::Zel1;
    };
    struct Connection {
        int fd = -1;
        bool control = false;
        Device device = Device::Zel1;
        bool masked = false;       // the open handshake is done
        bool holdsDevice = false;  // this connection has the device open
        bool closeAfterFlush = false;
        int selectedPort = 0;
        std::vector<std::uint8_t> in;
        std::vector<std::uint8_t> out;
        bool waiting = false;  // an answer is held back by the delay fault
        double due = 0.0;
        std::vector<std::uint8_t> held;
    };

    bool listenOn(const std::string &path, bool control, Device device, std::string *error);
    void accept(const Listener &listener);
    // False when the connection is to be dropped.
    bool readFrom(Connection &c);
    bool serveDevice(Connection &c);
    bool serveControl(Connection &c, bool atEnd);
    bool flush(Connection &c);
    void drop(std::size_t index);
    // Runs the next due scan, if any.
    void runDueScans(double now);
    double nextWake(double now) const;

    Emulator &emulator_;
    std::string folder_;
    bool createdFolder_ = false;
    std::vector<Listener> listeners_;
    std::vector<Connection> connections_;
    std::array<bool, 4> deviceOpen_{};
    bool quit_ = false;
    bool scanned_ = false;  // this round of the loop has run a scan
};

}  // namespace zel8d
