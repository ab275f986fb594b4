// The clipboard link of a channel's live value, as the bar window's pop-up copies it: the value
// text for plain pasting, and the link (service, topic, item) for programs that paste it as a
// live link. The state between the right click and "Copy" is AppState's CopyLink fields.
#pragma once

#include <QByteArray>
#include <QString>
#include <memory>

class QMimeData;

namespace zelapp {

struct AppState;
class ChannelLabels;

// The link as the clipboard carries it: service, topic and item, each ended by a zero, then a
// final zero; 8-bit text (characters beyond Latin-1 become "?").
QByteArray linkFormatBytes(const QString &service, const QString &topic, const QString &item);

// The clipboard type of the link bytes: the registered "Link" format on Windows,
// "application/x-dde-link" elsewhere.
QString linkMimeType();

// Fills the link state for a channel of the service: its value text now, topic and item.
void prepareLinkCopy(AppState &state, const ChannelLabels &labels, int channel,
                     const QString &service);

// What "Copy" puts on the clipboard: the value text and the link, or nullptr when there is no
// value to copy. Either way the value, topic and item are emptied so that a second Copy puts
// nothing; the service stays.
std::unique_ptr<QMimeData> takeLinkCopy(AppState &state);

}  // namespace zelapp
