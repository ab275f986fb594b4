// Parts > Settings...: the part display's palette and beep, the results' station and history
// file, and the DFQ export's folder, encoding and files. A thin form over PartSettings,
// ResultsSettings and DfqSettings; the caller reads the settings from the store and writes back
// what OK gives.
#pragma once

#include <QDialog>
#include <memory>

#include "dfq/dfq_settings.h"
#include "history/parts_location.h"
#include "part/part_settings.h"

namespace Ui {
class DlgPartSettings;
}

namespace zelapp {

class FileChooser;

class DlgPartSettings : public QDialog {
    Q_OBJECT
  public:
    // Browse... asks `chooser` for the history file, the DFQ group's Browse... for the folder.
    DlgPartSettings(const PartSettings &settings, const ResultsSettings &results,
                    const ResultsHints &hints, const DfqSettings &dfq, FileChooser &chooser,
                    QWidget *parent = nullptr);
    ~DlgPartSettings() override;

    // The settings as the form shows them.
    PartSettings settings() const;
    ResultsSettings results() const;
    DfqSettings dfq() const;

  private:
    void browse();
    void browseDfq();

    std::unique_ptr<Ui::DlgPartSettings> ui_;
    FileChooser &chooser_;
};

}  // namespace zelapp
