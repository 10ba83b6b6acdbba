#pragma once

#include "matching/matchoptions.h"
#include "text/documenttext.h"

#include <QString>

#include <string>
#include <vector>

// Finds a context in the text of a document (see DocumentText): letters compared by their
// simple lower-case form unless the search is case-sensitive, whole words when asked. The
// text may come in pieces; the work grows with the text alone, whatever the context.
class TextMatcher
{
public:
    TextMatcher(const QString& context, const MatchOptions& options);

    // False when the context holds nothing but blanks.
    bool isValid() const { return !m_context.empty(); }
    qsizetype length() const { return qsizetype(m_context.size()); }

    // An occurrence: the indexes of its first character and past its last, and the units
    // it covers.
    struct Occurrence
    {
        qsizetype first;
        qsizetype end;
        qsizetype beginUnit = 0;
        qsizetype endUnit = 0;
    };
    // Every occurrence, left to right, none overlapping the one before (or the first only).
    std::vector<Occurrence> find(const std::vector<DocumentText::Char>& text,
                                 bool firstOnly = false) const;

    // The place of a search in a text read piece by piece.
    class Cursor
    {
    public:
        // firstOnly: reading stops at the first occurrence found.
        explicit Cursor(const TextMatcher& matcher, bool firstOnly = false);
        // The next characters of the text; the occurrences they complete are appended.
        void read(const DocumentText::Char* chars, qsizetype count, std::vector<Occurrence>& out);
        // The end of the text.
        void finish(std::vector<Occurrence>& out);
        // The characters read so far.
        qsizetype position() const { return m_read; }
        // The unit where an occurrence still to come may begin (the first of the
        // characters matched so far; -1 when none is).
        qsizetype pendingUnit() const;

    private:
        void accept(std::vector<Occurrence>& out);
        const DocumentText::Char& recent(qsizetype index) const;

        const TextMatcher& m_matcher;
        qsizetype m_matched = 0; // characters of the context matched before m_read
        qsizetype m_read = 0;
        // The latest characters, the context's length and two: an occurrence and the one
        // before it (whole words), the ring read by index modulo its size.
        std::vector<DocumentText::Char> m_recent;
        bool m_pending = false; // an occurrence ends at m_read, waiting for what follows
        bool m_firstOnly = false;
    };

private:
    std::u32string m_context;
    std::vector<qsizetype> m_failure; // the longest border of each prefix
    MatchOptions m_options;
};
