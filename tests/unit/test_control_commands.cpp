// The control socket's commands, executed on an emulator without sockets.
#include <gtest/gtest.h>

#include "control_commands.h"

namespace {

using zel8d::executeControl;

class ControlTest : public ::testing::Test {
  protected:
    std::string run(std::string_view line) { return executeControl(line, emulator).line; }

    zel8d::Options options = parseOptions({"--set", "T3=0.0123"});
    zel8d::Emulator emulator{options, ""};

    static zel8d::Options parseOptions(const std::vector<std::string> &args) {
        return zel8d::parseOptions(args).options;
    }
};

TEST_F(ControlTest, SetScanAndGet) {
    EXPECT_EQ(run("get\tT3"), "OK\t0");  // before the first scan
    EXPECT_EQ(run("scan\t1"), "OK");
    EXPECT_EQ(run("get\tT3"), "OK\t0.0123");
    EXPECT_EQ(run("set\tA1\t0.5"), "OK");
    EXPECT_EQ(run("scan 1"), "OK");  // blanks separate too
    EXPECT_EQ(run("get\ta1"), "OK\t0.5");
    zelunit::Unit &unit = emulator.unit();
    ASSERT_EQ(unit.channels().define(2, "T3*2"), 0);
    EXPECT_EQ(run("scan\t2"), "OK");
    EXPECT_EQ(run("get\tC2"), "OK\t0.0246");
    EXPECT_EQ(run("get\tC256"), "ERR\tthe unit has no channel 256");
    EXPECT_EQ(run("get\tT9"), "ERR\tthe unit has no probe T9");
    EXPECT_EQ(run("get\tA2"), "ERR\tthe unit has no analog input A2");
    EXPECT_EQ(run("set\tT9\t1"), "ERR\tthe unit has no input T9");
    EXPECT_EQ(run("set\tT1\tx"), "ERR\t'x' is not a number");
    EXPECT_EQ(run("scan\t0").substr(0, 4), "ERR\t");
}

TEST_F(ControlTest, FaultsReachTheDriverAndTheUnit) {
    EXPECT_EQ(run("silent\ton"), "OK");
    EXPECT_TRUE(emulator.driver().silent());
    EXPECT_EQ(run("silent\toff"), "OK");
    EXPECT_FALSE(emulator.driver().silent());
    EXPECT_EQ(run("silent\tmaybe").substr(0, 4), "ERR\t");
    EXPECT_EQ(run("delay\t250"), "OK");
    EXPECT_DOUBLE_EQ(emulator.driver().delay(), 0.25);
    EXPECT_EQ(run("delay\t-1").substr(0, 4), "ERR\t");
    EXPECT_EQ(run("status\t255"), "OK");
    EXPECT_EQ(run("status\t256").substr(0, 4), "ERR\t");
    EXPECT_EQ(run("save-error\t7"), "OK");
    EXPECT_EQ(run("save-error\t0").substr(0, 4), "ERR\t");
}

TEST_F(ControlTest, StatsCountTheScheduledScans) {
    emulator.schedule().run(emulator.unit(), emulator.now());
    const std::string stats = run("stats");
    EXPECT_EQ(stats.rfind("OK\tscans=1\tdropped=0\tseconds=", 0), 0u) << stats;
    EXPECT_EQ(run("scan\t3"), "OK");  // scans on demand are not the schedule's
    EXPECT_EQ(run("stats").rfind("OK\tscans=1\t", 0), 0u);
    EXPECT_EQ(run("stats\tnow").substr(0, 4), "ERR\t");
}

TEST_F(ControlTest, QuitAndNonsense) {
    EXPECT_TRUE(executeControl("quit", emulator).quit);
    EXPECT_FALSE(executeControl("quit\tnow", emulator).quit);
    EXPECT_EQ(run(""), "ERR\tempty command");
    EXPECT_EQ(run("reboot"), "ERR\tunknown command 'reboot'");
    EXPECT_EQ(run(std::string("set\0T1", 6)).substr(0, 4), "ERR\t");
    EXPECT_EQ(run("get").substr(0, 4), "ERR\t");
}

TEST(ControlDemo, InputsCannotBeSetWhileTheDemoSignalRuns) {
    zel8d::Emulator emulator(zel8d::parseOptions({"--signal", "demo"}).options, "");
    EXPECT_EQ(executeControl("set\tT1\t0.1", emulator).line.substr(0, 4), "ERR\t");
    EXPECT_EQ(executeControl("scan\t1", emulator).line, "OK");
    EXPECT_EQ(executeControl("get\tT1", emulator).line.substr(0, 3), "OK\t");
}

}  // namespace
