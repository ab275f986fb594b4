#include "part/view/form_part_result.h"

#include <QAccessible>
#include <QAction>
#include <QFontMetrics>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <algorithm>

#include "base/app_state.h"
#include "base/user_name.h"
#include "dfq/dfq_export.h"
#include "history/part_history.h"
#include "model/channel.h"
#include "model/palette_setting.h"
#include "part/operator_measure.h"
#include "part/part_cycle.h"
#include "part/part_settings.h"
#include "part/result_sizing.h"
#include "part/view/tolerance_bar_view.h"
#include "setup/part_program.h"
#include "setup/setup.h"
#include "stats/process_watch.h"
#include "ui_form_part_result.h"
#include "view/text_width.h"
#include "view/window_place.h"
#include "view/zone_colours.h"

using namespace Qt::StringLiterals;

namespace zelapp {

namespace {

constexpr int kTileSpacing = 6;
constexpr int kTileMargin = 6;
constexpr int kLeastPixels = 6;
constexpr int kMostPixels = 2000;
// The texts around the verdict: one line per this many pixels of the window's height.
constexpr int kTextLinesPerHeight = 34;
constexpr int kMostTextPixels = 48;

void paintWith(QWidget &widget, const BoardColours &colours) {
    QPalette palette = widget.palette();
    palette.setColor(QPalette::Window, colourOf(colours.background));
    palette.setColor(QPalette::WindowText, colourOf(colours.ink));
    widget.setPalette(palette);
}

QFont sized(QFont font, int pixels, bool bold) {
    font.setPixelSize(pixels);
    font.setBold(bold);
    return font;
}

void setFontIfChanged(QWidget &widget, const QFont &font) {
    if (widget.font() != font) {
        widget.setFont(font);
    }
}

// Sets a label's text cut to its width with "…", the whole text as its tooltip when cut.
void setFittedText(QLabel &label, const QString &text) {
    const QString shown =
        label.fontMetrics().elidedText(text, Qt::ElideRight, label.contentsRect().width());
    label.setText(shown);
    label.setToolTip(shown == text ? QString() : text);
}

}  // namespace

FormPartResult::FormPartResult(const WindowContext &context, QWidget *parent)
    : QWidget(parent, Qt::Window),
      ui_(std::make_unique<Ui::FormPartResult>()),
      context_(context),
      placer_(new WindowPlacer(*this)) {
    ui_->setupUi(this);
    applyProgramIcon(*this, context_.state.AppPath);

    auto *measureKey = new QAction(this);
    measureKey->setObjectName(u"ActionResultMeasure"_s);
    measureKey->setShortcut(QKeySequence(Qt::Key_F9));
    connect(measureKey, &QAction::triggered, this, [this] { measure(); });
    addAction(measureKey);
    auto *fullScreenKey = new QAction(this);
    fullScreenKey->setObjectName(u"ActionFullScreen"_s);
    fullScreenKey->setShortcut(QKeySequence(Qt::Key_F11));
    connect(fullScreenKey, &QAction::triggered, this, &FormPartResult::toggleFullScreen);
    addAction(fullScreenKey);

    connect(ui_->CommandMeasure, &QPushButton::clicked, this, [this] { measure(); });
    // A scanner types the code and Enter: the part put on next (auto start) takes it.
    connect(ui_->TextPartId, &QLineEdit::returnPressed, this, [this] {
        const QString id = ui_->TextPartId->text().trimmed();
        context_.partCycle.setNextId(id);
        pendingId_ = id;
        showMessage(id.isEmpty() ? QString() : u"Next part ID: %1"_s.arg(id));
    });

    PartCycle &cycle = context_.partCycle;
    connect(&cycle, &PartCycle::stateChanged, this, [this](CycleState state) {
        // A refusal ("cycle running") was about the cycle that has now ended or begun.
        if (state == CycleState::Settling || (state == CycleState::Result && refusalShown_)) {
            showMessage({});
            // The identifier given for the part put on went with it; the next needs its own.
            if (!pendingId_.isEmpty() && ui_->TextPartId->text().trimmed() == pendingId_) {
                ui_->TextPartId->clear();
            }
            pendingId_.clear();
        }
        refresh();
    });
    connect(&cycle, &PartCycle::countersChanged, this, &FormPartResult::refresh);
    connect(&context_.history, &PartHistory::notRecordedChanged, this, &FormPartResult::refresh);
    connect(&context_.partProgram, &ActivePartProgram::changed, this, &FormPartResult::refresh);
    connect(&context_.palette, &PaletteSetting::changed, this, &FormPartResult::refresh);
    const DfqWaiting &waiting = context_.dfqExport.waiting();
    dfqWaiting_ = waiting.count;
    dfqCause_ = waiting.cause;
    connect(&context_.dfqExport, &DfqExport::waitingChanged, this,
            [this](const DfqWaiting &changed) {
                dfqWaiting_ = changed.count;
                dfqCause_ = changed.cause;
                refresh();
            });
    // The cause panel follows the causes awaited; the cycles go on while it asks.
    ProcessWatch &watch = context_.processWatch;
    connect(&watch, &ProcessWatch::awaitedChanged, this, &FormPartResult::showCausePanel);
    connect(ui_->CommandSaveCause, &QPushButton::clicked, this, &FormPartResult::saveCause);
    connect(ui_->TextCause, &QLineEdit::returnPressed, this, &FormPartResult::saveCause);
    connect(ui_->TextCause, &QLineEdit::textChanged, this, [this](const QString &text) {
        ui_->CommandSaveCause->setEnabled(!text.trimmed().isEmpty());
    });
    ui_->CommandSaveCause->setEnabled(false);
    showCausePanel();
    ui_->FrameVerdict->installEventFilter(this);
    ui_->FrameTiles->installEventFilter(this);
    // A part that ended before the window was made is no news.
    if (cycle.lastResult()) {
        announced_ = cycle.lastResult()->count;
    }
    refresh();
}

FormPartResult::~FormPartResult() {
    storePlace();
}

void FormPartResult::showWindow() {
    if (!placed_) {
        placed_ = true;
        const ResultWindowPlace stored = readResultWindowPlace(context_.settings);
        if (stored.place.Height > 0) {
            placer_->restore(stored.place);
        }
        refresh();
        switch (stored.show) {
            case ResultWindowShow::FullScreen:
                showFullScreen();
                break;
            case ResultWindowShow::Maximized:
                showMaximized();
                break;
            case ResultWindowShow::Normal:
                show();
                break;
        }
    } else if (isHidden()) {
        refresh();
        show();
    }
    raise();
    activateWindow();
}

QString FormPartResult::measure() {
    const bool askId = context_.partProgram.program().askId;
    const MeasureAttempt attempt =
        operatorMeasure(context_.partCycle, askId, ui_->TextPartId->text());
    if (attempt.started()) {
        if (askId) {
            ui_->TextPartId->clear();
        }
        showMessage({});
        emit measureAnswered({});
        return {};
    }
    const QString line = measureRefusedText(attempt.refusal);
    if (attempt.needsId) {
        showWindow();
        ui_->TextPartId->setFocus(Qt::OtherFocusReason);
        showMessage(line + u": type or scan it, then Measure"_s);
    } else {
        showMessage(line);
        refusalShown_ = true;
    }
    emit measureAnswered(line);
    return line;
}

void FormPartResult::escape() {
    if (context_.partCycle.running()) {
        context_.partCycle.cancel();
    } else {
        close();
    }
}

void FormPartResult::toggleFullScreen() {
    if (isFullScreen()) {
        showNormal();
    } else {
        showFullScreen();
    }
}

void FormPartResult::refresh() {
    const PartCycle &cycle = context_.partCycle;
    const PartProgram &program = context_.partProgram.program();
    board_ =
        resultBoard(cycle.state(), cycle.lastResult(), cycle.counters(),
                    plannedCharacteristics(program, context_.setup), context_.palette.palette());
    const PartHistory &history = context_.history;
    RecordState record;
    record.waiting = history.notRecorded();
    if (history.lastRecord() && cycle.lastResult() &&
        history.lastRecord()->count == cycle.lastResult()->count) {
        record.serial = history.lastRecord()->serial;
        record.heldNotRecorded = !history.lastRecord()->recorded() && record.waiting > 0;
    }
    markRecord(board_, record);
    markDfq(board_, dfqWaiting_, dfqCause_);
    ui_->LabelPartId->setVisible(program.askId);
    ui_->TextPartId->setVisible(program.askId);
    showBoard();
    // Each new verdict is told to screen readers, which speak the label when its name changes.
    const bool held = board_.kind != BoardKind::Ready && board_.kind != BoardKind::Measuring;
    if (held && cycle.lastResult() && cycle.lastResult()->count != announced_) {
        announced_ = cycle.lastResult()->count;
        QAccessibleEvent named(ui_->LabelVerdict, QAccessible::NameChanged);
        QAccessible::updateAccessibility(&named);
        QAccessibleEvent described(ui_->LabelVerdict, QAccessible::DescriptionChanged);
        QAccessible::updateAccessibility(&described);
        emit verdictAnnounced();
    }
}

void FormPartResult::showCausePanel() {
    // While a cause is typed the panel stays on its part, so the text is never given to another.
    const bool typing = !ui_->TextCause->text().trimmed().isEmpty();
    const auto describe = [this](int n) {
        const Channel *channel = context_.setup.channel(n);
        return channel != nullptr ? channel->Description : QString();
    };
    causePanel_ =
        causePanel(context_.processWatch.awaited(), typing ? causePanel_.partId : 0, describe);
    ui_->LabelOutOfControl->setText(causePanel_.text);
    ui_->LabelCausesWaiting->setText(causePanel_.waiting);
    ui_->LabelCausesWaiting->setHidden(causePanel_.waiting.isEmpty());
    ui_->PanelOutOfControl->setHidden(causePanel_.partId == 0);
    if (causePanel_.partId != 0 && causePanel_.text != toldOutOfControl_) {
        toldOutOfControl_ = causePanel_.text;
        QAccessibleEvent named(ui_->LabelOutOfControl, QAccessible::NameChanged);
        QAccessible::updateAccessibility(&named);
    }
}

void FormPartResult::saveCause() {
    const QString why = ui_->TextCause->text().trimmed();
    if (why.isEmpty() || causePanel_.partId == 0) {
        return;
    }
    const qint64 partId = causePanel_.partId;
    std::vector<int> channels;
    for (const AwaitedCause &a : context_.processWatch.awaited()) {
        if (a.partId == partId) {
            channels.push_back(a.channel);
        }
    }
    for (const int channel : channels) {
        const std::optional<StoreFailure> failure =
            context_.processWatch.giveCause(partId, channel, currentUserName(), why);
        if (failure) {
            // The text stays in the box for another try.
            showMessage(u"Cause not saved: %1"_s.arg(failure->cause));
            return;
        }
    }
    ui_->TextCause->clear();
    showCausePanel();
}

void FormPartResult::showBoard() {
    ui_->LabelPartInfo->setText(board_.part);
    ui_->LabelCycleState->setText(board_.state);
    ui_->LabelReason->setText(board_.reason);
    ui_->LabelRecord->setText(board_.record);
    ui_->LabelRecord->setHidden(board_.record.isEmpty());
    ui_->LabelDfq->setText(board_.dfq);
    ui_->LabelDfq->setToolTip(board_.dfqTip);
    ui_->LabelDfq->setAccessibleDescription(board_.dfqTip);
    ui_->LabelDfq->setHidden(board_.dfq.isEmpty());
    ui_->LabelCounters->setText(board_.counters);
    ui_->LabelLastPart->setText(board_.lastPart);
    ui_->LabelLastPart->setHidden(board_.lastPart.isEmpty());
    paintWith(*ui_->FrameVerdict, board_.colours);
    ui_->LabelVerdict->setText(board_.word);
    ui_->LabelVerdictSymbol->setText(board_.symbol);
    // Without a symbol the word stands in the middle.
    ui_->LabelVerdictSymbol->setHidden(board_.symbol.isEmpty());
    const QString told =
        board_.reason.isEmpty() ? board_.word : board_.word + u", "_s + board_.reason;
    ui_->LabelVerdict->setAccessibleDescription(
        board_.lastPart.isEmpty() ? told : u"Last part: "_s + told);

    bool same = tiles_.size() == board_.tiles.size();
    for (size_t i = 0; same && i < tiles_.size(); ++i) {
        same = tiles_[i].channel == board_.tiles[i].channel;
    }
    if (!same) {
        rebuildTiles();
    }
    for (size_t i = 0; i < tiles_.size(); ++i) {
        const ResultTile &t = board_.tiles[i];
        Tile &w = tiles_[i];
        paintWith(*w.frame, t.colours);
        w.frame->setAccessibleName(t.accessibleName);
        w.frame->setAccessibleDescription(t.spoken);
        w.value->setText(t.value);
        w.value->setAccessibleName(t.accessibleName);
        w.value->setAccessibleDescription(t.spoken);
        w.bar->setBar(t.limits, t.reading, t.verdict, context_.palette.palette(), t.colours.ink);
    }
    fitVerdict();
    placeTiles();
}

void FormPartResult::rebuildTiles() {
    for (Tile &t : tiles_) {
        delete t.frame;
    }
    tiles_.clear();
    for (const ResultTile &t : board_.tiles) {
        Tile w;
        w.channel = t.channel;
        w.frame = new QFrame(ui_->FrameTiles);
        w.frame->setObjectName(u"Tile%1"_s.arg(t.channel));
        w.frame->setAutoFillBackground(true);
        w.frame->setFrameShape(QFrame::Box);
        const auto label = [&w, &t](const QString &name, Qt::Alignment alignment) {
            auto *l = new QLabel(w.frame);
            l->setObjectName(name.arg(t.channel));
            l->setTextFormat(Qt::PlainText);
            l->setAlignment(alignment);
            return l;
        };
        w.caption = label(u"TileCaption%1"_s, Qt::AlignLeft | Qt::AlignVCenter);
        w.value = label(u"TileValue%1"_s, Qt::AlignCenter);
        w.mark = label(u"TileMark%1"_s, Qt::AlignLeft | Qt::AlignVCenter);
        w.bar = new ToleranceBarView(w.frame);
        w.bar->setObjectName(u"TileBar%1"_s.arg(t.channel));
        w.frame->show();
        tiles_.push_back(w);
    }
}

void FormPartResult::fitTextFonts() {
    const int base = QFontInfo(QWidget::font()).pixelSize();
    const int pixels = std::clamp(height() / kTextLinesPerHeight, base, kMostTextPixels);
    const QFont text = sized(QWidget::font(), pixels, false);
    for (QWidget *w :
         std::initializer_list<QWidget *>{ui_->LabelPartInfo, ui_->LabelCounters, ui_->LabelMessage,
                                          ui_->LabelPartId, ui_->TextPartId, ui_->CommandMeasure}) {
        setFontIfChanged(*w, text);
    }
    const QFont bold = sized(QWidget::font(), pixels, true);
    setFontIfChanged(*ui_->LabelCycleState, bold);
    setFontIfChanged(*ui_->LabelLastPart, bold);
    setFontIfChanged(*ui_->LabelReason, bold);
    setFontIfChanged(*ui_->LabelRecord, bold);
    setFontIfChanged(*ui_->LabelDfq, bold);
    setFontIfChanged(*ui_->LabelOutOfControl, bold);
    for (QWidget *w : std::initializer_list<QWidget *>{
             ui_->LabelCause, ui_->TextCause, ui_->CommandSaveCause, ui_->LabelCausesWaiting}) {
        setFontIfChanged(*w, text);
    }
}

void FormPartResult::fitVerdict() {
    const QMargins margins = ui_->layoutVerdict->contentsMargins();
    const int spacing = ui_->layoutVerdict->spacing();
    const QRect area = ui_->FrameVerdict->contentsRect().marginsRemoved(margins);
    const QFont font = ui_->LabelVerdict->font();
    // Sized for the widest word and symbol, so that the letters keep their size.
    const auto measure = [&](int pixels) {
        const QFontMetrics metrics(sized(font, pixels, true));
        return QSize(
            widestAdvance(metrics, boardSymbols()) + spacing + widestAdvance(metrics, boardWords()),
            metrics.height());
    };
    const int pixels = fittedPixelSize(area.size(), measure, kLeastPixels, kMostPixels);
    const QFont verdict = sized(font, pixels, true);
    setFontIfChanged(*ui_->LabelVerdict, verdict);
    setFontIfChanged(*ui_->LabelVerdictSymbol, verdict);
    ui_->LabelVerdictSymbol->setFixedWidth(widestAdvance(QFontMetrics(verdict), boardSymbols()));
}

void FormPartResult::placeTiles() {
    if (tiles_.empty()) {
        return;
    }
    const QSize area = ui_->FrameTiles->size();
    const QFont font = sized(QWidget::font(), kLeastPixels, true);
    QStringList widest;
    for (const ResultTile &t : board_.tiles) {
        widest << t.widest << t.value;
    }
    const auto measure = [&](int pixels) {
        const QFontMetrics metrics(sized(font, pixels, true));
        return QSize(widestAdvance(metrics, widest), metrics.height());
    };
    const auto valuePixels = [&](QSize cell) {
        return fittedPixelSize(tileParts(cell, kTileMargin).value.size(), measure, kLeastPixels,
                               kMostPixels);
    };
    const int count = static_cast<int>(tiles_.size());
    const TileGrid grid = tileGrid(count, area, kTileSpacing, valuePixels);
    const std::vector<QRect> cells = tileRects(grid, area, kTileSpacing, count);
    for (size_t i = 0; i < tiles_.size() && i < cells.size(); ++i) {
        Tile &w = tiles_[i];
        const ResultTile &t = board_.tiles[i];
        const QRect &cell = cells[i];
        const TileParts parts = tileParts(cell.size(), kTileMargin);
        const int value = valuePixels(cell.size());
        // The caption and the mark as large as their lines allow, and smaller than the digits.
        const auto lineMeasure = [&](int pixels) {
            return QSize(0, QFontMetrics(sized(font, pixels, false)).height());
        };
        const int line = fittedPixelSize(parts.caption.size(), lineMeasure, kLeastPixels,
                                         std::max(kLeastPixels, value / 2));
        w.frame->setGeometry(cell);
        w.caption->setGeometry(parts.caption);
        w.value->setGeometry(parts.value);
        w.mark->setGeometry(parts.mark);
        w.bar->setGeometry(parts.bar);
        w.bar->setHidden(parts.bar.isEmpty());
        setFontIfChanged(*w.value, sized(font, value, true));
        setFontIfChanged(*w.caption, sized(font, line, false));
        setFontIfChanged(*w.mark, sized(font, line, true));
        setFittedText(*w.caption,
                      t.units.isEmpty() ? t.caption : t.caption + u" ("_s + t.units + u')');
        setFittedText(*w.mark, t.mark);
    }
}

void FormPartResult::showMessage(const QString &text) {
    refusalShown_ = false;
    ui_->LabelMessage->setText(text);
}

void FormPartResult::storePlace() {
    if (!placed_) {
        return;
    }
    ResultWindowPlace place = readResultWindowPlace(context_.settings);
    if (isFullScreen()) {
        place.show = ResultWindowShow::FullScreen;
    } else if (isMaximized()) {
        place.show = ResultWindowShow::Maximized;
    } else {
        place.show = ResultWindowShow::Normal;
        if (!isMinimized()) {
            place.place = placer_->placeToStore();
        }
    }
    writeResultWindowPlace(context_.settings, place);
}

void FormPartResult::keyPressEvent(QKeyEvent *event) {
    if (event->key() == Qt::Key_Escape && event->modifiers() == Qt::NoModifier) {
        escape();
        return;
    }
    QWidget::keyPressEvent(event);
}

void FormPartResult::resizeEvent(QResizeEvent *event) {
    QWidget::resizeEvent(event);
    fitTextFonts();
}

void FormPartResult::hideEvent(QHideEvent *event) {
    storePlace();
    QWidget::hideEvent(event);
}

void FormPartResult::changeEvent(QEvent *event) {
    QWidget::changeEvent(event);
    if (event->type() == QEvent::ActivationChange && !isActiveWindow() && isVisible()) {
        storePlace();
    }
}

bool FormPartResult::eventFilter(QObject *watched, QEvent *event) {
    if (event->type() == QEvent::Resize) {
        if (watched == ui_->FrameVerdict) {
            fitVerdict();
        } else if (watched == ui_->FrameTiles) {
            placeTiles();
        }
    }
    return QWidget::eventFilter(watched, event);
}

}  // namespace zelapp
