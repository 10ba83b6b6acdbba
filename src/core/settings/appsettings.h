#pragma once

#include <QString>
#include <QStringList>

// The program's settings file Lectoria/Lectoria.ini: every value it keeps, with its section,
// its key, its type and the value it has while the file holds none. Each call reads or writes
// the file at once; nothing is cached, so two windows never see stale values.
class AppSettings
{
public:
    explicit AppSettings(const QString& iniFileName);

    const QString& fileName() const { return m_fileName; }

    // [TreeView]: the collection shown, the tree's width, the selected node's file at exit.
    bool normativeCollection() const;
    void setNormativeCollection(bool normative) const;
    int treeWidth() const;
    void setTreeWidth(int width) const;
    QString bookmarkFile() const;
    void setBookmarkFile(const QString& path) const;

    // [SortDate]: documents in directory order instead of by caption.
    bool sortByDate() const;
    void setSortByDate(bool byDate) const;

    // [CppWebBrowser]: the index of the chosen zoom in the zoom list.
    int zoomIndex() const;
    void setZoomIndex(int index) const;

    // [Search]: the find options, the highlight colours (0x00BBGGRR), the last context and
    // the find box's history.
    bool wholeWords() const;
    void setWholeWords(bool wholeWords) const;
    bool textMode() const;
    void setTextMode(bool textMode) const;
    // [Copy] LastFolder: where the last copy went; the folder chooser starts there.
    QString copyFolder() const;
    void setCopyFolder(const QString& folder) const;
    // [Search] WordForms: all words of the query in any of their forms.
    bool wordForms() const;
    void setWordForms(bool wordForms) const;
    // [Search] UseIndex: text-mode searches answered from the library's index (on by default).
    bool useIndex() const;
    void setUseIndex(bool useIndex) const;
    bool caseSensitive() const;
    void setCaseSensitive(bool caseSensitive) const;
    quint32 highlightBackColor() const;
    void setHighlightBackColor(quint32 color) const;
    quint32 highlightFontColor() const;
    void setHighlightFontColor(quint32 color) const;
    QString lastContext() const;
    void setLastContext(const QString& context) const;
    // The stored entries in order, blanks trimmed, empty keys skipped.
    QStringList searchHistory() const;
    // Rewrites all twenty history keys; keys beyond the list hold the empty text.
    void setSearchHistory(const QStringList& history) const;

    // [File]: the external documentation directory (empty for the suite's own).
    QString externalDirectory() const;
    void setExternalDirectory(const QString& directory) const;

    // How many entries the find box's history keeps.
    static constexpr int SearchHistorySize = 20;

private:
    QString m_fileName;
};
