// The part program window: keyboard-complete (every box behind a label with its mnemonic, the
// tab chain from top to bottom, Enter on OK, Escape closes, Space checks in the lists), the
// present boxes only with auto start, refusals beside their boxes, OK saving into the part
// file, and one window however often it is asked for.
#include <gtest/gtest.h>

#include <QCheckBox>
#include <QComboBox>
#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QLabel>
#include <QLineEdit>
#include <QListView>
#include <QPushButton>
#include <QSet>
#include <QTableView>
#include <QTableWidget>
#include <QTest>

#include "core/view/session_context.h"
#include "file_bytes.h"
#include "part/view/form_part_program.h"
#include "session_fixture.h"

using namespace Qt::StringLiterals;

namespace {

struct FormPartProgramTest : ::testing::Test {
    zeltest::SessionFixture f;
    QWidget main;

    void SetUp() override {
        ASSERT_EQ(f.start(), zelapp::StartupResult::Running);
        f.state().SetupFileName = QDir(f.programFolder()).filePath(u"shaft.zel"_s);
        ASSERT_TRUE(f.session->setupCommands().SaveFile_Click());
        zelapp::showPartProgramDialog(zelapp::sessionContext(*f.session), &main);
    }
    QDialog *form() const { return main.findChild<QDialog *>(u"FormPartProgram"_s); }
    template <typename W>
    W *child(const QString &name) const {
        return form()->findChild<W *>(name);
    }
};

TEST_F(FormPartProgramTest, EveryFieldIsReachedByItsMnemonicAndTheTabChainRunsDown) {
    ASSERT_NE(form(), nullptr);
    EXPECT_TRUE(form()->isVisible());
    EXPECT_FALSE(form()->isModal());
    EXPECT_EQ(form()->windowTitle(), u"Part Program"_s);

    const QStringList chain = {
        u"txtNumber"_s,         u"txtDescription"_s, u"ListCharacteristics"_s, u"cboStart"_s,
        u"txtPresentChannel"_s, u"txtPresentLow"_s,  u"txtPresentHigh"_s,      u"txtPresentTime"_s,
        u"txtSettleBand"_s,     u"txtSettleTime"_s,  u"txtDynamicTime"_s,      u"txtTimeout"_s,
        u"chkAskId"_s,          u"txtDfqFolder"_s,   u"cmdDfqBrowse"_s,        u"txtSubgroup"_s,
        u"TableExport"_s,       u"ListRules"_s,      u"CommandOK"_s,           u"CommandCancel"_s};
    QSet<QChar> mnemonics;
    for (QLabel *label : form()->findChildren<QLabel *>()) {
        if (label->buddy() == nullptr) {
            continue;
        }
        const qsizetype amp = label->text().indexOf(u'&');
        ASSERT_GE(amp, 0) << label->objectName().toStdString();
        EXPECT_FALSE(mnemonics.contains(label->text()[amp + 1].toLower()))
            << label->text().toStdString();
        mnemonics.insert(label->text()[amp + 1].toLower());
        EXPECT_TRUE(chain.contains(label->buddy()->objectName()));
    }
    // Every box, the lists, the start and the export table; the check box has its own.
    EXPECT_EQ(mnemonics.size(), 16);
    EXPECT_FALSE(mnemonics.contains(child<QCheckBox>(u"chkAskId"_s)->text()[1].toLower()));

    // Auto start asked for, so the present boxes are in the chain.
    child<QComboBox>(u"cboStart"_s)->setFocus();
    QTest::keyClick(child<QComboBox>(u"cboStart"_s), Qt::Key_Down);
    EXPECT_TRUE(child<QLineEdit>(u"txtPresentLow"_s)->isEnabled());
    QWidget *at = child<QWidget>(chain.front());
    for (qsizetype i = 1; i < chain.size(); ++i) {
        at = at->nextInFocusChain();
        while (at->focusPolicy() == Qt::NoFocus || !chain.contains(at->objectName())) {
            at = at->nextInFocusChain();
        }
        EXPECT_EQ(at->objectName(), chain[i]);
    }
    EXPECT_TRUE(child<QPushButton>(u"CommandOK"_s)->isDefault());

    QTest::keyClick(child<QComboBox>(u"cboStart"_s), Qt::Key_Up);
    EXPECT_FALSE(child<QLineEdit>(u"txtPresentLow"_s)->isEnabled());
    EXPECT_FALSE(child<QLineEdit>(u"txtPresentTime"_s)->isEnabled());
    // A new setup has channels at 5 decimals: the step is shown as a plain number.
    EXPECT_EQ(child<QLabel>(u"lblSettleBandHint"_s)->text(),
              u"Empty: 5 steps of each channel's last decimal (0.00005 at 5 decimals)"_s);
}

TEST_F(FormPartProgramTest, TheDfqFolderIsBrowsedForAndTheTableKeepsEachChannelsExportKeys) {
    zelapp::Setup &setup = f.setup();
    if (setup.channelCount() < 2) {
        setup.CreateChannels(2);
    }
    setup.channel(1)->Description = u"Diameter"_s;
    zelapp::showPartProgramDialog(zelapp::sessionContext(*f.session),
                                  &main);  // open already: shown again as it is
    auto *table = child<QTableWidget>(u"TableExport"_s);
    ASSERT_NE(table, nullptr);
    f.session->partProgramTool().Form_Load();
    ASSERT_EQ(table->rowCount(), setup.channelCount());
    EXPECT_EQ(table->item(0, 0)->text(), u"1"_s);
    EXPECT_EQ(table->item(0, 1)->text(), u"Diameter"_s);
    EXPECT_FALSE(table->item(0, 1)->flags() & Qt::ItemIsEditable) << "the setup's, not ours";
    EXPECT_EQ(table->item(0, 3)->text(), u"Both"_s);

    f.chooser.answer = f.programFolder() + u"/qdas"_s;
    QTest::mouseClick(child<QPushButton>(u"cmdDfqBrowse"_s), Qt::LeftButton);
    EXPECT_EQ(child<QLineEdit>(u"txtDfqFolder"_s)->text(), f.chooser.answer);
    table->item(0, 2)->setText(u"abc"_s);
    table->item(1, 3)->setText(u"Lower only"_s);
    // The distribution is chosen from a list in its cell.
    EXPECT_EQ(table->horizontalHeaderItem(5)->text(), u"Distribution"_s);
    EXPECT_EQ(table->item(1, 5)->text(), u"Normal"_s);
    table->setCurrentCell(1, 5);
    table->editItem(table->item(1, 5));
    auto *choice = table->viewport()->findChild<QComboBox *>();
    ASSERT_NE(choice, nullptr);
    EXPECT_EQ(choice->count(), 4);
    choice->setCurrentText(u"Folded normal"_s);
    QTest::keyClick(choice, Qt::Key_Return);
    QCoreApplication::processEvents();  // the delegate commits through a queued call
    EXPECT_EQ(table->item(1, 5)->text(), u"Folded normal"_s);
    QTest::mouseClick(child<QPushButton>(u"CommandOK"_s), Qt::LeftButton);
    // Not a number: said, the cell focused, the window stays.
    ASSERT_FALSE(f.prompter.shown.empty());
    EXPECT_EQ(f.prompter.shown.back().text,
              u"The value \"abc\" in Nominal of channel 1 is not a number. Use \".\" as the "
              u"decimal separator."_s);
    // Beside the table too, until mended.
    auto *refusal = child<QLabel>(u"TableExportRefusal"_s);
    ASSERT_NE(refusal, nullptr);
    EXPECT_EQ(refusal->text(), f.prompter.shown.back().text);
    EXPECT_FALSE(refusal->isHidden());
    EXPECT_TRUE(form()->isVisible());
    EXPECT_EQ(table->currentRow(), 0);
    EXPECT_EQ(table->currentColumn(), 2);

    table->item(0, 2)->setText(u"25.004"_s);
    // The folder chosen is not there yet: asked about, and made on Yes.
    f.prompter.answers = {zelapp::PromptAnswer::Yes};
    QTest::mouseClick(child<QPushButton>(u"CommandOK"_s), Qt::LeftButton);
    EXPECT_TRUE(f.prompter.shown.back().text.endsWith(u"does not exist.\rCreate it?"_s));
    EXPECT_TRUE(QFileInfo(f.chooser.answer).isDir());
    EXPECT_FALSE(form()->isVisible());
    EXPECT_TRUE(refusal->isHidden());
    const zelapp::PartProgram &saved = f.session->partProgram().program();
    EXPECT_EQ(saved.dfqFolder, f.chooser.answer);
    EXPECT_EQ(saved.nominals, (std::map<int, QString>{{1, u"25.004"_s}}));
    EXPECT_EQ(saved.sides,
              (std::map<int, zelapp::ToleranceSides>{{2, zelapp::ToleranceSides::LowerOnly}}));
    EXPECT_EQ(saved.distributions,
              (std::map<int, zelapp::Distribution>{{2, zelapp::Distribution::FoldedNormal}}));
}

TEST_F(FormPartProgramTest, EnterSavesEscapeClosesAndTheWindowIsMadeOnce) {
    QLineEdit *number = child<QLineEdit>(u"txtNumber"_s);
    EXPECT_EQ(number->maxLength(), zelapp::PartProgram::kMostNumberChars);
    QTest::keyClicks(number, u"SH-7"_s);
    QTest::keyClick(number, Qt::Key_Return);
    EXPECT_FALSE(form()->isVisible());
    EXPECT_EQ(f.session->partProgram().program().number, u"SH-7"_s);
    EXPECT_EQ(zeltest::readBytes(QDir(f.programFolder()).filePath(u"shaft.zpart"_s)),
              QByteArray("[Part]\r\nNumber=SH-7\r\n"));

    const std::size_t asked = f.prompter.shown.size();
    zelapp::showPartProgramDialog(zelapp::sessionContext(*f.session), &main);
    EXPECT_EQ(main.findChildren<QDialog *>().size(), 1);
    EXPECT_EQ(child<QLineEdit>(u"txtNumber"_s)->text(), u"SH-7"_s);
    QTest::keyClick(child<QLineEdit>(u"txtTimeout"_s), Qt::Key_Escape);
    EXPECT_FALSE(form()->isVisible());
    EXPECT_EQ(f.prompter.shown.size(), asked);  // nothing edited, nothing to ask
}

TEST_F(FormPartProgramTest, CharacteristicsAndRulesAreCheckedWithSpaceAndSaved) {
    zelapp::Setup &setup = f.setup();
    if (setup.channelCount() < 2) {
        setup.CreateChannels(2);
    }
    setup.channel(1)->setFormula(u"T1"_s);
    setup.channel(2)->setFormula(u"T2"_s);
    setup.markModified({zelapp::SetupChange::Kind::Counts, 0});
    f.session->partProgramTool().Form_Load();
    auto *list = child<QTableView>(u"ListCharacteristics"_s);
    auto *rules = child<QListView>(u"ListRules"_s);
    auto *table = child<QTableWidget>(u"TableExport"_s);
    ASSERT_TRUE(list && rules && table);
    ASSERT_EQ(list->model()->rowCount(), setup.channelCount());
    // Space clears the row whichever column is current.
    list->setFocus();
    list->setCurrentIndex(list->model()->index(0, 2));
    QTest::keyClick(list, Qt::Key_Space);
    EXPECT_EQ(list->model()->index(0, 0).data(Qt::CheckStateRole), Qt::Unchecked);
    // The rules of the channel current in the export keys, by name.
    table->setCurrentCell(1, 0);
    rules->setFocus();
    rules->setCurrentIndex(rules->model()->index(1, 0));
    QTest::keyClick(rules, Qt::Key_Space);
    EXPECT_EQ(rules->model()->index(1, 0).data(Qt::CheckStateRole), Qt::Checked);
    EXPECT_EQ(table->item(1, 4)->text(), u"1,2"_s);
    EXPECT_FALSE(table->item(1, 4)->flags() & Qt::ItemIsEditable) << "chosen by name";

    auto *subgroup = child<QLineEdit>(u"txtSubgroup"_s);
    subgroup->selectAll();
    QTest::keyClicks(subgroup, u"5"_s);
    QTest::mouseClick(child<QPushButton>(u"CommandOK"_s), Qt::LeftButton);
    EXPECT_FALSE(form()->isVisible());
    const zelapp::PartProgram &saved = f.session->partProgram().program();
    EXPECT_EQ(saved.characteristics, (std::vector<int>{2}));
    EXPECT_EQ(saved.subgroupSize, 5);
    EXPECT_EQ(saved.rules, (std::map<int, std::vector<int>>{{2, {1, 2}}}));
}

}  // namespace
