// The typing model: how inserted text, the selection and its formatting behave, tables and the dump.
#include "reports/document.h"

#include <functional>
#include <iterator>

#include <gtest/gtest.h>

#include "base/error.h"

namespace zelt::reports {
namespace {

using Steps = std::function<void(Document&)>;

struct TypingCase {
    const char* name;
    Steps steps;
    const char* dump;  // without the orientation line
};

std::string body(const Document& doc) {
    std::string d = dumpDocument(doc);
    return d.substr(d.find('\n') + 1);
}

void PrintTo(const TypingCase& c, std::ostream* os) { *os << c.name; }

class TypingTest : public ::testing::TestWithParam<TypingCase> {};

TEST_P(TypingTest, GivesDocument) {
    Document doc;
    GetParam().steps(doc);
    EXPECT_EQ(body(doc), GetParam().dump);
}

const TypingCase kTypingCases[] = {
    {"CollapsedInsertSpansOnlyNewText",
     [](Document& d) {
         Selection& s = d.selection();
         s.insertAfter("a");
         s.collapse();
         s.insertAfter("b");
         s.setBold(true);
     },
     "[L] a**b**\n"},
    {"InsertAfterInsertExtendsSelection",
     [](Document& d) {
         Selection& s = d.selection();
         s.insertAfter("a");
         s.collapse();
         s.insertAfter("b");
         s.insertAfter("c");
         s.setBold(true);
     },
     "[L] a**bc**\n"},
    {"BoldCoversEveryParagraphSinceCollapse",
     [](Document& d) {
         Selection& s = d.selection();
         s.insertAfter("x");
         s.collapse();
         s.insertAfter("T\r");
         s.insertAfter("U");
         s.setBold(true);
     },
     "[L] x**T**\n[L] **U**\n"},
    {"BoldOffAfterCollapseLeavesEarlierText",
     [](Document& d) {
         Selection& s = d.selection();
         s.insertAfter("a");
         s.setBold(true);
         s.collapse();
         s.insertAfter("b");
         s.setBold(false);
     },
     "[L] **a**b\n"},
    {"NewTextTakesFormatOfTextBefore",
     [](Document& d) {
         Selection& s = d.selection();
         s.insertAfter("a");
         s.setBold(true);
         s.collapse();
         s.insertAfter("b\rc");
     },
     "[L] **ab**\n[L] **c**\n"},
    {"BoldSetAtInsertionPointAppliesToNextText",
     [](Document& d) {
         Selection& s = d.selection();
         s.insertAfter("a");
         s.collapse();
         s.setBold(true);
         s.insertAfter("b");
     },
     "[L] a**b**\n"},
    {"AlignmentSkipsParagraphAfterTrailingMark",
     [](Document& d) {
         Selection& s = d.selection();
         s.insertAfter("Title\r");
         s.setAlignment(1);
         s.collapse();
         s.insertAfter("body");
     },
     "[C] Title\n[L] body\n"},
    {"AlignmentTouchesParagraphSelectionStartsIn",
     [](Document& d) {
         Selection& s = d.selection();
         s.insertAfter("a");
         s.collapse();
         s.insertAfter("b\rc");
         s.setAlignment(1);
         s.collapse();
         s.insertAfter("\rd");
         s.setAlignment(0);
     },
     "[C] ab\n[L] c\n[L] d\n"},
    {"NewParagraphTakesAlignmentOfSplitOne",
     [](Document& d) {
         Selection& s = d.selection();
         s.insertAfter("a");
         s.setAlignment(1);
         s.collapse();
         s.insertAfter("\rb");
     },
     "[C] a\n[C] b\n"},
    {"ParagraphMarkInCellIsLineBreak",
     [](Document& d) {
         Selection& s = d.selection();
         s.tablesAdd(1, 1);
         s.insertAfter("x\ry");
         d.table(1).setColumnWidth(1, 50);
     },
     "table 1 (format 0, widths 50)\n| x\\ny |\n[L] \n"},
    {"TableGoesBeforeParagraphAtInsertionPoint",
     [](Document& d) {
         Selection& s = d.selection();
         s.insertAfter("T\r");
         s.setBold(true);
         s.collapse();
         Table& t = s.tablesAdd(2, 2);
         t.setColumnWidth(1, 30);
         t.setColumnWidth(2, 100.5);
         t.cell(2, 2).setText("v\rw");
         t.autoFormat(16);
         t.select();
         s.collapse();
         s.insertAfter("after");
     },
     "[L] **T**\ntable 1 (format 16, widths 30 100.5)\n|  |  |\n|  | v\\nw |\n"
     "[L] after\n"},
    {"CellTextReplacesAndTablesCountInOrder",
     [](Document& d) {
         Selection& s = d.selection();
         Table& first = s.tablesAdd(1, 1);
         first.setColumnWidth(1, 10);
         first.select();
         s.collapse();
         s.insertAfter("mid\r");
         s.collapse();
         s.tablesAdd(1, 1).setColumnWidth(1, 20);
         d.table(2).cell(1, 1).setText("old");
         d.table(2).cell(1, 1).setText("new");
         d.table(1).cell(1, 1).setText("one");
     },
     "table 1 (format 0, widths 10)\n| one |\n[L] mid\ntable 2 (format 0, widths 20)\n"
     "| new |\n[L] \n"},
};

INSTANTIATE_TEST_SUITE_P(Selection, TypingTest, ::testing::ValuesIn(kTypingCases),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(SelectionTest, FontSizeAppliesToTextTypedLater) {
    Document doc;
    Selection& s = doc.selection();
    s.insertAfter("a");
    s.collapse();
    s.fontSize(9);
    s.insertAfter("b");
    s.collapse();
    s.insertAfter("\rc");
    const auto& blocks = doc.blocks();
    ASSERT_EQ(blocks.size(), 2u);
    ASSERT_EQ(blocks[0].paragraph.runs.size(), 2u);
    EXPECT_EQ(blocks[0].paragraph.runs[0].format.size, 10);
    EXPECT_EQ(blocks[0].paragraph.runs[1].format.size, 9);
    ASSERT_EQ(blocks[1].paragraph.runs.size(), 1u);
    EXPECT_EQ(blocks[1].paragraph.runs[0].format.size, 9);
}

TEST(SelectionTest, FontSizeReachesTableCells) {
    Document doc;
    doc.selection().fontSize(11);
    Table& t = doc.selection().tablesAdd(1, 1);
    t.cell(1, 1).setText("x");
    ASSERT_EQ(t.cell(1, 1).paragraph().runs.size(), 1u);
    EXPECT_EQ(t.cell(1, 1).paragraph().runs[0].format.size, 11);
}

// A table with "A" "B" "C" "D" in its one row, widths 10 20 30 40.
class TableTest : public ::testing::Test {
protected:
    void SetUp() override {
        doc.selection().insertAfter("T\r");
        doc.selection().collapse();
        Table& t = doc.selection().tablesAdd(1, 4);
        const char* texts[] = {"A", "B", "C", "D"};
        for (int c = 1; c <= 4; ++c) {
            t.setColumnWidth(c, 10.0 * c);
            t.cell(1, c).setText(texts[c - 1]);
        }
    }
    Table& table() { return doc.table(1); }
    Document doc;
};

TEST_F(TableTest, NewTableSharesTextWidthEvenly) {
    Document fresh;
    fresh.setOrientation(1);
    Table& t = fresh.selection().tablesAdd(3, 4);
    EXPECT_EQ(t.rowCount(), 3);
    ASSERT_EQ(t.columnCount(), 4);
    for (int c = 1; c <= 4; ++c) EXPECT_DOUBLE_EQ(t.columnWidth(c), fresh.textWidth() / 4);
    EXPECT_GT(fresh.textWidth(), Document().textWidth());
}

TEST_F(TableTest, MergeShiftsCellsLeft) {
    table().merge(1, 2, 3);
    EXPECT_EQ(body(doc), "[L] T\ntable 1 (format 0, widths 10 20 30 40)\n| A | B\\nC (span 2) | D |\n"
                         "[L] \n");
    EXPECT_EQ(table().cell(1, 3).text(), "D");
    EXPECT_THROW(table().cell(1, 4), EngineError);
}

TEST_F(TableTest, RowsAddCopiesLayoutEmpty) {
    table().merge(1, 1, 2);
    table().rowsAdd();
    ASSERT_EQ(table().rowCount(), 2);
    table().cell(2, 3).setText("z");
    EXPECT_EQ(body(doc), "[L] T\ntable 1 (format 0, widths 10 20 30 40)\n| A\\nB (span 2) | C | D |\n"
                         "|  (span 2) |  | z |\n[L] \n");
}

TEST_F(TableTest, ErrorsLeaveTypedTextAsItWas) {
    const std::function<void()> failing[] = {
        [&] { doc.table(0); },
        [&] { doc.table(2); },
        [&] { table().cell(0, 1); },
        [&] { table().cell(2, 1); },
        [&] { table().cell(1, 5); },
        [&] { table().setColumnWidth(5, 10); },
        [&] { table().merge(1, 3, 5); },
        [&] { table().merge(2, 1, 2); },
    };
    std::string before = dumpDocument(doc);
    for (size_t i = 0; i < std::size(failing); ++i) {
        EXPECT_THROW(failing[i](), EngineError) << "case " << i;
        EXPECT_EQ(dumpDocument(doc), before) << "case " << i;
    }
}

TEST(DumpTest, FirstLineGivesOrientation) {
    Document doc;
    EXPECT_EQ(dumpDocument(doc), "orientation portrait\n[L] \n");
    doc.setOrientation(1);
    EXPECT_EQ(dumpDocument(doc), "orientation landscape\n[L] \n");
    EXPECT_THROW(doc.setOrientation(2), EngineError);
}

}  // namespace
}  // namespace zelt::reports
