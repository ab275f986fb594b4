// The statistics window on the offscreen platform: opened once from the Parts menu with its
// labelled boxes and keyboard order, the period's boxes, a series shown in the charts and the
// numbers panel, a point's tool tip and its choice by the keyboard, copy, PNG and SVG through
// the file chooser, the operator's events through their dialog, and a new part read at once.
// The tests that need the real numbers and events skip until they are there.
#include <gtest/gtest.h>

#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QComboBox>
#include <QDateTimeEdit>
#include <QFile>
#include <QImage>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QSignalSpy>
#include <QSpinBox>
#include <QTest>
#include <QTimeZone>

#include "base/user_name.h"
#include "core/session.h"
#include "history/part_events.h"
#include "setup/part_program.h"
#include "started_app_test.h"
#include "stats/view/chart_views.h"
#include "stats/view/dlg_stats_event.h"
#include "stats/view/form_statistics.h"
#include "temp_folder.h"

using namespace Qt::StringLiterals;
using namespace zelapp;

namespace {

class StatisticsWindowTest : public zeltest::StartedAppTest {
  protected:
    template <typename T>
    T *child(QWidget *in, const QString &name) const {
        return in->findChild<T *>(name);
    }
    FormStatistics *opened() {
        child<QAction>(w, u"ActionStatistics"_s)->trigger();
        return w->statisticsWindow();
    }

    // Two characteristics that settle at once, C2 with a description.
    void twoCharacteristics() {
        PartProgram program = diameterChannels(2, 3);
        f.app->setup().channel(1)->Description = QString();
        f.app->setup().channel(2)->Description = u"Bore"_s;
        program.settleTimeMs = 0;
        program.dynamicTimeMs = 0;
        f.app->session().partProgram().replace(program);
        f.fakeUnit.channelValue[1] = 0.01f;
        f.fakeUnit.channelValue[2] = 0.02f;
    }

