#include "unit/refused_items.h"

#include <vector>

#include "unit/unit_status.h"

namespace zelapp {

namespace {
QString itemWord(RefusedItems::Item item, bool plural) {
    switch (item) {
        case RefusedItems::Item::Channel:
            return plural ? QStringLiteral("Channels") : QStringLiteral("Channel");
        case RefusedItems::Item::Probe:
            return plural ? QStringLiteral("Probes") : QStringLiteral("Probe");
        case RefusedItems::Item::Analog:
            return plural ? QStringLiteral("Analog inputs") : QStringLiteral("Analog input");
    }
    return {};
}

// "3", "9 to 12, 14": the numbers ascending, runs joined.
QString numberRuns(const std::vector<int> &numbers) {
    QStringList runs;
    for (std::size_t i = 0; i < numbers.size();) {
        std::size_t end = i;
        while (end + 1 < numbers.size() && numbers[end + 1] == numbers[end] + 1) {
            ++end;
        }
        runs << (end == i ? QString::number(numbers[i])
                          : QStringLiteral("%1 to %2").arg(numbers[i]).arg(numbers[end]));
        i = end + 1;
    }
    return runs.join(QStringLiteral(", "));
}
}  // namespace

void RefusedItems::add(Item item, int number, int32_t status) {
    refused_[{item, number}] = status;
}

QStringList RefusedItems::lines() const {
    // By kind of item, then status: the map's order keeps the numbers ascending in each.
    std::map<std::pair<Item, int32_t>, std::vector<int>> groups;
    for (const auto &[key, status] : refused_) {
        groups[{key.first, status}].push_back(key.second);
    }
    QStringList out;
    for (const auto &[key, numbers] : groups) {
        out << itemWord(key.first, numbers.size() > 1) + QLatin1Char(' ') + numberRuns(numbers) +
                   QStringLiteral(": ") + unitStatusText(key.second);
    }
    return out;
}

}  // namespace zelapp
