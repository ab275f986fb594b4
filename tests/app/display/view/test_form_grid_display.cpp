// The numeric display window: rows per view, columns, values, picking a row, the close box,
// and its place kept per view and per group.
#include <gtest/gtest.h>

#include <QtTest/qtestspontaneevent.h>
#include <QApplication>
#include <QCloseEvent>
#include <QDir>
#include <QFile>
#include <QFontInfo>
#include <QFontMetrics>
#include <QHeaderView>
#include <QSignalSpy>
#include <QTableWidget>
#include <QTest>
#include <vector>

#include "base/settings_store.h"
#include "display/display_host.h"
#include "display/twips.h"
#include "display/view/form_grid_display.h"
#include "group_list.h"
#include "model/palette_setting.h"
#include "model/verdict_marks.h"
#include "setup/setup_reader.h"
#include "setup/setup_writer.h"
#include "setup_fixture.h"
#include "temp_folder.h"
#include "view/window_place.h"
#include "view/zone_colours.h"

using namespace Qt::StringLiterals;
using zelapp::SetupWindow;
using zelapp::WindowGeometry;

namespace {

int widestMark(const QFontMetrics &metrics) {
    int widest = 0;
    for (const QString &mark : zelapp::verdictSymbols()) {
        widest = std::max(widest, metrics.horizontalAdvance(mark));
    }
    return widest;
}

class RecordingHost : public zelapp::DisplayHost {
  public:
    std::vector<int> setupRequests;
    int enableGridClicks = 0;

    void GotoSetupFromView(int index) override { setupRequests.push_back(index); }
    void EnableGrid_Click() override { ++enableGridClicks; }
    void EnableBarGraphs_Click() override {}
    void ShowLinkPopupAt(int, float, float) override {}
    void ShowCalibrateAt(int, float, float) override {}

    zelapp::MemorySettingsStore store;
    zelapp::PaletteSetting palette{store};
    zelapp::PaletteSetting *paletteSetting() override { return &palette; }
};

class FormGridDisplayTest : public ::testing::Test {
  protected:
    zeltest::SetupFixture f;
    RecordingHost host;
    zelapp::FormGridDisplay form{f.setup, f.state, host};
    QTableWidget *grid = form.findChild<QTableWidget *>(u"GridView"_s);

    void SetUp() override { ASSERT_NE(grid, nullptr); }

    void showView(int viewType, int group = 1) {
        f.state.ViewType = viewType;
        f.state.CurrentGroup = group;
        form.UpdateGridDisplay();
    }
    QString cell(int row, int column) const {
        const QTableWidgetItem *item = grid->item(row, column);
        return item != nullptr ? item->text() : u"<none>"_s;
    }
    QStringList descriptions() const {
        QStringList texts;
        for (int r = 1; r < grid->rowCount(); ++r) {
            texts.append(cell(r, 0));
        }
        return texts;
    }
    void doubleClick(int row, int column) {
        const QPoint at = grid->visualItemRect(grid->item(row, column)).center();
        // What a mouse does: press and release, then the double click and its release.
        QTest::mouseClick(grid->viewport(), Qt::LeftButton, {}, at);
        QTest::mouseDClick(grid->viewport(), Qt::LeftButton, {}, at);
        QTest::mouseRelease(grid->viewport(), Qt::LeftButton, {}, at);
        QCoreApplication::sendPostedEvents();
    }
    void showWindow() {
        form.show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&form));
    }
};

TEST_F(FormGridDisplayTest, DesignTimeForm) {
    EXPECT_EQ(form.objectName(), u"FormGridDisplay"_s);
    EXPECT_EQ(form.windowTitle(), u"Numeric Display"_s);
    EXPECT_TRUE(form.isWindow());
    EXPECT_FALSE(grid->horizontalHeader()->isVisible());
    EXPECT_FALSE(grid->verticalHeader()->isVisible());
    EXPECT_EQ(grid->columnCount(), 3);
    EXPECT_EQ(grid->rowCount(), 1);

    QWidget owner;
    zelapp::FormGridDisplay owned(f.setup, f.state, host, &owner);
    EXPECT_TRUE(owned.isWindow());
    EXPECT_EQ(owned.parentWidget(), &owner);
}

