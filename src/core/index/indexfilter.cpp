#include "index/indexfilter.h"

#include "index/keptindex.h"

#include "index/documentindex.h"
#include "index/indexlocation.h"
#include "index/indexupdater.h"
#include "matching/wordforms.h"
#include "matching/wordsearch.h"
#include "norms/designation.h"
#include "norms/partaddress.h"
#include "text/documenttext.h"

// A document a word-forms reading takes in pieces (and so reads whole, whatever it holds) is
// never one the index answers for: the index keeps no document that large.
static_assert(IndexUpdater::LargestDocument <= WordSearch::WholeReadLimit);

QString IndexFilter::indexFileFor(const QString& folder)
{
    const QString shared = IndexLocation::sharedFile(folder);
    if (!shared.isEmpty())
        return shared;
    // A pointer that names nothing usable: the shared index is there, but damaged (the
    // pointer itself is then what is asked, and found no index).
    const QString pointer = IndexLocation::sharedPointer(folder);
    if (Platform::isFile(pointer))
        return pointer;
    const QString own = IndexLocation::cacheFile(folder);
    return Platform::isFile(own) ? own : QString();
}

IndexFilter::IndexFilter(const QString& folder, const QString& context) : m_folder(folder)
{
    const std::u32string phrase = DocumentText::normalizedContext(context, false);
    // The index keeps code 0 as a character no context is asked with.
    const bool heldApart = phrase.find(U'\0') != std::u32string::npos ||
                           phrase.find(DocumentIndex::NoContextCharacter) != std::u32string::npos;
    if (phrase.size() < 3 || heldApart) {
        m_state = State::NotApplicable;
        return;
    }
    KeptIndex index;
    if (!open(index))
        return;
    // A context most documents hold is read everywhere anyway: the index would only add
    // its own work.
    const int limit = qMax(64, index->documentCountBound() / 4);
    const QString folded = QString::fromUcs4(phrase.data(), qsizetype(phrase.size()));
    const int rarest = index->rarestTrigramCount(folded, limit + 1);
    if (rarest > limit) {
        m_state = State::NotApplicable;
        return;
    }
    // A candidate holds every trigram of the context: more candidates than documents holding
    // one of them is an index that contradicts itself, read as a damaged one.
    QSet<QString> candidates;
    const bool read = index->candidates(folded, &candidates, limit);
    if (read && candidates.size() > limit && (rarest < 0 || candidates.size() <= rarest)) {
        m_state = State::NotApplicable;
        return;
    }
    if (!read || (rarest >= 0 && candidates.size() > rarest) || !index.stamps(&m_stamps) ||
        !markCandidates(candidates)) {
        forgetStamps();
        m_state = State::Unusable;
        return;
    }
    m_candidateCount = int(candidates.size());
    m_state = State::Used;
}

void IndexFilter::forgetStamps()
{
    m_stamps.reset();
    m_marked.clear();
}

bool IndexFilter::markCandidates(const QSet<QString>& candidates)
{
    m_marked.assign(size_t(m_stamps->size()), 0);
    for (const QString& candidate : candidates) {
        const qsizetype entry = m_stamps->find(DocumentIndex::pathBytes(candidate));
        if (entry < 0)
            return false;
        m_marked[size_t(entry)] = 1;
    }
    return true;
}

IndexFilter::~IndexFilter() = default;

bool IndexFilter::open(KeptIndex& index)
{
    Platform::FolderId root;
    m_device = Platform::folderId(m_folder, &root) ? root.device : 0;
    m_file = indexFileFor(m_folder);
    if (m_file.isEmpty()) {
        m_state = State::Missing;
        return false;
    }
    // A shared index is only read, immutable; the user's own is read as its builder leaves
    // it, and a search writes nothing (a file removed meanwhile is not made again).
    const bool shared = m_file != IndexLocation::cacheFile(m_folder);
    if (!index.open(m_file,
                    shared ? DocumentIndex::Access::ReadOnly : DocumentIndex::Access::Read) ||
        !IndexLocation::isIndexOf(index.index(), m_folder, m_file) || !index->beginRead()) {
        m_state = State::Unusable;
        return false;
    }
    if (index->note(QStringLiteral("complete")) != u"1") {
        m_state = State::Incomplete;
        return false;
    }
    return true;
}

IndexFilter::IndexFilter(const QString& folder, Stamps) : m_folder(folder)
{
    KeptIndex index;
    if (!open(index))
        return;
    if (!index.stamps(&m_stamps)) {
        forgetStamps();
        m_state = State::Unusable;
        return;
    }
    m_marked.assign(std::size_t(m_stamps->size()), 0);
    m_state = State::Used;
}

