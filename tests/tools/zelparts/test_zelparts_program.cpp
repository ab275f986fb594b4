// The real zelparts run as a child against history files the tests fill: what it prints, what
// it leaves alone and how it ends.
#include <gtest/gtest.h>

#include <QBuffer>
#include <QDir>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QTimeZone>
#include <map>

#include "dfq_reader.h"
#include "history/part_csv.h"
#include "history/part_events.h"
#include "part_samples.h"
#include "special_files.h"

using namespace zelapp;
using zeltest::characteristic;
using zeltest::DfqContent;
using zeltest::goodPart;
using zeltest::OtherConnection;
using zeltest::readDfq;
using zeltest::snapshot;

namespace {

struct Ran {
    int exitCode = -1;
    bool crashed = true;
    QByteArray out;
    QByteArray err;
};

// Three parts in Berlin's winter time (+01:00): A-100 good, B-7 rejected, A-100 not valid.
PartResult partAt(const QString &number, int day, int hour, ToleranceVerdict verdict) {
    PartResult part = goodPart(number);
    part.ended = QDateTime(QDate(2026, 3, day), QTime(hour, 0), QTimeZone(3600));
    part.verdict = verdict;
    if (verdict == ToleranceVerdict::RejectPlus) {
        part.characteristics[0].value = 0.03f;
        part.characteristics[0].verdict = verdict;
    } else if (verdict == ToleranceVerdict::NotValid) {
        part.characteristics[1].value.reset();
        part.characteristics[1].verdict = verdict;
        part.characteristics[1].reason = part_reason::readFailed();
        part.reason = part_reason::readFailed();
    }
    return part;
}

class ZelpartsProgram : public ::testing::Test {
  protected:
    void SetUp() override {
        ASSERT_TRUE(dir.isValid());
        file = dir.filePath(QStringLiteral("parts.db"));
        PartStore store;
        ASSERT_TRUE(store.open(file).ok());
        ASSERT_TRUE(
            store.append(partAt(QStringLiteral("A-100"), 4, 10, ToleranceVerdict::Good), snapshot())
                .ok());
        ASSERT_TRUE(store
                        .append(partAt(QStringLiteral("B-7"), 4, 12, ToleranceVerdict::RejectPlus),
                                snapshot())
                        .ok());
        ASSERT_TRUE(store
                        .append(partAt(QStringLiteral("A-100"), 5, 8, ToleranceVerdict::NotValid),
                                snapshot())
                        .ok());
    }

    // zelparts with `args`, local time Berlin's, the settings and data folders private,
    // ZEL_PARTS_DB as given (empty: unset) and LC_ALL `locale` (empty: as the tests run).
    Ran zelparts(const QStringList &args, const QString &environmentDb = {},
                 const QString &locale = {}) {
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        if (!locale.isEmpty()) {
            environment.insert(QStringLiteral("LC_ALL"), locale);
        }
        environment.insert(QStringLiteral("TZ"), QStringLiteral("Europe/Berlin"));
        environment.insert(QStringLiteral("XDG_CONFIG_HOME"),
                           dir.filePath(QStringLiteral("config")));
        environment.insert(QStringLiteral("XDG_DATA_HOME"), dir.filePath(QStringLiteral("data")));
        environment.remove(QStringLiteral("ZEL_PARTS_DB"));
        if (!environmentDb.isEmpty()) {
            environment.insert(QStringLiteral("ZEL_PARTS_DB"), environmentDb);
        }
        QProcess process;
        process.setProcessEnvironment(environment);
        process.start(QStringLiteral(ZELPARTS_PATH), args);
        Ran run;
        if (!process.waitForFinished(30000)) {
            process.kill();
            process.waitForFinished();
            return run;
        }
        run.exitCode = process.exitCode();
        run.crashed = process.exitStatus() != QProcess::NormalExit;
        run.out = process.readAllStandardOutput();
        run.err = process.readAllStandardError();
        return run;
    }
    Ran onFile(QStringList args) {
        args.prepend(file);
        args.prepend(QStringLiteral("--db"));
        return zelparts(args);
    }
    // The ids `list` prints, in order.
    QList<int> listed(const QStringList &filters) {
        const Ran run = onFile(QStringList{QStringLiteral("list")} + filters);
        EXPECT_EQ(run.exitCode, 0) << run.err.toStdString();
        QList<int> ids;
        for (const QByteArray &line : run.out.split('\n')) {
            if (!line.isEmpty()) {
                ids << line.split('\t').first().toInt();
            }
        }
        return ids;
    }