TEST_F(FormGridDisplayTest, ChannelViewThenAGroupOfThree) {
    f.setup.channel(5)->Description = u"Bore"_s;
    showView(zelapp::VIEWTYPECHANNELS);
    EXPECT_EQ(form.windowTitle(), u"Channels"_s);
    EXPECT_EQ(form.TotalNumberOfNumerics(), 8);
    ASSERT_EQ(grid->rowCount(), 9);
    EXPECT_EQ(cell(0, 0), u"Channel"_s);
    EXPECT_EQ(cell(1, 0), u"Channel 1"_s);
    EXPECT_EQ(cell(5, 0), u"Bore"_s);
    EXPECT_EQ(cell(8, 0), u"Channel 8"_s);
    form.SetGridValue(1, u" 1.00000"_s);
    form.SetGridValue(2, u" 2.00000"_s);

    zeltest::addGroup(f.setup, u"Front"_s, {5, 2, 7});
    showView(zelapp::VIEWTYPEGROUPS);
    EXPECT_EQ(form.windowTitle(), u"Group: Front"_s);
    EXPECT_EQ(form.TotalNumberOfNumerics(), 3);
    ASSERT_EQ(grid->rowCount(), 4);
    EXPECT_EQ(cell(0, 0), u"Front"_s);
    EXPECT_EQ(descriptions(), (QStringList{u"Bore"_s, u"Channel 2"_s, u"Channel 7"_s}));
    // Until the next tick (never, while updating is paused) a row keeps its value only when
    // it still shows the channel that value was read from.
    EXPECT_EQ(cell(1, 1), QString());
    EXPECT_EQ(cell(2, 1), u" 2.00000"_s);
    f.state.ViewType = zelapp::VIEWTYPELVDTS;
    form.UpdateGridDisplay();
    EXPECT_EQ(cell(2, 1), QString());
}

TEST_F(FormGridDisplayTest, AnEmptyGroupShowsTheHeaderRowOnly) {
    zeltest::addGroup(f.setup, u"Front"_s, {2, 4});
    zeltest::addGroup(f.setup, u"Spare"_s, {});
    showView(zelapp::VIEWTYPEGROUPS, 1);
    form.SetGridValue(1, u" 0.50000"_s);

    // The old rows would keep their values without being fed any more.
    showView(zelapp::VIEWTYPEGROUPS, 2);
    EXPECT_EQ(form.windowTitle(), u"Group: Spare"_s);
    EXPECT_EQ(form.TotalNumberOfNumerics(), 0);
    ASSERT_EQ(grid->rowCount(), 1);
    EXPECT_EQ(cell(0, 0), u"Spare"_s);
    form.SetGridValue(1, u" 0.25000"_s);
    EXPECT_EQ(grid->rowCount(), 1);
}

TEST_F(FormGridDisplayTest, AGroupThatIsGoneShowsTheHeaderRowOnly) {
    zeltest::addGroup(f.setup, u"Front"_s, {2, 4});
    showView(zelapp::VIEWTYPEGROUPS, 1);
    f.setup.removeGroup(1);  // the group setup dialog removed the group on show

    form.UpdateGridDisplay();
    EXPECT_EQ(form.windowTitle(), u"Group: "_s);
    EXPECT_EQ(form.TotalNumberOfNumerics(), 0);
    ASSERT_EQ(grid->rowCount(), 1);
    EXPECT_EQ(cell(0, 0), QString());
}