IndexFilter::IndexFilter(const QString& folder, const WordSearch& search) : m_folder(folder)
{
    const WordQuery& query = search.query();
    KeptIndex index;
    if (!open(index))
        return;
    bool read = index->wordMatches(query.fullTextQuery(), &m_wordHits) && index.stamps(&m_stamps) &&
                index->wordCounts(&m_wordCounts);
    for (const WordQuery::Group& group : query.groups()) {
        QSet<QString> holders;
        read = read && index->documentsWithPhrase(WordQuery::fullTextPhrase(group), &holders);
        m_groupHolders.append(holders);
    }
    for (const QStringList& probes : search.probes()) {
        // Each probe as text mode looks for it, in the folded text the index keeps: a
        // document with any of them may hold the group.
        QSet<QString> holders;
        for (const QString& probe : probes) {
            const std::u32string phrase = DocumentText::normalizedContext(probe, false);
            read = read &&
                   index->candidates(QString::fromUcs4(phrase.data(), qsizetype(phrase.size())),
                                     &holders);
        }
        if (m_readWhole)
            m_readWhole->intersect(holders);
        else
            m_readWhole = holders;
    }
    // A document that holds every group holds each: an index that says otherwise contradicts
    // itself and is read as a damaged one.
    for (auto hit = m_wordHits.constBegin(); read && hit != m_wordHits.constEnd(); ++hit) {
        for (qsizetype g = 0; read && g < m_groupHolders.size(); ++g)
            read = m_groupHolders[g].contains(hit.key()) && hit->value(g) > 0;
    }
    if (!read) {
        forgetStamps();
        m_wordHits.clear();
        m_state = State::Unusable;
        return;
    }
    m_state = State::Used;
}

IndexFilter::IndexFilter(const QString& folder, const Designation& cited) : m_folder(folder)
{
    useCitations(DocumentIndex::NormRole::Cites, cited, cited.key());
}

IndexFilter::IndexFilter(const QString& folder, const Designation& cited, const PartAddress& part)
    : m_folder(folder)
{
    useCitations(DocumentIndex::NormRole::CitesPart, cited,
                 DocumentIndex::partKey(cited, part.indexKey()));
}

void IndexFilter::useCitations(DocumentIndex::NormRole role, const Designation& cited,
                               const QString& key)
{
    KeptIndex index;
    if (!open(index))
        return;
    QList<DocumentIndex::NormRow> rows;
    const bool read = index->norms(role, &rows, key);
    QSet<QString> citing;
    for (const DocumentIndex::NormRow& row : std::as_const(rows)) {
        if (cited.edition == 0 || row.edition == 0 || row.edition == cited.edition)
            citing.insert(row.path);
    }
    if (!read || !index.stamps(&m_stamps) || !markCandidates(citing)) {
        forgetStamps();
        m_state = State::Unusable;
        return;
    }
    m_state = State::Used;
}

IndexFilter::IndexFilter(const QString& folder, Norms) : m_folder(folder)
{
    KeptIndex index;
    if (!open(index))
        return;
    QList<DocumentIndex::NormRow> rows;
    if (!index.stamps(&m_stamps) || !index->norms(DocumentIndex::NormRole::Own, &rows) ||
        !index->norms(DocumentIndex::NormRole::Replaces, &rows)) {
        forgetStamps();
        m_state = State::Unusable;
        return;
    }
    for (const DocumentIndex::NormRow& row : std::as_const(rows))
        m_norms[row.path].append(row);
    m_state = State::Used;
}

std::optional<QList<DocumentIndex::NormRow>>
IndexFilter::knownNorms(const ScannedDocument& document) const
{
    if (m_state != State::Used || entryAsIs(document) < 0)
        return std::nullopt;
    return m_norms.value(IndexUpdater::relativePath(m_folder, document.path()));
}

IndexFilter::KnownWords IndexFilter::knownWords(const QString& path) const
{
    const QString relative = IndexUpdater::relativePath(m_folder, path);
    KnownWords known;
    const auto hit = m_wordHits.constFind(relative);
    if (hit != m_wordHits.constEnd()) {
        known.found = true;
        known.counts = *hit;
        known.length = m_wordCounts.value(relative);
        return known;
    }
    if (m_readWhole && !m_readWhole->contains(relative))
        return known;
    known.length = m_wordCounts.value(relative);
    for (const QSet<QString>& holders : m_groupHolders)
        known.counts.append(holders.contains(relative) ? 1 : 0);
    return known;
}

bool IndexFilter::mustRead(const ScannedDocument& document) const
{
    if (m_state != State::Used)
        return true;
    const qsizetype entry = entryAsIs(document);
    return entry < 0 || size_t(entry) >= m_marked.size() || m_marked[size_t(entry)] != 0;
}

bool IndexFilter::mustRead(const QString& path) const
{
    const QByteArray native = DocumentIndex::pathBytes(IndexUpdater::relativePath(m_folder, path));
    return mustRead(ScannedDocument(path, native, false, nullptr));
}

bool IndexFilter::knowsAsIs(const ScannedDocument& document) const
{
    return m_state == State::Used && entryAsIs(document) >= 0;
}

std::optional<bool> IndexFilter::knownCitation(const ScannedDocument& document) const
{
    const qsizetype entry = m_state == State::Used ? entryAsIs(document) : -1;
    if (entry < 0)
        return std::nullopt;
    if (size_t(entry) >= m_marked.size())
        return std::nullopt;
    return m_marked[size_t(entry)] != 0;
}

qsizetype IndexFilter::entryAsIs(const ScannedDocument& document) const
{
    const qsizetype entry = m_stamps ? m_stamps->find(document.nativeBelowRoot()) : -1;
    if (entry < 0)
        return -1;
    // The index answers only for a document this user may read now, as it was indexed.
    Platform::FileStamp taken;
    const Platform::FileStamp* now = document.stamp();
    if (!document.isStampTaken())
        now = Platform::fileStamp(document.path(), &taken) ? &taken : nullptr;
    return now && now->readable && now->relativeTo(m_device) == m_stamps->stamp(entry) ? entry : -1;
}
