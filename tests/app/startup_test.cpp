// Start-up and shutdown: the age rule, the refresh of every minor's and child's age, link keys and
// note files on the way, activation opening the always-open tables, and failures skipping steps.
#include "base/age.h"
#include "app/application.h"
#include "base/date.h"
#include "store/table_set.h"
#include "support/test_support.h"

#include <gtest/gtest.h>

#include <functional>
#include <new>
#include <stdexcept>

namespace zelt {
namespace {

TEST(AgeRule, WholeYearsOf365QuarterDays) {
    struct Case {
        const char* today;
        const char* birth;  // "" for a blank date of birth
        unsigned age;
    };
    const Case cases[] = {
        {"31.05.2006", "01.06.1990", 15},  // 5843 days
        {"01.06.2006", "01.06.1990", 16},  // 5844 / 365.25 = 16.0
        {"15.01.1990", "15.01.1989", 0},   // the rule, not the birthday, decides
        {"16.01.1990", "15.01.1989", 1},
        {"01.06.2006", "", 106},           // blank counts from 30.12.1899
        {"01.06.1990", "01.06.2006", 16},  // a birth in the future counts the same distance
    };
    for (const Case& c : cases) {
        const int birth = *c.birth ? *parseDate(c.birth) : 0;
        EXPECT_EQ(ageInYears(*parseDate(c.today), birth), c.age) << c.today << " " << c.birth;
    }
}

class StartupTest : public ::testing::Test {
protected:
    testing::DataDir dir;
    testing::RecordingUi ui;
    app::FixedClock clock{*parseDate("01.06.2006")};

