// What every report shares: the field text, the joined forms of names, addresses and children,
// and the building blocks a report is typed with (opening, typing step, list tables, closing).
#pragma once

#include "reports/document.h"
#include "store/table.h"

#include <memory>
#include <string>
#include <vector>

namespace zelt::reports {

// The field's display text: texts as stored, dates day.month.year, numbers plain, memos whole.
std::string fieldText(const store::Table& t, const char* field);
// Text with its line ends (CR LF as typed) turned into the one paragraph mark the documents know.
std::string withParagraphMarks(std::string text);

// [F] " " [I] " " [O].
std::string fullName(const store::Table& t);
// The mother's name, and on a new paragraph the father's when he has one (the mother's part is
// written even when empty, so a father alone reads as two blanks, a paragraph mark and his name).
std::string parentsNames(const store::Table& family);

// The four or five fields of an address, by name: region (for the full form), city, street, house, flat.
struct AddressFields {
    const char* region;
    const char* city;
    const char* street;
    const char* house;
    const char* flat;
};
enum class AddressForm { Plain, ShortLabelled, FullLabelled };
std::string address(const store::Table& t, const AddressFields& a, AddressForm form);
// The mother's residence address, then on a new paragraph the father's, each only when any of
// its four fields (city, street, house, flat) is filled.
std::string parentsAddresses(const store::Table& family, AddressForm form);
// One line per child the children's table shows, "[F] [I] [O], [DR]г.р.", joined by paragraph
// marks; walks the table, which stays on its last record.
std::string childrenList(store::Table& children);
// The report's name, then the blank date line.
std::string datedTitle(const std::string& name);

// Types one report into a new document through the word-processor operations. The document
// belongs to the command, so what was typed before a failure is still shown to the user.
class ReportWriter {
public:
    enum class Orientation { None, Landscape, Portrait };
    // The opening sequence on a new document: its font size (0 for none) and orientation, proofing off.
    ReportWriter(Document& doc, double fontSize, Orientation orientation);

    Document& document() { return doc_; }
    Selection& selection() { return doc_.selection(); }

    // The typing step: the text, then bold and alignment over it, then collapse.
    void type(const std::string& text, bool bold, bool centred);
    // A typing step that sets only the alignment: the text keeps the style of the text before it.
    void typeAligned(const std::string& text, bool centred);
    // A list table of rows x columns at the insertion point with the header row written; column 1
    // is `firstColumn` points wide; its header row repeats on every page. Returns its number in
    // document order.
    int listTable(int rows, int columns, const std::vector<std::string>& headers, double firstColumn = 30);
    void cell(int table, int row, int column, const std::string& text);
    // Appends a row to a growing table; returns its index.
    int appendRow(int table);
    // The closing: the table format applied to the tables given (none for 0).
    void close(int format, const std::vector<int>& tables);

private:
    Document& doc_;
};

}  // namespace zelt::reports
