#include "zelmqtt_payload.h"

#include <QLocale>
#include <cmath>

#include "base/runtime_text.h"
#include "history/revision_cache.h"

namespace zelmqtt {

namespace {

// Builds one object, keys in the order they are added.
class Object {
  public:
    Object &raw(const char *key, const QByteArray &json) {
        text_ += (text_.size() > 1 ? ",\"" : "\"") + QByteArray(key) + "\":" + json;
        return *this;
    }
    Object &text(const char *key, const QString &value) { return raw(key, jsonString(value)); }
    // An empty text is null.
    Object &textOrNull(const char *key, const QString &value) {
        return raw(key, value.isEmpty() ? QByteArray("null") : jsonString(value));
    }
    Object &single(const char *key, float value) {
        return raw(key, jsonNumber(zelapp::rt::shortestDecimal(value)));
    }
    QByteArray done() const { return text_ + '}'; }

  private:
    QByteArray text_ = "{";
};

QByteArray characteristic(const zelapp::StoredValue &value,
                          const zelapp::RevisionCharacteristic *known) {
    Object object;
    object.raw("channel", QByteArray::number(value.channel));
    object.text("description", known ? known->description : QString());
    // Values are captured as singles: their shortest text is what was measured.
    object.raw("value", value.value ? jsonNumber(zelapp::rt::shortestDecimal(float(*value.value)))
                                    : QByteArray("null"));
    object.raw("decimals", QByteArray::number(known ? known->decimals : 0));
    object.text("units", known ? known->units : QString());
    if (known) {
        object.single("lo_tol", known->limits.loTol)
            .single("lo_appr", known->limits.loAppr)
            .single("hi_appr", known->limits.hiAppr)
            .single("hi_tol", known->limits.hiTol);
    } else {
        object.raw("lo_tol", "null")
            .raw("lo_appr", "null")
            .raw("hi_appr", "null")
            .raw("hi_tol", "null");
    }
    object.text("verdict", value.verdict);
    return object.done();
}

}  // namespace

QByteArray jsonNumber(double value) {
    if (!std::isfinite(value)) {
        return "null";
    }
    if (value == 0) {
        return "0";  // -0 too: JSON readers differ on it
    }
    return QByteArray::number(value, 'g', QLocale::FloatingPointShortest);
}

QByteArray jsonString(const QString &text) {
    QString out = QStringLiteral("\"");
    for (const QChar c : text) {
        const char16_t u = c.unicode();
        if (u == u'"' || u == u'\\') {
            out += QLatin1Char('\\') + c;
        } else if (u == u'\n') {
            out += QStringLiteral("\\n");
        } else if (u == u'\t') {
            out += QStringLiteral("\\t");
        } else if (u < 0x20 || u == 0x7f) {
            out += QStringLiteral("\\u%1").arg(int(u), 4, 16, QLatin1Char('0'));
        } else {
            out += c;
        }
    }
    // Whole, so that surrogate pairs become one UTF-8 sequence.
    return (out + QLatin1Char('"')).toUtf8();
}

QByteArray partPayload(const zelapp::StoredPart &part,
                       const std::vector<zelapp::RevisionCharacteristic> &revision,
                       const QString &db, const QString &station) {
    QByteArray characteristics = "[";
    for (const zelapp::StoredValue &value : part.values) {
        if (characteristics.size() > 1) {
            characteristics += ',';
        }
        characteristics += characteristic(value, zelapp::characteristicOf(revision, value.channel));
    }
    characteristics += ']';
    Object object;
    object.raw("id", QByteArray::number(part.id))
        .text("db", db)
        .text("station", station)
        .text("time", part.time.toString(Qt::ISODateWithMs))
        .text("setup", part.setupFile)
        .text("part_number", part.number)
        .text("description", part.description)
        .raw("serial", QByteArray::number(part.serial))
        .textOrNull("part_id", part.partId)
        .text("verdict", part.verdict)
        .text("reason", part.reason)
        .raw("completed", part.completed ? "true" : "false")
        .raw("characteristics", characteristics);
    return object.done();
}

QByteArray statusPayload(const Status &status) {
    Object object;
    object.text("state", QStringLiteral("online"))
        .text("version", status.version)
        .textOrNull("setup", status.setup)
        .textOrNull("part_number", status.partNumber)
        .text("unit", status.unit)
        .text("cycle", status.cycle);
    return object.done();
}

QByteArray offlinePayload() {
    return "{\"state\":\"offline\"}";
}

QByteArray livePayload(const QString &text) {
    bool ok = false;
    const double value = text.trimmed().toDouble(&ok);
    Object object;
    object.text("text", text).raw("value", ok ? jsonNumber(value) : QByteArray("null"));
    return object.done();
}

QByteArray cyclePayload(const std::map<QString, QString> &items) {
    Object object;
    for (const char *key : {"state", "verdict", "count", "reason", "id"}) {
        const auto it = items.find(QString::fromLatin1(key));
        object.text(key, it == items.end() ? QString() : it->second);
    }
    return object.done();
}

}  // namespace zelmqtt
