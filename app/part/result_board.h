// What the result window shows, without a widget: the verdict with its word, symbol and
// colours, one tile per characteristic, the reason of a Not valid part, the cycle's state and
// the counters, all from the part cycle's state and its last part. Colour is never the only
// cue: every verdict has its word and a symbol, every side its triangle.
#pragma once

#include <QString>
#include <QStringList>
#include <optional>
#include <vector>

#include "model/part_result.h"
#include "model/verdict_marks.h"
#include "part/part_cycle.h"

namespace zelapp {

class Setup;
struct PartProgram;

// A background and the ink written on it (black or white, whichever reads better).
struct BoardColours {
    Rgb background;
    Rgb ink;
    bool operator==(const BoardColours &) const = default;
};

// What is shown in the verdict's place: the four verdicts, or the cycle's state while no part's
// result is held.
enum class BoardKind { Ready, Measuring, Good, Warning, Reject, NotValid };

// The verdicts in their zones' colours (model/verdict_marks.h); the states and Not valid in
// colours of the same palette apart from them.
BoardColours boardColours(BoardKind kind, ResultPalette palette);

struct ResultTile {
    int channel = 0;
    QString caption;         // the channel's description, else "Channel n"
    QString accessibleName;  // "Channel n: description", naming the characteristic
    QString value;           // the captured text; "—" when not valid, "" while none is held
    QString units;
    QString mark;    // the zone's symbol and word with its side: "✔ GOOD", "▲ REJECT"
    QString spoken;  // the value and verdict in words, for screen readers
    BoardColours colours;
    // The widest text this tile's value may take at its decimals, so that the digits keep
    // their size from part to part.
    QString widest;
    // What its tolerance bar shows (part/tolerance_bar.h): the limits, and the value with its
    // verdict while a part is shown.
    ToleranceLimits limits;
    std::optional<float> reading;
    ToleranceVerdict verdict = ToleranceVerdict::NotValid;
    bool operator==(const ResultTile &) const = default;
};

struct ResultBoard {
    BoardKind kind = BoardKind::Ready;
    QString word;    // "GOOD", "WARNING", "REJECT", "NOT VALID"; "READY", "MEASURING" otherwise
    QString symbol;  // verdictSymbol() (model/verdict_marks.h), or "…" while measuring
    BoardColours colours;
    QString reason;  // "Not valid: timeout"; empty unless the held part is Not valid
    QString state;   // "READY", "MEASURING (settling)", "MEASURING (acquiring)", "RESULT"
    QString part;    // "Part 12 · SHAFT-01 · ID 4711 · 14:03:22" of the part shown
    // "LAST PART · Serial 12 · 14:03:22" while the part shown is the one before: its result was
    // let go (the part taken off, or the next started) and the next cycle is not acquiring yet.
    // Empty otherwise.
    QString lastPart;
    QString ended;  // "14:03:22": when the part shown ended
    QString counters;
    // "NOT RECORDED" while the held part is not in the history, and "n parts not recorded"
    // while any wait in memory; empty when all are recorded.
    QString record;
    // "DFQ: n parts waiting" while parts wait because their DFQ folder failed, its cause the
    // tip; empty when none wait so (parts waiting for their hour's file are no news).
    QString dfq;
    QString dfqTip;
    std::vector<ResultTile> tiles;
    bool operator==(const ResultBoard &) const = default;
};

// The characteristics a cycle of the program would measure on the setup now, as tiles without
// values show them while no result is held.
std::vector<CharacteristicResult> plannedCharacteristics(const PartProgram &program,
                                                         const Setup &setup);

// The board for the cycle's state. While a result is held (Result) it shows the last part; so it
// does after, marked "LAST PART", while the cycle is Ready or settling the next part, so that
// the operator knows the bin of the part just taken off. Otherwise (acquiring, nothing ended yet,
// or a cancelled cycle let go, which judged no part) the state, with the planned
// characteristics' tiles empty.
ResultBoard resultBoard(CycleState state, const std::optional<PartResult> &last,
                        const PartCounters &counters,
                        const std::vector<CharacteristicResult> &planned, ResultPalette palette);

// What the history made of the parts: the shown part's serial and whether it is recorded yet,
// and how many parts wait in memory.
struct RecordState {
    qint64 serial = 0;  // 0: none known ("serial pending" for a part kept in memory)
    bool heldNotRecorded = false;
    int waiting = 0;
};
// Adds the serial to the shown part's lines and the record line.
void markRecord(ResultBoard &board, const RecordState &record);

// Adds the parts the DFQ export holds back and why its last folder failed; nothing while the
// cause is empty (parts waiting for their hour's file) or none wait.
void markDfq(ResultBoard &board, qint64 waiting, const QString &cause);

// "Parts 12   Good 9   Warning 1   Reject 1   Not valid 1   Cancelled 2".
QString countersText(const PartCounters &counters);

// Every word and symbol the verdict's place may show: its letters are sized for the widest, so
// that they keep one size from part to part.
QStringList boardWords();
QStringList boardSymbols();

}  // namespace zelapp
