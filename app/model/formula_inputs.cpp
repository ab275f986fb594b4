#include "model/formula_inputs.h"

#include <algorithm>
#include <vector>

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
std::set<int> *setOf(FormulaInputs &inputs, QChar kind) {
    if (kind == QLatin1Char('T')) {
        return &inputs.probes;
    }
    if (kind == QLatin1Char('A')) {
        return &inputs.analogs;
    }
    return kind == QLatin1Char('C') ? &inputs.channels : nullptr;
}
}  // namespace

FormulaInputs formulaInputs(const QString &formula) {
    QString text = formula.toUpper();
    text.remove(QLatin1Char(' '));
    text.remove(QLatin1Char('\t'));
    FormulaInputs inputs;
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
        const QString word = text.mid(start, at - start);
        if (word == u"MAX" || word == u"MIN" || word == u"TIR") {
            inputs.maxMin = true;
            continue;
        }
        std::set<int> *kind = word.size() == 1 ? setOf(inputs, word[0]) : nullptr;
        const int first = kind != nullptr ? numberAt(text, at) : -1;
        if (first < 0) {
            continue;
        }
        int last = first;
        if (at + 1 < text.size() && text[at] == QLatin1Char(':') && text[at + 1] == word[0]) {
            qsizetype after = at + 2;
            const int end = numberAt(text, after);
            if (end >= first) {
                last = end;
                at = after;
            }
        }
        for (int n = first; n <= std::min(last, FormulaInputs::kMostReference); ++n) {
            kind->insert(n);
        }
    }
    return inputs;
}

FormulaInputs channelInputs(int channel, const std::function<QString(int)> &formulaOf) {
    FormulaInputs all;
    std::set<int> followed;
    std::vector<int> due{channel};
    while (!due.empty()) {
        const int next = due.back();
        due.pop_back();
        if (!followed.insert(next).second) {
            continue;
        }
        const FormulaInputs own = formulaInputs(formulaOf(next));
        all.probes.insert(own.probes.begin(), own.probes.end());
        all.analogs.insert(own.analogs.begin(), own.analogs.end());
        all.maxMin = all.maxMin || own.maxMin;
        for (int read : own.channels) {
            all.channels.insert(read);
            due.push_back(read);
        }
    }
    return all;
}

}  // namespace zelapp
