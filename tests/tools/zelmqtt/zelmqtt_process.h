// The real zelmqtt as a child of the test: started with the test's options and its own config
// folder, its log lines collected, stopped (or killed) by its process id.
#pragma once

#include <signal.h>
#include <QDeadlineTimer>
#include <QProcess>
#include <QStringList>

namespace zeltest {

class ZelmqttProcess {
  public:
    static constexpr int kDeadlineMs = 15000;

    // `home` becomes its HOME and XDG folders: no configuration of the user's is read.
    explicit ZelmqttProcess(const QString &home) {
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(QStringLiteral("HOME"), home);
        env.insert(QStringLiteral("XDG_CONFIG_HOME"), home + QStringLiteral("/config"));
        env.insert(QStringLiteral("XDG_DATA_HOME"), home + QStringLiteral("/data"));
        env.insert(QStringLiteral("XDG_RUNTIME_DIR"), home + QStringLiteral("/runtime"));
        env.remove(QStringLiteral("ZEL_PARTS_DB"));
        process_.setProcessEnvironment(env);
        process_.setProcessChannelMode(QProcess::MergedChannels);
    }
    ~ZelmqttProcess() { kill(); }
    void setEnv(const QString &name, const QString &value) {
        QProcessEnvironment env = process_.processEnvironment();
        env.insert(name, value);
        process_.setProcessEnvironment(env);
    }

    bool start(const QStringList &args) {
        log_.clear();
        process_.start(QStringLiteral(ZELMQTT_PATH), args);
        return process_.waitForStarted(kDeadlineMs);
    }
    // SIGTERM by pid; the exit status, -1 when it did not end normally.
    int stop() {
        if (process_.state() == QProcess::NotRunning) {
            return -1;
        }
        ::kill(pid_t(process_.processId()), SIGTERM);
        if (!process_.waitForFinished(kDeadlineMs)) {
            kill();
            return -1;
        }
        collect();
        return process_.exitStatus() == QProcess::NormalExit ? process_.exitCode() : -1;
    }
    // Waits for an exit of its own; the exit status, -1 when it did not end normally in time.
    int waitExit() {
        if (!process_.waitForFinished(kDeadlineMs)) {
            kill();
            return -1;
        }
        collect();
        return process_.exitStatus() == QProcess::NormalExit ? process_.exitCode() : -1;
    }
    void kill() {
        if (process_.state() != QProcess::NotRunning) {
            ::kill(pid_t(process_.processId()), SIGKILL);
            process_.waitForFinished(kDeadlineMs);
        }
        collect();
    }
    void pause() { ::kill(pid_t(process_.processId()), SIGSTOP); }
    void resume() { ::kill(pid_t(process_.processId()), SIGCONT); }

    // Waits until the log holds `text` at least `times` times.
    bool waitForLog(const QString &text, int times = 1) {
        const QDeadlineTimer deadline(kDeadlineMs);
        while (log_.count(text) < times) {
            if (deadline.hasExpired() || process_.state() == QProcess::NotRunning) {
                collect();
                return log_.count(text) >= times;
            }
            process_.waitForReadyRead(100);
            collect();
        }
        return true;
    }
    const QString &log() {
        collect();
        return log_;
    }

  private:
    void collect() { log_ += QString::fromUtf8(process_.readAll()); }

    QProcess process_;
    QString log_;
};

}  // namespace zeltest
