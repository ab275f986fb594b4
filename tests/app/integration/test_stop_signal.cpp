// A stop the system asks for, on the real program: zelapp on zel8d measures parts through its
// live-value service while its history cannot be written (the path is a folder), the history
// becomes writable, and the signal comes. zelapp ends with status 0, having written the parts it
// kept in memory, zelapp.ini, and, when the setup was changed, the setup beside its file as
// shaft.zel.unsaved, never over it; its service is gone.
#include <gtest/gtest.h>
#include <signal.h>

#include <QDir>
#include <cstring>
#include <limits>

#include "core/ini_file.h"
#include "emulator_process.h"
#include "file_bytes.h"
#include "history/part_store.h"
#include "temp_folder.h"
#include "two_probe_setup.h"
#include "zelapp_process.h"

using namespace Qt::StringLiterals;

namespace {

struct StopCase {
    int signal;
    bool typed;  // the setup was changed (a channel's description) before the stop
};

void PrintTo(const StopCase &c, std::ostream *os) {
    *os << strsignal(c.signal) << (c.typed ? ", after typing" : ", unchanged");
}

class StopSignal : public ::testing::TestWithParam<StopCase> {
  protected:
    zeltest::TempFolder devices, work;
    zeltest::EmulatorProcess emulator{ZEL8D_PATH, devices.path()};
    zeltest::ZelappProcess app{devices.path()};

    QString dbPath() const {
        return QDir(QString::fromStdString(work.path())).filePath(u"parts.db"_s);
    }
};

TEST_P(StopSignal, ClosesAsExitDoesKeepingThePartsAndTheSetup) {
    const StopCase &c = GetParam();
    ASSERT_TRUE(emulator.start({"--set", "T1=0.0123", "--set", "T2=-0.004"})) << emulator.errors();
    ASSERT_NO_FATAL_FAILURE(app.install());
    ASSERT_TRUE(QDir().mkpath(dbPath()));  // no history can be made there: parts are kept
    QProcessEnvironment env;
    if (c.typed) {
        env.insert(u"ZEL_TEST_DESCRIBE_CHANNEL_1"_s, u"typed before the stop"_s);
    }
    ASSERT_NO_FATAL_FAILURE(app.start({app.setupPath(), u"--db"_s, dbPath()}, " 0.0083", env));
    ASSERT_NO_FATAL_FAILURE(app.measureParts(3));
    ASSERT_EQ(app.seenCount(), 3);
    ASSERT_TRUE(QDir().rmdir(dbPath()));  // the history can be written now

    EXPECT_EQ(app.signalAndWait(c.signal), 0) << app.output();
    EXPECT_NE(app.output().find("stopped by"), std::string::npos) << app.output();

    // Every part counted is in the history, in order.
    zelapp::PartStore store;
    ASSERT_TRUE(store.open(dbPath(), {100, true}).ok());
    const zelapp::PartPage page = store.range(0, std::numeric_limits<qint64>::max(), 100);
    ASSERT_EQ(page.parts.size(), 3u) << app.output();
    for (std::size_t i = 0; i < page.parts.size(); ++i) {
        EXPECT_EQ(page.parts[i].serial, static_cast<qint64>(i + 1));
    }

    // zelapp.ini as the close writes it: the counts of the setup it ended with.
    zelapp::AppState written;
    ASSERT_EQ(zelapp::readIniFile(app.path(u"zelapp.ini"_s), written), zelapp::ReadOutcome::Read);
    EXPECT_EQ(written.MaxChannel, 2);

    // The setup file as it was; what was typed is beside it.
    EXPECT_EQ(zeltest::readBytes(app.setupPath()), QByteArray(zeltest::kTwoProbeSetup));
    const QByteArray kept = zeltest::readBytes(app.setupPath() + u".unsaved"_s);
    EXPECT_EQ(kept.contains("typed before the stop"), c.typed) << kept.toStdString();
    EXPECT_EQ(QFileInfo::exists(app.setupPath() + u".unsaved"_s), c.typed);

    EXPECT_FALSE(QFileInfo::exists(app.socketPath())) << "the service closed";
}

INSTANTIATE_TEST_SUITE_P(Signals, StopSignal,
                         ::testing::Values(StopCase{SIGTERM, true}, StopCase{SIGINT, false},
                                           StopCase{SIGHUP, true}),
                         [](const auto &info) {
                             return std::string(info.param.signal == SIGTERM  ? "SIGTERM"
                                                : info.param.signal == SIGINT ? "SIGINT"
                                                                              : "SIGHUP") +
                                    (info.param.typed ? "AfterTyping" : "Unchanged");
                         });

}  // namespace
