// The setups shipped in examples/: each loads without a message, is a setup an operator can
// use as it is (limits in order and on the bar, captions that fit under a bar), and is stored
// exactly as the program would save it, so that opening and saving an example changes nothing.
#include <gtest/gtest.h>

#include <QDir>
#include <QLocale>
#include <QStringList>
#include <algorithm>
#include <cctype>
#include <set>
#include <string>
#include <vector>

#include "display/bar_layout.h"
#include "file_bytes.h"
#include "setup/part_program.h"
#include "setup/setup_reader.h"
#include "setup/setup_writer.h"
#include "setup_fixture.h"
#include "temp_folder.h"

using namespace Qt::StringLiterals;

namespace {

QString examplesDir() {
    return QStringLiteral(ZEL_EXAMPLES_DIR);
}

std::vector<std::string> exampleFiles() {
    std::vector<std::string> names;
    const QStringList found = QDir(examplesDir()).entryList({u"*.zel"_s}, QDir::Files, QDir::Name);
    for (const QString &name : found) {
        names.push_back(name.toStdString());
    }
    return names;
}

QString examplePath(const std::string &name) {
    return examplesDir() + QLatin1Char('/') + QString::fromStdString(name);
}

// Loads the file as the program does at start-up with the file named on the command line.
zelapp::SetupLoad load(zeltest::SetupFixture &f, const QString &path, const QLocale &locale) {
    f.state.SetupFileName = path;
    return zelapp::SetupReader(f.setup, f.prompter, locale).read();
}

// Every message box the load showed, one per line, for a failure report.
std::string shownTexts(const zeltest::ScriptedPrompter &prompter) {
    std::string all;
    for (const QString &text : prompter.texts()) {
        all += text.toStdString() + '\n';
    }
    return all;
}

// A caption of up to twelve characters shows whole under a bar of fifteen in a row on a
// screen 1280 pixels wide; a longer one is elided there.
bool fitsUnderABar(const QString &description) {
    return description.trimmed().size() <= 12;
}

class ExampleSetup : public ::testing::TestWithParam<std::string> {
  protected:
    QString path() const { return examplePath(GetParam()); }
};

TEST_P(ExampleSetup, LoadsWithoutAMessage) {
    zeltest::SetupFixture f;
    EXPECT_EQ(load(f, path(), QLocale::c()), zelapp::SetupLoad::Loaded);
    EXPECT_TRUE(f.prompter.shown.empty()) << shownTexts(f.prompter);
    EXPECT_FALSE(f.state.SetupModified);
}

TEST_P(ExampleSetup, SavingItAgainGivesTheSameBytes) {
    const QByteArray original = zeltest::readBytes(path());
    ASSERT_FALSE(original.isEmpty());
    zeltest::TempFolder folder;
    const QString copy = QString::fromStdString(folder.path()) + u"/saved.zel"_s;

    zeltest::SetupFixture f;
    ASSERT_EQ(load(f, path(), QLocale::c()), zelapp::SetupLoad::Loaded);
    QString error;
    ASSERT_TRUE(zelapp::writeSetupFile(copy, f.setup, QLatin1Char('.'), &error))
        << error.toStdString();
    EXPECT_EQ(zeltest::readBytes(copy), original);
}

// An operator whose decimal separator is a comma opens the same file.
TEST_P(ExampleSetup, ReadsTheSameWithACommaLocale) {
    zeltest::SetupFixture f;
    ASSERT_EQ(load(f, path(), QLocale(QLocale::German, QLocale::Germany)),
              zelapp::SetupLoad::Loaded);
    EXPECT_TRUE(f.prompter.shown.empty()) << shownTexts(f.prompter);
    EXPECT_EQ(zelapp::setupFileText(f.setup, QLatin1Char('.')), zeltest::readBytes(path()));
}

TEST_P(ExampleSetup, EveryChannelInUseIsAUsableGauge) {
    zeltest::SetupFixture f;
    ASSERT_EQ(load(f, path(), QLocale::c()), zelapp::SetupLoad::Loaded);
    int inUse = 0;
    for (int i = 1; i <= f.setup.channelCount(); ++i) {
        const zelapp::Channel &c = *f.setup.channel(i);
        if (!c.InUse) {
            continue;
        }
        ++inUse;
        SCOPED_TRACE("channel " + std::to_string(i) + " " + c.Description.toStdString());
        EXPECT_EQ(c.Index, i);
        EXPECT_FALSE(c.Formula().trimmed().isEmpty());
        EXPECT_TRUE(fitsUnderABar(c.Description));
        EXPECT_GE(c.Decimals, 0);
        EXPECT_LE(c.Decimals, 7);
        EXPECT_LE(c.LoTol, c.LoAppr);
        EXPECT_LE(c.LoAppr, c.HiAppr);
        EXPECT_LE(c.HiAppr, c.HiTol);
        EXPECT_LT(c.LoTol, c.HiTol);
        // The scale shows a little beyond both tolerance limits.
        EXPECT_LT(c.BarDisplayBot, c.LoTol);
        EXPECT_GT(c.BarDisplayTop, c.HiTol);
        if (c.UseTwoMasters) {
            EXPECT_LT(c.Master1, c.Master2);
        }
    }
    // Every channel of the setup is defined: none is left at its default formula-less state.
    EXPECT_EQ(inUse, f.setup.channelCount());
}

TEST_P(ExampleSetup, InputsHaveShortNames) {
    zeltest::SetupFixture f;
    ASSERT_EQ(load(f, path(), QLocale::c()), zelapp::SetupLoad::Loaded);
    for (int i = 1; i <= f.setup.lvdtCount(); ++i) {
        EXPECT_TRUE(fitsUnderABar(f.setup.lvdt(i)->Description)) << "probe " << i;
        EXPECT_GT(f.setup.lvdt(i)->FullScale(), 0.0f) << "probe " << i;
    }
    for (int i = 1; i <= f.setup.analogCount(); ++i) {
        EXPECT_TRUE(fitsUnderABar(f.setup.analogInput(i)->Description)) << "analog " << i;
        EXPECT_GT(f.setup.analogInput(i)->FullScale(), 0.0f) << "analog " << i;
    }
}

TEST_P(ExampleSetup, GroupsListChannelsInUseOnce) {
    zeltest::SetupFixture f;
    ASSERT_EQ(load(f, path(), QLocale::c()), zelapp::SetupLoad::Loaded);
    for (int g = 1; g <= f.setup.groupCount(); ++g) {
        const zelapp::group &grp = *f.setup.groupAt(g);
        SCOPED_TRACE("group " + grp.Description.toStdString());
        EXPECT_GT(grp.Count, 0);
        std::set<int> seen;
        for (int p = 1; p <= grp.Count; ++p) {
            const int number = grp.GetChannel(p);
            const zelapp::Channel *c = f.setup.channel(number);
            ASSERT_NE(c, nullptr) << "channel " << number;
            EXPECT_TRUE(c->InUse) << "channel " << number;
            EXPECT_TRUE(seen.insert(number).second) << "channel " << number << " twice";
        }
    }
}

INSTANTIATE_TEST_SUITE_P(Examples, ExampleSetup, ::testing::ValuesIn(exampleFiles()),
                         [](const ::testing::TestParamInfo<std::string> &info) {
                             std::string name;
                             for (char ch : info.param) {
                                 name += std::isalnum(static_cast<unsigned char>(ch)) ? ch : '_';
                             }
                             return name;
                         });

// The demo setup is built on the emulator's demo signal; these are the facts the README, the
// demo scripts and the screenshot rely on.
TEST(DemoSetup, IsAShaftGaugeOnEightProbes) {
    zeltest::SetupFixture f;
    ASSERT_EQ(load(f, examplePath("demo.zel"), QLocale::c()), zelapp::SetupLoad::Loaded);
    EXPECT_EQ(f.setup.channelCount(), 10);
    EXPECT_EQ(f.setup.lvdtCount(), 8);
    EXPECT_EQ(f.setup.analogCount(), 1);
    EXPECT_EQ(f.state.Decimals, 4);

    const std::vector<std::pair<QString, QString>> channels = {
        {u"Dia A"_s, u"T1+T2"_s},        {u"Dia B"_s, u"T3+T4"_s},
        {u"Dia C"_s, u"T5+T6"_s},        {u"Max Dia"_s, u"GOR(C1:C3)"_s},
        {u"Min Dia"_s, u"LOR(C1:C3)"_s}, {u"Taper C-A"_s, u"C3-C1"_s},
        {u"Ecc A"_s, u"(T1-T2)/2"_s},    {u"Journal"_s, u"T7"_s},
        {u"Shoulder"_s, u"T8"_s},        {u"Runout"_s, u"TIR(C8)"_s},
    };
    for (int i = 1; i <= 10; ++i) {
        const zelapp::Channel &c = *f.setup.channel(i);
        const auto &[description, formula] = channels[static_cast<size_t>(i - 1)];
        EXPECT_EQ(c.Description, description);
        EXPECT_EQ(c.Formula(), formula);
        EXPECT_EQ(c.Decimals, 4);
        EXPECT_EQ(c.Units, u"Inch"_s);
    }
    // The diameters sort the demo's rejects (about 0.0025 off) from its good parts (within
    // 0.0011, plus the probes' drift).
    for (int i = 1; i <= 5; ++i) {
        EXPECT_FLOAT_EQ(f.setup.channel(i)->HiTol, 0.0015f);
        EXPECT_FLOAT_EQ(f.setup.channel(i)->LoTol, -0.0015f);
    }

    ASSERT_EQ(f.setup.groupCount(), 2);
    EXPECT_EQ(f.setup.groupAt(1)->Description, u"Diameters"_s);
    EXPECT_EQ(f.setup.groupAt(1)->Count, 5);
    EXPECT_EQ(f.setup.groupAt(2)->Description, u"Form and Position"_s);
    EXPECT_EQ(f.setup.groupAt(2)->Count, 5);
}

// The channel view's windows are placed, side by side, so the demo opens tidy.
TEST(DemoSetup, PlacesTheChannelWindowsApart) {
    zeltest::SetupFixture f;
    ASSERT_EQ(load(f, examplePath("demo.zel"), QLocale::c()), zelapp::SetupLoad::Loaded);
    const zelapp::WindowGeometry grid =
        zelapp::windowRecord(f.setup.windows(), zelapp::SetupWindow::ChannelGrid);
    const zelapp::WindowGeometry bars =
        zelapp::windowRecord(f.setup.windows(), zelapp::SetupWindow::ChannelBar);
    EXPECT_GT(grid.Height, 0);
    EXPECT_GT(bars.Height, 0);
    const bool apartSideways =
        grid.Left + grid.Width <= bars.Left || bars.Left + bars.Width <= grid.Left;
    const bool apartUpDown =
        grid.Top + grid.Height <= bars.Top || bars.Top + bars.Height <= grid.Top;
    EXPECT_TRUE(apartSideways || apartUpDown);
}

// The demo's part program reads cleanly and starts a cycle by itself once the part is on: the
// shoulder probe leaves its stop (+0.040) for the part's shoulder, near 0.
TEST(DemoSetup, ItsPartProgramStartsOnThePartAndOutlastsItsTimes) {
    zeltest::SetupFixture f;
    ASSERT_EQ(load(f, examplePath("demo.zel"), QLocale::c()), zelapp::SetupLoad::Loaded);
    const zelapp::PartProgramRead read =
        zelapp::parsePartProgram(zeltest::readBytes(examplesDir() + u"/demo.zpart"_s));
    EXPECT_TRUE(read.clean()) << read.warnings.join(u'\n').toStdString();
    const zelapp::PartProgram &p = read.program;
    EXPECT_EQ(p.start, zelapp::PartStart::Auto);
    EXPECT_EQ(f.setup.channel(p.presentChannel)->Formula(), u"T8"_s);
    EXPECT_LT(p.presentLow, 0.0);
    EXPECT_GT(p.presentHigh, 0.0);
    EXPECT_LT(p.presentHigh, 0.040);
    // Every characteristic is one of the setup's, the run-out among them.
    EXPECT_EQ(zelapp::effectiveCharacteristics(p, f.setup), p.characteristics);
    EXPECT_NE(std::find(p.characteristics.begin(), p.characteristics.end(), 10),
              p.characteristics.end());
    // The part turns for 3.8 s: settling and a whole turn (2 s) fit in before the timeout.
    EXPECT_GE(p.dynamicTimeMs, 2000);
    EXPECT_LE(p.timeoutMs, 3800);
}

}  // namespace
