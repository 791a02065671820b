// List files: line ends of every kind, values taken whole, cp1251 at the file boundary, creation of
// a missing file, and writing that never leaves a half-written file behind.
#include "base/error.h"
#include "base/text.h"
#include "editing/list_file.h"
#include "support/test_support.h"

#include <fstream>
#include <gtest/gtest.h>
#include <unistd.h>

namespace zelt {
namespace {

using Lines = std::vector<std::string>;

class ListFileTest : public ::testing::Test {
protected:
    zelt::testing::TempDir folder{"zelt-list"};
    const std::filesystem::path dir = folder.path();
    void put(const std::string& name, const std::string& bytes) {
        std::ofstream(dir / name, std::ios::binary) << bytes;
    }
    // The error of `f`, or "" when it did not throw.
    template <class F>
    static std::string errorOf(F f) {
        try {
            f();
        } catch (const EngineError& e) {
            return e.what();
        }
        return "";
    }
};

TEST_F(ListFileTest, EveryLineIsOneValueWhatEverEndsIt) {
    struct Case {
        const char* what;
        std::string bytes;
        Lines lines;
    };
    const Case cases[] = {
        {"CR LF", "один\r\nдва\r\n", {"один", "два"}},
        {"no final line end", "один\r\nдва", {"один", "два"}},
        {"lone CR", "один\rдва\r", {"один", "два"}},
        {"lone LF", "один\nдва\n", {"один", "два"}},
        {"LF then CR LF", "a\n\r\nb", {"a", "", "b"}},
        {"CR then CR LF", "a\r\r\nb", {"a", "", "b"}},
        {"empty lines kept", "\r\n\r\nx\r\n\r\n", {"", "", "x", ""}},
        {"one empty line", "\r\n", {""}},
        {"empty file", "", {}},
        {"blanks kept", "  ул. Ленина \r\n\t\r\n", {"  ул. Ленина ", "\t"}},
        {"duplicates in file order", "б\r\nа\r\nб\r\n", {"б", "а", "б"}},
    };
    for (const Case& c : cases) {
        // The cases are written in UTF-8 for reading; the file holds cp1251.
        put("list.vrk", cp1251FromUtf8(c.bytes));
        EXPECT_EQ(editing::readListFile(dir / "list.vrk"), c.lines) << c.what;
    }
}

TEST_F(ListFileTest, Cp1251BytesBecomeUtf8) {
    put("obl.vrk", "\xCC\xEE\xF1\xEA\xEE\xE2\xF1\xEA\xE0\xFF\r\n\xB8\xEB\xEA\xE0\r\nN\xB9\x98\r\n");
    EXPECT_EQ(editing::readListFile(dir / "obl.vrk"), (Lines{"Московская", "ёлка", "N№\xEF\xBF\xBD"}));
}

TEST_F(ListFileTest, MissingFileIsCreatedEmpty) {
    EXPECT_EQ(editing::readListFile(dir / "ul.vrk"), Lines{});
    ASSERT_TRUE(std::filesystem::is_regular_file(dir / "ul.vrk"));
    EXPECT_EQ(std::filesystem::file_size(dir / "ul.vrk"), 0u);
    EXPECT_EQ(editing::firstLine(dir / "setup.vrk"), "");
    EXPECT_TRUE(std::filesystem::exists(dir / "setup.vrk"));
}

TEST_F(ListFileTest, FirstLineIsTheFirstValueEvenWhenEmpty) {
    put("a.vrk", "7\r\n5\r\n");
    EXPECT_EQ(editing::firstLine(dir / "a.vrk"), "7");
    put("b.vrk", "\r\n7\r\n");
    EXPECT_EQ(editing::firstLine(dir / "b.vrk"), "");
}

TEST_F(ListFileTest, FileThatCannotBeCreatedOrReadNamesItself) {
    const std::string created = errorOf([&] { editing::readListFile(dir / "missing" / "gorod.vrk"); });
    EXPECT_NE(created.find("gorod.vrk"), std::string::npos) << created;
    EXPECT_FALSE(std::filesystem::exists(dir / "missing"));
    // A folder in the file's place opens on some systems but cannot be read.
    std::filesystem::create_directory(dir / "obl.vrk");
    const std::string read = errorOf([&] { editing::firstLine(dir / "obl.vrk"); });
    EXPECT_NE(read.find("obl.vrk"), std::string::npos) << read;
}

TEST_F(ListFileTest, WritingReplacesTheContentWithCp1251Lines) {
    put("setup.vrk", "старое длинное содержимое\r\nещё\r\n");
    editing::writeListFile(dir / "setup.vrk", {"Москва", "", "№ 5", "日"});
    EXPECT_EQ(testing::readFile(dir / "setup.vrk"), "\xCC\xEE\xF1\xEA\xE2\xE0\r\n\r\n\xB9 5\r\n?\r\n");
    EXPECT_EQ(editing::readListFile(dir / "setup.vrk"), (Lines{"Москва", "", "№ 5", "?"}));
    editing::writeListFile(dir / "setup.vrk", {});
    EXPECT_EQ(testing::readFile(dir / "setup.vrk"), "");
    editing::writeListFile(dir / "new.vrk", {"7"});
    EXPECT_EQ(testing::readFile(dir / "new.vrk"), "7\r\n");
    // Only the two files remain: no temporary file is left beside them.
    int entries = 0;
    for (const auto& e : std::filesystem::directory_iterator(dir)) {
        (void)e;
        ++entries;
    }
    EXPECT_EQ(entries, 2);
}

TEST_F(ListFileTest, FailedWriteLeavesWhatWasThere) {
    std::filesystem::create_directory(dir / "setup.vrk");
    put("setup.vrk/inner", "x");
    const std::string error = errorOf([&] { editing::writeListFile(dir / "setup.vrk", {"7"}); });
    EXPECT_NE(error.find("setup.vrk"), std::string::npos) << error;
    EXPECT_EQ(testing::readFile(dir / "setup.vrk" / "inner"), "x");
    EXPECT_FALSE(std::filesystem::exists(dir / "setup.vrk.~tmp"));
    const std::string noFolder = errorOf([&] { editing::writeListFile(dir / "none" / "a.vrk", {"7"}); });
    EXPECT_NE(noFolder.find("a.vrk"), std::string::npos) << noFolder;
}

}  // namespace
}  // namespace zelt
