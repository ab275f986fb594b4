#include "zelparts_text.h"

#include <QStringList>

#include "history/revision_cache.h"
#include "history/stored_part_text.h"

namespace zelparts {

using zelapp::RevisionCharacteristic;
using zelapp::StoredPart;
using zelapp::StoredValue;

namespace {

// "  label      value\n", the values lined up.
QString row(const QString &label, const QString &value) {
    return QStringLiteral("  %1 %2\n").arg(label + QLatin1Char(':'), -16).arg(oneLine(value));
}

}  // namespace

QString oneLine(QString text) {
    for (QChar &c : text) {
        if (c == u'\t' || c == u'\n' || c == u'\r') {
            c = u' ';
        }
    }
    return text;
}

QString listLine(const StoredPart &part, const std::vector<RevisionCharacteristic> &revision) {
    QStringList fields = {QString::number(part.id), zelapp::partTimeText(part.time),
                          oneLine(part.number), QString::number(part.serial),
                          oneLine(part.verdict)};
    for (const StoredValue &value : part.values) {
        fields << QStringLiteral("C%1=%2")
                      .arg(value.channel)
                      .arg(zelapp::judgedValueText(
                          value.value, zelapp::characteristicOf(revision, value.channel)));
    }
    return fields.join(QLatin1Char('\t')) + QLatin1Char('\n');
}

QString showText(const StoredPart &part, const std::vector<RevisionCharacteristic> &revision) {
    QString text = QStringLiteral("Part %1\n").arg(part.id);
    text += row(QStringLiteral("time"), zelapp::partTimeText(part.time));
    text += row(QStringLiteral("station"), part.station);
    text += row(QStringLiteral("setup file"), part.setupFile);
    text += row(QStringLiteral("revision"), QString::number(part.revision));
    text += row(QStringLiteral("part number"), part.number);
    text += row(QStringLiteral("description"), part.description);
    text += row(QStringLiteral("serial"), QString::number(part.serial));
    text += row(QStringLiteral("verdict"), part.verdict);
    text += row(QStringLiteral("reason"), part.reason);
    text += row(QStringLiteral("completed"),
                part.completed ? QStringLiteral("yes") : QStringLiteral("no"));
    text += row(QStringLiteral("part id"), part.partId);

    // The revision's characteristics in order, each with the value the part got on it; a
    // value on a channel the revision does not know (a file edited by hand) still shows.
    std::vector<int> channels;
    for (const RevisionCharacteristic &characteristic : revision) {
        channels.push_back(characteristic.channel);
    }
    for (const StoredValue &value : part.values) {
        if (!zelapp::characteristicOf(revision, value.channel)) {
            channels.push_back(value.channel);
        }
    }
    for (const int channel : channels) {
        const RevisionCharacteristic *judged = zelapp::characteristicOf(revision, channel);
        const StoredValue *measured = nullptr;
        for (const StoredValue &value : part.values) {
            if (value.channel == channel) {
                measured = &value;
                break;
            }
        }
        const auto limit = [&](float value) {
            return zelapp::judgedValueText(double(value), judged);
        };
        text += QStringLiteral("\nC%1 %2\n")
                    .arg(channel)
                    .arg(oneLine(judged ? judged->description : QString()));
        if (judged) {
            text += row(QStringLiteral("formula"), judged->formula);
            text += row(QStringLiteral("decimals"), QString::number(judged->decimals));
            text += row(QStringLiteral("units"), judged->units);
            text += row(QStringLiteral("low tolerance"), limit(judged->limits.loTol));
            text += row(QStringLiteral("low approach"), limit(judged->limits.loAppr));
            text += row(QStringLiteral("high approach"), limit(judged->limits.hiAppr));
            text += row(QStringLiteral("high tolerance"), limit(judged->limits.hiTol));
        }
        const QString value =
            measured ? zelapp::judgedValueText(measured->value, judged) : QString();
        text += row(QStringLiteral("value"), value.isEmpty() ? QStringLiteral("not valid") : value);
        text += row(QStringLiteral("verdict"), measured ? measured->verdict : QString());
        text += row(QStringLiteral("reason"), measured ? measured->reason : QString());
    }
    return text;
}

}  // namespace zelparts
