#include "norms/citationsearch.h"

#include "norms/documentnorms.h"

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
    return norms->cites(m_cited);
}
