// Parts > Settings...: the part display's palette and beep, the results' station and history
// file, and the DFQ export's folder, encoding and files. A thin form over PartSettings,
// ResultsSettings and DfqSettings; the caller reads the settings from the store and writes back
// what OK gives.
#pragma once

#include <QDialog>
#include <functional>
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

    // OK asks this about a DFQ folder given anew that is not there; false stays in the dialog.
    void setFolderCheck(std::function<bool(const QString &)> check) {
        folderCheck_ = std::move(check);
    }
    void accept() override;

    // The settings as the form shows them.
    PartSettings settings() const;
    ResultsSettings results() const;
    DfqSettings dfq() const;

  private:
    void browse();
    void browseDfq();

    std::unique_ptr<Ui::DlgPartSettings> ui_;
    FileChooser &chooser_;
    QString dfqFolder_;  // as the dialog opened
    std::function<bool(const QString &)> folderCheck_;
};

}  // namespace zelapp
