// The real zelapp as an operator starts it, for integration tests: a private program folder
// (zelapp, libzelcomm.so, zelapp.ini with the defaults so that no start-up message waits, the
// two-probe setup and its part program), private settings, data, runtime and service folders,
// the offscreen platform, its output in a file. start() waits for its live-value service and the
// unit's first reading (never a blind sleep); the test stops it by its process id.
#pragma once

#include <gtest/gtest.h>
#include <signal.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QProcessEnvironment>
#include <QTest>
#include <cstring>
#include <filesystem>
#include <memory>

#include "base/app_state.h"
#include "core/ini_file.h"
#include "exchange/link_address.h"
#include "link_line_client.h"
#include "temp_folder.h"
#include "two_probe_setup.h"

namespace zeltest {

class ZelappProcess {
  public:
    // Only a bound for failures (generous for the sanitizer build).
    static constexpr int kDeadlineMs = 60000;

    // `devices`: the folder zel8d serves.
    explicit ZelappProcess(const std::string &devices) : devices_(devices) {}
    ~ZelappProcess() {
        if (process_.state() != QProcess::NotRunning) {
            process_.kill();
            process_.waitForFinished(kDeadlineMs);
        }
    }

    QString folder() const { return qs(program_.path()); }
    QString path(const QString &name) const { return QDir(folder()).filePath(name); }
    QString setupPath() const { return path(QStringLiteral("shaft.zel")); }
    QString settingsFolder() const { return qs(config_.path()); }
    QString socketPath() const {
        return zelapp::linkSocketPath(qs(service_.path()), QStringLiteral("zelapp"));
    }
    QProcess &process() { return process_; }
    std::string output() const {
        QFile log(path(QStringLiteral("zelapp.log")));
        return log.open(QIODevice::ReadOnly) ? log.readAll().toStdString() : std::string();
    }

    // The program folder as installed; the part program measures both channels, started by
    // the service, with no settling time.
    void install() {
        namespace fs = std::filesystem;
        for (const auto &[from, name] :
             {std::pair{fs::path(ZELAPP_PATH), "zelapp"},
              std::pair{fs::path(ZELCOMM_DIR) / "libzelcomm.so", "libzelcomm.so"}}) {
            std::error_code error;
            ASSERT_TRUE(fs::copy_file(from, fs::path(program_.path()) / name, error))
                << from << ": " << error.message();
        }
        QString error;
        ASSERT_TRUE(
            zelapp::writeIniFile(path(QStringLiteral("zelapp.ini")), zelapp::AppState{}, &error))
            << error.toStdString();
        writeFile(setupPath(), kTwoProbeSetup);
        writeFile(path(QStringLiteral("shaft.zpart")),
                  "[Part]\r\nNumber=SH-1\r\nCharacteristics=1,2\r\nSettleTime=0\r\n");
    }

    // Starts it with `arguments` (and `environment` over the private one), waits for its service
    // and for channel 1 to show `firstValue`, and opens a conversation on Part with `count`
    // linked.
    void start(const QStringList &arguments, const QByteArray &firstValue,
               const QProcessEnvironment &environment = {}) {
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
        env.insert(QStringLiteral("ZEL_DEVICE_DIR"), qs(devices_));
        env.insert(QStringLiteral("XDG_RUNTIME_DIR"), qs(runtime_.path()));
        env.insert(QStringLiteral("XDG_CONFIG_HOME"), qs(config_.path()));
        env.insert(QStringLiteral("XDG_DATA_HOME"), qs(data_.path()));
        env.insert(QStringLiteral("HOME"), qs(home_.path()));
        env.insert(QStringLiteral("ZEL_DDE_DIR"), qs(service_.path()));
        env.remove(QStringLiteral("ZEL_PARTS_DB"));
        env.insert(environment);
        process_.setProcessEnvironment(env);
        // A socket left by a killed run would look like the new one listening.
        QFile::remove(socketPath());
        process_.setWorkingDirectory(folder());
        // To a file: a pipe nobody reads could fill up and stop the program.
        process_.setStandardOutputFile(path(QStringLiteral("zelapp.log")));
        process_.setProcessChannelMode(QProcess::MergedChannels);
        process_.start(path(QStringLiteral("zelapp")), arguments);
        ASSERT_TRUE(process_.waitForStarted(kDeadlineMs));
        ASSERT_TRUE(QTest::qWaitFor(
            [&] {
                return QFileInfo::exists(socketPath()) || process_.state() == QProcess::NotRunning;
            },
            kDeadlineMs));
        ASSERT_EQ(process_.state(), QProcess::Running) << output();

        // The unit has been read once the channel shows its value instead of "DDE".
        LinkLineClient display(socketPath());
        ASSERT_TRUE(display.waitConnected()) << output();
        ASSERT_EQ(display.ask("INITIATE\tDisplay"), "ACK\tINITIATE");
        ASSERT_EQ(display.ask("ADVISE\tlabelChan(1)"), "ACK\tADVISE\tlabelChan(1)");
        for (QByteArray line = display.ask("REQUEST\tlabelChan(1)");
             line != "DATA\tlabelChan(1)\t" + firstValue; line = display.next()) {
            ASSERT_TRUE(line.startsWith("DATA\tlabelChan(1)\t")) << line.toStdString();
        }

        part_ = std::make_unique<LinkLineClient>(socketPath());
        ASSERT_TRUE(part_->waitConnected());
        ASSERT_EQ(part_->ask("INITIATE\tPart"), "ACK\tINITIATE");
        ASSERT_EQ(part_->ask("ADVISE\tcount"), "ACK\tADVISE\tcount");
        seenCount_ = 0;
    }

    // Measures `count` parts through the service, each to the push of its count.
    void measureParts(int count) {
        for (int n = 0; n < count; ++n) {
            part_->sendLine("EXECUTE\tMeasure");
            const qint64 before = seenCount_;
            for (QByteArray line = part_->next(); line != "ACK\tEXECUTE\tMeasure";
                 line = part_->next()) {
                ASSERT_TRUE(line.startsWith("DATA\t")) << line.toStdString() << "\n" << output();
                noteCount(line);
            }
            while (seenCount_ <= before) {
                const QByteArray line = part_->next();
                ASSERT_TRUE(line.startsWith("DATA\t")) << line.toStdString() << "\n" << output();
                noteCount(line);
            }
        }
    }
    qint64 seenCount() const { return seenCount_; }

    // Sends `signal` by pid and waits for the end; its exit code, -1 for a crash or no end.
    int signalAndWait(int signal) {
        ::kill(pid_t(process_.processId()), signal);
        if (!process_.waitForFinished(kDeadlineMs) ||
            process_.exitStatus() != QProcess::NormalExit) {
            return -1;
        }
        return process_.exitCode();
    }

  private:
    static QString qs(const std::string &text) { return QString::fromStdString(text); }
    static void writeFile(const QString &file, const char *text) {
        QFile out(file);
        ASSERT_TRUE(out.open(QIODevice::WriteOnly));
        ASSERT_EQ(out.write(text), static_cast<qint64>(std::strlen(text)));
    }
    void noteCount(const QByteArray &line) {
        if (line.startsWith("DATA\tcount\t")) {
            seenCount_ = line.mid(11).toLongLong();
        }
    }

    std::string devices_;
    TempFolder program_, config_, runtime_, data_, home_, service_;
    QProcess process_;
    std::unique_ptr<LinkLineClient> part_;
    qint64 seenCount_ = 0;
};

}  // namespace zeltest
