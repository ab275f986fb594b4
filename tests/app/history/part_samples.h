// Parts as the cycle hands them over, for the history's tests.
#pragma once

#include <QSqlDatabase>
#include <QSqlQuery>
#include <QUuid>

#include "history/part_store.h"
#include "model/part_result.h"

namespace zeltest {

inline zelapp::CharacteristicResult characteristic(int channel, std::optional<float> value,
                                                   zelapp::ToleranceVerdict verdict) {
    zelapp::CharacteristicResult c;
    c.channel = channel;
    c.description = QStringLiteral("Bore %1").arg(channel);
    c.units = QStringLiteral("mm");
    c.decimals = 4;
    c.limits = {-0.02f, -0.01f, 0.01f, 0.02f};
    c.value = value;
    c.verdict = verdict;
    return c;
}

// A completed Good part of two characteristics.
inline zelapp::PartResult goodPart(const QString &number = QStringLiteral("A-100")) {
    zelapp::PartResult part;
    part.number = number;
    part.description = QStringLiteral("Shaft");
    part.started = QDateTime(QDate(2026, 3, 4), QTime(10, 0, 0), Qt::OffsetFromUTC, 3600);
    part.ended = part.started.addMSecs(1234);
    part.completed = true;
    part.verdict = zelapp::ToleranceVerdict::Good;
    part.characteristics = {characteristic(1, 0.0012f, zelapp::ToleranceVerdict::Good),
                            characteristic(3, -0.0034f, zelapp::ToleranceVerdict::Good)};
    return part;
}

inline zelapp::SetupSnapshot snapshot() {
    zelapp::SetupSnapshot setup;
    setup.setupFile = QStringLiteral("/setups/shaft.zel");
    setup.station = QStringLiteral("Gauge 2");
    setup.formulas = {{1, QStringLiteral("T1")}, {3, QStringLiteral("(T2+T3)/2")}};
    return setup;
}

// A connection of its own to a history file, as another program would have.
class OtherConnection {
  public:
    explicit OtherConnection(const QString &file)
        : name_(QUuid::createUuid().toString(QUuid::WithoutBraces)) {
        QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), name_);
        db.setDatabaseName(file);
        db.open();
    }
    ~OtherConnection() { QSqlDatabase::removeDatabase(name_); }
    OtherConnection(const OtherConnection &) = delete;
    OtherConnection &operator=(const OtherConnection &) = delete;

    bool exec(const QString &statement) {
        QSqlQuery query(QSqlDatabase::database(name_, false));
        return query.exec(statement);
    }
    QVariant value(const QString &statement) {
        QSqlQuery query(QSqlDatabase::database(name_, false));
        return query.exec(statement) && query.next() ? query.value(0) : QVariant();
    }

  private:
    QString name_;
};

}  // namespace zeltest
