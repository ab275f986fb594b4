// The bar-graph window on the offscreen platform: rebuilding per view, the gauge elements,
// values, the mouse on a bar, the close box and the stored window places.
#include <gtest/gtest.h>

#include <QAction>
#include <QApplication>
#include <QCloseEvent>
#include <QImage>
#include <QPointer>
#include <QSpontaneKeyEvent>
#include <QTemporaryDir>
#include <QTest>
#include <cmath>
#include <memory>

#include "display/twips.h"
#include "display/view/form_lin_gage.h"
#include "group_list.h"
#include "setup_fixture.h"
#include "view/window_place.h"

using zelapp::FormLinGage;
using zelapp::LGauge;
using zelapp::WindowGeometry;

namespace {

struct PlaceCall {
    int item;
    float x;
    float y;
};

class RecordingHost : public zelapp::DisplayHost {
  public:
    std::vector<int> setups;
    int barToggles = 0;
    int gridToggles = 0;
    std::vector<PlaceCall> links, calibrations;
    bool valuesShown = false;

    void GotoSetupFromView(int index) override { setups.push_back(index); }
    void EnableGrid_Click() override { ++gridToggles; }
    void EnableBarGraphs_Click() override { ++barToggles; }
    void ShowLinkPopupAt(int channel, float x, float y) override {
        links.push_back({channel, x, y});
    }
    void ShowCalibrateAt(int lvdt, float x, float y) override {
        calibrations.push_back({lvdt, x, y});
    }
    bool barValuesShown() const override { return valuesShown; }
    void setBarValuesShown(bool shown) override { valuesShown = shown; }
};

class FormLinGageTest : public ::testing::Test {
  protected:
    zeltest::SetupFixture f;
    RecordingHost host;
    std::unique_ptr<FormLinGage> form;

    explicit FormLinGageTest(int channels = 8) : f(channels) {
        form = std::make_unique<FormLinGage>(f.setup, f.state, host);
        form->resize(800, 300);
    }