    // Three individuals of part 4711 on C1, the third breaking rules 1 and 2, with an
    // out-of-control event for it awaiting its cause.
    static std::pair<StatsSeries, StatsResult> threeParts() {
        StatsSeries series;
        series.partNumber = u"4711"_s;
        series.channel = 1;
        StatsStage stage;
        stage.characteristic.channel = 1;
        stage.characteristic.decimals = 3;
        stage.characteristic.limits = {-0.05f, -0.04f, 0.04f, 0.05f};
        const QDateTime start(QDate(2026, 12, 10), QTime(9, 0), Qt::UTC);
        for (int i = 0; i < 3; ++i) {
            stage.values.push_back({10 + i, 1 + i, start.addSecs(i * 60), 0.01 * i, false});
        }
        series.stages.push_back(stage);
        PartEvent out;
        out.kind = PartEventKind::OutOfControl;
        out.partNumber = u"4711"_s;
        out.channel = 1;
        out.partId = 12;
        out.time = start.addSecs(120);
        out.data = u"1,2"_s;
        series.events.push_back(out);
        StatsResult r;
        r.subgroups = {
            {0, 1, 0.0, std::nullopt, false}, {1, 1, 0.01, 0.01, false}, {2, 1, 0.02, 0.01, false}};
        r.first = {-0.02, 0.01, 0.015};
        r.second = {0, 0.01, 0.0327};
        r.n = 3;
        r.mean = 0.01;
        r.sigmaWithinPeriod = 0.00887;
        r.sigmaWithinLimits = 0.00887;
        r.sigmaOverall = 0.01;
        r.cp = {1.88, {}, ConfidenceBounds{0.5, 3.5}, {}};
        r.cpk = {1.5, {}, ConfidenceBounds{0.2, 2.8}, {}};
        r.pp = {1.67, {}, ConfidenceBounds{0.4, 3.2}, {}};
        r.ppk = {1.33, {}, ConfidenceBounds{0.1, 2.6}, {}};
        r.breaks = {{1, 2, false}, {2, 2, false}};
        return {series, r};
    }
    FormStatistics *showingThreeParts() {
        twoCharacteristics();
        FormStatistics *s = opened();
        auto [series, result] = threeParts();
        s->showSeries(series, {result});
        return s;
    }
};

TEST_F(StatisticsWindowTest, TheMenuOpensOneWindowWithLabelledBoxesInKeyboardOrder) {
    twoCharacteristics();
    ASSERT_EQ(w->statisticsWindow(), nullptr);
    FormStatistics *s = opened();
    ASSERT_NE(s, nullptr);
    EXPECT_TRUE(s->isVisible());
    EXPECT_TRUE(s->isWindow());
    EXPECT_EQ(opened(), s);  // one instance

    auto *list = child<QListWidget>(s, u"ListCharacteristic"_s);
    ASSERT_NE(list, nullptr);
    ASSERT_EQ(list->count(), 2);
    EXPECT_EQ(list->item(0)->text(), u"C1"_s);
    EXPECT_EQ(list->item(1)->text(), u"C2 Bore"_s);
    EXPECT_EQ(s->channel(), 1);
    for (const auto &[label, box] : {std::pair{u"LabelCharacteristic"_s, u"ListCharacteristic"_s},
                                     {u"LabelPeriod"_s, u"ComboPeriod"_s},
                                     {u"LabelLastParts"_s, u"SpinLastParts"_s},
                                     {u"LabelFrom"_s, u"DateFrom"_s},
                                     {u"LabelTo"_s, u"DateTo"_s},
                                     {u"LabelCauses"_s, u"ListCauses"_s},
                                     {u"LabelNumbers"_s, u"TextNumbers"_s}}) {
        ASSERT_NE(child<QLabel>(s, label), nullptr) << label.toStdString();
        EXPECT_EQ(child<QLabel>(s, label)->buddy(), child<QWidget>(s, box)) << label.toStdString();
    }
    EXPECT_EQ(child<QWidget>(s, u"TextNumbers"_s)->accessibleName(), u"Statistics numbers"_s);

    // The list, the period, ..., the first chart, the numbers and the commands by Tab.
    s->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(s));
    list->setFocus();
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
    EXPECT_EQ(QApplication::focusWidget(), child<QWidget>(s, u"ComboPeriod"_s));
    child<QWidget>(s, u"CommandGiveCause"_s)->setEnabled(true);
    child<QWidget>(s, u"CommandGiveCause"_s)->setFocus();
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
    EXPECT_EQ(QApplication::focusWidget(), &s->firstChart());
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
    EXPECT_EQ(QApplication::focusWidget(), child<QWidget>(s, u"TextNumbers"_s));
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
    EXPECT_EQ(QApplication::focusWidget(), child<QWidget>(s, u"CommandCopy"_s));

    // Another characteristic is read at once.
    list->setCurrentRow(1);
    EXPECT_EQ(s->channel(), 2);

    f.app->session().state().HelpFile = u"zelapp.html"_s;
    const int helpShown = f.helpViewer.shows;
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_F1);
    EXPECT_EQ(f.helpViewer.shows, helpShown + 1) << "F1 opens the window's own section";
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Escape);
    EXPECT_FALSE(s->isVisible());
}

TEST_F(StatisticsWindowTest, ThePeriodEnablesItsOwnBoxes) {
    FormStatistics *s = opened();
    auto *period = child<QComboBox>(s, u"ComboPeriod"_s);
    auto *last = child<QSpinBox>(s, u"SpinLastParts"_s);
    auto *from = child<QDateTimeEdit>(s, u"DateFrom"_s);
    ASSERT_EQ(period->count(), 3);
    EXPECT_EQ(period->itemText(0), u"Today"_s);
    EXPECT_EQ(period->itemText(1), u"Last n parts"_s);
    EXPECT_EQ(period->itemText(2), u"From-To"_s);
    EXPECT_EQ(s->period().kind, StatsPeriod::Kind::Today);
    EXPECT_FALSE(last->isEnabled());
    EXPECT_FALSE(from->isEnabled());

    period->setCurrentIndex(1);
    last->setValue(250);
    EXPECT_EQ(s->period().kind, StatsPeriod::Kind::LastParts);
    EXPECT_EQ(s->period().lastParts, 250);
    EXPECT_TRUE(last->isEnabled());
    EXPECT_FALSE(from->isEnabled());

    period->setCurrentIndex(2);
    EXPECT_EQ(s->period().kind, StatsPeriod::Kind::Range);
    EXPECT_FALSE(last->isEnabled());
    EXPECT_TRUE(from->isEnabled());
    EXPECT_TRUE(child<QWidget>(s, u"DateTo"_s)->isEnabled());
}

