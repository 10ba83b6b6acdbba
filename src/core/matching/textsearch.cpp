#include "matching/textsearch.h"

#include "text/characterreference.h"
#include "text/characterrules.h"
#include "text/documenttextreader.h"
#include "text/htmlentities.h"
#include "text/textreader.h"

#include <QChar>
#include <QList>

#include <algorithm>
#include <cstring>
#include <tuple>

#if defined(__x86_64__) && defined(__GNUC__)
#include <immintrin.h>
#endif

namespace {

using Encoding = TextEncoding::Encoding;
using ByteFilter = TextSearch::ByteFilter;

// Every character whose simple lower-case form is that of c (c alone when case matters).
std::vector<char32_t> variantsOf(char32_t c, bool caseSensitive)
{
    if (caseSensitive)
        return {c};
    // Those of the lower form are its upper and title forms, and the few characters whose
    // lower form belongs to another letter's pair (Kelvin sign, dotted capital I, ...).
    const char32_t lower = QChar::toLower(c);
    std::vector<char32_t> variants{lower};
    for (const char32_t other :
         {QChar::toUpper(lower), QChar::toTitleCase(lower), c, char32_t(0x130), char32_t(0x212A),
          char32_t(0x212B), char32_t(0x2126), char32_t(0x3F4), char32_t(0x1E9E)}) {
        if (QChar::toLower(other) == lower &&
            std::find(variants.begin(), variants.end(), other) == variants.end())
            variants.push_back(other);
    }
    return variants;
}

// The bytes of c in a document of this encoding; empty when it has none.
QByteArray bytesOf(char32_t c, Encoding encoding)
{
    const QString text = QString::fromUcs4(&c, 1);
    if (encoding == Encoding::Utf8)
        return text.toUtf8();
    return TextEncoding::toWindows1251(text).value_or(QByteArray());
}

// How often a character turns up in the library's documents, markup included: higher is
// more often. Latin letters and digits fill the markup of every page.
int commonness(char32_t c)
{
    static const QString cyrillic = QStringLiteral("оеаинтсрвлкмдпуяызьбгчйхжшюцщэфъё");
    static const QString latin = QStringLiteral("etaonsrilpcdhmfgyuwbvkxjqz");
    const QChar lower(char16_t(c < 0x10000 ? QChar::toLower(c) : 0));
    if (const qsizetype rank = latin.indexOf(lower); rank >= 0)
        return 160 - int(rank);
    if (c >= U'0' && c <= U'9')
        return 158; // sizes, margins and colours fill the markup
    if (c < 0x80)
        return 140; // punctuation
    if (const qsizetype rank = cyrillic.indexOf(lower); rank >= 0)
        return 100 - int(rank);
    return 20;
}

// The filter for the characters context[from, from + count) in one encoding, when each of
// them can be written in it, every form at the same length.
bool makeFilter(const std::u32string& context, size_t from, size_t count, bool caseSensitive,
                Encoding encoding, ByteFilter* filter)
{
    ByteFilter made;
    made.contextIndex = int(from);
    for (size_t i = from; i < from + count; ++i) {
        const char32_t c = context[i];
        if (CharacterRules::isBlank(c) || c == U'<' || c == U'&' || c == U'\uFFFD')
            return false;
        std::vector<QByteArray> forms;
        for (const char32_t variant : variantsOf(c, caseSensitive)) {
            const QByteArray bytes = bytesOf(variant, encoding);
            if (!bytes.isEmpty())
                forms.push_back(bytes);
        }
        if (forms.empty())
            return false;
        const int length = int(forms.front().size());
        if (made.length + length > ByteFilter::MaxBytes)
            return false;
        for (int b = 0; b < length; ++b) {
            const int at = made.length + b;
            made.startsChar[size_t(at)] = b == 0 && i > from;
            for (const QByteArray& form : forms) {
                if (form.size() != length)
                    return false;
                auto& values = made.values[size_t(at)];
                int& n = made.valueCount[size_t(at)];
                const auto byte = static_cast<unsigned char>(form[b]);
                if (std::find(values.begin(), values.begin() + n, byte) != values.begin() + n)
                    continue;
                if (n == ByteFilter::MaxValues)
                    return false;
                values[size_t(n++)] = byte;
            }
        }
        made.length += length;
    }
    made.firstVariants = variantsOf(context[from], caseSensitive);
    made.referenceStarts['#'] = true;
    for (const char32_t variant : made.firstVariants) {
        for (const std::string& name : HtmlEntities::namesOf(variant))
            made.referenceStarts[static_cast<unsigned char>(name.front())] = true;
    }
    // The soft hyphen is 0xAD in windows-1251; in UTF-8 it and the accents begin 0xC2, 0xCC.
    made.breakBytes = {'<', '&', 0xAD};
    made.breakCount = 3;
    if (encoding == Encoding::Utf8) {
        made.breakBytes = {'<', '&', 0xC2, 0xCC};
        made.breakCount = 4;
    }
    *filter = made;
    return true;
}

// The run of the context that a filter is made of: at least three characters where it can be,
// beginning with the rarest character it can, and as long as the filter takes.
ByteFilter filterFor(const std::u32string& context, bool caseSensitive, Encoding encoding)
{
    ByteFilter best;
    std::tuple<size_t, int, size_t> bestKey{0, 0, 0};
    for (size_t from = 0; from < context.size(); ++from) {
        for (size_t count = std::min<size_t>(8, context.size() - from); count >= 1; --count) {
            ByteFilter filter;
            if (!makeFilter(context, from, count, caseSensitive, encoding, &filter))
                continue;
            // Longer is better up to three characters, then a rarer first character.
            const std::tuple<size_t, int, size_t> key{std::min<size_t>(count, 3),
                                                      -commonness(context[from]), count};
            if (best.length == 0 || key > bestKey) {
                best = filter;
                bestKey = key;
            }
            break;
        }
    }
    return best;
}

bool isBreak(const ByteFilter& filter, unsigned char byte)
{
    return std::find(filter.breakBytes.begin(), filter.breakBytes.begin() + filter.breakCount,
                     byte) != filter.breakBytes.begin() + filter.breakCount;
}

// Whether the filter lets a candidate start at data[at]; bytes past the end let anything by.
bool passes(const ByteFilter& filter, const char* data, qsizetype size, qsizetype at)
{
    // From the last byte back: markup, a reference or a character the text leaves out can
    // come before a character, after which the rest of the filter does not count.
    bool pass = true;
    for (int o = filter.length - 1; o >= 0; --o) {
        if (at + o >= size) {
            pass = true;
            continue;
        }
        const auto byte = static_cast<unsigned char>(data[at + o]);
        const auto& values = filter.values[size_t(o)];
        const int n = filter.valueCount[size_t(o)];
        const bool matches =
            n == 0 || std::find(values.begin(), values.begin() + n, byte) != values.begin() + n;
        pass = matches && pass;
        if (filter.startsChar[size_t(o)] && isBreak(filter, byte))
            pass = true;
    }
    return pass;
}

// Adds the candidates in [from, to) (each the start of the filter's first character).
void filterCandidatesScalar(const ByteFilter& filter, const char* data, qsizetype size,
                            qsizetype from, qsizetype to, std::vector<qsizetype>& out)
{
    for (qsizetype at = from; at < to; ++at) {
        if (passes(filter, data, size, at))
            out.push_back(at);
    }
}

#if defined(__x86_64__) && defined(__GNUC__)
// The bytes a filter allows at one offset, each repeated over a vector. Two that differ in one
// bit (the cases of a Latin letter, of most Cyrillic ones in windows-1251) are told by one
// comparison with that bit set.
struct OffsetBytes
{
    __m256i values[ByteFilter::MaxValues];
    int count;
    bool startsChar;
    bool byBit;
    __m256i bit;
};

// The places of a block whose byte is one of allowed.
__attribute__((target("avx2"), always_inline)) inline __m256i matching(const OffsetBytes& allowed,
                                                                       __m256i bytes)
{
    if (allowed.byBit)
        return _mm256_cmpeq_epi8(_mm256_or_si256(bytes, allowed.bit), allowed.values[0]);
    __m256i matches = _mm256_cmpeq_epi8(bytes, allowed.values[0]);
    for (int v = 1; v < allowed.count; ++v)
        matches = _mm256_or_si256(matches, _mm256_cmpeq_epi8(bytes, allowed.values[v]));
    return matches;
}

__attribute__((target("avx2"), always_inline)) inline __m256i load(const char* data, qsizetype at)
{
    return _mm256_loadu_si256(reinterpret_cast<const __m256i*>(data + at));
}

// The places whose byte is one that may stand before a character without being one.
__attribute__((target("avx2"), always_inline)) inline __m256i breaking(const OffsetBytes& breaks,
                                                                       __m256i bytes)
{
    return breaks.count > 0 ? matching(breaks, bytes) : _mm256_setzero_si256();
}

// The places whose byte at offset o the filter allows, markup or a reference included.
__attribute__((target("avx2"), always_inline)) inline __m256i
allowedAt(const OffsetBytes& allowed, const OffsetBytes& breaks, __m256i bytes)
{
    __m256i pass = allowed.count > 0 ? matching(allowed, bytes) : _mm256_set1_epi8(-1);
    if (allowed.startsChar)
        pass = _mm256_or_si256(pass, breaking(breaks, bytes));
    return pass;
}

// A filter's bytes over vectors.
struct VectorFilter
{
    OffsetBytes offsets[ByteFilter::MaxBytes];
    OffsetBytes breaks;
    int length;
};

// The places of a block whose first two bytes the filter allows, told by its offsets.
struct FirstTwoByOffsets
{
    const VectorFilter& filter;

