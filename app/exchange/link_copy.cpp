#include "exchange/link_copy.h"

#include <QMimeData>

#include "base/app_state.h"
#include "exchange/link_protocol.h"
#include "setup/channel_labels.h"

namespace zelapp {

QByteArray linkFormatBytes(const QString &service, const QString &topic, const QString &item) {
    QByteArray bytes;
    for (const QString *part : {&service, &topic, &item}) {
        bytes += link::toWire(*part);
        bytes += '\0';
    }
    bytes += '\0';
    return bytes;
}

QString linkMimeType() {
#ifdef Q_OS_WIN
    // Qt names a registered Windows clipboard format this way.
    return QStringLiteral("application/x-qt-windows-mime;value=\"Link\"");
#else
    return QStringLiteral("application/x-dde-link");
#endif
}

void prepareLinkCopy(AppState &state, const ChannelLabels &labels, int channel,
                     const QString &service) {
    state.CopyLinkApp = service;
    state.CopyLinkValue = labels.text(channel);
    state.CopyLinkTopic = QString::fromLatin1(link::kTopic);
    state.CopyLinkItem = link::itemName(channel);
}

std::unique_ptr<QMimeData> takeLinkCopy(AppState &state) {
    std::unique_ptr<QMimeData> data;
    if (!state.CopyLinkValue.isEmpty()) {
        data = std::make_unique<QMimeData>();
        data->setText(state.CopyLinkValue);
        data->setData(linkMimeType(),
                      linkFormatBytes(state.CopyLinkApp, state.CopyLinkTopic, state.CopyLinkItem));
    }
    state.CopyLinkValue.clear();
    state.CopyLinkTopic.clear();
    state.CopyLinkItem.clear();
    return data;
}

}  // namespace zelapp