TEST_F(FormGridDisplayTest, ProbeAndAnalogViews) {
    zeltest::SetupFixture small(2, 3, 2);
    zelapp::FormGridDisplay window(small.setup, small.state, host);
    auto *table = window.findChild<QTableWidget *>(u"GridView"_s);
    ASSERT_NE(table, nullptr);
    small.setup.lvdt(3)->Description = u"Top"_s;

    small.state.ViewType = zelapp::VIEWTYPELVDTS;
    window.UpdateGridDisplay();
    EXPECT_EQ(window.windowTitle(), u"LVDTs"_s);
    EXPECT_EQ(window.TotalNumberOfNumerics(), 3);
    ASSERT_EQ(table->rowCount(), 4);
    EXPECT_EQ(table->item(0, 0)->text(), u"LVDT"_s);
    EXPECT_EQ(table->item(3, 0)->text(), u"Top"_s);

    small.state.ViewType = zelapp::VIEWTYPEANALOGS;
    window.UpdateGridDisplay();
    EXPECT_EQ(window.windowTitle(), u"Analogs"_s);
    EXPECT_EQ(window.TotalNumberOfNumerics(), 2);
    ASSERT_EQ(table->rowCount(), 3);
    EXPECT_EQ(table->item(0, 0)->text(), u"Analog Inputs"_s);
    EXPECT_EQ(table->item(2, 0)->text(), u"Analog  2"_s);
}

TEST_F(FormGridDisplayTest, ColumnsAndCells) {
    showView(zelapp::VIEWTYPECHANNELS);
    const double dpi = zelapp::windowDpi(form);
    EXPECT_EQ(grid->columnWidth(0), qRound(1400 * dpi / 1440));
    EXPECT_EQ(grid->columnWidth(1), qRound(1000 * dpi / 1440));
    EXPECT_EQ(grid->columnWidth(2), qRound(1000 * dpi / 1440));

    const Qt::Alignment right = Qt::AlignRight | Qt::AlignVCenter;
    for (int r : {0, 1, 8}) {
        EXPECT_EQ(grid->item(r, 0)->textAlignment(), right) << r;
        EXPECT_EQ(grid->item(r, 1)->textAlignment(), right) << r;
        EXPECT_FALSE(grid->item(r, 2)->textAlignment() & Qt::AlignRight) << r;
        for (int c = 0; c < 3; ++c) {
            const Qt::ItemFlags flags = grid->item(r, c)->flags();
            EXPECT_FALSE(flags & Qt::ItemIsEditable) << r << c;
            // Row 0 and column 0 are the fixed header cells.
            EXPECT_EQ(bool(flags & Qt::ItemIsSelectable), r != 0 && c != 0) << r << c;
        }
    }
    EXPECT_EQ(grid->editTriggers(), QAbstractItemView::NoEditTriggers);
}

// Every verdict mark shows whole beside the values: in the window's first size, in a tall
// narrow one whose rows alone would write values larger than its width holds, and in a large
// one that writes them larger.
TEST_F(FormGridDisplayTest, EveryVerdictMarkShowsWholeAtTheDefaultWidth) {
    showView(zelapp::VIEWTYPECHANNELS);
    showWindow();
    const QSize first = form.size();
    for (const QSize size : {first, QSize(first.width() - 16, 2 * first.height()),
                             QSize(2 * first.width(), 3 * first.height())}) {
        form.resize(size);
        QCoreApplication::sendPostedEvents();
        const QFontMetrics metrics(grid->item(1, 2)->font());
        EXPECT_GE(grid->columnWidth(2), widestMark(metrics) + metrics.averageCharWidth());
        EXPECT_LE(grid->columnViewportPosition(2) + grid->columnWidth(2), grid->viewport()->width())
            << size.width() << "x" << size.height();
    }
    EXPECT_GT(grid->item(1, 1)->font().pixelSize(), QFontInfo(grid->font()).pixelSize())
        << "a large window still writes larger values";
}