    __attribute__((target("avx2"), always_inline)) __m256i operator()(const char* data,
                                                                      qsizetype at) const
    {
        const __m256i first = matching(filter.offsets[0], load(data, at));
        if (filter.length == 1)
            return first;
        return _mm256_and_si256(first,
                                allowedAt(filter.offsets[1], filter.breaks, load(data, at + 1)));
    }
};

// The same without a branch, for the usual filters: each of the first two bytes one byte, one
// of two that differ in one bit, or any (told by that bit set and one comparison), and the
// breaks before the second byte told apart by their low halves (one look-up of the low half
// gives the break it may be; one no byte of that low half is, where there is none or the
// second byte begins no character).
struct FirstTwoByBits
{
    __m256i firstBit;
    __m256i firstValue;
    __m256i secondBit;
    __m256i secondValue;
    __m256i breaks;

    // False, leaving the rest unset, when the filter's first two bytes (its offsets over
    // vectors) are not so.
    __attribute__((target("avx2"))) bool make(const ByteFilter& filter, const VectorFilter& vectors)
    {
        if (vectors.length < 2 || !bitAndValue(vectors.offsets[0], &firstBit, &firstValue) ||
            !bitAndValue(vectors.offsets[1], &secondBit, &secondValue))
            return false;
        alignas(32) std::array<unsigned char, 32> table{};
        table[0] = table[16] = 0x01; // no break: a byte of another low half
        if (filter.startsChar[1]) {
            std::array<bool, 16> taken{};
            for (int v = 0; v < filter.breakCount; ++v) {
                const unsigned char byte = filter.breakBytes[size_t(v)];
                if (taken[byte & 0x0Fu])
                    return false;
                taken[byte & 0x0Fu] = true;
                table[byte & 0x0Fu] = table[16 + (byte & 0x0Fu)] = byte;
            }
        }
        breaks = _mm256_load_si256(reinterpret_cast<const __m256i*>(table.data()));
        return true;
    }

