#include "base/line_warnings.h"

#include "base/prompter.h"

namespace zelapp {

void LineWarnings::add(const QString &text) {
    if (kept_.size() < kMostShown) {
        kept_.push_back(text);
    } else {
        ++passedOver_;
    }
}

void LineWarnings::show(Prompter &prompter) const {
    for (const QString &text : listed()) {
        prompter.message(text);
    }
}

QStringList LineWarnings::listed() const {
    QStringList out(kept_.begin(), kept_.end());
    if (passedOver_ > 0) {
        out << QStringLiteral(
                   "%1 more lines of this file were not understood and were passed over.")
                   .arg(passedOver_);
    }
    return out;
}

}  // namespace zelapp
