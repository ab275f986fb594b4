#include "zelmqtt_publisher.h"

#include <sys/stat.h>
#include <QFileInfo>
#include <QStringList>
#include <limits>

#include "zelmqtt_backoff.h"
#include "zelmqtt_live.h"

namespace zelmqtt {

namespace {

// The history is looked at when its files change (inotify), and this often anyway, in case a
// change went unseen (a WAL file made anew).
constexpr int kPollMs = 1000;
// A commit's last write to the WAL file comes just before the commit shows (the WAL index is
// shared memory, which inotify does not see): after a change, look again this often, this many
// times.
constexpr int kBurstMs = 5;
constexpr int kBurstLooks = 20;
// The acknowledged position is written at most this often (and at the end): a crash resends
// at most the parts acknowledged since.
constexpr int kSaveMs = 200;
// Live values: at most one message per item per tick.
constexpr int kLiveTickMs = 400;
// Parts in flight at once.
constexpr int kWindow = 64;

unsigned long long inodeOf(const QString &file) {
    struct stat info {};
    return ::stat(QFile::encodeName(file).constData(), &info) == 0 ? info.st_ino : 0;
}

}  // namespace

Publisher::Publisher(const Settings &settings, Log log, QObject *parent)
    : QObject(parent),
      settings_(settings),
      log_(std::move(log)),
      link_(settings, settings.clientId, settings.topic(QStringLiteral("status")),
            offlinePayload()) {
    status_.version = settings.version;
    connect(&link_, &BrokerLink::connected, this, &Publisher::onConnected);
    connect(&link_, &BrokerLink::connectFailed, this,
            [this](const QString &why) { onDown(why, true); });
    connect(&link_, &BrokerLink::lost, this, [this](const QString &why) { onDown(why, false); });
    connect(&link_, &BrokerLink::acknowledged, this, &Publisher::onAcknowledged);
    connect(&link_, &BrokerLink::failed, this, [this](qint64) {
        // Resent from the history after the next connection, in order.
        if (connected_) {
            onDown(QStringLiteral("a part was not acknowledged"), false);
        }
    });
    pollTimer_.setInterval(kPollMs);
    connect(&pollTimer_, &QTimer::timeout, this, &Publisher::poll);
    burstTimer_.setInterval(kBurstMs);
    connect(&burstTimer_, &QTimer::timeout, this, [this] {
        if (--burstLooks_ <= 0) {
            burstTimer_.stop();
        }
        poll();
    });
    connect(&watcher_, &QFileSystemWatcher::fileChanged, this, [this] {
        burstLooks_ = kBurstLooks;
        if (!burstTimer_.isActive()) {
            burstTimer_.start();
            poll();
        }
    });
    saveTimer_.setInterval(kSaveMs);
    connect(&saveTimer_, &QTimer::timeout, this, &Publisher::saveState);
    reconnectTimer_.setSingleShot(true);
    connect(&reconnectTimer_, &QTimer::timeout, this, &Publisher::connectNow);
    if (settings.options.live) {
        live_ = std::make_unique<LiveReader>(settings.options.service);
        connect(live_.get(), &LiveReader::cycleChanged, this, &Publisher::updateStatus);
        connect(live_.get(), &LiveReader::unitChanged, this, &Publisher::updateStatus);
        liveTimer_.setInterval(kLiveTickMs);
        connect(&liveTimer_, &QTimer::timeout, this, &Publisher::publishLive);
    }
}

Publisher::~Publisher() {
    if (live_) {
        live_->disconnect(this);  // its sockets close as it goes: nothing to tell us then
    }
}

void Publisher::start() {
    state_ = readPublishState(settings_.stateFile);
    openHistory();
    watch();
    pollTimer_.start();
    saveTimer_.start();
    if (live_) {
        live_->start();
        liveTimer_.start();
    }
    connectNow();
}

void Publisher::openHistory() {
    if (!QFileInfo(settings_.dbFile).isFile()) {
        return;  // zelapp has not recorded a part yet: poll() looks again
    }
    store_.close();
    zelapp::OpenOptions options;
    options.readOnly = true;
    const zelapp::OpenOutcome opened = store_.open(settings_.dbFile, options);
    if (!opened.ok()) {
        if (!readFailed_) {
            log_(QStringLiteral("cannot read the history: %1").arg(opened.message));
        }
        readFailed_ = true;
        return;
    }
    readFailed_ = false;
    inode_ = inodeOf(settings_.dbFile);
    revisions_ = std::make_unique<zelapp::RevisionCache>(store_);
    next_ = firstToPublish(state_, store_.uuid());
    if (!state_ || state_->db != store_.uuid()) {
        state_ = PublishState{store_.uuid(), 0};
        stateDirty_ = true;
    }
    savedAcked_ = state_->lastAcked;
    inflight_.clear();
    lastSent_ = next_ - 1;
    log_(QStringLiteral("reading %1 from part %2").arg(settings_.dbFile).arg(next_));
}

void Publisher::connectNow() {
    log_(
        QStringLiteral("connecting to %1 as %2").arg(settings_.options.broker, settings_.clientId));
    link_.connectNow();
}

void Publisher::onConnected() {
    connected_ = true;
    failures_ = 0;
    log_(QStringLiteral("connected to %1").arg(settings_.options.broker));
    published_.reset();
    // Whatever was in flight on the last connection is sent again, in order.
    inflight_.clear();
    if (state_ && store_.isOpen()) {
        next_ = state_->lastAcked + 1;
        lastSent_ = state_->lastAcked;
    }
    updateStatus();
    pump();
}

void Publisher::onDown(const QString &why, bool refused) {
    if (!refused && !connected_) {
        return;  // already counted
    }
    connected_ = false;
    inflight_.clear();
    ++failures_;
    const int delay = reconnectDelayMs(failures_);
    log_(QStringLiteral("%1%2; next attempt in %3 s")
             .arg(refused ? QString() : QStringLiteral("lost the broker: "), why)
             .arg(delay / 1000));
    reconnectTimer_.start(delay);
}

void Publisher::watch() {
    QStringList paths = {settings_.dbFile, settings_.dbFile + QStringLiteral("-wal")};
    const QStringList watched = watcher_.files();
    paths.removeIf(
        [&](const QString &path) { return watched.contains(path) || !QFileInfo::exists(path); });
    if (!paths.isEmpty()) {
        watcher_.addPaths(paths);
    }
}

void Publisher::poll() {
    watch();
    if (!store_.isOpen() || inodeOf(settings_.dbFile) != inode_) {
        // The first part, or a new history file in place of the old one.
        const QString before = store_.isOpen() ? store_.uuid() : QString();
        openHistory();
        if (store_.isOpen() && store_.uuid() != before && !before.isEmpty()) {
            log_(QStringLiteral("a new history: publishing from its first part"));
        }
    }
    updateStatus();
    pump();
}

void Publisher::pump() {
    if (!connected_ || !store_.isOpen() || !revisions_) {
        return;
    }
    // Refilled by half a window at a time: pages, not a query per acknowledged part.
    if (int(inflight_.size()) > kWindow / 2) {
        return;
    }
    while (int(inflight_.size()) < kWindow) {
        const zelapp::PartPage page = store_.range(next_, std::numeric_limits<qint64>::max(),
                                                   kWindow - int(inflight_.size()));
        if (page.failure) {
            log_(QStringLiteral("cannot read the history: %1").arg(page.failure->cause));
            return;
        }
        if (page.parts.empty()) {
            return;
        }
        for (const zelapp::StoredPart &part : page.parts) {
            std::optional<zelapp::StoreFailure> failure;
            const auto *revision = revisions_->get(part.revision, &failure);
            if (!revision) {
                log_(QStringLiteral("cannot read the history: %1").arg(failure->cause));
                return;
            }
            const QByteArray payload =
                partPayload(part, *revision, store_.uuid(), settings_.station);
            if (!link_.publish(settings_.topic(QStringLiteral("part")), payload, 1, false,
                               part.id)) {
                return;  // the connection went; lost() follows
            }
            inflight_.insert(part.id);
            lastSent_ = part.id;
            next_ = part.id + 1;
        }
    }
}

void Publisher::onAcknowledged(qint64 id) {
    if (id <= 0 || !state_ || inflight_.erase(id) == 0) {
        return;  // the status, or a part of a connection gone
    }
    // Acknowledged up to just before the oldest part still in flight.
    const qint64 acked = inflight_.empty() ? lastSent_ : *inflight_.begin() - 1;
    if (acked > state_->lastAcked && connected_) {
        state_->lastAcked = acked;
        stateDirty_ = true;
        // Bounds what a crash sends twice: the parts in flight and at most a window more.
        if (acked - savedAcked_ >= kWindow) {
            saveState();
        }
    }
    pump();
}

void Publisher::saveState() {
    if (!stateDirty_ || !state_) {
        return;
    }
    QString error;
    if (writePublishState(settings_.stateFile, *state_, &error)) {
        stateDirty_ = false;
        savedAcked_ = state_->lastAcked;
    } else {
        log_(QStringLiteral("cannot write %1: %2").arg(settings_.stateFile, error));
    }
}

void Publisher::updateStatus() {
    Status status = status_;
    if (store_.isOpen()) {
        const zelapp::PartPage newest = store_.newestBefore(0, 1);
        if (!newest.failure && !newest.parts.empty()) {
            status.setup = newest.parts.front().setupFile;
            status.partNumber = newest.parts.front().number;
        }
    }
    if (live_) {
        status.unit = live_->unit();
        status.cycle = live_->cycle();
    }
    status_ = status;
    if (connected_ && published_ != status_ &&
        link_.publish(settings_.topic(QStringLiteral("status")), statusPayload(status_), 1, true)) {
        published_ = status_;
    }
}

void Publisher::publishLive() {
    if (!connected_ || !live_) {
        return;
    }
    for (const auto &[channel, text] : live_->takeChangedValues()) {
        link_.publish(settings_.topic(QStringLiteral("live/%1").arg(channel)), livePayload(text), 0,
                      false);
    }
    if (live_->takeCycleChanged()) {
        link_.publish(settings_.topic(QStringLiteral("cycle")), cyclePayload(live_->cycleItems()),
                      0, false);
    }
}

void Publisher::stop() {
    pollTimer_.stop();
    if (connected_) {
        link_.publishAndWait(settings_.topic(QStringLiteral("status")), offlinePayload(), true,
                             2000);
    }
    link_.disconnect(2000);
    connected_ = false;
    saveState();
}

}  // namespace zelmqtt
