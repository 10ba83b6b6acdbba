#include "wordforms.h"

#include "characterrules.h"

#include <libstemmer.h>

#include <cmath>
#include <memory>
#include <unordered_map>

namespace {

// A stemmer is used by one thread at a time: each thread has its own.
class Stemmers
{
public:
    Stemmers()
        : m_russian(sb_stemmer_new("russian", "UTF_8")),
          m_english(sb_stemmer_new("english", "UTF_8"))
    {
    }
    ~Stemmers()
    {
        sb_stemmer_delete(m_russian);
        sb_stemmer_delete(m_english);
    }
    Stemmers(const Stemmers&) = delete;
    Stemmers& operator=(const Stemmers&) = delete;

    QString stem(const QString& word, bool cyrillic)
    {
        sb_stemmer* stemmer = cyrillic ? m_russian : m_english;
        if (!stemmer)
            return word;
        const QByteArray utf8 = word.toUtf8();
        const sb_symbol* stemmed = sb_stemmer_stem(
            stemmer, reinterpret_cast<const sb_symbol*>(utf8.constData()), int(utf8.size()));
        if (!stemmed)
            return word;
        return QString::fromUtf8(reinterpret_cast<const char*>(stemmed),
                                 sb_stemmer_length(stemmer));
    }

private:
    sb_stemmer* m_russian;
    sb_stemmer* m_english;
};

Stemmers& stemmers()
{
    thread_local Stemmers own;
    return own;
}

char32_t lowered(char32_t c)
{
    const char32_t lower = QChar::toLower(c);
    return lower == U'ё' ? U'е' : lower;
}

// The stem of a word already lowered.
QString stemOfLowered(const std::u32string& word)
{
    // Words repeat: each thread keeps the stems it has made, up to a bound in bytes.
    thread_local std::unordered_map<std::u32string, QString> made;
    thread_local qsizetype madeBytes = 0;
    const auto known = made.find(word);
    if (known != made.end())
        return known->second;
    bool cyrillic = true;
    bool latin = true;
    for (const char32_t c : word) {
        const QChar::Script script = QChar::script(c);
        cyrillic = cyrillic && script == QChar::Script_Cyrillic && QChar::isLetter(c);
        latin = latin && script == QChar::Script_Latin && QChar::isLetter(c);
    }
    const QString text = QString::fromUcs4(word.data(), qsizetype(word.size()));
    const QString stem = cyrillic || latin ? stemmers().stem(text, cyrillic) : text;
    const qsizetype bytes = qsizetype(word.size()) * 4 + stem.size() * 2 + 96;
    if (madeBytes + bytes > 16 * 1024 * 1024) {
        made.clear();
        madeBytes = 0;
    }
    made.emplace(word, stem);
    madeBytes += bytes;
    return stem;
}

} // namespace

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
                m_word += lowered(c.c);
            m_endUnit = c.end;
            continue;
        }
        if (!m_word.empty()) {
            out.push_back(
                Word{stemOfLowered(m_word), m_first, firstIndex + i, m_beginUnit, m_endUnit});
            m_word.clear();
        }
    }
    m_next = firstIndex + count;
}

void WordSplitter::finish(std::vector<Word>& out)
{
    if (!m_word.empty())
        out.push_back(Word{stemOfLowered(m_word), m_first, m_next, m_beginUnit, m_endUnit});
    m_word.clear();
}

QStringList stems(const QString& text)
{
    std::vector<DocumentText::Char> characters;
    const QList<uint> units = text.toUcs4();
    characters.reserve(size_t(units.size()));
    for (qsizetype i = 0; i < units.size(); ++i) {
        if (!CharacterRules::isIgnorable(units[i])) // as a page's text leaves them out
            characters.push_back(DocumentText::Char{char32_t(units[i]), i, i + 1});
    }
    QStringList out;
    for (const Word& word : words(characters))
        out.append(word.stem);
    return out;
}

QString stem(const QString& word)
{
    const QStringList all = stems(word);
    return all.isEmpty() ? QString() : all.first();
}

} // namespace WordForms

WordQuery::WordQuery(const QString& text)
{
    // Blanks separate groups; a quoted text is one group, blanks and all.
    QString group;
    bool quoted = false;
    const auto endGroup = [this, &group] {
        const QStringList stems = WordForms::stems(group);
        if (!stems.isEmpty())
            m_groups.append(stems);
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
    for (const QStringList& group : m_groups)
        count += group.size();
    return count;
}

QString WordQuery::fullTextQuery() const
{
    QStringList phrases;
    for (const QStringList& group : m_groups) {
        QString phrase = group.join(u' ');
        phrase.replace(u'"', QStringLiteral("\"\""));
        phrases.append(u'"' + phrase + u'"');
    }
    return phrases.join(QStringLiteral(" AND "));
}

QList<int> WordQuery::counts(const QStringList& stems) const
{
    Tally tally(*this);
    for (const QString& stem : stems)
        tally.add(stem);
    return tally.counts();
}

WordQuery::Tally::Tally(const WordQuery& query)
    : m_query(query), m_longest(query.longestGroup()), m_counts(query.m_groups.size(), 0)
{
}

void WordQuery::Tally::add(const QString& stem)
{
    // Every group is counted where it ends: at the stem just added.
    m_recent.push_back(stem);
    if (qsizetype(m_recent.size()) > m_longest)
        m_recent.pop_front();
    for (qsizetype g = 0; g < m_query.m_groups.size(); ++g) {
        const QStringList& group = m_query.m_groups[g];
        if (group.size() > qsizetype(m_recent.size()))
            continue;
        const size_t from = m_recent.size() - size_t(group.size());
        bool whole = true;
        for (qsizetype k = 0; k < group.size() && whole; ++k)
            whole = m_recent[from + size_t(k)] == group[k];
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
        const QStringList& group = m_groups[g];
        if (group.size() <= bestLength || group.size() > count)
            continue;
        bool whole = true;
        for (qsizetype k = 0; k < group.size() && whole; ++k)
            whole = words[k]->stem == group[k];
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
    for (const QStringList& group : m_groups)
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
