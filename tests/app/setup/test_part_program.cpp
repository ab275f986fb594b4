// The part program's "[Part]" section: every key read without regard to case, a line that does
// not read named with its number while only its key takes its default, the rules between keys,
// and the section written back with only the keys not at their default, every other byte kept.
#include <gtest/gtest.h>

#include <map>

#include "setup/part_program.h"

using namespace Qt::StringLiterals;
using zelapp::PartProgram;
using zelapp::PartStart;

namespace {

PartProgram everyKey() {
    PartProgram p;
    p.number = u"SH-4711"_s;
    p.description = u"Shaft, turned = ground"_s;
    p.characteristics = {3, 1, 5};
    p.start = PartStart::Auto;
    p.presentChannel = 2;
    p.presentLow = -0.5;
    p.presentHigh = 0.25;
    p.presentTimeMs = 500;
    p.settleBand = 0.002;
    p.settleTimeMs = 450;
    p.dynamicTimeMs = 1200;
    p.timeoutMs = 8000;
    p.askId = true;
    return p;
}

TEST(PartProgramRead, NoSectionGivesTheDefaultsAndEveryKeyReads) {
    const zelapp::PartProgramRead none = zelapp::parsePartProgram("[Mastered]\r\nC1=x\r\n");
    EXPECT_EQ(none.program, PartProgram{});
    EXPECT_TRUE(none.clean());

    const zelapp::PartProgramRead read = zelapp::parsePartProgram(
        "; shaft\n[part]\n"
        "NUMBER=SH-4711\n"
        "description = Shaft, turned = ground\n"
        "Characteristics= 3, 1 ,5\n"
        "start=AUTO\n"
        "PresentChannel=2\nPresentLow=-0.5\nPresentHigh=.25\npresenttime=500\n"
        "SettleBand=0.002\nSettleTime=450\nDynamicTime=1200\nTimeout=8000\n"
        "AskId=True\n"
        "Station=later keys are left to later programs\n"
        "[Mastered]\nNumber=not ours\n");
    EXPECT_TRUE(read.clean()) << read.warnings.join(u'|').toStdString();
    EXPECT_EQ(read.program, everyKey());
}

TEST(PartProgramRead, ALineThatDoesNotReadIsNamedAndOnlyItsKeyDefaults) {
    const zelapp::PartProgramRead read = zelapp::parsePartProgram(
        "[Part]\r\n"
        "Number=1234567890123456789012345678901\r\n"  // 31 characters
        "Description=kept\r\n"
        "Characteristics=1,x\r\n"
        "Start=sometimes\r\n"
        "PresentChannel=0\r\n"
        "PresentLow=1,5\r\n"
        "SettleBand=0\r\n"
        "SettleTime=-1\r\n"
        "DynamicTime=2.5\r\n"
        "Timeout=9000\r\n"
        "AskId=yes\r\n"
        "just words\r\n"
        "PresentTime=soon\r\n");
    EXPECT_EQ(read.warnings,
              QStringList({
                  u"Line 2: Number \"1234567890123456789012345678901\" has more than 30 "
                  "characters; the setup file's name is used."_s,
                  u"Line 4: Characteristics \"1,x\" is not a list of different channel numbers "
                  "such as 1,3,5; every channel with a formula is used."_s,
                  u"Line 5: Start \"sometimes\" is neither key nor auto; key is used."_s,
                  u"Line 6: PresentChannel \"0\" is not a channel number (1 or more); none is "
                  "used."_s,
                  u"Line 7: PresentLow \"1,5\" is not a number; the default (0) is used."_s,
                  u"Line 8: SettleBand \"0\" is not a number above 0; the default (5 steps of "
                  "the last decimal) is used."_s,
                  u"Line 9: SettleTime \"-1\" is not a whole number of milliseconds (0 or more); "
                  "the default (300) is used."_s,
                  u"Line 10: DynamicTime \"2.5\" is not a whole number of milliseconds (0 or "
                  "more); the default (0) is used."_s,
                  u"Line 12: AskId \"yes\" is neither true nor false; false is used."_s,
                  u"Line 13: \"just words\" is no Key=Value line; it is passed over."_s,
                  u"Line 14: PresentTime \"soon\" is not a whole number of milliseconds (0 or "
                  "more); the default (200) is used."_s,
              }));
    PartProgram expected;
    expected.description = u"kept"_s;
    expected.timeoutMs = 9000;
    EXPECT_EQ(read.program, expected);

    // A later line of a key that does not read leaves no earlier value behind.
    EXPECT_EQ(zelapp::parsePartProgram("[Part]\nSettleTime=500\nSettleTime=x\n").program,
              PartProgram{});
    // Duplicates in the list do not read either.
    EXPECT_FALSE(zelapp::parsePartProgram("[Part]\nCharacteristics=2,2\n").clean());
}

TEST(PartProgramRead, RulesBetweenKeysNameTheLaterLineAndTakeTheDefaults) {
    // Low above high: both take their default; equal is allowed.
    zelapp::PartProgramRead read = zelapp::parsePartProgram(
        "[Part]\nPresentHigh=1\nPresentLow=2\nPresentChannel=4\nStart=auto\n");
    EXPECT_EQ(read.warnings, QStringList{u"Line 3: PresentHigh 1 is below PresentLow 2; both take "
                                         "their default (0)."_s});
    EXPECT_EQ(read.program.presentLow, 0);
    EXPECT_EQ(read.program.presentHigh, 0);
    EXPECT_EQ(read.program.start, PartStart::Auto);
    EXPECT_TRUE(zelapp::parsePartProgram("[Part]\nPresentLow=2\nPresentHigh=2\n").clean());

    // Auto without a present channel starts by key.
    read = zelapp::parsePartProgram("[Part]\nStart=auto\n");
    EXPECT_EQ(read.warnings,
              QStringList{u"Line 2: Start auto needs a PresentChannel; key is used."_s});
    EXPECT_EQ(read.program.start, PartStart::Key);

    // Timeout must exceed SettleTime + DynamicTime: at the sum it does not.
    read = zelapp::parsePartProgram("[Part]\nTimeout=1000\nSettleTime=400\nDynamicTime=600\n");
    EXPECT_EQ(read.warnings, QStringList{u"Line 4: Timeout 1000 does not exceed SettleTime + "
                                         "DynamicTime (1000 ms); the default (10000) is used."_s});
    EXPECT_EQ(read.program.timeoutMs, 10000);
    EXPECT_EQ(read.program.dynamicTimeMs, 600);
    EXPECT_TRUE(zelapp::parsePartProgram("[Part]\nTimeout=1001\nSettleTime=400\nDynamicTime=600\n")
                    .clean());
    // Beyond even the default timeout, the times take theirs too.
    read = zelapp::parsePartProgram("[Part]\nDynamicTime=20000\n");
    ASSERT_EQ(read.warnings.size(), 1);
    EXPECT_TRUE(read.warnings[0].startsWith(u"Line 2: Timeout 10000 does not exceed"_s));
    EXPECT_EQ(read.program, PartProgram{});
}

TEST(PartProgramWrite, OnlyKeysNotAtTheirDefaultAndEveryOtherByteKept) {
    PartProgram p;
    p.number = u"SH-1"_s;
    p.settleTimeMs = 500;
    // Others' sections before and after, and the section's own lines that are not its keys.
    const QByteArray others = "; shaft gauge\n[Mastered]\r\nC1=2026-12-09T12:00:00Z\r\n";
    const QByteArray rest = "[Other]\rX = 1\r\nlast line without end";
    EXPECT_EQ(zelapp::mergePartProgram(others +
                                           "[PART]\nnumber=old\nTimeout=5000\n; kept note\r\n"
                                           "Station=later key\n" +
                                           rest,
                                       p),
              others +
                  "[PART]\nNumber=SH-1\r\nSettleTime=500\r\n; kept note\r\nStation=later key\n" +
                  rest);

    // No section: appended after a line end of its own; the defaults add none.
    EXPECT_EQ(zelapp::mergePartProgram("[Mastered]\nInterval=8", p),
              QByteArray("[Mastered]\nInterval=8\r\n[Part]\r\nNumber=SH-1\r\nSettleTime=500\r\n"));
    EXPECT_EQ(zelapp::mergePartProgram("[Mastered]\nInterval=8", PartProgram{}),
              QByteArray("[Mastered]\nInterval=8"));
    EXPECT_EQ(zelapp::mergePartProgram({}, PartProgram{}), QByteArray());

    // Every key in order, numbers with "." and lists without quotes; it reads back the same.
    const QByteArray all = zelapp::mergePartProgram({}, everyKey());
    EXPECT_EQ(all, QByteArray("[Part]\r\nNumber=SH-4711\r\nDescription=Shaft, turned = ground\r\n"
                              "Characteristics=3,1,5\r\nStart=auto\r\nPresentChannel=2\r\n"
                              "PresentLow=-0.5\r\nPresentHigh=0.25\r\nPresentTime=500\r\n"
                              "SettleBand=0.002\r\n"
                              "SettleTime=450\r\nDynamicTime=1200\r\nTimeout=8000\r\n"
                              "AskId=true\r\n"));
    const zelapp::PartProgramRead back = zelapp::parsePartProgram(all);
    EXPECT_TRUE(back.clean());
    EXPECT_EQ(back.program, everyKey());
    EXPECT_EQ(zelapp::mergePartProgram(all, everyKey()), all);
}

TEST(PartProgramExportKeys, NominalsSidesAndTheFolderReadPerChannelAndBadLinesAreTold) {
    const zelapp::PartProgramRead read = zelapp::parsePartProgram(
        "[Part]\n"
        "nominal3=12.5\n"
        "Nominal10 = -1e-3\n"
        "Nominal4=abc\n"  // not a number: none
        "Nominal5=1,5\n"  // a "," is no C decimal point
        "Nominal6=inf\n"
        "Nominal0=1\n"  // no channel
        "NominalX=later key\n"
        "ONESIDED2=Upper\n"
        "OneSided7=lower\n"
        "OneSided8=both\n"
        "Nominal9=2\nNominal9=x\n"  // a later bad line takes the earlier one's value away
        "DfqFolder=/mnt/qdas/in\n");
    EXPECT_EQ(read.program.nominals, (std::map<int, QString>{{3, u"12.5"_s}, {10, u"-1e-3"_s}}));
    EXPECT_EQ(read.program.sides,
              (std::map<int, zelapp::ToleranceSides>{{2, zelapp::ToleranceSides::UpperOnly},
                                                     {7, zelapp::ToleranceSides::LowerOnly}}));
    EXPECT_EQ(read.program.dfqFolder, u"/mnt/qdas/in"_s);
    ASSERT_EQ(read.warnings.size(), 6) << read.warnings.join(u'|').toStdString();
    EXPECT_EQ(read.warnings[0],
              u"Line 4: Nominal4 \"abc\" is not a number; none is used (the "
              u"midpoint of the tolerance limits)."_s);
    EXPECT_TRUE(read.warnings[1].startsWith(u"Line 5: Nominal5 \"1,5\" is not a number"_s));
    EXPECT_TRUE(read.warnings[2].startsWith(u"Line 6: Nominal6 \"inf\" is not a number"_s));
    EXPECT_EQ(read.warnings[3],
              u"Line 7: Nominal0 \"1\" names no channel (1 or more); it is passed over."_s);
    EXPECT_EQ(read.warnings[4],
              u"Line 11: OneSided8 \"both\" is neither upper nor lower; both "
              u"tolerance limits are used."_s);
    EXPECT_TRUE(read.warnings[5].startsWith(u"Line 13: Nominal9 \"x\""_s));
}

TEST(PartProgramExportKeys, WrittenChannelByChannelAfterTheOtherKeysAndReadBack) {
    PartProgram p;
    p.askId = true;
    p.dfqFolder = u"//plant/qdas/line 4"_s;
    p.nominals = {{12, u"0.010"_s}, {2, u"25"_s}};
    p.sides = {{3, zelapp::ToleranceSides::UpperOnly},
               {2, zelapp::ToleranceSides::LowerOnly},
               {5, zelapp::ToleranceSides::Both}};  // both: nothing to write
    const QByteArray written = zelapp::mergePartProgram(
        "[Part]\nNominal2=1\nOneSided9=upper\nNominal0=x\nNominalX=kept\n", p);
    EXPECT_EQ(written, QByteArray("[Part]\nAskId=true\r\nDfqFolder=//plant/qdas/line 4\r\n"
                                  "Nominal2=25\r\nOneSided2=lower\r\nOneSided3=upper\r\n"
                                  "Nominal12=0.010\r\nNominalX=kept\n"));
    const zelapp::PartProgramRead back = zelapp::parsePartProgram(written);
    EXPECT_TRUE(back.clean());
    PartProgram expected = p;
    expected.sides.erase(5);
    EXPECT_EQ(back.program, expected);
}

}  // namespace

