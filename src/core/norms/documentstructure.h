#pragma once

#include "norms/textblocks.h"

#include <QByteArray>
#include <QString>

#include <optional>
#include <vector>

class PdfText;

// A part of a norm: a section, a clause, an appendix, a table, a figure, a heading.
struct DocumentPart
{
    enum class Kind
    {
        Title, // the document's title (Word's title style)
        Heading, // a heading without a number ("Введение", "Техническая часть")
        Section,  // a numbered part of the first level ("5", "Раздел 2")
        Clause,   // a numbered part below it ("5.2.3", "А.1")
        Appendix, // "Приложение А"
        Table,    // "Таблица 5.1", "Таблица ГЭСН 06-01-001"
        Figure,   // "Рисунок 2"
        Item,     // an item of an estimate table ("06-01-001-01")
    };

    Kind kind = Kind::Heading;
    QString number; // as written: "5.2.3.", "Б", "5.1"
    QString key;    // as looked for: "5.2.3", "Б", "5.1", "06-01-001" (Latin look-alikes Cyrillic)
    QString title;  // the heading's text, or the first words of the clause
    // Where it stands in the document's text (see TextBlock): its first character, and past
    // its last (the start of the next part that is not one of its own, or the text's end).
    qsizetype start = 0;
    qsizetype end = 0;
    qsizetype unit = 0; // the document's unit its first character comes from
    int page = 0;       // of a PDF, from 1
    int parent = -1;    // the index of the part it belongs to; -1 at the top
    int depth = 1;      // 1 at the top

    // The kind as the terminal command names it: "section", "clause", ...
    static QString kindName(Kind kind);
};

// The parts of a document, found in its text as the reader sees it: numbered clauses at the
// start of a paragraph whose numbers follow on from those before ("5.2.3" after "5.2"),
// appendices with their own clauses ("Б.2.3"), captions of tables and figures, and headings.
// Not parts: a number inside a sentence or in a table's cell, a list item "1)", a date, an
// amount ("5.2 м"), the table of contents' lines, a PDF's page numbers and running heads.
class DocumentStructure
{
public:
    DocumentStructure() = default;
    explicit DocumentStructure(const std::vector<TextBlock>& blocks);

    static DocumentStructure ofPage(const QByteArray& raw);
    static DocumentStructure ofPdf(const PdfText& text);
    // Parts found elsewhere (a PDF's own bookmarks), each parent before its own.
    static DocumentStructure ofParts(std::vector<DocumentPart> parts);
    // The structure of a document of the library, a page or a PDF (read by its text layer);
    // none when it cannot be read.
    static std::optional<DocumentStructure> ofFile(const QString& path);

    const std::vector<DocumentPart>& parts() const { return m_parts; }
    bool isEmpty() const { return m_parts.empty(); }
    // The index of the part the text at position lies in (the deepest); -1 before the first.
    int partAt(qsizetype position) const;

private:
    std::vector<DocumentPart> m_parts;
};
