#include "zelparts_run.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <limits>

#include "history/part_csv.h"
#include "history/revision_cache.h"
#include "history/sqlite_file.h"
#include "zelparts_dfq.h"
#include "zelparts_dfq_pending.h"
#include "zelparts_say.h"
#include "zelparts_stats.h"
#include "zelparts_text.h"

namespace zelparts {

using zelapp::PartStore;
using zelapp::StoreFailure;

namespace {

// Parts read at a time: no statement stays open between pages.
constexpr int kPageSize = 1000;

bool write(QIODevice &out, QIODevice &err, const QString &text) {
    const QByteArray bytes = text.toUtf8();
    if (out.write(bytes) == bytes.size()) {
        return true;
    }
    say(err, QStringLiteral("cannot write the output: %1").arg(out.errorString()));
    return false;
}

int list(PartStore &store, const zelapp::PartFilter &filter, QIODevice &out, QIODevice &err) {
    zelapp::RevisionCache revisions(store);
    qint64 next = 1;
    for (;;) {
        const zelapp::PartPage page =
            store.range(next, std::numeric_limits<qint64>::max(), kPageSize, filter);
        if (page.failure) {
            return failed(err, store, *page.failure);
        }
        if (page.parts.empty()) {
            return kExitOk;
        }
        QString text;
        for (const zelapp::StoredPart &part : page.parts) {
            std::optional<StoreFailure> failure;
            const auto *revision = revisions.get(part.revision, &failure);
            if (!revision) {
                return failed(err, store, *failure);
            }
            text += listLine(part, *revision);
        }
        if (!write(out, err, text)) {
            return kExitFailed;
        }
        // Pages only go forwards, even over a damaged file's odd ids.
        const qint64 last = page.parts.back().id;
        if (last < next || last == std::numeric_limits<qint64>::max()) {
            return kExitOk;
        }
        next = last + 1;
    }
}

int csv(PartStore &store, const zelapp::PartFilter &filter, bool spreadsheet, QIODevice &out,
        QIODevice &err) {
    const zelapp::CsvOutcome outcome =
        zelapp::writePartsCsv(store, filter, out, {},
                              zelapp::csvProfile(spreadsheet ? zelapp::CsvProfileKind::Spreadsheet
                                                             : zelapp::CsvProfileKind::Standard));
    return outcome.failure ? failed(err, store, *outcome.failure) : kExitOk;
}

int show(PartStore &store, qint64 id, QIODevice &out, QIODevice &err) {
    const zelapp::PartPage page = store.range(id, id, 1);
    if (page.failure) {
        return failed(err, store, *page.failure);
    }
    if (page.parts.empty()) {
        say(err, QStringLiteral("no part %1 in %2").arg(id).arg(store.file()));
        return kExitUsage;
    }
    std::optional<StoreFailure> failure;
    const auto revision = store.revision(page.parts.front().revision, &failure);
    if (failure) {
        return failed(err, store, *failure);
    }
    return write(out, err, showText(page.parts.front(), revision)) ? kExitOk : kExitFailed;
}

// Flushes the copy to the disk before it takes its name, so that FILE is whole or absent.
// Through SQLite's file layer, as every history file is reached (history/sqlite_file.h).
bool synced(const QString &file) {
    return zelapp::SqliteFile(file, true).sync();
}

int backup(PartStore &store, const QString &file, QIODevice &err) {
    const QString temporary = file + QStringLiteral(".tmp");
    // A copy an interrupted backup left behind is no use: begin again.
    if (QFileInfo::exists(temporary) && !QFile::remove(temporary)) {
        say(err, QStringLiteral("cannot replace the leftover %1").arg(temporary));
        return kExitFailed;
    }
    if (const std::optional<StoreFailure> failure = store.copyInto(temporary)) {
        QFile::remove(temporary);
        say(err, QStringLiteral("cannot copy %1 to %2: %3")
                     .arg(store.file(), temporary, failure->cause));
        return kExitFailed;
    }
    // As private as the history it copies.
    QFile::setPermissions(temporary, QFileInfo(store.file()).permissions());
    if (!synced(temporary) || !QFile::rename(temporary, file)) {
        QFile::remove(temporary);
        say(err, QStringLiteral("cannot write %1").arg(file));
        return kExitFailed;
    }
    return kExitOk;
}

}  // namespace

int runZelparts(const Options &options, const QString &file, QIODevice &out, QIODevice &err) {
    if (const QFileInfo info(file); !info.isFile()) {
        const QString shown = QDir::toNativeSeparators(file);
        say(err, info.isDir()    ? QStringLiteral("%1 is a folder, not a parts history").arg(shown)
                 : info.exists() ? QStringLiteral("%1 is not a file").arg(shown)
                                 : QStringLiteral("no such file: %1").arg(shown));
        return kExitNoFile;
    }
    if (options.command == Command::Backup && QFileInfo::exists(options.backupFile)) {
        say(err, QStringLiteral("%1 exists: the backup writes a new file only")
                     .arg(QDir::toNativeSeparators(options.backupFile)));
        return kExitUsage;
    }
    PartStore store;
    zelapp::OpenOptions openOptions;
    openOptions.readOnly = true;
    const zelapp::OpenOutcome opened = store.open(file, openOptions);
    if (!opened.ok()) {
        say(err, opened.message);
        return kExitFailed;
    }
    switch (options.command) {
        case Command::List:
            return list(store, options.filter, out, err);
        case Command::Csv:
            return csv(store, options.filter, options.spreadsheet, out, err);
        case Command::Show:
            return show(store, options.partId, out, err);
        case Command::Backup:
            return backup(store, options.backupFile, err);
        case Command::Stats:
            return stats(store, options, out, err);
        case Command::Dfq: {
            if (options.dfqMode == DfqMode::Out) {
                return dfq(store, options, out, err);
            }
            bool written = true;
            const std::optional<StoreFailure> failure = writePendingExports(
                store, [&](const QString &text) { return written = write(out, err, text); });
            return failure ? failed(err, store, *failure) : written ? kExitOk : kExitFailed;
        }
    }
    return kExitUsage;
}

}  // namespace zelparts
