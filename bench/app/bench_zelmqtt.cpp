// zelmqtt against a local Mosquitto: the parts per second from a history of 100,000 parts, the
// latency from a part's commit to a subscriber's receipt, and 100 publishers on one broker, each
// at one part a second, with the processor time of the broker and of the publishers.
#include <mqtt/async_client.h>
#include <signal.h>
#include <unistd.h>
#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QThread>
#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <functional>
#include <map>
#include <memory>
#include <mutex>
#include <optional>
#include <thread>
#include <vector>

#include "mosquitto_broker.h"
#include "part_filler.h"
#include "shaft_part.h"
#include "temp_folder.h"

namespace {

using Clock = std::chrono::steady_clock;

constexpr qint64 kParts = 100000;
constexpr int kCharacteristics = 32;
constexpr int kLatencySamples = 300;
constexpr int kStations = 100;
constexpr int kLoadSeconds = 20;

// Counts the parts that arrive and notes when each id first came.
class Receiver {
  public:
    Receiver(const QString &uri, const QString &topic) : client_(uri.toStdString(), "bench-sub") {
        client_.set_message_callback([this](mqtt::const_message_ptr message) {
            const auto now = Clock::now();
            const std::string &payload = message->get_payload_str();
            // "{"id":N,..." : the id is the first key.
            const qint64 id = std::atoll(payload.c_str() + 6);
            std::lock_guard lock(mutex_);
            arrivals_.try_emplace(id, now);
            ++count_;
        });
        client_.connect()->wait();
        client_.subscribe(topic.toStdString(), 1)->wait();
    }
    ~Receiver() { client_.disconnect()->wait(); }
    qint64 count() const { return count_; }
    std::optional<Clock::time_point> arrival(qint64 id) {
        std::lock_guard lock(mutex_);
        const auto it = arrivals_.find(id);
        return it == arrivals_.end() ? std::nullopt : std::optional(it->second);
    }

  private:
    mqtt::async_client client_;
    std::mutex mutex_;
    std::map<qint64, Clock::time_point> arrivals_;
    std::atomic<qint64> count_ = 0;
};

bool waitUntil(const std::function<bool()> &done, int seconds) {
    const auto deadline = Clock::now() + std::chrono::seconds(seconds);
    while (!done()) {
        if (Clock::now() > deadline) {
            return false;
        }
        QThread::usleep(500);
    }
    return true;
}

// User and system time of a process so far, in seconds.
double cpuSeconds(qint64 pid) {
    QFile stat(QStringLiteral("/proc/%1/stat").arg(pid));
    if (!stat.open(QIODevice::ReadOnly)) {
        return 0;
    }
    const QByteArray text = stat.readAll();
    const QList<QByteArray> fields = text.mid(text.lastIndexOf(')') + 2).split(' ');
    return double(fields[11].toLongLong() + fields[12].toLongLong()) / double(sysconf(_SC_CLK_TCK));
}

std::unique_ptr<QProcess> startPublisher(const QString &uri, const QString &db,
                                         const QString &station, const QString &home) {
    auto process = std::make_unique<QProcess>();
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("XDG_CONFIG_HOME"), home);
    process->setProcessEnvironment(env);
    process->setStandardOutputFile(QProcess::nullDevice());
    process->setStandardErrorFile(QProcess::nullDevice());
    process->start(QStringLiteral(ZELMQTT_PATH),
                   {QStringLiteral("--broker"), uri, QStringLiteral("--db"), db,
                    QStringLiteral("--station"), station});
    process->waitForStarted();
    return process;
}

void stopPublisher(QProcess &process) {
    ::kill(pid_t(process.processId()), SIGTERM);
    process.waitForFinished(10000);
}

}  // namespace

