#include "unit/unit_recovery.h"

#include <QMetaObject>
#include <algorithm>

namespace zelapp {

namespace {
constexpr int kFirstRetryMs = 2000;
constexpr int kLongestRetryMs = 10000;
}  // namespace

// ---- ThreadAttemptRunner -------------------------------------------------------------------

ThreadAttemptRunner::ThreadAttemptRunner() = default;

ThreadAttemptRunner::~ThreadAttemptRunner() {
    if (worker_.joinable()) {
        worker_.join();
    }
}

void ThreadAttemptRunner::run(std::function<int32_t()> attempt, std::function<void(int32_t)> done) {
    // The recovery starts no attempt while one runs, so the last worker has ended or is
    // about to hand back its result.
    if (worker_.joinable()) {
        worker_.join();
    }
    worker_ = std::thread([this, attempt = std::move(attempt), done = std::move(done)] {
        const int32_t result = attempt();
        QMetaObject::invokeMethod(
            &receiver_, [done, result] { done(result); }, Qt::QueuedConnection);
    });
}

// ---- UnitRecovery --------------------------------------------------------------------------

UnitRecovery::UnitRecovery(UnitConnection &connection, AttemptRunner &runner, Prompter &prompter,
                           std::function<Counts()> counts, const ElapsedClock &clock,
                           DeviceWatch *watch)
    : connection_(connection),
      runner_(runner),
      prompter_(prompter),
      counts_(std::move(counts)),
      clock_(clock) {
    retryTimer_.setSingleShot(true);
    QObject::connect(&retryTimer_, &QTimer::timeout, [this] { reconnect(); });
    connection_.setLossHandler([this] { unitLost(); });
    if (watch != nullptr) {
        watch->setAppeared([this] { deviceAppeared(); });
    }
}

int UnitRecovery::nextDelayMs(qint64 sinceMs, qint64 tookMs, int slowFailed) {
    if (sinceMs < kQuickWindowMs || tookMs < kQuickAttemptMs) {
        return kQuickRetryMs;
    }
    if (slowFailed == 0) {
        // The first slow attempt where it always was, 2 s after the loss.
        return static_cast<int>(qMax<qint64>(kQuickRetryMs, retryDelayMs(0) - sinceMs));
    }
    return retryDelayMs(slowFailed);
}

int UnitRecovery::retryDelayMs(int failed) {
    int delay = kFirstRetryMs;
    for (int i = 0; i < failed && delay < kLongestRetryMs; ++i) {
        delay *= 2;
    }
    return std::min(delay, kLongestRetryMs);
}

QString UnitRecovery::backText() {
    return QStringLiteral("The ZEL-8 is communicating again; the values shown are measured.");
}

QString UnitRecovery::restartedText() {
    return QStringLiteral(
        "The ZEL-8 is communicating again. It had been restarted and had lost its setup; the "
        "setup has been sent to it again.\rCheck the zero and the masters before you measure "
        "parts.");
}

QString UnitRecovery::foundText() {
    return QStringLiteral(
        "The ZEL-8 is communicating; the setup prepared without it has been sent to it.\rCheck "
        "the zero and the masters before you measure parts.");
}

void UnitRecovery::startWithoutUnit() {
    neverFound_ = true;
    connection_.markLost();
}

void UnitRecovery::unitLost() {
    status_ = UnitStatus{true, false, QDateTime::currentDateTime()};
    quickFromMs_ = clock_.elapsedMs();
    slowFailed_ = 0;
    againAtOnce_ = false;
    retryTimer_.start(kQuickRetryMs);
    changed();
}

void UnitRecovery::deviceAppeared() {
    if (!status_.lost) {
        return;
    }
    quickFromMs_ = clock_.elapsedMs();
    slowFailed_ = 0;
    if (running_) {
        againAtOnce_ = true;  // the running attempt may have looked before the device was there
        return;
    }
    reconnect();
}

void UnitRecovery::reconnect() {
    if (!status_.lost || running_) {
        return;
    }
    retryTimer_.stop();
    running_ = true;
    startedMs_ = clock_.elapsedMs();
    if (!status_.attempting) {
        status_.attempting = true;
        changed();
    }
    UnitApi &library = connection_.library();
    runner_.run([&library] { return library.ZelCommInit(0); },
                [this](int32_t result) { attemptDone(result); });
}

void UnitRecovery::attemptDone(int32_t result) {
    running_ = false;
    if (result != 0) {
        failed();
        return;
    }
    const Counts counts = counts_ ? counts_() : Counts{};
    const std::optional<bool> kept = connection_.setupKept();
    RefusedItems refused;
    if (!connection_.restore(counts.channels, counts.lvdts, counts.analogs, &refused)) {
        failed();
        return;
    }
    status_ = UnitStatus{};
    changed();
    // Without a defined channel there is no telling: the cautious message. What the unit
    // refused of the setup (another unit, with fewer channels) is told in the same message.
    QStringList text{neverFound_            ? foundText()
                     : kept.value_or(false) ? backText()
                                            : restartedText()};
    neverFound_ = false;
    text << refused.lines();
    if (report_) {
        report_(text.join(QLatin1Char('\r')));
    } else {
        prompter_.notify(text.join(QLatin1Char('\r')), {}, PromptIcon::Information);
    }
}

void UnitRecovery::failed() {
    const qint64 now = clock_.elapsedMs();
    const qint64 since = now - quickFromMs_;
    const qint64 took = now - startedMs_;
    const int delay = againAtOnce_ ? 0 : nextDelayMs(since, took, slowFailed_);
    retryTimer_.start(delay);
    againAtOnce_ = false;
    if (since >= kQuickWindowMs && took >= kQuickAttemptMs) {
        ++slowFailed_;
    }
    // With the next attempt due within a quick retry the attempt stays on show: a run of quick
    // ones reads as one, and the windows do not flicker.
    if (delay > kQuickRetryMs) {
        status_.attempting = false;
        changed();
    }
}

void UnitRecovery::changed() {
    if (onStatus_) {
        onStatus_(status_);
    }
}

}  // namespace zelapp
