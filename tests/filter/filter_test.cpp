#include "filter/filter.h"

#include "base/date.h"

#include <gtest/gtest.h>

#include <atomic>
#include <cstdio>
#include <cstdlib>
#include <deque>
#include <new>
#include <ostream>
#include <string>
#include <vector>

#include "base/date.h"
#include "base/error.h"


namespace zelt::filter {
namespace {

struct TestField {
    const char* name;
    FieldKind kind;
};

// A cut-down minors' record: text, the short text field NKDN, dates and a number.
const TestField kFields[] = {
    {"F", FieldKind::Text},    {"I", FieldKind::Text},    {"NKDN", FieldKind::Text},
    {"DR", FieldKind::Date},   {"DCcU", FieldKind::Date}, {"L", FieldKind::Number},
    {"Fm", FieldKind::Text},   {"DKDN", FieldKind::Date},
};
const int kFieldCount = sizeof kFields / sizeof kFields[0];

int indexOf(std::string_view name) {
    for (int i = 0; i < kFieldCount; ++i)
        if (name == kFields[i].name) return i;
    return -1;
}

// Names are matched exactly, so a wrongly spelt field shows up as unknown.
std::optional<FieldRef> resolve(std::string_view name) {
    const int i = indexOf(name);
    if (i < 0) return std::nullopt;
    return FieldRef{i, kFields[i].kind};
}

class FakeRow : public RowView {
public:
    FakeRow() : values_(kFieldCount) {}

    // Builds a record from "F=Иванов;DR=01.02.2000;L=15". Fields not named are blank; "F=" gives a
    // text field that is present but empty.
    explicit FakeRow(std::string_view layout) : FakeRow() {
        while (!layout.empty()) {
            const size_t semi = layout.find(';');
            const std::string_view item = layout.substr(0, semi);
            layout = semi == std::string_view::npos ? std::string_view() : layout.substr(semi + 1);
            const size_t eq = item.find('=');
            const int field = indexOf(item.substr(0, eq));
            if (field < 0 || eq == std::string_view::npos) {
                ADD_FAILURE() << "bad record item: " << item;
                continue;
            }
            const std::string_view value = item.substr(eq + 1);
            switch (kFields[field].kind) {
                case FieldKind::Text: setText(field, value); break;
                case FieldKind::Number: setNumber(field, std::stod(std::string(value))); break;
                case FieldKind::Date: setDate(field, value); break;
            }
        }
    }

    void setText(int field, std::string_view text) {
        texts_.emplace_back(text);
        values_[field] = Operand{false, 0, texts_.back()};
    }
    void setNumber(int field, double number) { values_[field] = Operand{false, number, {}}; }
    void setDate(int field, std::string_view text) {
        const std::optional<int> serial = parseDate(text);
        if (!serial) ADD_FAILURE() << "bad date in record: " << text;
        values_[field] = Operand{false, static_cast<double>(serial.value_or(0)), {}};
    }

