#include "appsettings.h"

#include "inifile.h"

namespace {

// One value of the file: where it lives and what it is while the file holds none.
template <typename T> struct Key
{
    const char16_t* section;
    const char16_t* name;
    T fallback;
};

const Key<bool> NormativeCollection{u"TreeView", u"NormDocButton", false};
const Key<int> TreeWidth{u"TreeView", u"Width", 0};
const Key<QString> BookmarkFile{u"TreeView", u"TekFileName", QString()};
const Key<bool> SortByDate{u"SortDate", u"Checked", false};
const Key<int> ZoomIndex{u"CppWebBrowser", u"Scale", 0};
const Key<bool> WholeWords{u"Search", u"WholeWords", false};
const Key<bool> TextMode{u"Search", u"TextMode", false};
const Key<bool> UseIndex{u"Search", u"UseIndex", true};
const Key<bool> WordForms{u"Search", u"WordForms", false};
const Key<QString> CopyFolder{u"Copy", u"LastFolder", QString()};
const Key<bool> CaseSensitive{u"Search", u"Register", false};
const Key<quint32> HighlightBackColor{u"Search", u"BackColor", 255};
const Key<quint32> HighlightFontColor{u"Search", u"FontColor", 0xFFFFFF};
const Key<QString> LastContext{u"Search", u"Context", QString()};
const Key<QString> ExternalDirectory{u"File", u"ExternalDirectory", QString()};

// The history's keys are numbered from 1: FindKod_1 is the newest entry.
const QString SearchSection = QStringLiteral("Search");
QString historyKey(int number)
{
    return QStringLiteral("FindKod_") + QString::number(number);
}

template <typename T> QString sectionOf(const Key<T>& key)
{
    return QString::fromUtf16(key.section);
}

template <typename T> QString nameOf(const Key<T>& key)
{
    return QString::fromUtf16(key.name);
}

QString read(const QString& file, const Key<QString>& key)
{
    QString text;
    double d;
    qint32 i;
    bool b;
    const bool found = IniFile().readParameter(file, sectionOf(key), nameOf(key), IniFile::TextType,
                                               text, d, i, b, false);
    return found ? text : key.fallback;
}

// A value that is present but no number reads as IniFile reads it (its leading digits, or
// 0), not as the fallback: the window has always taken it so.
qint32 readInteger(const QString& file, const QString& section, const QString& name,
                   qint32 fallback)
{
    bool found = false;
    const qint32 value = IniFile().readInt(file, section, name, &found);
    return found ? value : fallback;
}

int read(const QString& file, const Key<int>& key)
{
    return readInteger(file, sectionOf(key), nameOf(key), key.fallback);
}

quint32 read(const QString& file, const Key<quint32>& key)
{
    return static_cast<quint32>(
        readInteger(file, sectionOf(key), nameOf(key), static_cast<qint32>(key.fallback)));
}

bool read(const QString& file, const Key<bool>& key)
{
    const qint32 missing = key.fallback ? 1 : 0;
    return readInteger(file, sectionOf(key), nameOf(key), missing) != 0;
}

void write(const QString& file, const Key<QString>& key, const QString& value)
{
    IniFile().writeText(file, sectionOf(key), nameOf(key), value);
}

void write(const QString& file, const Key<int>& key, int value)
{
    IniFile().writeInt(file, sectionOf(key), nameOf(key), value);
}

void write(const QString& file, const Key<quint32>& key, quint32 value)
{
    IniFile().writeInt(file, sectionOf(key), nameOf(key), static_cast<qint32>(value));
}

void write(const QString& file, const Key<bool>& key, bool value)
{
    IniFile().writeBool(file, sectionOf(key), nameOf(key), value);
}

} // namespace

AppSettings::AppSettings(const QString& iniFileName) : m_fileName(iniFileName) {}

bool AppSettings::normativeCollection() const
{
    return read(m_fileName, NormativeCollection);
}

void AppSettings::setNormativeCollection(bool normative) const
{
    write(m_fileName, NormativeCollection, normative);
}

int AppSettings::treeWidth() const
{
    return read(m_fileName, TreeWidth);
}

void AppSettings::setTreeWidth(int width) const
{
    write(m_fileName, TreeWidth, width);
}

QString AppSettings::bookmarkFile() const
{
    return read(m_fileName, BookmarkFile);
}

void AppSettings::setBookmarkFile(const QString& path) const
{
    write(m_fileName, BookmarkFile, path);
}

bool AppSettings::sortByDate() const
{
    return read(m_fileName, SortByDate);
}

void AppSettings::setSortByDate(bool byDate) const
{
    write(m_fileName, SortByDate, byDate);
}

int AppSettings::zoomIndex() const
{
    return read(m_fileName, ZoomIndex);
}

void AppSettings::setZoomIndex(int index) const
{
    write(m_fileName, ZoomIndex, index);
}

bool AppSettings::wholeWords() const
{
    return read(m_fileName, WholeWords);
}

void AppSettings::setWholeWords(bool wholeWords) const
{
    write(m_fileName, WholeWords, wholeWords);
}

bool AppSettings::textMode() const
{
    return read(m_fileName, TextMode);
}

void AppSettings::setTextMode(bool textMode) const
{
    write(m_fileName, TextMode, textMode);
}

QString AppSettings::copyFolder() const
{
    return read(m_fileName, CopyFolder);
}

void AppSettings::setCopyFolder(const QString& folder) const
{
    write(m_fileName, CopyFolder, folder);
}

bool AppSettings::wordForms() const
{
    return read(m_fileName, WordForms);
}

void AppSettings::setWordForms(bool wordForms) const
{
    write(m_fileName, WordForms, wordForms);
}

bool AppSettings::useIndex() const
{
    return read(m_fileName, UseIndex);
}

void AppSettings::setUseIndex(bool useIndex) const
{
    write(m_fileName, UseIndex, useIndex);
}

bool AppSettings::caseSensitive() const
{
    return read(m_fileName, CaseSensitive);
}

void AppSettings::setCaseSensitive(bool caseSensitive) const
{
    write(m_fileName, CaseSensitive, caseSensitive);
}

quint32 AppSettings::highlightBackColor() const
{
    return read(m_fileName, HighlightBackColor);
}

void AppSettings::setHighlightBackColor(quint32 color) const
{
    write(m_fileName, HighlightBackColor, color);
}

quint32 AppSettings::highlightFontColor() const
{
    return read(m_fileName, HighlightFontColor);
}

void AppSettings::setHighlightFontColor(quint32 color) const
{
    write(m_fileName, HighlightFontColor, color);
}

QString AppSettings::lastContext() const
{
    return read(m_fileName, LastContext);
}

void AppSettings::setLastContext(const QString& context) const
{
    write(m_fileName, LastContext, context);
}

QStringList AppSettings::searchHistory() const
{
    const IniFile ini{};
    QStringList history;
    for (int n = 1; n <= SearchHistorySize; ++n) {
        const QString entry = ini.readText(m_fileName, SearchSection, historyKey(n));
        if (!entry.isEmpty())
            history.append(entry.trimmed());
    }
    return history;
}

void AppSettings::setSearchHistory(const QStringList& history) const
{
    const IniFile ini{};
    for (int n = 1; n <= SearchHistorySize; ++n)
        ini.writeText(m_fileName, SearchSection, historyKey(n), history.value(n - 1));
}

QString AppSettings::externalDirectory() const
{
    return read(m_fileName, ExternalDirectory);
}

void AppSettings::setExternalDirectory(const QString& directory) const
{
    write(m_fileName, ExternalDirectory, directory);
}
