// The .docx package: the stored ZIP container read back by Python's zipfile, and the XML parts.
#include "reports/docx_writer.h"

#include <cstdlib>
#include <fstream>
#include <iterator>
#include <sstream>

#include <gtest/gtest.h>

#include "base/error.h"
#include "reports/skeleton.h"
#include "support/temp_dir.h"

namespace zelt::reports {
namespace {

namespace fs = std::filesystem;

std::string readFile(const fs::path& p) {
    std::ifstream in(p, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

// Checks every CRC and that each part is well-formed XML, then unpacks the archive.
const char* const kCheckScript = R"(import sys, zipfile, xml.dom.minidom
z = zipfile.ZipFile(sys.argv[1])
bad = z.testzip()
if bad is not None:
    sys.exit('bad CRC in ' + bad)
for name in z.namelist():
    xml.dom.minidom.parseString(z.read(name))
z.extractall(sys.argv[2])
)";

class DocxTest : public ::testing::Test {
protected:
    zelt::testing::TempDir folder{"zelt-docx"};

    // Writes the document, checks the archive with Python and returns the unpacked folder.
    fs::path writeAndUnpack(const Document& doc) {
        fs::path file = writeDocx(doc, dir);
        EXPECT_TRUE(fs::exists(file));
        EXPECT_EQ(file.parent_path(), dir);
        EXPECT_EQ(file.extension(), ".docx");
        fs::path script = dir / "check.py";
        std::ofstream(script) << kCheckScript;
        fs::path out = dir / "unpacked";
        std::string cmd = "python3 '" + script.string() + "' '" + file.string() + "' '" +
                          out.string() + "'";
        EXPECT_EQ(std::system(cmd.c_str()), 0) << cmd;
        return out;
    }

    fs::path dir = folder.path();
};

TEST_F(DocxTest, ReportFeaturesReachTheXml) {
    Document doc;
    doc.setOrientation(1);
    doc.setSpellingCheck(false);
    doc.setGrammarCheck(false);
    Selection& s = doc.selection();
    s.fontSize(9);
    s.insertAfter("Список детей & <семей>\r");
    s.setBold(true);
    s.setAlignment(1);
    s.collapse();
    Table& t = s.tablesAdd(2, 3);
    t.setColumnWidth(1, 30);
    t.setColumnWidth(2, 100);
    t.setColumnWidth(3, 50.5);
    t.cell(1, 1).setText("№");
    t.cell(1, 2).setText("Мать\rОтец\tИванов");
    t.merge(1, 2, 3);
    t.autoFormat(16);
    t.select();
    s.collapse();
    s.insertAfter("конец");

    fs::path out = writeAndUnpack(doc);
    std::string xml = readFile(out / "word" / "document.xml");
    for (const char* expected : {
             "<w:b/>",
             "<w:sz w:val=\"18\"/>",
             "<w:jc w:val=\"center\"/>",
             "Список детей &amp; &lt;семей&gt;",
             "<w:gridCol w:w=\"600\"/><w:gridCol w:w=\"2000\"/><w:gridCol w:w=\"1010\"/>",
             "<w:gridSpan w:val=\"2\"/>",
             "<w:tcW w:w=\"3010\" w:type=\"dxa\"/>",
             "Мать</w:t><w:br/><w:t xml:space=\"preserve\">Отец</w:t><w:tab/><w:t xml:space=\"preserve\">Иванов",
             "<w:insideV w:val=\"single\"",
             "<w:pgSz w:w=\"16838\" w:h=\"11906\" w:orient=\"landscape\"/>",
             "конец",
         })
        EXPECT_NE(xml.find(expected), std::string::npos) << expected;
    // The closing text follows the table, not a cell of it.
    EXPECT_GT(xml.find("конец"), xml.find("</w:tbl>"));
    std::string settings = readFile(out / "word" / "settings.xml");
    EXPECT_NE(settings.find("<w:hideSpellingErrors/>"), std::string::npos);
    EXPECT_NE(settings.find("<w:hideGrammaticalErrors/>"), std::string::npos);
    for (const char* part : {"[Content_Types].xml", "_rels/.rels", "word/styles.xml",
                             "word/_rels/document.xml.rels"})
        EXPECT_TRUE(fs::exists(out / part)) << part;
}

TEST_F(DocxTest, PortraitSimpleTableAndProofingOn) {
    Document doc;
    Table& t = doc.selection().tablesAdd(1, 1);
    t.autoFormat(1);
    std::string xml = readFile(writeAndUnpack(doc) / "word" / "document.xml");
    EXPECT_NE(xml.find("<w:pgSz w:w=\"11906\" w:h=\"16838\" w:orient=\"portrait\"/>"),
              std::string::npos);
    EXPECT_NE(xml.find("<w:tblBorders><w:top "), std::string::npos);
    EXPECT_EQ(xml.find("<w:insideH "), std::string::npos);
    std::string settings = readFile(dir / "unpacked" / "word" / "settings.xml");
    EXPECT_EQ(settings.find("hideSpellingErrors"), std::string::npos);
}

// A bank of many rows is compressed while its text is written: every row arrives, in order, and
// the package is what the in-memory parts say.
// A report's list table repeats its header row on each page and keeps each row on one page; a
// table that is not a list (the quarter counts) is printed as it comes.
TEST_F(DocxTest, ListTableHeaderRowRepeatsAndRowsStayWhole) {
    Document doc;
    ReportWriter w(doc, 9, ReportWriter::Orientation::Landscape);
    const int list = w.listTable(3, 2, {"№", "Фамилия"});
    doc.table(list).select();
    w.selection().collapse();
    w.selection().insertAfter("\r");
    w.selection().collapse();
    w.selection().tablesAdd(2, 2);
    const std::string xml = docxParts(doc)[2].data;
    const size_t second = xml.find("<w:tbl>", xml.find("</w:tbl>"));
    ASSERT_NE(second, std::string::npos);
    const std::string first = xml.substr(0, second), plain = xml.substr(second);
    EXPECT_EQ(list, 1);
    auto count = [](const std::string& text, const std::string& what) {
        int n = 0;
        for (size_t at = text.find(what); at != std::string::npos; at = text.find(what, at + 1)) ++n;
        return n;
    };
    EXPECT_EQ(count(first, "<w:tr>"), 3);
    EXPECT_EQ(count(first, "<w:tr><w:trPr><w:cantSplit/><w:tblHeader/></w:trPr>"), 1);
    EXPECT_EQ(first.find("<w:tr><w:trPr><w:cantSplit/><w:tblHeader/></w:trPr>"), first.find("<w:tr>"));
    EXPECT_EQ(count(first, "<w:tr><w:trPr><w:cantSplit/></w:trPr>"), 2);
    EXPECT_EQ(count(plain, "<w:trPr>"), 0);
    EXPECT_EQ(count(plain, "<w:tr>"), 2);
}

TEST_F(DocxTest, LargeTableArrivesWhole) {
    Document doc;
    const int rows = 8000;
    Table& t = doc.selection().tablesAdd(rows, 2);
    for (int r = 1; r <= rows; ++r) {
        t.cell(r, 1).setText(std::to_string(r));
        t.cell(r, 2).setText("Иванов Иван Иванович, ул. Ленина д." + std::to_string(r % 97));
    }
    const std::string xml = readFile(writeAndUnpack(doc) / "word" / "document.xml");
    ASSERT_GT(xml.size(), size_t{2} << 20);  // several pieces on the way to the archive
    size_t at = 0;
    int found = 0;
    for (int r = 1; r <= rows; ++r) {
        const std::string cell = ">" + std::to_string(r) + "</w:t>";
        const size_t next = xml.find(cell, at);
        if (next == std::string::npos) break;
        at = next + cell.size();
        ++found;
    }
    EXPECT_EQ(found, rows);
    const std::vector<ZipEntry> parts = docxParts(doc);
    ASSERT_EQ(parts.size(), 6u);
    EXPECT_EQ(parts[2].name, "word/document.xml");
    EXPECT_EQ(parts[2].data, xml);
}

TEST_F(DocxTest, EachWriteMakesNewFile) {
    Document doc;
    doc.selection().insertAfter("a");
    fs::path first = writeDocx(doc, dir);
    doc.selection().insertAfter("b");
    fs::path second = writeDocx(doc, dir);
    EXPECT_NE(first, second);
    EXPECT_NE(readFile(first), readFile(second));
}

TEST_F(DocxTest, MissingDirectoryIsEngineError) {
    Document doc;
    EXPECT_THROW(writeDocx(doc, dir / "absent"), EngineError);
}

}  // namespace
}  // namespace zelt::reports
