// The UTF-8 reader and the cp1251 conversions every field value passes through.
#include <algorithm>
#include "base/text.h"

#include <gtest/gtest.h>

#include <vector>

namespace zelt {
namespace {

std::u32string decodeAll(std::string_view s) {
    std::u32string out;
    size_t pos = 0;
    while (pos < s.size()) out += nextCodePoint(s, pos);
    return out;
}

TEST(Utf8Reader, ReadsWellFormedTextOfEveryLength) {
    EXPECT_EQ(decodeAll("aЖ€😀"), (std::u32string{U'a', U'Ж', U'€', U'😀'}));
    EXPECT_EQ(decodeAll("\xF4\x8F\xBF\xBF"), std::u32string{0x10FFFF});
}

TEST(Utf8Reader, MalformedSequencesReadAsReplacementCharacters) {
    struct Case {
        const char* what;
        std::string bytes;
        std::u32string expected;
    };
    const std::vector<Case> cases = {
        {"overlong slash", "\xC0\xAF", U"\uFFFD"},
        {"overlong NUL", "\xC0\x80", U"\uFFFD"},
        {"overlong three-byte A", "\xE0\x81\x81", U"\uFFFD"},
        {"overlong four-byte", "\xF0\x80\x80\xAF", U"\uFFFD"},
        {"high surrogate", "\xED\xA0\x80", U"\uFFFD"},
        {"low surrogate", "\xED\xBF\xBF", U"\uFFFD"},
        {"past U+10FFFF", "\xF4\x90\x80\x80", U"\uFFFD"},
        {"five-byte lead", "\xF8\x88\x80\x80\x80", U"\uFFFD\uFFFD\uFFFD\uFFFD\uFFFD"},
        {"lone continuation", "a\x80z", U"a\uFFFDz"},
        {"cut at the end", "a\xD0", U"a\uFFFD"},
        {"broken by ASCII", "\xD0z", U"\uFFFDz"},
    };
    for (const Case& c : cases) EXPECT_EQ(decodeAll(c.bytes), c.expected) << c.what;
}

TEST(Cp1251, RoundTripsEveryAssignedByte) {
    for (int b = 1; b < 256; ++b) {
        if (b == 0x98) continue;  // the one byte cp1251 leaves unassigned
        const std::string one(1, static_cast<char>(b));
        EXPECT_EQ(cp1251FromUtf8(utf8FromCp1251(one)), one) << "byte " << b;
    }
    EXPECT_EQ(utf8FromCp1251("\x98"), "\xEF\xBF\xBD");
}

TEST(FitToField, ReplacesWhatCp1251CannotHoldAndCutsByCharacters) {
    EXPECT_EQ(fitToField("Иванов😀", 0), "Иванов?");
    EXPECT_EQ(fitToField("Иванов", 3), "Ива");
    EXPECT_EQ(fitToField("\xC0\xAF", 0), "?");  // an overlong slash is no slash
    EXPECT_EQ(codePointCount("ёЁй"), 3u);
}

TEST(CapitalizeFirst, FollowsTheRussianRules) {
    const std::vector<std::pair<std::string, std::string>> cases = {
        {"иванов", "Иванов"}, {"ёлкин", "Ёлкин"}, {"йошкар-ола", "Йошкар-ола"},
        {"smith", "Smith"},   {"", ""},           {"1-й отдел", "1-й отдел"},
    };
    for (const auto& [in, out] : cases) EXPECT_EQ(capitalizeFirst(in), out) << in;
}

TEST(CollatesBefore, SortsAsTheAlphabetReads) {
    std::vector<std::string> towns = {"тверь", "Ёлкино", "Жуков", "Егорьевск", "", "Бежецк", "Кимры", "Zurich",
                                      "Тверь", "ангарск", "1-й посёлок", "Есино"};
    std::stable_sort(towns.begin(), towns.end(), [](const std::string& a, const std::string& b) { return collatesBefore(a, b); });
    EXPECT_EQ(towns, (std::vector<std::string>{"", "1-й посёлок", "Zurich", "ангарск", "Бежецк", "Егорьевск", "Есино",
                                               "Ёлкино", "Жуков", "Кимры", "Тверь", "тверь"}));
    EXPECT_FALSE(collatesBefore("Тверь", "Тверь"));  // a strict order: equal texts are not before each other
    EXPECT_TRUE(collatesBefore("Твер", "Тверь"));
}

}  // namespace
}  // namespace zelt
