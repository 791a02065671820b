// The rows of the edit cards. Adding a field to a card is adding its row here, in the group and
// place it takes on the card; everything the field has (label, list file, phrase menu,
// capitalisation) is given in that row.
#include "app/card_fields.h"

namespace zelt::app {
namespace {

constexpr Entry E = Entry::Edit;
constexpr Entry C = Entry::ComboBox;
constexpr Entry M = Entry::Memo;

}  // namespace

// Columns of a field row: field, entry, control, caption label, caption (nullptr: the layout's
// title), list file, capitalised, then where needed the phrase menu with its file, how the label
// opens the list, a fixed list, and whether the combo box keeps its file's order on a card that
// sorts its lists.
const std::vector<CardTab>& cardTabs() {
    static const std::vector<CardTab> cards = {
        {"TabSheet2",
         {
             {"Panel1", nullptr, 1, "DBNavigator1",
              {
                  {"F", E, "DBEdit1", "Label300", nullptr, nullptr, true},
                  {"I", E, "DBEdit2", "Label301", nullptr, nullptr, true},
                  {"O", E, "DBEdit3", "Label302", nullptr, nullptr, true},
                  {"DR", E, "DBEdit4", "Label303", nullptr, nullptr, false},
                  {"MR", C, "DBComboBox1", "Label5", "Место рождения", "gorod.vrk", true},
                  {"Dosug", M, "DBMemo56", "Label304", "Досуг", nullptr, false},
                  {"MUch", C, "DBComboBox8", "Label16", "Место учёбы", "m_uch_p.vrk", true},
                  {"Zan", C, "DBComboBox48", "Label114", "Занятость", "zan_p.vrk", true, {}, LabelClick::Double, {}, true},
                  {"DTel", E, "DBEdit5", "Label305", nullptr, nullptr, false},
                  {"MTel", E, "DBEdit6", "Label306", nullptr, nullptr, false},
                  {"Pol", C, "DBComboBox26", "Label307", nullptr, nullptr, true, {}, LabelClick::Double, {"М", "Ж"}},
              }},
             {"GroupBox100", "Паспорт", 1, nullptr,
              {
                  {"Ser", E, "DBEdit7", "Label308", nullptr, nullptr, false},
                  {"Nom", E, "DBEdit8", "Label309", nullptr, nullptr, false},
                  {"DV", E, "DBEdit9", "Label310", nullptr, nullptr, false},
                  {"KV", C, "DBComboBox12", "Label140", "Кем выдан", "k_v_pasp_r.vrk", true},
              }},
             {"GroupBox101", "Регистрация", 1, nullptr,
              {
                  {"RegO", C, "DBComboBox2", "Label6", "Область", "obl.vrk", true},
                  {"RegG", C, "DBComboBox3", "Label7", "Город", "gorod.vrk", true},
                  {"RegU", C, "DBComboBox4", "Label8", "Улица", "ul.vrk", true},
                  {"RegD", E, "DBEdit10", "Label311", nullptr, nullptr, false},
                  {"RegK", E, "DBEdit11", "Label312", nullptr, nullptr, false},
              }},
             {"GroupBox2", "Проживание", 1, nullptr,
              {
                  {"PrO", C, "DBComboBox5", "Label11", "Область", "obl.vrk", true},
                  {"PrG", C, "DBComboBox6", "Label12", "Город", "gorod.vrk", true},
                  {"PrU", C, "DBComboBox7", "Label13", "Улица", "ul.vrk", true},
                  {"PrD", E, "DBEdit12", "Label313", nullptr, nullptr, false},
                  {"PrK", E, "DBEdit13", "Label314", nullptr, nullptr, false},
              }, nullptr, {}, false, "GroupBox101"},
             {"GroupBox102", "Постановка на учёт", 1, nullptr,
              {
                  {"PKDN", M, "DBMemo32", "Label34", "Причина", "pr_kdn_p.vrk", false, {"PopupMenu21", "pr_kdn_p.vrk"}},
                  {"DKDN", E, "DBEdit14", "Label315", nullptr, nullptr, false},
                  {"NKDN", E, "DBEdit15", "Label316", nullptr, nullptr, false},
              }},
             {"GroupBox103", "Снятие с учёта", 1, nullptr,
              {
                  {"DCcU", E, "DBEdit16", "Label317", nullptr, nullptr, false},
                  {"OCcU", C, "DBComboBox11", "Label31", "Основание", "osnccu_p.vrk", true, {}, LabelClick::Single},
              }, nullptr, {{"BitBtn1", "В архив"}}},
             {"GroupBox104", "Мать", 1, nullptr,
              {
                  {"Fm", E, "DBEdit17", "Label318", nullptr, nullptr, true},
                  {"Im", E, "DBEdit18", "Label319", nullptr, nullptr, true},
                  {"Om", E, "DBEdit19", "Label320", nullptr, nullptr, true},
                  {"DRm", E, "DBEdit20", "Label321", nullptr, nullptr, false},
                  {"MRmm", C, "DBComboBox13", "Label142", "Место рождения", "gorod.vrk", true},
                  {"Statm", C, "DBComboBox9", "Label22", "Статус", "stat_rod_p.vrk", true},
                  {"MRm", E, "DBEdit21", "Label322", nullptr, nullptr, true},
                  {"Serm", E, "DBEdit22", "Label323", nullptr, nullptr, false},
                  {"Nomm", E, "DBEdit23", "Label324", nullptr, nullptr, false},
                  {"DVm", E, "DBEdit24", "Label325", nullptr, nullptr, false},
                  {"KVm", C, "DBComboBox14", "Label148", "Кем выдан", "k_v_pasp_r.vrk", true},
              }},
             {"GroupBox105", "Отец", 1, nullptr,
              {
                  {"Fo", E, "DBEdit25", "Label326", nullptr, nullptr, true},
                  {"Io", E, "DBEdit26", "Label327", nullptr, nullptr, true},
                  {"Oo", E, "DBEdit27", "Label328", nullptr, nullptr, true},
                  {"DRo", E, "DBEdit28", "Label329", nullptr, nullptr, false},
                  {"MRoo", C, "DBComboBox15", "Label144", "Место рождения", "gorod.vrk", true},
                  {"Stato", C, "DBComboBox10", "Label27", "Статус", "stat_rod_p.vrk", true},
                  {"MRo", E, "DBEdit29", "Label330", nullptr, nullptr, true},
                  {"Sero", E, "DBEdit30", "Label331", nullptr, nullptr, false},
                  {"Nomo", E, "DBEdit31", "Label332", nullptr, nullptr, false},
                  {"DVo", E, "DBEdit32", "Label333", nullptr, nullptr, false},
                  {"KVo", C, "DBComboBox16", "Label152", "Кем выдан", "k_v_pasp_r.vrk", true},
              }},
             {"GroupBox106", "Привлечение к ответственности судом", 2, "DBNavigator2",
              {
                  {"DSud", E, "DBEdit33", "Label334", nullptr, nullptr, false},
                  {"MeraSud", E, "DBEdit37", "Label37", "Мера", "mera_pkos_p.vrk", true, {"PopupMenu22", "mera_pkos_p.vrk"}},
                  {"StSud", M, "DBMemo1", "Label36", "Статья", "st_sud_p.vrk", false, {"PopupMenu11", "st_sud_p.vrk"}},
                  {"DObSud", M, "DBMemo2", "Label38", "Дополнительные обязанности", "dop_ob_p.vrk", false, {"PopupMenu12", "dop_ob_p.vrk"}},
              }},
             {"GroupBox107", "Привлечение к ответственности комиссией", 3, "DBNavigator3",
              {
                  {"DProt", E, "DBEdit34", "Label335", nullptr, nullptr, false},
                  {"NProt", E, "DBEdit35", "Label336", nullptr, nullptr, false},
                  {"StProt", M, "DBMemo3", "Label41", "Статья", "st_kom_p.vrk", false, {"PopupMenu13", "st_kom_p.vrk"}},
                  {"MeraProt", M, "DBMemo4", "Label42", "Мера", "mera_kom_p.vrk", false, {"PopupMenu14", "mera_kom_p.vrk"}},
                  {"Rek", M, "DBMemo5", "Label47", "Рекомендации", "rekom_p.vrk", false, {"PopupMenu15", "rekom_p.vrk"}},
              }},
             {"GroupBox108", "Проводимая индивидуальная работа", 4, "DBNavigator4",
              {
                  {"SubProf", C, "DBComboBox17", "Label43", "Субъект", "sub.vrk", true},
                  {"DProf", E, "DBEdit36", "Label337", nullptr, nullptr, false},
                  {"RabProf", E, "DBEdit38", "Label338", nullptr, nullptr, true},
              }},
             {"GroupBox109", "Оперативная информация", 1, nullptr,
              {
              }, "RichEdit1"},
         },
         true},  // the minors' card sorts its lists, all but the occupations
        // The mother's and the father's blocks each lie together under a heading of their own.
        {"TabSheet4",
         {
             {"GroupBox110", "Мать", 9, nullptr,
              {
              }},
             {"Panel2", nullptr, 9, "DBNavigator5",
              {
                  {"Fm", E, "DBEdit39", "Label339", nullptr, nullptr, true},
                  {"Im", E, "DBEdit40", "Label340", nullptr, nullptr, true},
                  {"Om", E, "DBEdit41", "Label341", nullptr, nullptr, true},
                  {"DRm", E, "DBEdit42", "Label342", nullptr, nullptr, false},
                  {"MRm", C, "DBComboBox18", "Label52", "Место рождения", "gorod.vrk", true},
                  {"Dtm", E, "DBEdit43", "Label343", nullptr, nullptr, false},
                  {"Mtm", E, "DBEdit44", "Label344", nullptr, nullptr, false},
                  {"MRabm", E, "DBEdit45", "Label345", nullptr, nullptr, true},
              }, nullptr, {}, true},
             {"GroupBox111", "Паспорт", 9, nullptr,
              {
                  {"Serm", E, "DBEdit46", "Label346", nullptr, nullptr, false},
                  {"Nomm", E, "DBEdit47", "Label347", nullptr, nullptr, false},
                  {"DVm", E, "DBEdit48", "Label348", nullptr, nullptr, false},
                  {"KVm", C, "DBComboBox30", "Label59", "Кем выдан", "k_v_pasp_r.vrk", true},
              }, nullptr, {}, true},
             {"GroupBox112", "Регистрация", 9, nullptr,
              {
                  {"ORm", C, "DBComboBox20", "Label60", "Область", "obl.vrk", true},
                  {"GRm", C, "DBComboBox21", "Label61", "Город", "gorod.vrk", true},
                  {"URm", C, "DBComboBox22", "Label62", "Улица", "ul.vrk", true},
                  {"DomRm", E, "DBEdit49", "Label349", nullptr, nullptr, false},
                  {"KRm", E, "DBEdit50", "Label350", nullptr, nullptr, false},
              }, nullptr, {}, true},
             {"GroupBox11", "Проживание", 9, nullptr,
              {
                  {"Obm", C, "DBComboBox23", "Label65", "Область", "obl.vrk", true},
                  {"Gm", C, "DBComboBox24", "Label66", "Город", "gorod.vrk", true},
                  {"Um", C, "DBComboBox25", "Label67", "Улица", "ul.vrk", true},
                  {"Dm", E, "DBEdit51", "Label351", nullptr, nullptr, false},
                  {"Km", E, "DBEdit52", "Label352", nullptr, nullptr, false},
              }, nullptr, {}, true, "GroupBox112"},
             {"GroupBox113", "Отец", 9, nullptr,
              {
              }},
             {"Panel3", nullptr, 9, nullptr,
              {
                  {"Fo", E, "DBEdit53", "Label353", nullptr, nullptr, true},
                  {"Io", E, "DBEdit54", "Label354", nullptr, nullptr, true},
                  {"Oo", E, "DBEdit55", "Label355", nullptr, nullptr, true},
                  {"DRo", E, "DBEdit56", "Label356", nullptr, nullptr, false},
                  {"MRo", C, "DBComboBox28", "Label75", "Место рождения", "gorod.vrk", true},
                  {"Dto", E, "DBEdit57", "Label357", nullptr, nullptr, false},
                  {"Mto", E, "DBEdit58", "Label358", nullptr, nullptr, false},
                  {"MRabo", E, "DBEdit59", "Label359", nullptr, nullptr, true},
              }, nullptr, {}, true},
             {"GroupBox114", "Паспорт", 9, nullptr,
              {
                  {"Sero", E, "DBEdit60", "Label360", nullptr, nullptr, false},
                  {"Nomo", E, "DBEdit61", "Label361", nullptr, nullptr, false},
                  {"DVo", E, "DBEdit62", "Label362", nullptr, nullptr, false},
                  {"KVo", C, "DBComboBox31", "Label82", "Кем выдан", "k_v_pasp_r.vrk", true},
              }, nullptr, {}, true},
             {"GroupBox14", "Регистрация", 9, nullptr,
              {
                  {"ORo", C, "DBComboBox32", "Label83", "Область", "obl.vrk", true},
                  {"GRo", C, "DBComboBox33", "Label84", "Город", "gorod.vrk", true},
                  {"URo", C, "DBComboBox34", "Label85", "Улица", "ul.vrk", true},
                  {"DomRo", E, "DBEdit63", "Label363", nullptr, nullptr, false},
                  {"KRo", E, "DBEdit64", "Label364", nullptr, nullptr, false},
              }, nullptr, {}, true, "GroupBox112"},
             {"GroupBox15", "Проживание", 9, nullptr,
              {
                  {"Obo", C, "DBComboBox35", "Label88", "Область", "obl.vrk", true},
                  {"Go", C, "DBComboBox36", "Label89", "Город", "gorod.vrk", true},
                  {"Uo", C, "DBComboBox37", "Label90", "Улица", "ul.vrk", true},
                  {"Do", E, "DBEdit65", "Label365", nullptr, nullptr, false},
                  {"Ko", E, "DBEdit66", "Label366", nullptr, nullptr, false},
              }, nullptr, {}, true, "GroupBox14"},
             {"GroupBox115", "Постановка на учёт", 9, nullptr,
              {
                  {"DKDN", E, "DBEdit67", "Label367", nullptr, nullptr, false},
                  {"NKDN", E, "DBEdit68", "Label368", nullptr, nullptr, false},
                  {"OKDN", C, "DBComboBox38", "Label95", "Основание", "opnu_r.vrk", true},
                  {"KKDN", M, "DBMemo6", "Label96", "Контроль", "kontpnu_r.vrk", false, {"PopupMenu16", "kontpnu_r.vrk"}},
              }},
             {"GroupBox116", "Снятие с учёта", 9, nullptr,
              {
                  {"DCcU", E, "DBEdit69", "Label369", nullptr, nullptr, false},
                  {"OCcU", C, "DBComboBox40", "Label98", "Основание", "osnccu_r.vrk", true},
                  {"PCcU", C, "DBComboBox41", "Label99", "Причина", "pccu_r.vrk", true},
              }, nullptr, {{"BitBtn2", "В архив"}, {"BitBtn3", "Архив мать"}, {"BitBtn4", "Архив отец"}}},
             {"GroupBox117", "Сведения о детях", 10, "DBNavigator6",
              {
                  {"F", E, "DBEdit70", "Label370", nullptr, nullptr, true},
                  {"I", E, "DBEdit71", "Label371", nullptr, nullptr, true},
                  {"O", E, "DBEdit72", "Label372", nullptr, nullptr, true},
                  {"DR", E, "DBEdit73", "Label373", nullptr, nullptr, false},
                  {"OU", C, "DBComboBox42", "Label104", "Занятость", "m_uch_p.vrk", true},
              }},
             {"GroupBox118", "Привлечение к ответственности", 11, "DBNavigator7",
              {
                  {"DKDN", E, "DBEdit74", "Label374", nullptr, nullptr, false},
                  {"NKDN", E, "DBEdit75", "Label375", nullptr, nullptr, false},
                  {"Mater", M, "DBMemo10", "Label29", "От кого", "otkogo_r.vrk", false, {"PopupMenu20", "otkogo_r.vrk"}},
                  {"O", M, "DBMemo7", "Label107", "Основания", "opko_r.vrk", false, {"PopupMenu17", "opko_r.vrk"}},
                  {"PM", M, "DBMemo8", "Label108", "Принятые меры", "pmpko_r.vrk", false, {"PopupMenu18", "pmpko_r.vrk"}},
                  {"DM", M, "DBMemo9", "Label109", "Дополнит-ные меры", "dmpko_r.vrk", false, {"PopupMenu19", "dmpko_r.vrk"}},
              }},
             {"GroupBox119", "Профработа", 12, "DBNavigator8",
              {
                  {"S", C, "DBComboBox46", "Label110", "Субъект", "sub.vrk", true},
                  {"D", E, "DBEdit76", "Label376", nullptr, nullptr, false},
                  {"Pr", E, "DBEdit77", "Label377", nullptr, nullptr, true},
                  {"P", C, "DBComboBox47", "Label113", "Результат", "rezpr_r.vrk", true},
              }},
             {"GroupBox120", "Оперативная информация", 9, nullptr,
              {
              }, "RichEdit4"},
         }},
        {"TabSheet24",
         {
             {"Panel4", nullptr, 33, "DBNavigator9",
              {
                  {"F", E, "DBEdit78", "Label378", nullptr, nullptr, true},
                  {"I", E, "DBEdit79", "Label379", nullptr, nullptr, true},
                  {"O", E, "DBEdit80", "Label380", nullptr, nullptr, true},
                  {"DR", E, "DBEdit81", "Label381", nullptr, nullptr, false},
                  {"MR", C, "DBComboBox19", "Label172", "Место рождения", "gorod.vrk", true},
                  {"Dt", E, "DBEdit82", "Label382", nullptr, nullptr, false},
                  {"Mt", E, "DBEdit83", "Label383", nullptr, nullptr, false},
                  {"MRab", E, "DBEdit84", "Label384", nullptr, nullptr, true},
                  {"MU", E, "DBEdit85", "Label385", nullptr, nullptr, true},
              }},
             {"GroupBox121", "Паспорт", 33, nullptr,
              {
                  {"Ser", E, "DBEdit86", "Label386", nullptr, nullptr, false},
                  {"Nom", E, "DBEdit87", "Label387", nullptr, nullptr, false},
                  {"DV", E, "DBEdit88", "Label388", nullptr, nullptr, false},
                  {"KV", C, "DBComboBox27", "Label179", "Кем выдан", "k_v_pasp_r.vrk", true},
              }},
             {"GroupBox122", "Регистрация", 33, nullptr,
              {
                  {"OR", C, "DBComboBox29", "Label180", "Область", "obl.vrk", true},
                  {"GR", C, "DBComboBox39", "Label181", "Город", "gorod.vrk", true},
                  {"UR", C, "DBComboBox43", "Label182", "Улица", "ul.vrk", true},
                  {"DomR", E, "DBEdit89", "Label389", nullptr, nullptr, false},
                  {"KR", E, "DBEdit90", "Label390", nullptr, nullptr, false},
              }},
             {"GroupBox30", "Проживание", 33, nullptr,
              {
                  {"Ob", C, "DBComboBox44", "Label185", "Область", "obl.vrk", true},
                  {"G", C, "DBComboBox45", "Label186", "Город", "gorod.vrk", true},
                  {"U", C, "DBComboBox49", "Label187", "Улица", "ul.vrk", true},
                  {"D", E, "DBEdit91", "Label391", nullptr, nullptr, false},
                  {"K", E, "DBEdit92", "Label392", nullptr, nullptr, false},
              }, nullptr, {}, false, "GroupBox122"},
             {"GroupBox123", "Привлечение к ответственности", 34, "DBNavigator10",
              {
                  {"O", M, "DBMemo41", "Label192", "Основания", "opko_pr.vrk", false, {"PopupMenu24", "opko_pr.vrk"}},
                  {"DKDN", E, "DBEdit93", "Label393", nullptr, nullptr, false},
                  {"NKDN", E, "DBEdit94", "Label394", nullptr, nullptr, false},
                  {"Mater", M, "DBMemo44", "Label195", "От кого", "otkogo_pr.vrk", false, {"PopupMenu27", "otkogo_pr.vrk"}},
                  {"PM", M, "DBMemo42", "Label193", "Принятые меры", "mpko_pr.vrk", false, {"PopupMenu25", "mpko_pr.vrk"}},
              }},
             {"GroupBox124", "Оперативная информация", 33, nullptr,
              {
              }, "RichEdit6", {{"BitBtn5", "В архив"}}},
         }},
        {"TabSheet31",
         {
             {"Panel5", nullptr, 41, "DBNavigator11",
              {
                  {"Naim", E, "DBEdit95", "Label395", nullptr, nullptr, true},
                  {"O", C, "DBComboBox50", "Label396", nullptr, "obl.vrk", true, {}, LabelClick::None},
                  {"G", C, "DBComboBox51", "Label397", nullptr, "gorod.vrk", true, {}, LabelClick::None},
                  {"U", C, "DBComboBox52", "Label398", nullptr, "ul.vrk", true, {}, LabelClick::None},
                  {"D", E, "DBEdit96", "Label399", nullptr, nullptr, false},
              }},
             {"Panel6", nullptr, 43, "DBNavigator12",
              {
                  {"NKDN", E, "DBEdit97", "Label400", nullptr, nullptr, false},
                  {"DKDN", E, "DBEdit98", "Label401", nullptr, nullptr, false},
                  {"Osn", M, "DBMemo35", "Label211", "Основания", "opko_r.vrk", false, {"PopupMenu28", "opko_u.vrk"}},
                  {"Mater", M, "DBMemo37", "Label213", "От кого", "otkogo_r.vrk", false, {"PopupMenu29", "otkogo_r.vrk"}},
                  {"PM", M, "DBMemo36", "Label212", "Принятые меры", "pmpko_r.vrk", false, {"PopupMenu30", "mpko_pr.vrk"}},
                  {"Rek", M, "DBMemo38", "Label216", "Рекомендации", "dmpko_r.vrk", false, {"PopupMenu31", "dmpko_r.vrk"}},
              }},
             {"GroupBox125", "Несовершеннолетний", 43, nullptr,
              {
                  {"F", E, "DBEdit99", "Label402", nullptr, nullptr, true},
                  {"I", E, "DBEdit100", "Label403", nullptr, nullptr, true},
                  {"O", E, "DBEdit101", "Label404", nullptr, nullptr, true},
                  {"DR", E, "DBEdit102", "Label405", nullptr, nullptr, false},
              }, nullptr, {}, true},
             // The institutions have no archive yet; the button is there and does nothing.
             {"GroupBox126", "Оперативная информация", 41, nullptr,
              {
              }, "RichEdit10", {{"BitBtn6", "В архив"}}},
         }},
    };
    return cards;
}

}  // namespace zelt::app
