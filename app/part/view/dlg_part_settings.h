// Parts > Settings...: the part display's palette and beep, and the results' station and history
// file. A thin form over PartSettings and ResultsSettings; the caller reads the settings from
// the store and writes back what OK gives.
#pragma once

#include <QDialog>
#include <memory>

#include "core/part_settings.h"

namespace Ui {
class DlgPartSettings;
}

namespace zelapp {

class FileChooser;

class DlgPartSettings : public QDialog {
    Q_OBJECT
  public:
    // Browse... asks `chooser` for the history file.
    DlgPartSettings(const PartSettings &settings, const ResultsSettings &results,
                    const ResultsHints &hints, FileChooser &chooser, QWidget *parent = nullptr);
    ~DlgPartSettings() override;

    // The settings as the form shows them.
    PartSettings settings() const;
    ResultsSettings results() const;

  private:
    void browse();

    std::unique_ptr<Ui::DlgPartSettings> ui_;
    FileChooser &chooser_;
};

}  // namespace zelapp
