#include "history/part_schema.h"

#include <QCryptographicHash>
#include <QDataStream>
#include <QIODevice>
#include <algorithm>

namespace zelapp {

QStringList partSchemaStatements() {
    QStringList statements = {
        QStringLiteral("CREATE TABLE meta (key TEXT PRIMARY KEY, value TEXT NOT NULL)"),
        QStringLiteral("CREATE TABLE revisions ("
                       " id INTEGER PRIMARY KEY AUTOINCREMENT,"
                       " fingerprint BLOB NOT NULL UNIQUE)"),
        QStringLiteral("CREATE TABLE revision_characteristics ("
                       " revision_id INTEGER NOT NULL REFERENCES revisions(id),"
                       " position INTEGER NOT NULL,"
                       " channel INTEGER NOT NULL,"
                       " description TEXT NOT NULL,"
                       " formula TEXT NOT NULL,"
                       " decimals INTEGER NOT NULL,"
                       " units TEXT NOT NULL,"
                       " lo_tol REAL NOT NULL,"
                       " lo_appr REAL NOT NULL,"
                       " hi_appr REAL NOT NULL,"
                       " hi_tol REAL NOT NULL,"
                       " nominal TEXT NOT NULL DEFAULT '',"
                       " sides TEXT NOT NULL DEFAULT '',"
                       " PRIMARY KEY (revision_id, position)) WITHOUT ROWID"),
        QStringLiteral("CREATE TABLE parts ("
                       " id INTEGER PRIMARY KEY AUTOINCREMENT,"
                       " time_ms INTEGER NOT NULL,"
                       " utc_offset INTEGER NOT NULL,"
                       " station TEXT NOT NULL,"
                       " setup_file TEXT NOT NULL,"
                       " revision_id INTEGER NOT NULL REFERENCES revisions(id),"
                       " part_number TEXT NOT NULL,"
                       " description TEXT NOT NULL,"
                       " serial INTEGER NOT NULL,"
                       " verdict TEXT NOT NULL,"
                       " reason TEXT NOT NULL,"
                       " completed INTEGER NOT NULL,"
                       " part_id TEXT NOT NULL,"
                       " UNIQUE (part_number, serial))"),
        QStringLiteral("CREATE INDEX parts_time ON parts (time_ms)"),
        QStringLiteral("CREATE TABLE part_values ("
                       " part_id INTEGER NOT NULL REFERENCES parts(id),"
                       " position INTEGER NOT NULL,"
                       " channel INTEGER NOT NULL,"
                       " value REAL,"
                       " verdict TEXT NOT NULL,"
                       " reason TEXT NOT NULL,"
                       " PRIMARY KEY (part_id, position)) WITHOUT ROWID"),
    };
    return statements << dfqQueueStatements() << eventStatements();
}

QStringList eventStatements() {
    return {
        QStringLiteral("CREATE TABLE events ("
                       " id INTEGER PRIMARY KEY AUTOINCREMENT,"
                       " time_ms INTEGER NOT NULL,"
                       " utc_offset INTEGER NOT NULL,"
                       " kind TEXT NOT NULL,"
                       " part_number TEXT NOT NULL,"
                       " channel INTEGER NOT NULL,"
                       " part_id INTEGER NOT NULL,"
                       " who TEXT NOT NULL,"
                       " why TEXT NOT NULL,"
                       " data TEXT NOT NULL)"),
        // A characteristic's events are read together, in the order stored.
        QStringLiteral("CREATE INDEX events_characteristic ON events (part_number, channel, id)"),
    };
}

QString eventKindText(PartEventKind kind) {
    switch (kind) {
        case PartEventKind::FreezeLimits:
            return QStringLiteral("freeze");
        case PartEventKind::Exclude:
            return QStringLiteral("exclude");
        case PartEventKind::NewStage:
            return QStringLiteral("stage");
        case PartEventKind::OutOfControl:
            return QStringLiteral("out");
        case PartEventKind::Cause:
            break;
    }
    return QStringLiteral("cause");
}

std::optional<PartEventKind> eventKindOf(const QString &text) {
    for (const PartEventKind kind :
         {PartEventKind::FreezeLimits, PartEventKind::Exclude, PartEventKind::NewStage,
          PartEventKind::OutOfControl, PartEventKind::Cause}) {
        if (eventKindText(kind) == text) {
            return kind;
        }
    }
    return std::nullopt;
}

QStringList dfqQueueStatements() {
    return {
        QStringLiteral("CREATE TABLE dfq_exports ("
                       " part_id INTEGER PRIMARY KEY REFERENCES parts(id),"
                       " folder TEXT NOT NULL,"
                       " temp_name TEXT NOT NULL DEFAULT '',"
                       " done INTEGER NOT NULL DEFAULT 0)"),
        // Only the waiting entries: the index stays small however many parts were sent.
        QStringLiteral("CREATE INDEX dfq_exports_waiting ON dfq_exports (part_id) WHERE done = 0"),
    };
}

QStringList schemaUpgradeStatements(int fromVersion) {
    QStringList statements;
    if (fromVersion < 2) {
        statements << QStringLiteral(
                          "ALTER TABLE revision_characteristics"
                          " ADD COLUMN nominal TEXT NOT NULL DEFAULT ''")
                   << QStringLiteral(
                          "ALTER TABLE revision_characteristics"
                          " ADD COLUMN sides TEXT NOT NULL DEFAULT ''")
                   << dfqQueueStatements() << eventStatements();
    }
    return statements;
}

QString sidesText(ToleranceSides sides) {
    switch (sides) {
        case ToleranceSides::UpperOnly:
            return QStringLiteral("upper");
        case ToleranceSides::LowerOnly:
            return QStringLiteral("lower");
        case ToleranceSides::Both:
            break;
    }
    return QStringLiteral("");
}

ToleranceSides sidesOf(const QString &text) {
    if (text == u"upper") {
        return ToleranceSides::UpperOnly;
    }
    if (text == u"lower") {
        return ToleranceSides::LowerOnly;
    }
    return ToleranceSides::Both;
}

std::vector<RevisionCharacteristic> revisionOf(const PartResult &part, const SetupSnapshot &setup) {
    std::vector<RevisionCharacteristic> revision;
    revision.reserve(part.characteristics.size());
    for (const CharacteristicResult &c : part.characteristics) {
        const auto formula = setup.formulas.find(c.channel);
        const auto nominal = setup.nominals.find(c.channel);
        const auto sides = setup.sides.find(c.channel);
        revision.push_back({c.channel, c.description,
                            formula == setup.formulas.end() ? QString() : formula->second,
                            c.decimals, c.units, c.limits,
                            nominal == setup.nominals.end() ? QString() : nominal->second,
                            sides == setup.sides.end() ? ToleranceSides::Both : sides->second});
    }
    return revision;
}

QByteArray revisionFingerprint(const std::vector<RevisionCharacteristic> &characteristics) {
    QByteArray bytes;
    QDataStream out(&bytes, QIODevice::WriteOnly);
    out.setVersion(QDataStream::Qt_6_0);
    out << quint32(1) << quint32(characteristics.size());
    for (const RevisionCharacteristic &c : characteristics) {
        // Floats as they are: a limit edited by the least step is another revision.
        out.setFloatingPointPrecision(QDataStream::SinglePrecision);
        out << qint32(c.channel) << c.description << c.formula << qint32(c.decimals) << c.units
            << c.limits.loTol << c.limits.loAppr << c.limits.hiAppr << c.limits.hiTol;
    }
    // Nominals and sides join only when given, so that a revision without them keeps the
    // fingerprint it had before they existed and an upgraded file finds it again.
    const bool extended = std::any_of(
        characteristics.begin(), characteristics.end(), [](const RevisionCharacteristic &c) {
            return !c.nominal.isEmpty() || c.sides != ToleranceSides::Both;
        });
    if (extended) {
        out << quint32(2);
        for (const RevisionCharacteristic &c : characteristics) {
            out << (c.nominal.isNull() ? QStringLiteral("") : c.nominal) << sidesText(c.sides);
        }
    }
    return QCryptographicHash::hash(bytes, QCryptographicHash::Sha256);
}

}  // namespace zelapp