    QTemporaryDir dir;
    QString file;
};

QStringList args(const char *text) {
    return QString::fromUtf8(text).split(QLatin1Char(' '), Qt::SkipEmptyParts);
}

TEST_F(ZelpartsProgram, ListPrintsOneLinePerPartOldestFirstAndFilters) {
    const Ran all = onFile(args("list"));
    ASSERT_EQ(all.exitCode, 0) << all.err.toStdString();
    EXPECT_EQ(all.out.toStdString(),
              "1\t2026-03-04T10:00:00.000+01:00\tA-100\t1\tG\tC1=0.0012\tC3=-0.0034\n"
              "2\t2026-03-04T12:00:00.000+01:00\tB-7\t1\tR+\tC1=0.0300\tC3=-0.0034\n"
              "3\t2026-03-05T08:00:00.000+01:00\tA-100\t2\tNV\tC1=0.0012\tC3=\n");
    EXPECT_TRUE(all.err.isEmpty());

    EXPECT_EQ(listed(args("--since 2026-03-04T12:00")), (QList<int>{2, 3})) << "local, inclusive";
    EXPECT_EQ(listed(args("--until 2026-03-04T12:00:00+01:00")), QList<int>{1}) << "exclusive";
    EXPECT_EQ(listed(args("--until 2026-03-04T11:00:00.001Z")), (QList<int>{1, 2}));
    EXPECT_EQ(listed(args("--since 2026-03-05")), QList<int>{3}) << "a date is local midnight";
    EXPECT_EQ(listed(args("--until 2026-03-05")), (QList<int>{1, 2}));
    EXPECT_EQ(listed(args("--part A-100")), (QList<int>{1, 3}));
    EXPECT_EQ(listed(args("--verdict R+")), QList<int>{2});
    EXPECT_EQ(listed(args("--part A-100 --verdict R+")), QList<int>{});
    EXPECT_EQ(listed(args("--since 2026-03-06")), QList<int>{});
}

TEST_F(ZelpartsProgram, TheFileIsFoundAsZelappFindsItAndAWriterIsNotDisturbed) {
    PartStore writer;  // zelapp, running
    ASSERT_TRUE(writer.open(file).ok());
    const Ran run = zelparts(args("list --verdict G"), file);
    EXPECT_EQ(run.exitCode, 0) << run.err.toStdString();
    EXPECT_TRUE(run.out.startsWith("1\t")) << "found through ZEL_PARTS_DB";
    EXPECT_TRUE(writer.append(goodPart(), snapshot()).ok()) << "the reader left no lock";
    EXPECT_EQ(listed({}).size(), 4);

    const Ran absent = zelparts(args("list"));
    EXPECT_EQ(absent.exitCode, 2) << "the default file in the private data folder is absent";
    EXPECT_TRUE(absent.err.contains("data/zelapp/parts.db")) << absent.err.toStdString();
    EXPECT_FALSE(QFileInfo::exists(dir.filePath(QStringLiteral("data/zelapp/parts.db"))))
        << "reading never creates";
}

TEST_F(ZelpartsProgram, CsvIsTheExportsCsvOfTheSameParts) {
    PartStore store;
    ASSERT_TRUE(store.open(file).ok());
    PartFilter filter;
    filter.number = QStringLiteral("A-100");
    for (const QStringList &filters : {QStringList{}, args("--part A-100")}) {
        QBuffer expected;
        expected.open(QIODevice::WriteOnly);
        writePartsCsv(store, filters.isEmpty() ? PartFilter{} : filter, expected);
        const Ran run = onFile(QStringList{QStringLiteral("csv")} + filters);
        EXPECT_EQ(run.exitCode, 0) << run.err.toStdString();
        EXPECT_EQ(run.out.toStdString(), expected.data().toStdString());
    }
    EXPECT_EQ(onFile(args("csv --verdict R-")).out,
              "id,time,station,part_number,serial,verdict,reason,completed,part_id\r\n")
        << "no part: the header row and no channel";
}

TEST_F(ZelpartsProgram, CsvSpreadsheetIsTheExportsSpreadsheetProfileInTheUsersLocale) {
    PartStore store;
    ASSERT_TRUE(store.open(file).ok());
    for (const char *locale : {"de_DE.UTF-8", "C"}) {
        SCOPED_TRACE(locale);
        QBuffer expected;
        expected.open(QIODevice::WriteOnly);
        const QString name = QString::fromUtf8(locale);
        writePartsCsv(store, {}, expected, {},
                      csvProfile(CsvProfileKind::Spreadsheet, QLocale(name.section(u'.', 0, 0))));
        const Ran run = zelparts(
            {QStringLiteral("--db"), file, QStringLiteral("csv"), QStringLiteral("--spreadsheet")},
            {}, name);
        EXPECT_EQ(run.exitCode, 0) << run.err.toStdString();
        EXPECT_EQ(run.out.toStdString(), expected.data().toStdString());
    }
    const Ran german = zelparts(
        {QStringLiteral("--db"), file, QStringLiteral("csv"), QStringLiteral("--spreadsheet")}, {},
        QStringLiteral("de_DE.UTF-8"));
    EXPECT_TRUE(german.out.startsWith("\xEF\xBB\xBFid;time;"));
    EXPECT_TRUE(german.out.contains(";0,0012;-0,0034\r\n")) << german.out.toStdString();
    const Ran other = onFile(args("list --spreadsheet"));
    EXPECT_EQ(other.exitCode, 1);
    EXPECT_TRUE(other.err.contains("list takes no --spreadsheet")) << other.err.toStdString();
}

TEST_F(ZelpartsProgram, ShowGivesThePartAndTheRevisionThatJudgedIt) {
    const Ran run = onFile(args("show 3"));
    ASSERT_EQ(run.exitCode, 0) << run.err.toStdString();
    for (const char *text : {"Part 3\n", "/setups/shaft.zel", "Gauge 2", "read failed", "(T2+T3)/2",
                             "-0.0200", "0.0100", "not valid"}) {
        EXPECT_TRUE(run.out.contains(text)) << text << "\n" << run.out.toStdString();
    }
    const Ran none = onFile(args("show 99"));
    EXPECT_EQ(none.exitCode, 1);
    EXPECT_TRUE(none.out.isEmpty());
    EXPECT_TRUE(none.err.contains("no part 99")) << none.err.toStdString();
}

TEST_F(ZelpartsProgram, BackupWritesANewWholeCopyAndNeverAnExistingFile) {
    const QString copy = dir.filePath(QStringLiteral("copy.db"));
    {
        QFile leftover(copy + QStringLiteral(".tmp"));  // an interrupted backup's
        ASSERT_TRUE(leftover.open(QIODevice::WriteOnly));
        leftover.write("half a copy");
    }
    const Ran run = onFile({QStringLiteral("backup"), copy});
    ASSERT_EQ(run.exitCode, 0) << run.err.toStdString();
    EXPECT_FALSE(QFileInfo::exists(copy + QStringLiteral(".tmp")));
    {
        OtherConnection other(copy);
        EXPECT_EQ(other.value(QStringLiteral("PRAGMA integrity_check")).toString(), u"ok");
        EXPECT_EQ(other.value(QStringLiteral("SELECT COUNT(*) FROM part_values")).toInt(), 6);
    }
    const Ran copied = zelparts({QStringLiteral("--db"), copy, QStringLiteral("list")});
    EXPECT_EQ(copied.out, onFile(args("list")).out);

    const QByteArray before = [&] {
        QFile f(copy);
        return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
    }();
    const Ran again = onFile({QStringLiteral("backup"), copy});
    EXPECT_EQ(again.exitCode, 1);
    EXPECT_TRUE(again.err.contains("exists")) << again.err.toStdString();
    QFile after(copy);
    ASSERT_TRUE(after.open(QIODevice::ReadOnly));
    EXPECT_EQ(after.readAll(), before);
}

// The files in a folder, by name.
std::map<QString, QByteArray> filesIn(const QString &folder) {
    std::map<QString, QByteArray> files;
    for (const QFileInfo &info : QDir(folder).entryInfoList(QDir::Files)) {
        QFile f(info.filePath());
        files[info.fileName()] = f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
    }
    return files;
}

TEST_F(ZelpartsProgram, DfqWritesOneNewFilePerPartNumberAndRevision) {
    // A fourth part: A-100 again, judged by another revision (a formula changed).
    {
        PartStore store;
        ASSERT_TRUE(store.open(file).ok());
        SetupSnapshot changed = snapshot();
        changed.formulas[1] = QStringLiteral("T1*2");
        PartResult part = partAt(QStringLiteral("A-100"), 6, 9, ToleranceVerdict::Good);
        part.characteristics[0].description = QStringLiteral("Bore \u00E4");
        ASSERT_TRUE(store.append(part, changed).ok());
    }
    const QString out = dir.filePath(QStringLiteral("qdas/in"));
    const Ran run = onFile({QStringLiteral("dfq"), QStringLiteral("--out"), out});
    ASSERT_EQ(run.exitCode, 0) << run.err.toStdString();
    std::map<QString, QByteArray> files = filesIn(out);
    ASSERT_EQ(files.size(), 3u) << run.out.toStdString();
    // Named after each file's first part, in its local time; its parts in the order measured.
    const QByteArray first = files[QStringLiteral("A-100_20260304-100000_1.dfq")];
    const DfqContent a100 = readDfq(first, DfqEncoding::Windows1252);
    ASSERT_EQ(a100.error, QString());
    ASSERT_EQ(a100.parts.size(), 2u);
    EXPECT_EQ(a100.parts[0][0].time, u"04.03.2026/10:00:00");
    EXPECT_EQ(a100.parts[1][1].attribute, 129);
    EXPECT_EQ(readDfq(files[QStringLiteral("B-7_20260304-120000_1.dfq")], DfqEncoding::Windows1252)
                  .parts.size(),
              1u);
    EXPECT_TRUE(
        files[QStringLiteral("A-100_20260306-090000_3.dfq")].contains("K2002/1 Bore \xE4\r\n"))
        << "Windows-1252 when neither the option nor the settings say otherwise";
    EXPECT_EQ(run.out.count('\n'), 3);
    EXPECT_TRUE(run.out.contains("A-100_20260304-100000_1.dfq\t2\n")) << run.out.toStdString();

    // Never over a file the folder holds: nothing written, the folder as it was.
    const Ran again = onFile({QStringLiteral("dfq"), QStringLiteral("--out"), out});
    EXPECT_EQ(again.exitCode, 1);
    EXPECT_TRUE(again.err.contains("exists")) << again.err.toStdString();
    EXPECT_EQ(filesIn(out).size(), 3u);
    EXPECT_EQ(filesIn(out)[QStringLiteral("A-100_20260304-100000_1.dfq")], first);

    // Filters select the parts; the settings file gives the encoding, the option overrides it.
    QDir().mkpath(dir.filePath(QStringLiteral("config/zelapp")));
    QFile settings(dir.filePath(QStringLiteral("config/zelapp/zelapp.conf")));
    ASSERT_TRUE(settings.open(QIODevice::WriteOnly));
    settings.write("[Results]\nDfqEncoding=utf-8\n");
    settings.close();
    const QString utf8 = dir.filePath(QStringLiteral("utf8"));
    ASSERT_EQ(onFile({QStringLiteral("dfq"), QStringLiteral("--out"), utf8,
                      QStringLiteral("--since"), QStringLiteral("2026-03-06")})
                  .exitCode,
              0);
    files = filesIn(utf8);
    ASSERT_EQ(files.size(), 1u);
    EXPECT_TRUE(files.begin()->second.contains("K2002/1 Bore \xC3\xA4\r\n"));
    const QString forced = dir.filePath(QStringLiteral("forced"));
    ASSERT_EQ(onFile({QStringLiteral("dfq"), QStringLiteral("--out"), forced,
                      QStringLiteral("--since"), QStringLiteral("2026-03-06"),
                      QStringLiteral("--encoding"), QStringLiteral("windows-1252")})
                  .exitCode,
              0);
    EXPECT_TRUE(filesIn(forced).begin()->second.contains("K2002/1 Bore \xE4\r\n"));

    const Ran none = onFile({QStringLiteral("dfq"), QStringLiteral("--out"), out,
                             QStringLiteral("--verdict"), QStringLiteral("R-")});
    EXPECT_EQ(none.exitCode, 0);
    EXPECT_TRUE(none.err.contains("no parts")) << none.err.toStdString();
}

TEST_F(ZelpartsProgram, DfqThatCannotWriteStopsThereAndKeepsTheFilesWrittenBefore) {
    const QString notAFolder = dir.filePath(QStringLiteral("plain"));
    {
        QFile plain(notAFolder);
        ASSERT_TRUE(plain.open(QIODevice::WriteOnly));
    }
    const Ran noFolder = onFile({QStringLiteral("dfq"), QStringLiteral("--out"), notAFolder});
    EXPECT_EQ(noFolder.exitCode, 3);
    EXPECT_TRUE(noFolder.err.contains("cannot make the folder")) << noFolder.err.toStdString();

    // B-7's temporary name taken by a folder: A-100's file is written, B-7's is not.
    const QString out = dir.filePath(QStringLiteral("out"));
    ASSERT_TRUE(QDir().mkpath(out + QStringLiteral("/B-7_20260304-120000_1.dfq.tmp")));
    const Ran run = onFile({QStringLiteral("dfq"), QStringLiteral("--out"), out});
    EXPECT_EQ(run.exitCode, 3);
    EXPECT_TRUE(run.err.contains("cannot write")) << run.err.toStdString();
    EXPECT_TRUE(run.err.contains("B-7_20260304-120000_1.dfq")) << run.err.toStdString();
    const std::map<QString, QByteArray> files = filesIn(out);
    ASSERT_EQ(files.size(), 1u);
    EXPECT_EQ(files.begin()->first, u"A-100_20260304-100000_1.dfq");
    EXPECT_EQ(run.out.count('\n'), 1) << run.out.toStdString();
}

TEST_F(ZelpartsProgram, ExitStatusSaysWhatWentWrong) {
    const Ran help = zelparts(args("--help"));
    EXPECT_EQ(help.exitCode, 0);
    EXPECT_TRUE(help.out.contains("backup FILE"));

    const Ran bad = onFile(args("list --verdict GOOD"));
    EXPECT_EQ(bad.exitCode, 1);
    EXPECT_TRUE(bad.out.isEmpty());
    EXPECT_TRUE(bad.err.contains("--verdict")) << bad.err.toStdString();
    EXPECT_TRUE(bad.err.contains("usage: zelparts")) << bad.err.toStdString();
    EXPECT_EQ(zelparts(args("")).exitCode, 1);

    const Ran missing = zelparts(
        {QStringLiteral("--db"), dir.filePath(QStringLiteral("no.db")), QStringLiteral("list")});
    EXPECT_EQ(missing.exitCode, 2);
    EXPECT_TRUE(missing.err.contains("no such file")) << missing.err.toStdString();

    // Something else by that name is said to be what it is.
    const Ran folder = zelparts({QStringLiteral("--db"), dir.path(), QStringLiteral("list")});
    EXPECT_EQ(folder.exitCode, 2);
    EXPECT_TRUE(folder.err.contains(dir.path().toUtf8() + " is a folder"))
        << folder.err.toStdString();
    const QString fifo = dir.filePath(QStringLiteral("fifo.db"));
    ASSERT_TRUE(zeltest::makeFifo(fifo));
    const Ran special = zelparts({QStringLiteral("--db"), fifo, QStringLiteral("list")});
    EXPECT_EQ(special.exitCode, 2);
    EXPECT_TRUE(special.err.contains(fifo.toUtf8() + " is not a file"))
        << special.err.toStdString();
}

TEST_F(ZelpartsProgram, ADamagedFileEndsWithAMessageNeverACrash) {
    const QString damaged = dir.filePath(QStringLiteral("damaged.db"));
    {
        QFile f(damaged);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(QByteArray(8192, '\x5a'));
    }
    const Ran notADatabase = zelparts({QStringLiteral("--db"), damaged, QStringLiteral("csv")});
    EXPECT_FALSE(notADatabase.crashed);
    EXPECT_EQ(notADatabase.exitCode, 3);
    EXPECT_TRUE(notADatabase.err.contains("damaged.db")) << notADatabase.err.toStdString();
    QFile check(damaged);
    ASSERT_TRUE(check.open(QIODevice::ReadOnly));
    EXPECT_EQ(check.readAll(), QByteArray(8192, '\x5a')) << "read-only: never set aside";

    // The tables' pages overwritten: the schema still reads, the parts do not.
    {
        PartStore store;  // the last connection checkpoints the WAL into the file
        ASSERT_TRUE(store.open(file).ok());
    }
    QFile history(file);
    ASSERT_TRUE(history.open(QIODevice::ReadWrite));
    const qint64 pages = history.size() / 4096;
    for (qint64 page = 2; page < pages; ++page) {
        history.seek(page * 4096);
        history.write(QByteArray(4096, '\xff'));
    }
    history.close();
    for (const char *command : {"list", "csv", "show 1"}) {
        const Ran run = onFile(args(command));
        EXPECT_FALSE(run.crashed) << command;
        EXPECT_EQ(run.exitCode, 3) << command << ": " << run.err.toStdString();
        EXPECT_FALSE(run.err.isEmpty()) << command;
    }
}

}  // namespace

