#include "searchhistory.h"

#include "settingskeys.h"
#include "winifile.h"

QStringList SearchHistory::load(const QString& iniFileName)
{
    const WIniFile ini;
    QStringList history;
    for (int n = 1; n <= Size; ++n) {
        const QString entry =
            ini.readText(iniFileName, SettingsKeys::Search, SettingsKeys::findKod(n));
        if (!entry.isEmpty())
            history.append(entry.trimmed());
    }
    return history;
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
    const WIniFile ini;
    for (int n = 1; n <= Size; ++n)
        ini.writeText(iniFileName, SettingsKeys::Search, SettingsKeys::findKod(n),
                      history.value(n - 1));
}
