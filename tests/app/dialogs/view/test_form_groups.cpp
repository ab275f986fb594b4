// The group dialogs over the whole program: the group setup's labels and keyboard (Enter on a
// channel list does that list's double click, Enter on the group list picks the row, Enter in
// the name box adds a group), the mouse's double click, and View > Group choosing through the
// modal selection dialog.
#include <gtest/gtest.h>

#include <QAction>
#include <QApplication>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QTableWidget>
#include <QTest>
#include <QTimer>

#include "dialogs/view/dialog_host.h"
#include "display/view/form_grid_display.h"
#include "display/view/form_lin_gage.h"
#include "group_list.h"
#include "started_app_test.h"
#include "view/hosted_dialog.h"

using namespace Qt::StringLiterals;
using zelapp::CommandDialog;

namespace {

class FormGroupsTest : public zeltest::StartedAppTest {
  protected:
    QWidget *form(CommandDialog which) const { return w->dialogs().dialog(which); }
    QListWidget *list(const char *name) const {
        return form(CommandDialog::SetupGroup)->findChild<QListWidget *>(QString::fromLatin1(name));
    }
    QStringList texts(const char *name) const {
        QStringList entries;
        for (int i = 0; i < list(name)->count(); ++i) {
            entries.append(list(name)->item(i)->text());
        }
        return entries;
    }
    void openSetup() {
        QAction *item = w->findChild<QAction *>(u"SetupGroups"_s);
        ASSERT_TRUE(item->isEnabled());
        item->trigger();
        ASSERT_NE(form(CommandDialog::SetupGroup), nullptr);
        form(CommandDialog::SetupGroup)->activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(form(CommandDialog::SetupGroup)));
    }
    void pressEnterOn(QListWidget *on, int row) {
        on->setFocus();
        on->setCurrentRow(row);
        QTest::keyClick(on, Qt::Key_Return);
    }
};

TEST_F(FormGroupsTest, LabelsAreTheirListsBuddiesAndTheKeyboardDoesTheListsActions) {
    openSetup();
    EXPECT_FALSE(form(CommandDialog::SetupGroup)->isModal());
    EXPECT_EQ(f.state().ScanHoldCount, 0);  // the menu's refresh released the dialog's hold
    const std::pair<const char16_t *, const char *> labels[] = {
        {u"Available Channels", "ListAvailableChannels"},
        {u"Groups", "ListGroups"},
        {u"Channels in Group", "ListChansinGroup"}};
    for (const auto &[caption, buddy] : labels) {
        const QLabel *label = nullptr;
        for (const QLabel *l : form(CommandDialog::SetupGroup)->findChildren<QLabel *>()) {
            label = l->text() == QString::fromUtf16(caption) ? l : label;
        }
        ASSERT_NE(label, nullptr) << buddy;
        EXPECT_EQ(label->buddy(), list(buddy)) << buddy;
    }

    // Enter in the name box presses "Add Group to List".
    auto *name = form(CommandDialog::SetupGroup)->findChild<QLineEdit *>(u"TextGroupName"_s);
    name->setFocus();
    QTest::keyClicks(name, u"Diameters"_s);
    QTest::keyClick(name, Qt::Key_Return);
    ASSERT_EQ(f.app->setup().groupCount(), 1);
    EXPECT_EQ(f.app->setup().groupAt(1)->Description, u"Diameters"_s);
    EXPECT_EQ(texts("ListGroups"), QStringList{u"Diameters"_s});
    EXPECT_EQ(list("ListGroups")->currentRow(), 0);
    EXPECT_TRUE(f.state().SetupModified);

    // Enter on a channel includes it and adds no group; twice is the double entry.
    pressEnterOn(list("ListAvailableChannels"), 2);
    EXPECT_EQ(f.app->setup().groupCount(), 1);
    EXPECT_EQ(zeltest::channelsOf(*f.app->setup().groupAt(1)), std::vector<int>{3});
    EXPECT_EQ(texts("ListChansinGroup"), QStringList{u"3 Channel 3"_s});
    QTest::keyClick(list("ListAvailableChannels"), Qt::Key_Return);
    EXPECT_EQ(f.prompter.shown.size(), 1u);
    EXPECT_EQ(f.prompter.beeps, 1);
    EXPECT_EQ(f.app->setup().groupCount(), 1);

    // The mouse's double click includes too.
    QListWidget *available = list("ListAvailableChannels");
    const QPoint at = available->visualItemRect(available->item(4)).center();
    // What a mouse does: press and release, then the double click and its release.
    QTest::mouseClick(available->viewport(), Qt::LeftButton, {}, at);
    QTest::mouseDClick(available->viewport(), Qt::LeftButton, {}, at);
    QTest::mouseRelease(available->viewport(), Qt::LeftButton, {}, at);
    QCoreApplication::sendPostedEvents();
    EXPECT_EQ(zeltest::channelsOf(*f.app->setup().groupAt(1)), (std::vector<int>{3, 5}));

    // Enter on an entry of the group takes it out.
    pressEnterOn(list("ListChansinGroup"), 0);
    EXPECT_EQ(zeltest::channelsOf(*f.app->setup().groupAt(1)), std::vector<int>{5});
    EXPECT_EQ(texts("ListChansinGroup"), QStringList{u"5 Channel 5"_s});
    EXPECT_EQ(f.app->setup().groupCount(), 1);

    // Enter on a group picks the row the keyboard stands on, and adds no group.
    name->selectAll();
    QTest::keyClicks(name, u"Bores"_s);
    QTest::keyClick(name, Qt::Key_Return);
    ASSERT_EQ(f.app->setup().groupCount(), 2);
    QListWidget *groups = list("ListGroups");
    groups->setFocus();
    groups->setCurrentRow(0, QItemSelectionModel::NoUpdate);  // as Tab leaves it in a list
    QTest::keyClick(groups, Qt::Key_Return);
    EXPECT_EQ(f.app->setup().groupCount(), 2);
    EXPECT_EQ(groups->selectedItems(), QList<QListWidgetItem *>{groups->item(0)});
    EXPECT_EQ(texts("ListChansinGroup"), QStringList{u"5 Channel 5"_s});
    EXPECT_EQ(name->text(), u"Diameters"_s);

    form(CommandDialog::SetupGroup)->findChild<QPushButton *>(u"CmdDone"_s)->click();
    EXPECT_FALSE(form(CommandDialog::SetupGroup)->isVisible());
}

