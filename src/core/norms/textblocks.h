#pragma once

#include <QByteArray>
#include <QString>

#include <atomic>
#include <optional>
#include <vector>

class PdfText;

// A paragraph of a document as the reader sees it: the text between two block tags of a page
// (a line break goes on the paragraph's style), or a line of a PDF page, with what its markup
// says of it.
struct TextBlock
{
    QString text; // blanks collapsed, trimmed
    // Where it begins: the index of its first character in the document's text (the text as
    // DocumentText reads it, or as PdfText::document() reads for a PDF), and the unit of the
    // document that character comes from.
    qsizetype start = 0;
    qsizetype unit = 0;
    int headingLevel = 0;  // 1 to 6 for h1-h6 and Word's heading styles; 0 for a paragraph
    bool title = false;    // Word's title style
    bool tocEntry = false; // a line of Word's table of contents
    bool inTable = false;  // in a table's cell
    int page = 0;          // the PDF page, from 1; 0 for a page of the library
    // A PDF line that repeats at the top or bottom of many pages, or only numbers one.
    bool runningLine = false;
};

namespace TextBlocks {

// The paragraphs of a page's raw bytes, in order; empty ones left out.
std::vector<TextBlock> ofPage(const QByteArray& raw);
// The lines of a PDF's text layer, page by page; starts as PdfText::document() places them.
std::vector<TextBlock> ofPdf(const PdfText& text);
// The blocks of a document of the library, a page or a PDF (read by its text layer; a scan
// has none); none when it cannot be read. withoutText, when given, tells a PDF without text.
// cancel, when set, ends the reading of a PDF (none then).
std::optional<std::vector<TextBlock>> ofFile(const QString& path, bool* withoutText = nullptr,
                                             const std::atomic<bool>* cancel = nullptr);

} // namespace TextBlocks
