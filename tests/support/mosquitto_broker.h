// A private Mosquitto broker for a test: a free loopback port, a configuration file the test
// writes (listener on 127.0.0.1 only, persistence off), started and waited for until it accepts
// a connection, stopped by its process id. Restarting keeps the port.
#pragma once

#include <QString>
#include <QStringList>

namespace zeltest {

class MosquittoBroker {
  public:
    // The mosquitto program, or empty when it is not installed (the test is then skipped).
    static QString program();

    // `folder` holds the configuration and the log. `extraConfig` lines go into the listener's
    // section: a password file, TLS files.
    explicit MosquittoBroker(const QString &folder, QStringList extraConfig = {});
    ~MosquittoBroker();
    MosquittoBroker(const MosquittoBroker &) = delete;
    MosquittoBroker &operator=(const MosquittoBroker &) = delete;

    // Starts it (on the same port after a stop) and waits until it accepts a connection. False
    // when it exited or did not listen in time; why is in log().
    bool start();
    // SIGTERM by pid, then waits for it.
    void stop();
    bool running() const { return pid_ > 0; }
    long long pid() const { return pid_; }

    int port() const { return port_; }
    // "tcp://127.0.0.1:<port>"
    QString uri() const;
    // An extra listener's port (a second one for plain subscribers beside a TLS listener).
    int extraPort() const { return extraPort_; }
    // Adds a plain anonymous listener on another free port before start().
    void addPlainListener();
    QString log() const;

  private:
    QString folder_;
    QStringList extraConfig_;
    int port_ = 0;
    int extraPort_ = 0;
    long long pid_ = -1;
};

// A free TCP port on 127.0.0.1, as the system hands it out now.
int freeLoopbackPort();

}  // namespace zeltest
