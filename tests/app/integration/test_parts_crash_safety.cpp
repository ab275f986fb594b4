// The parts' history survives the program being killed: the real zelapp, started as an operator
// starts it on zel8d, measures parts asked for through the live-value service and is killed
// with SIGKILL at moments the test chooses from what it sees (a `count` pushed, the program's
// own end inside a commit), never after a wait of guessed length. Afterwards every part whose
// count was seen is in the file, a part killed inside its commit is not, and the file is whole;
// also when another program (the sqlite3 shell) opened and closed the file between parts.
#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QProcessEnvironment>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <QTest>
#include <QUuid>
#include <cstring>
#include <filesystem>
#include <limits>
#include <memory>

#include "base/app_state.h"
#include "core/ini_file.h"
#include "emulator_process.h"
#include "exchange/link_address.h"
#include "history/part_store.h"
#include "history_locks.h"
#include "link_line_client.h"
#include "temp_folder.h"
#include "two_probe_setup.h"

using namespace Qt::StringLiterals;

namespace {

namespace fs = std::filesystem;

// Only a bound for failures (generous for the sanitizer build): every wait ends as soon as what
// it waits for happens.
constexpr int kDeadlineMs = 60000;

QString qs(const std::string &text) {
    return QString::fromStdString(text);
}

// What a SQLite connection of its own says of the file: its integrity check and its parts.
struct FileCheck {
    QString integrity;
    qint64 parts = -1;
};

FileCheck checkFile(const QString &file) {
    FileCheck check;
    const QString name = QUuid::createUuid().toString();
    {
        QSqlDatabase db = QSqlDatabase::addDatabase(u"QSQLITE"_s, name);
        db.setDatabaseName(file);
        if (db.open()) {
            QSqlQuery query(db);
            if (query.exec(u"PRAGMA integrity_check"_s) && query.next()) {
                check.integrity = query.value(0).toString();
            }
            if (query.exec(u"SELECT COUNT(*) FROM parts"_s) && query.next()) {
                check.parts = query.value(0).toLongLong();
            }
        }
    }
    QSqlDatabase::removeDatabase(name);
    return check;
}

class PartsCrashSafety : public ::testing::Test {
  protected:
    zeltest::TempFolder devices, program, config, runtime, data, dde, work;
    zeltest::EmulatorProcess emulator{ZEL8D_PATH, devices.path()};
    QProcess app;
    std::unique_ptr<zeltest::LinkLineClient> part;
    qint64 seenCount = 0;  // the last `count` the service pushed

    void SetUp() override {
        ASSERT_TRUE(emulator.start({"--set", "T1=0.0123", "--set", "T2=-0.004"}))
            << emulator.errors();
        ASSERT_NO_FATAL_FAILURE(makeProgramFolder());
    }

    void TearDown() override {
        if (app.state() != QProcess::NotRunning) {
            app.kill();
            app.waitForFinished(kDeadlineMs);
        }
    }

    QString dbPath() const { return QDir(qs(work.path())).filePath(u"parts.db"_s); }
    QString logPath() const { return QDir(qs(work.path())).filePath(u"zelapp.log"_s); }
    QString setupPath() const { return QDir(qs(program.path())).filePath(u"shaft.zel"_s); }
    std::string appOutput() const {
        QFile log(logPath());
        return log.open(QIODevice::ReadOnly) ? log.readAll().toStdString() : std::string();
    }

    // The program folder as installed, zelapp.ini with the defaults (no start-up message), the
    // two-probe setup and its part program: both channels, started by the key (here: by the
    // service), no settling time, so that a part ends as soon as the unit has been read.
    void makeProgramFolder() {
        const fs::path folder = program.path();
        const fs::path zelapp = ZELAPP_PATH;
        for (const auto &[from, name] :
             {std::pair{zelapp, "zelapp"},
              std::pair{fs::path(ZELCOMM_DIR) / "libzelcomm.so", "libzelcomm.so"}}) {
            std::error_code error;
            ASSERT_TRUE(fs::copy_file(from, folder / name, error))
                << from << ": " << error.message();
        }
        QString error;
        ASSERT_TRUE(zelapp::writeIniFile(QDir(qs(program.path())).filePath(u"zelapp.ini"_s),
                                         zelapp::AppState{}, &error))
            << error.toStdString();
        QFile setup(setupPath());
        ASSERT_TRUE(setup.open(QIODevice::WriteOnly));
        ASSERT_EQ(setup.write(zeltest::kTwoProbeSetup),
                  static_cast<qint64>(std::strlen(zeltest::kTwoProbeSetup)));
        QFile partProgram(QDir(qs(program.path())).filePath(u"shaft.zpart"_s));
        ASSERT_TRUE(partProgram.open(QIODevice::WriteOnly));
        partProgram.write("[Part]\r\nNumber=SH-1\r\nCharacteristics=1,2\r\nSettleTime=0\r\n");
    }

