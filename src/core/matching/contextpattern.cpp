#include "matching/contextpattern.h"

#include "text/textencoding.h"

#include <QList>

#include <array>
#include <cstring>

#if defined(__x86_64__) || defined(__SSE2__)
#include <immintrin.h>
#endif

namespace {

// The lower and upper form of a character of the folded pairs; both the same otherwise.
void foldPair(char32_t c, char32_t* lower, char32_t* upper)
{
    *lower = *upper = c;
    if (c >= U'A' && c <= U'Z') {
        *lower = c + 32;
    } else if (c >= U'a' && c <= U'z') {
        *upper = c - 32;
    } else if (c >= U'А' && c <= U'Я') {
        *lower = c + 32;
    } else if (c >= U'а' && c <= U'я') {
        *upper = c - 32;
    } else if (c == U'Ё' || c == U'ё') {
        *lower = U'ё';
        *upper = U'Ё';
    }
}

// How common a byte is in the library's documents (markup and Russian text): higher is more
// common. The rarest bytes of the context are looked for first.
int commonnessOf(unsigned char byte)
{
    static const char* const common = " etaoinsrlhdcupmfgywb<>=\"/;:.,-0123456789\r\n\t&";
    if (byte == 0x00 || byte == 0x04)
        return 260; // the high bytes of ASCII and of Cyrillic in UTF-16: half of such a page
    if (byte != 0 && std::strchr(common, byte))
        return 200 - int(std::strchr(common, byte) - common);
    if (byte < 0x80)
        return 50; // other ASCII
    if (byte == 0xD0 || byte == 0xD1)
        return 250; // UTF-8 lead bytes of every Cyrillic letter
    // Russian letters, most common first, in windows-1251 and as UTF-8 second bytes.
    const QString letters = QStringLiteral("оеаинтсрвлкмдпуяызьбгчйхжшюцщэфъё");
    for (qsizetype i = 0; i < letters.size(); ++i) {
        for (const QString& letter : {letters.mid(i, 1), letters.mid(i, 1).toUpper()}) {
            const QByteArray ansi = TextEncoding::toWindows1251(letter).value_or(QByteArray());
            const QByteArray utf8 = letter.toUtf8();
            if ((ansi.size() == 1 && byte == uchar(ansi[0])) ||
                (utf8.size() == 2 && byte == uchar(utf8[1])))
                return 120 - int(i) * 3;
        }
    }
    return 10;
}

int commonness(unsigned char byte)
{
    static const std::array<int, 256> table = [] {
        std::array<int, 256> scores{};
        for (int b = 0; b < 256; ++b)
            scores[size_t(b)] = commonnessOf(static_cast<unsigned char>(b));
        return scores;
    }();
    return table[byte];
}

// The candidate filter: positions p where the byte at p + first is one of a pair and the
// byte at p + second is one of another pair (the two rarest bytes of the context, each in
// both letter cases). Returns the first candidate in [from, last], or -1.
struct PairFilter
{
    qsizetype first;
    qsizetype second;
    char a1, b1, a2, b2;
};

qsizetype nextCandidateScalar(const char* data, qsizetype from, qsizetype last, const PairFilter& f)
{
    for (qsizetype p = from; p <= last; ++p) {
        const char x = data[p + f.first];
        const char y = data[p + f.second];
        if ((x == f.a1 || x == f.b1) && (y == f.a2 || y == f.b2))
            return p;
    }
    return -1;
}

#if defined(__x86_64__) && defined(__GNUC__)
__attribute__((target("avx2"))) qsizetype nextCandidateAvx2(const char* data, qsizetype from,
                                                            qsizetype last, const PairFilter& f)
{
    const __m256i a1 = _mm256_set1_epi8(f.a1), b1 = _mm256_set1_epi8(f.b1);
    const __m256i a2 = _mm256_set1_epi8(f.a2), b2 = _mm256_set1_epi8(f.b2);
    qsizetype p = from;
    for (; p + 31 <= last; p += 32) {
        const __m256i x = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(data + p + f.first));
        const __m256i y = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(data + p + f.second));
        const __m256i mx = _mm256_or_si256(_mm256_cmpeq_epi8(x, a1), _mm256_cmpeq_epi8(x, b1));
        const __m256i my = _mm256_or_si256(_mm256_cmpeq_epi8(y, a2), _mm256_cmpeq_epi8(y, b2));
        const unsigned mask = unsigned(_mm256_movemask_epi8(_mm256_and_si256(mx, my)));
        if (mask)
            return p + __builtin_ctz(mask);
    }
    return nextCandidateScalar(data, p, last, f);
}
#endif

