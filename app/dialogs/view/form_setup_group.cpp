#include "dialogs/view/form_setup_group.h"

#include <QKeyEvent>
#include <QListWidget>

#include "ui_form_setup_group.h"
#include "view/list_entries.h"
#include "view/window_place.h"

namespace zelapp {

namespace {

bool isEnter(const QEvent *event) {
    if (event->type() != QEvent::KeyPress) {
        return false;
    }
    const int key = static_cast<const QKeyEvent *>(event)->key();
    return key == Qt::Key_Return || key == Qt::Key_Enter;
}

}  // namespace

FormSetupGroup::FormSetupGroup(SetupGroupTool &tool, const QString &programFolder, QWidget *parent)
    : HostedDialog(parent), ui_(std::make_unique<Ui::FormSetupGroup>()), tool_(tool) {
    ui_->setupUi(this);
    applyProgramIcon(*this, programFolder);
    SetupGroupTool &t = tool_;
    // The operator's choice only: refresh() sets the row with the list's signals blocked.
    connect(ui_->ListGroups, &QListWidget::currentRowChanged, this,
            [&t](int row) { t.ListGroups_Click(row); });
    // Queued: a double entry's message box is modal, and an include or removal rebuilds the
    // lists, neither of which should happen inside the list's own mouse handling.
    connect(ui_->ListAvailableChannels, &QListWidget::itemDoubleClicked, this,
            [this](QListWidgetItem *item) {
                const int row = ui_->ListAvailableChannels->row(item);
                QMetaObject::invokeMethod(
                    this, [this, row] { tool_.ListAvailableChannels_DblClick(row); },
                    Qt::QueuedConnection);
            });
    connect(ui_->ListChansinGroup, &QListWidget::itemDoubleClicked, this,
            [this](QListWidgetItem *item) {
                const int row = ui_->ListChansinGroup->row(item);
                QMetaObject::invokeMethod(
                    this, [this, row] { tool_.ListChansinGroup_DblClick(row); },
                    Qt::QueuedConnection);
            });
    connect(ui_->TextGroupName, &QLineEdit::textEdited, this,
            [&t](const QString &text) { t.editName(text); });
    connect(ui_->CmdAddtoList, &QPushButton::clicked, this, [&t] { t.CmdAddtoList_Click(); });
    connect(ui_->CmdRenameGroup, &QPushButton::clicked, this, [&t] { t.CmdRenameGroup_Click(); });
    connect(ui_->CmdRemoveFromList, &QPushButton::clicked, this,
            [&t] { t.CmdRemoveFromList_Click(); });
    connect(ui_->CmdDone, &QPushButton::clicked, this, &FormSetupGroup::reject);
    // Enter on a channel list does that list's double click, and on the group list it picks the
    // row; the default button would add another group.
    ui_->ListAvailableChannels->installEventFilter(this);
    ui_->ListGroups->installEventFilter(this);
    ui_->ListChansinGroup->installEventFilter(this);
    tool_.setView(this);
}

FormSetupGroup::~FormSetupGroup() {
    tool_.setView(nullptr);
}

void FormSetupGroup::openDialog() {
    tool_.Form_Load();
    ui_->ListAvailableChannels->setFocus();
}

bool FormSetupGroup::eventFilter(QObject *watched, QEvent *event) {
    if (isEnter(event)) {
        if (watched == ui_->ListAvailableChannels) {
            tool_.ListAvailableChannels_DblClick(ui_->ListAvailableChannels->currentRow());
            return true;
        }
        if (watched == ui_->ListChansinGroup) {
            tool_.ListChansinGroup_DblClick(ui_->ListChansinGroup->currentRow());
            return true;
        }
        if (watched == ui_->ListGroups) {
            // The keyboard's row may be current without being selected (Tab into the list).
            const int row = ui_->ListGroups->currentRow();
            ui_->ListGroups->setCurrentRow(row, QItemSelectionModel::ClearAndSelect);
            tool_.ListGroups_Click(row);
            return true;
        }
    }
    return HostedDialog::eventFilter(watched, event);
}

void FormSetupGroup::refresh() {
    showEntries(*ui_->ListAvailableChannels, tool_.ListAvailableChannels(),
                tool_.availableChannelData());
    showEntries(*ui_->ListGroups, tool_.ListGroups(), tool_.groupData());
    showEntries(*ui_->ListChansinGroup, tool_.ListChansinGroup(), tool_.chansInGroupData());
    showCurrentRow(*ui_->ListGroups, tool_.selectedGroup());
    // setText would move the cursor to the end while the operator types; only a changed name
    // is set.
    if (ui_->TextGroupName->text() != tool_.TextGroupName()) {
        ui_->TextGroupName->setText(tool_.TextGroupName());
    }
}

}  // namespace zelapp