    // The bit and the value that tell the bytes an offset allows; false when they cannot.
    __attribute__((target("avx2"))) static bool bitAndValue(const OffsetBytes& offset, __m256i* bit,
                                                            __m256i* value)
    {
        if (offset.count == 0) { // any byte
            *bit = *value = _mm256_set1_epi8(char(0xFF));
        } else if (offset.byBit) {
            *bit = offset.bit;
            *value = offset.values[0];
        } else if (offset.count == 1) {
            *bit = _mm256_setzero_si256();
            *value = offset.values[0];
        } else {
            return false;
        }
        return true;
    }

    __attribute__((target("avx2"), always_inline)) __m256i operator()(const char* data,
                                                                      qsizetype at) const
    {
        const __m256i first = load(data, at);
        const __m256i second = load(data, at + 1);
        const __m256i firstAllowed =
            _mm256_cmpeq_epi8(_mm256_or_si256(first, firstBit), firstValue);
        const __m256i secondAllowed =
            _mm256_cmpeq_epi8(_mm256_or_si256(second, secondBit), secondValue);
        const __m256i lowHalf = _mm256_and_si256(second, _mm256_set1_epi8(0x0F));
        const __m256i broken = _mm256_cmpeq_epi8(second, _mm256_shuffle_epi8(breaks, lowHalf));
        return _mm256_and_si256(firstAllowed, _mm256_or_si256(secondAllowed, broken));
    }
};

// Adds the places of the block at at, of those its first two bytes allow, that the filter
// lets by.
__attribute__((target("avx2"), always_inline)) inline void addPassing(const VectorFilter& filter,
                                                                      const char* data,
                                                                      qsizetype at, __m256i allowed,
                                                                      std::vector<qsizetype>& out)
{
    // From the last byte back: a break before a character lets every byte after it by.
    __m256i pass = _mm256_set1_epi8(-1);
    for (int o = filter.length - 1; o >= 1; --o) {
        const __m256i bytes = load(data, at + o);
        if (filter.offsets[o].count > 0)
            pass = _mm256_and_si256(pass, matching(filter.offsets[o], bytes));
        if (filter.offsets[o].startsChar)
            pass = _mm256_or_si256(pass, breaking(filter.breaks, bytes));
    }
    pass = _mm256_and_si256(pass, allowed);
    for (unsigned mask = unsigned(_mm256_movemask_epi8(pass)); mask; mask &= mask - 1)
        out.push_back(at + __builtin_ctz(mask));
}

// Adds the candidates of the whole blocks of 32 starting places from from up to last, two
// blocks at a time: the first two bytes (firstTwo) rule out nearly every place, even where the
// first is common. Returns where the blocks end.
template <typename FirstTwo>
__attribute__((target("avx2"))) qsizetype
filterBlocks(const VectorFilter& vectors, const FirstTwo& firstTwo, const char* data,
             qsizetype from, qsizetype last, std::vector<qsizetype>& out)
{
    qsizetype at = from;
    for (; at + 64 <= last; at += 64) {
        const __m256i low = firstTwo(data, at);
        const __m256i high = firstTwo(data, at + 32);
        if (!_mm256_movemask_epi8(_mm256_or_si256(low, high)))
            continue;
        if (_mm256_movemask_epi8(low))
            addPassing(vectors, data, at, low, out);
        if (_mm256_movemask_epi8(high))
            addPassing(vectors, data, at + 32, high, out);
    }
    for (; at + 32 <= last; at += 32) {
        const __m256i allowed = firstTwo(data, at);
        if (_mm256_movemask_epi8(allowed))
            addPassing(vectors, data, at, allowed, out);
    }
    return at;
}

__attribute__((target("avx2"))) qsizetype filterCandidatesAvx2(const ByteFilter& filter,
                                                               const char* data, qsizetype size,
                                                               qsizetype from, qsizetype to,
                                                               std::vector<qsizetype>& out)
{
    VectorFilter vectors;
    vectors.length = filter.length;
    for (int o = 0; o < filter.length; ++o) {
        OffsetBytes& offset = vectors.offsets[o];
        offset.count = filter.valueCount[size_t(o)];
        offset.startsChar = filter.startsChar[size_t(o)];
        for (int v = 0; v < offset.count; ++v)
            offset.values[v] = _mm256_set1_epi8(char(filter.values[size_t(o)][size_t(v)]));
        const unsigned differing =
            offset.count == 2 ? filter.values[size_t(o)][0] ^ filter.values[size_t(o)][1] : 0;
        offset.byBit = differing != 0 && (differing & (differing - 1)) == 0;
        if (offset.byBit) {
            offset.bit = _mm256_set1_epi8(char(differing));
            offset.values[0] = _mm256_set1_epi8(char(filter.values[size_t(o)][0] | differing));
        }
    }
    vectors.breaks.count = filter.breakCount;
    vectors.breaks.startsChar = false;
    vectors.breaks.byBit = false;
    for (int v = 0; v < filter.breakCount; ++v)
        vectors.breaks.values[v] = _mm256_set1_epi8(char(filter.breakBytes[size_t(v)]));
    // The places asked for whose filter's bytes lie in the data: a block of 32 places from at
    // looks at the bytes up to at + length + 30.
    const qsizetype last = std::min(to, size - filter.length + 1);
    FirstTwoByBits byBits;
    if (byBits.make(filter, vectors))
        return filterBlocks(vectors, byBits, data, from, last, out);
    return filterBlocks(vectors, FirstTwoByOffsets{vectors}, data, from, last, out);
}
#endif

void filterCandidates(const ByteFilter& filter, const char* data, qsizetype size, qsizetype from,
                      qsizetype to, std::vector<qsizetype>& out)
{
#if defined(__x86_64__) && defined(__GNUC__)
    static const bool avx2 = __builtin_cpu_supports("avx2");
    if (avx2)
        from = filterCandidatesAvx2(filter, data, size, from, to, out);
#endif
    filterCandidatesScalar(filter, data, size, from, to, out);
}

// Adds the references in [from, to) that may stand for the filter's first character.
void referenceCandidates(const ByteFilter& filter, const char* data, qsizetype size, qsizetype from,
                         qsizetype to, std::vector<qsizetype>& out)
{
    for (const char* at =
             static_cast<const char*>(std::memchr(data + from, '&', size_t(to - from)));
         at; at = static_cast<const char*>(std::memchr(at + 1, '&', size_t(data + to - at - 1)))) {
        // Most references ("&nbsp;") are told by their first letter to stand for another.
        const bool mayStandFor =
            at + 1 < data + size && filter.referenceStarts[static_cast<unsigned char>(at[1])];
        if (!mayStandFor) {
            if (at + 1 >= data + to)
                break;
            continue;
        }
        const CharacterReference::Reference reference =
            CharacterReference::readAt(data, at - data, size);
        const bool standsFor = reference.first && !reference.second &&
                               std::find(filter.firstVariants.begin(), filter.firstVariants.end(),
                                         reference.first) != filter.firstVariants.end();
        if (standsFor)
            out.push_back(at - data);
        if (at + 1 >= data + to)
            break;
    }
}

} // namespace

