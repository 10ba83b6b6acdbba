#include "textsearch.h"

#include "documenttextreader.h"
#include "htmlentities.h"

#include <QChar>
#include <QHash>

#include <algorithm>
#include <cstring>

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
    static const QMultiHash<char32_t, char32_t> byLowerForm = [] {
        QMultiHash<char32_t, char32_t> map;
        for (char32_t u = 0; u <= 0x10FFFF; ++u) {
            if (u >= 0xD800 && u <= 0xDFFF)
                continue;
            const char32_t lower = QChar::toLower(u);
            if (lower != u)
                map.insert(lower, u);
        }
        return map;
    }();
    const char32_t lower = QChar::toLower(c);
    std::vector<char32_t> variants{lower};
    for (auto it = byLowerForm.constFind(lower); it != byLowerForm.cend() && it.key() == lower;
         ++it)
        variants.push_back(it.value());
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

// How often a character turns up in the library's texts: higher is more often.
int commonness(char32_t c)
{
    static const QString letters =
        QStringLiteral("оеаинтсрвлкмдпуяызьбгчйхжшюцщэфъёetaoinsrhldcumfpgwybvkxjqz");
    const qsizetype rank = letters.indexOf(QChar(char16_t(QChar::toLower(c))));
    if (c < 0x10000 && rank >= 0)
        return 100 - int(rank);
    if (c >= U'0' && c <= U'9')
        return 90;
    if (c < 0x80)
        return 95; // punctuation
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
        if (DocumentText::isBlank(c) || c == U'<' || c == U'&' || c == U'\uFFFD')
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
    for (const char32_t variant : made.firstVariants) {
        for (const std::string& name : HtmlEntities::namesOf(variant))
            made.referenceNames.push_back(name);
    }
    *filter = made;
    return true;
}

// The rarest run of up to three characters of the context that a filter can be made of.
ByteFilter filterFor(const std::u32string& context, bool caseSensitive, Encoding encoding)
{
    ByteFilter best;
    int bestScore = 0;
    size_t bestCount = 0;
    for (size_t from = 0; from < context.size(); ++from) {
        for (size_t count = std::min<size_t>(3, context.size() - from); count >= 1; --count) {
            ByteFilter filter;
            if (!makeFilter(context, from, count, caseSensitive, encoding, &filter))
                continue;
            // The first character is looked for alone first: it counts most.
            int score = 2 * commonness(context[from]);
            for (size_t i = from; i < from + count; ++i)
                score += commonness(context[i]);
            if (count > bestCount || (count == bestCount && score < bestScore)) {
                best = filter;
                bestScore = score;
                bestCount = count;
            }
            break;
        }
    }
    return best;
}

