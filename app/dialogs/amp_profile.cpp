#include "dialogs/amp_profile.h"

#include <algorithm>
#include <cstddef>
#include <iterator>
#include <optional>

#include "base/runtime_text.h"
#include "base/text_lines.h"
#include "base/whole_file.h"

using namespace Qt::StringLiterals;

namespace zelapp {

namespace {

const QString kHeader = u"[Amplifier Profile]"_s;
const QString kVersion = u"[ZELAPP Version 6.0]"_s;
const QString kGeneral = u"[General Setup]"_s;
const QString kEndSection = u"[End Section]"_s;
const QString kStartRecord = u"[START_AMP_PROFILE]"_s;
const QString kEndRecord = u"[END_AMP_PROFILE]"_s;
const QString kEnd = u"[Amplifier Profile End]"_s;
const QString kMaxLvdtKey = u"MaxLVDT"_s;
const QString kNotLoaded = u"\rNothing was loaded."_s;

void addLine(QByteArray &out, const QString &line) {
    out += line.toLatin1();
    out += "\r\n";
}

// A whole line as a decimal whole number: blanks around it, an optional minus, digits only.
// Values beyond any field's range come back as a bound far outside it rather than overflowing.
std::optional<qint64> wholeNumber(const QString &line) {
    qsizetype at = 0;
    qsizetype end = line.size();
    const auto blank = [&line](qsizetype i) { return line[i] == u' ' || line[i] == u'\t'; };
    while (at < end && blank(at)) {
        ++at;
    }
    while (end > at && blank(end - 1)) {
        --end;
    }
    const bool negative = at < end && line[at] == u'-';
    if (negative) {
        ++at;
    }
    if (at == end) {
        return std::nullopt;
    }
    constexpr qint64 kCap = qint64(1) << 40;
    qint64 value = 0;
    for (; at < end; ++at) {
        const char16_t c = line[at].unicode();
        if (c < u'0' || c > u'9') {
            return std::nullopt;
        }
        value = std::min(value * 10 + (c - u'0'), kCap);
    }
    return negative ? -value : value;
}

struct Field {
    const char *name;
    int low;
    int high;
};

// The five numbered lines of a record, in file order.
constexpr Field kRecordFields[] = {{"probe number", 1, 32767},
                                   {"Ri", 0, 255},
                                   {"coarse gain", 0, 255},
                                   {"fine gain", -32768, 32767},
                                   {"null", -32768, 32767}};

class ProfileReader {
  public:
    ProfileReader(const QByteArray &bytes, int maxLvdt)
        : lines_(textLines(bytes)), maxLvdt_(maxLvdt) {}

    AmpProfileRead read() {
        if (!lines_.empty()) {
            readLines();
        }
        return std::move(result_);
    }

  private:
    void readLines() {
        if (lines_[0] != kHeader) {
            finish(AmpProfileRead::Outcome::NotAProfile,
                   u"This is not an Amplifier Profile file\r"_s + lines_[0]);
            return;
        }
        // Line 2 names the writing program's version; nothing depends on it.
        next_ = 2;
        while (next_ < lines_.size()) {
            const std::size_t at = next_++;
            const QString &line = lines_[at];
            if (line == kGeneral) {
                if (!readGeneral(at)) {
                    return;
                }
            } else if (line == kStartRecord) {
                if (!readRecord(at)) {
                    return;
                }
            } else if (line == kEnd) {
                return;  // anything after the end line is not part of the profile
            } else {
                result_.warnings.push_back(u"Section:"_s + line + u" not valid"_s);
            }
        }
    }

    bool readGeneral(std::size_t start) {
        while (next_ < lines_.size()) {
            const std::size_t at = next_++;
            const QString &line = lines_[at];
            if (line == kEndSection) {
                return true;
            }
            const qsizetype equals = line.indexOf(u'=');
            if (equals < 0 || line.left(equals) != kMaxLvdtKey) {
                result_.warnings.push_back(u"Unknown item in [general setup]\r"_s + line);
                continue;
            }
            const std::optional<qint64> value = wholeNumber(line.mid(equals + 1));
            if (!value) {
                return stop(lineMessage(at, u"whose value is not a number"_s));
            }
            if (*value != maxLvdt_) {
                result_.warnings.push_back(
                    u"Number of LVDTs stored in this file,\rdiffers from current setting"_s);
            }
        }
        return stop(
            u"The amplifier profile ends inside the [General Setup] section that starts "
            "on line %1."_s.arg(start + 1));
    }

    bool readRecord(std::size_t start) {
        // The five numbers and the closing line, which is not examined.
        if (lines_.size() - next_ < 6) {
            return stop(
                u"The amplifier profile ends inside the record that starts on line %1."_s.arg(
                    start + 1));
        }
        int values[std::size(kRecordFields)];
        for (std::size_t i = 0; i < std::size(kRecordFields); ++i) {
            const Field &field = kRecordFields[i];
            const std::size_t at = next_++;
            const std::optional<qint64> value = wholeNumber(lines_[at]);
            if (!value || *value < field.low || *value > field.high) {
                return stop(lineMessage(
                    at, u"which is not a valid %1 (%2 to %3)"_s.arg(QLatin1StringView(field.name))
                            .arg(field.low)
                            .arg(field.high)));
            }
            values[i] = static_cast<int>(*value);
        }
        ++next_;
        if (values[0] <= maxLvdt_) {
            result_.records.push_back(
                {values[0],
                 {static_cast<uint8_t>(values[2]), static_cast<uint8_t>(values[1]),
                  static_cast<int16_t>(values[3]), static_cast<int16_t>(values[4])}});
        }
        return true;
    }

    QString lineMessage(std::size_t at, const QString &verdict) const {
        return u"Line %1 of the amplifier profile holds \"%2\", %3."_s.arg(at + 1).arg(lines_[at],
                                                                                       verdict);
    }

    bool stop(const QString &reason) {
        finish(AmpProfileRead::Outcome::Stopped, reason + kNotLoaded);
        return false;
    }

    // Warnings met so far stay; the records do not, so a refused file applies nothing.
    void finish(AmpProfileRead::Outcome outcome, const QString &message) {
        result_.outcome = outcome;
        result_.message = message;
        result_.records.clear();
    }

    std::vector<QString> lines_;
    int maxLvdt_;
    std::size_t next_ = 0;
    AmpProfileRead result_;
};

}  // namespace

QByteArray ampProfileText(int maxLvdt, const std::vector<AmpRecord> &records) {
    QByteArray out;
    addLine(out, kHeader);
    addLine(out, kVersion);
    addLine(out, kGeneral);
    addLine(out, kMaxLvdtKey + u'=' + rt::listOutput(maxLvdt));
    addLine(out, kEndSection);
    for (const AmpRecord &r : records) {
        addLine(out, kStartRecord);
        for (int value : {r.probe, int(r.settings.ri), int(r.settings.coarse), int(r.settings.fine),
                          int(r.settings.null)}) {
            addLine(out, rt::listOutput(value));
        }
        addLine(out, kEndRecord);
    }
    addLine(out, kEnd);
    return out;
}

QString writeAmpProfile(const QString &path, const QByteArray &text) {
    return saveWholeFile(path, text);
}

AmpProfileRead readAmpProfile(const QByteArray &bytes, int maxLvdt) {
    return ProfileReader(bytes, maxLvdt).read();
}

}  // namespace zelapp
