// The about window: the program's icon and the three blocks of aboutTexts, with OK.
#pragma once

#include <QString>
#include <memory>

#include "base/app_state.h"
#include "unit/unit_api.h"
#include "view/hosted_dialog.h"

namespace Ui {
class FormAboutMoxSRV;
}

namespace zelapp {

class FormAboutMoxSRV : public HostedDialog {
    Q_OBJECT
  public:
    FormAboutMoxSRV(const AppState &state, UnitApi &unit, const QString &programFolder,
                    QWidget *parent = nullptr);
    ~FormAboutMoxSRV() override;

    void openDialog() override;

  protected:
    bool queryUnload() override { return true; }

  private:
    std::unique_ptr<Ui::FormAboutMoxSRV> ui_;
    const AppState &state_;
    UnitApi &unit_;
};

}  // namespace zelapp
