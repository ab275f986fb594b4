// The part program beside the setup as the file commands keep it: read at each load with its
// lines that do not read and the characteristics the setup cannot measure told once, the defaults
// at New, written at each save and from the dialog, never replacing a part file that did not read
// cleanly without asking, and copied along by Save As when the operator says so. The setup file
// itself never changes for it.
#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include "file_bytes.h"
#include "session_fixture.h"
#include "setup/part_file.h"
#include "setup/part_program.h"
#include "special_files.h"
#include "two_probe_setup.h"

using namespace Qt::StringLiterals;
using zelapp::PartProgram;
using zelapp::PromptAnswer;

namespace {

struct PartProgramFile : ::testing::Test {
    zeltest::SessionFixture f;
    QDir folder{f.programFolder()};
    QString setupPath = folder.filePath(u"shaft.zel"_s);
    QString partPath = folder.filePath(u"shaft.zpart"_s);

    void SetUp() override {
        ASSERT_EQ(f.start(), zelapp::StartupResult::Running);
        f.state().SetupFileName = setupPath;
        ASSERT_TRUE(commands().SaveFile_Click());
    }
    zelapp::SetupCommands &commands() { return f.session->setupCommands(); }
    zelapp::ActivePartProgram &active() { return f.session->partProgram(); }
    std::size_t shown() const { return f.prompter.shown.size(); }
    // Loads the setup; the one message the load showed, empty when it showed none or more.
    QString toldAtLoad() {
        const std::size_t before = shown();
        EXPECT_EQ(commands().loadSetupFile(), zelapp::SetupLoad::Loaded);
        return shown() == before + 1 ? f.prompter.shown.back().text : QString();
    }
};

TEST_F(PartProgramFile, LoadTellsBadLinesOnceInOneMessageAndNewGivesTheDefaults) {
    // The defaults and no mastering make no part file.
    EXPECT_FALSE(QFile::exists(partPath));

    QByteArray text = "[Part]\r\nNumber=SH-1\r\nSettleTime=soon\r\n";
    for (int i = 0; i < 12; ++i) {
        text += "Timeout=x\r\n";
    }
    zeltest::writeBytes(partPath, text);
    const std::size_t before = shown();
    ASSERT_EQ(commands().loadSetupFile(), zelapp::SetupLoad::Loaded);
    ASSERT_EQ(shown(), before + 1);
    const zeltest::ShownPrompt &message = f.prompter.shown.back();
    EXPECT_EQ(message.icon, zelapp::PromptIcon::Warning);
    EXPECT_TRUE(message.title.isEmpty());
    const QStringList lines = message.text.split(u'\r');
    ASSERT_EQ(lines.size(), 12);  // the heading, ten lines and how many more
    EXPECT_EQ(lines[0], u"Lines of the part program in "_s + partPath +
                            u" do not read; each of their keys takes its default:"_s);
    EXPECT_TRUE(lines[1].startsWith(u"Line 3: SettleTime \"soon\""_s)) << lines[1].toStdString();
    EXPECT_EQ(lines[11], u"3 more lines of this file were not understood and were passed over."_s);
    EXPECT_EQ(active().program().number, u"SH-1"_s);
    EXPECT_FALSE(active().readCleanly());

    // A clean file reads without a word.
    zeltest::writeBytes(partPath, "[Part]\nTimeout=500\n");
    ASSERT_EQ(commands().loadSetupFile(), zelapp::SetupLoad::Loaded);
    EXPECT_EQ(shown(), before + 1);
    EXPECT_EQ(active().program().timeoutMs, 500);
    EXPECT_TRUE(active().readCleanly());

    f.state().SetupModified = false;
    commands().NewFile_Click();
    EXPECT_EQ(active().program(), PartProgram{});
}

// A part file that is there but cannot be read at all (a FIFO would wait for a writer for ever)
// is named in one message, gives the defaults and is left alone by the next save.
TEST_F(PartProgramFile, APartFileThatCannotBeReadIsNamedOnceAndLeftAlone) {
    ASSERT_TRUE(zeltest::makeFifo(partPath));
    EXPECT_EQ(toldAtLoad(),
              u"The part file "_s + partPath +
                  u" cannot be read, so the setup's mastering times and part program take their "
                  u"defaults:\r"_s +
                  partPath + u" is not a file."_s);
    EXPECT_EQ(active().program(), PartProgram{});
    EXPECT_TRUE(f.session->masteredTimes().part().mastered.empty());
    EXPECT_TRUE(commands().SaveFile_Click());
    EXPECT_FALSE(QFileInfo(partPath).isFile()) << "the FIFO stays";
}

TEST_F(PartProgramFile, CharacteristicsTheSetupCannotMeasureAreToldWithTheLinesAndPassedOver) {
    // Two channels, the second without a formula.
    zeltest::writeBytes(setupPath,
                        QByteArray(zeltest::kTwoProbeSetup).replace("\r\nT1-T2\r\n", "\r\n\r\n"));
    zeltest::writeBytes(partPath, "[Part]\r\nCharacteristics=1,99,2\r\nAskId=maybe\r\n");
    const std::size_t before = shown();
    ASSERT_EQ(commands().loadSetupFile(), zelapp::SetupLoad::Loaded);
    ASSERT_EQ(shown(), before + 1);
    const QString told = u"Lines of the part program in "_s + partPath +
                         u" do not read; each of their keys takes its default:\r"
                         "Line 3: AskId \"maybe\" is neither true nor false; false is used.\r\r"
                         "Characteristics of the part program in "_s +
                         partPath +
                         u" that the setup cannot measure are passed over:\r"
                         "Channel 99: the setup has 2 channels.\rChannel 2 has no formula."_s;
    EXPECT_EQ(f.prompter.shown.back().text.toStdString(), told.toStdString());
    // Kept in the program, for a setup that measures them; the part has channel 1 alone.
    EXPECT_EQ(active().program().characteristics, (std::vector<int>{1, 99, 2}));
    ASSERT_TRUE(f.measurePart());
    ASSERT_EQ(f.session->partCycle().lastResult()->characteristics.size(), 1u);

    // None left: said so, and nothing is measured.
    zeltest::writeBytes(partPath, "[Part]\nCharacteristics=2\n");
    ASSERT_EQ(commands().loadSetupFile(), zelapp::SetupLoad::Loaded);
    ASSERT_EQ(shown(), before + 2);
    EXPECT_TRUE(f.prompter.shown.back().text.endsWith(
        u"passed over:\rChannel 2 has no formula.\rNone is left: parts cannot be measured."_s));
    EXPECT_EQ(f.session->partCycle().measure(), u"no characteristics"_s);
    // A program naming none says nothing, whatever the setup measures.
    zeltest::writeBytes(partPath, "[Part]\nNumber=SH-1\n");
    ASSERT_EQ(commands().loadSetupFile(), zelapp::SetupLoad::Loaded);
    EXPECT_EQ(shown(), before + 2);
}

TEST_F(PartProgramFile, ARunoutWithoutDynamicTimeIsToldAndNoPartIsMeasured) {
    zeltest::writeBytes(setupPath,
                        QByteArray(zeltest::kTwoProbeSetup)
                            .replace("\r\nTaper\r\nT1-T2\r\n", "\r\nRunout\r\nTIR(C1)\r\n"));
    zeltest::writeBytes(partPath, "[Part]\r\nNumber=SH-1\r\n");
    EXPECT_EQ(toldAtLoad(),
              u"The part program in "_s + partPath +
                  u" measures no part until it has a Dynamic time:\r"
                  "Runout (C2) is measured while the part turns: give it a Dynamic time"_s);
    EXPECT_EQ(f.session->partCycle().measure(), u"no characteristics"_s);

    zeltest::writeBytes(partPath, "[Part]\r\nDynamicTime=100\r\n");
    const std::size_t before = shown();
    ASSERT_EQ(commands().loadSetupFile(), zelapp::SetupLoad::Loaded);
    EXPECT_EQ(shown(), before);
    EXPECT_EQ(f.session->partCycle().measure(), QString());
}

TEST_F(PartProgramFile, AFileThatDidNotReadCleanlyIsReplacedOnlyAfterAsking) {
    const QByteArray bad = "[Part]\nNumber=SH-1\nAskId=maybe\n[Later]\nX=1\n";
    zeltest::writeBytes(partPath, bad);
    ASSERT_EQ(commands().loadSetupFile(), zelapp::SetupLoad::Loaded);

    // No: the setup is saved, the part file stays as it was.
    std::size_t before = shown();
    f.prompter.answers = {PromptAnswer::No};
    ASSERT_TRUE(commands().SaveFile_Click());
    ASSERT_EQ(shown(), before + 1);
    EXPECT_EQ(f.prompter.shown.back().text,
              u"The part program in "_s + partPath +
                  u" did not read cleanly.\rReplace it, losing the lines that did not read?"_s);
    EXPECT_EQ(f.prompter.shown.back().buttons, zelapp::PromptButtons::YesNo);
    EXPECT_EQ(zeltest::readBytes(partPath), bad);
    EXPECT_FALSE(active().readCleanly());

    // Yes: written; the file is clean from then on and asks no more.
    f.prompter.answers = {PromptAnswer::Yes};
    ASSERT_TRUE(commands().SaveFile_Click());
    EXPECT_EQ(zeltest::readBytes(partPath), QByteArray("[Part]\nNumber=SH-1\r\n[Later]\nX=1\n"));
    EXPECT_TRUE(active().readCleanly());
    before = shown();
    ASSERT_TRUE(commands().SaveFile_Click());
    EXPECT_EQ(shown(), before);
}

TEST_F(PartProgramFile, SaveWritesTheProgramAndLeavesTheSetupFileAsItWas) {
    const QByteArray setupBytes = zeltest::readBytes(setupPath);
    PartProgram p;
    p.description = u"Shaft"_s;
    p.askId = true;
    active().replace(p);
    ASSERT_TRUE(commands().SaveFile_Click());
    EXPECT_EQ(zeltest::readBytes(setupPath), setupBytes);
    EXPECT_EQ(zeltest::readBytes(partPath),
              QByteArray("[Part]\r\nDescription=Shaft\r\nAskId=true\r\n"));
}

TEST_F(PartProgramFile, SaveAsOffersToCopyThePartFileAlong) {
    zeltest::writeBytes(partPath, "[Part]\nNumber=SH-1\n[Later]\nX=1\n");
    ASSERT_EQ(commands().loadSetupFile(), zelapp::SetupLoad::Loaded);

    // Yes: the whole file comes along, then the program is written into it.
    const QString gearPart = folder.filePath(u"gear.zpart"_s);
    f.chooser.answer = folder.filePath(u"gear.zel"_s);
    f.prompter.answers = {PromptAnswer::Yes};
    std::size_t before = shown();
    ASSERT_TRUE(commands().SaveAsFile_Click());
    ASSERT_EQ(shown(), before + 1);
    EXPECT_EQ(f.prompter.shown.back().text,
              u"Copy the part file "_s + partPath + u" along to "_s + gearPart + u"?"_s);
    EXPECT_EQ(zeltest::readBytes(gearPart), QByteArray("[Part]\nNumber=SH-1\r\n[Later]\nX=1\n"));

    // No, to a name whose part file is there: the question says it is replaced; only the
    // program's section is written into it.
    zeltest::writeBytes(gearPart, "[Own]\nY=2\n");
    f.state().SetupFileName = setupPath;
    f.prompter.answers = {PromptAnswer::No};
    ASSERT_TRUE(commands().SaveAsFile_Click());
    EXPECT_TRUE(f.prompter.shown.back().text.endsWith(u"\rThe part file there is replaced."_s));
    EXPECT_EQ(zeltest::readBytes(gearPart), QByteArray("[Own]\nY=2\n[Part]\r\nNumber=SH-1\r\n"));

    // The same name, or a setup without a part file: nothing to ask.
    before = shown();
    ASSERT_TRUE(commands().SaveAsFile_Click());
    QFile::remove(gearPart);
    f.chooser.answer = folder.filePath(u"hub.zel"_s);
    ASSERT_TRUE(commands().SaveAsFile_Click());
    EXPECT_EQ(shown(), before);
}

TEST_F(PartProgramFile, TheDialogsSaveWritesBesideTheSetupOrOffersToSaveItFirst) {
    PartProgram p;
    p.number = u"SH-2"_s;
    ASSERT_TRUE(commands().savePartProgram(p));
    EXPECT_EQ(active().program(), p);
    EXPECT_EQ(zeltest::readBytes(partPath), QByteArray("[Part]\r\nNumber=SH-2\r\n"));

    // A setup never saved: Cancel changes nothing, No keeps it for this session only, Yes
    // saves the setup with it.
    f.state().SetupModified = false;
    commands().NewFile_Click();
    p.number = u"SH-3"_s;
    f.prompter.answers = {PromptAnswer::Cancel};
    EXPECT_FALSE(commands().savePartProgram(p));
    EXPECT_EQ(f.prompter.shown.back().text,
              u"The part program is kept beside the setup file, and this setup has not been "
              "saved yet.\rSave the setup now?"_s);
    EXPECT_EQ(active().program(), PartProgram{});
    f.prompter.answers = {PromptAnswer::No};
    EXPECT_TRUE(commands().savePartProgram(p));
    EXPECT_EQ(active().program(), p);
    f.prompter.answers = {PromptAnswer::Yes};
    f.chooser.answer = folder.filePath(u"new-shaft.zel"_s);
    EXPECT_TRUE(commands().savePartProgram(p));
    EXPECT_EQ(zeltest::readBytes(folder.filePath(u"new-shaft.zpart"_s)),
              QByteArray("[Part]\r\nNumber=SH-3\r\n"));
}

}  // namespace
