#pragma once

#include "text/textencoding.h"

#include <QByteArray>
#include <QString>

#include <vector>

// The bytes a context takes in one document encoding, with the letters of the pairs A-Z,
// А-Я, Ё folded unless the search is case-sensitive. Folded partners have the same byte
// length in both encodings, so a match is always length() bytes long.
class ContextPattern
{
public:
    using Encoding = TextEncoding::Encoding;

    ContextPattern() = default;
    ContextPattern(const QString& context, bool caseSensitive, Encoding encoding);

    // False when the context can occur in no document of this encoding (it is empty, or a
    // character has no form in it).
    bool isValid() const { return !m_lower.isEmpty(); }
    qsizetype length() const { return m_lower.size(); }
    bool hasLineBreak() const { return m_hasLineBreak; }

    // Position of the first match at or after from, or -1. The whole match lies in the data.
    qsizetype find(const char* data, qsizetype size, qsizetype from = 0) const;

private:
    bool matchesAt(const char* at) const;

    QByteArray m_lower; // the context with every folded letter in its lower form
    QByteArray m_upper; // the same with the upper form (equal to m_lower where nothing folds)
    std::vector<qsizetype> m_unitEnds; // where each character's bytes end
    qsizetype m_anchor = 0;            // the rarest byte of the context, looked for first
    qsizetype m_secondAnchor = 0;      // the next rarest, at another place
    bool m_folds = false;
    bool m_hasLineBreak = false;
};
