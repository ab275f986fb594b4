// The DFQ file as the quality system reads it: the reference files written by hand, byte for
// byte, then one test per rule the reference files do not show at its boundaries.
#include <gtest/gtest.h>

#include <QFile>
#include <cmath>
#include <limits>

#include "dfq/dfq_file.h"
#include "dfq_reader.h"
#include "dfq_samples.h"

using namespace zelapp;
using namespace zeltest;

namespace {

QByteArray golden(const char *name) {
    QFile file(QStringLiteral(ZEL_DFQ_GOLDEN_DIR "/") + QLatin1String(name));
    EXPECT_TRUE(file.open(QIODevice::ReadOnly)) << name;
    return file.readAll();
}

DfqContent written(const std::vector<RevisionCharacteristic> &characteristics,
                   const std::vector<StoredPart> &parts, DfqEncoding encoding = DfqEncoding::Utf8) {
    DfqContent content = readDfq(dfqFile(characteristics, parts, encoding), encoding);
    EXPECT_EQ(content.error, QString());
    return content;
}

// One characteristic of one good part.
DfqContent one(const RevisionCharacteristic &c, std::optional<float> value = 0.0f) {
    return written({c}, {dfqPart(1, QTime(8, 0), {dfqValue(c.channel, value)})});
}

RevisionCharacteristic withLimits(float loTol, float hiTol, const QString &nominal = {}) {
    RevisionCharacteristic c =
        dfqCharacteristic(2, QStringLiteral("Bore"), 4, QStringLiteral("mm"), loTol, hiTol);
    c.nominal = nominal;
    return c;
}

}  // namespace

TEST(DfqFile, MatchesTheReferenceFilesByteForByteInBothEncodings) {
    EXPECT_EQ(dfqFile(shaftCharacteristics(), shaftParts(), DfqEncoding::Windows1252),
              golden("shaft_windows1252.dfq"));
    EXPECT_EQ(dfqFile(shaftCharacteristics(), shaftParts(), DfqEncoding::Utf8),
              golden("shaft_utf8.dfq"));
}

TEST(DfqFile, NominalIsTheOneGivenInFixedNotationElseTheExactMidpointOfTheLimits) {
    const std::vector<std::pair<QString, QString>> given = {
        {QStringLiteral("1e-3"), QStringLiteral("0.001")},
        {QStringLiteral("12.50"), QStringLiteral("12.5")},
        {QStringLiteral("+.5"), QStringLiteral("0.5")},
        {QStringLiteral("-2.5E2"), QStringLiteral("-250")},
        {QStringLiteral(" 007 "), QStringLiteral("7")},
        {QStringLiteral("-0"), QStringLiteral("0")}};
    for (const auto &[text, fixed] : given) {
        EXPECT_EQ(one(withLimits(-1, 1, text)).characteristics[0].nominal, fixed)
            << text.toStdString();
    }
    // Not a number, or one beyond any Single: the midpoint instead.
    for (const char *odd : {"abc", "1e", ".", "1e999", "0x10"}) {
        EXPECT_EQ(one(withLimits(2, 4, QLatin1String(odd))).characteristics[0].nominal,
                  QStringLiteral("3"))
            << odd;
    }
    // Decimal arithmetic: a double would give 0.15000000000000002 and -0.0024999999999999996.
    EXPECT_EQ(one(withLimits(-0.015f, 0.01f)).characteristics[0].nominal,
              QStringLiteral("-0.0025"));
    EXPECT_EQ(one(withLimits(0.1f, 0.2f)).characteristics[0].nominal, QStringLiteral("0.15"));
    EXPECT_EQ(one(withLimits(0.00001f, 0.00002f)).characteristics[0].nominal,
              QStringLiteral("0.000015"));
    EXPECT_EQ(one(withLimits(1e7f, 3e7f)).characteristics[0].nominal, QStringLiteral("20000000"));
    EXPECT_EQ(one(withLimits(-3, -2)).characteristics[0].nominal, QStringLiteral("-2.5"));
    EXPECT_EQ(one(withLimits(-0.5f, 0.5f)).characteristics[0].nominal, QStringLiteral("0"));
    // A limit that is no number leaves the nominal and that limit out.
    const DfqCharacteristic nan = one(withLimits(std::nanf(""), 1)).characteristics[0];
    EXPECT_FALSE(nan.nominal);
    EXPECT_EQ(nan.upper, QStringLiteral("1"));
}

