// The part-number filter of the history: a prefix, capitals or not (beyond A-Z too), taken
// literally, the same in a page and in a count; and the numbers recorded, newest first.
#include <gtest/gtest.h>

#include <QTemporaryDir>

#include "history/part_store.h"
#include "part_samples.h"

using namespace zelapp;
using namespace Qt::StringLiterals;

namespace {

// Recorded in this order: ids 1 to 8.
const QStringList kNumbers{u"SHAFT-01"_s, u"shaft-02"_s, u"Shaft%X"_s, u"S_1"_s,
                           u"Äxle-1"_s,   u"äxle-2"_s,   u"BOLT"_s,    u"SHAFT-01"_s};

class PrefixedNumbers : public ::testing::Test {
  protected:
    void SetUp() override {
        ASSERT_TRUE(dir.isValid());
        ASSERT_TRUE(store.open(dir.filePath(u"parts.db"_s)).ok());
        for (const QString &number : kNumbers) {
            ASSERT_TRUE(store.append(zeltest::goodPart(number), zeltest::snapshot()).ok());
        }
    }
    QTemporaryDir dir;
    PartStore store;
};

struct PrefixCase {
    const char *prefix;
    std::vector<qint64> ids;  // newest first
};

class PrefixFilter : public PrefixedNumbers, public ::testing::WithParamInterface<PrefixCase> {};

TEST_P(PrefixFilter, SelectsTheNumbersThatBeginWithItInPagesAndCounts) {
    PartFilter filter;
    filter.numberPrefix = QString::fromUtf8(GetParam().prefix);
    std::vector<qint64> ids;
    for (const StoredPart &part : store.newestBefore(0, 100, filter).parts) {
        ids.push_back(part.id);
    }
    EXPECT_EQ(ids, GetParam().ids);
    // The export counts before it reads: the same parts.
    EXPECT_EQ(store.summarize(filter).count, qint64(GetParam().ids.size()));
    // Two at a time along the ids: the same parts in the same order.
    std::vector<qint64> paged;
    for (qint64 before = 0;;) {
        const PartPage page = store.newestBefore(before, 2, filter);
        if (page.parts.empty()) {
            break;
        }
        for (const StoredPart &part : page.parts) {
            paged.push_back(part.id);
        }
        before = page.parts.back().id;
    }
    EXPECT_EQ(paged, GetParam().ids);
}

INSTANTIATE_TEST_SUITE_P(PartNumbers, PrefixFilter,
                         ::testing::Values(PrefixCase{"", {8, 7, 6, 5, 4, 3, 2, 1}},
                                           PrefixCase{"shaft", {8, 3, 2, 1}},  // any capitals
                                           PrefixCase{"SHAFT-0", {8, 2, 1}},   // longer: fewer
                                           PrefixCase{"shaft-01", {8, 1}},     // a whole number
                                           PrefixCase{"Shaft%", {3}},          // "%" is no wildcard
                                           PrefixCase{"S_", {4}},              // nor "_"
                                           PrefixCase{"ÄX", {6, 5}},           // beyond A-Z
                                           PrefixCase{"haft", {}},  // the beginning, not within
                                           PrefixCase{"SHAFT-01-extra", {}}));  // longer than any

TEST_F(PrefixedNumbers, TheNumbersRecordedComeOnceEachTheNewestPartsFirst) {
    QStringList numbers;
    ASSERT_FALSE(store.partNumbers(&numbers).has_value());
    EXPECT_EQ(numbers, (QStringList{u"SHAFT-01"_s, u"BOLT"_s, u"äxle-2"_s, u"Äxle-1"_s, u"S_1"_s,
                                    u"Shaft%X"_s, u"shaft-02"_s}));
    PartStore closed;
    EXPECT_TRUE(closed.partNumbers(&numbers).has_value());
    EXPECT_TRUE(numbers.isEmpty());
}

}  // namespace
