// `zelparts dfq --pending`: its arguments, and its lines from a history whose queue the test
// fills, run in process through the same entry as the program.
#include <gtest/gtest.h>

#include <QBuffer>
#include <QTemporaryDir>

#include "history/dfq_queue.h"
#include "part_samples.h"
#include "zelparts_options.h"
#include "zelparts_run.h"

using namespace zelparts;

namespace {

ParsedOptions parse(const char *args) {
    return parseZelpartsOptions(
        QString::fromUtf8(args).split(QLatin1Char(' '), Qt::SkipEmptyParts));
}

TEST(ZelpartsDfqPending, TheCommandTakesPendingAndNothingElse) {
    const ParsedOptions parsed = parse("--db x.db dfq --pending");
    ASSERT_TRUE(parsed.ok()) << parsed.error.toStdString();
    EXPECT_EQ(parsed.options.command, Command::Dfq);
    EXPECT_EQ(parsed.options.dfqMode, DfqMode::Pending);
    EXPECT_TRUE(parse("--pending dfq").ok());
    for (const char *bad :
         {"dfq", "dfq --pending extra", "dfq --pending --part A-100", "list --pending",
          "dfq --pending --since 2026-03-04", "dfq --out /tmp/q --pending"}) {
        const ParsedOptions refused = parse(bad);
        EXPECT_FALSE(refused.ok()) << bad;
        EXPECT_FALSE(refused.error.isEmpty()) << bad;
    }
}

TEST(ZelpartsDfqPending, ListsTheWaitingPartsOldestFirstWithTheirFolderAndWhetherWritten) {
    QTemporaryDir dir;
    const QString file = dir.filePath(QStringLiteral("parts.db"));
    {
        zelapp::PartStore store;
        ASSERT_TRUE(store.open(file).ok());
        zelapp::SetupSnapshot setup = zeltest::snapshot();
        setup.dfqFolder = QStringLiteral("/mnt/q\tshare");
        for (const char *number : {"A-100", "B-7", "A-100", "A-100"}) {
            ASSERT_TRUE(store.append(zeltest::goodPart(QString::fromLatin1(number)), setup).ok());
        }
        ASSERT_TRUE(store.append(zeltest::goodPart(), zeltest::snapshot()).ok());  // not queued
        ASSERT_FALSE(zelapp::DfqQueue(store).markExportWritten({2, 3}, QStringLiteral(".t-2.tmp")));
        ASSERT_FALSE(zelapp::DfqQueue(store).markExportDone({1}));
    }
    Options options;
    options.command = Command::Dfq;
    options.dfqMode = DfqMode::Pending;
    QBuffer out;
    QBuffer err;
    out.open(QIODevice::WriteOnly);
    err.open(QIODevice::WriteOnly);
    EXPECT_EQ(runZelparts(options, file, out, err), kExitOk) << err.data().toStdString();
    EXPECT_EQ(out.data().toStdString(),
              "id\ttime\tpart_number\tserial\tfolder\twritten\n"
              "2\t2026-03-04T10:00:01.234+01:00\tB-7\t1\t/mnt/q share\tyes\n"
              "3\t2026-03-04T10:00:01.234+01:00\tA-100\t2\t/mnt/q share\tyes\n"
              "4\t2026-03-04T10:00:01.234+01:00\tA-100\t3\t/mnt/q share\tno\n");
    EXPECT_TRUE(err.data().isEmpty());
}

}  // namespace
