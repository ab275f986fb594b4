// The live-value service under full load: 64 clients, each holding hot links on all 255
// channels, and a tick in which every value changes. Reports the operator thread's time in the
// service per tick (the pushes queued while the values are set, and the writes to the sockets)
// and the time from the start of the tick until the last client has its last update. A second
// run swaps one reader for a client that never reads: the tick must not grow while its output
// piles up, and the client is dropped once its queue passes the bound.
//
// The clients live on a thread of their own and read with poll() on plain sockets, so that
// what is timed on the operator thread is the service alone.
#include <poll.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

#include <QCoreApplication>
#include <QFile>
#include <algorithm>
#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdio>
#include <cstring>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "exchange/link_server.h"
#include "setup/channel_labels.h"
#include "temp_folder.h"

namespace {

using Clock = std::chrono::steady_clock;

constexpr int kChannels = 255;
constexpr int kClients = 64;
constexpr int kRounds = 200;

double ms(Clock::duration d) {
    return std::chrono::duration<double, std::milli>(d).count();
}

int connectTo(const QString &path) {
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

void writeAll(int fd, const std::string &text) {
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
    bool reached(long lines, Clock::time_point *at) {
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
                reachedAt_ = Clock::now();
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
    Clock::time_point reachedAt_;
};

std::string adviseAll() {
    std::string lines = "INITIATE\tDisplay\n";
    for (int n = 1; n <= kChannels; ++n) {
        lines += "ADVISE\tlabelChan(" + std::to_string(n) + ")\n";
    }
    return lines;
}

struct Percentiles {
    double median, p90, max;
};

Percentiles percentiles(std::vector<double> v) {
    std::sort(v.begin(), v.end());
    return {v[v.size() / 2], v[v.size() * 9 / 10], v.back()};
}

// Sets every channel to a new value, as a tick does, and writes what the service queued;
// returns the time taken. The texts are made beforehand: formatting is the scan's work.
double tick(zelapp::ChannelLabels &labels, zelapp::LinkServer &server, int round) {
    std::vector<QString> texts;
    texts.reserve(kChannels + 1);
    texts.emplace_back();
    for (int n = 1; n <= kChannels; ++n) {
        texts.push_back(
            QStringLiteral(" %1.%2").arg(n).arg(round % 100000, 5, 10, QLatin1Char('0')));
    }
    const auto start = Clock::now();
    for (int n = 1; n <= kChannels; ++n) {
        labels.setText(n, texts[n]);
    }
    server.flushPending();
    return ms(Clock::now() - start);
}

void report(const char *what, const Percentiles &p) {
    std::printf("  %-44s median %6.2f ms   90th %6.2f ms   max %6.2f ms\n", what, p.median, p.p90,
                p.max);
}

// Runs the event loop (the writes the sockets could not take at once) until every reader has
// `lines` lines; returns the operator thread's time in it and when the last reader got there.
double serveUntil(Readers &readers, long lines, Clock::time_point *at) {
    double busy = 0;
    for (;;) {
        const auto start = Clock::now();
        QCoreApplication::processEvents();
        busy += ms(Clock::now() - start);
        if (readers.reached(lines, at)) {
            return busy;
        }
    }
}

std::vector<int> connectClients(const zelapp::LinkServer &server, int count) {
    std::vector<int> fds;
    for (int i = 0; i < count; ++i) {
        fds.push_back(connectTo(server.socketPath()));
        writeAll(fds.back(), adviseAll());
        QCoreApplication::processEvents();  // the service accepts on this thread
    }
    return fds;
}

}  // namespace

int main(int argc, char **argv) {
    std::setvbuf(stdout, nullptr, _IOLBF, 0);
    QCoreApplication app(argc, argv);
    zeltest::TempFolder folder;
    zelapp::ChannelLabels labels;
    for (int n = 1; n <= kChannels; ++n) {
        labels.addLabel();
    }
    int closed = 0;
    zelapp::LinkServer server(labels, {}, [&] { ++closed; });
    QString error;
    if (!server.listen(QStringLiteral("zelapp"), QString::fromStdString(folder.path()), &error)) {
        std::fprintf(stderr, "listen: %s\n", error.toLocal8Bit().constData());
        return 1;
    }
    std::printf("bench_link_service: %d clients, each with hot links on %d channels, %d ticks\n",
                kClients, kChannels, kRounds);
    int round = 0;
    Clock::time_point at;

    // Every client reads.
    {
        Readers readers(connectClients(server, kClients));
        long expected = kChannels + 1;  // the acknowledgements
        serveUntil(readers, expected, &at);
        std::vector<double> operatorMs, lastClientMs;
        for (int i = 0; i < kRounds; ++i, ++round) {
            const auto start = Clock::now();
            double busy = tick(labels, server, round);
            expected += kChannels;
            busy += serveUntil(readers, expected, &at);
            operatorMs.push_back(busy);
            lastClientMs.push_back(ms(at - start));
        }
        report("operator thread in the service per tick:", percentiles(operatorMs));
        report("tick start to the last client's last update:", percentiles(lastClientMs));
        std::printf(
            "  targets: under 5 ms on the operator thread, under 50 ms to the last "
            "client\n");
    }
    QCoreApplication::processEvents();

    // One of them never reads.
    {
        const int sleeper = connectClients(server, 1).front();
        Readers readers(connectClients(server, kClients - 1));
        long expected = kChannels + 1;
        serveUntil(readers, expected, &at);
        const int closedBefore = closed;
        int droppedAt = -1;
        std::vector<double> operatorMs;
        for (int i = 0; i < kRounds; ++i, ++round) {
            double busy = tick(labels, server, round);
            expected += kChannels;
            busy += serveUntil(readers, expected, &at);
            operatorMs.push_back(busy);
            if (droppedAt < 0 && closed > closedBefore) {
                droppedAt = i + 1;
            }
        }
        const auto third = operatorMs.size() / 3;
        std::printf("  with %d readers and one client that never reads:\n", kClients - 1);
        report("first third of the ticks:",
               percentiles({operatorMs.begin(), operatorMs.begin() + third}));
        report("last third of the ticks:",
               percentiles({operatorMs.end() - third, operatorMs.end()}));
        if (droppedAt > 0) {
            std::printf("  the client that never reads was dropped after tick %d\n", droppedAt);
        } else {
            std::printf("  the client that never reads was NOT dropped\n");
        }
        ::close(sleeper);
    }
    return 0;
}
