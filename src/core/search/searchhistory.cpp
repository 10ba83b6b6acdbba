#include "searchhistory.h"

#include "appsettings.h"

static_assert(SearchHistory::Size == AppSettings::SearchHistorySize,
              "the find box keeps as many entries as the settings file holds");

QStringList SearchHistory::load(const QString& iniFileName)
{
    return AppSettings(iniFileName).searchHistory();
}

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

void SearchHistory::store(const QString& iniFileName, const QStringList& history)
{
    AppSettings(iniFileName).setSearchHistory(history);
}
