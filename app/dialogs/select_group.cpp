#include "dialogs/select_group.h"

#include "setup/setup.h"

namespace zelapp {

SelectGroupTool::SelectGroupTool(const DialogContext &context)
    : setup_(context.setup), state_(context.state) {}

void SelectGroupTool::refresh() {
    if (view_ != nullptr) {
        view_->refresh();
    }
}

void SelectGroupTool::Form_Load() {
    state_.takeScanHold();
    groups_.clear();
    groupData_.clear();
    for (int n = 1; n <= setup_.groupCount(); ++n) {
        groups_.append(setup_.groupAt(n)->Description);
        groupData_.append(n);
    }
    selected_ = static_cast<int>(groups_.size()) - 1;
    refresh();
}

void SelectGroupTool::ListGroups_Click(int position) {
    if (position >= 0 && position < groups_.size()) {
        selected_ = position;
        refresh();
    }
}

void SelectGroupTool::CmdOk_Click() {
    if (selected_ >= 0) {
        state_.CurrentGroup = selected_ + 1;
    }
}

bool SelectGroupTool::ListGroups_DblClick(int position) {
    if (position < 0 || position >= groups_.size()) {
        return false;
    }
    selected_ = position;
    CmdOk_Click();
    return true;
}

}  // namespace zelapp
