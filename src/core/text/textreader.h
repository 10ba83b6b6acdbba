#pragma once

#include "text/markupend.h"
#include "text/textencoding.h"
#include "text/textunits.h"

#include <array>
#include <memory>
#include <string_view>
#include <utility>
#include <vector>

// Reads the text of a document (see documenttext.h) from its bytes given in pieces of any size,
// in memory that does not grow with the document: each character is handed out as soon as it
// is known, with the units it comes from.
class TextReader
{
public:
    using Char = TextCharacter;
    using Segment = TextSegment;

    explicit TextReader(TextEncoding::Encoding encoding);

    // When given, the pieces of the document (markup, text) are appended as they end.
    void setSegments(std::vector<Segment>* segments) { m_segments = segments; }
    // When given, the units of every character reference decoded are appended (a blank one
    // may give no character of its own: it joins the blank before it).
    void setReferences(std::vector<std::pair<qsizetype, qsizetype>>* references)
    {
        m_references = references;
    }

    // The next bytes of the document; the characters they complete are appended to out.
    void read(const char* bytes, qsizetype size, std::vector<Char>& out);
    // Units already decoded from the bytes (16-bit units of a UTF-16 document).
    void readUnits(const char16_t* units, qsizetype size, std::vector<Char>& out);
    // The end of the document.
    void finish(std::vector<Char>& out);

    // The same, the characters kept by the reader until its next call: characters() and
    // characterCount() tell them.
    void read(const char* bytes, qsizetype size);
    void finish();
    const Char* characters() const { return m_chars.get(); }
    qsizetype characterCount() const { return m_count; }

    // Where the piece of text going on began (its end not yet known); -1 in markup.
    qsizetype openTextBegin() const;

    // The units read so far.
    qsizetype position() const { return m_at; }

private:
    enum class State
    {
        Data,
        Reference,
        TagOpen,
        EndTagOpen,
        TagName,
        Attributes, // the rest of a tag, after its name
        DeclarationOpen,
        Comment,
        Bogus,
    };

    template <typename Unit> void readAll(const Unit* units, qsizetype size);
    void readUtf16(const char* bytes, qsizetype size);
    void readUnits(const char16_t* units, qsizetype size);
    void makeRoom(qsizetype units);
    void takeInto(std::vector<Char>& out);
    void unit(unsigned u);
    void data(unsigned u);
    void text(unsigned u);
    void flushPartial();
    void put(char32_t c, qsizetype begin, qsizetype end);
    void blank(qsizetype begin, qsizetype end);
    void resolveReference();
    void beginMarkup(State state);
    void endMarkup(qsizetype end, TextSegmentKind kind);
    void endTag();
    void rawText(unsigned u);
    void startRaw(std::string_view name);
    void addSegment(TextSegmentKind kind, qsizetype begin, qsizetype end);

    TextEncoding::Encoding m_encoding;
    const char16_t* m_windows1251;
    std::unique_ptr<Char[]> m_chars; // those of the latest call
    qsizetype m_count = 0;
    qsizetype m_capacity = 0;
    std::vector<Segment>* m_segments = nullptr;
    std::vector<std::pair<qsizetype, qsizetype>>* m_references = nullptr;
    qsizetype m_at = 0;     // the unit being read
    bool m_started = false; // past a byte-order mark
    std::array<unsigned char, 3> m_head{};
    int m_headCount = 0;
    int m_oddByte = -1; // of a UTF-16 document, waiting for its pair

    State m_state = State::Data;
    qsizetype m_textBegin = 0;   // of the piece of text going on
    qsizetype m_markupBegin = 0; // of the markup going on

    // A character of several units being decoded.
    std::array<unsigned, 4> m_partial{};
    int m_partialCount = 0;
    int m_partialNeeded = 0;
    qsizetype m_partialBegin = 0;

    // A blank waiting for the next character.
    bool m_blankPending = false;
    qsizetype m_blankBegin = 0;
    qsizetype m_blankEnd = 0;

    std::array<char, 40> m_reference{};
    int m_referenceCount = 0;
    qsizetype m_referenceBegin = 0;

    // The tag being read.
    std::array<char, 12> m_name{};
    int m_nameLength = 0; // longer than m_name holds: past it
    bool m_endTag = false;
    MarkupEnd::Tag m_tagEnd;
    int m_dashes = 0; // of "<!--" read
    MarkupEnd::Comment m_commentEnd;

    // An element whose content is left out: head (read as markup, its text hidden), or one of
    // style, script, xml (read as plain text up to its end tag).
    bool m_inHead = false;
    qsizetype m_headBegin = 0;
    int m_raw = 0; // 0, or the length of the name of the raw element we are in
    std::array<char, 8> m_rawName{};
    qsizetype m_rawBegin = 0;
    int m_rawMatched = 0;      // units of "</name" matched
    bool m_closingRaw = false; // in its end tag
};
