// What the program is made of, without any window: the settings and shared state, the setup,
// the file commands, help, the scan cycle, the main window's commands and close sequence, the
// live-value service and the dialogs' tools. main(), the tests and the benchmarks all build
// the program through this one object; the widgets attach to it as its MainWindowView.
#pragma once

#include <QLocale>
#include <QString>
#include <functional>
#include <memory>

#include "base/app_state.h"
#include "base/help.h"
#include "base/main_window_port.h"
#include "base/prompter.h"
#include "base/wait_clock.h"
#include "base/wall_clock.h"
#include "core/last_folder_chooser.h"
#include "core/main_lifecycle.h"
#include "core/recent_setups.h"
#include "core/scan_cycle.h"
#include "core/startup.h"
#include "core/unsaved_setup.h"
#include "dfq/dfq_export.h"
#include "dialogs/dialog_tools.h"
#include "dialogs/main_commands.h"
#include "exchange/link_server.h"
#include "exchange/part_topic_service.h"
#include "history/part_history.h"
#include "model/model_context.h"
#include "model/palette_setting.h"
#include "part/part_cycle.h"
#include "part/part_program_tool.h"
#include "setup/channel_labels.h"
#include "setup/current_items.h"
#include "setup/mastered_times.h"
#include "setup/part_program.h"
#include "setup/setup.h"
#include "setup/setup_commands.h"
#include "stats/process_watch.h"
#include "unit/unit_api.h"
#include "unit/unit_connection.h"
#include "unit/unit_recovery.h"

namespace zelapp {

class FileChooser;
class InstanceLock;
class SettingsStore;

struct SessionServices {
    UnitApi &unit;
    Prompter &prompter;
    FileChooser &chooser;
    HelpViewer &helpViewer;
    SettingsStore &store;
    InstanceLock &instanceLock;
    QString programFolder;
    QString commandLine;  // the program's arguments as one text
    QString serviceName;  // the name other programs reach the live values under
    // The separator of numbers in files, dialogs and live values.
    QLocale locale = QLocale();
    // Runs the attempts to reach a lost unit; none: on a worker thread of the session's own.
    AttemptRunner *attemptRunner = nullptr;
    // The clock the calibration store waits on; none: the event loop's.
    WaitClock *clock = nullptr;
    // The clock the scan measures its time with the unit by; none: the steady clock.
    const ElapsedClock *scanClock = nullptr;
    // The time of day mastering is stamped with; none: the system's.
    const WallClock *wallClock = nullptr;
    // The parts' history file (--db); empty: the environment, the settings or the default.
    QString partsDatabase;
    // The DFQ folders' file layer; none: this computer's. It must outlive the session.
    DfqFolder *dfqFolder = nullptr;
    // What tries the DFQ folders again; none: every 10 s.
    DfqRetryTick *dfqTick = nullptr;
    // What judges the run rules of each part recorded; none: computeStats.
    StatsJudge statsJudge = {};
    // What tells the unit's recovery that a device appeared; none: the device folder watched.
    DeviceWatch *deviceWatch = nullptr;
    // The clock the unit's recovery times its quick retries by; none: the steady clock.
    const ElapsedClock *recoveryClock = nullptr;
};

// What a stop the system asked for came to (Session::closeQuietly).
struct QuietClose {
    bool closed = false;      // false: it came before the main window had loaded; nothing to do
    int partsLost = 0;        // kept in memory, and the history did not take them in time
    QString historyFile;      // where they should have gone
    KeptSetup keptSetup;      // where the unsaved setup went
    QString settingsProblem;  // why zelapp.ini could not be written; empty when it was
};

// The main window's side: what the session shows through the widgets. Without one attached the
// session runs headless and shows nothing.
class MainWindowView {
  public:
    virtual ~MainWindowView() = default;
    virtual void captionChanged(const QString &caption) = 0;
    virtual void marksChanged() = 0;
    virtual void SetGridValue(int position, const QString &text) = 0;
    virtual void SetBarValue(int position, float value) = 0;
    virtual void SetValueNote(int position, const ValueNote &note) = 0;
    virtual void UpdateGridDisplay() = 0;
    virtual void UpdateBarDisplay() = 0;
    // The grid and the bars are not updated (UpdateEnabled off): told at every tick.
    virtual void displaysPaused(bool paused) = 0;
    virtual void showGrid(bool visible) = 0;
    virtual void showBars(bool visible) = 0;
    virtual DialogResult showDialog(CommandDialog dialog, bool modal) = 0;
    virtual bool isDialogOpen(CommandDialog dialog) const = 0;
    // The unit was lost, is being tried again, or is back.
    virtual void unitStatusChanged(const UnitStatus &status) = 0;
    // The line about the unit's refusals and slowness; empty: none.
    virtual void unitNoticeChanged(const QString &text) = 0;
    // The status line's confirmation.
    virtual void statusChanged(const QString &text) = 0;
};

class Session {
  public:
    explicit Session(const SessionServices &services);
    ~Session();
    Session(const Session &) = delete;
    Session &operator=(const Session &) = delete;

