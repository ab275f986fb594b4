// The DFQ folders as the tests take them away: this computer's file layer, made to fail every
// call with a cause the test sets (missing, read-only, full) without touching the process's
// limits, or (for the benchmarks only) slow as a network mount. Called on the export's thread.
#pragma once

#include <QMutex>
#include <QMutexLocker>
#include <QString>
#include <QThread>
#include <memory>
#include <optional>

#include "dfq/dfq_folder.h"

namespace zeltest {

class SwitchableDfqFolder : public zelapp::DfqFolder {
  public:
    SwitchableDfqFolder() : local_(zelapp::localDfqFolder()) {}

    // Whether this build has the file layer to pass the calls to.
    bool available() const { return local_ != nullptr; }
    // Non-empty: every call fails with this cause until it is emptied again.
    void setFailure(const QString &cause) {
        QMutexLocker lock(&mutex_);
        failure_ = cause;
    }
    // Each write takes this long before it is done (a slow network mount).
    void setWriteDelayMs(int ms) {
        QMutexLocker lock(&mutex_);
        delayMs_ = ms;
    }

    std::optional<QString> writeFlushed(const QString &folder, const QString &name,
                                        const QByteArray &bytes) override {
        int delayMs = 0;
        {
            QMutexLocker lock(&mutex_);
            delayMs = delayMs_;
        }
        if (delayMs > 0) {
            QThread::msleep(static_cast<unsigned long>(delayMs));
        }
        if (const std::optional<QString> cause = failure()) {
            return cause;
        }
        return local_->writeFlushed(folder, name, bytes);
    }
    bool exists(const QString &folder, const QString &name) override {
        return !failure() && local_->exists(folder, name);
    }
    std::optional<QString> rename(const QString &folder, const QString &from,
                                  const QString &to) override {
        if (const std::optional<QString> cause = failure()) {
            return cause;
        }
        return local_->rename(folder, from, to);
    }
    std::optional<QString> remove(const QString &folder, const QString &name) override {
        if (const std::optional<QString> cause = failure()) {
            return cause;
        }
        return local_->remove(folder, name);
    }

  private:
    std::optional<QString> failure() const {
        QMutexLocker lock(&mutex_);
        if (local_ == nullptr) {
            return QStringLiteral("no file layer in this build");
        }
        return failure_.isEmpty() ? std::nullopt : std::optional<QString>(failure_);
    }

    std::unique_ptr<zelapp::DfqFolder> local_;
    mutable QMutex mutex_;
    QString failure_;
    int delayMs_ = 0;
};

}  // namespace zeltest
