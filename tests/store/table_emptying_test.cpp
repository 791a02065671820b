// Emptying a group of table files: every file checked before any is emptied, counters kept, and a
// group cut short by a failure finished from its journal of intent.
#include "fixture.h"

#include "store/intent_journal.h"
#include "store/intent_recovery.h"
#include "store/table_emptying.h"
#include "support/full_disk.h"

namespace zelt::store::testing {
namespace {

namespace fs = std::filesystem;

class TableEmptyingTest : public StoreTest {
protected:
    // Two records in each of the minors' live tables.
    void seed() {
        for (int n : {1, 2, 3, 4}) {
            Table& table = t(n);
            table.open();
            add(table, {{"Sv", "1"}});
            add(table, {{"Sv", "2"}});
            table.close();
        }
    }
    std::string count(int n) { return RawFile(fileOf(n)).scalar(std::string("SELECT count(*) FROM ") + t(n).layout().name); }
    std::vector<std::string> files() {
        std::vector<std::string> out;
        for (int n : {1, 2, 3, 4}) out.push_back(t(n).fileName());
        return out;
    }
};

TEST_F(TableEmptyingTest, EveryRecordGoesAndTheCounterStays) {
    seed();
    emptyTableFiles(*session_, "Очистить таблицу несовершеннолетних", files());
    for (int n : {1, 2, 3, 4}) EXPECT_EQ(count(n), "0") << n;
    EXPECT_FALSE(IntentJournal(dir()).pending());
    t(1).open();
    EXPECT_EQ(add(t(1), {{"F", "Новый"}}), 3);
    EXPECT_EQ(RawFile(fileOf(2)).scalar("SELECT name FROM sqlite_master WHERE name = 'Sv1'"), "Sv1");
}

TEST_F(TableEmptyingTest, AFileThatCannotBeUsedIsFoundBeforeAnyIsEmptied) {
    seed();
    fs::remove(fileOf(4));
    EXPECT_THROW(emptyTableFiles(*session_, "Очистить", files()), EngineError);
    for (int n : {1, 2, 3}) EXPECT_EQ(count(n), "2") << n;
    EXPECT_FALSE(IntentJournal(dir()).pending());
}

TEST_F(TableEmptyingTest, AGroupCutShortByAFullDiskIsFinishedFromItsJournal) {
    seed();
    {
        zelt::testing::FullDisk disk;
        disk.fill();
        EXPECT_THROW(emptyTableFiles(*session_, "Очистить", files()), EngineError);
    }
    ASSERT_TRUE(IntentJournal(dir()).pending());
    EXPECT_TRUE(recoverPendingIntent(*session_));
    for (int n : {1, 2, 3, 4}) EXPECT_EQ(count(n), "0") << n;
    EXPECT_FALSE(IntentJournal(dir()).pending());
}

}  // namespace
}  // namespace zelt::store::testing
