#include "app/filter_menus.h"

namespace zelt::app {
namespace {

FilterItem separator(const char* name) { return {name, FilterItemKind::Separator, ""}; }
FilterItem clear(const char* name) { return {name, FilterItemKind::Clear, "Все"}; }
FilterItem registered(const char* name) { return {name, FilterItemKind::Registered, "Поставленные на учёт", "DKDN"}; }

FilterItem onField(const char* name, const char* caption, const char* field, filter::ValueForm form,
                  const char* dialogCaption = nullptr) {
    return {name, FilterItemKind::Field, caption, field, form, dialogCaption};
}
FilterItem text(const char* name, const char* caption, const char* field, const char* dialogCaption = nullptr) {
    return onField(name, caption, field, filter::ValueForm::Text, dialogCaption);
}
FilterItem date(const char* name, const char* caption, const char* field) {
    return onField(name, caption, field, filter::ValueForm::Date);
}
FilterItem number(const char* name, const char* caption, const char* field) {
    return onField(name, caption, field, filter::ValueForm::Number);
}

std::vector<FilterItem> liveMinors() {
    FilterItem birth = date("N10", "Дата рождения", "DR");
    birth.prompt = "Введите данные рождения для фильтра";
    FilterItem age = number("N135", "Возраст", "L");
    age.emptyPrefill = true;  // the card has no age to show
    return {
        clear("N5"),
        separator("PopupMenu1.Sep1"),
        registered("N137"),
        separator("PopupMenu1.Sep2"),
        text("N7", "Фамилия", "F"),
        text("N8", "Имя", "I"),
        text("N9", "Отчество", "O"),
        birth,
        text("N11", "Место рождения", "MR"),
        text("N22", "Место учёбы", "MUch"),
        text("N138", "Занятость", "Zan"),
        date("N23", "Дата снятия", "DCcU"),
        text("N24", "Основания снятия", "OCcU"),
        text("N35", "д/телефон", "DTel", "Д/телефон"),
        text("N36", "м/телефон", "MTel", "М/телефон"),
        date("N37", "Дата (КДН)", "DKDN"),
        number("N38", "Номер (КДН)", "NKDN"),
        text("N47", "Пол", "Pol"),
        age,
        text("N12", "Область (рег)", "RegO"),
        text("N13", "Город (рег)", "RegG"),
        text("N14", "Улица (рег)", "RegU"),
        text("N15", "Дом (рег)", "RegD"),
        text("N16", "Квартира (рег)", "RegK"),
        separator("PopupMenu1.Sep3"),
        text("N17", "Область", "PrO"),
        text("N18", "Город", "PrG"),
        text("N19", "Улица", "PrU"),
        text("N21", "Дом", "PrD"),
        text("N20", "Квартира", "PrK"),
        text("N25", "Фамилия (м)", "Fm"),
        text("N26", "Имя (м)", "Im", "имя (м)"),
        text("N27", "Отчество (м)", "Om"),
        text("N31", "Статус (м)", "Statm"),
        text("N33", "Место работы (м)", "MRm"),
        separator("PopupMenu1.Sep4"),
        text("N28", "Фамилия (о)", "Fo"),
        text("N29", "Имя (о)", "Io"),
        text("N30", "Отчество (о)", "Oo"),
        text("N32", "Статус (о)", "Stato"),
        text("N34", "Место работы (о)", "MRo"),
    };
}

std::vector<FilterItem> liveParents() {
    return {
        clear("N51"),
        separator("PopupMenu6.Sep1"),
        registered("N142"),
        separator("PopupMenu6.Sep2"),
        date("N97", "Дата КДН", "DKDN"),
        number("N98", "Номер КДН", "NKDN"),
        text("N99", "Основания КДН", "OKDN"),
        {"N100", FilterItemKind::None, "Контроль КДН"},
        date("N101", "Дата снятия с учёта", "DCcU"),
        text("N102", "Основания снятия с учёта", "OCcU", "Основание снятия с учёта"),
        text("N103", "Причина снятия с учёта", "PCcU"),
        text("N53", "Фамилия (м)", "Fm"),
        text("N54", "Имя (м)", "Im"),
        text("N55", "Отчество (м)", "Om"),
        date("N56", "Дата рождения (м)", "DRm"),
        text("N57", "Место рождения (м)", "MRm"),
        text("N68", "д/телефон (м)", "Dtm", "Домашний телефон (м)"),
        text("N69", "м/телефон (м)", "Mtm", "Мобильный телефон (м)"),
        text("N70", "Место работы (м)", "MRabm"),
        separator("PopupMenu6.Sep3"),
        text("N58", "Область рег. (м)", "ORm"),
        text("N59", "Город рег. (м)", "GRm"),
        text("N60", "Улица рег. (м)", "URm"),
        text("N61", "Дом рег (м)", "DomRm", "Дом рег. (м)"),
        text("N62", "Квартира рег. (м)", "KRm"),
        separator("PopupMenu6.Sep4"),
        text("N63", "Область (м)", "Obm"),
        text("N64", "Город (м)", "Gm"),
        text("N65", "Улица (м)", "Um"),
        text("N66", "Дом (м)", "Dm"),
        text("N67", "Квартира (м)", "Km"),
        separator("PopupMenu6.Sep5"),
        text("N71", "Паспорт серия (м)", "Serm"),
        text("N72", "Паспорт номер (м)", "Nomm", "Паспорт номер"),
        date("N73", "Дата выдачи (м)", "DVm"),
        text("N74", "Кем выдан (м)", "KVm"),
        text("N75", "Фамилия (о)", "Fo"),
        text("N76", "Имя (о)", "Io"),
        text("N77", "Отчество (о)", "Oo"),
        date("N78", "Дата рождения (о)", "DRo"),
        text("N79", "Место рождения (о)", "MRo", "Место рождения"),
        text("N90", "д/телефон (о)", "Dto", "Домашний телефон (о)"),
        text("N91", "м/телефон (о)", "Mto", "Мобильный телефон (о)"),
        text("N92", "Место работы (о)", "MRabo"),
        separator("PopupMenu6.Sep6"),
        text("N80", "Область рег. (о)", "ORo"),
        text("N81", "Город рег. (о)", "GRo"),
        text("N82", "Улица рег. (о)", "URo"),
        text("N83", "Дом рег. (о)", "DomRo"),
        text("N84", "Квартира рег. (о)", "KRo"),
        separator("PopupMenu6.Sep7"),
        text("N85", "Область (о)", "Obo"),
        text("N86", "Город (о)", "Go"),
        text("N87", "Улица (о)", "Uo"),
        text("N88", "Дом (о)", "Do"),
        text("N89", "Квартира (о)", "Ko"),
        separator("PopupMenu6.Sep8"),
        text("N93", "Паспорт серия (о)", "Sero"),
        text("N94", "Паспорт номер (о)", "Nomo"),
        date("N95", "Дата выдачи (о)", "DVo"),
        text("N96", "Кем выдан (о)", "KVo"),
    };
}

// The archive grids put their own commands first, then the two filter items.
std::vector<FilterItem> archive(const char* sep1, const char* sep2, const char* erase, const char* restore,
                               const char* all, const char* year) {
    return {
        {erase, FilterItemKind::Delete, "Удалить"},
        separator(sep1),
        {restore, FilterItemKind::Restore, "Перенести из архива"},
        separator(sep2),
        clear(all),
        {year, FilterItemKind::Year, "Год снятия с учёта", filter::kYearField, filter::ValueForm::Date},
    };
}

}  // namespace

const std::vector<FilterMenu>& filterMenus() {
    static const std::vector<FilterMenu> menus = {
        {"PopupMenu1", "DBGrid1", 1, liveMinors()},
        {"PopupMenu6", "DBGrid9", 9, liveParents()},
        {"PopupMenu2", "DBGrid5", 5, archive("PopupMenu2.Sep1", "PopupMenu2.Sep2", "N43", "N118", "N145", "N144")},
        {"PopupMenu7", "DBGrid13", 13, archive("PopupMenu7.Sep1", "PopupMenu7.Sep2", "N111", "N121", "N147", "N148")},
    };
    return menus;
}

std::string dialogCaptionOf(const FilterItem& e) { return e.dialogCaption ? e.dialogCaption : e.caption; }

std::string promptOf(const FilterItem& e) { return e.prompt ? e.prompt : kFieldPrompt; }

}  // namespace zelt::app
