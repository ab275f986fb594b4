// Compiles channel formulas into stack code for the scan loop and runs that code.
//
// Which status a bad formula gets: the text is read left to right and the first problem met is
// the one reported.
//   - Where an operand is due: the end of the text is 22; ")", an operator, "," or ":" is 12; a
//     token that cannot be read is 12 (a character outside the language), 17 (a number) or 18
//     (a name). A reference that can be read is then checked against the unit: 15, or 10 for a
//     channel.
//   - Where an operator is due: a ")" with no "(" open is 13, the end with a "(" still open is
//     13, anything else is 12.
//   So "(T1+" and "ABS(" are 22 (the operand is missed before the ")" is), "(T1" and "T1)" are
//   13, ")" and "T1+)" are 12.
//   - Inside a function's parentheses its own rules come first: "ABS()", "ABS(T1,T2)" and
//     "MAX(T1)" are 16, "GOR()" and "GOR(T1,,T2)" are 23; the end of the text is still 22 where
//     an argument is due and 13 where only the ")" is missing.
//   - Limits (19) are met where the formula outgrows them: nesting at the "(" that goes one level
//     too deep, length and stack depth at the instruction that goes beyond them.
#include "formula.h"

#include <algorithm>
#include <bitset>
#include <charconv>
#include <cmath>
#include <limits>
#include <new>
#include <string>
#include <utility>

namespace zelunit {
namespace {

constexpr std::uint8_t kNoSuchChannel = 10;
constexpr std::uint8_t kMisplaced = 12;
constexpr std::uint8_t kUnbalanced = 13;
constexpr std::uint8_t kNoSuchInput = 15;
constexpr std::uint8_t kBadArguments = 16;
constexpr std::uint8_t kBadNumber = 17;
constexpr std::uint8_t kUnknownSymbol = 18;
constexpr std::uint8_t kBeyondLimits = 19;
constexpr std::uint8_t kOperandMissing = 22;
constexpr std::uint8_t kBadSet = 23;

// Reference numbers travel in one byte of an instruction.
constexpr int kMaxReference = 255;

// The kind numbers are the ones RangeMax/RangeMin carry in `a`.
enum class Kind : std::uint8_t { Probe = 0, Analog = 1, Channel = 2 };

enum class Function { Abs, Sqrt, Gor, Lor, Max, Min, Tir };

struct FunctionName {
    std::string_view name;
    Function function;
};

constexpr FunctionName kFunctions[] = {
    {"ABS", Function::Abs}, {"SQRT", Function::Sqrt}, {"GOR", Function::Gor},
    {"LOR", Function::Lor}, {"MAX", Function::Max},   {"MIN", Function::Min},
    {"TIR", Function::Tir},
};

struct Token {
    enum class Type { End, Number, Reference, Function, Open, Close, Punctuation };
    Type type = Type::End;
    float value = 0.0f;
    Kind kind = Kind::Probe;
    int number = 0;
    Function function = Function::Abs;
};

bool isDigit(char c) {
    return c >= '0' && c <= '9';
}
bool isLetter(char c) {
    return c >= 'A' && c <= 'Z';
}

int stackEffect(Op op) {
    switch (op) {
        case Op::Max2:
        case Op::Min2:
        case Op::Add:
        case Op::Subtract:
        case Op::Multiply:
        case Op::Divide:
            return -1;
        case Op::Negate:
        case Op::Abs:
        case Op::Sqrt:
            return 0;
        default:
            return 1;
    }
}

class Compiler {
  public:
    Compiler(std::string_view text, const FormulaLimits &limits)
        : probes_(clampLimit(limits.probes)),
          analogs_(clampLimit(limits.analogs)),
          channels_(clampLimit(limits.channels)) {
        text_.reserve(text.size());
        for (char c : text) {
            if (c == ' ' || c == '\t') {
                continue;
            }
            text_.push_back(c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c);
        }
    }

