#include "zeldde_client.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

#include <QFile>
#include <algorithm>
#include <cerrno>
#include <chrono>
#include <climits>
#include <cstring>
#include <optional>
#include <vector>

#include "exchange/link_protocol.h"

namespace zeldde {

namespace {

namespace link = zelapp::link;
using Clock = std::chrono::steady_clock;
using Deadline = std::optional<Clock::time_point>;

// Lines from the service are short; anything this long is not the protocol.
constexpr qsizetype kMaxLineBytes = 64 * 1024;
// How often a missing service is tried again under --wait.
constexpr auto kRetryInterval = std::chrono::milliseconds(100);

// The signal handlers wake the waiting poll() through this pipe.
int interruptPipe[2] = {-1, -1};
volatile sig_atomic_t caughtSignal = 0;

void onInterrupt(int signal) {
    const int savedErrno = errno;
    caughtSignal = signal;
    const char byte = 1;
    [[maybe_unused]] const ssize_t written = ::write(interruptPipe[1], &byte, 1);
    errno = savedErrno;
}

enum class Wake { Ready, TimedOut, Interrupted, Failed };

// Waits until fd is readable (fd < 0: only for the deadline), the deadline passes (none: no
// bound), or a caught signal arrives.
Wake waitFor(int fd, Deadline deadline) {
    for (;;) {
        int timeout = -1;
        if (deadline) {
            const auto left =
                std::chrono::ceil<std::chrono::milliseconds>(*deadline - Clock::now());
            if (left.count() <= 0) {
                return Wake::TimedOut;
            }
            timeout =
                static_cast<int>(std::min<std::chrono::milliseconds::rep>(left.count(), INT_MAX));
        }
        pollfd fds[2] = {{fd, POLLIN, 0}, {interruptPipe[0], POLLIN, 0}};
        const int ready = ::poll(fds, 2, timeout);
        if (ready < 0) {
            if (errno == EINTR) {
                continue;
            }
            return Wake::Failed;
        }
        if ((fds[1].revents & POLLIN) != 0) {
            char drain[16];
            while (::read(interruptPipe[0], drain, sizeof drain) > 0) {
            }
            return Wake::Interrupted;
        }
        if (fd >= 0 && fds[0].revents != 0) {
            return Wake::Ready;
        }
    }
}

QString quoted(const QString &text) {
    return QLatin1Char('"') + text + QLatin1Char('"');
}

// A line from the service as a message can show it: printable, and not too long.
QString shown(const QByteArray &line) {
    constexpr qsizetype kShown = 120;
    QString text;
    for (qsizetype i = 0; i < std::min(line.size(), kShown); ++i) {
        const auto c = static_cast<unsigned char>(line[i]);
        if (c == '\t') {
            text += QLatin1String("\\t");
        } else if (c < 0x20 || c == 0x7f) {
            text += QStringLiteral("\\x%1").arg(c, 2, 16, QLatin1Char('0'));
        } else {
            text += QChar(static_cast<char16_t>(c));
        }
    }
    if (line.size() > kShown) {
        text += QLatin1String("...");
    }
    return quoted(text);
}

class Conversation {
  public:
    Conversation(const Options &options, std::FILE *out, std::FILE *err)
        : options_(options), out_(out), err_(err) {
        for (const QString &name : options.items) {
            items_.push_back(Item{name, link::toWire(name), false, {}});
        }
    }
    ~Conversation() {
        if (fd_ >= 0) {
            ::close(fd_);
        }
    }
    Conversation(const Conversation &) = delete;
    Conversation &operator=(const Conversation &) = delete;

    int run(const QString &socketPath) {
        if (connectTo(socketPath) && initiate() && converse()) {
            stop(kExitOk);
        }
        if (polite_) {
            terminate();
        }
        return status_;
    }

  private:
    struct Item {
        QString name;
        QByteArray wire;
        bool printed = false;  // advise: its present text is out
        QByteArray lastText;
    };
    enum class Got { Line, Closed, TimedOut, Interrupted, Broken };

    // Ends the conversation with this status; polite: say TERMINATE first.
    bool stop(int status, bool polite = true) {
        status_ = status;
        polite_ = polite && fd_ >= 0;
        return false;
    }
    bool fail(int status, const QString &message, bool polite = false) {
        std::fprintf(err_, "zeldde: %s\n", message.toLocal8Bit().constData());
        std::fflush(err_);
        return stop(status, polite);
    }
    bool interrupted() {
        // advise runs until interrupted: that is its normal end.
        return stop(options_.verb == Verb::Advise ? kExitOk : kExitSignalBase + caughtSignal);
    }
    QString service() const { return QStringLiteral("service %1").arg(quoted(options_.service)); }

