#include "reports/skeleton.h"

namespace zelt::reports {

std::string withParagraphMarks(std::string text) {
    size_t out = 0;
    for (size_t in = 0; in < text.size(); ++in) {
        if (text[in] == '\r' && in + 1 < text.size() && text[in + 1] == '\n') continue;
        text[out++] = text[in] == '\n' ? '\r' : text[in];
    }
    text.resize(out);
    return text;
}

std::string fieldText(const store::Table& t, const char* field) { return withParagraphMarks(t.asText(field)); }

std::string fullName(const store::Table& t) {
    return fieldText(t, "F") + " " + fieldText(t, "I") + " " + fieldText(t, "O");
}

std::string parentsNames(const store::Table& family) {
    const std::string mother = fieldText(family, "Fm") + " " + fieldText(family, "Im") + " " + fieldText(family, "Om");
    const std::string father = fieldText(family, "Fo") + " " + fieldText(family, "Io") + " " + fieldText(family, "Oo");
    const bool hasMother = !(fieldText(family, "Fm") + fieldText(family, "Im") + fieldText(family, "Om")).empty();
    const bool hasFather = !(fieldText(family, "Fo") + fieldText(family, "Io") + fieldText(family, "Oo")).empty();
    std::string text;
    if (hasMother) text = mother;
    if (hasFather) text = mother + "\r" + father;
    return text;
}

std::string address(const store::Table& t, const AddressFields& a, AddressForm form) {
    const std::string city = fieldText(t, a.city), street = fieldText(t, a.street), house = fieldText(t, a.house),
                      flat = fieldText(t, a.flat);
    switch (form) {
        case AddressForm::Plain: return city + " " + street + " " + house + " " + flat;
        case AddressForm::ShortLabelled: return city + " ул. " + street + " д." + house + " кв." + flat;
        case AddressForm::FullLabelled:
            return "обл. " + fieldText(t, a.region) + ", г. " + city + ", ул. " + street + ", д." + house + ", кв." + flat;
    }
    return std::string();
}

std::string parentsAddresses(const store::Table& family, AddressForm form) {
    static const AddressFields mother{"Obm", "Gm", "Um", "Dm", "Km"};
    static const AddressFields father{"Obo", "Go", "Uo", "Do", "Ko"};
    const auto filled = [&family](const AddressFields& a) {
        return !(fieldText(family, a.city) + fieldText(family, a.street) + fieldText(family, a.house) +
                 fieldText(family, a.flat))
                    .empty();
    };
    std::string text;
    if (filled(mother)) text = address(family, mother, form);
    if (filled(father)) text += "\r" + address(family, father, form);
    return text;
}

std::string childrenList(store::Table& children) {
    std::string text;
    bool first = true;
    for (children.first(); !children.eof(); children.next()) {
        if (!first) text += "\r";
        first = false;
        text += fullName(children) + ", " + fieldText(children, "DR") + "г.р.";
    }
    return text;
}

std::string datedTitle(const std::string& name) {
    return name + "\r" + "на \"   \" ____________ 20__г." + "\r\r";
}

ReportWriter::ReportWriter(Document& doc, double fontSize, Orientation orientation) : doc_(doc) {
    if (fontSize > 0) doc_.selection().fontSize(fontSize);
    if (orientation != Orientation::None) doc_.setOrientation(orientation == Orientation::Landscape ? 1 : 0);
    doc_.setSpellingCheck(false);
    doc_.setGrammarCheck(false);
}

void ReportWriter::type(const std::string& text, bool bold, bool centred) {
    Selection& s = selection();
    s.insertAfter(text);
    s.setBold(bold);
    s.setAlignment(centred ? 1 : 0);
    s.collapse();
}

void ReportWriter::typeAligned(const std::string& text, bool centred) {
    Selection& s = selection();
    s.insertAfter(text);
    s.setAlignment(centred ? 1 : 0);
    s.collapse();
}

int ReportWriter::listTable(int rows, int columns, const std::vector<std::string>& headers, double firstColumn) {
    Table& t = selection().tablesAdd(rows, columns);
    t.setColumnWidth(1, firstColumn);
    t.setRepeatsHeader(true);
    const int number = doc_.tableCount();
    for (size_t c = 0; c < headers.size(); ++c) t.cell(1, static_cast<int>(c) + 1).setText(headers[c]);
    return number;
}

void ReportWriter::cell(int table, int row, int column, const std::string& text) {
    doc_.table(table).cell(row, column).setText(text);
}

int ReportWriter::appendRow(int table) {
    Table& t = doc_.table(table);
    t.rowsAdd();
    return t.rowCount();
}

void ReportWriter::close(int format, const std::vector<int>& tables) {
    if (format == 0) return;
    for (int k : tables) doc_.table(k).autoFormat(format);
}

}  // namespace zelt::reports
