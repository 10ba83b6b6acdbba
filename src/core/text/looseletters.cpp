#include "text/looseletters.h"

#include <QChar>

namespace LooseLetters {

bool isDash(char32_t c)
{
    return c == U'-' || (c >= U'\u2010' && c <= U'\u2015') || c == U'\u2212';
}

bool isSeparator(char32_t c)
{
    switch (c) {
    case U' ':
    case U'\t':
    case U'\u00A0':
    case U'.':
    case U',':
    case U'_':
    case U'/':
    case U'\\':
        return true;
    default:
        return isDash(c);
    }
}

char32_t folded(char32_t c)
{
    switch (const char32_t lower = QChar::toLower(c)) {
    case U'a':
        return U'а';
    case U'c':
        return U'с';
    case U'e':
        return U'е';
    case U'o':
        return U'о';
    case U'p':
        return U'р';
    case U'x':
        return U'х';
    case U'y':
        return U'у';
    case U'k':
        return U'к';
    case U'm':
        return U'м';
    case U't':
        return U'т';
    case U'h':
        return U'н';
    case U'b':
        return U'в';
    case U'ё': // "Емкости" finds "Ёмкости": the letter is written either way
        return U'е';
    default:
        return lower;
    }
}

} // namespace LooseLetters
