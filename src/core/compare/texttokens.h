#pragma once

#include <QString>
#include <QStringView>

#include <cstddef>
#include <vector>

// A word, a number or a sign of a text, as two editions are compared: "М200", "48.13330.2019",
// "0,5", "06-01-001", "технико-экономических" are one token each, so that a changed number is
// one change and not a change of its digits.
struct TextToken
{
    qsizetype start = 0;
    qsizetype length = 0;
    std::size_t hash = 0; // of the token as written
    bool word = false;    // a word or number; a sign of punctuation otherwise
};

namespace TextTokens {

// The tokens of text, in order; blanks separate them and are no tokens.
std::vector<TextToken> of(QStringView text);
// The words of text as likeness compares them: lower case, "ё" as "е", signs left out; the
// hashes sorted.
std::vector<std::size_t> wordBag(QStringView text, const std::vector<TextToken>& tokens);

} // namespace TextTokens
