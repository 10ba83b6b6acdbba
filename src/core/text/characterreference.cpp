#include "text/characterreference.h"

#include "text/htmlentities.h"

#include <algorithm>
#include <cstring>
#include <iterator>
#include <string_view>

namespace {

// The names of the HTML list that count without their semicolon (older pages leave it out).
constexpr std::string_view oldNames[] = {
    "AElig",  "AMP",    "Aacute", "Acirc",  "Agrave", "Aring",  "Atilde", "Auml",   "COPY",
    "Ccedil", "ETH",    "Eacute", "Ecirc",  "Egrave", "Euml",   "GT",     "Iacute", "Icirc",
    "Igrave", "Iuml",   "LT",     "Ntilde", "Oacute", "Ocirc",  "Ograve", "Oslash", "Otilde",
    "Ouml",   "QUOT",   "REG",    "THORN",  "Uacute", "Ucirc",  "Ugrave", "Uuml",   "Yacute",
    "aacute", "acirc",  "acute",  "aelig",  "agrave", "amp",    "aring",  "atilde", "auml",
    "brvbar", "ccedil", "cedil",  "cent",   "copy",   "curren", "deg",    "divide", "eacute",
    "ecirc",  "egrave", "eth",    "euml",   "frac12", "frac14", "frac34", "gt",     "iacute",
    "icirc",  "iexcl",  "igrave", "iquest", "iuml",   "laquo",  "lt",     "macr",   "micro",
    "middot", "nbsp",   "not",    "ntilde", "oacute", "ocirc",  "ograve", "ordf",   "ordm",
    "oslash", "otilde", "ouml",   "para",   "plusmn", "pound",  "quot",   "raquo",  "reg",
    "sect",   "shy",    "sup1",   "sup2",   "sup3",   "szlig",  "thorn",  "times",  "uacute",
    "ucirc",  "ugrave", "uml",    "uuml",   "yacute", "yen",    "yuml",
};

// What the HTML standard makes of the numbers 0x80-0x9F: the characters of windows-1252
// (0 where it has none: the number stands for itself).
constexpr char16_t windows1252[32] = {
    0x20AC, 0,      0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0,      0x017D, 0,      0,      0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0,      0x017E, 0x0178,
};

bool isDigit(unsigned u, bool hex)
{
    return (u >= '0' && u <= '9') || (hex && (u | 0x20u) >= 'a' && (u | 0x20u) <= 'f');
}

} // namespace

char32_t CharacterReference::numeric(quint64 value)
{
    if (value == 0 || value > 0x10FFFF || (value >= 0xD800 && value <= 0xDFFF))
        return U'\uFFFD';
    if (value >= 0x80 && value <= 0x9F && windows1252[value - 0x80])
        return windows1252[value - 0x80];
    return char32_t(value);
}

CharacterReference::Reference CharacterReference::parse(const char* units, int count)
{
    Reference none;
    int i = 1;
    if (i < count && units[i] == '#') {
        ++i;
        const bool hex = i < count && (units[i] | 0x20) == 'x';
        if (hex)
            ++i;
        const int digits = i;
        quint64 value = 0;
        for (; i < count && isDigit(static_cast<unsigned char>(units[i]), hex); ++i) {
            const unsigned u = static_cast<unsigned char>(units[i]);
            const unsigned digit = u <= '9' ? u - '0' : (u | 0x20u) - 'a' + 10;
            value = std::min<quint64>(value * (hex ? 16 : 10) + digit, 0x110000);
        }
        if (i == digits)
            return none;
        const int length = i < count && units[i] == ';' ? i + 1 : i;
        return {numeric(value), 0, length};
    }
    const int nameBegin = i;
    while (i < count && units[i] != ';')
        ++i;
    const int nameLength = i - nameBegin;
    if (nameLength == 0)
        return none;
    Reference found;
    // The names nearly every page uses, told at once.
    if (i < count) {
        const std::string_view name(units + nameBegin, size_t(nameLength));
        const char32_t common = name == "nbsp"   ? U'\u00A0'
                                : name == "amp"  ? U'&'
                                : name == "lt"   ? U'<'
                                : name == "gt"   ? U'>'
                                : name == "quot" ? U'"'
                                                 : 0;
        if (common)
            return {common, 0, i + 1};
    }
    if (i < count && nameLength <= HtmlEntities::MaxNameLength &&
        HtmlEntities::lookup(units + nameBegin, nameLength, &found.first, &found.second)) {
        found.length = i + 1;
        return found;
    }
    // The longest old name the text begins with, the rest being text.
    for (int length = std::min(nameLength, 6); length >= 2; --length) {
        const std::string_view name(units + nameBegin, size_t(length));
        if (std::find(std::begin(oldNames), std::end(oldNames), name) == std::end(oldNames))
            continue;
        const std::string withSemicolon(name);
        HtmlEntities::lookup(withSemicolon.data(), length, &found.first, &found.second);
        found.length = nameBegin + length;
        return found;
    }
    return none;
}
