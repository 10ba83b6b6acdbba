#pragma once

#include "matching/matchoptions.h"

#include <QByteArray>
#include <QString>
#include <QStringList>

#include <utility>

// The highlighted copy of a document: every occurrence of the context wrapped in a coloured
// span, written as NormDoc.htm into the highlighting working directory with the document's
// picture folder beside it, so the document's own links still resolve. The source document
// is never changed. Occurrences are found by the search's matching rule, in the encoding the
// document declares; only those that lie wholly in the document's text are marked, so the
// copy never breaks a tag, a comment, a style sheet or a character reference. In text mode
// every piece of text an occurrence covers gets its own mark, numbered by the occurrence
// (data-occurrence), and the copy keeps the document's line ends. Several contexts may be
// marked at once (the fragments a query looks for): each occurrence of any of them, left to
// right, none overlapping the one marked before it.
class HighlightedCopy
{
public:
    // The colours of a mark unless the user chose others (0x00BBGGRR): white letters on red.
    static constexpr quint32 DefaultBackColor = 0x0000FF;
    static constexpr quint32 DefaultFontColor = 0xFFFFFF;

    // Prepares (empties) the working directory and the paths; slot: the viewer's
    // (UserWorkDir::highlightWorkDir).
    HighlightedCopy(const QString& documentPath, const QStringList& contexts, int slot = 0);
    HighlightedCopy(const QString& documentPath, const QString& context, int slot = 0)
        : HighlightedCopy(documentPath, QStringList{context}, slot)
    {
    }
    ~HighlightedCopy();
    HighlightedCopy(const HighlightedCopy&) = delete;
    HighlightedCopy& operator=(const HighlightedCopy&) = delete;

    void setColors(quint32 fontColor, quint32 backColor);
    void setOptions(const MatchOptions& options) { m_options = options; }
    // Whether the destructor removes the copy and its picture folder.
    void setDeleteOnDestroy(bool remove) { m_deleteOnDestroy = remove; }
    // Writes the highlighted copy and copies the picture folder; false when the document
    // cannot be read or the copy cannot be written.
    bool write();
    // After write: the occurrences marked, and those left alone in the markup.
    int markedCount() const { return m_markedCount; }
    int inMarkupCount() const { return m_inMarkupCount; }
    void deleteWorkFiles();

    QString workFileName() const { return m_workFileName; }
    QString workDir() const { return m_workDir; }
    QString openTag() const { return m_openTag; }
    QString closeTag() const { return m_closeTag; }

    // The RRGGBB digits of a colour held as 0x00BBGGRR; a system colour reference (high bit
    // set) is resolved to the colour it stands for first.
    static QString styleColor(quint32 color);
    // The 0x00BBGGRR value a colour stands for (system colour references resolved).
    static quint32 resolvedColor(quint32 color);
    // The highlighted text of a document's raw bytes: its lines joined with CR LF and each
    // occurrence wrapped (text inserted is never scanned again), in the encoding decided on
    // the raw bytes, as the search decides it.
    static QByteArray highlighted(const QByteArray& rawText, const QString& context,
                                  bool caseSensitive, const QByteArray& openTag,
                                  const QByteArray& closeTag);

    struct Highlight
    {
        bool readable = true;
        QByteArray copy;
        int marked = 0;
        int inMarkup = 0;
        // A line of the text around the first marked occurrence: before, the occurrence, after.
        QString snippetBefore;
        QString snippetMatch;
        QString snippetAfter;
        // Where the first marked occurrence begins, in the document's units; -1 without one.
        qsizetype firstUnit = -1;
        // For a PDF (summary only), the page the first occurrence is on, from 1; else 0.
        int page = 0;
    };
    // The highlighted copy of a document's raw bytes by the options (tags in ASCII; written
    // in the document's encoding), read in pieces: the memory needed is the document and its
    // copy (the copy is left empty unless writeCopy), not the document many times over.
    // In word forms the contexts are read as one query, their words all looked for.
    static Highlight highlight(QByteArray rawText, const QStringList& contexts,
                               const MatchOptions& options, const QByteArray& openTag,
                               const QByteArray& closeTag, bool writeCopy = true);
    static Highlight highlight(QByteArray rawText, const QString& context,
                               const MatchOptions& options, const QByteArray& openTag,
                               const QByteArray& closeTag, bool writeCopy = true)
    {
        return highlight(std::move(rawText), QStringList{context}, options, openTag, closeTag,
                         writeCopy);
    }
    // What the highlighted copy of a document would count and show as its line, without the
    // copy; the text of a document is read in pieces, the raw text whole.
    static Highlight summary(const QString& path, const QStringList& contexts,
                             const MatchOptions& options);
    static Highlight summary(const QString& path, const QString& context,
                             const MatchOptions& options)
    {
        return summary(path, QStringList{context}, options);
    }

private:
    void prepareWorkDir(const QString& documentPath, int slot);

    QString m_documentPath;
    QString m_documentFilesDir;
    QString m_workFileName;
    QString m_workDir;
    QString m_workFilesDir;
    QStringList m_contexts;
    QString m_openTag;
    QString m_closeTag;
    bool m_deleteOnDestroy = false;
    MatchOptions m_options;
    int m_markedCount = 0;
    int m_inMarkupCount = 0;
};
