// A history file read every way a reader reads it, through a read-only store: for the tests and
// the fuzzer that damage a file and expect a message, never a crash.
#pragma once

#include <QBuffer>
#include <limits>

#include "history/part_csv.h"
#include "history/part_store.h"

namespace zeltest {

// The parts read, or -1 when the file did not open; stops at the first failure.
inline qint64 readWholeHistory(const QString &file) {
    zelapp::PartStore store;
    zelapp::OpenOptions options;
    options.readOnly = true;
    if (!store.open(file, options).ok()) {
        return -1;
    }
    const zelapp::PartSummary summary = store.summarize();
    qint64 read = 0;
    qint64 next = std::numeric_limits<qint64>::min();
    for (;;) {
        const zelapp::PartPage page = store.range(next, std::numeric_limits<qint64>::max(), 50, {});
        if (page.failure || page.parts.empty()) {
            break;
        }
        for (const zelapp::StoredPart &part : page.parts) {
            std::optional<zelapp::StoreFailure> failure;
            store.revision(part.revision, &failure);
        }
        read += qint64(page.parts.size());
        const qint64 last = page.parts.back().id;
        if (last < next || last == std::numeric_limits<qint64>::max()) {
            break;
        }
        next = last + 1;
    }
    store.newestBefore(0, 50, {});
    zelapp::PartFilter filter;
    filter.verdict = QStringLiteral("G");
    store.newestBefore(summary.lastId, 50, filter);
    QBuffer csv;
    csv.open(QIODevice::WriteOnly);
    zelapp::writePartsCsv(store, {}, csv);
    return read;
}

}  // namespace zeltest
