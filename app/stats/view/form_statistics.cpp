#include "stats/view/form_statistics.h"

#include <QAction>
#include <QBuffer>
#include <QClipboard>
#include <QFileInfo>
#include <QGridLayout>
#include <QGuiApplication>
#include <QImage>
#include <QPainter>
#include <QSaveFile>
#include <QSvgGenerator>

#include "base/app_state.h"
#include "base/file_chooser.h"
#include "base/help.h"
#include "base/help_topics.h"
#include "base/user_name.h"
#include "history/part_events.h"
#include "history/part_history.h"
#include "history/stored_part_text.h"
#include "model/palette_setting.h"
#include "setup/part_program.h"
#include "setup/setup.h"
#include "stats/process_watch.h"
#include "stats/stats_events.h"
#include "stats/view/chart_views.h"
#include "stats/view/dlg_stats_event.h"
#include "ui_form_statistics.h"
#include "view/window_place.h"

using namespace Qt::StringLiterals;

namespace zelapp {

FormStatistics::FormStatistics(const WindowContext &context, QWidget *parent)
    : QWidget(parent, Qt::Window), ui_(std::make_unique<Ui::FormStatistics>()), context_(context) {
    ui_->setupUi(this);
    applyProgramIcon(*this, context_.state.AppPath);

    auto *grid = new QGridLayout(ui_->WidgetCharts);
    grid->setContentsMargins(0, 0, 0, 0);
    first_ = new ControlChartView(ui_->WidgetCharts);
    first_->setObjectName(u"ChartFirst"_s);
    // The first chart takes the focus: the arrow keys choose its point for Exclude point.
    first_->setFocusPolicy(Qt::StrongFocus);
    second_ = new ControlChartView(ui_->WidgetCharts);
    second_->setObjectName(u"ChartSecond"_s);
    histogram_ = new HistogramView(ui_->WidgetCharts);
    histogram_->setObjectName(u"ChartHistogram"_s);
    // The charts take the room the window gives; the lists and the numbers keep theirs.
    ui_->WidgetCharts->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Expanding);
    for (QWidget *chart : {static_cast<QWidget *>(first_), static_cast<QWidget *>(second_),
                           static_cast<QWidget *>(histogram_)}) {
        chart->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Expanding);
    }
    const auto showPalette = [this] {
        const ResultPalette palette = context_.palette.palette();
        first_->setZonePalette(palette);
        second_->setZonePalette(palette);
        histogram_->setZonePalette(palette);
    };
    showPalette();
    connect(&context_.palette, &PaletteSetting::changed, this, showPalette);
    grid->addWidget(first_, 0, 0);
    grid->addWidget(second_, 1, 0);
    grid->addWidget(histogram_, 0, 1, 2, 1);
    grid->setColumnStretch(0, 3);
    grid->setColumnStretch(1, 2);
    setTabOrder(ui_->CommandGiveCause, first_);
    setTabOrder(first_, ui_->TextNumbers);

    const QDateTime now = QDateTime::currentDateTime();
    ui_->DateFrom->setDateTime(QDateTime(now.date(), QTime(0, 0)));
    ui_->DateTo->setDateTime(QDateTime(now.date().addDays(1), QTime(0, 0)));
    showPeriodBoxes();
    fillCharacteristics();

    connect(ui_->ListCharacteristic, &QListWidget::currentRowChanged, this,
            &FormStatistics::refresh);
    connect(ui_->ComboPeriod, &QComboBox::currentIndexChanged, this, [this] {
        showPeriodBoxes();
        refresh();
    });
    connect(ui_->SpinLastParts, &QSpinBox::editingFinished, this, &FormStatistics::refresh);
    connect(ui_->DateFrom, &QDateTimeEdit::editingFinished, this, &FormStatistics::refresh);
    connect(ui_->DateTo, &QDateTimeEdit::editingFinished, this, &FormStatistics::refresh);
    connect(&context_.partProgram, &ActivePartProgram::changed, this, [this] {
        fillCharacteristics();
        if (isVisible()) {
            refresh();
        }
    });
    connect(&context_.history, &PartHistory::partRecorded, this, [this] {
        if (isVisible()) {
            refresh();
        }
    });
    // A cause given in the result window's panel leaves the list here too. A part that breaks
    // a rule is also a part recorded, which reads the whole series: here only the events.
    connect(&context_.processWatch, &ProcessWatch::awaitedChanged, this, [this] {
        if (isVisible()) {
            refreshCauses();
        }
    });
    connect(ui_->CommandCopy, &QPushButton::clicked, this, &FormStatistics::copyNumbers);
    connect(ui_->CommandSavePng, &QPushButton::clicked, this, [this] { saveCharts(false); });
    connect(ui_->CommandSaveSvg, &QPushButton::clicked, this, [this] { saveCharts(true); });
    connect(ui_->CommandFreeze, &QPushButton::clicked, this, &FormStatistics::askFreeze);
    connect(ui_->CommandExclude, &QPushButton::clicked, this, &FormStatistics::askExclude);
    connect(ui_->CommandNewStage, &QPushButton::clicked, this, &FormStatistics::askNewStage);
    connect(ui_->CommandGiveCause, &QPushButton::clicked, this, &FormStatistics::askCause);
    connect(ui_->ListCauses, &QListWidget::activated, this, &FormStatistics::askCause);
    connect(ui_->CommandClose, &QPushButton::clicked, this, &QWidget::close);

    auto *escape = new QAction(this);
    escape->setObjectName(u"ActionCloseStatistics"_s);
    escape->setShortcut(QKeySequence(Qt::Key_Escape));
    escape->setShortcutContext(Qt::WidgetWithChildrenShortcut);
    connect(escape, &QAction::triggered, this, &QWidget::close);
    addAction(escape);
    auto *help = new QAction(this);
    help->setObjectName(u"ActionStatisticsHelp"_s);
    help->setShortcut(QKeySequence(Qt::Key_F1));
    help->setShortcutContext(Qt::WidgetWithChildrenShortcut);
    connect(help, &QAction::triggered, this,
            [this] { context_.help.showHelpTopic(kStatisticsHelpTopic); });
    addAction(help);
}