TextSearch::TextSearch(const QString& context, const MatchOptions& options)
    : m_context(DocumentText::normalizedContext(context, options.caseSensitive)),
      m_options(options), m_matcher(context, options),
      m_windows1251(filterFor(m_context, options.caseSensitive, Encoding::Windows1251)),
      m_utf8(filterFor(m_context, options.caseSensitive, Encoding::Utf8))
{
}

namespace TextSearchDetail {

using namespace DocumentTextReader;

// The segments met so far, the latest last.
class SegmentTrail
{
public:
    void add(const Segment& segment) { m_segments[m_count++ % m_segments.size()] = segment; }
    // The segment back steps before the latest (0: the latest); false when it is forgotten.
    bool get(size_t back, Segment* segment) const
    {
        if (back >= std::min(m_count, m_segments.size()))
            return false;
        *segment = m_segments[(m_count - 1 - back) % m_segments.size()];
        return true;
    }

private:
    std::array<Segment, 32> m_segments{};
    size_t m_count = 0;
};

// A place in the text reached going forward: where, in which segment (a place is taken back
// whole).
struct Ahead
{
    qsizetype at;
    DocumentText::Segment segment;
};

// A place in the text reached going back: where, and how many segments back in the trail.
struct Behind
{
    qsizetype at;
    size_t back;
};

enum class Walk
{
    Char,
    Blank, // a block tag, or a blank character
    End,   // the start or the end of the text
    Unsure,
};

// Reads the text around a candidate character by character, forward over the segments that
// follow and back over those the trail remembers. It counts the units it looks at, so that
// a page that makes it look again and again can be read once from the start instead.
class NearText
{
public:
    NearText(const char* data, qsizetype size, qsizetype textBegin, Encoding encoding,
             const MarkupScanner<char>& scanner, const SegmentTrail& trail)
        : m_data(data), m_size(size), m_textBegin(textBegin), m_encoding(encoding),
          m_scanner(scanner), m_decoder(data, encoding), m_trail(trail)
    {
    }