TEST_F(FormGroupsTest, ViewGroupChoosesInTheModalDialogAndAGoneGroupShowsNothing) {
    w->findChild<QAction *>(u"EnableGrid"_s)->trigger();
    w->findChild<QAction *>(u"EnableBarGraphs"_s)->trigger();
    zeltest::addGroup(f.app->setup(), u"Front"_s, {1, 2});
    zeltest::addGroup(f.app->setup(), u"Back"_s, {3});
    f.state().CurrentGroup = 1;

    int selectedAtOpening = -1;
    int heldWhileOpen = 0;
    QTimer::singleShot(0, [&] {
        QWidget *open = QApplication::activeModalWidget();
        ASSERT_NE(open, nullptr);
        ASSERT_EQ(open->objectName(), u"FormSelectGroup"_s);
        heldWhileOpen = f.state().ScanHoldCount;
        auto *groups = open->findChild<QListWidget *>(u"ListGroups"_s);
        selectedAtOpening = groups->currentRow();
        QTest::keyClick(groups, Qt::Key_Return);  // OK is the default button
    });
    w->findChild<QAction *>(u"ViewGroups"_s)->trigger();
    EXPECT_EQ(selectedAtOpening, 1);
    EXPECT_EQ(heldWhileOpen, 1);
    EXPECT_EQ(f.state().CurrentGroup, 2);
    EXPECT_EQ(f.state().ScanHoldCount, 0);
    EXPECT_TRUE(w->findChild<QAction *>(u"ViewGroups"_s)->isChecked());
    EXPECT_EQ(w->barWindow()->TotalNumberOfBars(), 1);

    QTimer::singleShot(0, [] {
        auto *groups = QApplication::activeModalWidget()->findChild<QListWidget *>();
        groups->setCurrentRow(0);
        QTest::keyClick(groups, Qt::Key_Escape);
    });
    w->findChild<QAction *>(u"ViewGroups"_s)->trigger();
    EXPECT_EQ(f.state().CurrentGroup, 2);
    EXPECT_EQ(f.state().ScanHoldCount, 0);

    // The shown group removed in the group setup: the next refresh shows no rows and no bars.
    openSetup();
    ASSERT_EQ(list("ListGroups")->currentRow(), 1);
    form(CommandDialog::SetupGroup)->findChild<QPushButton *>(u"CmdRemoveFromList"_s)->click();
    w->findChild<QAction *>(u"SetupGroups"_s)->trigger();
    auto *grid = w->gridWindow()->findChild<QTableWidget *>(u"GridView"_s);
    EXPECT_EQ(grid->rowCount(), 1);
    EXPECT_EQ(w->gridWindow()->windowTitle(), u"Group: "_s);
    EXPECT_EQ(w->barWindow()->TotalNumberOfBars(), 0);
    EXPECT_EQ(w->barWindow()->windowTitle(), u"Display Group "_s);
}

}  // namespace
