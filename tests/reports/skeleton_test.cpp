// The report skeleton: the joined forms of names, addresses and children exactly as the reports
// print them, and the building blocks over an empty register.
#include "reports/skeleton.h"
#include "support/test_support.h"

#include "app/main_window.h"
#include "store/table_set.h"

#include <gtest/gtest.h>

namespace zelt::reports {
namespace {

class SkeletonTest : public ::testing::Test {
protected:
    testing::DataDir dir;
    std::unique_ptr<store::Session> session;
    std::unique_ptr<store::TableSet> tables;

    store::Table& open(int n) {
        if (!tables) {
            session = std::make_unique<store::Session>(dir.path());
            session->addPassword(app::kTablePassword);
            tables = std::make_unique<store::TableSet>(*session);
        }
        store::Table& t = tables->table(n);
        t.open();
        return t;
    }
    void TearDown() override {
        tables.reset();
        session.reset();
    }
};

TEST_F(SkeletonTest, ParentsNamesWriteTheMothersPartEvenWhenEmpty) {
    struct Case {
        testing::Fields fields;
        const char* names;
    };
    const Case cases[] = {
        {{{"Fm", "Иванова"}, {"Im", "Анна"}, {"Om", "Петровна"}, {"Fo", "Иванов"}, {"Io", "Пётр"}},
         "Иванова Анна Петровна\rИванов Пётр "},
        {{{"Fo", "Сидоров"}, {"Io", "Иван"}, {"Oo", "Ильич"}}, "  \rСидоров Иван Ильич"},
        {{{"Fm", "Орлова"}}, "Орлова  "},
        {{{"NKDN", "1"}}, ""},
    };
    for (const Case& c : cases) testing::seedRecords(dir.path(), 9, {c.fields});
    store::Table& families = open(9);
    size_t k = 0;
    for (families.first(); !families.eof(); families.next(), ++k) EXPECT_EQ(parentsNames(families), cases[k].names) << k;
    EXPECT_EQ(k, 4u);
}

TEST_F(SkeletonTest, AddressFormsAndTheFathersAloneWithALeadingMark) {
    testing::seedRecords(dir.path(), 9,
                         {{{"Gm", "Кимры"}, {"Um", "Мира"}, {"Dm", "5"}, {"Km", "12"}, {"Obm", "Тверская"}},
                          {{"Go", "Дубна"}, {"Uo", "Ленина"}}});
    store::Table& families = open(9);
    families.first();
    const AddressFields mother{"Obm", "Gm", "Um", "Dm", "Km"};
    EXPECT_EQ(address(families, mother, AddressForm::Plain), "Кимры Мира 5 12");
    EXPECT_EQ(address(families, mother, AddressForm::ShortLabelled), "Кимры ул. Мира д.5 кв.12");
    EXPECT_EQ(address(families, mother, AddressForm::FullLabelled), "обл. Тверская, г. Кимры, ул. Мира, д.5, кв.12");
    EXPECT_EQ(parentsAddresses(families, AddressForm::Plain), "Кимры Мира 5 12");
    families.next();
    EXPECT_EQ(parentsAddresses(families, AddressForm::ShortLabelled), "\rДубна ул. Ленина д. кв.");
}

TEST_F(SkeletonTest, ChildrenListHasOneLinePerChildAndNoTrailingMark) {
    testing::seedRecords(dir.path(), 9, {{{"Fm", "Мать"}}, {{"Fm", "Бездетная"}}});
    testing::seedRecords(dir.path(), 10,
                         {{{"Sv", "1"}, {"F", "Петров"}, {"I", "Иван"}, {"O", "Ильич"}, {"DR", "01.09.1995"}},
                          {{"Sv", "1"}, {"F", "Петрова"}, {"I", "Анна"}, {"DR", "02.03.1998"}},
                          {{"Sv", "1"}, {"F", "Петров"}, {"I", "Олег"}}});
    store::Table& families = open(9);
    store::Table& children = open(10);
    families.first();
    EXPECT_EQ(childrenList(children),
              "Петров Иван Ильич, 01.09.1995г.р.\rПетрова Анна , 02.03.1998г.р.\rПетров Олег , г.р.");
    EXPECT_TRUE(children.eof());  // a walk leaves the table at its end
    families.next();
    EXPECT_EQ(childrenList(children), "");
}

TEST(Skeleton, DatedTitleEndsWithTheBlankDateLine) {
    EXPECT_EQ(datedTitle("Банк данных"), "Банк данных\rна \"   \" ____________ 20__г.\r\r");
}

TEST(Skeleton, ReportOverAnEmptyTableGivesTheTitleAndTheHeaderRow) {
    Document d;
    ReportWriter w(d, 9, ReportWriter::Orientation::Landscape);
    w.type(datedTitle("Список"), true, true);
    const int k = w.listTable(0 + 1, 3, {"№", "Ф.И.О.", "Адрес"});
    w.close(16, {k});
    EXPECT_EQ(d.orientation(), 1);
    ASSERT_EQ(d.tableCount(), 1);
    EXPECT_EQ(d.table(1).rowCount(), 1);
    EXPECT_EQ(d.table(1).format(), 16);
    EXPECT_EQ(d.table(1).columnWidth(1), 30);
    EXPECT_EQ(d.table(1).cell(1, 2).text(), "Ф.И.О.");
    EXPECT_NE(dumpDocument(d).find("**Список**"), std::string::npos) << dumpDocument(d);
    EXPECT_EQ(w.appendRow(k), 2);
}

}  // namespace
}  // namespace zelt::reports
