// The real zeldde against the real program: zelapp started as an operator starts it, from a
// program folder of its own with a setup of two channels, against zel8d, its service in a
// private socket folder.
#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QProcessEnvironment>
#include <cstring>
#include <filesystem>
#include <map>

#include "app/two_probe_setup.h"
#include "base/app_state.h"
#include "core/ini_file.h"
#include "emulator_process.h"
#include "temp_folder.h"

namespace {

namespace fs = std::filesystem;

// Only a bound for failures: every wait ends as soon as what it waits for happens.
constexpr int kDeadlineMs = 30000;

// The setup is zeltest::kTwoProbeSetup: channel 1 is T1+T2 at 4 decimals, channel 2 T1-T2 at 3.

// The texts while T1 = 0.0123 and T2 = -0.004, and after T2 becomes 0.002.
const QString kChannel1 = QStringLiteral(" 0.0083");
const QString kChannel2 = QStringLiteral(" 0.016");
const QString kChannel1After = QStringLiteral(" 0.0143");
const QString kChannel2After = QStringLiteral(" 0.010");

QString qs(const std::string &text) {
    return QString::fromStdString(text);
}

QStringList args(std::initializer_list<const char *> list) {
    QStringList result;
    for (const char *arg : list) {
        result.append(QString::fromUtf8(arg));
    }
    return result;
}

struct Outcome {
    int status = -1;  // -1: did not end by itself
    QString out;
    QString err;
};

// Lines a running zeldde printed, up to `count`, waiting for each within the deadline.
QStringList readLines(QProcess &process, int count, QElapsedTimer &clock) {
    QStringList lines;
    while (lines.size() < count) {
        if (process.canReadLine()) {
            QByteArray line = process.readLine();
            line.chop(1);
            lines.append(QString::fromUtf8(line));
        } else if (clock.elapsed() >= kDeadlineMs ||
                   !process.waitForReadyRead(static_cast<int>(kDeadlineMs - clock.elapsed()))) {
            break;
        }
    }
    return lines;
}

class ZelddeWithApp : public ::testing::Test {
  protected:
    zeltest::TempFolder devices, program, config, runtime, dde, logs;
    zeltest::EmulatorProcess emulator{ZEL8D_PATH, devices.path()};
    QProcess app;

    void SetUp() override {
        ASSERT_TRUE(emulator.start({"--set", "T1=0.0123", "--set", "T2=-0.004"}))
            << emulator.errors();
        ASSERT_NO_FATAL_FAILURE(makeProgramFolder());
        startApp();
        ASSERT_NO_FATAL_FAILURE(waitForFirstReadings());
    }

    void TearDown() override {
        if (app.state() != QProcess::NotRunning) {
            // On SIGTERM the program closes without asking anything.
            app.terminate();
            if (!app.waitForFinished(kDeadlineMs)) {
                app.kill();
                app.waitForFinished();
            }
        }
    }

    // The program folder as installed: copies of the program, the library and the icon (the
    // program finds its folder through its own resolved path), zelapp.ini with the default
    // settings so that start-up shows no message, and the setup.
    void makeProgramFolder() {
        const fs::path folder = program.path();
        const fs::path zelapp = ZELAPP_PATH;
        for (const auto &[from, name] :
             {std::pair{zelapp, "zelapp"},
              std::pair{fs::path(ZELCOMM_DIR) / "libzelcomm.so", "libzelcomm.so"},
              std::pair{zelapp.parent_path() / "zelicon.ico", "zelicon.ico"}}) {
            std::error_code error;
            ASSERT_TRUE(fs::copy_file(from, folder / name, error))
                << from << ": " << error.message();
        }
        QString error;
        ASSERT_TRUE(
            zelapp::writeIniFile(QDir(qs(program.path())).filePath(QStringLiteral("zelapp.ini")),
                                 zelapp::AppState{}, &error))
            << error.toStdString();
        QFile setup(setupPath());
        ASSERT_TRUE(setup.open(QIODevice::WriteOnly));
        ASSERT_EQ(setup.write(zeltest::kTwoProbeSetup),
                  static_cast<qint64>(std::strlen(zeltest::kTwoProbeSetup)));
    }