    void attachView(MainWindowView *view) { windows_.view = view; }

    // The start-up routine; showMainWindow creates the window, which runs Form_Load.
    StartupResult start(std::function<void()> showMainWindow);
    // The main window's load without the window: caption, live-value service, command line,
    // the setup file, the displays, updating on and the windows the switches ask for.
    void Form_Load();
    // The close sequence: false when the operator cancelled. Form_Unload stops the service
    // and writes what is kept (the window's place unless it is minimised).
    bool Form_QueryUnload();
    void Form_Unload(bool minimised, MainPosition position);
    // The close of a stop the system asked for (SIGTERM and the like), where nobody can be
    // asked: File > Exit without its questions. Nothing new starts (no cycle, the live-value
    // service closed), the parts kept in memory are written if the history takes them within
    // 5 s, a modified setup is not saved but kept beside its file (UnsavedSetups), zelapp.ini is
    // written and help closed, and the DFQ export stops. Before Form_Load it does nothing: the
    // settings were not all read. Form_Unload may follow, as after Form_QueryUnload.
    QuietClose closeQuietly();

    const SessionServices &services() const { return services_; }
    AppState &state() { return state_; }
    // The unit as the program reaches it: through the connection, which keeps the copy.
    UnitConnection &unit() { return connection_; }
    UnitRecovery &recovery() { return recovery_; }
    Setup &setup() { return setup_; }
    SetupCommands &setupCommands() { return setupCommands_; }
    // The File menu's last setups; the file commands add to it.
    RecentSetups &recentSetups() { return recent_; }
    // The file dialogs as the program's parts ask for them: opening in the last folder used.
    FileChooser &chooser() { return folders_; }
    ChannelLabels &labels() { return labels_; }
    Help &help() { return help_; }
    ScanCycle &scan() { return scan_; }
    MainCommands &commands() { return commands_; }
    MainLifecycle &lifecycle() { return lifecycle_; }
    LinkServer &linkServer() { return linkServer_; }
    MainWindowPort &mainWindow() { return windows_; }
    DialogTools &dialogs() { return dialogs_; }
    // When each channel was last mastered, what is due and what must be mastered again. The
    // grid's tooltip asks masteringNote(n), the main window's status dueStatusText(); both
    // follow MasteredTimes::changed.
    MasteredTimes &masteredTimes() { return masteredTimes_; }
    // The part program of the setup in use (from the part file beside it) and the part cycle
    // that measures by it.
    ActivePartProgram &partProgram() { return partProgram_; }
    PartCycle &partCycle() { return partCycle_; }
    // The part program dialog's tool (Parts > Part Program...).
    PartProgramTool &partProgramTool() { return partProgramTool_; }
    // Every part ended, recorded before it is shown.
    PartHistory &partHistory() { return partHistory_; }
    // The parts recorded for the quality system, written into the DFQ folders.
    DfqExport &dfqExport() { return dfqExport_; }
    // The run rules watched on each part recorded, and the causes awaited.
    ProcessWatch &processWatch() { return processWatch_; }
    // The palette the verdicts are shown in, everywhere.
    PaletteSetting &palette() { return palette_; }

