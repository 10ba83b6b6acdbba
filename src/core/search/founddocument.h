#pragma once

#include "matching/matchoptions.h"

#include <QString>
#include <QStringList>

struct SearchRequest;

// What the result list of a search tells of one found document, decided without a window.
namespace FoundDocument {

// The captions of a found document's place below what the search looked through, as the
// tree captions it: the folder's own caption when the request gives one, then the names of
// the folders on the way and the document's caption. Empty for the request's lone document.
QStringList captionsBelow(const SearchRequest& request, const QString& path);

struct Summary
{
    bool readable = false;
    int marked = 0;   // occurrences in the text, as the highlighted copy marks them
    int inMarkup = 0; // occurrences left alone in the markup
    // A line of the text around the first marked occurrence.
    QString before;
    QString match;
    QString after;
    // For a PDF, the page of the first occurrence (from 1); 0 for any other document.
    int page = 0;
};
// Reads the document again and counts its occurrences as its highlighted copy does.
// (marked: the contexts a search marks; in word forms, one query).
Summary summarize(const QString& path, const QStringList& marked, const MatchOptions& options);

} // namespace FoundDocument
