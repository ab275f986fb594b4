#include "dialogs/view/help_viewer.h"

#include <QDesktopServices>
#include <QUrl>

namespace zelapp {

bool DesktopHelpViewer::showTopic(const QString &helpFile, long contextId, QString *error) {
    QUrl url = QUrl::fromLocalFile(helpFile);
    if (contextId != 0) {
        url.setFragment(QStringLiteral("topic-") + QString::number(contextId));
    }
    if (QDesktopServices::openUrl(url)) {
        return true;
    }
    if (error != nullptr) {
        *error = QStringLiteral("The help file ") + helpFile +
                 QStringLiteral(" could not be opened: no viewer is set up for it.");
    }
    return false;
}

bool DesktopHelpViewer::close(const QString &, QString *) {
    return true;
}

}  // namespace zelapp
