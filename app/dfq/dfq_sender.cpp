#include "dfq/dfq_sender.h"

namespace zelapp {

// Placeholder until the sender is written.
DfqSender::DfqSender(PartStore &store, DfqFolder &folder, std::function<QDateTime()> now)
    : store_(store), folder_(folder), now_(std::move(now)) {}

void DfqSender::setSettings(const DfqSettings &settings) {
    settings_ = settings;
}

DfqWaiting DfqSender::recover() {
    return {};
}

DfqWaiting DfqSender::send(bool) {
    return {};
}

}  // namespace zelapp
