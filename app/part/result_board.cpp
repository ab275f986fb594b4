#include "part/result_board.h"

#include <algorithm>
#include <cmath>

#include "model/channel.h"
#include "setup/part_program.h"
#include "setup/setup.h"

using namespace Qt::StringLiterals;

namespace zelapp {

namespace {

// The states' and Not valid's own colours; the verdicts take their zones'. Not valid is a dark
// grey, or Okabe and Ito's reddish purple.
constexpr Rgb kReady{224, 224, 224};
constexpr Rgb kStandardMeasuring{70, 130, 180};
constexpr Rgb kStandardNotValid{96, 96, 96};
constexpr Rgb kSafeMeasuring{86, 180, 233};
constexpr Rgb kSafeNotValid{204, 121, 167};

BoardKind boardKindOf(ToleranceVerdict verdict) {
    switch (verdictKind(verdict)) {
        case VerdictKind::Good:
            return BoardKind::Good;
        case VerdictKind::Warning:
            return BoardKind::Warning;
        case VerdictKind::Reject:
            return BoardKind::Reject;
        case VerdictKind::NotValid:
            break;
    }
    return BoardKind::NotValid;
}

QString stateText(CycleState state) {
    switch (state) {
        case CycleState::Ready:
            return u"READY"_s;
        case CycleState::Settling:
            return u"MEASURING (settling)"_s;
        case CycleState::Acquiring:
            return u"MEASURING (acquiring)"_s;
        case CycleState::Result:
            break;
    }
    return u"RESULT"_s;
}

// The value's widest text at its decimals: a sign, as many whole digits as the largest limit
// has (two at least) and the decimals, in '8's, the widest digit of most fonts.
QString widestValue(const CharacteristicResult &c, const QString &shown) {
    const ToleranceLimits &l = c.limits;
    double largest = 1;
    for (const float limit : {l.loTol, l.loAppr, l.hiAppr, l.hiTol}) {
        if (std::isfinite(limit)) {
            largest = std::max(largest, std::fabs(static_cast<double>(limit)));
        }
    }
    const int whole = std::clamp(static_cast<int>(std::floor(std::log10(largest))) + 1, 2, 9);
    const int decimals = std::clamp(c.decimals, 0, 9);
    QString text = u"-"_s + QString(whole, u'8');
    if (decimals > 0) {
        text += u'.' + QString(decimals, u'8');
    }
    return shown.size() > text.size() ? shown : text;
}

QString sideWord(ToleranceVerdict verdict) {
    const int side = verdictSide(verdict);
    return side > 0 ? u" plus"_s : side < 0 ? u" minus"_s : QString();
}

ResultTile tileOf(const CharacteristicResult &c, bool held, ResultPalette palette) {
    ResultTile t;
    t.channel = c.channel;
    const QString description = c.description.trimmed();
    t.caption = description.isEmpty() ? u"Channel %1"_s.arg(c.channel) : description;
    t.accessibleName =
        description.isEmpty() ? t.caption : u"Channel %1: %2"_s.arg(c.channel).arg(description);
    t.units = c.units;
    t.limits = c.limits;
    if (!held) {
        t.colours = boardColours(BoardKind::Ready, palette);
        t.widest = widestValue(c, {});
        t.spoken = u"no result"_s;
        return t;
    }
    const QString shown = shownText(c);
    const bool valid = !shown.isEmpty();
    t.value = valid ? shown : u"—"_s;
    t.colours = boardColours(boardKindOf(c.verdict), palette);
    t.widest = widestValue(c, t.value);
    if (valid) {
        t.reading = c.value;
        t.verdict = c.verdict;
        t.mark = verdictSymbol(c.verdict) + u' ' + verdictWord(c.verdict);
        t.spoken = (c.units.isEmpty() ? t.value : t.value + u' ' + c.units) + u", "_s +
                   verdictWord(c.verdict) + sideWord(c.verdict);
    } else {
        const QString why = c.reason.isEmpty() ? verdictWord(ToleranceVerdict::NotValid) : c.reason;
        t.mark = verdictSymbol(ToleranceVerdict::NotValid) + u' ' + why;
        t.spoken = verdictWord(ToleranceVerdict::NotValid) + u", "_s + why;
    }
    return t;
}

QString partLine(const PartResult &part) {
    QStringList items{u"Part %1"_s.arg(part.count)};
    if (!part.number.isEmpty()) {
        items << part.number;
    }
    if (!part.id.isEmpty()) {
        items << u"ID "_s + part.id;
    }
    if (part.ended.isValid()) {
        items << part.ended.toString(u"HH:mm:ss"_s);
    }
    return items.join(u" · "_s);
}

// "LAST PART · Serial 12 · 14:03:22", without what is not known.
QString lastPartLine(const QString &serial, const QString &ended) {
    QStringList items{u"LAST PART"_s};
    for (const QString &item : {serial, ended}) {
        if (!item.isEmpty()) {
            items << item;
        }
    }
    return items.join(u" · "_s);
}

QString reasonOf(const PartResult &part) {
    if (verdictKind(part.verdict) != VerdictKind::NotValid) {
        return {};
    }
    QString why = part.reason;
    for (const CharacteristicResult &c : part.characteristics) {
        if (!why.isEmpty()) {
            break;
        }
        why = c.reason;
    }
    return why.isEmpty() ? QString() : u"Not valid: "_s + why;
}

}  // namespace

BoardColours boardColours(BoardKind kind, ResultPalette palette) {
    const bool safe = palette == ResultPalette::OkabeIto;
    Rgb background = kReady;
    switch (kind) {
        case BoardKind::Ready:
            break;
        case BoardKind::Measuring:
            background = safe ? kSafeMeasuring : kStandardMeasuring;
            break;
        case BoardKind::Good:
            background = *zoneColourOf(BarZone::Good, palette);
            break;
        case BoardKind::Warning:
            background = *zoneColourOf(BarZone::Approach, palette);
            break;
        case BoardKind::Reject:
            background = *zoneColourOf(BarZone::Reject, palette);
            break;
        case BoardKind::NotValid:
            background = safe ? kSafeNotValid : kStandardNotValid;
            break;
    }
    return {background, inkOn(background)};
}

QString countersText(const PartCounters &counters) {
    return u"Parts %1   Good %2   Warning %3   Reject %4   Not valid %5   Cancelled %6"_s
        .arg(counters.parts)
        .arg(counters.good)
        .arg(counters.warning)
        .arg(counters.reject)
        .arg(counters.notValid)
        .arg(counters.cancelled);
}

QStringList boardWords() {
    return {u"GOOD"_s, u"WARNING"_s, u"REJECT"_s, u"NOT VALID"_s, u"READY"_s, u"MEASURING"_s};
}

QStringList boardSymbols() {
    return verdictSymbols() << u"…"_s;
}

std::vector<CharacteristicResult> plannedCharacteristics(const PartProgram &program,
                                                         const Setup &setup) {
    std::vector<CharacteristicResult> planned;
    for (int n : effectiveCharacteristics(program, setup)) {
        const Channel *channel = setup.channel(n);
        if (channel == nullptr) {
            continue;
        }
        CharacteristicResult c;
        c.channel = n;
        c.description = channel->Description;
        c.units = channel->Units;
        c.decimals = channel->Decimals;
        c.limits = toleranceLimits(*channel);
        planned.push_back(std::move(c));
    }
    return planned;
}

void markRecord(ResultBoard &board, const RecordState &record) {
    const bool held = board.kind != BoardKind::Ready && board.kind != BoardKind::Measuring;
    QStringList marks;
    if (held) {
        // A part kept in memory whose serial the history cannot tell yet shows none.
        const QString serial = record.serial > 0 ? u"Serial "_s + QString::number(record.serial)
                               : record.heldNotRecorded ? u"serial pending"_s
                                                        : QString();
        if (!board.part.isEmpty() && !serial.isEmpty()) {
            board.part += u" · "_s + serial;
        }
        if (!board.lastPart.isEmpty()) {
            board.lastPart = lastPartLine(serial, board.ended);
        }
    }
    if (held && record.heldNotRecorded) {
        marks << u"NOT RECORDED"_s;
    }
    if (record.waiting > 0) {
        marks << (record.waiting == 1 ? u"1 part not recorded"_s
                                      : u"%1 parts not recorded"_s.arg(record.waiting));
    }
    board.record = marks.join(u" · "_s);
}

void markDfq(ResultBoard &board, qint64 waiting, const QString &cause) {
    if (waiting <= 0 || cause.isEmpty()) {
        board.dfq.clear();
        board.dfqTip.clear();
        return;
    }
    board.dfq = waiting == 1 ? u"DFQ: 1 part waiting"_s : u"DFQ: %1 parts waiting"_s.arg(waiting);
    board.dfqTip = cause;
}

ResultBoard resultBoard(CycleState state, const std::optional<PartResult> &last,
                        const PartCounters &counters,
                        const std::vector<CharacteristicResult> &planned, ResultPalette palette) {
    ResultBoard board;
    board.state = stateText(state);
    board.counters = countersText(counters);
    const bool held = state == CycleState::Result && last.has_value();
    const bool before = (state == CycleState::Ready || state == CycleState::Settling) &&
                        last.has_value() && !wasCancelled(*last);
    if (!held && !before) {
        const bool measuring = state == CycleState::Settling || state == CycleState::Acquiring;
        board.kind = measuring ? BoardKind::Measuring : BoardKind::Ready;
        board.word = measuring ? u"MEASURING"_s : u"READY"_s;
        board.symbol = measuring ? u"…"_s : QString();
        board.colours = boardColours(board.kind, palette);
        for (const CharacteristicResult &c : planned) {
            board.tiles.push_back(tileOf(c, false, palette));
        }
        return board;
    }
    const PartResult &part = *last;
    board.kind = boardKindOf(part.verdict);
    board.word = verdictWord(part.verdict);
    board.symbol = verdictSymbol(part.verdict);
    board.colours = boardColours(board.kind, palette);
    board.reason = reasonOf(part);
    board.part = partLine(part);
    if (part.ended.isValid()) {
        board.ended = part.ended.toString(u"HH:mm:ss"_s);
    }
    if (before) {
        board.lastPart = lastPartLine({}, board.ended);
    }
    // A part that was not completed kept no values: the planned characteristics stand for it.
    const std::vector<CharacteristicResult> &shown =
        part.characteristics.empty() ? planned : part.characteristics;
    for (const CharacteristicResult &c : shown) {
        board.tiles.push_back(tileOf(c, true, palette));
    }
    return board;
}

}  // namespace zelapp
