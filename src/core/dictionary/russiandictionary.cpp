#include "dictionary/russiandictionary.h"

#include "platform/userfolders.h"

#include <QCryptographicHash>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>

#include <chrono>
#include <future>

#include <hunspell/hunspell.h>

#include <memory>
#include <system_error>

namespace {

// A dictionary file larger than this is not one.
constexpr qint64 MaxFileSize = 64 * 1024 * 1024;

QByteArray readSmallFile(const QString& path, qint64 limit = MaxFileSize)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly) || file.size() > limit)
        return QByteArray();
    return file.readAll();
}

// Hunspell being made on another thread: let go of if the load ends before it is taken.
struct PendingHunspell
{
    std::future<Hunhandle*> made;
    ~PendingHunspell()
    {
        if (!made.valid() || made.wait_for(std::chrono::seconds(0)) == std::future_status::deferred)
            return; // taken, or never begun
        if (Hunhandle* handle = made.get())
            Hunspell_destroy(handle);
    }
};

} // namespace

RussianDictionary::~RussianDictionary()
{
    if (m_hunspell)
        Hunspell_destroy(m_hunspell);
}

QStringList RussianDictionary::folders()
{
    if (qEnvironmentVariableIsSet("LECTORIA_DICTIONARY_DIR")) {
        const QString folder = qEnvironmentVariable("LECTORIA_DICTIONARY_DIR");
        return folder.isEmpty() ? QStringList() : QStringList{folder};
    }
    return {QStringLiteral("/usr/share/hunspell"), QStringLiteral("/usr/share/myspell/dicts"),
            QStringLiteral("/usr/share/myspell")};
}

bool RussianDictionary::isInstalled()
{
    for (const QString& folder : folders()) {
        if (QFileInfo::exists(QDir(folder).filePath(QStringLiteral("ru_RU.aff"))) &&
            QFileInfo::exists(QDir(folder).filePath(QStringLiteral("ru_RU.dic"))))
            return true;
    }
    return false;
}

const RussianDictionary* RussianDictionary::instance()
{
    // Kept to the program's end and not taken apart then: its hundred thousand pieces would
    // only cost the program's exit time.
    static const RussianDictionary* const dictionary = [] {
        for (const QString& folder : folders()) {
            if (auto loaded = load(folder))
                return loaded.release();
        }
        return static_cast<RussianDictionary*>(nullptr);
    }();
    return dictionary;
}

std::unique_ptr<RussianDictionary> RussianDictionary::load(const QString& folder)
{
    const QString affixPath = QDir(folder).filePath(QStringLiteral("ru_RU.aff"));
    const QString wordsPath = QDir(folder).filePath(QStringLiteral("ru_RU.dic"));
    const QByteArray affix = readSmallFile(affixPath);
    const QByteArray words = readSmallFile(wordsPath);
    AffixRules rules;
    // Read as UTF-8: another encoding would make other keys than the rules below expect.
    if (affix.isEmpty() || words.isEmpty() || !affix.contains("SET UTF-8") || !rules.parse(affix))
        return nullptr;
    std::unique_ptr<RussianDictionary> dictionary(new RussianDictionary);
    // Hunspell reads its files on a thread of its own while the families are read here: the
    // two take about the same time, and a word-forms search waits for both before it begins.
    // (Without a thread to spare it is made here, after them.)
    const auto create = [&affixPath, &wordsPath] {
        return Hunspell_create(QFile::encodeName(affixPath).constData(),
                               QFile::encodeName(wordsPath).constData());
    };
    PendingHunspell hunspell;
    try {
        hunspell.made = std::async(std::launch::async, create);
    } catch (const std::system_error&) {
        hunspell.made = std::async(std::launch::deferred, create);
    }
    QCryptographicHash digest(QCryptographicHash::Sha1);
    digest.addData(affix);
    digest.addData(words);
    const QByteArray files = digest.result().toHex();
    dictionary->m_identity = "ru_RU " + files + " " + QByteArray::number(WordFamilies::Version);
    // The families are kept in the cache folder: built once per dictionary and rules.
    const QString kept = UserFolders::cache() + QStringLiteral("/dictionary/") +
                         QString::fromLatin1(files) + u'-' +
                         QString::number(WordFamilies::Version) + QStringLiteral(".families");
    // The families of a dictionary take less than twice its words' bytes: a larger file is no
    // record of them, and is not read.
    if (!dictionary->m_families.restore(readSmallFile(kept, 4 * words.size()))) {
        dictionary->m_families.build(words, rules);
        QSaveFile file(kept);
        if (QDir().mkpath(QFileInfo(kept).path()) && file.open(QIODevice::WriteOnly) &&
            file.write(dictionary->m_families.saved()) >= 0)
            file.commit(); // not kept: built again next time
    }
    dictionary->m_hunspell = hunspell.made.get();
    if (!dictionary->m_hunspell)
        return nullptr;
    return dictionary;
}

std::vector<std::u32string> RussianDictionary::entriesOf(const std::u32string& word) const
{
    std::vector<std::u32string> out;
    // Hunspell's own limit is a hundred bytes or so; a longer word is no dictionary word.
    if (word.empty() || word.size() > 60)
        return out;
    const QByteArray capitals =
        QString::fromUcs4(word.data(), qsizetype(word.size())).toUpper().toUtf8();
    std::vector<QByteArray> stems;
    {
        const std::lock_guard<std::mutex> lock(m_hunspellUse);
        char** list = nullptr;
        const int count = Hunspell_stem(m_hunspell, &list, capitals.constData());
        for (int i = 0; i < count; ++i)
            stems.emplace_back(list[i]);
        Hunspell_free_list(m_hunspell, &list, count);
    }
    for (const QByteArray& stem : stems) {
        const QList<uint> units = QString::fromUtf8(stem).toUcs4();
        out.push_back(WordFamilies::folded(std::u32string(units.begin(), units.end())));
    }
    return out;
}

std::vector<std::u32string>
RussianDictionary::keysOfEntries(const std::vector<std::u32string>& entries) const
{
    std::vector<std::u32string> out;
    for (const std::u32string& entry : entries) {
        for (std::u32string& key : m_families.keysOf(entry)) {
            if (std::find(out.begin(), out.end(), key) == out.end())
                out.push_back(std::move(key));
        }
    }
    std::sort(out.begin(), out.end());
    return out;
}

std::vector<std::u32string> RussianDictionary::keys(const std::u32string& word) const
{
    return keysOfEntries(entriesOf(word));
}

std::vector<std::u32string> RussianDictionary::queryKeys(const std::u32string& word) const
{
    const std::vector<std::u32string> entries = entriesOf(word);
    if (std::find(entries.begin(), entries.end(), word) != entries.end())
        return keysOfEntries({word});
    return keysOfEntries(entries);
}
