#include "librarysearch.h"

#include "documentsearch.h"

namespace {

void keepFound(std::vector<ScanNode>& nodes, const std::vector<char>& found, size_t& next)
{
    std::vector<ScanNode> kept;
    kept.reserve(nodes.size());
    for (ScanNode& node : nodes) {
        if (node.isFolder) {
            keepFound(node.children, found, next);
            kept.push_back(std::move(node));
        } else if (found[next++]) {
            kept.push_back(std::move(node));
        }
    }
    nodes = std::move(kept);
}

} // namespace

LibrarySearchResult LibrarySearch::scan(const QString& dir, const QString& context,
                                        bool caseSensitive, std::atomic<int>* progress)
{
    LibrarySearchResult result;
    result.nodes = LibraryScan::deep(dir);
    QStringList documents;
    LibraryScan::forEachDocument(
        result.nodes, [&](const ScanNode& document) { documents.append(document.path); });
    const std::vector<char> found =
        DocumentSearch(context, caseSensitive).containsAll(documents, progress);
    result.checked = int(documents.size());
    for (const char hit : found)
        result.found += hit ? 1 : 0;
    size_t next = 0;
    keepFound(result.nodes, found, next);
    return result;
}

QString LibrarySearch::trimmedContext(const QString& text)
{
    qsizetype start = 0;
    qsizetype end = text.size();
    while (start < end && text.at(start).unicode() <= 32)
        ++start;
    while (end > start && text.at(end - 1).unicode() <= 32)
        --end;
    return text.mid(start, end - start);
}
