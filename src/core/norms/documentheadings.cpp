#include "norms/documentheadings.h"

#include "text/documenttext.h"
#include "text/textencoding.h"

#include <string>
#include <string_view>

namespace {

using Encoding = TextEncoding::Encoding;

bool isAsciiLetterOrDigit(char16_t c)
{
    return (c >= u'a' && c <= u'z') || (c >= u'A' && c <= u'Z') || (c >= u'0' && c <= u'9');
}

char16_t lowerAscii(char16_t c)
{
    return c >= u'A' && c <= u'Z' ? char16_t(c + 32) : c;
}

// Where a tag named prefix (for "h", h1 to h6) begins at or after from; npos when none.
template <typename Unit>
size_t findTag(std::basic_string_view<Unit> units, size_t from, std::u16string_view prefix,
               bool endTag, size_t* nameEnd)
{
    const size_t openSize = endTag ? 2 : 1;
    for (size_t at = units.find(Unit('<'), from); at != units.npos;
         at = units.find(Unit('<'), at + 1)) {
        if (endTag && (at + 1 >= units.size() || units[at + 1] != Unit('/')))
            continue;
        size_t p = at + openSize;
        size_t q = 0;
        while (q < prefix.size() && p + q < units.size() &&
               lowerAscii(char16_t(units[p + q])) == prefix[q])
            ++q;
        if (q < prefix.size())
            continue;
        p += q;
        if (prefix == u"h") {
            if (p >= units.size() || units[p] < Unit('1') || units[p] > Unit('6'))
                continue;
            ++p;
        }
        if (p < units.size() && isAsciiLetterOrDigit(char16_t(units[p])))
            continue;
        *nameEnd = p;
        return at;
    }
    return units.npos;
}

// The units between the start tag named prefix and its end tag, when both are in units.
template <typename Unit>
bool elementContent(std::basic_string_view<Unit> units, std::u16string_view prefix, size_t* begin,
                    size_t* end)
{
    size_t nameEnd = 0;
    const size_t start = findTag(units, 0, prefix, false, &nameEnd);
    if (start == units.npos)
        return false;
    const size_t close = units.find(Unit('>'), nameEnd);
    if (close == units.npos)
        return false;
    const size_t finish = findTag(units, close + 1, prefix, true, &nameEnd);
    if (finish == units.npos)
        return false;
    *begin = close + 1;
    *end = finish;
    return true;
}

template <typename Unit, typename TextOf>
DocumentHeadings headingsOf(std::basic_string_view<Unit> units, const TextOf& textOf)
{
    DocumentHeadings out;
    size_t begin = 0;
    size_t end = 0;
    if (elementContent(units, u"title", &begin, &end))
        out.title = textOf(begin, end);
    if (elementContent(units, u"h", &begin, &end))
        out.heading = textOf(begin, end);
    return out;
}

} // namespace

DocumentHeadings DocumentHeadings::read(const QByteArray& raw)
{
    const Encoding encoding = TextEncoding::detect(raw.constData(), raw.size());
    if (TextEncoding::isUtf16(encoding)) {
        const std::u16string units = TextEncoding::utf16Units(
            raw.constData(), std::min(raw.size(), 2 * HeadWindow), encoding == Encoding::Utf16Be);
        return headingsOf(std::u16string_view(units), [&](size_t begin, size_t end) {
            return DocumentText(units.substr(begin, end - begin), encoding).text().trimmed();
        });
    }
    // The bytes themselves: the tags are ASCII.
    const std::string_view bytes(raw.constData(), size_t(std::min(raw.size(), HeadWindow)));
    return headingsOf(bytes, [&](size_t begin, size_t end) {
        return DocumentText(raw.mid(qsizetype(begin), qsizetype(end - begin)), encoding)
            .text()
            .trimmed();
    });
}