    // Starts the program with `--db` on private folders and waits for its service and the
    // unit's first reading; opens the conversation on Part with `count` linked.
    void startApp(const QString &killInCommit = {}) {
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(u"QT_QPA_PLATFORM"_s, u"offscreen"_s);
        env.insert(u"ZEL_DEVICE_DIR"_s, qs(devices.path()));
        env.insert(u"XDG_RUNTIME_DIR"_s, qs(runtime.path()));
        env.insert(u"XDG_CONFIG_HOME"_s, qs(config.path()));
        env.insert(u"XDG_DATA_HOME"_s, qs(data.path()));
        env.insert(u"ZEL_DDE_DIR"_s, qs(dde.path()));
        env.remove(u"ZEL_PARTS_DB"_s);
        if (!killInCommit.isEmpty()) {
            env.insert(u"ZEL_TEST_KILL_IN_COMMIT"_s, killInCommit);
        }
        app.setProcessEnvironment(env);
        // A socket left by a killed run would look like the new one listening.
        const QString socket = zelapp::linkSocketPath(qs(dde.path()), u"zelapp"_s);
        QFile::remove(socket);
        app.setWorkingDirectory(qs(program.path()));
        // To a file: a pipe nobody reads could fill up and stop the program.
        app.setStandardOutputFile(logPath());
        app.setProcessChannelMode(QProcess::MergedChannels);
        app.start(QDir(qs(program.path())).filePath(u"zelapp"_s),
                  {setupPath(), u"--db"_s, dbPath()});
        ASSERT_TRUE(app.waitForStarted(kDeadlineMs));

        // The service's socket appears once it listens.
        ASSERT_TRUE(QTest::qWaitFor(
            [&] { return QFileInfo::exists(socket) || app.state() == QProcess::NotRunning; },
            kDeadlineMs));
        ASSERT_EQ(app.state(), QProcess::Running) << appOutput();

        // The unit has been read once the channel shows its value instead of "DDE".
        zeltest::LinkLineClient display(socket);
        ASSERT_TRUE(display.waitConnected()) << appOutput();
        ASSERT_EQ(display.ask("INITIATE\tDisplay"), "ACK\tINITIATE");
        ASSERT_EQ(display.ask("ADVISE\tlabelChan(1)"), "ACK\tADVISE\tlabelChan(1)");
        QByteArray line = display.ask("REQUEST\tlabelChan(1)");
        while (line != "DATA\tlabelChan(1)\t 0.0083") {
            ASSERT_TRUE(line.startsWith("DATA\tlabelChan(1)\t")) << line.toStdString();
            line = display.next();
        }

        part = std::make_unique<zeltest::LinkLineClient>(socket);
        ASSERT_TRUE(part->waitConnected());
        ASSERT_EQ(part->ask("INITIATE\tPart"), "ACK\tINITIATE");
        ASSERT_EQ(part->ask("ADVISE\tcount"), "ACK\tADVISE\tcount");
        seenCount = 0;
    }

    // Starts a cycle through the service and waits for its ACK (pushes of an earlier part may
    // come first).
    void startPart() {
        part->sendLine("EXECUTE\tMeasure");
        for (QByteArray line = part->next(); line != "ACK\tEXECUTE\tMeasure"; line = part->next()) {
            ASSERT_TRUE(line.startsWith("DATA\t")) << line.toStdString() << "\n" << appOutput();
            noteCount(line);
        }
    }

    // Waits for the part started last to end: its count is pushed.
    void waitForCount(qint64 count) {
        while (seenCount < count) {
            const QByteArray line = part->next();
            ASSERT_TRUE(line.startsWith("DATA\t")) << line.toStdString() << "\n" << appOutput();
            noteCount(line);
        }
        EXPECT_EQ(seenCount, count);
    }

    void noteCount(const QByteArray &line) {
        if (line.startsWith("DATA\tcount\t")) {
            seenCount = line.mid(11).toLongLong();
        }
    }

    void measureParts(int count) {
        for (int n = 1; n <= count; ++n) {
            ASSERT_NO_FATAL_FAILURE(startPart());
            ASSERT_NO_FATAL_FAILURE(waitForCount(seenCount + 1));
        }
    }

    // The program's end, whichever way it came; true when it was a kill. It may have ended
    // before the wait began (waitForFinished() then says false).
    bool waitKilled() {
        return (app.state() == QProcess::NotRunning || app.waitForFinished(kDeadlineMs)) &&
               app.exitStatus() == QProcess::CrashExit;
    }

