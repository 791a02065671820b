#include "filter/filter_terms.h"

namespace zelt::filter {

std::string comparison(std::string_view field, ValueForm form, std::string_view value) {
    std::string c(field);
    if (value.empty() && form != ValueForm::Text) return c + "=Null";
    if (form == ValueForm::Number) return c + "=" + std::string(value);
    return c + "='" + std::string(value) + "'";
}

std::string appendTerm(std::string_view current, std::string_view comparison) {
    const std::string term = "(" + std::string(comparison) + ")";
    if (current.empty()) return term;
    return std::string(current) + "and" + term;
}

std::string appendYearBounds(std::string_view current, std::string_view year) {
    const std::string y(year);
    const std::string lower = std::string(kYearField) + ">='01.01." + y + "'";
    const std::string upper = std::string(kYearField) + "<='31.12." + y + "'";
    return appendTerm(appendTerm(current, lower), upper);
}

}  // namespace zelt::filter
