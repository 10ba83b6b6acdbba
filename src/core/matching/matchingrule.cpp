#include "matching/matchingrule.h"

#include "matching/documentsearch.h"

#include <QFile>
#include <QFileInfo>

bool MatchingRule::FileContainsContext(const QString& path, const QString& context, bool matchCase)
{
    return DocumentSearch(context, matchCase).contains(path);
}

bool MatchingRule::SearchDocument(const QString& path, const QString& context, bool matchCase)
{
    if (!QFileInfo(path).isFile())
        return false;
    return FileContainsContext(path, context, matchCase);
}
