// The in-memory document that reports are typed into, with the word-processor operations over it:
// a selection that inserts and formats text, and tables added, filled, merged and formatted in place.
#pragma once

#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace zelt::reports {

// Character 13 ends a paragraph in typed text and starts a new line inside a table cell.
constexpr char kParagraphMark = '\r';

struct CharFormat {
    bool bold = false;
    double size = 10;  // points

    bool operator==(const CharFormat& o) const { return bold == o.bold && size == o.size; }
    bool operator!=(const CharFormat& o) const { return !(*this == o); }
};

// A stretch of text in one character format. '\n' inside the text is a line break.
struct Run {
    std::string text;
    CharFormat format;
};

struct Paragraph {
    int alignment = 0;      // 0 left, 1 centred
    std::vector<Run> runs;  // adjacent runs always differ in format; none is empty
    CharFormat mark;        // the paragraph mark's format: what text typed into it while empty takes

    std::string text() const;
};

// A table cell holds one paragraph; its line breaks come from character 13 in the cell text.
class Cell {
public:
    // Replaces the cell's text; character 13 starts a new line. The text takes the cell's format.
    void setText(const std::string& text);
    std::string text() const { return paragraph_.text(); }
    int span() const { return span_; }  // grid columns the cell covers
    const Paragraph& paragraph() const { return paragraph_; }

private:
    friend class Table;
    friend class Selection;
    Paragraph paragraph_;
    int span_ = 1;
};

class Document;

class Table {
public:
    int rowCount() const { return static_cast<int>(rows_.size()); }
    int columnCount() const { return static_cast<int>(widths_.size()); }  // grid columns
    double columnWidth(int c) const;
    const std::vector<double>& widths() const { return widths_; }
    const std::vector<std::vector<Cell>>& rows() const { return rows_; }

    // Width of grid column c (1-based) in points; a missing column is an EngineError.
    void setColumnWidth(int c, double points);
    // Cell c (1-based, counted after merges) of row r; a cell outside the table is an EngineError.
    Cell& cell(int r, int c);
    // Appends one row at the bottom with the last row's cell layout, empty.
    void rowsAdd();
    // Merges cells c1..c2 of row r into cell c1; the cells to their right shift left.
    void merge(int r, int c1, int c2);
    // Makes the document's selection span this table; collapsing it continues below the table.
    void select();
    // 16 grid with all borders, 1 simple; 0 until a format is applied.
    void autoFormat(int format);
    int format() const { return format_; }
    // A long list: its header row repeats at the top of every page and no row is split across
    // pages (unless it is taller than a page). Only how the table is printed changes.
    void setRepeatsHeader(bool on) { repeatsHeader_ = on; }
    bool repeatsHeader() const { return repeatsHeader_; }

private:
    friend class Selection;
    Table(Document* doc, int rows, int cols, double totalWidth, const Paragraph& cellTemplate);
    std::vector<Cell>& row(int r);

    Document* doc_;
    std::vector<double> widths_;
    std::vector<std::vector<Cell>> rows_;
    int format_ = 0;
    bool repeatsHeader_ = false;
};

// One block of the document body: a paragraph or a table.
struct Block {
    Paragraph paragraph;           // used when table is null
    std::unique_ptr<Table> table;  // owned table, stable in memory while the document lives
    bool isTable() const { return table != nullptr; }
};

// The insertion point or selected range of a document, as the word processor's selection behaves.
class Selection {
public:
    // Size in points of text typed later; also resizes text the selection spans.
    void fontSize(double points);
    // Inserts text at the end of the selection. From a collapsed selection the selection then spans
    // exactly the new text; a selection that already spans text is extended over it. New text takes
    // the character format of the text before the insertion point, or at the start of a paragraph
    // that of the paragraph's own mark (so text typed below a bold title line starts plain, as
    // does a table added there). Character 13 ends a paragraph
    // (the new paragraph takes the alignment of the one it splits); in a table cell it is a line break.
    void insertAfter(const std::string& text);
    // Applies to the selected text.
    void setBold(bool bold);
    // Applies to every paragraph the selection touches, from the one it starts in; a selection
    // ending right after a paragraph mark does not touch the paragraph that follows.
    void setAlignment(int alignment);
    // Collapses to the end; from a selected table, to the paragraph below it.
    void collapse();
    // Adds an empty table at the insertion point (a selection is collapsed first) and puts the
    // insertion point into its first cell. The grid columns share the page's text width evenly.
    Table& tablesAdd(int rows, int cols);

private:
    friend class Document;
    friend class Table;
    explicit Selection(Document* doc) : doc_(doc) {}
    enum class Where { Body, Cell, Table };
    Paragraph& cellParagraph();
    CharFormat formatAtEnd();
    void applyFormat(void (*change)(CharFormat&, double), double value);

    Document* doc_;
    Where where_ = Where::Body;
    size_t startBlock_ = 0, startOffset_ = 0, endBlock_ = 0, endOffset_ = 0;  // body
    Table* table_ = nullptr;                                                  // cell or table
    size_t row_ = 0, col_ = 0, cellStart_ = 0, cellEnd_ = 0;                  // cell, 0-based
    std::optional<CharFormat> pending_;  // format set at a collapsed point for the next text
};

class Document {
public:
    // A new document: one empty left-aligned paragraph, portrait, proofing on.
    Document();
    Document(const Document&) = delete;
    Document& operator=(const Document&) = delete;

    Selection& selection() { return selection_; }
    const std::vector<Block>& blocks() const { return blocks_; }

    // The k-th table (1-based) in document order; a missing one is an EngineError.
    Table& table(int k);
    int tableCount() const;

    // 1 landscape, 0 portrait.
    void setOrientation(int orientation);
    int orientation() const { return orientation_; }

    void setSpellingCheck(bool on) { spelling_ = on; }
    void setGrammarCheck(bool on) { grammar_ = on; }
    bool spellingCheck() const { return spelling_; }
    bool grammarCheck() const { return grammar_; }

    // Width in points between the page margins for the current orientation (A4).
    double textWidth() const;

private:
    friend class Selection;
    friend class Table;
    std::vector<Block> blocks_;
    Selection selection_;
    int orientation_ = 0;
    bool spelling_ = true;
    bool grammar_ = true;
};

// Page geometry shared with the .docx writer: A4 in points and the margin on every side.
constexpr double kPageShortSide = 595.3;
constexpr double kPageLongSide = 841.9;
constexpr double kPageMargin = 56.7;  // 2 cm

// A plain-text picture of the document, stable for scripts and tests:
//   line 1: "orientation portrait" or "orientation landscape";
//   a paragraph: "[L] " (left) or "[C] " (centred), then its text with bold stretches in ** **;
//   a table: "table N (format F, widths W1 W2 ...)" with N its 1-based number and F 0 before a
//     format is applied, then one line per row "| cell | cell |"; a cell covering n > 1 grid
//     columns ends in " (span n)".
// Line breaks inside a paragraph or cell are written as the two characters "\n". Every line ends
// in a newline.
std::string dumpDocument(const Document& doc);

}  // namespace zelt::reports