FormStatistics::~FormStatistics() = default;

void FormStatistics::showWindow() {
    show();
    raise();
    activateWindow();
    refresh();
}

int FormStatistics::channel() const {
    const QListWidgetItem *item = ui_->ListCharacteristic->currentItem();
    return item != nullptr ? item->data(Qt::UserRole).toInt() : 0;
}

StatsPeriod FormStatistics::period() const {
    StatsPeriod period;
    period.kind = static_cast<StatsPeriod::Kind>(ui_->ComboPeriod->currentIndex());
    period.lastParts = ui_->SpinLastParts->value();
    period.from = ui_->DateFrom->dateTime();
    period.to = ui_->DateTo->dateTime();
    return period;
}

void FormStatistics::fillCharacteristics() {
    const int chosen = channel();
    QListWidget &list = *ui_->ListCharacteristic;
    const QSignalBlocker block(&list);
    list.clear();
    const Setup &setup = context_.setup;
    for (int n : effectiveCharacteristics(context_.partProgram.program(), setup)) {
        const Channel *c = setup.channel(n);
        auto *item = new QListWidgetItem(
            c != nullptr ? u"C%1 %2"_s.arg(n).arg(c->Description).trimmed() : u"C%1"_s.arg(n),
            &list);
        item->setData(Qt::UserRole, n);
        if (n == chosen) {
            list.setCurrentItem(item);
        }
    }
    if (list.currentRow() < 0 && list.count() > 0) {
        list.setCurrentRow(0);
    }
}

