#include "part/out_of_control.h"

#include <QStringList>
#include <algorithm>
#include <set>

#include "setup/part_program.h"

namespace zelapp {

QString outOfControlText(const QList<ChannelBreak> &breaks, const ChannelDescription &describe) {
    QStringList items;
    for (const ChannelBreak &one : breaks) {
        QStringList rules;
        for (const int rule : one.rules) {
            rules << QString::number(rule);
        }
        items << QStringLiteral("%1, %2 %3")
                     .arg(characteristicName(one.channel,
                                             describe ? describe(one.channel) : QString()),
                          one.rules.size() == 1 ? QStringLiteral("rule") : QStringLiteral("rules"),
                          rules.join(QStringLiteral(", ")));
    }
    return items.isEmpty() ? QString()
                           : QStringLiteral("Out of control: ") + items.join(QStringLiteral("; "));
}

QString storedRules(const std::vector<int> &rules) {
    QStringList items;
    for (const int rule : rules) {
        items << QString::number(rule);
    }
    return items.join(QLatin1Char(','));
}

QString awaitedCountText(int more) {
    if (more <= 0) {
        return {};
    }
    return more == 1 ? QStringLiteral("1 more part waits for a cause")
                     : QStringLiteral("%1 more parts wait for a cause").arg(more);
}

CausePanel causePanel(const std::vector<AwaitedCause> &awaited, qint64 keep,
                      const ChannelDescription &describe) {
    CausePanel panel;
    std::set<qint64> parts;
    for (const AwaitedCause &a : awaited) {
        parts.insert(a.partId);
    }
    if (parts.empty()) {
        return panel;
    }
    panel.partId = parts.count(keep) != 0 ? keep : *parts.rbegin();
    QList<ChannelBreak> breaks;
    for (const AwaitedCause &a : awaited) {
        if (a.partId != panel.partId) {
            continue;
        }
        ChannelBreak one{a.channel, {}};
        for (const QString &rule : a.rules.split(QLatin1Char(','), Qt::SkipEmptyParts)) {
            one.rules.push_back(rule.toInt());
        }
        breaks << one;
    }
    panel.text = outOfControlText(breaks, describe);
    panel.waiting = awaitedCountText(int(parts.size()) - 1);
    return panel;
}

}  // namespace zelapp