    qsizetype work() const { return m_work; }

    // A step forward from an Ahead place (see next).
    auto forward() const
    {
        return [this](Ahead& place, char32_t* c) { return next(place.at, place.segment, c); };
    }

    // The next thing of the text at at (inside or at the end of segment), moving past it;
    // characters the text leaves out are passed over.
    Walk next(qsizetype& at, Segment& segment, char32_t* c) const
    {
        Walk walk;
        do
            walk = nextUnit(at, segment, c);
        while (walk == Walk::Char && CharacterRules::isIgnorable(*c));
        return walk;
    }

    // The thing of the text that ends just before at, moving before it; back counts the
    // segments stepped back over in the trail.
    Walk previous(qsizetype& at, size_t& back, char32_t* c) const
    {
        Walk walk;
        do
            walk = previousUnit(at, back, c);
        while (walk == Walk::Char && CharacterRules::isIgnorable(*c));
        return walk;
    }

    // Whether the unit before at may belong to a character reference (which lies in one
    // piece of text).
    bool mayBeInReference(qsizetype at, size_t back) const
    {
        Segment segment;
        if (!m_trail.get(back, &segment))
            return true;
        const qsizetype stop = std::max(segment.begin, at - CharacterReference::MaxLength);
        for (qsizetype p = at - 1; p >= stop; --p) {
            ++m_work;
            const unsigned u = static_cast<unsigned char>(m_data[p]);
            if (u == '&')
                return true;
            if (!isAsciiLetter(u) && !(u >= '0' && u <= '9') && u != '#')
                return false;
        }
        return false;
    }

private:
    Walk nextUnit(qsizetype& at, Segment& segment, char32_t* c) const
    {
        ++m_work;
        while (at >= segment.end || segment.kind != SegmentKind::Text) {
            if (at >= m_size)
                return Walk::End;
            if (at >= segment.end) {
                segment = m_scanner.segmentAt(at);
                m_work += segment.end - segment.begin;
            }
            if (segment.kind == SegmentKind::Text)
                break;
            at = segment.end;
            if (segment.kind == SegmentKind::BlockTag)
                return Walk::Blank;
        }
        if (m_data[at] == '&') {
            const Reference reference = m_decoder.reference(at, segment.end);
            if (reference.first) {
                if (reference.second)
                    return Walk::Unsure;
                at = reference.end;
                *c = reference.first;
                return CharacterRules::isBlank(*c) ? Walk::Blank : Walk::Char;
            }
        }
        qsizetype length = 1;
        *c = m_decoder.decode(at, segment.end, &length);
        at += length;
        return CharacterRules::isBlank(*c) ? Walk::Blank : Walk::Char;
    }

