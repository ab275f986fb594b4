// The part cycle as other programs see it: the live-value topic "Part" over the session's part
// cycle and setup. The items keep the last part's values until the next part's are set; when a
// part ends they change in one pass, in the order a client may rely on: result(n)..., id,
// reason, verdict, recorded, then count, then state. A client that waits for count to change has
// the part's values by then, even when a second good part in a row leaves verdict as it was.
#pragma once

#include <QObject>
#include <QString>
#include <QStringList>
#include <optional>

#include "exchange/part_topic.h"

namespace zelapp {

class LinkServer;
class PartCycle;
class PartHistory;
class Setup;
struct PartResult;

class PartTopicService : public PartTopic {
  public:
    // Stands behind the server's "Part" topic from now until it goes.
    PartTopicService(PartCycle &cycle, PartHistory &history, const Setup &setup,
                     LinkServer &server);
    ~PartTopicService() override;
    PartTopicService(const PartTopicService &) = delete;
    PartTopicService &operator=(const PartTopicService &) = delete;

    std::optional<QString> item(const QString &name) const override;
    QString execute(const QString &command) override;

    // The items a part's end changes, in the order they are told.
    QStringList partItems() const;

  private:
    PartCycle &cycle_;
    const PartHistory &history_;
    const Setup &setup_;
    LinkServer &server_;
    QObject context_;  // the connections to the cycle end with it
};

}  // namespace zelapp
