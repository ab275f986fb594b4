#include "dfq/dfq_file.h"

#include <algorithm>
#include <optional>
#include <utility>

#include "dfq/dfq_number.h"
#include "dfq/dfq_text.h"
#include "history/stored_part_text.h"

namespace zelapp {

namespace {

constexpr int kPartNumberChars = 30;
constexpr int kDescriptionChars = 80;
constexpr int kIdentifierChars = 40;
// Beyond this the value format of the displays takes the bound too.
constexpr int kMaxDecimals = 30;

constexpr int kValid = 0;
constexpr int kNotValid = 129;
constexpr int kNotCompleted = 255;

class Lines {
  public:
    explicit Lines(DfqEncoding encoding) : encoding_(encoding) {}

    void add(const QString &key, const QString &value) {
        bytes_ += dfqEncode(key + QLatin1Char(' ') + value, encoding_);
        bytes_ += "\r\n";
    }
    void add(const char *field, int index, const QString &value) {
        add(QStringLiteral("%1/%2").arg(QLatin1String(field)).arg(index), value);
    }
    // A text field: cleaned, cut, left out when empty.
    void addText(const char *field, int index, const QString &text, int maxChars = -1) {
        const QString clean = dfqCleanText(maxChars < 0 ? text : dfqLeftChars(text, maxChars));
        if (!clean.isEmpty()) {
            add(field, index, clean);
        }
    }
    QByteArray bytes() const { return bytes_; }

  private:
    DfqEncoding encoding_;
    QByteArray bytes_;
};

int decimalsOf(const RevisionCharacteristic &c) {
    return std::clamp(c.decimals, 0, kMaxDecimals);
}

// The nominal as given, else the midpoint of the limits; empty when neither can be had.
QString nominalText(const RevisionCharacteristic &c) {
    if (const std::optional<QString> given = dfqFixedText(c.nominal)) {
        return *given;
    }
    const std::optional<QString> lo = dfqSingleText(c.limits.loTol);
    const std::optional<QString> hi = dfqSingleText(c.limits.hiTol);
    return lo && hi ? dfqMidpoint(*lo, *hi) : QString();
}

void addCharacteristic(Lines &lines, int i, const RevisionCharacteristic &c) {
    lines.add("K2001", i, QStringLiteral("C%1").arg(c.channel));
    lines.addText("K2002", i, c.description, kDescriptionChars);
    lines.add("K2022", i, QString::number(decimalsOf(c)));
    const QString nominal = nominalText(c);
    if (!nominal.isEmpty()) {
        lines.add("K2101", i, nominal);
    }
    // Limits out of order are put in order, as the judging does; a NaN stays where it is and
    // is left out.
    float lower = c.limits.loTol;
    float upper = c.limits.hiTol;
    if (upper < lower) {
        std::swap(lower, upper);
    }
    const std::optional<QString> lowerText = dfqSingleText(lower);
    const std::optional<QString> upperText = dfqSingleText(upper);
    if (c.sides != ToleranceSides::UpperOnly && lowerText) {
        lines.add("K2110", i, *lowerText);
    }
    if (c.sides != ToleranceSides::LowerOnly && upperText) {
        lines.add("K2111", i, *upperText);
    }
    lines.addText("K2142", i, c.units);
}

const StoredValue *valueOf(const StoredPart &part, int channel) {
    const auto found =
        std::find_if(part.values.begin(), part.values.end(),
                     [channel](const StoredValue &v) { return v.channel == channel; });
    return found == part.values.end() ? nullptr : &*found;
}

QString identifier(const StoredPart &part) {
    const QString given = dfqCleanText(part.partId);
    if (!given.isEmpty()) {
        return dfqLeftChars(given, kIdentifierChars);
    }
    const QString serial = QStringLiteral("-%1").arg(part.serial);
    return dfqLeftChars(dfqCleanText(part.station),
                        std::max(0, kIdentifierChars - static_cast<int>(serial.size()))) +
           serial;
}

void addPart(Lines &lines, const std::vector<RevisionCharacteristic> &characteristics,
             const StoredPart &part) {
    const QString time = part.time.toString(QStringLiteral("dd.MM.yyyy/HH:mm:ss"));
    const QString id = identifier(part);
    for (std::size_t n = 0; n < characteristics.size(); ++n) {
        const int i = static_cast<int>(n) + 1;
        const RevisionCharacteristic &c = characteristics[n];
        const StoredValue *stored = valueOf(part, c.channel);
        // A value no Single holds (a damaged file) counts as not valid.
        const bool valid = stored && storedSingle(stored->value) &&
                           stored->verdict != verdictCode(ToleranceVerdict::NotValid);
        int attribute = kValid;
        if (!part.completed) {
            attribute = kNotCompleted;
        } else if (!valid) {
            attribute = kNotValid;
        }
        lines.add("K0001", i,
                  attribute == kValid ? storedValueText(stored->value, decimalsOf(c))
                                      : QStringLiteral("0"));
        lines.add("K0002", i, QString::number(attribute));
        lines.add("K0004", i, time);
        lines.add("K0014", i, id);
    }
}

}  // namespace

QByteArray dfqFile(const std::vector<RevisionCharacteristic> &characteristics,
                   const std::vector<StoredPart> &parts, DfqEncoding encoding) {
    Lines lines(encoding);
    lines.add(QStringLiteral("K0100"), QString::number(characteristics.size()));
    if (!parts.empty()) {
        lines.add("K1001", 1, dfqCleanText(dfqLeftChars(parts.front().number, kPartNumberChars)));
        lines.addText("K1002", 1, parts.front().description, kDescriptionChars);
    }
    for (std::size_t n = 0; n < characteristics.size(); ++n) {
        addCharacteristic(lines, static_cast<int>(n) + 1, characteristics[n]);
    }
    for (const StoredPart &part : parts) {
        addPart(lines, characteristics, part);
    }
    return lines.bytes();
}

QString dfqFileName(const StoredPart &first) {
    // Joined, not through arg(): a "%1" in a part number stays text.
    QString name = first.number + QLatin1Char('_') +
                   first.time.toString(QStringLiteral("yyyyMMdd-HHmmss")) + QLatin1Char('_') +
                   QString::number(first.serial) + QStringLiteral(".dfq");
    for (QChar &c : name) {
        const char16_t u = c.unicode();
        if (u < 0x20 || (u >= 0x7F && u <= 0x9F) || QStringView(u"\\/:*?\"<>|").contains(c)) {
            c = QLatin1Char('_');
        }
    }
    return name;
}

}  // namespace zelapp
