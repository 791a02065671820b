#include "filter/filter.h"

#include <algorithm>
#include <cstdint>

#include "base/date.h"
#include "base/error.h"

namespace zelt::filter {

namespace {

enum class Op { Eq, Ne, Lt, Gt, Le, Ge };

// What a comparison does with the record's value, decided once when the text is parsed so that
// evaluating a record is a plain switch with no conversion of the constant.
enum class Test {
    Blank,         // X=Null, and X='' on a date field
    NotBlank,      // X<>Null, and X<>'' on a date field
    Text,          // text field against a quoted text, byte order
    TextAsNumber,  // text field against an unquoted number: the record's text is read as a number
    Value,         // number or date field against a number or day serial
};

struct Comparison {
    int field = 0;
    bool textField = false;
    bool numberField = false;  // a number field (not a date, not a text)
    Test test = Test::Blank;
    Op op = Op::Eq;
    double number = 0;
    std::string text;
};

const char kPrefix[] = "Ошибка в выражении фильтра: ";
// Deep enough for anything a person or a program writes, shallow enough never to exhaust the stack.
const int kMaxDepth = 100;

bool isBlankChar(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; }
bool isDigit(char c) { return c >= '0' && c <= '9'; }
bool isLetter(char c) { return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || c == '_'; }
bool isNameChar(char c) { return isLetter(c) || isDigit(c); }
char lower(char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c; }

bool startsWithWord(std::string_view s, size_t pos, std::string_view word) {
    if (s.size() - pos < word.size()) return false;
    for (size_t i = 0; i < word.size(); ++i)
        if (lower(s[pos + i]) != word[i]) return false;
    return true;
}

std::string_view trimmed(std::string_view s) {
    size_t b = 0, e = s.size();
    while (b < e && isBlankChar(s[b])) ++b;
    while (e > b && isBlankChar(s[e - 1])) --e;
    return s.substr(b, e - b);
}

// Reads a number as the filter writes it: optional sign, digits, optional fraction after '.' or ','.
// Used for the constants and for the record texts alike, so that "05" and 5 meet on the same double.
// Works on the view in place: the record side runs once per record and must not allocate.
size_t scanNumber(std::string_view s, size_t pos, double& out) {
    size_t p = pos;
    bool negative = false;
    if (p < s.size() && (s[p] == '+' || s[p] == '-')) {
        negative = s[p] == '-';
        ++p;
    }
    double value = 0;
    const size_t intStart = p;
    while (p < s.size() && isDigit(s[p])) value = value * 10 + (s[p++] - '0');
    if (p == intStart) return 0;
    if (p + 1 < s.size() && (s[p] == '.' || s[p] == ',') && isDigit(s[p + 1])) {
        ++p;
        double scale = 1;
        double fraction = 0;
        while (p < s.size() && isDigit(s[p])) {
            fraction = fraction * 10 + (s[p++] - '0');
            scale *= 10;
        }
        value += fraction / scale;
    }
    out = negative ? -value : value;
    return p - pos;
}

bool readWholeNumber(std::string_view s, double& out) {
    s = trimmed(s);
    return !s.empty() && scanNumber(s, 0, out) == s.size();
}

template <typename T>
bool compare(Op op, const T& a, const T& b) {
    switch (op) {
        case Op::Eq: return a == b;
        case Op::Ne: return !(a == b);
        case Op::Lt: return a < b;
        case Op::Gt: return b < a;
        case Op::Le: return !(b < a);
        case Op::Ge: return !(a < b);
    }
    return false;
}

const char* opText(Op op) {
    switch (op) {
        case Op::Eq: return "=";
        case Op::Ne: return "<>";
        case Op::Lt: return "<";
        case Op::Gt: return ">";
        case Op::Le: return "<=";
        case Op::Ge: return ">=";
    }
    return "";
}

bool ordered(Op op) { return op != Op::Eq && op != Op::Ne; }

}  // namespace

// The whole expression is a conjunction, so parentheses only group: the parsed form is the flat list
// of comparisons, all of which must hold.
struct Node {
    std::vector<Comparison> terms;
};

namespace {

class Parser {
public:
    Parser(std::string_view text, const FieldResolver& resolve) : s_(text), resolve_(resolve) {}

    std::vector<Comparison> run() {
        parseExpression(0);
        skipBlanks();
        if (pos_ < s_.size()) {
            if (s_[pos_] == ')') fail("лишняя закрывающая скобка в позиции " + position(pos_));
            unexpected();
        }
        return std::move(terms_);
    }

private:
    std::string_view s_;
    const FieldResolver& resolve_;
    size_t pos_ = 0;
    size_t lastQuoteEnd_ = std::string_view::npos;  // just past the closing apostrophe of the last value
    std::vector<Comparison> terms_;

    [[noreturn]] void fail(const std::string& what) const { throw EngineError(kPrefix + what); }

