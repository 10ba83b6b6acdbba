#include "library/captionorder.h"
#include "search/searchjob.h"
#include "testsupport/testfiles.h"
#include "tree/documenttree.h"

#include <QTemporaryDir>
#include <QTest>
#include <QTreeWidget>

#include <chrono>
#include <filesystem>

using Builder = DocumentTree;

class TestDocumentTree : public QObject
{
    Q_OBJECT

    QTemporaryDir m_dir;
    SearchResult m_found;

    QString path(const QString& relative) const { return m_dir.filePath(relative); }

    // Browsing, or with a context the findings of a search of the roots.
    std::unique_ptr<Builder> build(QTreeWidget& tree, const QStringList& roots,
                                   bool searching = false, const QString& context = QString(),
                                   bool sortByDate = false, bool techParts = false,
                                   const QStringList& names = {})
    {
        const QStringList captions = names.isEmpty() ? QStringList(roots.size(), QString()) : names;
        if (searching) {
            SearchRequest request;
            request.context = context;
            request.folders = roots;
            if (techParts)
                request.folderCaptions = captions;
            m_found = SearchJob(request).run();
        }
        return std::make_unique<Builder>(roots, captions, &tree,
                                         techParts ? QStringLiteral("Технические части")
                                                   : QStringLiteral("Нормативная документация"),
                                         MatchOptions{}, techParts, sortByDate,
                                         searching ? &m_found : nullptr);
    }

    static int documentNodes(const QTreeWidgetItem* node)
    {
        int count = Builder::nodeData(node).kind == NodeKind::Document ? 1 : 0;
        for (int i = 0; i < node->childCount(); ++i)
            count += documentNodes(node->child(i));
        return count;
    }

    static QStringList captions(const QTreeWidgetItem* node)
    {
        QStringList list;
        for (int i = 0; i < node->childCount(); ++i)
            list.append(node->child(i)->text(0));
        return list;
    }

    static QTreeWidgetItem* child(const QTreeWidgetItem* node, const QString& caption)
    {
        for (int i = 0; i < node->childCount(); ++i) {
            if (node->child(i)->text(0) == caption)
                return node->child(i);
        }
        return nullptr;
    }

    // Every node's children in caption order: what a sort of the whole tree gives.
    static bool isSortedEverywhere(const QTreeWidgetItem* node, const CaptionOrder& order)
    {
        for (int i = 1; i < node->childCount(); ++i) {
            if (order(node->child(i)->text(0), node->child(i - 1)->text(0)))
                return false;
        }
        for (int i = 0; i < node->childCount(); ++i) {
            if (!isSortedEverywhere(node->child(i), order))
                return false;
        }
        return true;
    }

private slots:
    void browsingAMixedDirectory()
    {
        const QString dir = path(QStringLiteral("mixed"));
        QVERIFY(TestFiles::writeTree(
            dir,
            {QStringLiteral("a.htm"), QStringLiteral("A.files/image001.png"),
             QStringLiteral("B/_index.htm"), QStringLiteral("C/c.htm"),
             QStringLiteral("D/x.files/p.png"), QStringLiteral("my.filesystem/z.htm"),
             QStringLiteral("Doc.HTM"), QStringLiteral("Doc.html"), QStringLiteral("a.htm.htm")}));

        QTreeWidget tree;
        auto builder = build(tree, {dir});
        QCOMPARE(tree.topLevelItemCount(), 1);
        QTreeWidgetItem* root = tree.topLevelItem(0);
        QCOMPARE(tree.currentItem(), root);
        QVERIFY(root->isExpanded());
        QCOMPARE(Builder::nodeData(root).kind, NodeKind::None);
        QCOMPARE(Builder::nodeData(root).path, QString());
        QCOMPARE(captions(root),
                 (QStringList{QStringLiteral("a"), QStringLiteral("a"), QStringLiteral("B"),
                              QStringLiteral("C"), QStringLiteral("D"), QStringLiteral("Doc")}));

        QTreeWidgetItem* b = child(root, QStringLiteral("B"));
        QTreeWidgetItem* c = child(root, QStringLiteral("C"));
        QTreeWidgetItem* d = child(root, QStringLiteral("D"));
        QCOMPARE(b->childCount(), 0); // only its folder page: no expand button
        QCOMPARE(c->childCount(), 1); // the expand stub
        QCOMPARE(Builder::nodeData(c->child(0)).kind, NodeKind::None);
        QCOMPARE(Builder::nodeData(c->child(0)).path, QString());
        QCOMPARE(Builder::nodeData(c).kind, NodeKind::Folder);
        QCOMPARE(Builder::nodeData(c).path, dir + QStringLiteral("/C"));

        // A folder holding only a picture folder shows a button; opening it shows nothing.
        QCOMPARE(d->childCount(), 1);
        d->setExpanded(true);
        QCOMPARE(d->childCount(), 0);

        c->setExpanded(true);
        QCOMPARE(captions(c), QStringList{QStringLiteral("c")});
        QCOMPARE(Builder::nodeData(c->child(0)).kind, NodeKind::Document);
        QCOMPARE(Builder::nodeData(c->child(0)).path, dir + QStringLiteral("/C/c.htm"));

        // Look: folders and the root bold, documents plain, the root blue.
        QVERIFY(root->font(0).bold());
        QVERIFY(c->font(0).bold());
        QVERIFY(!c->child(0)->font(0).bold());
        QCOMPARE(root->foreground(0).color(), QColor(0, 0, 255));

        // The value the window and the search are given.
        const TreeNode document = Builder::nodeValue(c->child(0));
        QVERIFY(document.isBelowRoot());
        QCOMPARE(document.kind, NodeKind::Document);
        QCOMPARE(document.caption(), QStringLiteral("c"));
        QCOMPARE(document.title(), QStringLiteral("Нормативная документация->C->c"));
        const TreeNode top = Builder::nodeValue(root);
        QVERIFY(top.exists && top.isRoot && !top.isBelowRoot());
        QCOMPARE(top.title(), QStringLiteral("Нормативная документация"));
        QVERIFY(!Builder::nodeValue(nullptr).exists);
        QCOMPARE(Builder::nodeValue(nullptr).path, QString());
    }

