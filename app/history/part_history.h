// The parts' history as the program keeps it: every part the cycle ends is appended to the
// history file before anyone is told of it, so that a verdict shown, a count changed in the
// live values or a beep heard always stands for a part on disk. When the store fails the part is
// kept in memory, counted on, marked not recorded, and written when the store works again; the
// operator is told once per failing stretch, with the cause, and asked at exit before any part
// kept in memory is lost.
#pragma once

#include <QObject>
#include <QString>
#include <QTimer>
#include <functional>
#include <memory>
#include <optional>
#include <vector>

#include "history/part_events.h"
#include "history/part_recorder.h"
#include "history/part_store.h"
#include "history/parts_location.h"
#include "model/part_result.h"

namespace zelapp {

class ElapsedClock;
class PartCycle;
class Prompter;
class Setup;
class SettingsStore;
class WaitClock;

// What became of one part.
struct PartRecord {
    qint64 count = 0;   // the part's count in the cycle
    qint64 serial = 0;  // its serial for its part number, stored or counted on in memory
    qint64 id = 0;      // its id in the history; 0: not recorded (yet)
    bool recorded() const { return id != 0; }
    bool operator==(const PartRecord &) const = default;
};

class PartHistory : public QObject {
    Q_OBJECT

  public:
    // `option` is the --db file of the command line; empty: the environment, the settings
    // (section "Results") or the default. `dfqFolder` reads the DFQ export's folder setting, the
    // one a part is queued under when its part program names none; none: no such setting.
    PartHistory(PartCycle &cycle, Setup &setup, Prompter &prompter, const SettingsStore &settings,
                QString option, std::function<QString()> dfqFolder = {});
    ~PartHistory() override;
    PartHistory(const PartHistory &) = delete;
    PartHistory &operator=(const PartHistory &) = delete;

    // Opens the file where the rule finds it now, telling the operator what went wrong (a
    // network folder, a damaged file set aside). Opened by itself at the first part otherwise.
    void open();
    // Opens another file after the settings changed: the parts kept in memory go into it.
    void reopen();
    bool isOpen() const;
    // Where the history is and which station writes it, as found at the last open.
    const PartsLocation &location() const { return location_; }
    // Where the rule finds them now (the command line, the environment, the settings as they
    // are now): what the next open takes. The station is read again only at an open.
    PartsLocation found() const;
    // The history file: where it was last opened, else where it would be opened now.
    QString file() const { return tried_ ? location_.file : found().file; }
    // The open file's own name for itself; empty when none is open.
    QString uuid() const;

    // Called inside each part's transaction just before it commits (PartStore::setCommitHook),
    // in the file open now and in any opened later.
    void setCommitHook(std::function<void()> hook);

    // The last part ended and what became of it; none before the first.
    const std::optional<PartRecord> &lastRecord() const { return last_; }
    // "n parts not recorded".
    int notRecorded() const;
    // Writes the parts kept in memory, telling the operator when the store fails again.
    void retry();
    // At exit: writes the parts kept in memory; when some are still not written, asks the
    // operator whether to close and lose them. False: stay.
    bool confirmExit();
    // At a stop the system asked for, where nobody can be asked: tries again every 250 ms on
    // `clock` until the parts kept in memory are written or `budgetMs` has passed on `elapsed`,
    // beginning no try that could end past it (one is taken to last as long as the one before).
    // The parts still not written.
    int flush(int budgetMs, WaitClock &clock, const ElapsedClock &elapsed);

    // ---- What the statistics record beside the parts, in the file open now ----
    // Stores the event (history/part_event.h) and gives it its id; a failure when no file is
    // open.
    std::optional<StoreFailure> addEvent(PartEvent &event);
    // Stores the events in one transaction, all or none.
    std::optional<StoreFailure> addEvents(std::vector<PartEvent> &events);
    // The events of one characteristic of one part number, oldest first.
    std::vector<PartEvent> events(const QString &number, int channel,
                                  std::optional<StoreFailure> *failure);
    // The store while a file is open, for the statistics' own reads; null otherwise.
    PartStore *openStore() { return store_.isOpen() ? &store_ : nullptr; }

  signals:
    // A part ended and was recorded (or kept in memory): the one notice everything that shows
    // a part follows, sent only after its transaction committed.
    void partRecorded(const zelapp::PartResult &part, const zelapp::PartRecord &record);
    // The number of parts not recorded changed.
    void notRecordedChanged(int count);
    // The history is in another file than before: the settings moved it, or the file was
    // removed or replaced while in use and what the path names now was opened (`file` is then
    // the same path). The program's other stores open it again.
    void fileChanged(const QString &file);

  private:
    // `retrying`: tried again by itself while parts wait, not asked for.
    void openStore(bool retrying);
    void record(const PartResult &part);
    // Tells the operator what became of the parts; `was`: the file open before.
    void report(const Recorded &recorded, const FileIdentity &was);
    // fileChanged when the store has another file open at the same path than `was`.
    void followReplaced(const FileIdentity &was);
    // The setup as it judged `part`: the formulas of its characteristics' channels only.
    SetupSnapshot snapshot(const PartResult &part) const;

    PartCycle &cycle_;
    Setup &setup_;
    Prompter &prompter_;
    const SettingsStore &settings_;
    QString option_;
    std::function<QString()> dfqFolder_;
    PartsLocation location_;
    PartStore store_;
    PartRecorder recorder_{store_};
    bool tried_ = false;  // open() was tried
    std::optional<PartRecord> last_;
    QString lastCause_;        // why the store failed last; empty while it works
    QString openFailureTold_;  // why the file did not open, as last told; empty: it opened
    QTimer retryTimer_;        // tries again now and then while parts wait
};

}  // namespace zelapp
