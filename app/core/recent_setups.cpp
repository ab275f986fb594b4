#include "core/recent_setups.h"

#include <QFileInfo>

#include "base/settings_store.h"
#include "setup/setup_commands.h"
#include "setup/setup_reader.h"

namespace zelapp {

namespace {
const QString &recentSection() {
    static const QString section = QStringLiteral("RecentSetups");
    return section;
}

QString entryKey(int index) {
    return QStringLiteral("File%1").arg(index + 1);
}

// One spelling per file, so that "a/../shaft.zel" and "shaft.zel" are one entry.
QString normalised(const QString &path) {
    return QFileInfo(path).absoluteFilePath();
}
}  // namespace

RecentSetups::RecentSetups(SettingsStore &store) : store_(store) {
    for (int i = 0; i < kMostFiles; ++i) {
        const QString path = store_.value(recentSection(), entryKey(i));
        if (!path.isEmpty() && !files_.contains(path)) {
            files_.append(path);
        }
    }
}

void RecentSetups::add(const QString &path) {
    if (path.isEmpty()) {
        return;
    }
    const QString full = normalised(path);
    files_.removeAll(full);
    files_.prepend(full);
    while (files_.size() > kMostFiles) {
        files_.removeLast();
    }
    write();
}

void RecentSetups::remove(const QString &path) {
    if (files_.removeAll(path) + files_.removeAll(normalised(path)) > 0) {
        write();
    }
}

void RecentSetups::open(int index, SetupCommands &commands) {
    if (index < 0 || index >= files_.size()) {
        return;
    }
    const QString path = files_[index];
    if (commands.openSetupFile(path) == SetupLoad::NotFound) {
        remove(path);
    }
}

QString RecentSetups::caption(int index, const QString &path) {
    QString name = QFileInfo(path).fileName();
    // A "&" in a file name is shown, not taken as the entry's accelerator.
    name.replace(QChar(u'&'), QStringLiteral("&&"));
    return QStringLiteral("&%1 %2").arg(index + 1).arg(name);
}

void RecentSetups::write() {
    for (int i = 0; i < kMostFiles; ++i) {
        store_.setValue(recentSection(), entryKey(i), i < files_.size() ? files_[i] : QString());
    }
    store_.sync();
    if (onChanged_) {
        onChanged_();
    }
}

}  // namespace zelapp