    bool connectTo(const QString &socketPath) {
        const QByteArray path = QFile::encodeName(socketPath);
        sockaddr_un address{};
        address.sun_family = AF_UNIX;
        if (path.size() >= static_cast<qsizetype>(sizeof address.sun_path)) {
            return fail(kExitNotRunning,
                        QStringLiteral("cannot reach %1: the socket path %2 is too long")
                            .arg(service(), socketPath));
        }
        std::memcpy(address.sun_path, path.constData(), static_cast<size_t>(path.size()));
        const auto deadline = Clock::now() + std::chrono::seconds(options_.waitSeconds);
        for (;;) {
            fd_ = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
            if (fd_ < 0) {
                return fail(kExitNotRunning,
                            QStringLiteral("cannot make a socket: %1")
                                .arg(QString::fromLocal8Bit(std::strerror(errno))));
            }
            int result;
            do {
                result =
                    ::connect(fd_, reinterpret_cast<const sockaddr *>(&address), sizeof address);
            } while (result != 0 && errno == EINTR);
            if (result == 0) {
                return true;
            }
            const int error = errno;
            ::close(fd_);
            fd_ = -1;
            const QString reason = QString::fromLocal8Bit(std::strerror(error));
            // No socket yet, or one left by a program that is gone: the service may still come.
            const bool absent = error == ENOENT || error == ECONNREFUSED;
            if (!absent) {
                return fail(
                    kExitNotRunning,
                    QStringLiteral("cannot reach %1 at %2: %3").arg(service(), socketPath, reason));
            }
            if (Clock::now() >= deadline) {
                return fail(kExitNotRunning,
                            options_.waitSeconds == 0
                                ? QStringLiteral("%1 is not running (tried %2: %3)")
                                      .arg(service(), socketPath, reason)
                                : QStringLiteral("%1 did not start within %2 s (tried %3: %4)")
                                      .arg(service())
                                      .arg(options_.waitSeconds)
                                      .arg(socketPath, reason));
            }
            const Wake wake = waitFor(-1, std::min(deadline, Clock::now() + kRetryInterval));
            if (wake == Wake::Interrupted) {
                return interrupted();
            }
            if (wake == Wake::Failed) {
                return fail(kExitNotRunning,
                            QStringLiteral("cannot wait for %1: %2")
                                .arg(service(), QString::fromLocal8Bit(std::strerror(errno))));
            }
        }
    }

    // Writes a whole line; errno tells why when it cannot.
    bool write(const QByteArray &line) {
        qsizetype sent = 0;
        while (sent < line.size()) {
            const ssize_t n = ::send(fd_, line.constData() + sent,
                                     static_cast<size_t>(line.size() - sent), MSG_NOSIGNAL);
            if (n < 0 && errno != EINTR) {
                return false;
            }
            sent += std::max<ssize_t>(n, 0);
        }
        return true;
    }

    bool send(const QByteArray &line) {
        if (!write(line)) {
            return fail(kExitLost,
                        QStringLiteral("lost the connection to %1: %2")
                            .arg(service(), QString::fromLocal8Bit(std::strerror(errno))));
        }
        return true;
    }

    Got readLine(QByteArray *line, Deadline deadline) {
        for (;;) {
            const qsizetype end = buffer_.indexOf('\n');
            if (end >= 0) {
                *line = buffer_.left(end);
                buffer_.remove(0, end + 1);
                if (line->endsWith('\r')) {
                    line->chop(1);
                }
                return Got::Line;
            }
            if (buffer_.size() > kMaxLineBytes) {
                brokenReason_ = QStringLiteral("a line of more than %1 bytes").arg(kMaxLineBytes);
                return Got::Broken;
            }
            if (closed_) {
                return Got::Closed;
            }
            switch (waitFor(fd_, deadline)) {
                case Wake::TimedOut:
                    return Got::TimedOut;
                case Wake::Interrupted:
                    return Got::Interrupted;
                case Wake::Failed:
                    brokenReason_ = QString::fromLocal8Bit(std::strerror(errno));
                    return Got::Broken;
                case Wake::Ready:
                    break;
            }
            char chunk[4096];
            const ssize_t n = ::recv(fd_, chunk, sizeof chunk, 0);
            if (n > 0) {
                buffer_.append(chunk, n);
            } else if (n == 0 || errno == ECONNRESET) {
                closed_ = true;
            } else if (errno != EINTR && errno != EAGAIN) {
                brokenReason_ = QString::fromLocal8Bit(std::strerror(errno));
                return Got::Broken;
            }
        }
    }

