#include "setup/mastered_times.h"

#include <QStringList>

#include "base/wall_clock.h"
#include "model/formula_probes.h"
#include "setup/setup.h"

namespace zelapp {

MasteredTimes::MasteredTimes(Setup &setup, const WallClock &clock) : setup_(setup), clock_(clock) {
    listening_ = QObject::connect(&setup.notifier(), &SetupNotifier::changed, this,
                                  [this](const SetupChange &change) { setupChanged(change); });
}

MasteredTimes::~MasteredTimes() {
    QObject::disconnect(listening_);
}

QDateTime MasteredTimes::lastMastered(int channel) const {
    const auto it = part_.mastered.find(channel);
    return it != part_.mastered.end() ? it->second : QDateTime();
}

bool MasteredTimes::due(int channel) const {
    const QDateTime last = lastMastered(channel);
    if (!last.isValid() || !part_.intervalHours) {
        return false;
    }
    const double seconds = *part_.intervalHours * 3600.0;
    const double passed = static_cast<double>(last.msecsTo(clock_.now())) / 1000.0;
    return passed >= seconds;
}

bool MasteredTimes::needsRemaster(int channel) const {
    return remaster_.count(channel) != 0;
}

QString MasteredTimes::masteringNote(int channel) const {
    QStringList notes;
    if (needsRemaster(channel)) {
        notes << QStringLiteral("re-master");
    }
    if (due(channel)) {
        notes << QStringLiteral("Master due");
    }
    return notes.join(QStringLiteral(", "));
}

QString MasteredTimes::lastMasteredText(int channel) const {
    const QDateTime last = lastMastered(channel);
    if (!last.isValid()) {
        return QStringLiteral("Never mastered");
    }
    return QStringLiteral("Last mastered: ") +
           last.toLocalTime().toString(QStringLiteral("yyyy-MM-dd HH:mm"));
}

std::vector<int> MasteredTimes::dueChannels() const {
    std::vector<int> channels;
    for (int n = 1; n <= setup_.channelCount(); ++n) {
        if (due(n)) {
            channels.push_back(n);
        }
    }
    return channels;
}

QString MasteredTimes::dueStatusText() const {
    const std::vector<int> channels = dueChannels();
    if (channels.empty()) {
        return {};
    }
    QStringList numbers;
    for (int n : channels) {
        numbers << QString::number(n);
    }
    return (channels.size() == 1 ? QStringLiteral("Master due: channel ")
                                 : QStringLiteral("Master due: channels ")) +
           numbers.join(QStringLiteral(", "));
}

void MasteredTimes::checkDue() {
    std::vector<int> now = dueChannels();
    if (now != lastDue_) {
        lastDue_ = std::move(now);
        emit changed();
    }
}

MasteredTimes::ChannelRecord MasteredTimes::record(int channel) const {
    return {lastMastered(channel), needsRemaster(channel)};
}

MasteredTimes::ChannelRecord MasteredTimes::markMastered(int channel) {
    const ChannelRecord before = record(channel);
    restore(channel, {clock_.now(), false});
    return before;
}

void MasteredTimes::restore(int channel, const ChannelRecord &record) {
    if (record.mastered.isValid()) {
        part_.mastered[channel] = record.mastered;
    } else {
        part_.mastered.erase(channel);
    }
    if (record.remaster) {
        remaster_.insert(channel);
    } else {
        remaster_.erase(channel);
    }
    lastDue_ = dueChannels();
    emit changed();
}

void MasteredTimes::replace(const PartMastering &part) {
    part_ = part;
    remaster_.clear();
    lastDue_ = dueChannels();
    emit changed();
}

void MasteredTimes::setupChanged(const SetupChange &change) {
    switch (change.kind) {
        case SetupChange::Kind::Replaced:
            // The marks belong to the setup that was; the times come with the part file.
            if (!remaster_.empty()) {
                remaster_.clear();
                emit changed();
            }
            return;
        case SetupChange::Kind::Amplifier:
        case SetupChange::Kind::Lvdt:
            probeChanged(change.item);
            return;
        default:
            return;
    }
}

void MasteredTimes::probeChanged(int probe) {
    bool marked = false;
    for (const auto &[channel, when] : part_.mastered) {
        const Channel *c = setup_.channel(channel);
        if (c != nullptr && when.isValid() && formulaUsesProbe(c->Formula(), probe) &&
            remaster_.insert(channel).second) {
            marked = true;
        }
    }
    if (marked) {
        emit changed();
    }
}

}  // namespace zelapp
