#include "norms/citationsearch.h"

#include "norms/designationrule.h"
#include "norms/documentnorms.h"
#include "norms/partreferences.h"

bool CitationSearch::cites(const QString& path, const std::atomic<bool>* cancel,
                           bool* unreadable) const
{
    const std::optional<DocumentNorms> norms =
        DocumentNorms::ofFile(path, {DocumentNorms::fileNameOf(path)}, cancel);
    if (!norms) {
        if (unreadable && !(cancel && cancel->load(std::memory_order_relaxed)))
            *unreadable = true;
        return false;
    }
    return m_part ? norms->citesPart(m_cited, *m_part) : norms->cites(m_cited);
}

std::optional<CitationSearch> CitationSearch::parse(const QString& text)
{
    const Designation whole = DesignationRule::parse(text);
    if (!whole.kind.isEmpty())
        return CitationSearch(whole);
    const QList<Designation> named = DesignationRule::find(text);
    if (named.size() != 1)
        return std::nullopt;
    const std::vector<PartReference> references = PartReferences::find(text, 0, named);
    if (references.size() != 1 || references.front().designation != 0)
        return std::nullopt;
    // Nothing else stands beside the two; the later is taken out first.
    const PartReference& reference = references.front();
    std::pair<qsizetype, qsizetype> spans[] = {{reference.begin, reference.end},
                                               {named.front().begin, named.front().end}};
    if (spans[0].first < spans[1].first)
        std::swap(spans[0], spans[1]);
    QString outside = text;
    for (const auto& [begin, end] : spans)
        outside.remove(begin, end - begin);
    for (const QChar c : outside)
        if (!c.isSpace() && c != u',' && c != u'.' && c != u'(' && c != u')')
            return std::nullopt;
    return CitationSearch(named.front(), reference.address);
}