namespace {

// The name<TAB>value lines of `stats`.
std::map<QString, QString> statsLines(const QByteArray &out) {
    std::map<QString, QString> lines;
    for (const QByteArray &line : out.split('\n')) {
        const qsizetype tab = line.indexOf('\t');
        if (tab > 0) {
            lines[QString::fromUtf8(line.left(tab))] = QString::fromUtf8(line.mid(tab + 1));
        }
    }
    return lines;
}

}  // namespace

// A-100's channel 1 after the fixture's two parts (the second not valid, left out): 0.0012,
// then 0.0010 0.0011 0.0013 0.0014: mean 0.0012, moving ranges 2 1 2 1 (1e-4).
class ZelpartsStats : public ZelpartsProgram {
  protected:
    void SetUp() override {
        ZelpartsProgram::SetUp();
        PartStore store;
        ASSERT_TRUE(store.open(file).ok());
        int hour = 9;
        for (const float value : {0.0010f, 0.0011f, 0.0013f, 0.0014f}) {
            PartResult part = partAt(QStringLiteral("A-100"), 5, hour++, ToleranceVerdict::Good);
            part.characteristics[0].value = value;
            ASSERT_TRUE(store.append(part, snapshot()).ok());
        }
    }
};

TEST_F(ZelpartsStats, PrintsTheNumbersOfTheNewestPartsNumber) {
    const Ran run = onFile(args("stats --channel 1"));
    ASSERT_EQ(run.exitCode, 0) << run.err.toStdString();
    QStringList names;
    for (const QByteArray &line : run.out.split('\n')) {
        if (!line.isEmpty()) {
            names << QString::fromUtf8(line.split('\t').first());
        }
    }
    // The lines of old keep their order; each new one follows the line it belongs to, and a
    // figure that cannot be had is followed by its reason (5 values are too few for the test).
    EXPECT_EQ(names.join(QLatin1Char(' ')),
              u"n mean sigma_within sigma_within_limits sigma_overall cp cp_ci95 cpk cpk_ci95 pp "
              u"pp_ci95 ppk ppk_ci95 ppm_observed ppm_within ppm_overall ad reason_ad ad_p "
              u"reason_ad_p lcl cl ucl rule1");
    auto lines = statsLines(run.out);
    EXPECT_EQ(lines[QStringLiteral("n")], u"5");
    EXPECT_NEAR(lines[QStringLiteral("mean")].toDouble(), 0.0012, 1e-9);
    const double sigma = 1.5e-4 / 1.128379;
    EXPECT_NEAR(lines[QStringLiteral("sigma_within")].toDouble(), sigma, 1e-8);
    EXPECT_NEAR(lines[QStringLiteral("sigma_overall")].toDouble(), std::sqrt(2.5) * 1e-4, 1e-9);
    EXPECT_NEAR(lines[QStringLiteral("cp")].toDouble(), 0.04 / (6 * sigma), 1e-3);
    EXPECT_NEAR(lines[QStringLiteral("ucl")].toDouble(), 0.0012 + 3 * sigma, 1e-8);
    EXPECT_EQ(lines[QStringLiteral("rule1")], u"") << "judged, no break";
    // Bounds as low,high around the index; the limits' sigma is the whole period's here.
    const QStringList cpk = lines[QStringLiteral("cpk_ci95")].split(QLatin1Char(','));
    ASSERT_EQ(cpk.size(), 2);
    EXPECT_LT(cpk[0].toDouble(), lines[QStringLiteral("cpk")].toDouble());
    EXPECT_GT(cpk[1].toDouble(), lines[QStringLiteral("cpk")].toDouble());
    EXPECT_EQ(lines[QStringLiteral("sigma_within_limits")], lines[QStringLiteral("sigma_within")]);
    EXPECT_EQ(lines[QStringLiteral("ppm_observed")], u"0");
    EXPECT_EQ(lines[QStringLiteral("reason_ad")], u"fewer than 8 values");

    lines = statsLines(onFile(args("stats --channel 1 --last 1")).out);
    EXPECT_EQ(lines[QStringLiteral("n")], u"1");
    EXPECT_EQ(lines[QStringLiteral("sigma_overall")], u"-");
    EXPECT_EQ(lines[QStringLiteral("cpk")], u"-");
    EXPECT_EQ(lines[QStringLiteral("reason_cpk")], u"fewer than 2 values");
    EXPECT_EQ(lines[QStringLiteral("cpk_ci95")], u"-");
    EXPECT_EQ(lines[QStringLiteral("reason_cpk_ci95")], u"fewer than 2 values");
    EXPECT_EQ(lines[QStringLiteral("lcl")], u"-");
    // Not judged is not "no break".
    EXPECT_EQ(lines[QStringLiteral("rule1")], u"-");
    EXPECT_EQ(lines[QStringLiteral("reason_rule1")], u"fewer than 2 subgroups");

    lines = statsLines(onFile(args("stats --channel 1 --part B-7")).out);
    EXPECT_EQ(lines[QStringLiteral("n")], u"1");
    // A period without parts has nothing to say; a channel never measured is a mistake.
    lines = statsLines(onFile(args("stats --channel 1 --part A-100 --since 2030-01-01")).out);
    EXPECT_EQ(lines[QStringLiteral("n")], u"0");
    EXPECT_EQ(lines[QStringLiteral("mean")], u"-");
    const Ran none = onFile(args("stats --channel 99"));
    EXPECT_EQ(none.exitCode, 1);
    EXPECT_TRUE(none.out.isEmpty());
    EXPECT_EQ(none.err, "zelparts: channel 99 is no characteristic of part A-100\n");

    // The newest part from an untitled setup, without a part number: its own parts alone.
    {
        PartStore store;
        ASSERT_TRUE(store.open(file).ok());
        ASSERT_TRUE(
            store.append(partAt(QString(), 5, 14, ToleranceVerdict::Good), snapshot()).ok());
    }
    lines = statsLines(onFile(args("stats --channel 1")).out);
    EXPECT_EQ(lines[QStringLiteral("n")], u"1");
}

