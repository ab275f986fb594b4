// The group setup dialog without its window: the three lists with their item data, the selected
// group and the name box, and the procedures that create, rename and remove groups and put
// channels in and out of them. Every change goes straight into the setup's groups.
// FormSetupGroup shows these fields and passes the operator's clicks in. List positions are
// 0-based rows, as the lists number their entries; group positions in the setup are 1-based.
#pragma once

#include <QList>
#include <QString>
#include <QStringList>

#include "dialogs/dialog_context.h"

namespace zelapp {

class Setup;
class group;
struct SetupChange;

// The form as the tool sees it.
class SetupGroupView {
  public:
    virtual ~SetupGroupView() = default;
    // The lists, the selection or the name box changed; show them all again.
    virtual void refresh() = 0;
};

class SetupGroupTool {
  public:
    explicit SetupGroupTool(const DialogContext &context);

    void setView(SetupGroupView *view) { view_ = view; }

    // ---- Fields the form shows ----
    const QStringList &ListAvailableChannels() const { return available_; }
    const QList<int> &availableChannelData() const { return availableData_; }
    const QStringList &ListGroups() const { return groups_; }
    const QList<int> &groupData() const { return groupData_; }
    const QStringList &ListChansinGroup() const { return chansInGroup_; }
    const QList<int> &chansInGroupData() const { return chansInGroupData_; }
    // The selected row of ListGroups; -1 none.
    int selectedGroup() const { return selected_; }
    const QString &TextGroupName() const { return groupName_; }

    // ---- The dialog's procedures ----
    // Every opening: takes a scan hold (the Setup menu's refresh releases it) and fills the lists.
    void Form_Load();
    void Form_Unload() { open_ = false; }
    void FillGroupLists();
    bool isOpen() const { return open_; }
    // Another setup, other counts or a channel's description: the open dialog rebuilds its
    // lists, keeping the group shown when the setup still has it. Its own changes need none.
    void setupChanged(const SetupChange &change);

    // ---- Events ----
    // The operator selected a row of ListGroups: that group is shown.
    void ListGroups_Click(int position);
    void CmdAddtoList_Click();
    void CmdRenameGroup_Click();
    void CmdRemoveFromList_Click();
    // Includes the channel of a row of ListAvailableChannels in the selected group.
    void ListAvailableChannels_DblClick(int position);
    // Removes the entry at a row of ListChansinGroup from the selected group.
    void ListChansinGroup_DblClick(int position);
    // The operator typed in the name box.
    void editName(const QString &text) { groupName_ = text; }

  private:
    // The selected group; null when none is selected or the setup no longer holds it.
    group *selectedGroupObject() const;
    // How a channel number of a group is listed: its available entry, or "N ?" for a number
    // the setup has no channel for.
    QString channelEntry(int channel) const;
    void showGroup(int position);
    void refresh();
    // Every change: the setup is modified and everyone hears that the groups changed.
    void changed();

    Setup &setup_;
    AppState &state_;
    Prompter &prompter_;
    SetupGroupView *view_ = nullptr;

    QStringList available_;
    QList<int> availableData_;
    QStringList groups_;
    QList<int> groupData_;
    QStringList chansInGroup_;
    QList<int> chansInGroupData_;
    int selected_ = -1;
    QString groupName_;
    bool open_ = false;
};

}  // namespace zelapp