    void foldersAreReadAgainAtEveryExpansion()
    {
        const QString dir = path(QStringLiteral("reread"));
        QVERIFY(TestFiles::write(dir + QStringLiteral("/Раздел 3/Документ.htm"), "d"));
        QVERIFY(TestFiles::write(dir + QStringLiteral("/top.htm"), "t"));
        QTreeWidget tree;
        auto builder = build(tree, {dir});
        QTreeWidgetItem* root = tree.topLevelItem(0);
        QTreeWidgetItem* folder = child(root, QStringLiteral("Раздел 3"));
        folder->setExpanded(true);
        QCOMPARE(captions(folder), QStringList{QStringLiteral("Документ")});

        QVERIFY(TestFiles::write(dir + QStringLiteral("/Раздел 3/Новый.htm"), "n"));
        QVERIFY(QFile::remove(dir + QStringLiteral("/Раздел 3/Документ.htm")));
        QVERIFY(TestFiles::write(dir + QStringLiteral("/added.htm"), "a"));
        folder->setExpanded(false);
        folder->setExpanded(true);
        QCOMPARE(captions(folder), QStringList{QStringLiteral("Новый")});

        // The root is read only by a rebuild.
        root->setExpanded(false);
        root->setExpanded(true);
        QCOMPARE(captions(root), (QStringList{QStringLiteral("Раздел 3"), QStringLiteral("top")}));

        // The findings of a search of one folder go below it; the others are still browsed.
        QVERIFY(TestFiles::write(dir + QStringLiteral("/Раздел 4/Другой.htm"), "d"));
        builder = build(tree, {dir});
        root = tree.topLevelItem(0);
        tree.setCurrentItem(child(root, QStringLiteral("Раздел 3")));
        SearchRequest request;
        request.context = QStringLiteral("n");
        request.folders = {dir + QStringLiteral("/Раздел 3")};
        builder->showSubtreeSearch(SearchJob(request).run());
        QCOMPARE(captions(child(root, QStringLiteral("Раздел 3"))),
                 QStringList{QStringLiteral("Новый")});
        QVERIFY(TestFiles::write(dir + QStringLiteral("/Раздел 4/Ещё.htm"), "e"));
        QTreeWidgetItem* other = child(root, QStringLiteral("Раздел 4"));
        other->setExpanded(true);
        QCOMPARE(captions(other), (QStringList{QStringLiteral("Другой"), QStringLiteral("Ещё")}));
    }