TEST_F(ZelpartsStats, FrozenLimitsAndTheSerialsOfEachBreak) {
    {
        PartStore store;
        ASSERT_TRUE(store.open(file).ok());
        PartEvent freeze{0,
                         QDateTime(QDate(2026, 3, 5), QTime(12, 30), QTimeZone(3600)),
                         PartEventKind::FreezeLimits,
                         QStringLiteral("A-100"),
                         1,
                         0,
                         QStringLiteral("anna"),
                         QStringLiteral("baseline"),
                         QStringLiteral("chart=imr;k=1;first=0.0005,0.0012,0.0019;"
                                        "second=0,0.0003,0.0009;sigma=0.0002")};
        ASSERT_FALSE(PartEvents(store).addEvent(freeze));
        PartResult part = partAt(QStringLiteral("A-100"), 5, 13, ToleranceVerdict::Good);
        part.characteristics[0].value = 0.0030f;
        ASSERT_TRUE(store.append(part, snapshot()).ok());
    }
    const Ran run = onFile(args("stats --channel 1 --rules 4,1"));
    ASSERT_EQ(run.exitCode, 0) << run.err.toStdString();
    const auto lines = statsLines(run.out);
    EXPECT_EQ(lines.at(QStringLiteral("lcl")), u"0.0005");
    EXPECT_EQ(lines.at(QStringLiteral("cl")), u"0.0012");
    EXPECT_EQ(lines.at(QStringLiteral("ucl")), u"0.0019");
    EXPECT_EQ(lines.at(QStringLiteral("sigma_within_limits")), u"0.0002");
    // Cp follows the period's sigma within (moving ranges 2 1 2 1 16, in 1e-4), not the frozen.
    const double sigma = 4.4e-4 / 1.128379;
    EXPECT_NEAR(lines.at(QStringLiteral("sigma_within")).toDouble(), sigma, 1e-8);
    EXPECT_NEAR(lines.at(QStringLiteral("cp")).toDouble(), 0.04 / (6 * sigma), 1e-3);
    EXPECT_EQ(lines.at(QStringLiteral("rule1")), u"7") << "beyond on both charts: once";
    EXPECT_EQ(lines.at(QStringLiteral("rule4")), u"");
    EXPECT_TRUE(run.out.endsWith("rule4\t\nrule1\t7\n")) << run.out.toStdString();
}

