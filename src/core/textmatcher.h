#pragma once

#include "documenttext.h"
#include "matchoptions.h"

#include <QString>

#include <string>
#include <vector>

// Finds a context in the text of a document (see DocumentText): letters compared by their
// simple lower-case form unless the search is case-sensitive, whole words when asked.
class TextMatcher
{
public:
    TextMatcher(const QString& context, const MatchOptions& options);

    // False when the context holds nothing but blanks.
    bool isValid() const { return !m_context.empty(); }
    qsizetype length() const { return qsizetype(m_context.size()); }

    // An occurrence: the indexes of its first character and past its last.
    struct Occurrence
    {
        qsizetype first;
        qsizetype end;
    };
    // Every occurrence, left to right, none overlapping the one before (or the first only).
    std::vector<Occurrence> find(const std::vector<DocumentText::Char>& text,
                                 bool firstOnly = false) const;

private:
    std::u32string m_context;
    MatchOptions m_options;
};
