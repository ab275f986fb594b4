// The run rules watched on each part recorded: a break this part's point completes is stored and
// told once, with its channel and rules; nothing else is; a part kept in memory is not judged;
// the causes awaited are listed until given.
#include <gtest/gtest.h>

#include <QDir>
#include <QSignalSpy>
#include <map>

#include "../history/part_samples.h"
#include "history/part_events.h"
#include "session_fixture.h"

using namespace Qt::StringLiterals;

namespace {

// A judge that breaks what each part is set to break, at its own point and at an older one (the
// watch must tell only the newest), one subgroup per value.
struct ScriptedJudge {
    std::map<qint64, std::vector<int>> breaks;  // by part id
    std::vector<std::size_t> seen;              // the values each call judged
    std::vector<int> rulesAsked;

    zelapp::StatsResult operator()(const std::vector<zelapp::SeriesValue> &values,
                                   const zelapp::StatsOptions &options) {
        seen.push_back(values.size());
        rulesAsked = options.rules;
        zelapp::StatsResult result;
        for (std::size_t i = 0; i < values.size(); ++i) {
            result.subgroups.push_back({int(i), 1, values[i].value, std::nullopt, false});
        }
        if (!values.empty()) {
            const int last = int(values.size()) - 1;
            if (const auto at = breaks.find(values.back().partId); at != breaks.end()) {
                for (const int rule : at->second) {
                    result.breaks.push_back({rule, last, false});
                }
            }
            if (last > 0) {
                result.breaks.push_back({2, last - 1, false});  // an older point's break
            }
        }
        return result;
    }
};

struct ProcessWatchTest : ::testing::Test {
    zeltest::SessionFixture f;
    ScriptedJudge judge;
    zelapp::ProcessWatch *watch = nullptr;

