#include "zelparts_dfq_pending.h"

#include <QStringList>
#include <unordered_map>

#include "history/dfq_queue.h"
#include "history/stored_part_text.h"
#include "zelparts_text.h"

namespace zelparts {

namespace {

constexpr int kPageSize = 1000;

}  // namespace

std::optional<zelapp::StoreFailure> writePendingExports(
    zelapp::PartStore &store, const std::function<bool(const QString &)> &write) {
    if (!write(QStringLiteral("id\ttime\tpart_number\tserial\tfolder\twritten\n"))) {
        return std::nullopt;
    }
    qint64 after = 0;
    for (;;) {
        std::optional<zelapp::StoreFailure> failure;
        const std::vector<zelapp::ExportEntry> entries =
            zelapp::DfqQueue(store).pendingExports(kPageSize, &failure, after);
        if (failure) {
            return failure;
        }
        if (entries.empty()) {
            return std::nullopt;
        }
        std::vector<qint64> ids;
        for (const zelapp::ExportEntry &entry : entries) {
            ids.push_back(entry.partId);
        }
        const zelapp::PartPage page = store.partsWithIds(ids);
        if (page.failure) {
            return page.failure;
        }
        std::unordered_map<qint64, const zelapp::StoredPart *> parts;
        for (const zelapp::StoredPart &part : page.parts) {
            parts.emplace(part.id, &part);
        }
        QString text;
        for (const zelapp::ExportEntry &entry : entries) {
            const auto found = parts.find(entry.partId);
            const zelapp::StoredPart *part = found == parts.end() ? nullptr : found->second;
            const QStringList fields = {
                QString::number(entry.partId),
                part ? zelapp::partTimeText(part->time) : QString(),
                part ? oneLine(part->number) : QString(),
                part ? QString::number(part->serial) : QString(),
                oneLine(entry.folder),
                entry.tempName.isEmpty() ? QStringLiteral("no") : QStringLiteral("yes")};
            text += fields.join(QLatin1Char('\t')) + QLatin1Char('\n');
        }
        if (!write(text)) {
            return std::nullopt;
        }
        after = entries.back().partId;
    }
}

}  // namespace zelparts
