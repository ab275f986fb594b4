// The history window on the offscreen platform: opened once from the Parts menu, its named
// table and labelled boxes, parts measured appearing on top, a part's details, Escape, and the
// export through the file chooser: written, and cancelled with the old file left whole.
#include <gtest/gtest.h>

#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QProgressDialog>
#include <QPushButton>
#include <QTableView>
#include <QTableWidget>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

#include "history/view/dlg_part_details.h"
#include "history/view/form_part_history.h"
#include "part_filler.h"
#include "part_samples.h"
#include "setup/part_program.h"
#include "started_app_test.h"

using namespace Qt::StringLiterals;
using zelapp::FormPartHistory;

namespace {

class PartHistoryWindowTest : public zeltest::StartedAppTest {
  protected:
    template <typename T>
    T *child(QWidget *in, const QString &name) const {
        return in->findChild<T *>(name);
    }
    FormPartHistory *opened() {
        child<QAction>(w, u"ActionHistory"_s)->trigger();
        return w->partHistoryWindow();
    }

    // A program of two characteristics that settle at once; channel 2 rejects high.
    void measureTwoChannels(const QString &number = {}) {
        zelapp::PartProgram program = diameterChannels(2, 3);
        program.number = number;
        program.settleTimeMs = 0;
        program.dynamicTimeMs = 0;
        f.app->session().partProgram().replace(program);
        f.fakeUnit.channelValue[1] = 0.01f;
        f.fakeUnit.channelValue[2] = 0.06f;
    }
    QString cell(FormPartHistory *h, int row, int column) {
        return h->model().data(h->model().index(row, column)).toString();
    }
};

TEST_F(PartHistoryWindowTest, TheMenuOpensOneWindowWithANamedTableAndLabelledBoxes) {
    ASSERT_EQ(w->partHistoryWindow(), nullptr);
    FormPartHistory *h = opened();
    ASSERT_NE(h, nullptr);
    EXPECT_TRUE(h->isVisible());
    EXPECT_TRUE(h->isWindow());
    EXPECT_EQ(opened(), h);  // one instance
    auto *table = child<QTableView>(h, u"TablePart"_s);
    ASSERT_NE(table, nullptr);
    EXPECT_EQ(table->accessibleName(), u"Part history"_s);
    for (const auto &[label, box] : {std::pair{u"LabelFrom"_s, u"DateFrom"_s},
                                     {u"LabelPartNumber"_s, u"ComboPartNumber"_s},
                                     {u"LabelVerdict"_s, u"ComboVerdict"_s}}) {
        ASSERT_NE(child<QLabel>(h, label), nullptr) << label.toStdString();
        EXPECT_EQ(child<QLabel>(h, label)->buddy(), child<QWidget>(h, box));
    }
    // Today, with no end.
    EXPECT_EQ(h->model().filter().since->date(), QDate::currentDate());
    EXPECT_FALSE(h->model().filter().until.has_value());

    // Filters, then the table, then the buttons.
    h->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(h));
    child<QWidget>(h, u"CommandApply"_s)->setFocus();
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
    EXPECT_EQ(QApplication::focusWidget(), table);
    QTest::keyClick(table, Qt::Key_Tab);
    EXPECT_EQ(QApplication::focusWidget(), child<QWidget>(h, u"CommandExport"_s));
    f.app->session().state().HelpFile = u"zelapp.html"_s;
    const int helpShown = f.helpViewer.shows;
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_F1);
    EXPECT_EQ(f.helpViewer.shows, helpShown + 1) << "F1 opens the window's own section";
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Escape);
    EXPECT_FALSE(h->isVisible());
}

