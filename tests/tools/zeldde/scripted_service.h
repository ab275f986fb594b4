// A service of the test's choosing for zeldde, on plain sockets: it answers each line the client
// sends with bytes the test gives, keeps the lines it was sent, and zeldde is run against it.
#pragma once

#include <poll.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

#include <QProcess>
#include <QProcessEnvironment>
#include <QStringList>
#include <cstring>
#include <string>
#include <thread>
#include <vector>

#include "temp_folder.h"

namespace zeltest {

inline constexpr int kScriptDeadlineMs = 30000;  // only ever reached when a test fails

// Listens as the service "zelapp" in a folder of its own; the one client it accepts gets
// replies[i] after its i-th line. When the replies run out it closes, after reading what is
// left when `drain` is set.
class ScriptedService {
  public:
    ScriptedService(std::vector<std::string> replies, bool drain)
        : replies_(std::move(replies)), drain_(drain) {
        listener_ = ::socket(AF_UNIX, SOCK_STREAM, 0);
        sockaddr_un address{};
        address.sun_family = AF_UNIX;
        const std::string path = folder_.path() + "/zelapp";
        std::strncpy(address.sun_path, path.c_str(), sizeof(address.sun_path) - 1);
        bound_ = ::bind(listener_, reinterpret_cast<sockaddr *>(&address), sizeof(address)) == 0 &&
                 ::listen(listener_, 1) == 0;
        thread_ = std::thread([this] { serve(); });
    }
    ~ScriptedService() {
        finish();
        ::close(listener_);
    }
    bool bound() const { return bound_; }
    QString folder() const { return QString::fromStdString(folder_.path()); }
    // The lines the client sent, without their LF, once it has gone.
    const std::vector<std::string> &lines() {
        finish();
        return lines_;
    }

  private:
    void finish() {
        if (thread_.joinable()) {
            thread_.join();
        }
    }
    // Waits for input on fd; false at the deadline.
    static bool readable(int fd) {
        pollfd p{fd, POLLIN, 0};
        return ::poll(&p, 1, kScriptDeadlineMs) == 1;
    }
    // Moves the whole lines received so far into lines_.
    void takeLines(std::string &received) {
        for (size_t end = received.find('\n'); end != std::string::npos;
             end = received.find('\n')) {
            lines_.push_back(received.substr(0, end));
            received.erase(0, end + 1);
        }
    }

    void serve() {
        if (!bound_ || !readable(listener_)) {
            return;
        }
        const int fd = ::accept(listener_, nullptr, nullptr);
        std::string received;
        char chunk[512];
        for (const std::string &reply : replies_) {
            while (received.find('\n') == std::string::npos) {
                const ssize_t n = readable(fd) ? ::read(fd, chunk, sizeof chunk) : 0;
                if (n <= 0) {
                    ::close(fd);
                    return;
                }
                received.append(chunk, static_cast<size_t>(n));
            }
            const size_t end = received.find('\n');
            lines_.push_back(received.substr(0, end));
            received.erase(0, end + 1);
            (void)::send(fd, reply.data(), reply.size(), MSG_NOSIGNAL);
        }
        ssize_t n = 0;
        while (drain_ && readable(fd) && (n = ::read(fd, chunk, sizeof chunk)) > 0) {
            received.append(chunk, static_cast<size_t>(n));
        }
        takeLines(received);
        ::close(fd);
    }

    TempFolder folder_;
    std::vector<std::string> replies_;
    bool drain_;
    int listener_ = -1;
    bool bound_ = false;
    std::vector<std::string> lines_;
    std::thread thread_;
};

struct Outcome {
    int status = -1;
    std::string out;
    std::string err;
};

inline Outcome zeldde(const ScriptedService &service, const QStringList &arguments) {
    QProcess process;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("ZEL_DDE_DIR"), service.folder());
    process.setProcessEnvironment(env);
    process.start(QStringLiteral(ZELDDE_PATH), arguments);
    Outcome run;
    if (!process.waitForFinished(kScriptDeadlineMs)) {
        process.kill();
        process.waitForFinished();
    } else if (process.exitStatus() == QProcess::NormalExit) {
        run.status = process.exitCode();
    }
    run.out = process.readAllStandardOutput().toStdString();
    run.err = process.readAllStandardError().toStdString();
    return run;
}

}  // namespace zeltest