TEST_F(FormGridDisplayTest, SetGridValueWritesColumnOneOfItemRowsOnly) {
    showView(zelapp::VIEWTYPECHANNELS);
    form.SetGridValue(1, u" 0.01230"_s);
    form.SetGridValue(8, u"-1.50000"_s);
    EXPECT_EQ(cell(1, 1), u" 0.01230"_s);
    EXPECT_EQ(cell(8, 1), u"-1.50000"_s);
    EXPECT_EQ(cell(1, 0), u"Channel 1"_s);
    EXPECT_EQ(cell(1, 2), QString());

    for (int row : {0, -1, 9, 255, 32767, -32768}) {
        form.SetGridValue(row, u"x"_s);
    }
    EXPECT_EQ(grid->rowCount(), 9);
    EXPECT_EQ(cell(0, 1), QString());
    EXPECT_EQ(cell(0, 0), u"Channel"_s);

    // The scan writes every row every tick: an unchanged text touches nothing.
    QSignalSpy changes(grid->model(), &QAbstractItemModel::dataChanged);
    form.SetGridValue(8, u"-1.50000"_s);
    EXPECT_EQ(changes.count(), 0);
    form.SetGridValue(8, u"-1.40000"_s);
    EXPECT_EQ(changes.count(), 1);
}

TEST_F(FormGridDisplayTest, ADoubleClickOrEnterOpensTheSetupOfThatRow) {
    showView(zelapp::VIEWTYPECHANNELS);
    showWindow();
    doubleClick(3, 1);
    doubleClick(5, 0);  // the description cell picks its row too
    doubleClick(0, 1);  // the header row picks the first item
    doubleClick(0, 0);
    EXPECT_EQ(host.setupRequests, (std::vector<int>{3, 5, 1, 1}));

    QTest::mouseClick(grid->viewport(), Qt::LeftButton, {},
                      grid->visualItemRect(grid->item(2, 1)).center());
    QCoreApplication::sendPostedEvents();
    EXPECT_EQ(host.setupRequests.size(), 4u);  // a single click only selects
    EXPECT_EQ(host.enableGridClicks, 0);

    // Enter picks the current row, as a double click does.
    grid->setCurrentCell(6, 1);
    QTest::keyClick(grid, Qt::Key_Return);
    QCoreApplication::sendPostedEvents();
    EXPECT_EQ(host.setupRequests.back(), 6);
}

TEST_F(FormGridDisplayTest, TheCloseBoxSwitchesTheDisplayOffThroughTheHost) {
    showWindow();
    // The close box reaches the window as a spontaneous close event.
    QCloseEvent closeBox;
    QSpontaneKeyEvent::setSpontaneous(&closeBox);
    QApplication::instance()->notify(&form, &closeBox);  // sendEvent would clear the flag
    EXPECT_FALSE(closeBox.isAccepted());
    EXPECT_EQ(host.enableGridClicks, 1);
    EXPECT_TRUE(form.isVisible());

    EXPECT_TRUE(form.close());  // the program's own close at exit
    EXPECT_FALSE(form.isVisible());
    EXPECT_EQ(host.enableGridClicks, 1);
}

TEST_F(FormGridDisplayTest, AChannelsValueTakesItsZonesColourAndMarkButAnOldOneNone) {
    zelapp::Channel &c = *f.setup.channel(2);
    c.setFormula(u"T1"_s);
    c.Decimals = 3;
    c.LoTol = -0.05f;
    c.LoAppr = -0.04f;
    c.HiAppr = 0.04f;
    c.HiTol = 0.05f;
    showView(zelapp::VIEWTYPECHANNELS);
    const auto background = [&](int row, int column) {
        return grid->item(row, column)->background().color();
    };
    form.SetGridValue(2, u" 0.060"_s);
    form.SetGridNote(2, {});
    EXPECT_EQ(cell(2, 1), u" 0.060"_s);  // the value's text is the scan's
    EXPECT_EQ(cell(2, 2), u"✖ ▲"_s);
    using zelapp::ResultPalette;
    EXPECT_EQ(background(2, 1),
              zelapp::zoneColour(zelapp::BarZone::Reject, ResultPalette::Standard));
    EXPECT_EQ(background(2, 2),
              zelapp::zoneColour(zelapp::BarZone::Reject, ResultPalette::Standard));

    form.SetGridValue(2, u" 0.000"_s);
    EXPECT_EQ(cell(2, 2), u"✔"_s);
    EXPECT_EQ(background(2, 1), zelapp::zoneColour(zelapp::BarZone::Good, ResultPalette::Standard));
    // The palette chosen shows at once, with ink that reads on it.
    host.palette.choose(ResultPalette::OkabeIto);
    EXPECT_EQ(background(2, 1), zelapp::zoneColour(zelapp::BarZone::Good, ResultPalette::OkabeIto));
    EXPECT_EQ(grid->item(2, 1)->foreground().color(), QColor(Qt::white));
    host.palette.choose(ResultPalette::Standard);

    // An old value is no verdict; nor is "NO UNIT".
    form.SetGridNote(2, {true, u"old"_s});
    EXPECT_EQ(cell(2, 2), QString());
    EXPECT_EQ(grid->item(2, 1)->background().style(), Qt::NoBrush);
    form.SetGridNote(2, {});
    form.SetGridValue(2, u"NO UNIT"_s);
    EXPECT_EQ(cell(2, 2), QString());

    // Probes have no limits.
    f.state.ViewType = zelapp::VIEWTYPELVDTS;
    form.UpdateGridDisplay();
    form.SetGridValue(2, u" 9.00000"_s);
    EXPECT_EQ(cell(2, 2), QString());
    EXPECT_EQ(grid->item(2, 1)->background().style(), Qt::NoBrush);
}

