#include "settings/appsettings.h"

#include "search/searchhistory.h"

#include <algorithm>

namespace {

// The settings file's word for "no node".
const QString NoPath = QStringLiteral("0");

const char16_t* const TreeView = u"TreeView";
const char16_t* const Search = u"Search";

IniFile::Value value(const char16_t* section, const char16_t* key, const QString& text)
{
    return IniFile::Value{QString::fromUtf16(section), QString::fromUtf16(key), text};
}

IniFile::Value value(const char16_t* section, const char16_t* key, qint32 number)
{
    return value(section, key, QString::number(number));
}

IniFile::Value flag(const char16_t* section, const char16_t* key, bool on)
{
    return value(section, key, IniFile::textOf(on));
}

QString historyKey(int number)
{
    return QStringLiteral("FindKod_") + QString::number(number);
}

} // namespace

AppSettings::AppSettings(const QString& iniFileName, QObject* parent)
    : QObject(parent), m_fileName(iniFileName)
{
    // A file that cannot be read gives every value its default, as a missing one does.
    if (m_document.load(m_fileName) == IniDocument::LoadResult::Failed)
        m_document = IniDocument();
}

QString AppSettings::text(const char16_t* section, const char16_t* key,
                          const QString& fallback) const
{
    return m_document.value(QString::fromUtf16(section), QString::fromUtf16(key))
        .value_or(fallback);
}

// A value that is present but no number reads as the file's integers are read (its leading
// digits, or 0), not as the fallback: the window has always taken it so.
qint32 AppSettings::integer(const char16_t* section, const char16_t* key, qint32 fallback) const
{
    const auto stored = m_document.value(QString::fromUtf16(section), QString::fromUtf16(key));
    return stored ? IniFile::integerOf(*stored) : fallback;
}

bool AppSettings::write(const QList<IniFile::Value>& values)
{
    for (const IniFile::Value& value : values)
        m_document.setValue(value.section, value.key, value.text);
    const bool written = IniFile().writeValues(m_fileName, values);
    emit changed();
    return written;
}

bool AppSettings::normativeCollection() const
{
    return integer(TreeView, u"NormDocButton", 0) != 0;
}

bool AppSettings::setNormativeCollection(bool normative)
{
    return write({flag(TreeView, u"NormDocButton", normative)});
}

int AppSettings::treeWidth() const
{
    return integer(TreeView, u"Width", 0);
}

bool AppSettings::setTreeWidth(int width)
{
    return write({value(TreeView, u"Width", width)});
}

QString AppSettings::bookmarkFile() const
{
    const QString path = text(TreeView, u"TekFileName", QString());
    return path == NoPath ? QString() : path;
}

bool AppSettings::setBookmarkFile(const QString& path)
{
    return write({value(TreeView, u"TekFileName", path.isEmpty() ? NoPath : path)});
}

int AppSettings::bookmarkScroll() const
{
    return std::max(0, integer(TreeView, u"TekScroll", 0));
}

bool AppSettings::setBookmark(const QString& path, int scroll)
{
    return write({value(TreeView, u"TekFileName", path.isEmpty() ? NoPath : path),
                  value(TreeView, u"TekScroll", std::max(0, scroll))});
}

bool AppSettings::sortByDate() const
{
    return integer(u"SortDate", u"Checked", 0) != 0;
}

bool AppSettings::setSortByDate(bool byDate)
{
    return write({flag(u"SortDate", u"Checked", byDate)});
}

int AppSettings::zoomIndex() const
{
    return integer(u"CppWebBrowser", u"Scale", 0);
}

bool AppSettings::setZoomIndex(int index)
{
    return write({value(u"CppWebBrowser", u"Scale", index)});
}

MatchOptions AppSettings::matchOptions() const
{
    MatchOptions options;
    options.caseSensitive = integer(Search, u"Register", 0) != 0;
    options.wholeWords = integer(Search, u"WholeWords", 0) != 0;
    options.textMode = integer(Search, u"TextMode", 0) != 0;
    options.wordForms = integer(Search, u"WordForms", 0) != 0;
    return options;
}

bool AppSettings::setMatchOptions(const MatchOptions& options)
{
    return write({flag(Search, u"Register", options.caseSensitive),
                  flag(Search, u"WholeWords", options.wholeWords),
                  flag(Search, u"TextMode", options.textMode),
                  flag(Search, u"WordForms", options.wordForms)});
}

bool AppSettings::useIndex() const
{
    return integer(Search, u"UseIndex", 1) != 0;
}

bool AppSettings::setUseIndex(bool useIndex)
{
    return write({flag(Search, u"UseIndex", useIndex)});
}

quint32 AppSettings::highlightBackColor() const
{
    return quint32(integer(Search, u"BackColor", qint32(DefaultBackColor)));
}

bool AppSettings::setHighlightBackColor(quint32 color)
{
    return write({value(Search, u"BackColor", qint32(color))});
}

quint32 AppSettings::highlightFontColor() const
{
    return quint32(integer(Search, u"FontColor", qint32(DefaultFontColor)));
}

bool AppSettings::setHighlightFontColor(quint32 color)
{
    return write({value(Search, u"FontColor", qint32(color))});
}

QString AppSettings::lastContext() const
{
    return text(Search, u"Context", QString());
}

bool AppSettings::setLastContext(const QString& context)
{
    return write({value(Search, u"Context", context)});
}

QStringList AppSettings::searchHistory() const
{
    QStringList history;
    for (int n = 1; n <= SearchHistory::Size; ++n) {
        const QString entry =
            m_document.value(QString::fromUtf16(Search), historyKey(n)).value_or(QString());
        if (!entry.isEmpty())
            history.append(entry.trimmed());
    }
    return history;
}

bool AppSettings::setSearchHistory(const QStringList& history)
{
    QList<IniFile::Value> values;
    for (int n = 1; n <= SearchHistory::Size; ++n)
        values.append(
            IniFile::Value{QString::fromUtf16(Search), historyKey(n), history.value(n - 1)});
    return write(values);
}

QString AppSettings::copyFolder() const
{
    return text(u"Copy", u"LastFolder", QString());
}

bool AppSettings::setCopyFolder(const QString& folder)
{
    return write({value(u"Copy", u"LastFolder", folder)});
}

QString AppSettings::externalDirectory() const
{
    return text(u"File", u"ExternalDirectory", QString());
}

bool AppSettings::setExternalDirectory(const QString& directory)
{
    return write({value(u"File", u"ExternalDirectory", directory)});
}

Favorites AppSettings::favorites() const
{
    const QString section = QStringLiteral("Favorites");
    const auto entry = [&](const QString& key) {
        return m_document.value(section, key).value_or(QString());
    };
    Favorites favorites;
    const int count = IniFile::integerOf(entry(QStringLiteral("Count")));
    for (int i = 1; i <= count && i <= 10000; ++i) {
        const QString path = entry(QStringLiteral("Path%1").arg(i));
        if (!path.isEmpty())
            favorites.add(path, entry(QStringLiteral("Label%1").arg(i)));
    }
    return favorites;
}

bool AppSettings::setFavorites(const Favorites& favorites)
{
    const QString section = QStringLiteral("Favorites");
    QList<IniFile::Value> values{
        IniFile::Value{section, QStringLiteral("Count"), QString::number(favorites.size())}};
    for (int i = 0; i < favorites.size(); ++i) {
        const Favorites::Item& item = favorites.items().at(i);
        values.append(IniFile::Value{section, QStringLiteral("Path%1").arg(i + 1), item.path});
        values.append(IniFile::Value{section, QStringLiteral("Label%1").arg(i + 1), item.label});
    }
    return write(values);
}
