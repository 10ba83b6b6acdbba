#pragma once

#include <QtGlobal>

// Character references as a browser decodes them in the text of a page: "&#150;", "&#x96",
// "&amp;", and the few old names that need no semicolon ("&nbsp", "&copy"...). A reference
// lies in one piece of text: markup ends it.
namespace CharacterReference {

// The most units read after an "&" for one reference.
inline constexpr int MaxLength = 40;

// Whether the unit u (the index-th after the "&", from 1) goes on with a reference:
// Continue, or Last (a ";" that ends it), or Stop (u is not part of it).
enum class Step
{
    Stop,
    Continue,
    Last,
};
inline Step step(int index, unsigned u)
{
    const bool alnum = ((u | 0x20u) >= 'a' && (u | 0x20u) <= 'z') || (u >= '0' && u <= '9');
    if (alnum || (index == 1 && u == '#'))
        return index + 1 >= MaxLength ? Step::Last : Step::Continue;
    return u == ';' && index > 1 ? Step::Last : Step::Stop;
}

// A reference read from units[0] (an "&") to units[count - 1], as far as step let them go.
struct Reference
{
    char32_t first = 0; // 0: no reference
    char32_t second = 0;
    int length = 0; // the units it takes, its "&" included; those after it are text
};
Reference parse(const char* units, int count);

// The reference whose "&" is data[at], read as far as step lets it go, before end.
template <typename Unit> Reference readAt(const Unit* data, qsizetype at, qsizetype end)
{
    char units[MaxLength];
    int n = 1;
    units[0] = '&';
    for (qsizetype i = at + 1; i < end && n < MaxLength; ++i) {
        const unsigned u =
            sizeof(Unit) == 1 ? unsigned(static_cast<unsigned char>(data[i])) : unsigned(data[i]);
        const Step next = step(n, u);
        if (next == Step::Stop)
            break;
        units[n++] = char(u);
        if (next == Step::Last)
            break;
    }
    return parse(units, n);
}

// The character a numeric reference to value stands for.
char32_t numeric(quint64 value);

} // namespace CharacterReference
