#pragma once

#include "matching/contextpattern.h"
#include "matching/matchoptions.h"

#include <QString>

// Finds a context in the raw text of a document (its lines joined with CR LF) by the search's
// byte rule, in the document's encoding: in a UTF-16 document only at whole 16-bit units, and
// with whole words only between characters that are not letters or digits (the characters of
// the raw text in its encoding).
class RawMatcher
{
public:
    RawMatcher(const QString& context, const MatchOptions& options,
               TextEncoding::Encoding encoding);

    bool isValid() const { return m_pattern.isValid(); }
    qsizetype length() const { return m_pattern.length(); }

    // The first occurrence at or after from in the joined text, or -1.
    qsizetype next(const char* text, qsizetype size, qsizetype from = 0) const;

private:
    char32_t characterBefore(const char* text, qsizetype at) const;
    char32_t characterAt(const char* text, qsizetype size, qsizetype at,
                         qsizetype* bytes = nullptr) const;

    ContextPattern m_pattern;
    TextEncoding::Encoding m_encoding;
    bool m_wholeWords;
};
