#pragma once

// How loosely a name or a designation is read, as readers type and write them: case does not
// count, Latin letters that look like Cyrillic ones (a c e o p x y k m t h b) are read as
// those, ё as е, and separators (blanks, hyphens and dashes, dots, commas, underscores,
// slashes) are alike. The name filter and the designation rule both read this way.
namespace LooseLetters {

// Blanks, no-break space, hyphens, dashes and minus, dot, comma, underscore, slashes.
bool isSeparator(char32_t c);
// A hyphen, any dash or the minus sign.
bool isDash(char32_t c);
// The character in lower case, a Latin look-alike as its Cyrillic letter, ё as е.
char32_t folded(char32_t c);

} // namespace LooseLetters
