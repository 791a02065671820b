// The store's failures in the clerk's words: every table object named in words of its own, found
// by its file too, and every field a card shows named by the caption beside it.
#include "app/form/form_model.h"
#include "app/main_window_layout.h"
#include "app/store_messages.h"
#include "store/layout.h"
#include "store/store_error.h"
#include "store/tree.h"

#include <gtest/gtest.h>

#include <cctype>
#include <set>
#include <string>

namespace zelt::app {
namespace {

TEST(TablesInWords, EveryTableObjectHasWordsOfItsOwnAlsoByItsFile) {
    std::set<std::string> seen;
    for (const store::TableObjectDef& d : store::tableObjects()) {
        const std::string object = "Table" + std::to_string(d.number);
        SCOPED_TRACE(object);
        const std::string words = tableInWords(object);
        EXPECT_FALSE(words.empty());
        EXPECT_TRUE(seen.insert(words).second) << words;
        std::string file = store::tableFileName(d.copy, d.table);
        for (char& c : file) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
        EXPECT_EQ(tableFileInWords(file), words) << file;
    }
    for (const char* nothing : {"", "Table", "Table0", "Table49", "Table1x", "ZELT"}) EXPECT_EQ(tableInWords(nothing), "");
    EXPECT_EQ(tableFileInWords("ZELT\\1.vrk"), "");
}

TEST(TablesInWords, MastersAndDetailsOfEachCopy) {
    const std::pair<const char*, const char*> cases[] = {
        {"Table1", "таблица несовершеннолетних"}, {"Table5", "архив несовершеннолетних"},
        {"Table13", "архив родителей"},           {"Table35", "архив прочих"},
        {"Table6", "суд несовершеннолетних, архив"}, {"Table23", "ответственность родителей, перенос"},
        {"Table41", "таблица учреждений"},        {"Table48", "дела учреждений, архив переноса"},
    };
    for (const auto& [object, words] : cases) EXPECT_EQ(tableInWords(object), words) << object;
}

TEST(FieldCaptions, EveryCardFieldGoesByTheCaptionBesideIt) {
    FormModel m;
    m.add("TForm1", ControlKind::Form, "");
    buildMainWindowControls(m);
    int checked = 0;
    const Control* label = nullptr;
    for (const auto& c : m.controls()) {
        const bool input = c->kind == ControlKind::Edit || c->kind == ControlKind::ComboBox || c->kind == ControlKind::Memo;
        if (input && label && label->parent == c->parent && c->dataSource > 0) {
            const char* layout = store::tableObject(c->dataSource).table;
            EXPECT_EQ(fieldCaption(layout, c->field), label->caption) << c->name << " " << layout << "." << c->field;
            ++checked;
        }
        label = c->kind == ControlKind::Label ? c.get() : nullptr;
    }
    EXPECT_GT(checked, 150);  // the cards and the grid tabs hold some 190 captioned fields
    EXPECT_EQ(fieldCaption("ZELT", "Sv"), "");  // shown on no card
    EXPECT_EQ(fieldCaption("Nope", "F"), "");
}

TEST(ClerkMessage, OtherErrorsKeepTheirText) {
    EXPECT_EQ(clerkMessage(EngineError("Ошибка в выражении фильтра")), "Ошибка в выражении фильтра");
    store::FaultInfo f;
    f.kind = store::Fault::NotANumber;
    f.object = "Table9";
    f.file = "BDS\\BDS.db";
    f.layout = "BDS";
    f.field = "Nope";  // a field of no layout keeps its name
    f.value = "x";
    EXPECT_EQ(clerkMessage(store::StoreError(f)), "\"x\" не является числом (поле \"Nope\", таблица родителей)");
}

TEST(ClerkMessage, JournalAndCopyFailuresNameTheirFilesAndFields) {
    const auto worded = [](store::FaultInfo f) { return clerkMessage(store::StoreError(std::move(f))); };
    store::FaultInfo journal;
    journal.kind = store::Fault::JournalUnknownStep;
    journal.file = "command.journal";
    journal.value = "frob";
    EXPECT_EQ(worded(journal), "Журнал команды command.journal: неизвестный шаг frob");
    journal.kind = store::Fault::JournalSystem;
    journal.detail = "No space left on device";
    EXPECT_EQ(worded(journal), "Журнал команды command.journal: No space left on device");
    store::FaultInfo copy;
    copy.kind = store::Fault::ValueDoesNotFit;
    copy.file = "ZELT\\ZELT.db";
    copy.layout = "ZELT";
    copy.field = "DCcU";
    copy.otherFile = "Arxiv\\ZELT\\ZELT.db";
    copy.otherLayout = "ZELT";
    copy.otherField = "DCcU";
    EXPECT_EQ(worded(copy),
              "Значение поля \"Дата снятия\" таблицы ZELT\\ZELT.db (таблица несовершеннолетних) не помещается в поле "
              "\"Дата снятия\" таблицы Arxiv\\ZELT\\ZELT.db (архив несовершеннолетних)");
    store::FaultInfo other;
    other.kind = store::Fault::FileOther;
    other.file = "elsewhere.db";  // no file of the table tree: named as it is
    other.code = 21;
    EXPECT_EQ(worded(other), "Ошибка таблицы elsewhere.db (код 21)");
}

}  // namespace
}  // namespace zelt::app
