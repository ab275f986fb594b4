// A client of the live-value service on the test's own event loop: sends raw bytes and
// collects the lines that come back. Waits end as soon as what they wait for happens; the
// deadline is only reached when a test fails.
#pragma once

#include <QByteArray>
#include <QLocalSocket>
#include <QTest>
#include <deque>

namespace zeltest {

class LinkLineClient {
  public:
    static constexpr int kDeadlineMs = 10000;

    explicit LinkLineClient(const QString &path) {
        QObject::connect(&socket_, &QLocalSocket::readyRead, [this] {
            while (socket_.canReadLine()) {
                QByteArray line = socket_.readLine();
                line.chop(1);
                lines_.push_back(line);
            }
        });
        socket_.connectToServer(path);
    }

    void send(const QByteArray &bytes) {
        socket_.write(bytes);
        socket_.flush();
    }
    void sendLine(const QByteArray &line) { send(line + '\n'); }

    // The next line from the service; "<none>" when none came.
    QByteArray next() {
        if (!QTest::qWaitFor([this] { return !lines_.empty() || closed(); }, kDeadlineMs) ||
            lines_.empty()) {
            return "<none>";
        }
        QByteArray line = lines_.front();
        lines_.pop_front();
        return line;
    }
    // Sends a line and returns the answer.
    QByteArray ask(const QByteArray &line) {
        sendLine(line);
        return next();
    }

    bool closed() const { return socket_.state() == QLocalSocket::UnconnectedState; }
    bool waitClosed() {
        return QTest::qWaitFor([this] { return closed(); }, kDeadlineMs);
    }
    bool waitConnected() {
        return QTest::qWaitFor(
                   [this] { return socket_.state() == QLocalSocket::ConnectedState || closed(); },
                   kDeadlineMs) &&
               !closed();
    }
    QLocalSocket &socket() { return socket_; }

  private:
    QLocalSocket socket_;
    std::deque<QByteArray> lines_;
};

}  // namespace zeltest
