// The width a place needs to show any of several texts in a font.
#pragma once

#include <QFontMetrics>
#include <QStringList>
#include <algorithm>

namespace zelapp {

inline int widestAdvance(const QFontMetrics &metrics, const QStringList &texts) {
    int widest = 0;
    for (const QString &text : texts) {
        widest = std::max(widest, metrics.horizontalAdvance(text));
    }
    return widest;
}

}  // namespace zelapp
