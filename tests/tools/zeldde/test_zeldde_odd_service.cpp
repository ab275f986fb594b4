// zeldde against a service that does not keep to the protocol: a scripted server on plain
// sockets answers each line the client sends with bytes of the test's choosing. Whatever comes
// back, zeldde ends with status 4 and says what went wrong, and never crashes.
#include <gtest/gtest.h>

#include <string>

#include "scripted_service.h"

namespace {

using zeltest::Outcome;
using zeltest::ScriptedService;

const QStringList kRequest{QStringLiteral("request"), QStringLiteral("labelChan(1)")};
const std::string kAckInitiate = "ACK\tINITIATE\n";

TEST(ZelddeOddService, ALineOutOfTurnIsShownEscapedAndEndsWithStatus4) {
    ScriptedService service({std::string("HELLO\t\x01\xff", 8) + "\n"}, true);
    ASSERT_TRUE(service.bound());
    const Outcome run = zeltest::zeldde(service, kRequest);
    EXPECT_EQ(run.status, 4);
    EXPECT_NE(run.err.find("unexpected line"), std::string::npos) << run.err;
    EXPECT_NE(run.err.find("HELLO\\t\\x01"), std::string::npos) << run.err;
    EXPECT_TRUE(run.out.empty());
}

TEST(ZelddeOddService, AnAnswerForAnotherItemOrVerbIsNotTakenForTheValue) {
    for (const std::string &answer :
         {std::string("DATA\tlabelChan(2)\t 1.0\n"), std::string("ACK\tADVISE\tlabelChan(1)\n"),
          std::string("NACK\tREQUEST\tlabelChan(2)\n")}) {
        SCOPED_TRACE(answer);
        ScriptedService service({kAckInitiate, answer}, true);
        ASSERT_TRUE(service.bound());
        const Outcome run = zeltest::zeldde(service, kRequest);
        EXPECT_EQ(run.status, 4) << run.err;
        EXPECT_TRUE(run.out.empty());
    }
}

TEST(ZelddeOddService, AnEndlessLineEndsWithStatus4) {
    ScriptedService service({kAckInitiate, std::string(70 * 1024, 'x')}, true);
    ASSERT_TRUE(service.bound());
    const Outcome run = zeltest::zeldde(service, kRequest);
    EXPECT_EQ(run.status, 4);
    EXPECT_NE(run.err.find("more than"), std::string::npos) << run.err;
}

TEST(ZelddeOddService, AServiceThatHangsUpMidwayEndsWithStatus4) {
    {
        ScriptedService service({}, false);  // closes as soon as it has accepted
        ASSERT_TRUE(service.bound());
        const Outcome run = zeltest::zeldde(service, kRequest);
        EXPECT_EQ(run.status, 4);
        // Whether the hang-up meets its INITIATE or its wait for the answer is a race: either
        // way the message names the service.
        EXPECT_NE(run.err.find("service \"zelapp\""), std::string::npos) << run.err;
    }
    {
        // Half a reply, then gone.
        ScriptedService service({kAckInitiate, "DATA\tlabelChan(1)\t 1.2"}, false);
        ASSERT_TRUE(service.bound());
        const Outcome run = zeltest::zeldde(service, kRequest);
        EXPECT_EQ(run.status, 4);
        EXPECT_TRUE(run.out.empty());
    }
}

TEST(ZelddeOddService, ARefusalWithoutAReasonStillNamesTheTopic) {
    ScriptedService service({"NACK\tINITIATE\n"}, true);
    ASSERT_TRUE(service.bound());
    const Outcome run = zeltest::zeldde(service, kRequest);
    EXPECT_EQ(run.status, 3);
    EXPECT_NE(run.err.find("\"Display\""), std::string::npos) << run.err;
}

}  // namespace
