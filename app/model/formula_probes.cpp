#include "model/formula_probes.h"

namespace zelapp {

namespace {
bool isLetter(QChar c) {
    return (c >= QLatin1Char('A') && c <= QLatin1Char('Z'));
}
bool isDigit(QChar c) {
    return c >= QLatin1Char('0') && c <= QLatin1Char('9');
}
// The number at `at`, moving `at` past it; -1 when there is none or it is absurdly long.
int numberAt(const QString &text, qsizetype &at) {
    const qsizetype start = at;
    while (at < text.size() && isDigit(text[at])) {
        ++at;
    }
    if (at == start || at - start > 6) {
        return -1;
    }
    return text.mid(start, at - start).toInt();
}
}  // namespace

bool formulaUsesProbe(const QString &formula, int probe) {
    QString text = formula.toUpper();
    text.remove(QLatin1Char(' '));
    text.remove(QLatin1Char('\t'));
    qsizetype at = 0;
    while (at < text.size()) {
        if (!isLetter(text[at])) {
            ++at;
            continue;
        }
        // A run of letters: a function name, or one letter naming an input kind.
        const qsizetype start = at;
        while (at < text.size() && isLetter(text[at])) {
            ++at;
        }
        if (at - start != 1 || text[start] != QLatin1Char('T')) {
            continue;
        }
        const int first = numberAt(text, at);
        if (first < 0) {
            continue;
        }
        int last = first;
        if (at + 1 < text.size() && text[at] == QLatin1Char(':') &&
            text[at + 1] == QLatin1Char('T')) {
            qsizetype after = at + 2;
            const int end = numberAt(text, after);
            if (end >= first) {
                last = end;
                at = after;
            }
        }
        if (probe == 0 || (probe >= first && probe <= last)) {
            return true;
        }
    }
    return false;
}

}  // namespace zelapp
