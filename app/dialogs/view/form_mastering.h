// The mastering window: a thin form over MasteringTool, which holds its state and logic.
// Object names are the window's control names.
#pragma once

#include <QString>
#include <memory>

#include "dialogs/mastering.h"
#include "view/hosted_dialog.h"

namespace Ui {
class FormMastering;
}

namespace zelapp {

class FormMastering : public HostedDialog, public MasteringView {
    Q_OBJECT
  public:
    FormMastering(MasteringTool &tool, const QString &programFolder, QWidget *parent = nullptr);
    ~FormMastering() override;

    void openDialog() override;

    // MasteringView
    void refresh() override;
    void showLiveText(const QString &text) override;

  protected:
    bool queryUnload() override;

  private:
    std::unique_ptr<Ui::FormMastering> ui_;
    MasteringTool &tool_;
};

}  // namespace zelapp
