// The DFQ export queue in the parts history (docs/dfq.md): which parts wait for their folder,
// and the two steps that make a file's parts sent (written under a temporary name, then done).
// A view over a PartStore's connection: it holds nothing of its own, and the store must outlive
// it. A file of schema 1 opened read-only has no queue: the reads give nothing.
#pragma once

#include <QString>
#include <optional>
#include <vector>

#include "history/store_failure.h"

class QVariant;

namespace zelapp {

class PartStore;

// A part waiting in the DFQ export queue.
struct ExportEntry {
    qint64 partId = 0;
    QString folder;
    // The temporary file written for it in `folder`, recorded before the rename; empty: not
    // written yet.
    QString tempName;
    bool operator==(const ExportEntry &) const = default;
};

class DfqQueue {
  public:
    explicit DfqQueue(PartStore &store) : store_(store) {}

    // The entries not yet done with a part id above `afterId`, oldest part first, at most
    // `limit`.
    std::vector<ExportEntry> pendingExports(int limit, std::optional<StoreFailure> *failure,
                                            qint64 afterId = 0);
    // How many entries are not done.
    qint64 pendingExportCount(std::optional<StoreFailure> *failure);
    // Records, in one transaction, that these parts' file was written under `tempName` in their
    // folder; committed before the rename.
    std::optional<StoreFailure> markExportWritten(const std::vector<qint64> &partIds,
                                                  const QString &tempName);
    // Marks these parts' entries done, in one transaction.
    std::optional<StoreFailure> markExportDone(const std::vector<qint64> &partIds);

  private:
    // Runs `sql` with `binds` and then each id, in one transaction.
    std::optional<StoreFailure> updateEach(const QString &sql, const std::vector<QVariant> &binds,
                                           const std::vector<qint64> &ids);

    PartStore &store_;
};

}  // namespace zelapp
