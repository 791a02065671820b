#include "reports/document.h"

#include <cstdio>

#include "base/error.h"

namespace zelt::reports {

namespace {

// The word processor's message for an index outside a collection.
const char* const kNoSuchMember = "Запрошенный элемент коллекции не существует.";

size_t length(const Paragraph& p) {
    size_t n = 0;
    for (const Run& r : p.runs) n += r.text.size();
    return n;
}

void normalize(Paragraph& p) {
    std::vector<Run> out;
    for (Run& r : p.runs) {
        if (r.text.empty()) continue;
        if (!out.empty() && out.back().format == r.format)
            out.back().text += r.text;
        else
            out.push_back(std::move(r));
    }
    p.runs = std::move(out);
}

// Splits the run that straddles `offset` so that a run boundary falls there; returns the index of
// the first run at or after the offset.
size_t splitAt(Paragraph& p, size_t offset) {
    size_t pos = 0;
    for (size_t i = 0; i < p.runs.size(); ++i) {
        size_t len = p.runs[i].text.size();
        if (offset == pos) return i;
        if (offset < pos + len) {
            Run tail{p.runs[i].text.substr(offset - pos), p.runs[i].format};
            p.runs[i].text.resize(offset - pos);
            p.runs.insert(p.runs.begin() + static_cast<long>(i) + 1, std::move(tail));
            return i + 1;
        }
        pos += len;
    }
    return p.runs.size();
}

// The format text inserted at `offset` takes: that of the character before it, else the mark's.
CharFormat formatBefore(const Paragraph& p, size_t offset) {
    if (offset == 0) return p.mark;
    size_t pos = 0;
    for (const Run& r : p.runs) {
        pos += r.text.size();
        if (offset <= pos) return r.format;
    }
    return p.runs.empty() ? p.mark : p.runs.back().format;
}

void insertText(Paragraph& p, size_t offset, const std::string& text, const CharFormat& f) {
    if (text.empty()) return;
    size_t i = splitAt(p, offset);
    p.runs.insert(p.runs.begin() + static_cast<long>(i), Run{text, f});
    normalize(p);
}

// Cuts the paragraph at `offset`; the tail becomes a new paragraph with the same alignment.
Paragraph splitParagraph(Paragraph& p, size_t offset) {
    Paragraph tail;
    tail.alignment = p.alignment;
    tail.mark = formatBefore(p, offset);
    size_t i = splitAt(p, offset);
    tail.runs.assign(p.runs.begin() + static_cast<long>(i), p.runs.end());
    p.runs.erase(p.runs.begin() + static_cast<long>(i), p.runs.end());
    return tail;
}

void formatRange(Paragraph& p, size_t from, size_t to, void (*change)(CharFormat&, double),
                 double value) {
    if (from >= to) return;
    size_t a = splitAt(p, from);
    size_t b = splitAt(p, to);
    for (size_t i = a; i < b; ++i) change(p.runs[i].format, value);
    normalize(p);
}

std::string cellText(const std::string& text) {
    std::string out = text;
    for (char& ch : out)
        if (ch == kParagraphMark) ch = '\n';
    return out;
}

void setBoldTo(CharFormat& f, double v) { f.bold = v != 0; }
void setSizeTo(CharFormat& f, double v) { f.size = v; }

}  // namespace

std::string Paragraph::text() const {
    std::string s;
    for (const Run& r : runs) s += r.text;
    return s;
}

// ---- Cell and Table ------------------------------------------------------------------------

void Cell::setText(const std::string& text) {
    CharFormat f = paragraph_.runs.empty() ? paragraph_.mark : paragraph_.runs.front().format;
    paragraph_.runs.clear();
    if (!text.empty()) paragraph_.runs.push_back(Run{cellText(text), f});
}

Table::Table(Document* doc, int rows, int cols, double totalWidth, const Paragraph& cellTemplate)
    : doc_(doc), widths_(static_cast<size_t>(cols), totalWidth / cols) {
    Cell empty;
    empty.paragraph_ = cellTemplate;
    rows_.assign(static_cast<size_t>(rows), std::vector<Cell>(static_cast<size_t>(cols), empty));
}

double Table::columnWidth(int c) const {
    if (c < 1 || c > columnCount()) throw EngineError(kNoSuchMember);
    return widths_[static_cast<size_t>(c - 1)];
}

void Table::setColumnWidth(int c, double points) {
    if (c < 1 || c > columnCount()) throw EngineError(kNoSuchMember);
    widths_[static_cast<size_t>(c - 1)] = points;
}

std::vector<Cell>& Table::row(int r) {
    if (r < 1 || r > rowCount()) throw EngineError(kNoSuchMember);
    return rows_[static_cast<size_t>(r - 1)];
}

Cell& Table::cell(int r, int c) {
    std::vector<Cell>& cells = row(r);
    if (c < 1 || c > static_cast<int>(cells.size())) throw EngineError(kNoSuchMember);
    return cells[static_cast<size_t>(c - 1)];
}

void Table::rowsAdd() {
    std::vector<Cell> fresh = rows_.back();
    for (Cell& c : fresh) {
        if (!c.paragraph_.runs.empty()) c.paragraph_.mark = c.paragraph_.runs.front().format;
        c.paragraph_.runs.clear();
    }
    rows_.push_back(std::move(fresh));
}

void Table::merge(int r, int c1, int c2) {
    std::vector<Cell>& cells = row(r);
    int n = static_cast<int>(cells.size());
    if (c1 < 1 || c2 < 1 || c1 > n || c2 > n) throw EngineError(kNoSuchMember);
    if (c2 < c1) std::swap(c1, c2);
    if (c1 == c2) return;
    Cell& target = cells[static_cast<size_t>(c1 - 1)];
    for (int c = c1 + 1; c <= c2; ++c) {
        Cell& other = cells[static_cast<size_t>(c - 1)];
        target.span_ += other.span_;
        if (other.paragraph_.runs.empty()) continue;
        if (!target.paragraph_.runs.empty()) {
            Run br{"\n", target.paragraph_.runs.back().format};
            target.paragraph_.runs.push_back(br);
        }
        for (Run& run : other.paragraph_.runs) target.paragraph_.runs.push_back(run);
        normalize(target.paragraph_);
    }
    cells.erase(cells.begin() + c1, cells.begin() + c2);
    Selection& sel = doc_->selection_;
    if (sel.table_ == this && sel.where_ == Selection::Where::Cell &&
        sel.row_ == static_cast<size_t>(r - 1) && sel.col_ >= static_cast<size_t>(c1)) {
        sel.col_ = sel.col_ < static_cast<size_t>(c2) ? static_cast<size_t>(c1 - 1)
                                                     : sel.col_ - static_cast<size_t>(c2 - c1);
        sel.cellStart_ = sel.cellEnd_ = length(sel.cellParagraph());
    }
}

void Table::select() {
    Selection& sel = doc_->selection_;
    sel.where_ = Selection::Where::Table;
    sel.table_ = this;
    sel.pending_.reset();
}

void Table::autoFormat(int format) { format_ = format; }

// ---- Selection -----------------------------------------------------------------------------

Paragraph& Selection::cellParagraph() {
    return table_->rows_[row_][col_].paragraph_;
}

CharFormat Selection::formatAtEnd() {
    if (pending_) return *pending_;
    if (where_ == Where::Cell) return formatBefore(cellParagraph(), cellEnd_);
    return formatBefore(doc_->blocks_[endBlock_].paragraph, endOffset_);
}

void Selection::applyFormat(void (*change)(CharFormat&, double), double value) {
    switch (where_) {
        case Where::Table:
            for (auto& cells : table_->rows_)
                for (Cell& c : cells) {
                    formatRange(c.paragraph_, 0, length(c.paragraph_), change, value);
                    change(c.paragraph_.mark, value);
                }
            return;
        case Where::Cell:
            formatRange(cellParagraph(), cellStart_, cellEnd_, change, value);
            return;
        case Where::Body:
            for (size_t b = startBlock_; b <= endBlock_; ++b) {
                Block& block = doc_->blocks_[b];
                if (block.isTable()) continue;
                size_t from = b == startBlock_ ? startOffset_ : 0;
                size_t to = b == endBlock_ ? endOffset_ : length(block.paragraph);
                formatRange(block.paragraph, from, to, change, value);
                if (b < endBlock_) change(block.paragraph.mark, value);  // its mark is selected too
            }
            return;
    }
}

void Selection::fontSize(double points) {
    applyFormat(setSizeTo, points);
    CharFormat f = formatAtEnd();
    f.size = points;
    pending_ = f;
}

void Selection::setBold(bool bold) {
    applyFormat(setBoldTo, bold ? 1 : 0);
    bool collapsed = where_ == Where::Cell   ? cellStart_ == cellEnd_
                     : where_ == Where::Body ? startBlock_ == endBlock_ && startOffset_ == endOffset_
                                             : false;
    if (collapsed) {
        CharFormat f = formatAtEnd();
        f.bold = bold;
        pending_ = f;
    }
}

void Selection::setAlignment(int alignment) {
    switch (where_) {
        case Where::Table:
            for (auto& cells : table_->rows_)
                for (Cell& c : cells) c.paragraph_.alignment = alignment;
            return;
        case Where::Cell:
            cellParagraph().alignment = alignment;
            return;
        case Where::Body: {
            size_t last = endBlock_;
            if (last > startBlock_ && endOffset_ == 0) --last;
            for (size_t b = startBlock_; b <= last; ++b)
                if (!doc_->blocks_[b].isTable()) doc_->blocks_[b].paragraph.alignment = alignment;
            return;
        }
    }
}

void Selection::collapse() {
    switch (where_) {
        case Where::Table: {
            size_t b = 0;
            while (doc_->blocks_[b].table.get() != table_) ++b;
            // A table is always followed by a paragraph (tablesAdd keeps one below it).
            where_ = Where::Body;
            startBlock_ = endBlock_ = b + 1;
            startOffset_ = endOffset_ = 0;
            table_ = nullptr;
            return;
        }
        case Where::Cell:
            cellStart_ = cellEnd_;
            return;
        case Where::Body:
            startBlock_ = endBlock_;
            startOffset_ = endOffset_;
            return;
    }
}

void Selection::insertAfter(const std::string& text) {
    if (where_ == Where::Table) collapse();
    CharFormat f = formatAtEnd();
    pending_.reset();
    if (where_ == Where::Cell) {
        Paragraph& p = cellParagraph();
        if (cellEnd_ > length(p)) cellEnd_ = length(p);
        if (cellStart_ > cellEnd_) cellStart_ = cellEnd_;
        std::string t = cellText(text);
        insertText(p, cellEnd_, t, f);
        cellEnd_ += t.size();
        return;
    }
    // A collapsed selection keeps its start where the new text begins; a wider one keeps its start.
    size_t begin = 0;
    while (true) {
        size_t mark = text.find(kParagraphMark, begin);
        std::string piece = text.substr(begin, mark == std::string::npos ? std::string::npos
                                                                         : mark - begin);
        Paragraph& p = doc_->blocks_[endBlock_].paragraph;
        insertText(p, endOffset_, piece, f);
        endOffset_ += piece.size();
        if (mark == std::string::npos) break;
        Block tail;
        tail.paragraph = splitParagraph(p, endOffset_);
        tail.paragraph.mark = f;
        doc_->blocks_.insert(doc_->blocks_.begin() + static_cast<long>(endBlock_) + 1,
                             std::move(tail));
        ++endBlock_;
        endOffset_ = 0;
        begin = mark + 1;
    }
}

Table& Selection::tablesAdd(int rows, int cols) {
    if (rows < 1 || cols < 1) throw EngineError(kNoSuchMember);
    if (where_ == Where::Table) collapse();
    if (where_ == Where::Cell) throw EngineError("Вставка таблицы в ячейку таблицы не поддерживается.");
    CharFormat f = formatAtEnd();
    collapse();
    pending_.reset();
    // The table goes before the paragraph holding the insertion point; text before the point
    // stays in a paragraph of its own above the table.
    Paragraph& p = doc_->blocks_[endBlock_].paragraph;
    size_t at = endBlock_;
    if (endOffset_ > 0) {
        Block tail;
        tail.paragraph = splitParagraph(p, endOffset_);
        doc_->blocks_.insert(doc_->blocks_.begin() + static_cast<long>(at) + 1, std::move(tail));
        ++at;
    }
    Paragraph cellTemplate;
    cellTemplate.alignment = doc_->blocks_[at].paragraph.alignment;
    cellTemplate.mark = f;
    Block block;
    block.table.reset(new Table(doc_, rows, cols, doc_->textWidth(), cellTemplate));
    Table* table = block.table.get();
    doc_->blocks_.insert(doc_->blocks_.begin() + static_cast<long>(at), std::move(block));
    where_ = Where::Cell;
    table_ = table;
    row_ = col_ = cellStart_ = cellEnd_ = 0;
    startBlock_ = endBlock_ = at + 1;
    startOffset_ = endOffset_ = 0;
    return *table;
}

// ---- Document ------------------------------------------------------------------------------

Document::Document() : selection_(this) { blocks_.emplace_back(); }

Table& Document::table(int k) {
    int seen = 0;
    for (Block& b : blocks_)
        if (b.isTable() && ++seen == k) return *b.table;
    throw EngineError(kNoSuchMember);
}

int Document::tableCount() const {
    int n = 0;
    for (const Block& b : blocks_) n += b.isTable() ? 1 : 0;
    return n;
}

void Document::setOrientation(int orientation) {
    if (orientation != 0 && orientation != 1) throw EngineError("Недопустимое значение параметра.");
    orientation_ = orientation;
}

double Document::textWidth() const {
    return (orientation_ == 1 ? kPageLongSide : kPageShortSide) - 2 * kPageMargin;
}

// ---- Dump ----------------------------------------------------------------------------------

namespace {

void dumpRuns(std::string& out, const Paragraph& p) {
    for (const Run& r : p.runs) {
        if (r.format.bold) out += "**";
        for (char ch : r.text) {
            if (ch == '\n')
                out += "\\n";
            else
                out += ch;
        }
        if (r.format.bold) out += "**";
    }
}

std::string number(double v) {
    char buf[32];
    std::snprintf(buf, sizeof buf, "%g", v);
    return buf;
}

}  // namespace

std::string dumpDocument(const Document& doc) {
    std::string out = doc.orientation() == 1 ? "orientation landscape\n" : "orientation portrait\n";
    int k = 0;
    for (const Block& b : doc.blocks()) {
        if (!b.isTable()) {
            out += b.paragraph.alignment == 1 ? "[C] " : "[L] ";
            dumpRuns(out, b.paragraph);
            out += '\n';
            continue;
        }
        const Table& t = *b.table;
        out += "table " + std::to_string(++k) + " (format " + std::to_string(t.format()) +
               ", widths";
        for (double w : t.widths()) out += " " + number(w);
        out += ")\n";
        for (const auto& cells : t.rows()) {
            out += "|";
            for (const Cell& c : cells) {
                out += " ";
                dumpRuns(out, c.paragraph());
                if (c.span() > 1) out += " (span " + std::to_string(c.span()) + ")";
                out += " |";
            }
            out += '\n';
        }
    }
    return out;
}

}  // namespace zelt::reports
