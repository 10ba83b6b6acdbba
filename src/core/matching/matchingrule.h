#pragma once

#include <QString>

// The matching rule: a context is found in a document when it occurs as a contiguous run
// of characters in the document's raw text, lines joined with CR LF, both sides folded to
// lower case (letter pairs A-Z, А-Я, Ё) unless the search is case-sensitive. Markup and
// character references are searched as written.
namespace MatchingRule {

// Whether the document contains the context (read in chunks up to the first match; UTF-8
// documents matched with the UTF-8 form of the context).
bool FileContainsContext(const QString& path, const QString& context, bool matchCase);
// False when no file exists at path.
bool SearchDocument(const QString& path, const QString& context, bool matchCase);

} // namespace MatchingRule