TEST_F(StatisticsWindowTest, ASeriesFillsTheChartsTheNumbersAndTheCausesToGive) {
    FormStatistics *s = showingThreeParts();
    EXPECT_EQ(s->firstChart().data().title, u"X"_s);
    ASSERT_EQ(s->firstChart().data().points.size(), 3u);
    EXPECT_EQ(s->firstChart().data().points[2].rules, u"1,2"_s);
    EXPECT_EQ(s->secondChart().data().title, u"MR"_s);
    EXPECT_EQ(s->histogramChart().data().values.size(), 3u);

    const QString numbers = child<QPlainTextEdit>(s, u"TextNumbers"_s)->toPlainText();
    EXPECT_TRUE(numbers.startsWith(u"C1, part 4711\nn: 3\nMean: 0.0100\n"_s))
        << numbers.toStdString();
    EXPECT_TRUE(numbers.contains(u"Cpk: 1.50"_s));
    EXPECT_TRUE(numbers.contains(u"Rule 2 broken at serial 3"_s));

    auto *causes = child<QListWidget>(s, u"ListCauses"_s);
    ASSERT_EQ(causes->count(), 1);
    EXPECT_EQ(causes->item(0)->text(), u"C1 serial 3 at 2026-12-10 09:02:00: rules 1,2"_s);
    EXPECT_TRUE(child<QWidget>(s, u"CommandGiveCause"_s)->isEnabled());

    // Copy numbers puts the panel's text on the clipboard.
    QGuiApplication::clipboard()->clear();
    child<QPushButton>(s, u"CommandCopy"_s)->click();
    EXPECT_EQ(QGuiApplication::clipboard()->text(), numbers);
}

TEST_F(StatisticsWindowTest, APointShowsItsPartAndIsChosenByMouseOrKeys) {
    FormStatistics *s = showingThreeParts();
    s->resize(1100, 680);
    ASSERT_TRUE(QTest::qWaitForWindowExposed(s));
    ControlChartView &chart = s->firstChart();
    const ControlChartLayout layout = chart.layout();
    ASSERT_EQ(layout.points.size(), 3u);
    const QPoint third = layout.points[2].toPoint();
    EXPECT_EQ(chart.pointAt(third), 2);
    EXPECT_EQ(chart.pointAt(third + QPoint(40, 40)), std::nullopt);
    EXPECT_EQ(chart.data().points[2].tip, u"2026-12-10 09:02:00\nSerial 3\nValue 0.020"_s);

    QTest::mouseClick(&chart, Qt::LeftButton, {}, layout.points[1].toPoint());
    EXPECT_EQ(chart.chosen(), 1);
    chart.setFocus();
    QTest::keyClick(&chart, Qt::Key_Right);
    EXPECT_EQ(chart.chosen(), 2);
    QTest::keyClick(&chart, Qt::Key_Home);
    EXPECT_EQ(chart.chosen(), 0);
    QTest::keyClick(&chart, Qt::Key_Left);
    EXPECT_EQ(chart.chosen(), 0);
    QTest::keyClick(&chart, Qt::Key_End);
    EXPECT_EQ(chart.chosen(), 2);
    EXPECT_TRUE(chart.accessibleDescription().contains(u"Serial 3"_s));
}

