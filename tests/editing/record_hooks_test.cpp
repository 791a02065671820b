// The record hooks as the main window attaches them: link key, filter warning, master post before
// a detail insert, cascade, note files, and the archive others' tables acting on themselves.
#include "app/main_window.h"
#include "base/error.h"
#include "editing/record_hooks.h"
#include "support/test_support.h"

#include <gtest/gtest.h>

#include <fstream>

namespace zelt {
namespace {

using store::Table;

class HooksTest : public ::testing::Test {
protected:
    testing::DataDir dir;
    testing::RecordingUi ui;
    app::FixedClock clock{40000};
    app::FormModel model;
    app::MainWindow w{dir.path(), ui, clock, model};

    void SetUp() override { w.session().addPassword(app::kTablePassword); }

    Table& t(int n) {
        Table& table = w.table(n);
        table.open();
        return table;
    }
    // A posted master record with the given surname; returns its Sv.
    double addMaster(int n, const char* field, const std::string& value) {
        Table& m = t(n);
        m.append();
        m.setText(field, value);
        m.post();
        return m.asNumber("Sv");
    }
    int stored(int n) {
        // Count through a second, unhooked object on the same file: what is on disk.
        store::Table raw(w.session(), "raw", w.table(n).fileName(), w.table(n).layout());
        raw.open();
        return raw.recordCount();
    }
};

TEST_F(HooksTest, FirstPostGivesMasterItsCounterAsLinkKeyAndLaterPostsKeepIt) {
    for (int master : {1, 9, 33, 41, 35}) {
        const char* field = master == 9 ? "Fm" : master == 41 ? "Naim" : "F";
        addMaster(master, field, "Первый");
        Table& m = t(master);
        m.append();
        m.setText(field, "Второй");
        m.post();
        EXPECT_EQ(m.state(), Table::State::Browse) << master;
        EXPECT_EQ(m.asNumber("Sv"), m.asNumber("N")) << master;
        const double sv = m.asNumber("Sv");
        m.edit();
        m.setText(field, "Изменён");
        m.post();
        EXPECT_EQ(m.asNumber("Sv"), sv) << master;
        // Stored, not only in the buffer: reread after a move.
        m.first();
        m.last();
        EXPECT_EQ(m.asNumber("Sv"), sv) << master;
    }
}

TEST_F(HooksTest, InsertUnderAnyFilterTextShowsWarningAndAddsNothing) {
    struct Case {
        int master;
        const char* warning;
    };
    for (const Case c : {Case{1, editing::kFilterWarningF1}, Case{9, editing::kFilterWarningF1},
                         Case{33, editing::kFilterWarningF1}, Case{41, editing::kFilterWarningF2},
                         Case{35, editing::kFilterWarningF1}}) {
        const char* field = c.master == 9 ? "Fm" : c.master == 41 ? "Naim" : "F";
        addMaster(c.master, field, "Есть");
        Table& m = t(c.master);
        m.setFilterText("(" + std::string(field) + "='Есть')");
        ASSERT_FALSE(m.filtered());  // filtering off: the text alone is enough
        ui.shown.clear();
        EXPECT_THROW(m.insert(), Aborted) << c.master;
        EXPECT_EQ(m.state(), Table::State::Browse);
        ASSERT_EQ(ui.shown.size(), 1u);
        EXPECT_EQ(ui.shown[0], std::string("message: ") + c.warning);
        EXPECT_EQ(stored(c.master), 1) << c.master;
        m.setFilterText("");
    }
}

TEST_F(HooksTest, EditOnFilteredEmptyMasterIsRefused) {
    Table& m = t(1);
    m.setFilterText("(F='Никто')");
    m.setFiltered(true);
    EXPECT_THROW(m.edit(), Aborted);
    EXPECT_EQ(stored(1), 0);
}

TEST_F(HooksTest, DetailInsertStoresAMasterBeingInsertedFirst) {
    Table& minors = t(1);
    Table& court = t(2);
    addMaster(1, "F", "Старый");
    minors.append();
    minors.setText("F", "Новиков");
    court.insert();  // the minor is still being inserted
    EXPECT_EQ(minors.state(), Table::State::Browse);
    const double sv = minors.asNumber("Sv");
    EXPECT_GT(sv, 0);
    EXPECT_EQ(minors.asText("F"), "Новиков");
    EXPECT_EQ(court.asNumber("Sv"), sv);
    court.setText("MeraSud", "Штраф");
    court.post();
    EXPECT_EQ(court.recordCount(), 1);
    EXPECT_EQ(stored(1), 2);
    EXPECT_EQ(stored(2), 1);
}

TEST_F(HooksTest, DetailInsertOnEmptyMasterFailsAndAddsNothing) {
    for (int detail : {2, 3, 4, 10, 11, 12, 34, 36}) {
        Table& d = t(detail);
        EXPECT_THROW(d.insert(), EngineError) << detail;
        EXPECT_EQ(d.state(), Table::State::Browse);
        EXPECT_EQ(stored(detail), 0) << detail;
    }
}

TEST_F(HooksTest, DeletingAFamilyDeletesExactlyItsDetails) {
    Table& families = t(9);
    const int details[] = {10, 11, 12};
    double svs[2];
    for (int k = 0; k < 2; ++k) {
        svs[k] = addMaster(9, "Fm", k == 0 ? "Иванова" : "Петрова");
        for (int d : details)
            for (int i = 0; i < 2; ++i) {
                t(d).append();
                t(d).post();
            }
    }
    // A walk left one detail at its end; the cascade still removes everything of the family.
    families.first();
    t(10).last();
    t(10).next();
    ASSERT_TRUE(t(10).eof());
    ASSERT_EQ(families.asNumber("Sv"), svs[0]);
    families.deleteRecord();
    EXPECT_EQ(stored(9), 1);
    for (int d : details) EXPECT_EQ(stored(d), 2) << d;
    EXPECT_EQ(families.asNumber("Sv"), svs[1]);
    for (int d : details) EXPECT_EQ(t(d).recordCount(), 2);
    // A family with no details deletes just the family.
    addMaster(9, "Fm", "Одна");
    families.deleteRecord();
    EXPECT_EQ(stored(9), 1);
    for (int d : details) EXPECT_EQ(stored(d), 2);
}

TEST_F(HooksTest, CascadeReachesClosedDetailTables) {
    addMaster(41, "Naim", "Школа № 1");
    t(43).append();
    t(43).setText("F", "Котов");
    t(43).post();
    w.table(43).close();
    t(41).deleteRecord();
    EXPECT_EQ(stored(43), 0);
    EXPECT_FALSE(w.table(43).active());
}

TEST_F(HooksTest, ArchiveOthersHooksActOnTheArchiveTablesOnly) {
    const double liveSv = addMaster(33, "F", "Живой");
    t(34).append();
    t(34).post();
    // A live filter does not stop an archive insert; the archive's own filter does.
    t(33).setFilterText("(F='Живой')");
    const double archSv = addMaster(35, "F", "Архивный");
    EXPECT_EQ(t(35).asNumber("Sv"), t(35).asNumber("N"));
    t(36).append();
    EXPECT_EQ(t(36).asNumber("Sv"), archSv);
    t(36).post();
    t(35).deleteRecord();
    EXPECT_EQ(stored(35), 0);
    EXPECT_EQ(stored(36), 0);
    EXPECT_EQ(stored(33), 1);
    EXPECT_EQ(stored(34), 1);
    EXPECT_EQ(t(33).asNumber("Sv"), liveSv);
}

TEST_F(HooksTest, ShowingARecordCreatesItsMissingNoteFile) {
    struct Case {
        int master;
        const char* field;
        const char* dir;
    };
    for (const Case c : {Case{1, "F", "ZELT"}, Case{9, "Fm", "BDS"}, Case{33, "F", "Prochie"}, Case{41, "Naim", "Uch"}}) {
        const double sv = addMaster(c.master, c.field, "Запись");
        const auto note = dir / (std::string(c.dir) + "/" + std::to_string(static_cast<long long>(sv)) + ".vrk");
        std::filesystem::remove(note);
        t(c.master).first();
        EXPECT_TRUE(std::filesystem::exists(note)) << note;
        EXPECT_EQ(std::filesystem::file_size(note), 0u);
        EXPECT_EQ(w.shownNoteFile(c.master), note);
    }
    // An archive master's note lives in the archive directory; an unposted record uses 0.vrk.
    t(5);
    t(1).append();
    EXPECT_TRUE(std::filesystem::exists(dir / "ZELT/0.vrk"));
}

TEST_F(HooksTest, ExistingNoteFileIsLeftAsItIs) {
    const double sv = addMaster(1, "F", "Заметка");
    const auto note = dir / ("ZELT/" + std::to_string(static_cast<long long>(sv)) + ".vrk");
    { std::ofstream(note) << "{\\rtf1 x}"; }
    t(1).first();
    EXPECT_EQ(testing::readFile(note), "{\\rtf1 x}");
}

// The notes walk does to the note files what a walk over the records shown does through the hook:
// the missing notes of the records shown made empty, a note spelt in another case or holding text
// left alone, a record not shown left without one, and the cursor past the last record shown.
TEST_F(HooksTest, NotesWalkMakesTheNotesAWalkWouldMake) {
    std::vector<long long> sv;
    for (const char* name : {"Первый", "Второй", "Третий", "Скрытый", "Четвёртый"})
        sv.push_back(static_cast<long long>(addMaster(1, "F", name)));
    const auto note = [&](size_t k, const char* ext) { return dir / ("ZELT/" + std::to_string(sv[k]) + ext); };
    for (size_t k = 0; k < sv.size(); ++k) std::filesystem::remove(note(k, ".vrk"));
    { std::ofstream(note(1, ".VRK")) << "{\\rtf1 b}"; }
    { std::ofstream(note(2, ".vrk")) << "{\\rtf1 c}"; }
    Table& m = t(1);
    m.setFilterText("F<>'Скрытый'");
    m.setFiltered(true);
    editing::walkNoteFiles(w.tables(), 1);
    EXPECT_TRUE(m.eof());
    EXPECT_EQ(m.asText("F"), "Четвёртый");
    EXPECT_EQ(w.shownNoteFile(1), note(4, ".vrk"));
    for (size_t k : {0, 4}) {
        EXPECT_TRUE(std::filesystem::exists(note(k, ".vrk"))) << k;
        EXPECT_EQ(std::filesystem::file_size(note(k, ".vrk")), 0u) << k;
    }
    EXPECT_FALSE(std::filesystem::exists(note(1, ".vrk")));
    EXPECT_EQ(testing::readFile(note(1, ".VRK")), "{\\rtf1 b}");
    EXPECT_EQ(testing::readFile(note(2, ".vrk")), "{\\rtf1 c}");
    EXPECT_FALSE(std::filesystem::exists(note(3, ".vrk")));

    // Nothing shown: the cursor stands where first() leaves it, on no record.
    m.setFilterText("F='Нет'");
    m.setFiltered(true);
    editing::walkNoteFiles(w.tables(), 1);
    EXPECT_TRUE(m.eof());
    EXPECT_TRUE(m.isEmpty());
}

}  // namespace
}  // namespace zelt
