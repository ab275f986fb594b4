// Sends the parts waiting in the history's DFQ export queue into their folders, in the order
// measured, never losing or doubling one:
// - a file is written under a temporary name that does not end in ".dfq", flushed; its name is
//   recorded in the queue and committed; then it is renamed and its entries marked done;
// - at start, an entry whose temporary file still exists is renamed, and one whose temporary
//   file is gone counts as done (the upload service removes the files it imported);
// - while a folder is missing, read-only or full its parts wait, in order, and the cause is told.
// Headless and blocking: the program runs it on a thread of its own with its own store, because
// a hung network mount blocks for minutes.
#pragma once

#include <QDateTime>
#include <QString>
#include <atomic>
#include <functional>
#include <map>
#include <vector>

#include "dfq/dfq_folder.h"
#include "dfq/dfq_settings.h"
#include "history/dfq_queue.h"
#include "history/part_store.h"

namespace zelapp {

// What waits after a pass.
struct DfqWaiting {
    qint64 count = 0;  // parts not yet in their folder
    QString cause;     // why the last folder failed ("... : No space left on device"); empty: none
    bool operator==(const DfqWaiting &) const = default;
};

// What makes a file's bytes and its final name: dfqFile and dfqFileName unless a test gives its
// own, so that the queue is tested apart from the format.
struct DfqFormat {
    std::function<QByteArray(const std::vector<RevisionCharacteristic> &,
                             const std::vector<StoredPart> &, DfqEncoding)>
        file = dfqFile;
    std::function<QString(const StoredPart &)> fileName = dfqFileName;
};

class DfqSender {
  public:
    // Parts read from the queue at a time.
    static constexpr int kPage = 256;

    // `now` gives the local time: the hour files close on it.
    DfqSender(PartStore &store, DfqFolder &folder, std::function<QDateTime()> now);

    void setFormat(DfqFormat format) { format_ = std::move(format); }

    // Encoding and per part or per hour; the folder of each part is its queue entry's.
    void setSettings(const DfqSettings &settings);
    // Finishes the files whose temporary name was recorded (at start, before the first pass).
    DfqWaiting recover();
    // Writes what is due: every part waiting (one file per part), or (per hour) the files whose
    // hour ended or whose group a later part of another part number or revision closed.
    // `closing` (at exit): the hour not yet ended is written too.
    DfqWaiting send(bool closing = false);
    // From any thread: the pass running ends after the file it is at and no pass follows; what
    // is left stays queued (the program's exit does not wait for a long queue).
    void stopSoon() { stop_ = true; }

    // The temporary name of a file whose first part is `firstId`, in a history named `uuid`:
    // the same each time that file is written, never ending in ".dfq", and another station's
    // never (two stations may share a folder).
    static QString tempName(const QString &uuid, qint64 firstId);

  private:
    // Parts that go into one file, consecutive in the queue of one folder.
    struct Group {
        QString folder;
        QString tempName;  // recorded in the queue: the file was written, waits to be renamed
        std::vector<StoredPart> parts;
        // Its parts' ids, as the queue calls take them.
        std::vector<qint64> ids() const;
    };
    struct Pass;

    DfqWaiting run(bool recordedOnly, bool closing);
    void take(Pass &pass, const ExportEntry &entry, StoredPart part, bool recordedOnly);
    void deliver(Pass &pass, Group group);
    void write(Pass &pass, const Group &group);
    void finish(Pass &pass, const Group &group, const QString &temp);
    // A name not yet in the folder: the format's, then with "-2", "-3" ... before ".dfq".
    QString finalName(const QString &folder, const StoredPart &first);
    bool sameFile(const Group &group, const StoredPart &part) const;
    QDateTime hourEnd(const StoredPart &part) const;

    PartStore &store_;
    DfqQueue queue_;
    DfqFolder &folder_;
    std::function<QDateTime()> now_;
    DfqSettings settings_;
    DfqFormat format_;
    std::atomic<bool> stop_ = false;
};

}  // namespace zelapp
