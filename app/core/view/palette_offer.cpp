#include "core/view/palette_offer.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>

#include "model/palette_setting.h"

using namespace Qt::StringLiterals;

namespace zelapp {

PaletteOffer::PaletteOffer(PaletteSetting &setting, QWidget *parent) : QFrame(parent) {
    setObjectName(u"FramePaletteOffer"_s);
    setFrameShape(QFrame::StyledPanel);
    setAccessibleName(u"Colours"_s);
    auto *layout = new QHBoxLayout(this);
    auto *label = new QLabel(u"Colours:"_s, this);
    label->setObjectName(u"LabelPaletteOffer"_s);
    layout->addWidget(label);
    const auto offer = [&](const QString &name, const QString &text, ResultPalette palette) {
        auto *button = new QPushButton(text, this);
        button->setObjectName(name);
        layout->addWidget(button);
        connect(button, &QPushButton::clicked, this, [this, &setting, palette] {
            setting.choose(palette);
            hide();
            deleteLater();
        });
        return button;
    };
    label->setBuddy(offer(u"CommandPaletteStandard"_s, u"Standard"_s, ResultPalette::Standard));
    offer(u"CommandPaletteSafe"_s, u"Colour-blind safe"_s, ResultPalette::OkabeIto);
    layout->addStretch();
    // Chosen in Parts > Settings instead: nothing is left to offer.
    connect(&setting, &PaletteSetting::changed, this, [this] {
        hide();
        deleteLater();
    });
}

}  // namespace zelapp