TEST_F(PartHistoryWindowTest, MeasuredPartsAppearOnTopAndShowTheirDetails) {
    measureTwoChannels();
    ASSERT_TRUE(measure());
    FormPartHistory *h = opened();
    ASSERT_EQ(h->model().rowCount(), 1);
    f.fakeUnit.channelValue[2] = 0.0f;
    ASSERT_TRUE(measure());
    ASSERT_EQ(h->model().rowCount(), 2);
    EXPECT_EQ(cell(h, 0, 3), u"G GOOD"_s);
    EXPECT_EQ(cell(h, 1, 3), u"R+ REJECT"_s);
    EXPECT_EQ(cell(h, 1, 5), u"+0.060 ✖ ▲"_s);
    EXPECT_EQ(h->model().headerData(5, Qt::Horizontal).toString(), u"C2 Diameter 2"_s);

    auto *table = child<QTableView>(h, u"TablePart"_s);
    ASSERT_TRUE(QTest::qWaitForWindowExposed(h));
    const QRect second = table->visualRect(h->model().index(1, 1));
    // The platform makes a double click of a press that follows a click.
    QTest::mouseClick(table->viewport(), Qt::LeftButton, {}, second.center());
    QTest::mouseDClick(table->viewport(), Qt::LeftButton, {}, second.center());
    auto *details = h->findChild<zelapp::DlgPartDetails *>();
    ASSERT_NE(details, nullptr);
    EXPECT_TRUE(details->isVisible());
    EXPECT_EQ(child<QLabel>(details, u"LabelVerdict"_s)->text(), u"R+ REJECT high"_s);
    EXPECT_EQ(child<QLabel>(details, u"LabelSerial"_s)->text(), u"1"_s);
    auto *limits = details->findChild<QTableWidget *>(u"TableCharacteristics"_s);
    ASSERT_NE(limits, nullptr);
    EXPECT_EQ(limits->item(1, 8)->text(), u"+0.050"_s);  // the high tolerance that judged it
    details->close();                                    // deletes itself
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    ASSERT_EQ(h->findChild<zelapp::DlgPartDetails *>(), nullptr);

    // Enter on the newest row.
    table->setCurrentIndex(h->model().index(0, 0));
    QTest::keyClick(table, Qt::Key_Return);
    details = h->findChild<zelapp::DlgPartDetails *>();
    ASSERT_NE(details, nullptr);
    EXPECT_EQ(child<QLabel>(details, u"LabelSerial"_s)->text(), u"2"_s);
}

TEST_F(PartHistoryWindowTest, ExportWritesTheShownPartsThroughTheChosenFile) {
    measureTwoChannels();
    ASSERT_TRUE(measure());
    ASSERT_TRUE(measure());
    FormPartHistory *h = opened();
    QTemporaryDir dir;
    const QString path = dir.filePath(u"parts.csv"_s);
    f.chooser.answer = path;
    QTest::mouseClick(child<QPushButton>(h, u"CommandExport"_s), Qt::LeftButton);
    ASSERT_EQ(f.chooser.saveRequests.size(), 1u);
    EXPECT_EQ(f.chooser.saveRequests[0].defaultExtension, u"csv"_s);
    QFile written(path);
    ASSERT_TRUE(written.open(QIODevice::ReadOnly));
    const QList<QByteArray> lines = written.readAll().trimmed().split('\n');
    ASSERT_EQ(lines.size(), 3);
    EXPECT_TRUE(lines[0].startsWith("id,time,station,part_number,serial,verdict"));
    EXPECT_EQ(child<QLabel>(h, u"LabelStatus"_s)->text(), u"2 parts exported to %1."_s.arg(path));

    // The spreadsheet profile, chosen beside the button, kept for the user and written.
    auto *profile = child<QComboBox>(h, u"ComboCsvProfile"_s);
    ASSERT_NE(profile, nullptr);
    EXPECT_EQ(profile->currentText(), u"Standard"_s);
    profile->setCurrentIndex(profile->findText(u"Spreadsheet"_s));
    EXPECT_EQ(f.store.value(u"History"_s, u"CsvProfile"_s), u"spreadsheet"_s);
    ASSERT_TRUE(h->exportTo(path));
    written.close();
    ASSERT_TRUE(written.open(QIODevice::ReadOnly));
    EXPECT_TRUE(written.readAll().startsWith("\xEF\xBB\xBFid;time;"));

    // Parts > Export CSV... opens the window and exports, here cancelled at the file dialog.
    f.chooser.answer.clear();
    child<QAction>(w, u"ActionExportCsv"_s)->trigger();
    EXPECT_EQ(f.chooser.saveRequests.size(), 2u);
}

