#include "reports/cards.h"

#include "base/error.h"
#include "reports/skeleton.h"

#include <vector>

namespace zelt::reports {
namespace {

// Which copies of the register a step belongs to.
enum class In { Both, Live, Archive };

// A card's text is written as templates: [X] is the field text of field X of the record being
// typed, {A B C D E} the full labelled address of region A, city B, street C, house D, flat E.
// In the lines shared by both parents, '*' stands for the parent's suffix (m or o).
struct Step {
    enum Kind { Heading, Line } kind;
    std::string label;  // a heading's text (bold, centred); a line's label (bold, left), may be empty
    std::string value;  // a line's value (plain, left)
    In in = In::Both;
};

struct Section {
    std::string heading;
    int detail[2];  // live and archive table objects
    std::vector<Step> record;
    std::string separator;
};

struct CardDef {
    int master[2];  // live and archive table objects
    std::vector<Step> steps;
    std::vector<Section> sections;
};

Step heading(const std::string& text, In in = In::Both) { return {Step::Heading, text, "", in}; }
Step line(const std::string& label, const std::string& value, In in = In::Both) {
    return {Step::Line, label, value, in};
}

const std::string kRule(80, '_');

// The parent's lines with the parent's suffix put in for '*'.
std::vector<Step> forParent(const std::vector<Step>& lines, char suffix) {
    std::vector<Step> out = lines;
    for (Step& s : out)
        for (std::string* text : {&s.label, &s.value})
            for (char& c : *text)
                if (c == '*') c = suffix;
    return out;
}

void append(std::vector<Step>& to, const std::vector<Step>& more) { to.insert(to.end(), more.begin(), more.end()); }

CardDef minorCard() {
    // The minor's mother and father: the status the user picked as the label, then two lines.
    const std::vector<Step> parent = {
        line("[Stat*] ",
             "[F*] [I*] [O*], дата рождения [DR*], место рождения [MR**]\r"
             "Паспорт серия [Ser*] номер [Nom*] дата выдачи [DV*], кем выдан [KV*]\r"),
    };
    CardDef card{{1, 5}, {}, {}};
    card.steps = {
        line("Карточка несовершеннолетнего\r\rФИО ", "[F] [I] [O]\r", In::Live),
        line("Карточка несовершеннолетнего (архив)\r\rФИО ", "[F] [I] [O]\r", In::Archive),
        line("Дата рождения ", "[DR]\r"),
        line("Место рождения ", "[MR]\r"),
        line("Место учёбы ", "[MUch]\r"),
        line("Занятость ", "[Zan]\r"),
        line("Досуг ", "[Dosug]\r"),
        line("Телефон домашний ", "[DTel]"),
        line(", мобильный ", "[MTel]\r"),
        line("Регистрация: ", "{RegO RegG RegU RegD RegK}\r"),
        line("Проживание: ", "{PrO PrG PrU PrD PrK}\r"),
        line("Паспорт: ", "серия [Ser] № [Nom] дата выдачи [DV] кем выдан [KV]\r"),
        line("Дата КДН ", "[DKDN]\r"),
        line("№ КДН ", "[NKDN]\r"),
        line("Причина постановки на учёт ", "[PKDN]\r"),
        line("Дата снятия с учёта ", "[DCcU]\r", In::Archive),
        line("Основания снятия с учёта ", "[OCcU]\r", In::Archive),
    };
    append(card.steps, forParent(parent, 'm'));
    append(card.steps, forParent(parent, 'o'));
    card.sections = {
        {"\rПривлечение к ответственности судом: \r",
         {2, 6},
         {line("Дата решения суда ", "[DSud]\r"), line("Мера суда ", "[MeraSud]\r"), line("Статья ", "[StSud]\r"),
          line("Дополнительные обязанности ", "[DObSud]")},
         "\r" + kRule + "\r"},
        {"\rПривлечение к ответственности комиссией: \r",
         {3, 7},
         {line("Дата протокола ", "[DProt]\r"), line("Номер протокола ", "[NProt]\r"), line("Статья ", "[StProt]\r"),
          line("Мера ", "[MeraProt]\r"), line("Рекомендации ", "[Rek]")},
         "\r" + kRule + "\r"},
        {"\rПроводимая индивидуальная работа: \r",
         {4, 8},
         {line("Дата проведения профилактики ", "[DProf]\r"), line("Субъект проведения профилактики ", "[SubProf]\r"),
          line("Проведённая профилактическая работа ", "[RabProf]")},
         "\r" + kRule + "\r\r"},
    };
    return card;
}

CardDef familyCard() {
    // What the card says of each parent after the name; the father's are the mother's fields with o for m.
    const std::vector<Step> parent = {
        line("Дата рождения ", "[DR*]\r"),
        line("Место рождения ", "[MR*]\r"),
        line("Телефон домашний ", "[Dt*]"),
        line(", мобильный ", "[Mt*]\r"),
        line("Место работы ", "[MRab*]\r"),
        line("Паспорт ", "серия [Ser*] № [Nom*] дата выдачи [DV*] выдан [KV*]\r"),
        line("Регистрация: ", "{OR* GR* UR* DomR* KR*}\r"),
        line("Проживание: ", "{Ob* G* U* D* K*}\r"),
    };
    CardDef card{{9, 13}, {}, {}};
    card.steps = {heading("Карточка семьи\r\rМать\rФИО "), line("", "[Fm] [Im] [Om]\r")};
    append(card.steps, forParent(parent, 'm'));
    append(card.steps, {heading("\rОтец \r"), line("ФИО ", "[Fo] [Io] [Oo]\r")});
    append(card.steps, forParent(parent, 'o'));
    append(card.steps, {
                           line("\rДата КДН ", "[DKDN]\r"),
                           line("№ КДН ", "[NKDN]\r"),
                           line("Основания КДН ", "[OKDN]\r"),
                           line("Контроль КДН ", "[KKDN]\r"),
                           line("\rДата снятия с учёта ", "[DCcU]\r", In::Archive),
                           line("Основания снятия с учёта ", "[OCcU]\r", In::Archive),
                           line("Причина снятия с учёта ", "[PCcU]\r", In::Archive),
                       });
    card.sections = {
        {"\rДети: \r",
         {10, 14},
         {line("\rФИО ", "[F] [I] [O]\r"), line("Дата рождения ", "[DR]\r"), line("Занятость ", "[OU]")},
         "\r" + kRule + "\r"},
        {"\rПривлечение к ответственности: \r",
         {11, 15},
         {line("\rДата КДН ", "[DKDN]\r"), line("№ КДН ", "[NKDN]\r"), line("Основания КДН ", "[O]\r"),
          line("Принятые меры ", "[PM]\r"), line("Дополнительные меры ", "[DM]\r"),
          line("От кого поступил материал ", "[Mater]")},
         "\r" + kRule + "\r"},
        {"\rПрофработа: \r",
         {12, 16},
         {line("\rСубъект ", "[S]\r"), line("Дата проведённой работы ", "[D]\r"), line("Проведённая работа ", "[Pr]\r"),
          line("Результат ", "[P]")},
         "\r" + kRule + "\r\r"},
    };
    return card;
}

const CardDef& definition(Card card) {
    static const CardDef minor = minorCard();
    static const CardDef family = familyCard();
    return card == Card::Minor || card == Card::ArchivedMinor ? minor : family;
}

bool isArchive(Card card) { return card == Card::ArchivedMinor || card == Card::ArchivedFamily; }

// The template's text for the current record of `t`.
std::string expand(const std::string& text, const store::Table& t) {
    std::string out;
    for (size_t at = 0; at < text.size();) {
        const char open = text[at];
        if (open != '[' && open != '{') {
            const size_t next = text.find_first_of("[{", at);
            out.append(text, at, next == std::string::npos ? std::string::npos : next - at);
            at = next == std::string::npos ? text.size() : next;
            continue;
        }
        const size_t close = text.find(open == '[' ? ']' : '}', at);
        const std::string inner = text.substr(at + 1, close - at - 1);
        at = close + 1;
        if (open == '[') {
            out += fieldText(t, inner.c_str());
            continue;
        }
        std::vector<std::string> f;
        for (size_t from = 0; from <= inner.size();) {
            const size_t blank = std::min(inner.find(' ', from), inner.size());
            f.push_back(inner.substr(from, blank - from));
            from = blank + 1;
        }
        if (f.size() != 5) throw EngineError("address template " + inner);  // a fault in the tables above
        out += address(t, {f[0].c_str(), f[1].c_str(), f[2].c_str(), f[3].c_str(), f[4].c_str()},
                       AddressForm::FullLabelled);
    }
    return out;
}

void typeSteps(ReportWriter& w, const std::vector<Step>& steps, const store::Table& source, bool archive) {
    for (const Step& s : steps) {
        if (s.in == (archive ? In::Live : In::Archive)) continue;
        if (s.kind == Step::Heading) {
            w.type(expand(s.label, source), true, true);
            continue;
        }
        if (!s.label.empty()) w.type(expand(s.label, source), true, false);
        w.type(expand(s.value, source), false, false);
    }
}

}  // namespace

void personalCard(store::TableSet& tables, Card card, const std::string& note, Document& doc) {
    const CardDef& def = definition(card);
    const bool archive = isArchive(card);
    const store::Table& master = tables.table(def.master[archive ? 1 : 0]);

    ReportWriter w(doc, 10, ReportWriter::Orientation::None);
    typeSteps(w, def.steps, master, archive);
    for (const Section& section : def.sections) {
        w.type(section.heading, true, true);
        store::Table& detail = tables.table(section.detail[archive ? 1 : 0]);
        for (detail.first(); !detail.eof(); detail.next()) {
            typeSteps(w, section.record, detail, archive);
            // The rule keeps the plain style of the value before it.
            w.typeAligned(section.separator, false);
        }
    }
    w.type("Оперативная информация: \r", true, true);
    w.type(withParagraphMarks(note), false, false);
    w.close(0, {});
}

}  // namespace zelt::reports