namespace {

TEST(PartProgramStatsKeys, SubgroupAndRulesReadWithBadLinesWarnedAndTheirDefaultKept) {
    const zelapp::PartProgramRead read = zelapp::parsePartProgram(
        "[Part]\n"
        "Subgroup=5\n"
        "Rules3=1, 2,3,4\n"
        "rules4=8,5\n"
        "Rules5=1,1\n"          // twice the same rule
        "Rules6=9\n"            // no rule 9
        "Rules7=\n"             // no rule at all
        "Rules0=1\n"            // no channel
        "Rules8=2\nRules8=x\n"  // a later bad line takes the earlier one's rules away
        "Subgroup=26\n");       // above 25: the earlier 5 does not stand either
    EXPECT_EQ(read.program.subgroupSize, 1);
    EXPECT_EQ(read.program.rules,
              (std::map<int, std::vector<int>>{{3, {1, 2, 3, 4}}, {4, {8, 5}}}));
    EXPECT_EQ(zelapp::effectiveRules(read.program, 4), (std::vector<int>{8, 5}));
    EXPECT_EQ(zelapp::effectiveRules(read.program, 5), (std::vector<int>{1}));
    ASSERT_EQ(read.warnings.size(), 6) << read.warnings.join(u'|').toStdString();
    EXPECT_EQ(read.warnings[0],
              u"Line 5: Rules5 \"1,1\" is not a list of different rules 1 to 8 such as "
              u"1,2,3,4; rule 1 is used."_s);
    EXPECT_TRUE(read.warnings[1].startsWith(u"Line 6: Rules6 \"9\" is not a list"_s));
    EXPECT_TRUE(read.warnings[2].startsWith(u"Line 7: Rules7 \"\" is not a list"_s));
    EXPECT_EQ(read.warnings[3],
              u"Line 8: Rules0 \"1\" names no channel (1 or more); it is passed over."_s);
    EXPECT_TRUE(read.warnings[4].startsWith(u"Line 10: Rules8 \"x\""_s));
    EXPECT_EQ(read.warnings[5],
              u"Line 11: Subgroup \"26\" is not a whole number from 1 to 25; the default (1) is "
              u"used."_s);
    for (const char *bad : {"0", "-2", "2.5", "many"}) {
        const auto again = zelapp::parsePartProgram(QByteArray("[Part]\nSubgroup=") + bad);
        EXPECT_EQ(again.program.subgroupSize, 1) << bad;
        EXPECT_EQ(again.warnings.size(), 1) << bad;
    }
    EXPECT_EQ(zelapp::parsePartProgram("[Part]\nSubgroup=25\n").program.subgroupSize, 25);
}

TEST(PartProgramStatsKeys, WrittenWithTheChannelsKeysKeepingOtherLinesAndReadBack) {
    using zelapp::Distribution;
    PartProgram p;
    p.subgroupSize = 5;
    p.sides = {{3, zelapp::ToleranceSides::UpperOnly}};
    p.rules = {{3, {1, 2, 5}}, {2, {1}}, {4, {}}};  // rule 1 alone and none: nothing to write
    p.distributions = {{3, Distribution::FoldedNormal},
                       {1, Distribution::Lognormal},
                       {2, Distribution::Normal}};  // normal: nothing to write
    const QByteArray written = zelapp::mergePartProgram(
        "[Part]\nRules9=2\nRulesX=kept\nDistribution9=weibull\n[Other]\nRules1=3\n", p);
    EXPECT_EQ(written, QByteArray("[Part]\nSubgroup=5\r\nDistribution1=lognormal\r\n"
                                  "OneSided3=upper\r\nRules3=1,2,5\r\n"
                                  "Distribution3=folded-normal\r\nRulesX=kept\n[Other]\n"
                                  "Rules1=3\n"));
    const zelapp::PartProgramRead back = zelapp::parsePartProgram(written);
    EXPECT_TRUE(back.clean());
    PartProgram expected = p;
    expected.rules = {{3, {1, 2, 5}}};
    expected.distributions.erase(2);
    EXPECT_EQ(back.program, expected);
    EXPECT_EQ(zelapp::mergePartProgram(written, back.program), written);
}

TEST(PartProgramStatsKeys, DistributionsReadPerChannelAndABadWordIsNormal) {
    using zelapp::Distribution;
    const zelapp::PartProgramRead read = zelapp::parsePartProgram(
        "[Part]\n"
        "Distribution3=weibull\n"
        "distribution4=Folded-Normal\n"
        "Distribution5=lognormal\n"
        "Distribution6=normal\n"
        "Distribution7=gamma\n"                    // no such distribution: normal
        "Distribution0=weibull\n"                  // no channel
        "Distribution8=weibull\nDistribution8=\n"  // a later bad line: normal again
        "DistributionX=later key\n");
    EXPECT_EQ(read.program.distributions,
              (std::map<int, Distribution>{{3, Distribution::Weibull},
                                           {4, Distribution::FoldedNormal},
                                           {5, Distribution::Lognormal},
                                           {6, Distribution::Normal}}));
    EXPECT_EQ(zelapp::effectiveDistribution(read.program, 4), Distribution::FoldedNormal);
    EXPECT_EQ(zelapp::effectiveDistribution(read.program, 7), Distribution::Normal);
    ASSERT_EQ(read.warnings.size(), 3) << read.warnings.join(u'|').toStdString();
    EXPECT_EQ(read.warnings[0],
              u"Line 6: Distribution7 \"gamma\" is none of normal, weibull, folded-normal and "
              u"lognormal; normal is used."_s);
    EXPECT_EQ(read.warnings[1],
              u"Line 7: Distribution0 \"weibull\" names no channel (1 or more); it is passed "
              u"over."_s);
    EXPECT_TRUE(read.warnings[2].startsWith(u"Line 9: Distribution8 \"\" is none of"_s));
}

}  // namespace