void FormStatistics::showPeriodBoxes() {
    const auto kind = static_cast<StatsPeriod::Kind>(ui_->ComboPeriod->currentIndex());
    ui_->SpinLastParts->setEnabled(kind == StatsPeriod::Kind::LastParts);
    ui_->DateFrom->setEnabled(kind == StatsPeriod::Kind::Range);
    ui_->DateTo->setEnabled(kind == StatsPeriod::Kind::Range);
}

void FormStatistics::refresh() {
    const QString file = context_.history.file();
    if (!QFileInfo::exists(file)) {
        // No part recorded yet: nothing to read, and nothing wrong.
        store_.close();
        showSeries({}, {});
        return;
    }
    // Opened again when the path names another file now (removed or replaced while in use).
    if (!store_.isOpen() || storeFile_ != file || store_.replaced()) {
        store_.close();
        storeFile_ = file;
        OpenOptions options;
        options.readOnly = true;
        const OpenOutcome outcome = store_.open(file, options);
        if (!outcome.ok()) {
            showSeries({}, {});
            showStatus(u"The history cannot be read: %1"_s.arg(outcome.failure->cause));
            return;
        }
    }
    const int n = channel();
    if (n == 0) {
        showSeries({}, {});
        return;
    }
    const StatsPeriod chosen = period();
    StatsSeries series = readStatsSeries(store_, latestPartNumber(store_), n,
                                         periodFilter(chosen, QDateTime::currentDateTime()),
                                         periodLastParts(chosen));
    const PartProgram &program = context_.partProgram.program();
    const std::vector<StatsResult> results = computeStages(series, programStatsOptions(program, n));
    const std::optional<StoreFailure> failure = series.failure;
    showSeries(std::move(series), results);
    if (failure) {
        showStatus(u"The history cannot be read: %1"_s.arg(failure->cause));
    }
}

void FormStatistics::showSeries(StatsSeries series, const std::vector<StatsResult> &results) {
    series_ = std::move(series);
    const QListWidgetItem *item = ui_->ListCharacteristic->currentItem();
    QString name = item != nullptr ? item->text() : u"C%1"_s.arg(series_.channel);
    if (!series_.partNumber.isEmpty()) {
        name += u", part %1"_s.arg(series_.partNumber);
    }
    content_ = statisticsContent(series_, results, name);
    first_->setData(content_.first);
    second_->setData(content_.second);
    histogram_->setData(content_.histogram);
    ui_->TextNumbers->setPlainText(content_.numbers);

    showCauses();
    showStatus(series_.stages.empty() ? u"No parts in this period."_s : QString());
    emit shown();
}

void FormStatistics::refreshCauses() {
    if (!store_.isOpen() || series_.channel == 0) {
        return;
    }
    std::optional<StoreFailure> failure;
    std::vector<PartEvent> events =
        PartEvents(store_).events(series_.partNumber, series_.channel, &failure);
    if (failure) {
        showStatus(u"The history cannot be read: %1"_s.arg(failure->cause));
        return;
    }
    series_.events = std::move(events);
    showCauses();
}

void FormStatistics::showCauses() {
    causes_ = causesNotGiven(series_.events);
    ui_->ListCauses->clear();
    for (const PartEvent &event : causes_) {
        qint64 serial = 0;
        for (const StatsStage &stage : series_.stages) {
            for (const SeriesValue &value : stage.values) {
                serial = value.partId == event.partId ? value.serial : serial;
            }
        }
        ui_->ListCauses->addItem(causeLine(event, serial));
    }
    if (ui_->ListCauses->count() > 0) {
        ui_->ListCauses->setCurrentRow(0);
    }
    ui_->CommandGiveCause->setEnabled(!causes_.empty());
}

QString FormStatistics::numbersText() const {
    return ui_->TextNumbers->toPlainText();
}

void FormStatistics::showStatus(const QString &text) {
    ui_->LabelStatus->setText(text);
}

void FormStatistics::copyNumbers() {
    QGuiApplication::clipboard()->setText(numbersText());
    showStatus(u"The numbers were copied."_s);
}

