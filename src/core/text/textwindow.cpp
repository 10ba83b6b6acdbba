#include "text/textwindow.h"

#include <algorithm>

TextWindow::TextWindow(TextEncoding::Encoding encoding) : m_reader(encoding)
{
    m_reader.setSegments(&m_newSegments);
    m_reader.setReferences(&m_newReferences);
}

void TextWindow::read(const char* bytes, qsizetype size)
{
    m_reader.read(bytes, size);
    take();
}

void TextWindow::finish()
{
    m_reader.finish();
    take();
}

void TextWindow::take()
{
    m_segments.insert(m_segments.end(), m_newSegments.begin(), m_newSegments.end());
    m_newSegments.clear();
    m_references.insert(m_references.end(), m_newReferences.begin(), m_newReferences.end());
    m_newReferences.clear();
    m_chars.insert(m_chars.end(), m_reader.characters(),
                   m_reader.characters() + m_reader.characterCount());
    m_charsRead += m_reader.characterCount();
    if (m_reader.characterCount() > 0)
        m_textEnd = m_reader.characters()[m_reader.characterCount() - 1].end;
}

bool TextWindow::whollyInText(qsizetype begin, qsizetype end) const
{
    const auto segment =
        std::upper_bound(m_segments.begin(), m_segments.end(), begin,
                         [](qsizetype at, const Segment& s) { return at < s.begin; });
    bool inText = false;
    if (segment != m_segments.begin() && begin < (segment - 1)->end) {
        const Segment& in = *(segment - 1);
        inText = in.kind == DocumentText::SegmentKind::Text && end <= in.end;
    } else {
        // In the piece of text still going on (read far enough past end to know it).
        const qsizetype open = openTextBegin();
        inText = open >= 0 && open <= begin;
    }
    if (!inText)
        return false;
    const auto cuts = [this](qsizetype at) {
        const auto next = std::upper_bound(m_chars.begin(), m_chars.end(), at,
                                           [](qsizetype a, const Char& c) { return a < c.begin; });
        if (next != m_chars.begin() && (next - 1)->begin < at && at < (next - 1)->end)
            return true;
        const auto reference = std::upper_bound(
            m_references.begin(), m_references.end(), at,
            [](qsizetype a, const std::pair<qsizetype, qsizetype>& r) { return a < r.first; });
        return reference != m_references.begin() && (reference - 1)->first < at &&
               at < (reference - 1)->second;
    };
    return !cuts(begin) && !cuts(end);
}

qsizetype TextWindow::characterAt(qsizetype unit) const
{
    const auto at = std::lower_bound(m_chars.begin(), m_chars.end(), unit,
                                     [](const Char& c, qsizetype u) { return c.begin < u; });
    return firstKept() + (at - m_chars.begin());
}

void TextWindow::forgetBefore(qsizetype unit)
{
    while (!m_chars.empty() && m_chars.front().end <= unit)
        m_chars.pop_front();
    while (m_segments.size() > 2 && m_segments[1].end <= unit)
        m_segments.pop_front();
    while (!m_references.empty() && m_references.front().second <= unit)
        m_references.pop_front();
}
