// The register check through the script driver: which live minors and families are stale, what
// goes with them, what stays, and the filters and tables it leaves.
#include "app/main_window.h"
#include "support/script_support.h"
#include "support/test_support.h"

#include <gtest/gtest.h>

#include <fstream>

namespace zelt {
namespace {

using testing::Fields;
namespace fs = std::filesystem;

const char* const kConfirm =
    "confirm Проверить данные?: Будут удалены данные в основных таблицах где дата постановки на учёт будет меньше "
    "чем дата снятия с учёта в архиве! -> yes\nwindow: TForm7\n";

class CheckTest : public ::testing::Test {
protected:
    testing::DataDir dir;
    void seed(int table, const std::vector<Fields>& records) { testing::seedRecords(dir.path(), table, records); }
    std::string run(const std::string& script) { return testing::runScript(dir.path(), script); }
};

Fields minor(const char* surname, const char* dkdn) {
    Fields f = {{"F", surname}, {"I", "Иван"}, {"O", "Иванович"}, {"DR", "01.02.1990"}};
    if (*dkdn) f.push_back({"DKDN", dkdn});
    return f;
}

TEST_F(CheckTest, LiveMinorIsDeletedWhenTheArchiveDeregisteredHimLater) {
    struct Case {
        const char* dkdn;
        const char* dccu;
        bool deleted;
    };
    const Case cases[] = {
        {"10.01.2005", "15.03.2005", true},   // deregistered after his registration
        {"10.01.2005", "05.01.2005", false},  // deregistered before it
        {"10.01.2005", "10.01.2005", false},  // on the same day: not later
        {"", "15.03.2005", false},            // no registration date: never
        {"10.01.2005", "", false},            // a blank deregistration date is never later
    };
    for (const Case& c : cases) {
        testing::DataDir d;
        testing::seedRecords(d.path(), 1, {minor("Петров", c.dkdn), minor("Сидоров", "10.01.2005")});
        testing::seedRecords(d.path(), 2, {{{"Sv", "1"}, {"MeraSud", "Штраф"}}, {{"Sv", "2"}, {"MeraSud", "Арест"}}});
        Fields archived = minor("Петров", "");
        if (*c.dccu) archived.push_back({"DCcU", c.dccu});
        testing::seedRecords(d.path(), 5, {archived});
        std::ofstream(d / "ZELT/1.vrk") << "{\\rtf1 note}";
        const std::string out = testing::runScript(d.path(), "click N49\nanswer yes\nclick N153\ndump Table1 F\nshow TForm7\n");
        EXPECT_EQ(out, std::string(kConfirm) + (c.deleted ? "" : "Петров\n") + "Сидоров\nTForm7: \"Проверка БД\" hidden\n")
            << c.dkdn << " / " << c.dccu;
        EXPECT_TRUE(fs::exists(d / "ZELT/1.vrk"));  // the note stays
        // His court record goes with him; the other minor's stays.
        const std::string details = testing::runScript(d.path(), "table Table1 close\ntable Table2 open\nstate Table2\n");
        EXPECT_NE(details.find(c.deleted ? "records 1," : "records 2,"), std::string::npos) << details;
    }
}

TEST_F(CheckTest, PersonIsTheSameOnlyWhenSurnameNameAndBirthDateAgree) {
    Fields otherBirth = minor("Петров", "");
    otherBirth[3].second = "02.02.1990";
    seed(1, {minor("Петров", "10.01.2005"), minor("Петров", "11.01.2005"), minor("петров", "10.01.2005"),
             minor("Петров", "12.01.2005")});
    seed(5, {otherBirth});
    Fields archived = minor("Петров", "");
    archived.push_back({"DCcU", "10.06.2005"});
    seed(5, {archived});
    // The first two stand one after the other and both go, and so does the last. Case matters.
    EXPECT_EQ(run("click N49\nanswer yes\nclick N153\ndump Table1 F DKDN\n"),
              std::string(kConfirm) + "петров\t10.01.2005\n");
}

TEST_F(CheckTest, FamilyWithTheFatherBlankOnBothSidesMatchesOnTheMother) {
    const Fields mother = {{"Fm", "Иванова"}, {"Im", "Мария"}, {"Om", "Ивановна"}, {"DRm", "01.01.1970"}};
    Fields stale = mother, withFather = mother, archived = mother;
    stale.push_back({"DKDN", "01.02.2004"});
    withFather.insert(withFather.end(), {{"DKDN", "01.02.2004"}, {"Fo", "Иванов"}});
    archived.push_back({"DCcU", "01.03.2004"});
    seed(9, {stale, withFather});
    seed(10, {{{"Sv", "1"}, {"F", "Ребёнок"}}, {{"Sv", "2"}, {"F", "Другой"}}});
    seed(13, {archived});
    EXPECT_EQ(run("click N50\nanswer yes\nclick N153\nstate Table9\nstate Table1\nclick N50\ndump Table9 Fm Fo\ndump Table10 F\n"),
              std::string(kConfirm) +
                  "Table9: closed, filter \"\" off, index \"\"\n"
                  "Table1: browse, records 0, row 0, eof, bof, filter \"\" off, index \"\"\n"
                  "Иванова\tИванов\nДругой\n");
}

TEST_F(CheckTest, FiltersOfTheFourMastersAreCleared) {
    seed(1, {minor("Петров", "10.01.2005")});
    Fields archived = minor("Петров", "");
    archived.push_back({"DCcU", "15.03.2005"});
    seed(5, {archived});
    // The stale minor is filtered out of the live grid: the check sees him all the same.
    const std::string out = run(
        "click N49\nfilter Table1 (F='Нет')\nfiltered Table1 on\nfilter Table5 (F='Нет')\nfiltered Table5 on\n"
        "click N50\nfilter Table9 (Fm='Нет')\nfiltered Table9 on\nfilter Table13 (Fm='Нет')\nfiltered Table13 on\n"
        "click N49\nanswer yes\nclick N153\nstate Table1\nstate Table5\nclick N50\nstate Table9\nstate Table13\n");
    EXPECT_EQ(out, std::string(kConfirm) +
                       "Table1: browse, records 0, row 0, eof, bof, filter \"\" off, index \"\"\n"
                       "Table5: browse, records 1, row 1, bof, filter \"\" off, index \"\"\n"
                       "Table9: browse, records 0, row 0, eof, bof, filter \"\" off, index \"\"\n"
                       "Table13: browse, records 0, row 0, eof, bof, filter \"\" off, index \"\"\n");
}

TEST_F(CheckTest, AnswerNoChangesNothing) {
    seed(1, {minor("Петров", "10.01.2005")});
    Fields archived = minor("Петров", "");
    archived.push_back({"DCcU", "15.03.2005"});
    seed(5, {archived});
    EXPECT_EQ(run("click N49\nanswer no\nclick N153\ndump Table1 F\n"),
              "confirm Проверить данные?: Будут удалены данные в основных таблицах где дата постановки на учёт будет "
              "меньше чем дата снятия с учёта в архиве! -> no\nПетров\n");
}

}  // namespace
}  // namespace zelt
