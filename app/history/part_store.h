// The parts' history: every part ended, in an SQLite file (docs/parts.md has the schema).
// - WAL with synchronous=FULL and one transaction per part: a part whose append() returned its
//   id survives a crash or a power cut.
// - A commit that fails (the busy timeout ran out, the disk is full, the file is damaged) is a
//   failure handed back with its cause; nothing here throws.
// - A damaged file is never written over: open() sets it aside and starts a new one, and says
//   so in its message.
// - A store is one connection under a name of its own; use it on the thread that opened it.
//   Another thread opens another PartStore on the same file.
// - Nothing but SQLite opens the file, its -wal or its -shm: on Linux, closing any descriptor of
//   a file drops every lock the process holds on it, and another program would then take this
//   one's log for its own to delete.
// - A file removed or replaced while in use is noticed before the next part's commit, which goes
//   into what the path names then.
// - The file's other tables are read and written by their own classes over this store's one
//   connection: DfqQueue (history/dfq_queue.h), PartEvents (history/part_events.h) and
//   ChannelValues (history/channel_values.h). This class keeps the file, its schema, the parts'
//   append and the page reads.
#pragma once

#include <QDateTime>
#include <QSqlDatabase>
#include <QString>
#include <QStringList>
#include <functional>
#include <map>
#include <optional>
#include <vector>

#include "history/store_failure.h"
#include "model/part_result.h"

class QSqlQuery;

namespace zelapp {

// What the part result does not hold and the history keeps beside it.
struct SetupSnapshot {
    QString setupFile;
    QString station;
    std::map<int, QString> formulas;  // by channel; a channel absent has none
    // The part program's "Nominal<n>" and "OneSided<n>" (setup/part_program.h), by channel; kept
    // with the revision.
    std::map<int, QString> nominals;
    std::map<int, ToleranceSides> sides;
    // The folder this part's DFQ file goes to; empty: the part is not queued for DFQ. The part,
    // its values and its queue entry are one transaction.
    QString dfqFolder;
};

// The file a path named when it was opened.
struct FileIdentity {
    quint64 device = 0;
    quint64 inode = 0;
    bool operator==(const FileIdentity &) const = default;
};

struct OpenOptions {
    static constexpr int kBusyTimeoutMs = 2000;
    // The wait of a store that found the file held by another program, until it writes again.
    static constexpr int kHeldBusyTimeoutMs = 50;
    int busyTimeoutMs = kBusyTimeoutMs;
    // Reads only: never creates, never changes the file, never sets a damaged one aside.
    bool readOnly = false;
    // false only to measure what full sync costs: a part committed without it may be lost in
    // a power cut.
    bool fullSync = true;
};

struct OpenOutcome {
    std::optional<StoreFailure> failure;  // none: open
    // For the operator: why the file could not be opened, or that a damaged one was set aside
    // and where; empty when all went well.
    QString message;
    QString setAside;  // the damaged file's new name; empty when none
    bool created = false;
    bool ok() const { return !failure.has_value(); }
};

struct Appended {
    qint64 id = 0;
    qint64 serial = 0;
    std::optional<StoreFailure> failure;
    // The file open was removed or replaced and what the path names now was opened (the part
    // went there when it is ok()); `notice` says so for the operator.
    bool reopened = false;
    QString notice;
    bool ok() const { return !failure.has_value(); }
};

// ---- What the history gives back ----
struct StoredValue {
    int channel = 0;
    std::optional<double> value;  // none: not valid
    QString verdict;              // verdictCode()
    QString reason;
};

struct StoredPart {
    qint64 id = 0;
    QDateTime time;  // at the offset from UTC of that moment
    QString station;
    QString setupFile;
    qint64 revision = 0;
    QString number;
    QString description;
    qint64 serial = 0;
    QString verdict;  // verdictCode()
    QString reason;
    bool completed = false;
    QString partId;
    std::vector<StoredValue> values;  // in the part program's order
};

struct RevisionCharacteristic {
    int channel = 0;
    QString description;
    QString formula;
    int decimals = 0;
    QString units;
    ToleranceLimits limits;
    QString nominal;  // the part program's, as written; empty: none given
    ToleranceSides sides = ToleranceSides::Both;
    bool operator==(const RevisionCharacteristic &) const = default;
};

// Which parts a page reads; every field empty or none: all.
struct PartFilter {
    std::optional<QDateTime> since;  // inclusive
    std::optional<QDateTime> until;  // exclusive
    QString number;
    QString verdict;  // a verdict code
    // The parts whose number begins with it, case ignored (Unicode's case folding, not only
    // A-Z); empty: all. Taken literally: "%" and "_" are no wildcards.
    QString numberPrefix;
};

struct PartPage {
    std::vector<StoredPart> parts;
    std::optional<StoreFailure> failure;
};

// What a filter selects, counted without reading a part: enough to read the parts page by
// page and to head a CSV before its first row.
struct PartSummary {
    qint64 count = 0;
    qint64 firstId = 0;  // 0 when none
    qint64 lastId = 0;
    // The revisions that judged the parts selected, with the id of the newest part each
    // judged, newest first.
    struct Revision {
        qint64 id = 0;
        qint64 newestPart = 0;
    };
    std::vector<Revision> revisions;
    std::optional<StoreFailure> failure;
};

class PartStore {
  public:
    static constexpr int kSchemaVersion = 2;

    PartStore();
    ~PartStore();
    PartStore(const PartStore &) = delete;
    PartStore &operator=(const PartStore &) = delete;

