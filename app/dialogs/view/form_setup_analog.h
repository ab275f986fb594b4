// The analog setup window: a thin form over SetupAnalogTool, which holds its state and logic.
// Object names are the dialog's control names.
#pragma once

#include <QString>
#include <memory>

#include "dialogs/setup_analog.h"
#include "view/hosted_dialog.h"

namespace Ui {
class FormSetupAnalog;
}

namespace zelapp {

class FormSetupAnalog : public HostedDialog, public InputSetupView {
    Q_OBJECT
  public:
    FormSetupAnalog(SetupAnalogTool &tool, const QString &programFolder, QWidget *parent = nullptr);
    ~FormSetupAnalog() override;

    void openDialog() override;

    // InputSetupView
    void refresh() override;
    void showLiveText(const QString &text) override;
    void focusBox(InputBox box) override;

  protected:
    bool queryUnload() override;

  private:
    std::unique_ptr<Ui::FormSetupAnalog> ui_;
    SetupAnalogTool &tool_;
};

}  // namespace zelapp
