#pragma once

// What a character of a text is, for every rule that reads text: the whole-words rule of each
// mode, the words of the word-forms mode and of the index, blanks and case. One definition,
// so that the modes agree on what a word is.
namespace CharacterRules {

// Space, tab, CR, LF, form feed and no-break space: a run of them is one blank of the text.
bool isBlank(char32_t c);
// isWordCharacter beyond Latin and Cyrillic, by Unicode's tables.
bool isWordCharacterElsewhere(char32_t c);
// A letter, a decimal digit or a combining mark (Unicode categories L*, Nd and M*): words are
// the maximal runs of them. Other numbers ("²", "½", "Ⅻ") stand between words.
inline bool isWordCharacter(char32_t c)
{
    // Latin and Cyrillic letters and digits, the bulk of a text, without asking Unicode's
    // tables.
    if (c < 0x80)
        return (c | 0x20u) - U'a' < 26u || c - U'0' < 10u;
    if (c >= 0x400 && c <= 0x45F)
        return true;
    return isWordCharacterElsewhere(c);
}
// The soft hyphen and the stress accents (combining grave and acute): a reader does not see
// them as characters of the word they stand in ("за&#769;мок" reads "замок"), so the text
// leaves them out.
constexpr bool isIgnorable(char32_t c)
{
    return c == U'\u00AD' || c == U'\u0300' || c == U'\u0301';
}
// The character as compared: its simple lower-case form unless the search is case-sensitive.
char32_t folded(char32_t c, bool caseSensitive);

} // namespace CharacterRules