TEST_F(FormGridDisplayTest, ALargeWindowWritesTheValuesLarger) {
    showView(zelapp::VIEWTYPECHANNELS);
    showWindow();
    form.resize(400, 200);
    QCoreApplication::sendPostedEvents();
    const int small = QFontInfo(grid->item(1, 1)->font()).pixelSize();
    const int description = QFontInfo(grid->item(1, 0)->font()).pixelSize();
    form.resize(800, 900);
    QCoreApplication::sendPostedEvents();
    const int large = QFontInfo(grid->item(1, 1)->font()).pixelSize();
    EXPECT_GT(large, small);
    EXPECT_EQ(QFontInfo(grid->item(1, 2)->font()).pixelSize(), large);
    EXPECT_EQ(QFontInfo(grid->item(1, 0)->font()).pixelSize(), description);
    // The rows and the value column grow with it, so the values stay whole.
    EXPECT_GE(grid->rowHeight(1), large);
    EXPECT_GE(grid->columnWidth(1),
              QFontMetrics(grid->item(1, 1)->font()).horizontalAdvance(u"-1.00000"_s));
}

TEST_F(FormGridDisplayTest, TheGridFillsTheWindow) {
    showWindow();
    form.resize(400, 300);
    QCoreApplication::sendPostedEvents();
    EXPECT_EQ(grid->geometry(), form.rect());
}

// --- the window's place ---

WindowGeometry &record(zeltest::SetupFixture &f, SetupWindow which) {
    return zelapp::windowRecord(f.setup.windows(), which);
}
WindowGeometry gridPlaceOf(const zelapp::group &g) {
    return {g.WindowGridTop, g.WindowGridLeft, g.WindowGridHeight, g.WindowGridWidth};
}

TEST_F(FormGridDisplayTest, APlaceSavedPerViewComesBackWithTheView) {
    zeltest::addGroup(f.setup, u"Front"_s, {1, 2});
    showView(zelapp::VIEWTYPECHANNELS);
    showWindow();
    form.setGeometry(120, 80, 300, 200);
    const WindowGeometry channelPlace = zelapp::windowPlace(form);
    QEvent deactivate(QEvent::WindowDeactivate);  // the window loses activation: it saves
    QApplication::sendEvent(&form, &deactivate);
    EXPECT_EQ(record(f, SetupWindow::ChannelGrid), channelPlace);
    EXPECT_GT(channelPlace.Height, 0);

    showView(zelapp::VIEWTYPEGROUPS);  // never placed: the window stays
    EXPECT_EQ(zelapp::windowPlace(form), channelPlace);
    form.setGeometry(400, 300, 250, 150);
    const WindowGeometry groupPlace = zelapp::windowPlace(form);
    form.SaveGridFormSize();
    EXPECT_EQ(gridPlaceOf(*f.setup.groupAt(1)), groupPlace);
    EXPECT_EQ(record(f, SetupWindow::ChannelGrid), channelPlace);

    showView(zelapp::VIEWTYPECHANNELS);
    EXPECT_EQ(zelapp::windowPlace(form), channelPlace);
    showView(zelapp::VIEWTYPEGROUPS);
    EXPECT_EQ(zelapp::windowPlace(form), groupPlace);
}

