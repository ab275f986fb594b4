// The channel setup window: a thin form over SetupChanTool, which holds its state and logic.
// Object names are the dialog's control names.
#pragma once

#include <QString>
#include <memory>

#include "dialogs/setup_chan.h"
#include "view/hosted_dialog.h"

class QLineEdit;

namespace Ui {
class FormSetupChan;
}

namespace zelapp {

class FormSetupChan : public HostedDialog, public SetupChanView {
    Q_OBJECT
  public:
    FormSetupChan(SetupChanTool &tool, const QString &programFolder, QWidget *parent = nullptr);
    ~FormSetupChan() override;

    void openDialog() override;

    // SetupChanView
    void refresh() override;
    void showLiveText(const QString &text) override;
    void focusBox(ChanBox box) override;

  protected:
    bool queryUnload() override;

  private:
    QLineEdit *box(ChanBox box) const;

    std::unique_ptr<Ui::FormSetupChan> ui_;
    SetupChanTool &tool_;
};

}  // namespace zelapp
