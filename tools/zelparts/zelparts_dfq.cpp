#include "zelparts_dfq.h"

#include <unistd.h>
#include <QDir>
#include <QFile>
#include <limits>
#include <map>
#include <utility>

#include "dfq/dfq_file.h"
#include "history/revision_cache.h"
#include "zelparts_say.h"

namespace zelparts {

using zelapp::StoredPart;
using zelapp::StoreFailure;

namespace {

// Parts read at a time: no statement stays open between pages.
constexpr int kPageSize = 1000;

// The parts of one file.
struct Group {
    qint64 revision = 0;
    std::vector<StoredPart> parts;
};

// The parts selected, grouped by part number and revision in the order of each group's first
// part; a transfer holds them all at once.
std::optional<StoreFailure> readGroups(zelapp::PartStore &store, const zelapp::PartFilter &filter,
                                       std::vector<Group> &groups) {
    constexpr qint64 kLast = std::numeric_limits<qint64>::max();
    std::map<std::pair<QString, qint64>, std::size_t> groupOf;
    qint64 next = 1;
    for (;;) {
        zelapp::PartPage page = store.range(next, kLast, kPageSize, filter);
        if (page.failure || page.parts.empty()) {
            return page.failure;
        }
        const qint64 last = page.parts.back().id;
        for (StoredPart &part : page.parts) {
            const auto [found, added] =
                groupOf.try_emplace({part.number, part.revision}, groups.size());
            if (added) {
                groups.push_back({part.revision, {}});
            }
            groups[found->second].parts.push_back(std::move(part));
        }
        // Pages only go forwards, even over a damaged file's odd ids.
        if (last < next || last == kLast) {
            return std::nullopt;
        }
        next = last + 1;
    }
}

// Writes a new file through a temporary name that no watcher of "*.dfq" takes, flushed to the
// disk before the rename, which never replaces a file. The cause when it failed.
std::optional<QString> writeNew(const QDir &folder, const QString &name, const QByteArray &bytes) {
    const QString temporary = folder.filePath(name + QStringLiteral(".tmp"));
    QFile file(temporary);
    std::optional<QString> cause;
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate)) {
        return file.errorString();
    }
    if (file.write(bytes) != bytes.size() || !file.flush() || ::fsync(file.handle()) != 0) {
        cause = file.errorString();
    }
    file.close();
    if (!cause && !file.rename(folder.filePath(name))) {
        cause = file.errorString();
    }
    if (cause) {
        QFile::remove(temporary);
    }
    return cause;
}

}  // namespace

int dfq(zelapp::PartStore &store, const Options &options, QIODevice &out, QIODevice &err) {
    std::vector<Group> groups;
    if (const std::optional<StoreFailure> failure = readGroups(store, options.filter, groups)) {
        return failed(err, store, *failure);
    }
    if (groups.empty()) {
        say(err, QStringLiteral("no parts selected: no file written"));
        return kExitOk;
    }
    const QDir folder(options.outFolder);
    const QString shown = QDir::toNativeSeparators(folder.absolutePath());
    if (!folder.mkpath(QStringLiteral("."))) {
        say(err, QStringLiteral("cannot make the folder %1").arg(shown));
        return kExitFailed;
    }
    // Every name is checked before the first file is written: a refusal leaves DIR as it was.
    QStringList names;
    for (const Group &group : groups) {
        const QString name = zelapp::dfqFileName(group.parts.front());
        if (folder.exists(name) || names.contains(name)) {
            say(err, QStringLiteral("%1 exists: dfq writes new files only")
                         .arg(QDir::toNativeSeparators(folder.filePath(name))));
            return kExitUsage;
        }
        names << name;
    }
    zelapp::RevisionCache revisions(store);
    const zelapp::DfqEncoding encoding =
        options.encoding.value_or(zelapp::DfqEncoding::Windows1252);
    for (std::size_t i = 0; i < groups.size(); ++i) {
        std::optional<StoreFailure> failure;
        const auto *revision = revisions.get(groups[i].revision, &failure);
        if (!revision) {
            return failed(err, store, *failure);
        }
        const QString file = QDir::toNativeSeparators(folder.filePath(names[i]));
        if (const std::optional<QString> cause =
                writeNew(folder, names[i], zelapp::dfqFile(*revision, groups[i].parts, encoding))) {
            say(err, QStringLiteral("cannot write %1: %2").arg(file, *cause));
            return kExitFailed;
        }
        out.write(QStringLiteral("%1\t%2\n").arg(file).arg(groups[i].parts.size()).toUtf8());
    }
    return kExitOk;
}

}  // namespace zelparts
