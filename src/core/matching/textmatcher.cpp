#include "matching/textmatcher.h"

#include "text/characterrules.h"

TextMatcher::TextMatcher(const QString& context, const MatchOptions& options)
    : m_context(DocumentText::normalizedContext(context, options.caseSensitive)), m_options(options)
{
    // The failure function of a Knuth-Morris-Pratt search.
    m_failure.assign(m_context.size() + 1, 0);
    for (size_t i = 1, border = 0; i < m_context.size(); ++i) {
        while (border > 0 && m_context[i] != m_context[border])
            border = size_t(m_failure[border]);
        if (m_context[i] == m_context[border])
            ++border;
        m_failure[i + 1] = qsizetype(border);
    }
}

std::vector<TextMatcher::Occurrence> TextMatcher::find(const std::vector<DocumentText::Char>& text,
                                                       bool firstOnly) const
{
    std::vector<Occurrence> found;
    if (m_context.empty())
        return found;
    Cursor cursor(*this, firstOnly);
    constexpr qsizetype piece = 4096;
    for (size_t at = 0; at < text.size() && !(firstOnly && !found.empty()); at += piece)
        cursor.read(text.data() + at, std::min<qsizetype>(piece, qsizetype(text.size() - at)),
                    found);
    if (!(firstOnly && !found.empty()))
        cursor.finish(found);
    if (firstOnly && found.size() > 1)
        found.resize(1);
    return found;
}

TextMatcher::Cursor::Cursor(const TextMatcher& matcher, bool firstOnly)
    : m_matcher(matcher), m_recent(matcher.m_context.size() + 2), m_firstOnly(firstOnly)
{
}

const DocumentText::Char& TextMatcher::Cursor::recent(qsizetype index) const
{
    return m_recent[size_t(index) % m_recent.size()];
}

qsizetype TextMatcher::Cursor::pendingUnit() const
{
    const qsizetype matched = m_pending ? qsizetype(m_matcher.m_context.size()) : m_matched;
    if (matched == 0)
        return -1;
    return recent(m_read - matched).begin;
}

void TextMatcher::Cursor::accept(std::vector<Occurrence>& out)
{
    const qsizetype length = qsizetype(m_matcher.m_context.size());
    const qsizetype first = m_read - length;
    out.push_back({first, m_read, recent(first).begin, recent(m_read - 1).end});
}

void TextMatcher::Cursor::read(const DocumentText::Char* chars, qsizetype count,
                               std::vector<Occurrence>& out)
{
    const std::u32string& context = m_matcher.m_context;
    const qsizetype length = qsizetype(context.size());
    if (length == 0)
        return;
    const bool caseSensitive = m_matcher.m_options.caseSensitive;
    const bool wholeWords = m_matcher.m_options.wholeWords;
    for (qsizetype i = 0; i < count && !(m_firstOnly && !out.empty()); ++i) {
        const DocumentText::Char& next = chars[i];
        if (m_pending) {
            // Whole words: the occurrence that ended before this character stands when
            // neither its neighbours is part of a word.
            m_pending = false;
            const qsizetype first = m_read - length;
            const bool wordBefore =
                first > 0 && CharacterRules::isWordCharacter(recent(first - 1).c);
            if (!wordBefore && !CharacterRules::isWordCharacter(next.c)) {
                accept(out);
                m_matched = 0;
            }
        }
        m_recent[size_t(m_read) % m_recent.size()] = next;
        ++m_read;
        const char32_t c = CharacterRules::folded(next.c, caseSensitive);
        while (m_matched > 0 && context[size_t(m_matched)] != c)
            m_matched = m_matcher.m_failure[size_t(m_matched)];
        if (context[size_t(m_matched)] == c)
            ++m_matched;
        if (m_matched < length)
            continue;
        if (wholeWords) {
            m_pending = true;
            m_matched = m_matcher.m_failure[size_t(length)];
            continue;
        }
        accept(out);
        m_matched = 0; // the next occurrence begins after this one
    }
}

void TextMatcher::Cursor::finish(std::vector<Occurrence>& out)
{
    if (!m_pending)
        return;
    m_pending = false;
    const qsizetype first = m_read - qsizetype(m_matcher.m_context.size());
    if (!(first > 0 && CharacterRules::isWordCharacter(recent(first - 1).c)))
        accept(out);
    m_matched = 0;
}