    void show(int view) {
        f.state.ViewType = view;
        form->UpdateBarDisplay();
    }
    QList<LGauge *> gauges() const {
        return form->findChildren<LGauge *>(QStringLiteral("LGauge1"));
    }
};

TEST_F(FormLinGageTest, CaptionAndBarsFollowTheView) {
    EXPECT_EQ(form->windowTitle(), QStringLiteral("Bar Graphs"));
    EXPECT_EQ(gauges(), QList<LGauge *>{form->gauge(0)});
    EXPECT_EQ(form->gauge(1), nullptr);
    QWidget owner;
    EXPECT_TRUE(FormLinGage(f.setup, f.state, host, &owner).isWindow());

    const std::pair<int, const char16_t *> views[] = {
        {zelapp::VIEWTYPECHANNELS, u"Display Channels"},
        {zelapp::VIEWTYPELVDTS, u"Display LVDTs"},
        {zelapp::VIEWTYPEANALOGS, u"Display Analogs"}};
    for (const auto &[view, title] : views) {
        show(view);
        EXPECT_EQ(form->windowTitle(), QString::fromUtf16(title));
    }
    EXPECT_EQ(form->createdGauges(), 1);
    show(zelapp::VIEWTYPELVDTS);
    EXPECT_EQ(form->createdGauges(), 8);
    EXPECT_EQ(form->gauge(7)->caption(), QStringLiteral("Lvdt 8"));

    zeltest::addGroup(f.setup, QStringLiteral("Left side"), {4, 6, 2});
    f.state.CurrentGroup = 1;
    show(zelapp::VIEWTYPEGROUPS);
    EXPECT_EQ(form->windowTitle(), QStringLiteral("Display Group Left side"));
    EXPECT_EQ(form->TotalNumberOfBars(), 3);
    EXPECT_EQ(form->gauge(1)->caption(), QStringLiteral("Channel 6"));
    // A bar keeps its level only while it shows the same item.
    form->SetBarValue(1, 0.5f);
    form->SetBarValue(2, 0.25f);
    zeltest::addGroup(f.setup, QStringLiteral("Right side"), {5, 6});
    f.state.CurrentGroup = 2;
    show(zelapp::VIEWTYPEGROUPS);
    EXPECT_TRUE(std::isnan(form->gauge(0)->value()));
    EXPECT_FLOAT_EQ(form->gauge(1)->value(), 0.25f);

    // A group that is gone shows no bars, as an empty view does.
    f.state.CurrentGroup = 3;
    show(zelapp::VIEWTYPEGROUPS);
    EXPECT_EQ(form->windowTitle(), QStringLiteral("Display Group "));
    EXPECT_EQ(form->TotalNumberOfBars(), 0);
    EXPECT_EQ(form->createdGauges(), 1);
    EXPECT_TRUE(form->gauge(0)->isHidden());
}

TEST_F(FormLinGageTest, GaugesGetTheScaleAndLimitsOfTheirItem) {
    zelapp::Channel &c = *f.setup.channel(2);
    c.Decimals = 2;
    c.BarDisplayBot = -0.5f;
    c.HiTol = 0.3f;
    show(zelapp::VIEWTYPECHANNELS);
    const LGauge &g = *form->gauge(1);
    EXPECT_EQ(std::pair(g.scaleBottom(), g.scaleTop()), std::pair(-0.5, 0.05f * 1.0));
    EXPECT_EQ(std::pair(g.barBottom(), g.barTop()), std::pair(-0.5, 0.05f * 1.0));
    EXPECT_NEAR(g.tickStep(), 0.055, 1e-7);
    EXPECT_EQ(g.decimals(), 2);
    EXPECT_TRUE(g.limitMode());
    EXPECT_EQ(g.markerAt(4), (zelapp::LimitMarker{0.3f, 0.85, 0.01}));
    EXPECT_EQ(g.marker(), 0);  // ready for SetBarValue
    EXPECT_TRUE(g.drawingEnabled());

    f.state.Decimals = 4;
    show(zelapp::VIEWTYPELVDTS);
    EXPECT_FALSE(form->gauge(1)->limitMode());
    EXPECT_EQ(form->gauge(1)->decimals(), 4);
}

class ManyBarsTest : public FormLinGageTest {
  protected:
    ManyBarsTest() : FormLinGageTest(30) {}
};

TEST_F(ManyBarsTest, GoingFromThirtyBarsToEightDestroysTheTopElements) {
    show(zelapp::VIEWTYPECHANNELS);
    ASSERT_EQ(form->createdGauges(), 30);
    EXPECT_EQ(form->gauge(15)->geometry(), QRect(0, 150, 53, 150));  // 2 rows of 15
    EXPECT_EQ(form->gauge(29)->index(), 29);
    EXPECT_EQ(form->gauge(29)->font(), form->gauge(0)->font());
    LGauge *const first = form->gauge(0);
    std::vector<QPointer<LGauge>> upper;
    for (int e = 8; e < 30; ++e) {
        upper.emplace_back(form->gauge(e));
    }

    f.setup.CreateChannels(8);
    show(zelapp::VIEWTYPECHANNELS);
    EXPECT_EQ(form->createdGauges(), 8);
    EXPECT_EQ(gauges().size(), 8);
    EXPECT_EQ(form->gauge(0), first);
    for (const auto &g : upper) {
        EXPECT_TRUE(g.isNull());
    }
    for (int e = 0; e < 8; ++e) {
        EXPECT_EQ(form->gauge(e)->geometry(), QRect(e * 100, 0, 100, 300)) << e;
        EXPECT_FALSE(form->gauge(e)->isHidden());
    }

    form->show();  // a hidden window gets its resize event only when shown
    form->resize(1600, 400);
    EXPECT_EQ(form->gauge(7)->geometry(), QRect(1400, 0, 200, 400));
}

TEST_F(FormLinGageTest, SetBarValueMovesBarAndPointerOfThatPositionOnly) {
    show(zelapp::VIEWTYPECHANNELS);
    form->SetBarValue(2, 0.003f);
    EXPECT_DOUBLE_EQ(form->gauge(1)->value(), 0.003f);
    EXPECT_DOUBLE_EQ(form->gauge(1)->markerAt(0).position, 0.003f);
    EXPECT_TRUE(std::isnan(form->gauge(0)->value()));  // no level before its first reading
    for (int index : {0, -1, 9, 32767}) {
        form->SetBarValue(index, 1.0f);
    }
    EXPECT_TRUE(std::isnan(form->gauge(7)->value()));
}

TEST_F(FormLinGageTest, AViewWithoutItemsHidesElementZero) {
    show(zelapp::VIEWTYPECHANNELS);
    zeltest::addGroup(f.setup, QStringLiteral("Empty"), {});
    f.state.CurrentGroup = 1;
    show(zelapp::VIEWTYPEGROUPS);
    EXPECT_EQ(form->windowTitle(), QStringLiteral("Display Group Empty"));
    EXPECT_EQ(form->TotalNumberOfBars(), 0);
    EXPECT_EQ(form->createdGauges(), 1);
    EXPECT_TRUE(form->gauge(0)->isHidden());
    form->SetBarValue(1, 0.5f);
    EXPECT_TRUE(std::isnan(form->gauge(0)->value()));
    emit form->gauge(0)->picked(0);
    emit form->gauge(0)->rightClicked(0, QPoint(1, 1));
    QCoreApplication::processEvents();
    EXPECT_TRUE(host.setups.empty());
    EXPECT_TRUE(host.links.empty());

    show(zelapp::VIEWTYPECHANNELS);
    EXPECT_FALSE(form->gauge(0)->isHidden());
}

class RightClickTest : public FormLinGageTest {
  protected:
    void SetUp() override {
        form->move(100, 80);
        form->show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(form.get()));
    }
    // Where the click lands on the screen, in twips, as the pop-ups expect it.
    std::pair<float, float> expectedAt(int element, QPoint pos) const {
        const QRect outer = form->frameGeometry();
        const LGauge *g = form->gauge(element);
        const double scale = zelapp::kTwipsPerInch / zelapp::windowDpi(*form);
        return {static_cast<float>((g->x() + outer.x() + pos.x()) * scale),
                static_cast<float>(
                    (g->y() + outer.y() + pos.y() + outer.height() - form->height()) * scale)};
    }
    void rightClick(int element, QPoint pos) {
        QTest::mousePress(form->gauge(element), Qt::RightButton, {}, pos);
        QCoreApplication::processEvents();
    }
};

