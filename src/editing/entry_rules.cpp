#include "editing/entry_rules.h"

#include "base/text.h"

namespace zelt::editing {

const char* const kPhraseEdit = "DBEdit37";

const std::vector<Normalised>& normalisedFields() {
    static const std::vector<Normalised> fields = {
        {"ZELT",
         {"F", "I", "O", "Fm", "Im", "Om", "MRm", "Fo", "Io", "Oo", "MRo"},
         {"MR", "MUch", "Zan", "Pol", "RegO", "RegG", "RegU", "PrO", "PrG", "PrU", "OCcU", "Statm", "Stato", "KV", "MRmm",
          "KVm", "MRoo", "KVo"}},
        {"PNU", {"MeraSud"}, {}},
        {"PIR", {"RabProf"}, {"SubProf"}},
        {"BDS",
         {"Fm", "Im", "Om", "Fo", "Io", "Oo", "MRabm", "MRabo"},
         {"MRm", "KVm", "ORm", "GRm", "URm", "Obm", "Gm", "Um", "MRo", "KVo", "ORo", "GRo", "URo", "Obo", "Go", "Uo", "OKDN",
          "OCcU", "PCcU"}},
        {"SD", {"F", "I", "O"}, {"OU"}},
        {"PR", {"Pr"}, {"S", "P"}},
        {"Prochie", {"F", "I", "O", "MRab", "MU"}, {"MR", "KV", "OR", "GR", "UR", "Ob", "G", "U"}},
        {"Uch", {"Naim"}, {"O", "G", "U"}},
        {"PKOU", {"F", "I", "O"}, {}},
    };
    return fields;
}

const std::vector<AddressCopy>& addressCopies() {
    static const std::vector<AddressCopy> copies = {
        {"GroupBox2", "ZELT", {"RegO", "RegG", "RegU", "RegD", "RegK"}, {"PrO", "PrG", "PrU", "PrD", "PrK"}},
        {"GroupBox11", "BDS", {"ORm", "GRm", "URm", "DomRm", "KRm"}, {"Obm", "Gm", "Um", "Dm", "Km"}},
        {"GroupBox14", "BDS", {"ORm", "GRm", "URm", "DomRm", "KRm"}, {"ORo", "GRo", "URo", "DomRo", "KRo"}},
        {"GroupBox15", "BDS", {"ORo", "GRo", "URo", "DomRo", "KRo"}, {"Obo", "Go", "Uo", "Do", "Ko"}},
        {"GroupBox30", "Prochie", {"OR", "GR", "UR", "DomR", "KR"}, {"Ob", "G", "U", "D", "K"}},
    };
    return copies;
}

const std::vector<PhraseMenu>& phraseMenus() {
    static const std::vector<PhraseMenu> menus = {
        {"PopupMenu11", "DBMemo1", "st_sud_p.vrk"},    {"PopupMenu12", "DBMemo2", "dop_ob_p.vrk"},
        {"PopupMenu22", "DBEdit37", "mera_pkos_p.vrk"}, {"PopupMenu13", "DBMemo3", "st_kom_p.vrk"},
        {"PopupMenu14", "DBMemo4", "mera_kom_p.vrk"},  {"PopupMenu15", "DBMemo5", "rekom_p.vrk"},
        {"PopupMenu21", "DBMemo32", "pr_kdn_p.vrk"},   {"PopupMenu16", "DBMemo6", "kontpnu_r.vrk"},
        {"PopupMenu17", "DBMemo7", "opko_r.vrk"},      {"PopupMenu18", "DBMemo8", "pmpko_r.vrk"},
        {"PopupMenu19", "DBMemo9", "dmpko_r.vrk"},     {"PopupMenu20", "DBMemo10", "otkogo_r.vrk"},
        {"PopupMenu24", "DBMemo41", "opko_pr.vrk"},    {"PopupMenu25", "DBMemo42", "mpko_pr.vrk"},
        {"PopupMenu27", "DBMemo44", "otkogo_pr.vrk"},  {"PopupMenu28", "DBMemo35", "opko_u.vrk"},
        {"PopupMenu30", "DBMemo36", "mpko_pr.vrk"},    {"PopupMenu29", "DBMemo37", "otkogo_r.vrk"},
        {"PopupMenu31", "DBMemo38", "dmpko_r.vrk"},
    };
    return menus;
}

std::string capitalised(const std::string& text) { return capitalizeFirst(text); }

std::string withPhraseAdded(const std::string& memoText, const std::string& phrase) {
    if (memoText.empty()) return phrase;
    const bool endsWithLine = memoText.size() >= 1 && memoText.back() == '\n';
    return memoText + (endsWithLine ? "" : "\r\n") + phrase;
}

}  // namespace zelt::editing
