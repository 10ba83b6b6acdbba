#include "matching/snippetkeeper.h"

#include "text/characterrules.h"

#include <algorithm>

SnippetKeeper::SnippetKeeper(qsizetype back) : m_keep(back + 4 * Around + 160) {}

void SnippetKeeper::read(const DocumentText::Char* chars, qsizetype count)
{
    // The text after the line's occurrence, as far as it goes.
    for (qsizetype i = 0; m_taken && m_read + i < m_afterEnd && i < count; ++i)
        m_after += chars[i].c;
    while (qsizetype(m_kept.size()) > m_keep)
        m_kept.pop_front();
    for (qsizetype i = 0; i < count; ++i)
        m_kept.push_back(chars[i].c);
    m_read += count;
}

void SnippetKeeper::take(qsizetype first, qsizetype end)
{
    const qsizetype keptFrom = m_read - qsizetype(m_kept.size());
    const auto text = [this, keptFrom](qsizetype from, qsizetype to) {
        QString out;
        for (qsizetype i = std::max(from, keptFrom); i < std::min(to, m_read); ++i) {
            const char32_t c = m_kept[size_t(i - keptFrom)];
            out += QString::fromUcs4(&c, 1);
        }
        return out;
    };
    const qsizetype from = std::max<qsizetype>(0, first - Around);
    m_taken = true;
    m_before = (from > 0 ? QStringLiteral("…") : QString()) + text(from, first).trimmed();
    if (first > from && first - 1 >= keptFrom &&
        CharacterRules::isBlank(m_kept[size_t(first - 1 - keptFrom)]))
        m_before += u' ';
    m_match = text(first, end);
    m_afterEnd = end + Around;
    m_after.clear();
    for (qsizetype i = std::max(end, keptFrom); i < std::min(m_afterEnd, m_read); ++i)
        m_after += m_kept[size_t(i - keptFrom)];
}

QString SnippetKeeper::after() const
{
    QString out = QString::fromStdU32String(m_after);
    // More text follows the line.
    if (m_read > m_afterEnd)
        out += QStringLiteral("…");
    return out;
}
