#include "dfq/dfq_worker.h"

namespace zelapp {

namespace {
class SenderPasses : public DfqPasses {
  public:
    SenderPasses(PartStore &store, DfqFolder &folder, std::function<QDateTime()> now)
        : sender_(store, folder, std::move(now)) {}
    void setSettings(const DfqSettings &settings) override { sender_.setSettings(settings); }
    DfqWaiting recover() override { return sender_.recover(); }
    DfqWaiting send(bool closing) override { return sender_.send(closing); }

  private:
    DfqSender sender_;
};
}  // namespace

DfqPassesMaker senderPasses(DfqFolder &folder, std::function<QDateTime()> now) {
    return [&folder, now = std::move(now)](PartStore &store) -> std::unique_ptr<DfqPasses> {
        return std::make_unique<SenderPasses>(store, folder, now);
    };
}

DfqWorker::DfqWorker(std::unique_ptr<DfqFolder> folder, DfqPassesMaker maker)
    : folder_(std::move(folder)), maker_(std::move(maker)) {}

DfqWorker::~DfqWorker() {
    close();
}

void DfqWorker::open(const QString &file) {
    if (file == file_ && store_.isOpen() && !store_.replaced()) {
        return;
    }
    close();
    file_ = file;
    const OpenOutcome outcome = store_.open(file);
    openFailure_ = outcome.failure ? outcome.failure->cause : QString();
    if (outcome.ok() && maker_) {
        passes_ = maker_(store_);
    }
}

void DfqWorker::close() {
    passes_.reset();
    recovered_ = false;
    store_.close();
}

void DfqWorker::pass(const DfqSettings &settings, bool closing) {
    if (!store_.isOpen() && !file_.isEmpty()) {
        // The history file was away at the last try (a network folder): tried again each pass.
        const QString file = file_;
        file_.clear();
        open(file);
    }
    if (passes_ == nullptr) {
        emit passEnded(DfqWaiting{0, openFailure_.isEmpty()
                                         ? QString()
                                         : QStringLiteral("%1: %2").arg(file_, openFailure_)});
        return;
    }
    passes_->setSettings(settings);
    if (!recovered_) {
        passes_->recover();
        recovered_ = true;
    }
    emit passEnded(passes_->send(closing));
}

}  // namespace zelapp
