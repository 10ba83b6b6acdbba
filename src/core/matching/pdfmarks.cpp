#include "matching/pdfmarks.h"

#include "matching/highlightedcopy.h"
#include "pdf/documentfile.h"

#include <QMap>
#include <QRegularExpression>

QStringList PdfMarks::foundTexts(const QString& path, const QStringList& contexts,
                                 const MatchOptions& options)
{
    DocumentFile file(path);
    QByteArray text;
    if (!file.isOpen() || !file.readRest(text))
        return {};
    MatchOptions asText = options.effective();
    asText.textMode = true; // a PDF is searched by its text in every mode
    const HighlightedCopy::Highlight copy =
        HighlightedCopy::highlight(std::move(text), contexts, asText, "<q>", "</q>");
    // Each occurrence's pieces (one per page it spans), by its number.
    static const QRegularExpression mark(QStringLiteral("<q data-occurrence='(\\d+)'>(.*?)</q>"),
                                         QRegularExpression::DotMatchesEverythingOption);
    QMap<int, QString> occurrences;
    for (auto it = mark.globalMatch(QString::fromUtf8(copy.copy)); it.hasNext();) {
        const QRegularExpressionMatch found = it.next();
        QString& written = occurrences[found.captured(1).toInt()];
        if (!written.isEmpty())
            written += u' ';
        written += found.captured(2);
    }
    QStringList distinct;
    for (QString written : occurrences) {
        written.replace(QStringLiteral("&lt;"), QStringLiteral("<"))
            .replace(QStringLiteral("&amp;"), QStringLiteral("&"))
            .replace(u'\n', u' ');
        if (!distinct.contains(written))
            distinct.append(written);
    }
    return distinct;
}

PdfMarks::Found PdfMarks::find(const QString& path, const QStringList& contexts,
                               const MatchOptions& options)
{
    const MatchOptions effective = options.effective();
    Found found;
    found.texts = foundTexts(path, contexts, effective);
    found.caseSensitive = effective.caseSensitive;
    found.wholeWords = effective.wholeWords || effective.wordForms;
    return found;
}
