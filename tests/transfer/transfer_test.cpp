// Merging the transfer copy into the local tables, end to end through the script driver: who is
// found, what is carried, details and note files, the archives, the filters, and files from
// outside that are damaged or of another layout.
#include "app/main_window.h"
#include "editing/record_hooks.h"
#include "store/safety_copy.h"
#include "store/table_set.h"
#include "support/script_support.h"
#include "support/test_support.h"

#include <gtest/gtest.h>

#include <fstream>
#include <map>

namespace zelt {
namespace {

using testing::Fields;
namespace fs = std::filesystem;

class TransferTest : public ::testing::Test {
protected:
    testing::DataDir dir;

    void seed(int table, const std::vector<Fields>& records) { testing::seedRecords(dir.path(), table, records); }
    std::string run(const std::string& script) { return testing::runScript(dir.path(), script); }
    void note(const std::string& rel, const std::string& text) {
        fs::create_directories((dir / rel).parent_path());
        std::ofstream(dir / rel, std::ios::binary) << text;
    }
    std::string noteText(const std::string& rel) {
        return fs::exists(dir / rel) ? testing::readFile(dir / rel) : std::string("(none)");
    }
    // The texts of `fields` of every stored record of table object `table`, in counter order, one
    // line each, with every master link lifted.
    std::string stored(int table, const std::vector<std::string>& fields) { return storedIn(dir.path(), table, fields); }
    static std::string storedIn(const fs::path& where, int table, const std::vector<std::string>& fields) {
        store::Session s(where);
        s.addPassword(app::kTablePassword);
        store::TableSet tables(s);
        for (int n = 1; n <= 48; ++n) tables.dataSource(n).setEnabled(false);
        store::Table& t = tables.table(table);
        t.open();
        std::string out;
        for (t.first(); !t.eof(); t.next()) {
            for (size_t i = 0; i < fields.size(); ++i) out += (i ? "\t" : "") + t.asText(fields[i]);
            out += "\n";
        }
        return out;
    }
    // The transfer run from the minors' register, with what the tables hold afterwards.
    std::string transfer(const std::string& after) { return run("click N49\nanswer yes\nclick N124\n" + after); }
};

const char* const kConfirm = "confirm Подтвердите!: Перенести данные? -> yes\nwindow: TForm7\n";

TEST_F(TransferTest, EmptyTransferTreeReopensTheShownRegister) {
    seed(1, {{{"F", "Свой"}, {"I", "Иван"}}});
    const std::string out = transfer(
        "show TForm7\nstate Table1\nstate Table5\nstate Table9\nstate Table33\nstate Table17\ndump Table1 F\n");
    EXPECT_EQ(out, std::string(kConfirm) +
                       "TForm7: \"Перенос данных в БД\" hidden\n"
                       "Table1: browse, records 1, row 1, bof, filter \"\" off, index \"\"\n"
                       "Table5: browse, records 0, row 0, eof, bof, filter \"\" off, index \"\"\n"
                       "Table9: closed, filter \"\" off, index \"\"\n"
                       "Table33: closed, filter \"\" off, index \"\"\n"
                       "Table17: closed, filter \"\" off, index \"\"\n"
                       "Свой\n");
}

TEST_F(TransferTest, FamiliesTabReopensTheFamilies) {
    const std::string out = run("click N50\nanswer yes\nclick N124\nstate Table1\nstate Table13\nstate Table33\n");
    EXPECT_NE(out.find("Table1: closed"), std::string::npos) << out;
    EXPECT_NE(out.find("Table13: browse"), std::string::npos) << out;
    EXPECT_NE(out.find("Table33: closed"), std::string::npos) << out;
}

TEST_F(TransferTest, InstitutionsTabReopensNothing) {
    seed(41, {{{"Naim", "Школа 1"}}});
    seed(17, {{{"F", "Чужой"}, {"I", "Пётр"}}});
    std::string script = "click N154\nanswer yes\nclick N124\n";
    for (int n : {1, 2, 5, 9, 13, 17, 33, 35, 41}) script += "state Table" + std::to_string(n) + "\n";
    const std::string out = run(script);
    // Every table the merge touched is closed; the institutions' own tables are as they were.
    for (int n : {1, 2, 5, 9, 13, 17, 33, 35})
        EXPECT_NE(out.find("Table" + std::to_string(n) + ": closed"), std::string::npos) << n << "\n" << out;
    EXPECT_NE(out.find("Table41: browse, records 1,"), std::string::npos) << out;
    EXPECT_EQ(stored(1, {"F"}), "Чужой\n");  // the merge itself ran
}

TEST_F(TransferTest, AnswerNoChangesNothing) {
    seed(17, {{{"F", "Чужой"}, {"I", "Пётр"}}});
    const std::string out = run("click N49\nanswer no\nclick N124\ndump Table1 F\n");
    EXPECT_EQ(out, "confirm Подтвердите!: Перенести данные? -> no\n");
}

TEST_F(TransferTest, MinorFoundByNamePatronymicAndBirthDateTakesEverything) {
    seed(1, {{{"F", "Старый"}, {"I", "Иван"}, {"O", "Иванович"}, {"DR", "01.02.1990"}, {"Zan", "Школа"}},
             {{"F", "Другой"}, {"I", "Олег"}, {"O", "Иванович"}, {"DR", "01.02.1990"}}});
    seed(2, {{{"Sv", "1"}, {"MeraSud", "Штраф"}}, {{"Sv", "1"}, {"MeraSud", "Арест"}}, {{"Sv", "2"}, {"MeraSud", "Чужое"}}});
    note("ZELT/1.vrk", "{\\rtf1 old}");
    note("ZELT/2.vrk", "{\\rtf1 other}");
    // In the transfer copy the same minor is Sv 5, with a new surname, one court record and a note.
    seed(17, {{{"Sv", "5"}, {"F", "Новый"}, {"I", "Иван"}, {"O", "Иванович"}, {"DR", "01.02.1990"}, {"Zan", "Работа"}},
              {{"Sv", "6"}, {"F", "Пришлый"}, {"I", "Яков"}, {"O", "Петрович"}, {"DR", "03.04.1991"}}});
    seed(18, {{{"Sv", "5"}, {"MeraSud", "Условно"}}, {{"Sv", "6"}, {"MeraSud", "Предупреждение"}}});
    seed(20, {{{"Sv", "6"}, {"SubProf", "ПДН"}}});
    note("Perenos/ZELT/5.vrk", "{\\rtf1 new}");
    note("Perenos/ZELT/6.vrk", "{\\rtf1 came}");
    const std::string out = transfer("dump Table1 N Sv F I Zan\n");
    EXPECT_EQ(out, std::string(kConfirm) +
                       "1\t1\tНовый\tИван\tРабота\n"  // keeps N and Sv, takes the surname
                       "2\t2\tДругой\tОлег\t\n"
                       "3\t3\tПришлый\tЯков\t\n");
    EXPECT_EQ(noteText("ZELT/1.vrk"), "{\\rtf1 new}");
    EXPECT_EQ(noteText("ZELT/2.vrk"), "{\\rtf1 other}");
    EXPECT_EQ(noteText("ZELT/3.vrk"), "{\\rtf1 came}");
    EXPECT_EQ(noteText("Perenos/ZELT/5.vrk"), "{\\rtf1 new}");  // the transfer copy stays as it was
    EXPECT_EQ(stored(2, {"Sv", "MeraSud"}), "1\tУсловно\n2\tЧужое\n3\tПредупреждение\n");  // in Sv order
    EXPECT_EQ(stored(4, {"Sv", "SubProf"}), "3\tПДН\n");
}

TEST_F(TransferTest, MatchedMinorWithoutATransferredNoteKeepsHisOwn) {
    seed(1, {{{"F", "Свой"}, {"I", "Иван"}, {"DR", "01.02.1990"}}});
    note("ZELT/1.vrk", "{\\rtf1 operational}");
    seed(17, {{{"F", "Свой"}, {"I", "Иван"}, {"DR", "01.02.1990"}, {"Zan", "Школа"}}});
    transfer("");
    EXPECT_EQ(noteText("ZELT/1.vrk"), "{\\rtf1 operational}");
}

TEST_F(TransferTest, OfTwoLiveMinorsWithTheSameKeyOnlyTheFirstIsUpdated) {
    seed(1, {{{"F", "Первый"}, {"I", "Иван"}}, {{"F", "Второй"}, {"I", "Иван"}}});
    seed(17, {{{"F", "Новый"}, {"I", "Иван"}}});
    EXPECT_EQ(transfer("dump Table1 F\n"), std::string(kConfirm) + "Новый\nВторой\n");
}

TEST_F(TransferTest, SecondTransferOfTheSameMinorUpdatesWhatTheFirstAppended) {
    // Two transferred records with one key: the second finds the record the first appended.
    seed(17, {{{"F", "Раз"}, {"I", "Иван"}}, {{"F", "Два"}, {"I", "Иван"}}});
    EXPECT_EQ(transfer("dump Table1 N F\n"), std::string(kConfirm) + "1\tДва\n");
}

TEST_F(TransferTest, ArchivedPersonIsSkippedOnTheSameDeregistrationDateOnly) {
    seed(5, {{{"F", "Архивный"}, {"I", "Иван"}, {"DCcU", "01.03.2005"}, {"Zan", "Школа"}}});
    seed(25, {{{"F", "Иной"}, {"I", "Иван"}, {"DCcU", "01.03.2005"}, {"Zan", "Работа"}},
              {{"F", "Снова"}, {"I", "Иван"}, {"DCcU", "01.09.2005"}}});
    EXPECT_EQ(transfer("dump Table5 N Sv F Zan DCcU\n"),
              std::string(kConfirm) + "1\t1\tАрхивный\tШкола\t01.03.2005\n2\t2\tСнова\t\t01.09.2005\n");
}

TEST_F(TransferTest, FamilyMatchesOnlyWhenBothParentsAgree) {
    const Fields mother = {{"Im", "Мария"}, {"Om", "Ивановна"}, {"DRm", "01.01.1970"}};
    Fields same = mother, otherFather = mother;
    same.insert(same.end(), {{"Io", "Пётр"}, {"Oo", "Петрович"}, {"DRo", "02.02.1968"}});
    otherFather.insert(otherFather.end(), {{"Io", "Павел"}, {"Oo", "Петрович"}, {"DRo", "02.02.1968"}});
    Fields live = same, transferred = same, stranger = otherFather;
    live.push_back({"Fm", "Живая"});
    transferred.push_back({"Fm", "Обновлённая"});
    stranger.push_back({"Fm", "Другая"});
    seed(9, {live});
    seed(21, {transferred, stranger});
    EXPECT_EQ(run("click N50\nanswer yes\nclick N124\ndump Table9 N Fm Io\n"),
              std::string(kConfirm) + "1\tОбновлённая\tПётр\n2\tДругая\tПавел\n");
}

TEST_F(TransferTest, OthersAreMergedLiveAndArchived) {
    seed(33, {{{"F", "Прочий"}, {"I", "Иван"}}});
    seed(37, {{{"F", "Прочий новый"}, {"I", "Иван"}}});
    seed(39, {{{"F", "Архивный"}, {"I", "Пётр"}}});
    seed(40, {{{"Sv", "1"}, {"O", "Протокол"}}});
    EXPECT_EQ(run("click N152\nanswer yes\nclick N124\ndump Table33 F\ndump Table35 F\ndump Table36 Sv O\n"),
              std::string(kConfirm) + "Прочий новый\nАрхивный\n1\tПротокол\n");
}

TEST_F(TransferTest, SecondRunChangesNoCount) {
    seed(1, {{{"F", "Свой"}, {"I", "Иван"}}});
    seed(17, {{{"F", "Свой"}, {"I", "Иван"}}, {{"F", "Новый"}, {"I", "Яков"}}});
    seed(18, {{{"Sv", "1"}, {"MeraSud", "Штраф"}}, {{"Sv", "2"}, {"MeraSud", "Арест"}}});
    seed(25, {{{"F", "Архивный"}, {"I", "Олег"}, {"DCcU", "01.03.2005"}}});
    seed(26, {{{"Sv", "1"}, {"MeraSud", "Условно"}}});
    const auto everything = [&] {
        return stored(1, {"N", "Sv", "F", "I"}) + stored(2, {"Sv", "MeraSud"}) + stored(5, {"N", "Sv", "F"}) +
               stored(6, {"Sv", "MeraSud"});
    };
    transfer("");
    const std::string once = everything();
    EXPECT_EQ(once, "1\t1\tСвой\tИван\n2\t2\tНовый\tЯков\n1\tШтраф\n2\tАрест\n1\t1\tАрхивный\n1\tУсловно\n");
    transfer("");
    // The live details were replaced by the same ones: the same records, under new counters.
    EXPECT_EQ(everything(), once);
}

TEST_F(TransferTest, LiveFilterHidesRecordsAndItsWarningEndsTheTransferAtTheFirstAppend) {
    seed(1, {{{"F", "Видимый"}, {"I", "Иван"}}, {{"F", "Скрытый"}, {"I", "Пётр"}}});
    seed(17, {{{"F", "Видимый"}, {"I", "Иван"}, {"Zan", "Школа"}},
              {{"F", "Скрытый"}, {"I", "Пётр"}, {"Zan", "Работа"}},
              {{"F", "Третий"}, {"I", "Олег"}}});
    const std::string out = run("click N49\nfilter Table1 (F='Видимый')\nfiltered Table1 on\nanswer yes\nclick N124\n"
                                "show TForm7\nfilter Table1 \nfiltered Table1 off\ndump Table1 F Zan\n");
    EXPECT_EQ(out, std::string(kConfirm) + "message: " + editing::kFilterWarningF1 +
                       "\nTForm7: \"Перенос данных в БД\" hidden\n"
                       "Видимый\tШкола\nСкрытый\t\n");
}

TEST_F(TransferTest, DamagedOrForeignTransferFileIsNamedAndNothingIsMerged) {
    struct Case {
        const char* file;     // the file spoiled
        const char* content;  // "" copies another layout's file over it
        const char* message;
    };
    const Case cases[] = {
        {"Perenos/Arxiv/PKOP/PKOP.db", "not a database at all, just text",
         "error: Файл Perenos\\Arxiv\\PKOP\\PKOP.db (ответственность прочих, архив переноса) повреждён или не является таблицей банка данных\n"},
        {"Perenos/Arxiv/BDS/BDS.db", "", "error: Файл Perenos\\Arxiv\\BDS\\BDS.db (архив переноса родителей) повреждён или не является таблицей банка данных\n"},
    };
    for (const Case& c : cases) {
        testing::DataDir d;
        testing::seedRecords(d.path(), 17, {{{"F", "Чужой"}, {"I", "Пётр"}}});
        fs::remove(d / c.file);
        if (*c.content) std::ofstream(d / c.file) << c.content;
        else fs::copy_file(d / "Perenos/ZELT/ZELT.db", d / c.file);
        const std::string out = testing::runScript(d.path(), "click N49\nanswer yes\nclick N124\nshow TForm7\ndump Table1 F\n");
        EXPECT_EQ(out, std::string("confirm Подтвердите!: Перенести данные? -> yes\n") + c.message +
                           "TForm7: \"Процесс\" hidden\n")
            << c.file;
    }
}

TEST_F(TransferTest, ErrorInsideAPersonTakesBackOnlyHimAndClosesTheProgressWindow) {
    // The first minor has no court record; the second has one, and the court file here cannot be
    // written: his record is taken back whole, the first stays merged.
    seed(17, {{{"Sv", "1"}, {"F", "Первый"}, {"I", "Иван"}}, {{"Sv", "2"}, {"F", "Второй"}, {"I", "Пётр"}}});
    seed(18, {{{"Sv", "2"}, {"MeraSud", "Штраф"}}});
    note("Perenos/ZELT/1.vrk", "{\\rtf1 first}");
    note("Perenos/ZELT/2.vrk", "{\\rtf1 second}");
    fs::permissions(dir / "PNU/PNU.db", fs::perms(0444));
    const std::string out = testing::runScriptUnprivileged(dir.path(), "click N49\nanswer yes\nclick N124\nshow TForm7\ndump Table1 N F\n");
    testing::makeWritable(dir.path());
    EXPECT_EQ(out, std::string(kConfirm) +
                       "error: Файл PNU\\PNU.db (суд несовершеннолетних) недоступен для записи: файл или его папка только для чтения\n"
                       "TForm7: \"Перенос данных в БД\" hidden\n"
                       "1\tПервый\n");
    EXPECT_EQ(stored(1, {"N", "F"}), "1\tПервый\n");
    EXPECT_EQ(noteText("ZELT/1.vrk"), "{\\rtf1 first}");
    EXPECT_EQ(noteText("ZELT/2.vrk"), "(none)");
    EXPECT_FALSE(fs::exists(dir / "intent.jrn"));
}

TEST_F(TransferTest, TransferFilesAreOnlyRead) {
    seed(17, {{{"F", "Чужой"}, {"I", "Пётр"}}});
    seed(18, {{{"Sv", "1"}, {"MeraSud", "Штраф"}}});
    std::map<std::string, std::string> before;
    for (const auto& e : fs::recursive_directory_iterator(dir / "Perenos"))
        if (e.is_regular_file()) before[e.path().string()] = testing::readFile(e.path());
    // Read-only files in read-only folders, as files copied from a disc arrive; the program runs as
    // a user the modes bind.
    for (const auto& e : fs::recursive_directory_iterator(dir / "Perenos"))
        fs::permissions(e.path(), e.is_directory() ? fs::perms(0555) : fs::perms(0444));
    fs::permissions(dir / "Perenos", fs::perms(0555));
    const std::string out = testing::runScriptUnprivileged(dir.path(), "click N49\nanswer yes\nclick N124\ndump Table1 F\n");
    testing::makeWritable(dir.path());
    EXPECT_EQ(out, std::string(kConfirm) + "Чужой\n");
    std::map<std::string, std::string> after;
    for (const auto& e : fs::recursive_directory_iterator(dir / "Perenos"))
        if (e.is_regular_file()) after[e.path().string()] = testing::readFile(e.path());
    EXPECT_EQ(before, after);
}

}  // namespace
}  // namespace zelt

