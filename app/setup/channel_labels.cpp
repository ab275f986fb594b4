#include "setup/channel_labels.h"

namespace zelapp {

ChannelLabels::ChannelLabels() {
    texts_.push_back(QStringLiteral("DDE"));
}

QString ChannelLabels::text(int i) const {
    if (i < 0 || i >= count()) {
        return {};
    }
    return texts_[i];
}

void ChannelLabels::setText(int i, const QString &text) {
    if (i < 0 || i >= count() || texts_[i] == text) {
        return;
    }
    texts_[i] = text;
    emit textChanged(i, text);
}

void ChannelLabels::addLabel() {
    texts_.push_back(QStringLiteral("DDE"));
    emit labelAdded(count() - 1);
}

void ChannelLabels::removeLabel(int i) {
    if (i < 1 || i != count() - 1) {
        return;
    }
    texts_.pop_back();
    emit labelRemoved(i);
}

}  // namespace zelapp
