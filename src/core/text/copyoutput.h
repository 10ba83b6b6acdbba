#pragma once

#include "text/textencoding.h"

#include <QByteArray>

class TextWindow;

// A document's bytes written again, with tags inserted before some of its units (bytes, or
// 16-bit units of a UTF-16 document), as the inserts come, in order. Tags are ASCII; in a
// UTF-16 document they are written as its units.
class CopyOutput
{
public:
    // wanted: false when only the counting is wanted, no copy.
    CopyOutput(const QByteArray& source, TextEncoding::Encoding encoding, bool wanted);

    void insert(qsizetype before, const QByteArray& tag);
    // Wraps the units [begin, end) of the text: one open and close tag around each piece of
    // text it covers. Blanks between blocks (a table's cells, paragraphs) are left unwrapped,
    // where a tag would be out of place. window: the text read so far, its segments kept from
    // before begin.
    void markPieces(const TextWindow& window, qsizetype begin, qsizetype end,
                    const QByteArray& open, const QByteArray& close);
    QByteArray finish();

private:
    const QByteArray& m_source;
    TextEncoding::Encoding m_encoding;
    bool m_wanted;
    QByteArray m_out;
    qsizetype m_written = 0;
};
