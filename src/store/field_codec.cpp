#include "store/field_codec.h"

#include "base/date.h"
#include "base/text.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>

namespace zelt::store {

std::string numberText(double v) {
    char buf[40];
    if (std::isfinite(v) && v == std::trunc(v) && std::fabs(v) < 1e15) {
        std::snprintf(buf, sizeof buf, "%lld", static_cast<long long>(v));
        return buf;
    }
    std::snprintf(buf, sizeof buf, "%.15g", v);
    std::string s = buf;
    std::replace(s.begin(), s.end(), '.', ',');  // the Russian decimal separator
    return s;
}

std::string displayText(const FieldDef& f, const Value& v) {
    if (v.null) return std::string();
    switch (f.type) {
        case FieldType::Alpha:
        case FieldType::Memo: return v.text;
        case FieldType::Date: return formatDate(static_cast<int>(v.number));
        default: return numberText(v.number);
    }
}

std::optional<double> parseNumber(std::string_view text) {
    size_t b = 0, e = text.size();
    while (b < e && text[b] == ' ') ++b;
    while (e > b && text[e - 1] == ' ') --e;
    std::string s(text.substr(b, e - b));
    size_t i = 0;
    if (i < s.size() && (s[i] == '-' || s[i] == '+')) ++i;
    bool digits = false, point = false;
    for (; i < s.size(); ++i) {
        if (s[i] >= '0' && s[i] <= '9') digits = true;
        else if ((s[i] == '.' || s[i] == ',') && !point) { point = true; s[i] = '.'; }
        else return std::nullopt;
    }
    if (!digits) return std::nullopt;
    return std::strtod(s.c_str(), nullptr);
}

Value convertForField(const FieldDef& f, const Value& v, const FieldDef& from) {
    if (v.null) return v;
    Value out;
    out.null = false;
    const bool fromText = from.type == FieldType::Alpha || from.type == FieldType::Memo;
    const auto text = [&]() {
        if (fromText) return v.text;
        if (from.type == FieldType::Date) return formatDate(static_cast<int>(v.number));
        return numberText(v.number);
    };
    switch (f.type) {
        case FieldType::Alpha:
        case FieldType::Memo:
            out.text = fitToField(text(), f.type == FieldType::Memo ? 0 : f.size);
            return out;
        case FieldType::Date:
            if (!fromText) {
                out.number = std::trunc(v.number);
                return out;
            }
            if (const auto d = parseDate(v.text)) out.number = *d;
            else out.null = true;
            return out;
        default:
            if (!fromText) {
                out.number = v.number;
                return out;
            }
            if (const auto n = parseNumber(v.text)) out.number = *n;
            else out.null = true;
            return out;
    }
}

bool sameValue(const Value& a, const Value& b) {
    if (a.null || b.null) return a.null == b.null;
    return a.number == b.number && a.text == b.text;
}

int compareValues(const Value& a, const Value& b) {
    if (a.null || b.null) return a.null == b.null ? 0 : (a.null ? -1 : 1);
    if (a.number != b.number) return a.number < b.number ? -1 : 1;
    return a.text.compare(b.text) < 0 ? -1 : (a.text == b.text ? 0 : 1);
}

const std::vector<Value>& blankRecord(size_t n) {
    static std::vector<Value> blanks;
    if (blanks.size() < n) blanks.resize(n);
    return blanks;
}

filter::FieldKind filterKindOf(FieldType t) {
    switch (t) {
        case FieldType::Alpha:
        case FieldType::Memo: return filter::FieldKind::Text;
        case FieldType::Date: return filter::FieldKind::Date;
        default: return filter::FieldKind::Number;
    }
}

filter::Operand RecordReader::field(int index) const {
    const Value& v = rec_[static_cast<size_t>(index)];
    filter::Operand op;
    op.blank = v.null;
    if (v.null) return op;
    const FieldType t = layout_.fields[static_cast<size_t>(index)].type;
    if (t == FieldType::Alpha || t == FieldType::Memo) op.text = v.text;
    else op.number = v.number;
    return op;
}

}  // namespace zelt::store
