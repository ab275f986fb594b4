#include "history/part_recorder.h"

#include <algorithm>

namespace zelapp {

Recorded PartRecorder::record(const PartResult &part, const SetupSnapshot &setup) {
    Recorded recorded;
    // Behind the ones kept: their serials come first, as they were measured first.
    if (!writeWaiting(recorded)) {
        recorded.serial = nextSerial(part.number);
        waiting_.push_back({part, setup, recorded.serial});
        return recorded;
    }
    const Appended appended = append(part, setup, 0, recorded);
    if (!appended.ok()) {
        recorded.serial = nextSerial(part.number);
        waiting_.push_back({part, setup, recorded.serial});
        failed(recorded, *appended.failure);
        return recorded;
    }
    failing_ = false;
    recorded.stored = appended;
    recorded.serial = lastSerials()[part.number] = appended.serial;
    return recorded;
}

Recorded PartRecorder::retry() {
    Recorded recorded;
    writeWaiting(recorded);
    return recorded;
}

std::vector<PartResult> PartRecorder::waitingParts() const {
    std::vector<PartResult> parts;
    for (const Waiting &waiting : waiting_) {
        parts.push_back(waiting.part);
    }
    return parts;
}

Appended PartRecorder::append(const PartResult &part, const SetupSnapshot &setup,
                              qint64 leastSerial, Recorded &recorded) {
    Appended appended = store_.append(part, setup, leastSerial);
    if (!appended.notice.isEmpty()) {
        recorded.notice = appended.notice;
    }
    return appended;
}

bool PartRecorder::writeWaiting(Recorded &recorded) {
    while (!waiting_.empty()) {
        const Waiting &waiting = waiting_.front();
        const Appended appended = append(waiting.part, waiting.setup, waiting.serial, recorded);
        if (!appended.ok()) {
            failed(recorded, *appended.failure);
            return false;
        }
        qint64 &last = lastSerials()[waiting.part.number];
        last = std::max(last, appended.serial);
        recorded.newestWritten = Recorded::Written{waiting.part.count, appended};
        waiting_.pop_front();
        ++recorded.written;
    }
    failing_ = false;
    return true;
}

std::map<QString, qint64> &PartRecorder::lastSerials() {
    if (store_.identity() != serialsFile_) {
        lastSerials_.clear();
        serialsFile_ = store_.identity();
    }
    return lastSerials_;
}

qint64 PartRecorder::nextSerial(const QString &number) {
    const auto kept = [&](bool pendingOnly) {
        return std::any_of(waiting_.begin(), waiting_.end(), [&](const Waiting &waiting) {
            return waiting.part.number == number && (!pendingOnly || waiting.serial == 0);
        });
    };
    // Behind a part whose serial is pending, none is known.
    if (kept(true)) {
        return 0;
    }
    std::map<QString, qint64> &serials = lastSerials();
    auto last = serials.find(number);
    if (last == serials.end()) {
        // Parts kept before were counted in another file: theirs are not known here.
        if (kept(false)) {
            return 0;
        }
        const std::optional<qint64> read = store_.lastSerial(number);  // a locked file still reads
        if (!read) {
            return 0;
        }
        last = serials.emplace(number, *read).first;
    }
    return ++last->second;
}

void PartRecorder::failed(Recorded &recorded, const StoreFailure &failure) {
    recorded.failure = failure;
    recorded.firstFailure = !failing_;
    failing_ = true;
}

}  // namespace zelapp
