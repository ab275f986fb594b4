// The system setup window: a thin form over SetupSystemTool, which holds its boxes and logic.
// Object names are the dialog's control names.
#pragma once

#include <QString>
#include <memory>

#include "dialogs/setup_system.h"
#include "view/hosted_dialog.h"

class QLineEdit;

namespace Ui {
class FormSetupSystem;
}

namespace zelapp {

class FormSetupSystem : public HostedDialog, public SetupSystemView {
    Q_OBJECT
  public:
    FormSetupSystem(SetupSystemTool &tool, const QString &programFolder, QWidget *parent = nullptr);
    ~FormSetupSystem() override;

    void openDialog() override;

    // SetupSystemView
    void refresh() override;
    void focusBox(SystemBox box) override;

  protected:
    // Escape and the close box: nothing applied, the scan hold released.
    bool queryUnload() override { return tool_.Form_QueryUnload(); }

  private:
    QLineEdit *box(SystemBox box) const;
    void CommandOK_Click();

    std::unique_ptr<Ui::FormSetupSystem> ui_;
    SetupSystemTool &tool_;
};

}  // namespace zelapp
