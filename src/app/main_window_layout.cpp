// The main window's controls as data: the menu, the work-area tabs, the edit cards group by group,
// the grid tabs register by register, and the names the handlers and list files are tied to. Small
// loops turn the tables into controls; where the design names a control, the tables carry the name,
// and every other control takes the next free number of its kind.
#include "app/main_window_layout.h"

#include "base/error.h"
#include "store/layout.h"
#include "store/tree.h"

#include <cstring>
#include <map>
#include <string>
#include <utility>
#include <vector>

namespace zelt::app {
namespace {

using store::FieldDef;
using store::FieldType;
using store::Layout;

bool same(const char* a, const char* b) { return std::strcmp(a, b) == 0; }

// ----------------------------------------------------------------------------------------- menu

struct MenuEntry {
    const char* name;
    const char* parent;
    ControlKind kind;
    const char* caption;
    bool visible;
};

// The report items stay hidden until a register command shows those of its register; the family
// control report belongs to no register and is always there.
const MenuEntry kMenu[] = {
    {"N1", "TForm1", ControlKind::Menu, "Админ", true},
    {"N49", "N1", ControlKind::MenuItem, "БД по несовершеннолетним", true},
    {"N50", "N1", ControlKind::MenuItem, "БД по родителям", true},
    {"N152", "N1", ControlKind::MenuItem, "БД по прочим", true},
    {"N154", "N1", ControlKind::MenuItem, "БД по учреждениям", true},
    {"N123", "N1", ControlKind::MenuItem, "Разрешить редактирование таблиц", true},
    {"N124", "N1", ControlKind::MenuItem, "Перенести данные", true},
    {"N153", "N1", ControlKind::MenuItem, "Проверка", true},
    {"N128", "N1", ControlKind::MenuItem, "Настройки", true},
    {"N2", "TForm1", ControlKind::Menu, "Отчёты", true},
    {"N42", "N2", ControlKind::MenuItem, "Универсальный (несовершеннолетние)", false},
    {"N110", "N2", ControlKind::MenuItem, "Универсальный (родители)", false},
    {"N115", "N2", ControlKind::Separator, "", true},
    {"N116", "N2", ControlKind::MenuItem, "По снятым (несовершеннолетние)", false},
    {"N119", "N2", ControlKind::MenuItem, "По снятым (родители)", false},
    {"N127", "N2", ControlKind::MenuItem, "По снятым за год (родители)", false},
    {"N132", "N2", ControlKind::MenuItem, "Осужденные", false},
    {"N125", "N2", ControlKind::Separator, "", true},
    {"N126", "N2", ControlKind::MenuItem, "Банк данных по семьям", false},
    {"N155", "N2", ControlKind::MenuItem, "Банк данных по несовершеннолетним", false},
    {"N140", "N2", ControlKind::MenuItem, "Банк данных по несовершеннолетним (архив)", false},
    {"N139", "N2", ControlKind::MenuItem, "Банк данных по семьям (архив)", false},
    {"N129", "N2", ControlKind::Separator, "", true},
    {"N130", "N2", ControlKind::MenuItem, "Карточка несовершеннолетнего", false},
    {"N149", "N2", ControlKind::MenuItem, "Карточка несовершеннолетнего (архив)", false},
    {"N131", "N2", ControlKind::MenuItem, "Карточка семьи", false},
    {"N150", "N2", ControlKind::MenuItem, "Карточка семьи (архив)", false},
    {"N133", "N2", ControlKind::Separator, "", true},
    {"N134", "N2", ControlKind::MenuItem, "Отчёт несовершеннолетних", false},
    {"N156", "N2", ControlKind::MenuItem, "Отчёт семьи (Контроль)", true},
    {"N151", "N2", ControlKind::MenuItem, "Отчёт \"Причины постановки на учёт\"", false},
    {"N3", "TForm1", ControlKind::MenuItem, "О программе", true},
    {"N4", "TForm1", ControlKind::MenuItem, "Выход", true},
};

// ----------------------------------------------------------------------------------- work area

struct TabEntry {
    const char* name;
    const char* caption;
};

// Three tabs per register; the register commands show and hide them by position.
const TabEntry kWorkTabs[] = {
    {"TabSheet1", "Несовершеннолетние"},  {"TabSheet2", "БД несовершеннолетних"},
    {"TabSheet3", "Родители"},            {"TabSheet4", "БД родителей"},
    {"TabSheet5", "Архив несовершеннолетние"}, {"TabSheet6", "Архив родители"},
    {"TabSheet23", "Прочие"},             {"TabSheet24", "БД прочие"},
    {"TabSheet25", "Архив прочие"},       {"TabSheet30", "Учреждения"},
    {"TabSheet31", "БД учреждения"},      {"TabSheet32", "Архив учреждения"},
};

const int kStatusPanelWidths[] = {170, 270, 170, 150, 150, 150, 50};

const char* const kNavigatorHints[] = {
    "Первая запись",       "Предыдущая запись",   "Следующая запись",   "Последняя запись",
    "Вставить запись",     "Удалить запись",      "Редактировать запись", "Сохранить изменения",
    "Отменить изменения",  "Обновить данные",
};

// ------------------------------------------------------------------------ named card controls

// A control the handlers or list files know by name, bound to one field of a layout.
struct NamedControl {
    const char* name;
    const char* table;
    const char* field;
};

// The drop-down combo boxes; start-up fills their lists from the pick-list files.
const NamedControl kComboBoxes[] = {
    {"DBComboBox1", "ZELT", "MR"},      {"DBComboBox2", "ZELT", "RegO"},    {"DBComboBox3", "ZELT", "RegG"},
    {"DBComboBox4", "ZELT", "RegU"},    {"DBComboBox5", "ZELT", "PrO"},     {"DBComboBox6", "ZELT", "PrG"},
    {"DBComboBox7", "ZELT", "PrU"},     {"DBComboBox8", "ZELT", "MUch"},    {"DBComboBox9", "ZELT", "Statm"},
    {"DBComboBox10", "ZELT", "Stato"},  {"DBComboBox11", "ZELT", "OCcU"},   {"DBComboBox12", "ZELT", "KV"},
    {"DBComboBox13", "ZELT", "MRmm"},   {"DBComboBox14", "ZELT", "KVm"},    {"DBComboBox15", "ZELT", "MRoo"},
    {"DBComboBox16", "ZELT", "KVo"},    {"DBComboBox17", "PIR", "SubProf"}, {"DBComboBox18", "BDS", "MRm"},
    {"DBComboBox19", "Prochie", "MR"},  {"DBComboBox20", "BDS", "ORm"},     {"DBComboBox21", "BDS", "GRm"},
    {"DBComboBox22", "BDS", "URm"},     {"DBComboBox23", "BDS", "Obm"},     {"DBComboBox24", "BDS", "Gm"},
    {"DBComboBox25", "BDS", "Um"},      {"DBComboBox26", "ZELT", "Pol"},    {"DBComboBox27", "Prochie", "KV"},
    {"DBComboBox28", "BDS", "MRo"},     {"DBComboBox29", "Prochie", "OR"},  {"DBComboBox30", "BDS", "KVm"},
    {"DBComboBox31", "BDS", "KVo"},     {"DBComboBox32", "BDS", "ORo"},     {"DBComboBox33", "BDS", "GRo"},
    {"DBComboBox34", "BDS", "URo"},     {"DBComboBox35", "BDS", "Obo"},     {"DBComboBox36", "BDS", "Go"},
    {"DBComboBox37", "BDS", "Uo"},      {"DBComboBox38", "BDS", "OKDN"},    {"DBComboBox39", "Prochie", "GR"},
    {"DBComboBox40", "BDS", "OCcU"},    {"DBComboBox41", "BDS", "PCcU"},    {"DBComboBox42", "SD", "OU"},
    {"DBComboBox43", "Prochie", "UR"},  {"DBComboBox44", "Prochie", "Ob"},  {"DBComboBox45", "Prochie", "G"},
    {"DBComboBox46", "PR", "S"},        {"DBComboBox47", "PR", "P"},        {"DBComboBox48", "ZELT", "Zan"},
    {"DBComboBox49", "Prochie", "U"},   {"DBComboBox50", "Uch", "O"},       {"DBComboBox51", "Uch", "G"},
    {"DBComboBox52", "Uch", "U"},
};

// The sex is one of two letters and has no list file.
const char* const kSexComboBox = "DBComboBox26";
const char* const kSexValues[] = {"М", "Ж"};

// Caption labels whose double click opens a list file; the caption differs from the grid title.
struct NamedLabel {
    const char* name;
    const char* table;
    const char* field;
    const char* caption;
};

const NamedLabel kLabels[] = {
    {"Label5", "ZELT", "MR", "Место рождения"},
    {"Label142", "ZELT", "MRmm", "Место рождения"},
    {"Label144", "ZELT", "MRoo", "Место рождения"},
    {"Label7", "ZELT", "RegG", "Город"},
    {"Label12", "ZELT", "PrG", "Город"},
    {"Label52", "BDS", "MRm", "Место рождения"},
    {"Label75", "BDS", "MRo", "Место рождения"},
    {"Label61", "BDS", "GRm", "Город"},
    {"Label66", "BDS", "Gm", "Город"},
    {"Label84", "BDS", "GRo", "Город"},
    {"Label89", "BDS", "Go", "Город"},
    {"Label172", "Prochie", "MR", "Место рождения"},
    {"Label181", "Prochie", "GR", "Город"},
    {"Label186", "Prochie", "G", "Город"},
    {"Label6", "ZELT", "RegO", "Область"},
    {"Label11", "ZELT", "PrO", "Область"},
    {"Label60", "BDS", "ORm", "Область"},
    {"Label65", "BDS", "Obm", "Область"},
    {"Label83", "BDS", "ORo", "Область"},
    {"Label88", "BDS", "Obo", "Область"},
    {"Label180", "Prochie", "OR", "Область"},
    {"Label185", "Prochie", "Ob", "Область"},
    {"Label8", "ZELT", "RegU", "Улица"},
    {"Label13", "ZELT", "PrU", "Улица"},
    {"Label62", "BDS", "URm", "Улица"},
    {"Label67", "BDS", "Um", "Улица"},
    {"Label85", "BDS", "URo", "Улица"},
    {"Label90", "BDS", "Uo", "Улица"},
    {"Label182", "Prochie", "UR", "Улица"},
    {"Label187", "Prochie", "U", "Улица"},
    {"Label140", "ZELT", "KV", "Кем выдан"},
    {"Label148", "ZELT", "KVm", "Кем выдан"},
    {"Label152", "ZELT", "KVo", "Кем выдан"},
    {"Label59", "BDS", "KVm", "Кем выдан"},
    {"Label82", "BDS", "KVo", "Кем выдан"},
    {"Label179", "Prochie", "KV", "Кем выдан"},
    {"Label16", "ZELT", "MUch", "Место учёбы"},
    {"Label104", "SD", "OU", "Занятость"},
    {"Label114", "ZELT", "Zan", "Занятость"},
    {"Label22", "ZELT", "Statm", "Статус"},
    {"Label27", "ZELT", "Stato", "Статус"},
    {"Label31", "ZELT", "OCcU", "Основание"},
    {"Label43", "PIR", "SubProf", "Субъект"},
    {"Label110", "PR", "S", "Субъект"},
    {"Label113", "PR", "P", "Результат"},
    {"Label95", "BDS", "OKDN", "Основание"},
    {"Label98", "BDS", "OCcU", "Основание"},
    {"Label99", "BDS", "PCcU", "Причина"},
    {"Label34", "ZELT", "PKDN", "Причина"},
    {"Label36", "PNU", "StSud", "Статья"},
    {"Label38", "PNU", "DObSud", "Дополнительные обязанности"},
    {"Label37", "PNU", "MeraSud", "Мера"},
    {"Label41", "PKO", "StProt", "Статья"},
    {"Label42", "PKO", "MeraProt", "Мера"},
    {"Label47", "PKO", "Rek", "Рекомендации"},
    {"Label96", "BDS", "KKDN", "Контроль"},
    {"Label29", "PKOR", "Mater", "От кого"},
    {"Label107", "PKOR", "O", "Основания"},
    {"Label108", "PKOR", "PM", "Принятые меры"},
    {"Label109", "PKOR", "DM", "Дополнит-ные меры"},
    {"Label192", "PKOP", "O", "Основания"},
    {"Label195", "PKOP", "Mater", "От кого"},
    {"Label193", "PKOP", "PM", "Принятые меры"},
    {"Label211", "PKOU", "Osn", "Основания"},
    {"Label213", "PKOU", "Mater", "От кого"},
    {"Label212", "PKOU", "PM", "Принятые меры"},
    {"Label216", "PKOU", "Rek", "Рекомендации"},
};

// Card entries with a phrase menu: the memo boxes and the court measure's edit.
struct PhraseEntry {
    const char* name;
    const char* table;
    const char* field;
    const char* popupMenu;
};

const PhraseEntry kPhraseEntries[] = {
    {"DBMemo1", "PNU", "StSud", "PopupMenu11"},      {"DBMemo2", "PNU", "DObSud", "PopupMenu12"},
    {"DBEdit37", "PNU", "MeraSud", "PopupMenu22"},   {"DBMemo3", "PKO", "StProt", "PopupMenu13"},
    {"DBMemo4", "PKO", "MeraProt", "PopupMenu14"},   {"DBMemo5", "PKO", "Rek", "PopupMenu15"},
    {"DBMemo32", "ZELT", "PKDN", "PopupMenu21"},     {"DBMemo6", "BDS", "KKDN", "PopupMenu16"},
    {"DBMemo7", "PKOR", "O", "PopupMenu17"},         {"DBMemo8", "PKOR", "PM", "PopupMenu18"},
    {"DBMemo9", "PKOR", "DM", "PopupMenu19"},        {"DBMemo10", "PKOR", "Mater", "PopupMenu20"},
    {"DBMemo41", "PKOP", "O", "PopupMenu24"},        {"DBMemo42", "PKOP", "PM", "PopupMenu25"},
    {"DBMemo44", "PKOP", "Mater", "PopupMenu27"},    {"DBMemo35", "PKOU", "Osn", "PopupMenu28"},
    {"DBMemo36", "PKOU", "PM", "PopupMenu30"},       {"DBMemo37", "PKOU", "Mater", "PopupMenu29"},
    {"DBMemo38", "PKOU", "Rek", "PopupMenu31"},
};

// The edit that would be next in card order but is the court measure's.
const int kReservedEditNumber = 37;

template <typename T, size_t N>
const T* findBinding(const T (&entries)[N], const char* table, const char* field) {
    for (const T& e : entries)
        if (same(e.table, table) && same(e.field, field)) return &e;
    return nullptr;
}

// ------------------------------------------------------------------------------------ cards

struct Button {
    const char* name;
    const char* caption;
};

// One group of an edit card. Without a caption the group is a plain panel (the top rows).
struct CardGroup {
    const char* name;     // the name handlers know it by; nullptr: the next free number
    const char* caption;  // nullptr: a panel
    int source;           // table object whose current record the fields show
    bool navigator;       // the navigator bar of `source` sits in this group
    std::vector<const char*> fields;
    const char* noteBox = nullptr;  // operational-information box
    std::vector<Button> buttons = {};
    bool nested = false;  // lies inside the last group before it that is not nested itself
};

struct CardTab {
    const char* sheet;
    std::vector<CardGroup> groups;
};

const std::vector<CardTab>& cardTabs() {
    static const std::vector<CardTab> cards = {
        {"TabSheet2",
         {
             {nullptr, nullptr, 1, true, {"F", "I", "O", "DR", "MR", "Dosug", "MUch", "Zan", "DTel", "MTel", "Pol"}},
             {nullptr, "Паспорт", 1, false, {"Ser", "Nom", "DV", "KV"}},
             {nullptr, "Регистрация", 1, false, {"RegO", "RegG", "RegU", "RegD", "RegK"}},
             {"GroupBox2", "Проживание", 1, false, {"PrO", "PrG", "PrU", "PrD", "PrK"}},
             {nullptr, "Постановка на учёт", 1, false, {"PKDN", "DKDN", "NKDN"}},
             {nullptr, "Снятие с учёта", 1, false, {"DCcU", "OCcU"}, nullptr, {{"BitBtn1", "В архив"}}},
             {nullptr, "Мать", 1, false,
              {"Fm", "Im", "Om", "DRm", "MRmm", "Statm", "MRm", "Serm", "Nomm", "DVm", "KVm"}},
             {nullptr, "Отец", 1, false,
              {"Fo", "Io", "Oo", "DRo", "MRoo", "Stato", "MRo", "Sero", "Nomo", "DVo", "KVo"}},
             {nullptr, "Привлечение к ответственности судом", 2, true, {"DSud", "MeraSud", "StSud", "DObSud"}},
             {nullptr, "Привлечение к ответственности комиссией", 3, true,
              {"DProt", "NProt", "StProt", "MeraProt", "Rek"}},
             {nullptr, "Проводимая индивидуальная работа", 4, true, {"SubProf", "DProf", "RabProf"}},
             {nullptr, "Оперативная информация", 1, false, {}, "RichEdit1"},
         }},
        // The mother's and the father's blocks each lie together under a heading of their own.
        {"TabSheet4",
         {
             {nullptr, "Мать", 9, false, {}},
             {nullptr, nullptr, 9, true, {"Fm", "Im", "Om", "DRm", "MRm", "Dtm", "Mtm", "MRabm"}, nullptr, {}, true},
             {nullptr, "Паспорт", 9, false, {"Serm", "Nomm", "DVm", "KVm"}, nullptr, {}, true},
             {nullptr, "Регистрация", 9, false, {"ORm", "GRm", "URm", "DomRm", "KRm"}, nullptr, {}, true},
             {"GroupBox11", "Проживание", 9, false, {"Obm", "Gm", "Um", "Dm", "Km"}, nullptr, {}, true},
             {nullptr, "Отец", 9, false, {}},
             {nullptr, nullptr, 9, false, {"Fo", "Io", "Oo", "DRo", "MRo", "Dto", "Mto", "MRabo"}, nullptr, {}, true},
             {nullptr, "Паспорт", 9, false, {"Sero", "Nomo", "DVo", "KVo"}, nullptr, {}, true},
             {"GroupBox14", "Регистрация", 9, false, {"ORo", "GRo", "URo", "DomRo", "KRo"}, nullptr, {}, true},
             {"GroupBox15", "Проживание", 9, false, {"Obo", "Go", "Uo", "Do", "Ko"}, nullptr, {}, true},
             {nullptr, "Постановка на учёт", 9, false, {"DKDN", "NKDN", "OKDN", "KKDN"}},
             {nullptr, "Снятие с учёта", 9, false, {"DCcU", "OCcU", "PCcU"}, nullptr,
              {{"BitBtn2", "В архив"}, {"BitBtn3", "Архив мать"}, {"BitBtn4", "Архив отец"}}},
             {nullptr, "Сведения о детях", 10, true, {"F", "I", "O", "DR", "OU"}},
             {nullptr, "Привлечение к ответственности", 11, true, {"DKDN", "NKDN", "Mater", "O", "PM", "DM"}},
             {nullptr, "Профработа", 12, true, {"S", "D", "Pr", "P"}},
             {nullptr, "Оперативная информация", 9, false, {}, "RichEdit4"},
         }},
        {"TabSheet24",
         {
             {nullptr, nullptr, 33, true, {"F", "I", "O", "DR", "MR", "Dt", "Mt", "MRab", "MU"}},
             {nullptr, "Паспорт", 33, false, {"Ser", "Nom", "DV", "KV"}},
             {nullptr, "Регистрация", 33, false, {"OR", "GR", "UR", "DomR", "KR"}},
             {"GroupBox30", "Проживание", 33, false, {"Ob", "G", "U", "D", "K"}},
             {nullptr, "Привлечение к ответственности", 34, true, {"O", "DKDN", "NKDN", "Mater", "PM"}},
             {nullptr, "Оперативная информация", 33, false, {}, "RichEdit6", {{"BitBtn5", "В архив"}}},
         }},
        {"TabSheet31",
         {
             {nullptr, nullptr, 41, true, {"Naim", "O", "G", "U", "D"}},
             {nullptr, nullptr, 43, true, {"NKDN", "DKDN", "Osn", "Mater", "PM", "Rek"}},
             {nullptr, "Несовершеннолетний", 43, false, {"F", "I", "O", "DR"}, nullptr, {}, true},
             // The institutions have no archive yet; the button is there and does nothing.
             {nullptr, "Оперативная информация", 41, false, {}, "RichEdit10", {{"BitBtn6", "В архив"}}},
         }},
    };
    return cards;
}

// -------------------------------------------------------------------------------- grid tabs

// A field of a registration sub-tab; only memo boxes may be read-only there.
struct SubTabField {
    const char* field;
    bool readOnly = false;
};

// One sub-tab below a master grid: a detail grid with read-only memo boxes for its memo fields,
// or the master's registration fields, or just the operational information.
struct SubTab {
    const char* caption;
    const char* detail;               // layout of the detail table the grid shows; nullptr: none
    std::vector<const char*> memos;   // memo fields of the detail table shown beside its grid
    std::vector<SubTabField> fields;  // master fields, in every copy
    std::vector<SubTabField> archiveFields = {};  // master fields the archive copy adds
    bool noteBox = false;  // the grid tab's operational-information box sits here
};

using GridRegister = std::vector<SubTab>;

const GridRegister& minorsGridRegister() {
    static const GridRegister r = {
        {"Привлечение к ответственности судом", "PNU", {"StSud", "DObSud"}, {}},
        {"Привлечение к ответственности комиссией", "PKO", {"StProt", "MeraProt", "Rek"}, {}},
        {"Проводимая индивидуальная работа", "PIR", {}, {}},
        {"Постановка на учёт", nullptr, {}, {{"PKDN"}, {"DKDN"}, {"NKDN"}}, {{"DCcU"}, {"OCcU"}}, true},
    };
    return r;
}

const GridRegister& parentsGridRegister() {
    static const GridRegister r = {
        {"Сведения о детях", "SD", {}, {}},
        {"Привлечение к ответственности", "PKOR", {"Mater", "O", "PM", "DM"}, {}},
        {"Профработа", "PR", {}, {}},
        {"Постановка на учёт- контроль", nullptr, {}, {{"DKDN"}, {"KKDN", true}, {"NKDN"}, {"OKDN"}},
         {{"DCcU"}, {"OCcU"}, {"PCcU"}}, true},
    };
    return r;
}

const GridRegister& othersGridRegister() {
    static const GridRegister r = {
        {"Привлечение к ответственности", "PKOP", {"Mater", "O", "PM", "DM"}, {}},
        {"Оперативная информация", nullptr, {}, {}, {}, true},
    };
    return r;
}

const GridRegister& institutionsGridRegister() {
    static const GridRegister r = {
        {"Привлечение к ответственности", "PKOU", {"Osn"}, {}},
        {"Оперативная информация", nullptr, {}, {}, {}, true},
    };
    return r;
}

struct GridTab {
    const char* sheet;
    const GridRegister& subTabs;
    int firstGrid;  // DBGridN of the master; the detail grids follow it
    int source;     // table object of the master
    bool archive;
    bool readOnly;        // the grids start read-only
    bool editingSwitch;   // the editing switch opens its grids and read-only memo boxes
    const char* noteBox;  // operational-information box
};

const std::vector<GridTab>& gridTabs() {
    static const std::vector<GridTab> tabs = {
        {"TabSheet1", minorsGridRegister(), 1, 1, false, true, true, "RichEdit2"},
        {"TabSheet3", parentsGridRegister(), 9, 9, false, true, true, "RichEdit8"},
        {"TabSheet5", minorsGridRegister(), 5, 5, true, true, true, "RichEdit3"},
        {"TabSheet6", parentsGridRegister(), 13, 13, true, true, true, "RichEdit5"},
        {"TabSheet23", othersGridRegister(), 17, 33, false, false, false, "RichEdit7"},
        {"TabSheet25", othersGridRegister(), 19, 35, true, false, false, "RichEdit9"},
        {"TabSheet30", institutionsGridRegister(), 21, 41, false, true, false, "RichEdit11"},
    };
    return tabs;
}

// What some grids do beyond showing their table.
struct GridTrait {
    const char* grid;
    bool colourAdults;
    const char* popupMenu;  // the field filter menu; "" for none
};

const GridTrait kGridTraits[] = {
    {"DBGrid1", true, "PopupMenu1"}, {"DBGrid5", false, "PopupMenu2"}, {"DBGrid9", false, "PopupMenu6"},
    {"DBGrid10", true, ""},          {"DBGrid13", false, "PopupMenu7"},
};

// The archive children's grid heads its occupation column otherwise than the live one.
struct ColumnTitle {
    const char* grid;
    const char* field;
    const char* title;
};

const ColumnTitle kColumnTitles[] = {{"DBGrid14", "OU", "Контроль"}};

// --------------------------------------------------------------------------------- building

const Layout& layoutOf(int source) { return store::layoutNamed(store::tableObject(source).table); }

int detailSource(int master, const char* layout) {
    for (const store::TableObjectDef& d : store::tableObjects())
        if (d.masterSource == master && same(d.table, layout)) return d.number;
    throw EngineError("нет таблицы " + std::string(layout) + " при Table" + std::to_string(master));
}

int entryWidth(const FieldDef& f) {
    if (f.size > 0) return f.size;
    return f.type == FieldType::Date ? 10 : 6;
}

std::vector<GridColumn> gridColumns(const std::string& grid, const Layout& layout) {
    std::vector<GridColumn> columns;
    for (const FieldDef& f : layout.fields) {
        if (!f.grid) continue;
        GridColumn col{f.name, Layout::titleOf(f), f.width > 0 ? f.width : entryWidth(f)};
        // The home telephones show only as many digits as the program writes.
        for (const store::FieldLimit& l : store::initialPhoneLimits())
            if (same(l.table, layout.name) && same(l.field, f.name)) col.width = l.limit;
        for (const ColumnTitle& t : kColumnTitles)
            if (grid == t.grid && same(t.field, f.name)) col.title = t.title;
        columns.push_back(std::move(col));
    }
    return columns;
}

// The caption shown beside a field: the pick-list label's where there is one, else the grid title.
std::string captionOf(const Layout& layout, const FieldDef& f) {
    const NamedLabel* named = findBinding(kLabels, layout.name, f.name);
    if (named) return named->caption;
    // The leisure memo has neither a label in the layout nor a caption label of its own.
    if (same(layout.name, "ZELT") && same(f.name, "Dosug")) return "Досуг";
    return Layout::titleOf(f);
}

// Whether a memo box of a grid tab is one the editing switch opens.
bool switchedMemo(const GridTab& tab, bool readOnly) { return tab.editingSwitch && readOnly; }

class Builder {
public:
    Builder(FormModel& model, int firstCardMemo) : model_(model), cardMemo_(firstCardMemo) {}

