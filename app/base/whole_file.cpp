#include "base/whole_file.h"

#include <QFile>
#include <QFileInfo>
#include <QSaveFile>

namespace zelapp {

QString saveWholeFile(const QString &path, const QByteArray &bytes) {
    // Replacing by rename would get past a read-only flag that the operator set on purpose.
    const QFileInfo existing(path);
    // The mode bits, not only access(): a privileged user may write anything.
    constexpr auto anyWrite =
        QFileDevice::WriteOwner | QFileDevice::WriteGroup | QFileDevice::WriteOther;
    if (existing.isFile() && (!existing.isWritable() || (existing.permissions() & anyWrite) == 0)) {
        return QStringLiteral("The file is read-only.");
    }

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
