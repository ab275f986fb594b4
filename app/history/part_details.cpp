#include "history/part_details.h"

#include "history/part_history_model.h"

namespace zelapp {

PartDetails partDetails(const StoredPart &part,
                        const std::vector<RevisionCharacteristic> &revision) {
    PartDetails details;
    const QString none = QStringLiteral("—");
    const auto orNone = [&none](const QString &text) { return text.isEmpty() ? none : text; };
    const ToleranceVerdict verdict = verdictOfCode(part.verdict);
    details.fields = {
        {QStringLiteral("Time"), part.time.toString(QStringLiteral("yyyy-MM-dd HH:mm:ss.zzz t"))},
        {QStringLiteral("Station"), orNone(part.station)},
        {QStringLiteral("Setup file"), orNone(part.setupFile)},
        {QStringLiteral("Part number"), orNone(part.number)},
        {QStringLiteral("Description"), orNone(part.description)},
        {QStringLiteral("Serial"), QString::number(part.serial)},
        {QStringLiteral("Part ID"), orNone(part.partId)},
        {QStringLiteral("Verdict"), part.verdict + u' ' + verdictInWords(verdict)},
        {QStringLiteral("Reason"), orNone(part.reason)},
        {QStringLiteral("Completed"),
         part.completed ? QStringLiteral("yes") : QStringLiteral("no")},
        {QStringLiteral("Record"), QString::number(part.id)},
    };
    details.headers = {QStringLiteral("Channel"),        QStringLiteral("Description"),
                       QStringLiteral("Formula"),        QStringLiteral("Decimals"),
                       QStringLiteral("Units"),          QStringLiteral("Low tolerance"),
                       QStringLiteral("Low approach"),   QStringLiteral("High approach"),
                       QStringLiteral("High tolerance"), QStringLiteral("Value"),
                       QStringLiteral("Verdict"),        QStringLiteral("Reason")};
    for (const StoredValue &value : part.values) {
        const RevisionCharacteristic *c = nullptr;
        for (const RevisionCharacteristic &r : revision) {
            if (r.channel == value.channel) {
                c = &r;
            }
        }
        const int decimals = c != nullptr ? c->decimals : 4;
        const auto limit = [&](float l) {
            return c != nullptr ? signedValueText(static_cast<double>(l), decimals) : none;
        };
        details.rows.push_back(
            {QStringLiteral("C%1").arg(value.channel), c != nullptr ? orNone(c->description) : none,
             c != nullptr ? orNone(c->formula) : none,
             c != nullptr ? QString::number(c->decimals) : none,
             c != nullptr ? orNone(c->units) : none, limit(c != nullptr ? c->limits.loTol : 0),
             limit(c != nullptr ? c->limits.loAppr : 0), limit(c != nullptr ? c->limits.hiAppr : 0),
             limit(c != nullptr ? c->limits.hiTol : 0), signedValueText(value.value, decimals),
             value.verdict + u' ' + verdictInWords(verdictOfCode(value.verdict)),
             orNone(value.reason)});
    }
    return details;
}

}  // namespace zelapp
