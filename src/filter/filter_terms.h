// Filter terms: the comparison of a field with a typed value and the filter text a new term or a
// year's bounds are appended to.
#pragma once

#include <string>
#include <string_view>

namespace zelt::filter {

// How a typed value is compared with a field.
enum class ValueForm {
    Text,    // X='v', also for an empty v
    Date,    // X='v'; X=Null for an empty v
    Number,  // X=v;   X=Null for an empty v
};

// The field a year's bounds compare.
inline constexpr const char* kYearField = "DCcU";
// The term that keeps the records registered with the commission.
inline constexpr const char* kRegisteredComparison = "DKDN<>Null";

// The comparison of `field` with the typed `value` in that form; the value goes in verbatim.
std::string comparison(std::string_view field, ValueForm form, std::string_view value);
// The filter text with one more term: "(c)" when `current` is empty, else current + "and(c)".
std::string appendTerm(std::string_view current, std::string_view comparison);
// The filter text with the year's bounds on DCcU appended as two terms, 01.01.y and 31.12.y.
std::string appendYearBounds(std::string_view current, std::string_view year);

}  // namespace zelt::filter
