// The live-value protocol's pieces without a socket: line splitting, item and link names, and
// where the service's socket lives.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <QDir>
#include <QFile>

#include "exchange/link_address.h"
#include "exchange/link_protocol.h"
#include "temp_folder.h"

namespace zelapp {
namespace {

using zeltest::ScopedEnv;
using zeltest::TempFolder;

TEST(LinkLine, SplitsAtTheFirstTabAndDropsOnlyATrailingCr) {
    const link::Line request = link::splitLine("REQUEST\tlabelChan(1)\r");
    EXPECT_EQ(request.verb, "REQUEST");
    EXPECT_EQ(request.argument, "labelChan(1)");
    EXPECT_TRUE(request.hasArgument);

    const link::Line tabs = link::splitLine("REQUEST\ta\tb");
    EXPECT_EQ(tabs.argument, "a\tb");

    const link::Line bare = link::splitLine("TERMINATE");
    EXPECT_EQ(bare.verb, "TERMINATE");
    EXPECT_FALSE(bare.hasArgument);

    const link::Line emptyArgument = link::splitLine("ADVISE\t");
    EXPECT_TRUE(emptyArgument.hasArgument);
    EXPECT_EQ(emptyArgument.argument, "");

    EXPECT_EQ(link::splitLine("A\rB\r\r").verb, "A\rB\r");
}

TEST(LinkLine, RepliesJoinFieldsWithTabsAndEndWithLf) {
    EXPECT_EQ(link::reply("ACK", "INITIATE"), "ACK\tINITIATE\n");
    EXPECT_EQ(link::reply("NACK", "ADVISE", "labelChan(9)"), "NACK\tADVISE\tlabelChan(9)\n");
    EXPECT_EQ(link::dataLine("LabelChan(1)", " 1.250"), "DATA\tLabelChan(1)\t 1.250\n");
}

TEST(LinkLine, TextTravelsAsLatin1) {
    EXPECT_EQ(link::toWire(QStringLiteral(" 12.5 \u00b5m")), QByteArray(" 12.5 \xb5m"));
    EXPECT_EQ(link::toWire(QStringLiteral("\u2014")), "?");
    EXPECT_EQ(link::fromWire("\xb5"), QStringLiteral("\u00b5"));
}

TEST(LinkItems, ChannelItemsMatchWithoutRegardToCase) {
    EXPECT_EQ(link::itemName(7), QStringLiteral("labelChan(7)"));
    EXPECT_EQ(link::itemChannel("labelChan(1)"), 1);
    EXPECT_EQ(link::itemChannel("LABELCHAN(12)"), 12);
    EXPECT_EQ(link::itemChannel("LabelChan(255)"), 255);
    EXPECT_EQ(link::itemChannel("labelChan(32767)"), 32767);
}

TEST(LinkItems, AnythingButPlainDecimalNamesNoChannel) {
    for (const char *item :
         {"labelChan(0)", "labelChan(01)", "labelChan( 1)", "labelChan(+1)", "labelChan(-1)",
          "labelChan(1", "labelChan()", "labelChan(1)x", "labelChan(32768)", "labelChan(999999)",
          "xlabelChan(1)", "labelChan(1 )", "labelChan(1\t)", "", "labelChan", "LabelChan1"}) {
        EXPECT_EQ(link::itemChannel(item), 0) << item;
    }
    EXPECT_EQ(link::itemChannel(QByteArray("labelChan(1\0)", 13)), 0);
}

TEST(LinkItems, TopicsMatchWithoutRegardToCase) {
    EXPECT_EQ(link::topicNamed("Display"), link::Topic::Display);
    EXPECT_EQ(link::topicNamed("DISPLAY"), link::Topic::Display);
    EXPECT_EQ(link::topicNamed("Part"), link::Topic::Part);
    EXPECT_EQ(link::topicNamed("pART"), link::Topic::Part);
    for (const char *topic : {"Display ", "Part ", "Parts", "System", ""}) {
        EXPECT_EQ(link::topicNamed(topic), link::Topic::None) << topic;
    }
}

TEST(LinkItems, PartItemsAndCommandsTakeTheProgramsSpellingWhateverTheCase) {
    EXPECT_EQ(link::partItemName("STATE"), QStringLiteral("state"));
    EXPECT_EQ(link::partItemName("Verdict"), QStringLiteral("verdict"));
    EXPECT_EQ(link::partItemName("count"), QStringLiteral("count"));
    EXPECT_EQ(link::partItemName("ReAsOn"), QStringLiteral("reason"));
    EXPECT_EQ(link::partItemName("ID"), QStringLiteral("id"));
    EXPECT_EQ(link::partItemName("Result(12)"), QStringLiteral("result(12)"));
    EXPECT_EQ(link::resultChannel("RESULT(255)"), 255);
    // Channels are named as labelChan(n) names them; the Display items are not Part items.
    for (const char *item : {"result(0)", "result(01)", "result( 1)", "result(32768)", "result()",
                             "results(1)", "state ", "labelChan(1)", "", "verdicts"}) {
        EXPECT_TRUE(link::partItemName(item).isEmpty()) << item;
    }
    EXPECT_EQ(link::partCommandName("MEASURE"), QStringLiteral("Measure"));
    EXPECT_EQ(link::partCommandName("cancel"), QStringLiteral("Cancel"));
    for (const char *command : {"Measure ", "Reset", "", "[Measure]"}) {
        EXPECT_TRUE(link::partCommandName(command).isEmpty()) << command;
    }
}

TEST(LinkNames, PastedLinksSplitIntoServiceTopicAndItem) {
    link::LinkName name;
    ASSERT_TRUE(link::parseLinkName(QStringLiteral("zelapp|Display!labelChan(1)"), &name));
    EXPECT_EQ(name.service, QStringLiteral("zelapp"));
    EXPECT_EQ(name.topic, QStringLiteral("Display"));
    EXPECT_EQ(name.item, QStringLiteral("labelChan(1)"));
    EXPECT_EQ(link::linkNameText(name), QStringLiteral("zelapp|Display!labelChan(1)"));

    for (const char *text : {"labelChan(1)", "|Display!labelChan(1)", "zelapp|!labelChan(1)",
                             "zelapp|Display!", "zelapp|Display", "zelapp!Display|x"}) {
        EXPECT_FALSE(link::parseLinkName(QString::fromLatin1(text), &name)) << text;
    }
}

TEST(LinkAddress, ServiceIsTheProgramFileNameAndTheSocketItsLowerCase) {
    EXPECT_EQ(serviceNameOf(QStringLiteral("/opt/zel/bin/zelapp")), QStringLiteral("zelapp"));
    EXPECT_EQ(serviceNameOf(QStringLiteral("C:/ZEL/ZELAPP.EXE")), QStringLiteral("ZELAPP"));
    EXPECT_EQ(linkSocketPath(QStringLiteral("/run/x"), QStringLiteral("ZelApp")),
              QStringLiteral("/run/x/zelapp"));
}

TEST(LinkAddress, FolderComesFromZelDdeDirThenTheRuntimeFolderThenTmp) {
    {
        ScopedEnv own("ZEL_DDE_DIR", "/srv/links");
        ScopedEnv runtime("XDG_RUNTIME_DIR", "/run/user/7");
        EXPECT_EQ(linkSocketFolder(), QStringLiteral("/srv/links"));
    }
    {
        ScopedEnv own("ZEL_DDE_DIR", "");
        ScopedEnv runtime("XDG_RUNTIME_DIR", "/run/user/7");
        EXPECT_EQ(linkSocketFolder(), QStringLiteral("/run/user/7/zel-dde"));
    }
    {
        ScopedEnv own("ZEL_DDE_DIR", nullptr);
        ScopedEnv runtime("XDG_RUNTIME_DIR", nullptr);
        EXPECT_EQ(linkSocketFolder(), QStringLiteral("/tmp/zel-dde-%1").arg(getuid()));
    }
}

mode_t modeOf(const QString &path) {
    struct stat info {};
    EXPECT_EQ(stat(QFile::encodeName(path).constData(), &info), 0);
    return info.st_mode & 0777;
}

TEST(LinkAddress, FolderIsMadePrivateToTheUser) {
    TempFolder temp;
    const QString base = QString::fromStdString(temp.path());
    QString error;

    const QString fresh = base + QStringLiteral("/a/b/zel-dde");
    ASSERT_TRUE(preparePrivateFolder(fresh, &error)) << error.toStdString();
    EXPECT_EQ(modeOf(fresh), 0700u);

    const QString open = base + QStringLiteral("/open");
    ASSERT_TRUE(QDir().mkdir(open));
    ASSERT_EQ(chmod(QFile::encodeName(open).constData(), 0777), 0);
    ASSERT_TRUE(preparePrivateFolder(open, &error)) << error.toStdString();
    EXPECT_EQ(modeOf(open), 0700u);
}

TEST(LinkAddress, AFileOrALinkInPlaceOfTheFolderIsRefused) {
    TempFolder temp;
    const QString base = QString::fromStdString(temp.path());
    QString error;

    const QString file = base + QStringLiteral("/file");
    QFile f(file);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.close();
    EXPECT_FALSE(preparePrivateFolder(file, &error));
    EXPECT_FALSE(error.isEmpty());

    const QString target = base + QStringLiteral("/target");
    ASSERT_TRUE(QDir().mkdir(target));
    const QString planted = base + QStringLiteral("/planted");
    ASSERT_TRUE(QFile::link(target, planted));
    error.clear();
    EXPECT_FALSE(preparePrivateFolder(planted, &error));
    EXPECT_TRUE(error.contains(QStringLiteral("not a folder"))) << error.toStdString();
}

}  // namespace
}  // namespace zelapp
