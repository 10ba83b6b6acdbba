#pragma once

#include <QByteArray>

#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

// The suffix rules of a Hunspell affix file: for a dictionary entry and its flags, every form
// the rules make of it (the forms Hunspell takes as the entry's). Only what a dictionary of
// suffixes needs is read: one-character flags, "SFX flag strip add condition" lines; prefixes
// and continuation flags are not read.
class AffixRules
{
public:
    // Reads the affix file's text (UTF-8). False when it holds no suffix rule.
    bool parse(const QByteArray& text);

    // The forms of word by its flags, the word itself first: the first ones of out, how many
    // told (out's strings are reused, so that a dictionary's million forms are made without
    // as many allocations).
    size_t forms(const std::u32string& word, std::u32string_view flags,
                 std::vector<std::u32string>& out) const;

private:
    // One character of a condition: a set of characters it is or is not.
    struct ConditionUnit
    {
        std::u32string characters; // empty with any: a dot
        bool any = false;
        bool negated = false;
    };
    struct Rule
    {
        std::u32string strip;
        std::u32string add;
        std::vector<ConditionUnit> condition; // matched against the word's end
    };
    // A flag's rules, and which of them may apply to a word by its last character (a word
    // meets a few dozen of a flag's hundreds of rules: the rest are not tried).
    struct Flag
    {
        std::vector<Rule> rules;
        std::unordered_map<char32_t, std::vector<size_t>> byLast;
        std::vector<size_t> anyLast; // for a last character no rule names
    };
    static bool meets(const std::u32string& word, const std::vector<ConditionUnit>& condition);

    std::unordered_map<char32_t, Flag> m_flags;
};