TEST_F(FormGridDisplayTest, RestoringThenSavingLeavesTheRecordAsItWas) {
    // Restored before the window is first shown, as the program does, and not in whole pixels.
    const WindowGeometry place{2407, 77, 5103, 3661};
    record(f, SetupWindow::ChannelGrid) = place;
    showView(zelapp::VIEWTYPECHANNELS);
    showWindow();
    form.SaveGridFormSize();
    EXPECT_EQ(record(f, SetupWindow::ChannelGrid), place);

    // Below the window's minimum: shown at the minimum, stored back as it was.
    const WindowGeometry tiny{300, 300, 150, 150};
    record(f, SetupWindow::LvdtGrid) = tiny;
    showView(zelapp::VIEWTYPELVDTS);
    EXPECT_GT(zelapp::windowPlace(form).Height, tiny.Height);
    form.SaveGridFormSize();
    EXPECT_EQ(record(f, SetupWindow::LvdtGrid), tiny);

    // Resized by the operator: stored as it now is.
    form.resize(form.width() + 40, form.height());
    form.SaveGridFormSize();
    EXPECT_EQ(record(f, SetupWindow::LvdtGrid), zelapp::windowPlace(form));
    EXPECT_GT(record(f, SetupWindow::LvdtGrid).Width, tiny.Width);
}

TEST_F(FormGridDisplayTest, ChannelAndProbeViewsRestoreTheirOwnRecordsAnalogsStayPut) {
    showWindow();
    const int dpi = qRound(zelapp::windowDpi(form));
    ASSERT_GT(dpi, 0);
    const SetupWindow records[] = {SetupWindow::ChannelGrid, SetupWindow::LvdtGrid,
                                   SetupWindow::AnalogGrid};
    const int views[] = {zelapp::VIEWTYPECHANNELS, zelapp::VIEWTYPELVDTS, zelapp::VIEWTYPEANALOGS};
    for (int i = 0; i < 3; ++i) {
        // Whole pixels at the screen's DPI, so the place comes back exactly.
        const int px = 10 * (i + 1);
        record(f, records[i]) = {zelapp::pixelsToTwips(px, dpi), zelapp::pixelsToTwips(2 * px, dpi),
                                 zelapp::pixelsToTwips(100 + px, dpi),
                                 zelapp::pixelsToTwips(200 + px, dpi)};
    }
    for (int i = 0; i < 2; ++i) {
        showView(views[i]);
        EXPECT_EQ(zelapp::windowPlace(form), record(f, records[i])) << views[i];
    }
    const WindowGeometry probes = zelapp::windowPlace(form);
    showView(zelapp::VIEWTYPEANALOGS);
    EXPECT_EQ(zelapp::windowPlace(form), probes);
}

TEST_F(FormGridDisplayTest, ANeverSavedPlaceLeavesTheWindowWhereItIs) {
    showWindow();
    form.setGeometry(150, 110, 320, 240);
    const WindowGeometry before = zelapp::windowPlace(form);
    record(f, SetupWindow::ChannelGrid) = {500, 500, 0, 3000};  // Height 0: never saved
    showView(zelapp::VIEWTYPECHANNELS);
    EXPECT_EQ(zelapp::windowPlace(form), before);

    zeltest::addGroup(f.setup, u"Front"_s, {1});
    f.setup.groupAt(1)->WindowGridWidth = 3000;
    showView(zelapp::VIEWTYPEGROUPS);
    EXPECT_EQ(zelapp::windowPlace(form), before);
}