    void SetUp() override {
        f.statsJudge = [this](const auto &values, const auto &options) {
            return judge(values, options);
        };
        ASSERT_EQ(f.start(), zelapp::StartupResult::Running);
        watch = &f.session->processWatch();
        for (const int channel : {1, 2}) {
            f.setup().channel(channel)->setFormula(u"T%1"_s.arg(channel));
            f.setup().channel(channel)->Decimals = 4;
            f.fakeUnit.channelValue[channel] = 0.001f * float(channel);
        }
        zelapp::PartProgram program;
        program.rules = {{1, {1, 2}}, {2, {2, 4}}};
        f.session->partProgram().replace(program);
        f.prompter.shown.clear();
    }
    void measurePart() { ASSERT_TRUE(f.measurePart()); }
};

TEST_F(ProcessWatchTest, ABreakOfThisPartsPointIsToldOnceWithItsChannelsAndChosenRules) {
    judge.breaks[3] = {1, 2, 5};  // 5 is not chosen on channel 1, and none of them on 2 but 2
    measurePart();
    measurePart();
    EXPECT_TRUE(watch->awaited().empty()) << "an older point's break is no news";
    measurePart();
    EXPECT_EQ(judge.seen.back(), 3u) << "each channel's stage grows with its parts";
    ASSERT_EQ(watch->awaited().size(), 2u);
    EXPECT_EQ(watch->awaited()[0].partId, 3);
    EXPECT_EQ(watch->awaited()[0].channel, 1);
    EXPECT_EQ(watch->awaited()[0].rules, u"1,2"_s);
    EXPECT_EQ(watch->awaited()[1].rules, u"2"_s);
    EXPECT_EQ(watch->awaitedParts(), 1);

    judge.breaks[4] = {4};
    measurePart();
    ASSERT_EQ(watch->awaited().size(), 3u);
    EXPECT_EQ(watch->awaited()[2].partId, 4);
    EXPECT_EQ(watch->awaited()[2].channel, 2);
    EXPECT_EQ(watch->awaited()[2].rules, u"4"_s);
    EXPECT_EQ(watch->awaitedParts(), 2);
}

TEST_F(ProcessWatchTest, NoBreakNoNoticeAndWithoutRulesChosenRuleOneAlone) {
    f.session->partProgram().replace(zelapp::PartProgram{});
    measurePart();
    judge.breaks[2] = {2, 3};
    measurePart();
    EXPECT_EQ(judge.rulesAsked, (std::vector<int>{1}));
    EXPECT_TRUE(watch->awaited().empty());
}

TEST_F(ProcessWatchTest, APartKeptInMemoryIsNotJudged) {
    measurePart();
    const QString file = QDir(f.programFolder()).filePath(u"parts.db"_s);
    auto other = std::make_unique<zeltest::OtherConnection>(file);
    ASSERT_TRUE(other->exec(u"BEGIN IMMEDIATE"_s));  // the store fails past its busy timeout
    const std::size_t calls = judge.seen.size();
    judge.breaks[2] = {1};
    judge.breaks[0] = {1};  // the id of a part not recorded
    measurePart();
    EXPECT_FALSE(f.session->partHistory().lastRecord()->recorded());
    EXPECT_TRUE(watch->awaited().empty());
    EXPECT_EQ(judge.seen.size(), calls);
}

TEST_F(ProcessWatchTest, ACauseGivenLeavesTheListAndOnlyAnAwaitedOneIsTaken) {
    judge.breaks[1] = {1};
    measurePart();
    ASSERT_EQ(watch->awaited().size(), 1u);
    QSignalSpy changed(watch, &zelapp::ProcessWatch::awaitedChanged);
    EXPECT_TRUE(watch->giveCause(1, 2, u"anna"_s, u"chip"_s).has_value()) << "none awaited there";
    EXPECT_EQ(changed.count(), 0);
    EXPECT_FALSE(watch->giveCause(1, 1, u"anna"_s, u"worn insert"_s).has_value());
    EXPECT_TRUE(watch->awaited().empty());
    EXPECT_EQ(changed.count(), 1);
}

// The events are read back from the file by another connection, and the watch reads the
// causes awaited from them at start.
TEST_F(ProcessWatchTest, TheEventsAreStoredAndTheCausesAwaitedReadAgain) {
    judge.breaks[1] = {1, 2};
    judge.breaks[2] = {2};
    measurePart();
    measurePart();
    ASSERT_FALSE(watch->giveCause(1, 1, u"anna"_s, u"worn insert"_s).has_value());
    ASSERT_FALSE(watch->giveCause(1, 2, u"anna"_s, u"worn insert"_s).has_value());
    zelapp::PartStore reader;
    ASSERT_TRUE(reader.open(QDir(f.programFolder()).filePath(u"parts.db"_s), {100, true}).ok());
    const QString number = f.session->partCycle().lastResult()->number;
    std::optional<zelapp::StoreFailure> failure;
    const std::vector<zelapp::PartEvent> events =
        zelapp::PartEvents(reader).events(number, 1, &failure);
    ASSERT_FALSE(failure.has_value());
    ASSERT_EQ(events.size(), 3u);
    EXPECT_EQ(events[0].kind, zelapp::PartEventKind::OutOfControl);
    EXPECT_EQ(events[0].partId, 1);
    EXPECT_EQ(events[0].data, u"1,2"_s);
    EXPECT_TRUE(events[0].who.isEmpty());
    EXPECT_EQ(events[2].kind, zelapp::PartEventKind::Cause);
    EXPECT_EQ(events[2].who, u"anna"_s);
    EXPECT_EQ(events[2].why, u"worn insert"_s);
    watch->reload();
    ASSERT_EQ(watch->awaited().size(), 2u);  // part 2 on channels 1 and 2
    EXPECT_EQ(watch->awaited()[0].partId, 2);
}

// With the real numbers: a steady series and then a point far out breaks rule 1.
TEST_F(ProcessWatchTest, WithTheStatisticsAPointFarOutBreaksRuleOne) {
    f.statsJudge = nullptr;
    for (int i = 0; i < 30; ++i) {
        f.fakeUnit.channelValue[1] = 0.001f + 0.0001f * float(i % 3);
        measurePart();
    }
    EXPECT_TRUE(watch->awaited().empty());
    f.fakeUnit.channelValue[1] = 0.009f;
    measurePart();
    ASSERT_EQ(watch->awaited().size(), 1u);
    EXPECT_EQ(watch->awaited()[0].channel, 1);
    EXPECT_EQ(watch->awaited()[0].rules, u"1"_s);
}

// A long stage: once its limits are fixed only the newest subgroups are judged, cut on the
// stage's own subgroup boundaries, both as the parts come and when the stage is read again.
TEST_F(ProcessWatchTest, ALongStageIsJudgedOnItsNewestSubgroupsCutAsTheStageCutsThem) {
    constexpr int k = 2;
    std::vector<std::vector<zelapp::SeriesValue>> judged;
    f.statsJudge = [&judged](const auto &values, const auto &options) {
        if (values.empty() || values.front().partId > 0) {
            judged.push_back(values);
        }
        return zelapp::computeStats(values, options);
    };
    zelapp::PartProgram program;
    program.subgroupSize = k;
    program.rules = {{1, {1}}};
    f.session->partProgram().replace(program);
    const auto expectTail = [&judged](const char *when) {
        SCOPED_TRACE(when);
        ASSERT_FALSE(judged.empty());
        const std::vector<zelapp::SeriesValue> &tail = judged.back();
        EXPECT_LE(tail.size(), std::size_t(zelapp::ProcessWatch::kTailSubgroups + 1) * k);
        EXPECT_GE(tail.size(), std::size_t(zelapp::ProcessWatch::kTailSubgroups) * k);
        EXPECT_EQ((tail.front().serial - 1) % k, 0) << "a subgroup cut in two";
    };
    for (int i = 0; i < 121; ++i) {
        f.fakeUnit.channelValue[1] = 0.001f + 0.0001f * float(i % 3);
        measurePart();
    }
    expectTail("as the parts came");
    EXPECT_TRUE(watch->awaited().empty());

    // Read again from the history, mid-subgroup: the 121st value waits for its partner. The
    // limits come from the stage's first 25 subgroups, and only its ends are kept.
    const std::size_t calls = judged.size();
    watch->reload();
    f.fakeUnit.channelValue[1] = 0.009f;
    measurePart();
    ASSERT_GT(judged.size(), calls);
    EXPECT_EQ(judged[calls].size(), 50u);
    EXPECT_EQ(judged[calls].front().serial, 1);
    expectTail("read again");
    ASSERT_EQ(watch->awaited().size(), 1u);
    EXPECT_EQ(watch->awaited()[0].rules, u"1"_s);
    measurePart();
    measurePart();
    expectTail("and after");
    EXPECT_EQ(watch->awaitedParts(), 2);
}

}  // namespace
