#include "search/founddocument.h"

#include "library/documentlayout.h"
#include "matching/highlightedcopy.h"
#include "platform/platform.h"
#include "search/searchjob.h"

#include <QByteArray>

QStringList FoundDocument::captionsBelow(const SearchRequest& request, const QString& path)
{
    if (!request.document.isEmpty())
        return {};
    for (qsizetype i = 0; i < request.folders.size(); ++i) {
        const QString& folder = request.folders.at(i);
        // The scan joins every name on with one separator (DocumentLayout::joinPath).
        const QString start = DocumentLayout::joinPath(folder, QString());
        if (!path.startsWith(start))
            continue;
        QStringList captions;
        if (i < request.folderCaptions.size())
            captions.append(request.folderCaptions.at(i));
        const QStringList names = path.mid(start.size()).split(u'/');
        for (qsizetype n = 0; n + 1 < names.size(); ++n)
            captions.append(Platform::displayName(names.at(n)));
        captions.append(DocumentLayout::documentCaption(names.last()));
        return captions;
    }
    return {DocumentLayout::documentCaption(path.mid(path.lastIndexOf(u'/') + 1))};
}

FoundDocument::Summary FoundDocument::summarize(const QString& path, const QStringList& marked,
                                                const MatchOptions& options)
{
    Summary summary;
    const HighlightedCopy::Highlight found = HighlightedCopy::summary(path, marked, options);
    summary.readable = found.readable;
    summary.marked = found.marked;
    summary.inMarkup = found.inMarkup;
    summary.before = found.snippetBefore;
    summary.match = found.snippetMatch;
    summary.after = found.snippetAfter;
    summary.page = found.page;
    return summary;
}
