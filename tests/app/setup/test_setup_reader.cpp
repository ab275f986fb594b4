// The setup file reader: the lines it understands, the messages it gives, the model operations
// it calls in order, the round trip with the writer, and the loads it stops on lines it cannot
// decode.
#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <random>
#include <string>
#include <vector>

#include "setup/setup_reader.h"
#include "setup/setup_writer.h"
#include "setup_fixture.h"
#include "special_files.h"
#include "temp_folder.h"

using namespace Qt::StringLiterals;
using zelapp::SetupLoad;

namespace {

using Lines = std::vector<std::string>;

QByteArray fileOf(const Lines &lines, const char *end = "\r\n") {
    QByteArray text;
    for (const auto &line : lines) {
        text += QByteArray::fromStdString(line) + end;
    }
    return text;
}

Lines operator+(Lines a, const Lines &b) {
    a.insert(a.end(), b.begin(), b.end());
    return a;
}

const Lines kVersion = {"[ZELAPP Version 6.0]"};

// A load's one notice: the whole setup was replaced.
std::vector<zelapp::SetupChange> replaced() {
    return {{zelapp::SetupChange::Kind::Replaced}};
}

Lines general(int channels, int lvdts, int analogs) {
    return {"[General Setup]", "MaxChannel= " + std::to_string(channels) + " ",
            "MaxLVDT= " + std::to_string(lvdts) + " ",
            "MaxAnalog= " + std::to_string(analogs) + " ", "[End Section]"};
}

// A complete channel block; `field` (0 = the header) is replaced by `text` when given.
Lines channelBlock(int k, const char *description, std::size_t field = 0,
                   const char *text = nullptr) {
    Lines b = {"[Channel]", " " + std::to_string(k) + " ",
               description, "T1",
               " 5 ",       "Inch",
               " 0 ",       " 0 ",
               "False",     " .01 ",
               " .009 ",    "-.009 ",
               "-.01 ",     " 1 ",
               " 0 ",       " .05 ",
               "-.05 ",     "[End Channel]"};
    if (text != nullptr) {
        b[field] = text;
    }
    return b;
}

class SetupReaderTest : public ::testing::Test {
  protected:
    zeltest::TempFolder folder;
    QString path = QDir(QString::fromStdString(folder.path())).filePath(u"job.zel"_s);
    zeltest::SetupFixture f{2, 1, 1};

