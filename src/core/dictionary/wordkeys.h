#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>

#include <string>

// The keys a word is compared by in the word-forms search; two words meet when they share a
// key. A word the Russian dictionary knows has the keys of its entries (RussianDictionary: a
// homograph one per entry, a verb's forms and participles the verb's). Every word has its
// Snowball stem as a key too (Russian for Cyrillic letters, English for Latin ones, the word
// itself otherwise), marked by whether the dictionary knows the word, so that:
// - a query word the dictionary knows finds its forms by the dictionary, and the words the
//   dictionary does not know that Snowball joins to it (not the known words Snowball would
//   join: "сталь" does not find "стал");
// - a query word the dictionary does not know finds every word Snowball joins to it.
// Without the dictionary every word is one it does not know: Snowball alone decides. Keys are
// sorted; words are taken folded (simple lower case, ё as е).
namespace WordKeys {

// Before the Snowball stem of a word the dictionary does not know, and of one it knows.
constexpr QChar UnknownWordMark = u'~';
constexpr QChar KnownWordMark = u'^';
// Between the keys of one word where the index keeps them (at one position).
constexpr QChar TokenSeparator = u'|';

QStringList ofText(const std::u32string& word);
QStringList ofQuery(const std::u32string& word);

// Whether two key lists share a key.
bool meet(const QStringList& a, const QStringList& b);

// What every word meeting these keys (of a query word) begins with in a text: a few
// beginnings of three letters or more (an е of them also written ё, as a text may write it),
// and every such word begins with one of them; none when that cannot be told so briefly.
QStringList beginnings(const QStringList& keys);
// The most beginnings told.
constexpr qsizetype MaxBeginnings = 8;

// Whether the dictionary is in use; else every word keeps its Snowball stem.
bool usesDictionary();
// What the keys depend on: the dictionary's files, or Snowball alone. An index whose keys were
// made otherwise cannot answer a word-forms query.
QByteArray identity();

} // namespace WordKeys
