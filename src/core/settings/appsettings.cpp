#include "settings/appsettings.h"

#include "search/searchhistory.h"

#include <algorithm>

namespace {

// A key of the settings file: its section, its name and its value while the file holds none.
// Its type is the type of that value: a flag (written 0 or 1), a number or a text.
template <typename Value> struct Key
{
    const char16_t* section;
    const char16_t* name;
    Value fallback;
};
using Text = const char16_t*;

// Every key the program keeps, declared once; the getters and setters below read them here.
constexpr Key<bool> NormativeCollection{u"TreeView", u"NormDocButton", false};
constexpr Key<qint32> TreeWidth{u"TreeView", u"Width", 0};
constexpr Key<Text> BookmarkFile{u"TreeView", u"TekFileName", u""};
constexpr Key<qint32> BookmarkScroll{u"TreeView", u"TekScroll", 0};
constexpr Key<bool> SortByDate{u"SortDate", u"Checked", false};
constexpr Key<qint32> ZoomIndex{u"CppWebBrowser", u"Scale", 0};
constexpr Key<bool> CaseSensitive{u"Search", u"Register", false};
constexpr Key<bool> WholeWords{u"Search", u"WholeWords", false};
constexpr Key<bool> TextMode{u"Search", u"TextMode", false};
constexpr Key<bool> WordForms{u"Search", u"WordForms", false};
constexpr Key<bool> UseIndex{u"Search", u"UseIndex", true};
constexpr Key<bool> ResultDialog{u"Search", u"ResultDialog", true};
constexpr Key<bool> ShowOutline{u"Outline", u"Show", false};
constexpr Key<qint32> BackColor{u"Search", u"BackColor", qint32(AppSettings::DefaultBackColor)};
constexpr Key<qint32> FontColor{u"Search", u"FontColor", qint32(AppSettings::DefaultFontColor)};
constexpr Key<Text> LastContext{u"Search", u"Context", u""};
constexpr Key<Text> CopyFolder{u"Copy", u"LastFolder", u""};
constexpr Key<Text> ExternalDirectory{u"File", u"ExternalDirectory", u""};
// Keys numbered from 1: the find box's history, FindKod_1 the newest.
constexpr Key<Text> SearchHistoryEntry{u"Search", u"FindKod_", u""};
// The favourites: Count, then Path1, Label1, Path2, ...
constexpr Key<qint32> FavoriteCount{u"Favorites", u"Count", 0};
constexpr Key<Text> FavoritePath{u"Favorites", u"Path", u""};
constexpr Key<Text> FavoriteLabel{u"Favorites", u"Label", u""};
// The viewer's tabs: Count and Current (from 1), then Path1, Scroll1, Zoom1, Compared1, ...
constexpr Key<qint32> RecentCount{u"Recent", u"Count", 0};
constexpr Key<Text> RecentPath{u"Recent", u"Path", u""};
constexpr Key<Text> RecentLabel{u"Recent", u"Label", u""};
constexpr Key<qint32> TabCount{u"Tabs", u"Count", 0};
constexpr Key<qint32> CurrentTab{u"Tabs", u"Current", 1};
constexpr Key<Text> TabPath{u"Tabs", u"Path", u""};
constexpr Key<qint32> TabScroll{u"Tabs", u"Scroll", 0};
constexpr Key<qint32> TabZoom{u"Tabs", u"Zoom", 0};
constexpr Key<Text> TabCompared{u"Tabs", u"Compared", u""};

// The settings file's word for "no node".
const QString NoPath = QStringLiteral("0");

template <typename Value> QString nameOf(const Key<Value>& key, int number)
{
    const QString name = QString::fromUtf16(key.name);
    return number > 0 ? name + QString::number(number) : name;
}

template <typename Value>
std::optional<QString> stored(const IniDocument& document, const Key<Value>& key, int number)
{
    return document.value(QString::fromUtf16(key.section), nameOf(key, number));
}

// A value that is present but no number reads as the file's integers are read (its leading
// digits, or 0), not as the fallback: the window has always taken it so.
qint32 read(const IniDocument& document, const Key<qint32>& key, int number = 0)
{
    const std::optional<QString> text = stored(document, key, number);
    return text ? IniFile::integerOf(*text) : key.fallback;
}

bool read(const IniDocument& document, const Key<bool>& key)
{
    const std::optional<QString> text = stored(document, key, 0);
    return text ? IniFile::integerOf(*text) != 0 : key.fallback;
}

QString read(const IniDocument& document, const Key<Text>& key, int number = 0)
{
    return stored(document, key, number).value_or(QString::fromUtf16(key.fallback));
}

IniFile::Value entry(const Key<Text>& key, const QString& text, int number = 0)
{
    return IniFile::Value{QString::fromUtf16(key.section), nameOf(key, number), text};
}

IniFile::Value entry(const Key<qint32>& key, qint32 value, int number = 0)
{
    return IniFile::Value{QString::fromUtf16(key.section), nameOf(key, number),
                          QString::number(value)};
}

IniFile::Value entry(const Key<bool>& key, bool on)
{
    return IniFile::Value{QString::fromUtf16(key.section), nameOf(key, 0), IniFile::textOf(on)};
}

} // namespace

