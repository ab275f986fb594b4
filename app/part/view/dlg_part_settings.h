// Parts > Settings...: the part display's palette and beep. A thin form over PartSettings; the
// caller reads the settings from the store and writes back what OK gives.
#pragma once

#include <QDialog>
#include <memory>

#include "core/part_settings.h"

namespace Ui {
class DlgPartSettings;
}

namespace zelapp {

class DlgPartSettings : public QDialog {
    Q_OBJECT
  public:
    explicit DlgPartSettings(const PartSettings &settings, QWidget *parent = nullptr);
    ~DlgPartSettings() override;

    // The settings as the form shows them.
    PartSettings settings() const;

  private:
    std::unique_ptr<Ui::DlgPartSettings> ui_;
};

}  // namespace zelapp