TEST_F(StatisticsWindowTest, TheChartsAreSavedAsPngAndSvgThroughTheChooser) {
    FormStatistics *s = showingThreeParts();
    s->resize(1100, 680);
    ASSERT_TRUE(QTest::qWaitForWindowExposed(s));
    zeltest::TempFolder folder;
    const QString png = QString::fromStdString(folder.path()) + u"/charts.png"_s;
    const QString svg = QString::fromStdString(folder.path()) + u"/charts.svg"_s;

    f.chooser.answer = png;
    child<QPushButton>(s, u"CommandSavePng"_s)->click();
    ASSERT_FALSE(f.chooser.saveRequests.empty());
    EXPECT_EQ(f.chooser.saveRequests.back().defaultExtension, u"png"_s);
    const QImage image(png);
    ASSERT_FALSE(image.isNull());
    EXPECT_EQ(image.size(), child<QWidget>(s, u"WidgetCharts"_s)->size());

    f.chooser.answer = svg;
    child<QPushButton>(s, u"CommandSaveSvg"_s)->click();
    EXPECT_EQ(f.chooser.saveRequests.back().defaultExtension, u"svg"_s);
    QFile drawing(svg);
    ASSERT_TRUE(drawing.open(QIODevice::ReadOnly));
    const QByteArray text = drawing.readAll();
    EXPECT_TRUE(text.contains("<svg"));
    EXPECT_TRUE(text.contains("</svg>"));

    // Cancelled: nothing written, nothing asked twice.
    f.chooser.answer.clear();
    const size_t asked = f.chooser.saveRequests.size();
    child<QPushButton>(s, u"CommandSavePng"_s)->click();
    EXPECT_EQ(f.chooser.saveRequests.size(), asked + 1);

    // A folder that does not exist: not written, said in the status line.
    EXPECT_FALSE(s->savePng(QString::fromStdString(folder.path()) + u"/none/charts.png"_s));
    EXPECT_TRUE(
        child<QLabel>(s, u"LabelStatus"_s)->text().startsWith(u"The charts cannot be saved"_s));
}

TEST_F(StatisticsWindowTest, AnExclusionAsksForTheReasonBeforeItIsStored) {
    FormStatistics *s = showingThreeParts();
    auto *exclude = child<QPushButton>(s, u"CommandExclude"_s);
    exclude->click();  // no point chosen yet
    EXPECT_EQ(s->findChild<DlgStatsEvent *>(), nullptr);
    EXPECT_TRUE(child<QLabel>(s, u"LabelStatus"_s)->text().startsWith(u"Choose a point"_s));

    s->firstChart().choose(1);
    exclude->click();
    auto *dialog = s->findChild<DlgStatsEvent *>();
    ASSERT_NE(dialog, nullptr);
    EXPECT_TRUE(dialog->isVisible());
    EXPECT_EQ(child<QComboBox>(dialog, u"ComboPart"_s)->currentText(), u"Serial 2, 0.010"_s);
    auto *ok = child<QPushButton>(dialog, u"CommandOK"_s);
    EXPECT_FALSE(ok->isEnabled()) << "a reason is required";
    child<QLineEdit>(dialog, u"TextWho"_s)->setText(u"anna"_s);
    child<QLineEdit>(dialog, u"TextWhy"_s)->setText(u"   "_s);
    EXPECT_FALSE(ok->isEnabled());
    child<QLineEdit>(dialog, u"TextWhy"_s)->setText(u"probe dirty"_s);
    EXPECT_TRUE(ok->isEnabled());
    EXPECT_EQ(dialog->partId(), 11);
    ok->click();
    EXPECT_FALSE(s->excludePart(0, u"anna"_s, u"why"_s));  // no part
    EXPECT_FALSE(s->excludePart(11, u"anna"_s, u" "_s));   // no reason

    PartStore store;
    ASSERT_TRUE(store.open(f.app->session().partHistory().file()).ok());
    const std::vector<PartEvent> events = PartEvents(store).events(u"4711"_s, 1, nullptr);
    ASSERT_EQ(events.size(), 1u);
    EXPECT_EQ(events[0].kind, PartEventKind::Exclude);
    EXPECT_EQ(events[0].partId, 11);
    EXPECT_EQ(events[0].who, u"anna"_s);
    EXPECT_EQ(events[0].why, u"probe dirty"_s);
}

