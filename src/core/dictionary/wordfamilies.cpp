#include "dictionary/wordfamilies.h"

#include "dictionary/affixrules.h"

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

// A word (an infinitive, or a form of one) that ends in -ся or -сь.
bool isReflexive(std::u32string_view word)
{
    return word.ends_with(U"ся") || word.ends_with(U"сь");
}

// A verb's infinitive, with or without -ся.
bool isVerb(std::u32string_view word)
{
    if (isReflexive(word))
        word.remove_suffix(2);
    return word.size() > 2 &&
           (word.ends_with(U"ть") || word.ends_with(U"ти") || word.ends_with(U"чь"));
}

// A form of the third person plural: изменяют, строят.
bool isThirdPersonPlural(const Word& form)
{
    return form.size() >= 3 && form.back() == U'т' &&
           std::u32string_view(U"уюая").find(form[form.size() - 2]) != std::u32string_view::npos;
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
        if (isThirdPersonPlural(form))
            out.push_back(stem + U"щий");
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
        if (form.size() >= 4 && isThirdPersonPlural(form)) {
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

char32_t WordFamilies::foldedCharacter(char32_t c)
{
    // Russian letters at once; any other by Unicode's rule.
    if (c >= U'а' && c <= U'я')
        return c;
    if (c >= U'А' && c <= U'Я')
        return c + (U'а' - U'А');
    if (c == U'ё' || c == U'Ё')
        return U'е';
    return QChar::toLower(c);
}

std::u32string WordFamilies::folded(const std::u32string& word)
{
    Word out = word;
    fold(out);
    return out;
}

void WordFamilies::fold(std::u32string& word)
{
    for (char32_t& c : word)
        c = foldedCharacter(c);
}

void WordFamilies::build(const QByteArray& dictionaryText, const AffixRules& rules)
{
    m_keys.clear();
    m_beginnings.clear();
    const std::vector<Entry> entries = readEntries(dictionaryText);
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
    std::vector<size_t> beginnings(entries.size());
    std::vector<Word> forms;
    struct Cut
    {
        size_t kept;
        std::u32string_view add;
    };
    std::vector<Cut> cuts;
    for (size_t i = 0; i < entries.size(); ++i) {
        const Entry& entry = entries[i];
        beginnings[i] = entry.word.size();
        if (entry.flags.empty())
            continue;
        // Told by the rules without making the forms: a form is the word's first letters and
        // an ending; what it shares with the word is those letters and as much of the ending
        // as the word goes on with.
        const Word& word = entry.word;
        size_t shared = word.size();
        cuts.clear();
        rules.forEachForm(entry.original, entry.flags, [&](size_t kept, std::u32string_view add) {
            cuts.push_back(Cut{kept, add});
            size_t same = kept;
            while (same < word.size() && same - kept < add.size() &&
                   foldedCharacter(add[same - kept]) == word[same])
                ++same;
            shared = std::min(shared, same);
        });
        const bool verb = isVerb(word);
        const auto count = [&](std::u32string_view head, std::u32string_view add) {
            if (head.size() + add.size() > MaxEnding)
                return;
            char32_t ending[MaxEnding];
            size_t length = 0;
            for (const char32_t c : head)
                ending[length++] = c;
            for (const char32_t c : add)
                ending[length++] = foldedCharacter(c);
            EndingCount& counted = endings[packedEnding(std::u32string_view(ending, length))];
            (verb ? counted.verbs : counted.others) += 1;
        };
        count(std::u32string_view(word).substr(shared), std::u32string_view());
        for (const Cut& cut : cuts)
            count(std::u32string_view(word).substr(shared, cut.kept - shared), cut.add);
        byBeginning[word.substr(0, shared)].push_back(i);
        beginnings[i] = shared;
        if (!verb)
            continue;
        // The verb's forms themselves, from the rules' cuts above.
        forms.assign(1, word);
        for (const Cut& cut : cuts) {
            Word& form = forms.emplace_back(word, 0, cut.kept);
            for (const char32_t c : cut.add)
                form += foldedCharacter(c);
        }
        const bool reflexive = isReflexive(entry.word);
        const Word bare = reflexive ? entry.word.substr(0, entry.word.size() - 2) : entry.word;
        const Word family = reflexive && isFlagged(bare) ? bare : entry.word;
        if (family != entry.word)
            addKey(entry.word, family);
        if (reflexive) {
            for (Word& form : forms) {
                if (isReflexive(form))
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

    // Inflected forms without flags, joined to their word (verbal adverbs are joined above).
    std::vector<Word> alone;
    for (const Entry& entry : entries) {
        if (!entry.flags.empty() || isFlagged(entry.word) || keys.count(entry.word))
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

    // What each entry's forms share, looked up when a key's beginning is asked for.
    m_beginnings.reserve(entries.size());
    for (size_t i = 0; i < entries.size(); ++i)
        m_beginnings.emplace_back(entries[i].word, beginnings[i]);
    std::sort(m_beginnings.begin(), m_beginnings.end());
    for (auto& [entry, list] : keys) {
        if (list.size() != 1 || list.front() != entry)
            m_keys.emplace(entry, std::move(list));
    }
    joinKeys();
}

void WordFamilies::joinKeys()
{
    m_joinedInto.clear();
    m_joinedInto.reserve(m_keys.size());
    for (const auto& [entry, list] : m_keys) {
        for (const Word& key : list) {
            if (key != entry)
                m_joinedInto[key].push_back(entry);
        }
    }
}

namespace {

QByteArray utf8(const std::u32string& word)
{
    return QString::fromUcs4(word.data(), qsizetype(word.size())).toUtf8();
}

QByteArray header()
{
    return "lectoria-families " + QByteArray::number(WordFamilies::Version) + '\n';
}

} // namespace

QByteArray WordFamilies::saved() const
{
    QByteArray out = header();
    for (const auto& [entry, keys] : m_keys) {
        out += "K\t" + utf8(entry);
        for (const std::u32string& key : keys)
            out += '\t' + utf8(key);
        out += '\n';
    }
    for (const auto& [entry, length] : m_beginnings)
        out += "B\t" + utf8(entry) + '\t' + QByteArray::number(qulonglong(length)) + '\n';
    return out + "end\n"; // a record cut short lacks it
}

bool WordFamilies::restore(const QByteArray& bytes)
{
    m_keys.clear();
    m_joinedInto.clear();
    m_beginnings.clear();
    if (!bytes.startsWith(header()) || !bytes.endsWith("\nend\n"))
        return false;
    const char* at = bytes.constData() + header().size();
    const char* const end = bytes.constData() + bytes.size() - 4;
    // Room made at once (about a quarter of the lines are keys): the tables are not grown and
    // rehashed line by line.
    const auto lines = size_t(std::count(at, end, '\n'));
    m_keys.reserve(lines / 4);
    m_beginnings.reserve(lines);
    bool sound = true;
    std::vector<Word> fields;
    while (at < end && sound) {
        const char* lineEnd = std::find(at, end, '\n');
        fields.clear();
        for (const char* field = at; field <= lineEnd;) {
            const char* fieldEnd = std::find(field, lineEnd, '\t');
            fields.push_back(decoded(field, fieldEnd - field));
            field = fieldEnd + 1;
        }
        if (fields.size() >= 3 && fields[0] == U"K") {
            m_keys.emplace(std::move(fields[1]),
                           std::vector<Word>(fields.begin() + 2, fields.end()));
        } else if (fields.size() == 3 && fields[0] == U"B") {
            size_t length = 0;
            for (const char32_t digit : fields[2]) {
                sound = sound && digit >= U'0' && digit <= U'9';
                length = length * 10 + (digit - U'0');
            }
            sound = sound && !fields[2].empty() && length <= fields[1].size() &&
                    (m_beginnings.empty() || m_beginnings.back().first <= fields[1]);
            m_beginnings.emplace_back(std::move(fields[1]), length);
        } else {
            sound = false;
        }
        at = lineEnd + 1;
    }
    if (!sound || m_beginnings.empty()) {
        m_keys.clear();
        m_beginnings.clear();
        return false;
    }
    joinKeys();
    return true;
}

std::vector<std::u32string> WordFamilies::keysOf(const std::u32string& entry) const
{
    const auto known = m_keys.find(entry);
    return known == m_keys.end() ? std::vector<std::u32string>{entry} : known->second;
}

std::vector<std::u32string> WordFamilies::beginningsOf(const std::u32string& key) const
{
    std::vector<std::u32string> out;
    const auto add = [&](const std::u32string& entry) {
        auto at = std::lower_bound(m_beginnings.begin(), m_beginnings.end(),
                                   std::make_pair(entry, size_t(0)));
        for (; at != m_beginnings.end() && at->first == entry; ++at)
            out.push_back(entry.substr(0, at->second));
    };
    // The key's own entry, when it is a key of itself, and the entries joined into it.
    const std::vector<std::u32string> own = keysOf(key);
    if (std::find(own.begin(), own.end(), key) != own.end())
        add(key);
    const auto joined = m_joinedInto.find(key);
    if (joined != m_joinedInto.end()) {
        for (const std::u32string& entry : joined->second)
            add(entry);
    }
    std::sort(out.begin(), out.end());
    out.erase(std::unique(out.begin(), out.end()), out.end());
    return out;
}