    void sortedOrDateOrder()
    {
        const QString dir = path(QStringLiteral("sorting"));
        // Written at times in another order than their names (Бетон and ёлка at once).
        const QList<std::pair<QString, int>> documents{
            {QStringLiteral("Щебень.htm"), 3000}, {QStringLiteral("арматура.htm"), 1000},
            {QStringLiteral("Бетон.htm"), 2000},  {QStringLiteral("ёлка.htm"), 2000},
            {QStringLiteral("Zinc.htm"), 500},    {QStringLiteral("Грунт/a.htm"), 900},
            {QStringLiteral("Грунт/b.htm"), 800}};
        const QList<std::pair<QString, int>> folders{{QStringLiteral("Яма"), 100},
                                                     {QStringLiteral("Грунт"), 300},
                                                     {QStringLiteral("Вода"), 200}};
        for (const auto& [name, seconds] : folders)
            QVERIFY(TestFiles::write(dir + u'/' + name + QStringLiteral("/d.htm"), "x"));
        for (const auto& [name, seconds] : documents)
            QVERIFY(TestFiles::write(dir + u'/' + name, "x"));
        for (const auto& [name, seconds] : documents + folders) {
            const auto when = std::filesystem::file_time_type::clock::now() -
                              std::chrono::hours(24) + std::chrono::seconds(seconds);
            std::filesystem::last_write_time(QFile::encodeName(dir + u'/' + name).toStdString(),
                                             when);
        }

        QTreeWidget tree;
        auto byDate = build(tree, {dir}, false, QString(), true);
        QCOMPARE(captions(tree.topLevelItem(0)),
                 (QStringList{QStringLiteral("Яма"), QStringLiteral("Вода"),
                              QStringLiteral("Грунт"), QStringLiteral("Zinc"),
                              QStringLiteral("арматура"), QStringLiteral("Бетон"),
                              QStringLiteral("ёлка"), QStringLiteral("Щебень")}));
        QVERIFY(!tree.isSortingEnabled());
        QTreeWidgetItem* folder = child(tree.topLevelItem(0), QStringLiteral("Грунт"));
        folder->setExpanded(true); // read again as it opens
        QCOMPARE(captions(folder),
                 (QStringList{QStringLiteral("b"), QStringLiteral("a"), QStringLiteral("d")}));

        byDate.reset();
        auto sorted = build(tree, {dir});
        QCOMPARE(
            captions(tree.topLevelItem(0)),
            (QStringList{QStringLiteral("арматура"), QStringLiteral("Бетон"),
                         QStringLiteral("Вода"), QStringLiteral("Грунт"), QStringLiteral("ёлка"),
                         QStringLiteral("Щебень"), QStringLiteral("Яма"), QStringLiteral("Zinc")}));
    }

    void expandingEverythingGivesTheSortedTree()
    {
        const QString dir = path(QStringLiteral("expandall"));
        for (int i = 0; i < 6; ++i) {
            const QString folder = dir + QStringLiteral("/Сборник %1").arg(5 - i);
            for (int j = 0; j < 4; ++j) {
                QVERIFY(TestFiles::write(
                    folder + QStringLiteral("/Раздел %1/Документ %2.htm").arg(3 - j).arg(j), "x"));
                QVERIFY(TestFiles::write(folder + QStringLiteral("/док %1.htm").arg(9 - j), "x"));
            }
        }
        // A link back up the path is shown, but not opened again and again.
        QVERIFY(QFile::link(dir, dir + QStringLiteral("/Сборник 0/Раздел 0/наверх")));
        QTreeWidget tree;
        auto builder = build(tree, {dir});
        builder->expandAll();
        QTreeWidgetItem* root = tree.topLevelItem(0);
        QCOMPARE(root->childCount(), 6);
        QTreeWidgetItem* up =
            child(child(child(root, QStringLiteral("Сборник 0")), QStringLiteral("Раздел 0")),
                  QStringLiteral("наверх"));
        QVERIFY(up);
        QCOMPARE(up->childCount(), 1);
        QCOMPARE(Builder::nodeData(up->child(0)).kind, NodeKind::None);
        QCOMPARE(root->child(0)->childCount(), 8);
        QTreeWidgetItem* section =
            child(child(root, QStringLiteral("Сборник 1")), QStringLiteral("Раздел 0"));
        QCOMPARE(section->childCount(), 1);
        QCOMPARE(documentNodes(root), 6 * 8); // every document read once
        QVERIFY(section->isExpanded());
        QVERIFY(isSortedEverywhere(root, CaptionOrder()));
    }

