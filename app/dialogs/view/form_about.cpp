#include "dialogs/view/form_about.h"

#include <QDir>
#include <QIcon>

#include "dialogs/about.h"
#include "ui_form_about.h"
#include "view/window_place.h"

namespace zelapp {

namespace {
constexpr int kPictureSize = 32;

// The blocks end their lines with carriage returns; a label breaks lines at line feeds.
QString shown(QString block) {
    return block.replace(QLatin1Char('\r'), QLatin1Char('\n')).trimmed();
}
}  // namespace

FormAboutMoxSRV::FormAboutMoxSRV(const AppState &state, UnitApi &unit, const QString &programFolder,
                                 QWidget *parent)
    : HostedDialog(parent),
      ui_(std::make_unique<Ui::FormAboutMoxSRV>()),
      state_(state),
      unit_(unit) {
    ui_->setupUi(this);
    applyProgramIcon(*this, programFolder);
    const QIcon icon(QDir(programFolder).filePath(QStringLiteral("zelicon.ico")));
    ui_->Picture1->setPixmap(icon.pixmap(kPictureSize, kPictureSize));
    connect(ui_->CommandOK, &QPushButton::clicked, this, &FormAboutMoxSRV::accept);
}

FormAboutMoxSRV::~FormAboutMoxSRV() = default;

void FormAboutMoxSRV::openDialog() {
    const AboutTexts texts = aboutTexts(state_, unit_);
    setWindowTitle(texts.caption);
    ui_->LabelDescription->setText(shown(texts.LabelDescription));
    ui_->LabelFirmware->setText(shown(texts.LabelFirmware));
    ui_->LabelDLL->setText(shown(texts.LabelDLL));
    ui_->CommandOK->setFocus();
}

}  // namespace zelapp