    // Opens the file, creating it and its folder when absent. A folder on a network file
    // system is refused. A folder made here is the user's alone (0700), and a file created in a
    // folder only its owner may enter is too (0600, with its -wal and -shm).
    OpenOutcome open(const QString &file, const OpenOptions &options = {});
    void close();
    bool isOpen() const { return open_; }
    const QString &file() const { return file_; }
    // The file's own name for itself, made when it was created.
    const QString &uuid() const { return uuid_; }
    // The file open, as its path named it at the open; none when closed.
    const FileIdentity &identity() const { return identity_; }
    // The path no longer names the file open: it was removed, renamed or replaced. Asks the file
    // system for the name only, never opening it.
    bool replaced() const;

    // Records one part in one transaction; its serial is the highest of its part number plus
    // one, counted in the same transaction, and never below `leastSerial` (the serial a part kept
    // in memory was already shown with). A file removed or replaced since the open is opened
    // again first (Appended::reopened). A closed store fails with the cause its open failed
    // with. After a failure because another program held the file, the store waits at most
    // kHeldBusyTimeoutMs for it (also when opened again) until a part is written again: the
    // operator's part cycle never stalls on a held file part after part.
    Appended append(const PartResult &part, const SetupSnapshot &setup, qint64 leastSerial = 0);
    // The highest serial of a part number (0 when there is none); none when it cannot be read.
    std::optional<qint64> lastSerial(const QString &number);
    // Called inside each append's transaction just before it commits: lets a test stop the
    // program at the worst moment.
    void setCommitHook(std::function<void()> hook) { commitHook_ = std::move(hook); }

    // ---- Reading, one page at a time: no statement stays open between pages ----
    // The newest parts with an id below `beforeId` (0: from the newest), newest first.
    PartPage newestBefore(qint64 beforeId, int limit, const PartFilter &filter = {});
    // The parts with ids in [fromId, toId], oldest first.
    PartPage range(qint64 fromId, qint64 toId, int limit, const PartFilter &filter = {});
    // The characteristics of a revision in order; empty when there is none.
    std::vector<RevisionCharacteristic> revision(qint64 id, std::optional<StoreFailure> *failure);
    // The count, the ids and the revisions of the parts the filter selects, in one statement.
    PartSummary summarize(const PartFilter &filter = {});

    // The part numbers recorded, that of the newest part first; empty after a failure.
    std::optional<StoreFailure> partNumbers(QStringList *numbers);

    // The parts with these ids that are there, oldest first, with their values.
    PartPage partsWithIds(const std::vector<qint64> &ids);

    // An online copy of the whole file into `file` (absent before): a snapshot as of one
    // moment, readable while this store writes (VACUUM INTO). Works on a read-only store.
    std::optional<StoreFailure> copyInto(const QString &file);

    // ---- For the other table families, built over this store on the same connection ----
    // (history/dfq_queue.h, history/part_events.h, history/channel_values.h). A file replaced
    // in use is opened again under a new connection: a family asks for it on every call.
    const QSqlDatabase &connection() const { return db_; }
    // Of the file as opened; 0 when closed.
    int schemaVersion() const { return schemaVersion_; }

  private:
    // open() of file_, before any outcome is kept.
    OpenOutcome openPath(const OpenOptions &options);
    // Why file_ is not even tried (a network folder, a folder, read-only); none: it is.
    std::optional<OpenOutcome> refusal(const OpenOptions &options) const;
    OpenOutcome openFile(const OpenOptions &options);
    // Opens the path again after the file was removed or replaced, for append().
    void reopen(Appended &appended);
    // The connection's busy timeout follows `held`.
    void setHeld(bool held);
    std::optional<StoreFailure> setAside(QString *newName);

    // ---- The schema (part_store_schema.cpp) ----
    // Sets the connection up and, in a new file, the tables.
    std::optional<StoreFailure> setUp(const OpenOptions &options, bool *created);
    // Reads the file's UUID and schema version and checks them; `empty`: the file has no tables
    // yet.
    std::optional<StoreFailure> checkMeta(bool *empty);
    // Under the write lock: the tables of a new file, or an older file brought up to date.
    std::optional<StoreFailure> createOrUpgrade(bool *created);
    std::optional<StoreFailure> createSchema(QSqlQuery &query);
    std::optional<StoreFailure> upgrade(QSqlQuery &query);

    // append()'s transaction; fills in the part's id and serial.
    std::optional<StoreFailure> record(const PartResult &part, const SetupSnapshot &setup,
                                       qint64 leastSerial, Appended &appended);

    // The filter's conditions, added to `conditions` with their values; `numberByIndex` false
    // keeps the part number off its index (for a walk along the ids).
    std::optional<StoreFailure> addFilter(const PartFilter &filter, QStringList &conditions,
                                          std::vector<QVariant> &binds, bool numberByIndex);
    PartPage readParts(const QString &where, const std::vector<QVariant> &bindings, int limit,
                       const PartFilter &filter, bool newestFirst);
    std::optional<StoreFailure> readValues(std::vector<StoredPart> &parts);

    QString connection_;
    QSqlDatabase db_;
    QString file_;
    QString uuid_;
    FileIdentity identity_;
    OpenOptions options_;  // of the last open
    bool open_ = false;
    // The last write found the file held by another program: waits kHeldBusyTimeoutMs.
    bool held_ = false;
    std::optional<StoreFailure> openFailure_;  // why the last open failed
    int schemaVersion_ = 0;                    // of the file as opened
    std::function<void()> commitHook_;
};

}  // namespace zelapp