    // The next line that answers what was sent; pushes that come before it are dealt with on
    // the way.
    bool nextReply(QByteArray *line) {
        const auto deadline = Clock::now() + std::chrono::seconds(kReplySeconds);
        for (;;) {
            switch (readLine(line, deadline)) {
                case Got::Line:
                    break;
                case Got::Closed:
                    return fail(kExitLost,
                                QStringLiteral("%1 closed the connection").arg(service()));
                case Got::TimedOut:
                    return fail(kExitLost, QStringLiteral("%1 did not answer within %2 s")
                                               .arg(service())
                                               .arg(kReplySeconds));
                case Got::Interrupted:
                    return interrupted();
                case Got::Broken:
                    return fail(kExitLost, QStringLiteral("lost the connection to %1: %2")
                                               .arg(service(), brokenReason_));
            }
            bool handled = false;
            if (!takePush(*line, &handled)) {
                return false;
            }
            if (!handled) {
                return true;
            }
        }
    }

    bool unexpected(const QByteArray &line) {
        return fail(kExitLost,
                    QStringLiteral("unexpected line from %1: %2").arg(service(), shown(line)));
    }

    // A DATA line of an advised item other than the one whose request is awaited is a push.
    // Before an item's present text is printed its pushes are dropped: the reply to its
    // request is newer. While the present texts are still going out, pushes wait in a queue.
    bool takePush(const QByteArray &line, bool *handled) {
        *handled = false;
        const link::Line parts = link::splitLine(line);
        const qsizetype tab = parts.argument.indexOf('\t');
        if (!advising_ || parts.verb != link::kData || tab < 0) {
            return true;
        }
        const QByteArray wire = parts.argument.left(tab);
        if (awaiting_ && wire == awaiting_->wire) {
            return true;
        }
        const auto item = std::find_if(items_.begin(), items_.end(),
                                       [&](const Item &i) { return i.wire == wire; });
        if (item == items_.end()) {
            return true;
        }
        *handled = true;
        const QByteArray text = parts.argument.mid(tab + 1);
        if (!item->printed) {
            return true;
        }
        if (awaiting_) {
            queued_.push_back({&*item, text});
            return true;
        }
        return printChange(*item, text);
    }

    bool initiate() {
        const QByteArray topic = link::toWire(options_.topic);
        QByteArray line;
        if (!send(link::reply(link::kInitiate, topic)) || !nextReply(&line)) {
            return false;
        }
        if (line == link::fields(link::kAck, link::kInitiate)) {
            return true;
        }
        const link::Line parts = link::splitLine(line);
        const QByteArray refused = link::kInitiate;
        if (parts.verb == link::kNack &&
            (parts.argument == refused || parts.argument.startsWith(refused + '\t'))) {
            const QString reason = link::fromWire(parts.argument.mid(refused.size() + 1));
            return fail(kExitRefused,
                        QStringLiteral("%1 refused the topic %2%3")
                            .arg(service(), quoted(options_.topic),
                                 reason.isEmpty() ? QString() : QStringLiteral(": ") + reason));
        }
        return unexpected(line);
    }

    // The present text of an item, by REQUEST.
    bool request(Item &item, QByteArray *text) {
        QByteArray line;
        awaiting_ = &item;
        const bool answered = send(link::reply(link::kRequest, item.wire)) && nextReply(&line);
        awaiting_ = nullptr;
        if (!answered) {
            return false;
        }
        const QByteArray data = link::fields(link::kData, item.wire).append('\t');
        if (line.startsWith(data)) {
            *text = line.mid(data.size());
            return true;
        }
        if (line == link::fields(link::kNack, link::kRequest, item.wire)) {
            return fail(kExitRefused,
                        QStringLiteral("%1 refused the item %2").arg(service(), quoted(item.name)),
                        true);
        }
        return unexpected(line);
    }

    bool converse() {
        switch (options_.verb) {
            case Verb::Request:
                return requestAll();
            case Verb::Advise:
                return adviseAll() && stream();
            case Verb::Execute:
                return execute(options_.items.front());
        }
        return false;
    }

    // Has the service run a command: ACK, or NACK with the reason (none on a topic that runs
    // no commands).
    bool execute(const QString &name) {
        const QByteArray command = link::toWire(name);
        QByteArray line;
        if (!send(link::reply(link::kExecute, command)) || !nextReply(&line)) {
            return false;
        }
        if (line == link::fields(link::kAck, link::kExecute, command)) {
            return true;
        }
        const QByteArray bare = link::fields(link::kNack, link::kExecute);
        const QByteArray named = link::fields(link::kNack, link::kExecute, command);
        if (line != bare && line != named && !line.startsWith(named + '\t')) {
            return unexpected(line);
        }
        const QString reason = link::fromWire(line.mid(named.size() + 1));
        return fail(kExitRefused,
                    QStringLiteral("%1 refused the command %2%3")
                        .arg(service(), quoted(name),
                             reason.isEmpty() ? QString() : QStringLiteral(": ") + reason),
                    true);
    }