TEST_F(ZelpartsStats, OneSidedPrintsThatSidesIndicesOnly) {
    {
        PartStore store;
        ASSERT_TRUE(store.open(file).ok());
        SetupSnapshot upper = snapshot();
        upper.sides[1] = ToleranceSides::UpperOnly;
        for (const float value : {0.001f, 0.002f, 0.0015f}) {
            PartResult part = goodPart(QStringLiteral("R-1"));
            part.characteristics[0].value = value;
            ASSERT_TRUE(store.append(part, upper).ok());
        }
    }
    const Ran run = onFile(args("stats --channel 1 --part R-1"));
    ASSERT_EQ(run.exitCode, 0) << run.err.toStdString();
    const auto lines = statsLines(run.out);
    EXPECT_EQ(lines.count(QStringLiteral("cp")), 0u);
    EXPECT_EQ(lines.count(QStringLiteral("cpk")), 0u);
    ASSERT_EQ(lines.count(QStringLiteral("cpu")), 1u);
    // (0.02 - 0.0015) / (3 * 0.00075 / 1.128379): moving ranges 0.001 and 0.0005.
    EXPECT_NEAR(lines.at(QStringLiteral("cpu")).toDouble(), 0.0185 / (3 * 0.00075 / 1.128379),
                1e-3);
    EXPECT_EQ(lines.count(QStringLiteral("ppu")), 1u);
    // The side's bounds alone.
    EXPECT_EQ(lines.count(QStringLiteral("cpu_ci95")), 1u);
    EXPECT_EQ(lines.count(QStringLiteral("ppu_ci95")), 1u);
    EXPECT_EQ(lines.count(QStringLiteral("cp_ci95")), 0u);
    EXPECT_EQ(lines.count(QStringLiteral("cpk_ci95")), 0u);
}

