#include "wordfamilies.h"

#include "affixrules.h"

#include <QChar>
#include <QList>
#include <QString>

#include <algorithm>
#include <map>
#include <unordered_set>

namespace {

using Word = std::u32string;

struct Entry
{
    Word original;
    Word word; // folded
    Word flags;
};

// A line's UTF-8 as characters (a broken sequence is one replacement character per byte).
Word decoded(const char* bytes, qsizetype size)
{
    Word out;
    out.reserve(size_t(size));
    for (qsizetype i = 0; i < size;) {
        const auto lead = uchar(bytes[i]);
        if (lead < 0x80) {
            out += char32_t(lead);
            ++i;
        } else if ((lead & 0xE0) == 0xC0 && i + 1 < size && (uchar(bytes[i + 1]) & 0xC0) == 0x80) {
            out += char32_t(((lead & 0x1F) << 6) | (uchar(bytes[i + 1]) & 0x3F));
            i += 2;
        } else {
            // Three- and four-byte characters are no Russian letters: decoded the slow way.
            qsizetype end = i + 1;
            while (end < size && (uchar(bytes[end]) & 0xC0) == 0x80)
                ++end;
            const QList<uint> units = QString::fromUtf8(bytes + i, end - i).toUcs4();
            out.append(units.begin(), units.end());
            i = end;
        }
    }
    return out;
}

std::vector<Entry> readEntries(const QByteArray& text)
{
    std::vector<Entry> entries;
    const char* at = text.constData();
    const char* const end = at + text.size();
    // The first line counts the entries.
    at = std::find(at, end, '\n');
    while (at < end) {
        ++at;
        const char* lineEnd = std::find(at, end, '\n');
        // Morphological notes after a blank or a tab are not read.
        const char* wordEnd = at;
        while (wordEnd < lineEnd && *wordEnd != ' ' && *wordEnd != '\t' && *wordEnd != '\r')
            ++wordEnd;
        const char* slash = std::find(at, wordEnd, '/');
        if (slash > at) {
            Word original = decoded(at, slash - at);
            Word folded = WordFamilies::folded(original);
            Word flags = slash < wordEnd ? decoded(slash + 1, wordEnd - slash - 1) : Word();
            entries.push_back(Entry{std::move(original), std::move(folded), std::move(flags)});
        }
        at = lineEnd;
    }
    return entries;
}

bool endsWith(const Word& word, std::u32string_view end)
{
    return word.size() >= end.size() &&
           word.compare(word.size() - end.size(), end.size(), end) == 0;
}

// A verb's infinitive, with or without -ся.
bool isVerb(const Word& word)
{
    Word bare = word;
    if (endsWith(bare, U"ся") || endsWith(bare, U"сь"))
        bare.resize(bare.size() - 2);
    return bare.size() > 2 &&
           (endsWith(bare, U"ть") || endsWith(bare, U"ти") || endsWith(bare, U"чь"));
}

bool isReflexiveVerb(const Word& verb)
{
    return endsWith(verb, U"ся") || endsWith(verb, U"сь");
}

size_t commonLength(const Word& a, const Word& b)
{
    size_t n = 0;
    while (n < a.size() && n < b.size() && a[n] == b[n])
        ++n;
    return n;
}

// The participles a verb's forms (without -ся) may have, by the rules of their making.
std::vector<Word> participleCandidates(const Word& infinitive, const std::vector<Word>& forms)
{
    std::vector<Word> out;
    const auto last = [](const Word& w) { return w.empty() ? U'\0' : w.back(); };
    for (const Word& form : forms) {
        if (form.size() < 3)
            continue;
        const Word stem = form.substr(0, form.size() - 1);
        // Third person plural: изменяют - изменяющий, строят - строящий.
        if (last(form) == U'т' &&
            std::u32string_view(U"уюая").find(form[form.size() - 2]) != std::u32string_view::npos) {
            out.push_back(stem + U"щий");
        }
        // Past: изменил - изменивший; нес - несший.
        if (last(form) == U'л')
            out.push_back(stem + U"вший");
        else if (std::u32string_view(U"сзкгбр").find(last(form)) != std::u32string_view::npos)
            out.push_back(form + U"ший");
        // First person plural: изменяем - изменяемый.
        if (last(form) == U'м' &&
            std::u32string_view(U"еио").find(form[form.size() - 2]) != std::u32string_view::npos)
            out.push_back(form + U"ый");
        // First person singular: построю - построенный, оплачу - оплаченный.
        if (last(form) == U'у' || last(form) == U'ю')
            out.push_back(stem + U"енный");
    }
    if (endsWith(infinitive, U"ть")) {
        const Word stem = infinitive.substr(0, infinitive.size() - 2);
        out.push_back(stem + U"вший");
        out.push_back(stem + U"нный"); // сделать - сделанный
        out.push_back(stem + U"тый");  // открыть - открытый
        if (endsWith(infinitive, U"ить") || endsWith(infinitive, U"еть"))
            out.push_back(infinitive.substr(0, infinitive.size() - 3) + U"енный"); // изменить
    }
    return out;
}

// The verbal adverbs a verb's forms (without -ся) may have: изменяют - изменяя, учтут - учтя;
// изменить - изменив, изменивши.
std::vector<Word> adverbCandidates(const Word& infinitive, const std::vector<Word>& forms)
{
    std::vector<Word> out;
    for (const Word& form : forms) {
        if (form.size() >= 4 && form.back() == U'т' &&
            std::u32string_view(U"уюая").find(form[form.size() - 2]) != std::u32string_view::npos) {
            const Word present = form.substr(0, form.size() - 2);
            out.push_back(present + U"я");
            out.push_back(present + U"а");
        }
    }
    if (endsWith(infinitive, U"ть")) {
        const Word stem = infinitive.substr(0, infinitive.size() - 2);
        out.push_back(stem + U"в");
        out.push_back(stem + U"вши");
    }
    return out;
}

struct EndingCount
{
    int verbs = 0;
    int others = 0;
};

// Endings of up to three letters are all the rules below look at; each is packed into a number,
// so that a million forms are counted without a string each.
constexpr size_t MaxEnding = 3;

quint64 packedEnding(std::u32string_view ending)
{
    quint64 packed = ending.size();
    for (const char32_t c : ending)
        packed = (packed << 21) | c;
    return packed;
}

enum class EndingKind
{
    Rare,
    Verb,
    Other,
    Both
};

} // namespace