// Whether the filter lets a candidate start at data[at]; bytes past the end let anything by.
bool passes(const ByteFilter& filter, const char* data, qsizetype size, qsizetype at)
{
    // From the last byte back: a character can also be markup or a reference, after which
    // the rest of the filter does not count.
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
        if (filter.startsChar[size_t(o)] && (byte == '<' || byte == '&'))
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
// The places of a block whose byte at offset o is one the filter allows there.
__attribute__((target("avx2"), always_inline)) inline __m256i matching(const ByteFilter& filter,
                                                                       __m256i bytes, int o)
{
    __m256i matches = _mm256_setzero_si256();
    for (int v = 0; v < filter.valueCount[size_t(o)]; ++v)
        matches = _mm256_or_si256(
            matches,
            _mm256_cmpeq_epi8(bytes, _mm256_set1_epi8(char(filter.values[size_t(o)][size_t(v)]))));
    return matches;
}

__attribute__((target("avx2"))) qsizetype filterCandidatesAvx2(const ByteFilter& filter,
                                                               const char* data, qsizetype size,
                                                               qsizetype from, qsizetype to,
                                                               std::vector<qsizetype>& out)
{
    // Whole blocks of 32 starting places whose bytes all lie in the data.
    const qsizetype last = std::min(to, size - filter.length - 31);
    const __m256i lt = _mm256_set1_epi8('<');
    const __m256i amp = _mm256_set1_epi8('&');
    qsizetype at = from;
    for (; at < last; at += 32) {
        // The first byte is always needed: most blocks end there.
        const __m256i first =
            matching(filter, _mm256_loadu_si256(reinterpret_cast<const __m256i*>(data + at)), 0);
        if (!_mm256_movemask_epi8(first))
            continue;
        __m256i pass = _mm256_set1_epi8(-1);
        for (int o = filter.length - 1; o >= 1; --o) {
            const __m256i bytes =
                _mm256_loadu_si256(reinterpret_cast<const __m256i*>(data + at + o));
            if (filter.valueCount[size_t(o)] > 0)
                pass = _mm256_and_si256(pass, matching(filter, bytes, o));
            if (filter.startsChar[size_t(o)])
                pass = _mm256_or_si256(pass, _mm256_or_si256(_mm256_cmpeq_epi8(bytes, lt),
                                                             _mm256_cmpeq_epi8(bytes, amp)));
        }
        pass = _mm256_and_si256(pass, first);
        for (unsigned mask = unsigned(_mm256_movemask_epi8(pass)); mask; mask &= mask - 1)
            out.push_back(at + __builtin_ctz(mask));
    }
    return at;
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

// Adds the references in [from, to) that may stand for the filter's first character: those
// that do, and any that markup may interrupt.
void referenceCandidates(const ByteFilter& filter, const char* data, qsizetype size, qsizetype from,
                         qsizetype to, std::vector<qsizetype>& out)
{
    const auto isDigit = [](char c) { return c >= '0' && c <= '9'; };
    const auto isHexDigit = [](char c) {
        return (c >= '0' && c <= '9') || ((c | 0x20) >= 'a' && (c | 0x20) <= 'f');
    };
    const char* const end = data + size;
    for (const char* at =
             static_cast<const char*>(std::memchr(data + from, '&', size_t(to - from)));
         at; at = static_cast<const char*>(std::memchr(at + 1, '&', size_t(data + to - at - 1)))) {
        const char* p = at + 1;
        if (p < end && *p == '#') {
            ++p;
            const bool hex = p < end && (*p | 0x20) == 'x';
            p += hex ? 1 : 0;
            quint64 value = 0;
            for (; p < end && (hex ? isHexDigit(*p) : isDigit(*p)); ++p) {
                const int digit = isDigit(*p) ? *p - '0' : (*p | 0x20) - 'a' + 10;
                value = std::min<quint64>(value * (hex ? 16 : 10) + quint64(digit), 0x110000);
            }
            const bool mayStandFor =
                p < end &&
                (*p == '<' ||
                 (*p == ';' && std::find(filter.firstVariants.begin(), filter.firstVariants.end(),
                                         char32_t(value)) != filter.firstVariants.end()));
            if (mayStandFor)
                out.push_back(at - data);
        } else {
            while (p < end && p - at <= HtmlEntities::MaxNameLength &&
                   DocumentTextReader::isNameCharacter(static_cast<unsigned char>(*p)))
                ++p;
            const std::string_view name(at + 1, size_t(p - at - 1));
            if (p < end &&
                (*p == '<' ||
                 (*p == ';' && std::find(filter.referenceNames.begin(), filter.referenceNames.end(),
                                         name) != filter.referenceNames.end())))
                out.push_back(at - data);
        }
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

bool TextSearch::contains(const char* document, qsizetype size) const
{
    if (!isValid())
        return false;
    const Encoding encoding = TextEncoding::detect(document, size);
    const ByteFilter* filter = encoding == Encoding::Windows1251 ? &m_windows1251
                               : encoding == Encoding::Utf8      ? &m_utf8
                                                                 : nullptr;
    if (filter && filter->length > 0)
        return containsAround(document, size, encoding, *filter);
    thread_local std::vector<DocumentText::Char> text;
    DocumentText(QByteArray::fromRawData(document, size)).characters(text);
    return !m_matcher.find(text, true).empty();
}

bool TextSearch::containsAround(const char* data, qsizetype size, Encoding encoding,
                                const ByteFilter& filter) const
{
    using namespace DocumentTextReader;
    const qsizetype textBegin =
        encoding == Encoding::Utf8 && size >= 3 && std::memcmp(data, "\xEF\xBB\xBF", 3) == 0 ? 3
                                                                                             : 0;
    const MarkupScanner<char> scanner(data, size);
    const qsizetype length = qsizetype(m_context.size());
    const qsizetype before = filter.contextIndex + 1; // characters needed before a candidate
    const qsizetype after = length - filter.contextIndex + 1;

    // Where the text can be read from afresh: the block tags met, the latest last.
    std::array<qsizetype, 16> restarts{};
    size_t restartCount = 0;
    Segment segment{SegmentKind::Hidden, textBegin, textBegin};
    qsizetype covered = 0; // candidates before this were read around already

    thread_local std::vector<qsizetype> candidates;
    thread_local std::vector<DocumentText::Char> text;
    constexpr qsizetype block = 16 * 1024;
    for (qsizetype from = textBegin; from < size; from += block) {
        const qsizetype to = std::min(size, from + block);
        candidates.clear();
        filterCandidates(filter, data, size, from, to, candidates);
        referenceCandidates(filter, data, size, from, to, candidates);
        std::sort(candidates.begin(), candidates.end());
        for (const qsizetype candidate : candidates) {
            if (candidate < covered)
                continue;
            while (segment.end <= candidate) {
                segment = scanner.segmentAt(segment.end);
                if (segment.kind == SegmentKind::BlockTag)
                    restarts[restartCount++ % restarts.size()] = segment.begin;
            }
            if (segment.kind != SegmentKind::Text)
                continue;
            // Read from the latest block tag that leaves enough text before the candidate;
            // from the start when none does.
            for (size_t back = 1;; ++back) {
                const bool fromStart = back > std::min(restartCount, restarts.size());
                const qsizetype restart =
                    fromStart ? textBegin : restarts[(restartCount - back) % restarts.size()];
                charactersOf(data, restart, size, encoding, text, candidate, after);
                const auto firstAfter = std::find_if(
                    text.begin(), text.end(),
                    [candidate](const DocumentText::Char& c) { return c.begin >= candidate; });
                if (!fromStart && firstAfter - text.begin() < before)
                    continue;
                // Read from a block tag, the text begins with its blank: no occurrence begins
                // before what was read.
                if (!m_matcher.find(text, true).empty())
                    return true;
                if (qsizetype(text.size()) > length)
                    covered = text[text.size() - size_t(length)].begin;
                break;
            }
        }
    }
    return false;
}
