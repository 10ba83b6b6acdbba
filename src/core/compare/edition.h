#pragma once

#include "compare/texttokens.h"
#include "norms/documentstructure.h"

#include <QByteArray>
#include <QString>

#include <atomic>
#include <optional>
#include <vector>

class PdfText;

// A part of a document as two editions are compared: its own text (its number left out, the
// text of the parts within it not included) and that text's tokens.
struct EditionPart
{
    DocumentPart part;
    QString text;
    std::vector<TextToken> tokens;
    std::vector<std::size_t> hashes; // of the tokens, as written
    std::vector<std::size_t> bag;    // TextTokens::wordBag

    // As a reader names it: "п. 5.4", "разд. 5", "прил. Б", "табл. 5.1", "рис. 2", an item's
    // number, a heading's text, "Начало документа" for the text before the first part.
    QString label() const;
    // What parts of two editions must share to be paired by their number: "c:5.4", "t:5.1",
    // "h:введение"; the kind and the number, or a heading's text.
    QString matchKey() const;
    // The words among the tokens.
    int wordCount() const;
};

// A document read as its parts, in order; the text before the first part is a part of its own
// (a heading without a title) when there is any.
class Edition
{
public:
    Edition() = default;
    explicit Edition(const std::vector<TextBlock>& blocks);

    static Edition ofPage(const QByteArray& raw);
    static Edition ofPdf(const PdfText& text);
    // A page or a PDF of the library; none when it cannot be read (a PDF without text
    // included: there is nothing to compare).
    // cancel, when set, ends the reading of a PDF (none then).
    static std::optional<Edition> ofFile(const QString& path,
                                         const std::atomic<bool>* cancel = nullptr);

    const std::vector<EditionPart>& parts() const { return m_parts; }

private:
    std::vector<EditionPart> m_parts;
};
