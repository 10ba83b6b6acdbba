#include "matching/wordforms.h"

#include "dictionary/wordfamilies.h"
#include "dictionary/wordkeys.h"
#include "text/characterrules.h"

#include <cmath>
#include <memory>
#include <unordered_map>

namespace WordForms {

std::vector<Word> words(const std::vector<DocumentText::Char>& text)
{
    std::vector<Word> out;
    WordSplitter splitter;
    splitter.read(text.data(), qsizetype(text.size()), 0, out);
    splitter.finish(out);
    return out;
}

void WordSplitter::read(const DocumentText::Char* chars, qsizetype count, qsizetype firstIndex,
                        std::vector<Word>& out)
{
    for (qsizetype i = 0; i < count; ++i) {
        const DocumentText::Char& c = chars[i];
        if (CharacterRules::isWordCharacter(c.c)) {
            if (m_word.empty()) {
                m_first = firstIndex + i;
                m_beginUnit = c.begin;
            }
            // A run of letters longer than a word can be is cut: its beginning is the word.
            if (m_word.size() < size_t(MaxWordLength))
                m_word += WordFamilies::foldedCharacter(c.c);
            m_endUnit = c.end;
            continue;
        }
        if (!m_word.empty()) {
            out.push_back(Word{keysOf(m_word), m_first, firstIndex + i, m_beginUnit, m_endUnit});
            m_word.clear();
        }
    }
    m_next = firstIndex + count;
}

QStringList WordSplitter::keysOf(const std::u32string& word) const
{
    if (m_keyedBeginnings && std::none_of(m_keyedBeginnings->begin(), m_keyedBeginnings->end(),
                                          [&word](const std::u32string& beginning) {
                                              return word.compare(0, beginning.size(), beginning) ==
                                                     0;
                                          }))
        return QStringList();
    return m_forQuery ? WordKeys::ofQuery(word) : WordKeys::ofText(word);
}

void WordSplitter::finish(std::vector<Word>& out)
{
    if (!m_word.empty())
        out.push_back(Word{keysOf(m_word), m_first, m_next, m_beginUnit, m_endUnit});
    m_word.clear();
}

std::vector<Word> words(const QString& text, bool forQuery)
{
    std::vector<DocumentText::Char> characters;
    const QList<uint> units = text.toUcs4();
    characters.reserve(size_t(units.size()));
    for (qsizetype i = 0; i < units.size(); ++i) {
        if (!CharacterRules::isIgnorable(units[i])) // as a page's text leaves them out
            characters.push_back(DocumentText::Char{char32_t(units[i]), i, i + 1});
    }
    std::vector<Word> out;
    WordSplitter splitter(forQuery);
    splitter.read(characters.data(), qsizetype(characters.size()), 0, out);
    splitter.finish(out);
    return out;
}

QStringList tokens(const QString& text)
{
    QStringList out;
    for (const Word& word : words(text))
        out.append(word.keys.join(WordKeys::TokenSeparator));
    return out;
}

QStringList keys(const QString& word)
{
    const std::vector<Word> all = words(word);
    return all.empty() ? QStringList() : all.front().keys;
}

} // namespace WordForms

WordQuery::WordQuery(const QString& text)
{
    // Blanks separate groups; a quoted text is one group, blanks and all.
    QString group;
    bool quoted = false;
    const auto endGroup = [this, &group] {
        Group words;
        for (const WordForms::Word& word : WordForms::words(group, true))
            words.append(word.keys);
        if (!words.isEmpty())
            m_groups.append(words);
        group.clear();
    };
    for (const QChar c : text) {
        if (c == u'"') {
            endGroup();
            quoted = !quoted;
        } else if (!quoted && CharacterRules::isBlank(c.unicode())) {
            endGroup();
        } else {
            group += c;
        }
    }
    endGroup();
}

qsizetype WordQuery::wordCount() const
{
    qsizetype count = 0;
    for (const Group& group : m_groups)
        count += group.size();
    return count;
}

