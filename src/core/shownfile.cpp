#include "shownfile.h"

#include "documentlayout.h"
#include "platform.h"

QString ShownFile::forNode(NodeKind kind, const QString& path, bool searchMode,
                           const HighlightedCopy& highlightedCopy)
{
    switch (kind) {
    case NodeKind::Folder:
        // The folder's own page; a folder name with dots is kept whole ("Раздел 1.2").
        return DocumentLayout::folderPagePath(path);
    case NodeKind::Document:
        if (searchMode && highlightedCopy && Platform::isFile(path)) {
            const QString copy = highlightedCopy(path);
            if (!copy.isEmpty())
                return copy;
        }
        return path;
    case NodeKind::None:
        break;
    }
    return {};
}
