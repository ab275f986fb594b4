// zel8d's command line.
#include <gtest/gtest.h>

#include "options.h"

namespace {

using zel8d::parseOptions;
using zel8d::PortMode;

TEST(Options, DefaultsAttachTheUnitToPortOneWithSilentNeighbours) {
    const auto result = parseOptions({});
    ASSERT_TRUE(result.ok) << result.error;
    const zel8d::Options &o = result.options;
    EXPECT_EQ(o.ports,
              (std::array<PortMode, 3>{PortMode::Unit, PortMode::Silent, PortMode::Silent}));
    EXPECT_EQ(o.unit.probes, 8);
    EXPECT_EQ(o.unit.analogs, 1);
    EXPECT_EQ(o.unit.table.entries, 128);
    EXPECT_DOUBLE_EQ(o.unit.storeSeconds, 0.6);
    EXPECT_EQ(o.signal, zel8d::SignalKind::Fixed);
    EXPECT_TRUE(o.folder.empty());
}

TEST(Options, PortsAndTheirDrivers) {
    auto result = parseOptions({"--absent-port", "1", "--port", "2"});
    ASSERT_TRUE(result.ok) << result.error;
    EXPECT_EQ(result.options.ports,
              (std::array<PortMode, 3>{PortMode::Absent, PortMode::Unit, PortMode::Silent}));
    result = parseOptions({"--port", "3", "--absent-port", "3"});
    EXPECT_FALSE(result.ok);
    EXPECT_NE(result.error.find("port 3 has the unit"), std::string::npos);
    EXPECT_FALSE(parseOptions({"--port", "4"}).ok);
    EXPECT_FALSE(parseOptions({"--port", "1x"}).ok);
    EXPECT_FALSE(parseOptions({"--port", ""}).ok);
}

TEST(Options, InputValuesForTheFixedSignal) {
    auto result = parseOptions({"--set", "T1=0.0123", "--set", "a1=-0.5", "--noise", "1e-5"});
    ASSERT_TRUE(result.ok) << result.error;
    ASSERT_EQ(result.options.values.size(), 2u);
    EXPECT_EQ(result.options.values[1].kind, 'A');
    EXPECT_DOUBLE_EQ(result.options.values[1].value, -0.5);
    EXPECT_DOUBLE_EQ(result.options.noise, 1e-5);
    for (const char *bad : {"T1", "T0=1", "T9=1", "X1=1", "T1=abc", "T1=nan", "T1=1e999", "=1"}) {
        EXPECT_FALSE(parseOptions({"--set", bad}).ok) << bad;
    }
    EXPECT_TRUE(parseOptions({"--probes", "12", "--set", "T12=1"}).ok);
    EXPECT_FALSE(parseOptions({"--signal", "demo", "--set", "T1=1"}).ok);
    EXPECT_FALSE(parseOptions({"--noise", "-1"}).ok);
}

TEST(Options, UnknownOrIncompleteOptionsAreReported) {
    auto result = parseOptions({"--frobnicate", "1"});
    EXPECT_FALSE(result.ok);
    EXPECT_NE(result.error.find("--frobnicate"), std::string::npos);
    result = parseOptions({"--dir"});
    EXPECT_NE(result.error.find("--dir needs a value"), std::string::npos);
    EXPECT_FALSE(parseOptions({"--signal", "noisy"}).ok);
    EXPECT_FALSE(parseOptions({"--table", "0"}).ok);
    EXPECT_FALSE(parseOptions({"--channels", "256"}).ok);
    EXPECT_TRUE(parseOptions({"--help"}).options.help);
}

TEST(Options, NumbersAndNames) {
    long n = 0;
    EXPECT_TRUE(zel8d::parseInteger("42", 0, 42, &n));
    EXPECT_FALSE(zel8d::parseInteger("43", 0, 42, &n));
    EXPECT_FALSE(zel8d::parseInteger(" 4", 0, 42, &n));
    EXPECT_FALSE(zel8d::parseInteger("99999999999999999999", 0, 42, &n));
    char kind = 0;
    int number = 0;
    EXPECT_TRUE(zel8d::parseInputName("t255", &kind, &number));
    EXPECT_EQ(kind, 'T');
    EXPECT_FALSE(zel8d::parseInputName("T256", &kind, &number));
    EXPECT_FALSE(zel8d::parseInputName("T+1", &kind, &number));
    EXPECT_FALSE(zel8d::parseInputName("C1", &kind, &number));
}

}  // namespace
