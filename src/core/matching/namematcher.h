#pragma once

#include <QList>
#include <QPair>
#include <QString>
#include <QStringList>

// Finding a document by its name or designation, loosely: the typed text is split at blanks
// into words, and a word matches where what is left of it occurs in what is left of a caption
// or a file name, both read as LooseLetters reads them and every separator left out.
// "2.01.07-85", "2.01.07–85" and "СНиП2.01.07-85" all find "СНиП 2.01.07-85*". Numbers
// match as whole groups of digits: "06" finds "ГЭСН 06-01" but not "34-05-106", and "48"
// is not found across "04-85". A word typed in the Latin layout of the keyboard ("cybg" for
// "снип") or in Latin letters ("SNIP", "SP", "GESN") finds what the Russian word finds.
class NameMatcher
{
public:
    explicit NameMatcher(const QString& typed);

    // False when nothing is typed but separators.
    bool isValid() const { return !m_words.isEmpty(); }
    // Every word is found in the caption or in the file name (each word in either).
    bool matches(const QString& caption, const QString& fileName) const;
    // The same, for a caption and file name already folded.
    bool matchesFolded(const QString& foldedCaption, const QString& foldedFileName) const;
    // Whether a folded caption begins with what is typed, its words run together (a search
    // for a designation: "гэсн 06" begins "ГЭСН 06-01-001"): such captions come first.
    bool beginsFolded(const QString& foldedCaption) const;
    // The parts of the caption the words cover, as [start, end) ranges of its characters,
    // left to right and joined where they touch.
    QList<QPair<qsizetype, qsizetype>> marks(const QString& caption) const;

    // A text with the rule applied (a separator between two digits kept as a mark of where
    // a group of digits ends); at, when given, receives for every character kept the index
    // of the character it came from.
    static QString folded(const QString& text, QList<qsizetype>* at = nullptr);

    // A word typed with the keyboard in its Latin layout, as the Russian layout types it
    // ("cybg" is "снип"); the word itself when it has no Latin letter.
    static QString fromLatinLayout(const QString& word);
    // Latin letters spelled as Russian ones ("SNIP" is "СНИП", "shum" is "шум").
    static QString fromLatinSpelling(const QString& word);

private:
    // Where word occurs in text from from, as whole groups of digits; -1 when nowhere.
    static qsizetype find(const QString& text, const QString& word, qsizetype from = 0);

    QList<QStringList> m_words; // each word's folded forms: as typed, and as meant
};
