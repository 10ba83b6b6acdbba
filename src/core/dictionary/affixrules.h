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

    // Each form of word by its flags but the word itself, told as the length of the word's
    // beginning it keeps and the ending added after it: nothing is made.
    template <typename Told>
    void forEachForm(const std::u32string& word, std::u32string_view flags, Told&& told) const
    {
        for (const char32_t flag : flags) {
            const auto found = m_flags.find(flag);
            if (found == m_flags.end() || word.empty())
                continue;
            const Flag& rules = found->second;
            const auto byLast = rules.byLast.find(word.back());
            for (const size_t index :
                 byLast == rules.byLast.end() ? rules.anyLast : byLast->second) {
                const Rule& rule = rules.rules[index];
                if (applies(word, rule))
                    told(word.size() - rule.strip.size(), std::u32string_view(rule.add));
            }
        }
    }

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
    // Whether a rule makes a form of the word: its strip ends the word, its condition holds,
    // and it leaves a form of at least one letter.
    static bool applies(const std::u32string& word, const Rule& rule);

    std::unordered_map<char32_t, Flag> m_flags;
};
