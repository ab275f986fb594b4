#include "part/view/dlg_part_settings.h"

#include <QDir>
#include <QPushButton>

#include "base/file_chooser.h"
#include "ui_dlg_part_settings.h"

namespace zelapp {

DlgPartSettings::DlgPartSettings(const PartSettings &settings, const ResultsSettings &results,
                                 const ResultsHints &hints, const DfqSettings &dfq,
                                 FileChooser &chooser, QWidget *parent)
    : QDialog(parent), ui_(std::make_unique<Ui::DlgPartSettings>()), chooser_(chooser) {
    ui_->setupUi(this);
    ui_->ComboPalette->setCurrentIndex(settings.palette == ResultPalette::OkabeIto ? 1 : 0);
    ui_->CheckBeep->setChecked(settings.beep);
    ui_->TextStation->setText(results.station);
    ui_->TextStation->setPlaceholderText(hints.station);
    ui_->TextDatabase->setText(QDir::toNativeSeparators(results.database));
    ui_->TextDatabase->setPlaceholderText(hints.database);
    ui_->LabelDatabaseNote->setText(hints.overruled);
    ui_->LabelDatabaseNote->setVisible(!hints.overruled.isEmpty());
    ui_->TextDfqFolder->setText(QDir::toNativeSeparators(dfq.folder));
    dfqFolder_ = dfq.folder;
    ui_->ComboDfqEncoding->setCurrentIndex(dfq.encoding == DfqEncoding::Utf8 ? 1 : 0);
    ui_->ComboDfqFiles->setCurrentIndex(dfq.files == DfqFiles::PerHour ? 1 : 0);
    // Enter is OK from every control; Escape is Cancel (QDialog's own).
    ui_->ButtonBox->button(QDialogButtonBox::Ok)->setDefault(true);
    connect(ui_->ButtonBox, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(ui_->ButtonBox, &QDialogButtonBox::rejected, this, &QDialog::reject);
    connect(ui_->ButtonBrowse, &QPushButton::clicked, this, &DlgPartSettings::browse);
    connect(ui_->ButtonDfqBrowse, &QPushButton::clicked, this, &DlgPartSettings::browseDfq);
}

DlgPartSettings::~DlgPartSettings() = default;

void DlgPartSettings::accept() {
    const QString folder = dfq().folder;
    if (folder != dfqFolder_ && folderCheck_ && !folderCheck_(folder)) {
        ui_->TextDfqFolder->setFocus();
        ui_->TextDfqFolder->selectAll();
        return;
    }
    QDialog::accept();
}

PartSettings DlgPartSettings::settings() const {
    return {
        ui_->ComboPalette->currentIndex() == 1 ? ResultPalette::OkabeIto : ResultPalette::Standard,
        ui_->CheckBeep->isChecked()};
}

ResultsSettings DlgPartSettings::results() const {
    const QString database = ui_->TextDatabase->text().trimmed();
    return {database.isEmpty() ? QString() : QDir::fromNativeSeparators(database),
            ui_->TextStation->text().trimmed()};
}

DfqSettings DlgPartSettings::dfq() const {
    const QString folder = ui_->TextDfqFolder->text().trimmed();
    return {
        folder.isEmpty() ? QString() : QDir::fromNativeSeparators(folder),
        ui_->ComboDfqEncoding->currentIndex() == 1 ? DfqEncoding::Utf8 : DfqEncoding::Windows1252,
        ui_->ComboDfqFiles->currentIndex() == 1 ? DfqFiles::PerHour : DfqFiles::PerPart};
}

void DlgPartSettings::browseDfq() {
    const QString chosen =
        chooser_.chooseFolder(QDir::fromNativeSeparators(ui_->TextDfqFolder->text().trimmed()));
    if (!chosen.isEmpty()) {
        ui_->TextDfqFolder->setText(QDir::toNativeSeparators(chosen));
    }
    ui_->TextDfqFolder->setFocus();
}

void DlgPartSettings::browse() {
    // A save dialog, so that a new history can be named as well as an existing one chosen
    // (and added to, never replaced); it opens where the last history file was chosen.
    const QString chosen =
        chooser_.chooseSaveFile({QStringLiteral("Parts history (*.db)|*.db|All (*.*)|*.*"),
                                 QStringLiteral("db"),
                                 {},
                                 true});
    if (!chosen.isEmpty()) {
        ui_->TextDatabase->setText(QDir::toNativeSeparators(chosen));
    }
    ui_->TextDatabase->setFocus();
}

}  // namespace zelapp
