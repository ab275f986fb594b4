#include "dfq/dfq_export.h"

#include <QDeadlineTimer>
#include <QThread>
#include <vector>

#include "base/wall_clock.h"
#include "dfq/dfq_settings.h"
#include "history/part_history.h"

namespace zelapp {

namespace {

// A thread still blocked in a hung mount at exit is neither destroyed (a running QThread must
// not be) nor lost: it is held here for the rest of the process, so that the leak checker sees
// it held, and deletes itself and its worker should it end while the program still runs.
void leaveRunning(QThread *thread, DfqWorker *worker) {
    static auto *const left = new std::vector<QObject *>();
    left->push_back(thread);
    left->push_back(worker);
    QObject::connect(thread, &QThread::finished, worker, &QObject::deleteLater);
    QObject::connect(thread, &QThread::finished, thread, &QObject::deleteLater);
}

std::function<QDateTime()> localTime(const WallClock *clock) {
    if (clock != nullptr) {
        return [clock] { return clock->now(); };
    }
    return [] { return QDateTime::currentDateTime(); };
}

}  // namespace

DfqExport::DfqExport(PartHistory &history, const SettingsStore &settings,
                     DfqExportServices services)
    : history_(history), settings_(settings), services_(std::move(services)) {
    qRegisterMetaType<DfqWaiting>();
    connect(&history_, &PartHistory::partRecorded, this, &DfqExport::partRecorded);
    connect(&history_, &PartHistory::fileChanged, this, [this] {
        if (thread_ != nullptr) {
            file_.clear();  // the same path may name another file now
            followFile();
            post(false);
        }
    });
    if (services_.tick != nullptr) {
        connect(services_.tick, &DfqRetryTick::fired, this, &DfqExport::sendNow);
    } else {
        ownTick_.setInterval(kRetryMs);
        connect(&ownTick_, &QTimer::timeout, this, &DfqExport::sendNow);
    }
}

DfqExport::~DfqExport() {
    stop();
}

void DfqExport::start() {
    if (stopped_) {
        return;
    }
    if (thread_ == nullptr) {
        std::unique_ptr<DfqFolder> own;
        DfqFolder *folder = services_.folder;
        if (folder == nullptr) {
            own = localDfqFolder();
            folder = own.get();
        }
        DfqPassesMaker passes = services_.passes;
        if (!passes && folder != nullptr) {
            passes = senderPasses(*folder, localTime(services_.wallClock));
        }
        thread_ = new QThread();
        thread_->setObjectName(QStringLiteral("DFQ export"));
        worker_ = new DfqWorker(std::move(own), std::move(passes));
        worker_->moveToThread(thread_);
        connect(worker_, &DfqWorker::passEnded, this, &DfqExport::ended, Qt::QueuedConnection);
        thread_->start();
        if (services_.tick == nullptr) {
            ownTick_.start();
        }
    }
    followFile();
    post(false);
}

void DfqExport::partRecorded() {
    // The history opens its file at the first part when the program did not open it before.
    start();
}

void DfqExport::sendNow() {
    if (thread_ != nullptr) {
        followFile();
        post(false);
    }
}

void DfqExport::followFile() {
    if (!history_.isOpen() || history_.location().file == file_) {
        return;
    }
    file_ = history_.location().file;
    QMetaObject::invokeMethod(
        worker_, [worker = worker_, file = file_] { worker->open(file); }, Qt::QueuedConnection);
}

void DfqExport::post(bool closing) {
    if (stopped_ || file_.isEmpty()) {
        return;
    }
    // A slow folder must not pile up a pass per part: one posted covers every part recorded
    // before it begins.
    if (!closing && passPosted_->exchange(true)) {
        return;
    }
    QMetaObject::invokeMethod(
        worker_,
        [worker = worker_, posted = passPosted_, settings = readDfqSettings(settings_), closing] {
            posted->store(false);
            worker->pass(settings, closing);
        },
        Qt::QueuedConnection);
}

void DfqExport::ended(const DfqWaiting &waiting) {
    const bool changed = waiting != waiting_;
    waiting_ = waiting;
    if (changed) {
        emit waitingChanged(waiting_);
    }
    emit passEnded(waiting_);
}

bool DfqExport::stop(int waitMs) {
    if (stopped_) {
        return true;
    }
    post(true);
    stopped_ = true;
    ownTick_.stop();
    if (thread_ == nullptr) {
        return true;
    }
    // Quit once the last pass is done, not before it: queued behind it. The store is closed on
    // the thread that opened its connection.
    QMetaObject::invokeMethod(
        worker_,
        [worker = worker_] {
            worker->close();
            QThread::currentThread()->quit();
        },
        Qt::QueuedConnection);
    const bool ended = thread_->wait(QDeadlineTimer(waitMs));
    disconnect(worker_, nullptr, this, nullptr);
    if (ended) {
        delete worker_;
        delete thread_;
    } else {
        leaveRunning(thread_, worker_);
    }
    worker_ = nullptr;
    thread_ = nullptr;
    return ended;
}

}  // namespace zelapp