    // The file after the crash is whole and opens as the program opens it; its parts.
    std::vector<zelapp::StoredPart> partsAfterCrash() {
        const FileCheck check = checkFile(dbPath());
        EXPECT_EQ(check.integrity, u"ok"_s);
        zelapp::PartStore store;
        const zelapp::OpenOutcome outcome = store.open(dbPath());
        EXPECT_TRUE(outcome.ok()) << outcome.message.toStdString();
        EXPECT_TRUE(outcome.message.isEmpty()) << outcome.message.toStdString();
        EXPECT_TRUE(outcome.setAside.isEmpty());
        zelapp::PartPage page = store.range(0, std::numeric_limits<qint64>::max(), 100);
        EXPECT_FALSE(page.failure.has_value());
        EXPECT_EQ(static_cast<qint64>(page.parts.size()), check.parts);
        return std::move(page.parts);
    }
};

// The parts recorded are the first ones, in their order, with nothing missing between them.
void expectFirstParts(const std::vector<zelapp::StoredPart> &parts) {
    for (std::size_t i = 0; i < parts.size(); ++i) {
        EXPECT_EQ(parts[i].serial, static_cast<qint64>(i + 1));
        EXPECT_EQ(parts[i].number, u"SH-1"_s);
        EXPECT_TRUE(parts[i].completed);
        EXPECT_EQ(parts[i].verdict, u"R+"_s);  // the taper T1-T2 = 0.0163 is above its 0.01
        EXPECT_EQ(parts[i].values.size(), 2u);
    }
}

TEST_F(PartsCrashSafety, KilledAfterACountIsSeenKeepsEveryPartCounted) {
    ASSERT_NO_FATAL_FAILURE(startApp());
    // Killed at rest after the 2nd part: both are in the file.
    ASSERT_NO_FATAL_FAILURE(measureParts(2));
    app.kill();
    ASSERT_TRUE(waitKilled());
    std::vector<zelapp::StoredPart> parts = partsAfterCrash();
    EXPECT_EQ(parts.size(), 2u);
    expectFirstParts(parts);

    // Started again on the same file: killed while the next part's cycle runs, right after its
    // Measure was taken; the 3 counted since are there, behind the first 2. The part in its
    // cycle may have reached the file or not, but never half.
    ASSERT_NO_FATAL_FAILURE(startApp());
    ASSERT_NO_FATAL_FAILURE(measureParts(3));
    ASSERT_NO_FATAL_FAILURE(startPart());
    app.kill();
    ASSERT_TRUE(waitKilled());
    parts = partsAfterCrash();
    EXPECT_GE(parts.size(), 5u);
    EXPECT_LE(parts.size(), 6u);
    expectFirstParts(parts);
}

TEST_F(PartsCrashSafety, AnotherProgramOpeningTheFileBetweenPartsLosesNoneOfThem) {
    ASSERT_NO_FATAL_FAILURE(startApp());
    ASSERT_NO_FATAL_FAILURE(measureParts(2));
    for (int round = 1; round <= 2; ++round) {
        // The lock the program holds tells the other program that the file is in use, so that
        // it leaves the log alone when it closes the file.
        EXPECT_TRUE(zeltest::holdsLock(app.processId(), dbPath())) << "round " << round;
        EXPECT_EQ(zeltest::partsCountedByShell(dbPath()), QString::number(seenCount));
        EXPECT_TRUE(QFileInfo::exists(dbPath() + u"-wal"_s)) << "round " << round;
        ASSERT_NO_FATAL_FAILURE(measureParts(2));
    }
    app.kill();
    ASSERT_TRUE(waitKilled());
    const std::vector<zelapp::StoredPart> parts = partsAfterCrash();
    EXPECT_EQ(static_cast<qint64>(parts.size()), seenCount);
    expectFirstParts(parts);
}

TEST_F(PartsCrashSafety, KilledInsideACommitLosesThatPartAloneAndNoCountOfIt) {
    ASSERT_NO_FATAL_FAILURE(startApp(u"3"_s));
    ASSERT_NO_FATAL_FAILURE(measureParts(2));
    // The 3rd part's commit ends the program before its count could change.
    ASSERT_NO_FATAL_FAILURE(startPart());
    ASSERT_TRUE(waitKilled()) << appOutput();
    while (!part->closed()) {
        const QByteArray line = part->next();
        if (line == "<none>") {
            break;
        }
        noteCount(line);
    }
    EXPECT_EQ(seenCount, 2);
    const std::vector<zelapp::StoredPart> parts = partsAfterCrash();
    EXPECT_EQ(parts.size(), 2u);
    expectFirstParts(parts);
}

}  // namespace