std::u32string WordFamilies::folded(const std::u32string& word)
{
    Word out = word;
    fold(out);
    return out;
}

void WordFamilies::fold(std::u32string& word)
{
    for (char32_t& c : word) {
        // Russian letters at once; any other by Unicode's rule.
        if (c >= U'а' && c <= U'я')
            continue;
        if (c >= U'А' && c <= U'Я')
            c += U'а' - U'А';
        else if (c == U'ё' || c == U'Ё')
            c = U'е';
        else
            c = QChar::toLower(c);
    }
}

void WordFamilies::build(const QByteArray& dictionaryText, const AffixRules& rules)
{
    m_keys.clear();
    m_beginnings.clear();
    const std::vector<Entry> entries = readEntries(dictionaryText);
    m_beginnings.reserve(entries.size());
    // Each word: whether an entry of it has flags (1), has none (2), or both.
    std::unordered_map<Word, int> listed;
    listed.reserve(entries.size());
    for (const Entry& entry : entries)
        listed[entry.word] |= entry.flags.empty() ? 2 : 1;
    const auto isFlagged = [&listed](const Word& word) {
        const auto known = listed.find(word);
        return known != listed.end() && (known->second & 1);
    };
    const auto isFlagless = [&listed](const Word& word) {
        const auto known = listed.find(word);
        return known != listed.end() && (known->second & 2);
    };

    // Every flagged entry's forms: the beginning they share and the endings after it; a
    // verb's forms tell its participles.
    std::unordered_map<Word, std::vector<Word>> keys;
    const auto addKey = [&keys](const Word& entry, const Word& key) {
        std::vector<Word>& list = keys[entry];
        if (std::find(list.begin(), list.end(), key) == list.end())
            list.push_back(key);
    };
    std::unordered_map<quint64, EndingCount> endings;
    std::unordered_map<Word, std::vector<size_t>> byBeginning;
    byBeginning.reserve(entries.size());
    std::vector<Word> beginnings(entries.size());
    std::vector<Word> forms;
    for (size_t i = 0; i < entries.size(); ++i) {
        const Entry& entry = entries[i];
        if (entry.flags.empty())
            continue;
        forms.resize(rules.forms(entry.original, entry.flags, forms));
        Word shared = entry.word;
        for (Word& form : forms) {
            fold(form);
            shared.resize(commonLength(shared, form));
        }
        const bool verb = isVerb(entry.word);
        for (const Word& form : forms) {
            if (form.size() - shared.size() > MaxEnding)
                continue;
            EndingCount& count =
                endings[packedEnding(std::u32string_view(form).substr(shared.size()))];
            (verb ? count.verbs : count.others) += 1;
        }
        byBeginning[shared].push_back(i);
        beginnings[i] = std::move(shared);
        if (!verb)
            continue;
        const bool reflexive = isReflexiveVerb(entry.word);
        const Word bare = reflexive ? entry.word.substr(0, entry.word.size() - 2) : entry.word;
        const Word family = reflexive && isFlagged(bare) ? bare : entry.word;
        if (family != entry.word)
            addKey(entry.word, family);
        if (reflexive) {
            for (Word& form : forms) {
                if (endsWith(form, U"ся") || endsWith(form, U"сь"))
                    form.resize(form.size() - 2);
            }
        }
        std::vector<Word> participles = participleCandidates(bare, forms);
        std::sort(participles.begin(), participles.end());
        participles.erase(std::unique(participles.begin(), participles.end()), participles.end());
        for (const Word& candidate : participles) {
            for (const Word& participle : {candidate, candidate + U"ся"}) {
                if (isFlagged(participle) && !isVerb(participle))
                    addKey(participle, family);
            }
        }
        // Verbal adverbs are listed without flags.
        for (const Word& candidate : adverbCandidates(bare, forms)) {
            for (const Word& adverb : {candidate, candidate + U"сь"}) {
                if (isFlagless(adverb) && !isFlagged(adverb))
                    addKey(adverb, family);
            }
        }
    }
    const auto keysAfterFamilies = [&keys](const Word& entry) {
        const auto known = keys.find(entry);
        return known == keys.end() ? std::vector<Word>{entry} : known->second;
    };
    const auto kindOf = [&endings](std::u32string_view ending) {
        if (ending.size() > MaxEnding)
            return EndingKind::Rare;
        const auto count = endings.find(packedEnding(ending));
        if (count == endings.end() || count->second.verbs + count->second.others < 50)
            return EndingKind::Rare;
        if (count->second.verbs >= 3 * count->second.others)
            return EndingKind::Verb;
        if (count->second.others >= 3 * count->second.verbs)
            return EndingKind::Other;
        return EndingKind::Both;
    };

    // Inflected forms without flags, joined to their word.
    std::vector<Word> alone;
    for (const Entry& entry : entries) {
        if (!entry.flags.empty() || isFlagged(entry.word))
            continue;
        const Word& word = entry.word;
        std::vector<size_t> best;
        size_t bestLength = 0;
        // A form that drops a vowel its word's forms have ("суток" of "сутки", "досок" of
        // "доска"): the word whose forms all begin with it without the vowel.
        if (word.size() >= 4 && (word[word.size() - 2] == U'о' || word[word.size() - 2] == U'е')) {
            const Word without = word.substr(0, word.size() - 2) + word.back();
            const auto holders = byBeginning.find(without);
            if (holders != byBeginning.end()) {
                for (const size_t holder : holders->second) {
                    if (!isVerb(entries[holder].word))
                        best.push_back(holder);
                }
                bestLength = without.size();
            }
        }
        for (size_t length = word.size(); best.empty() && length >= 3 && word.size() - length <= 3;
             --length) {
            const EndingKind kind = kindOf(std::u32string_view(word).substr(length));
            const auto holders = byBeginning.find(word.substr(0, length));
            if (kind == EndingKind::Rare || holders == byBeginning.end())
                continue;
            for (const size_t holder : holders->second) {
                const Word& candidate = entries[holder].word;
                const bool verb = isVerb(candidate);
                if (candidate != word && !(verb && kind == EndingKind::Other) &&
                    !(!verb && kind == EndingKind::Verb))
                    best.push_back(holder);
            }
            if (!best.empty()) {
                bestLength = length;
                break;
            }
        }
        // The nearest word: the fewest letters past the shared beginning.
        size_t nearest = SIZE_MAX;
        for (const size_t holder : best)
            nearest = std::min(nearest, entries[holder].word.size() - bestLength);
        std::vector<Word> family;
        for (const size_t holder : best) {
            if (entries[holder].word.size() - bestLength != nearest)
                continue;
            for (const Word& key : keysAfterFamilies(entries[holder].word)) {
                if (std::find(family.begin(), family.end(), key) == family.end())
                    family.push_back(key);
            }
        }
        if (family.size() == 1)
            keys[word] = family;
        else
            alone.push_back(word);
    }

    // Words listed form by form: the flagless words that share a beginning, each with a
    // common ending of nouns and adjectives (or one verbs share), four or more of them.
    std::map<Word, std::unordered_set<Word>> groups;
    for (const Word& word : alone) {
        for (size_t length = word.size(); length >= 2 && word.size() - length <= 3; --length) {
            const EndingKind kind = kindOf(std::u32string_view(word).substr(length));
            if (kind == EndingKind::Other || kind == EndingKind::Both)
                groups[word.substr(0, length)].insert(word);
        }
    }
    std::unordered_map<Word, Word> chosen; // a word's largest group
    for (const auto& [beginning, members] : groups) {
        if (members.size() < 4)
            continue;
        for (const Word& member : members) {
            auto& choice = chosen[member];
            if (choice.empty() || groups[choice].size() < members.size() ||
                (groups[choice].size() == members.size() && choice.size() < beginning.size()))
                choice = beginning;
        }
    }
    std::map<Word, std::vector<Word>> byChoice;
    for (const auto& [member, beginning] : chosen)
        byChoice[beginning].push_back(member);
    for (auto& [beginning, members] : byChoice) {
        if (members.size() < 4)
            continue;
        // The first form: one that drops a vowel in its other forms ("шов" - "шва") or takes
        // -ен- in them ("время" - "времени"); else the shortest.
        Word first;
        for (const char32_t vowel : {U'о', U'е'}) {
            Word nominative = beginning;
            nominative.insert(nominative.size() - 1, 1, vowel);
            if (beginning.size() >= 2 && isFlagless(nominative))
                first = nominative;
        }
        if (first.empty() && endsWith(beginning, U"ен")) {
            const Word nominative = beginning.substr(0, beginning.size() - 2) + U"я";
            if (isFlagless(nominative))
                first = nominative;
        }
        std::sort(members.begin(), members.end(), [](const Word& a, const Word& b) {
            return a.size() != b.size() ? a.size() < b.size() : a < b;
        });
        if (first.empty())
            first = members.front();
        else
            keys[first] = {first};
        for (const Word& member : members)
            keys[member] = {first};
    }

    // The beginning each key's forms share.
    const auto share = [this](const Word& key, const Word& beginning) {
        const auto known = m_beginnings.find(key);
        if (known == m_beginnings.end())
            m_beginnings.emplace(key, beginning);
        else
            known->second.resize(commonLength(known->second, beginning));
    };
    for (size_t i = 0; i < entries.size(); ++i) {
        const Word& own = entries[i].flags.empty() ? entries[i].word : beginnings[i];
        const auto joined = keys.find(entries[i].word);
        if (joined == keys.end()) {
            share(entries[i].word, own);
            continue;
        }
        for (const Word& key : joined->second)
            share(key, own);
    }
    for (auto& [entry, list] : keys) {
        if (list.size() != 1 || list.front() != entry)
            m_keys.emplace(entry, std::move(list));
    }
}

std::vector<std::u32string> WordFamilies::keysOf(const std::u32string& entry) const
{
    const auto known = m_keys.find(entry);
    return known == m_keys.end() ? std::vector<std::u32string>{entry} : known->second;
}

std::u32string WordFamilies::beginningOf(const std::u32string& key) const
{
    const auto known = m_beginnings.find(key);
    return known == m_beginnings.end() ? std::u32string() : known->second;
}