    Operand field(int index) const override { return values_.at(index); }

private:
    std::vector<Operand> values_;
    std::deque<std::string> texts_;  // a deque keeps the viewed texts in place as it grows
};

struct MatchCase {
    const char* filter;
    const char* record;
    bool expected;
};

std::ostream& operator<<(std::ostream& out, const MatchCase& c) {
    return out << "filter " << c.filter << " on record {" << c.record << "} should give "
               << (c.expected ? "true" : "false");
}

class FilterMatch : public ::testing::TestWithParam<MatchCase> {};

TEST_P(FilterMatch, GivesExpectedResult) {
    const MatchCase& c = GetParam();
    Filter filter;
    ASSERT_NO_THROW(filter = Filter::parse(c.filter, resolve)) << c.filter;
    EXPECT_FALSE(filter.empty());
    EXPECT_EQ(filter.matches(FakeRow(c.record)), c.expected);
}

INSTANTIATE_TEST_SUITE_P(TextField, FilterMatch, ::testing::Values(
    MatchCase{"(F='Иванов')", "F=Иванов", true},
    MatchCase{"(F='Иванов')", "F=иванов", false},
    MatchCase{"(F='Иванов')", "F=Иванов ", false},
    MatchCase{"(F='Иванов')", "F=Иванова", false},
    MatchCase{"(F<>'Иванов')", "F=Петров", true},
    MatchCase{"(F<>'Иванов')", "F=Иванов", false},
    MatchCase{"(F<'Петров')", "F=Иванов", true},
    MatchCase{"(F>'Петров')", "F=Иванов", false},
    MatchCase{"(F<='Иванов')", "F=Иванов", true},
    MatchCase{"(F<='Иванов')", "F=Иванова", false},
    MatchCase{"(F>='Иванов')", "F=Иванов", true},
    MatchCase{"(F>='Иванова')", "F=Иванов", false},
    // Byte order: lower case after upper case, Cyrillic after every ASCII letter.
    MatchCase{"(F>'Z')", "F=a", true},
    MatchCase{"(F<'z')", "F=Я", false},
    MatchCase{"(F>'z')", "F=Я", true},
    MatchCase{"(F='5')", "F=05", false},
    MatchCase{"(F='a b')", "F=a b", true},
    MatchCase{"(F=' x ')", "F= x ", true},
    MatchCase{"(F=' x ')", "F=x", false},
    MatchCase{"(F='x)and(')", "F=x)and(", true},
    MatchCase{"(F='Null')", "F=Null", true},
    MatchCase{"(F='Null')", "", false}));

INSTANTIATE_TEST_SUITE_P(BlankText, FilterMatch, ::testing::Values(
    MatchCase{"(F='')", "", true},
    MatchCase{"(F='')", "F=", true},
    MatchCase{"(F='')", "F=x", false},
    MatchCase{"(F<>'')", "", false},
    MatchCase{"(F<>'')", "F=", false},
    MatchCase{"(F<>'')", "F=x", true},
    MatchCase{"(F='x')", "", false},
    MatchCase{"(F<>'x')", "", true},
    MatchCase{"(F<'a')", "", true},
    MatchCase{"(F>'a')", "", false},
    MatchCase{"(F=Null)", "", true},
    MatchCase{"(F=Null)", "F=", true},
    MatchCase{"(F=Null)", "F=x", false},
    MatchCase{"(F<>Null)", "F=x", true},
    MatchCase{"(F<>Null)", "", false},
    MatchCase{"Fm=''", "", true},
    MatchCase{"Fm=''", "Fm=Анна", false}));

INSTANTIATE_TEST_SUITE_P(NumberFormOnText, FilterMatch, ::testing::Values(
    MatchCase{"(NKDN=5)", "NKDN=5", true},
    MatchCase{"(NKDN=5)", "NKDN=05", true},
    MatchCase{"(NKDN=5)", "NKDN= 5 ", true},
    MatchCase{"(NKDN=5)", "NKDN=5,0", true},
    MatchCase{"(NKDN=5)", "NKDN=5.0", true},
    MatchCase{"(NKDN=5)", "NKDN=50", false},
    MatchCase{"(NKDN=5)", "NKDN=5a", false},
    MatchCase{"(NKDN=5)", "NKDN=5 5", false},
    MatchCase{"(NKDN=5)", "NKDN=abc", false},
    MatchCase{"(NKDN<>5)", "NKDN=abc", true},
    MatchCase{"(NKDN>3)", "NKDN=abc", false},
    MatchCase{"(NKDN<3)", "NKDN=abc", false},
    MatchCase{"(NKDN=5)", "", false},
    MatchCase{"(NKDN<>5)", "", true},
    MatchCase{"(NKDN<5)", "", false},
    MatchCase{"(NKDN>=0)", "", false},
    MatchCase{"(NKDN<>5)", "NKDN=05", false},
    // Numeric, not text order: "05" < "3" and "9" > "10" as texts.
    MatchCase{"(NKDN>3)", "NKDN=05", true},
    MatchCase{"(NKDN<10)", "NKDN=9", true},
    MatchCase{"(NKDN<=12)", "NKDN=12", true},
    MatchCase{"(NKDN>=12.5)", "NKDN=12,4", false},
    MatchCase{"(NKDN=5,5)", "NKDN=5.5", true},
    MatchCase{"(NKDN=0.1)", "NKDN=0,1", true},
    MatchCase{"(NKDN=-2)", "NKDN=-2", true},
    MatchCase{"(NKDN=-2)", "NKDN=2", false},
    MatchCase{"(NKDN=+7)", "NKDN=7", true}));

INSTANTIATE_TEST_SUITE_P(DateField, FilterMatch, ::testing::Values(
    MatchCase{"(DR='01.02.2000')", "DR=01.02.2000", true},
    MatchCase{"(DR='1.2.2000')", "DR=01.02.2000", true},
    MatchCase{"(DR='01.02.2000')", "DR=02.01.2000", false},
    MatchCase{"(DR<>'01.02.2000')", "DR=01.02.2000", false},
    MatchCase{"(DR<>'01.02.2000')", "DR=02.02.2000", true},
    // Calendar order, where text order would say the opposite.
    MatchCase{"(DR>'31.01.2000')", "DR=01.02.2000", true},
    MatchCase{"(DR<'31.01.2000')", "DR=01.02.2000", false},
    MatchCase{"(DR<'01.01.2000')", "DR=31.12.1999", true},
    MatchCase{"(DR<='01.02.2000')", "DR=01.02.2000", true},
    MatchCase{"(DR<='01.02.2000')", "DR=02.02.2000", false},
    MatchCase{"(DR>='02.02.2000')", "DR=01.02.2000", false},
    MatchCase{"(DR>='01.02.2000')", "DR=01.02.2000", true},
    MatchCase{"(DR='01.02.2000')", "", false},
    MatchCase{"(DR<>'01.02.2000')", "", true},
    MatchCase{"(DR<'01.02.2000')", "", false},
    MatchCase{"(DR>'01.02.2000')", "", false},
    MatchCase{"(DR='')", "", true},
    MatchCase{"(DR='')", "DR=01.02.2000", false},
    MatchCase{"(DR<>'')", "DR=01.02.2000", true},
    MatchCase{"(DR<>'')", "", false},
    MatchCase{"(DR=Null)", "", true},
    MatchCase{"(DR=Null)", "DR=01.02.2000", false},
    MatchCase{"(DKDN<>Null)", "DKDN=05.05.2020", true},
    MatchCase{"DKDN<>Null", "", false},
    MatchCase{"DKDN<>Null", "DKDN=05.05.2020", true}));

INSTANTIATE_TEST_SUITE_P(NumberField, FilterMatch, ::testing::Values(
    MatchCase{"(L=15)", "L=15", true},
    MatchCase{"(L=15)", "L=16", false},
    MatchCase{"(L<>15)", "L=16", true},
    MatchCase{"(L<>15)", "L=15", false},
    MatchCase{"(L<16)", "L=15", true},
    MatchCase{"(L<15)", "L=15", false},
    MatchCase{"(L>15)", "L=15", false},
    MatchCase{"(L>14)", "L=15", true},
    MatchCase{"(L<=15)", "L=15", true},
    MatchCase{"(L<=14)", "L=15", false},
    MatchCase{"(L>=16)", "L=15", false},
    MatchCase{"(L>=15)", "L=15", true},
    MatchCase{"(L='15')", "L=15", true},
    MatchCase{"(L=' 15 ')", "L=15", true},
    MatchCase{"(L='15')", "L=16", false},
    MatchCase{"(L=15,0)", "L=15", true},
    MatchCase{"(L=14.5)", "L=14.5", true},
    MatchCase{"(L=-1)", "L=-1", true},
    MatchCase{"(L=0)", "", false},
    MatchCase{"(L<>0)", "", true},
    MatchCase{"(L<100)", "", false},
    MatchCase{"(L>-100)", "", false},
    MatchCase{"(L=Null)", "", true},
    MatchCase{"(L=Null)", "L=0", false},
    MatchCase{"(L<>Null)", "L=0", true}));

INSTANTIATE_TEST_SUITE_P(QuarterAndYearBounds, FilterMatch, ::testing::Values(
    MatchCase{"(DCcU>='01.01.2024')and(DCcU<'01.04.2024')", "DCcU=31.12.2023", false},
    MatchCase{"(DCcU>='01.01.2024')and(DCcU<'01.04.2024')", "DCcU=01.01.2024", true},
    MatchCase{"(DCcU>='01.01.2024')and(DCcU<'01.04.2024')", "DCcU=31.03.2024", true},
    MatchCase{"(DCcU>='01.01.2024')and(DCcU<'01.04.2024')", "DCcU=01.04.2024", false},
    MatchCase{"(DCcU>='01.01.2024')and(DCcU<'01.04.2024')", "", false},
    MatchCase{"(DCcU>='01.10.2024')and(DCcU<'01.01.2025')", "DCcU=31.12.2024", true},
    MatchCase{"(DCcU>='01.10.2024')and(DCcU<'01.01.2025')", "DCcU=01.01.2025", false},
    MatchCase{"(DCcU>='01.01.2023')and(DCcU<='31.12.2023')", "DCcU=31.12.2023", true},
    MatchCase{"(DCcU>='01.01.2023')and(DCcU<='31.12.2023')", "DCcU=01.01.2024", false},
    MatchCase{"(DCcU>='01.01.2023')and(DCcU<='31.12.2023')and(DCcU>='01.01.2024')and(DCcU<='31.12.2024')",
              "DCcU=31.12.2023", false}));

INSTANTIATE_TEST_SUITE_P(Structure, FilterMatch, ::testing::Values(
    MatchCase{"(F='x')and(I='y')", "F=x;I=y", true},
    MatchCase{"(F='x')and(I='y')", "F=x;I=z", false},
    MatchCase{"(F='x')and(I='y')", "F=z;I=y", false},
    MatchCase{"(F='x')and(F='y')", "F=x", false},
    MatchCase{"(F='x')and(F='y')", "F=y", false},
    MatchCase{"(DKDN<>Null)and(DKDN<>Null)", "DKDN=01.01.2020", true},
    MatchCase{"(Fm='')and(F='x')", "F=x", true},
    MatchCase{"(Fm='')and(F='x')", "F=x;Fm=Анна", false},
    MatchCase{"((F='x')and((I='y')))", "F=x;I=y", true},
    MatchCase{"((F='x')and((I='y')))", "F=x", false},
    MatchCase{"(((L=15)))", "L=15", true},
    MatchCase{"F='x'and I='y'", "F=x;I=y", true},
    MatchCase{"F='x'andI='y'", "F=x;I=y", true},
    MatchCase{"F='x'andI='y'", "F=x;I=z", false},
    MatchCase{"F='x'and(I='y')", "F=x;I=y", true},
    MatchCase{"(F='x')andI='y'", "F=z;I=y", false},
    MatchCase{"L=15and(F='x')", "L=15;F=x", true},
    MatchCase{"DKDN<>Nulland(F='x')", "DKDN=01.01.2020;F=x", true},
    MatchCase{"DKDN<>Nulland(F='x')", "F=x", false},
    MatchCase{" ( F = 'x' )  AND  ( I >= 'y' ) ", "F=x;I=y", true},
    MatchCase{" ( F = 'x' )  AND  ( I >= 'y' ) ", "F=x;I=a", false},
    MatchCase{"(F='x')And(I='y')", "F=x;I=y", true},
    MatchCase{"(DKDN<>NULL)", "DKDN=01.01.2020", true},
    MatchCase{"(DKDN=null)", "DKDN=01.01.2020", false}));

struct RefusalCase {
    const char* filter;
    const char* fragment;  // what the message must say about the fault
};

std::ostream& operator<<(std::ostream& out, const RefusalCase& c) {
    return out << "filter " << c.filter << " should be refused with \"" << c.fragment << "\"";
}

class FilterRefusal : public ::testing::TestWithParam<RefusalCase> {};

TEST_P(FilterRefusal, ThrowsAtParseWithMessage) {
    const RefusalCase& c = GetParam();
    try {
        Filter::parse(c.filter, resolve);
        ADD_FAILURE() << "accepted: " << c.filter;
    } catch (const EngineError& e) {
        const std::string message = e.what();
        EXPECT_EQ(message.rfind("Ошибка в выражении фильтра: ", 0), 0u) << message;
        EXPECT_NE(message.find(c.fragment), std::string::npos) << message;
    }
}

INSTANTIATE_TEST_SUITE_P(Values, FilterRefusal, ::testing::Values(
    RefusalCase{"(F='O'Brien')", "неожиданный символ \"B\" в позиции 7"},
    RefusalCase{"F='O'Brien'", "апостроф"},
    RefusalCase{"(DR='abc')", "значение \"abc\" не является датой"},
    RefusalCase{"(DR='31.02.2000')", "значение \"31.02.2000\" не является датой"},
    RefusalCase{"(DCcU>='01.01.20x4')and(DCcU<='31.12.20x4')", "значение \"01.01.20x4\" не является датой"},
    RefusalCase{"(DR=5)", "значение \"5\" не является датой"},
    RefusalCase{"(DR=Null)and(DKDN>=20240101)", "значение \"20240101\" не является датой"},
    RefusalCase{"(DR<'')", "пустую дату нельзя сравнивать знаком \"<\""},
    RefusalCase{"(DR>='')", "пустую дату нельзя сравнивать знаком \">=\""},
    RefusalCase{"(L='abc')", "значение \"abc\" не является числом"},
    RefusalCase{"(L='')", "значение \"\" не является числом"},
    RefusalCase{"(L='1 5')", "значение \"1 5\" не является числом"},
    RefusalCase{"(L=abc)", "стоит \"a\" в позиции 4"},
    RefusalCase{"(L=5.)", "неожиданный символ \".\" в позиции 5"},
    RefusalCase{"(DKDN<Null)", "Null сравнивается только знаками"},
    RefusalCase{"(F>=null)", "Null сравнивается только знаками"}));

INSTANTIATE_TEST_SUITE_P(Fields, FilterRefusal, ::testing::Values(
    RefusalCase{"(Xyz='1')", "неизвестное поле \"Xyz\""},
    RefusalCase{"(F='x')and(f='y')", "неизвестное поле \"f\" в позиции 12"},
    RefusalCase{"not(F='x')", "неизвестное поле \"not\""},
    RefusalCase{"(=5)", "ожидается имя поля, а стоит \"=\" в позиции 2"},
    RefusalCase{"(F!='x')", "после поля \"F\" ожидается знак сравнения, а стоит \"!\""},
    RefusalCase{"F", "после поля \"F\" нет знака сравнения"},
    RefusalCase{"F=", "после знака сравнения нет значения"},
    RefusalCase{"(F=='x')", "стоит \"=\" в позиции 4"}));

INSTANTIATE_TEST_SUITE_P(Structure, FilterRefusal, ::testing::Values(
    RefusalCase{"(F='x')garbage", "неожиданный символ \"g\" в позиции 8"},
    RefusalCase{"(F='Иванов')x", "неожиданный символ \"x\" в позиции 13"},
    RefusalCase{"(F='x') (I='y')", "неожиданный символ \"(\" в позиции 9"},
    RefusalCase{"(F='x'))", "лишняя закрывающая скобка в позиции 8"},
    RefusalCase{"()", "пустые скобки в позиции 1"},
    RefusalCase{"( )", "пустые скобки в позиции 1"},
    RefusalCase{"(F='x')and()", "пустые скобки в позиции 11"},
    RefusalCase{"(F='x'", "не закрыта скобка, открытая в позиции 1"},
    RefusalCase{"(F='x)", "не закрыт апостроф, открытый в позиции 4"},
    RefusalCase{"(F='x')and", "выражение оборвано в позиции 11"},
    RefusalCase{"(F='x')or(I='y')", "неожиданный символ \"o\" в позиции 8"},
    RefusalCase{"(F='x' I='y')", "неожиданный символ \"I\" в позиции 8"}));

TEST(FilterEmpty, BlankTextMatchesEverything) {
    FakeRow filled("F=x;DR=01.01.2000;L=3");
    FakeRow blank;
    for (const char* text : {"", "   ", "\t "}) {
        const Filter filter = Filter::parse(text, resolve);
        EXPECT_TRUE(filter.empty()) << '"' << text << '"';
        EXPECT_TRUE(filter.matches(filled));
        EXPECT_TRUE(filter.matches(blank));
        EXPECT_TRUE(filter.fieldsUsed().empty());
    }
    const Filter unset;
    EXPECT_TRUE(unset.empty());
    EXPECT_TRUE(unset.matches(filled));
}

TEST(FilterFields, ListsEachFieldOnceAscending) {
    const Filter filter = Filter::parse("(L=1)and(F='x')and((L<>2)and(DR=Null))and(F<>'y')", resolve);
    EXPECT_EQ(filter.fieldsUsed(), (std::vector<int>{indexOf("F"), indexOf("DR"), indexOf("L")}));
}

TEST(FilterFields, UsesTheIndexTheResolverGives) {
    // The caller numbers fields its own way; the filter must read exactly the index it was given.
    const FieldResolver shifted = [](std::string_view name) -> std::optional<FieldRef> {
        if (name == "Age") return FieldRef{5, FieldKind::Number};
        return std::nullopt;
    };
    const Filter filter = Filter::parse("(Age>=14)", shifted);
    EXPECT_EQ(filter.fieldsUsed(), std::vector<int>{5});
    EXPECT_TRUE(filter.matches(FakeRow("L=15")));
    EXPECT_FALSE(filter.matches(FakeRow("L=13")));
}

TEST(FilterMove, MovedFilterKeepsItsExpression) {
    Filter source = Filter::parse("(F='x')and(L>2)", resolve);
    Filter moved(std::move(source));
    EXPECT_TRUE(moved.matches(FakeRow("F=x;L=3")));
    EXPECT_FALSE(moved.matches(FakeRow("F=x;L=2")));

    Filter assigned;
    assigned = std::move(moved);
    EXPECT_FALSE(assigned.empty());
    EXPECT_TRUE(assigned.matches(FakeRow("F=x;L=3")));
    EXPECT_EQ(assigned.fieldsUsed(), (std::vector<int>{indexOf("F"), indexOf("L")}));
}

TEST(FilterNesting, ModerateDepthWorksAndRunawayDepthIsRefused) {
    std::string moderate = std::string(40, '(') + "F='x'" + std::string(40, ')');
    EXPECT_TRUE(Filter::parse(moderate, resolve).matches(FakeRow("F=x")));

    std::string runaway = std::string(100000, '(') + "F='x'" + std::string(100000, ')');
    EXPECT_THROW(Filter::parse(runaway, resolve), EngineError);
}


}  // namespace
}  // namespace zelt::filter

