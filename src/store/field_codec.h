// The field value codec: the text a field shows and takes, and the conversion of a value from one
// field's type into another's, as the cursor, the batch append and the master link need them.
#pragma once

#include "filter/filter.h"
#include "store/layout.h"
#include "store/value.h"

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace zelt::store {

// Plain text form of a number as fields show it: "16", "16,5".
std::string numberText(double v);
// The text a field shows: dates day.month.year, numbers plain, blank as "".
std::string displayText(const FieldDef& f, const Value& v);
// Reads a number as typed ("16", "-3", "16,5", "16.5"); nothing for other text.
std::optional<double> parseNumber(std::string_view text);

// `v`, a value of a field like `from`, as field `f` holds it: texts cut to its size, a text that
// does not read as its date or number blank.
Value convertForField(const FieldDef& f, const Value& v, const FieldDef& from);

// Two values the same (blank equals only blank).
bool sameValue(const Value& a, const Value& b);
// The order the store gives sort columns: blanks first, numbers by value, texts bytewise (dates
// are numbers here and ISO texts on disk, which sort alike).
int compareValues(const Value& a, const Value& b);

// A record of `n` blank fields, shared: what a table shows when it shows no record.
const std::vector<Value>& blankRecord(size_t n);

// How the filter reads a field of type `t`.
filter::FieldKind filterKindOf(FieldType t);

// Gives the filter the values of a record held in memory.
class RecordReader : public filter::RowView {
public:
    RecordReader(const Layout& layout, const std::vector<Value>& rec) : layout_(layout), rec_(rec) {}
    filter::Operand field(int index) const override;

private:
    const Layout& layout_;
    const std::vector<Value>& rec_;
};

}  // namespace zelt::store
