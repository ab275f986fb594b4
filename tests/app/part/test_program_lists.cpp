// The part program dialog's lists over its tool, by Qt's model rules: the characteristics
// chosen from the setup's channels in the order checked, following the setup while open, and
// the run rules chosen by name with their numbers kept in the file.
#include <gtest/gtest.h>

#include <QAbstractItemModelTester>
#include <QDir>
#include <memory>

#include "file_bytes.h"
#include "part/program_lists.h"
#include "session_fixture.h"
#include "two_probe_setup.h"

using namespace Qt::StringLiterals;
using zelapp::CharacteristicsModel;
using zelapp::RunRulesModel;

namespace {

struct ProgramListsTest : ::testing::Test {
    zeltest::SessionFixture f;
    QDir folder{f.programFolder()};
    std::unique_ptr<CharacteristicsModel> characteristics;
    std::unique_ptr<RunRulesModel> rules;
    std::unique_ptr<QAbstractItemModelTester> testers[2];

    void SetUp() override {
        ASSERT_EQ(f.start(), zelapp::StartupResult::Running);
        zeltest::writeBytes(folder.filePath(u"shaft.zel"_s), zeltest::kTwoProbeSetup);
        zeltest::writeBytes(folder.filePath(u"shaft.zpart"_s), "[Part]\nRules2=1,4\n");
        f.state().SetupFileName = folder.filePath(u"shaft.zel"_s);
        ASSERT_EQ(f.session->setupCommands().loadSetupFile(), zelapp::SetupLoad::Loaded);
        tool().Form_Load();
        characteristics = std::make_unique<CharacteristicsModel>(tool());
        rules = std::make_unique<RunRulesModel>(tool());
        using Mode = QAbstractItemModelTester::FailureReportingMode;
        testers[0] = std::make_unique<QAbstractItemModelTester>(characteristics.get(), Mode::Fatal);
        testers[1] = std::make_unique<QAbstractItemModelTester>(rules.get(), Mode::Fatal);
    }
    zelapp::PartProgramTool &tool() { return f.session->partProgramTool(); }
    const zelapp::PartProgram &program() { return f.session->partProgram().program(); }
    QVariant checked(const QAbstractItemModel &m, int row) {
        return m.data(m.index(row, 0), Qt::CheckStateRole);
    }
};

TEST_F(ProgramListsTest, CharacteristicsAreCheckedInTheOrderChosenAndNoneIsRefused) {
    ASSERT_EQ(characteristics->rowCount(), 2);
    EXPECT_EQ(characteristics->index(0, CharacteristicsModel::kChannel).data(), u"C1"_s);
    EXPECT_EQ(characteristics->index(0, CharacteristicsModel::kDescription).data(), u"Dia A"_s);
    EXPECT_EQ(characteristics->index(1, CharacteristicsModel::kFormula).data(), u"T1-T2"_s);
    EXPECT_EQ(characteristics->index(0, CharacteristicsModel::kLimits).data(),
              u"-0.0100 .. 0.0100"_s);
    EXPECT_EQ(characteristics->index(1, CharacteristicsModel::kLimits).data(),
              u"-0.010 .. 0.010"_s);
    // No list in the file: every channel with a formula, checked, and kept so by OK.
    EXPECT_EQ(checked(*characteristics, 0), Qt::Checked);
    EXPECT_EQ(checked(*characteristics, 1), Qt::Checked);
    EXPECT_FALSE(tool().edited());

    characteristics->toggle(0);
    EXPECT_EQ(checked(*characteristics, 0), Qt::Unchecked);
    EXPECT_TRUE(tool().edited());
    characteristics->toggle(1);
    const std::size_t before = f.prompter.shown.size();
    EXPECT_FALSE(tool().CommandOK_Click());
    ASSERT_EQ(f.prompter.shown.size(), before + 1);
    EXPECT_EQ(f.prompter.shown.back().text, u"Characteristics: choose at least one channel."_s);
    EXPECT_EQ(tool().refusals().front().place, zelapp::ProgramRefusal::Place::Characteristics);

    // Checked again, the later first: judged in that order.
    characteristics->toggle(1);
    characteristics->toggle(0);
    ASSERT_TRUE(tool().CommandOK_Click());
    EXPECT_EQ(program().characteristics, (std::vector<int>{2, 1}));
    // The setup's change shows in the open list.
    tool().Form_Load();
    f.setup().channel(2)->setFormula(QString());
    f.setup().markModified({zelapp::SetupChange::Kind::Channel, 2});
    characteristics->reload();
    EXPECT_EQ(characteristics->index(1, CharacteristicsModel::kFormula).data(), QString());
    f.setup().CreateChannels(3);
    characteristics->reload();
    EXPECT_EQ(characteristics->rowCount(), 3);
    EXPECT_EQ(checked(*characteristics, 2), Qt::Unchecked);
}

TEST_F(ProgramListsTest, RunRulesAreChosenByNameAndKeptAsNumbers) {
    EXPECT_EQ(rules->rowCount(), zelapp::PartProgram::kRuleCount);
    EXPECT_EQ(rules->index(0).data(), u"1 one point beyond 3 sigma"_s);
    EXPECT_EQ(rules->flags(rules->index(0)) & Qt::ItemIsUserCheckable, Qt::NoItemFlags)
        << "no channel, nothing to check";
    rules->setChannel(2);
    EXPECT_EQ(checked(*rules, 0), Qt::Checked);
    EXPECT_EQ(checked(*rules, 3), Qt::Checked);
    EXPECT_EQ(checked(*rules, 1), Qt::Unchecked);
    rules->setChannel(1);
    EXPECT_EQ(checked(*rules, 0), Qt::Checked) << "none chosen: rule 1";
    ASSERT_TRUE(rules->setData(rules->index(7), Qt::Checked, Qt::CheckStateRole));
    ASSERT_TRUE(rules->setData(rules->index(2), Qt::Checked, Qt::CheckStateRole));
    rules->setChannel(2);
    ASSERT_TRUE(rules->setData(rules->index(0), Qt::Unchecked, Qt::CheckStateRole));
    ASSERT_TRUE(rules->setData(rules->index(3), Qt::Unchecked, Qt::CheckStateRole));
    EXPECT_EQ(checked(*rules, 0), Qt::Checked) << "the last one cleared leaves rule 1";
    EXPECT_EQ(tool().exportRows()[0].rules, u"1,3,8"_s);
    ASSERT_TRUE(tool().CommandOK_Click());
    EXPECT_EQ(program().rules, (std::map<int, std::vector<int>>{{1, {1, 3, 8}}}));
    const QByteArray file = zeltest::readBytes(folder.filePath(u"shaft.zpart"_s));
    EXPECT_TRUE(file.endsWith("\nRules1=1,3,8\r\n") && !file.contains("Rules2")) << file.data();
}

}  // namespace
