#include "dialogs/setup_group.h"

#include <memory>

#include "setup/setup.h"

namespace zelapp {

namespace {

QString availableEntry(const Channel &c) {
    return QString::number(c.Index) + QLatin1Char(' ') + c.Description;
}
}  // namespace

SetupGroupTool::SetupGroupTool(const DialogContext &context)
    : setup_(context.setup), state_(context.state), prompter_(context.prompter) {}

void SetupGroupTool::changed() {
    setup_.markModified({SetupChange::Kind::Groups});
}

void SetupGroupTool::refresh() {
    if (view_ != nullptr) {
        view_->refresh();
    }
}

group *SetupGroupTool::selectedGroupObject() const {
    return selected_ >= 0 ? setup_.groupAt(selected_ + 1) : nullptr;
}

QString SetupGroupTool::channelEntry(int channel) const {
    // A setup file may name a channel the setup does not have; it is listed, never looked up
    // past the channels.
    if (const Channel *c = setup_.channel(channel)) {
        return availableEntry(*c);
    }
    return QString::number(channel) + QStringLiteral(" ?");
}

void SetupGroupTool::Form_Load() {
    open_ = true;
    state_.takeScanHold();
    FillGroupLists();
}

void SetupGroupTool::setupChanged(const SetupChange &change) {
    using Kind = SetupChange::Kind;
    if (!open_ || (change.kind != Kind::Replaced && change.kind != Kind::Counts &&
                   change.kind != Kind::Channel)) {
        return;
    }
    const int shown = change.kind == Kind::Replaced ? -1 : selected_;
    FillGroupLists();
    if (shown >= 0 && shown < groups_.size()) {
        showGroup(shown);
        refresh();
    }
}

void SetupGroupTool::FillGroupLists() {
    // The dialog is kept between openings, so each opening starts from empty lists.
    available_.clear();
    availableData_.clear();
    groups_.clear();
    groupData_.clear();
    chansInGroup_.clear();
    chansInGroupData_.clear();
    selected_ = -1;
    groupName_.clear();
    for (int i = 1; i <= setup_.channelCount(); ++i) {
        if (const Channel *c = setup_.channel(i)) {
            available_.append(availableEntry(*c));
            availableData_.append(c->Index);
        }
    }
    for (int n = 1; n <= setup_.groupCount(); ++n) {
        groups_.append(setup_.groupAt(n)->Description);
        groupData_.append(n);
    }
    if (!groups_.isEmpty()) {
        showGroup(static_cast<int>(groups_.size()) - 1);
    }
    refresh();
}

void SetupGroupTool::showGroup(int position) {
    selected_ = position;
    chansInGroup_.clear();
    chansInGroupData_.clear();
    const group *g = selectedGroupObject();
    if (g == nullptr) {
        return;
    }
    groupName_ = g->Description;
    for (int p = 1; p <= g->Count; ++p) {
        const int channel = g->GetChannel(p);
        chansInGroup_.append(channelEntry(channel));
        chansInGroupData_.append(channel);
    }
}

void SetupGroupTool::ListGroups_Click(int position) {
    if (position < 0 || position >= groups_.size()) {
        return;
    }
    showGroup(position);
    refresh();
}

void SetupGroupTool::CmdAddtoList_Click() {
    auto made = std::make_unique<group>();
    made->Index = setup_.groupCount() + 1;
    made->Description = groupName_;
    const int index = made->Index;
    setup_.addGroup(std::move(made));
    groups_.append(groupName_);
    groupData_.append(index);
    showGroup(static_cast<int>(groups_.size()) - 1);
    changed();
    refresh();
}

void SetupGroupTool::CmdRenameGroup_Click() {
    group *g = selectedGroupObject();
    if (g == nullptr) {
        return;
    }
    g->Description = groupName_;
    groups_[selected_] = groupName_;
    changed();
    refresh();
}

void SetupGroupTool::CmdRemoveFromList_Click() {
    if (selectedGroupObject() == nullptr) {
        return;
    }
    // The remaining groups keep their Index: their numbers are names, not positions.
    groups_.removeAt(selected_);
    groupData_.removeAt(selected_);
    setup_.removeGroup(selected_ + 1);
    selected_ = -1;
    chansInGroup_.clear();
    chansInGroupData_.clear();
    if (!groups_.isEmpty()) {
        showGroup(static_cast<int>(groups_.size()) - 1);
    }
    changed();
    refresh();
}

void SetupGroupTool::ListAvailableChannels_DblClick(int position) {
    group *g = selectedGroupObject();
    if (g == nullptr || position < 0 || position >= available_.size()) {
        return;
    }
    const int channel = position + 1;
    const QString &entry = available_[position];
    for (int p = 1; p <= g->Count; ++p) {
        if (g->GetChannel(p) == channel) {
            prompter_.message(QStringLiteral("Double Entry is not allowed\rChannel [") + entry +
                              QStringLiteral("]\ris already in Group [") +
                              QString::number(selected_ + 1) + QStringLiteral("] ") +
                              g->Description);
            prompter_.beep();
            return;
        }
    }
    chansInGroup_.append(entry);
    chansInGroupData_.append(channel);
    g->AddChannel(channel);
    changed();
    refresh();
}

void SetupGroupTool::ListChansinGroup_DblClick(int position) {
    group *g = selectedGroupObject();
    if (g == nullptr || position < 0 || position >= chansInGroup_.size()) {
        return;
    }
    chansInGroup_.removeAt(position);
    chansInGroupData_.removeAt(position);
    g->RemoveChannel(position + 1);
    changed();
    refresh();
}

}  // namespace zelapp