AppSettings::AppSettings(const QString& iniFileName, QObject* parent)
    : QObject(parent), m_fileName(iniFileName)
{
    // A file that cannot be read gives every value its default, as a missing one does.
    if (m_document.load(m_fileName) == IniDocument::LoadResult::Failed)
        m_document = IniDocument();
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
    return read(m_document, NormativeCollection);
}

bool AppSettings::setNormativeCollection(bool normative)
{
    return write({entry(NormativeCollection, normative)});
}

int AppSettings::treeWidth() const
{
    return read(m_document, TreeWidth);
}

bool AppSettings::setTreeWidth(int width)
{
    return write({entry(TreeWidth, width)});
}

QString AppSettings::bookmarkFile() const
{
    const QString path = read(m_document, BookmarkFile);
    return path == NoPath ? QString() : path;
}

bool AppSettings::setBookmarkFile(const QString& path)
{
    return write({entry(BookmarkFile, path.isEmpty() ? NoPath : path)});
}

int AppSettings::bookmarkScroll() const
{
    return std::max(0, read(m_document, BookmarkScroll));
}

bool AppSettings::setBookmark(const QString& path, int scroll)
{
    return write({entry(BookmarkFile, path.isEmpty() ? NoPath : path),
                  entry(BookmarkScroll, std::max(0, scroll))});
}

bool AppSettings::sortByDate() const
{
    return read(m_document, SortByDate);
}

bool AppSettings::setSortByDate(bool byDate)
{
    return write({entry(SortByDate, byDate)});
}

int AppSettings::zoomIndex() const
{
    return read(m_document, ZoomIndex);
}

bool AppSettings::setZoomIndex(int index)
{
    return write({entry(ZoomIndex, index)});
}

MatchOptions AppSettings::matchOptions() const
{
    MatchOptions options;
    options.caseSensitive = read(m_document, CaseSensitive);
    options.wholeWords = read(m_document, WholeWords);
    options.textMode = read(m_document, TextMode);
    options.wordForms = read(m_document, WordForms);
    return options;
}

bool AppSettings::setMatchOptions(const MatchOptions& options)
{
    return write({entry(CaseSensitive, options.caseSensitive),
                  entry(WholeWords, options.wholeWords), entry(TextMode, options.textMode),
                  entry(WordForms, options.wordForms)});
}

bool AppSettings::showOutline() const
{
    return read(m_document, ShowOutline);
}

bool AppSettings::setShowOutline(bool show)
{
    return write({entry(ShowOutline, show)});
}

bool AppSettings::useIndex() const
{
    return read(m_document, UseIndex);
}

bool AppSettings::setUseIndex(bool useIndex)
{
    return write({entry(UseIndex, useIndex)});
}

bool AppSettings::showsResultDialog() const
{
    return read(m_document, ResultDialog);
}

bool AppSettings::setShowsResultDialog(bool shown)
{
    return write({entry(ResultDialog, shown)});
}

quint32 AppSettings::highlightBackColor() const
{
    return quint32(read(m_document, BackColor));
}

bool AppSettings::setHighlightBackColor(quint32 color)
{
    return write({entry(BackColor, qint32(color))});
}

quint32 AppSettings::highlightFontColor() const
{
    return quint32(read(m_document, FontColor));
}

bool AppSettings::setHighlightFontColor(quint32 color)
{
    return write({entry(FontColor, qint32(color))});
}

