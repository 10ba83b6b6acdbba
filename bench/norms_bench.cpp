// The costs of the library's norms: what the designations add to reading a document for the
// index, the link marks of a shown document, and the documents citing one asked of the index.
// usage: norms_bench LIBRARY [DESIGNATION]   (the library's index built by lectoria-index)
#include "library/libraryscan.h"
#include "matching/wordforms.h"
#include "norms/citationsearch.h"
#include "norms/designationrule.h"
#include "norms/documentnorms.h"
#include "norms/linkedcopy.h"
#include "search/normcatalog.h"
#include "search/searchjob.h"
#include "text/documenttext.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFile>

#include <cstdio>

int main(int argc, char* argv[])
{
    QCoreApplication application(argc, argv);
    if (argc < 2) {
        std::fputs("usage: norms_bench LIBRARY [DESIGNATION]\n", stderr);
        return 2;
    }
    const QString library = QString::fromLocal8Bit(argv[1]);
    const QString designation =
        argc > 2 ? QString::fromLocal8Bit(argv[2]) : QStringLiteral("СНиП 3.03.01-87");
    QList<QByteArray> pages;
    QStringList paths;
    LibraryScan::forEachDocument(LibraryScan::deep(library), [&](const ScanNode& node) {
        QFile file(node.path);
        if (file.open(QIODevice::ReadOnly)) {
            pages.append(file.readAll());
            paths.append(node.path);
        }
    });
    std::printf("%lld documents read into memory\n", static_cast<long long>(pages.size()));

    // What the index build does with each document's text, beside what the designations add:
    // each part timed alone over texts read before.
    QElapsedTimer timer;
    timer.start();
    QStringList texts;
    for (const QByteArray& page : std::as_const(pages))
        texts.append(DocumentText(page).text());
    const double textTime = timer.nsecsElapsed() / 1e9;
    timer.restart();
    qint64 words = 0;
    for (const QString& text : std::as_const(texts))
        words += WordForms::tokens(text).size();
    const double stemsTime = timer.nsecsElapsed() / 1e9;
    timer.restart();
    qint64 citations = 0;
    for (qsizetype i = 0; i < pages.size(); ++i)
        citations +=
            DocumentNorms::ofPage(pages[i], {DocumentNorms::fileNameOf(paths[i])}, &texts[i])
                .citations()
                .size();
    const double normsTime = timer.nsecsElapsed() / 1e9;
    std::printf("text %.2f s, words %.2f s (%lld), designations %.2f s (%lld citations): "
                "+%.1f %% of text and words\n",
                textTime, stemsTime, static_cast<long long>(words), normsTime,
                static_cast<long long>(citations), 100.0 * normsTime / (textTime + stemsTime));
    texts.clear();

    // The link marks of the largest document.
    qsizetype largest = 0;
    for (qsizetype i = 1; i < pages.size(); ++i) {
        if (pages[i].size() > pages[largest].size())
            largest = i;
    }
    const NormCatalog catalog = NormCatalog::ofFolders({library}, nullptr);
    timer.restart();
    int links = 0;
    const QByteArray linked = LinkedCopy::linked(
        pages[largest],
        [&catalog](const Designation& d) {
            return catalog.resolve(d) ? LinkedCopy::Wrap{"<a href='x'>", "</a>"}
                                      : LinkedCopy::Wrap{"<u>", "</u>"};
        },
        &links);
    std::printf("link marks of a %.2f MB document: %.1f ms (%d designations)\n",
                pages[largest].size() / 1048576.0, timer.nsecsElapsed() / 1e6, links);

    // The documents citing one, with the index and its freshness proof.
    for (const bool useIndex : {true, false}) {
        SearchRequest request;
        request.context = designation;
        request.citations = true;
        request.folders = {library};
        request.useIndex = useIndex;
        timer.restart();
        const SearchResult result = SearchJob(request).run();
        std::printf("documents citing %s %s: %d in %.1f ms\n", qPrintable(designation),
                    useIndex ? "with the index" : "by reading", result.found,
                    timer.nsecsElapsed() / 1e6);
    }
    return 0;
}
