// Writes a small document whose tables merge cells, then prints it the way the script driver
// prints a report: "document: PATH" and the document's text picture. No report merges cells, yet
// a merged cell's w:gridSpan has to read back the same in the word processor as in our own model.
#include <filesystem>
#include <iostream>

#include "base/error.h"
#include "reports/document.h"
#include "reports/docx_writer.h"

namespace {

using namespace zelt::reports;

void build(Document& doc) {
    doc.setOrientation(0);
    Selection& s = doc.selection();
    s.fontSize(10);
    s.insertAfter("Состав семьи\r");
    s.setBold(true);
    s.setAlignment(1);
    s.collapse();

    // A row merged over the whole grid, a row with a two-column merge in the middle, a row
    // merged at its right end, and a row left alone, so every span position is read back.
    Table& t = s.tablesAdd(4, 4);
    t.setColumnWidth(1, 40);
    t.setColumnWidth(2, 150.5);
    t.setColumnWidth(3, 120);
    t.setColumnWidth(4, 90.25);
    // Typed into the first cell through the selection, so it holds a bold and a plain stretch.
    s.insertAfter("Мать: ");
    s.setBold(true);
    s.collapse();
    s.insertAfter("Иванова Мария Петровна");
    s.setBold(false);
    s.collapse();
    t.cell(1, 2).setText("Кимры");
    t.cell(1, 4).setText("01.01.1970");
    t.merge(1, 1, 4);  // the merged texts join with line breaks

    t.cell(2, 1).setText("2");
    t.cell(2, 2).setText("Иванов Пётр\rИванович");
    t.cell(2, 3).setText("11.05.1995г.р.");
    t.cell(2, 4).setText("СОШ № 2");
    t.merge(2, 2, 3);

    t.cell(3, 1).setText("3");
    t.cell(3, 2).setText("Иванова Анна");
    t.merge(3, 3, 4);
    t.cell(3, 3).setText("без занятости");

    t.cell(4, 1).setText("4");
    t.cell(4, 2).setText("Иванов Олег");
    t.cell(4, 3).setText("01.09.2001г.р.");
    t.cell(4, 4).setText("детский сад");
    t.autoFormat(16);
    t.select();
    s.collapse();
    s.insertAfter("Подпись\r");

    // A second table with the simple format: a header merged over its two right columns.
    Table& u = s.tablesAdd(2, 3);
    u.cell(1, 1).setText("№");
    u.cell(1, 2).setText("Мероприятия & <итоги>");
    u.merge(1, 2, 3);
    u.cell(2, 1).setText("1");
    u.cell(2, 2).setText("Беседа");
    u.cell(2, 3).setText("Проведена");
    u.autoFormat(1);
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::cerr << "usage: merged-cells-document DIR\n";
        return 2;
    }
    try {
        Document doc;
        build(doc);
        const std::filesystem::path path = writeDocx(doc, argv[1]);
        std::cout << "document: " << path.string() << "\n" << dumpDocument(doc);
    } catch (const zelt::EngineError& e) {
        std::cerr << "merged-cells-document: " << e.what() << "\n";
        return 1;
    }
    return 0;
}
