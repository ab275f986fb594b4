#include "base/whole_file.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>
#include <QStringView>

#ifdef Q_OS_UNIX
#include <unistd.h>
#endif

namespace zelapp {

namespace {

// QSaveFile names its temporary copy "<file name>." followed by six random ASCII letters (on
// Linux the copy has a name only for the moment between its link and the rename). Only such
// names are taken for the program's own. A suffix all in one case is far more likely a word
// someone chose (".backup") than Qt's draw, which mixes the cases 31 times in 32: left alone.
bool isOwnTemporarySuffix(QStringView suffix) {
    constexpr qsizetype kSuffixLength = 6;
    if (suffix.size() != kSuffixLength) {
        return false;
    }
    bool upper = false;
    bool lower = false;
    for (const QChar c : suffix) {
        if (c >= QLatin1Char('A') && c <= QLatin1Char('Z')) {
            upper = true;
        } else if (c >= QLatin1Char('a') && c <= QLatin1Char('z')) {
            lower = true;
        } else {
            return false;
        }
    }
    return upper && lower;
}

bool isOwnedByThisUser(const QFileInfo &info) {
#ifdef Q_OS_UNIX
    return info.ownerId() == ::geteuid();
#else
    Q_UNUSED(info);
    return true;
#endif
}

// Removes the complete copies that saves of `path` killed before their rename left beside it.
// Runs before the save opens its own temporary file, so that one is never among them.
void removeStaleCopies(const QString &path) {
    const QFileInfo target(path);
    // A link is saved through to its target, in another folder; a name holding Qt's own
    // placeholder is a template to Qt, and its copies are named otherwise.
    if (target.isSymLink() || target.fileName().contains(QStringLiteral("XXXXXX"))) {
        return;
    }
    const QString prefix = target.fileName() + QLatin1Char('.');
    const QFileInfoList entries = target.absoluteDir().entryInfoList(
        QDir::Files | QDir::Hidden | QDir::NoSymLinks | QDir::NoDotAndDotDot);
    for (const QFileInfo &entry : entries) {
        const QString name = entry.fileName();
        if (name.startsWith(prefix, Qt::CaseSensitive) &&
            isOwnTemporarySuffix(QStringView(name).mid(prefix.size())) && entry.isFile() &&
            !entry.isSymLink() && isOwnedByThisUser(entry)) {
            QFile::remove(entry.filePath());
        }
    }
}

}  // namespace

QString saveWholeFile(const QString &path, const QByteArray &bytes) {
    // Replacing by rename would get past a read-only flag that the operator set on purpose.
    const QFileInfo existing(path);
    // The mode bits, not only access(): a privileged user may write anything.
    constexpr auto anyWrite =
        QFileDevice::WriteOwner | QFileDevice::WriteGroup | QFileDevice::WriteOther;
    if (existing.isFile() && (!existing.isWritable() || (existing.permissions() & anyWrite) == 0)) {
        return QStringLiteral("The file is read-only.");
    }

    removeStaleCopies(path);
    QSaveFile file(path);
    // Unbuffered, so that a write cut short (a full disk) is seen here and not lost in a
    // flush that reports nothing.
    if (!file.open(QIODevice::WriteOnly | QIODevice::Unbuffered)) {
        return file.errorString();
    }
    if (file.write(bytes) != bytes.size()) {
        const QString reason = file.errorString();
        file.cancelWriting();
        return reason;
    }
    if (!file.commit()) {
        return file.errorString();
    }
    return {};
}

WholeFile readWholeFile(const QString &path, qint64 mostBytes) {
    const QFileInfo info(path);
    if (!info.exists()) {
        return {ReadOutcome::Missing, {}, {}};
    }
    if (!info.isFile()) {
        return {ReadOutcome::NotAFile, {}, {}};
    }
    if (info.size() > mostBytes) {
        return {ReadOutcome::TooLarge, {}, {}};
    }
    QFile file(path);
    QByteArray bytes;
    if (file.open(QIODevice::ReadOnly)) {
        bytes = file.readAll();
    }
    if (!file.isOpen() || file.error() != QFileDevice::NoError) {
        return {ReadOutcome::Failed, {}, file.errorString()};
    }
    // A file that grew after it was measured is held to the same limit.
    if (bytes.size() > mostBytes) {
        return {ReadOutcome::TooLarge, {}, {}};
    }
    return {ReadOutcome::Read, bytes, {}};
}

QString notAFileMessage(const QString &shownPath) {
    return shownPath + QStringLiteral(" is not a file.");
}

}  // namespace zelapp
