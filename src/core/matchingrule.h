#pragma once

#include <QByteArray>
#include <QString>

#include <optional>

// The matching rule: a context is found in a document when it occurs as a contiguous run
// of characters in the document's raw text, lines joined with CR LF, both sides folded to
// lower case (letter pairs A-Z, А-Я, Ё) unless the search is case-sensitive. Markup and
// character references are searched as written.
namespace MatchingRule {

// The windows-1251 bytes of text; none when a character has no windows-1251 form.
std::optional<QByteArray> toWindows1251(const QString& text);
// The lower-case partner of a windows-1251 byte (itself for everything but the letter pairs).
unsigned char lower1251(unsigned char byte);
// The raw text with every line ending (CR LF, LF, CR) made CR LF and the last line ended.
QByteArray joinLines(const QByteArray& raw);

// Whether the document contains the context (read in chunks up to the first match; UTF-8
// documents matched with the UTF-8 form of the context).
bool FileContainsContext(const QString& path, const QString& context, bool matchCase);
// False when no file exists at path.
bool SearchDocument(const QString& path, const QString& context, bool matchCase);

} // namespace MatchingRule
