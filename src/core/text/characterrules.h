#pragma once

// What a character of a text is, for every rule that reads text: the whole-words rule of each
// mode, the words of the word-forms mode and of the index, blanks and case. One definition,
// so that the modes agree on what a word is.
namespace CharacterRules {

// Space, tab, CR, LF, form feed and no-break space: a run of them is one blank of the text.
bool isBlank(char32_t c);
// A letter or a decimal digit (Unicode categories L* and Nd): words are the maximal runs of
// them. Other numbers ("²", "½", "Ⅻ") and marks stand between words.
bool isWordCharacter(char32_t c);
// The character as compared: its simple lower-case form unless the search is case-sensitive.
char32_t folded(char32_t c, bool caseSensitive);

} // namespace CharacterRules