    QString setupPath() const {
        return QDir(qs(program.path())).filePath(QStringLiteral("shaft.zel"));
    }
    QString logPath() const { return QDir(qs(logs.path())).filePath(QStringLiteral("zelapp.log")); }
    QString socketFolder() const { return qs(dde.path()); }

    void startApp() {
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
        env.insert(QStringLiteral("ZEL_DEVICE_DIR"), qs(devices.path()));
        env.insert(QStringLiteral("XDG_RUNTIME_DIR"), qs(runtime.path()));
        env.insert(QStringLiteral("XDG_CONFIG_HOME"), qs(config.path()));
        env.insert(QStringLiteral("ZEL_DDE_DIR"), socketFolder());
        app.setProcessEnvironment(env);
        app.setWorkingDirectory(qs(program.path()));
        // To a file: a pipe nobody reads could fill up and stop the program.
        app.setStandardOutputFile(logPath());
        app.setProcessChannelMode(QProcess::MergedChannels);
        app.start(QDir(qs(program.path())).filePath(QStringLiteral("zelapp")), {setupPath()});
    }

    std::string appOutput() const {
        QFile log(logPath());
        return log.open(QIODevice::ReadOnly) ? log.readAll().toStdString() : std::string();
    }

    void startZeldde(QProcess &zeldde, const QStringList &arguments) const {
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(QStringLiteral("ZEL_DDE_DIR"), socketFolder());
        zeldde.setProcessEnvironment(env);
        zeldde.start(QStringLiteral(ZELDDE_PATH), arguments);
    }

    Outcome zeldde(const QStringList &arguments) const {
        QProcess process;
        startZeldde(process, arguments);
        Outcome run;
        if (!process.waitForFinished(kDeadlineMs)) {
            process.kill();
            process.waitForFinished();
        } else if (process.exitStatus() == QProcess::NormalExit) {
            run.status = process.exitCode();
        }
        run.out = QString::fromUtf8(process.readAllStandardOutput());
        run.err = QString::fromUtf8(process.readAllStandardError());
        return run;
    }

