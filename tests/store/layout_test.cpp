// Checks of the record layouts that catch a mis-copied field: counts, key fields, order at the tail,
// labels with unusual characters, and the name look-ups.
#include "store/layout.h"

#include "app/store_messages.h"

#include <gtest/gtest.h>

#include <cctype>
#include <iterator>
#include <set>
#include <string>

#include "base/error.h"

namespace zelt::store {
namespace {

struct LayoutCount {
    const char* name;
    std::size_t fields;
};

// In the order the registers list them; a dropped or doubled row changes a count.
const LayoutCount kCounts[] = {
    {"ZELT", 55}, {"PNU", 6},  {"PKO", 7},      {"PIR", 5},  {"BDS", 53}, {"SD", 8},
    {"PKOR", 8},  {"PR", 6},   {"Prochie", 25}, {"PKOP", 8}, {"Uch", 7},  {"PKOU", 13},
};

TEST(LayoutShape, TwelveLayoutsInRegisterOrderWithTheirFieldCounts) {
    const auto& layouts = allLayouts();
    ASSERT_EQ(layouts.size(), std::size(kCounts));
    for (std::size_t i = 0; i < layouts.size(); ++i) {
        SCOPED_TRACE(kCounts[i].name);
        EXPECT_STREQ(layouts[i].name, kCounts[i].name);
        EXPECT_EQ(layouts[i].fields.size(), kCounts[i].fields);
    }
}

TEST(LayoutShape, EveryLayoutStartsWithCounterAndLinkKey) {
    for (const Layout& l : allLayouts()) {
        SCOPED_TRACE(l.name);
        ASSERT_GE(l.fields.size(), 2u);
        EXPECT_STREQ(l.fields[0].name, "N");
        EXPECT_EQ(l.fields[0].type, FieldType::AutoInc);
        EXPECT_STREQ(l.fields[1].name, "Sv");
        EXPECT_EQ(l.fields[1].type, FieldType::Number);
    }
}

// A name used twice would make look-ups by name and copies by position disagree.
TEST(LayoutShape, FieldNamesAreUniqueIgnoringCase) {
    for (const Layout& l : allLayouts()) {
        SCOPED_TRACE(l.name);
        std::set<std::string> seen;
        for (const FieldDef& f : l.fields) {
            std::string lower = f.name;
            for (char& c : lower) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
            EXPECT_TRUE(seen.insert(lower).second) << f.name;
        }
    }
}

// Only alpha fields have a size; every other type carries 0.
TEST(LayoutShape, SizeIsGivenExactlyForAlphaFields) {
    for (const Layout& l : allLayouts()) {
        for (const FieldDef& f : l.fields) {
            SCOPED_TRACE(std::string(l.name) + "." + f.name);
            if (f.type == FieldType::Alpha)
                EXPECT_GT(f.size, 0);
            else
                EXPECT_EQ(f.size, 0);
        }
    }
}

// Every field name in record order. The batch append and the transfer copy by position, so a swap of two
// neighbours corrupts data even when every name, type and label is right.
struct LayoutOrderCase {
    const char* name;
    const char* fields;  // names separated by single blanks
};

const LayoutOrderCase kOrders[] = {
    {"ZELT",
     "N Sv F I O DR L MR RegO RegG RegU RegD RegK PrO PrG PrU PrD PrK MUch Zan DCcU "
     "OCcU DTel MTel DKDN NKDN Pol Fm Im Om Statm MRm Fo Io Oo Stato MRo Dosug PKDN "
     "Ser Nom DV KV DRm MRmm Serm Nomm DVm KVm DRo MRoo Sero Nomo DVo KVo"},
    {"PNU",
     "N Sv DSud MeraSud StSud DObSud"},
    {"PKO",
     "N Sv DProt NProt StProt MeraProt Rek"},
    {"PIR",
     "N Sv SubProf DProf RabProf"},
    {"BDS",
     "N Sv Fm Im Om DRm MRm ORm GRm URm DomRm KRm Obm Gm Um Dm Km MRabm Serm Nomm DVm "
     "KVm Dtm Mtm Fo Io Oo DRo MRo ORo GRo URo DomRo KRo Obo Go Uo Do Ko MRabo Sero "
     "Nomo DVo KVo Dto Mto DKDN NKDN OKDN DCcU OCcU PCcU KKDN"},
    {"SD",
     "N Sv F I O DR OU L"},
    {"PKOR",
     "N Sv DKDN NKDN O PM DM Mater"},
    {"PR",
     "N Sv S D Pr P"},
    {"Prochie",
     "N Sv F I O DR MR MU OR GR UR DomR KR Ob G U D K Dt Mt MRab Ser Nom DV KV"},
    {"PKOP",
     "N Sv O PM DM Mater DKDN NKDN"},
    {"Uch",
     "N Sv Naim O G U D"},
    {"PKOU",
     "N Sv Naim Osn PM Mater DKDN NKDN Rek F I O DR"},
};

TEST(LayoutOrder, FieldNamesInRecordOrder) {
    const auto& layouts = allLayouts();
    ASSERT_EQ(layouts.size(), std::size(kOrders));
    for (std::size_t i = 0; i < layouts.size(); ++i) {
        SCOPED_TRACE(kOrders[i].name);
        std::string joined;
        for (const FieldDef& f : layouts[i].fields) {
            if (!joined.empty()) joined += ' ';
            joined += f.name;
        }
        EXPECT_EQ(joined, kOrders[i].fields);
    }
}

TEST(LayoutOrder, MinorsEndWithFathersBirthPlaceAndPassport) {
    const Layout& zelt = layoutNamed("ZELT");
    const char* tail[] = {"MRoo", "Sero", "Nomo", "DVo", "KVo"};
    const std::size_t first = zelt.fields.size() - std::size(tail);
    for (std::size_t i = 0; i < std::size(tail); ++i) {
        EXPECT_STREQ(zelt.fields[first + i].name, tail[i]) << "position " << first + i;
    }
}

// Fields whose position other code relies on, and fields where neighbours are easily swapped.
struct PositionCase {
    const char* layout;
    int index;
    const char* field;
};

const PositionCase kPositions[] = {
    {"ZELT", 2, "F"},      {"ZELT", 20, "DCcU"},  {"ZELT", 21, "OCcU"},  {"ZELT", 37, "Dosug"},
    {"ZELT", 38, "PKDN"},  {"ZELT", 43, "DRm"},   {"ZELT", 44, "MRmm"},  {"BDS", 2, "Fm"},
    {"BDS", 24, "Fo"},     {"BDS", 46, "DKDN"},   {"BDS", 52, "KKDN"},   {"SD", 7, "L"},
    {"PKOP", 2, "O"},      {"PKOP", 6, "DKDN"},   {"PKOU", 2, "Naim"},   {"PKOU", 9, "F"},
    {"Prochie", 18, "Dt"}, {"Uch", 2, "Naim"},    {"PIR", 4, "RabProf"}, {"PKO", 6, "Rek"},
};

TEST(LayoutOrder, FieldsSitAtTheirRecordPositions) {
    for (const PositionCase& c : kPositions) {
        SCOPED_TRACE(std::string(c.layout) + "." + c.field);
        EXPECT_EQ(layoutNamed(c.layout).indexOf(c.field), c.index);
    }
}

struct FieldCase {
    const char* layout;
    const char* field;
    FieldType type;
    int size;
    const char* label;
    bool grid;
    int width;
};

// Labels with a doubled blank, ё, the numero sign, capital or lower-case telephone prefixes; the
// home telephones, which are wider in the file than what is written into them; given grid widths.
const FieldCase kFields[] = {
    {"ZELT", "DRm", FieldType::Date, 0, "Дата рождения  (м)", true, 0},
    {"BDS", "DRm", FieldType::Date, 0, "Дата рождения (м)", true, 0},
    {"ZELT", "MUch", FieldType::Alpha, 15, "Место учёбы", true, 0},
    {"PR", "Pr", FieldType::Alpha, 150, "Проведённая работа", true, 0},
    {"PKOU", "NKDN", FieldType::Alpha, 4, "№ КДН", true, 0},
    {"ZELT", "DTel", FieldType::Alpha, 7, "д/телефон", true, 0},
    {"BDS", "Dtm", FieldType::Alpha, 7, "д/телефон (м)", true, 0},
    {"BDS", "Dto", FieldType::Alpha, 7, "д/телефон (о)", true, 0},
    {"Prochie", "Dt", FieldType::Alpha, 7, "Д/телефон", true, 0},
    {"Prochie", "Mt", FieldType::Alpha, 11, "М/телефон", true, 0},
    {"ZELT", "F", FieldType::Alpha, 25, "Фамилия", true, 15},
    {"ZELT", "L", FieldType::Number, 0, "Возраст", true, 2},
    {"ZELT", "DKDN", FieldType::Date, 0, "Дата (КДН)", true, 0},
    {"ZELT", "OCcU", FieldType::Alpha, 15, "Основание снятия", false, 0},
    {"BDS", "OCcU", FieldType::Alpha, 40, "Основания снятия", false, 0},
    {"BDS", "KVm", FieldType::Alpha, 30, "Паспорт кем выдан (м)", true, 0},
    {"ZELT", "KVm", FieldType::Alpha, 40, "Кем выдан паспорт (м)", true, 0},
    {"ZELT", "PKDN", FieldType::Memo, 0, "", false, 0},
    {"PKOP", "PM", FieldType::Memo, 0, "Принятые меры", false, 0},
    {"PKOP", "O", FieldType::Memo, 0, "", false, 0},
    {"PKOU", "Naim", FieldType::Alpha, 10, "Наименование", false, 0},
    {"Uch", "Naim", FieldType::Alpha, 60, "Наименование", true, 0},
};

TEST(LayoutFields, TypeSizeLabelGridAndWidth) {
    for (const FieldCase& c : kFields) {
        SCOPED_TRACE(std::string(c.layout) + "." + c.field);
        const FieldDef& f = layoutNamed(c.layout).field(c.field);
        EXPECT_EQ(f.type, c.type);
        EXPECT_EQ(f.size, c.size);
        EXPECT_STREQ(f.label, c.label);
        EXPECT_EQ(f.grid, c.grid);
        EXPECT_EQ(f.width, c.width);
    }
}

TEST(LayoutFields, TitleIsTheLabelOrElseTheName) {
    const Layout& zelt = layoutNamed("ZELT");
    EXPECT_EQ(Layout::titleOf(zelt.field("Dosug")), "Dosug");
    EXPECT_EQ(Layout::titleOf(zelt.field("Sv")), "Sv");
    EXPECT_EQ(Layout::titleOf(zelt.field("Pol")), "Пол");
}

TEST(LayoutLookup, FieldNamesIgnoreAsciiCase) {
    const Layout& zelt = layoutNamed("ZELT");
    const int dccu = zelt.indexOf("DCcU");
    ASSERT_GE(dccu, 0);
    for (const char* spelling : {"dccu", "DCCU", "dCcU"}) {
        SCOPED_TRACE(spelling);
        EXPECT_EQ(zelt.indexOf(spelling), dccu);
        EXPECT_STREQ(zelt.field(spelling).name, "DCcU");
    }
    // Prefixes and extensions of a name are other names.
    EXPECT_EQ(zelt.indexOf("DCc"), -1);
    EXPECT_EQ(zelt.indexOf("DCcUx"), -1);
    EXPECT_EQ(zelt.indexOf(""), -1);
    // MR and MRm and MRmm are distinct fields.
    EXPECT_NE(zelt.indexOf("mr"), zelt.indexOf("MRM"));
    EXPECT_NE(zelt.indexOf("MRm"), zelt.indexOf("mrmm"));
}

TEST(LayoutLookup, MissingFieldThrowsWithItsName) {
    const Layout& pnu = layoutNamed("PNU");
    try {
        pnu.field("Nope");
        FAIL() << "no error for a missing field";
    } catch (const EngineError& e) {
        EXPECT_EQ(app::clerkMessage(e), "Поле \"Nope\" не найдено");
    }
}

TEST(LayoutLookup, LayoutNamesIgnoreAsciiCase) {
    for (const char* spelling : {"prochie", "PROCHIE", "Prochie"}) {
        SCOPED_TRACE(spelling);
        EXPECT_STREQ(layoutNamed(spelling).name, "Prochie");
    }
    EXPECT_STREQ(layoutNamed("pkou").name, "PKOU");
    EXPECT_STREQ(layoutNamed("pko").name, "PKO");
}

TEST(LayoutLookup, UnknownLayoutThrowsWithItsName) {
    try {
        layoutNamed("Zelt2");
        FAIL() << "no error for an unknown layout";
    } catch (const EngineError& e) {
        EXPECT_EQ(app::clerkMessage(e), "Неизвестная структура таблицы \"Zelt2\"");
    }
}

TEST(LayoutLookup, SameObjectOnEveryCall) {
    EXPECT_EQ(&allLayouts(), &allLayouts());
    EXPECT_EQ(&layoutNamed("SD"), &allLayouts()[5]);
}

}  // namespace
}  // namespace zelt::store
