// The folder the DFQ files go to, as the sender sees it: a small file layer, so that the tests
// can take the folder away (missing, read-only, full) or stop at either side of a rename
// without touching the process's limits.
#pragma once

#include <QByteArray>
#include <QString>
#include <memory>
#include <optional>

namespace zelapp {

// Each call answers the cause of a failure ("No space left on device"), none when it worked.
class DfqFolder {
  public:
    virtual ~DfqFolder() = default;
    // Writes `bytes` as `folder`/`name`, replacing a file of that name, and flushes it to the
    // disk before it returns.
    virtual std::optional<QString> writeFlushed(const QString &folder, const QString &name,
                                                const QByteArray &bytes) = 0;
    // An empty `name` asks whether the folder itself is there.
    virtual bool exists(const QString &folder, const QString &name) = 0;
    // Renames within the folder; never replaces a file already there.
    virtual std::optional<QString> rename(const QString &folder, const QString &from,
                                          const QString &to) = 0;
    virtual std::optional<QString> remove(const QString &folder, const QString &name) = 0;
};

// The folders of this computer and its mounts.
std::unique_ptr<DfqFolder> localDfqFolder();

}  // namespace zelapp