TEST_F(RightClickTest, ChannelAndGroupViewsOfferTheLinkOfTheBarsChannel) {
    show(zelapp::VIEWTYPECHANNELS);
    rightClick(4, QPoint(7, 9));
    ASSERT_EQ(host.links.size(), 1u);
    EXPECT_EQ(host.links[0].item, 5);
    const auto [x, y] = expectedAt(4, QPoint(7, 9));
    EXPECT_FLOAT_EQ(host.links[0].x, x);
    EXPECT_FLOAT_EQ(host.links[0].y, y);

    zeltest::addGroup(f.setup, QStringLiteral("G"), {6, 3});
    f.state.CurrentGroup = 1;
    show(zelapp::VIEWTYPEGROUPS);
    rightClick(1, QPoint(2, 3));
    ASSERT_EQ(host.links.size(), 2u);
    EXPECT_EQ(host.links[1].item, 3);
    EXPECT_TRUE(host.calibrations.empty());
}

TEST_F(RightClickTest, DoubleClickOpensSetupAndProbesCalibrateAndAnalogsDoNothing) {
    show(zelapp::VIEWTYPECHANNELS);
    QTest::mouseDClick(form->gauge(2), Qt::LeftButton, {}, QPoint(5, 5));
    QCoreApplication::processEvents();
    EXPECT_EQ(host.setups, std::vector<int>{3});

    show(zelapp::VIEWTYPELVDTS);
    rightClick(2, QPoint(4, 5));
    ASSERT_EQ(host.calibrations.size(), 1u);
    EXPECT_EQ(host.calibrations[0].item, 3);
    EXPECT_FLOAT_EQ(host.calibrations[0].y, expectedAt(2, QPoint(4, 5)).second);

    show(zelapp::VIEWTYPEANALOGS);
    rightClick(0, QPoint(4, 5));
    EXPECT_EQ(host.calibrations.size(), 1u);
    EXPECT_TRUE(host.links.empty());
}

