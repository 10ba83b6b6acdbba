#include "search/searchhistory.h"

QStringList SearchHistory::added(const QStringList& history, const QString& text)
{
    if (text.trimmed().isEmpty())
        return history;
    QStringList result = history;
    result.removeAll(text);
    while (result.size() >= Size)
        result.removeLast();
    result.prepend(text);
    return result;
}
