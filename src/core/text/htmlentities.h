#pragma once

#include <string>
#include <vector>

// The HTML named character references, as written with their closing semicolon.
namespace HtmlEntities {

// The characters "&name;" stands for (one or two); 0 when the name is no reference. Names
// are compared exactly (letter case matters).
int lookup(const char* name, int length, char32_t* first, char32_t* second);

// The names of the references that stand for c alone.
std::vector<std::string> namesOf(char32_t c);

// The longest name of a reference.
inline constexpr int MaxNameLength = 32;

} // namespace HtmlEntities