    Walk previousUnit(qsizetype& at, size_t& back, char32_t* c) const
    {
        ++m_work;
        Segment segment;
        for (;;) {
            if (at <= m_textBegin)
                return Walk::End;
            if (!m_trail.get(back, &segment))
                return Walk::Unsure;
            if (at > segment.begin)
                break;
            ++back; // at the start of this segment: the one before it
            if (!m_trail.get(back, &segment))
                return Walk::Unsure;
            if (segment.kind == SegmentKind::Text)
                continue;
            at = segment.begin;
            if (segment.kind == SegmentKind::BlockTag)
                return Walk::Blank;
        }
        const char last = m_data[at - 1];
        if (m_encoding == Encoding::Utf8 && (last & 0x80)) {
            // A character of several bytes: back to its first byte, and decoded forward from
            // there as the text is read; anything else than one whole character is unsure.
            qsizetype lead = at - 1;
            while (lead > segment.begin && lead > at - 4 &&
                   (static_cast<unsigned char>(m_data[lead]) & 0xC0) == 0x80)
                --lead;
            qsizetype length = 0;
            const char32_t decoded = m_decoder.decode(lead, at, &length);
            if (lead + length != at)
                return Walk::Unsure;
            *c = decoded;
            at = lead;
            return CharacterRules::isBlank(*c) ? Walk::Blank : Walk::Char;
        }
        if (last == ';' || mayBeInReference(at, back))
            return Walk::Unsure; // a reference may end here
        *c = TextEncoding::fromWindows1251(static_cast<unsigned char>(last));
        if (m_encoding == Encoding::Utf8)
            *c = char32_t(static_cast<unsigned char>(last));
        --at;
        return CharacterRules::isBlank(*c) ? Walk::Blank : Walk::Char;
    }

    const char* m_data;
    qsizetype m_size;
    qsizetype m_textBegin;
    Encoding m_encoding;
    const MarkupScanner<char>& m_scanner;
    const TextDecoder<char> m_decoder;
    const SegmentTrail& m_trail;
    mutable qsizetype m_work = 0;
};

} // namespace TextSearchDetail

using TextSearchDetail::Ahead;
using TextSearchDetail::Behind;
using TextSearchDetail::NearText;
using TextSearchDetail::SegmentTrail;
using TextSearchDetail::Walk;
using Segment = DocumentText::Segment;
using SegmentKind = DocumentText::SegmentKind;

template <typename Place, typename Step>
TextSearch::Check TextSearch::walkContext(Place& place, const Step& step, qsizetype first,
                                          int direction) const
{
    char32_t c = 0;
    for (qsizetype m = first; m >= 0 && m < qsizetype(m_context.size()); m += direction) {
        Place was = place;
        Walk walk = step(place, &c);
        if (walk == Walk::Unsure)
            return Check::Unsure;
        if (m_context[size_t(m)] == U' ') {
            if (walk != Walk::Blank)
                return Check::No;
            do { // the rest of the run of blanks
                was = place;
                walk = step(place, &c);
            } while (walk == Walk::Blank);
            if (walk == Walk::Unsure)
                return Check::Unsure;
            place = was; // the character after the run is read again for the context
            continue;
        }
        if (walk != Walk::Char ||
            CharacterRules::folded(c, m_options.caseSensitive) != m_context[size_t(m)])
            return Check::No;
    }
    return Check::Yes;
}

