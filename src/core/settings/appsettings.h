#pragma once

#include "library/favorites.h"
#include "library/recentdocuments.h"
#include "matching/highlightedcopy.h"
#include "matching/matchoptions.h"
#include "settings/inidocument.h"
#include "settings/inifile.h"

#include <QObject>
#include <QString>
#include <QStringList>

// The program's settings file Lectoria/Lectoria.ini: every value it keeps, with its section,
// its key, its type and the value it has while the file holds none. The file is read once,
// when the object is made; the program keeps one object, and every part reads and changes
// its values through it, so a change made by one part is what the others see. A change is
// written to the file at once (other keys, and keys of other programs, kept); when it cannot
// be written, the setter says so and the value still holds for this run.
class AppSettings final : public QObject
{
    Q_OBJECT
public:
    explicit AppSettings(const QString& iniFileName, QObject* parent = nullptr);

    const QString& fileName() const { return m_fileName; }

    // The highlight colours (0x00BBGGRR) while the file holds none: white letters on red.
    static constexpr quint32 DefaultBackColor = HighlightedCopy::DefaultBackColor;
    static constexpr quint32 DefaultFontColor = HighlightedCopy::DefaultFontColor;

    // [TreeView]: the collection shown, the tree's width, the node shown at exit (empty for
    // none: the file's "0").
    bool normativeCollection() const;
    bool setNormativeCollection(bool normative);
    int treeWidth() const;
    bool setTreeWidth(int width);
    QString bookmarkFile() const;
    bool setBookmarkFile(const QString& path);
    // Where the node shown at exit was scrolled to, in pixels from its top (0: its top).
    int bookmarkScroll() const;
    // The node shown at exit and its scroll position, written as one change.
    bool setBookmark(const QString& path, int scroll);

    // [SortDate]: documents in directory order instead of by caption.
    bool sortByDate() const;
    bool setSortByDate(bool byDate);

    // [CppWebBrowser]: the index of the chosen zoom in the zoom list.
    int zoomIndex() const;
    bool setZoomIndex(int index);

    // [Search]: the find options (Register, WholeWords, TextMode, WordForms) as one value.
    MatchOptions matchOptions() const;
    bool setMatchOptions(const MatchOptions& options);
    // [Search] UseIndex: text-mode searches answered from the library's index (on by default).
    bool useIndex() const;
    bool setUseIndex(bool useIndex);
    // [Search] ResultDialog: the window "Результаты поиска" after every search (on by
    // default); off, the result list's line carries its counts and offers.
    bool showsResultDialog() const;
    bool setShowsResultDialog(bool shown);
    quint32 highlightBackColor() const;
    bool setHighlightBackColor(quint32 color);
    quint32 highlightFontColor() const;
    bool setHighlightFontColor(quint32 color);
    QString lastContext() const;
    bool setLastContext(const QString& context);
    // The find box's history (FindKod_1 the newest): the stored entries in order, blanks
    // trimmed, empty keys skipped.
    QStringList searchHistory() const;
    // Rewrites all the history's keys; keys beyond the list hold the empty text.
    bool setSearchHistory(const QStringList& history);

    // [Outline] Show: whether the panel "Содержание" is shown (hidden by default).
    bool showOutline() const;
    bool setShowOutline(bool show);

    // [Copy] LastFolder: where the last copy went; the folder chooser starts there.
    QString copyFolder() const;
    bool setCopyFolder(const QString& folder);

    // [File]: the external documentation directory (empty for the suite's own).
    QString externalDirectory() const;
    bool setExternalDirectory(const QString& directory);

    // [Favorites]: Count, then Path1, Label1, Path2, ... in the reader's order.
    Favorites favorites() const;
    bool setFavorites(const Favorites& favorites);
    // [Recent]: Count, then Path1, Label1, ... newest first.
    RecentDocuments recentDocuments() const;
    bool setRecentDocuments(const RecentDocuments& recent);

    // [Tabs]: the viewer's tabs at exit, in order, and the current one (from 0). A tab shows a
    // document or folder at a scroll position and zoom (an index of the zoom list); a
    // comparison's tab shows path (the newer edition) compared with comparedWith.
    struct KeptTab
    {
        QString path;
        int scroll = 0;
        int zoomIndex = 0;
        QString comparedWith;
    };
    static constexpr int MaxKeptTabs = 30;
    QList<KeptTab> keptTabs() const;
    int keptCurrentTab() const;
    bool setKeptTabs(const QList<KeptTab>& tabs, int current);

signals:
    // A value was changed through this object.
    void changed();

private:
    // Keeps the values and writes them to the file as one change.
    bool write(const QList<IniFile::Value>& values);

    QString m_fileName;
    IniDocument m_document; // the file as read, with the changes made since
};