TEST_F(FormLinGageTest, ACaptionIsTheWholeDescriptionWithTheWholeInItsTooltip) {
    const QString longer = QStringLiteral("Bore diameter top, measured at the front end");
    f.setup.channel(2)->Description = longer;
    show(zelapp::VIEWTYPECHANNELS);
    LGauge *g = form->gauge(1);
    EXPECT_EQ(g->caption(), longer);
    EXPECT_TRUE(g->layout().caption.endsWith(QChar(0x2026)));
    EXPECT_TRUE(g->layout().caption.startsWith(QStringLiteral("Bore d")));
    EXPECT_EQ(g->toolTip(), longer);
    form->SetBarNote(2, {true, QStringLiteral("Old value")});
    EXPECT_EQ(g->toolTip(), longer + QStringLiteral("\nOld value"));
}

TEST_F(FormLinGageTest, ShowValuesWritesEachBarsNumberAndIsKeptByTheHost) {
    f.setup.channel(1)->Decimals = 3;
    show(zelapp::VIEWTYPECHANNELS);
    form->SetBarValue(1, 0.25f);
    EXPECT_FALSE(form->showValues());
    EXPECT_EQ(form->gauge(0)->valueText(), QString());
    EXPECT_TRUE(form->gauge(0)->layout().valueBox.isEmpty());
    const int barTop = form->gauge(0)->layout().bar.top();

    auto *action = form->findChild<QAction *>(QStringLiteral("mnuShowValues"));
    ASSERT_NE(action, nullptr);
    EXPECT_EQ(action->text(), QStringLiteral("Show Values"));
    ASSERT_TRUE(action->isCheckable());
    action->trigger();
    EXPECT_TRUE(host.valuesShown);
    EXPECT_TRUE(form->showValues());
    EXPECT_EQ(form->gauge(0)->valueText(), QStringLiteral("0.250"));
    EXPECT_GT(form->gauge(0)->layout().bar.top(), barTop);  // room for the number above
    form->SetBarValue(1, std::nanf(""));
    EXPECT_EQ(form->gauge(0)->valueText(), QString());

    // Probes at the setup's five decimals; a new window starts as the host kept it.
    show(zelapp::VIEWTYPELVDTS);
    form->SetBarValue(2, -0.5f);
    EXPECT_EQ(form->gauge(1)->valueText(), QStringLiteral("-0.50000"));
    FormLinGage again(f.setup, f.state, host);
    EXPECT_TRUE(again.showValues());
    action->trigger();
    EXPECT_FALSE(host.valuesShown);
    EXPECT_EQ(form->gauge(1)->valueText(), QString());
}

TEST_F(FormLinGageTest, CloseBoxSwitchesTheBarsOffThroughTheMainWindow) {
    form->show();
    // As the window system delivers it (sendEvent would clear the spontaneous mark).
    QCloseEvent box;
    QSpontaneKeyEvent::setSpontaneous(&box);
    QCoreApplication::instance()->notify(form.get(), &box);
    EXPECT_FALSE(box.isAccepted());
    EXPECT_EQ(host.barToggles, 1);
    EXPECT_TRUE(form->isVisible());  // hiding is the main window's business

    EXPECT_TRUE(form->close());  // the program's own close goes through
    EXPECT_FALSE(form->isVisible());
    EXPECT_EQ(host.barToggles, 1);
}