TextSearch::Check TextSearch::continuesAfter(const NearText& near, const Segment& segment,
                                             const ByteFilter& filter, qsizetype at) const
{
    Ahead ahead{at, segment};
    return walkContext(ahead, near.forward(), filter.contextIndex, 1);
}

TextSearch::Check TextSearch::checkNearText(const NearText& near, const Segment& segment,
                                            const ByteFilter& filter, qsizetype at) const
{
    if (near.mayBeInReference(at, 0))
        return Check::Unsure;
    // Forward from the candidate over the rest of the context, then back from it over the
    // beginning of the context.
    Ahead ahead{at, segment};
    const Check forward = walkContext(ahead, near.forward(), filter.contextIndex, 1);
    if (forward != Check::Yes)
        return forward;
    Behind behind{at, 0};
    const Check backward = walkContext(
        behind,
        [&near](Behind& place, char32_t* c) { return near.previous(place.at, place.back, c); },
        filter.contextIndex - 1, -1);
    if (backward != Check::Yes)
        return backward;
    qsizetype start = behind.at;
    size_t back = behind.back;
    qsizetype end = ahead.at;
    Segment forwardSegment = ahead.segment;
    char32_t c = 0;
    if (!m_options.wholeWords)
        return Check::Yes;
    // Whole words: the characters just before and after, wherever they lie.
    const Walk before = near.previous(start, back, &c);
    if (before == Walk::Unsure || (before == Walk::Char && CharacterRules::isWordCharacter(c)))
        return before == Walk::Unsure ? Check::Unsure : Check::No;
    const Walk after = near.next(end, forwardSegment, &c);
    if (after == Walk::Unsure || (after == Walk::Char && CharacterRules::isWordCharacter(c)))
        return after == Walk::Unsure ? Check::Unsure : Check::No;
    return Check::Yes;
}

bool TextSearch::contains(const char* document, qsizetype size, const std::atomic<bool>* cancel,
                          const Beginning* beginning) const
{
    if (!isValid())
        return false;
    const Encoding encoding = TextEncoding::detect(document, size);
    if (const ByteFilter* filter = quickFilter(encoding)) {
        const Check quick = containsAround(document, size, encoding, *filter, cancel,
                                           {nullptr, beginning, nullptr});
        if (quick != Check::Unsure)
            return quick == Check::Yes;
    }
    Reading reading(*this, encoding);
    for (qsizetype at = 0; at < size; at += ReadingPiece) {
        if (cancel && cancel->load(std::memory_order_relaxed))
            return false;
        if (reading.read(document + at, std::min(ReadingPiece, size - at)))
            return true;
    }
    return reading.finish();
}

const TextSearch::ByteFilter* TextSearch::quickFilter(TextEncoding::Encoding encoding) const
{
    const ByteFilter* filter = encoding == Encoding::Windows1251 ? &m_windows1251
                               : encoding == Encoding::Utf8      ? &m_utf8
                                                                 : nullptr;
    return filter && filter->length > 0 ? filter : nullptr;
}

bool TextSearch::foundInBeginning(const char* data, qsizetype size, Encoding encoding,
                                  Beginning* beginning, const Beginning* known) const
{
    const ByteFilter* filter = isValid() ? quickFilter(encoding) : nullptr;
    *beginning = Beginning();
    beginning->m_encoding = encoding;
    qsizetype reach = size;
    // A unit is looked at up to two past the reach (where markup may begin).
    return filter &&
           containsAround(data, size, encoding, *filter, nullptr, {beginning, known, &reach}) ==
               Check::Yes &&
           reach + 2 < size;
}

