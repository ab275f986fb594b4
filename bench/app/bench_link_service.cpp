// The live-value service under full load: 64 clients, each holding hot links on all 255
// channels, and a tick in which every value changes. Reports the operator thread's time in the
// service per tick (the pushes queued while the values are set, and the writes to the sockets)
// and the time from the start of the tick until the last client has its last update. A second
// run swaps one reader for a client that never reads: the tick must not grow while its output
// piles up, and the client is dropped once its queue passes the bound.
//
// The clients live on a thread of their own and read with poll() on plain sockets, so that
// what is timed on the operator thread is the service alone.

#include <QCoreApplication>
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <vector>

#include "exchange/link_server.h"
#include "link_clients.h"
#include "setup/channel_labels.h"
#include "temp_folder.h"

namespace {

using Clock = std::chrono::steady_clock;
using zelbench::adviseAll;
using zelbench::connectTo;
using zelbench::Readers;
using zelbench::writeAll;

constexpr int kChannels = 255;
constexpr int kClients = 64;
constexpr int kRounds = 200;

double ms(Clock::duration d) {
    return std::chrono::duration<double, std::milli>(d).count();
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
        writeAll(fds.back(), adviseAll(kChannels));
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
    // Every client lives in this one process.
    zelapp::LinkLimits limits;
    limits.perPeer = limits.connections;
    zelapp::LinkServer server(labels, limits);
    QObject::connect(&server, &zelapp::LinkServer::conversationClosed, [&] { ++closed; });
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
