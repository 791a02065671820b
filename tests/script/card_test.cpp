// The personal cards end to end: every line of a minor's and a family's card, the detail sections,
// the operational information at the end, what the archive cards add, and a card cut short.
#include "support/script_support.h"
#include "support/test_support.h"

#include "editing/rich_text.h"

#include <gtest/gtest.h>

#include <fstream>

namespace zelt {
namespace {

class CardTest : public ::testing::Test {
protected:
    testing::DataDir dir;
    std::string run(const std::string& script) { return testing::runScript(dir.path(), script); }
    std::string report(const std::string& script) { return testing::withoutDocumentPath(run(script + "report\n")); }
    void writeNote(const std::string& rel, const std::string& text) {
        std::ofstream(dir / rel, std::ios::binary) << editing::richTextFromPlain(text);
    }
    // A minor with his mother, two court proceedings and one record of prevention work, in the live
    // table objects (1 to 4) or the archive ones (5 to 8); a second minor before him has details of
    // his own that must not show.
    void seedMinor(int master) {
        testing::seedRecords(dir.path(), master, {{{"F", "Петров"}}, kMinor});
        testing::seedRecords(dir.path(), master + 1,
                             {{{"Sv", "1"}, {"DSud", "01.01.2005"}},
                              {{"Sv", "2"}, {"DSud", "01.03.2006"}, {"MeraSud", "Штраф"}, {"StSud", "ст. 158"},
                               {"DObSud", "Учиться\r\nНе гулять"}},
                              {{"Sv", "2"}, {"DSud", "02.04.2006"}}});
        testing::seedRecords(dir.path(), master + 3,
                             {{{"Sv", "2"}, {"DProf", "05.05.2006"}, {"SubProf", "ПДН"}, {"RabProf", "Беседа"}}});
    }
    const testing::Fields kMinor = {
        {"F", "Иванов"},     {"I", "Иван"},         {"O", "Ильич"},         {"DR", "01.09.1995"},  {"MR", "Кимры"},
        {"MUch", "СОШ № 1"}, {"Zan", "учится"},     {"Dosug", "Спорт\r\nМузыка"},          {"DTel", "12345"},
        {"MTel", "8900123"}, {"PrO", "Тверская"},   {"PrG", "Кимры"},       {"PrU", "Мира"},       {"PrD", "5"},
        {"PrK", "12"},       {"Ser", "2801"},       {"Nom", "123456"},      {"DV", "01.10.2005"},  {"KV", "ОВД"},
        {"DKDN", "01.02.2006"}, {"NKDN", "7"},      {"PKDN", "Кража"},      {"Statm", "мать"},     {"Fm", "Иванова"},
        {"Im", "Анна"},      {"Om", "Петровна"},    {"DRm", "02.03.1970"},  {"MRmm", "Тверь"},     {"Serm", "2802"},
        {"Nomm", "654321"},  {"DVm", "03.04.1990"}, {"KVm", "ОВД Кимры"},   {"DCcU", "01.05.2006"}, {"OCcU", "Возраст"}};
};

const char* const kMinorCard =
    "orientation portrait\n"
    "[L] **Карточка несовершеннолетнего**\n"
    "[L] \n"
    "[L] **ФИО **Иванов Иван Ильич\n"
    "[L] **Дата рождения **01.09.1995\n"
    "[L] **Место рождения **Кимры\n"
    "[L] **Место учёбы **СОШ № 1\n"
    "[L] **Занятость **учится\n"
    "[L] **Досуг **Спорт\n"
    "[L] Музыка\n"
    "[L] **Телефон домашний **12345**, мобильный **8900123\n"
    "[L] **Регистрация: **обл. , г. , ул. , д., кв.\n"
    "[L] **Проживание: **обл. Тверская, г. Кимры, ул. Мира, д.5, кв.12\n"
    "[L] **Паспорт: **серия 2801 № 123456 дата выдачи 01.10.2005 кем выдан ОВД\n"
    "[L] **Дата КДН **01.02.2006\n"
    "[L] **№ КДН **7\n"
    "[L] **Причина постановки на учёт **Кража\n"
    "[L] **мать **Иванова Анна Петровна, дата рождения 02.03.1970, место рождения Тверь\n"
    "[L] Паспорт серия 2802 номер 654321 дата выдачи 03.04.1990, кем выдан ОВД Кимры\n"
    "[L] ** **  , дата рождения , место рождения \n"
    "[L] Паспорт серия  номер  дата выдачи , кем выдан \n"
    "[C] \n"
    "[C] **Привлечение к ответственности судом: **\n"
    "[L] **Дата решения суда **01.03.2006\n"
    "[L] **Мера суда **Штраф\n"
    "[L] **Статья **ст. 158\n"
    "[L] **Дополнительные обязанности **Учиться\n"
    "[L] Не гулять\n"
    "[L] ________________________________________________________________________________\n"
    "[L] **Дата решения суда **02.04.2006\n"
    "[L] **Мера суда **\n"
    "[L] **Статья **\n"
    "[L] **Дополнительные обязанности **\n"
    "[L] ________________________________________________________________________________\n"
    "[C] \n"
    "[C] **Привлечение к ответственности комиссией: **\n"
    "[C] \n"
    "[C] **Проводимая индивидуальная работа: **\n"
    "[L] **Дата проведения профилактики **05.05.2006\n"
    "[L] **Субъект проведения профилактики **ПДН\n"
    "[L] **Проведённая профилактическая работа **Беседа\n"
    "[L] ________________________________________________________________________________\n"
    "[L] \n"
    "[C] **Оперативная информация: **\n"
    "[L] Живёт с бабушкой.\n"
    "[L] Учится хорошо.\n";

TEST_F(CardTest, MinorCardTypesEveryLineAndEachDetailRecordAndLeavesTheDetailsAtTheirEnd) {
    seedMinor(1);
    writeNote("ZELT/2.vrk", "Живёт с бабушкой.\r\nУчится хорошо.");
    const std::string out = testing::withoutDocumentPath(
        run("click N49\ntable Table1 last\nclick N130\nreport\nstate Table1\nstate Table2\nstate Table4\n"));
    EXPECT_EQ(out.substr(0, out.find("Table1: ")), kMinorCard);
    // The master stays on the minor; each detail table stands on its last record.
    EXPECT_NE(out.find("Table1: browse, records 2, row 2,"), std::string::npos) << out;
    EXPECT_NE(out.find("Table2: browse, records 2, row 2, eof"), std::string::npos) << out;
    EXPECT_NE(out.find("Table4: browse, records 1, row 1, eof"), std::string::npos) << out;
}

TEST_F(CardTest, ArchiveMinorCardAddsOnlyTheTitleSuffixAndTheDeregistrationLines) {
    seedMinor(5);
    writeNote("Arxiv/ZELT/2.vrk", "Живёт с бабушкой.\r\nУчится хорошо.");
    std::string expected = kMinorCard;
    const std::string title = "Карточка несовершеннолетнего";
    expected.insert(expected.find(title) + title.size(), " (архив)");
    const std::string reason = "**Причина постановки на учёт **Кража\n";
    expected.insert(expected.find(reason) + reason.size(),
                    "[L] **Дата снятия с учёта **01.05.2006\n[L] **Основания снятия с учёта **Возраст\n");
    EXPECT_EQ(report("click N49\ntable Table5 last\nclick N149\n"), expected);
}

TEST_F(CardTest, FamilyCardWithoutFatherOrMeasuresAndItsArchiveLines) {
    const testing::Fields family = {
        {"Fm", "Петрова"}, {"Im", "Анна"},      {"Om", "Ивановна"}, {"DRm", "02.03.1970"}, {"MRm", "Тверь"},
        {"Dtm", "54321"},  {"Mtm", "8912"},     {"MRabm", "Завод"}, {"Serm", "2802"},      {"Nomm", "111222"},
        {"DVm", "03.04.1990"}, {"KVm", "ОВД"},  {"ORm", "Тверская"}, {"GRm", "Кимры"},     {"URm", "Мира"},
        {"DomRm", "5"},    {"KRm", "12"},       {"DKDN", "01.02.2006"}, {"NKDN", "9"},     {"OKDN", "пьянство"},
        {"KKDN", "школа\r\nполиция"}, {"DCcU", "01.05.2006"}, {"OCcU", "исправление"}, {"PCcU", "переезд"}};
    for (int master : {9, 13}) {
        testing::seedRecords(dir.path(), master, {family});
        testing::seedRecords(dir.path(), master + 1,
                             {{{"Sv", "1"}, {"F", "Петров"}, {"I", "Пётр"}, {"O", "Иванович"}, {"DR", "01.09.1995"},
                               {"OU", "школа № 2"}},
                              {{"Sv", "1"}, {"F", "Петрова"}, {"I", "Ольга"}}});
    }
    writeNote("BDS/1.vrk", "Семья на контроле.");
    writeNote("Arxiv/BDS/1.vrk", "Семья на контроле.");
    const std::string kFather =
        "[L] **ФИО **  \n"
        "[L] **Дата рождения **\n"
        "[L] **Место рождения **\n"
        "[L] **Телефон домашний , мобильный **\n"
        "[L] **Место работы **\n"
        "[L] **Паспорт **серия  №  дата выдачи  выдан \n"
        "[L] **Регистрация: **обл. , г. , ул. , д., кв.\n"
        "[L] **Проживание: **обл. , г. , ул. , д., кв.\n";
    const std::string kRule = "[L] ________________________________________________________________________________\n";
    const std::string live =
        "orientation portrait\n"
        "[C] **Карточка семьи**\n"
        "[C] \n"
        "[C] **Мать**\n"
        "[L] **ФИО **Петрова Анна Ивановна\n"
        "[L] **Дата рождения **02.03.1970\n"
        "[L] **Место рождения **Тверь\n"
        "[L] **Телефон домашний **54321**, мобильный **8912\n"
        "[L] **Место работы **Завод\n"
        "[L] **Паспорт **серия 2802 № 111222 дата выдачи 03.04.1990 выдан ОВД\n"
        "[L] **Регистрация: **обл. Тверская, г. Кимры, ул. Мира, д.5, кв.12\n"
        "[L] **Проживание: **обл. , г. , ул. , д., кв.\n"
        "[C] \n"
        "[C] **Отец **\n" +
        kFather +
        "[L] \n"
        "[L] **Дата КДН **01.02.2006\n"
        "[L] **№ КДН **9\n"
        "[L] **Основания КДН **пьянство\n"
        "[L] **Контроль КДН **школа\n"
        "[L] полиция\n"
        "[C] \n"
        "[C] **Дети: **\n"
        "[L] \n"
        "[L] **ФИО **Петров Пётр Иванович\n"
        "[L] **Дата рождения **01.09.1995\n"
        "[L] **Занятость **школа № 2\n" +
        kRule +
        "[L] \n"
        "[L] **ФИО **Петрова Ольга \n"
        "[L] **Дата рождения **\n"
        "[L] **Занятость **\n" +
        kRule +
        "[C] \n"
        "[C] **Привлечение к ответственности: **\n"
        "[C] \n"
        "[C] **Профработа: **\n"
        "[C] **Оперативная информация: **\n"
        "[L] Семья на контроле.\n";
    EXPECT_EQ(report("click N50\nclick N131\n"), live);

    // The archive card keeps the title and adds three lines after the control line.
    std::string archived = live;
    const std::string control = "[L] полиция\n";
    archived.insert(archived.find(control) + control.size(),
                    "[L] \n[L] **Дата снятия с учёта **01.05.2006\n[L] **Основания снятия с учёта **исправление\n"
                    "[L] **Причина снятия с учёта **переезд\n");
    EXPECT_EQ(report("click N50\nclick N150\n"), archived);
}

TEST_F(CardTest, CardsOfAnEmptyRegisterHaveEveryValueEmpty) {
    struct Case {
        const char* reg;
        const char* item;
        const char* firstLines;
    };
    const Case cases[] = {
        {"N49", "N130", "[L] **Карточка несовершеннолетнего**\n[L] \n[L] **ФИО **  \n[L] **Дата рождения **\n"},
        {"N49", "N149", "[L] **Карточка несовершеннолетнего (архив)**\n[L] \n[L] **ФИО **  \n"},
        {"N50", "N131", "[C] **Мать**\n[L] **ФИО **  \n[L] **Дата рождения **\n"},
        {"N50", "N150", "[C] **Мать**\n[L] **ФИО **  \n[L] **Дата рождения **\n"},
    };
    for (const Case& c : cases) {
        const std::string out = report(std::string("click ") + c.reg + "\nclick " + c.item + "\n");
        EXPECT_NE(out.find(c.firstLines), std::string::npos) << c.item << "\n" << out;
        EXPECT_NE(out.find("[C] **Оперативная информация: **\n[L] \n"), std::string::npos) << c.item << "\n" << out;
        EXPECT_EQ(out.find("error:"), std::string::npos) << c.item << "\n" << out;
        EXPECT_EQ(out.find("____"), std::string::npos) << c.item << "\n" << out;
    }
}

TEST_F(CardTest, AFailureMidwayStillShowsWhatWasTyped) {
    seedMinor(1);
    // The commission proceedings cannot be read: the card stops at their heading with the error,
    // and the document typed so far is opened all the same.
    const std::string out = run("click N49\ntable Table1 last\ntable Table3 close\nclick N130\nreport\n");
    const size_t at = out.find("document: ");
    ASSERT_NE(at, std::string::npos) << out;
    const std::filesystem::path written = out.substr(at + 10, out.find('\n', at) - at - 10);
    EXPECT_EQ(written.parent_path(), testing::reportFolder(dir.path()));
    EXPECT_EQ(testing::readFile(written).substr(0, 2), "PK");
    EXPECT_NE(out.find("error: Комиссия несовершеннолетних: операция невозможна на закрытой таблице\n"), std::string::npos) << out;
    EXPECT_NE(out.find("[C] **Привлечение к ответственности комиссией: **\n"), std::string::npos) << out;
    EXPECT_EQ(out.find("Проводимая индивидуальная работа"), std::string::npos) << out;
}

}  // namespace
}  // namespace zelt
