// The DFQ export's side on its own thread (dfq/dfq_export.h): its own connection to the history
// file and the passes of the sender over it. Everything here runs on that thread; it answers
// through passEnded, which the export hears queued on the window's thread.
#pragma once

#include <QDateTime>
#include <QObject>
#include <QString>
#include <functional>
#include <memory>

#include "dfq/dfq_folder.h"
#include "dfq/dfq_sender.h"
#include "dfq/dfq_settings.h"
#include "history/part_store.h"

namespace zelapp {

// What a pass runs: the DfqSender over the thread's store, or the tests' own.
class DfqPasses {
  public:
    virtual ~DfqPasses() = default;
    virtual void setSettings(const DfqSettings &settings) = 0;
    virtual DfqWaiting recover() = 0;
    virtual DfqWaiting send(bool closing) = 0;
};

// Makes the passes over a store just opened; none: nothing can be sent (no folder layer).
using DfqPassesMaker = std::function<std::unique_ptr<DfqPasses>(PartStore &store)>;

// The sender over `folder`, on the local time `now`.
DfqPassesMaker senderPasses(DfqFolder &folder, std::function<QDateTime()> now);

class DfqWorker : public QObject {
    Q_OBJECT
  public:
    // `folder`: owned here so that a thread left running at exit still has it.
    DfqWorker(std::unique_ptr<DfqFolder> folder, DfqPassesMaker maker);
    ~DfqWorker() override;

    // Opens the history file on a connection of this thread's own; a file already open is
    // kept while its path still names it.
    void open(const QString &file);
    // Closes the store; the next pass opens it again.
    void close();
    // One pass: after each open first the files a crash left, then the parts waiting;
    // `closing` (at exit) also the hour not yet ended.
    void pass(const DfqSettings &settings, bool closing);

  signals:
    void passEnded(const zelapp::DfqWaiting &waiting);

  private:
    std::unique_ptr<DfqFolder> folder_;
    DfqPassesMaker maker_;
    QString file_;
    PartStore store_;
    std::unique_ptr<DfqPasses> passes_;
    bool recovered_ = false;  // the passes over the store open now recovered
    QString openFailure_;     // why the file did not open; empty: open or none asked for
};

}  // namespace zelapp
