#include "search/normcatalog.h"

#include "index/indexfilter.h"
#include "library/documentlayout.h"
#include "library/libraryscan.h"
#include "norms/designationrule.h"
#include "norms/documentnorms.h"

#include <algorithm>

NormCatalog NormCatalog::ofFolders(const QStringList& folders, const std::atomic<bool>* cancel)
{
    NormCatalog catalog;
    for (const QString& folder : folders) {
        // What the index knows of each document as it is: its titles, headings and
        // replacements. The walk takes each document's stamp as it lists its folder.
        const IndexFilter index(folder, IndexFilter::Norms::OwnAndReplaced);
        const std::atomic<bool> takeStamps{true};
        const bool indexed = index.state() == IndexFilter::State::Used;
        LibraryScan::deep(
            folder,
            [&](ScannedDocument& document) {
                document.leaveOutOfTree(); // the catalog keeps what it needs of it
                const QString& path = document.path();
                const QString caption =
                    DocumentLayout::documentCaption(path.mid(path.lastIndexOf(u'/') + 1));
                QList<Designation> own =
                    DocumentNorms(QStringList{caption, DocumentNorms::fileNameOf(path)}).own();
                if (const auto rows = index.knownNorms(document)) {
                    for (const DocumentIndex::NormRow& row : *rows) {
                        const Designation designation = DesignationRule::parse(row.written);
                        if (designation.kind.isEmpty())
                            continue;
                        if (row.role == DocumentIndex::NormRole::Replaces)
                            catalog.addReplacement(path, designation);
                        else if (std::none_of(own.begin(), own.end(), [&](const Designation& d) {
                                     return d.sameAs(designation);
                                 }))
                            own.append(designation);
                    }
                }
                catalog.addDocument(path, caption, own);
            },
            cancel, nullptr, indexed ? &takeStamps : nullptr);
        if (cancel && cancel->load())
            return {};
    }
    return catalog;
}

void NormCatalog::addDocument(const QString& path, const QString& caption,
                              const QList<Designation>& own)
{
    m_own.insert(path, own);
    m_captions.insert(path, caption);
    for (qsizetype rank = 0; rank < own.size(); ++rank)
        m_byKey[own[rank].key()].append(Entry{path, caption, own[rank], int(rank)});
}

void NormCatalog::addReplacement(const QString& replacingPath, const Designation& replaced)
{
    m_replacedBy[replaced.key()].append({replacingPath, replaced});
}

QList<NormCatalog::Entry> NormCatalog::editions(const QString& key) const
{
    QList<Entry> held = m_byKey.value(key);
    // Newest first; of one edition, the document chiefly known by it first.
    std::stable_sort(held.begin(), held.end(), [](const Entry& a, const Entry& b) {
        if (a.designation.edition != b.designation.edition)
            return a.designation.edition > b.designation.edition;
        return a.rank < b.rank;
    });
    return held;
}

std::optional<NormCatalog::Entry> NormCatalog::resolve(const Designation& cited, bool* exact) const
{
    const QList<Entry> held = editions(cited.key());
    if (held.isEmpty())
        return std::nullopt;
    if (cited.edition != 0) {
        for (const Entry& entry : held) {
            if (entry.designation.edition == cited.edition) {
                if (exact)
                    *exact = true;
                return entry;
            }
        }
    }
    if (exact)
        *exact = false;
    return held.front();
}

NormCatalog::Followed NormCatalog::follow(const QString& written) const
{
    bool exact = false;
    const Designation cited = DesignationRule::parse(written);
    const std::optional<Entry> held = cited.kind.isEmpty() ? std::nullopt : resolve(cited, &exact);
    if (!held)
        return {QString(), written + QStringLiteral(": нет в библиотеке")};
    if (!exact && cited.edition != 0)
        return {held->path, QStringLiteral("Редакции %1 в библиотеке нет; показана «%2»")
                                .arg(cited.edition)
                                .arg(held->caption)};
    return {held->path, QString()};
}

QList<NormCatalog::Entry> NormCatalog::replacing(const QList<Designation>& designations) const
{
    QList<Entry> out;
    for (const Designation& designation : designations) {
        for (const auto& [path, replaced] : m_replacedBy.value(designation.key())) {
            const bool sameEdition = replaced.edition == 0 || designation.edition == 0 ||
                                     replaced.edition == designation.edition;
            const bool listed = std::any_of(out.begin(), out.end(),
                                            [&p = path](const Entry& e) { return e.path == p; });
            if (sameEdition && !listed) {
                const QList<Designation> own = m_own.value(path);
                out.append(Entry{path, m_captions.value(path),
                                 own.isEmpty() ? Designation() : own.front(), 0});
            }
        }
    }
    return out;
}

std::optional<NormCatalog::EditionPair> NormCatalog::comparedEditions(const QString& path) const
{
    const QList<Designation> own = ownOf(path);
    for (const Designation& designation : own) {
        QStringList held; // newest first, each document once; only those chiefly known so
        for (const Entry& entry : editions(designation.key()))
            if (entry.rank == 0 && !held.contains(entry.path))
                held << entry.path;
        const qsizetype at = held.indexOf(path);
        if (held.size() < 2 || at < 0)
            continue;
        if (at == 0)
            return EditionPair{held.at(1), path};
        return EditionPair{path, held.at(at - 1)};
    }
    for (const Entry& entry : replacing(own))
        if (entry.path != path)
            return EditionPair{path, entry.path};
    for (const auto& replacements : m_replacedBy) {
        for (const auto& [replacingPath, replaced] : replacements) {
            if (replacingPath != path)
                continue;
            const std::optional<Entry> older = resolve(replaced);
            if (older && older->path != path)
                return EditionPair{older->path, path};
        }
    }
    return std::nullopt;
}

QList<Designation> NormCatalog::ownOf(const QString& path) const
{
    return m_own.value(path);
}

QList<NormCatalog::Note> NormCatalog::notesFor(const QString& path) const
{
    QList<Note> notes;
    const QList<Designation> own = ownOf(path);
    if (own.isEmpty())
        return notes;
    const Designation& primary = own.front();
    // Only what the library holds is said: it may not hold every edition.
    for (const Entry& entry : editions(primary.key())) {
        if (entry.path != path && primary.edition != 0 &&
            entry.designation.edition > primary.edition) {
            notes.append({QStringLiteral("Есть более новая редакция: "), entry.designation.text()});
            break;
        }
    }
    for (const Entry& entry : replacing(own)) {
        const QString replacing = entry.designation.text();
        const bool told = std::any_of(notes.begin(), notes.end(), [&](const Note& note) {
            return note.designation == replacing;
        });
        if (entry.path != path && !entry.designation.kind.isEmpty() && !told)
            notes.append({QStringLiteral("Заменён: "), replacing});
    }
    return notes;
}
