// The main window: the menu bar and the five buttons from which every other window is opened,
// the timer that drives the scan, and the close sequence. It is the displays' host and the
// core's view of the main window; the logic sits in MainCommands, ScanCycle and MainLifecycle.
#pragma once

#include <QMainWindow>
#include <QString>
#include <QTimer>
#include <map>
#include <memory>

#include "base/main_window_port.h"
#include "core/main_lifecycle.h"
#include "core/scan_cycle.h"
#include "dialogs/main_commands.h"
#include "display/display_host.h"
#include "exchange/link_server.h"

class QAction;

namespace Ui {
class FormMain;
}

namespace zelapp {

class DlgCopyLink;
class FormGridDisplay;
class FormLinGage;
class SetupCommands;
class SettingsStore;

struct MainWindowServices {
    AppState &state;
    Setup &setup;
    UnitApi &unit;
    Prompter &prompter;
    SetupCommands &setupCommands;
    Help &help;
    SettingsStore &store;
    CurrentItems &currentItems;
    QString programFolder;
    QString commandLine;  // the program's arguments as one text
};

class FormMain : public QMainWindow,
                 public MainWindowPort,
                 public ScanDisplays,
                 public CommandWindows,
                 public DisplayHost {
    Q_OBJECT
  public:
    explicit FormMain(const MainWindowServices &services, QWidget *parent = nullptr);
    ~FormMain() override;

    // Places the window, reads the command line, loads its setup, rebuilds the displays,
    // starts the timer and switches updating on; the caller shows the window afterwards.
    void Form_Load();
    // One scan tick (what Timer1 runs every 400 ms).
    void Timer1_Timer();

    FormGridDisplay *gridWindow() const { return grid_; }
    FormLinGage *barWindow() const { return bars_; }
    DlgCopyLink *copyLinkDialog() const { return copyLink_; }
    MainCommands &commands() { return commands_; }
    MainLifecycle &lifecycle() { return lifecycle_; }
    QTimer &timer() { return timer_; }
    LinkServer &linkServer() { return linkServer_; }

    // MainWindowPort
    void setCaption(const QString &caption) override;
    QString caption() const override;
    void UpdateMainDisplay() override;
    void RebuildDisplays() override;

    // ScanDisplays
    bool gridEnabled() const override;
    bool barsEnabled() const override;
    void SetGridValue(int position, const QString &text) override;
    void SetBarValue(int position, float value) override;
    void UpdateGridDisplay() override;
    void UpdateBarDisplay() override;
    void setViewChecked(int viewType, bool checked) override;

    // CommandWindows
    bool isChecked(MenuCheck item) const override;
    void setChecked(MenuCheck item, bool checked) override;
    void showGrid(bool visible) override;
    void showBars(bool visible) override;
    void showDialog(CommandDialog dialog, bool modal) override;

    // DisplayHost
    void GotoSetupFromView(int index) override;
    void EnableGrid_Click() override;
    void EnableBarGraphs_Click() override;
    void ShowLinkPopupAt(int channel, float x, float y) override;
    void ShowCalibrateAt(int lvdt, float x, float y) override;

  signals:
    // The window has closed for good (after Form_Unload); the program ends.
    void unloaded();

  protected:
    void closeEvent(QCloseEvent *event) override;
    void showEvent(QShowEvent *event) override;

  private:
    void connectCommands();
    void disableCommandsWithoutWindows();
    // Qt flips a checkable item before its handler runs; after a menu command the marks are
    // set back from our record (setChecked and setViewChecked keep both in step otherwise).
    void restoreCheckMarks();
    QAction *checkAction(MenuCheck item) const;
    QAction *viewAction(int viewType) const;
    void placeWindow();
    void applyFixedSize();
    FormGridDisplay &ensureGrid();
    FormLinGage &ensureBars();
    void Form_Unload();
    void startLinkService();

    std::unique_ptr<Ui::FormMain> ui_;
    MainWindowServices services_;
    AppState &state_;

    // The dialogs' live-value fields; no dialog asks for them yet, so nothing is fed.
    class NoLiveFields : public LiveValueFields {
      public:
        void setMasteringValue(const QString &) override {}
        void setSetupChanValue(const QString &) override {}
        QString currentLvdtText() const override { return {}; }
        void setLvdtValue(const QString &) override {}
        QString currentAnalogText() const override { return {}; }
        void setAnalogValue(const QString &) override {}
    } liveFields_;

    ScanCycle scan_;
    MainCommands commands_;
    MainLifecycle lifecycle_;
    QTimer timer_;
    LinkServer linkServer_;
    // Other programs reach the live values under the program's file name.
    QString serviceName_;
    std::map<MenuCheck, bool> checks_;  // the marks of EnableGrid, EnableBarGraphs, UpdateToggle
    int checkedView_ = 0;               // the view whose item carries the mark; 0 none
    FormGridDisplay *grid_ = nullptr;   // created on first use, then shown and hidden
    FormLinGage *bars_ = nullptr;
    DlgCopyLink *copyLink_ = nullptr;       // the bars' link pop-up, a child made on first use
    std::vector<QWidget *> loadedWindows_;  // the other windows, in the order they were made
    bool unloaded_ = false;
};

}  // namespace zelapp
