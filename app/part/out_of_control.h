// What the result window says of a part that broke the run rules watched on its
// characteristics, as text: "Out of control: Runout (C3), rule 2; C5, rules 1, 4". Headless.
#pragma once

#include <QDateTime>
#include <QList>
#include <QMetaType>
#include <QString>
#include <functional>
#include <vector>

namespace zelapp {

// The rules (1..8) one characteristic's point broke, in rising order.
struct ChannelBreak {
    int channel = 0;
    std::vector<int> rules;
    bool operator==(const ChannelBreak &) const = default;
};

// A characteristic of a part that broke its rules and has no cause yet.
struct AwaitedCause {
    qint64 partId = 0;
    int channel = 0;
    QString rules;  // as stored: "2,5"
    QDateTime time;
    bool operator==(const AwaitedCause &) const = default;
};

// A channel's description as the setup has it now; empty: none (or no such channel).
using ChannelDescription = std::function<QString(int channel)>;

// "Out of control: Runout (C3), rule 2; C5, rules 1, 4"; empty when nothing broke.
QString outOfControlText(const QList<ChannelBreak> &breaks,
                         const ChannelDescription &describe = {});
// "2,5": the rules as the events store them.
QString storedRules(const std::vector<int> &rules);
// "1 more part waits for a cause", "3 more parts wait for a cause"; empty for none.
QString awaitedCountText(int more);

// What the result window's out-of-control panel shows: the part whose cause it asks for, its
// line, and how many more parts wait.
struct CausePanel {
    qint64 partId = 0;  // 0: nothing awaited, the panel is hidden
    QString text;       // "Out of control: Runout (C3), rule 2"
    QString waiting;    // "2 more parts wait for a cause"; empty when none
    bool operator==(const CausePanel &) const = default;
};
// The panel asks for the newest part awaited, or for `keep` (the part whose cause the operator
// is typing) while it still awaits one.
CausePanel causePanel(const std::vector<AwaitedCause> &awaited, qint64 keep,
                      const ChannelDescription &describe = {});

}  // namespace zelapp
