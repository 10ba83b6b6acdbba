#pragma once

#include <QByteArray>

#include <string>
#include <unordered_map>
#include <vector>

class AffixRules;

// Which entries of a dictionary are forms of one word, worked out from the dictionary's own
// entries and suffix flags. Every entry has keys: its own word, or the word of its family.
// - A verb, its -ся verb and their participles (entries of their own with adjective flags)
//   share the key of the verb without -ся. A participle is known by the forms the verb's
//   flags make: the present active from the third person plural ("изменяют" -
//   "изменяющий"), the past active from the past ("изменил" - "изменивший"), the present
//   passive from the first person plural ("изменяем" - "изменяемый"), the past passive from
//   the first person singular or the infinitive ("построю" - "построенный").
// - An inflected form listed without flags ("свай", "монтажом") takes the key of the word
//   whose forms all begin with its beginning, when its ending is one of the dictionary's
//   common endings of that kind of word (a verb's or a noun's and adjective's, as counted in
//   the forms the flags make) and that word is one family.
// - Forms of a word listed one by one without flags ("шов", "шва", "швом"; "время",
//   "времени") share the key of their first form.
// Derived words ("бетон", "бетонный") stay apart: nothing joins words by their roots.
// Words are folded: simple lower case, ё as е.
class WordFamilies
{
public:
    void build(const QByteArray& dictionaryText, const AffixRules& rules);

    // The keys of an entry (folded); the entry itself when it joins no other.
    std::vector<std::u32string> keysOf(const std::u32string& entry) const;
    // The beginnings the forms of the entries with this key begin with: one per entry (the
    // beginning all its forms share), in order; none when the key is not one of the
    // dictionary's.
    std::vector<std::u32string> beginningsOf(const std::u32string& key) const;

    // How many entries take the key of another (for the tests and benchmarks).
    size_t joinedCount() const { return m_keys.size(); }

    // The families as bytes to keep, and read back (false, and nothing kept, for bytes that
    // are not such a record): building them costs most of a second, reading them a tenth.
    QByteArray saved() const;
    bool restore(const QByteArray& bytes);
    // Raised whenever the rules above change, so that families kept before are built anew.
    static constexpr int Version = 2;

    static char32_t foldedCharacter(char32_t c);
    static std::u32string folded(const std::u32string& word);
    static void fold(std::u32string& word);

private:
    // m_joinedInto from m_keys.
    void joinKeys();

    std::unordered_map<std::u32string, std::vector<std::u32string>> m_keys;
    // The other way: the entries that take a key other than their own.
    std::unordered_map<std::u32string, std::vector<std::u32string>> m_joinedInto;
    // Every entry and the length of the beginning its forms share, in order.
    std::vector<std::pair<std::u32string, size_t>> m_beginnings;
};