TEST_F(FormGridDisplayTest, MinimizedOrMaximizedPlacesAreNeitherSavedNorRestored) {
    zeltest::addGroup(f.setup, u"Front"_s, {1});
    f.state.ViewType = zelapp::VIEWTYPEGROUPS;
    record(f, SetupWindow::ChannelGrid) = {15, 15, 1500, 1500};
    for (Qt::WindowState state : {Qt::WindowMinimized, Qt::WindowMaximized}) {
        form.setWindowState(state);
        form.SaveGridFormSize();
        EXPECT_EQ(gridPlaceOf(*f.setup.groupAt(1)), WindowGeometry{});
    }
    f.state.ViewType = zelapp::VIEWTYPECHANNELS;
    const QRect before = form.geometry();
    form.RestoreGridFormSize();
    EXPECT_EQ(form.geometry(), before);
    EXPECT_TRUE(form.windowState() & Qt::WindowMaximized);
}

TEST_F(FormGridDisplayTest, PlacesLiveOnInTheSetupFile) {
    zeltest::addGroup(f.setup, u"Front"_s, {3, 4});
    showView(zelapp::VIEWTYPECHANNELS);
    showWindow();
    form.setGeometry(60, 40, 280, 220);
    form.SaveGridFormSize();
    const WindowGeometry channelPlace = zelapp::windowPlace(form);
    showView(zelapp::VIEWTYPEGROUPS);
    form.setGeometry(200, 160, 240, 180);
    form.SaveGridFormSize();
    const WindowGeometry groupPlace = zelapp::windowPlace(form);

    zeltest::TempFolder folder;
    const QString path = QDir(QString::fromStdString(folder.path())).filePath(u"places.zel"_s);
    ASSERT_TRUE(zelapp::writeSetupFile(path, f.setup, u'.', nullptr));
    zeltest::SetupFixture copy;
    copy.state.SetupFileName = path;
    ASSERT_EQ(zelapp::SetupReader(copy.setup, copy.prompter, QLocale::c()).read(),
              zelapp::SetupLoad::Loaded);

    zelapp::FormGridDisplay reopened(copy.setup, copy.state, host);
    reopened.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&reopened));
    copy.state.ViewType = zelapp::VIEWTYPECHANNELS;
    reopened.UpdateGridDisplay();
    EXPECT_EQ(zelapp::windowPlace(reopened), channelPlace);
    copy.state.ViewType = zelapp::VIEWTYPEGROUPS;
    copy.state.CurrentGroup = 1;
    reopened.UpdateGridDisplay();
    EXPECT_EQ(zelapp::windowPlace(reopened), groupPlace);
    EXPECT_EQ(reopened.windowTitle(), u"Group: Front"_s);
}

// --- the window icon ---

TEST(FormGridDisplayIcon, TakesTheIconFromTheProgramFolderWhenItLoads) {
    zeltest::TempFolder folder;
    const QString appPath = QString::fromStdString(folder.path());
    RecordingHost host;
    zeltest::SetupFixture f;
    f.state.AppPath = appPath;
    {
        zelapp::FormGridDisplay form(f.setup, f.state, host);  // no icon file
        EXPECT_EQ(form.windowIcon().cacheKey(), QApplication::windowIcon().cacheKey());
    }

    QFile broken(appPath + u"/zelicon.ico"_s);
    ASSERT_TRUE(broken.open(QIODevice::WriteOnly));
    broken.write("not an icon");
    broken.close();
    {
        zelapp::FormGridDisplay form(f.setup, f.state, host);
        EXPECT_EQ(form.windowIcon().cacheKey(), QApplication::windowIcon().cacheKey());
    }

    // The program's own icon, several sizes in one file.
    const QString programIcon = QString::fromUtf8(ZELAPP_ICON_FILE);
    ASSERT_TRUE(QFile::remove(broken.fileName()));
    ASSERT_TRUE(QFile::copy(programIcon, broken.fileName()));
    zelapp::FormGridDisplay form(f.setup, f.state, host);
    EXPECT_FALSE(form.windowIcon().availableSizes().isEmpty());
    EXPECT_NE(form.windowIcon().cacheKey(), QApplication::windowIcon().cacheKey());
}

}  // namespace
