#include "matching/wordsearch.h"

#include "dictionary/wordfamilies.h"
#include "dictionary/wordkeys.h"
#include "matching/wordforms.h"
#include "text/textreader.h"

#include "matching/pagewords.h"
#include "matching/textsearch.h"
#include "pdf/documentfile.h"
#include "text/documenttext.h"

#include <algorithm>
#include <limits>

WordSearch::WordSearch(const QString& query) : m_query(query)
{
    for (const WordQuery::Group& group : m_query.groups()) {
        // The word of the group told by the fewest beginnings, the longest on a tie.
        QStringList best;
        const auto shortest = [](const QStringList& list) {
            qsizetype length = std::numeric_limits<qsizetype>::max();
            for (const QString& beginning : list)
                length = std::min(length, beginning.size());
            return length;
        };
        for (const QStringList& keys : group) {
            const QStringList beginnings = WordKeys::beginnings(keys);
            keepKeyedBeginnings(beginnings);
            if (!beginnings.isEmpty() &&
                (best.isEmpty() || beginnings.size() < best.size() ||
                 (beginnings.size() == best.size() && shortest(beginnings) > shortest(best))))
                best = beginnings;
        }
        if (best.isEmpty())
            continue;
        m_probeTexts.append(best);
        auto& searches = m_probes.emplace_back();
        for (const QString& beginning : best)
            searches.push_back(
                std::make_unique<TextSearch>(beginning, MatchOptions{false, false, true, false}));
    }
    m_pageWords = std::make_unique<PageWords>(m_everyWordKeyed ? nullptr : &m_keyedBeginnings);
}

WordSearch::~WordSearch() = default;

void WordSearch::keepKeyedBeginnings(const QStringList& beginnings)
{
    m_everyWordKeyed = m_everyWordKeyed || beginnings.isEmpty();
    for (const QString& beginning : beginnings) {
        const QList<uint> units = beginning.toUcs4();
        std::u32string folded(units.begin(), units.end());
        for (char32_t& c : folded)
            c = WordFamilies::foldedCharacter(c);
        if (std::find(m_keyedBeginnings.begin(), m_keyedBeginnings.end(), folded) ==
            m_keyedBeginnings.end())
            m_keyedBeginnings.push_back(std::move(folded));
    }
}

bool WordSearch::mayHold(const QByteArray& raw) const
{
    for (const auto& group : m_probes) {
        const bool any = std::any_of(group.begin(), group.end(), [&raw](const auto& probe) {
            return probe->contains(raw.constData(), raw.size());
        });
        if (!any)
            return false;
    }
    return true;
}

WordSearch::Reading WordSearch::read(const QString& path, const std::atomic<bool>* cancel) const
{
    Reading reading;
    DocumentFile file(path, cancel);
    if (!file.isOpen()) {
        reading.withoutText = file.isWithoutText();
        return reading;
    }
    // A document is held whole for the quick look only up to a bound; past it, it is read in
    // pieces, so that the memory a search takes does not grow with a document.
    QByteArray raw;
    constexpr qsizetype chunk = 256 * 1024;
    for (;;) {
        const qsizetype held = raw.size();
        raw.resize(held + chunk);
        const qsizetype got = file.readFull(raw.data() + held, chunk);
        if (got < 0)
            return reading;
        raw.resize(held + got);
        if (got < chunk)
            break;
        if (raw.size() > WholeReadLimit)
            return readInPieces(&file, raw, cancel);
        if (cancel && cancel->load(std::memory_order_relaxed))
            return reading;
    }
    if (!mayHold(raw)) {
        // Not found; its words are counted for the statistics without being read whole.
        reading.readable = true;
        reading.counts = QList<int>(m_query.groups().size(), 0);
        reading.length = -2;
        return reading;
    }
    const TextEncoding::Encoding encoding = TextEncoding::detect(raw.constData(), raw.size());
    if (PageWords::reads(encoding)) {
        WordQuery::Tally tally(m_query);
        const qsizetype length =
            m_pageWords->count(raw.constData(), raw.size(), encoding, tally, cancel);
        if (length < 0)
            return Reading();
        reading.length = int(length);
        reading.readable = true;
        reading.counts = tally.counts();
        return reading;
    }
    return readInPieces(nullptr, raw, cancel);
}

WordSearch::Reading WordSearch::readInPieces(DocumentFile* rest, const QByteArray& head,
                                             const std::atomic<bool>* cancel) const
{
    Reading reading;
    // The words are counted as they are read: no list of them is made.
    WordQuery::Tally tally(m_query);
    TextReader reader(TextEncoding::detect(head.constData(), head.size()));
    WordForms::WordSplitter splitter;
    if (!m_everyWordKeyed)
        splitter.setKeyedBeginnings(&m_keyedBeginnings);
    std::vector<WordForms::Word> words;
    constexpr qsizetype piece = 256 * 1024;
    QByteArray buffer;
    qsizetype at = 0; // in head, then the file's pieces follow
    for (;;) {
        if (cancel && cancel->load(std::memory_order_relaxed))
            return Reading();
        const char* data = nullptr;
        qsizetype size = 0;
        if (at < head.size()) {
            data = head.constData() + at;
            size = std::min(piece, head.size() - at);
            at += size;
        } else if (rest) {
            buffer.resize(piece);
            size = rest->readFull(buffer.data(), piece);
            if (size < 0)
                return Reading();
            data = buffer.constData();
        }
        const bool last = size == 0;
        if (last)
            reader.finish();
        else
            reader.read(data, size);
        splitter.read(reader.characters(), reader.characterCount(), 0, words);
        if (last)
            splitter.finish(words);
        for (const WordForms::Word& word : words)
            tally.add(word.keys);
        reading.length += int(words.size());
        words.clear();
        if (last)
            break;
    }
    reading.readable = true;
    reading.counts = tally.counts();
    return reading;
}
