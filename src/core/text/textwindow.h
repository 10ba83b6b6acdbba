#pragma once

#include "text/documenttext.h"
#include "text/textreader.h"

#include <deque>
#include <vector>

// The text of a document read in pieces, with the latest of its characters and segments kept
// for a look back: what lies before a place no longer needed is forgotten.
class TextWindow
{
public:
    using Char = DocumentText::Char;
    using Segment = DocumentText::Segment;

    explicit TextWindow(TextEncoding::Encoding encoding);

    // The next bytes of the document, or its end.
    void read(const char* bytes, qsizetype size);
    void finish();

    // The characters the latest call completed, and the index of the first of them.
    const Char* newCharacters() const { return m_reader.characters(); }
    qsizetype newCount() const { return m_reader.characterCount(); }
    qsizetype newFirstIndex() const { return m_charsRead - m_reader.characterCount(); }

    qsizetype charactersRead() const { return m_charsRead; }
    // Past the units of the latest character read.
    qsizetype textEnd() const { return m_textEnd; }
    qsizetype unitsRead() const { return m_reader.position(); }

    // The characters kept, and the index of the first of them.
    const std::deque<Char>& characters() const { return m_chars; }
    qsizetype firstKept() const { return m_charsRead - qsizetype(m_chars.size()); }
    // The segments that ended, those kept, in order.
    const std::deque<Segment>& segments() const { return m_segments; }
    // Where the piece of text still going on began; -1 in markup.
    qsizetype openTextBegin() const { return m_reader.openTextBegin(); }

    // Whether [begin, end) lies in one piece of text and cuts no character there (nor a
    // character reference, whether it gave a character of its own or joined a blank).
    bool whollyInText(qsizetype begin, qsizetype end) const;
    // The index of the first character kept that begins at or after unit.
    qsizetype characterAt(qsizetype unit) const;

    // Forgets the characters that end before unit, and the segments before the one that
    // holds it (the segment before that is kept too).
    void forgetBefore(qsizetype unit);

private:
    void take();

    TextReader m_reader;
    std::vector<Segment> m_newSegments;
    std::vector<std::pair<qsizetype, qsizetype>> m_newReferences;
    std::deque<std::pair<qsizetype, qsizetype>> m_references; // the units of each, in order
    std::deque<Segment> m_segments;
    std::deque<Char> m_chars;
    qsizetype m_charsRead = 0;
    qsizetype m_textEnd = 0;
};
