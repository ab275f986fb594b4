#include "core/last_folder_chooser.h"

#include <QDir>
#include <QFileInfo>
#include <QStandardPaths>

#include "base/settings_store.h"

namespace zelapp {

namespace {
const QString &foldersSection() {
    static const QString section = QStringLiteral("LastFolders");
    return section;
}
}  // namespace

QString defaultFileFolder() {
    const QString documents = QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation);
    if (!documents.isEmpty() && QFileInfo(documents).isDir()) {
        return documents;
    }
    return QDir::homePath();
}

LastFolderChooser::LastFolderChooser(FileChooser &dialogs, SettingsStore &store,
                                     QString firstFolder)
    : dialogs_(dialogs), store_(store), firstFolder_(std::move(firstFolder)) {}

QString LastFolderChooser::kindOf(const FileDialogRequest &request) {
    QString kind = request.defaultExtension;
    if (kind.isEmpty()) {
        const QStringList parts = request.filter.split(QChar(u'|'));
        if (parts.size() > 1) {
            const QString pattern = parts[1].split(QChar(u';')).constFirst().trimmed();
            const qsizetype dot = pattern.lastIndexOf(QChar(u'.'));
            kind = dot >= 0 ? pattern.mid(dot + 1) : QString();
        }
    }
    // A kind is a key of the store: only letters and digits, so that "*" or a blank never
    // becomes part of one.
    QString key;
    for (const QChar c : kind) {
        if (c.isLetterOrNumber()) {
            key.append(c.toLower());
        }
    }
    return key;
}

QString LastFolderChooser::folderFor(const FileDialogRequest &request) const {
    const QString kind = kindOf(request);
    const QString last = kind.isEmpty() ? QString() : store_.value(foldersSection(), kind);
    // A folder since removed or renamed is not offered: the dialog would open somewhere else.
    return !last.isEmpty() && QFileInfo(last).isDir() ? last : firstFolder_;
}

QString LastFolderChooser::chooseOpenFile(const FileDialogRequest &request) {
    FileDialogRequest inFolder = request;
    inFolder.initialFolder = folderFor(request);
    return chosen(request, dialogs_.chooseOpenFile(inFolder));
}

QString LastFolderChooser::chooseSaveFile(const FileDialogRequest &request) {
    FileDialogRequest inFolder = request;
    inFolder.initialFolder = folderFor(request);
    return chosen(request, dialogs_.chooseSaveFile(inFolder));
}

QString LastFolderChooser::chooseFolder(const QString &initialFolder) {
    return dialogs_.chooseFolder(!initialFolder.isEmpty() && QFileInfo(initialFolder).isDir()
                                     ? initialFolder
                                     : firstFolder_);
}

QString LastFolderChooser::chosen(const FileDialogRequest &request, const QString &path) {
    const QString kind = kindOf(request);
    if (!path.isEmpty() && !kind.isEmpty()) {
        store_.setValue(foldersSection(), kind, QFileInfo(path).absolutePath());
        store_.sync();
    }
    return path;
}

}  // namespace zelapp
