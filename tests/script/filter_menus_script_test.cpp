// The minors' grid filter menu end to end through the script driver: the menu as it opens, a typed
// surname, the next term taken from the card of the selected record, and "Все".
#include "app/main_window.h"
#include "script/script_runner.h"
#include "store/table_set.h"
#include "support/script_support.h"
#include "support/test_support.h"

#include <gtest/gtest.h>

#include <sstream>

namespace zelt {
namespace {

class FilterMenusScriptTest : public ::testing::Test {
protected:
    testing::DataDir dir;

    std::string run(const std::string& script) { return testing::runScript(dir.path(), script); }

    void seedMinors() {
        testing::seedRecords(dir.path(), 1,
                             {{{"F", "Иванов"}, {"I", "Иван"}}, {{"F", "Петров"}, {"I", "Иван"}}, {{"F", "Иванов"}, {"I", "Пётр"}}});
    }
};

TEST_F(FilterMenusScriptTest, SurnameThenTheSelectedRecordsNameThenAll) {
    seedMinors();
    EXPECT_EQ(run("click N49\n"
                  "popup PopupMenu1\n"
                  "answer text Иванов\n"
                  "choose PopupMenu1 Фамилия\n"
                  "state Table1\n"
                  "dump Table1 F I\n"
                  "select DBGrid1 2\n"
                  "answer ok\n"
                  "choose PopupMenu1 Имя\n"
                  "state Table1\n"
                  "dump Table1 N\n"
                  "choose PopupMenu1 Все\n"
                  "state Table1\n"),
              "menu PopupMenu1: Все | - | Поставленные на учёт | - | Фамилия | Имя | Отчество | Дата рождения | "
              "Место рождения | Место учёбы | Занятость | Дата снятия | Основания снятия | д/телефон | м/телефон | "
              "Дата (КДН) | Номер (КДН) | Пол | Возраст | Область (рег) | Город (рег) | Улица (рег) | Дом (рег) | "
              "Квартира (рег) | - | Область | Город | Улица | Дом | Квартира | Фамилия (м) | Имя (м) | Отчество (м) | "
              "Статус (м) | Место работы (м) | - | Фамилия (о) | Имя (о) | Отчество (о) | Статус (о) | Место работы (о)\n"
              "input Фамилия: Введите данные для фильтра -> Иванов\n"
              "Table1: browse, records 2, row 1, bof, filter \"(F='Иванов')\" on, index \"\"\n"
              "Иванов\tИван\n"
              "Иванов\tПётр\n"
              "input Имя: Введите данные для фильтра -> Пётр\n"
              "Table1: browse, records 1, row 1, bof, filter \"(F='Иванов')and(I='Пётр')\" on, index \"\"\n"
              "3\n"
              "Table1: browse, records 3, row 1, bof, filter \"\" off, index \"\"\n");
}

}  // namespace
}  // namespace zelt
