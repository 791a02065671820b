#include "reports/docx_writer.h"

#include <cerrno>
#include <cmath>
#include <cstdio>
#include <ctime>
#include <functional>
#include <string>

#include "base/error.h"
#include "base/text.h"

namespace zelt::reports {

namespace {

const char* const kXmlHead = "<?xml version=\"1.0\" encoding=\"UTF-8\" standalone=\"yes\"?>\n";
const char* const kWordNs =
    "xmlns:w=\"http://schemas.openxmlformats.org/wordprocessingml/2006/main\" "
    "xmlns:r=\"http://schemas.openxmlformats.org/officeDocument/2006/relationships\"";

long twips(double points) { return std::lround(points * 20); }

// Escapes markup characters and drops what XML 1.0 cannot hold; malformed UTF-8 becomes U+FFFD.
std::string escape(const std::string& text) {
    std::string out;
    size_t pos = 0;
    while (pos < text.size()) {
        char32_t cp = nextCodePoint(text, pos);
        switch (cp) {
            case '&': out += "&amp;"; break;
            case '<': out += "&lt;"; break;
            case '>': out += "&gt;"; break;
            case '"': out += "&quot;"; break;
            default:
                if ((cp < 0x20 && cp != '\t') || cp == 0xFFFE || cp == 0xFFFF) break;
                appendUtf8(out, cp);
        }
    }
    return out;
}

void writeRun(std::string& out, const Run& run) {
    std::string props;
    if (run.format.bold) props += "<w:b/><w:bCs/>";
    long half = std::lround(run.format.size * 2);
    props += "<w:sz w:val=\"" + std::to_string(half) + "\"/><w:szCs w:val=\"" +
             std::to_string(half) + "\"/>";
    out += "<w:r><w:rPr>" + props + "</w:rPr>";
    // Line breaks and tabs are elements of their own; a tab inside <w:t> is not a tab to every reader.
    size_t begin = 0;
    while (true) {
        const size_t stop = run.text.find_first_of("\n\t", begin);
        std::string piece = run.text.substr(begin, stop == std::string::npos ? stop : stop - begin);
        if (!piece.empty()) out += "<w:t xml:space=\"preserve\">" + escape(piece) + "</w:t>";
        if (stop == std::string::npos) break;
        out += run.text[stop] == '\n' ? "<w:br/>" : "<w:tab/>";
        begin = stop + 1;
    }
    out += "</w:r>";
}

void writeParagraph(std::string& out, const Paragraph& p) {
    out += "<w:p><w:pPr>";
    if (p.alignment == 1) out += "<w:jc w:val=\"center\"/>";
    long half = std::lround(p.mark.size * 2);
    out += "<w:rPr>";
    if (p.mark.bold) out += "<w:b/>";
    out += "<w:sz w:val=\"" + std::to_string(half) + "\"/></w:rPr></w:pPr>";
    for (const Run& r : p.runs) writeRun(out, r);
    out += "</w:p>";
}

std::string borders(int format) {
    const char* line = "w:val=\"single\" w:sz=\"4\" w:space=\"0\" w:color=\"000000\"/>";
    std::string out;
    auto edge = [&](const char* name) { out += std::string("<w:") + name + " " + line; };
    if (format == 16) {
        for (const char* n : {"top", "left", "bottom", "right", "insideH", "insideV"}) edge(n);
    } else if (format == 1) {
        edge("top");
        edge("bottom");
    }
    return out.empty() ? out : "<w:tblBorders>" + out + "</w:tblBorders>";
}

// Receives document.xml in pieces, so that a report of many rows is compressed as it is written
// instead of being held whole as text.
class XmlOut {
public:
    explicit XmlOut(std::function<void(std::string_view)> sink) : sink_(std::move(sink)) {}
    std::string& text() { return buf_; }
    // Hands the text so far to the sink once enough has gathered.
    void flushSome() {
        if (buf_.size() >= kChunk) flush();
    }
    void flush() {
        sink_(buf_);
        buf_.clear();
    }

private:
    static constexpr size_t kChunk = 1 << 20;
    std::function<void(std::string_view)> sink_;
    std::string buf_;
};

void writeTable(XmlOut& xml, const Table& t) {
    std::string& out = xml.text();
    const std::vector<double>& widths = t.widths();
    out += "<w:tbl><w:tblPr><w:tblW w:w=\"0\" w:type=\"auto\"/>" + borders(t.format()) +
           "<w:tblLayout w:type=\"fixed\"/></w:tblPr><w:tblGrid>";
    for (double w : widths) out += "<w:gridCol w:w=\"" + std::to_string(twips(w)) + "\"/>";
    out += "</w:tblGrid>";
    bool header = true;
    for (const auto& cells : t.rows()) {
        out += "<w:tr>";
        if (t.repeatsHeader()) out += header ? "<w:trPr><w:cantSplit/><w:tblHeader/></w:trPr>" : "<w:trPr><w:cantSplit/></w:trPr>";
        header = false;
        size_t grid = 0;
        for (const Cell& c : cells) {
            double w = 0;
            for (int k = 0; k < c.span() && grid < widths.size(); ++k) w += widths[grid++];
            out += "<w:tc><w:tcPr><w:tcW w:w=\"" + std::to_string(twips(w)) + "\" w:type=\"dxa\"/>";
            if (c.span() > 1) out += "<w:gridSpan w:val=\"" + std::to_string(c.span()) + "\"/>";
            out += "</w:tcPr>";
            writeParagraph(out, c.paragraph());
            out += "</w:tc>";
        }
        out += "</w:tr>";
        xml.flushSome();
    }
    out += "</w:tbl>";
}

void writeDocumentXml(const Document& doc, XmlOut& xml) {
    std::string& out = xml.text();
    out += kXmlHead;
    out += std::string("<w:document ") + kWordNs + "><w:body>";
    for (const Block& b : doc.blocks()) {
        if (b.isTable())
            writeTable(xml, *b.table);
        else
            writeParagraph(out, b.paragraph);
        xml.flushSome();
    }
    bool landscape = doc.orientation() == 1;
    long shortSide = 11906, longSide = 16838;  // A4 in twentieths of a point
    long margin = twips(kPageMargin);
    out += "<w:sectPr><w:pgSz w:w=\"" + std::to_string(landscape ? longSide : shortSide) +
           "\" w:h=\"" + std::to_string(landscape ? shortSide : longSide) + "\"" +
           (landscape ? " w:orient=\"landscape\"" : " w:orient=\"portrait\"") + "/>";
    std::string m = std::to_string(margin);
    out += "<w:pgMar w:top=\"" + m + "\" w:right=\"" + m + "\" w:bottom=\"" + m + "\" w:left=\"" +
           m + "\" w:header=\"708\" w:footer=\"708\" w:gutter=\"0\"/></w:sectPr>";
    out += "</w:body></w:document>";
    xml.flush();
}

std::string stylesXml(const Document& doc) {
    std::string noProof = doc.spellingCheck() || doc.grammarCheck() ? "" : "<w:noProof/>";
    return std::string(kXmlHead) + "<w:styles " + kWordNs +
           "><w:docDefaults><w:rPrDefault><w:rPr>"
           "<w:rFonts w:ascii=\"Times New Roman\" w:hAnsi=\"Times New Roman\" "
           "w:cs=\"Times New Roman\" w:eastAsia=\"Times New Roman\"/>" +
           noProof +
           "<w:sz w:val=\"20\"/><w:szCs w:val=\"20\"/><w:lang w:val=\"ru-RU\"/></w:rPr>"
           "</w:rPrDefault><w:pPrDefault/></w:docDefaults>"
           "<w:style w:type=\"paragraph\" w:default=\"1\" w:styleId=\"Normal\">"
           "<w:name w:val=\"Normal\"/></w:style>"
           "<w:style w:type=\"table\" w:default=\"1\" w:styleId=\"TableNormal\">"
           "<w:name w:val=\"Normal Table\"/><w:tblPr><w:tblCellMar>"
           "<w:left w:w=\"108\" w:type=\"dxa\"/><w:right w:w=\"108\" w:type=\"dxa\"/>"
           "</w:tblCellMar></w:tblPr></w:style></w:styles>";
}

std::string settingsXml(const Document& doc) {
    std::string out = std::string(kXmlHead) + "<w:settings " + kWordNs + ">";
    if (!doc.spellingCheck()) out += "<w:hideSpellingErrors/>";
    if (!doc.grammarCheck()) out += "<w:hideGrammaticalErrors/>";
    out += "<w:defaultTabStop w:val=\"708\"/><w:compat/></w:settings>";
    return out;
}

const char* const kContentTypes =
    "<?xml version=\"1.0\" encoding=\"UTF-8\" standalone=\"yes\"?>\n"
    "<Types xmlns=\"http://schemas.openxmlformats.org/package/2006/content-types\">"
    "<Default Extension=\"rels\" "
    "ContentType=\"application/vnd.openxmlformats-package.relationships+xml\"/>"
    "<Default Extension=\"xml\" ContentType=\"application/xml\"/>"
    "<Override PartName=\"/word/document.xml\" ContentType=\"application/"
    "vnd.openxmlformats-officedocument.wordprocessingml.document.main+xml\"/>"
    "<Override PartName=\"/word/styles.xml\" ContentType=\"application/"
    "vnd.openxmlformats-officedocument.wordprocessingml.styles+xml\"/>"
    "<Override PartName=\"/word/settings.xml\" ContentType=\"application/"
    "vnd.openxmlformats-officedocument.wordprocessingml.settings+xml\"/>"
    "</Types>";

const char* const kPackageRels =
    "<?xml version=\"1.0\" encoding=\"UTF-8\" standalone=\"yes\"?>\n"
    "<Relationships xmlns=\"http://schemas.openxmlformats.org/package/2006/relationships\">"
    "<Relationship Id=\"rId1\" Type=\"http://schemas.openxmlformats.org/officeDocument/2006/"
    "relationships/officeDocument\" Target=\"word/document.xml\"/>"
    "</Relationships>";

const char* const kDocumentRels =
    "<?xml version=\"1.0\" encoding=\"UTF-8\" standalone=\"yes\"?>\n"
    "<Relationships xmlns=\"http://schemas.openxmlformats.org/package/2006/relationships\">"
    "<Relationship Id=\"rId1\" Type=\"http://schemas.openxmlformats.org/officeDocument/2006/"
    "relationships/styles\" Target=\"styles.xml\"/>"
    "<Relationship Id=\"rId2\" Type=\"http://schemas.openxmlformats.org/officeDocument/2006/"
    "relationships/settings\" Target=\"settings.xml\"/>"
    "</Relationships>";

std::string timestamp() {
    std::time_t now = std::time(nullptr);
    std::tm tm{};
    localtime_r(&now, &tm);
    char buf[32];
    std::strftime(buf, sizeof buf, "%Y%m%d-%H%M%S", &tm);
    return buf;
}

const char* const kWriteFailed = "Не удалось записать документ: ";

}  // namespace

namespace {

// Hands the parts over in their stored order: `whole` gets a part's name and bytes, `begin` and
// `piece` get document.xml's name and then its text in pieces.
void writeParts(const Document& doc, const std::function<void(const char*, const std::string&)>& whole,
                const std::function<void(const char*)>& begin, const std::function<void(std::string_view)>& piece) {
    whole("[Content_Types].xml", kContentTypes);
    whole("_rels/.rels", kPackageRels);
    begin("word/document.xml");
    XmlOut xml(piece);
    writeDocumentXml(doc, xml);
    whole("word/styles.xml", stylesXml(doc));
    whole("word/settings.xml", settingsXml(doc));
    whole("word/_rels/document.xml.rels", kDocumentRels);
}

// The package, with document.xml compressed while it is written.
std::string docxBytes(const Document& doc) {
    ZipWriter zip;
    writeParts(
        doc,
        [&zip](const char* name, const std::string& data) {
            zip.beginEntry(name);
            zip.write(data);
            zip.endEntry();
        },
        [&zip](const char* name) { zip.beginEntry(name); }, [&zip](std::string_view text) { zip.write(text); });
    return zip.finish();
}

}  // namespace

std::vector<ZipEntry> docxParts(const Document& doc) {
    std::vector<ZipEntry> parts;
    writeParts(
        doc, [&parts](const char* name, const std::string& data) { parts.push_back({name, data}); },
        [&parts](const char* name) { parts.push_back({name, std::string()}); },
        [&parts](std::string_view text) { parts.back().data.append(text); });
    return parts;
}

std::filesystem::path writeDocx(const Document& doc, const std::filesystem::path& directory) {
    std::string bytes = docxBytes(doc);
    std::string stamp = timestamp();
    for (int n = 1; n < 10000; ++n) {
        std::filesystem::path path =
            directory / ("report-" + stamp + "-" + std::to_string(n) + ".docx");
        // "x": create only; an existing name is skipped, never overwritten.
        std::FILE* f = std::fopen(path.c_str(), "wbx");
        if (!f) {
            if (errno == EEXIST) continue;
            throw EngineError(kWriteFailed + path.u8string());
        }
        bool ok = std::fwrite(bytes.data(), 1, bytes.size(), f) == bytes.size();
        ok = std::fclose(f) == 0 && ok;
        if (!ok) {
            std::error_code ec;
            std::filesystem::remove(path, ec);
            throw EngineError(kWriteFailed + path.u8string());
        }
        return path;
    }
    throw EngineError(kWriteFailed + directory.u8string());
}

}  // namespace zelt::reports
