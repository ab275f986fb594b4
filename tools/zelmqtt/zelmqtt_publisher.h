// The station's publisher: reads the history in order and publishes each part once with QoS 1,
// remembers the last part the broker acknowledged, keeps the retained status, and reconnects
// with a back-off. Parts wait in the history while the broker is away; nothing is queued in
// memory beyond the messages in flight.
#pragma once

#include <QFileSystemWatcher>
#include <QObject>
#include <QTimer>
#include <functional>
#include <memory>
#include <optional>
#include <set>

#include "history/part_store.h"
#include "history/revision_cache.h"
#include "zelmqtt_broker.h"
#include "zelmqtt_payload.h"
#include "zelmqtt_settings.h"
#include "zelmqtt_state.h"

namespace zelmqtt {

class LiveReader;

class Publisher : public QObject {
    Q_OBJECT
  public:
    using Log = std::function<void(const QString &)>;
    Publisher(const Settings &settings, Log log, QObject *parent = nullptr);
    ~Publisher() override;

    // Opens the history (waiting for it to appear) and connects.
    void start();
    // Leaves an offline status, disconnects and writes the state.
    void stop();

  private:
    void openHistory();
    void connectNow();
    void onConnected();
    void onDown(const QString &why, bool refused);
    void watch();
    void poll();
    void pump();
    void onAcknowledged(qint64 id);
    void saveState();
    void updateStatus();
    void publishLive();

    Settings settings_;
    Log log_;
    BrokerLink link_;
    zelapp::PartStore store_;
    std::unique_ptr<zelapp::RevisionCache> revisions_;
    unsigned long long inode_ = 0;
    std::optional<PublishState> state_;
    qint64 next_ = 1;            // the next id to publish
    qint64 lastSent_ = 0;        // the highest id published on this connection
    std::set<qint64> inflight_;  // published, not yet acknowledged
    bool connected_ = false;
    bool stateDirty_ = false;
    qint64 savedAcked_ = 0;  // the last acknowledged id on disk
    int failures_ = 0;
    bool readFailed_ = false;
    Status status_;
    std::optional<Status> published_;  // the status the broker holds from us
    QFileSystemWatcher watcher_;
    QTimer pollTimer_;
    QTimer burstTimer_;
    int burstLooks_ = 0;
    QTimer saveTimer_;
    QTimer reconnectTimer_;
    QTimer liveTimer_;
    std::unique_ptr<LiveReader> live_;
};

}  // namespace zelmqtt
