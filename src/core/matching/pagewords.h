#pragma once

#include "matching/wordforms.h"
#include "text/textencoding.h"

#include <atomic>
#include <string>
#include <vector>

// The words of a page held whole, in windows-1251 or UTF-8, counted into a tally without
// reading the page character by character: the markup is passed over by the scanner text
// mode's quick look uses (the same rules as the reader's), and only the words that begin as
// a word of the query can get their keys (and their folded characters).
class PageWords
{
public:
    // keyedBeginnings: what a word begins with to get its keys (see
    // WordForms::WordSplitter::setKeyedBeginnings); null: every word gets its keys.
    // (Made once for a search: the beginnings are looked at here.)
    explicit PageWords(const std::vector<std::u32string>* keyedBeginnings);

    // Whether pages of this encoding are read here.
    static bool reads(TextEncoding::Encoding encoding);

    // Adds each word of the page to tally, in order, with its keys (none unless keyed), as
    // the text reader and the word splitter give them; returns how many words there were, or
    // -1 when cancel (if given) was set meanwhile.
    qsizetype count(const char* data, qsizetype size, TextEncoding::Encoding encoding,
                    WordQuery::Tally& tally, const std::atomic<bool>* cancel = nullptr) const;

private:
    const std::vector<std::u32string>* m_keyedBeginnings;
    std::u32string m_firsts; // the first characters of the beginnings
};
