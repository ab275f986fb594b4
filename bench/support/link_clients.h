// Clients of the live-value service for benchmarks: plain sockets that open a conversation
// with hot links on every channel, and a thread that reads them all with poll() and counts
// lines, so that what the operator thread does is the service's work alone.
#pragma once

#include <poll.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

#include <QByteArray>
#include <QFile>
#include <QString>
#include <algorithm>
#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

namespace zelbench {

inline int connectTo(const QString &path) {
    const int fd = ::socket(AF_UNIX, SOCK_STREAM, 0);
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    const QByteArray encoded = QFile::encodeName(path);
    std::strncpy(address.sun_path, encoded.constData(), sizeof(address.sun_path) - 1);
    if (::connect(fd, reinterpret_cast<sockaddr *>(&address), sizeof(address)) != 0) {
        std::perror("connect");
        std::exit(1);
    }
    return fd;
}

inline void writeAll(int fd, const std::string &text) {
    size_t done = 0;
    while (done < text.size()) {
        const ssize_t n = ::write(fd, text.data() + done, text.size() - done);
        if (n <= 0) {
            std::perror("write");
            std::exit(1);
        }
        done += static_cast<size_t>(n);
    }
}

// Readers count lines; each round the operator thread says how many each one must see.
class Readers {
  public:
    explicit Readers(std::vector<int> fds) : fds_(std::move(fds)), seen_(fds_.size(), 0) {
        thread_ = std::thread([this] { run(); });
    }
    ~Readers() {
        stop_ = true;
        thread_.join();
        for (int fd : fds_) {
            ::close(fd);
        }
    }
    // Waits up to a millisecond for every reader to reach `lines` lines in all; true with the
    // time they did.
    bool reached(long lines, std::chrono::steady_clock::time_point *at) {
        std::unique_lock lock(mutex_);
        cv_.wait_for(lock, std::chrono::milliseconds(1), [&] { return reached_ >= lines; });
        *at = reachedAt_;
        return reached_ >= lines;
    }

  private:
    void run() {
        std::vector<pollfd> polls;
        for (int fd : fds_) {
            polls.push_back({fd, POLLIN, 0});
        }
        std::vector<char> buffer(1 << 16);
        while (!stop_) {
            if (::poll(polls.data(), polls.size(), 20) <= 0) {
                continue;
            }
            for (size_t i = 0; i < polls.size(); ++i) {
                if ((polls[i].revents & POLLIN) == 0) {
                    continue;
                }
                const ssize_t n = ::read(polls[i].fd, buffer.data(), buffer.size());
                for (ssize_t k = 0; k < n; ++k) {
                    seen_[i] += buffer[k] == '\n';
                }
            }
            const long least = *std::min_element(seen_.begin(), seen_.end());
            std::lock_guard lock(mutex_);
            if (least > reached_) {
                reached_ = least;
                reachedAt_ = std::chrono::steady_clock::now();
                cv_.notify_all();
            }
        }
    }

    std::vector<int> fds_;
    std::vector<long> seen_;
    std::thread thread_;
    std::atomic<bool> stop_{false};
    std::mutex mutex_;
    std::condition_variable cv_;
    long reached_ = 0;
    std::chrono::steady_clock::time_point reachedAt_;
};

inline std::string adviseAll(int channels) {
    std::string lines = "INITIATE\tDisplay\n";
    for (int n = 1; n <= channels; ++n) {
        lines += "ADVISE\tlabelChan(" + std::to_string(n) + ")\n";
    }
    return lines;
}

}  // namespace zelbench