qsizetype nextCandidateSse2(const char* data, qsizetype from, qsizetype last, const PairFilter& f)
{
    qsizetype p = from;
#if defined(__SSE2__)
    const __m128i a1 = _mm_set1_epi8(f.a1), b1 = _mm_set1_epi8(f.b1);
    const __m128i a2 = _mm_set1_epi8(f.a2), b2 = _mm_set1_epi8(f.b2);
    for (; p + 15 <= last; p += 16) {
        const __m128i x = _mm_loadu_si128(reinterpret_cast<const __m128i*>(data + p + f.first));
        const __m128i y = _mm_loadu_si128(reinterpret_cast<const __m128i*>(data + p + f.second));
        const __m128i mx = _mm_or_si128(_mm_cmpeq_epi8(x, a1), _mm_cmpeq_epi8(x, b1));
        const __m128i my = _mm_or_si128(_mm_cmpeq_epi8(y, a2), _mm_cmpeq_epi8(y, b2));
        const int mask = _mm_movemask_epi8(_mm_and_si128(mx, my));
        if (mask)
            return p + __builtin_ctz(unsigned(mask));
    }
#endif
    return nextCandidateScalar(data, p, last, f);
}

using CandidateFinder = qsizetype (*)(const char*, qsizetype, qsizetype, const PairFilter&);

CandidateFinder bestCandidateFinder()
{
#if defined(__x86_64__) && defined(__GNUC__)
    if (__builtin_cpu_supports("avx2"))
        return nextCandidateAvx2;
#endif
    return nextCandidateSse2;
}

const CandidateFinder nextCandidate = bestCandidateFinder();

} // namespace

ContextPattern::ContextPattern(const QString& context, bool caseSensitive, Encoding encoding)
{
    if (context.isEmpty())
        return;
    m_hasLineBreak = context.contains(u'\r') || context.contains(u'\n');
    QByteArray lower;
    QByteArray upper;
    const QList<uint> characters = context.toUcs4();
    for (const uint c : characters) {
        char32_t lowerChar = c;
        char32_t upperChar = c;
        if (!caseSensitive)
            foldPair(c, &lowerChar, &upperChar);
        const QString lowerText = QString::fromUcs4(&lowerChar, 1);
        const QString upperText = QString::fromUcs4(&upperChar, 1);
        QByteArray lowerBytes;
        QByteArray upperBytes;
        if (encoding == Encoding::Utf8) {
            lowerBytes = lowerText.toUtf8();
            upperBytes = upperText.toUtf8();
        } else if (TextEncoding::isUtf16(encoding)) {
            const bool bigEndian = encoding == Encoding::Utf16Be;
            lowerBytes = TextEncoding::utf16Bytes(
                reinterpret_cast<const char16_t*>(lowerText.utf16()), lowerText.size(), bigEndian);
            upperBytes = TextEncoding::utf16Bytes(
                reinterpret_cast<const char16_t*>(upperText.utf16()), upperText.size(), bigEndian);
        } else {
            const auto l = TextEncoding::toWindows1251(lowerText);
            const auto u = TextEncoding::toWindows1251(upperText);
            if (!l || !u)
                return; // no windows-1251 form: found nowhere
            lowerBytes = *l;
            upperBytes = *u;
        }
        if (lowerBytes.size() != upperBytes.size())
            return;
        lower += lowerBytes;
        upper += upperBytes;
        m_unitEnds.push_back(lower.size());
    }
    m_lower = lower;
    m_upper = upper;
    m_folds = m_lower != m_upper;
    // The two rarest bytes of the context (at different places) filter the candidates.
    const auto score = [this](qsizetype i) {
        return qMax(commonness(uchar(m_lower[i])), commonness(uchar(m_upper[i])));
    };
    m_anchor = 0;
    for (qsizetype i = 1; i < m_lower.size(); ++i) {
        if (score(i) < score(m_anchor))
            m_anchor = i;
    }
    m_secondAnchor = m_anchor;
    for (qsizetype i = 0; i < m_lower.size(); ++i) {
        if (i == m_anchor)
            continue;
        const bool sameByte = m_lower[i] == m_lower[m_anchor];
        if (m_secondAnchor == m_anchor || score(i) + (sameByte ? 100 : 0) < score(m_secondAnchor))
            m_secondAnchor = i;
    }
}

bool ContextPattern::matchesAt(const char* at) const
{
    if (!m_folds)
        return std::memcmp(at, m_lower.constData(), size_t(m_lower.size())) == 0;
    qsizetype start = 0;
    for (const qsizetype end : m_unitEnds) {
        const size_t n = size_t(end - start);
        if (std::memcmp(at + start, m_lower.constData() + start, n) != 0 &&
            std::memcmp(at + start, m_upper.constData() + start, n) != 0)
            return false;
        start = end;
    }
    return true;
}

qsizetype ContextPattern::find(const char* data, qsizetype size, qsizetype from) const
{
    const qsizetype length = m_lower.size();
    if (length == 0 || size - from < length)
        return -1;
    const PairFilter filter{m_anchor,          m_secondAnchor,          m_lower[m_anchor],
                            m_upper[m_anchor], m_lower[m_secondAnchor], m_upper[m_secondAnchor]};
    const qsizetype last = size - length; // the start of the last possible match
    qsizetype at = from;
    while (at <= last) {
        const qsizetype candidate = nextCandidate(data, at, last, filter);
        if (candidate < 0)
            return -1;
        if (matchesAt(data + candidate))
            return candidate;
        at = candidate + 1;
    }
    return -1;
}