    // Waits, through zeldde itself, for the service to come up and the channels to be read
    // once (they show "DDE" until then); stops that zeldde with SIGTERM, which ends an advise
    // with status 0.
    void waitForFirstReadings() {
        QProcess watcher;
        startZeldde(watcher, args({"--wait", "30", "advise", "labelChan(1)", "labelChan(2)"}));
        QElapsedTimer clock;
        clock.start();
        std::map<QString, QString> texts;
        while (texts[QStringLiteral("labelChan(1)")] != kChannel1 ||
               texts[QStringLiteral("labelChan(2)")] != kChannel2) {
            const QStringList lines = readLines(watcher, 1, clock);
            ASSERT_EQ(lines.size(), 1)
                << "no reading came; zeldde: " << watcher.readAllStandardError().toStdString()
                << "\nzelapp: " << appOutput();
            const QStringList fields = lines.front().split(QLatin1Char('\t'));
            ASSERT_EQ(fields.size(), 2) << lines.front().toStdString();
            texts[fields[0]] = fields[1];
        }
        watcher.terminate();
        ASSERT_TRUE(watcher.waitForFinished(kDeadlineMs));
        EXPECT_EQ(watcher.exitStatus(), QProcess::NormalExit);
        EXPECT_EQ(watcher.exitCode(), 0) << watcher.readAllStandardError().toStdString();
    }
};

TEST_F(ZelddeWithApp, RequestPrintsEachTextExactlyOnALineOfItsOwn) {
    const Outcome run = zeldde(args({"request", "labelChan(2)", "labelChan(1)", "LABELCHAN(1)"}));
    EXPECT_EQ(run.status, 0) << run.err.toStdString();
    EXPECT_EQ(run.out, kChannel2 + QLatin1Char('\n') + kChannel1 + QLatin1Char('\n') + kChannel1 +
                           QLatin1Char('\n'));
    EXPECT_EQ(run.err, QString());

    // Links as the program copies them; the service name matches without regard to case.
    const Outcome links =
        zeldde(args({"request", "zelapp|Display!labelChan(1)", "ZELAPP|display!labelChan(2)"}));
    EXPECT_EQ(links.status, 0) << links.err.toStdString();
    EXPECT_EQ(links.out, kChannel1 + QLatin1Char('\n') + kChannel2 + QLatin1Char('\n'));
}

TEST_F(ZelddeWithApp, AdvisePrintsThePresentTextsThenEveryChange) {
    QProcess watcher;
    startZeldde(watcher, args({"advise", "--count", "4", "labelChan(1)", "labelChan(2)"}));
    QElapsedTimer clock;
    clock.start();
    // The present texts come in the order asked for, once both hot links stand.
    const QStringList present = readLines(watcher, 2, clock);
    ASSERT_EQ(present, QStringList({QStringLiteral("labelChan(1)\t") + kChannel1,
                                    QStringLiteral("labelChan(2)\t") + kChannel2}))
        << watcher.readAllStandardError().toStdString();

    ASSERT_EQ(emulator.control({"set", "T2", "0.002"}).rfind("OK", 0), 0u);
    ASSERT_TRUE(watcher.waitForFinished(kDeadlineMs)) << "no change came";
    EXPECT_EQ(watcher.exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(watcher.exitCode(), 0) << watcher.readAllStandardError().toStdString();
    // Both channels change in the same tick; their lines may come in either order.
    QStringList changes = readLines(watcher, 3, clock);
    changes.sort();
    EXPECT_EQ(changes, QStringList({QStringLiteral("labelChan(1)\t") + kChannel1After,
                                    QStringLiteral("labelChan(2)\t") + kChannel2After}));

    // --count counts the present texts too; a link names its item by the item alone.
    const Outcome once = zeldde(args({"advise", "--count", "1", "zelapp|Display!labelChan(2)"}));
    EXPECT_EQ(once.status, 0) << once.err.toStdString();
    EXPECT_EQ(once.out, QStringLiteral("labelChan(2)\t") + kChannel2After + QLatin1Char('\n'));
}

TEST_F(ZelddeWithApp, AdviseEndsWithStatus4WhenTheProgramCloses) {
    QProcess watcher;
    startZeldde(watcher, args({"advise", "labelChan(1)"}));
    QElapsedTimer clock;
    clock.start();
    ASSERT_EQ(readLines(watcher, 1, clock).size(), 1)
        << watcher.readAllStandardError().toStdString();

    app.terminate();
    ASSERT_TRUE(app.waitForFinished(kDeadlineMs)) << appOutput();
    ASSERT_TRUE(watcher.waitForFinished(kDeadlineMs));
    EXPECT_EQ(watcher.exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(watcher.exitCode(), 4);
    const QString err = QString::fromUtf8(watcher.readAllStandardError());
    EXPECT_TRUE(err.startsWith(QStringLiteral("zeldde: "))) << err.toStdString();
    EXPECT_TRUE(err.contains(QStringLiteral("\"zelapp\""))) << err.toStdString();

    // With the program gone, so is its service.
    const Outcome after = zeldde(args({"request", "labelChan(1)"}));
    EXPECT_EQ(after.status, 2) << after.err.toStdString();
}

TEST_F(ZelddeWithApp, RefusedTopicsAndItemsEndWithStatus3) {
    const Outcome item =
        zeldde(args({"request", "labelChan(1)", "labelChan(999)", "labelChan(2)"}));
    EXPECT_EQ(item.status, 3);
    // What came before the refused item is out; nothing after it.
    EXPECT_EQ(item.out, kChannel1 + QLatin1Char('\n'));
    EXPECT_TRUE(item.err.startsWith(QStringLiteral("zeldde: "))) << item.err.toStdString();
    EXPECT_TRUE(item.err.contains(QStringLiteral("labelChan(999)"))) << item.err.toStdString();

    const Outcome advised =
        zeldde(args({"advise", "--count", "5", "labelChan(1)", "labelChan(0)"}));
    EXPECT_EQ(advised.status, 3);
    EXPECT_EQ(advised.out, QString());
    EXPECT_TRUE(advised.err.contains(QStringLiteral("labelChan(0)"))) << advised.err.toStdString();

    const Outcome topic = zeldde(args({"request", "--topic", "Values", "labelChan(1)"}));
    EXPECT_EQ(topic.status, 3);
    EXPECT_EQ(topic.out, QString());
    EXPECT_TRUE(topic.err.contains(QStringLiteral("\"Values\""))) << topic.err.toStdString();
    // The program's reason follows the topic.
    EXPECT_TRUE(topic.err.contains(QStringLiteral("\"Values\": "))) << topic.err.toStdString();

    // The refusals left the service as it was.
    const Outcome still = zeldde(args({"request", "labelChan(1)"}));
    EXPECT_EQ(still.status, 0) << still.err.toStdString();
    EXPECT_EQ(still.out, kChannel1 + QLatin1Char('\n'));
}

TEST_F(ZelddeWithApp, ARemoteMeasureIsAckedAndTheCountThenTheVerdictFollow) {
    // The count is followed before the cycle starts, so that its change cannot be missed.
    QProcess watcher;
    startZeldde(watcher, args({"advise", "--count", "2", "zelapp|Part!count"}));
    QElapsedTimer clock;
    clock.start();
    ASSERT_EQ(readLines(watcher, 1, clock), QStringList({QStringLiteral("count\t0")}))
        << watcher.readAllStandardError().toStdString();

    const Outcome measure = zeldde(args({"execute", "Measure"}));
    EXPECT_EQ(measure.status, 0) << measure.err.toStdString();
    EXPECT_EQ(measure.out, QString());
    ASSERT_EQ(readLines(watcher, 1, clock), QStringList({QStringLiteral("count\t1")}))
        << watcher.readAllStandardError().toStdString() << appOutput();
    ASSERT_TRUE(watcher.waitForFinished(kDeadlineMs));
    EXPECT_EQ(watcher.exitCode(), 0);

    // Channel 1 reads 0.0083 (a warning), channel 2 0.016 (a reject, upper side).
    const Outcome part = zeldde(args(
        {"--topic", "part", "request", "verdict", "Result(1)", "result(2)", "reason", "state"}));
    EXPECT_EQ(part.status, 0) << part.err.toStdString();
    EXPECT_EQ(part.out, QStringLiteral("R+\n") + kChannel1.trimmed() + QLatin1Char('\n') +
                            kChannel2.trimmed() + QStringLiteral("\n\nRESULT\n"));

    // No cycle runs now; the topic Display runs no commands.
    const Outcome cancel = zeldde(args({"execute", "cancel"}));
    EXPECT_EQ(cancel.status, 3);
    EXPECT_EQ(
        cancel.err,
        QStringLiteral("zeldde: service \"zelapp\" refused the command \"cancel\": no cycle\n"));
    EXPECT_EQ(zeldde(args({"--topic", "Display", "execute", "Measure"})).status, 3);
}

TEST_F(ZelddeWithApp, AnAbsentServiceEndsWithStatus2NamingItsSocket) {
    const Outcome option = zeldde(args({"request", "--service", "nosuch", "labelChan(1)"}));
    EXPECT_EQ(option.status, 2);
    EXPECT_EQ(option.out, QString());
    EXPECT_TRUE(option.err.startsWith(QStringLiteral("zeldde: "))) << option.err.toStdString();
    EXPECT_TRUE(option.err.contains(QStringLiteral("\"nosuch\""))) << option.err.toStdString();
    EXPECT_TRUE(option.err.contains(QDir(socketFolder()).filePath(QStringLiteral("nosuch"))))
        << option.err.toStdString();

    // The socket of a linked service is found by its name in lower case.
    const Outcome link = zeldde(args({"--wait", "1", "advise", "Other|Display!labelChan(1)"}));
    EXPECT_EQ(link.status, 2);
    EXPECT_TRUE(link.err.contains(QDir(socketFolder()).filePath(QStringLiteral("other"))))
        << link.err.toStdString();

    // A usage error is found before any service is asked.
    EXPECT_EQ(zeldde(args({"request", "--service", "nosuch", "zelapp|Display!x"})).status, 1);
}

}  // namespace

int main(int argc, char **argv) {
    // QProcess wants an application object; its waits need no event loop.
    QCoreApplication application(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
