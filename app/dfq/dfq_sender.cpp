#include "dfq/dfq_sender.h"

#include <QDir>
#include <set>
#include <unordered_map>

namespace zelapp {

namespace {

constexpr int kMostSuffixes = 1000;  // "-2" ... : beyond, the folder is not being emptied
const QString kDfq = QStringLiteral(".dfq");

}  // namespace

// What one pass knows: the folders that failed (their later parts wait), the file being
// gathered per folder, the revisions read, and why the pass stopped.
struct DfqSender::Pass {
    std::set<QString> blocked;
    std::map<QString, Group> open;
    std::unordered_map<qint64, std::vector<RevisionCharacteristic>> revisions;
    QString cause;
    bool storeFailed = false;

    void historyFailed(const QString &file, const StoreFailure &failure) {
        storeFailed = true;
        cause = QStringLiteral("parts history %1: %2")
                    .arg(QDir::toNativeSeparators(file), failure.cause);
    }
    void folderFailed(const QString &folder, const QString &why) {
        blocked.insert(folder);
        cause = QStringLiteral("DFQ folder %1: %2").arg(QDir::toNativeSeparators(folder), why);
    }
};

std::vector<qint64> DfqSender::Group::ids() const {
    std::vector<qint64> out;
    out.reserve(parts.size());
    for (const StoredPart &part : parts) {
        out.push_back(part.id);
    }
    return out;
}

DfqSender::DfqSender(PartStore &store, DfqFolder &folder, std::function<QDateTime()> now)
    : store_(store), queue_(store), folder_(folder), now_(std::move(now)) {}

void DfqSender::setSettings(const DfqSettings &settings) {
    settings_ = settings;
}

QString DfqSender::tempName(const QString &uuid, qint64 firstId) {
    return QStringLiteral(".%1-%2.tmp").arg(uuid).arg(firstId);
}

DfqWaiting DfqSender::recover() {
    return run(true, false);
}

DfqWaiting DfqSender::send(bool closing) {
    return run(false, closing);
}

DfqWaiting DfqSender::run(bool recordedOnly, bool closing) {
    Pass pass;
    qint64 after = 0;
    while (!pass.storeFailed && !stop_) {
        std::optional<StoreFailure> failure;
        const std::vector<ExportEntry> entries = queue_.pendingExports(kPage, &failure, after);
        std::vector<qint64> ids;
        for (const ExportEntry &entry : entries) {
            if (!pass.blocked.count(entry.folder) && (!recordedOnly || !entry.tempName.isEmpty())) {
                ids.push_back(entry.partId);
            }
        }
        PartPage page;
        if (!failure) {
            page = store_.partsWithIds(ids);
            failure = page.failure;
        }
        if (failure) {
            pass.historyFailed(store_.file(), *failure);
            break;
        }
        if (entries.empty()) {
            break;
        }
        after = entries.back().partId;
        std::unordered_map<qint64, StoredPart *> byId;
        for (StoredPart &part : page.parts) {
            byId.emplace(part.id, &part);
        }
        for (const ExportEntry &entry : entries) {
            if (pass.storeFailed || stop_) {
                break;
            }
            const auto part = byId.find(entry.partId);
            if (pass.blocked.count(entry.folder) || (recordedOnly && entry.tempName.isEmpty())) {
                continue;
            }
            if (part == byId.end()) {
                // Its part was deleted by hand: there is nothing left to send.
                if (const auto done = queue_.markExportDone({entry.partId})) {
                    pass.historyFailed(store_.file(), *done);
                }
                continue;
            }
            take(pass, entry, std::move(*part->second), recordedOnly);
        }
    }
    // What is still gathered: a recorded file is finished; an hour's file goes when its hour has
    // ended, or at closing.
    for (auto &[folder, group] : pass.open) {
        if (pass.storeFailed || stop_ || pass.blocked.count(folder)) {
            continue;
        }
        if (!group.tempName.isEmpty() || closing || now_() >= hourEnd(group.parts.front())) {
            deliver(pass, std::move(group));
        }
    }
    DfqWaiting waiting;
    std::optional<StoreFailure> failure;
    waiting.count = queue_.pendingExportCount(&failure);
    waiting.cause = pass.cause;
    if (failure && waiting.cause.isEmpty()) {
        waiting.cause = QStringLiteral("parts history %1: %2")
                            .arg(QDir::toNativeSeparators(store_.file()), failure->cause);
    }
    return waiting;
}

void DfqSender::take(Pass &pass, const ExportEntry &entry, StoredPart part, bool recordedOnly) {
    const auto open = pass.open.find(entry.folder);
    // A part joins the file gathered in its folder when it was written with it (the same
    // recorded temporary name), or, per hour, when it belongs to the same hour's file.
    if (open != pass.open.end()) {
        const Group &group = open->second;
        const bool joins = group.tempName.isEmpty()
                               ? entry.tempName.isEmpty() && !recordedOnly &&
                                     settings_.files == DfqFiles::PerHour && sameFile(group, part)
                               : entry.tempName == group.tempName;
        if (joins) {
            open->second.parts.push_back(std::move(part));
            return;
        }
        // A later part closes the file gathered before it.
        Group closed = std::move(open->second);
        pass.open.erase(open);
        deliver(pass, std::move(closed));
        if (pass.blocked.count(entry.folder) || pass.storeFailed) {
            return;
        }
    }
    Group group{entry.folder, entry.tempName, {}};
    group.parts.push_back(std::move(part));
    if (entry.tempName.isEmpty() && settings_.files == DfqFiles::PerPart) {
        deliver(pass, std::move(group));
        return;
    }
    pass.open.emplace(entry.folder, std::move(group));
}

void DfqSender::deliver(Pass &pass, Group group) {
    if (stop_ && group.tempName.isEmpty()) {
        return;
    }
    if (group.tempName.isEmpty()) {
        write(pass, group);
        return;
    }
    // Written before: the temporary file still there was never renamed; gone, it was renamed
    // and the upload service took it. A folder that is not there at all proves neither.
    if (!folder_.exists(group.folder, {})) {
        pass.folderFailed(group.folder, QStringLiteral("No such file or directory"));
        return;
    }
    if (folder_.exists(group.folder, group.tempName)) {
        finish(pass, group, group.tempName);
        return;
    }
    const std::vector<qint64> ids = group.ids();
    if (const auto failure = queue_.markExportDone(ids)) {
        pass.historyFailed(store_.file(), *failure);
    }
}

void DfqSender::write(Pass &pass, const Group &group) {
    const qint64 revisionId = group.parts.front().revision;
    auto revision = pass.revisions.find(revisionId);
    if (revision == pass.revisions.end()) {
        std::optional<StoreFailure> failure;
        std::vector<RevisionCharacteristic> characteristics = store_.revision(revisionId, &failure);
        if (failure) {
            pass.historyFailed(store_.file(), *failure);
            return;
        }
        revision = pass.revisions.emplace(revisionId, std::move(characteristics)).first;
    }
    const QByteArray bytes = format_.file(revision->second, group.parts, settings_.encoding);
    const QString temp = tempName(store_.uuid(), group.parts.front().id);
    if (const auto failure = folder_.writeFlushed(group.folder, temp, bytes)) {
        pass.folderFailed(group.folder, *failure);
        return;
    }
    const std::vector<qint64> ids = group.ids();
    // Recorded before the rename: after a crash, the temporary file found says what to finish.
    if (const auto failure = queue_.markExportWritten(ids, temp)) {
        folder_.remove(group.folder, temp);
        pass.historyFailed(store_.file(), *failure);
        return;
    }
    finish(pass, group, temp);
}

void DfqSender::finish(Pass &pass, const Group &group, const QString &temp) {
    const QString name = finalName(group.folder, group.parts.front());
    if (const auto failure = folder_.rename(group.folder, temp, name)) {
        pass.folderFailed(group.folder, *failure);
        return;
    }
    const std::vector<qint64> ids = group.ids();
    if (const auto failure = queue_.markExportDone(ids)) {
        pass.historyFailed(store_.file(), *failure);
    }
}

QString DfqSender::finalName(const QString &folder, const StoredPart &first) {
    const QString name = format_.fileName(first);
    const QString stem = name.endsWith(kDfq) ? name.chopped(kDfq.size()) : name;
    QString candidate = name;
    for (int n = 2; n <= kMostSuffixes && folder_.exists(folder, candidate); ++n) {
        candidate = stem + QLatin1Char('-') + QString::number(n) + kDfq;
    }
    return candidate;
}

bool DfqSender::sameFile(const Group &group, const StoredPart &part) const {
    const StoredPart &first = group.parts.front();
    return first.number == part.number && first.revision == part.revision &&
           hourEnd(first) == hourEnd(part);
}

QDateTime DfqSender::hourEnd(const StoredPart &part) const {
    // The local hour the part was measured in, at the offset of that moment: the two hours of
    // the night the clocks go back are two files.
    const QDateTime start(part.time.date(), QTime(part.time.time().hour(), 0), Qt::OffsetFromUTC,
                          part.time.offsetFromUtc());
    return start.addSecs(3600);
}

}  // namespace zelapp
