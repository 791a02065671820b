// The script driver end to end: a known data directory started on a fixed date, as the user sees it.
#include "app/main_window.h"
#include "script/script_runner.h"
#include "store/table_file.h"
#include "store/table_set.h"
#include "support/test_support.h"

#include <gtest/gtest.h>

#include <sstream>

namespace zelt {
namespace {

class ScriptTest : public ::testing::Test {
protected:
    testing::DataDir dir;

    void SetUp() override {
        // Two minors, the second never posted by the program (Sv 0), and children of two families.
        store::Session s(dir.path());
        s.addPassword(app::kTablePassword);
        store::TableSet tables(s);
        tables.dataSource(9).setEnabled(false);
        const auto add = [&tables](int n, std::vector<std::pair<const char*, const char*>> fields) {
            store::Table& t = tables.table(n);
            t.open();
            t.append();
            for (const auto& [f, v] : fields) t.setText(f, v);
            t.post();
        };
        add(1, {{"Sv", "1"}, {"F", "Иванов"}, {"DR", "01.06.1990"}});
        add(1, {{"F", "Петров"}, {"DR", "15.01.1989"}});
        add(10, {{"Sv", "7"}, {"F", "Сидоров"}, {"DR", "16.01.2005"}});
        add(10, {{"Sv", "8"}, {"F", "Козлова"}});
    }

    std::string run(const std::string& script) {
        std::ostringstream out;
        script::ScriptRunner runner(dir.path(), out);
        std::istringstream in(script);
        runner.run(in);
        return out.str();
    }
};

TEST_F(ScriptTest, StartShowsAgesLinkKeysAndNoteFiles) {
    const std::string out = run(
        "today 01.06.2006\n"
        "start\n"
        "dump Table1 N Sv F L\n"
        "filtered Table10 off\n"
        "table Table10 first\n"
        "exists ZELT\\0.vrk\n"
        "exists ZELT\\1.vrk\n"
        "exists ZELT\\2.vrk\n"
        "show TForm1\n"
        "show TForm7\n"
        "stop\n");
    EXPECT_EQ(out,
              "1\t1\tИванов\t16\n"
              "2\t2\tПетров\t17\n"
              "exists: ZELT\\0.vrk (0 bytes)\n"  // Петров was shown before his first post
              "exists: ZELT\\1.vrk (0 bytes)\n"
              "exists: ZELT\\2.vrk (0 bytes)\n"  // and again at the end of the walk
              "TForm1: \"Банк данных\" visible\n"
              "TForm7: \"Процесс\" hidden\n");
}

TEST_F(ScriptTest, ChildrenOfEveryFamilyAreRefreshed) {
    const std::string out = run(
        "today 01.06.2006\n"
        "start\n"
        "table Table9 close\n"
        "dump Table10 Sv F L\n");
    EXPECT_EQ(out,
              "7\tСидоров\t1\n"
              "8\tКозлова\t106\n");
}

TEST_F(ScriptTest, DialogsAndErrorsPrintAsTheUserSeesThem) {
    const std::string out = run(
        "today 01.06.2006\n"
        "start\n"
        "filter Table1 (F='Иванов')\n"
        "table Table1 insert\n"
        "filter Table1 (F='O'Brien')\n"
        "state Table1\n"
        "filtered Table1 on\n"
        "dump Table1 F\n"
        "table Table1 post\n"
        "frobnicate\n"
        "dump Table1 F\n");
    std::istringstream lines(out);
    std::vector<std::string> got;
    for (std::string l; std::getline(lines, l);) got.push_back(l);
    ASSERT_EQ(got.size(), 7u) << out;
    EXPECT_EQ(got[0].rfind("message: Внимание - включена фильтрация.", 0), 0u) << got[0];
    EXPECT_EQ(got[1].rfind("error: Ошибка в выражении фильтра", 0), 0u) << got[1];
    EXPECT_EQ(got[2], "Table1: browse, records 2, row 2, eof, filter \"(F='Иванов')\" off, index \"\"");
    EXPECT_EQ(got[3], "Иванов");
    EXPECT_EQ(got[4].rfind("error: Таблица несовершеннолетних: таблица не находится в режиме редактирования", 0), 0u) << got[4];
    EXPECT_EQ(got[5], "script: не понята строка: frobnicate");
    EXPECT_EQ(got[6], "Иванов");
}

TEST_F(ScriptTest, FieldTypingAndPostThroughTheEngine) {
    const std::string out = run(
        "today 01.06.2006\n"
        "start\n"
        "table Table1 append\n"
        "field Table1 F Сергеев\n"
        "field Table1 DR 1.2.1995\n"
        "field Table1 DTel 1234567\n"
        "current Table1 Sv F DR DTel\n"
        "table Table1 post\n"
        "current Table1 N Sv F DR DTel\n"
        "field Table1 DR 31.02.1995\n");
    EXPECT_EQ(out,
              "\tСергеев\t01.02.1995\t12345\n"
              "3\t3\tСергеев\t01.02.1995\t12345\n"
              "error: Таблица несовершеннолетних: таблица не находится в режиме редактирования или вставки\n");
}

TEST_F(ScriptTest, CancelledPasswordFailsTheOpen) {
    // A table file protected by another password asks for it; cancelling fails the open.
    std::filesystem::remove(dir / "Prochie/Prochie.DB");
    {
        store::createTableFile(dir / "Prochie/Prochie.DB", "Prochie\\Prochie.DB", store::layoutNamed("Prochie"),
                               store::indexesOf(store::Copy::Live, "Prochie"), "другой");
    }
    const std::string out = run(
        "today 01.06.2006\n"
        "answer cancel\n"
        "start\n"
        "answer text другой\n"
        "table Table33 open\n"
        "state Table33\n");
    EXPECT_EQ(out,
              "input Пароль: Введите пароль таблицы Prochie\\Prochie.DB -> cancel\n"
              "error: Неверный пароль таблицы Prochie\\Prochie.DB (таблица прочих)\n"
              "input Пароль: Введите пароль таблицы Prochie\\Prochie.DB -> другой\n"
              "Table33: browse, records 0, row 0, eof, bof, filter \"\" off, index \"\"\n");
}

}  // namespace
}  // namespace zelt
