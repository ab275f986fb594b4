// One rounding for every results output: a value's text at its decimals is its shortest Single
// text rounded half away from zero, with no sign when it rounds to zero, and the verdict judges
// that very text. Each row goes the whole way: captured by the part cycle (the result window's
// tile, the Part topic), kept in a history, read back by the history window, the CSV, zelparts
// and the DFQ file.
#include <gtest/gtest.h>

#include <QBuffer>
#include <QTemporaryDir>
#include <cmath>
#include <limits>
#include <ostream>
#include <string>

#include "base/runtime_text.h"
#include "dfq/dfq_file.h"
#include "history/part_csv.h"
#include "history/part_history_model.h"
#include "history/stored_part_text.h"
#include "part/result_board.h"
#include "part_cycle_fixture.h"
#include "zelparts_text.h"

using namespace zelapp;
using namespace Qt::StringLiterals;

namespace {

constexpr float kInf = std::numeric_limits<float>::infinity();
constexpr float kMax = std::numeric_limits<float>::max();

struct Rounding {
    float value;
    int decimals;
    const char *text;  // nullptr: not valid, no value shown
};

void PrintTo(const Rounding &r, std::ostream *os) {
    *os << rt::defaultText(r.value).toStdString() << " at " << r.decimals;
}

// The line of `text` that starts with `head`, without it; "?" when there is none.
QString after(const QString &text, const QString &head) {
    for (const QString &line : text.split(u'\n')) {
        if (line.startsWith(head)) {
            return line.mid(head.size()).trimmed();
        }
    }
    return u"?"_s;
}

class OneRounding : public ::testing::TestWithParam<Rounding> {};

TEST_P(OneRounding, EveryResultsOutputShowsTheTextTheVerdictJudged) {
    const Rounding r = GetParam();
    const QString text = r.text != nullptr ? QString::fromLatin1(r.text) : QString();

    if (r.text != nullptr) {
        EXPECT_EQ(rt::resultText(r.value, r.decimals, u'.'), text);
        EXPECT_EQ(rt::resultText(r.value, r.decimals, u','), QString(text).replace(u'.', u','));
        EXPECT_EQ(rt::roundedDecimal(r.value, r.decimals), std::stod(r.text)) << "the verdict";
        // The history keeps the Single exactly or as the double nearest its shortest text.
        for (const double kept : {double(r.value), rt::shortestDecimal(r.value)}) {
            EXPECT_EQ(storedSingle(kept), r.value);
            EXPECT_EQ(storedValueText(kept, r.decimals), text);
        }
    }

    // Captured by the part cycle, judged inside limits as wide as a Single goes.
    zeltest::PartCycleFixture f;
    f.channel(1, u"T1"_s, r.value, r.decimals, {-kMax, -kMax, kMax, kMax});
    PartProgram program;
    program.characteristics = {1};
    f.useProgram(program);
    ASSERT_EQ(f.cycle.measure(), QString());
    ASSERT_TRUE(f.stepUntil(CycleState::Result));
    const PartResult part = f.last();
    ASSERT_EQ(part.characteristics.size(), 1u);
    EXPECT_EQ(shownText(part.characteristics[0]), text) << "the Part topic";
    const ResultBoard board =
        resultBoard(CycleState::Result, part, {}, {}, ResultPalette::Standard);
    ASSERT_EQ(board.tiles.size(), 1u);
    EXPECT_EQ(board.tiles[0].value, r.text != nullptr ? text : u"—"_s) << "the tile";

    // Kept in a history and read back.
    QTemporaryDir dir;
    const QString file = dir.filePath(u"parts.db"_s);
    {
        PartStore writer;
        ASSERT_TRUE(writer.open(file).ok());
        SetupSnapshot setup;
        setup.formulas = {{1, u"T1"_s}};
        ASSERT_TRUE(writer.append(part, setup).ok());
    }
    PartStore store;
    OpenOptions readOnly;
    readOnly.readOnly = true;
    ASSERT_TRUE(store.open(file, readOnly).ok());
    const PartPage page = store.range(0, std::numeric_limits<qint64>::max(), 1);
    ASSERT_EQ(page.parts.size(), 1u);
    const StoredPart &stored = page.parts[0];
    std::optional<StoreFailure> failure;
    const std::vector<RevisionCharacteristic> revision = store.revision(stored.revision, &failure);
    ASSERT_EQ(revision.size(), 1u);

    QBuffer csv;
    csv.open(QIODevice::WriteOnly);
    ASSERT_FALSE(writePartsCsv(store, {}, csv).failure);
    const QList<QByteArray> rows = csv.data().trimmed().split('\n');
    ASSERT_EQ(rows.size(), 2);
    EXPECT_EQ(QString::fromUtf8(rows[1].split(',').last()), text) << "the CSV";

    EXPECT_TRUE(zelparts::listLine(stored, revision).endsWith(u"\tC1="_s + text + u'\n'))
        << "zelparts list";
    EXPECT_EQ(after(zelparts::showText(stored, revision), u"  value:"_s),
              r.text != nullptr ? text : u"not valid"_s)
        << "zelparts show";

    const QString dfq = QString::fromUtf8(dfqFile(revision, page.parts, DfqEncoding::Utf8));
    EXPECT_EQ(after(dfq, u"K0001/1 "_s), r.text != nullptr ? text : u"0"_s) << "the DFQ file";

    const PartHistoryModel history(file, {});
    ASSERT_EQ(history.rowCount(), 1);
    QString cell = history.data(history.index(0, PartHistoryModel::FirstValueColumn)).toString();
    if (cell.startsWith(u'+')) {
        cell.remove(0, 1);  // the history window's sign of a value above zero
    }
    EXPECT_EQ(cell, r.text != nullptr ? text : u"—"_s) << "the history window";
}

// Where the binary value rounds otherwise (0.0105f is 0.01049999985...), halves, a carry into
// a new digit, signed zeros, the ends of a Single's range and of the decimals (30 at most), the
// one Single whose shortest text's double is a midpoint (7.038531e-26), and no value.
INSTANTIATE_TEST_SUITE_P(
    Values, OneRounding,
    ::testing::Values(Rounding{0.0105f, 3, "0.011"}, Rounding{-0.0105f, 3, "-0.011"},
                      Rounding{1.005f, 2, "1.01"}, Rounding{2.675f, 2, "2.68"},
                      Rounding{0.00035f, 4, "0.0004"}, Rounding{-0.00035f, 4, "-0.0004"},
                      Rounding{-0.00004f, 4, "0.0000"}, Rounding{-0.0f, 3, "0.000"},
                      Rounding{0.0f, 0, "0"}, Rounding{0.5f, 0, "1"}, Rounding{-0.5f, 0, "-1"},
                      Rounding{-0.4f, 0, "0"}, Rounding{8388606.5f, 0, "8388607"},
                      Rounding{9.9995f, 3, "10.000"}, Rounding{-9.9995f, 3, "-10.000"},
                      Rounding{1.0e10f, 2, "10000000000.00"},
                      Rounding{kMax, 0, "340282350000000000000000000000000000000"},
                      Rounding{7.038531e-26f, 30, "0.000000000000000000000000070385"},
                      Rounding{1.5f, 31, "1.500000000000000000000000000000"},
                      Rounding{std::nanf(""), 4, nullptr}, Rounding{kInf, 4, nullptr},
                      Rounding{-kInf, 4, nullptr}));

}  // namespace
