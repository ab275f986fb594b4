// The group selection dialog without its window: the list of groups, filled anew at every
// opening with the last group selected, and OK, which makes the selected group the one group
// view shows (CurrentGroup). Cancel leaves CurrentGroup as it was. FormSelectGroup shows the
// list and passes the operator's choice in. List positions are 0-based rows.
#pragma once

#include <QList>
#include <QStringList>

#include "dialogs/dialog_context.h"

namespace zelapp {

class Setup;

// The form as the tool sees it.
class SelectGroupView {
  public:
    virtual ~SelectGroupView() = default;
    // The list or its selection changed; show it again.
    virtual void refresh() = 0;
};

class SelectGroupTool {
  public:
    explicit SelectGroupTool(const DialogContext &context);

    void setView(SelectGroupView *view) { view_ = view; }

    const QStringList &ListGroups() const { return groups_; }
    const QList<int> &groupData() const { return groupData_; }
    // The selected row; -1 none.
    int selectedGroup() const { return selected_; }

    // Every opening: takes a scan hold, so the tick leaves the displays alone while the
    // operator chooses (the View command's refresh releases it), and fills the list.
    void Form_Load();
    void ListGroups_Click(int position);
    // CurrentGroup = the selected group; with nothing selected it stays. The dialog closes.
    void CmdOk_Click();
    // Selects the row and chooses it as OK does; false, and nothing changes, for a row the
    // list does not have (the dialog stays open then).
    bool ListGroups_DblClick(int position);

  private:
    void refresh();

    Setup &setup_;
    AppState &state_;
    SelectGroupView *view_ = nullptr;
    QStringList groups_;
    QList<int> groupData_;
    int selected_ = -1;
};

}  // namespace zelapp
