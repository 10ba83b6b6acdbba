#include "text/characterrules.h"

#include <QChar>

namespace CharacterRules {

bool isBlank(char32_t c)
{
    return c == U' ' || c == U'\t' || c == U'\r' || c == U'\n' || c == U'\f' || c == U'\u00A0';
}

bool isWordCharacterElsewhere(char32_t c)
{
    return QChar::isLetter(c) || QChar::isDigit(c) || QChar::isMark(c);
}

char32_t folded(char32_t c, bool caseSensitive)
{
    return caseSensitive ? c : QChar::toLower(c);
}

} // namespace CharacterRules