    std::uint8_t run(CompiledFormula &out) {
        out_.code.reserve(kMaxInstructions);
        if (!parseExpression(0)) {
            return status_;
        }
        if (!atEnd()) {
            return text_[pos_] == ')' ? kUnbalanced : kMisplaced;
        }
        for (int n = 1; n <= kMaxReference; ++n) {
            if (channelsRead_[n]) {
                out_.channelRefs.push_back(static_cast<std::uint8_t>(n));
            }
        }
        out = std::move(out_);
        return 0;
    }

  private:
    static int clampLimit(int value) { return value < 0 ? 0 : std::min(value, kMaxReference); }

    bool fail(std::uint8_t status) {
        status_ = status;
        return false;
    }
    bool atEnd() const { return pos_ >= text_.size(); }
    bool next(char c) const { return !atEnd() && text_[pos_] == c; }

    // Nesting is checked before descending, so recursion stays within kMaxNesting levels
    // however long the text is.
    bool canNest(int level) const { return level < kMaxNesting; }

    bool emit(Op op, int a = 0, int b = 0, int c = 0, float value = 0.0f) {
        if (out_.code.size() >= static_cast<std::size_t>(kMaxInstructions)) {
            return fail(kBeyondLimits);
        }
        depth_ += stackEffect(op);
        if (depth_ > kMaxStackDepth) {
            return fail(kBeyondLimits);
        }
        out_.code.push_back({op, static_cast<std::uint8_t>(a), static_cast<std::uint8_t>(b),
                             static_cast<std::uint8_t>(c), value});
        return true;
    }

    bool parseExpression(int level) {
        if (!parseTerm(level)) {
            return false;
        }
        while (next('+') || next('-')) {
            Op op = text_[pos_++] == '+' ? Op::Add : Op::Subtract;
            if (!parseTerm(level) || !emit(op)) {
                return false;
            }
        }
        return true;
    }

    bool parseTerm(int level) {
        if (!parseUnary(level)) {
            return false;
        }
        while (next('*') || next('/')) {
            Op op = text_[pos_++] == '*' ? Op::Multiply : Op::Divide;
            if (!parseUnary(level) || !emit(op)) {
                return false;
            }
        }
        return true;
    }

    // Signs are folded in a loop rather than by recursion: a run of them costs at most one
    // Negate and no stack.
    bool parseUnary(int level) {
        bool negate = false;
        while (next('+') || next('-')) {
            negate ^= text_[pos_++] == '-';
        }
        return parsePrimary(level) && (!negate || emit(Op::Negate));
    }

    bool parsePrimary(int level) {
        Token token;
        if (!readOperand(token)) {
            return false;
        }
        switch (token.type) {
            case Token::Type::End:
                return fail(kOperandMissing);
            case Token::Type::Number:
                return emit(Op::Constant, 0, 0, 0, token.value);
            case Token::Type::Reference:
                return emitReference(token);
            case Token::Type::Open:
                if (!canNest(level)) {
                    return fail(kBeyondLimits);
                }
                return parseExpression(level + 1) && close(kMisplaced);
            case Token::Type::Function:
                return parseCall(token.function, level);
            default:
                return fail(kMisplaced);
        }
    }

    // After a complete expression inside parentheses; `other` is what anything but ")" means.
    bool close(std::uint8_t other) {
        if (atEnd()) {
            return fail(kUnbalanced);
        }
        if (text_[pos_] != ')') {
            return fail(text_[pos_] == ',' && other == kBadArguments ? kBadArguments : kMisplaced);
        }
        ++pos_;
        return true;
    }

    bool parseCall(Function function, int level) {
        if (!next('(')) {
            return fail(kBadArguments);
        }
        ++pos_;
        if (!canNest(level)) {
            return fail(kBeyondLimits);
        }
        switch (function) {
            case Function::Abs:
            case Function::Sqrt:
                if (next(')')) {
                    return fail(kBadArguments);
                }
                return parseExpression(level + 1) && close(kBadArguments) &&
                       emit(function == Function::Abs ? Op::Abs : Op::Sqrt);
            case Function::Gor:
                return parseSet(Op::RangeMax, Op::Max2);
            case Function::Lor:
                return parseSet(Op::RangeMin, Op::Min2);
            case Function::Max:
                return parseChannelArgument(Op::ChannelMax);
            case Function::Min:
                return parseChannelArgument(Op::ChannelMin);
            case Function::Tir:
                return parseChannelArgument(Op::ChannelTir);
        }
        return fail(kUnknownSymbol);
    }

