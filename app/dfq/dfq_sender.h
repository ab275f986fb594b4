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
#include <functional>

#include "dfq/dfq_folder.h"
#include "dfq/dfq_settings.h"
#include "history/part_store.h"

namespace zelapp {

// What waits after a pass.
struct DfqWaiting {
    qint64 count = 0;  // parts not yet in their folder
    QString cause;     // why the last folder failed ("... : No space left on device"); empty: none
    bool operator==(const DfqWaiting &) const = default;
};

class DfqSender {
  public:
    // `now` gives the local time: the hour files close on it.
    DfqSender(PartStore &store, DfqFolder &folder, std::function<QDateTime()> now);

    // Encoding and per part or per hour; the folder of each part is its queue entry's.
    void setSettings(const DfqSettings &settings);
    // Finishes the files whose temporary name was recorded (at start, before the first pass).
    DfqWaiting recover();
    // Writes what is due: every part waiting (one file per part), or (per hour) the files whose
    // hour ended or whose group a later part of another part number or revision closed.
    // `closing` (at exit): the hour not yet ended is written too.
    DfqWaiting send(bool closing = false);

  private:
    PartStore &store_;
    DfqFolder &folder_;
    std::function<QDateTime()> now_;
    DfqSettings settings_;
};

}  // namespace zelapp
