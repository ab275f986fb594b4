// A DFQ reader of the tests' own: parses the files the station writes back into part number,
// characteristics and each part's values, and says what breaks the format (a line without
// CR LF, an unknown key, a value line before its characteristic, parts of unequal length).
#pragma once

#include <QByteArray>
#include <QString>
#include <optional>
#include <vector>

#include "dfq/dfq_file.h"

namespace zeltest {

struct DfqCharacteristic {
    QString number;  // K2001
    std::optional<QString> description, decimals, nominal, lower, upper, units;
};

struct DfqValue {
    QString value;  // K0001
    std::optional<int> attribute;
    QString time;
    QString identifier;
};

struct DfqContent {
    int count = 0;  // K0100
    std::optional<QString> partNumber, partDescription;
    std::vector<DfqCharacteristic> characteristics;
    std::vector<std::vector<DfqValue>> parts;  // per part, per characteristic
    QString error;                             // empty: the file is well formed
};

DfqContent readDfq(const QByteArray &bytes, zelapp::DfqEncoding encoding);

// A number in fixed notation ("-0.0025"); none for anything else, exponent forms included.
std::optional<double> dfqNumber(const QString &text);

}  // namespace zeltest
