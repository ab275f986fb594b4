// The program's files are read and written whole: read at once before any of it is used, and
// replaced only by a complete new one.
#pragma once

#include <QByteArray>
#include <QString>

namespace zelapp {

// Writes `bytes` to `path` through a temporary file in the same folder that replaces the old
// file only once it is complete and flushed, so a failed write leaves the old file as it was. A
// read-only file is not replaced. Returns an empty text on success, else the reason.
//
// A save killed between writing its temporary copy and the rename leaves that copy beside the
// file; the next save of the file removes such copies of its own (see whole_file.cpp).
QString saveWholeFile(const QString &path, const QByteArray &bytes);

// What a read of a whole file came to.
enum class ReadOutcome {
    Read,      // `bytes` holds the whole file
    Missing,   // there is nothing by that name
    NotAFile,  // a folder, FIFO, device or socket: refused before it is opened
    TooLarge,  // larger than the reader takes: refused before it is read
    Failed,    // it could not be opened or read to its end: `reason` says why
};

struct WholeFile {
    ReadOutcome outcome = ReadOutcome::Failed;
    QByteArray bytes;
    QString reason;
};

// The bytes of the file at `path` when it is a regular file (or a link to one) of at most
// `mostBytes` bytes. Anything else is refused before it is opened: opening a FIFO waits for a
// writer that may never come, and a device such as /dev/zero never ends.
WholeFile readWholeFile(const QString &path, qint64 mostBytes);

// The message for a name that is there but is no file: "<shownPath> is not a file."
QString notAFileMessage(const QString &shownPath);

}  // namespace zelapp
