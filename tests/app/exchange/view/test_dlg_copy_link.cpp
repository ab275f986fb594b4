// The bar window's link pop-up in the whole program on the offscreen platform: a right click on
// a bar opens it at the click, "Copy" puts the channel's value and its live link on the
// clipboard, and only the channel views offer it.
#include <gtest/gtest.h>

#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QLabel>
#include <QMimeData>
#include <QTest>
#include <QTimer>
#include <functional>

#include "app_fixture.h"
#include "display/twips.h"
#include "display/view/form_lin_gage.h"
#include "display/view/lgauge.h"
#include "exchange/view/dlg_copy_link.h"
#include "group_list.h"
#include "view/window_place.h"

using zelapp::DlgCopyLink;

namespace {

constexpr char kLinkType[] = "application/x-dde-link";

// The link bytes of an item of this test program's service.
QByteArray linkOf(const char *item) {
    QByteArray bytes("test_dlg_copy_link");
    bytes += '\0';
    bytes += "Display";
    bytes += '\0';
    bytes += item;
    bytes += '\0';
    bytes += '\0';
    return bytes;
}

QLabel *label(QWidget *popup, const char *name) {
    return popup->findChild<QLabel *>(QString::fromLatin1(name));
}

class DlgCopyLinkTest : public ::testing::Test {
  protected:
    zeltest::AppFixture f;
    zelapp::FormMain *w = nullptr;

    void SetUp() override {
        ASSERT_EQ(f.start(QStringLiteral("/BARS")), zelapp::StartupResult::Running);
        w = f.window();
        ASSERT_NE(w->barWindow(), nullptr);
        f.defineEveryChannel();
        QGuiApplication::clipboard()->setText(QStringLiteral("before"));
    }

    void reading(int channel, float value) {
        f.fakeUnit.channelValue[channel] = value;
        w->Timer1_Timer();
    }

    // Where a right click lands on the screen in pixels, through the twips the bars pass on.
    QPoint screenPointOf(int element, QPoint pos) const {
        const zelapp::FormLinGage &bars = *w->barWindow();
        const QRect outer = bars.frameGeometry();
        const zelapp::LGauge *g = bars.gauge(element);
        const double dpi = zelapp::windowDpi(bars);
        const double scale = zelapp::kTwipsPerInch / dpi;
        const auto x = static_cast<float>((g->x() + outer.x() + pos.x()) * scale);
        const auto y = static_cast<float>(
            (g->y() + outer.y() + pos.y() + outer.height() - bars.height()) * scale);
        return {zelapp::twipsToPixels(x, dpi), zelapp::twipsToPixels(y, dpi)};
    }

    // Right-clicks a bar and runs act on the pop-up from inside its modal loop; true when the
    // pop-up came up. The pop-up is hidden after act whatever it did, so that a failed check
    // cannot leave the test inside the loop.
    bool rightClickBar(int element, QPoint pos, const std::function<void(DlgCopyLink &)> &act) {
        bool shown = false;
        QTimer probe;
        probe.setInterval(0);
        QObject::connect(&probe, &QTimer::timeout, [&] {
            DlgCopyLink *popup = w->copyLinkDialog();
            if (popup == nullptr || !popup->isVisible()) {
                return;
            }
            probe.stop();
            shown = true;
            act(*popup);
            if (popup->isVisible()) {
                popup->hide();
            }
        });
        probe.start();
        emit w->barWindow()->gauge(element)->rightClicked(element, pos);
        QCoreApplication::processEvents();  // the queued call runs the pop-up's loop
        probe.stop();
        return shown;
    }