TEST(DfqFile, LimitsAreShortestFixedTextsInOrderAndOneSidedLeavesTheOtherOut) {
    const DfqCharacteristic small = one(withLimits(0.00001f, 1e8f)).characteristics[0];
    EXPECT_EQ(small.lower, QStringLiteral("0.00001"));
    EXPECT_EQ(small.upper, QStringLiteral("100000000"));
    const DfqCharacteristic swapped = one(withLimits(0.02f, -0.01f)).characteristics[0];
    EXPECT_EQ(swapped.lower, QStringLiteral("-0.01"));
    EXPECT_EQ(swapped.upper, QStringLiteral("0.02"));

    RevisionCharacteristic runOut = withLimits(0, 0.05f);
    runOut.sides = ToleranceSides::UpperOnly;
    const DfqCharacteristic upper = one(runOut).characteristics[0];
    EXPECT_FALSE(upper.lower);
    EXPECT_EQ(upper.upper, QStringLiteral("0.05"));
    EXPECT_EQ(upper.nominal, QStringLiteral("0.025"));
    runOut.sides = ToleranceSides::LowerOnly;
    const DfqCharacteristic lower = one(runOut).characteristics[0];
    EXPECT_EQ(lower.lower, QStringLiteral("0"));
    EXPECT_FALSE(lower.upper);
}

TEST(DfqFile, ValuesTakeTheChannelsDecimalsAndNoSignOnAZero) {
    const std::vector<std::tuple<float, int, QString>> cases = {
        {2.675f, 2, QStringLiteral("2.68")},
        {-2.5f, 0, QStringLiteral("-3")},
        {101.4f, 0, QStringLiteral("101")},
        {-0.0004f, 3, QStringLiteral("0.000")},
        {0.0004f, 3, QStringLiteral("0.000")},
        {1234567.0f, 1, QStringLiteral("1234567.0")},
        {1e-7f, 8, QStringLiteral("0.00000010")},
        {3e20f, 0, QStringLiteral("300000000000000000000")}};
    for (const auto &[value, decimals, text] : cases) {
        RevisionCharacteristic c = withLimits(-1, 1);
        c.decimals = decimals;
        const DfqContent content = one(c, value);
        EXPECT_EQ(content.parts[0][0].value, text) << value << " at " << decimals;
        EXPECT_EQ(content.parts[0][0].attribute, 0);
        EXPECT_EQ(content.characteristics[0].decimals, QString::number(decimals));
    }
}

TEST(DfqFile, AValueNotValidIsZeroWith129AndEveryValueOfAnUnfinishedPartZeroWith255) {
    const RevisionCharacteristic a = withLimits(-1, 1);
    RevisionCharacteristic b = a;
    b.channel = 5;
    StoredPart part = dfqPart(1, QTime(8, 0),
                              {dfqValue(2, 0.5f), dfqValue(5, std::nullopt, QStringLiteral("NV"))});
    // An infinite value, a channel the part has no value for, a value no Single holds (a
    // damaged file).
    RevisionCharacteristic c = a;
    c.channel = 6;
    RevisionCharacteristic d = a;
    d.channel = 7;
    RevisionCharacteristic e = a;
    e.channel = 8;
    part.values.push_back(dfqValue(6, std::numeric_limits<float>::infinity()));
    part.values.push_back(dfqValue(8, 0));
    part.values.back().value = 1e300;
    const DfqContent completed = written({a, b, c, d, e}, {part});
    ASSERT_EQ(completed.parts.size(), 1u);
    EXPECT_EQ(completed.parts[0][0].value, QStringLiteral("0.5000"));
    EXPECT_EQ(completed.parts[0][0].attribute, 0);
    for (std::size_t i = 1; i < 5; ++i) {
        EXPECT_EQ(completed.parts[0][i].value, QStringLiteral("0")) << i;
        EXPECT_EQ(completed.parts[0][i].attribute, 129) << i;
    }
    part.completed = false;
    const DfqContent cancelled = written({a, b, c, d, e}, {part});
    for (std::size_t i = 0; i < 5; ++i) {
        EXPECT_EQ(cancelled.parts[0][i].value, QStringLiteral("0")) << i;
        EXPECT_EQ(cancelled.parts[0][i].attribute, 255) << i;
    }
}

