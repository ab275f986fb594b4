#include "core/startup.h"

#include <QDir>
#include <optional>

#include "base/help.h"
#include "core/command_line.h"
#include "core/ini_file.h"
#include "core/instance_lock.h"
#include "setup/setup.h"
#include "setup/unit_batch.h"

namespace zelapp {

int exitStatus(StartupResult result) {
    switch (result) {
        case StartupResult::Running:
            return 0;
        case StartupResult::AlreadyRunning:
            return 1;
        case StartupResult::CommunicationFailed:
            return 2;
    }
    return 1;
}

QString communicationFailedText() {
    return QStringLiteral("Zel-8 communication not functioning");
}

namespace {
// Whether the unit answered; nothing when the operator chose Exit.
std::optional<bool> initialiseUnit(StartupContext &c) {
    if (mainWindowArguments(c.commandLine).offline) {
        return false;
    }
    while (c.unit.ZelCommInit(0) != 0) {
        switch (c.prompter.ask(communicationFailedText(), {}, PromptIcon::Warning,
                               PromptButtons::RetryStartExit)) {
            case PromptAnswer::Retry:
                continue;
            case PromptAnswer::Continue:
                return false;
            default:
                return std::nullopt;
        }
    }
    return true;
}
}  // namespace

StartupResult Main(StartupContext &c) {
    AppState &state = c.state;

    if (!c.instanceLock.tryLock()) {
        c.prompter.message(QStringLiteral("This application is already running"));
        return StartupResult::AlreadyRunning;
    }

    state.ProductTitle = QStringLiteral("ZEL-32");
    state.MakerName = QStringLiteral("Quillon Corporation");

    state.AppPath = c.programFolder;
    findHelpFile(state);

    if (!c.commandLine.isEmpty()) {
        if (containsSwitch(c.commandLine, QStringLiteral("/DEBUGINIT"))) {
            c.unit.EppInstallMsg(1);
        }
        if (containsSwitch(c.commandLine, QStringLiteral("/EPPERR"))) {
            c.unit.EppDiagMsg(1);
        }
    }

    state.setDefaultSettings();
    switch (readIniFile(QDir(state.AppPath).filePath(QStringLiteral("zelapp.ini")), state)) {
        case ReadOutcome::Read:
            break;
        case ReadOutcome::NotAFile:
            c.prompter.message(notAFileMessage(QStringLiteral("zelapp.ini")));
            break;
        case ReadOutcome::Missing:
        case ReadOutcome::TooLarge:
        case ReadOutcome::Failed:
            c.prompter.message(QStringLiteral("zelapp.ini file not found. Default values used."));
            break;
    }

    c.unit.ZelMsgBox(1);
    const std::optional<bool> answered = initialiseUnit(c);
    if (!answered) {
        return StartupResult::CommunicationFailed;
    }
    if (!*answered && c.startWithoutUnit) {
        // Before the first write: the scan settings and the default objects go to the copy,
        // and reach the unit when it is found.
        c.startWithoutUnit();
    }

    c.unit.ZelStartScan();
    c.unit.ZelSetScanTime(state.ScanTime);
    c.unit.ZelSetAdcAvg(state.ADCAverage);

    {
        // The defaults and the setup file the window loads are told as one: a unit with fewer
        // channels than the setup gets one message at start, not three boxes per channel.
        const UnitBatch batch(c.setup.context());
        c.setup.CreateDefaultObjects();
        if (c.showMainWindow) {
            c.showMainWindow();
        }
    }
    return StartupResult::Running;
}

}  // namespace zelapp