namespace zelt {
namespace {

TEST_F(TransferTest, TransferAndCheckEachWriteASafetyCopyBeforeChangingAnything) {
    seed(1, {{{"F", "Старая"}, {"I", "Анна"}, {"O", "Ивановна"}, {"DR", "01.01.1990"}, {"DKDN", "10.01.2005"}}});
    seed(5, {{{"F", "Новая"}, {"I", "Анна"}, {"O", "Ивановна"}, {"DR", "01.01.1990"}, {"DCcU", "15.03.2005"}}});
    seed(17, {{{"F", "Новая"}, {"I", "Анна"}, {"O", "Ивановна"}, {"DR", "01.01.1990"}, {"DKDN", "10.01.2005"}}});
    note("ZELT/1.vrk", "{\\rtf1 own}");
    run("today 01.06.2006\ntime 09:30:00\nclick N49\nanswer yes\nclick N124\n");
    run("today 01.06.2006\ntime 09:31:00\nclick N49\nanswer yes\nclick N153\n");
    const std::vector<store::SafetyCopy> copies = store::safetyCopies(dir.path());
    ASSERT_EQ(copies.size(), 2u);
    EXPECT_EQ(copies[0].command, "Перенести данные");
    EXPECT_EQ(copies[1].command, "Проверка");
    // The transfer's copy holds the minor as he was before it; the check's, as the transfer left him.
    EXPECT_EQ(storedIn(copies[0].dir, 1, {"F", "I"}), "Старая\tАнна\n");
    EXPECT_EQ(storedIn(copies[1].dir, 1, {"F", "I"}), "Новая\tАнна\n");
    EXPECT_TRUE(fs::exists(copies[0].dir / "ZELT/1.vrk"));
    // and the check deleted the stale live minor, which the copy can give back
    EXPECT_EQ(stored(1, {"F"}), "");
    store::restoreSafetyCopy(dir.path(), copies[1].dir);
    EXPECT_EQ(stored(1, {"F", "I"}), "Новая\tАнна\n");
}

TEST_F(TransferTest, ACopyThatCannotBeWrittenStopsTheTransferBeforeAnyChange) {
    seed(17, {{{"F", "Чужой"}, {"I", "Пётр"}}});
    std::ofstream(dir / "Backup") << "not a folder";
    const std::string out = run("click N49\nanswer yes\nclick N124\n");
    EXPECT_NE(out.find("error: Страховая копия перед командой \"Перенести данные\" не записана, команда не выполнена"),
              std::string::npos) << out;
    EXPECT_EQ(out.find("window: TForm7"), std::string::npos) << out;
    EXPECT_EQ(stored(1, {"F"}), "");
}

}  // namespace
}  // namespace zelt
