// The probe setup window: a thin form over SetupLvdtTool, which holds its state and logic.
// Object names are the dialog's control names.
#pragma once

#include <QString>
#include <memory>

#include "dialogs/setup_lvdt.h"
#include "view/hosted_dialog.h"

namespace Ui {
class FormSetupLvdt;
}

namespace zelapp {

class FormSetupLvdt : public HostedDialog, public InputSetupView {
    Q_OBJECT
  public:
    FormSetupLvdt(SetupLvdtTool &tool, const QString &programFolder, QWidget *parent = nullptr);
    ~FormSetupLvdt() override;

    void openDialog() override;

    // InputSetupView
    void refresh() override;
    void showLiveText(const QString &text) override;
    void focusBox(InputBox box) override;

  protected:
    bool queryUnload() override;

  private:
    std::unique_ptr<Ui::FormSetupLvdt> ui_;
    SetupLvdtTool &tool_;
};

}  // namespace zelapp
