#include "part/part_cycle.h"

#include "unit/unit_link.h"

namespace zelapp {

PartCycle::PartCycle(UnitLink &unit, Setup &setup, const ActivePartProgram &program,
                     const ElapsedClock &elapsed, const WallClock &wall)
    : unit_(unit), setup_(setup), program_(program), elapsed_(elapsed), wall_(wall) {
    timer_.setInterval(kPollMs);
    connect(&timer_, &QTimer::timeout, this, &PartCycle::poll);
}

PartCycle::~PartCycle() = default;

void PartCycle::busyStarted() {}

void PartCycle::startPolling() {
    timer_.start();
}

void PartCycle::stopPolling() {
    timer_.stop();
}

QString PartCycle::measure(const QString &id) {
    Q_UNUSED(id);
    return part_reason::busy();
}

QString PartCycle::cancel() {
    return noCycle();
}

void PartCycle::resetCounters() {
    counters_ = {};
    emit countersChanged();
}

void PartCycle::setNextId(const QString &id) {
    nextId_ = id;
}

void PartCycle::poll() {}

QString PartCycle::stateText() const {
    switch (state_) {
        case CycleState::Ready:
            return QStringLiteral("READY");
        case CycleState::Settling:
        case CycleState::Acquiring:
            return QStringLiteral("MEASURING");
        case CycleState::Result:
            break;
    }
    return QStringLiteral("RESULT");
}

}  // namespace zelapp
