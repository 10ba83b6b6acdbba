// What reading a document costs on one thread, the file system left out: the pages of a
// library held in memory, looked through for a context by the bytes (memmem, the floor any
// byte search meets), by text mode, and read for word forms; each as seconds and a ratio.
// Usage: reading_bench LIBRARY CONTEXT [--limit N] [--words-only|--text-only]
#include "matching/documentsearch.h"
#include "matching/textsearch.h"
#include "matching/wordsearch.h"
#include "text/textencoding.h"

#include <QCoreApplication>
#include <QDirIterator>
#include <QElapsedTimer>
#include <QFile>

#include <cstdio>
#include <cstring>

namespace {

struct Page
{
    QString path;
    QByteArray bytes;
};

QList<Page> loadPages(const QString& library, qsizetype limit)
{
    QList<Page> pages;
    QDirIterator it(library, {QStringLiteral("*.htm"), QStringLiteral("*.html")}, QDir::Files,
                    QDirIterator::Subdirectories);
    while (it.hasNext() && pages.size() < limit) {
        QFile file(it.next());
        if (file.open(QIODevice::ReadOnly))
            pages.append({file.fileName(), file.readAll()});
    }
    return pages;
}

template <typename Look> double timed(const QList<Page>& pages, const Look& look, int* found)
{
    QElapsedTimer timer;
    timer.start();
    *found = 0;
    for (const Page& page : pages)
        *found += look(page) ? 1 : 0;
    return double(timer.nsecsElapsed()) / 1e9;
}

} // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    const QStringList arguments = app.arguments().mid(1);
    if (arguments.size() < 2) {
        std::fprintf(
            stderr,
            "usage: reading_bench LIBRARY CONTEXT [--limit N] [--words-only|--text-only]\n");
        return 2;
    }
    const QString context = arguments[1];
    const qsizetype limitAt = arguments.indexOf(QStringLiteral("--limit"));
    const qsizetype limit = limitAt > 0 && limitAt + 1 < arguments.size()
                                ? arguments[limitAt + 1].toLongLong()
                                : 1 << 30;
    if (arguments.contains(QStringLiteral("--words-only"))) {
        // One reading alone, for a profiler.
        int found = 0;
        const WordSearch words(context);
        const double time = timed(
            loadPages(arguments[0], limit),
            [&](const Page& page) { return words.read(page.path).found(); }, &found);
        std::printf("word forms, files: %.3f s, %d found\n", time, found);
        return 0;
    }
    if (arguments.contains(QStringLiteral("--text-only"))) {
        // Text mode from the files alone, five times over, for a profiler.
        const QList<Page> pages = loadPages(arguments[0], limit);
        const DocumentSearch text(context, MatchOptions{false, false, true, false});
        int found = 0;
        double time = 0;
        for (int run = 0; run < 5; ++run)
            time += timed(
                pages, [&](const Page& page) { return text.contains(page.path); }, &found);
        std::printf("text mode, files: %.3f s per pass, %d found\n", time / 5, found);
        return 0;
    }
    const QList<Page> pages = loadPages(arguments[0], limit);
    qsizetype bytes = 0;
    for (const Page& page : pages)
        bytes += page.bytes.size();
    std::printf("%lld pages, %.1f MB in memory; one thread\n", qlonglong(pages.size()),
                double(bytes) / 1e6);

    const QByteArray windows1251 = TextEncoding::toWindows1251(context).value_or(QByteArray());
    const QByteArray utf8 = context.toUtf8();
    int found = 0;
    const double floor = timed(
        pages,
        [&](const Page& page) {
            const QByteArray& needle =
                TextEncoding::detect(page.bytes.constData(), page.bytes.size()) ==
                        TextEncoding::Encoding::Utf8
                    ? utf8
                    : windows1251;
            return !needle.isEmpty() && memmem(page.bytes.constData(), size_t(page.bytes.size()),
                                               needle.constData(), size_t(needle.size()));
        },
        &found);
    std::printf("  memmem, case as written:  %7.3f s  %5d found  1.00\n", floor, found);

    const TextSearch text(context, MatchOptions{false, false, true, false});
    const double textTime = timed(
        pages,
        [&](const Page& page) { return text.contains(page.bytes.constData(), page.bytes.size()); },
        &found);
    std::printf("  text mode:                %7.3f s  %5d found  %.2f\n", textTime, found,
                textTime / floor);

    // From the page cache: both read their files as a search does.
    const DocumentSearch textFiles(context, MatchOptions{false, false, true, false});
    const double textFilesTime = timed(
        pages, [&](const Page& page) { return textFiles.contains(page.path); }, &found);
    std::printf("  text mode, files:         %7.3f s  %5d found  %.2f\n", textFilesTime, found,
                textFilesTime / floor);
    const WordSearch words(context);
    const double wordsTime = timed(
        pages, [&](const Page& page) { return words.read(page.path).found(); }, &found);
    std::printf("  word forms, files:        %7.3f s  %5d found  %.2f (%.1f x text mode, files)\n",
                wordsTime, found, wordsTime / floor, wordsTime / textFilesTime);
    return 0;
}
