#pragma once

#include "text/textencoding.h"
#include "text/textunits.h"

#include <QByteArray>
#include <QString>

#include <string>
#include <vector>

// The text of a document as the reader sees it, as a browser shows it:
// 1. the document is decoded: UTF-16 after its byte-order mark, UTF-8 as the search decides
//    it, windows-1251 otherwise; a byte (or unit) that does not decode is U+FFFD;
// 2. a tag is "<" followed by a letter ("/" and a letter for an end tag) up to the first ">"
//    outside a quoted attribute value; "<!--" begins a comment, which ends at "-->" or "--!>";
//    "<!", "<?" and "</" followed by no letter begin markup that ends at the next ">"; any
//    other "<" is text;
// 3. comments are left out, and so is the whole content of style, script and xml (start tag
//    to their first end tag, or the end) and of head (to its end tag, or to the body's start
//    tag or the first block tag other than title when that is missing);
// 4. block tags (br p div table tr td th li ul ol h1-h6 hr blockquote pre dd dt title) stand
//    for a blank, every other tag vanishes;
// 5. character references are decoded within each piece of text between tags: named ones
//    with their ";" (a few old names, such as "&nbsp" or "&copy", also without it), numeric
//    ones with or without it ("&#150;" is the "–" of windows-1252, as for any number from
//    128 to 159; 0, surrogates and numbers past U+10FFFF are U+FFFD); a reference cut by a
//    tag stays as written;
// 6. every run of blanks (space, tab, CR, LF, form feed, no-break space) is one space.
// Positions are in the document's units: bytes, or 16-bit units of a UTF-16 document.
class DocumentText
{
public:
    using Char = TextCharacter;
    using Segment = TextSegment;
    using SegmentKind = TextSegmentKind;

    // The document's raw bytes; the encoding is decided on them.
    explicit DocumentText(const QByteArray& raw);
    // Units already decided on: bytes of windows-1251 or UTF-8, or native UTF-16 units.
    DocumentText(const QByteArray& bytes, TextEncoding::Encoding encoding);
    DocumentText(const std::u16string& units, TextEncoding::Encoding encoding);

    TextEncoding::Encoding encoding() const { return m_encoding; }
    qsizetype unitCount() const;

    // The document cut into markup and text, in order, covering every unit.
    std::vector<Segment> segments() const;
    // The characters of the text, in order.
    void characters(std::vector<Char>& out) const;
    std::vector<Char> characters() const;
    QString text() const;

    // A context as it is looked for in texts: blank runs made one space, trimmed, letters in
    // their simple lower-case form unless the search is case-sensitive.
    static std::u32string normalizedContext(const QString& context, bool caseSensitive);

private:
    QByteArray m_bytes;
    std::u16string m_units;
    TextEncoding::Encoding m_encoding;
};
