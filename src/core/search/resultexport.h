#pragma once

#include <QByteArray>
#include <QDateTime>
#include <QList>
#include <QString>

// The found documents of a search written out to be taken away: a CSV table as a Russian
// spreadsheet opens it (UTF-8 with a byte-order mark, ";" between fields), an HTML report,
// JSON (an object per document, a line each) and tab-separated text for the clipboard.
namespace ResultExport {

struct Row
{
    QString caption; // in the tree, with the folders above it: "Своды правил->СП 48…"
    QString path;    // the document's file
    QString designation;   // of the document, from its caption; empty without one
    int occurrences = -1;  // -1: not counted (yet)
    double relevance = -1; // word forms: 0-100; -1 in the other modes
    int page = 0;          // a PDF's page of the line, from 1; 0 otherwise
    QString snippet;       // the line around the first occurrence
};

// What the report says of the search above its rows.
struct Search
{
    QString query;   // as typed
    QString reading; // how a query with operators was read; empty for a plain one
    QString mode; // "в тексте документов", "слова в любой форме", ...
    QString scope; // "во всей коллекции", "в папке «…»", "в найденном: …"
    QString freshness; // "по индексу, проверено 312 документов"
    QDateTime when;
};

// The folder part of a caption: the captions above the document's own.
QString folderOf(const QString& caption);
// The designation of a document by its caption, or empty.
QString designationOf(const QString& caption);

QByteArray csv(const QList<Row>& rows);
QByteArray html(const Search& search, const QList<Row>& rows);
QByteArray json(const QList<Row>& rows);
QString tabSeparated(const QList<Row>& rows);

} // namespace ResultExport