    void searchStateKeepsOnlyDocumentsWithTheContext()
    {
        const QString dir = path(QStringLiteral("search"));
        QVERIFY(TestFiles::write(dir + QStringLiteral("/Полы/Ксилолит.htm"),
                                 TestFiles::cp1251("<p>Покрытия из КСИЛОЛИТА</p>")));
        QVERIFY(TestFiles::write(dir + QStringLiteral("/Полы/Линолеум.htm"),
                                 TestFiles::cp1251("<p>линолеум</p>")));
        QVERIFY(TestFiles::write(dir + QStringLiteral("/Грунт/Разработка.htm"),
                                 TestFiles::cp1251("<p>грунт</p>")));
        QVERIFY(TestFiles::write(dir + QStringLiteral("/Грунт/Пусто/x.htm"), "none"));
        QVERIFY(
            TestFiles::write(dir + QStringLiteral("/Общие.htm"), TestFiles::cp1251("ксилолит")));
        QVERIFY(QFile::link(dir, dir + QStringLiteral("/Полы/назад")));

        QTreeWidget tree;
        auto builder = build(tree, {dir}, true, QStringLiteral("Ксилолит"));
        QTreeWidgetItem* root = tree.topLevelItem(0);
        QCOMPARE(captions(root), (QStringList{QStringLiteral("Общие"), QStringLiteral("Полы")}));
        QTreeWidgetItem* floors = child(root, QStringLiteral("Полы"));
        QCOMPARE(captions(floors), QStringList{QStringLiteral("Ксилолит")});
        QCOMPARE(m_found.checked, 5);
        QCOMPARE(m_found.found, 2);
        QCOMPARE(documentNodes(root), 2);

        // Nothing found: the root stays alone; a technical-parts directory without hits goes.
        const QString other = path(QStringLiteral("search-other"));
        QVERIFY(TestFiles::write(other + QStringLiteral("/x.htm"), "nothing"));
        builder.reset();
        builder = build(tree, {dir, other}, true, QStringLiteral("КСИЛОЛИТ"), false, true,
                        {QStringLiteral("База 1"), QStringLiteral("База 2")});
        root = tree.topLevelItem(0);
        QCOMPARE(captions(root), QStringList{QStringLiteral("База 1")});
        QCOMPARE(Builder::nodeData(root->child(0)).path, dir);
        builder.reset();
        builder = build(tree, {other}, true, QStringLiteral("синхрофазотрон"));
        QCOMPARE(tree.topLevelItemCount(), 1);
        QCOMPARE(tree.topLevelItem(0)->childCount(), 0);
    }

    void technicalPartsLayout()
    {
        const QString base1 = path(QStringLiteral("bases/Base1/TT"));
        QVERIFY(TestFiles::write(base1 + QStringLiteral("/Общая часть.htm"), "x"));
        QTreeWidget tree;
        auto builder =
            build(tree, {base1, path(QStringLiteral("bases/Missing/TT"))}, false, QString(), false,
                  true, {QStringLiteral("ГЭСН"), QStringLiteral("Нет")});
        QTreeWidgetItem* root = tree.topLevelItem(0);
        QCOMPARE(captions(root), (QStringList{QStringLiteral("ГЭСН"), QStringLiteral("Нет")}));
        QTreeWidgetItem* base = root->child(0);
        QCOMPARE(Builder::nodeData(base).kind, NodeKind::Folder);
        QCOMPARE(base->childCount(), 1);
        QCOMPARE(root->child(1)->childCount(), 0);
        base->setExpanded(true);
        QCOMPARE(captions(base), QStringList{QStringLiteral("Общая часть")});
        QCOMPARE(Builder::nodeValue(base->child(0)).title(),
                 QStringLiteral("Технические части->ГЭСН->Общая часть"));
    }
};

QTEST_MAIN(TestDocumentTree)
#include "tst_documenttree.moc"
