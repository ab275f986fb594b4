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
    const Appended appended = store_.append(part, setup);
    if (!appended.ok()) {
        recorded.serial = nextSerial(part.number);
        waiting_.push_back({part, setup, recorded.serial});
        failed(recorded, *appended.failure);
        return recorded;
    }
    failing_ = false;
    recorded.stored = appended;
    recorded.serial = lastSerials_[part.number] = appended.serial;
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

bool PartRecorder::writeWaiting(Recorded &recorded) {
    while (!waiting_.empty()) {
        const Waiting &waiting = waiting_.front();
        const Appended appended = store_.append(waiting.part, waiting.setup, waiting.serial);
        if (!appended.ok()) {
            failed(recorded, *appended.failure);
            return false;
        }
        qint64 &last = lastSerials_[waiting.part.number];
        last = std::max(last, appended.serial);
        waiting_.pop_front();
        ++recorded.written;
    }
    failing_ = false;
    return true;
}

qint64 PartRecorder::nextSerial(const QString &number) {
    const auto known = lastSerials_.find(number);
    qint64 &last = known != lastSerials_.end() ? known->second : lastSerials_[number];
    if (known == lastSerials_.end()) {
        last = store_.lastSerial(number);  // a locked or full file still reads
    }
    return ++last;
}

void PartRecorder::failed(Recorded &recorded, const StoreFailure &failure) {
    recorded.failure = failure;
    recorded.firstFailure = !failing_;
    failing_ = true;
}

}  // namespace zelapp