bool FormStatistics::savePng(const QString &path) {
    QImage image(ui_->WidgetCharts->size(), QImage::Format_ARGB32);
    image.fill(ui_->WidgetCharts->palette().color(QPalette::Window));
    ui_->WidgetCharts->render(&image);
    QSaveFile file(path);
    const bool written =
        file.open(QIODevice::WriteOnly) && image.save(&file, "PNG") && file.commit();
    showStatus(written ? u"The charts were saved to %1."_s.arg(path)
                       : u"The charts cannot be saved to %1: %2."_s.arg(path, file.errorString()));
    return written;
}

bool FormStatistics::saveSvg(const QString &path) {
    QBuffer buffer;
    buffer.open(QIODevice::WriteOnly);
    {
        QSvgGenerator svg;
        svg.setOutputDevice(&buffer);
        svg.setSize(ui_->WidgetCharts->size());
        svg.setViewBox(QRect(QPoint(0, 0), ui_->WidgetCharts->size()));
        svg.setTitle(windowTitle());
        QPainter painter(&svg);
        ui_->WidgetCharts->render(&painter);
    }
    QSaveFile file(path);
    const bool written = file.open(QIODevice::WriteOnly) &&
                         file.write(buffer.data()) == buffer.size() && file.commit();
    showStatus(written ? u"The charts were saved to %1."_s.arg(path)
                       : u"The charts cannot be saved to %1: %2."_s.arg(path, file.errorString()));
    return written;
}

void FormStatistics::saveCharts(bool svg) {
    const QString path = context_.chooser.chooseSaveFile(
        svg ? FileDialogRequest{u"SVG Drawings (*.svg)|*.svg|All (*.*)|*.*"_s, u"svg"_s, QString()}
            : FileDialogRequest{u"PNG Pictures (*.png)|*.png|All (*.*)|*.*"_s, u"png"_s,
                                QString()});
    if (!path.isEmpty()) {
        svg ? saveSvg(path) : savePng(path);
    }
}

bool FormStatistics::storeEvent(PartEventKind kind, qint64 partId, const QString &who,
                                const QString &why, const QString &data) {
    if (series_.partNumber.isEmpty() || series_.channel == 0) {
        showStatus(u"There is no characteristic with parts to record this for."_s);
        return false;
    }
    PartEvent event;
    event.time = QDateTime::currentDateTime();
    event.kind = kind;
    event.partNumber = series_.partNumber;
    event.channel = series_.channel;
    event.partId = partId;
    event.who = who;
    event.why = why;
    event.data = data;
    // The window's own store reads only; the event is one short write of its own.
    PartStore writer;
    const OpenOutcome opened = writer.open(context_.history.file());
    std::optional<StoreFailure> failure = opened.failure;
    if (!failure) {
        failure = PartEvents(writer).addEvent(event);
    }
    if (failure) {
        showStatus(u"The history cannot record this: %1"_s.arg(failure->cause));
        return false;
    }
    // The watch keeps the stages it judges by and the causes awaited, which the result window's
    // panel shows: read again from the history.
    context_.processWatch.reload();
    refresh();
    return true;
}

bool FormStatistics::freezeLimits(const QString &who, const QString &why) {
    const std::optional<FrozenLimits> limits =
        content_.results.empty()
            ? std::nullopt
            : limitsToFreeze(content_.results.back(), context_.partProgram.program().subgroupSize);
    if (!limits) {
        showStatus(
            content_.results.empty() || content_.results.back().noLimits.isEmpty()
                ? u"There are no limits to freeze."_s
                : u"There are no limits to freeze: %1."_s.arg(content_.results.back().noLimits));
        return false;
    }
    return storeEvent(PartEventKind::FreezeLimits, 0, who, why, frozenLimitsText(*limits));
}

bool FormStatistics::excludePart(qint64 partId, const QString &who, const QString &why) {
    if (partId == 0 || why.trimmed().isEmpty()) {
        showStatus(u"Choose a point and give the reason to exclude it."_s);
        return false;
    }
    return storeEvent(PartEventKind::Exclude, partId, who, why.trimmed(), QString());
}