// The part program beside the setup chooses the distribution: its fit's lines come before the
// indices it gives, and a fit refused says why in place of each parameter.
TEST_F(ZelpartsStats, ADistributionOtherThanNormalPrintsItsFit) {
    const QString setup = dir.filePath(QStringLiteral("disc.zel"));
    QFile partFile(dir.filePath(QStringLiteral("disc.zpart")));
    ASSERT_TRUE(partFile.open(QIODevice::WriteOnly));
    partFile.write("[Part]\r\nDistribution1=weibull\r\n");
    partFile.close();
    const auto measure = [&](const std::vector<float> &values) {
        PartStore store;
        ASSERT_TRUE(store.open(file).ok());
        SetupSnapshot here = snapshot();
        here.setupFile = setup;
        for (const float value : values) {
            PartResult part = goodPart(QStringLiteral("D-1"));
            part.characteristics[0].value = value;
            ASSERT_TRUE(store.append(part, here).ok());
        }
    };
    measure({0.0042f, 0.0061f, 0.0038f, 0.0075f, 0.0051f, 0.0029f});
    Ran run = onFile(args("stats --channel 1 --part D-1"));
    ASSERT_EQ(run.exitCode, 0) << run.err.toStdString();
    EXPECT_TRUE(run.out.contains("sigma_overall\t")) << run.out.toStdString();
    const qsizetype fit = run.out.indexOf("distribution\tweibull\nshape\t");
    ASSERT_GT(fit, 0) << run.out.toStdString();
    EXPECT_LT(run.out.indexOf("sigma_overall\t"), fit);
    EXPECT_LT(fit, run.out.indexOf("\ncp\t"));
    auto lines = statsLines(run.out);
    EXPECT_GT(lines.at(QStringLiteral("scale")).toDouble(), 0.004);
    EXPECT_NE(lines.at(QStringLiteral("pp")), u"-");
    EXPECT_EQ(lines.at(QStringLiteral("reason_pp_ci95")), u"the percentile method has none");

    measure({0.0f});
    lines = statsLines(onFile(args("stats --channel 1 --part D-1")).out);
    for (const char *name : {"shape", "scale", "pp", "ppk", "ppm_overall"}) {
        EXPECT_EQ(lines.at(QString::fromLatin1(name)), u"-") << name;
        EXPECT_EQ(lines.at(QStringLiteral("reason_") + QString::fromLatin1(name)),
                  u"a value is not above 0")
            << name;
    }
    EXPECT_NE(lines.at(QStringLiteral("cp")), u"-") << "the normal figures stay";
}