QString WordQuery::fullTextPhrase(const Group& group)
{
    QStringList words;
    for (const QStringList& keys : group)
        words.append(keys.join(WordKeys::TokenSeparator));
    QString phrase = words.join(u' ');
    phrase.replace(u'"', QStringLiteral("\"\""));
    return u'"' + phrase + u'"';
}

QString WordQuery::fullTextQuery() const
{
    QStringList phrases;
    for (const Group& group : m_groups)
        phrases.append(fullTextPhrase(group));
    return phrases.join(QStringLiteral(" AND "));
}

QList<int> WordQuery::counts(const QList<QStringList>& words) const
{
    Tally tally(*this);
    for (const QStringList& keys : words)
        tally.add(keys);
    return tally.counts();
}

WordQuery::Tally::Tally(const WordQuery& query)
    : m_query(query), m_longest(query.longestGroup()), m_counts(query.m_groups.size(), 0)
{
}

void WordQuery::Tally::add(const QStringList& keys)
{
    // Every group is counted where it ends: at the word just added.
    m_recent.push_back(keys);
    if (qsizetype(m_recent.size()) > m_longest)
        m_recent.pop_front();
    if (keys.isEmpty()) {
        ++m_sinceKeyed;
        return; // a word without keys meets no word of a group: no group ends here
    }
    m_sinceKeyed = 0;
    for (qsizetype g = 0; g < m_query.m_groups.size(); ++g) {
        const Group& group = m_query.m_groups[g];
        if (group.size() > qsizetype(m_recent.size()))
            continue;
        const size_t from = m_recent.size() - size_t(group.size());
        bool whole = true;
        for (qsizetype k = 0; k < group.size() && whole; ++k)
            whole = WordKeys::meet(m_recent[from + size_t(k)], group[k]);
        m_counts[g] += whole;
    }
}

bool WordQuery::allFound(const QList<int>& counts)
{
    for (const int count : counts) {
        if (count == 0)
            return false;
    }
    return !counts.isEmpty();
}

std::vector<WordQuery::Occurrence>
WordQuery::occurrences(const std::vector<WordForms::Word>& words) const
{
    std::vector<Occurrence> out;
    std::vector<const WordForms::Word*> at;
    at.reserve(words.size());
    for (const WordForms::Word& word : words)
        at.push_back(&word);
    for (size_t i = 0; i < words.size();) {
        qsizetype length = 0;
        const int group = groupAt(at.data() + i, qsizetype(words.size() - i), &length);
        if (group < 0) {
            ++i;
            continue;
        }
        out.push_back(Occurrence{words[i].first, words[i + size_t(length) - 1].end, group});
        i += size_t(length);
    }
    return out;
}

int WordQuery::groupAt(const WordForms::Word* const* words, qsizetype count,
                       qsizetype* length) const
{
    int best = -1;
    qsizetype bestLength = 0;
    for (qsizetype g = 0; g < m_groups.size(); ++g) {
        const Group& group = m_groups[g];
        if (group.size() <= bestLength || group.size() > count)
            continue;
        bool whole = true;
        for (qsizetype k = 0; k < group.size() && whole; ++k)
            whole = WordKeys::meet(words[k]->keys, group[k]);
        if (whole) {
            best = int(g);
            bestLength = group.size();
        }
    }
    *length = bestLength;
    return best;
}

qsizetype WordQuery::longestGroup() const
{
    qsizetype longest = 0;
    for (const Group& group : m_groups)
        longest = std::max(longest, group.size());
    return longest;
}

Relevance::Relevance(int documents, const QList<int>& withGroup, double averageLength)
    : m_averageLength(averageLength > 0 ? averageLength : 1.0)
{
    for (const int n : withGroup) {
        const double idf = std::log((documents - n + 0.5) / (n + 0.5));
        m_idf.append(idf <= 0.0 ? 1e-6 : idf);
    }
}

double Relevance::score(const QList<int>& counts, int length) const
{
    constexpr double k1 = 1.2;
    constexpr double b = 0.75;
    double score = 0;
    for (qsizetype g = 0; g < counts.size() && g < m_idf.size(); ++g) {
        const double f = counts[g];
        score += m_idf[g] * (f * (k1 + 1)) / (f + k1 * (1 - b + b * length / m_averageLength));
    }
    return score;
}