bool FormStatistics::newStage(const QString &who, const QString &why) {
    return storeEvent(PartEventKind::NewStage, 0, who, why.trimmed(), QString());
}

bool FormStatistics::giveCause(int row, const QString &who, const QString &why) {
    if (row < 0 || row >= static_cast<int>(causes_.size()) || why.trimmed().isEmpty()) {
        return false;
    }
    const PartEvent out = causes_[static_cast<size_t>(row)];
    return storeEvent(PartEventKind::Cause, out.partId, who, why.trimmed(), out.data);
}

std::vector<std::pair<qint64, QString>> FormStatistics::chosenParts() const {
    std::vector<std::pair<qint64, QString>> parts;
    const std::optional<int> chosen = first_->chosen();
    if (!chosen) {
        return parts;
    }
    // The chosen point's stage and subgroup: points run stage after stage.
    int point = *chosen;
    for (size_t s = 0; s < series_.stages.size() && s < content_.results.size(); ++s) {
        const std::vector<Subgroup> &subgroups = content_.results[s].subgroups;
        if (point >= static_cast<int>(subgroups.size())) {
            point -= static_cast<int>(subgroups.size());
            continue;
        }
        const Subgroup &subgroup = subgroups[static_cast<size_t>(point)];
        const StatsStage &stage = series_.stages[s];
        for (int i = subgroup.first;
             i < subgroup.first + subgroup.count && i < static_cast<int>(stage.values.size());
             ++i) {
            const SeriesValue &value = stage.values[static_cast<size_t>(i)];
            if (!value.excluded) {
                parts.emplace_back(
                    value.partId,
                    u"Serial %1, %2"_s.arg(value.serial)
                        .arg(storedValueText(value.value, stage.characteristic.decimals)));
            }
        }
        break;
    }
    return parts;
}

void FormStatistics::askFreeze() {
    auto *dialog = new DlgStatsEvent(u"Freeze limits"_s, currentUserName(), {}, this);
    dialog->setAttribute(Qt::WA_DeleteOnClose);
    connect(dialog, &QDialog::accepted, this,
            [this, dialog] { freezeLimits(dialog->who(), dialog->why()); });
    dialog->open();
}

void FormStatistics::askExclude() {
    const std::vector<std::pair<qint64, QString>> parts = chosenParts();
    if (parts.empty()) {
        showStatus(u"Choose a point of the first chart first (click it, or the arrow keys)."_s);
        return;
    }
    auto *dialog = new DlgStatsEvent(u"Exclude point"_s, currentUserName(), parts, this);
    dialog->setAttribute(Qt::WA_DeleteOnClose);
    connect(dialog, &QDialog::accepted, this,
            [this, dialog] { excludePart(dialog->partId(), dialog->who(), dialog->why()); });
    dialog->open();
}

void FormStatistics::askNewStage() {
    auto *dialog = new DlgStatsEvent(u"New stage"_s, currentUserName(), {}, this);
    dialog->setAttribute(Qt::WA_DeleteOnClose);
    connect(dialog, &QDialog::accepted, this,
            [this, dialog] { newStage(dialog->who(), dialog->why()); });
    dialog->open();
}

void FormStatistics::askCause() {
    const int row = ui_->ListCauses->currentRow();
    if (row < 0 || row >= static_cast<int>(causes_.size())) {
        showStatus(u"Choose a part in Causes not yet given first."_s);
        return;
    }
    auto *dialog = new DlgStatsEvent(u"Cause"_s, currentUserName(), {}, this);
    dialog->setAttribute(Qt::WA_DeleteOnClose);
    connect(dialog, &QDialog::accepted, this,
            [this, dialog, row] { giveCause(row, dialog->who(), dialog->why()); });
    dialog->open();
}

}  // namespace zelapp
