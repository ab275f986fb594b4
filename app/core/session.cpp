#include "core/session.h"

#include <algorithm>

#include "base/runtime_text.h"
#include "base/settings_store.h"
#include "core/command_line.h"
#include "dfq/dfq_settings.h"
#include "exchange/link_address.h"

namespace zelapp {

namespace {
// How long a stop the system asked for waits for the history to take the parts kept in memory.
constexpr int kStopFlushMs = 5000;

AttemptRunner &runnerOf(const SessionServices &services, std::unique_ptr<AttemptRunner> &own) {
    if (services.attemptRunner != nullptr) {
        return *services.attemptRunner;
    }
    own = std::make_unique<ThreadAttemptRunner>();
    return *own;
}

DeviceWatch *watchOf(const SessionServices &services, std::unique_ptr<FolderDeviceWatch> &own) {
    if (services.deviceWatch != nullptr) {
        return services.deviceWatch;
    }
    own = std::make_unique<FolderDeviceWatch>();
    return own.get();
}
}  // namespace

Session::Session(const SessionServices &services)
    : services_(services),
      folders_(services.chooser, services.store),
      recent_(services.store),
      unsaved_(services.store, services.prompter, recent_),
      connection_(services.unit),
      context_{connection_, services.prompter, state_, &refusals_},
      setup_(context_, state_, labels_, items_, windows_),
      masteredTimes_(setup_, services.wallClock != nullptr ? *services.wallClock : ownWallClock_),
      setupCommands_(setup_, services.prompter, folders_, services.locale),
      help_(state_, services.prompter, services.helpViewer),
      scan_(connection_, state_, setup_, windows_),
      partProgramTool_(partProgram_, setup_, setupCommands_, services.prompter, services.locale),
      partCycle_(connection_, setup_, partProgram_,
                 services.scanClock != nullptr ? *services.scanClock : ownSteadyClock_,
                 services.wallClock != nullptr ? *services.wallClock : ownWallClock_),
      partHistory_(partCycle_, setup_, services.prompter, services.store, services.partsDatabase,
                   [&store = services.store] { return readDfqSettings(store).folder; }),
      dfqExport_(partHistory_, services.store,
                 {services.dfqFolder, services.dfqTick, services.wallClock, {}}),
      processWatch_(partHistory_, partProgram_, setup_, services.statsJudge),
      palette_(services.store),
      dialogs_({setup_, state_, connection_, services.prompter, services.locale, &masteredTimes_,
                [this] { partCycle_.busyStarted(); }},
               {help_, windows_, folders_, scan_,
                services.clock != nullptr ? *services.clock : ownClock_}),
      commands_(state_, setup_, connection_, services.prompter, help_, dialogs_.setupChan,
                dialogs_.setupLvdt, dialogs_.setupAnalog, dialogs_.mastering, windows_),
      linkServer_(labels_),
      partTopic_(partCycle_, partHistory_, setup_, linkServer_),
      lifecycle_(state_, services.prompter, setupCommands_, help_, services.store, windows_,
                 services.programFolder, [this] { return linkServer_.conversationCount(); }),
      recovery_(
          connection_, runnerOf(services, ownRunner_), services.prompter,
          [this] {
              return UnitRecovery::Counts{setup_.channelCount(), setup_.lvdtCount(),
                                          setup_.analogCount()};
          },
          services.recoveryClock != nullptr ? *services.recoveryClock : ownSteadyClock_,
          watchOf(services, ownDeviceWatch_)) {
    scan_.setDecimalSeparator(setupCommands_.decimalSeparator());
    if (services.scanClock != nullptr) {
        scan_.setClock(*services.scanClock);
    }
    for (LiveValueSink *sink : dialogs_.liveSinks()) {
        scan_.addLiveSink(*sink);
    }
    setupCommands_.setReplaceGuard(
        [this] { return dialogs_.confirmSetupReplace() && partProgramTool_.confirmLeave(); });
    setupCommands_.setFileUsedHandler([this](const QString &path) { recent_.add(path); });
    setupCommands_.setMasteredTimes(&masteredTimes_);
    setupCommands_.setPartProgram(&partProgram_);
    // "re-master" and "Master due" beside a channel's value; shown anew when they change.
    scan_.setChannelNotes([this](int channel) { return masteredTimes_.masteringNote(channel); });
    // "Master due: channel 3" in the status line when the channels due change.
    QObject::connect(&masteredTimes_, &MasteredTimes::changed, [this] {
        scan_.resetValueCaches();
        const QString due = masteredTimes_.dueStatusText();
        if (due != dueShown_) {
            dueShown_ = due;
            windows_.showStatus(due);
        }
    });
    dialogs_.mastering.setGuardLimits(readMasteringGuard(services.store));
    // The part cycle: no part while a master is on the gauge, no call while the scan is off
    // (the calibration dialog's exchanges), its values as the results show them with the
    // grid's separator, and MAX/MIN left to it while it runs.
    partCycle_.setBusyCheck(
        [this] { return dialogs_.calibrate.isOpen() || dialogs_.mastering.isOpen(); });
    partCycle_.setUnitCallsAllowed([this] { return scan_.timerEnabled(); });
    partCycle_.setValueText([this](const Channel &channel, float value) {
        return rt::resultText(value, channel.Decimals, scan_.decimalSeparator());
    });
    QObject::connect(&partCycle_, &PartCycle::stateChanged, [this] {
        const bool running = partCycle_.running();
        dialogs_.setCycleRunning(running);
        commands_.setCycleRunning(running);
    });
    // The displays show "NO UNIT" from the loss on, and every value again once it is back.
    recovery_.setReporter([this](const QString &text) { windows_.showStatus(text); });
    recovery_.setStatusHandler([this](const UnitStatus &status) {
        scan_.resetValueCaches();
        dialogs_.setUnitLost(status.lost);
        if (windows_.view != nullptr) {
            windows_.view->unitStatusChanged(status);
        }
    });
}

Session::~Session() {
    windows_.view = nullptr;
}

StartupResult Session::start(std::function<void()> showMainWindow) {
    StartupContext context{state_,
                           connection_,
                           services_.prompter,
                           setup_,
                           services_.instanceLock,
                           services_.programFolder,
                           services_.commandLine,
                           std::move(showMainWindow),
                           [this] { recovery_.startWithoutUnit(); }};
    return Main(context);
}

void Session::Form_Load() {
    loaded_ = true;
    windows_.setCaption(state_.MakerName + QStringLiteral("   ") + state_.ProductTitle);
    startLinkService();
    partHistory_.open();
    dfqExport_.start();
    processWatch_.reload();

    // The value holders LabelChan(1..MaxChannel) were made with the channels.
    state_.ViewType = VIEWTYPECHANNELS;
    const MainWindowArguments arguments = mainWindowArguments(services_.commandLine);
    if (arguments.viewType) {
        state_.ViewType = *arguments.viewType;
    }
    if (!arguments.setupFile.isEmpty()) {
        state_.SetupFileName = arguments.setupFile;
    }
    setupCommands_.loadSetupFile();
    unsaved_.tellKept();
    scan_.UpdateMainDisplay();

    state_.ScanHoldCount = 0;
    commands_.UpdateToggle_Click();
    if (arguments.openBars) {
        commands_.EnableBarGraphs_Click();
    }
    if (arguments.openGrid) {
        commands_.EnableGrid_Click();
    }
    // Start-up's messages are closed: parts may be measured from now on.
    partCycle_.programStarted();
    partCycle_.startPolling();
}

void Session::startLinkService() {
    QString error;
    if (!linkServer_.listen(services_.serviceName, linkSocketFolder(), &error)) {
        services_.prompter.message(
            QStringLiteral("Live values cannot be offered to other programs: %1.").arg(error), {},
            PromptIcon::Warning);
    }
}

bool Session::Form_QueryUnload() {
    // The part program dialog's edits first: saving them may ask to save the setup.
    return partProgramTool_.confirmLeave() && partHistory_.confirmExit() &&
           lifecycle_.Form_QueryUnload();
}

QuietClose Session::closeQuietly() {
    QuietClose result;
    if (!loaded_) {
        return result;
    }
    result.closed = true;
    partCycle_.stopPolling();
    linkServer_.close();
    WaitClock &clock = services_.clock != nullptr ? *services_.clock : ownClock_;
    const ElapsedClock &elapsed =
        services_.scanClock != nullptr ? *services_.scanClock : ownSteadyClock_;
    result.partsLost = partHistory_.flush(kStopFlushMs, clock, elapsed);
    result.historyFile = partHistory_.file();
    FileDialogRequest setups;
    setups.defaultExtension = QStringLiteral("zel");
    result.keptSetup =
        unsaved_.keep(setup_, setupCommands_.decimalSeparator(), folders_.folderFor(setups));
    lifecycle_.writeClosingSettings(&result.settingsProblem);
    dfqExport_.stop();
    services_.store.sync();
    return result;
}

void Session::Form_Unload(bool minimised, MainPosition position) {
    partCycle_.stopPolling();
    // What the folder cannot take within the wait stays queued for the next start.
    dfqExport_.stop();
    linkServer_.close();
    lifecycle_.Form_Unload(minimised, position);
}

// ---- Windows ----

void Session::Windows::setCaption(const QString &caption) {
    caption_ = caption;
    if (view != nullptr) {
        view->captionChanged(caption);
    }
}

void Session::Windows::UpdateMainDisplay() {
    session_.scan_.UpdateMainDisplay();
}

void Session::Windows::RebuildDisplays() {
    session_.scan_.RebuildDisplays();
}

bool Session::Windows::gridEnabled() const {
    return session_.commands_.marks().grid;
}

bool Session::Windows::barsEnabled() const {
    return session_.commands_.marks().bars;
}

void Session::Windows::SetGridValue(int position, const QString &text) {
    if (view != nullptr) {
        view->SetGridValue(position, text);
    }
}

void Session::Windows::SetBarValue(int position, float value) {
    if (view != nullptr) {
        view->SetBarValue(position, value);
    }
}

void Session::Windows::SetValueNote(int position, const ValueNote &note) {
    if (view != nullptr) {
        view->SetValueNote(position, note);
    }
}

void Session::Windows::UpdateGridDisplay() {
    if (view != nullptr) {
        view->UpdateGridDisplay();
    }
}

void Session::Windows::UpdateBarDisplay() {
    if (view != nullptr) {
        view->UpdateBarDisplay();
    }
}

void Session::Windows::setDisplaysPaused(bool paused) {
    if (view != nullptr) {
        view->displaysPaused(paused);
    }
}

void Session::Windows::setUnitNotice(const QString &text) {
    if (view != nullptr) {
        view->unitNoticeChanged(text);
    }
}

void Session::Windows::showStatus(const QString &text) {
    if (view != nullptr) {
        view->statusChanged(text);
    }
}

void Session::Windows::setViewChecked(int viewType, bool checked) {
    session_.commands_.setViewMark(viewType, checked);
}

void Session::Windows::marksChanged() {
    if (view != nullptr) {
        view->marksChanged();
    }
}

void Session::Windows::showGrid(bool visible) {
    if (view != nullptr) {
        view->showGrid(visible);
    }
}

void Session::Windows::showBars(bool visible) {
    if (view != nullptr) {
        view->showBars(visible);
    }
}

DialogResult Session::Windows::showDialog(CommandDialog dialog, bool modal) {
    return view != nullptr ? view->showDialog(dialog, modal) : DialogResult::Cancelled;
}

bool Session::Windows::isDialogOpen(CommandDialog dialog) const {
    return view != nullptr && view->isDialogOpen(dialog);
}

// ---- Items ----

int Session::Items::GetCurrentChannel() const {
    const DialogTools &d = session_.dialogs_;
    return std::max(d.setupChan.GetCurrentChannel(), d.mastering.currentChannel());
}

void Session::Items::SetCurrentChannel(int channel) {
    DialogTools &d = session_.dialogs_;
    if (d.setupChan.GetCurrentChannel() > channel) {
        d.setupChan.channelsShrankTo(channel);
    }
    d.mastering.channelsShrankTo(channel);
}

// Each input kind has one dialog. Setup construction sets its current input only when a smaller
// count leaves the dialog beyond it, before the inputs go.
int Session::Items::GetCurrentLvdt() const {
    return session_.dialogs_.setupLvdt.GetCurrentLvdt();
}

void Session::Items::SetCurrentLvdt(int lvdt) {
    session_.dialogs_.setupLvdt.lvdtsShrankTo(lvdt);
}

int Session::Items::GetCurrentAnalog() const {
    return session_.dialogs_.setupAnalog.GetCurrentAnalog();
}

void Session::Items::SetCurrentAnalog(int input) {
    session_.dialogs_.setupAnalog.analogsShrankTo(input);
}

}  // namespace zelapp
