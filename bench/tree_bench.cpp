// Times the document tree on a library: the browsing build, opening every folder, and a
// search-state build whose context is found nowhere.
#include "wmaketreeviewfordir.h"

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
    QList<QIcon> images{QIcon(), QIcon()};

    QElapsedTimer timer;
    timer.start();
    auto builder = std::make_unique<WMakeTreeviewForDir>(0, roots, names, &tree, &images, title,
                                                         false, false, QString(), false, false);
    const double browse = timer.nsecsElapsed() / 1e9;

    timer.restart();
    builder->ExpandAll();
    const double expand = timer.nsecsElapsed() / 1e9;
    const int expandedNodes = countNodes(tree.topLevelItem(0));

    builder.reset();
    timer.restart();
    builder =
        std::make_unique<WMakeTreeviewForDir>(0, roots, names, &tree, &images, title, true, false,
                                              QStringLiteral("синхрофазотрон"), false, false);
    const double search = timer.nsecsElapsed() / 1e9;

    std::printf("browse %.3f s\nexpand_all %.3f s (%d nodes)\nsearch_nohit %.3f s "
                "(checked %d)\n",
                browse, expand, expandedNodes, search, builder->CheckedCount);
    return 0;
}
