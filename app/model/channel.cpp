#include "model/channel.h"

#include "base/runtime_text.h"

namespace zelapp {

void Channel::SetDefaults(int n) {
    // Index first: the writes to the unit below go to channel n.
    Index = n;
    Description = QStringLiteral("Channel") + rt::signedNumber(n);
    setFormula(QString());
    Decimals = 5;
    Units = QStringLiteral("Inch");
    LoTol = -0.01f;
    LoAppr = -0.009f;
    UseTwoMasters = false;
    Master1 = 0;
    Master2 = 0;
    HiTol = 0.01f;
    HiAppr = 0.009f;
    setZeroOffset(0);
    setScaling(1);
    BarDisplayBot = -0.05f;
    BarDisplayTop = 0.05f;
    InUse = false;
}

void Channel::setFormula(const QString &formula) {
    if (Index == 0) {
        context_.prompter.message(QStringLiteral("Index Zero in Formula Property"));
        return;
    }
    if (formula.isEmpty()) {
        context_.unit.ZelClearChannel(Index);
        formula_.clear();
        return;
    }
    // The library gets its own 8-bit copy; the text is kept whether or not the unit took it.
    const QByteArray text = formula.toLatin1();
    context_.unit.ZelDefineChannel(Index, text.constData());
    formula_ = QString::fromLatin1(text);
}

float Channel::Value(int chanNumber) const {
    float value = 0;
    context_.unit.ZelReadChannel(chanNumber, &value);
    return value;
}

float Channel::ZeroOffset() const {
    float value = 0;
    context_.unit.ZelReadCzero(Index, &value);
    return value;
}

void Channel::setZeroOffset(float value) {
    if (Index == 0) {
        context_.prompter.message(QStringLiteral("Index Zero in ZeroOffset Property"));
        return;
    }
    context_.unit.ZelSetCzero(Index, &value);
}

float Channel::Scaling() const {
    float value = 0;
    context_.unit.ZelReadCscale(Index, &value);
    return value;
}

void Channel::setScaling(float value) {
    context_.unit.ZelSetCscale(Index, &value);
}

}  // namespace zelapp
