#include "history/part_recorder.h"

namespace zelapp {

Recorded PartRecorder::record(const PartResult &part, const SetupSnapshot &setup) {
    Recorded recorded;
    // Behind the ones kept: their serials come first, as they were measured first.
    if (!writeWaiting(recorded)) {
        waiting_.push_back({part, setup});
        return recorded;
    }
    const Appended appended = store_.append(part, setup);
    if (!appended.ok()) {
        waiting_.push_back({part, setup});
        failed(recorded, *appended.failure);
        return recorded;
    }
    failing_ = false;
    recorded.stored = appended;
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
        const Appended appended = store_.append(waiting_.front().part, waiting_.front().setup);
        if (!appended.ok()) {
            failed(recorded, *appended.failure);
            return false;
        }
        waiting_.pop_front();
        ++recorded.written;
    }
    failing_ = false;
    return true;
}

void PartRecorder::failed(Recorded &recorded, const StoreFailure &failure) {
    recorded.failure = failure;
    recorded.firstFailure = !failing_;
    failing_ = true;
}

}  // namespace zelapp