    // Positions count characters from 1, not bytes, so that a Cyrillic value does not shift them.
    std::string position(size_t at) const {
        size_t chars = 0;
        for (size_t i = 0; i < at && i < s_.size(); ++i)
            if ((static_cast<unsigned char>(s_[i]) & 0xC0) != 0x80) ++chars;
        return std::to_string(chars + 1);
    }

    std::string characterAt(size_t at) const {
        size_t end = at + 1;
        while (end < s_.size() && (static_cast<unsigned char>(s_[end]) & 0xC0) == 0x80) ++end;
        return std::string(s_.substr(at, end - at));
    }

    [[noreturn]] void unexpected() const {
        if (pos_ >= s_.size()) fail("выражение оборвано в позиции " + position(pos_));
        std::string what = "неожиданный символ \"" + characterAt(pos_) + "\" в позиции " + position(pos_);
        if (pos_ == lastQuoteEnd_)
            what += " (значение в апострофах не может содержать апостроф)";
        fail(what);
    }

    void skipBlanks() {
        while (pos_ < s_.size() && isBlankChar(s_[pos_])) ++pos_;
    }

    void parseExpression(int depth) {
        parseTerm(depth);
        for (;;) {
            skipBlanks();
            if (!startsWithWord(s_, pos_, "and")) return;
            pos_ += 3;
            parseTerm(depth);
        }
    }

    void parseTerm(int depth) {
        skipBlanks();
        if (pos_ < s_.size() && s_[pos_] == '(') {
            const size_t open = pos_++;
            if (depth >= kMaxDepth) fail("слишком глубокая вложенность скобок в позиции " + position(open));
            skipBlanks();
            if (pos_ < s_.size() && s_[pos_] == ')') fail("пустые скобки в позиции " + position(open));
            parseExpression(depth + 1);
            skipBlanks();
            if (pos_ >= s_.size())
                fail("не закрыта скобка, открытая в позиции " + position(open));
            if (s_[pos_] != ')') unexpected();
            ++pos_;
            return;
        }
        parseComparison();
    }

    bool accept(char c) {
        if (pos_ >= s_.size() || s_[pos_] != c) return false;
        ++pos_;
        return true;
    }

    Op parseOp(const std::string& field) {
        skipBlanks();
        const size_t at = pos_;
        if (accept('=')) return Op::Eq;
        if (accept('<')) return accept('>') ? Op::Ne : accept('=') ? Op::Le : Op::Lt;
        if (accept('>')) return accept('=') ? Op::Ge : Op::Gt;
        if (at >= s_.size())
            fail("после поля \"" + field + "\" нет знака сравнения (позиция " + position(at) + ")");
        fail("после поля \"" + field + "\" ожидается знак сравнения, а стоит \"" + characterAt(at) +
             "\" в позиции " + position(at));
    }

    void parseComparison() {
        skipBlanks();
        const size_t nameAt = pos_;
        if (pos_ >= s_.size()) fail("выражение оборвано в позиции " + position(pos_) + ", ожидается имя поля");
        if (!isLetter(s_[pos_]))
            fail("ожидается имя поля, а стоит \"" + characterAt(pos_) + "\" в позиции " + position(pos_));
        while (pos_ < s_.size() && isNameChar(s_[pos_])) ++pos_;
        const std::string name(s_.substr(nameAt, pos_ - nameAt));
        const std::optional<FieldRef> ref = resolve_(name);
        if (!ref) fail("неизвестное поле \"" + name + "\" в позиции " + position(nameAt));

        Comparison c;
        c.field = ref->index;
        c.textField = ref->kind == FieldKind::Text;
        c.numberField = ref->kind == FieldKind::Number;
        c.op = parseOp(name);

        skipBlanks();
        const size_t valueAt = pos_;
        if (pos_ < s_.size() && s_[pos_] == '\'') {
            const size_t close = s_.find('\'', pos_ + 1);
            if (close == std::string_view::npos)
                fail("не закрыт апостроф, открытый в позиции " + position(valueAt));
            const std::string_view value = s_.substr(pos_ + 1, close - pos_ - 1);
            pos_ = close + 1;
            lastQuoteEnd_ = pos_;
            quotedValue(c, *ref, name, value);
        } else if (startsWithWord(s_, pos_, "null")) {
            pos_ += 4;
            if (ordered(c.op))
                fail("значение Null сравнивается только знаками \"=\" и \"<>\", а не \"" +
                     std::string(opText(c.op)) + "\" (поле \"" + name + "\", позиция " + position(valueAt) + ")");
            c.test = c.op == Op::Eq ? Test::Blank : Test::NotBlank;
        } else {
            double number = 0;
            const size_t length = pos_ < s_.size() ? scanNumber(s_, pos_, number) : 0;
            if (length == 0) {
                if (pos_ >= s_.size())
                    fail("после знака сравнения нет значения (поле \"" + name + "\", позиция " + position(pos_) + ")");
                fail("ожидается значение в апострофах, число или Null, а стоит \"" + characterAt(pos_) +
                     "\" в позиции " + position(pos_));
            }
            const std::string written(s_.substr(pos_, length));
            pos_ += length;
            if (ref->kind == FieldKind::Date)
                fail("значение \"" + written + "\" не является датой (поле \"" + name + "\", позиция " +
                     position(valueAt) + ")");
            c.test = ref->kind == FieldKind::Text ? Test::TextAsNumber : Test::Value;
            c.number = number;
        }
        terms_.push_back(std::move(c));
    }

