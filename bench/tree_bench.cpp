// Times the document tree on a library: the browsing build, opening every folder, the
// bookmark lookup of the deepest document, and a search-state build whose context is found
// nowhere.
#include "library/libraryscan.h"
#include "search/searchjob.h"
#include "tree/documenttree.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QTreeWidget>

#include <cstdio>

namespace {

int countNodes(const QTreeWidgetItem* node)
{
    int count = 1;
    for (int i = 0; i < node->childCount(); ++i)
        count += countNodes(node->child(i));
    return count;
}

} // namespace

int main(int argc, char* argv[])
{
    QApplication application(argc, argv);
    if (argc < 2) {
        std::fprintf(stderr, "usage: tree_bench LIBRARY_DIR\n");
        return 2;
    }
    const QString library = QString::fromLocal8Bit(argv[1]);
    const QStringList roots{library};
    const QStringList names{QString()};
    const QString title = QStringLiteral("Нормативная документация");
    QTreeWidget tree;
    const auto browsingTree = [&] {
        return std::make_unique<DocumentTree>(roots, names, &tree, title, MatchOptions{}, false,
                                              false);
    };

    QElapsedTimer timer;
    timer.start();
    auto builder = browsingTree();
    const double browse = timer.nsecsElapsed() / 1e9;

    timer.restart();
    builder->expandAll();
    const double expand = timer.nsecsElapsed() / 1e9;
    const int expandedNodes = countNodes(tree.topLevelItem(0));

    QString deepest;
    qsizetype deepestLevel = -1;
    LibraryScan::forEachDocument(LibraryScan::deep(library), [&](const ScanNode& node) {
        const qsizetype level = node.path.count(u'/') - library.count(u'/') - 1;
        if (level > deepestLevel) {
            deepestLevel = level;
            deepest = node.path;
        }
    });
    builder.reset();
    builder = browsingTree();
    timer.restart();
    const bool found = builder->selectNodeByPath(deepest);
    const double bookmark = timer.nsecsElapsed() / 1e9;

    // A search that finds nothing: its run, then the tree of its findings.
    SearchRequest request;
    request.context = QStringLiteral("синхрофазотрон");
    request.folders = roots;
    builder.reset();
    timer.restart();
    const SearchResult nothing = SearchJob(request).run();
    builder = std::make_unique<DocumentTree>(roots, names, &tree, title, MatchOptions{}, false,
                                             false, &nothing);
    const double search = timer.nsecsElapsed() / 1e9;

    std::printf("browse %.3f s\n", browse);
    std::printf("expand_all %.3f s (%d nodes)\n", expand, expandedNodes);
    std::printf("bookmark %.3f s (%d folders down, %s)\n", bookmark, int(deepestLevel),
                found ? "found" : "NOT FOUND");
    std::printf("search_nohit %.3f s (checked %d)\n", search, nothing.checked);
    return 0;
}