TEST(DfqFile, TextsStayOnTheirLineAreCutByCharacterAndEmptyOnesAreLeftOut) {
    const QString emoji = QStringLiteral("\U0001F600");
    RevisionCharacteristic c = withLimits(-1, 1);
    c.description = QString(79, QLatin1Char('d')) + emoji + QStringLiteral("cut");
    c.units.clear();
    StoredPart part = dfqPart(1, QTime(8, 0), {dfqValue(2, 0)});
    part.number = QStringLiteral("N\tO\r\n") + QString(40, QLatin1Char('9'));
    part.description.clear();
    DfqContent content = written({c}, {part});
    EXPECT_EQ(content.partNumber, QStringLiteral("N O  ") + QString(25, QLatin1Char('9')));
    EXPECT_FALSE(content.partDescription);
    EXPECT_EQ(content.characteristics[0].description, QString(79, QLatin1Char('d')) + emoji);
    EXPECT_FALSE(content.characteristics[0].units);
    c.description = QString(80, QLatin1Char('d')) + emoji;
    EXPECT_EQ(written({c}, {part}).characteristics[0].description, QString(80, QLatin1Char('d')));

    // Windows-1252: its 0x80-0x9F characters, Latin-1, "?" for the rest; a pair is one "?".
    c.description = QStringLiteral("\u20AC\u2030\u0178 \u00E4\u00FF \u03A9") + emoji +
                    QStringLiteral("\u0085|");
    const QByteArray bytes = dfqFile({c}, {part}, DfqEncoding::Windows1252);
    EXPECT_TRUE(bytes.contains("K2002/1 \x80\x89\x9F \xE4\xFF ?? |\r\n")) << bytes.toStdString();
    EXPECT_FALSE(dfqFile({c}, {part}, DfqEncoding::Utf8).startsWith("\xEF\xBB\xBF"));
}

TEST(DfqFile, IdentifierIsTheOneGivenElseStationAndSerialAtMost40Characters) {
    const RevisionCharacteristic c = withLimits(-1, 1);
    StoredPart part = dfqPart(12345, QTime(8, 0), {dfqValue(2, 0)});
    const auto identifier = [&c](const StoredPart &p) {
        return written({c}, {p}).parts[0][0].identifier;
    };
    EXPECT_EQ(identifier(part), QStringLiteral("Gauge 2-12345"));
    part.station = QStringLiteral("Line\t4 ") + QString(40, QLatin1Char('s'));
    EXPECT_EQ(identifier(part),
              QStringLiteral("Line 4 ") + QString(27, QLatin1Char('s')) + QStringLiteral("-12345"));
    part.partId = QStringLiteral("SCAN\n") + QString(40, QLatin1Char('7'));
    EXPECT_EQ(identifier(part), QStringLiteral("SCAN ") + QString(35, QLatin1Char('7')));
    part.partId = QString(40, QLatin1Char('x'));
    EXPECT_EQ(identifier(part), part.partId);
}

TEST(DfqFile, FileNameIsPartNumberLocalTimeAndSerialWithForbiddenCharactersReplaced) {
    StoredPart part = dfqPart(42, QTime(23, 59, 58), {});
    part.time = QDateTime(QDate(2026, 12, 31), QTime(23, 59, 58), QTimeZone(-5 * 3600));
    EXPECT_EQ(dfqFileName(part), QStringLiteral("A-100_20261231-235958_42.dfq"));
    part.number = QStringLiteral("a\\b/c:d*e?f\"g<h>i|j\tk\u0085l%1 \u00E4");
    EXPECT_EQ(dfqFileName(part),
              QStringLiteral("a_b_c_d_e_f_g_h_i_j_k_l%1 \u00E4_20261231-235958_42.dfq"));
}
