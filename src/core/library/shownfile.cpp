#include "library/shownfile.h"

#include "library/documentlayout.h"
#include "platform/platform.h"

QString ShownFile::forNode(NodeKind kind, const QString& path, bool searchMode,
                           const CopyMaker& makeCopy)
{
    switch (kind) {
    case NodeKind::Folder:
        // The folder's own page; a folder name with dots is kept whole ("Раздел 1.2").
        return DocumentLayout::folderPagePath(path);
    case NodeKind::Document:
        if (searchMode && makeCopy && Platform::isFile(path)) {
            const QString copy = makeCopy(path);
            if (!copy.isEmpty())
                return copy;
        }
        return path;
    case NodeKind::None:
        break;
    }
    return {};
}
