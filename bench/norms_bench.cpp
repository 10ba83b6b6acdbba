// The costs of the library's norms: what the designations add to reading a document for the
// index, the link marks of a shown document, and the documents citing one asked of the index.
// usage: norms_bench LIBRARY [DESIGNATION]   (the library's index built by lectoria-index)
#include "library/libraryscan.h"
#include "matching/wordforms.h"
#include "norms/citationsearch.h"
#include "norms/designationrule.h"
#include "norms/documentnorms.h"
#include "norms/documentstructure.h"
#include "norms/linkedcopy.h"
#include "norms/partanchors.h"
#include "norms/partreferences.h"
#include "search/normcatalog.h"
#include "search/searchjob.h"
#include "search/showncopy.h"
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
    // What the part references add to it: the designations found alone, then with the
    // references bound to them.
    timer.restart();
    qint64 found = 0;
    for (const QString& text : std::as_const(texts))
        found += DesignationRule::find(text).size();
    const double designationsTime = timer.nsecsElapsed() / 1e9;
    timer.restart();
    qint64 references = 0;
    for (const QString& text : std::as_const(texts))
        references += qint64(PartReferences::find(text, 0, DesignationRule::find(text)).size());
    const double referencesTime = timer.nsecsElapsed() / 1e9 - designationsTime;
    std::printf("part references: %.2f s (%lld references beside %lld designations): +%.1f %% "
                "of text and words\n",
                referencesTime, static_cast<long long>(references), static_cast<long long>(found),
                100.0 * referencesTime / (textTime + stemsTime));
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
    // ... and with its parts found, their anchors placed and the part references linked, as
    // the viewer's copy has them.
    timer.restart();
    const DocumentStructure structure = DocumentStructure::ofPage(pages[largest]);
    const QByteArray anchored = PartAnchors::anchored(pages[largest], structure);
    QByteArray withParts;
    const int partLinks = ShownCopy::linkDesignations(anchored, paths[largest], QString(), &catalog,
                                                      &structure, &withParts);
    std::printf("parts, anchors and link marks with part references: %.1f ms (%zu parts, %d "
                "links)\n",
                timer.nsecsElapsed() / 1e6, structure.parts().size(), partLinks);

    // The documents citing one, and citing a part of it, with the index and its freshness
    // proof.
    for (const QString& asked : {designation, QStringLiteral("п. 5.2 ") + designation})
        for (const bool useIndex : {true, false}) {
            SearchRequest request;
            request.context = asked;
            request.citations = true;
            request.folders = {library};
            request.useIndex = useIndex;
            timer.restart();
            const SearchResult result = SearchJob(request).run();
            std::printf("documents citing %s %s: %d in %.1f ms\n", qPrintable(asked),
                        useIndex ? "with the index" : "by reading", result.found,
                        timer.nsecsElapsed() / 1e6);
        }
    return 0;
}
