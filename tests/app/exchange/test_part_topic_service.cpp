// The topic "Part" as the session serves it: the part cycle's items before and after parts,
// EXECUTE running the real cycle, and the one pass in which a part's items change.
#include <gtest/gtest.h>

#include <QDir>
#include <memory>

#include "link_line_client.h"
#include "session_fixture.h"

using namespace Qt::StringLiterals;
using zelapp::CycleState;

namespace {

struct PartTopicServiceTest : ::testing::Test {
    zeltest::SessionFixture f;
    zeltest::TempFolder dde;
    zelapp::PartCycle *cycle = nullptr;
    std::unique_ptr<zeltest::LinkLineClient> c;

    void SetUp() override {
        ASSERT_EQ(f.start(), zelapp::StartupResult::Running);
        cycle = &f.session->partCycle();
        // Two characteristics: a good one and one in its upper warning zone.
        for (int n : {1, 2}) {
            f.setup().channel(n)->setFormula(n == 1 ? u"T1"_s : u"T2"_s);
            f.setup().channel(n)->Decimals = 4;
            f.setup().channel(n)->LoTol = -0.01f;
            f.setup().channel(n)->LoAppr = -0.008f;
            f.setup().channel(n)->HiAppr = 0.008f;
            f.setup().channel(n)->HiTol = 0.01f;
        }
        f.fakeUnit.channelValue[1] = 0.0012f;
        f.fakeUnit.channelValue[2] = 0.0093f;
        QString error;
        zelapp::LinkServer &server = f.session->linkServer();
        ASSERT_TRUE(server.listen(u"zelapp"_s, QString::fromStdString(dde.path()), &error))
            << error.toStdString();
        c = std::make_unique<zeltest::LinkLineClient>(server.socketPath());
        ASSERT_TRUE(c->waitConnected());
        ASSERT_EQ(c->ask("INITIATE\tPart"), "ACK\tINITIATE");
    }
    // Polls kPollMs apart until the state is `state`; whether it got there.
    bool stepUntil(CycleState state) {
        for (int i = 0; i < 200 && cycle->state() != state; ++i) {
            f.scanClock.now += zelapp::PartCycle::kPollMs;
            cycle->poll();
        }
        return cycle->state() == state;
    }
};

TEST_F(PartTopicServiceTest,
       BeforeTheFirstPartTheItemsAreEmptyAndResultsExistForTheSetupsChannels) {
    EXPECT_EQ(c->ask("REQUEST\tstate"), "DATA\tstate\tREADY");
    EXPECT_EQ(c->ask("REQUEST\tverdict"), "DATA\tverdict\t");
    EXPECT_EQ(c->ask("REQUEST\tcount"), "DATA\tcount\t0");
    EXPECT_EQ(c->ask("REQUEST\treason"), "DATA\treason\t");
    EXPECT_EQ(c->ask("REQUEST\tid"), "DATA\tid\t");
    EXPECT_EQ(c->ask("REQUEST\tRecorded"), "DATA\tRecorded\t");
    EXPECT_EQ(c->ask("REQUEST\tresult(1)"), "DATA\tresult(1)\t");
    const QByteArray last = QByteArray::number(f.setup().channelCount());
    EXPECT_EQ(c->ask("REQUEST\tresult(" + last + ")"), "DATA\tresult(" + last + ")\t");
    const QByteArray beyond = "result(" + QByteArray::number(f.setup().channelCount() + 1) + ")";
    EXPECT_EQ(c->ask("REQUEST\t" + beyond), "NACK\tREQUEST\t" + beyond);
    EXPECT_EQ(c->ask("ADVISE\t" + beyond), "NACK\tADVISE\t" + beyond);
    EXPECT_EQ(c->ask("EXECUTE\tCancel"), "NACK\tEXECUTE\tCancel\tno cycle");
}

TEST_F(PartTopicServiceTest, ARemoteMeasureEndsInOnePassAndTheValuesStayUntilTheNextPartsAreSet) {
    for (const QByteArray item :
         {"state", "count", "verdict", "reason", "id", "result(2)", "result(1)", "result(3)"}) {
        ASSERT_EQ(c->ask("ADVISE\t" + item), "ACK\tADVISE\t" + item);
    }
    ASSERT_EQ(c->ask("EXECUTE\tMeasure"), "ACK\tEXECUTE\tMeasure");
    EXPECT_EQ(c->next(), "DATA\tstate\tMEASURING");
    EXPECT_EQ(c->ask("EXECUTE\tmeasure"), "NACK\tEXECUTE\tmeasure\tcycle running");
    ASSERT_TRUE(stepUntil(CycleState::Result));
    // Settling and acquiring are one MEASURING; channel 3 measures nothing and stays empty.
    EXPECT_EQ(c->next(), "DATA\tresult(1)\t0.0012");
    EXPECT_EQ(c->next(), "DATA\tresult(2)\t0.0093");
    EXPECT_EQ(c->next(), "DATA\tverdict\tW+");
    EXPECT_EQ(c->next(), "DATA\tcount\t1");
    EXPECT_EQ(c->next(), "DATA\tstate\tRESULT");

    // The next cycle changes only the state until its part ends; cancelled, it keeps no values.
    ASSERT_EQ(c->ask("EXECUTE\tMeasure"), "ACK\tEXECUTE\tMeasure");
    EXPECT_EQ(c->next(), "DATA\tstate\tMEASURING");
    EXPECT_EQ(c->ask("REQUEST\tverdict"), "DATA\tverdict\tW+");
    EXPECT_EQ(c->ask("REQUEST\tresult(2)"), "DATA\tresult(2)\t0.0093");
    ASSERT_EQ(c->ask("EXECUTE\tCANCEL"), "ACK\tEXECUTE\tCANCEL");
    EXPECT_EQ(c->next(), "DATA\tresult(1)\t");
    EXPECT_EQ(c->next(), "DATA\tresult(2)\t");
    EXPECT_EQ(c->next(), "DATA\treason\tcancelled");
    EXPECT_EQ(c->next(), "DATA\tverdict\tNV");
    EXPECT_EQ(c->next(), "DATA\tcount\t2");
    EXPECT_EQ(c->next(), "DATA\tstate\tRESULT");

    // Reset Counters leaves the count of parts to other programs as it was.
    cycle->resetCounters();
    EXPECT_EQ(c->ask("REQUEST\tcount"), "DATA\tcount\t2");
}

TEST_F(PartTopicServiceTest, RecordedTellsAPartKeptInMemoryFromAStoredOneBeforeCountChanges) {
    for (const QByteArray item : {"count", "recorded"}) {
        ASSERT_EQ(c->ask("ADVISE\t" + item), "ACK\tADVISE\t" + item);
    }
    // A folder where the history's file should be: the part is kept in memory, not recorded.
    const QString file = f.session->partHistory().file();
    ASSERT_TRUE(QDir().mkpath(file));
    ASSERT_EQ(c->ask("EXECUTE\tMeasure"), "ACK\tEXECUTE\tMeasure");
    ASSERT_TRUE(stepUntil(CycleState::Result));
    EXPECT_EQ(c->next(), "DATA\trecorded\t0");
    EXPECT_EQ(c->next(), "DATA\tcount\t1");

    // Written once the history works again.
    ASSERT_TRUE(QDir(file).removeRecursively());
    f.session->partHistory().retry();
    ASSERT_EQ(f.session->partHistory().notRecorded(), 0);
    EXPECT_EQ(c->next(), "DATA\trecorded\t1");
    ASSERT_EQ(c->ask("EXECUTE\tMeasure"), "ACK\tEXECUTE\tMeasure");
    ASSERT_TRUE(stepUntil(CycleState::Result));
    EXPECT_EQ(c->next(), "DATA\tcount\t2");  // still recorded: nothing new to push
}

TEST_F(PartTopicServiceTest, AMeasureRefusedByTheCycleIsANackWithItsReason) {
    f.session->dialogs().mastering.Form_Load();
    EXPECT_EQ(c->ask("EXECUTE\tMeasure"), "NACK\tEXECUTE\tMeasure\tbusy");
    f.session->dialogs().mastering.Form_Unload();
    EXPECT_EQ(c->ask("EXECUTE\tStart"), "NACK\tEXECUTE\tStart\tunknown command");
    // Channel 3 has no formula: a program of it alone has nothing to measure.
    zelapp::PartProgram p;
    p.characteristics = {3};
    f.session->partProgram().replace(p);
    EXPECT_EQ(c->ask("EXECUTE\tMeasure"), "NACK\tEXECUTE\tMeasure\tno characteristics");
    // In auto, the present channel (2, at 0.0093) says no part is on the gauge.
    p.characteristics = {1};
    p.start = zelapp::PartStart::Auto;
    p.presentChannel = 2;
    p.presentLow = 0.5;
    p.presentHigh = 1.5;
    f.session->partProgram().replace(p);
    EXPECT_EQ(c->ask("EXECUTE\tMeasure"), "NACK\tEXECUTE\tMeasure\tno part");
    EXPECT_EQ(cycle->count(), 0);
    f.session->unit().markLost();
    EXPECT_EQ(c->ask("EXECUTE\tMeasure"), "NACK\tEXECUTE\tMeasure\tunit lost");
}

}  // namespace