    SetupLoad load(const QByteArray &bytes, zeltest::SetupFixture &into,
                   const QLocale &locale = QLocale::c()) {
        QFile file(path);
        EXPECT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(bytes);
        file.close();
        into.state.SetupFileName = path;
        return zelapp::SetupReader(into.setup, into.prompter, locale).read();
    }
    SetupLoad load(const QByteArray &bytes) { return load(bytes, f); }
    QString caption() const { return u"ZEL-32 ["_s + path + u"]"_s; }
};

TEST_F(SetupReaderTest, MissingFileSaysSoAndChangesNothing) {
    f.state.SetupFileName = path;
    f.state.SetupModified = true;
    f.state.UpdateEnabled = false;
    f.mainWindow.captionText = u"before"_s;
    f.setup.channel(1)->Description = u"kept"_s;

    EXPECT_EQ(zelapp::SetupReader(f.setup, f.prompter).read(), SetupLoad::NotFound);
    EXPECT_EQ(f.prompter.texts(), std::vector<QString>{path + u" file not found."_s});
    EXPECT_EQ(f.prompter.shown[0].buttons, zelapp::PromptButtons::Ok);
    EXPECT_EQ(f.state.SetupFileName, path);
    EXPECT_TRUE(f.state.SetupModified);
    EXPECT_FALSE(f.state.UpdateEnabled);
    EXPECT_EQ(f.mainWindow.captionText, u"before"_s);
    EXPECT_TRUE(f.changes.empty());
    EXPECT_EQ(f.setup.channel(1)->Description, u"kept"_s);
    EXPECT_TRUE(f.unit.calls.empty());

    f.state.SetupFileName.clear();  // no name: nothing at all
    EXPECT_EQ(zelapp::SetupReader(f.setup, f.prompter).read(), SetupLoad::NoFile);
    EXPECT_EQ(f.prompter.shown.size(), 1u);
}

TEST_F(SetupReaderTest, WhatIsNoFileOrTooLargeIsRefusedBeforeItIsReadAndChangesNothing) {
    const auto refused = [&](const QString &name) {
        f.prompter.shown.clear();
        f.state.SetupFileName = name;
        EXPECT_EQ(zelapp::SetupReader(f.setup, f.prompter).read(), SetupLoad::Unreadable);
        EXPECT_EQ(f.state.SetupFileName, name);
        return f.prompter.texts();
    };
    f.state.SetupModified = true;
    f.mainWindow.captionText = u"before"_s;

    ASSERT_TRUE(zeltest::makeFifo(path));  // opening it would wait for a writer
    EXPECT_EQ(refused(path), std::vector<QString>{path + u" is not a file."_s});
    EXPECT_EQ(refused(u"/dev/zero"_s), std::vector<QString>{u"/dev/zero is not a file."_s});
    ASSERT_TRUE(QFile::remove(path));
    ASSERT_TRUE(QDir().mkpath(path));
    EXPECT_EQ(refused(path), std::vector<QString>{path + u" is not a file."_s});
    ASSERT_TRUE(QDir(path).removeRecursively());

    // Sparse: the size costs neither disk nor time. Exactly 64 MiB would be read.
    ASSERT_TRUE(zeltest::makeSparseFile(path, qint64{64} * 1024 * 1024 + 1));
    EXPECT_EQ(refused(path),
              std::vector<QString>{path + u" cannot be read:\rIt is too large to be a setup "
                                          u"file.\rThe setup is unchanged."_s});

    EXPECT_TRUE(f.state.SetupModified);
    EXPECT_EQ(f.mainWindow.captionText, u"before"_s);
    EXPECT_TRUE(f.changes.empty());
    EXPECT_TRUE(f.unit.calls.empty());
}

TEST_F(SetupReaderTest, EmptyFileClearsTheSetupAndFinishesTheLoad) {
    f.setup.channel(1)->setFormula(u"T1"_s);
    f.setup.addGroup(std::make_unique<zelapp::group>());
    f.state.SetupModified = true;
    f.state.UpdateEnabled = true;
    bool updatingDuringRebuild = true;
    f.onChange = [&](const zelapp::SetupChange &) {
        updatingDuringRebuild = f.state.UpdateEnabled;
    };

    EXPECT_EQ(load({}), SetupLoad::Loaded);
    EXPECT_TRUE(f.prompter.shown.empty());
    EXPECT_EQ(f.setup.groupCount(), 0);
    EXPECT_TRUE(f.setup.channel(1)->Formula().isEmpty());
    EXPECT_EQ(f.setup.channelCount(), 2);
    EXPECT_FALSE(f.state.SetupModified);
    EXPECT_EQ(f.mainWindow.captionText, caption());
    EXPECT_EQ(f.changes, replaced());
    EXPECT_FALSE(updatingDuringRebuild);
    EXPECT_TRUE(f.state.UpdateEnabled);
    EXPECT_EQ(f.state.SetupFileName, path);
}

TEST_F(SetupReaderTest, UpdatingIsOnAfterALoadEvenWhenItWasOffBefore) {
    f.state.UpdateEnabled = false;
    EXPECT_EQ(load(fileOf(kVersion + general(2, 1, 1))), SetupLoad::Loaded);
    EXPECT_TRUE(f.state.UpdateEnabled);
}

TEST_F(SetupReaderTest, TheFirstLineIsNeverLookedAt) {
    EXPECT_EQ(load(fileOf({"[General Setup]", "MaxChannel= 3 ", "[End Section]"})),
              SetupLoad::Loaded);
    EXPECT_EQ(f.prompter.texts(), (std::vector<QString>{u"Section:MaxChannel= 3  not valid"_s,
                                                        u"Section:[End Section] not valid"_s}));
    EXPECT_EQ(f.setup.channelCount(), 2);

    f.prompter.shown.clear();
    EXPECT_EQ(load(fileOf(Lines{"anything at all"} + general(3, 1, 1))), SetupLoad::Loaded);
    EXPECT_TRUE(f.prompter.shown.empty());
    EXPECT_EQ(f.setup.channelCount(), 3);
}

TEST_F(SetupReaderTest, HeadersMatchExactlyAndOtherLinesAreReportedOneByOne) {
    const Lines lines = kVersion + Lines{"[LVDT]", " 1 ", "", " [Group]"} +
                        channelBlock(1, "Still read") + Lines{"[End Setup]", "[Bogus]"};
    EXPECT_EQ(load(fileOf(lines)), SetupLoad::Loaded);
    EXPECT_EQ(f.prompter.texts(),
              (std::vector<QString>{u"Section:[LVDT] not valid"_s, u"Section: 1  not valid"_s,
                                    u"Section: not valid"_s, u"Section: [Group] not valid"_s}));
    EXPECT_EQ(f.setup.channel(1)->Description, u"Still read"_s);
}

TEST_F(SetupReaderTest, GeneralSetupKeys) {
    const Lines lines = kVersion + Lines{"[General Setup]", "MaxChannel= 2.5 ", "MaxLVDT=3.5",
                                         "MaxAnalog=  2 ",  "MaxDigital= 4 ",   "MaxStrain= 9 ",
                                         "Decimals= 3 ",    "maxchannel= 7 ",   "[End Section]"};
    EXPECT_EQ(load(fileOf(lines)), SetupLoad::Loaded);
    EXPECT_EQ(f.setup.channelCount(), 2);  // halves go to the even neighbour
    EXPECT_EQ(f.setup.lvdtCount(), 4);
    EXPECT_EQ(f.setup.lvdtCount(), 4);
    EXPECT_EQ(f.setup.analogCount(), 2);
    EXPECT_EQ(f.setup.analogCount(), 2);
    EXPECT_EQ(f.state.MaxDigital, 4);
    EXPECT_EQ(f.state.MaxStrain, 0);
    EXPECT_EQ(f.state.Decimals, 3);
    EXPECT_EQ(f.prompter.texts(),
              std::vector<QString>{u"Unknown item in [general setup]\rmaxchannel= 7 "_s});
}

TEST_F(SetupReaderTest, GeneralSetupKeysDecodeOnlyTheValuesTheyUse) {
    // The strain count is never looked at and a digital count that is no count is passed over;
    // neither may cost the operator the setup.
    f.state.MaxDigital = 3;
    const Lines lines =
        kVersion + Lines{"[General Setup]",    "MaxStrain= 40000 ", "MaxStrain=x",  "MaxDigital=-1",
                         "MaxDigital= 70000 ", "Bogus= 99999 ",     "[End Section]"} +
        channelBlock(1, "Still read");
    EXPECT_EQ(load(fileOf(lines)), SetupLoad::Loaded);
    EXPECT_EQ(f.state.MaxDigital, 3);
    EXPECT_EQ(f.state.MaxStrain, 0);
    EXPECT_EQ(f.setup.channel(1)->Description, u"Still read"_s);
    EXPECT_EQ(f.prompter.texts(),
              std::vector<QString>{u"Unknown item in [general setup]\rBogus= 99999 "_s});
}

TEST_F(SetupReaderTest, GeneralSetupWithoutItsEndLineRunsToTheEndOfTheFile) {
    EXPECT_EQ(load(fileOf({"v", "[General Setup]", "MaxChannel= 3 ", "Decimals= 2 "})),
              SetupLoad::Loaded);
    EXPECT_EQ(f.setup.channelCount(), 3);
    EXPECT_EQ(f.state.Decimals, 2);
}

TEST_F(SetupReaderTest, CallsTheModelInFileOrder) {
    const Lines lines = kVersion + general(3, 1, 1) + channelBlock(3, "Bore", 13, " 2 ") +
                        Lines{"[lvdt]", " 1 ", "Probe", " .1 ", "-.001 ", "[End lvdt]"} +
                        Lines{"[Analog]", " 1 ", "Temp", " 10 ", " .25 ", "[End Analog]"};
    EXPECT_EQ(load(fileOf(lines)), SetupLoad::Loaded);
    EXPECT_EQ(
        f.unit.calls,
        (std::vector<std::string>{
            // ClearSetup at the old counts
            "ZelClearChannel(1)", "ZelSetCzero(1, 0)", "ZelSetCscale(1, 1)", "ZelClearChannel(2)",
            "ZelSetCzero(2, 0)", "ZelSetCscale(2, 1)", "ZelSetTzero(1, 0)", "ZelSetTfsv(1, 0.0125)",
            "ZelSetAzero(1, 0)", "ZelSetAfsv(1, 1)",
            // MaxChannel= 3
            "ZelClearChannel(3)", "ZelSetCzero(3, 0)", "ZelSetCscale(3, 1)",
            // the blocks
            "ZelDefineChannel(3, T1)", "ZelSetCscale(3, 2)", "ZelSetCzero(3, 0)",
            "ZelSetTfsv(1, 0.025)", "ZelSetTzero(1, -0.001)", "ZelSetAfsv(1, 10)",
            "ZelSetAzero(1, 0.25)"}));
    const zelapp::Channel &c = *f.setup.channel(3);
    EXPECT_TRUE(c.InUse);
    EXPECT_EQ(c.Description, u"Bore"_s);
    EXPECT_FALSE(f.setup.channel(1)->InUse);  // no block: as ClearSetup left it
    EXPECT_EQ(f.setup.lvdt(1)->Description, u"Probe"_s);
    EXPECT_FLOAT_EQ(f.setup.lvdt(1)->FullScale(), 0.1f);
    EXPECT_EQ(f.setup.analogInput(1)->Description, u"Temp"_s);
}

TEST_F(SetupReaderTest, ChannelBlockFieldsInOrder) {
    const Lines block = {"[Channel]", " 2 ",    " Padded text ", "",      " 3 ",    "mm",
                         " 1.5 ",     "-2.25 ", "true",          " .02 ", " .015 ", "-.015 ",
                         "-.02 ",     " 1 ",    " 0 ",           " .1 ",  "-.1 ",   "whatever"};
    EXPECT_EQ(load(fileOf(kVersion + block)), SetupLoad::Loaded);
    const zelapp::Channel &c = *f.setup.channel(2);
    EXPECT_EQ(c.Index, 2);
    EXPECT_TRUE(c.InUse);
    EXPECT_EQ(c.Description, u" Padded text "_s);  // texts are not trimmed
    EXPECT_TRUE(c.Formula().isEmpty());
    EXPECT_EQ(c.Decimals, 3);
    EXPECT_EQ(c.Units, u"mm"_s);
    EXPECT_FLOAT_EQ(c.Master1, 1.5f);
    EXPECT_FLOAT_EQ(c.Master2, -2.25f);
    EXPECT_TRUE(c.UseTwoMasters);
    EXPECT_FLOAT_EQ(c.HiTol, 0.02f);
    EXPECT_FLOAT_EQ(c.HiAppr, 0.015f);
    EXPECT_FLOAT_EQ(c.LoAppr, -0.015f);
    EXPECT_FLOAT_EQ(c.LoTol, -0.02f);
    EXPECT_FLOAT_EQ(c.BarDisplayTop, 0.1f);
    EXPECT_FLOAT_EQ(c.BarDisplayBot, -0.1f);
    EXPECT_TRUE(f.prompter.shown.empty());
}

TEST_F(SetupReaderTest, GroupsAndWindows) {
    f.setup.windows()[8] = {1, 2, 3, 4};  // no section in the file: kept
    const Lines lines =
        kVersion + Lines{"[LvdtBarWindow]", " 10 ", "-20 ", " 30 ", " 40 "} +
        Lines{"[Group]", " 7 ", "Empty", " 0 ", " 1 ",  " 2 ",  " 3 ",  " 4 ",        " 5 ",
              " 6 ",     " 7 ", " 8 ",   " 9 ", " 10 ", " 11 ", " 12 ", "[End Group]"} +
        Lines{"[Group]", " 3 ", "Pair", " 2 ", " 2 ", " 9 ", " 0 ", " 0 ", " 0 ", " 0 ",
              " 0 ",     " 0 ", " 0 ",  " 0 ", " 0 ", " 0 ", " 0 ", " 0 ", "-"};
    EXPECT_EQ(load(fileOf(lines)), SetupLoad::Loaded);
    EXPECT_TRUE(f.prompter.shown.empty());
    EXPECT_EQ(f.setup.windows()[4], (zelapp::WindowGeometry{10, -20, 30, 40}));
    EXPECT_EQ(f.setup.windows()[8], (zelapp::WindowGeometry{1, 2, 3, 4}));
    ASSERT_EQ(f.setup.groupCount(), 2);
    const zelapp::group &empty = *f.setup.groupAt(1);
    EXPECT_EQ(empty.Index, 7);
    EXPECT_EQ(empty.Description, u"Empty"_s);
    EXPECT_EQ(empty.Count, 0);
    EXPECT_EQ(empty.WindowGridTop, 1);
    EXPECT_EQ(empty.WindowBarTop, 5);
    EXPECT_EQ(empty.WindowDialWidth, 12);
    const zelapp::group &pair = *f.setup.groupAt(2);
    EXPECT_EQ(pair.Description, u"Pair"_s);
    ASSERT_EQ(pair.Count, 2);
    EXPECT_EQ(pair.GetChannel(1), 2);
    EXPECT_EQ(pair.GetChannel(2), 9);  // group channels are not checked against the count
}

TEST_F(SetupReaderTest, SectionsInAnyOrderAnyNumberOfTimesUntilEndSetup) {
    const Lines lines = kVersion + channelBlock(1, "first") + general(3, 1, 1) +
                        channelBlock(3, "three") + channelBlock(1, "second") +
                        Lines{"[End Setup]"} + channelBlock(2, "never");
    EXPECT_EQ(load(fileOf(lines)), SetupLoad::Loaded);
    EXPECT_EQ(f.setup.channel(1)->Description, u"second"_s);
    EXPECT_EQ(f.setup.channel(3)->Description, u"three"_s);
    EXPECT_FALSE(f.setup.channel(2)->InUse);
    EXPECT_TRUE(f.prompter.shown.empty());
}

TEST_F(SetupReaderTest, LineEndsCrLfLfBareCrAndNoneAtTheEnd) {
    const Lines lines = kVersion + general(3, 1, 1) + channelBlock(3, "Bore");
    zeltest::SetupFixture crlf(2, 1, 1), lf(2, 1, 1), cr(2, 1, 1), mixed(2, 1, 1);
    ASSERT_EQ(load(fileOf(lines), crlf), SetupLoad::Loaded);
    ASSERT_EQ(load(fileOf(lines, "\n"), lf), SetupLoad::Loaded);
    // A file saved by an editor that ends lines in CR alone is a setup, not one long line.
    ASSERT_EQ(load(fileOf(lines, "\r"), cr), SetupLoad::Loaded);
    QByteArray mixedText = fileOf(lines, "\n");
    mixedText.replace(0, int(kVersion[0].size()) + 1,
                      QByteArray::fromStdString(kVersion[0]) + "\r\n");
    mixedText.chop(1);  // the last line without its end
    ASSERT_EQ(load(mixedText, mixed), SetupLoad::Loaded);

    const QByteArray expected = zelapp::setupFileText(crlf.setup, u'.');
    EXPECT_EQ(crlf.setup.channel(3)->Description, u"Bore"_s);
    EXPECT_EQ(zelapp::setupFileText(lf.setup, u'.'), expected);
    EXPECT_EQ(zelapp::setupFileText(cr.setup, u'.'), expected);
    EXPECT_EQ(zelapp::setupFileText(mixed.setup, u'.'), expected);
    EXPECT_TRUE(crlf.prompter.shown.empty() && lf.prompter.shown.empty() &&
                cr.prompter.shown.empty() && mixed.prompter.shown.empty());
    // CR LF is one line end, CR CR two: the empty line between is reported as not valid.
    zeltest::SetupFixture twice(2, 1, 1);
    EXPECT_EQ(load(fileOf(kVersion + Lines{"[End Setup]"}, "\r\r"), twice), SetupLoad::Loaded);
    EXPECT_EQ(twice.prompter.texts(), std::vector<QString>{u"Section: not valid"_s});
}

// Builds a setup with something in every part of the file.
void fillSetup(zeltest::SetupFixture &s) {
    zelapp::Channel &c = *s.setup.channel(2);
    c.InUse = true;
    c.Description = u"Bore \u00D8"_s;
    c.setFormula(u"(T1+T2)/2"_s);
    c.Decimals = 4;
    c.Units = u"mm"_s;
    c.Master1 = 25.4f;
    c.Master2 = 25.6f;
    c.UseTwoMasters = true;
    c.HiTol = 0.0123457f;
    c.setScaling(0.5f);
    c.setZeroOffset(-1.25e-6f);
    c.BarDisplayTop = 1.5e9f;
    s.setup.channel(4)->InUse = true;
    s.setup.lvdt(2)->setFullScale(0.2f);
    s.setup.lvdt(2)->Description = u"Top probe"_s;
    s.setup.analogInput(1)->setZeroOffset(-3.5f);
    s.state.Decimals = 3;
    s.state.MaxDigital = 6;
    s.setup.windows()[0] = {100, 200, 3000, 4000};
    s.setup.windows()[5] = {-1, -2, -3, -4};
    for (int n : {5, 2, 9}) {
        auto g = std::make_unique<zelapp::group>();
        g->SetDefaults(n);
        g->AddChannel(n % 4 + 1);
        g->AddChannel(1);
        g->WindowGridHeight = n * 100;
        s.setup.addGroup(std::move(g));
    }
}

TEST_F(SetupReaderTest, WhatTheWriterWritesReadsBackTheSame) {
    zeltest::SetupFixture source(4, 2, 1);
    fillSetup(source);
    const QByteArray text = zelapp::setupFileText(source.setup, u'.');

    zeltest::SetupFixture copy(8, 8, 1);  // other counts before: the file sets them
    ASSERT_EQ(load(text, copy), SetupLoad::Loaded);
    EXPECT_TRUE(copy.prompter.shown.empty());
    EXPECT_EQ(zelapp::setupFileText(copy.setup, u'.'), text);
    EXPECT_EQ(copy.setup.channelCount(), 4);
    EXPECT_EQ(copy.setup.lvdtCount(), 2);
    EXPECT_EQ(copy.state.MaxDigital, 0);
    EXPECT_EQ(copy.state.Decimals, 3);
    EXPECT_EQ(copy.setup.windows(), source.setup.windows());
    ASSERT_EQ(copy.setup.groupCount(), 3);
    EXPECT_EQ(copy.setup.groupAt(1)->Index, 5);
    EXPECT_EQ(copy.setup.groupAt(2)->Index, 2);
    EXPECT_EQ(copy.setup.groupAt(3)->Index, 9);
    EXPECT_EQ(copy.setup.groupAt(3)->GetChannel(1), 2);
    EXPECT_TRUE(copy.setup.channel(4)->InUse);
    EXPECT_FALSE(copy.setup.channel(3)->InUse);
    EXPECT_EQ(copy.setup.channel(2)->Master2, 25.6f);
    EXPECT_EQ(copy.setup.channel(2)->BarDisplayTop, 1.5e9f);
}

TEST_F(SetupReaderTest, AGermanLocaleWritesAndReadsCommas) {
    const QLocale german(QLocale::German);
    ASSERT_EQ(german.decimalPoint(), u","_s);
    zeltest::SetupFixture source(4, 2, 1);
    fillSetup(source);
    const QByteArray text = zelapp::setupFileText(source.setup, u',');
    ASSERT_TRUE(text.contains("\r\n 25,4 \r\n"));

    zeltest::SetupFixture copy(4, 2, 1);
    ASSERT_EQ(load(text, copy, german), SetupLoad::Loaded);
    EXPECT_TRUE(copy.prompter.shown.empty());
    EXPECT_EQ(copy.setup.channel(2)->Master1, 25.4f);
    EXPECT_EQ(zelapp::setupFileText(copy.setup, u','), text);

    // A file written with "." still reads in the German locale.
    zeltest::SetupFixture fromDot(4, 2, 1);
    ASSERT_EQ(load(zelapp::setupFileText(source.setup, u'.'), fromDot, german), SetupLoad::Loaded);
    EXPECT_EQ(zelapp::setupFileText(fromDot.setup, u','), text);
}

TEST_F(SetupReaderTest, EveryByteOfATextLineComesBack) {
    QByteArray description;
    for (int b = 0x80; b <= 0xFF; ++b) {
        description += char(b);
    }
    description += "\ttab ";
    QByteArray text = fileOf(kVersion + channelBlock(1, "x") + general(2, 1, 1));
    text.replace("\r\nx\r\n", "\r\n" + description + "\r\n");
    ASSERT_EQ(load(text), SetupLoad::Loaded);
    EXPECT_EQ(f.setup.channel(1)->Description.toLatin1(), description);
    EXPECT_TRUE(zelapp::setupFileText(f.setup, u'.').contains("\r\n" + description + "\r\n"));
}

// ---- Lines the reader cannot decode stop the load ----

struct BadFile {
    const char *name;
    Lines tail;  // after a good start: counts 2, 1, 1 and channel 1 (lines 1 to 24)
    int line;
    const char *reason;
};

const char *const kNotNumber = "This is not a number.";
const char *const kOutside = "The number is outside -32768 to 32767.";
const char *const kNegative = "A count cannot be negative.";
const char *const kBeyondTheUnit = "The unit has at most 255.";
const char *const kEndsInside = "The file ends inside this block.";

Lines firstLines(const Lines &lines, std::size_t n) {
    return Lines(lines.begin(), lines.begin() + n);
}

const BadFile kBadFiles[] = {
    {"RealNotANumber", channelBlock(2, "Bad", 6, "abc") + Lines{"junk"}, 31, kNotNumber},
    {"RealTooLargeForASingle", channelBlock(2, "Bad", 14, " 1E39 "), 39,
     "The number is too large."},
    {"BooleanNotConverting", channelBlock(2, "Bad", 8, "Yes"), 33,
     "This is neither True nor False nor a number."},
    {"IntegerOutsideSixteenBits", channelBlock(2, "Bad", 4, " 32768 "), 29, kOutside},
    {"ChannelAboveTheCount", channelBlock(2, "Bad", 1, " 3 "), 26, "This setup has no channel 3."},
    {"ChannelZero", channelBlock(2, "Bad", 1, " 0 "), 26, "This setup has no channel 0."},
    {"EndsInsideAChannel", firstLines(channelBlock(2, "Bad"), 10), 25, kEndsInside},
    {"EndsBeforeTheChannelEndLine", firstLines(channelBlock(2, "Bad"), 17), 25, kEndsInside},
    {"LvdtAboveTheCount",
     {"[lvdt]", " 2 ", "P", " 1 ", " 0 ", "[End lvdt]"},
     26,
     "This setup has no LVDT 2."},
    {"AnalogZero",
     {"[Analog]", " 0 ", "A", " 1 ", " 0 ", "[End Analog]"},
     26,
     "This setup has no analog input 0."},
    {"AnalogFullScaleNotANumber",
     {"[Analog]", " 1 ", "A", " 1..5 ", " 0 ", "[End Analog]"},
     28,
     kNotNumber},
    {"WindowValueOutsideSixteenBits",
     {"[LvdtBarWindow]", " 1 ", "-32769 ", " 1 ", " 1 "},
     27,
     kOutside},
    {"EndsInsideAWindowSection", {"[LvdtBarWindow]", " 1 ", " 1 "}, 25, kEndsInside},
    {"GeneralLineWithoutEquals",
     {"[General Setup]", "MaxChannel 3", "[End Section]"},
     26,
     "The line has no \"=\"."},
    {"GeneralValueOutsideSixteenBits", {"[General Setup]", "MaxChannel=40000"}, 26, kOutside},
    {"NegativeChannelCount", {"[General Setup]", "MaxChannel=-1", "junk"}, 26, kNegative},
    {"NegativeLvdtCount", {"[General Setup]", "MaxLVDT=-0.6"}, 26, kNegative},
    {"ChannelCountBeyondTheUnit", {"[General Setup]", "MaxChannel= 256 "}, 26, kBeyondTheUnit},
    {"AnalogCountBeyondTheUnit", {"[General Setup]", "MaxAnalog=300"}, 26, kBeyondTheUnit},
    {"DecimalsOutsideSixteenBits", {"[General Setup]", "Decimals=32768"}, 26, kOutside},
    {"NegativeGroupCount", {"[Group]", " 1 ", "G", "-1 ", " 0 ", " 0 "}, 28, kNegative},
    {"GroupCountBeyondTheFile",
     {"[Group]", " 1 ", "G", " 30000 ", " 1 ", " 2 "},
     28,
     "The group lists more channels than the file has lines."},
    {"GroupChannelOutsideSixteenBits",
     {"[Group]", " 1 ", "G", " 1 ", " 70000 ", " 0 ", " 0 ", " 0 ", " 0 ", " 0 ", " 0 ", " 0 ",
      " 0 ", " 0 ", " 0 ", " 0 ", " 0 ", "[End Group]"},
     29,
     kOutside},
    {"EndsInsideAGroup", {"[Group]", " 1 ", "G", " 1 ", " 2 ", " 0 ", " 0 "}, 25, kEndsInside},
    {"EndsRightAfterAGroupHeader", {"[Group]"}, 25, kEndsInside},
};

class BadSetupFile : public SetupReaderTest, public ::testing::WithParamInterface<BadFile> {};

TEST_P(BadSetupFile, StopsWithOneMessageAndFinishesTheLoad) {
    const BadFile &bad = GetParam();
    const Lines lines = kVersion + general(2, 1, 1) + channelBlock(1, "Good") + bad.tail;
    ASSERT_EQ(lines[24], bad.tail.front());  // the tail starts at line 25
    f.state.SetupModified = false;
    f.state.UpdateEnabled = false;

    EXPECT_EQ(load(fileOf(lines)), SetupLoad::Stopped);
    const std::string &text = lines[static_cast<std::size_t>(bad.line - 1)];
    EXPECT_EQ(f.prompter.texts(),
              std::vector<QString>{
                  u"Line %1 of %2 cannot be read:\r"_s.arg(QString::number(bad.line), path) +
                  QString::fromStdString(text) + u"\r"_s + QString::fromLatin1(bad.reason) +
                  u"\rLoading stopped."_s});
    // What came before stays loaded; the item with the bad line is left alone.
    EXPECT_EQ(f.setup.channel(1)->Description, u"Good"_s);
    EXPECT_TRUE(f.setup.channel(1)->InUse);
    EXPECT_EQ(f.setup.channel(2)->Description, u"Channel 2"_s);
    EXPECT_FALSE(f.setup.channel(2)->InUse);
    EXPECT_EQ(f.setup.lvdt(1)->Description, u"Lvdt 1"_s);
    EXPECT_EQ(f.setup.analogInput(1)->Description, u"Analog  1"_s);
    EXPECT_EQ(f.setup.groupCount(), 0);
    EXPECT_EQ(f.setup.channelCount(), 2);
    EXPECT_EQ(f.setup.channelCount(), 2);
    // Half a setup: modified, and no name a plain Save could overwrite the file with.
    EXPECT_TRUE(f.state.SetupModified);
    EXPECT_TRUE(f.state.SetupFileName.isEmpty());
    EXPECT_EQ(f.mainWindow.captionText, caption() + u" (not loaded)"_s);
    EXPECT_EQ(f.changes, replaced());
    EXPECT_TRUE(f.state.UpdateEnabled);
}

INSTANTIATE_TEST_SUITE_P(Lines, BadSetupFile, ::testing::ValuesIn(kBadFiles),
                         [](const auto &info) { return std::string(info.param.name); });

// ---- Files that are no setup ----

TEST_F(SetupReaderTest, RandomBytesGiveTenMessagesThenOneThatCountsTheRestAndNoLoad) {
    std::mt19937 random(20240611);
    QByteArray bytes(64 * 1024, Qt::Uninitialized);
    for (char &byte : bytes) {
        byte = static_cast<char>(random() & 0xFF);
    }
    f.state.SetupModified = false;
    EXPECT_EQ(load(bytes), SetupLoad::Stopped);
    const std::vector<QString> texts = f.prompter.texts();
    ASSERT_EQ(texts.size(), 11u);
    for (std::size_t i = 0; i < 10; ++i) {
        EXPECT_TRUE(texts[i].startsWith(u"Section:"_s) && texts[i].endsWith(u" not valid"_s));
    }
    const QString more = texts.back();
    const QString passedOver =
        u" more lines of this file were not understood and were passed over."_s;
    ASSERT_TRUE(more.endsWith(passedOver)) << more.toStdString();
    EXPECT_GT(more.section(QLatin1Char(' '), 0, 0).toInt(), 400);
    EXPECT_TRUE(f.state.SetupModified);
    EXPECT_TRUE(f.state.SetupFileName.isEmpty());
    EXPECT_EQ(f.mainWindow.captionText, caption() + u" (not loaded)"_s);
}

TEST_F(SetupReaderTest, TenLinesNotUnderstoodAreTenMessagesAndTheLoadStands) {
    Lines lines = kVersion + general(2, 1, 1);
    for (int i = 0; i < 9; ++i) {
        lines.push_back("junk");
    }
    lines = lines + Lines{"[General Setup]", "Bogus=1", "[End Section]"};
    EXPECT_EQ(load(fileOf(lines)), SetupLoad::Loaded);
    EXPECT_EQ(f.prompter.shown.size(), 10u);
    EXPECT_EQ(f.prompter.texts().back(), u"Unknown item in [general setup]\rBogus=1"_s);
    EXPECT_EQ(f.mainWindow.captionText, caption());
    EXPECT_FALSE(f.state.SetupModified);

    // The line that stops a load counts with the others: ten shown, then one for the rest.
    f.prompter.shown.clear();
    lines = lines + Lines{"[lvdt]", " 9 ", "P", " 1 ", " 0 ", "[End lvdt]"};
    EXPECT_EQ(load(fileOf(lines)), SetupLoad::Stopped);
    EXPECT_EQ(f.prompter.shown.size(), 11u);
    EXPECT_EQ(f.prompter.texts().back(),
              u"1 more lines of this file were not understood and were passed over."_s);
}

// ---- Groups ----

Lines groupLines(const char *name, int entries) {
    Lines lines = {"[Group]", " 1 ", name, " " + std::to_string(entries) + " "};
    for (int i = 0; i < entries + 12; ++i) {
        lines.push_back(" " + std::to_string(i % 3 + 1) + " ");
    }
    lines.push_back("[End Group]");
    return lines;
}

TEST_F(SetupReaderTest, AGroupCountIsNeverTrustedBeforeTheLinesAreThere) {
    // 32767 channel lines that are really there are read, then cut to the setup's channels.
    EXPECT_EQ(load(fileOf(kVersion + general(3, 1, 1) + groupLines("Big", 32767))),
              SetupLoad::Loaded);
    ASSERT_EQ(f.setup.groupCount(), 1);
    const zelapp::group &big = *f.setup.groupAt(1);
    ASSERT_EQ(big.Count, 3);
    EXPECT_EQ(big.GetChannel(3), 3);
    EXPECT_EQ(big.WindowGridTop, 32767 % 3 + 1);  // the lines after the entries stay in step
    EXPECT_EQ(f.prompter.texts(),
              std::vector<QString>{u"Group \"Big\" lists 32767 channels; only the first 3 were "
                                   u"kept."_s});
}

TEST_F(SetupReaderTest, GroupsListingMoreEntriesThanChannelsAreCutWithOneMessage) {
    // The count is the setup's at the end of the load, wherever its section stands.
    const Lines lines = kVersion + groupLines("First %1", 5) + groupLines("Fits", 4) +
                        groupLines("Second", 6) + groupLines("Third", 9) + general(4, 1, 1);
    EXPECT_EQ(load(fileOf(lines)), SetupLoad::Loaded);
    ASSERT_EQ(f.setup.groupCount(), 4);
    for (int i = 1; i <= 4; ++i) {
        EXPECT_EQ(f.setup.groupAt(i)->Count, 4);
    }
    EXPECT_EQ(f.prompter.texts(),
              std::vector<QString>{u"Group \"First %1\" lists 5 channels; only the first 4 were "
                                   u"kept.\r2 more groups were cut the same way."_s});
    EXPECT_FALSE(f.state.SetupModified);
}

}  // namespace
