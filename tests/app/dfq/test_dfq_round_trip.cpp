// Many random parts written and read back by the tests' own reader: every value, attribute,
// time, identifier, limit and text comes back as the rules say, in both encodings.
#include <gtest/gtest.h>

#include <QTimeZone>
#include <algorithm>
#include <cmath>
#include <random>

#include "base/runtime_text.h"
#include "dfq/dfq_file.h"
#include "dfq_reader.h"

using namespace zelapp;
using namespace zeltest;

namespace {

// Characters the texts are made of: plain, Latin-1, Windows-1252's own, none of its (Omega,
// a pair) and the ones that must not break a line.
const QStringList kAlphabet = {
    QStringLiteral("a"),      QStringLiteral("Z"),          QStringLiteral("7"),
    QStringLiteral(" "),      QStringLiteral("-"),          QStringLiteral("/"),
    QStringLiteral("\u00E4"), QStringLiteral("\u00B5"),     QStringLiteral("\u20AC"),
    QStringLiteral("\u03A9"), QStringLiteral("\U0001F600"), QStringLiteral("\t"),
    QStringLiteral("\r\n"),   QStringLiteral("\n")};

class Random {
  public:
    explicit Random(unsigned seed) : engine_(seed) {}
    int between(int low, int high) {
        return std::uniform_int_distribution<int>(low, high)(engine_);
    }
    bool chance(double p) { return std::bernoulli_distribution(p)(engine_); }
    float real(float low, float high) {
        return std::uniform_real_distribution<float>(low, high)(engine_);
    }
    QString text(int maxChars) {
        QString text;
        for (int n = between(0, maxChars); n > 0; --n) {
            text += kAlphabet[between(0, static_cast<int>(kAlphabet.size()) - 1)];
        }
        return text;
    }

