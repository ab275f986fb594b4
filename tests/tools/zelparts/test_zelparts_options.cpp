#include <gtest/gtest.h>

#include "history/stored_part_text.h"
#include "zelparts_options.h"
#include "zelparts_text.h"

using namespace zelparts;

namespace {

const QTimeZone berlin(QByteArrayLiteral("Europe/Berlin"));

QStringList split(const char *args) {
    return QString::fromUtf8(args).split(QLatin1Char(' '), Qt::SkipEmptyParts);
}

ParsedOptions parse(const char *args) {
    return parseZelpartsOptions(split(args), berlin);
}

QString utc(const char *text) {
    const std::optional<QDateTime> time = parseTimeArgument(QString::fromUtf8(text), berlin);
    return time ? time->toUTC().toString(Qt::ISODateWithMs) : QStringLiteral("none");
}

TEST(ZelpartsTime, ADateOrATimeWithoutOffsetIsLocalAndAnOffsetIsHonoured) {
    EXPECT_EQ(utc("2026-03-04"), u"2026-03-03T23:00:00.000Z");
    EXPECT_EQ(utc("2026-07-04"), u"2026-07-03T22:00:00.000Z") << "summer time";
    EXPECT_EQ(utc("2026-03-04T10:15"), u"2026-03-04T09:15:00.000Z");
    EXPECT_EQ(utc("2026-03-04 10:15:30"), u"2026-03-04T09:15:30.000Z");
    EXPECT_EQ(utc("2026-03-04T10:15:30.5"), u"2026-03-04T09:15:30.500Z");
    EXPECT_EQ(utc("2026-03-04T10:15:30,123999"), u"2026-03-04T09:15:30.123Z");
    EXPECT_EQ(utc("2026-03-04T10:15:30Z"), u"2026-03-04T10:15:30.000Z");
    EXPECT_EQ(utc("2026-03-04T10:15:30+05:30"), u"2026-03-04T04:45:30.000Z");
    EXPECT_EQ(utc("2026-03-04T10:15:30-0800"), u"2026-03-04T18:15:30.000Z");
    EXPECT_EQ(utc("2026-03-04T10:15+14"), u"2026-03-03T20:15:00.000Z");
}

TEST(ZelpartsTime, WhatIsNotSuchATimeIsRefused) {
    for (const char *bad : {"", "2026-02-29", "2026-13-01", "2026-3-4", "26-03-04",
                            "2026-03-04T24:00", "2026-03-04T10:60", "2026-03-04T10",
                            "2026-03-04+01:00", "2026-03-04T10:15+15:00", "2026-03-04T10:15+01:60",
                            "2026-03-04T10:15:30.", "2026-03-04T10:15 ", "today", "1741082400"}) {
        EXPECT_EQ(utc(bad), u"none") << bad;
    }
    EXPECT_EQ(utc("2028-02-29"), u"2028-02-28T23:00:00.000Z") << "a leap day";
}

TEST(ZelpartsOptions, CommandsWithTheirArgumentsAndTheDatabaseAnywhere) {
    ParsedOptions parsed = parse("--db /tmp/p.db list");
    ASSERT_TRUE(parsed.ok()) << parsed.error.toStdString();
    EXPECT_EQ(parsed.options.command, Command::List);
    EXPECT_EQ(parsed.options.db, u"/tmp/p.db");

    parsed = parse("csv --since=2026-03-04 --until 2026-03-05 --part A-100 --verdict W+ --db=x.db");
    ASSERT_TRUE(parsed.ok()) << parsed.error.toStdString();
    EXPECT_EQ(parsed.options.command, Command::Csv);
    EXPECT_EQ(parsed.options.db, u"x.db");
    EXPECT_EQ(parsed.options.filter.since, QDateTime(QDate(2026, 3, 4), QTime(0, 0), berlin));
    EXPECT_EQ(parsed.options.filter.until, QDateTime(QDate(2026, 3, 5), QTime(0, 0), berlin));
    EXPECT_EQ(parsed.options.filter.number, u"A-100");
    EXPECT_EQ(parsed.options.filter.verdict, u"W+");

    parsed = parse("show 42");
    ASSERT_TRUE(parsed.ok());
    EXPECT_EQ(parsed.options.command, Command::Show);
    EXPECT_EQ(parsed.options.partId, 42);

    parsed = parse("backup -- --odd-name.db");
    ASSERT_TRUE(parsed.ok()) << parsed.error.toStdString();
    EXPECT_EQ(parsed.options.command, Command::Backup);
    EXPECT_EQ(parsed.options.backupFile, u"--odd-name.db");

    EXPECT_TRUE(parse("list --help").options.help);
    EXPECT_TRUE(parse("-h").options.help);
    for (const QString &code : verdictCodes()) {
        EXPECT_TRUE(parseZelpartsOptions(
                        {QStringLiteral("list"), QStringLiteral("--verdict"), code}, berlin)
                        .ok())
            << code.toStdString();
    }
    EXPECT_EQ(verdictCodes().join(QLatin1Char(' ')), u"G W+ W- R+ R- NV");
}

TEST(ZelpartsOptions, BadArgumentsAreRefusedWithAReason) {
    for (const char *bad : {"",
                            "--db",
                            "--db x.db",
                            "lst",
                            "list extra",
                            "list --since",
                            "list --since=",
                            "list --since yesterday",
                            "list --verdict GOOD",
                            "list --verdict g",
                            "list --part=",
                            "list --limit 3",
                            "show",
                            "show 0",
                            "show -3",
                            "show 4x",
                            "show 1 2",
                            "backup",
                            "backup a b",
                            "show 3 --part A",
                            "backup x.db --since 2026-03-04",
                            "list --since 2026-03-05 --until 2026-03-05",
                            "list --since 2026-03-05T10:00 --until 2026-03-05T09:00"}) {
        const ParsedOptions parsed = parse(bad);
        EXPECT_FALSE(parsed.ok()) << bad;
        EXPECT_FALSE(parsed.error.isEmpty()) << bad;
    }
    EXPECT_TRUE(parse("list --since 2026-03-05T10:00 --until 2026-03-05T10:00:00.001").ok())
        << "one millisecond is a period";
}

TEST(ZelpartsOptions, DfqWantsAFolderTakesTheFiltersAndAnEncoding) {
    ParsedOptions parsed = parse("dfq --out /tmp/qdas --part A-100 --since 2026-03-04");
    ASSERT_TRUE(parsed.ok()) << parsed.error.toStdString();
    EXPECT_EQ(parsed.options.command, Command::Dfq);
    EXPECT_EQ(parsed.options.dfqMode, DfqMode::Out);
    EXPECT_EQ(parsed.options.outFolder, u"/tmp/qdas");
    EXPECT_EQ(parsed.options.filter.number, u"A-100");
    EXPECT_FALSE(parsed.options.encoding) << "none given: the settings file's";
    EXPECT_EQ(parse("dfq --encoding=utf-8 --out=x").options.encoding, zelapp::DfqEncoding::Utf8);
    EXPECT_EQ(parse("dfq --out x --encoding windows-1252").options.encoding,
              zelapp::DfqEncoding::Windows1252);
    for (const char *bad :
         {"dfq", "dfq --out", "dfq --out x --encoding latin1", "dfq --out x --encoding UTF8",
          "dfq --out x extra", "list --out x", "csv --encoding utf-8", "show 3 --out x"}) {
        const ParsedOptions refused = parse(bad);
        EXPECT_FALSE(refused.ok()) << bad;
        EXPECT_FALSE(refused.error.isEmpty()) << bad;
    }
    EXPECT_TRUE(zelpartsUsage().contains(u"dfq --out DIR"));
    EXPECT_TRUE(zelpartsHelp().contains(u"--encoding E"));
}

// ---- What a part prints as ----

zelapp::StoredPart storedPart() {
    zelapp::StoredPart part;
    part.id = 7;
    part.time = QDateTime(QDate(2026, 3, 4), QTime(10, 0, 1, 5), QTimeZone(-3 * 3600));
    part.number = QStringLiteral("A\t100");
    part.serial = 12;
    part.verdict = QStringLiteral("NV");
    part.values = {{3, -0.00004, QStringLiteral("G"), {}},
                   {1, std::nullopt, QStringLiteral("NV"), QStringLiteral("read failed")},
                   {9, 1.0 / 3.0, QStringLiteral("G"), {}}};
    return part;
}

std::vector<zelapp::RevisionCharacteristic> revision() {
    return {{1,
             QStringLiteral("Bore"),
             QStringLiteral("T1"),
             2,
             QStringLiteral("mm"),
             {-0.5f, -0.25f, 0.25f, 0.5f},
             {},
             zelapp::ToleranceSides::Both},
            {3,
             QStringLiteral("Length"),
             QStringLiteral("(T2+T3)/2"),
             4,
             QStringLiteral("mm"),
             {-0.02f, -0.01f, 0.01f, 0.02f},
             {},
             zelapp::ToleranceSides::Both}};
}

TEST(ZelpartsText, AListLineIsOnePartInTheProgramsOrderAtItsDecimals) {
    EXPECT_EQ(
        listLine(storedPart(), revision()),
        u"7\t2026-03-04T10:00:01.005-03:00\tA 100\t12\tNV\tC3=0.0000\tC1=\tC9=0.3333333333333333\n")
        << "a rounded zero has no sign; a channel the revision lacks keeps full precision";
}

TEST(ZelpartsText, ShowGivesWhatJudgedEachCharacteristicBesideItsValue) {
    const QString text = showText(storedPart(), revision());
    for (const char *line :
         {"Part 7\n", "  time:            2026-03-04T10:00:01.005-03:00\n", "\nC1 Bore\n",
          "  formula:         T1\n", "  low tolerance:   -0.50\n", "  high approach:   0.25\n",
          "  value:           not valid\n", "  reason:          read failed\n", "\nC3 Length\n",
          "  formula:         (T2+T3)/2\n", "  high tolerance:  0.0200\n",
          "  value:           0.0000\n", "\nC9 \n", "  value:           0.3333333333333333\n"}) {
        EXPECT_TRUE(text.contains(QString::fromUtf8(line))) << line << "\n" << text.toStdString();
    }
    EXPECT_LT(text.indexOf(u"C1 Bore"), text.indexOf(u"C3 Length")) << "the revision's order";
}

TEST(StoredPartText, ValuesAndTimesHaveOneFormWhateverTheLocale) {
    EXPECT_EQ(zelapp::storedValueText(std::nullopt, 3), u"");
    EXPECT_EQ(zelapp::storedValueText(-1.23456, 3), u"-1.235");
    EXPECT_EQ(zelapp::storedValueText(-0.0004, 3), u"0.000");
    EXPECT_EQ(zelapp::storedValueText(1.5, 1000).size(), 32) << "decimals bounded";
    EXPECT_EQ(zelapp::partTimeText(QDateTime(QDate(2026, 1, 2), QTime(3, 4, 5, 6), QTimeZone(0))),
              u"2026-01-02T03:04:05.006+00:00");
    EXPECT_EQ(zelapp::partTimeText(QDateTime()), u"");
}

}  // namespace

