#include "history/part_history.h"

#include <QDir>
#include <QFileInfo>
#include <QProcessEnvironment>
#include <QSysInfo>

#include "base/elapsed_clock.h"
#include "base/prompter.h"
#include "base/settings_store.h"
#include "base/wait_clock.h"
#include "history/part_events.h"
#include "history/parts_location.h"
#include "part/part_cycle.h"
#include "setup/part_program.h"
#include "setup/setup.h"

namespace zelapp {

namespace {
constexpr int kRetryMs = 5000;
constexpr int kFlushStepMs = 250;

QString partsText(int count) {
    return count == 1 ? QStringLiteral("1 part") : QStringLiteral("%1 parts").arg(count);
}
}  // namespace

PartHistory::PartHistory(PartCycle &cycle, Setup &setup, Prompter &prompter,
                         const SettingsStore &settings, QString option,
                         std::function<QString()> dfqFolder)
    : cycle_(cycle),
      setup_(setup),
      prompter_(prompter),
      settings_(settings),
      option_(std::move(option)),
      dfqFolder_(std::move(dfqFolder)) {
    // Connected before anything that shows a part: the part is on disk before it is shown.
    connect(&cycle_, &PartCycle::partEnded, this, &PartHistory::record);
    retryTimer_.setInterval(kRetryMs);
    connect(&retryTimer_, &QTimer::timeout, this, &PartHistory::retry);
}

PartHistory::~PartHistory() = default;

PartsLocation PartHistory::found() const {
    LocationInputs inputs;
    inputs.option = option_;
    inputs.environment =
        QProcessEnvironment::systemEnvironment().value(QStringLiteral("ZEL_PARTS_DB"));
    inputs.settings = readResultsSettings(settings_);
    inputs.defaultFile = defaultPartsFile();
    inputs.hostName = QSysInfo::machineHostName();
    return resolvePartsLocation(inputs);
}

void PartHistory::setCommitHook(std::function<void()> hook) {
    store_.setCommitHook(std::move(hook));
}

void PartHistory::open() {
    openStore(false);
}

void PartHistory::openStore(bool retrying) {
    const QString before = file();
    const FileIdentity was = store_.identity();
    tried_ = true;
    location_ = found();
    store_.close();
    const OpenOutcome outcome = store_.open(location_.file);
    // Tried again while parts wait, the same failure is not told again every few seconds.
    const bool told = retrying && outcome.failure && outcome.failure->cause == openFailureTold_;
    if (!outcome.message.isEmpty() && !told) {
        prompter_.notify(outcome.message, QStringLiteral("Parts history"),
                         outcome.ok() ? PromptIcon::Information : PromptIcon::Warning);
    }
    openFailureTold_ = outcome.failure ? outcome.failure->cause : QString();
    if (outcome.failure) {
        lastCause_ = outcome.failure->cause;
    }
    if (location_.file != before) {
        emit fileChanged(location_.file);
    } else {
        followReplaced(was);
    }
}

void PartHistory::followReplaced(const FileIdentity &was) {
    if (store_.isOpen() && was != FileIdentity{} && store_.identity() != was) {
        emit fileChanged(location_.file);
    }
}

void PartHistory::reopen() {
    open();
    if (store_.isOpen()) {
        retry();
    }
}

bool PartHistory::isOpen() const {
    return store_.isOpen();
}

QString PartHistory::uuid() const {
    return store_.isOpen() ? store_.uuid() : QString();
}

int PartHistory::notRecorded() const {
    return recorder_.notRecorded();
}

SetupSnapshot PartHistory::snapshot(const PartResult &part) const {
    SetupSnapshot snapshot;
    // In full: the history outlives the working folder the program was started in.
    const QString setupFile = setup_.state().SetupFileName;
    snapshot.setupFile =
        setupFile.isEmpty() ? setupFile : QDir::cleanPath(QFileInfo(setupFile).absoluteFilePath());
    snapshot.station = location_.station;
    const PartProgram &program = cycle_.program().program();
    for (const CharacteristicResult &c : part.characteristics) {
        if (const Channel *channel = setup_.channel(c.channel); channel != nullptr) {
            snapshot.formulas[c.channel] = channel->Formula();
        }
        if (const auto nominal = program.nominals.find(c.channel);
            nominal != program.nominals.end()) {
            snapshot.nominals[c.channel] = nominal->second;
        }
        if (const auto sides = program.sides.find(c.channel); sides != program.sides.end()) {
            snapshot.sides[c.channel] = sides->second;
        }
    }
    // Queued for DFQ only while a folder is set: the part program's, else the settings'.
    snapshot.dfqFolder = program.dfqFolder.trimmed();
    if (snapshot.dfqFolder.isEmpty() && dfqFolder_) {
        snapshot.dfqFolder = dfqFolder_();
    }
    return snapshot;
}

void PartHistory::record(const PartResult &part) {
    if (!tried_) {
        open();
    }
    const int before = recorder_.notRecorded();
    const FileIdentity was = store_.identity();
    const Recorded recorded = recorder_.record(part, snapshot(part));
    report(recorded, was);
    last_ = PartRecord{part.count, recorded.serial, recorded.stored ? recorded.stored->id : 0};
    emit partRecorded(part, *last_);
    if (recorder_.notRecorded() != before) {
        emit notRecordedChanged(recorder_.notRecorded());
    }
    if (recorded.failure && recorded.failure->damaged) {
        // A file found damaged while in use is set aside when opened again and a new one
        // started; the parts kept go into the new one. A failure told before is not told
        // again part after part.
        openStore(true);
        retry();
    }
}

void PartHistory::report(const Recorded &recorded, const FileIdentity &was) {
    // The store found its file removed or replaced and opened the path again: said once, and
    // the other stores follow.
    // The store's own word decides: the new file may have been given the old one's inode number
    // once the old one was closed, which a comparison of identities would take for the same file.
    if (!recorded.notice.isEmpty()) {
        prompter_.notify(recorded.notice, QStringLiteral("Parts history"), PromptIcon::Warning);
        if (store_.isOpen()) {
            emit fileChanged(location_.file);
        }
    } else {
        followReplaced(was);
    }
    // The part shown last was kept and is written now: shown with the serial it was stored with.
    if (recorded.newestWritten && last_ && last_->count == recorded.newestWritten->count &&
        !last_->recorded()) {
        last_->serial = recorded.newestWritten->stored.serial;
        last_->id = recorded.newestWritten->stored.id;
    }
    if (!recorded.failure) {
        lastCause_.clear();
        retryTimer_.stop();
        return;
    }
    lastCause_ = recorded.failure->cause;
    if (!retryTimer_.isActive()) {
        retryTimer_.start();
    }
    if (recorded.firstFailure) {
        prompter_.notify(
            QStringLiteral("Parts cannot be recorded in the parts history %1: %2.\rThe verdicts "
                           "are shown marked \"NOT RECORDED\"; the parts are kept and written "
                           "when the history works again.")
                .arg(location_.file, lastCause_),
            QStringLiteral("Parts history"), PromptIcon::Warning);
    }
}

void PartHistory::retry() {
    if (recorder_.notRecorded() == 0) {
        retryTimer_.stop();
        return;
    }
    if (!store_.isOpen()) {
        openStore(true);
    }
    const int before = recorder_.notRecorded();
    const FileIdentity was = store_.identity();
    const Recorded recorded = recorder_.retry();
    report(recorded, was);
    if (recorder_.notRecorded() != before) {
        emit notRecordedChanged(recorder_.notRecorded());
    }
}

bool PartHistory::confirmExit() {
    retry();
    const int waiting = recorder_.notRecorded();
    if (waiting == 0) {
        return true;
    }
    return prompter_.ask(QStringLiteral("%1 not recorded in the parts history %2 (%3).\rClose "
                                        "anyway and lose %4?")
                             .arg(partsText(waiting), location_.file, lastCause_,
                                  waiting == 1 ? QStringLiteral("it") : QStringLiteral("them")),
                         QStringLiteral("Parts history"), PromptIcon::Warning,
                         PromptButtons::YesNo) == PromptAnswer::Yes;
}

int PartHistory::flush(int budgetMs, WaitClock &clock, const ElapsedClock &elapsed) {
    const qint64 start = elapsed.elapsedMs();
    for (;;) {
        const qint64 begun = elapsed.elapsedMs();
        retry();
        // A busy file takes its busy timeout; the next try is taken to last as long.
        const qint64 tryMs = elapsed.elapsedMs() - begun;
        if (recorder_.notRecorded() == 0 ||
            elapsed.elapsedMs() - start + kFlushStepMs + tryMs > budgetMs) {
            return recorder_.notRecorded();
        }
        clock.wait(kFlushStepMs);
    }
}

namespace {
StoreFailure notOpen() {
    return StoreFailure{QStringLiteral("The parts history is not open.")};
}
}  // namespace

std::optional<StoreFailure> PartHistory::addEvent(PartEvent &event) {
    return store_.isOpen() ? PartEvents(store_).addEvent(event) : notOpen();
}

std::optional<StoreFailure> PartHistory::addEvents(std::vector<PartEvent> &events) {
    return store_.isOpen() ? PartEvents(store_).addEvents(events) : notOpen();
}

std::vector<PartEvent> PartHistory::events(const QString &number, int channel,
                                           std::optional<StoreFailure> *failure) {
    if (!store_.isOpen()) {
        if (failure != nullptr) {
            *failure = notOpen();
        }
        return {};
    }
    return PartEvents(store_).events(number, channel, failure);
}

}  // namespace zelapp