TEST_F(StatisticsWindowTest, FrozenLimitsNewStagesAndCausesAreStoredAsEvents) {
    FormStatistics *s = showingThreeParts();
    // Nothing computed: nothing to freeze, and no event written.
    auto [series, result] = threeParts();
    StatsResult none = result;
    none.noLimits = u"fewer than 2 values"_s;
    s->showSeries(series, {none});
    EXPECT_FALSE(s->freezeLimits(u"anna"_s, u"baseline"_s));
    EXPECT_EQ(child<QLabel>(s, u"LabelStatus"_s)->text(),
              u"There are no limits to freeze: fewer than 2 values."_s);

    s->showSeries(series, {result});
    child<QPushButton>(s, u"CommandFreeze"_s)->click();
    auto *dialog = s->findChild<DlgStatsEvent *>();
    ASSERT_NE(dialog, nullptr);
    EXPECT_EQ(dialog->windowTitle(), u"Freeze limits"_s);
    EXPECT_EQ(child<QLineEdit>(dialog, u"TextWho"_s)->text(), currentUserName());
    dialog->reject();
    EXPECT_FALSE(s->giveCause(1, u"anna"_s, u"tool worn"_s));  // no such row
    EXPECT_FALSE(s->giveCause(0, u"anna"_s, QString()));       // no cause

    EXPECT_TRUE(s->freezeLimits(u"anna"_s, u"baseline"_s));
    s->showSeries(series, {result});
    EXPECT_TRUE(s->newStage(u"anna"_s, u"new insert"_s));
    s->showSeries(series, {result});
    EXPECT_TRUE(s->giveCause(0, u"anna"_s, u"tool worn"_s));
    PartStore store;
    ASSERT_TRUE(store.open(f.app->session().partHistory().file()).ok());
    const std::vector<PartEvent> events = PartEvents(store).events(u"4711"_s, 1, nullptr);
    ASSERT_EQ(events.size(), 3u);
    EXPECT_EQ(events[0].kind, PartEventKind::FreezeLimits);
    EXPECT_FALSE(events[0].data.isEmpty());
    EXPECT_EQ(events[1].kind, PartEventKind::NewStage);
    EXPECT_EQ(events[2].kind, PartEventKind::Cause);
    EXPECT_EQ(events[2].partId, 12);
    EXPECT_EQ(events[2].data, u"1,2"_s);
    EXPECT_EQ(events[2].why, u"tool worn"_s);
}

TEST_F(StatisticsWindowTest, AMeasuredPartIsReadAtOnce) {
    twoCharacteristics();
    FormStatistics *s = opened();
    QSignalSpy shown(s, &FormStatistics::shown);
    ASSERT_TRUE(measure());
    EXPECT_EQ(shown.count(), 1) << "read again on the part's notice";
    s->hide();
    ASSERT_TRUE(measure());
    EXPECT_EQ(shown.count(), 1) << "a hidden window reads nothing";
    s->showWindow();
    EXPECT_EQ(s->series().channel, 1);  // an untitled setup's parts have an empty part number
    ASSERT_EQ(s->series().stages.size(), 1u);
    EXPECT_EQ(s->series().stages[0].values.size(), 2u);
    EXPECT_EQ(s->firstChart().data().points.size(), 2u);
    ASSERT_TRUE(measure());
    EXPECT_EQ(s->firstChart().data().points.size(), 3u);
    EXPECT_TRUE(s->numbersText().contains(u"n: 3"_s));
}

TEST_F(StatisticsWindowTest, APartBreakingARuleIsReadOnceAndItsCauseFollowsTheWatch) {
    twoCharacteristics();
    FormStatistics *s = opened();
    for (int i = 0; i < 8; ++i) {
        f.fakeUnit.channelValue[1] = 0.010f + 0.001f * float(i % 2);
        ASSERT_TRUE(measure());
    }
    QSignalSpy shown(s, &FormStatistics::shown);
    f.fakeUnit.channelValue[1] = 0.045f;  // far beyond 3 sigma: rule 1
    ASSERT_TRUE(measure());
    EXPECT_EQ(shown.count(), 1) << "read once, not again for the cause it awaits";
    ASSERT_EQ(s->causesToGive().size(), 1u);
    const PartEvent awaited = s->causesToGive().front();
    EXPECT_EQ(awaited.data, u"1"_s);

    // Given in the result window's panel: it leaves the list here without a new read.
    ASSERT_FALSE(f.app->session().processWatch().giveCause(awaited.partId, 1, u"anna"_s,
                                                           u"chip on the anvil"_s));
    EXPECT_TRUE(s->causesToGive().empty());
    EXPECT_EQ(shown.count(), 1);
}

}  // namespace
