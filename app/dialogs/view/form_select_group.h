// The group selection window: a thin form over SelectGroupTool. OK (and Enter) and a double
// click choose the selected group and accept; Cancel, Escape and the close box reject.
#pragma once

#include <QString>
#include <memory>

#include "dialogs/select_group.h"
#include "view/hosted_dialog.h"

namespace Ui {
class FormSelectGroup;
}

namespace zelapp {

class FormSelectGroup : public HostedDialog, public SelectGroupView {
    Q_OBJECT
  public:
    FormSelectGroup(SelectGroupTool &tool, const QString &programFolder, QWidget *parent = nullptr);
    ~FormSelectGroup() override;

    void openDialog() override;

    // SelectGroupView
    void refresh() override;

  protected:
    bool queryUnload() override { return true; }

  private:
    std::unique_ptr<Ui::FormSelectGroup> ui_;
    SelectGroupTool &tool_;
};

}  // namespace zelapp