    bool requestAll() {
        for (Item &item : items_) {
            QByteArray text;
            if (!request(item, &text) || !print(link::fromWire(text))) {
                return false;
            }
        }
        return true;
    }

    // Advises every item first, then requests their present texts: a change that comes
    // between the two is then pushed, not missed.
    bool adviseAll() {
        advising_ = true;
        for (Item &item : items_) {
            QByteArray line;
            if (!send(link::reply(link::kAdvise, item.wire)) || !nextReply(&line)) {
                return false;
            }
            if (line == link::fields(link::kNack, link::kAdvise, item.wire)) {
                return fail(
                    kExitRefused,
                    QStringLiteral("%1 refused the item %2").arg(service(), quoted(item.name)),
                    true);
            }
            if (line != link::fields(link::kAck, link::kAdvise, item.wire)) {
                return unexpected(line);
            }
        }
        for (Item &item : items_) {
            QByteArray text;
            if (!request(item, &text)) {
                return false;
            }
            item.printed = true;
            item.lastText = text;
            if (!print(item.name + QLatin1Char('\t') + link::fromWire(text))) {
                return false;
            }
        }
        for (const auto &[item, text] : queued_) {
            if (!printChange(*item, text)) {
                return false;
            }
        }
        queued_.clear();
        return true;
    }

    // Prints pushes until --count lines are out, the service goes away or a signal comes.
    bool stream() {
        for (;;) {
            QByteArray line;
            switch (readLine(&line, std::nullopt)) {
                case Got::Line:
                    break;
                case Got::Closed:
                    return fail(kExitLost, QStringLiteral("%1 went away").arg(service()));
                case Got::TimedOut:  // no deadline: never
                case Got::Broken:
                    return fail(kExitLost, QStringLiteral("lost the connection to %1: %2")
                                               .arg(service(), brokenReason_));
                case Got::Interrupted:
                    return interrupted();
            }
            bool handled = false;
            if (!takePush(line, &handled)) {
                return false;
            }
            if (!handled) {
                return unexpected(line);
            }
        }
    }

    // A push repeating the text last printed for its item is no change: a push queued just
    // before the request that answered with the same text.
    bool printChange(Item &item, const QByteArray &text) {
        if (text == item.lastText) {
            return true;
        }
        item.lastText = text;
        return print(item.name + QLatin1Char('\t') + link::fromWire(text));
    }

    bool print(const QString &text) {
        const QByteArray bytes = text.toLocal8Bit() + '\n';
        if (std::fwrite(bytes.constData(), 1, static_cast<size_t>(bytes.size()), out_) !=
                static_cast<size_t>(bytes.size()) ||
            std::fflush(out_) != 0) {
            return fail(kExitLost,
                        QStringLiteral("cannot write the output: %1")
                            .arg(QString::fromLocal8Bit(std::strerror(errno))),
                        true);
        }
        ++printed_;
        if (options_.count > 0 && printed_ >= options_.count) {
            return stop(kExitOk);
        }
        return true;
    }

    // Says goodbye and waits for the service to confirm it, within the reply deadline; what
    // comes meanwhile no longer matters.
    void terminate() {
        polite_ = false;
        if (!write(QByteArray(link::kTerminate) + '\n')) {
            return;
        }
        const auto deadline = Clock::now() + std::chrono::seconds(kReplySeconds);
        QByteArray line;
        while (readLine(&line, deadline) == Got::Line) {
            if (line == link::fields(link::kAck, link::kTerminate)) {
                return;
            }
        }
    }

    const Options &options_;
    std::FILE *out_;
    std::FILE *err_;
    std::vector<Item> items_;
    int fd_ = -1;
    QByteArray buffer_;
    bool closed_ = false;
    QString brokenReason_;
    int status_ = kExitOk;
    bool polite_ = false;
    bool advising_ = false;
    Item *awaiting_ = nullptr;
    std::vector<std::pair<Item *, QByteArray>> queued_;
    int printed_ = 0;
};

}  // namespace

bool catchInterrupts() {
    if (interruptPipe[0] < 0 && ::pipe2(interruptPipe, O_CLOEXEC | O_NONBLOCK) != 0) {
        return false;
    }
    struct sigaction action {};
    action.sa_handler = onInterrupt;
    sigemptyset(&action.sa_mask);
    // No SA_RESTART: a blocked send() returns so the signal is seen.
    action.sa_flags = 0;
    return ::sigaction(SIGINT, &action, nullptr) == 0 &&
           ::sigaction(SIGTERM, &action, nullptr) == 0;
}

int runConversation(const Options &options, const QString &socketPath, std::FILE *out,
                    std::FILE *err) {
    Conversation conversation(options, out, err);
    return conversation.run(socketPath);
}

}  // namespace zeldde
