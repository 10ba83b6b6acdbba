#include "dictionary/wordkeys.h"

#include "dictionary/russiandictionary.h"
#include "dictionary/vocabularycache.h"

#include <QChar>

#include <libstemmer.h>

#include <algorithm>
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

enum class Letters
{
    Cyrillic,
    Latin,
    Other
};

Letters lettersOf(const std::u32string& word)
{
    bool cyrillic = true;
    bool latin = true;
    for (const char32_t c : word) {
        const QChar::Script script = QChar::script(c);
        cyrillic = cyrillic && script == QChar::Script_Cyrillic && QChar::isLetter(c);
        latin = latin && script == QChar::Script_Latin && QChar::isLetter(c);
    }
    return cyrillic ? Letters::Cyrillic : latin ? Letters::Latin : Letters::Other;
}

QString snowballStem(const std::u32string& word)
{
    thread_local Stemmers stemmers;
    const QString text = QString::fromUcs4(word.data(), qsizetype(word.size()));
    const Letters letters = lettersOf(word);
    return letters == Letters::Other ? text : stemmers.stem(text, letters == Letters::Cyrillic);
}

QStringList toStrings(const std::vector<std::u32string>& keys)
{
    QStringList out;
    for (const std::u32string& key : keys)
        out.append(QString::fromUcs4(key.data(), qsizetype(key.size())));
    return out;
}

VocabularyCache& vocabulary()
{
    // A library's vocabulary is some hundred thousand words; the bound holds half a million
    // (about 120 MB), so that a page of endless made-up words cannot take more.
    static VocabularyCache cache(500'000);
    return cache;
}

QStringList sorted(QStringList keys)
{
    std::sort(keys.begin(), keys.end());
    keys.erase(std::unique(keys.begin(), keys.end()), keys.end());
    return keys;
}

// What every form of a Snowball stem begins with: a Russian stem is the beginning of its
// words; an English one may change its last two letters; any other word is itself.
QString snowballBeginning(const QString& key)
{
    const QString stem = key.mid(1);
    const QList<uint> units = stem.toUcs4();
    const bool latin = lettersOf(std::u32string(units.begin(), units.end())) == Letters::Latin;
    return latin ? stem.left(stem.size() - 2) : stem;
}

// A text word's keys, from the cache all threads share.
QStringList sharedKeys(const std::u32string& word)
{
    return vocabulary().keys(word, [](const std::u32string& unseen) {
        const RussianDictionary* dictionary = RussianDictionary::instance();
        QStringList keys = dictionary ? toStrings(dictionary->keys(unseen)) : QStringList();
        const QString stem = snowballStem(unseen);
        keys.append((keys.isEmpty() ? WordKeys::UnknownWordMark : WordKeys::KnownWordMark) + stem);
        return sorted(keys);
    });
}

} // namespace

namespace WordKeys {

QStringList ofText(const std::u32string& word)
{
    // Each thread keeps its own copies of the keys it met last, so that the threads of a
    // search neither wait for the shared cache's locks nor share the copies' counts.
    thread_local std::unordered_map<std::u32string, QStringList> recent;
    const auto seen = recent.find(word);
    if (seen != recent.end())
        return seen->second;
    if (recent.size() >= 100'000)
        recent.clear();
    QStringList own;
    for (const QString& key : sharedKeys(word))
        own.append(QString(key.constData(), key.size()));
    recent.emplace(word, own);
    return own;
}

QStringList ofQuery(const std::u32string& word)
{
    const RussianDictionary* dictionary = RussianDictionary::instance();
    QStringList keys = dictionary ? toStrings(dictionary->queryKeys(word)) : QStringList();
    const QString stem = snowballStem(word);
    if (keys.isEmpty())
        keys.append(KnownWordMark + stem);
    keys.append(UnknownWordMark + stem);
    return sorted(keys);
}

bool meet(const QStringList& a, const QStringList& b)
{
    // A word has a few keys: each pair is tried, most of them told apart by their lengths.
    for (const QString& key : a) {
        for (const QString& other : b) {
            if (key == other)
                return true;
        }
    }
    return false;
}

QStringList beginnings(const QStringList& keys)
{
    const RussianDictionary* dictionary = RussianDictionary::instance();
    QStringList all;
    for (const QString& key : keys) {
        if (key.startsWith(UnknownWordMark) || key.startsWith(KnownWordMark)) {
            all.append(snowballBeginning(key));
            continue;
        }
        const QList<uint> units = key.toUcs4();
        const std::vector<std::u32string> known =
            dictionary
                ? dictionary->families().beginningsOf(std::u32string(units.begin(), units.end()))
                : std::vector<std::u32string>();
        if (known.empty())
            return QStringList();
        for (const std::u32string& beginning : known)
            all.append(QString::fromUcs4(beginning.data(), qsizetype(beginning.size())));
    }
    // A text may write ё for е: a beginning ends before its first е, unless that leaves
    // fewer than three letters; then it is looked for with е and with ё there, up to its
    // next е ("время": "время" or "врёмя").
    QStringList spelt;
    for (QString beginning : std::as_const(all)) {
        const qsizetype e = beginning.indexOf(u'е');
        if (e >= 3) {
            spelt.append(beginning.left(e));
            continue;
        }
        if (e >= 0) {
            const qsizetype next = beginning.indexOf(u'е', e + 1);
            if (next >= 0)
                beginning.truncate(next);
        }
        if (beginning.size() < 3)
            return QStringList();
        spelt.append(beginning);
        if (e >= 0) {
            beginning[e] = u'ё';
            spelt.append(beginning);
        }
    }
    all = spelt;
    std::sort(all.begin(), all.end());
    QStringList out;
    for (const QString& beginning : std::as_const(all)) {
        if (!out.isEmpty() && out.last().left(3) == beginning.left(3)) {
            qsizetype n = 0;
            while (n < out.last().size() && n < beginning.size() && out.last()[n] == beginning[n])
                ++n;
            out.last().truncate(n);
        } else {
            out.append(beginning);
        }
    }
    return out.size() <= MaxBeginnings ? out : QStringList();
}

bool usesDictionary()
{
    return RussianDictionary::instance() != nullptr;
}

QByteArray identity()
{
    const RussianDictionary* dictionary = RussianDictionary::instance();
    return dictionary ? dictionary->identity() : QByteArrayLiteral("snowball");
}

} // namespace WordKeys
