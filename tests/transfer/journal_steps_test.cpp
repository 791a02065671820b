// The journal steps a merge uses: a record put back as it was stored, through the journal file
// and back, with texts holding tabs, line ends and percent signs; details deleted up to a counter;
// a note replaced only by a note that exists.
#include "app/main_window.h"
#include "store/intent_journal.h"
#include "store/intent_recovery.h"
#include "store/table_set.h"
#include "support/test_support.h"

#include <gtest/gtest.h>

#include <fstream>

namespace zelt {
namespace {

namespace fs = std::filesystem;

TEST(JournalSteps, RestorePutsBackTheStoredRecordThroughTheJournalFile) {
    testing::DataDir dir;
    testing::seedRecords(dir.path(), 1, {{{"F", "Иванов"}, {"Dosug", "строка 1\r\nс\tтабом и 100% правды"}, {"L", "16"},
                                          {"DR", "01.02.1990"}}});
    store::Session s(dir.path());
    s.addPassword(app::kTablePassword);
    std::vector<store::IntentAction> undo = store::restoreActions(s, "ZELT\\ZELT.db", {1, 99});
    ASSERT_EQ(undo.size(), 1u);  // no record 99
    store::IntentJournal journal(dir.path());
    journal.write({"test", false, undo, {}});
    const std::optional<store::Intent> read = journal.read();
    ASSERT_TRUE(read);
    {
        store::TableSet tables(s);
        store::Table& t = tables.table(1);
        t.open();
        t.edit();
        t.setText("F", "Петров");
        t.setText("Dosug", "");
        t.setText("L", "3");
        t.setText("DR", "");
        t.post();
    }
    store::runIntentActions(s, read->undo);
    store::TableSet tables(s);
    store::Table& t = tables.table(1);
    t.open();
    EXPECT_EQ(t.asText("F"), "Иванов");
    EXPECT_EQ(t.asText("Dosug"), "строка 1\r\nс\tтабом и 100% правды");
    EXPECT_EQ(t.asText("L"), "16");
    EXPECT_EQ(t.asText("DR"), "01.02.1990");
    EXPECT_EQ(t.asText("Sv"), "1");
}

TEST(JournalSteps, DeleteUpToACounterAndReplaceNote) {
    testing::DataDir dir;
    testing::seedRecords(dir.path(), 2, {{{"Sv", "1"}, {"MeraSud", "старое"}}, {{"Sv", "2"}, {"MeraSud", "чужое"}},
                                         {{"Sv", "1"}, {"MeraSud", "новое"}}});
    std::ofstream(dir / "ZELT/1.vrk") << "own";
    std::ofstream(dir / "ZELT/2.vrk") << "own two";
    fs::create_directories(dir / "Perenos/ZELT");
    std::ofstream(dir / "Perenos/ZELT/7.vrk") << "came";
    store::Session s(dir.path());
    s.addPassword(app::kTablePassword);
    using K = store::IntentAction::Kind;
    const std::vector<store::IntentAction> steps = {
        {K::Delete, {"PNU\\PNU.db", "Sv", "1", "2"}},
        {K::ReplaceNote, {"Perenos\\ZELT\\7.vrk", "ZELT\\1.vrk"}},
        {K::ReplaceNote, {"Perenos\\ZELT\\8.vrk", "ZELT\\2.vrk"}},  // no such note: his own stays
    };
    store::runIntentActions(s, steps);
    store::runIntentActions(s, steps);  // twice is once
    store::TableSet tables(s);
    tables.dataSource(1).setEnabled(false);
    store::Table& t = tables.table(2);
    t.open();
    std::string left;
    for (t.first(); !t.eof(); t.next()) left += t.asText("MeraSud") + ";";
    EXPECT_EQ(left, "новое;чужое;");
    EXPECT_EQ(testing::readFile(dir / "ZELT/1.vrk"), "came");
    EXPECT_EQ(testing::readFile(dir / "ZELT/2.vrk"), "own two");
}

}  // namespace
}  // namespace zelt
