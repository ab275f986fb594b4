// The whole program in-process, as main() builds it, with stand-ins for the platform: scripted
// message boxes, file dialogs that answer from the test, no help viewer unless the test brings
// one, settings in memory and a private program folder and lock. The unit is the fake unit
// unless a test passes its own (the real library against the emulator).
#pragma once

#include <QDir>
#include <QString>
#include <memory>

#include "base/settings_store.h"
#include "core/instance_lock.h"
#include "core/view/application.h"
#include "core/view/form_main.h"
#include "deferred_runner.h"
#include "fake_unit.h"
#include "manual_clock.h"
#include "manual_device_watch.h"
#include "no_help_viewer.h"
#include "recording_ports.h"
#include "scripted_prompter.h"
#include "setup/setup.h"
#include "temp_folder.h"

namespace zeltest {

struct AppFixture {
    FakeUnit fakeUnit;
    ScriptedPrompter prompter;
    FakeFileChooser chooser;
    NoHelpViewer helpViewer;
    zelapp::HelpViewer *viewer = nullptr;  // a test's own help viewer, set before start()
    zelapp::MemorySettingsStore store;
    TempFolder folder;      // the program folder: zelapp.ini is written here
    TempFolder linkFolder;  // the live-value service's socket
    ScopedEnv linkFolderEnv{"ZEL_DDE_DIR", linkFolder.path().c_str()};
    zelapp::InstanceLock lock{QDir(programFolder()).filePath(QStringLiteral("zelapp.lock"))};
    DeferredRunner attempts;        // reconnection attempts run when the test finishes them
    ManualClock clock;              // the calibration store's waits
    zelapp::StatsJudge statsJudge;  // what judges the run rules; none: computeStats
    ManualDeviceWatch deviceWatch;  // devices appearing, for the fake unit; a real one watches
    std::unique_ptr<zelapp::Application> app;

    QString programFolder() const { return QString::fromStdString(folder.path()); }
    QString iniPath() const { return QDir(programFolder()).filePath(QStringLiteral("zelapp.ini")); }

    // Starts the program with a command line; the scan timer is stopped so that ticks happen
    // only when a test calls Timer1_Timer.
    zelapp::StartupResult start(const QString &commandLine = {}, zelapp::UnitApi *unit = nullptr) {
        app = std::make_unique<zelapp::Application>(zelapp::SessionServices{
            unit != nullptr ? *unit : fakeUnit, prompter, chooser,
            viewer != nullptr ? *viewer : helpViewer, store, lock, programFolder(), commandLine,
            QString(), QLocale(), &attempts, &clock, nullptr, nullptr,
            QDir(programFolder()).filePath(QStringLiteral("parts.db")), nullptr, nullptr,
            [this](const std::vector<zelapp::SeriesValue> &values,
                   const zelapp::StatsOptions &options) {
                return statsJudge ? statsJudge(values, options)
                                  : zelapp::computeStats(values, options);
            },
            unit != nullptr ? nullptr : &deviceWatch});
        const zelapp::StartupResult result = app->start();
        if (window() != nullptr) {
            window()->timer().stop();
        }
        return result;
    }

    // Gives every channel a formula, so that the channels measure: one without a formula shows
    // no value at all.
    void defineEveryChannel() {
        for (int i = 1; i <= app->setup().channelCount(); ++i) {
            app->setup().channel(i)->setFormula(QStringLiteral("T1"));
        }
    }

    zelapp::FormMain *window() const { return app ? app->mainWindow() : nullptr; }
    zelapp::AppState &state() { return app->state(); }
};

}  // namespace zeltest