    // Writes records without any hook, as another program version might have left them.
    void seed(const std::vector<std::pair<int, std::vector<std::pair<const char*, std::string>>>>& records) {
        store::Session s(dir.path());
        s.addPassword(app::kTablePassword);
        store::TableSet tables(s);
        for (int n = 1; n <= 48; ++n)
            if (tables.def(n).masterSource) tables.dataSource(tables.def(n).masterSource).setEnabled(false);
        for (const auto& [n, fields] : records) {
            store::Table& t = tables.table(n);
            t.open();
            t.append();
            for (const auto& [f, v] : fields) t.setText(f, v);
            t.post();
        }
    }
    std::vector<std::string> column(app::Application& a, int n, const char* field) {
        store::Table& t = a.mainWindow().table(n);
        std::vector<std::string> out;
        for (int r = 0; r < t.recordCount(); ++r) out.push_back(t.rowTexts(r, {t.fieldIndex(field)})[0]);
        return out;
    }
};

TEST_F(StartupTest, RefreshesEveryAgeGivesLinkKeysAndCreatesNoteFiles) {
    seed({{1, {{"F", "Первый"}, {"DR", "01.06.1990"}, {"L", "3"}}},  // Sv still 0
          {1, {{"F", "Второй"}, {"Sv", "2"}, {"DR", "31.05.1990"}}},
          {1, {{"F", "Без даты"}, {"Sv", "3"}}},
          {9, {{"Fm", "Мать"}, {"Sv", "1"}}},
          {9, {{"Fm", "Другая"}, {"Sv", "2"}}},
          {10, {{"Sv", "1"}, {"DR", "15.01.2000"}}},
          {10, {{"Sv", "2"}, {"DR", "01.06.2000"}}}});
    app::Application a(dir.path(), ui, clock);
    a.start();
    EXPECT_FALSE(ui.anyError());
    EXPECT_EQ(column(a, 1, "L"), (std::vector<std::string>{"16", "16", "106"}));
    EXPECT_EQ(column(a, 1, "Sv"), (std::vector<std::string>{"1", "2", "3"}));
    // The first record was shown before its first post, under the name 0.vrk; the others by Sv.
    for (const char* note : {"ZELT/0.vrk", "ZELT/2.vrk", "ZELT/3.vrk"}) EXPECT_TRUE(std::filesystem::exists(dir / note)) << note;
    // Children of both families were refreshed although no family was chosen.
    a.mainWindow().tables().dataSource(9).setEnabled(false);
    EXPECT_EQ(column(a, 10, "L"), (std::vector<std::string>{"6", "5"}));  // 2329 and 2191 days
    a.mainWindow().tables().dataSource(9).setEnabled(true);
    // The main window became active: the parents' and others' tables are open, and the
    // children's table follows the current family again.
    for (int n : {1, 9, 10, 33}) EXPECT_TRUE(a.mainWindow().table(n).active()) << n;
    EXPECT_EQ(a.mainWindow().table(10).recordCount(), 1);
    ASSERT_NE(a.form("TForm7"), nullptr);
    EXPECT_EQ(a.forms(), (std::vector<std::string>{"TForm1", "TForm2", "TForm3", "TForm4", "TForm5", "TForm6", "TForm7"}));
    EXPECT_EQ(a.form("TForm1")->caption, "Банк данных");
    EXPECT_TRUE(a.form("TForm1")->visible);
    EXPECT_FALSE(a.form("TForm5")->visible);
    EXPECT_EQ(a.forms().size(), 7u);

    a.stop();
    EXPECT_FALSE(a.running());
}

TEST_F(StartupTest, SecondStartOnTheSameDayChangesNoAge) {
    seed({{1, {{"Sv", "1"}, {"DR", "01.06.1990"}}}, {10, {{"Sv", "1"}, {"DR", "15.01.1989"}}}});
    for (int run = 0; run < 2; ++run) {
        app::Application a(dir.path(), ui, clock);
        a.start();
        EXPECT_EQ(column(a, 1, "L"), (std::vector<std::string>{"16"}));
        a.stop();
    }
    clock.set(*parseDate("02.06.2007"));  // 6210 days; the day before is still 16
    app::Application a(dir.path(), ui, clock);
    a.start();
    EXPECT_EQ(column(a, 1, "L"), (std::vector<std::string>{"17"}));
    EXPECT_FALSE(ui.anyError());
}

TEST_F(StartupTest, EmptyTablesPassTheRefresh) {
    app::Application a(dir.path(), ui, clock);
    a.start();
    EXPECT_TRUE(ui.shown.empty());
    EXPECT_EQ(a.mainWindow().table(1).recordCount(), 0);
}

TEST_F(StartupTest, FailedStepShowsTheErrorSkipsTheRestAndTheProgramRuns) {
    seed({{10, {{"Sv", "1"}, {"DR", "15.01.1989"}, {"L", "99"}}}});
    std::filesystem::remove(dir / "ZELT/ZELT.db");
    app::Application a(dir.path(), ui, clock);
    a.start();
    ASSERT_EQ(ui.shown.size(), 1u);
    EXPECT_NE(ui.shown[0].find("ZELT\\ZELT.db"), std::string::npos) << ui.shown[0];
    EXPECT_TRUE(a.running());
    EXPECT_EQ(a.forms().size(), 7u);
    // The open of Table1 failed, so Table10 was never opened and no child age was written.
    EXPECT_FALSE(a.mainWindow().table(10).active());
    EXPECT_TRUE(a.mainWindow().table(9).active());
    a.mainWindow().tables().dataSource(9).setEnabled(false);
    a.mainWindow().table(10).open();
    EXPECT_EQ(column(a, 10, "L"), (std::vector<std::string>{"99"}));
}

TEST_F(StartupTest, AnyExceptionInAHandlerShowsTheErrorBoxAndTheProgramGoesOn) {
    app::Application a(dir.path(), ui, clock);
    a.start();
    ui.shown.clear();
    const std::vector<std::pair<std::function<void()>, std::string>> cases = {
        {[] { throw std::out_of_range("map::at"); }, "error: Внутренняя ошибка программы (map::at)"},
        {[] { throw std::bad_alloc(); }, "error: Недостаточно памяти для выполнения операции"},
        {[] { throw 42; }, "error: Внутренняя ошибка программы"},
    };
    for (const auto& [handler, shown] : cases) {
        ui.shown.clear();
        EXPECT_FALSE(a.dispatch(handler));
        ASSERT_FALSE(ui.shown.empty());
        EXPECT_EQ(ui.shown[0], shown);
        EXPECT_TRUE(a.running());
    }
    // The next event runs as usual.
    ui.shown.clear();
    EXPECT_TRUE(a.dispatch([&] { a.model().fire("N49", "Click"); }));
    EXPECT_TRUE(ui.shown.empty()) << ui.shown[0];
}

TEST_F(StartupTest, ActivationShowsTheErrorEachTimeATableCannotOpen) {
    std::filesystem::remove(dir / "Prochie/Prochie.DB");
    app::Application a(dir.path(), ui, clock);
    a.start();
    a.mainWindow().formActivate();
    int errors = 0;
    for (const std::string& s : ui.shown) errors += s.find("Prochie") != std::string::npos;
    EXPECT_EQ(errors, 2);
    EXPECT_TRUE(a.mainWindow().table(9).active());
}

TEST_F(StartupTest, ShutdownClosesTheTables) {
    app::Application a(dir.path(), ui, clock);
    a.start();
    store::Session& s = a.mainWindow().session();
    EXPECT_EQ(s.networkControlDir().back(), std::filesystem::path::preferred_separator);
    EXPECT_EQ(std::filesystem::path(s.networkControlDir()).parent_path(),
              std::filesystem::absolute(dir.path()).lexically_normal());
    a.stop();
    // Closed files can be opened exclusively by anyone else now: no WAL left behind.
    EXPECT_FALSE(std::filesystem::exists(dir / "ZELT/ZELT.db-wal"));
}

}  // namespace
}  // namespace zelt
