// The running program's live values, read through its live-value service (docs/live-values.md):
// one conversation on `Display` with a hot link on every channel, one on `Part` with hot links
// on the cycle's items. Reconnects while the program is away.
#pragma once

#include <QLocalSocket>
#include <QObject>
#include <QTimer>
#include <map>
#include <set>

namespace zelmqtt {

class LiveReader : public QObject {
    Q_OBJECT
  public:
    // Channels asked for; the service refuses those the setup lacks.
    static constexpr int kMaxChannels = 255;

    explicit LiveReader(const QString &service, QObject *parent = nullptr);
    ~LiveReader() override;
    void start();

    // "communicating", "lost" (the last part ended with "unit lost" and no cycle has run
    // since), "unknown" (no conversation with the program).
    QString unit() const;
    // The Part topic's state, "unknown" without a conversation.
    QString cycle() const;
    const std::map<QString, QString> &cycleItems() const { return items_; }

    // The channels whose text changed since the last call, with their present text.
    std::map<int, QString> takeChangedValues();
    // Whether a Part item changed since the last call.
    bool takeCycleChanged();

  signals:
    void cycleChanged();
    void unitChanged();

  private:
    struct Conversation {
        QLocalSocket socket;
        bool open = false;
    };
    void open(Conversation &conversation, const QByteArray &topic);
    void read(Conversation &conversation, bool display);
    void retry();

    QString path_;
    Conversation display_;
    Conversation part_;
    std::map<int, QString> values_;
    std::set<int> changedValues_;
    std::map<QString, QString> items_;
    bool cycleChanged_ = false;
    QTimer retryTimer_;
};

}  // namespace zelmqtt
