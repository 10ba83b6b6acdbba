#include "text/copyoutput.h"

#include "text/textwindow.h"

#include <QString>

#include <algorithm>

using Encoding = TextEncoding::Encoding;
using Segment = DocumentText::Segment;
using SegmentKind = DocumentText::SegmentKind;

CopyOutput::CopyOutput(const QByteArray& source, Encoding encoding, bool wanted)
    : m_source(source), m_encoding(encoding), m_wanted(wanted)
{
    if (wanted)
        m_out.reserve(source.size() + 64 * 1024);
}

void CopyOutput::insert(qsizetype before, const QByteArray& tag)
{
    if (!m_wanted)
        return;
    const bool utf16 = TextEncoding::isUtf16(m_encoding);
    const qsizetype at = std::min(before * (utf16 ? 2 : 1), m_source.size());
    m_out.append(m_source.constData() + m_written, at - m_written);
    m_written = at;
    if (!utf16) {
        m_out += tag;
        return;
    }
    const QString text = QString::fromLatin1(tag);
    m_out += TextEncoding::utf16Bytes(reinterpret_cast<const char16_t*>(text.utf16()), text.size(),
                                      m_encoding == Encoding::Utf16Be);
}

QByteArray CopyOutput::finish()
{
    if (m_wanted)
        m_out.append(m_source.constData() + m_written, m_source.size() - m_written);
    return std::move(m_out);
}

void CopyOutput::markPieces(const TextWindow& window, qsizetype begin, qsizetype end,
                            const QByteArray& open, const QByteArray& close)
{
    const QByteArray& raw = m_source;
    const bool utf16 = TextEncoding::isUtf16(m_encoding);
    const auto isBlankUnit = [&](qsizetype at) {
        char16_t c = char16_t(uchar(raw[at]));
        if (utf16) {
            const auto a = uchar(raw[2 * at]), b = uchar(raw[2 * at + 1]);
            c = m_encoding == Encoding::Utf16Be ? char16_t(a << 8 | b) : char16_t(b << 8 | a);
        }
        return c == u' ' || c == u'\t' || c == u'\r' || c == u'\n' || c == u'\f';
    };
    const std::deque<Segment>& segments = window.segments();
    const auto besideBlock = [&segments](size_t neighbour) {
        return neighbour < segments.size() && segments[neighbour].kind != SegmentKind::InlineTag;
    };
    size_t s = size_t(
        std::upper_bound(segments.begin(), segments.end(), begin,
                         [](qsizetype at, const Segment& segment) { return at < segment.begin; }) -
        segments.begin());
    s = s > 0 ? s - 1 : 0;
    qsizetype covered = begin;
    for (; s < segments.size() && segments[s].begin < end; ++s) {
        covered = std::max(covered, segments[s].end);
        if (segments[s].kind != SegmentKind::Text || segments[s].end <= begin)
            continue;
        const qsizetype from = std::max(begin, segments[s].begin);
        const qsizetype to = std::min(end, segments[s].end);
        bool blankOnly = true;
        for (qsizetype u = from; u < to && blankOnly; ++u)
            blankOnly = isBlankUnit(u);
        if (blankOnly && ((from == segments[s].begin && s > 0 && besideBlock(s - 1)) ||
                          (to == segments[s].end && besideBlock(s + 1))))
            continue;
        insert(from, open);
        insert(to, close);
    }
    if (covered < end) {
        // The rest lies in the piece of text still going on.
        insert(covered, open);
        insert(end, close);
    }
}