namespace zelt::filter {
namespace {

std::string describe(const std::vector<NecessaryCondition>& conditions) {
    std::string out;
    for (const NecessaryCondition& c : conditions) {
        if (!out.empty()) out += ";";
        out += kFields[c.field].name;
        out += c.notBlank ? std::string("<>Null") : "='" + c.text + "'";
    }
    return out;
}

struct NecessaryCase {
    const char* filter;
    const char* conditions;
};

// What a store may narrow by before it evaluates the filter: only tests no blank value passes.
TEST(FilterNecessary, ImpliedConditionsOfEachTest) {
    const NecessaryCase cases[] = {
        {"(F='Иванов')", "F='Иванов'"},
        {"(F='')", ""},  // a blank text passes it
        {"(F<>'Иванов')", ""},
        {"(F<'Петров')", ""},
        {"(F>='Петров')", ""},
        {"(F=Null)", ""},
        {"(F<>Null)", "F<>Null"},
        {"(DKDN<>Null)", "DKDN<>Null"},
        {"(DKDN<>'')", "DKDN<>Null"},
        {"(DKDN='')", ""},
        {"(DKDN='01.02.2000')", ""},
        {"(L<>Null)", "L<>Null"},
        {"(L=5)", ""},
        {"(NKDN=5)", ""},  // "05" passes: the text is read as a number
        {"(F='Школа')and(DKDN<>Null)", "F='Школа';DKDN<>Null"},
        {"((F='a')and(L<>0))and(Fm<>Null)", "F='a';Fm<>Null"},
        {"", ""},
    };
    for (const NecessaryCase& c : cases)
        EXPECT_EQ(describe(Filter::parse(c.filter, resolve).necessaryConditions()), c.conditions) << c.filter;
}

// The number equalities a store may narrow by: only "=" on a number field, never a date or a text
// read as a number, and every record matched has exactly that value.
TEST(FilterNecessary, NumberEqualitiesOnlyOfNumberFields) {
    struct Case {
        const char* filter;
        const char* equalities;
    };
    const Case cases[] = {
        {"(L=5)", "L=5"},
        {"(L=-2)", "L=-2"},
        {"(L<>5)", ""},
        {"(L>=5)", ""},
        {"(L=Null)", ""},
        {"(NKDN=5)", ""},
        {"(DR='01.02.2000')", ""},
        {"(F='a')and(L=12)and(DKDN<>Null)", "L=12"},
        {"", ""},
    };
    for (const Case& c : cases) {
        std::string got;
        for (const NumberEquality& e : Filter::parse(c.filter, resolve).numberEqualities()) {
            char buf[64];
            std::snprintf(buf, sizeof buf, "%s=%g", kFields[e.field].name, e.number);
            got += (got.empty() ? "" : ";") + std::string(buf);
        }
        EXPECT_EQ(got, c.equalities) << c.filter;
    }
    const Filter f = Filter::parse("(L=3)", resolve);
    for (const char* r : {"L=3", "L=4", "F=x"}) {
        const FakeRow row(r);
        if (f.matches(row)) {
            EXPECT_EQ(row.field(5).number, 3) << r;
        }
    }
}

// The date comparisons a store may narrow by: orderings and "=" on a date field, never "<>", a
// blank test, a number or a text field.
TEST(FilterNecessary, DateComparisonsOnlyOfDateFields) {
    struct Case {
        const char* filter;
        const char* comparisons;
    };
    const Case cases[] = {
        {"(DCcU>='01.01.2024')and(DCcU<'01.04.2024')", "DCcU>=01.01.2024;DCcU<01.04.2024"},
        {"(DR<='31.12.1999')", "DR<=31.12.1999"},
        {"(DR>'01.02.2000')and(F='a')", "DR>01.02.2000"},
        {"(DR='01.02.2000')", "DR=01.02.2000"},
        {"(DR<>'01.02.2000')", ""},
        {"(DR=Null)", ""},
        {"(DR<>'')", ""},
        {"(L>=5)", ""},
        {"(NKDN>5)", ""},
        {"(F>='01.01.2024')", ""},
        {"", ""},
    };
    const char* const ops[] = {"=", "<", "<=", ">", ">="};
    for (const Case& c : cases) {
        std::string got;
        for (const DateComparison& d : Filter::parse(c.filter, resolve).dateComparisons())
            got += (got.empty() ? "" : ";") + std::string(kFields[d.field].name) + ops[static_cast<int>(d.op)] +
                   formatDate(d.serial);
        EXPECT_EQ(got, c.comparisons) << c.filter;
    }
}

// Every record a filter matches meets the conditions it implies.
TEST(FilterNecessary, MatchedRecordsMeetTheConditions) {
    const char* const filters[] = {"(F='Иванов')", "(F<>Null)", "(DKDN<>Null)", "(F='Иванов')and(DKDN<>'')",
                                   "(Fm<>Null)and(L<>Null)", "(F='a b')"};
    const char* const records[] = {"",          "F=",           "F=Иванов",       "F=иванов;DKDN=01.02.2000",
                                   "F=a b",     "F=Иванов;DKDN=01.02.2000", "Fm=;L=0", "Fm=x;L=3"};
    int matched = 0;
    for (const char* f : filters) {
        const Filter filter = Filter::parse(f, resolve);
        for (const char* r : records) {
            const FakeRow row(r);
            if (!filter.matches(row)) continue;
            ++matched;
            for (const NecessaryCondition& c : filter.necessaryConditions()) {
                const Operand v = row.field(c.field);
                EXPECT_FALSE(v.blank) << f << " on {" << r << "}";
                if (!c.notBlank) {
                    EXPECT_EQ(v.text, c.text) << f << " on {" << r << "}";
                }
            }
        }
    }
    EXPECT_GT(matched, 5);
}

}  // namespace
}  // namespace zelt::filter
