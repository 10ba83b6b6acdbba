// The keys the word-forms search gives words, and what the dictionary costs: its loading, the
// lookup of a vocabulary, and an indexed word-forms search in a program that has the
// dictionary loaded already (as the window has after its first search).
// Usage: word_keys [--vocabulary FILE] [--indexed LIBRARY QUERY...] [WORD...]
#include "dictionary/russiandictionary.h"
#include "dictionary/wordkeys.h"
#include "matching/wordforms.h"
#include "search/searchjob.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QTextStream>

#include <algorithm>
#include <cstdio>

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    QStringList arguments = app.arguments().mid(1);
    QElapsedTimer timer;
    timer.start();
    const RussianDictionary* dictionary = RussianDictionary::instance();
    std::printf("dictionary: %s, loaded in %lld ms, %zu entries joined to another\n",
                dictionary ? "ru_RU" : "none (Snowball)", timer.elapsed(),
                dictionary ? dictionary->families().joinedCount() : size_t(0));
    if (arguments.size() >= 2 && arguments[0] == QStringLiteral("--vocabulary")) {
        QFile file(arguments[1]);
        if (!file.open(QIODevice::ReadOnly)) {
            std::fprintf(stderr, "cannot read %s\n", qPrintable(arguments[1]));
            return 1;
        }
        const QStringList words =
            QString::fromUtf8(file.readAll()).split(u'\n', Qt::SkipEmptyParts);
        timer.restart();
        qsizetype keys = 0;
        for (const QString& word : words)
            keys += WordForms::keys(word).size();
        const qint64 first = timer.elapsed();
        timer.restart();
        for (const QString& word : words)
            keys += WordForms::keys(word).size();
        std::printf("%lld words: first lookup %lld ms, again (cached) %lld ms (%lld keys)\n",
                    qlonglong(words.size()), first, timer.elapsed(), qlonglong(keys));
        // Each word begins with a beginning of each of its keys: the quick look at a
        // document never passes over it.
        qsizetype missed = 0;
        for (const QString& word : words) {
            for (const QString& key : WordForms::keys(word)) {
                const QStringList beginnings = WordKeys::beginnings({key});
                const QString folded = word.toLower().replace(u'ё', u'е');
                if (!beginnings.isEmpty() &&
                    std::none_of(beginnings.begin(), beginnings.end(),
                                 [&](const QString& b) { return folded.startsWith(b); })) {
                    ++missed;
                    std::printf("  %s: %s [%s]\n", qPrintable(word), qPrintable(key),
                                qPrintable(beginnings.join(u',')));
                }
            }
        }
        std::printf("words a key's beginnings miss: %lld\n", qlonglong(missed));
        arguments = arguments.mid(2);
    }
    if (arguments.size() >= 3 && arguments[0] == QStringLiteral("--indexed")) {
        const QString library = arguments[1];
        for (const QString& query : arguments.mid(2)) {
            SearchRequest request;
            request.context = query;
            request.folders = {library};
            request.options.textMode = true;
            request.options.wordForms = true;
            request.useIndex = true;
            qint64 best = -1;
            int found = 0;
            bool indexed = false;
            for (int run = 0; run < 5; ++run) {
                timer.restart();
                const SearchResult result = SearchJob(request).run();
                const qint64 took = timer.elapsed();
                best = best < 0 ? took : std::min(best, took);
                found = result.found;
                indexed = !result.indexedFolders.isEmpty();
            }
            std::printf("indexed \"%s\": %d found, best of 5 %lld ms%s\n", qPrintable(query), found,
                        best, indexed ? "" : " (the index was not used)");
        }
        return 0;
    }
    for (const QString& word : arguments) {
        const WordQuery query(word);
        QStringList shown;
        for (const WordQuery::Group& group : query.groups())
            for (const QStringList& keys : group)
                shown.append(keys.join(u'|') + QStringLiteral(" [") +
                             WordKeys::beginnings(keys).join(u',') + u']');
        std::printf("%s: text %s; query %s\n", qPrintable(word),
                    qPrintable(WordForms::keys(word).join(u'|')), qPrintable(shown.join(u' ')));
    }
    return 0;
}
