#pragma once

#include "matchoptions.h"

#include <QString>
#include <QStringList>

// What the viewer marks in a PDF: the occurrences the search finds in its text, each as
// written there (every form of a word the word-forms mode found, every letter case of a
// context), told once each. The viewer finds them in the pages it shows.
namespace PdfMarks {

// The distinct occurrences of context in the text of the PDF at path, in their order of
// first appearance; empty when it has none or cannot be read.
QStringList foundTexts(const QString& path, const QString& context, const MatchOptions& options);

} // namespace PdfMarks
