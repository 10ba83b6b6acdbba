#pragma once

#include "matching/matchoptions.h"

#include <QString>
#include <QStringList>

// What the viewer marks in a PDF: the occurrences the search finds in its text, each as
// written there (every form of a word the word-forms mode found, every letter case of a
// context), told once each. The viewer finds them in the pages it shows.
namespace PdfMarks {

// What to mark and how the viewer finds it in a page's text.
struct Found
{
    QStringList texts; // as written in the document
    bool caseSensitive = true;
    // Only where a word begins and ends: whole words, and every word form (each form found
    // is a whole word).
    bool wholeWords = false;
};

// The marks of a search (context and options, as the user set them) in the PDF at path.
// (contexts: the fragments a query marks; in word forms, one query).
Found find(const QString& path, const QStringList& contexts, const MatchOptions& options);

// The distinct occurrences of context in the text of the PDF at path, in their order of
// first appearance; empty when it has none or cannot be read.
QStringList foundTexts(const QString& path, const QStringList& contexts,
                       const MatchOptions& options);

} // namespace PdfMarks
