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
#pragma once

#include <QDateTime>
#include <QSqlDatabase>
#include <QString>
#include <functional>
#include <map>
#include <optional>
#include <vector>

#include "history/part_event.h"
#include "model/part_result.h"

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

// Why a store call failed: SQLite's own words, and whether it says the file is damaged or held
// by another program (SQLITE_BUSY, said as "locked by another program").
struct StoreFailure {
    QString cause;
    bool damaged = false;
    bool busy = false;
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
};

// A part waiting in the DFQ export queue.
struct ExportEntry {
    qint64 partId = 0;
    QString folder;
    // The temporary file written for it in `folder`, recorded before the rename; empty: not
    // written yet.
    QString tempName;
    bool operator==(const ExportEntry &) const = default;
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

    // The parts with these ids that are there, oldest first, with their values.
    PartPage partsWithIds(const std::vector<qint64> &ids);

    // ---- The DFQ export queue (docs/dfq.md) ----
    // A file of schema 1 opened read-only has no queue: these give nothing.
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

    // ---- What the operator recorded about a characteristic's process (history/part_event.h) ----
    // Stores the event in its own transaction and gives it its id.
    std::optional<StoreFailure> addEvent(PartEvent &event);
    // Stores the events in one transaction, all or none, and gives each its id.
    std::optional<StoreFailure> addEvents(std::vector<PartEvent> &events);
    // The events of one characteristic of one part number, oldest first. A file of schema 1
    // opened read-only has none.
    std::vector<PartEvent> events(const QString &partNumber, int channel,
                                  std::optional<StoreFailure> *failure);

    // ---- One characteristic's values, for the statistics ----
    // Every part of part number `number` (empty: the parts without one) holding `channel`, in
    // the order measured, in one statement: id, serial, time (in UTC: a million values read
    // without a time zone each), revision, completed and the value (none: not valid).
    struct ChannelValue {
        qint64 partId = 0;
        qint64 serial = 0;
        QDateTime time;
        qint64 revision = 0;
        bool completed = false;
        bool partNotValid = false;  // the part's verdict is Not valid: out of the statistics
        int channel = 0;
        std::optional<double> value;
    };
    std::vector<ChannelValue> channelValues(const QString &number, int channel,
                                            std::optional<StoreFailure> *failure);
    // Hands `visit` every value of the parts of `number` from serial `fromSerial` on, in the
    // order measured and, within a part, in the part program's order, in one statement and
    // without holding them. `visit` must not use this store.
    void visitNumberValues(const QString &number, qint64 fromSerial,
                           const std::function<void(const ChannelValue &)> &visit,
                           std::optional<StoreFailure> *failure);
    // The serial of the newest part of `number` judged by another revision than its newest part:
    // the part before the newest revision's run. 0 when one revision judged them all.
    qint64 serialBeforeNewestRevision(const QString &number, std::optional<StoreFailure> *failure);

    // An online copy of the whole file into `file` (absent before): a snapshot as of one
    // moment, readable while this store writes (VACUUM INTO). Works on a read-only store.
    std::optional<StoreFailure> copyInto(const QString &file);

  private:
    // open() of file_, before any outcome is kept.
    OpenOutcome openPath(const OpenOptions &options);
    OpenOutcome openFile(const OpenOptions &options);
    // Reads the file's UUID and schema version; `empty`: the file has no tables yet.
    std::optional<StoreFailure> readMeta(bool *empty);
    // Opens the path again after the file was removed or replaced, for append().
    void reopen(Appended &appended);
    // The connection's busy timeout follows `held`.
    void setHeld(bool held);
    // Sets the connection up and, in a new file, the tables.
    std::optional<StoreFailure> setUp(const OpenOptions &options, bool *created);
    std::optional<StoreFailure> setAside(QString *newName);
    PartPage readParts(const QString &where, const std::vector<QVariant> &bindings, int limit,
                       const PartFilter &filter, bool newestFirst);
    std::optional<StoreFailure> readValues(std::vector<StoredPart> &parts);
    // `channel` none: every channel. `fromSerial` 0: from the first.
    std::optional<StoreFailure> readChannelValues(
        const QString &number, std::optional<int> channel, qint64 fromSerial,
        const std::function<void(const ChannelValue &)> &visit);
    // Runs `sql` with `binds` for each id, in one transaction.
    std::optional<StoreFailure> updateEach(const QString &sql, const std::vector<QVariant> &binds,
                                           const std::vector<qint64> &ids);

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
