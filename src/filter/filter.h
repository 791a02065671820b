// Filter expressions: the parsed form of a table's filter text and its evaluation on one record.
#pragma once

#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace zelt::filter {

// How a field's values compare. Counters and number fields are Number; alpha and memo are Text.
enum class FieldKind { Text, Number, Date };

struct FieldRef {
    int index;  // position of the field in the record (as the caller numbers it)
    FieldKind kind;
};

// Finds a field by name (the caller decides about case); nothing when the table has no such field.
using FieldResolver = std::function<std::optional<FieldRef>(std::string_view name)>;

// One field value of the record being tested. A blank value has `blank` set and nothing else.
// Number fields carry `number`; date fields carry the day serial in `number`; text fields `text`.
struct Operand {
    bool blank = true;
    double number = 0;
    std::string_view text;
};

// Gives the filter the values of the record being tested, by field index.
class RowView {
public:
    virtual ~RowView() = default;
    virtual Operand field(int index) const = 0;
};

struct Node;

// A condition that every record the filter matches also meets, simple enough for a record store
// to narrow the records with before the filter itself is evaluated on what is left: the field is
// not blank, or (a text field) its stored text is exactly `text`.
struct NecessaryCondition {
    int field = 0;
    bool notBlank = false;  // otherwise: equals `text`
    std::string text;
};

// A term every matched record meets: a number field whose value equals `number` (a blank one
// never does). A store holding numbers as text too must let such values through to the filter.
struct NumberEquality {
    int field = 0;
    double number = 0;
};

// A term every matched record meets: a date field compared with a day by an ordering or equality
// (a blank date never meets one). A store holding dates as year-month-day texts may compare those
// texts in SQL, so long as whatever else a column holds goes through to the filter.
struct DateComparison {
    enum class Op { Eq, Lt, Le, Gt, Ge };
    int field = 0;
    Op op = Op::Eq;
    int serial = 0;  // the day compared with
};

// A parsed filter text. An empty text gives a filter that matches every record.
class Filter {
public:
    Filter();
    ~Filter();
    Filter(Filter&&) noexcept;
    Filter& operator=(Filter&&) noexcept;

    // Parses `text`; throws zelt::EngineError with a message for the user when the text is not a
    // valid expression for the fields `resolve` knows.
    static Filter parse(std::string_view text, const FieldResolver& resolve);

    bool empty() const;
    bool matches(const RowView& row) const;
    // The field indexes the expression reads, each once, ascending.
    const std::vector<int>& fieldsUsed() const;
    // Conditions implied by the expression (possibly none); they never decide alone, the caller
    // still evaluates matches() on every record they let through.
    std::vector<NecessaryCondition> necessaryConditions() const;
    // The number equalities among the terms joined by "and" (possibly none); like the conditions
    // above, they narrow and never decide.
    std::vector<NumberEquality> numberEqualities() const;
    // The date comparisons among those terms (possibly none); they too narrow and never decide.
    std::vector<DateComparison> dateComparisons() const;

private:
    std::unique_ptr<Node> root_;
    std::vector<int> fields_;
};

}  // namespace zelt::filter
