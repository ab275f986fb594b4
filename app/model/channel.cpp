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

int32_t Channel::setFormula(const QString &formula) {
    if (Index == 0) {
        context_.prompter.message(QStringLiteral("Index Zero in Formula Property"));
        return kMissingInput;
    }
    if (formula.isEmpty()) {
        context_.noteRefusal(RefusedItems::Item::Channel, Index,
                             context_.unit.ZelClearChannel(Index));
        formula_.clear();
        return 0;
    }
    // The library gets its own 8-bit copy. A refused text is never taken for the channel's
    // formula: the unit goes on with the one it had, and a saved setup must say the same.
    const QByteArray text = formula.toLatin1();
    const int32_t status = context_.unit.ZelDefineChannel(Index, text.constData());
    context_.noteRefusal(RefusedItems::Item::Channel, Index, status);
    if (status == 0) {
        formula_ = QString::fromLatin1(text);
    }
    return status;
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
    context_.noteRefusal(RefusedItems::Item::Channel, Index,
                         context_.unit.ZelSetCzero(Index, &value));
}

float Channel::Scaling() const {
    float value = 0;
    context_.unit.ZelReadCscale(Index, &value);
    return value;
}

void Channel::setScaling(float value) {
    context_.noteRefusal(RefusedItems::Item::Channel, Index,
                         context_.unit.ZelSetCscale(Index, &value));
}

}  // namespace zelapp
