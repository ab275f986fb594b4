#include "base/stop_signals.h"

#include <fcntl.h>
#include <sys/socket.h>
#include <unistd.h>
#include <QSocketNotifier>
#include <atomic>
#include <cerrno>
#include <csignal>

namespace zelapp {

namespace {

constexpr int kSignals[] = {SIGTERM, SIGINT, SIGHUP};

// The one thing a signal handler may reach: where it writes. Lock-free, so the handler may read
// it whatever it interrupted; -1 while no StopSignals takes the signals.
std::atomic<int> handlerPipe{-1};
static_assert(std::atomic<int>::is_always_lock_free);

extern "C" void onStopSignal(int signal) {
    const int saved = errno;
    const int fd = handlerPipe.load();
    if (fd >= 0) {
        const auto byte = static_cast<unsigned char>(signal);
        // A full pipe drops the byte: stops already wait to be read.
        [[maybe_unused]] const ssize_t written = ::write(fd, &byte, 1);
    }
    errno = saved;
}

bool nonBlocking(int fd) {
    const int flags = ::fcntl(fd, F_GETFL);
    return flags >= 0 && ::fcntl(fd, F_SETFL, flags | O_NONBLOCK) == 0;
}

}  // namespace

StopSignals::StopSignals(QObject *parent) : QObject(parent) {
    int ends[2] = {-1, -1};
    if (::socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0, ends) != 0) {
        return;
    }
    int none = -1;
    if (!nonBlocking(ends[0]) || !nonBlocking(ends[1]) ||
        !handlerPipe.compare_exchange_strong(none, ends[1])) {
        ::close(ends[0]);
        ::close(ends[1]);
        return;
    }
    readEnd_ = ends[0];
    writeEnd_ = ends[1];
    notifier_ = std::make_unique<QSocketNotifier>(readEnd_, QSocketNotifier::Read);
    connect(notifier_.get(), &QSocketNotifier::activated, this, &StopSignals::readPipe);
    struct sigaction action {};
    action.sa_handler = onStopSignal;
    sigemptyset(&action.sa_mask);
    // The program's own waits (a read, a sleep) go on after the byte is written.
    action.sa_flags = SA_RESTART;
    for (const int signal : kSignals) {
        ::sigaction(signal, &action, nullptr);
    }
}

StopSignals::~StopSignals() {
    if (!isActive()) {
        return;
    }
    for (const int signal : kSignals) {
        std::signal(signal, SIG_DFL);
    }
    handlerPipe.store(-1);
    notifier_.reset();
    ::close(readEnd_);
    ::close(writeEnd_);
}

void StopSignals::readPipe() {
    unsigned char bytes[16];
    for (;;) {
        const ssize_t count = ::read(readEnd_, bytes, sizeof bytes);
        if (count <= 0) {
            return;
        }
        for (ssize_t i = 0; i < count; ++i) {
            emit stopRequested(bytes[i]);
        }
    }
}

QString stopSignalName(int signal) {
    switch (signal) {
        case SIGTERM:
            return QStringLiteral("SIGTERM");
        case SIGINT:
            return QStringLiteral("SIGINT");
        case SIGHUP:
            return QStringLiteral("SIGHUP");
        default:
            return QStringLiteral("signal %1").arg(signal);
    }
}

}  // namespace zelapp