    Control& add(const std::string& name, ControlKind kind, const std::string& parent) {
        return model_.add(name, kind, parent);
    }

    Control& addBound(const std::string& name, ControlKind kind, const std::string& parent, int source,
                      const char* field) {
        Control& c = add(name, kind, parent);
        c.dataSource = source;
        c.field = field;
        return c;
    }

    std::string nextEdit() {
        if (edit_ == kReservedEditNumber) ++edit_;
        return "DBEdit" + std::to_string(edit_++);
    }
    std::string nextLabel() { return "Label" + std::to_string(label_++); }
    std::string nextGroupBox() { return "GroupBox" + std::to_string(groupBox_++); }
    std::string nextPanel() { return "Panel" + std::to_string(panel_++); }
    std::string nextNavigator() { return "DBNavigator" + std::to_string(navigator_++); }
    std::string nextPageControl() { return "PageControl" + std::to_string(pageControl_++); }
    std::string nextTabSheet() { return "TabSheet" + std::to_string(tabSheet_++); }
    std::string nextCardMemo() { return "DBMemo" + std::to_string(cardMemo_++); }
    std::string nextGridMemo(bool switched) {
        return "DBMemo" + std::to_string(switched ? switchedMemo_++ : gridMemo_++);
    }

private:
    FormModel& model_;
    int edit_ = 1;
    int label_ = 300;
    int groupBox_ = 100;
    int panel_ = 1;
    int navigator_ = 1;
    int pageControl_ = 2;
    int tabSheet_ = 33;
    int switchedMemo_ = 11;  // the read-only memo boxes of the minors' and parents' grid tabs
    int gridMemo_ = 45;      // other memo boxes of the grid tabs
    int cardMemo_;           // card memo boxes without a name of their own, after the grid tabs'
};

// The memo boxes of the grid tabs outside the editing switch's series, counted so that the card's
// unnamed memo boxes can be numbered after them.
int countOtherGridMemos() {
    int n = 0;
    for (const GridTab& tab : gridTabs()) {
        const Layout& master = layoutOf(tab.source);
        for (const SubTab& sub : tab.subTabs) {
            if (!switchedMemo(tab, true)) n += static_cast<int>(sub.memos.size());
            for (const auto* list : {&sub.fields, &sub.archiveFields}) {
                if (list == &sub.archiveFields && !tab.archive) continue;
                for (const SubTabField& f : *list)
                    if (master.field(f.field).type == FieldType::Memo && !switchedMemo(tab, f.readOnly)) ++n;
            }
        }
    }
    return n;
}

void addNavigator(Builder& b, const std::string& parent, int source) {
    Control& nav = b.add(b.nextNavigator(), ControlKind::Navigator, parent);
    nav.dataSource = source;
    nav.items.assign(std::begin(kNavigatorHints), std::end(kNavigatorHints));
}

void addNoteBox(Builder& b, const char* name, const std::string& parent, int source) {
    b.add(name, ControlKind::RichEdit, parent).dataSource = source;
}

// A field of an edit card: its caption label and its edit, combo box or memo box.
void addCardField(Builder& b, const std::string& parent, int source, const char* fieldName) {
    const Layout& layout = layoutOf(source);
    const FieldDef& f = layout.field(fieldName);
    const NamedLabel* label = findBinding(kLabels, layout.name, f.name);
    b.add(label ? label->name : b.nextLabel(), ControlKind::Label, parent).caption = captionOf(layout, f);

    const NamedControl* combo = findBinding(kComboBoxes, layout.name, f.name);
    const PhraseEntry* phrase = findBinding(kPhraseEntries, layout.name, f.name);
    if (combo) {
        Control& c = b.addBound(combo->name, ControlKind::ComboBox, parent, source, f.name);
        c.width = entryWidth(f);
        if (same(combo->name, kSexComboBox)) c.items.assign(std::begin(kSexValues), std::end(kSexValues));
        return;
    }
    const bool memo = f.type == FieldType::Memo;
    const std::string name = phrase ? phrase->name : memo ? b.nextCardMemo() : b.nextEdit();
    Control& c = b.addBound(name, memo ? ControlKind::Memo : ControlKind::Edit, parent, source, f.name);
    if (!memo) c.width = entryWidth(f);
    if (phrase) c.popupMenu = phrase->popupMenu;
}

void addCard(Builder& b, const CardTab& card) {
    std::string outer;  // the last group that is not nested
    for (const CardGroup& g : card.groups) {
        const std::string parent = g.nested ? outer : card.sheet;
        const std::string name = g.name ? g.name : g.caption ? b.nextGroupBox() : b.nextPanel();
        b.add(name, g.caption ? ControlKind::GroupBox : ControlKind::Panel, parent).caption =
            g.caption ? g.caption : "";
        if (g.navigator) addNavigator(b, name, g.source);
        for (const char* field : g.fields) addCardField(b, name, g.source, field);
        if (g.noteBox) addNoteBox(b, g.noteBox, name, g.source);
        for (const Button& btn : g.buttons) b.add(btn.name, ControlKind::Button, name).caption = btn.caption;
        if (!g.nested) outer = name;
    }
}

Control& addGrid(Builder& b, const std::string& name, const std::string& parent, int source, bool readOnly) {
    Control& grid = b.addBound(name, ControlKind::Grid, parent, source, "");
    grid.readOnly = readOnly;
    grid.columns = gridColumns(name, layoutOf(source));
    for (const GridTrait& t : kGridTraits) {
        if (name != t.grid) continue;
        grid.colourAdults = t.colourAdults;
        grid.popupMenu = t.popupMenu;
    }
    return grid;
}

// A registration field of a grid tab: caption label and an edit, or a memo box.
void addSubTabField(Builder& b, const GridTab& tab, const std::string& parent, const SubTabField& sf) {
    const Layout& layout = layoutOf(tab.source);
    const FieldDef& f = layout.field(sf.field);
    b.add(b.nextLabel(), ControlKind::Label, parent).caption = captionOf(layout, f);
    if (f.type == FieldType::Memo) {
        Control& m = b.addBound(b.nextGridMemo(switchedMemo(tab, sf.readOnly)), ControlKind::Memo, parent,
                                tab.source, f.name);
        m.readOnly = sf.readOnly;
    } else {
        b.addBound(b.nextEdit(), ControlKind::Edit, parent, tab.source, f.name).width = entryWidth(f);
    }
}

void addGridTab(Builder& b, const GridTab& tab) {
    addGrid(b, "DBGrid" + std::to_string(tab.firstGrid), tab.sheet, tab.source, tab.readOnly);
    const std::string pages = b.nextPageControl();
    Control& pageControl = b.add(pages, ControlKind::PageControl, tab.sheet);
    int grid = tab.firstGrid;
    for (const SubTab& sub : tab.subTabs) {
        const std::string sheet = b.nextTabSheet();
        if (pageControl.text.empty()) pageControl.text = sheet;
        b.add(sheet, ControlKind::TabSheet, pages).caption = sub.caption;
        if (sub.detail) {
            const int source = detailSource(tab.source, sub.detail);
            addGrid(b, "DBGrid" + std::to_string(++grid), sheet, source, tab.readOnly);
            for (const char* field : sub.memos)
                b.addBound(b.nextGridMemo(switchedMemo(tab, true)), ControlKind::Memo, sheet, source, field)
                    .readOnly = true;
        }
        for (const SubTabField& f : sub.fields) addSubTabField(b, tab, sheet, f);
        if (tab.archive)
            for (const SubTabField& f : sub.archiveFields) addSubTabField(b, tab, sheet, f);
        if (sub.noteBox) addNoteBox(b, tab.noteBox, sheet, tab.source);
    }
}

}  // namespace

std::string fieldCaption(std::string_view layout, std::string_view field) {
    // One lookup per layout, field -> caption, from the cards and the grid tabs' registration fields.
    using Captions = std::map<std::string, std::map<std::string, std::string, std::less<>>, std::less<>>;
    static const Captions captions = [] {
        Captions c;
        const auto note = [&c](int source, const char* fieldName) {
            const Layout& l = layoutOf(source);
            c[l.name].emplace(fieldName, captionOf(l, l.field(fieldName)));
        };
        for (const CardTab& card : cardTabs())
            for (const CardGroup& g : card.groups)
                for (const char* f : g.fields) note(g.source, f);
        for (const GridTab& tab : gridTabs())
            for (const SubTab& sub : tab.subTabs)
                for (const auto* list : {&sub.fields, &sub.archiveFields})
                    for (const SubTabField& f : *list) note(tab.source, f.field);
        return c;
    }();
    const auto l = captions.find(layout);
    if (l == captions.end()) return {};
    const auto f = l->second.find(field);
    return f == l->second.end() ? std::string() : f->second;
}

void buildMainWindowControls(FormModel& model) {
    Builder b(model, 45 + countOtherGridMemos());

    for (const MenuEntry& m : kMenu) {
        Control& c = b.add(m.name, m.kind, m.parent);
        c.caption = m.caption;
        c.visible = m.visible;
    }

    // The work area stays hidden until a register is chosen.
    Control& work = b.add("PageControl1", ControlKind::PageControl, "TForm1");
    work.visible = false;
    work.text = kWorkTabs[0].name;
    for (const TabEntry& t : kWorkTabs) b.add(t.name, ControlKind::TabSheet, "PageControl1").caption = t.caption;

    // The cards come first: their edits are numbered from 1.
    for (const CardTab& card : cardTabs()) addCard(b, card);
    for (const GridTab& tab : gridTabs()) addGridTab(b, tab);

    b.add("StatusBar1", ControlKind::StatusBar, "TForm1");
    for (size_t i = 0; i < std::size(kStatusPanelWidths); ++i)
        b.add("StatusBar1.Panel" + std::to_string(i), ControlKind::StatusPanel, "StatusBar1").width =
            kStatusPanelWidths[i];
}

std::vector<GridColumn> gridColumnsOf(const std::string& grid, const store::Layout& layout) {
    return gridColumns(grid, layout);
}

}  // namespace zelt::app
