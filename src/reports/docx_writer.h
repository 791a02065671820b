// Writes a typed document as an Office Open XML word-processing file (.docx) for the word processor.
#pragma once

#include <filesystem>
#include <vector>

#include "reports/document.h"
#include "reports/zip.h"

namespace zelt::reports {

// The parts of the package, in the order they are stored: [Content_Types].xml, _rels/.rels,
// word/document.xml, word/styles.xml, word/settings.xml, word/_rels/document.xml.rels.
std::vector<ZipEntry> docxParts(const Document& doc);

// Writes the document into a new file "report-<YYYYMMDD-HHMMSS>-<n>.docx" of `directory`, with the
// smallest n not yet taken, and returns its path. Never overwrites a file; a failure to create or
// write the file is an EngineError (a partly written file is removed).
std::filesystem::path writeDocx(const Document& doc, const std::filesystem::path& directory);

}  // namespace zelt::reports