    bool parseChannelArgument(Op op) {
        Token token;
        if (!readOperand(token)) {
            return false;
        }
        if (token.type == Token::Type::End) {
            return fail(kOperandMissing);
        }
        if (token.type != Token::Type::Reference || token.kind != Kind::Channel) {
            return fail(kBadArguments);
        }
        if (!checkReference(token)) {
            return false;
        }
        if (atEnd()) {
            return fail(kUnbalanced);
        }
        if (text_[pos_++] != ')') {
            return fail(kBadArguments);
        }
        channelsRead_.set(token.number);
        return emit(op, token.number);
    }

    bool parseSet(Op range, Op combine) {
        if (next(')')) {
            return fail(kBadSet);
        }
        Kind kind = Kind::Probe;
        for (bool first = true;; first = false) {
            Token low;
            if (!readSetReference(low, first, kind)) {
                return false;
            }
            kind = low.kind;
            int high = low.number;
            if (next(':')) {
                ++pos_;
                Token end;
                if (!readSetReference(end, false, kind)) {
                    return false;
                }
                if (end.number < low.number) {
                    return fail(kBadSet);
                }
                high = end.number;
            }
            if (kind == Kind::Channel) {
                for (int n = low.number; n <= high; ++n) {
                    channelsRead_.set(n);
                }
            }
            if (!emit(range, static_cast<int>(kind), low.number, high) ||
                (!first && !emit(combine))) {
                return false;
            }
            if (atEnd()) {
                return fail(kUnbalanced);
            }
            char c = text_[pos_++];
            if (c == ')') {
                return true;
            }
            if (c != ',') {
                return fail(kBadSet);
            }
        }
    }

    // One end of a set item: a reference of the set's kind (any kind for the first item).
    bool readSetReference(Token &token, bool anyKind, Kind kind) {
        if (!readOperand(token)) {
            return false;
        }
        if (token.type == Token::Type::End) {
            return fail(kOperandMissing);
        }
        if (token.type != Token::Type::Reference || (!anyKind && token.kind != kind)) {
            return fail(kBadSet);
        }
        return checkReference(token);
    }

    bool checkReference(const Token &token) {
        int limit = token.kind == Kind::Probe    ? probes_
                    : token.kind == Kind::Analog ? analogs_
                                                 : channels_;
        if (token.number < 1 || token.number > limit) {
            return fail(token.kind == Kind::Channel ? kNoSuchChannel : kNoSuchInput);
        }
        return true;
    }

    bool emitReference(const Token &token) {
        if (!checkReference(token)) {
            return false;
        }
        switch (token.kind) {
            case Kind::Probe:
                return emit(Op::Probe, token.number);
            case Kind::Analog:
                return emit(Op::Analog, token.number);
            case Kind::Channel:
                channelsRead_.set(token.number);
                return emit(Op::Channel, token.number);
        }
        return fail(kUnknownSymbol);
    }

    // Reads what stands where an operand is due; fails only on text that is no token at all.
    bool readOperand(Token &token) {
        if (atEnd()) {
            token.type = Token::Type::End;
            return true;
        }
        char c = text_[pos_];
        if (isDigit(c) || c == '.') {
            return readNumber(token);
        }
        if (isLetter(c)) {
            return readName(token);
        }
        switch (c) {
            case '(':
                token.type = Token::Type::Open;
                break;
            case ')':
                token.type = Token::Type::Close;
                break;
            case '+':
            case '-':
            case '*':
            case '/':
            case ',':
            case ':':
                token.type = Token::Type::Punctuation;
                break;
            default:
                return fail(kMisplaced);
        }
        ++pos_;
        return true;
    }

