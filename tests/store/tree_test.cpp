// Tests of the table tree: stored file and note-file names, the 48 table objects with their master
// links and indexes, the batch-append pairs, and the files an empty tree creates on disk.
#include "fixture.h"

#include "base/error.h"
#include "store/layout.h"
#include "store/table_file.h"

#include <fstream>
#include <iterator>
#include <set>
#include <string>
#include <vector>

namespace zelt::store::testing {
namespace {

std::set<std::filesystem::path> everythingUnder(const std::filesystem::path& dir) {
    std::set<std::filesystem::path> out;
    for (const auto& e : std::filesystem::recursive_directory_iterator(dir)) out.insert(e.path());
    return out;
}

// ---------------------------------------------------------------------------------------------
// Names

TEST(TreeNames, TableFilesLieInTheirOwnDirectoryUnderTheCopyPrefix) {
    struct Case {
        Copy copy;
        const char* table;
        const char* file;
        const char* dir;
    };
    const Case cases[] = {
        {Copy::Live, "ZELT", "ZELT\\ZELT.db", "ZELT\\"},
        {Copy::Archive, "PNU", "Arxiv\\PNU\\PNU.db", "Arxiv\\PNU\\"},
        {Copy::Transfer, "SD", "Perenos\\SD\\SD.db", "Perenos\\SD\\"},
        {Copy::TransferArchive, "BDS", "Perenos\\Arxiv\\BDS\\BDS.db", "Perenos\\Arxiv\\BDS\\"},
        {Copy::Live, "Prochie", "Prochie\\Prochie.DB", "Prochie\\"},
        {Copy::TransferArchive, "Prochie", "Perenos\\Arxiv\\Prochie\\Prochie.DB", "Perenos\\Arxiv\\Prochie\\"},
        {Copy::Live, "Uch", "Uch\\Uch.DB", "Uch\\"},
        {Copy::Live, "PKOU", "PKOU\\PKOU.DB", "PKOU\\"},
        {Copy::Archive, "PKOP", "Arxiv\\PKOP\\PKOP.db", "Arxiv\\PKOP\\"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.file);
        EXPECT_EQ(tableFileName(c.copy, c.table), c.file);
        EXPECT_EQ(tableDirName(c.copy, c.table), c.dir);
    }
}

TEST(TreeNames, NoteFilesAreNamedAfterTheLinkKeyBesideTheMasterTable) {
    struct Case {
        Copy copy;
        const char* table;
        long long sv;
        const char* file;
    };
    const Case cases[] = {
        {Copy::Live, "ZELT", 12, "ZELT\\12.vrk"},
        {Copy::Archive, "BDS", 7, "Arxiv\\BDS\\7.vrk"},
        {Copy::Transfer, "Prochie", 3, "Perenos\\Prochie\\3.vrk"},
        {Copy::TransferArchive, "ZELT", 100000, "Perenos\\Arxiv\\ZELT\\100000.vrk"},
        {Copy::Live, "Uch", 5, "Uch\\5.vrk"},
        {Copy::Live, "BDS", 0, "BDS\\0.vrk"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.file);
        EXPECT_EQ(noteFileName(c.copy, c.table, c.sv), c.file);
    }
}

TEST(TreeNames, StoredNamesResolveToWhatExistsWhateverItsCase) {
    TempDir dir;
    std::filesystem::create_directories(dir.path() / "PROCHIE");
    std::ofstream(dir.path() / "PROCHIE" / "prochie.db");
    std::filesystem::create_directories(dir.path() / "Arxiv");
    EXPECT_EQ(resolvePath(dir.path(), "Prochie\\Prochie.DB"), dir.path() / "PROCHIE" / "prochie.db");
    EXPECT_EQ(resolvePath(dir.path(), "arxiv\\PNU\\PNU.db"), dir.path() / "Arxiv" / "PNU" / "PNU.db");
    EXPECT_EQ(resolvePath(dir.path(), "Uch\\Uch.DB"), dir.path() / "Uch" / "Uch.DB");
}

// ---------------------------------------------------------------------------------------------
// Table objects

struct ObjectCase {
    int number;
    Copy copy;
    const char* table;
    int master;
    std::vector<std::string> masterFields;
    const char* index;
    const char* file;
};

const ObjectCase kObjects[] = {
    {1, Copy::Live, "ZELT", 0, {}, "", "ZELT\\ZELT.db"},
    {2, Copy::Live, "PNU", 1, {"Sv"}, "Sv1", "PNU\\PNU.db"},
    {4, Copy::Live, "PIR", 1, {"Sv"}, "Sv1", "PIR\\PIR.db"},
    {5, Copy::Archive, "ZELT", 0, {}, "", "Arxiv\\ZELT\\ZELT.db"},
    {8, Copy::Archive, "PIR", 5, {"Sv"}, "Sv1", "Arxiv\\PIR\\PIR.db"},
    {10, Copy::Live, "SD", 9, {"Sv"}, "Sv1", "SD\\SD.db"},
    {16, Copy::Archive, "PR", 13, {"Sv"}, "Sv1", "Arxiv\\PR\\PR.db"},
    {17, Copy::Transfer, "ZELT", 0, {}, "", "Perenos\\ZELT\\ZELT.db"},
    {23, Copy::Transfer, "PKOR", 21, {"Sv"}, "Sv1", "Perenos\\PKOR\\PKOR.db"},
    {28, Copy::TransferArchive, "PIR", 25, {"Sv"}, "Sv1", "Perenos\\Arxiv\\PIR\\PIR.db"},
    {29, Copy::TransferArchive, "BDS", 0, {}, "", "Perenos\\Arxiv\\BDS\\BDS.db"},
    {33, Copy::Live, "Prochie", 0, {}, "", "Prochie\\Prochie.DB"},
    {34, Copy::Live, "PKOP", 33, {"Sv"}, "Sv1", "PKOP\\PKOP.db"},
    {36, Copy::Archive, "PKOP", 35, {"Sv"}, "Sv1", "Arxiv\\PKOP\\PKOP.db"},
    {39, Copy::TransferArchive, "Prochie", 0, {}, "", "Perenos\\Arxiv\\Prochie\\Prochie.DB"},
    {40, Copy::TransferArchive, "PKOP", 39, {"Sv"}, "Sv1", "Perenos\\Arxiv\\PKOP\\PKOP.db"},
    {41, Copy::Live, "Uch", 0, {}, "", "Uch\\Uch.DB"},
    {42, Copy::Archive, "Uch", 0, {}, "", "Arxiv\\Uch\\Uch.DB"},
    {43, Copy::Live, "PKOU", 41, {"Sv", "Naim"}, "SvNaim", "PKOU\\PKOU.DB"},
};

TEST_F(StoreTest, TableObjectsAreBoundAndLinkedAsTheMainWindowHasThem) {
    for (const ObjectCase& c : kObjects) {
        SCOPED_TRACE("Table" + std::to_string(c.number));
        const TableObjectDef& d = tableObject(c.number);
        EXPECT_EQ(d.number, c.number);
        EXPECT_EQ(d.copy, c.copy);
        EXPECT_STREQ(d.table, c.table);
        EXPECT_EQ(d.masterSource, c.master);
        EXPECT_EQ(std::vector<std::string>(d.masterFields.begin(), d.masterFields.end()), c.masterFields);
        EXPECT_STREQ(d.index, c.index);

        Table& tb = t(c.number);
        EXPECT_EQ(tb.name(), "Table" + std::to_string(c.number));
        EXPECT_EQ(tb.fileName(), c.file);
        EXPECT_STREQ(tb.layout().name, c.table);
        EXPECT_EQ(tb.indexName(), c.index);
        EXPECT_EQ(tb.masterSource(), c.master ? &tables_->dataSource(c.master) : nullptr);
        EXPECT_EQ(&tables_->dataSource(c.number).table(), &tb);
        EXPECT_EQ(tables_->numberOf(tb), c.number);
        EXPECT_FALSE(tb.active());
    }
}

TEST(TreeObjects, FortyEightObjectsWhoseDetailsFollowAMasterOfTheirOwnCopy) {
    const auto& objects = tableObjects();
    ASSERT_EQ(objects.size(), 48u);
    for (size_t i = 0; i < objects.size(); ++i) {
        const TableObjectDef& d = objects[i];
        SCOPED_TRACE("Table" + std::to_string(d.number));
        EXPECT_EQ(d.number, static_cast<int>(i + 1));
        if (d.masterSource == 0) {
            EXPECT_TRUE(d.masterFields.empty());
            continue;
        }
        const TableObjectDef& m = tableObject(d.masterSource);
        EXPECT_TRUE(isMasterTable(m.table));
        EXPECT_FALSE(isMasterTable(d.table));
        EXPECT_EQ(m.copy, d.copy);
        EXPECT_STREQ(d.masterFields.at(0), "Sv");
    }
    EXPECT_THROW(tableObject(0), EngineError);
    EXPECT_THROW(tableObject(49), EngineError);
}

TEST(TreeObjects, TenBatchPairsMoveLiveTablesIntoTheirArchive) {
    struct Pair {
        int source;
        int destination;
    };
    const Pair expected[] = {{1, 5}, {2, 6}, {3, 7}, {4, 8}, {9, 13}, {10, 14}, {11, 15}, {12, 16}, {33, 35}, {34, 36}};
    const auto& pairs = batchPairs();
    ASSERT_EQ(pairs.size(), std::size(expected));
    for (size_t i = 0; i < pairs.size(); ++i) {
        SCOPED_TRACE("BatchMove" + std::to_string(i + 1));
        EXPECT_EQ(pairs[i].number, static_cast<int>(i + 1));
        EXPECT_EQ(pairs[i].source, expected[i].source);
        EXPECT_EQ(pairs[i].destination, expected[i].destination);
        const TableObjectDef& s = tableObject(pairs[i].source);
        const TableObjectDef& d = tableObject(pairs[i].destination);
        EXPECT_EQ(s.copy, Copy::Live);
        EXPECT_EQ(d.copy, Copy::Archive);
        EXPECT_STREQ(s.table, d.table);
    }
}

// ---------------------------------------------------------------------------------------------
// Files on disk

TEST_F(StoreTest, EveryTreeFileExistsWithTheLayoutsColumnsAndItsIndexes) {
    const std::vector<std::string> names = treeFileNames();
    EXPECT_EQ(std::set<std::string>(names.begin(), names.end()).size(), names.size());
    std::set<std::string> bound;
    for (const TableObjectDef& d : tableObjects()) bound.insert(tableFileName(d.copy, d.table));
    EXPECT_EQ(std::set<std::string>(names.begin(), names.end()), bound);

    for (const TableObjectDef& d : tableObjects()) {
        const std::string name = tableFileName(d.copy, d.table);
        SCOPED_TRACE(name);
        const auto path = resolvePath(dir(), name);
        ASSERT_TRUE(std::filesystem::is_regular_file(path));
        RawFile raw(path);
        const Layout& layout = layoutNamed(d.table);
        Rows expected;
        for (const FieldDef& f : layout.fields)
            expected.push_back({f.name, columnType(f.type), f.type == FieldType::AutoInc ? "1" : "0"});
        EXPECT_EQ(raw.rows(std::string("SELECT name, type, pk FROM pragma_table_info('") + layout.name + "')"),
                  expected);
        for (const IndexDef& ix : indexesOf(d.copy, d.table)) {
            SCOPED_TRACE(ix.name);
            EXPECT_EQ(raw.column("SELECT name FROM pragma_index_info('" + ix.name + "')"), ix.fields);
        }
    }
}

TEST(TreeFiles, CreatingRefusesADirectoryThatAlreadyHoldsATableAndCreatesNothing) {
    struct Case {
        const char* stored;  // the name the tree gives the file
        const char* onDisk;  // how the file that is already there is spelled
    };
    const Case cases[] = {
        {"Perenos\\Uch\\Uch.DB", "Perenos/Uch/Uch.DB"},
        {"ZELT\\ZELT.db", "zelt/zelt.db"},
        {"Perenos\\Arxiv\\PKOP\\PKOP.db", "PERENOS/arxiv/Pkop/PKOP.DB"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.onDisk);
        TempDir dir;
        const std::string base = std::filesystem::path(c.onDisk).parent_path().filename().string();
        createTableFile(dir.path() / c.onDisk, c.stored, layoutNamed(base), {}, kPassword);
        const auto before = everythingUnder(dir.path());
        EXPECT_THROW(createTableTree(dir.path(), kPassword), EngineError);
        EXPECT_EQ(everythingUnder(dir.path()), before);
    }
}

}  // namespace
}  // namespace zelt::store::testing
