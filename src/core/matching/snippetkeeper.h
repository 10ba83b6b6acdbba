#pragma once

#include "text/documenttext.h"

#include <QString>

#include <deque>
#include <string>

// The line of text around one occurrence, taken from a text read piece by piece: the latest
// characters are kept for the text before an occurrence, the text after it is taken as it
// comes.
class SnippetKeeper
{
public:
    // How many characters of text the line shows on either side.
    static constexpr qsizetype Around = 40;

    // back: how far before the latest character an occurrence may begin, at most.
    explicit SnippetKeeper(qsizetype back);

    // The next characters of the text.
    void read(const DocumentText::Char* chars, qsizetype count);
    // The line is around the characters [first, end) of the text (end already read); a later
    // call takes another line instead.
    void take(qsizetype first, qsizetype end);

    bool isTaken() const { return m_taken; }
    QString before() const { return m_before; }
    QString match() const { return m_match; }
    QString after() const;

private:
    std::deque<char32_t> m_kept;
    qsizetype m_read = 0; // characters read
    qsizetype m_keep;
    bool m_taken = false;
    qsizetype m_afterEnd = 0; // past the last character the text after the line's match takes
    QString m_before;
    QString m_match;
    std::u32string m_after;
};
