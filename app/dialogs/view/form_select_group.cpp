#include "dialogs/view/form_select_group.h"

#include <QListWidget>

#include "ui_form_select_group.h"
#include "view/list_entries.h"
#include "view/window_place.h"

namespace zelapp {

FormSelectGroup::FormSelectGroup(SelectGroupTool &tool, const QString &programFolder,
                                 QWidget *parent)
    : HostedDialog(parent), ui_(std::make_unique<Ui::FormSelectGroup>()), tool_(tool) {
    ui_->setupUi(this);
    applyProgramIcon(*this, programFolder);
    connect(ui_->ListGroups, &QListWidget::currentRowChanged, this,
            [this](int row) { tool_.ListGroups_Click(row); });
    connect(ui_->ListGroups, &QListWidget::itemDoubleClicked, this, [this](QListWidgetItem *item) {
        if (tool_.ListGroups_DblClick(ui_->ListGroups->row(item))) {
            accept();
        }
    });
    connect(ui_->CmdOk, &QPushButton::clicked, this, [this] {
        tool_.CmdOk_Click();
        accept();
    });
    connect(ui_->CmdCancel, &QPushButton::clicked, this, &FormSelectGroup::reject);
    tool_.setView(this);
}

FormSelectGroup::~FormSelectGroup() {
    tool_.setView(nullptr);
}

void FormSelectGroup::openDialog() {
    tool_.Form_Load();
    ui_->ListGroups->setFocus();
}

void FormSelectGroup::refresh() {
    showEntries(*ui_->ListGroups, tool_.ListGroups(), tool_.groupData());
    showCurrentRow(*ui_->ListGroups, tool_.selectedGroup());
}

}  // namespace zelapp
