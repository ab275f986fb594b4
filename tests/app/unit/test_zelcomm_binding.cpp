// The binding against the real device library (built next to the programs), a library that lacks
// some exports, and no library at all. The real library keeps one session for the whole process,
// so every test starts that session itself and asserts nothing that another test could change.
#include "unit/zelcomm_binding.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <QDir>
#include <QFileInfo>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "scripted_prompter.h"
#include "temp_folder.h"

using namespace Qt::StringLiterals;
using testing::ElementsAre;
using zelapp::PromptButtons;
using zelapp::PromptIcon;
using zelapp::ZelcommBinding;

namespace {

constexpr int32_t kCallFailed = -1;
constexpr int32_t kRefusedTooLong = -2;  // ZEL_REFUSED_TOO_LONG
const QString kDemoText = u"ZEL-8 not communicating -- Entering DEMO mode"_s;
const QString kDiagnosticCaption = u"Zelcomm.dll Message"_s;

QString realLibraryFolder() {
    return QString::fromUtf8(ZELCOMM_DIR);
}

QString partialLibraryFolder() {
    return QString::fromUtf8(PARTIAL_ZELCOMM_DIR);
}

QString canonicalLibraryIn(const QString &folder) {
    return QFileInfo(QDir(folder).filePath(u"libzelcomm.so"_s)).canonicalFilePath();
}

// What the binding reports, instead of ending the program.
struct Failures {
    std::vector<QString> messages;
    ZelcommBinding::FailureHandler handler() {
        return [this](const QString &message) { messages.push_back(message); };
    }
};

// A device folder without any driver in it: ZelCommInit finds no unit, and the first request
// after it enters demonstration mode.
struct NoDriver {
    zeltest::TempFolder folder;
    zeltest::ScopedEnv deviceDir{"ZEL_DEVICE_DIR", folder.path().c_str()};
};

TEST(ZelcommBindingTest, LoadsTheLibraryFromTheProgramFolderAtTheFirstCall) {
    NoDriver noDriver;
    Failures failures;
    ZelcommBinding binding(realLibraryFolder(), failures.handler());
    EXPECT_TRUE(binding.libraryPath().isEmpty());

    EXPECT_EQ(binding.ZelCommInit(0), 1);  // no unit found
    EXPECT_EQ(QFileInfo(binding.libraryPath()).canonicalFilePath(),
              canonicalLibraryIn(realLibraryFolder()));
    EXPECT_TRUE(failures.messages.empty());
}

TEST(ZelcommBindingTest, EveryCallReachesTheLibraryWhichAnswersInDemoMode) {
    NoDriver noDriver;
    Failures failures;
    zeltest::ScriptedPrompter prompter;  // takes the demo message off standard error
    ZelcommBinding binding(realLibraryFolder(), failures.handler());
    binding.installMessageHook(prompter);
    ASSERT_EQ(binding.ZelCommInit(0), 1);

    // Demo answers are status 0 and zeros: each output must be overwritten.
    using ReadSingle = int32_t (ZelcommBinding::*)(int32_t, float *);
    for (ReadSingle read : {&ZelcommBinding::ZelReadChannel, &ZelcommBinding::ZelReadCzero,
                            &ZelcommBinding::ZelReadCscale, &ZelcommBinding::ZelReadLvdt,
                            &ZelcommBinding::ZelReadTzero, &ZelcommBinding::ZelReadTfsv,
                            &ZelcommBinding::ZelReadAnalog, &ZelcommBinding::ZelReadAzero,
                            &ZelcommBinding::ZelReadAfsv}) {
        float value = 42.0f;
        EXPECT_EQ((binding.*read)(1, &value), 0);
        EXPECT_EQ(value, 0.0f);
    }
    using WriteSingle = int32_t (ZelcommBinding::*)(int32_t, float *);
    for (WriteSingle write :
         {&ZelcommBinding::ZelSetCzero, &ZelcommBinding::ZelSetCscale, &ZelcommBinding::ZelSetTzero,
          &ZelcommBinding::ZelSetTfsv, &ZelcommBinding::ZelSetAzero, &ZelcommBinding::ZelSetAfsv}) {
        float value = 1.5f;
        EXPECT_EQ((binding.*write)(1, &value), 0);
    }

    uint8_t coarse = 7;
    uint8_t ri = 7;
    EXPECT_EQ(binding.ZelReadLvdtGain(1, &coarse, &ri), 0);
    EXPECT_EQ(coarse, 0);
    EXPECT_EQ(ri, 0);
    int16_t fine = 7;
    EXPECT_EQ(binding.ZelReadLvdtFine(1, &fine), 0);
    EXPECT_EQ(fine, 0);
    int16_t null = 7;
    EXPECT_EQ(binding.ZelReadLvdtNull(1, &null), 0);
    EXPECT_EQ(null, 0);
    int16_t result = 7;
    EXPECT_EQ(binding.ZelSaveCalibration(&result), 0);
    EXPECT_EQ(result, 0);
    int16_t done = 7;
    int16_t error = 7;
    EXPECT_EQ(binding.ZelGetSaveStatus(&done, &error), 0);
    EXPECT_EQ(done, 0);
    EXPECT_EQ(error, 0);

    EXPECT_EQ(binding.ZelStartScan(), 0);
    EXPECT_EQ(binding.ZelStopScan(), 0);
    EXPECT_EQ(binding.ZelResetMM(), 0);
    EXPECT_EQ(binding.ZelClearAllChannels(), 0);
    EXPECT_EQ(binding.ZelClearChannel(2), 0);
    EXPECT_EQ(binding.ZelSetScanTime(100), 0);
    EXPECT_EQ(binding.ZelSetAdcAvg(4), 0);
    EXPECT_EQ(binding.ZelSetRunAvg(1), 0);
    EXPECT_EQ(binding.ZelSetLvdtGain(1, 2, 3), 0);
    EXPECT_EQ(binding.ZelSetLvdtFine(1, -5), 0);
    EXPECT_EQ(binding.ZelSetLvdtNull(1, 5), 0);
    EXPECT_EQ(binding.ZelDefineChannel(1, "T1"), 0);
    // The library measures the formula it gets: one character too many is refused.
    EXPECT_EQ(binding.ZelDefineChannel(1, std::string(254, 'T').c_str()), kRefusedTooLong);

    // The flag setters hand back the previous value unchanged, negative numbers included.
    const int32_t oldDiag = binding.EppDiagMsg(-7);
    EXPECT_EQ(binding.EppDiagMsg(oldDiag), -7);
    const int32_t oldVerbose = binding.EppInstallMsg(-9);
    EXPECT_EQ(binding.EppInstallMsg(oldVerbose), -9);

    EXPECT_TRUE(failures.messages.empty());
}

TEST(ZelcommBindingTest, LibraryMessagesReachThePrompterUntilTheBindingIsDestroyed) {
    NoDriver noDriver;
    zeltest::ScriptedPrompter prompter;
    {
        ZelcommBinding binding(realLibraryFolder(), {});
        binding.installMessageHook(prompter);
        binding.ZelMsgBox(1);
        testing::internal::CaptureStderr();
        const int32_t oldVerbose = binding.EppInstallMsg(1);
        EXPECT_EQ(binding.ZelCommInit(0), 1);
        binding.EppInstallMsg(oldVerbose);
        float value = 42.0f;
        EXPECT_EQ(binding.ZelReadChannel(1, &value), 0);
        EXPECT_EQ(testing::internal::GetCapturedStderr(), "");
    }

    ASSERT_EQ(prompter.shown.size(), 5u);
    EXPECT_TRUE(prompter.shown[0].text.startsWith(u"Zelcomm::Verbose Debug enabled\n"_s));
    EXPECT_EQ(prompter.shown[1].text, u"Zel driver NOT found Port:1"_s);
    EXPECT_EQ(prompter.shown[2].text, u"Zel driver NOT found Port:2"_s);
    EXPECT_EQ(prompter.shown[3].text, u"Zel driver NOT found Port:3"_s);
    for (std::size_t i = 0; i < 4; ++i) {
        EXPECT_EQ(prompter.shown[i].title, kDiagnosticCaption);
    }
    // The demo message has no caption of its own: the program's name stands there.
    EXPECT_EQ(prompter.shown[4].text, kDemoText);
    EXPECT_TRUE(prompter.shown[4].title.isEmpty());
    for (const auto &shown : prompter.shown) {
        EXPECT_EQ(shown.icon, PromptIcon::Warning);
        EXPECT_EQ(shown.buttons, PromptButtons::Ok);
    }

    // Gone with the binding: the library falls back to standard error.
    ZelcommBinding later(realLibraryFolder(), {});
    testing::internal::CaptureStderr();
    EXPECT_EQ(later.ZelCommInit(0), 1);
    float value = 42.0f;
    EXPECT_EQ(later.ZelReadChannel(1, &value), 0);
    EXPECT_THAT(testing::internal::GetCapturedStderr(),
                testing::HasSubstr(kDemoText.toStdString()));
    EXPECT_EQ(prompter.shown.size(), 5u);
}

TEST(ZelcommBindingTest, MessageStylesMapToIconAndButtons) {
    struct Case {
        int32_t style;
        PromptIcon icon;
        PromptButtons buttons;
    };
    const Case cases[] = {
        {0x2030, PromptIcon::Warning, PromptButtons::Ok},
        {0x0010, PromptIcon::Critical, PromptButtons::Ok},
        {0x0021, PromptIcon::Question, PromptButtons::OkCancel},
        {0x0033, PromptIcon::Warning, PromptButtons::YesNoCancel},
        {0x0044, PromptIcon::Information, PromptButtons::YesNo},
        {0x0000, PromptIcon::None, PromptButtons::Ok},
        {0x0052, PromptIcon::None, PromptButtons::Ok},         // no such icon; abort/retry/ignore
        {0x0045, PromptIcon::Information, PromptButtons::Ok},  // retry/cancel
        {0x00F4, PromptIcon::None, PromptButtons::YesNo},
    };
    zeltest::ScriptedPrompter prompter;
    Failures failures;
    ZelcommBinding binding(partialLibraryFolder(), failures.handler());
    binding.installMessageHook(prompter);
    for (const Case &c : cases) {
        SCOPED_TRACE(c.style);
        ASSERT_EQ(binding.ZelSetScanTime(c.style), 0);  // the partial library's message call
        ASSERT_FALSE(prompter.shown.empty());
        EXPECT_EQ(prompter.shown.back().icon, c.icon);
        EXPECT_EQ(prompter.shown.back().buttons, c.buttons);
    }
    // Texts cross as 8-bit Latin-1; a missing caption arrives empty.
    EXPECT_EQ(prompter.shown.back().text, u"Span 5 \u00B5m"_s);
    EXPECT_EQ(prompter.shown.back().title, u"Partial \u00B0"_s);
    ASSERT_EQ(binding.ZelSetAdcAvg(0x30), 0);
    EXPECT_TRUE(prompter.shown.back().title.isEmpty());
    EXPECT_TRUE(failures.messages.empty());
}

TEST(ZelcommBindingTest, DestroyingTheBindingClearsTheLibrarysHook) {
    zeltest::ScriptedPrompter prompter;
    {
        ZelcommBinding binding(partialLibraryFolder(), {});
        binding.installMessageHook(prompter);
        ASSERT_EQ(binding.ZelSetScanTime(0x30), 0);
    }
    ZelcommBinding later(partialLibraryFolder(), {});
    EXPECT_EQ(later.ZelSetScanTime(0x30), 1);  // the partial library saw no hook
    EXPECT_EQ(prompter.shown.size(), 1u);
}

TEST(ZelcommBindingTest, AMissingEntryPointIsReportedOnceByNameAndOtherEntriesStillWork) {
    Failures failures;
    ZelcommBinding binding(partialLibraryFolder(), failures.handler());
    float value = 0.0f;
    EXPECT_EQ(binding.ZelReadChannel(2, &value), 0);
    EXPECT_EQ(value, 2.5f);
    EXPECT_EQ(QFileInfo(binding.libraryPath()).canonicalFilePath(),
              canonicalLibraryIn(partialLibraryFolder()));

    value = 42.0f;
    EXPECT_EQ(binding.ZelReadLvdt(1, &value), kCallFailed);
    EXPECT_EQ(binding.ZelReadLvdt(1, &value), kCallFailed);
    EXPECT_EQ(value, 42.0f);
    binding.ZelMsgBox(1);
    binding.ZelMsgBox(1);
    EXPECT_THAT(failures.messages,
                ElementsAre(u"The device library libzelcomm.so has no entry point ZelReadLvdt."_s,
                            u"The device library libzelcomm.so has no entry point ZelMsgBox."_s));

    EXPECT_EQ(binding.ZelReadChannel(3, &value), 0);
    EXPECT_EQ(value, 3.5f);
    EXPECT_EQ(failures.messages.size(), 2u);
}

// What a binding without any library to load did wrong (empty when nothing), and the message
// it reported.
struct MissingLibraryOutcome {
    std::string problems;
    std::string message;
};

MissingLibraryOutcome missingLibraryOutcome() {
    MissingLibraryOutcome outcome;
    const auto expect = [&outcome](bool ok, const char *what) {
        if (!ok) {
            outcome.problems += what;
            outcome.problems += '\n';
        }
    };
    zeltest::TempFolder emptyFolder;
    const QString folder = QString::fromStdString(emptyFolder.path());
    Failures failures;
    ZelcommBinding binding(folder, failures.handler());
    expect(failures.messages.empty(), "reported before the first call");

    float value = 42.0f;
    int16_t fine = 7;
    zeltest::ScriptedPrompter prompter;
    expect(binding.ZelReadChannel(1, &value) == kCallFailed, "ZelReadChannel did not fail");
    expect(binding.ZelReadLvdtFine(1, &fine) == kCallFailed, "ZelReadLvdtFine did not fail");
    expect(binding.ZelCommInit(0) == kCallFailed, "ZelCommInit did not fail");
    binding.ZelMsgBox(1);
    binding.installMessageHook(prompter);
    expect(value == 42.0f && fine == 7, "an output was written");
    expect(binding.libraryPath().isEmpty(), "a library path is set");
    expect(failures.messages.size() == 1, "not reported exactly once");
    if (!failures.messages.empty()) {
        outcome.message = failures.messages.front().toStdString();
        expect(failures.messages.front().startsWith(
                   u"The device library libzelcomm.so could not be loaded from "_s + folder +
                   u" or the system's library path: "_s),
               "the message names neither the library nor the folder");
    }
    return outcome;
}

// In a process of its own: once another test has loaded libzelcomm.so, the system loader would
// find it by name.
TEST(ZelcommBindingDeathTest, NoLibraryIsReportedOnceAndEveryCallFailsWithoutWriting) {
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    EXPECT_EXIT(
        {
            const MissingLibraryOutcome outcome = missingLibraryOutcome();
            std::fprintf(stderr, "%s\n%s", outcome.message.c_str(), outcome.problems.c_str());
            std::exit(outcome.problems.empty() ? 0 : 1);
        },
        testing::ExitedWithCode(0), testing::HasSubstr("libzelcomm.so could not be loaded"));
}

// The program's own handler: the message as a critical box, then the end of the process.
TEST(ZelcommBindingDeathTest, TheProgramsHandlerShowsTheMessageAndEndsWithItsStatus) {
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    EXPECT_EXIT(
        {
            struct PrintingPrompter : zeltest::ScriptedPrompter {
                zelapp::PromptAnswer ask(const QString &text, const QString &title, PromptIcon icon,
                                         PromptButtons buttons) override {
                    std::fprintf(stderr, "%s critical=%d\n", text.toLocal8Bit().constData(),
                                 icon == PromptIcon::Critical ? 1 : 0);
                    return ScriptedPrompter::ask(text, title, icon, buttons);
                }
            } prompter;
            zeltest::TempFolder empty;
            ZelcommBinding binding(QString::fromStdString(empty.path()) + u"/nothing"_s,
                                   zelapp::reportAndExit(prompter, 3));
            // No library in that folder, none on the system path.
            binding.EppDiagMsg(0);
            std::fprintf(stderr, "still running");
            std::exit(0);
        },
        testing::ExitedWithCode(3), testing::HasSubstr("critical=1"));
}

}  // namespace
