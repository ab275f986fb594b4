// The group setup window: a thin form over SetupGroupTool, which holds its lists and logic.
// Object names are the dialog's control names.
#pragma once

#include <QString>
#include <memory>

#include "dialogs/setup_group.h"
#include "view/hosted_dialog.h"

namespace Ui {
class FormSetupGroup;
}

namespace zelapp {

class FormSetupGroup : public HostedDialog, public SetupGroupView {
    Q_OBJECT
  public:
    FormSetupGroup(SetupGroupTool &tool, const QString &programFolder, QWidget *parent = nullptr);
    ~FormSetupGroup() override;

    void openDialog() override;

    // SetupGroupView
    void refresh() override;

  protected:
    bool queryUnload() override {
        tool_.Form_Unload();
        return true;
    }
    bool eventFilter(QObject *watched, QEvent *event) override;

  private:
    std::unique_ptr<Ui::FormSetupGroup> ui_;
    SetupGroupTool &tool_;
};

}  // namespace zelapp
