// The part file beside the setup: its name, its "[Mastered]" section read from CR LF and LF
// files with bad lines passed over, written back with every other section byte for byte,
// created when missing, and kept in step with the setup by Save, Open and New.
#include <gtest/gtest.h>

#include <QDir>

#include "file_bytes.h"
#include "session_fixture.h"
#include "setup/part_file.h"

using namespace Qt::StringLiterals;
using zelapp::PartMastering;

namespace {

const QDateTime kNoon{QDate(2026, 12, 9), QTime(12, 0, 0, 250), Qt::OffsetFromUTC, 3600};

TEST(PartFile, ReadsItsSectionFromAnyLineEndsAndPassesOverBadLines) {
    EXPECT_EQ(zelapp::partFilePath(u"/gauges/shaft.zel"_s), u"/gauges/shaft.zpart"_s);
    EXPECT_EQ(zelapp::partFilePath(u"/gauges/shaft.v2.zel"_s), u"/gauges/shaft.v2.zpart"_s);

    const QByteArray lf =
        "[Part]\nC1=2020-01-01T00:00:00Z\n"  // another section's key
        "[Mastered]\n"
        "Interval=8.5\n"
        "C2=2026-12-09T12:00:00.250+01:00\n"
        "c3 = 2026-12-09T13:00:00Z\n"
        "C4=yesterday\nC0=2026-12-09T13:00:00Z\nCx=2026-12-09T13:00:00Z\n"
        "no equals sign\n; a comment\n";
    QByteArray crlf = lf;
    crlf.replace("\n", "\r\n");
    const PartMastering fromLf = zelapp::parsePartMastering(lf);
    EXPECT_EQ(fromLf, zelapp::parsePartMastering(crlf));
    ASSERT_TRUE(fromLf.intervalHours.has_value());
    EXPECT_EQ(*fromLf.intervalHours, 8.5);
    ASSERT_EQ(fromLf.mastered.size(), 2u);
    EXPECT_EQ(fromLf.mastered.at(2), kNoon);
    EXPECT_EQ(fromLf.mastered.at(3), QDateTime(QDate(2026, 12, 9), QTime(13, 0), Qt::UTC));

    for (const char *bad : {"Interval=-1", "Interval=0", "Interval=soon", "Interval=nan"}) {
        EXPECT_FALSE(zelapp::parsePartMastering(QByteArray("[Mastered]\n") + bad).intervalHours)
            << bad;
    }
    EXPECT_EQ(zelapp::parsePartMastering({}), PartMastering{});
}

TEST(PartFile, WritesOnlyItsSectionAndKeepsEveryOtherByte) {
    PartMastering part;
    part.mastered[1] = kNoon;
    part.mastered[12] = kNoon.addSecs(60);

    const QByteArray before = "; shaft gauge\r\n[Part]\nName=Shaft\r\n\r\n";
    const QByteArray after = "[Other]\rX = 1\r\nlast line without end";
    const QByteArray existing = before +
                                "[Mastered]\r\nC1=2020-01-01T00:00:00Z\r\nInterval=4\r\n"
                                "; kept note\n\r\n" +
                                after;
    EXPECT_EQ(zelapp::mergePartMastering(existing, part),
              before +
                  "[Mastered]\r\nC1=2026-12-09T12:00:00.250+01:00\r\n"
                  "C12=2026-12-09T12:01:00.250+01:00\r\n; kept note\n\r\n" +
                  after);

    // No section yet: appended after a line end of its own.
    part.intervalHours = 24;
    EXPECT_EQ(zelapp::mergePartMastering("[Part]\nName=Shaft", part),
              QByteArray("[Part]\nName=Shaft\r\n[Mastered]\r\nInterval=24\r\n"
                         "C1=2026-12-09T12:00:00.250+01:00\r\n"
                         "C12=2026-12-09T12:01:00.250+01:00\r\n"));
    // What is written reads back as it was.
    EXPECT_EQ(zelapp::parsePartMastering(zelapp::mergePartMastering(existing, part)), part);
}

TEST(PartFile, SaveWritesItOpenReadsItAndNewClearsTheTimes) {
    zeltest::SessionFixture f;
    ASSERT_EQ(f.start(), zelapp::StartupResult::Running);
    const QDir folder(f.programFolder());
    const QString setupPath = folder.filePath(u"shaft.zel"_s);
    const QString partPath = folder.filePath(u"shaft.zpart"_s);
    zelapp::MasteredTimes &times = f.session->masteredTimes();
    zelapp::SetupCommands &commands = f.session->setupCommands();

    // Missing: created at the save.
    times.markMastered(3);
    f.state().SetupFileName = setupPath;
    ASSERT_TRUE(commands.SaveFile_Click());
    EXPECT_EQ(zeltest::readBytes(partPath),
              QByteArray("[Mastered]\r\nC3=") +
                  f.wallClock.time.toOffsetFromUtc(f.wallClock.time.offsetFromUtc())
                      .toString(Qt::ISODateWithMs)
                      .toLatin1() +
                  "\r\n");

    // Another section written meanwhile by someone else survives the next save.
    zeltest::writeBytes(partPath, zeltest::readBytes(partPath) + "[Part]\nName=Shaft\n");
    times.markMastered(1);
    ASSERT_TRUE(commands.SaveFile_Click());
    const QByteArray saved = zeltest::readBytes(partPath);
    EXPECT_TRUE(saved.endsWith("[Part]\nName=Shaft\n")) << saved.toStdString();

    f.state().SetupModified = false;
    commands.NewFile_Click();
    EXPECT_FALSE(times.lastMastered(1).isValid());
    EXPECT_EQ(times.lastMasteredText(3), u"Never mastered"_s);

    f.state().SetupFileName = setupPath;
    ASSERT_EQ(commands.loadSetupFile(), zelapp::SetupLoad::Loaded);
    EXPECT_EQ(times.lastMastered(1), f.wallClock.time);
    EXPECT_EQ(times.lastMasteredText(3), u"Last mastered: 2026-12-09 14:03"_s);

    // A part file that cannot be read or replaced: the setup still saves, the message says so.
    QFile::remove(partPath);
    ASSERT_TRUE(folder.mkdir(u"shaft.zpart"_s));
    const size_t shown = f.prompter.shown.size();
    EXPECT_TRUE(commands.SaveFile_Click());
    ASSERT_EQ(f.prompter.shown.size(), shown + 1);
    EXPECT_TRUE(f.prompter.shown.back().text.startsWith(u"The part file could not be saved to "_s +
                                                        partPath))
        << f.prompter.shown.back().text.toStdString();
    EXPECT_FALSE(f.state().SetupModified);
}

}  // namespace
