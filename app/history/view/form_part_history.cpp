#include "history/view/form_part_history.h"

#include <QAction>
#include <QComboBox>
#include <QCoreApplication>
#include <QElapsedTimer>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLineEdit>
#include <QProgressDialog>
#include <QSaveFile>
#include <QSignalBlocker>
#include <climits>

#include "base/app_state.h"
#include "base/file_chooser.h"
#include "base/help.h"
#include "base/help_topics.h"
#include "base/prompter.h"
#include "history/csv_profile.h"
#include "history/part_csv.h"
#include "history/part_details.h"
#include "history/part_history.h"
#include "history/view/dlg_part_details.h"
#include "model/palette_setting.h"
#include "ui_form_part_history.h"
#include "view/window_place.h"
#include "view/zone_colours.h"

using namespace Qt::StringLiterals;

namespace zelapp {

FormPartHistory::FormPartHistory(const WindowContext &context, QWidget *parent)
    : QWidget(parent, Qt::Window), ui_(std::make_unique<Ui::FormPartHistory>()), context_(context) {
    ui_->setupUi(this);
    applyProgramIcon(*this, context_.state.AppPath);

    const PartFilter today = todayFilter(QDateTime::currentDateTime());
    ui_->DateFrom->setDateTime(*today.since);
    ui_->DateTo->setDateTime(today.since->addDays(1));
    ui_->ComboVerdict->addItem(u"All"_s, QString());
    for (ToleranceVerdict verdict : {ToleranceVerdict::Good, ToleranceVerdict::WarningPlus,
                                     ToleranceVerdict::WarningMinus, ToleranceVerdict::RejectPlus,
                                     ToleranceVerdict::RejectMinus, ToleranceVerdict::NotValid}) {
        ui_->ComboVerdict->addItem(verdictCode(verdict) + u' ' + verdictInWords(verdict),
                                   verdictCode(verdict));
    }

    model_ = std::make_unique<PartHistoryModel>(context_.history.file(), today);
    const auto showPalette = [this] {
        const ResultPalette p = context_.palette.palette();
        model_->setZonePalette({zoneColour(BarZone::Good, p), zoneColour(BarZone::Approach, p),
                                zoneColour(BarZone::Reject, p)});
    };
    showPalette();
    connect(&context_.palette, &PaletteSetting::changed, this, showPalette);
    ui_->TablePart->setModel(model_.get());
    ui_->TablePart->horizontalHeader()->setSectionResizeMode(QHeaderView::ResizeToContents);
    connect(model_.get(), &PartHistoryModel::failed, this, &FormPartHistory::showStatus);
    connect(model_.get(), &QAbstractItemModel::rowsInserted, this, &FormPartHistory::showCount);
    connect(model_.get(), &QAbstractItemModel::modelReset, this, &FormPartHistory::showCount);
    connect(&context_.history, &PartHistory::partRecorded, model_.get(),
            &PartHistoryModel::partAdded);
    // The settings moved the history to another file.
    connect(&context_.history, &PartHistory::fileChanged, model_.get(), &PartHistoryModel::setFile);

    connect(ui_->CheckTo, &QCheckBox::toggled, ui_->DateTo, &QWidget::setEnabled);
    connect(ui_->CommandApply, &QPushButton::clicked, this, &FormPartHistory::applyFilter);
    QComboBox *numbers = ui_->ComboPartNumber;
    numbers->lineEdit()->setPlaceholderText(u"all"_s);
    // The text typed is a prefix: a completion would turn it into one whole number.
    numbers->setCompleter(nullptr);
    connect(numbers->lineEdit(), &QLineEdit::returnPressed, this, &FormPartHistory::applyFilter);
    connect(numbers, &QComboBox::activated, this, &FormPartHistory::applyFilter);
    connect(&context_.history, &PartHistory::partRecorded, this, [this](const PartResult &part) {
        if (isVisible() && ui_->ComboPartNumber->itemText(0) != part.number) {
            showNumbers();
        }
    });
    connect(ui_->TablePart, &QAbstractItemView::activated, this,
            [this](const QModelIndex &index) { showDetails(index.row()); });
    connect(ui_->CommandDetails, &QPushButton::clicked, this, [this] {
        const QModelIndex current = ui_->TablePart->currentIndex();
        if (current.isValid()) {
            showDetails(current.row());
        } else {
            showStatus(u"Choose a part in the table first."_s);
        }
    });
    connect(ui_->CommandExport, &QPushButton::clicked, this, &FormPartHistory::exportCsv);
    const QLocale locale;
    for (const CsvProfileKind kind : {CsvProfileKind::Standard, CsvProfileKind::Spreadsheet}) {
        const CsvProfile profile = csvProfile(kind, locale);
        ui_->ComboCsvProfile->addItem(csvProfileName(kind), static_cast<int>(kind));
        ui_->ComboCsvProfile->setItemData(
            ui_->ComboCsvProfile->count() - 1,
            u"Columns split by \"%1\", decimals with \"%2\", UTF-8%3"_s.arg(
                profile.separator, profile.decimalPoint,
                profile.byteOrderMark ? u" with a byte-order mark"_s : QString()),
            Qt::ToolTipRole);
    }
    ui_->ComboCsvProfile->setCurrentIndex(
        ui_->ComboCsvProfile->findData(static_cast<int>(readCsvProfileKind(context_.settings))));
    connect(ui_->ComboCsvProfile, &QComboBox::currentIndexChanged, this,
            [this] { writeCsvProfileKind(context_.settings, csvProfileKind()); });
    connect(ui_->CommandClose, &QPushButton::clicked, this, &QWidget::close);
    auto *help = new QAction(this);
    help->setObjectName(u"ActionHistoryHelp"_s);
    help->setShortcut(QKeySequence(Qt::Key_F1));
    help->setShortcutContext(Qt::WidgetWithChildrenShortcut);
    connect(help, &QAction::triggered, this,
            [this] { context_.help.showHelpTopic(kPartHistoryHelpTopic); });
    addAction(help);
    showCount();
}

FormPartHistory::~FormPartHistory() = default;

void FormPartHistory::keyPressEvent(QKeyEvent *event) {
    // Reaches the window only when no box took it: an open drop-down or calendar closes itself
    // and the window stays (a window-wide shortcut would fire after the popup had closed).
    if (event->key() == Qt::Key_Escape && event->modifiers() == Qt::NoModifier) {
        close();
        return;
    }
    QWidget::keyPressEvent(event);
}

void FormPartHistory::showWindow() {
    // What the boxes say, even when they were changed without Apply before the window closed.
    if (!isVisible()) {
        applyFilter();
        showNumbers();
    }
    show();
    raise();
    activateWindow();
}

void FormPartHistory::applyFilter() {
    PartFilter filter;
    filter.since = ui_->DateFrom->dateTime();
    if (ui_->CheckTo->isChecked()) {
        filter.until = ui_->DateTo->dateTime();
    }
    filter.numberPrefix = ui_->ComboPartNumber->currentText().trimmed();
    filter.verdict = ui_->ComboVerdict->currentData().toString();
    model_->setFilter(filter);
}

CsvProfileKind FormPartHistory::csvProfileKind() const {
    return static_cast<CsvProfileKind>(ui_->ComboCsvProfile->currentData().toInt());
}

void FormPartHistory::showNumbers() {
    QComboBox *numbers = ui_->ComboPartNumber;
    if (numbers->view()->isVisible()) {
        return;  // not under the operator's eyes; the next showing has them
    }
    const QString typed = numbers->currentText();
    const QSignalBlocker quiet(numbers);
    numbers->clear();
    numbers->addItems(model_->partNumbers());
    numbers->setCurrentIndex(-1);
    numbers->setEditText(typed);
}

void FormPartHistory::showStatus(const QString &text) {
    ui_->LabelStatus->setText(text);
}

void FormPartHistory::showCount() {
    if (!model_->lastError().isEmpty()) {
        showStatus(model_->lastError());
        return;
    }
    const int rows = model_->rowCount();
    showStatus(model_->canFetchMore({}) ? u"%1 parts shown, more below"_s.arg(rows)
                                        : u"%1 parts"_s.arg(rows));
}

void FormPartHistory::showDetails(int row) {
    if (row < 0 || row >= model_->rowCount()) {
        return;
    }
    const StoredPart &part = model_->part(row);
    auto *dialog = new DlgPartDetails(partDetails(part, model_->revision(part.revision)), this);
    dialog->setAttribute(Qt::WA_DeleteOnClose);
    dialog->show();
}

void FormPartHistory::exportCsv() {
    if (exporting_) {
        return;
    }
    const QString path = context_.chooser.chooseSaveFile(
        {u"CSV Files (*.csv)|*.csv|All (*.*)|*.*"_s, u"csv"_s, QString()});
    if (!path.isEmpty()) {
        exportTo(path);
    }
}

bool FormPartHistory::exportTo(const QString &path) {
    exporting_ = true;
    const auto finish = [this](bool written, const QString &status) {
        exporting_ = false;
        showStatus(status);
        return written;
    };
    // An existing file is replaced only when the whole export is written.
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly)) {
        const QString message =
            u"The parts cannot be exported to %1: %2."_s.arg(path, file.errorString());
        context_.prompter.notify(message, windowTitle(), PromptIcon::Warning);
        return finish(false, message);
    }
    QProgressDialog progress(u"Exporting parts..."_s, u"Cancel"_s, 0, 0, this);
    progress.setObjectName(u"ProgressExport"_s);
    // Application modal: the events let through while it runs must not close the main window,
    // and with it this one, under the export.
    progress.setWindowModality(Qt::ApplicationModal);
    progress.setMinimumDuration(0);
    progress.setAutoReset(false);
    progress.setAutoClose(false);
    progress.hide();
    QElapsedTimer running;
    running.start();
    const CsvOutcome outcome = writePartsCsv(
        model_->store(), model_->filter(), file,
        [&](qint64 rows, qint64 total) {
            // Shown only for an export that takes a while; until then nothing is processed,
            // so nothing else runs in the middle of it.
            if (progress.isHidden() && running.elapsed() < progressDelayMs_) {
                return true;
            }
            if (progress.isHidden()) {
                progress.show();
            }
            progress.setMaximum(total > 0 ? static_cast<int>(qMin<qint64>(total, INT_MAX)) : 0);
            progress.setLabelText(u"Exporting parts... %1"_s.arg(rows));
            if (total > 0) {
                progress.setValue(static_cast<int>(qMin(rows, total)));
            }
            QCoreApplication::processEvents();
            return !progress.wasCanceled();
        },
        csvProfile(csvProfileKind()));
    progress.hide();
    if (outcome.cancelled) {
        file.cancelWriting();
        return finish(false, u"Export cancelled: %1 was not written."_s.arg(path));
    }
    if (outcome.failure) {
        file.cancelWriting();
        const QString message =
            u"The parts cannot be exported to %1: %2."_s.arg(path, outcome.failure->cause);
        context_.prompter.notify(message, windowTitle(), PromptIcon::Warning);
        return finish(false, message);
    }
    if (!file.commit()) {
        const QString message =
            u"The parts cannot be exported to %1: %2."_s.arg(path, file.errorString());
        context_.prompter.notify(message, windowTitle(), PromptIcon::Warning);
        return finish(false, message);
    }
    return finish(true, u"%1 parts exported to %2."_s.arg(outcome.rows).arg(path));
}

}  // namespace zelapp
