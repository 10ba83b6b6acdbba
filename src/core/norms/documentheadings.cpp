#include "documentheadings.h"

#include "documenttext.h"
#include "textencoding.h"

#include <string>

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

// Where a tag whose name is one of names begins at or after from; npos when none.
size_t findTag(const std::u16string& units, size_t from, std::u16string_view prefix, bool endTag,
               size_t* nameEnd)
{
    const std::u16string_view open = endTag ? u"</" : u"<";
    for (size_t at = units.find(open, from); at != std::u16string::npos;
         at = units.find(open, at + 1)) {
        size_t p = at + open.size();
        size_t q = 0;
        while (q < prefix.size() && p + q < units.size() && lowerAscii(units[p + q]) == prefix[q])
            ++q;
        if (q < prefix.size())
            continue;
        p += q;
        // "h" takes a digit 1 to 6 after it; the name must end there.
        if (prefix == u"h") {
            if (p >= units.size() || units[p] < u'1' || units[p] > u'6')
                continue;
            ++p;
        }
        if (p < units.size() && isAsciiLetterOrDigit(units[p]))
            continue;
        *nameEnd = p;
        return at;
    }
    return std::u16string::npos;
}

// The units between the start tag named prefix and its end tag, when both are in units.
bool elementContent(const std::u16string& units, std::u16string_view prefix, size_t* begin,
                    size_t* end)
{
    size_t nameEnd = 0;
    const size_t start = findTag(units, 0, prefix, false, &nameEnd);
    if (start == std::u16string::npos)
        return false;
    const size_t close = units.find(u'>', nameEnd);
    if (close == std::u16string::npos)
        return false;
    const size_t finish = findTag(units, close + 1, prefix, true, &nameEnd);
    if (finish == std::u16string::npos)
        return false;
    *begin = close + 1;
    *end = finish;
    return true;
}

} // namespace

DocumentHeadings DocumentHeadings::read(const QByteArray& raw)
{
    const Encoding encoding = TextEncoding::detect(raw.constData(), raw.size());
    const bool wide = TextEncoding::isUtf16(encoding);
    const qsizetype size = std::min(raw.size(), wide ? 2 * HeadWindow : HeadWindow);
    // The units of the head: a byte each for the byte encodings, where tags are ASCII.
    std::u16string units;
    if (wide) {
        units = TextEncoding::utf16Units(raw.constData(), size, encoding == Encoding::Utf16Be);
    } else {
        units.resize(size_t(size));
        for (qsizetype i = 0; i < size; ++i)
            units[size_t(i)] = static_cast<unsigned char>(raw[i]);
    }
    const auto textOf = [&](size_t begin, size_t end) {
        if (wide)
            return DocumentText(units.substr(begin, end - begin), encoding).text().trimmed();
        return DocumentText(raw.mid(qsizetype(begin), qsizetype(end - begin)), encoding)
            .text()
            .trimmed();
    };
    DocumentHeadings out;
    size_t begin = 0;
    size_t end = 0;
    if (elementContent(units, u"title", &begin, &end))
        out.title = textOf(begin, end);
    if (elementContent(units, u"h", &begin, &end))
        out.heading = textOf(begin, end);
    return out;
}
