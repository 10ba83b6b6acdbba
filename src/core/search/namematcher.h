#pragma once

#include <QList>
#include <QPair>
#include <QString>
#include <QStringList>

// Finding a document by its name or designation, loosely: the typed text is split at blanks
// into words, and a word matches where what is left of it occurs in what is left of a caption
// or a file name, both read as LooseLetters reads them and every separator left out. "2.01.07-85",
// "2.01.07–85" and "СНиП2.01.07-85" all find "СНиП 2.01.07-85*".
class NameMatcher
{
public:
    explicit NameMatcher(const QString& typed);

    // False when nothing is typed but separators.
    bool isValid() const { return !m_words.isEmpty(); }
    // Every word is found in the caption or in the file name (each word in either).
    bool matches(const QString& caption, const QString& fileName) const;
    // The parts of the caption the words cover, as [start, end) ranges of its characters,
    // left to right and joined where they touch.
    QList<QPair<qsizetype, qsizetype>> marks(const QString& caption) const;

    // A text with the rule applied; at, when given, receives for every character kept the
    // index of the character it came from.
    static QString folded(const QString& text, QList<qsizetype>* at = nullptr);

private:
    QStringList m_words; // folded
};
