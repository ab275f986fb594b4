#include "model/formula_check.h"

#include <cmath>
#include <limits>
#include <optional>
#include <vector>

#include "unit/unit_status.h"

using namespace Qt::StringLiterals;

namespace zelapp {

namespace {

// The unit's statuses for a refused formula.
enum Status : int32_t {
    BadChannel = 10,
    Misplaced = 12,
    Unbalanced = 13,
    BadProbe = 15,
    BadArguments = 16,
    BadNumber = 17,
    BadSymbol = 18,
    TooComplex = 19,
    EndsEarly = 22,
    BadSet = 23,
};

constexpr int kMostLevels = 16;

struct Fault {
    int32_t status = 0;
    int position = 0;  // 1-based character of the text as typed
    QString what;
};

struct Reference {
    QChar kind;  // 'T', 'A' or 'C'
    int number = 0;
    int position = 0;
};

// Reads the text as the unit does: left to right, blanks and tabs ignored, letters in any case;
// stops at the first fault.
class Reader {
  public:
    Reader(const QString &text, const FormulaCounts &counts) : counts_(counts) {
        for (int i = 0; i < text.size(); ++i) {
            if (text[i] != u' ' && text[i] != u'\t') {
                chars_.push_back(text[i].toUpper());
                positions_.push_back(i + 1);
            }
        }
        end_ = static_cast<int>(text.size()) + 1;
    }

    std::optional<Fault> read() {
        if (expr(0) && !fault_ && at_ < size()) {
            if (peek() == u')') {
                fail(Unbalanced, u"')' without '('"_s);
            } else {
                fail(Misplaced, u"'%1' after a complete expression"_s.arg(peek()));
            }
        }
        return fault_;
    }

  private:
    int size() const { return static_cast<int>(chars_.size()); }
    QChar peek() const { return at_ < size() ? chars_[at_] : QChar(); }
    int position() const { return at_ < size() ? positions_[at_] : end_; }
    static bool isDigit(QChar c) { return c >= u'0' && c <= u'9'; }
    static bool isLetter(QChar c) { return c >= u'A' && c <= u'Z'; }

    bool fail(int32_t status, const QString &what) { return failAt(status, position(), what); }
    bool failAt(int32_t status, int position, const QString &what) {
        if (!fault_) {
            fault_ = Fault{status, position, what};
        }
        return false;
    }

    bool expr(int level) {
        if (!term(level)) {
            return false;
        }
        while (peek() == u'+' || peek() == u'-') {
            ++at_;
            if (!term(level)) {
                return false;
            }
        }
        return true;
    }

    bool term(int level) {
        if (!unary(level)) {
            return false;
        }
        while (peek() == u'*' || peek() == u'/') {
            ++at_;
            if (!unary(level)) {
                return false;
            }
        }
        return true;
    }

    bool unary(int level) {
        while (peek() == u'+' || peek() == u'-') {
            ++at_;
        }
        return primary(level);
    }

    bool primary(int level) {
        if (at_ >= size()) {
            return fail(EndsEarly, u"the formula ends where an operand is due"_s);
        }
        const QChar c = peek();
        if (isDigit(c) || c == u'.') {
            return number();
        }
        if (c == u'(') {
            const int open = position();
            if (level >= kMostLevels) {
                return fail(TooComplex, u"more than %1 levels of parentheses"_s.arg(kMostLevels));
            }
            ++at_;
            if (!expr(level + 1)) {
                return false;
            }
            return close(open);
        }
        if (isLetter(c)) {
            return name(level);
        }
        if (c == u')' || c == u'*' || c == u'/' || c == u',' || c == u':') {
            return fail(Misplaced, u"'%1' where an operand is due"_s.arg(c));
        }
        return fail(Misplaced, u"'%1' is not part of a formula"_s.arg(c));
    }

    // The ")" that closes the "(" at `open`.
    bool close(int open) {
        if (peek() == u')') {
            ++at_;
            return true;
        }
        if (at_ >= size()) {
            return failAt(Unbalanced, open, u"'(' is never closed"_s);
        }
        return fail(Misplaced, u"'%1' where ')' or an operator is due"_s.arg(peek()));
    }

    bool number() {
        const int start = at_;
        QString text;
        while (at_ < size() &&
               (isDigit(peek()) || peek() == u'.' || peek() == u'E' ||
                ((peek() == u'+' || peek() == u'-') && !text.isEmpty() && text.back() == u'E'))) {
            text += peek();
            ++at_;
        }
        bool ok = false;
        const double value = text.toDouble(&ok);
        if (!ok || text.count(u'E') > 1 || text.startsWith(u'E') ||
            std::fabs(value) > std::numeric_limits<float>::max()) {
            return failAt(BadNumber, positions_[start], u"'%1' is not a number"_s.arg(text));
        }
        return true;
    }

    bool startsWith(const QString &word) const {
        if (at_ + word.size() > size()) {
            return false;
        }
        for (int i = 0; i < word.size(); ++i) {
            if (chars_[at_ + i] != word[i]) {
                return false;
            }
        }
        return true;
    }

