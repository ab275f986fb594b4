// What the result window shows, without a window: the verdict's word, symbol and colours in
// both palettes, the tiles with their sides, the reason of a Not valid part, and the state while
// no result is held.
#include "part/result_board.h"

#include <gtest/gtest.h>

#include <utility>

#include "model/channel.h"
#include "setup/part_program.h"
#include "setup_fixture.h"

using namespace Qt::StringLiterals;
using zelapp::BoardKind;
using zelapp::CharacteristicResult;
using zelapp::CycleState;
using zelapp::PartResult;
using zelapp::ResultPalette;
using zelapp::ToleranceVerdict;

namespace {

CharacteristicResult characteristic(int channel, const QString &text, ToleranceVerdict verdict) {
    CharacteristicResult c;
    c.channel = channel;
    c.description = u"Bore %1"_s.arg(channel);
    c.units = u"mm"_s;
    c.decimals = 3;
    c.limits = {-0.05f, -0.04f, 0.04f, 0.05f};
    if (!text.isEmpty()) {
        c.value = text.toFloat();
        c.text = text;
    }
    c.verdict = verdict;
    return c;
}

PartResult part(std::vector<CharacteristicResult> characteristics) {
    PartResult p;
    p.count = 7;
    p.number = u"SHAFT-01"_s;
    p.completed = true;
    p.characteristics = std::move(characteristics);
    p.verdict = zelapp::worstVerdict(p.characteristics);
    return p;
}

zelapp::ResultBoard held(const PartResult &p, ResultPalette palette = ResultPalette::Standard) {
    return zelapp::resultBoard(CycleState::Result, p, {}, {}, palette);
}

TEST(ResultBoardTest, EachVerdictHasItsWordSymbolAndSide) {
    const struct {
        ToleranceVerdict verdict;
        const char16_t *word;
        const char16_t *symbol;
        BoardKind kind;
    } cases[] = {
        {ToleranceVerdict::Good, u"GOOD", u"✔", BoardKind::Good},
        {ToleranceVerdict::WarningPlus, u"WARNING", u"⚠ ▲", BoardKind::Warning},
        {ToleranceVerdict::WarningMinus, u"WARNING", u"⚠ ▼", BoardKind::Warning},
        {ToleranceVerdict::RejectPlus, u"REJECT", u"✖ ▲", BoardKind::Reject},
        {ToleranceVerdict::RejectMinus, u"REJECT", u"✖ ▼", BoardKind::Reject},
        {ToleranceVerdict::NotValid, u"NOT VALID", u"∅", BoardKind::NotValid},
    };
    for (const auto &c : cases) {
        const QString text = c.verdict == ToleranceVerdict::NotValid ? QString() : u"0.010"_s;
        const auto board = held(part({characteristic(1, text, c.verdict)}));
        EXPECT_EQ(board.word, QString::fromUtf16(c.word));
        EXPECT_EQ(board.symbol, QString::fromUtf16(c.symbol));
        EXPECT_EQ(board.kind, c.kind);
        // Every word and symbol shown is among those the letters are sized for.
        EXPECT_TRUE(zelapp::boardWords().contains(board.word));
        EXPECT_TRUE(zelapp::boardSymbols().contains(board.symbol));
    }
}

TEST(ResultBoardTest, BothPalettesTellTheKindsApartAndWriteReadably) {
    for (ResultPalette palette : {ResultPalette::Standard, ResultPalette::OkabeIto}) {
        std::vector<zelapp::Rgb> seen;
        for (BoardKind kind : {BoardKind::Ready, BoardKind::Measuring, BoardKind::Good,
                               BoardKind::Warning, BoardKind::Reject, BoardKind::NotValid}) {
            const zelapp::BoardColours colours = zelapp::boardColours(kind, palette);
            // WCAG AA for text; the verdict's letters are far larger than that asks.
            EXPECT_GE(zelapp::contrastRatio(colours.background, colours.ink), 4.5);
            EXPECT_EQ(std::count(seen.begin(), seen.end(), colours.background), 0);
            seen.push_back(colours.background);
        }
    }
    // The verdicts take the zones' colours of the one table, in either palette.
    for (ResultPalette palette : {ResultPalette::Standard, ResultPalette::OkabeIto}) {
        for (const auto &[kind, zone] : {std::pair{BoardKind::Good, zelapp::BarZone::Good},
                                         std::pair{BoardKind::Warning, zelapp::BarZone::Approach},
                                         std::pair{BoardKind::Reject, zelapp::BarZone::Reject}}) {
            EXPECT_EQ(zelapp::boardColours(kind, palette).background,
                      zelapp::zoneColourOf(zone, palette));
        }
    }
    const auto board = held(part({characteristic(1, u"0.000"_s, ToleranceVerdict::Good)}),
                            ResultPalette::OkabeIto);
    EXPECT_EQ(board.colours, zelapp::boardColours(BoardKind::Good, ResultPalette::OkabeIto));
    EXPECT_EQ(board.tiles.at(0).colours, board.colours);
}

TEST(ResultBoardTest, TilesNameTheirCharacteristicAndShowValueZoneAndSide) {
    auto noName = characteristic(3, u"-0.047"_s, ToleranceVerdict::WarningMinus);
    noName.description = u"  "_s;
    auto lost = characteristic(4, {}, ToleranceVerdict::NotValid);
    lost.reason = u"range end T3"_s;
    const auto board =
        held(part({characteristic(1, u"0.061"_s, ToleranceVerdict::RejectPlus),
                   characteristic(2, u"0.000"_s, ToleranceVerdict::Good), noName, lost}));
    ASSERT_EQ(board.tiles.size(), 4u);
    const auto &reject = board.tiles[0];
    EXPECT_EQ(reject.channel, 1);
    EXPECT_EQ(reject.caption, u"Bore 1"_s);
    EXPECT_EQ(reject.accessibleName, u"Channel 1: Bore 1"_s);
    EXPECT_EQ(reject.value, u"0.061"_s);
    EXPECT_EQ(reject.mark, u"✖ ▲ REJECT"_s);
    EXPECT_EQ(reject.spoken, u"0.061 mm, REJECT plus"_s);
    EXPECT_EQ(reject.colours, zelapp::boardColours(BoardKind::Reject, ResultPalette::Standard));
    EXPECT_EQ(board.tiles[1].mark, u"✔ GOOD"_s);
    EXPECT_EQ(board.tiles[2].caption, u"Channel 3"_s);
    EXPECT_EQ(board.tiles[2].accessibleName, u"Channel 3"_s);
    EXPECT_EQ(board.tiles[2].mark, u"⚠ ▼ WARNING"_s);
    EXPECT_EQ(board.tiles[3].value, u"—"_s);
    EXPECT_EQ(board.tiles[3].mark, u"∅ range end T3"_s);
    EXPECT_EQ(board.tiles[3].colours,
              zelapp::boardColours(BoardKind::NotValid, ResultPalette::Standard));
    // The part is Not valid by its characteristic, and says why.
    EXPECT_EQ(board.word, u"NOT VALID"_s);
    EXPECT_EQ(board.reason, u"Not valid: range end T3"_s);
    // Sized for a sign, two whole digits and three decimals at least.
    EXPECT_EQ(reject.widest, u"-88.888"_s);
    EXPECT_EQ(board.part, u"Part 7 · SHAFT-01"_s);
}

TEST(ResultBoardTest, APartNotCompletedShowsItsReasonOverThePlannedTiles) {
    PartResult p;
    p.count = 2;
    p.id = u"4711"_s;
    p.reason = u"timeout"_s;
    const std::vector<CharacteristicResult> planned{characteristic(5, {}, ToleranceVerdict::Good)};
    const auto board =
        zelapp::resultBoard(CycleState::Result, p, {}, planned, ResultPalette::Standard);
    EXPECT_EQ(board.word, u"NOT VALID"_s);
    EXPECT_EQ(board.reason, u"Not valid: timeout"_s);
    EXPECT_EQ(board.part, u"Part 2 · ID 4711"_s);
    ASSERT_EQ(board.tiles.size(), 1u);
    EXPECT_EQ(board.tiles[0].value, u"—"_s);
    EXPECT_EQ(board.tiles[0].mark, u"∅ NOT VALID"_s);
    // A good part has no reason.
    EXPECT_TRUE(
        held(part({characteristic(1, u"0.000"_s, ToleranceVerdict::Good)})).reason.isEmpty());
}

TEST(ResultBoardTest, TheHistorysRecordMarksTheHeldPartAndCountsThePartsWaiting) {
    auto board = held(part({characteristic(1, u"0.000"_s, ToleranceVerdict::Good)}));
    zelapp::markRecord(board, {12, true, 3});
    EXPECT_EQ(board.part, u"Part 7 · SHAFT-01 · Serial 12"_s);
    EXPECT_EQ(board.record, u"NOT RECORDED · 3 parts not recorded"_s);
    // Kept in memory with a serial the history cannot tell yet: none is made up.
    board = held(part({characteristic(1, u"0.000"_s, ToleranceVerdict::Good)}));
    zelapp::markRecord(board, {0, true, 1});
    EXPECT_EQ(board.part, u"Part 7 · SHAFT-01 · serial pending"_s);
    board = held(part({}));
    zelapp::markRecord(board, {4, false, 0});
    EXPECT_TRUE(board.record.isEmpty()) << "a recorded part has no mark";
    // Between parts only the parts waiting are told; no part line takes a serial.
    board = zelapp::resultBoard(CycleState::Ready, std::nullopt, {}, {}, ResultPalette::Standard);
    zelapp::markRecord(board, {4, true, 1});
    EXPECT_EQ(board.record, u"1 part not recorded"_s);
    EXPECT_TRUE(board.part.isEmpty());
}

TEST(ResultBoardTest, TheDfqLineCountsThePartsAFailingFolderHoldsWithItsCauseAsTip) {
    auto board =
        zelapp::resultBoard(CycleState::Ready, std::nullopt, {}, {}, ResultPalette::Standard);
    zelapp::markDfq(board, 3, u"/mnt/qdas: No space left on device"_s);
    EXPECT_EQ(board.dfq, u"DFQ: 3 parts waiting"_s);
    EXPECT_EQ(board.dfqTip, u"/mnt/qdas: No space left on device"_s);
    zelapp::markDfq(board, 1, u"/mnt/qdas: Read-only file system"_s);
    EXPECT_EQ(board.dfq, u"DFQ: 1 part waiting"_s);
    // Parts waiting for their hour's file, or none waiting: no line.
    for (const auto &[count, cause] :
         {std::pair<qint64, QString>{4, {}}, {0, u"stale"_s}, {0, {}}}) {
        zelapp::markDfq(board, count, cause);
        EXPECT_TRUE(board.dfq.isEmpty());
        EXPECT_TRUE(board.dfqTip.isEmpty());
    }
}

// What stands in the verdict's place for each state of the cycle and the part that ended last:
// the held part, the part before (marked, until the next cycle acquires), or the state.
struct ShownCase {
    const char *name;
    CycleState state;
    const char *last;  // "", "reject", "cancelled", "timeout"
    const char16_t *word;
    const char16_t *stateText;
    bool lastPart;  // shown as the part before
};

class ShownPart : public ::testing::TestWithParam<ShownCase> {};

TEST_P(ShownPart, ThePartBeforeStaysUntilTheNextCycleAcquires) {
    const ShownCase &c = GetParam();
    std::optional<PartResult> last;
    const std::string kind = c.last;
    if (kind == "reject") {
        last = part({characteristic(1, u"0.061"_s, ToleranceVerdict::RejectPlus)});
    } else if (!kind.empty()) {
        last = PartResult{};
        last->count = 8;
        last->reason = kind == "cancelled" ? u"cancelled"_s : u"timeout"_s;
    }
    if (last) {
        last->ended = QDateTime(QDate(2026, 3, 2), QTime(14, 3, 22));
    }
    const std::vector<CharacteristicResult> planned{characteristic(1, {}, ToleranceVerdict::Good),
                                                    characteristic(2, {}, ToleranceVerdict::Good)};
    auto board = zelapp::resultBoard(c.state, last, {}, planned, ResultPalette::Standard);
    EXPECT_EQ(board.word, QString::fromUtf16(c.word));
    EXPECT_EQ(board.state, QString::fromUtf16(c.stateText));
    EXPECT_EQ(board.lastPart.isEmpty(), !c.lastPart);
    const bool partShown = c.lastPart || c.state == CycleState::Result;
    EXPECT_EQ(board.part.isEmpty(), !partShown || !last);
    ASSERT_FALSE(board.tiles.empty());
    EXPECT_EQ(board.tiles[0].value.isEmpty(), !(partShown && last));
    // The serial comes from the history: recorded, or kept in memory and not made up.
    zelapp::markRecord(board, {5, false, 0});
    if (c.lastPart) {
        EXPECT_EQ(board.lastPart, u"LAST PART · Serial 5 · 14:03:22"_s);
        zelapp::markRecord(board, {0, true, 1});
        EXPECT_EQ(board.lastPart, u"LAST PART · serial pending · 14:03:22"_s);
        EXPECT_EQ(board.record, u"NOT RECORDED · 1 part not recorded"_s);
    }
}

const ShownCase kShownCases[] = {
    {"Held", CycleState::Result, "reject", u"REJECT", u"RESULT", false},
    {"TakenOff", CycleState::Ready, "reject", u"REJECT", u"READY", true},
    {"NextSettling", CycleState::Settling, "reject", u"REJECT", u"MEASURING (settling)", true},
    {"NextAcquiring", CycleState::Acquiring, "reject", u"MEASURING", u"MEASURING (acquiring)",
     false},
    {"NotValidTakenOff", CycleState::Ready, "timeout", u"NOT VALID", u"READY", true},
    {"CancelledHeld", CycleState::Result, "cancelled", u"NOT VALID", u"RESULT", false},
    // A cancelled cycle judged the part on the gauge not at all: the part before it is not
    // shown in its stead.
    {"CancelledLetGo", CycleState::Ready, "cancelled", u"READY", u"READY", false},
    {"CancelledNextSettling", CycleState::Settling, "cancelled", u"MEASURING",
     u"MEASURING (settling)", false},
    {"NoneYet", CycleState::Ready, "", u"READY", u"READY", false},
    {"NoneHeld", CycleState::Result, "", u"READY", u"RESULT", false},
};
INSTANTIATE_TEST_SUITE_P(ResultBoardTest, ShownPart, ::testing::ValuesIn(kShownCases),
                         [](const auto &info) { return std::string(info.param.name); });

TEST(ResultBoardTest, CountersAndPlannedCharacteristicsFollowTheCycleAndTheSetup) {
    EXPECT_EQ(zelapp::countersText({12, 9, 1, 1, 1, 2}),
              u"Parts 12   Good 9   Warning 1   Reject 1   Not valid 1   Cancelled 2"_s);
    zeltest::SetupFixture f;
    zelapp::Channel &c = *f.setup.channel(2);
    c.setFormula(u"T1"_s);
    c.Description = u"Journal"_s;
    c.Units = u"mm"_s;
    c.Decimals = 4;
    c.HiTol = 120.5f;
    zelapp::PartProgram program;
    const auto planned = zelapp::plannedCharacteristics(program, f.setup);
    ASSERT_EQ(planned.size(), 1u);
    EXPECT_EQ(planned[0].channel, 2);
    EXPECT_EQ(planned[0].description, u"Journal"_s);
    const auto board =
        zelapp::resultBoard(CycleState::Ready, std::nullopt, {}, planned, ResultPalette::Standard);
    // Three whole digits for a limit of 120.5.
    EXPECT_EQ(board.tiles.at(0).widest, u"-888.8888"_s);
}

}  // namespace
