#include "setup/unit_batch.h"

namespace zelapp {

UnitBatch::UnitBatch(const ModelContext &context) : context_(context) {
    // Without a log nothing would tell the refusals: the library's boxes stay on.
    RefusalLog *log = context_.refusals;
    if (log == nullptr || log->openBatches++ > 0) {
        return;
    }
    log->items.clear();
    quiet_.emplace(context_.unit);
}

UnitBatch::~UnitBatch() {
    RefusalLog *log = context_.refusals;
    if (log == nullptr || --log->openBatches > 0) {
        return;
    }
    quiet_.reset();  // the boxes are on again before the message
    if (!log->items.empty()) {
        const QStringList lines = log->items.lines();
        log->items.clear();
        context_.prompter.message(lines.join(QLatin1Char('\r')), {}, PromptIcon::Warning);
    }
}

}  // namespace zelapp
