// The live-value service's "Part" topic as the service sees it: the items it answers and the
// commands it runs. The program's part cycle stands behind it; the service knows nothing else
// of parts.
#pragma once

#include <QString>
#include <optional>

namespace zelapp {

class PartTopic {
  public:
    virtual ~PartTopic() = default;
    // The text of an item ("state", "verdict", "count", "reason", "id", "recorded",
    // "result(n)"), named as
    // the program names it (link::partItemName has matched the client's spelling without regard
    // to case); none when there is no such item (an unknown name, or a result of a channel the
    // setup lacks).
    virtual std::optional<QString> item(const QString &name) const = 0;
    // Runs a command ("Measure", "Cancel", as link::partCommandName names it); an empty text
    // when it was done, else the reason it was not ("cycle running", "no cycle", "unit lost",
    // "busy", "starting", "no characteristics", "no part", "unknown command").
    virtual QString execute(const QString &command) = 0;
};

}  // namespace zelapp
