#pragma once

#include "dictionary/affixrules.h"
#include "dictionary/wordfamilies.h"

#include <QByteArray>
#include <QString>
#include <QStringList>

#include <mutex>
#include <string>
#include <vector>

struct Hunhandle;

// The Russian dictionary (Hunspell's ru_RU, Debian's hunspell-ru): which entries a word is
// a form of, and which entries are one word (WordFamilies). Loaded once per program, on first
// use; used by any thread.
class RussianDictionary
{
public:
    ~RussianDictionary();
    RussianDictionary(const RussianDictionary&) = delete;
    RussianDictionary& operator=(const RussianDictionary&) = delete;

    // The program's dictionary; null when none is installed (or none could be read).
    static const RussianDictionary* instance();
    // The folders looked in for ru_RU.aff and ru_RU.dic: LECTORIA_DICTIONARY_DIR when set
    // (an empty value: none), else the system's dictionary folders.
    static QStringList folders();

    // Whether a dictionary's files are there to be loaded (cheap: nothing is read).
    static bool isInstalled();
    // A dictionary read from the files in folder; null when they cannot be read.
    static std::unique_ptr<RussianDictionary> load(const QString& folder);

    // The keys of a folded word (lower case, ё as е): the keys of every entry it is a form
    // of, the word looked up in capitals (which takes in its lower case and capitalised
    // forms); none for a word the dictionary does not know.
    std::vector<std::u32string> keys(const std::u32string& word) const;
    // The keys of a word of a query: a word that is an entry itself stands for that entry
    // alone ("поле" is the field, though it is a form of "пол" too); any other word for every
    // entry it is a form of ("стали": "сталь" and "стать").
    std::vector<std::u32string> queryKeys(const std::u32string& word) const;

    // What sets these keys apart from another dictionary's: a digest of its files.
    const QByteArray& identity() const { return m_identity; }
    const WordFamilies& families() const { return m_families; }

private:
    RussianDictionary() = default;
    // The entries hunspell gives for the word in capitals, folded.
    std::vector<std::u32string> entriesOf(const std::u32string& word) const;
    std::vector<std::u32string> keysOfEntries(const std::vector<std::u32string>& entries) const;

    Hunhandle* m_hunspell = nullptr;
    mutable std::mutex m_hunspellUse; // Hunspell's calls are not made for threads at once
    WordFamilies m_families;
    QByteArray m_identity;
};