QString AppSettings::lastContext() const
{
    return read(m_document, LastContext);
}

bool AppSettings::setLastContext(const QString& context)
{
    return write({entry(LastContext, context)});
}

QStringList AppSettings::searchHistory() const
{
    QStringList history;
    for (int n = 1; n <= SearchHistory::Size; ++n) {
        const QString item = read(m_document, SearchHistoryEntry, n);
        if (!item.isEmpty())
            history.append(item.trimmed());
    }
    return history;
}

bool AppSettings::setSearchHistory(const QStringList& history)
{
    QList<IniFile::Value> values;
    for (int n = 1; n <= SearchHistory::Size; ++n)
        values.append(entry(SearchHistoryEntry, history.value(n - 1), n));
    return write(values);
}

QString AppSettings::copyFolder() const
{
    return read(m_document, CopyFolder);
}

bool AppSettings::setCopyFolder(const QString& folder)
{
    return write({entry(CopyFolder, folder)});
}

QString AppSettings::externalDirectory() const
{
    return read(m_document, ExternalDirectory);
}

bool AppSettings::setExternalDirectory(const QString& directory)
{
    return write({entry(ExternalDirectory, directory)});
}

Favorites AppSettings::favorites() const
{
    Favorites favorites;
    const int count = read(m_document, FavoriteCount);
    for (int i = 1; i <= count && i <= 10000; ++i) {
        const QString path = read(m_document, FavoritePath, i);
        if (!path.isEmpty())
            favorites.add(path, read(m_document, FavoriteLabel, i));
    }
    return favorites;
}

bool AppSettings::setFavorites(const Favorites& favorites)
{
    QList<IniFile::Value> values{entry(FavoriteCount, qint32(favorites.size()))};
    for (int i = 0; i < favorites.size(); ++i) {
        const Favorites::Item& item = favorites.items().at(i);
        values.append(entry(FavoritePath, item.path, i + 1));
        values.append(entry(FavoriteLabel, item.label, i + 1));
    }
    return write(values);
}

RecentDocuments AppSettings::recentDocuments() const
{
    RecentDocuments recent;
    const int count = std::min(read(m_document, RecentCount), qint32(RecentDocuments::MaxCount));
    for (int i = 1; i <= count; ++i)
        recent.append(read(m_document, RecentPath, i), read(m_document, RecentLabel, i));
    return recent;
}

bool AppSettings::setRecentDocuments(const RecentDocuments& recent)
{
    QList<IniFile::Value> values{entry(RecentCount, qint32(recent.size()))};
    for (int i = 0; i < recent.size(); ++i) {
        values.append(entry(RecentPath, recent.items().at(i).path, i + 1));
        values.append(entry(RecentLabel, recent.items().at(i).label, i + 1));
    }
    return write(values);
}

QList<AppSettings::KeptTab> AppSettings::keptTabs() const
{
    QList<KeptTab> tabs;
    const int count = std::min(read(m_document, TabCount), qint32(MaxKeptTabs));
    for (int i = 1; i <= count; ++i) {
        const QString path = read(m_document, TabPath, i);
        if (path.isEmpty())
            continue;
        tabs.append({path, std::max(0, read(m_document, TabScroll, i)),
                     std::max(0, read(m_document, TabZoom, i)), read(m_document, TabCompared, i)});
    }
    return tabs;
}

int AppSettings::keptCurrentTab() const
{
    return std::max(0, read(m_document, CurrentTab) - 1);
}

bool AppSettings::setKeptTabs(const QList<KeptTab>& tabs, int current)
{
    const int count = int(std::min<qsizetype>(tabs.size(), MaxKeptTabs));
    const int before = std::min(read(m_document, TabCount), qint32(MaxKeptTabs));
    QList<IniFile::Value> values{entry(TabCount, qint32(count)), entry(CurrentTab, current + 1)};
    for (int i = 0; i < std::max(count, before); ++i) {
        // Keys of tabs closed since are emptied, not left to be read again.
        const KeptTab tab = i < count ? tabs.at(i) : KeptTab{};
        values.append(entry(TabPath, tab.path, i + 1));
        values.append(entry(TabScroll, tab.scroll, i + 1));
        values.append(entry(TabZoom, tab.zoomIndex, i + 1));
        values.append(entry(TabCompared, tab.comparedWith, i + 1));
    }
    return write(values);
}