    // Digits with at most one point, then an optional exponent. The decimal order of magnitude
    // is worked out alongside so that overflow and underflow are told apart without trusting
    // the parser on texts of any length: beyond the float range is an error, below it is 0.
    bool readNumber(Token &token) {
        std::size_t start = pos_;
        int digits = 0;
        int points = 0;
        bool significant = false;
        long long order = 0;
        long long zerosAfterPoint = 0;
        for (; !atEnd() && (isDigit(text_[pos_]) || text_[pos_] == '.'); ++pos_) {
            char c = text_[pos_];
            if (c == '.') {
                ++points;
                continue;
            }
            ++digits;
            if (significant) {
                order += points == 0 ? 1 : 0;
            } else if (c != '0') {
                significant = true;
                order = points == 0 ? 0 : -(zerosAfterPoint + 1);
            } else if (points > 0) {
                ++zerosAfterPoint;
            }
        }
        if (digits == 0 || points > 1) {
            return fail(kBadNumber);
        }
        if (next('E')) {
            ++pos_;
            bool negative = next('-');
            if (negative || next('+')) {
                ++pos_;
            }
            if (atEnd() || !isDigit(text_[pos_])) {
                return fail(kBadNumber);
            }
            long long exponent = 0;
            for (; !atEnd() && isDigit(text_[pos_]); ++pos_) {
                exponent = std::min(exponent * 10 + (text_[pos_] - '0'), 1000000LL);
            }
            order += negative ? -exponent : exponent;
        }
        if (next('.')) {
            return fail(kBadNumber);
        }
        token.type = Token::Type::Number;
        token.value = 0.0f;
        if (!significant || order < std::numeric_limits<float>::min_exponent10 - 10) {
            return true;
        }
        if (order > std::numeric_limits<float>::max_exponent10) {
            return fail(kBadNumber);
        }
        const char *first = text_.data() + start;
        const char *last = text_.data() + pos_;
        double value = 0.0;
        auto [end, error] = std::from_chars(first, last, value);
        if (error != std::errc() || end != last || value > std::numeric_limits<float>::max()) {
            return fail(kBadNumber);
        }
        token.value = static_cast<float>(value);
        return true;
    }

    // Blanks are gone, so a name ends where a known word ends: "ABS T1" reads as ABS without
    // its argument list. Reference numbers may carry leading zeros (T01 is T1).
    bool readName(Token &token) {
        std::string_view rest(text_.data() + pos_, text_.size() - pos_);
        for (const FunctionName &f : kFunctions) {
            if (rest.starts_with(f.name)) {
                pos_ += f.name.size();
                token.type = Token::Type::Function;
                token.function = f.function;
                return true;
            }
        }
        char c = rest[0];
        if ((c != 'T' && c != 'A' && c != 'C') || rest.size() < 2 || !isDigit(rest[1])) {
            return fail(kUnknownSymbol);
        }
        token.type = Token::Type::Reference;
        token.kind = c == 'T' ? Kind::Probe : c == 'A' ? Kind::Analog : Kind::Channel;
        token.number = 0;
        for (++pos_; !atEnd() && isDigit(text_[pos_]); ++pos_) {
            token.number = std::min(token.number * 10 + (text_[pos_] - '0'), kMaxReference + 1);
        }
        return true;
    }

    std::string text_;
    std::size_t pos_ = 0;
    int probes_;
    int analogs_;
    int channels_;
    int depth_ = 0;
    std::uint8_t status_ = 0;
    CompiledFormula out_;
    std::bitset<kMaxReference + 1> channelsRead_;
};

}  // namespace

CompileResult compileFormula(std::string_view text, const FormulaLimits &limits) {
    CompileResult result;
    try {
        Compiler compiler(text, limits);
        result.status = compiler.run(result.formula);
    } catch (const std::bad_alloc &) {
        // Only a huge text can exhaust memory here; it is far beyond the limits anyway.
        result.status = kBeyondLimits;
    }
    if (result.status != 0) {
        result.formula = CompiledFormula();
    }
    return result;
}

}  // namespace zelunit