TEST(ZelpartsOptions, StatsWantsAChannelAndTakesItsOwnOptions) {
    ParsedOptions parsed = parse(
        "stats --channel 3 --part A-100 --since 2026-03-04 --last 50 --subgroup 5 "
        "--rules 1,2,8");
    ASSERT_TRUE(parsed.ok()) << parsed.error.toStdString();
    EXPECT_EQ(parsed.options.command, Command::Stats);
    EXPECT_EQ(parsed.options.channel, 3);
    EXPECT_EQ(parsed.options.filter.number, u"A-100");
    EXPECT_EQ(parsed.options.lastParts, 50);
    EXPECT_EQ(parsed.options.subgroupSize, 5);
    EXPECT_EQ(parsed.options.rules, (std::vector<int>{1, 2, 8}));
    parsed = parse("stats --channel=1");
    ASSERT_TRUE(parsed.ok());
    EXPECT_FALSE(parsed.options.subgroupSize.has_value());
    EXPECT_FALSE(parsed.options.rules.has_value());
    for (const char *bad : {"stats", "stats --channel 0", "stats --channel x",
                            "stats --channel 1 --subgroup 26", "stats --channel 1 --subgroup 0",
                            "stats --channel 1 --rules 1,9", "stats --channel 1 --rules 1,,2",
                            "stats --channel 1 --last -4", "stats --channel 1 --verdict G",
                            "list --channel 1", "csv --rules 1", "dfq --out d --last 3"}) {
        EXPECT_FALSE(parse(bad).ok()) << bad;
    }
}