  private:
    // The windows as the headless parts see them, forwarding to the attached view.
    class Windows : public MainWindowPort {
      public:
        explicit Windows(Session &session) : session_(session) {}
        void setCaption(const QString &caption) override;
        QString caption() const override { return caption_; }
        void UpdateMainDisplay() override;
        void RebuildDisplays() override;
        bool gridEnabled() const override;
        bool barsEnabled() const override;
        void SetGridValue(int position, const QString &text) override;
        void SetBarValue(int position, float value) override;
        void SetValueNote(int position, const ValueNote &note) override;
        void UpdateGridDisplay() override;
        void UpdateBarDisplay() override;
        void setDisplaysPaused(bool paused) override;
        void setUnitNotice(const QString &text) override;
        void showStatus(const QString &text) override;
        void setViewChecked(int viewType, bool checked) override;
        void marksChanged() override;
        void showGrid(bool visible) override;
        void showBars(bool visible) override;
        DialogResult showDialog(CommandDialog dialog, bool modal) override;
        bool isDialogOpen(CommandDialog dialog) const override;

        MainWindowView *view = nullptr;

      private:
        Session &session_;
        QString caption_;
    };

    // The dialogs' current items as setup construction moves them. The channel is that of the
    // two windows that step through channels: the setup asks for the later of the two and
    // moves each that lies beyond a smaller count.
    class Items : public CurrentItems {
      public:
        explicit Items(Session &session) : session_(session) {}
        int GetCurrentChannel() const override;
        void SetCurrentChannel(int channel) override;
        int GetCurrentLvdt() const override;
        void SetCurrentLvdt(int lvdt) override;
        int GetCurrentAnalog() const override;
        void SetCurrentAnalog(int input) override;

      private:
        Session &session_;
    };

    void startLinkService();

    SessionServices services_;
    LastFolderChooser folders_;
    RecentSetups recent_;
    UnsavedSetups unsaved_;
    std::unique_ptr<AttemptRunner> ownRunner_;  // when the services bring none
    EventLoopClock ownClock_;                   // when the services bring none
    UnitConnection connection_;
    AppState state_;
    ChannelLabels labels_;
    Windows windows_{*this};
    Items items_{*this};
    RefusalLog refusals_;  // what the unit refused of a setup sent to it whole
    ModelContext context_;
    Setup setup_;
    SystemWallClock ownWallClock_;  // when the services bring none
    MasteredTimes masteredTimes_;
    QString dueShown_;  // the channels due, as the status line last said
    SetupCommands setupCommands_;
    Help help_;
    ScanCycle scan_;
    ActivePartProgram partProgram_;
    PartProgramTool partProgramTool_;
    SteadyClock ownSteadyClock_;  // when the services bring no scan clock
    PartCycle partCycle_;
    PartHistory partHistory_;  // first to hear of a part: nothing shows it before it is stored
    DfqExport dfqExport_;
    ProcessWatch processWatch_;
    PaletteSetting palette_;
    DialogTools dialogs_;
    MainCommands commands_;
    LinkServer linkServer_;
    PartTopicService partTopic_;  // the service's topic "Part"
    MainLifecycle lifecycle_;
    std::unique_ptr<FolderDeviceWatch> ownDeviceWatch_;  // when the services bring none
    UnitRecovery recovery_;
    bool loaded_ = false;  // Form_Load has begun: the settings were read
};

}  // namespace zelapp
