// The program's headless session as main() builds it, with stand-ins for the platform and a
// recording main window view. The unit is the fake unit unless a test passes its own (the real
// library against the emulator). The live-value service is not started: Form_Load is the
// window's, and tests that want it use AppFixture.
#pragma once

#include <QDir>
#include <QLocale>
#include <QString>
#include <algorithm>
#include <functional>
#include <memory>
#include <utility>
#include <vector>

#include "base/settings_store.h"
#include "core/instance_lock.h"
#include "core/session.h"
#include "deferred_runner.h"
#include "fake_unit.h"
#include "manual_clock.h"
#include "manual_device_watch.h"
#include "no_help_viewer.h"
#include "recording_ports.h"
#include "scripted_prompter.h"
#include "switchable_dfq_folder.h"
#include "temp_folder.h"

namespace zeltest {

// What the session showed through the main window.
class RecordingView : public zelapp::MainWindowView {
  public:
    QString caption;
    std::vector<std::pair<int, QString>> gridValues;
    std::vector<std::pair<int, float>> barValues;
    std::vector<std::pair<int, zelapp::ValueNote>> notes;
    std::vector<QString> notices;                                 // each notice line shown
    std::vector<QString> statuses;                                // each status line confirmation
    std::vector<std::pair<zelapp::CommandDialog, bool>> dialogs;  // shown, modal
    std::vector<zelapp::CommandDialog> openDialogs;
    zelapp::DialogResult answer = zelapp::DialogResult::Cancelled;
    std::function<void()> whileModal;  // runs while a modal dialog is open
    std::vector<zelapp::UnitStatus> unitStatuses;
    std::vector<bool> pausedCalls;  // what each tick said of updating
    int gridRebuilds = 0;

    void captionChanged(const QString &text) override { caption = text; }
    void marksChanged() override {}
    void SetGridValue(int position, const QString &text) override {
        gridValues.emplace_back(position, text);
    }
    void SetBarValue(int position, float value) override {
        barValues.emplace_back(position, value);
    }
    void SetValueNote(int position, const zelapp::ValueNote &note) override {
        notes.emplace_back(position, note);
    }
    void UpdateGridDisplay() override { ++gridRebuilds; }
    void UpdateBarDisplay() override {}
    void displaysPaused(bool paused) override { pausedCalls.push_back(paused); }
    void showGrid(bool) override {}
    void showBars(bool) override {}
    zelapp::DialogResult showDialog(zelapp::CommandDialog dialog, bool modal) override {
        dialogs.emplace_back(dialog, modal);
        if (modal && whileModal) {
            whileModal();
        }
        return modal ? answer : zelapp::DialogResult::Shown;
    }
    bool isDialogOpen(zelapp::CommandDialog dialog) const override {
        return std::find(openDialogs.begin(), openDialogs.end(), dialog) != openDialogs.end();
    }
    void unitStatusChanged(const zelapp::UnitStatus &status) override {
        unitStatuses.push_back(status);
    }
    void unitNoticeChanged(const QString &text) override { notices.push_back(text); }
    void statusChanged(const QString &text) override { statuses.push_back(text); }
};

struct SessionFixture {
    FakeUnit fakeUnit;
    ScriptedPrompter prompter;
    FakeFileChooser chooser;
    NoHelpViewer helpViewer;
    zelapp::MemorySettingsStore store;
    TempFolder folder;  // the program folder
    zelapp::InstanceLock lock{QDir(programFolder()).filePath(QStringLiteral("zelapp.lock"))};
    RecordingView view;
    DeferredRunner attempts;        // reconnection attempts run when the test finishes them
    ManualClock clock;              // the calibration store's waits
    ManualElapsedClock scanClock;   // the scan's time with the unit
    ManualWallClock wallClock;      // the time of day mastering is stamped with
    SwitchableDfqFolder dfqFolder;  // the DFQ folders, which the tests take away
    zelapp::DfqRetryTick dfqTick;   // the DFQ export's tries again, fired by the tests
    zelapp::StatsJudge statsJudge;  // what judges the run rules; none: computeStats
    // For the fake unit: devices appearing and the recovery's quick second as the test says; a
    // real unit has its device folder watched and the steady clock.
    ManualDeviceWatch deviceWatch;
    ManualElapsedClock recoveryClock;
    std::unique_ptr<zelapp::Session> session;

    // A runner of the caller's own replaces the attempts the test finishes itself.
    explicit SessionFixture(zelapp::UnitApi *unit = nullptr,
                            zelapp::AttemptRunner *runner = nullptr,
                            const QString &commandLine = {}) {
        session = std::make_unique<zelapp::Session>(zelapp::SessionServices{
            unit != nullptr ? *unit : fakeUnit,
            prompter,
            chooser,
            helpViewer,
            store,
            lock,
            programFolder(),
            commandLine,
            QStringLiteral("zelapp"),
            QLocale::c(),
            runner != nullptr ? runner : &attempts,
            &clock,
            &scanClock,
            &wallClock,
            QString::fromStdString(folder.path()) + QStringLiteral("/parts.db"),
            &dfqFolder,
            &dfqTick,
            [this](const std::vector<zelapp::SeriesValue> &values,
                   const zelapp::StatsOptions &options) {
                return statsJudge ? statsJudge(values, options)
                                  : zelapp::computeStats(values, options);
            },
            unit != nullptr ? nullptr : &deviceWatch,
            unit != nullptr ? nullptr : &recoveryClock});
        session->attachView(&view);
    }

    QString programFolder() const { return QString::fromStdString(folder.path()); }

    // Runs start-up without a window; the scan cycle then runs as the window would drive it:
    // displays rebuilt, no hold, updating on, and parts may be measured.
    zelapp::StartupResult start() {
        const zelapp::StartupResult result = session->start(nullptr);
        if (result == zelapp::StartupResult::Running) {
            session->scan().UpdateMainDisplay();
            session->state().ScanHoldCount = 0;
            session->commands().UpdateToggle_Click();
            session->partCycle().programStarted();
        }
        return result;
    }

    // Measures one part to its end on the scan's clock; false when the cycle refused it or did
    // not reach its result.
    bool measurePart() {
        zelapp::PartCycle &cycle = session->partCycle();
        if (!cycle.measure().isEmpty()) {
            return false;
        }
        for (int i = 0; i < 200 && cycle.state() != zelapp::CycleState::Result; ++i) {
            scanClock.now += zelapp::PartCycle::kPollMs;
            cycle.poll();
        }
        return cycle.state() == zelapp::CycleState::Result;
    }

    zelapp::AppState &state() { return session->state(); }
    zelapp::Setup &setup() { return session->setup(); }
};

}  // namespace zeltest