    void quotedValue(Comparison& c, const FieldRef& ref, const std::string& name, std::string_view value) {
        const std::string where = " (поле \"" + name + "\")";
        switch (ref.kind) {
            case FieldKind::Text:
                c.test = Test::Text;
                c.text = std::string(value);
                return;
            case FieldKind::Date: {
                if (trimmed(value).empty()) {
                    // An empty date in the dialog means "no date": the same as Null.
                    if (ordered(c.op))
                        fail("пустую дату нельзя сравнивать знаком \"" + std::string(opText(c.op)) + "\"" + where);
                    c.test = c.op == Op::Eq ? Test::Blank : Test::NotBlank;
                    return;
                }
                const std::optional<int> serial = parseDate(value);
                if (!serial) fail("значение \"" + std::string(value) + "\" не является датой" + where);
                c.test = Test::Value;
                c.number = *serial;
                return;
            }
            case FieldKind::Number: {
                double number = 0;
                if (!readWholeNumber(value, number))
                    fail("значение \"" + std::string(value) + "\" не является числом" + where);
                c.test = Test::Value;
                c.number = number;
                return;
            }
        }
    }
};

bool holds(const Comparison& c, const RowView& row) {
    const Operand v = row.field(c.field);
    // A text field holding nothing is blank whether or not the record marks it so.
    const bool blank = v.blank || (c.textField && v.text.empty());
    switch (c.test) {
        case Test::Blank: return blank;
        case Test::NotBlank: return !blank;
        case Test::Text: return compare(c.op, blank ? std::string_view() : v.text, std::string_view(c.text));
        case Test::TextAsNumber: {
            double number = 0;
            if (blank || !readWholeNumber(v.text, number)) return c.op == Op::Ne;
            return compare(c.op, number, c.number);
        }
        case Test::Value:
            if (blank) return c.op == Op::Ne;
            return compare(c.op, v.number, c.number);
    }
    return false;
}

}  // namespace

Filter::Filter() = default;
Filter::~Filter() = default;
Filter::Filter(Filter&&) noexcept = default;
Filter& Filter::operator=(Filter&&) noexcept = default;

Filter Filter::parse(std::string_view text, const FieldResolver& resolve) {
    Filter result;
    if (trimmed(text).empty()) return result;
    auto node = std::make_unique<Node>();
    node->terms = Parser(text, resolve).run();
    for (const Comparison& c : node->terms) result.fields_.push_back(c.field);
    std::sort(result.fields_.begin(), result.fields_.end());
    result.fields_.erase(std::unique(result.fields_.begin(), result.fields_.end()), result.fields_.end());
    result.root_ = std::move(node);
    return result;
}

bool Filter::empty() const { return !root_; }

bool Filter::matches(const RowView& row) const {
    if (!root_) return true;
    for (const Comparison& c : root_->terms)
        if (!holds(c, row)) return false;
    return true;
}

const std::vector<int>& Filter::fieldsUsed() const { return fields_; }

std::vector<NecessaryCondition> Filter::necessaryConditions() const {
    std::vector<NecessaryCondition> out;
    if (!root_) return out;
    for (const Comparison& c : root_->terms) {
        // A blank value fails these tests whatever the field's type.
        if (c.test == Test::NotBlank) out.push_back({c.field, true, std::string()});
        // A blank text reads as "", which a non-empty text never equals.
        else if (c.test == Test::Text && c.op == Op::Eq && !c.text.empty()) out.push_back({c.field, false, c.text});
    }
    return out;
}

std::vector<NumberEquality> Filter::numberEqualities() const {
    std::vector<NumberEquality> out;
    if (!root_) return out;
    for (const Comparison& c : root_->terms)
        if (c.test == Test::Value && c.op == Op::Eq && c.numberField) out.push_back({c.field, c.number});
    return out;
}

std::vector<DateComparison> Filter::dateComparisons() const {
    using D = DateComparison::Op;
    std::vector<DateComparison> out;
    if (!root_) return out;
    for (const Comparison& c : root_->terms) {
        // "<>" lets a blank date through, so it narrows nothing.
        if (c.test != Test::Value || c.textField || c.numberField || c.op == Op::Ne) continue;
        const D op = c.op == Op::Eq ? D::Eq : c.op == Op::Lt ? D::Lt : c.op == Op::Le ? D::Le : c.op == Op::Gt ? D::Gt : D::Ge;
        out.push_back({c.field, op, static_cast<int>(c.number)});
    }
    return out;
}

}  // namespace zelt::filter