    void expectLinkStateEmptied() {
        EXPECT_TRUE(f.state().CopyLinkValue.isEmpty());
        EXPECT_TRUE(f.state().CopyLinkTopic.isEmpty());
        EXPECT_TRUE(f.state().CopyLinkItem.isEmpty());
        EXPECT_EQ(f.state().CopyLinkApp, QStringLiteral("test_dlg_copy_link"));
    }
};

TEST_F(DlgCopyLinkTest, RightClickOnABarShowsTheMenuAtTheClick) {
    reading(1, 12.345f);
    QPoint at, expectedAt = screenPointOf(0, QPoint(7, 9));
    bool modal = false;
    std::vector<std::tuple<QString, bool>> items;
    ASSERT_TRUE(rightClickBar(0, QPoint(7, 9), [&](DlgCopyLink &popup) {
        at = popup.pos();
        modal = QApplication::activeModalWidget() == &popup || popup.isModal();
        EXPECT_EQ(popup.objectName(), QStringLiteral("dlgCopyLink"));
        EXPECT_TRUE(popup.windowFlags().testFlag(Qt::Popup));
        for (const char *name : {"Label1", "Label2", "Label3"}) {
            QLabel *item = label(&popup, name);
            ASSERT_NE(item, nullptr) << name;
            items.emplace_back(item->text(), item->isEnabled());
        }
        // Items stack downwards from the top.
        EXPECT_LT(label(&popup, "Label1")->y(), label(&popup, "Label2")->y());
        EXPECT_LT(label(&popup, "Label2")->y(), label(&popup, "Label3")->y());
        // The state holds what Copy would put.
        EXPECT_EQ(f.state().CopyLinkValue, QStringLiteral(" 12.34500"));
        EXPECT_EQ(f.state().CopyLinkItem, QStringLiteral("labelChan(1)"));
    }));
    EXPECT_EQ(at, expectedAt);
    EXPECT_TRUE(modal);
    EXPECT_EQ(items,
              (std::vector<std::tuple<QString, bool>>{{QStringLiteral("Copy"), true},
                                                      {QStringLiteral("Paste"), false},
                                                      {QStringLiteral("Paste Link"), false}}));
    EXPECT_EQ(w->copyLinkDialog()->parent(), w);  // goes with the main window
}

TEST_F(DlgCopyLinkTest, CopyPutsTheValueTextAndTheLinkThenHides) {
    reading(1, 12.345f);
    DlgCopyLink *first = nullptr;
    ASSERT_TRUE(rightClickBar(0, QPoint(3, 3), [&](DlgCopyLink &popup) {
        first = &popup;
        QTest::mouseClick(label(&popup, "Label1"), Qt::LeftButton);
        EXPECT_FALSE(popup.isVisible());
    }));
    const QMimeData *data = QGuiApplication::clipboard()->mimeData();
    ASSERT_NE(data, nullptr);
    EXPECT_EQ(data->text(), QStringLiteral(" 12.34500"));
    EXPECT_EQ(data->data(QString::fromLatin1(kLinkType)), linkOf("labelChan(1)"));
    expectLinkStateEmptied();
    EXPECT_FALSE(w->copyLinkDialog()->isVisible());

    // Made once: the next click shows the same pop-up, and Enter copies as well.
    reading(1, -0.5f);
    ASSERT_TRUE(rightClickBar(0, QPoint(3, 3), [&](DlgCopyLink &popup) {
        EXPECT_EQ(&popup, first);
        QTest::keyClick(&popup, Qt::Key_Return);
        EXPECT_FALSE(popup.isVisible());
    }));
    EXPECT_EQ(QGuiApplication::clipboard()->text(), QStringLiteral("-0.50000"));
}

TEST_F(DlgCopyLinkTest, OnlyCopyActsAndEscapeClosesWithoutCopying) {
    reading(1, 1.0f);
    ASSERT_TRUE(rightClickBar(0, QPoint(3, 3), [&](DlgCopyLink &popup) {
        QTest::mouseClick(label(&popup, "Label2"), Qt::LeftButton);
        QTest::mouseClick(label(&popup, "Label3"), Qt::LeftButton);
        EXPECT_TRUE(popup.isVisible());
        // A press alone, or a release outside the item, is no click.
        QTest::mousePress(label(&popup, "Label1"), Qt::LeftButton);
        EXPECT_TRUE(popup.isVisible());
        QTest::mouseRelease(label(&popup, "Label1"), Qt::LeftButton, {}, QPoint(-5, -5));
        EXPECT_TRUE(popup.isVisible());
        QTest::keyClick(&popup, Qt::Key_Escape);
        EXPECT_FALSE(popup.isVisible());
    }));
    EXPECT_EQ(QGuiApplication::clipboard()->text(), QStringLiteral("before"));
    EXPECT_EQ(QGuiApplication::clipboard()->mimeData()->data(QString::fromLatin1(kLinkType)),
              QByteArray());
}

TEST_F(DlgCopyLinkTest, CopyWithoutAValueLeavesTheClipboardAlone) {
    f.app->labels().setText(1, QString());
    ASSERT_TRUE(rightClickBar(0, QPoint(3, 3), [&](DlgCopyLink &popup) {
        QTest::mouseClick(label(&popup, "Label1"), Qt::LeftButton);
        EXPECT_FALSE(popup.isVisible());
    }));
    EXPECT_EQ(QGuiApplication::clipboard()->text(), QStringLiteral("before"));
    expectLinkStateEmptied();
}

TEST_F(DlgCopyLinkTest, TheGroupViewLinksTheGroupsChannel) {
    zeltest::addGroup(f.app->setup(), QStringLiteral("G"), {6, 3});
    f.state().CurrentGroup = 1;
    // View > Group asks for the group in its modal selection dialog: OK on the one group.
    QTimer::singleShot(0,
                       [] { QTest::keyClick(QApplication::activeModalWidget(), Qt::Key_Return); });
    w->findChild<QAction *>(QStringLiteral("ViewGroups"))->trigger();
    ASSERT_EQ(f.state().ViewType, zelapp::VIEWTYPEGROUPS);
    reading(3, 2.5f);
    ASSERT_TRUE(rightClickBar(1, QPoint(3, 3), [&](DlgCopyLink &popup) {
        QTest::mouseClick(label(&popup, "Label1"), Qt::LeftButton);
    }));
    const QMimeData *data = QGuiApplication::clipboard()->mimeData();
    ASSERT_NE(data, nullptr);
    EXPECT_EQ(data->text(), QStringLiteral(" 2.50000"));
    EXPECT_EQ(data->data(QString::fromLatin1(kLinkType)), linkOf("labelChan(3)"));
}

TEST_F(DlgCopyLinkTest, TheProbeViewOffersNoLink) {
    w->findChild<QAction *>(QStringLiteral("ViewLVDTs"))->trigger();
    ASSERT_EQ(f.state().ViewType, zelapp::VIEWTYPELVDTS);
    // The click calibrates the probe instead, in a modal dialog of its own.
    QString opened;
    QTimer closer;
    closer.setInterval(0);
    QObject::connect(&closer, &QTimer::timeout, [&] {
        if (auto *open = qobject_cast<QDialog *>(QApplication::activeModalWidget())) {
            opened = open->objectName();
            open->done(QDialog::Rejected);
        }
    });
    closer.start();
    EXPECT_FALSE(rightClickBar(0, QPoint(3, 3), [](DlgCopyLink &) {}));
    EXPECT_EQ(opened, QStringLiteral("dlgCalibrate"));
    EXPECT_EQ(w->copyLinkDialog(), nullptr);
    EXPECT_TRUE(f.state().CopyLinkItem.isEmpty());
}

}  // namespace