TEST_F(FormLinGageTest, StoredPlaceIsRestoredPerViewAndHeightZeroKeepsTheWindow) {
    const WindowGeometry channelPlace{1500, 3000, 4500, 6000};
    zelapp::windowRecord(f.setup.windows(), zelapp::SetupWindow::ChannelBar) = channelPlace;
    show(zelapp::VIEWTYPECHANNELS);
    EXPECT_EQ(zelapp::windowPlace(*form), channelPlace);
    const WindowGeometry tiny{15, 15, 150, 150};  // below the minimum: stored back as it was
    zelapp::windowRecord(f.setup.windows(), zelapp::SetupWindow::ChannelBar) = tiny;
    form->setMinimumSize(100, 100);
    show(zelapp::VIEWTYPECHANNELS);
    form->SaveLGaugeFormSize();
    EXPECT_EQ(zelapp::windowRecord(f.setup.windows(), zelapp::SetupWindow::ChannelBar), tiny);
    form->setMinimumSize(0, 0);
    zelapp::windowRecord(f.setup.windows(), zelapp::SetupWindow::ChannelBar) = channelPlace;
    show(zelapp::VIEWTYPECHANNELS);

    // A never-saved record leaves the window where it is; so does the analog view.
    form->move(40, 50);
    const WindowGeometry before = zelapp::windowPlace(*form);
    show(zelapp::VIEWTYPELVDTS);
    EXPECT_EQ(zelapp::windowPlace(*form), before);
    zelapp::windowRecord(f.setup.windows(), zelapp::SetupWindow::AnalogBar) = channelPlace;
    show(zelapp::VIEWTYPEANALOGS);
    EXPECT_EQ(zelapp::windowPlace(*form), before);

    zelapp::group &g = zeltest::addGroup(f.setup, QStringLiteral("G"), {1, 2});
    g.WindowBarTop = 300;
    g.WindowBarLeft = 600;
    g.WindowBarHeight = 3000;
    g.WindowBarWidth = 4500;
    f.state.CurrentGroup = 1;
    show(zelapp::VIEWTYPEGROUPS);
    EXPECT_EQ(zelapp::windowPlace(*form), (WindowGeometry{300, 600, 3000, 4500}));
}

TEST_F(FormLinGageTest, PlaceIsSavedWhenTheWindowLosesActivation) {
    const auto deactivate = [&] {
        QEvent event(QEvent::WindowDeactivate);
        QApplication::sendEvent(form.get(), &event);
    };
    show(zelapp::VIEWTYPELVDTS);
    form->setGeometry(60, 30, 300, 150);
    deactivate();
    const WindowGeometry saved =
        zelapp::windowRecord(f.setup.windows(), zelapp::SetupWindow::LvdtBar);
    EXPECT_EQ(saved, zelapp::windowPlace(*form));
    EXPECT_GT(saved.Height, 0);

    zelapp::group &g = zeltest::addGroup(f.setup, QStringLiteral("G"), {1});
    f.state.CurrentGroup = 1;
    show(zelapp::VIEWTYPEGROUPS);
    form->setGeometry(90, 45, 200, 100);
    deactivate();
    const WindowGeometry place = zelapp::windowPlace(*form);
    EXPECT_EQ(
        (WindowGeometry{g.WindowBarTop, g.WindowBarLeft, g.WindowBarHeight, g.WindowBarWidth}),
        place);

    // Minimised or without a group to show: nothing is stored.
    f.state.CurrentGroup = 9;
    form->setGeometry(10, 10, 100, 100);
    deactivate();
    EXPECT_EQ(g.WindowBarWidth, place.Width);
    f.state.ViewType = zelapp::VIEWTYPELVDTS;
    form->setWindowState(Qt::WindowMinimized);
    deactivate();
    EXPECT_EQ(zelapp::windowRecord(f.setup.windows(), zelapp::SetupWindow::LvdtBar), saved);
}

TEST(FormLinGageIconTest, IconComesFromTheProgramFolderWhenItLoads) {
    zeltest::SetupFixture f;
    RecordingHost host;
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    QImage image(16, 16, QImage::Format_ARGB32);
    image.fill(Qt::red);
    ASSERT_TRUE(image.save(dir.filePath(QStringLiteral("zelicon.ico")), "PNG"));
    f.state.AppPath = dir.path();
    FormLinGage withIcon(f.setup, f.state, host);
    EXPECT_TRUE(withIcon.testAttribute(Qt::WA_SetWindowIcon));

    f.state.AppPath = dir.filePath(QStringLiteral("missing"));
    FormLinGage without(f.setup, f.state, host);
    EXPECT_FALSE(without.testAttribute(Qt::WA_SetWindowIcon));
}

}  // namespace
