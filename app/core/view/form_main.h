// The main window: the menu bar and the five buttons from which every other window is opened,
// the timer that drives the scan, and the close sequence. It is the displays' host and the
// core's view of the main window; the logic sits in MainCommands, ScanCycle and MainLifecycle.
#pragma once

#include <QMainWindow>
#include <QString>
#include <QTimer>
#include <memory>

#include "base/settings_store.h"
#include "core/session.h"
#include "display/display_host.h"

class QAction;

namespace Ui {
class FormMain;
}

namespace zelapp {

class DialogHost;
class DlgCopyLink;
class FormGridDisplay;
class FormLinGage;
class FormPartHistory;
class FormStatistics;
class FormPartResult;

class FormMain : public QMainWindow, public MainWindowView, public DisplayHost {
    Q_OBJECT
  public:
    explicit FormMain(Session &session, QWidget *parent = nullptr);
    ~FormMain() override;

    // Places the window, reads the command line, loads its setup, rebuilds the displays,
    // starts the timer and switches updating on; the caller shows the window afterwards.
    void Form_Load();
    // One scan tick (what Timer1 runs every 400 ms).
    void Timer1_Timer();
    // A stop the system asked for: the window closes as File > Exit closes it, without a
    // question (Session::closeQuietly); open dialogs go without asking about their edits.
    // unloaded() follows.
    QuietClose closeQuietly();

    FormGridDisplay *gridWindow() const { return grid_; }
    FormLinGage *barWindow() const { return bars_; }
    DlgCopyLink *copyLinkDialog() const { return copyLink_; }
    // The part result window, made on first use.
    FormPartResult *partResultWindow() const { return partResult_; }
    FormPartResult &ensurePartResult();
    // The history window, made on first use.
    FormPartHistory *partHistoryWindow() const { return partHistory_; }
    FormPartHistory &ensurePartHistory();
    // The statistics window, made on first use.
    FormStatistics *statisticsWindow() const { return statistics_; }
    FormStatistics &ensureStatistics();
    DialogHost &dialogs() { return *dialogs_; }
    Session &session() { return session_; }
    MainCommands &commands() { return session_.commands(); }
    MainLifecycle &lifecycle() { return session_.lifecycle(); }
    QTimer &timer() { return timer_; }
    LinkServer &linkServer() { return session_.linkServer(); }
    QString caption() const;
    void UpdateMainDisplay();

    // MainWindowView
    void captionChanged(const QString &caption) override;
    void marksChanged() override;
    void SetGridValue(int position, const QString &text) override;
    void SetBarValue(int position, float value) override;
    void SetValueNote(int position, const ValueNote &note) override;
    void UpdateGridDisplay() override;
    void UpdateBarDisplay() override;
    // "DISPLAY PAUSED" across the grid and the bars while updating is off.
    void displaysPaused(bool paused) override;
    void showGrid(bool visible) override;
    void showBars(bool visible) override;
    DialogResult showDialog(CommandDialog dialog, bool modal) override;
    bool isDialogOpen(CommandDialog dialog) const override;
    // The strip under the buttons says the unit is lost, since when, and offers Reconnect;
    // the window grows by it while it is shown.
    void unitStatusChanged(const UnitStatus &status) override;
    // A second strip, in amber, says what the unit refuses or that it answers slowly.
    void unitNoticeChanged(const QString &text) override;
    // One line under the buttons (the window grows by it once it has something to say).
    void statusChanged(const QString &text) override;

    // DisplayHost
    void GotoSetupFromView(int index) override;
    void EnableGrid_Click() override;
    void EnableBarGraphs_Click() override;
    void ShowLinkPopupAt(int channel, float x, float y) override;
    void ShowCalibrateAt(int lvdt, float x, float y) override;
    bool barValuesShown() const override { return readShowBarValues(session_.services().store); }
    void setBarValuesShown(bool shown) override {
        writeShowBarValues(session_.services().store, shown);
    }
    PaletteSetting *paletteSetting() override { return &session_.palette(); }

  public slots:
    // Parts > Measure and F9: a refusal is said in the status line.
    void measurePart();
    // Parts > Result and the "Parts" button.
    void showPartResult();
    // Parts > History.
    void showPartHistory();
    // Parts > Statistics.
    void showStatistics();
    // Parts > Export CSV...: the history window, exporting the parts it shows.
    void exportParts();
    // Parts > Settings...: the palette and the beep, kept in the per-user settings store.
    void openPartSettings();
    // Parts > Part Program...
    void openPartProgram();

  signals:
    // The window has closed for good (after Form_Unload); the program ends.
    void unloaded();

  protected:
    void closeEvent(QCloseEvent *event) override;
    void showEvent(QShowEvent *event) override;

  private:
    void connectCommands();
    // The File menu's entries of the last setups, between Save As and Exit.
    void rebuildRecentSetups();
    // Qt flips a checkable item before its handler runs; after a menu command the marks are
    // set back from the commands' record.
    void restoreCheckMarks();
    QAction *viewAction(int viewType) const;
    void placeWindow();
    void applyFixedSize();
    FormGridDisplay &ensureGrid();
    FormLinGage &ensureBars();
    void Form_Unload();
    void connectParts();
    // Parts > Cancel is offered while a cycle runs.
    void cycleStateChanged();

    std::unique_ptr<Ui::FormMain> ui_;
    Session &session_;
    AppState &state_;
    QTimer timer_;
    std::unique_ptr<DialogHost> dialogs_;
    FormGridDisplay *grid_ = nullptr;  // created on first use, then shown and hidden
    FormLinGage *bars_ = nullptr;
    DlgCopyLink *copyLink_ = nullptr;         // the bars' link pop-up, a child made on first use
    FormPartResult *partResult_ = nullptr;    // a window of its own, made on first use
    FormPartHistory *partHistory_ = nullptr;  // likewise
    FormStatistics *statistics_ = nullptr;    // likewise
    std::vector<QWidget *> loadedWindows_;    // the other windows, in the order they were made
    std::vector<QAction *> recentActions_;    // the last setups' entries and their separators
    bool unloaded_ = false;
};

}  // namespace zelapp