TextSearch::Check TextSearch::containsAround(const char* data, qsizetype size, Encoding encoding,
                                             const ByteFilter& filter,
                                             const std::atomic<bool>* cancel,
                                             const Around& around) const
{
    using namespace DocumentTextReader;
    const qsizetype textBegin =
        encoding == Encoding::Utf8 && size >= 3 && std::memcmp(data, "\xEF\xBB\xBF", 3) == 0 ? 3
                                                                                             : 0;
    const MarkupScanner<char> scanner(data, size);
    Segment segment{SegmentKind::Hidden, textBegin, textBegin};
    Segment supposed = segment; // the text a candidate lies in, were it text
    SegmentTrail trail;
    const NearText near(data, size, textBegin, encoding, scanner, trail);
    // Past this much looking around, reading the text once from the start costs less.
    const qsizetype budget = 2 * size + 4096;

    thread_local std::vector<qsizetype> candidates;
    // Small blocks first: a context many pages hold is met early, past the head, and the
    // rest of the first block need not be looked through.
    constexpr qsizetype firstBlocks = 16 * 1024;
    const auto blockAt = [textBegin](qsizetype from) -> qsizetype {
        return from - textBegin < firstBlocks ? 4 * 1024 : 16 * 1024;
    };
    if (around.record && around.record->m_upTo < textBegin)
        around.record->m_upTo = textBegin; // the blocks begin after a byte-order mark
    bool unsure = false;
    for (qsizetype from = textBegin, to = 0; from < size; from = to) {
        if (cancel && cancel->load(std::memory_order_relaxed))
            return Check::No;
        to = std::min(size, from + blockAt(from));
        candidates.clear();
        const Beginning* known = around.known;
        const bool told = known && known->m_encoding == encoding && to <= known->m_upTo;
        if (told) {
            const auto first =
                std::lower_bound(known->m_candidates.begin(), known->m_candidates.end(), from);
            candidates.assign(first, std::lower_bound(first, known->m_candidates.end(), to));
        } else {
            filterCandidates(filter, data, size, from, to, candidates);
            referenceCandidates(filter, data, size, from, to, candidates);
            std::sort(candidates.begin(), candidates.end());
        }
        // A block told already, or whose places and the bytes they look at all lie well
        // before the end, has the same candidates in a longer document.
        constexpr qsizetype lookedPast = 64; // a filter's bytes, a vector, a reference
        static_assert(lookedPast >= ByteFilter::MaxBytes + 32 &&
                      lookedPast >= CharacterReference::MaxLength);
        if (around.record && around.record->m_upTo == from && (told || to + lookedPast <= size)) {
            around.record->m_candidates.insert(around.record->m_candidates.end(),
                                               candidates.begin(), candidates.end());
            around.record->m_upTo = to;
        }
        for (const qsizetype candidate : candidates) {
            if (segment.end <= candidate) {
                // Whether the candidate lies in the text is known only from the markup before
                // it, scanned from where the last candidate lay. The text after it tells first
                // whether the context could go on there were it text: most candidates (a
                // letter before a tag) end there, and the markup before them is never scanned.
                // Text that goes on at an earlier candidate ends where it ends for this one.
                supposed = candidate > supposed.begin && candidate < supposed.end
                               ? Segment{SegmentKind::Text, candidate, supposed.end}
                               : scanner.segmentAt(candidate);
                const bool rulesOut =
                    continuesAfter(near, supposed, filter, candidate) == Check::No;
                if (near.work() > budget)
                    return Check::Unsure;
                if (rulesOut)
                    continue;
            }
            while (segment.end <= candidate) {
                segment = scanner.segmentAt(segment.end);
                trail.add(segment);
            }
            if (segment.kind != SegmentKind::Text)
                continue;
            const Check check = checkNearText(near, segment, filter, candidate);
            if (check == Check::Yes) {
                if (around.reach)
                    *around.reach = scanner.reach();
                return Check::Yes;
            }
            if (check == Check::Unsure) {
                // Read whole, from the start, unless a later candidate is found for certain.
                unsure = true;
            }
            if (near.work() > budget)
                return Check::Unsure;
        }
    }
    return unsure ? Check::Unsure : Check::No;
}

TextSearch::Reading::Reading(const TextSearch& search, TextEncoding::Encoding encoding)
    : m_reader(encoding), m_cursor(search.m_matcher, true)
{
}

bool TextSearch::Reading::read(const char* bytes, qsizetype size)
{
    m_reader.read(bytes, size);
    m_cursor.read(m_reader.characters(), m_reader.characterCount(), m_found);
    return !m_found.empty();
}

bool TextSearch::Reading::finish()
{
    m_reader.finish();
    m_cursor.read(m_reader.characters(), m_reader.characterCount(), m_found);
    m_cursor.finish(m_found);
    return !m_found.empty();
}