    // A function and its arguments, or a reference (T, A or C and a number). Function names
    // are matched first, blanks being no separators: "ABS T1" is ABS without its parentheses.
    bool name(int level) {
        const int where = position();
        for (const QString &function :
             {u"SQRT"_s, u"ABS"_s, u"MAX"_s, u"MIN"_s, u"TIR"_s, u"GOR"_s, u"LOR"_s}) {
            if (!startsWith(function)) {
                continue;
            }
            at_ += static_cast<int>(function.size());
            if (function == u"ABS"_s || function == u"SQRT"_s) {
                return expressionArgument(function, where, level);
            }
            if (function == u"GOR"_s || function == u"LOR"_s) {
                return setArgument(function, where);
            }
            return channelArgument(function, where);
        }
        const QChar first = peek();
        const bool letterFollows = at_ + 1 < size() && isLetter(chars_[at_ + 1]);
        if ((first == u'T' || first == u'A' || first == u'C') && !letterFollows) {
            return reference().has_value();
        }
        QString word;
        while (at_ < size() && isLetter(peek())) {
            word += peek();
            ++at_;
        }
        return failAt(BadSymbol, where, u"'%1' is not T, A, C or a function"_s.arg(word));
    }

    std::optional<Reference> reference() {
        Reference ref{peek(), 0, position()};
        ++at_;
        QString digits;
        while (at_ < size() && isDigit(peek())) {
            digits += peek();
            ++at_;
        }
        if (digits.isEmpty()) {
            failAt(BadSymbol, ref.position, u"'%1' needs a number"_s.arg(ref.kind));
            return std::nullopt;
        }
        ref.number = digits.size() > 6 ? std::numeric_limits<int>::max() : digits.toInt();
        const QString named = QString(ref.kind) + QString::number(ref.number);
        if (ref.kind == u'C') {
            if (ref.number < 1 || ref.number > counts_.channels) {
                failAt(BadChannel, ref.position, u"the setup has no channel %1"_s.arg(named));
                return std::nullopt;
            }
        } else {
            const bool probe = ref.kind == u'T';
            if (ref.number < 1 || ref.number > (probe ? counts_.probes : counts_.analogs)) {
                failAt(
                    BadProbe, ref.position,
                    (probe ? u"the setup has no probe %1"_s : u"the setup has no analog input %1"_s)
                        .arg(named));
                return std::nullopt;
            }
        }
        return ref;
    }

    bool openArguments(const QString &function, int where) {
        if (peek() != u'(') {
            return failAt(BadArguments, where,
                          u"%1 needs its argument in parentheses"_s.arg(function));
        }
        ++at_;
        return true;
    }

    bool expressionArgument(const QString &function, int where, int level) {
        if (!openArguments(function, where)) {
            return false;
        }
        const int open = positions_[at_ - 1];
        if (peek() == u')') {
            return failAt(BadArguments, where, u"%1 needs one expression"_s.arg(function));
        }
        if (level >= kMostLevels) {
            return failAt(TooComplex, where,
                          u"more than %1 levels of parentheses"_s.arg(kMostLevels));
        }
        if (!expr(level + 1)) {
            return false;
        }
        if (peek() == u',') {
            return failAt(BadArguments, where,
                          u"%1 takes one expression, not a list"_s.arg(function));
        }
        return close(open);
    }

    bool channelArgument(const QString &function, int where) {
        if (!openArguments(function, where)) {
            return false;
        }
        const int open = positions_[at_ - 1];
        const QString wanted = u"%1 takes one channel, as %1(C1)"_s.arg(function);
        if (peek() != u'C') {
            if (at_ >= size()) {
                return fail(EndsEarly, u"the formula ends where an operand is due"_s);
            }
            return failAt(BadArguments, where, wanted);
        }
        if (!reference()) {
            return false;
        }
        if (at_ < size() && peek() != u')') {
            return failAt(BadArguments, where, wanted);
        }
        return close(open);
    }

    bool setArgument(const QString &function, int where) {
        if (!openArguments(function, where)) {
            return false;
        }
        const int open = positions_[at_ - 1];
        std::optional<QChar> kind;
        while (true) {
            if (at_ >= size()) {
                return fail(EndsEarly, u"the formula ends where an operand is due"_s);
            }
            const QChar c = peek();
            if (c == u',' || c == u')') {
                return fail(BadSet, u"an empty item in the set of %1"_s.arg(function));
            }
            if (c != u'T' && c != u'A' && c != u'C') {
                return fail(BadSet, u"a set holds T, A or C references and ranges only"_s);
            }
            const std::optional<Reference> first = reference();
            if (!first) {
                return false;
            }
            if (kind && *kind != first->kind) {
                return failAt(BadSet, first->position, u"the set mixes kinds of items"_s);
            }
            kind = first->kind;
            if (peek() == u':') {
                ++at_;
                if (peek() != *kind) {
                    return fail(BadSet, u"a range ends with an item of its own kind"_s);
                }
                const std::optional<Reference> last = reference();
                if (!last) {
                    return false;
                }
                if (last->number < first->number) {
                    return failAt(BadSet, first->position, u"the range descends"_s);
                }
            }
            if (peek() == u',') {
                ++at_;
                continue;
            }
            if (at_ < size() && peek() != u')') {
                return fail(BadSet, u"a set holds T, A or C references and ranges only"_s);
            }
            return close(open);
        }
    }

    const FormulaCounts &counts_;
    std::vector<QChar> chars_;
    std::vector<int> positions_;
    int end_ = 1;
    int at_ = 0;
    std::optional<Fault> fault_;
};

}  // namespace

QString explainFormulaRefusal(const QString &formula, int32_t status, const FormulaCounts &counts) {
    const std::optional<Fault> fault = Reader(formula, counts).read();
    if (!fault || fault->status != status) {
        return {};
    }
    return u"%1 at character %2 of '%3': %4"_s.arg(unitStatusText(status))
        .arg(fault->position)
        .arg(formula, fault->what);
}

}  // namespace zelapp