  private:
    std::mt19937 engine_;
};

// What a text becomes: one line, and in Windows-1252 "?" for what it lacks.
QString expectedText(QString text, DfqEncoding encoding) {
    text.replace(QStringLiteral("\r\n"), QStringLiteral("  "));
    text.replace(QLatin1Char('\n'), QLatin1Char(' ')).replace(QLatin1Char('\t'), QLatin1Char(' '));
    if (encoding == DfqEncoding::Windows1252) {
        text.replace(QStringLiteral("\u03A9"), QStringLiteral("?"));
        text.replace(QStringLiteral("\U0001F600"), QStringLiteral("?"));
    }
    return text;
}

int characters(const QString &text) {
    return static_cast<int>(text.toUcs4().size());
}

// The text whole, or its first `max` characters.
void expectCut(const QString &read, const QString &text, int max) {
    if (characters(text) <= max) {
        EXPECT_EQ(read, text);
    } else {
        EXPECT_EQ(characters(read), max);
        EXPECT_TRUE(text.startsWith(read)) << read.toStdString();
    }
}

std::vector<RevisionCharacteristic> randomCharacteristics(Random &random) {
    std::vector<RevisionCharacteristic> characteristics;
    for (int n = random.between(1, 6); n > 0; --n) {
        RevisionCharacteristic c;
        c.channel = static_cast<int>(characteristics.size()) * 3 + random.between(1, 3);
        c.description = random.text(100);
        c.decimals = random.between(0, 6);
        c.units = random.text(4);
        const float scale = std::pow(10.0f, static_cast<float>(random.between(-4, 4)));
        c.limits = {random.real(-1, 1) * scale, 0, 0, random.real(-1, 1) * scale};
        if (random.chance(0.3)) {
            c.nominal = QString::number(random.real(-1, 1) * scale, 'g', random.between(1, 9));
        }
        c.sides = static_cast<ToleranceSides>(random.between(0, 2));
        characteristics.push_back(c);
    }
    return characteristics;
}

std::vector<StoredPart> randomParts(Random &random,
                                    const std::vector<RevisionCharacteristic> &characteristics) {
    const QString number = random.text(40);
    std::vector<StoredPart> parts;
    QDateTime time(QDate(2026, random.between(1, 12), random.between(1, 28)), QTime(0, 0),
                   QTimeZone(random.between(-48, 56) * 900));
    for (int n = random.between(1, 5); n > 0; --n) {
        StoredPart part;
        time = time.addSecs(random.between(1, 100000));
        part.time = time;
        part.number = number;
        part.station = random.text(50);
        part.serial = random.between(1, 2000000000);
        part.completed = random.chance(0.85);
        if (random.chance(0.5)) {
            part.partId = random.text(50);
        }
        for (const RevisionCharacteristic &c : characteristics) {
            StoredValue value;
            value.channel = c.channel;
            if (random.chance(0.85)) {
                const float scale = std::pow(10.0f, static_cast<float>(random.between(-5, 5)));
                value.value = static_cast<double>(random.real(-1, 1) * scale);
            }
            part.values.push_back(value);
        }
        parts.push_back(part);
    }
    return parts;
}

void checkCharacteristic(const RevisionCharacteristic &c, const DfqCharacteristic &read,
                         DfqEncoding encoding) {
    EXPECT_EQ(read.number, QStringLiteral("C%1").arg(c.channel));
    EXPECT_EQ(read.decimals, QString::number(c.decimals));
    EXPECT_EQ(read.description.has_value(), !c.description.isEmpty());
    expectCut(read.description.value_or(QString()), expectedText(c.description, encoding), 80);
    EXPECT_EQ(read.units.value_or(QString()), expectedText(c.units, encoding));
    const float lower = std::min(c.limits.loTol, c.limits.hiTol);
    const float upper = std::max(c.limits.loTol, c.limits.hiTol);
    // Each limit reads back as the very Single.
    EXPECT_EQ(read.lower.has_value(), c.sides != ToleranceSides::UpperOnly);
    EXPECT_EQ(read.upper.has_value(), c.sides != ToleranceSides::LowerOnly);
    if (read.lower) {
        EXPECT_EQ(static_cast<float>(dfqNumber(*read.lower).value_or(NAN)), lower)
            << read.lower->toStdString();
    }
    if (read.upper) {
        EXPECT_EQ(static_cast<float>(dfqNumber(*read.upper).value_or(NAN)), upper)
            << read.upper->toStdString();
    }
    ASSERT_TRUE(read.nominal);
    const std::optional<double> nominal = dfqNumber(*read.nominal);
    ASSERT_TRUE(nominal) << read.nominal->toStdString();
    const double expected = c.nominal.isEmpty()
                                ? (rt::shortestDecimal(lower) + rt::shortestDecimal(upper)) / 2
                                : c.nominal.toDouble();
    // The exact midpoint against a double's: as near as the limits' size allows.
    EXPECT_NEAR(*nominal, expected, (std::abs(lower) + std::abs(upper)) * 1e-15 + 1e-300);
}

void checkValue(const StoredPart &part, const RevisionCharacteristic &c, const DfqValue &read) {
    const auto value = std::find_if(part.values.begin(), part.values.end(),
                                    [&c](const StoredValue &v) { return v.channel == c.channel; });
    ASSERT_NE(value, part.values.end());
    if (!part.completed || !value->value) {
        EXPECT_EQ(read.value, QStringLiteral("0"));
        EXPECT_EQ(read.attribute, part.completed ? 129 : 255);
    } else {
        EXPECT_EQ(read.attribute, 0);
        const float single = static_cast<float>(*value->value);
        EXPECT_EQ(dfqNumber(read.value), rt::roundedDecimal(single, c.decimals))
            << read.value.toStdString() << " for " << single;
        const qsizetype point = read.value.indexOf(QLatin1Char('.'));
        EXPECT_EQ(point < 0 ? 0 : read.value.size() - point - 1, c.decimals);
    }
    // The time of day where the part was measured, whatever the zone of the test.
    const QStringList time = read.time.split(QLatin1Char('/'));
    ASSERT_EQ(time.size(), 2) << read.time.toStdString();
    EXPECT_EQ(QDate::fromString(time[0], QStringLiteral("dd.MM.yyyy")), part.time.date());
    EXPECT_EQ(QTime::fromString(time[1], QStringLiteral("HH:mm:ss")), part.time.time());
    EXPECT_LE(characters(read.identifier), 40);
    if (part.partId.isEmpty()) {
        EXPECT_TRUE(read.identifier.endsWith(QStringLiteral("-%1").arg(part.serial)));
    }
}

}  // namespace

TEST(DfqRoundTrip, ManyRandomPartsReadBackAsWritten) {
    Random random(20261210);
    for (int file = 0; file < 300; ++file) {
        const std::vector<RevisionCharacteristic> characteristics = randomCharacteristics(random);
        const std::vector<StoredPart> parts = randomParts(random, characteristics);
        const DfqEncoding encoding = file % 2 == 0 ? DfqEncoding::Utf8 : DfqEncoding::Windows1252;
        const DfqContent read = readDfq(dfqFile(characteristics, parts, encoding), encoding);
        SCOPED_TRACE(file);
        ASSERT_EQ(read.error, QString());
        ASSERT_EQ(read.count, static_cast<int>(characteristics.size()));
        ASSERT_TRUE(read.partNumber);
        expectCut(*read.partNumber, expectedText(parts.front().number, encoding), 30);
        ASSERT_EQ(read.characteristics.size(), characteristics.size());
        for (std::size_t i = 0; i < characteristics.size(); ++i) {
            checkCharacteristic(characteristics[i], read.characteristics[i], encoding);
        }
        ASSERT_EQ(read.parts.size(), parts.size());
        for (std::size_t p = 0; p < parts.size(); ++p) {
            for (std::size_t i = 0; i < characteristics.size(); ++i) {
                checkValue(parts[p], characteristics[i], read.parts[p][i]);
            }
        }
    }
}