TEST_F(ZelpartsStats, APartFileThatCannotBeReadIsNamedAndItsDefaultsUsed) {
    const QString setup = dir.filePath(QStringLiteral("shaft.zel"));
    const QString partFile = dir.filePath(QStringLiteral("shaft.zpart"));
    ASSERT_TRUE(zeltest::makeFifo(partFile));  // would wait for a writer if it were opened
    {
        PartStore store;
        ASSERT_TRUE(store.open(file).ok());
        SetupSnapshot here = snapshot();
        here.setupFile = setup;
        ASSERT_TRUE(store.append(goodPart(QStringLiteral("F-1")), here).ok());
    }
    const Ran run = onFile(args("stats --channel 1 --part F-1"));
    EXPECT_EQ(run.exitCode, 0) << run.err.toStdString();
    EXPECT_TRUE(
        run.err.startsWith("zelparts: the part file " + partFile.toUtf8() + " cannot be read"))
        << run.err.toStdString();
    EXPECT_EQ(statsLines(run.out).at(QStringLiteral("n")), u"1");
}

TEST_F(ZelpartsStats, ABadArgumentOrNoFileEndsAsTheOtherCommandsDo) {
    EXPECT_EQ(onFile(args("stats")).exitCode, 1);
    EXPECT_EQ(zelparts(args("--db /nonexistent/parts.db stats --channel 1")).exitCode, 2);
}
