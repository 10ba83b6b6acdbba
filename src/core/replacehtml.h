#pragma once

#include "matchoptions.h"

#include <QByteArray>
#include <QString>

// The highlighted copy of a document: every occurrence of the context wrapped in a coloured
// span, written as NormDoc.htm into the highlighting working directory with the document's
// picture folder beside it, so the document's own links still resolve. The source document
// is never changed. Occurrences are found by the search's matching rule, in the encoding the
// document declares; only those that lie wholly in the document's text are marked, so the
// copy never breaks a tag, a comment, a style sheet or a character reference. In text mode
// every piece of text an occurrence covers gets its own mark, numbered by the occurrence
// (data-occurrence), and the copy keeps the document's line ends.
class ReplaceHTML_t
{
public:
    // Prepares (empties) the working directory and the paths.
    ReplaceHTML_t(const QString& documentPath, const QString& context);
    ~ReplaceHTML_t();
    ReplaceHTML_t(const ReplaceHTML_t&) = delete;
    ReplaceHTML_t& operator=(const ReplaceHTML_t&) = delete;

    QString DocumentPath;
    QString DocumentFilesDir;
    QString WorkFileName;
    QString WorkDir;
    QString WorkFilesDir;
    QString Context;
    QString OpenTag;
    QString CloseTag;
    bool DeleteOnDestroy = false;
    quint32 FontColor = 0xFFFFFF;
    quint32 BackColor = 255;
    bool CaseSensitive = false;
    bool WholeWords = false;
    // Occurrences are those of the text as the reader sees it (see DocumentText); each piece
    // of text an occurrence covers gets its own mark.
    bool TextMode = false;

    void PrepareWorkDir(const QString& documentPath);
    void SetColors(quint32 fontColor, quint32 backColor);
    // Writes the highlighted copy and copies the picture folder; false when the document
    // cannot be read or the copy cannot be written.
    bool HighlightContext();
    // After HighlightContext: the occurrences marked, and those left alone in the markup.
    int MarkedCount = 0;
    int InMarkupCount = 0;
    void DeleteWorkFiles();

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
        QByteArray copy;
        int marked = 0;
        int inMarkup = 0;
        // A line of the text around the first marked occurrence: before, the occurrence, after.
        QString snippetBefore;
        QString snippetMatch;
        QString snippetAfter;
    };
    // The highlighted copy of a document's raw bytes by the options (tags in ASCII; written
    // in the document's encoding).
    static Highlight highlight(const QByteArray& rawText, const QString& context,
                               const MatchOptions& options, const QByteArray& openTag,
                               const QByteArray& closeTag);
};
