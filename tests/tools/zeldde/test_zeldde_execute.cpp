// zeldde execute against a scripted service: what it sends, and its exit status for each answer
// (0 for ACK, 3 for NACK with the service's reason told, 4 for an answer out of turn).
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "scripted_service.h"

namespace {

using zeltest::Outcome;
using zeltest::ScriptedService;
using Lines = std::vector<std::string>;

const std::string kAckInitiate = "ACK\tINITIATE\n";
const std::string kAckTerminate = "ACK\tTERMINATE\n";

QStringList args(std::initializer_list<const char *> list) {
    QStringList result;
    for (const char *arg : list) {
        result.append(QString::fromUtf8(arg));
    }
    return result;
}

TEST(ZelddeExecute, AnAckEndsWithStatus0AndPrintsNothing) {
    ScriptedService service({kAckInitiate, "ACK\tEXECUTE\tMeasure\n", kAckTerminate}, true);
    ASSERT_TRUE(service.bound());
    const Outcome run = zeltest::zeldde(service, args({"execute", "Measure"}));
    EXPECT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(run.out, "");
    EXPECT_EQ(run.err, "");
    // The topic Part unless told otherwise, the command as given, then goodbye.
    EXPECT_EQ(service.lines(), (Lines{"INITIATE\tPart", "EXECUTE\tMeasure", "TERMINATE"}));
}

TEST(ZelddeExecute, ANackEndsWithStatus3AndTellsTheServicesReason) {
    for (const char *reason : {"cycle running", "no cycle", "unit lost", "busy"}) {
        SCOPED_TRACE(reason);
        ScriptedService service(
            {kAckInitiate, std::string("NACK\tEXECUTE\tcancel\t") + reason + "\n", kAckTerminate},
            true);
        ASSERT_TRUE(service.bound());
        const Outcome run = zeltest::zeldde(service, args({"execute", "cancel"}));
        EXPECT_EQ(run.status, 3);
        EXPECT_EQ(run.out, "");
        EXPECT_EQ(run.err,
                  std::string("zeldde: service \"zelapp\" refused the command \"cancel\": ") +
                      reason + "\n");
        EXPECT_EQ(service.lines(), (Lines{"INITIATE\tPart", "EXECUTE\tcancel", "TERMINATE"}));
    }
    // A topic without commands answers without a reason.
    ScriptedService display({kAckInitiate, "NACK\tEXECUTE\n", kAckTerminate}, true);
    ASSERT_TRUE(display.bound());
    const Outcome run =
        zeltest::zeldde(display, args({"--topic", "Display", "execute", "Measure"}));
    EXPECT_EQ(run.status, 3);
    EXPECT_EQ(run.err, "zeldde: service \"zelapp\" refused the command \"Measure\"\n");
    EXPECT_EQ(display.lines(), (Lines{"INITIATE\tDisplay", "EXECUTE\tMeasure", "TERMINATE"}));
}

TEST(ZelddeExecute, AnAnswerToAnotherCommandOrVerbEndsWithStatus4) {
    for (const std::string &answer :
         {std::string("ACK\tEXECUTE\tCancel\n"), std::string("NACK\tEXECUTE\tMeasured\tbusy\n"),
          std::string("ACK\tEXECUTE\n"), std::string("DATA\tstate\tREADY\n"),
          std::string("NACK\tREQUEST\tMeasure\n")}) {
        SCOPED_TRACE(answer);
        ScriptedService service({kAckInitiate, answer}, true);
        ASSERT_TRUE(service.bound());
        const Outcome run = zeltest::zeldde(service, args({"execute", "Measure"}));
        EXPECT_EQ(run.status, 4);
        EXPECT_NE(run.err.find("unexpected line"), std::string::npos) << run.err;
    }
}

TEST(ZelddeExecute, ARefusedTopicEndsWithStatus3BeforeAnyCommand) {
    ScriptedService service({"NACK\tINITIATE\tunknown topic\n"}, true);
    ASSERT_TRUE(service.bound());
    const Outcome run = zeltest::zeldde(service, args({"execute", "Measure"}));
    EXPECT_EQ(run.status, 3);
    EXPECT_NE(run.err.find("\"Part\": unknown topic"), std::string::npos) << run.err;
    EXPECT_EQ(service.lines(), (Lines{"INITIATE\tPart"}));
}

}  // namespace