TEST_F(PartHistoryWindowTest, AReopenedWindowShowsWhatItsBoxesSayAndOffersTheNumbers) {
    measureTwoChannels(u"Shaft-Ä1"_s);
    ASSERT_TRUE(measure());
    ASSERT_TRUE(measure());
    FormPartHistory *h = opened();
    auto *number = child<QComboBox>(h, u"ComboPartNumber"_s);
    ASSERT_NE(number, nullptr);
    ASSERT_EQ(number->count(), 1);  // the number recorded, offered
    const QString recorded = number->itemText(0);
    EXPECT_EQ(recorded, u"Shaft-Ä1"_s);
    EXPECT_EQ(number->currentText(), QString());
    number->setEditText(u"shAFT-ä"_s);
    QTest::keyClick(number->lineEdit(), Qt::Key_Return);
    EXPECT_EQ(h->model().rowCount(), 2) << "a beginning, capitals or not";
    number->setEditText(u"nope"_s);
    QTest::keyClick(number->lineEdit(), Qt::Key_Return);
    EXPECT_EQ(h->model().rowCount(), 0);
    // Emptied ("all") without Apply, closed, opened again: all of today's parts.
    number->clearEditText();
    h->close();
    EXPECT_EQ(opened(), h);
    EXPECT_EQ(h->model().rowCount(), 2);
    EXPECT_EQ(child<QLabel>(h, u"LabelStatus"_s)->text(), u"2 parts"_s);
    // Chosen from the drop-down: applied at once.
    number->setCurrentIndex(-1);
    h->model().setFilter({{}, {}, {}, {}, u"nope"_s});
    number->showPopup();
    QTest::keyClick(number->view(), Qt::Key_Down);
    QTest::keyClick(number->view(), Qt::Key_Return);
    EXPECT_EQ(h->model().filter().numberPrefix, recorded);
    EXPECT_EQ(h->model().rowCount(), 2);
}

TEST_F(PartHistoryWindowTest, EscapeInAnOpenDropDownClosesTheDropDownNotTheWindow) {
    FormPartHistory *h = opened();
    h->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(h));
    for (const QString &name : {u"ComboPartNumber"_s, u"ComboVerdict"_s}) {
        SCOPED_TRACE(name.toStdString());
        auto *combo = child<QComboBox>(h, name);
        combo->addItem(u"SHAFT-01"_s);  // a drop-down with something in it
        combo->setFocus();
        combo->showPopup();
        ASSERT_TRUE(combo->view()->isVisible());
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Escape);
        EXPECT_FALSE(combo->view()->isVisible());
        EXPECT_TRUE(h->isVisible());
    }
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Escape);
    EXPECT_FALSE(h->isVisible());
}

TEST_F(PartHistoryWindowTest, ACancelledExportLeavesTheOldFileWhole) {
    QTemporaryDir dir;
    const QString big = dir.filePath(u"big.db"_s);
    ASSERT_TRUE(zeltest::fillParts(big, zeltest::goodPart(), zeltest::snapshot(), 3000));
    FormPartHistory *h = opened();
    h->model().setFile(big);
    h->model().setFilter({});
    const QString path = dir.filePath(u"parts.csv"_s);
    {
        QFile old(path);
        ASSERT_TRUE(old.open(QIODevice::WriteOnly));
        old.write("old\n");
    }
    h->setProgressDelay(0);
    bool progressShown = false;
    // Runs inside the export, when its progress dialog lets events through.
    QTimer::singleShot(0, h, [&] {
        auto *progress = h->findChild<QProgressDialog *>(u"ProgressExport"_s);
        progressShown = progress != nullptr && progress->isVisible();
        if (progress != nullptr) {
            progress->cancel();
        }
    });
    EXPECT_FALSE(h->exportTo(path));
    EXPECT_TRUE(progressShown);
    QFile old(path);
    ASSERT_TRUE(old.open(QIODevice::ReadOnly));
    EXPECT_EQ(old.readAll(), "old\n");
    EXPECT_TRUE(child<QLabel>(h, u"LabelStatus"_s)->text().startsWith(u"Export cancelled"_s));
}

}  // namespace
