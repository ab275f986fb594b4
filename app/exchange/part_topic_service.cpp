#include "exchange/part_topic_service.h"

#include <algorithm>

#include "exchange/link_protocol.h"
#include "exchange/link_server.h"
#include "history/part_history.h"
#include "model/part_result.h"
#include "part/part_cycle.h"
#include "setup/setup.h"

namespace zelapp {

PartTopicService::PartTopicService(PartCycle &cycle, PartHistory &history, const Setup &setup,
                                   LinkServer &server)
    : cycle_(cycle), history_(history), setup_(setup), server_(server) {
    server_.setPartTopic(this);
    // A part's items change once it is in the history (or known not to be), and before the
    // cycle's stateChanged(Result): the part's items, then the state.
    QObject::connect(&history, &PartHistory::partRecorded, &context_,
                     [this] { server_.partItemsChanged(partItems()); });
    QObject::connect(&cycle_, &PartCycle::stateChanged, &context_,
                     [this] { server_.partItemsChanged({QString::fromLatin1(link::kStateItem)}); });
    // The parts kept in memory written at last: the last part is recorded now.
    QObject::connect(&history, &PartHistory::notRecordedChanged, &context_, [this] {
        server_.partItemsChanged({QString::fromLatin1(link::kRecordedItem)});
    });
}

PartTopicService::~PartTopicService() {
    server_.setPartTopic(nullptr);
}

QStringList PartTopicService::partItems() const {
    QStringList items;
    const int channels = setup_.channelCount();
    items.reserve(channels + 6);
    for (int n = 1; n <= channels; ++n) {
        items.append(link::resultItemName(n));
    }
    for (const char *name : {link::kIdItem, link::kReasonItem, link::kVerdictItem,
                             link::kRecordedItem, link::kCountItem}) {
        items.append(QString::fromLatin1(name));
    }
    return items;
}

std::optional<QString> PartTopicService::item(const QString &name) const {
    const std::optional<PartResult> &last = cycle_.lastResult();
    if (name == QLatin1String(link::kStateItem)) {
        return cycle_.stateText();
    }
    if (name == QLatin1String(link::kVerdictItem)) {
        return last ? verdictCode(last->verdict) : QString();
    }
    if (name == QLatin1String(link::kCountItem)) {
        return QString::number(cycle_.count());
    }
    if (name == QLatin1String(link::kReasonItem)) {
        return last ? last->reason : QString();
    }
    if (name == QLatin1String(link::kIdItem)) {
        return last ? last->id : QString();
    }
    if (name == QLatin1String(link::kRecordedItem)) {
        // "0": the part is kept in memory only ("NOT RECORDED"), at risk until it is written;
        // the parts kept are written oldest first, so none waiting means it is in the history.
        if (!last) {
            return QString();
        }
        const std::optional<PartRecord> &record = history_.lastRecord();
        const bool recorded = (record && record->count == last->count && record->recorded()) ||
                              history_.notRecorded() == 0;
        return recorded ? QStringLiteral("1") : QStringLiteral("0");
    }
    const int channel = link::resultChannel(name.toLatin1());
    if (channel < 1 || channel > setup_.channelCount()) {
        return std::nullopt;
    }
    if (!last) {
        return QString();
    }
    const auto &characteristics = last->characteristics;
    const auto found =
        std::find_if(characteristics.begin(), characteristics.end(),
                     [channel](const CharacteristicResult &c) { return c.channel == channel; });
    // Not a characteristic, or not valid: nothing was captured that counts.
    return found != characteristics.end() ? shownText(*found) : QString();
}

QString PartTopicService::execute(const QString &command) {
    if (command == QLatin1String(link::kMeasure)) {
        return cycle_.measure();
    }
    if (command == QLatin1String(link::kCancel)) {
        return cycle_.cancel();
    }
    return QString::fromLatin1(link::kUnknownCommand);
}

}  // namespace zelapp
