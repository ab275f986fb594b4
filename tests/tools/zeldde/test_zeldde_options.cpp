// zeldde's command line, read without a service: the commands, items and pasted links, and
// every way the options can be wrong.
#include <gtest/gtest.h>

#include "zeldde_options.h"

namespace {

using zeldde::Options;
using zeldde::ParsedOptions;
using zeldde::Verb;

ParsedOptions parse(std::initializer_list<const char *> args) {
    QStringList list;
    for (const char *arg : args) {
        list.append(QString::fromUtf8(arg));
    }
    return zeldde::parseZelddeOptions(list);
}

// The options of arguments that must be accepted.
Options accepted(std::initializer_list<const char *> args) {
    const ParsedOptions parsed = parse(args);
    EXPECT_TRUE(parsed.ok()) << parsed.error.toStdString();
    return parsed.options;
}

// The error of arguments that must be refused.
std::string refused(std::initializer_list<const char *> args) {
    const ParsedOptions parsed = parse(args);
    EXPECT_FALSE(parsed.ok());
    EXPECT_FALSE(parsed.options.help);
    return parsed.error.toStdString();
}

QStringList items(std::initializer_list<const char *> names) {
    QStringList list;
    for (const char *name : names) {
        list.append(QString::fromUtf8(name));
    }
    return list;
}

TEST(ZelddeOptions, CommandsTakeTheirItemsInOrderWithTheDefaults) {
    const Options request = accepted({"request", "labelChan(2)", "labelChan(1)", "labelChan(2)"});
    EXPECT_EQ(request.verb, Verb::Request);
    // Each item asked for prints a line, repeats included.
    EXPECT_EQ(request.items, items({"labelChan(2)", "labelChan(1)", "labelChan(2)"}));
    EXPECT_EQ(request.service, QStringLiteral("zelapp"));
    EXPECT_EQ(request.topic, QStringLiteral("Display"));
    EXPECT_EQ(request.count, 0);
    EXPECT_EQ(request.waitSeconds, 0);
    EXPECT_FALSE(request.help);

    // One hot link per item: an exact repeat is dropped, another spelling is not.
    const Options advise = accepted({"advise", "labelChan(1)", "labelChan(1)", "LABELCHAN(1)"});
    EXPECT_EQ(advise.verb, Verb::Advise);
    EXPECT_EQ(advise.items, items({"labelChan(1)", "LABELCHAN(1)"}));
}

TEST(ZelddeOptions, ExecuteTakesOneCommandOnTheTopicPartUnlessTopicSaysOtherwise) {
    const Options execute = accepted({"execute", "Measure"});
    EXPECT_EQ(execute.verb, Verb::Execute);
    EXPECT_EQ(execute.items, items({"Measure"}));
    EXPECT_EQ(execute.topic, QStringLiteral("Part"));
    EXPECT_EQ(accepted({"--topic", "Display", "execute", "cancel"}).topic,
              QStringLiteral("Display"));
    EXPECT_EQ(accepted({"execute", "zelapp|Display!Measure"}).topic, QStringLiteral("Display"));
    // The other commands keep Display.
    EXPECT_EQ(accepted({"request", "state"}).topic, QStringLiteral("Display"));

    EXPECT_NE(refused({"execute"}).find("one command"), std::string::npos);
    EXPECT_NE(refused({"execute", "Measure", "Cancel"}).find("one command"), std::string::npos);
    EXPECT_NE(refused({"execute", "--count", "1", "Measure"}).find("advise"), std::string::npos);
    refused({"execute", ""});
    refused({"execute", "Mea\tsure"});
    refused({"EXECUTE", "Measure"});
    EXPECT_NE(zeldde::zelddeUsage().indexOf(QStringLiteral("execute COMMAND")), -1);
}

TEST(ZelddeOptions, OptionsGoAnywhereInBothSpellings) {
    const Options options = accepted(
        {"--service", "other", "advise", "--topic=Values", "a", "--count", "3", "b", "--wait=30"});
    EXPECT_EQ(options.verb, Verb::Advise);
    EXPECT_EQ(options.service, QStringLiteral("other"));
    EXPECT_EQ(options.topic, QStringLiteral("Values"));
    EXPECT_EQ(options.count, 3);
    EXPECT_EQ(options.waitSeconds, 30);
    EXPECT_EQ(options.items, items({"a", "b"}));

    // After "--" everything is an item, even what looks like an option.
    EXPECT_EQ(accepted({"request", "--", "--count", "-"}).items, items({"--count", "-"}));
}

TEST(ZelddeOptions, HelpWinsOverEverythingBeforeTheEndOfOptions) {
    EXPECT_TRUE(accepted({"--help"}).help);
    EXPECT_TRUE(accepted({"-h"}).help);
    EXPECT_TRUE(accepted({"nonsense", "--count", "x", "--help"}).help);
    EXPECT_FALSE(accepted({"request", "--", "--help"}).help);
    EXPECT_FALSE(zeldde::zelddeHelp().isEmpty());
    EXPECT_TRUE(zeldde::zelddeUsage().contains(QStringLiteral("--help")));
}

TEST(ZelddeOptions, WithoutACommandOrItemsNothingIsDone) {
    EXPECT_NE(refused({}).find("no command"), std::string::npos);
    EXPECT_NE(refused({"--wait", "3"}).find("no command"), std::string::npos);
    EXPECT_NE(refused({"request"}).find("no item"), std::string::npos);
    EXPECT_NE(refused({"advise", "--count", "2"}).find("no item"), std::string::npos);
    const std::string poke = refused({"poke", "labelChan(1)"});
    EXPECT_NE(poke.find("poke"), std::string::npos);
    EXPECT_NE(poke.find("execute"), std::string::npos);
    // Commands are words of their own: no other spelling.
    refused({"REQUEST", "labelChan(1)"});
    refused({"labelChan(1)"});
}

TEST(ZelddeOptions, UnknownOptionsAreNamed) {
    EXPECT_NE(refused({"request", "--bogus", "a"}).find("--bogus"), std::string::npos);
    EXPECT_NE(refused({"request", "-x", "a"}).find("-x"), std::string::npos);
    EXPECT_NE(refused({"request", "--bogus=1", "a"}).find("--bogus"), std::string::npos);
    // Options have no short or single-dash spellings.
    refused({"request", "-service", "zelapp", "a"});
}

TEST(ZelddeOptions, CountIsAWholeNumberOfLinesForAdviseOnly) {
    EXPECT_EQ(accepted({"advise", "--count", "1", "a"}).count, 1);
    EXPECT_EQ(accepted({"advise", "--count", "2147483647", "a"}).count, 2147483647);
    EXPECT_NE(refused({"advise", "a", "--count"}).find("--count"), std::string::npos);
    for (const char *bad :
         {"0", "-1", "x", "", "1.5", "+2", " 2", "2 ", "2147483648", "99999999999999999999"}) {
        SCOPED_TRACE(bad);
        EXPECT_NE(refused({"advise", "--count", bad, "a"}).find("--count"), std::string::npos);
    }
    EXPECT_NE(refused({"request", "--count", "2", "a"}).find("advise"), std::string::npos);
}

TEST(ZelddeOptions, WaitIsAWholeNumberOfSecondsFromZero) {
    EXPECT_EQ(accepted({"request", "--wait", "0", "a"}).waitSeconds, 0);
    EXPECT_EQ(accepted({"advise", "--wait", "86400", "a"}).waitSeconds, 86400);
    EXPECT_NE(refused({"request", "a", "--wait"}).find("--wait"), std::string::npos);
    for (const char *bad : {"-1", "soon", "", "0.5", "86401", "4294967296"}) {
        SCOPED_TRACE(bad);
        EXPECT_NE(refused({"request", "--wait", bad, "a"}).find("--wait"), std::string::npos);
    }
}

TEST(ZelddeOptions, APastedLinkNamesTheServiceTopicAndItem) {
    const Options options = accepted({"request", "other|Values!labelChan(3)", "labelChan(4)"});
    EXPECT_EQ(options.service, QStringLiteral("other"));
    EXPECT_EQ(options.topic, QStringLiteral("Values"));
    EXPECT_EQ(options.items, items({"labelChan(3)", "labelChan(4)"}));

    // Links and options may spell the same service and topic in other cases.
    const Options agreeing =
        accepted({"advise", "--service", "ZelApp", "--topic", "display",
                  "zelapp|Display!labelChan(1)", "ZELAPP|DISPLAY!labelChan(2)"});
    EXPECT_EQ(agreeing.service, QStringLiteral("ZelApp"));
    EXPECT_EQ(agreeing.topic, QStringLiteral("display"));
    EXPECT_EQ(agreeing.items, items({"labelChan(1)", "labelChan(2)"}));
    // An item may hold what a link uses after its bar.
    EXPECT_EQ(accepted({"request", "zelapp|Display!a!b"}).items, items({"a!b"}));
}

TEST(ZelddeOptions, LinksAndOptionsMustNameTheSameServiceAndTopic) {
    const std::string service = refused({"request", "--service", "other", "zelapp|Display!a"});
    EXPECT_NE(service.find("other"), std::string::npos);
    EXPECT_NE(service.find("zelapp"), std::string::npos);
    EXPECT_NE(refused({"request", "zelapp|Display!a", "--topic", "Values"}).find("Values"),
              std::string::npos);
    refused({"request", "zelapp|Display!a", "other|Display!b"});
    refused({"request", "zelapp|Display!a", "zelapp|Values!b"});
    refused({"request", "--service", "a", "--service", "b", "x"});
    // The same option twice with one value is no disagreement.
    EXPECT_EQ(accepted({"request", "--topic", "T", "--topic", "t", "x"}).topic,
              QStringLiteral("T"));
}

TEST(ZelddeOptions, MalformedLinksAreRefused) {
    for (const char *bad :
         {"zelapp|!x", "|Display!x", "zelapp|Display!", "zelapp|Display", "zelapp|", "|"}) {
        SCOPED_TRACE(bad);
        EXPECT_NE(refused({"request", bad}).find(bad), std::string::npos);
    }
}

TEST(ZelddeOptions, NamesThatCannotTravelOrNameASocketAreRefused) {
    refused({"request", ""});
    refused({"request", "label\tChan(1)"});
    refused({"request", "labelChan(1)\n"});
    refused({"request", "labelChan(\xe2\x82\xac)"});  // a euro sign: beyond Latin-1
    refused({"request", "--topic", "", "a"});
    refused({"request", "--topic", "Dis\rplay", "a"});
    refused({"request", "--service", "", "a"});
    refused({"request", "--service", "../zelapp", "a"});
    refused({"request", "--service", "..", "a"});
    refused({"request", "a/b|Display!labelChan(1)"});
    // Latin-1 beyond ASCII travels as one byte.
    EXPECT_EQ(accepted({"request", "Temp\xc2\xb0"}).items, items({"Temp\xc2\xb0"}));
}

}  // namespace
