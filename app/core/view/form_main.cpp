#include "core/view/form_main.h"

#include <QCloseEvent>
#include <QCoreApplication>
#include <QDate>
#include <QDir>
#include <QGuiApplication>
#include <QSysInfo>

#include "base/folder_question.h"
#include "base/help_topics.h"
#include "base/settings_store.h"
#include "core/command_line.h"
#include "core/view/palette_offer.h"
#include "core/view/session_context.h"
#include "dfq/dfq_settings.h"
#include "dialogs/view/dialog_host.h"
#include "display/twips.h"
#include "display/view/form_grid_display.h"
#include "display/view/form_lin_gage.h"
#include "exchange/link_address.h"
#include "exchange/link_copy.h"
#include "exchange/view/dlg_copy_link.h"
#include "history/part_history.h"
#include "history/parts_location.h"
#include "history/view/form_part_history.h"
#include "part/operator_measure.h"
#include "part/part_settings.h"
#include "part/view/dlg_part_settings.h"
#include "part/view/form_part_program.h"
#include "part/view/form_part_result.h"
#include "setup/setup.h"
#include "setup/setup_commands.h"
#include "stats/view/form_statistics.h"
#include "ui_form_main.h"
#include "view/window_place.h"

namespace zelapp {

namespace {
// The main window's fixed outer size, in twips.
constexpr int kMainWidthTwips = 6540;
constexpr int kMainHeightTwips = 1230;
constexpr int kScanIntervalMs = 400;
}  // namespace

FormMain::FormMain(Session &session, QWidget *parent)
    : QMainWindow(parent),
      ui_(std::make_unique<Ui::FormMain>()),
      session_(session),
      state_(session.state()),
      dialogs_(std::make_unique<DialogHost>(sessionContext(session), *this)) {
    ui_->setupUi(this);
    timer_.setObjectName(QStringLiteral("Timer1"));
    connectCommands();
    connectParts();
    // A top-level item of the menu bar: its shortcut (F1) is the window's.
    addAction(ui_->mnuHelpContents);
    connect(&timer_, &QTimer::timeout, this, &FormMain::Timer1_Timer);
    session_.attachView(this);
    session_.recentSetups().setChangedHandler([this] { rebuildRecentSetups(); });
    rebuildRecentSetups();
    setWindowTitle(session_.mainWindow().caption());
    unitStatusChanged(session_.recovery().status());
    if (session_.palette().offerDue(QGuiApplication::platformName())) {
        ui_->layoutMain->insertWidget(0, new PaletteOffer(session_.palette(), ui_->centralwidget));
    }
}

FormMain::~FormMain() {
    session_.recentSetups().setChangedHandler(nullptr);
    session_.attachView(nullptr);
}

void FormMain::rebuildRecentSetups() {
    for (QAction *action : recentActions_) {
        ui_->File->removeAction(action);
        action->deleteLater();  // the entry just chosen may be the one running
    }
    recentActions_.clear();
    RecentSetups &recent = session_.recentSetups();
    const QStringList &files = recent.files();
    if (files.isEmpty()) {
        return;
    }
    ui_->File->setToolTipsVisible(true);
    recentActions_.push_back(ui_->File->insertSeparator(ui_->ExitProgram));
    for (int i = 0; i < files.size(); ++i) {
        auto *action = new QAction(RecentSetups::caption(i, files[i]), ui_->File);
        action->setObjectName(QStringLiteral("RecentSetup%1").arg(i + 1));
        const QString path = QDir::toNativeSeparators(files[i]);
        action->setStatusTip(path);
        action->setToolTip(path);
        connect(action, &QAction::triggered, this, [this, i] {
            session_.recentSetups().open(i, session_.setupCommands());
            restoreCheckMarks();
        });
        ui_->File->insertAction(ui_->ExitProgram, action);
        recentActions_.push_back(action);
    }
    recentActions_.push_back(ui_->File->insertSeparator(ui_->ExitProgram));
}

void FormMain::connectCommands() {
    // Every command ends by putting the check marks back to the record: Qt has already flipped
    // a checkable item when its handler runs, and some commands change no mark at all.
    const auto connectTo = [this](auto *sender, auto signal, auto handler) {
        connect(sender, signal, this, [this, handler] {
            handler();
            restoreCheckMarks();
        });
    };
    const auto on = [&connectTo](QAction *action, auto handler) {
        connectTo(action, &QAction::triggered, handler);
    };
    const auto onButton = [&connectTo](QPushButton *button, auto handler) {
        connectTo(button, &QPushButton::clicked, handler);
    };
    SetupCommands &file = session_.setupCommands();
    on(ui_->LoadTest, [&file] { file.LoadTest_Click(); });
    on(ui_->NewFile, [&file] { file.NewFile_Click(); });
    on(ui_->OpenFile, [&file] { file.OpenFile_Click(); });
    on(ui_->SaveFile, [&file] { file.SaveFile_Click(); });
    on(ui_->SaveAsFile, [&file] { file.SaveAsFile_Click(); });
    on(ui_->ExitProgram, [this] { close(); });

    MainCommands &c = session_.commands();
    on(ui_->EnableGrid, [&c] { c.EnableGrid_Click(); });
    on(ui_->EnableBarGraphs, [&c] { c.EnableBarGraphs_Click(); });
    on(ui_->ViewGroups, [&c] { c.ViewGroups_Click(); });
    on(ui_->ViewChannels, [&c] { c.ViewChannels_Click(); });
    on(ui_->ViewLVDTs, [&c] { c.ViewLVDTs_Click(); });
    on(ui_->ViewAnalogs, [&c] { c.ViewAnalogs_Click(); });
    on(ui_->UpdateToggle, [&c] { c.UpdateToggle_Click(); });
    on(ui_->ViewResetMM, [&c] { c.CommandResetMM_Click(); });
    on(ui_->ZeroChannel, [&c] { c.ZeroChannel_Click(); });
    on(ui_->MasterChannel, [&c] { c.MasterChannel_Click(); });
    on(ui_->SetupGeneral, [&c] { c.SetupGeneral_Click(); });
    on(ui_->SetupLVDTs, [&c] { c.SetupLVDTs_Click(); });
    on(ui_->SetupChannels, [&c] { c.SetupChannels_Click(); });
    on(ui_->SetupGroups, [&c] { c.SetupGroups_Click(); });
    on(ui_->AboutMoxSRV, [&c] { c.AboutMoxSRV_Click(); });
    on(ui_->mnuHelpContents, [&c] { c.mnuHelpContents_Click(); });

    onButton(ui_->CommandNumbers, [&c] { c.EnableGrid_Click(); });
    onButton(ui_->CommandBarGraphs, [&c] { c.EnableBarGraphs_Click(); });
    onButton(ui_->CommandMaster, [&c] { c.MasterChannel_Click(); });
    onButton(ui_->CommandZero, [&c] { c.ZeroChannel_Click(); });
    onButton(ui_->CommandResetMM, [&c] { c.CommandResetMM_Click(); });
    connect(ui_->CommandReconnect, &QPushButton::clicked, this,
            [this] { session_.recovery().reconnect(); });
}

void FormMain::connectParts() {
    PartCycle &cycle = session_.partCycle();
    connect(ui_->ActionMeasure, &QAction::triggered, this, &FormMain::measurePart);
    connect(ui_->ActionCancel, &QAction::triggered, this, [this] {
        const QString refusal = session_.partCycle().cancel();
        if (!refusal.isEmpty()) {
            statusChanged(QStringLiteral("Cancel refused: ") + refusal);
        }
    });
    connect(ui_->ActionResult, &QAction::triggered, this, &FormMain::showPartResult);
    connect(ui_->CommandParts, &QPushButton::clicked, this, &FormMain::showPartResult);
    connect(ui_->ActionHistory, &QAction::triggered, this, &FormMain::showPartHistory);
    connect(ui_->ActionStatistics, &QAction::triggered, this, &FormMain::showStatistics);
    connect(ui_->ActionExportCsv, &QAction::triggered, this, &FormMain::exportParts);
    connect(ui_->ActionPartProgram, &QAction::triggered, this, &FormMain::openPartProgram);
    connect(ui_->ActionResetCounters, &QAction::triggered, this,
            [this] { session_.partCycle().resetCounters(); });
    connect(ui_->ActionPartSettings, &QAction::triggered, this, &FormMain::openPartSettings);
    connect(&cycle, &PartCycle::stateChanged, this, &FormMain::cycleStateChanged);
    // A reject or a Not valid part is heard, whether or not the result window is open.
    connect(&session_.partHistory(), &PartHistory::partRecorded, this,
            [this](const PartResult &part) {
                if (partBeeps(part, readPartSettings(session_.services().store))) {
                    session_.services().prompter.beep();
                }
            });
    cycleStateChanged();
}

void FormMain::cycleStateChanged() {
    ui_->ActionCancel->setEnabled(session_.partCycle().running());
}

FormPartResult &FormMain::ensurePartResult() {
    if (partResult_ == nullptr) {
        partResult_ = new FormPartResult(sessionContext(session_), this);
        loadedWindows_.push_back(partResult_);
        // A refusal stays in the status line until a Measure is taken.
        connect(partResult_, &FormPartResult::measureAnswered, this, [this](const QString &line) {
            if (!line.isEmpty() || ui_->LabelStatus->text().startsWith(measureRefusedText({}))) {
                statusChanged(line);
            }
        });
    }
    return *partResult_;
}

void FormMain::measurePart() {
    ensurePartResult().measure();
}

void FormMain::showPartResult() {
    ensurePartResult().showWindow();
}

FormPartHistory &FormMain::ensurePartHistory() {
    if (partHistory_ == nullptr) {
        partHistory_ = new FormPartHistory(sessionContext(session_), this);
        loadedWindows_.push_back(partHistory_);
    }
    return *partHistory_;
}

void FormMain::showPartHistory() {
    ensurePartHistory().showWindow();
}

FormStatistics &FormMain::ensureStatistics() {
    if (statistics_ == nullptr) {
        statistics_ = new FormStatistics(sessionContext(session_), this);
        loadedWindows_.push_back(statistics_);
    }
    return *statistics_;
}

void FormMain::showStatistics() {
    ensureStatistics().showWindow();
}

void FormMain::exportParts() {
    FormPartHistory &history = ensurePartHistory();
    history.showWindow();
    history.exportCsv();
}

void FormMain::openPartSettings() {
    SettingsStore &store = session_.services().store;
    PartHistory &history = session_.partHistory();
    const ResultsSettings results = readResultsSettings(store);
    DlgPartSettings dialog(
        readPartSettings(store), results,
        resultsHints(history.found(), QSysInfo::machineHostName(), defaultPartsFile()),
        readDfqSettings(store), session_.chooser(), this);
    dialog.setObjectName(QStringLiteral("DlgPartSettings"));
    dialog.setFolderCheck([&prompter = session_.services().prompter](const QString &folder) {
        return confirmFolder(prompter, folder, QStringLiteral("DFQ folder"));
    });
    if (dialog.exec() != QDialog::Accepted) {
        return;
    }
    writePartSettings(store, dialog.settings());
    session_.palette().choose(dialog.settings().palette);
    writeResultsSettings(store, dialog.results());
    writeDfqSettings(store, dialog.dfq());
    // The station is read at an open: the next part goes to the file and under the station
    // chosen, with the parts kept in memory.
    if (dialog.results() != results) {
        history.reopen();
    }
    // The parts waiting go out with the encoding and files chosen.
    session_.dfqExport().sendNow();
    if (partResult_ != nullptr) {
        partResult_->refresh();
    }
}

void FormMain::openPartProgram() {
    showPartProgramDialog(sessionContext(session_), this);
}

QAction *FormMain::viewAction(int viewType) const {
    switch (viewType) {
        case VIEWTYPEGROUPS:
            return ui_->ViewGroups;
        case VIEWTYPECHANNELS:
            return ui_->ViewChannels;
        case VIEWTYPELVDTS:
            return ui_->ViewLVDTs;
        case VIEWTYPEANALOGS:
            return ui_->ViewAnalogs;
        default:
            return nullptr;
    }
}

void FormMain::restoreCheckMarks() {
    const MenuMarks &marks = session_.commands().marks();
    ui_->EnableGrid->setChecked(marks.grid);
    ui_->EnableBarGraphs->setChecked(marks.bars);
    ui_->UpdateToggle->setChecked(marks.update);
    // Reset MAX/MIN waits while a part cycle runs: the cycle clears MAX/MIN itself.
    ui_->CommandResetMM->setEnabled(marks.resetMM);
    ui_->ViewResetMM->setEnabled(marks.resetMM);
    for (int view = VIEWTYPEGROUPS; view <= VIEWTYPEANALOGS; ++view) {
        viewAction(view)->setChecked(view == marks.view);
    }
}

void FormMain::marksChanged() {
    restoreCheckMarks();
}

void FormMain::Form_Load() {
    applyProgramIcon(*this, state_.AppPath);
    placeWindow();
    session_.Form_Load();
    timer_.start(kScanIntervalMs);
}

void FormMain::placeWindow() {
    const double dpi = windowDpi(*this);
    const MainPosition position = readMainPosition(session_.services().store);
    move(twipsToPixels(position.left, dpi), twipsToPixels(position.top, dpi));
    applyFixedSize();
}

void FormMain::applyFixedSize() {
    // The size is that of the whole window, frame included; the frame is known once shown.
    const double dpi = windowDpi(*this);
    const QSize frame = frameGeometry().size() - size();
    int strip = 0;
    for (const QWidget *frame :
         {static_cast<QWidget *>(ui_->FrameUnitLost), static_cast<QWidget *>(ui_->FrameUnitNotice),
          static_cast<QWidget *>(ui_->LabelStatus)}) {
        strip += frame->isHidden() ? 0 : frame->sizeHint().height();
    }
    setFixedSize(twipsToPixels(kMainWidthTwips, dpi) - frame.width(),
                 twipsToPixels(kMainHeightTwips, dpi) - frame.height() + strip);
}

void FormMain::unitStatusChanged(const UnitStatus &status) {
    const bool wasShown = !ui_->FrameUnitLost->isHidden();
    if (status.lost) {
        // A loss of another day names its date.
        const bool today = status.lostAt.date() == QDate::currentDate();
        const QString since = status.lostAt.toString(today ? QStringLiteral("HH:mm:ss")
                                                           : QStringLiteral("yyyy-MM-dd HH:mm:ss"));
        ui_->LabelLostSince->setText(status.attempting
                                         ? QStringLiteral("since %1, reconnecting...").arg(since)
                                         : QStringLiteral("since %1").arg(since));
    }
    ui_->CommandReconnect->setEnabled(status.lost && !status.attempting);
    ui_->FrameUnitLost->setVisible(status.lost);
    if (grid_ != nullptr) {
        grid_->setUnitLost(status.lost);
    }
    if (bars_ != nullptr) {
        bars_->setUnitLost(status.lost);
    }
    if (wasShown != status.lost) {
        applyFixedSize();
    }
}

void FormMain::showEvent(QShowEvent *event) {
    QMainWindow::showEvent(event);
    applyFixedSize();
}

void FormMain::Timer1_Timer() {
    session_.scan().Timer1_Timer();
    // Time passing tells nobody; a channel falls due here.
    session_.masteredTimes().checkDue();
}

void FormMain::captionChanged(const QString &caption) {
    setWindowTitle(caption);
}

QString FormMain::caption() const {
    return windowTitle();
}

void FormMain::UpdateMainDisplay() {
    session_.scan().UpdateMainDisplay();
}

void FormMain::SetGridValue(int position, const QString &text) {
    if (grid_ != nullptr) {
        grid_->SetGridValue(position, text);
    }
}

void FormMain::SetBarValue(int position, float value) {
    if (bars_ != nullptr) {
        bars_->SetBarValue(position, value);
    }
}

void FormMain::SetValueNote(int position, const ValueNote &note) {
    if (grid_ != nullptr) {
        grid_->SetGridNote(position, note);
    }
    if (bars_ != nullptr) {
        bars_->SetBarNote(position, note);
    }
}

void FormMain::unitNoticeChanged(const QString &text) {
    // Told only when it changed; its lines may change the strip's height.
    ui_->LabelUnitNotice->setText(text);
    ui_->FrameUnitNotice->setVisible(!text.isEmpty());
    applyFixedSize();
}

void FormMain::statusChanged(const QString &text) {
    const bool wasShown = !ui_->LabelStatus->isHidden();
    QString line = text;
    line.replace(QLatin1Char('\r'), QLatin1Char(' '));
    ui_->LabelStatus->setText(line);
    ui_->LabelStatus->setToolTip(line);
    ui_->LabelStatus->setVisible(!text.isEmpty());
    if (wasShown == text.isEmpty()) {
        applyFixedSize();
    }
}

void FormMain::displaysPaused(bool paused) {
    if (grid_ != nullptr) {
        grid_->setPaused(paused);
    }
    if (bars_ != nullptr) {
        bars_->setPaused(paused);
    }
}

void FormMain::UpdateGridDisplay() {
    ensureGrid().UpdateGridDisplay();
}

void FormMain::UpdateBarDisplay() {
    ensureBars().UpdateBarDisplay();
}

FormGridDisplay &FormMain::ensureGrid() {
    if (grid_ == nullptr) {
        grid_ = new FormGridDisplay(session_.setup(), state_, *this, this);
        grid_->setUnitLost(session_.recovery().status().lost);
        grid_->setPaused(!state_.UpdateEnabled);
        loadedWindows_.push_back(grid_);
    }
    return *grid_;
}

FormLinGage &FormMain::ensureBars() {
    if (bars_ == nullptr) {
        bars_ = new FormLinGage(session_.setup(), state_, *this, this);
        bars_->setUnitLost(session_.recovery().status().lost);
        bars_->setPaused(!state_.UpdateEnabled);
        loadedWindows_.push_back(bars_);
    }
    return *bars_;
}

void FormMain::showGrid(bool visible) {
    if (visible) {
        FormGridDisplay &grid = ensureGrid();
        grid.show();
        grid.raise();
    } else if (grid_ != nullptr) {
        grid_->hide();
    }
}

void FormMain::showBars(bool visible) {
    if (visible) {
        FormLinGage &bars = ensureBars();
        bars.show();
        bars.raise();
    } else if (bars_ != nullptr) {
        bars_->hide();
    }
}

DialogResult FormMain::showDialog(CommandDialog dialog, bool modal) {
    // After the close the main window opens nothing more.
    return dialogs_ ? dialogs_->showDialog(dialog, modal) : DialogResult::Cancelled;
}

bool FormMain::isDialogOpen(CommandDialog dialog) const {
    return dialogs_ && dialogs_->isDialogOpen(dialog);
}

void FormMain::GotoSetupFromView(int index) {
    session_.commands().GotoSetupFromView(index);
    restoreCheckMarks();
}

void FormMain::EnableGrid_Click() {
    session_.commands().EnableGrid_Click();
}

void FormMain::EnableBarGraphs_Click() {
    session_.commands().EnableBarGraphs_Click();
}

void FormMain::ShowLinkPopupAt(int channel, float x, float y) {
    // A second click queued while the pop-up is open must not change the link it offers.
    if (copyLink_ != nullptr && copyLink_->isVisible()) {
        return;
    }
    prepareLinkCopy(state_, session_.labels(), channel, session_.services().serviceName);
    if (copyLink_ == nullptr) {
        copyLink_ = new DlgCopyLink(state_, this);
        connect(copyLink_, &DlgCopyLink::helpRequested, this,
                [this] { session_.commands().showHelpTopic(kLinkPopupHelpTopic); });
    }
    copyLink_->ShowDialogCopyAt(x, y);
}

void FormMain::ShowCalibrateAt(int lvdt, float x, float y) {
    // After the close the main window opens nothing more.
    if (dialogs_) {
        dialogs_->ShowCalibrateAt(lvdt, x, y);
    }
}

void FormMain::closeEvent(QCloseEvent *event) {
    if (unloaded_) {
        event->accept();
        return;
    }
    // An open dialog asks about its edits first: programming them marks the setup modified,
    // which the close then asks about.
    if (!session_.dialogs().confirmProgramClose() || (dialogs_ && !dialogs_->closeAll()) ||
        !session_.Form_QueryUnload()) {
        event->ignore();
        return;
    }
    Form_Unload();
    event->accept();
    emit unloaded();
}

QuietClose FormMain::closeQuietly() {
    const QuietClose result = session_.closeQuietly();
    if (!unloaded_) {
        Form_Unload();
        emit unloaded();
    }
    close();
    return result;
}

void FormMain::Form_Unload() {
    unloaded_ = true;
    timer_.stop();
    // The other windows go first, the most recently made first.
    for (auto it = loadedWindows_.rbegin(); it != loadedWindows_.rend(); ++it) {
        delete *it;
    }
    loadedWindows_.clear();
    grid_ = nullptr;
    bars_ = nullptr;
    partResult_ = nullptr;
    partHistory_ = nullptr;
    statistics_ = nullptr;
    const double dpi = windowDpi(*this);
    const QRect outer = frameGeometry();
    dialogs_.reset();
    session_.Form_Unload(
        isMinimized(), MainPosition{pixelsToTwips(outer.x(), dpi), pixelsToTwips(outer.y(), dpi)});
}

}  // namespace zelapp
