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

std::vector<Entry> readEntries(const QByteArray& text)
{
    std::vector<Entry> entries;
    const QList<QByteArray> lines = text.split('\n');
    // The first line counts the entries.
    for (qsizetype i = 1; i < lines.size(); ++i) {
        QByteArray line = lines[i].trimmed();
        // Morphological notes after a blank or a tab are not read.
        const qsizetype blank = line.indexOf(' ');
        const qsizetype tab = line.indexOf('\t');
        const qsizetype end =
            std::min(blank < 0 ? line.size() : blank, tab < 0 ? line.size() : tab);
        line.truncate(end);
        if (line.isEmpty())
            continue;
        const qsizetype slash = line.indexOf('/');
        const QList<uint> word =
            QString::fromUtf8(line.left(slash < 0 ? line.size() : slash)).toUcs4();
        const QList<uint> flags =
            slash < 0 ? QList<uint>() : QString::fromUtf8(line.mid(slash + 1)).toUcs4();
        Word original(word.begin(), word.end());
        Word folded = WordFamilies::folded(original);
        entries.push_back(
            Entry{std::move(original), std::move(folded), Word(flags.begin(), flags.end())});
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

enum class EndingKind
{
    Rare,
    Verb,
    Other,
    Both
};

// Looks up words by a view of them, without making a string.
struct ViewHash
{
    using is_transparent = void;
    size_t operator()(std::u32string_view word) const
    {
        return std::hash<std::u32string_view>()(word);
    }
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
    std::unordered_set<Word> flagged;
    std::unordered_set<Word> flagless;
    for (const Entry& entry : entries)
        (entry.flags.empty() ? flagless : flagged).insert(entry.word);

    // Every flagged entry's forms: the beginning they share and the endings after it; a
    // verb's forms tell its participles.
    std::unordered_map<Word, std::vector<Word>> keys;
    const auto addKey = [&keys](const Word& entry, const Word& key) {
        std::vector<Word>& list = keys[entry];
        if (std::find(list.begin(), list.end(), key) == list.end())
            list.push_back(key);
    };
    std::unordered_map<Word, EndingCount, ViewHash, std::equal_to<>> endings;
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
            const std::u32string_view ending = std::u32string_view(form).substr(shared.size());
            auto count = endings.find(ending);
            if (count == endings.end())
                count = endings.emplace(Word(ending), EndingCount()).first;
            (verb ? count->second.verbs : count->second.others) += 1;
        }
        byBeginning[shared].push_back(i);
        beginnings[i] = std::move(shared);
        if (!verb)
            continue;
        const bool reflexive = isReflexiveVerb(entry.word);
        const Word bare = reflexive ? entry.word.substr(0, entry.word.size() - 2) : entry.word;
        const Word family = reflexive && flagged.count(bare) ? bare : entry.word;
        if (family != entry.word)
            addKey(entry.word, family);
        if (reflexive) {
            for (Word& form : forms) {
                if (endsWith(form, U"ся") || endsWith(form, U"сь"))
                    form.resize(form.size() - 2);
            }
        }
        for (const Word& candidate : participleCandidates(bare, forms)) {
            for (const Word& participle : {candidate, candidate + U"ся"}) {
                if (flagged.count(participle) && !isVerb(participle))
                    addKey(participle, family);
            }
        }
        // Verbal adverbs are listed without flags.
        for (const Word& candidate : adverbCandidates(bare, forms)) {
            for (const Word& adverb : {candidate, candidate + U"сь"}) {
                if (flagless.count(adverb) && !flagged.count(adverb))
                    addKey(adverb, family);
            }
        }
    }
    const auto keysAfterFamilies = [&keys](const Word& entry) {
        const auto known = keys.find(entry);
        return known == keys.end() ? std::vector<Word>{entry} : known->second;
    };
    const auto kindOf = [&endings](std::u32string_view ending) {
        const auto count = endings.find(ending);
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
        if (!entry.flags.empty() || flagged.count(entry.word))
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
            if (beginning.size() >= 2 && flagless.count(nominative))
                first = nominative;
        }
        if (first.empty() && endsWith(beginning, U"ен")) {
            const Word nominative = beginning.substr(0, beginning.size() - 2) + U"я";
            if (flagless.count(nominative))
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
