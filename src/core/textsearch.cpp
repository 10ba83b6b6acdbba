#include "textsearch.h"

#include "documenttextreader.h"
#include "htmlentities.h"

#include <QChar>
#include <QHash>
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
        return 150;
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
    const bool plain = std::none_of(m_context.begin(), m_context.end(), [](char32_t c) {
        return c == U'<' || c == U'>' || c == U'&' || c == U';' || c == U'\uFFFD';
    });
    for (const auto encoding : {Encoding::Windows1251, Encoding::Utf8}) {
        ByteFilter& filter = encoding == Encoding::Utf8 ? m_utf8 : m_windows1251;
        filter.plainCheck = plain;
        for (const char32_t c : m_context) {
            std::vector<QByteArray> forms;
            if (c != U' ') {
                for (const char32_t variant : variantsOf(c, options.caseSensitive)) {
                    const QByteArray bytes = bytesOf(variant, encoding);
                    if (!bytes.isEmpty())
                        forms.push_back(bytes);
                }
            }
            filter.contextForms.push_back(forms);
        }
    }
}

namespace {

// The length of the blank that begins at at (0 when none does).
qsizetype blankAt(const char* data, qsizetype size, qsizetype at, Encoding encoding)
{
    if (at >= size)
        return 0;
    const auto byte = static_cast<unsigned char>(data[at]);
    if (byte == ' ' || byte == '\t' || byte == '\r' || byte == '\n' || byte == '\f')
        return 1;
    if (encoding == Encoding::Windows1251)
        return byte == 0xA0 ? 1 : 0;
    return byte == 0xC2 && at + 1 < size && static_cast<unsigned char>(data[at + 1]) == 0xA0 ? 2
                                                                                             : 0;
}

// The length of the blank that ends just before at (0 when none does).
qsizetype blankBefore(const char* data, qsizetype begin, qsizetype at, Encoding encoding)
{
    if (at <= begin)
        return 0;
    if (encoding == Encoding::Utf8 && at - 2 >= begin &&
        static_cast<unsigned char>(data[at - 2]) == 0xC2 &&
        static_cast<unsigned char>(data[at - 1]) == 0xA0)
        return 2;
    return blankAt(data, at, at - 1, encoding) == 1 ? 1 : 0;
}

// Whether at may lie inside a character reference: "&" and name characters before it.
bool mayBeInReference(const char* data, qsizetype begin, qsizetype at)
{
    for (qsizetype p = at - 1; p >= begin && at - p <= HtmlEntities::MaxNameLength + 2; --p) {
        const char c = data[p];
        if (c == '&')
            return true;
        if (!DocumentTextReader::isNameCharacter(static_cast<unsigned char>(c)) && c != '#')
            return false;
    }
    return false;
}

// The character that ends just before at, or begins at at, in plain text.
char32_t plainCharacter(const char* data, qsizetype from, qsizetype to, Encoding encoding)
{
    if (encoding == Encoding::Windows1251)
        return TextEncoding::fromWindows1251(static_cast<unsigned char>(data[from]));
    const QList<uint> c = QString::fromUtf8(data + from, to - from).toUcs4();
    return c.size() == 1 ? c.constFirst() : U'\uFFFD';
}

} // namespace

TextSearch::Check TextSearch::checkPlainText(const char* data, qsizetype size, qsizetype textBegin,
                                             Encoding encoding, const ByteFilter& filter,
                                             qsizetype at) const
{
    if (!filter.plainCheck || data[at] == '&' || mayBeInReference(data, textBegin, at))
        return Check::Unsure;
    const auto& forms = filter.contextForms;
    const qsizetype length = qsizetype(m_context.size());
    // Forward from the candidate over the rest of the context.
    qsizetype end = at;
    for (qsizetype m = filter.contextIndex; m < length; ++m) {
        if (end < size && (data[end] == '<' || data[end] == '&'))
            return Check::Unsure;
        const qsizetype blank = blankAt(data, size, end, encoding);
        if (m_context[size_t(m)] == U' ') {
            if (blank == 0)
                return end >= size ? Check::No : Check::Unsure;
            while (qsizetype n = blankAt(data, size, end, encoding))
                end += n;
            continue;
        }
        if (end >= size || blank > 0)
            return Check::No;
        const auto form = std::find_if(
            forms[size_t(m)].begin(), forms[size_t(m)].end(), [&](const QByteArray& f) {
                return end + f.size() <= size &&
                       std::memcmp(data + end, f.constData(), size_t(f.size())) == 0;
            });
        if (form == forms[size_t(m)].end())
            return Check::No;
        end += form->size();
    }
    // Back from the candidate over the beginning of the context.
    qsizetype start = at;
    for (qsizetype m = filter.contextIndex - 1; m >= 0; --m) {
        if (start > textBegin && (data[start - 1] == '>' || data[start - 1] == ';'))
            return Check::Unsure;
        const qsizetype blank = blankBefore(data, textBegin, start, encoding);
        if (m_context[size_t(m)] == U' ') {
            if (blank == 0)
                return start <= textBegin ? Check::No : Check::Unsure;
            while (qsizetype n = blankBefore(data, textBegin, start, encoding))
                start -= n;
            continue;
        }
        if (start <= textBegin || blank > 0)
            return Check::No;
        const auto form = std::find_if(
            forms[size_t(m)].begin(), forms[size_t(m)].end(), [&](const QByteArray& f) {
                return start - f.size() >= textBegin &&
                       std::memcmp(data + start - f.size(), f.constData(), size_t(f.size())) == 0;
            });
        if (form == forms[size_t(m)].end())
            return Check::No;
        start -= form->size();
    }
    if (mayBeInReference(data, textBegin, start))
        return Check::Unsure;
    if (!m_options.wholeWords)
        return Check::Yes;
    if (start > textBegin) {
        const char before = data[start - 1];
        if (before == '>' || before == ';')
            return Check::Unsure;
        qsizetype lead = start - 1;
        while (encoding == Encoding::Utf8 && lead > textBegin && start - lead < 4 &&
               (static_cast<unsigned char>(data[lead]) & 0xC0) == 0x80)
            --lead;
        if (DocumentText::isWordCharacter(plainCharacter(data, lead, start, encoding)))
            return Check::No;
    }
    if (end < size) {
        if (data[end] == '<' || data[end] == '&')
            return Check::Unsure;
        const auto lead = static_cast<unsigned char>(data[end]);
        const qsizetype n = encoding == Encoding::Windows1251 || lead < 0x80 ? 1
                            : lead >= 0xF0                                   ? 4
                            : lead >= 0xE0                                   ? 3
                                                                             : 2;
        if (DocumentText::isWordCharacter(
                plainCharacter(data, end, std::min(size, end + n), encoding)))
            return Check::No;
    }
    return Check::Yes;
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
            const Check plain = checkPlainText(data, size, textBegin, encoding, filter, candidate);
            if (plain == Check::Yes)
                return true;
            if (plain == Check::No)
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