int main(int argc, char **argv) {
    QCoreApplication app(argc, argv);
    if (zeltest::MosquittoBroker::program().isEmpty()) {
        std::fprintf(stderr, "bench_zelmqtt: mosquitto is not installed (make deps)\n");
        return 1;
    }
    zeltest::TempFolder folder;
    const QString dir = QString::fromStdString(folder.path());
    const QString db = dir + QStringLiteral("/parts.db");
    zelapp::SetupSnapshot setup;
    setup.setupFile = QStringLiteral("/setups/shaft.zel");
    const zelapp::PartResult part =
        zelbench::shaftPart(kCharacteristics, QDateTime::currentDateTime());
    if (!zeltest::fillParts(db, part, setup, kParts)) {
        std::fprintf(stderr, "cannot fill %s\n", qPrintable(db));
        return 1;
    }
    zeltest::MosquittoBroker broker(dir);
    if (!broker.start()) {
        std::fprintf(stderr, "mosquitto did not start: %s\n", qPrintable(broker.log()));
        return 1;
    }

    // ---- Throughput: the whole history to the broker ----
    auto receiver = std::make_unique<Receiver>(broker.uri(), QStringLiteral("zel8/B1/part"));
    QElapsedTimer timer;
    timer.start();
    auto publisher = startPublisher(broker.uri(), db, QStringLiteral("B1"), dir);
    if (!waitUntil([&] { return receiver->count() >= kParts; }, 600)) {
        std::fprintf(stderr, "only %lld of %lld parts arrived\n", receiver->count(), kParts);
        return 1;
    }
    const double seconds = double(timer.nsecsElapsed()) / 1e9;

    // ---- Latency: from append() returning to the subscriber's receipt ----
    std::vector<double> latencies;
    {
        zelapp::PartStore writer;
        if (!writer.open(db).ok()) {
            std::fprintf(stderr, "cannot open %s\n", qPrintable(db));
            return 1;
        }
        for (int i = 0; i < kLatencySamples; ++i) {
            const zelapp::Appended appended = writer.append(part, setup);
            const auto committed = Clock::now();
            std::optional<Clock::time_point> arrived;
            if (!appended.ok() ||
                !waitUntil([&] { return (arrived = receiver->arrival(appended.id)).has_value(); },
                           30)) {
                std::fprintf(stderr, "part %lld did not arrive\n", appended.id);
                return 1;
            }
            latencies.push_back(
                std::chrono::duration<double, std::milli>(*arrived - committed).count());
        }
    }
    stopPublisher(*publisher);
    receiver.reset();
    std::sort(latencies.begin(), latencies.end());
    const double median = latencies[latencies.size() / 2];
    const double p99 = latencies[latencies.size() * 99 / 100];

    // ---- 100 stations on one broker, each one part a second ----
    std::vector<std::unique_ptr<zelapp::PartStore>> writers;
    std::vector<std::unique_ptr<QProcess>> publishers;
    receiver = std::make_unique<Receiver>(broker.uri(), QStringLiteral("zel8/+/part"));
    for (int s = 0; s < kStations; ++s) {
        const QString file = dir + QStringLiteral("/station%1.db").arg(s);
        writers.push_back(std::make_unique<zelapp::PartStore>());
        if (!writers.back()->open(file).ok() || !writers.back()->append(part, setup).ok()) {
            std::fprintf(stderr, "cannot write %s\n", qPrintable(file));
            return 1;
        }
        publishers.push_back(startPublisher(
            broker.uri(), file, QStringLiteral("S%1").arg(s, 3, 10, QLatin1Char('0')), dir));
    }
    if (!waitUntil([&] { return receiver->count() >= kStations; }, 60)) {
        std::fprintf(stderr, "the stations did not all connect\n");
        return 1;
    }
    const double brokerBefore = cpuSeconds(broker.pid());
    double publishersBefore = 0;
    for (const auto &p : publishers) {
        publishersBefore += cpuSeconds(p->processId());
    }
    const qint64 before = receiver->count();
    const auto start = Clock::now();
    for (int tick = 0; tick < kLoadSeconds * kStations; ++tick) {
        // Evenly spread: one station's part every 10 ms.
        std::this_thread::sleep_until(start + std::chrono::milliseconds(tick * 1000 / kStations));
        writers[size_t(tick % kStations)]->append(part, setup);
    }
    const qint64 expected = before + qint64(kLoadSeconds) * kStations;
    waitUntil([&] { return receiver->count() >= expected; }, 30);
    const double wall = std::chrono::duration<double>(Clock::now() - start).count();
    const double brokerCpu = cpuSeconds(broker.pid()) - brokerBefore;
    double publishersCpu = -publishersBefore;
    for (const auto &p : publishers) {
        publishersCpu += cpuSeconds(p->processId());
    }
    const qint64 arrived = receiver->count() - before;
    for (auto &p : publishers) {
        stopPublisher(*p);
    }

    std::printf("zelmqtt to a local Mosquitto (parts of %d characteristics, QoS 1)\n",
                kCharacteristics);
    std::printf("  100,000 parts from the history: %.0f parts/s (%.2f s)\n",
                double(kParts) / seconds, seconds);
    std::printf("  commit to receipt, %d parts:   median %.1f ms, 99th percentile %.1f ms\n",
                kLatencySamples, median, p99);
    std::printf("  %d publishers at 1 part/s for %d s: %lld of %d parts arrived\n", kStations,
                kLoadSeconds, arrived, kLoadSeconds * kStations);
    std::printf("    broker:     %.1f %% of one core\n", 100.0 * brokerCpu / wall);
    std::printf("    publishers: %.1f %% of one core in all, %.2f %% each\n",
                100.0 * publishersCpu / wall, 100.0 * publishersCpu / wall / kStations);
    return 0;
}
