#include "library/nodehistory.h"

#include <QTest>

class TestNodeHistory : public QObject
{
    Q_OBJECT

private slots:
    // Going back and forward as a browser does; a new node drops what lay ahead; pruning keeps
    // the place on the same node and counts neighbours made equal once.
    void backForwardAndPruning()
    {
        NodeHistory history;
        QVERIFY(!history.canGoBack() && history.goBack().isEmpty());
        for (const char* path : {"a", "b", "b", "c", "d"})
            history.shown(QString::fromLatin1(path));
        QCOMPARE(history.paths(), QStringList({"a", "b", "c", "d"}));
        QCOMPARE(history.goBack(), QStringLiteral("c"));
        QCOMPARE(history.goBack(), QStringLiteral("b"));
        QCOMPARE(history.goForward(), QStringLiteral("c"));
        history.shown(QStringLiteral("e"));
        QCOMPARE(history.paths(), QStringList({"a", "b", "c", "e"}));
        QVERIFY(!history.canGoForward());

        // Each node keeps where it was left, also when others are dropped around it.
        history.setCurrentScroll(70); // on "e"
        history.shown(QStringLiteral("b"));
        QCOMPARE(history.currentScroll(), 0);
        history.goBack(); // on "e"
        QCOMPARE(history.currentScroll(), 70);
        history.goBack();
        history.setCurrentScroll(30); // on "c"
        history.goForward();
        history.keepOnly([](const QString& path) { return path != u"c" && path != u"e"; });
        QCOMPARE(history.paths(), QStringList({"a", "b"}));
        QCOMPARE(history.current(), QStringLiteral("b"));
        QCOMPARE(history.currentScroll(), 0);
        history.keepOnly([](const QString&) { return false; });
        QVERIFY(history.current().isEmpty() && !history.canGoBack());
    }

    // Jumps within a page are steps of their own, each with its place; a pruning keeps them.
    void jumpsWithinAPage()
    {
        NodeHistory history;
        history.shown(QStringLiteral("a"));
        history.shown(QStringLiteral("toc"));
        history.setCurrentScroll(0);
        history.jumpedWithin();
        history.setCurrentScroll(900);
        history.jumpedWithin();
        history.setCurrentScroll(1500);
        QCOMPARE(history.paths(), QStringList({"a", "toc", "toc", "toc"}));
        QCOMPARE(history.goBack(), QStringLiteral("toc"));
        QCOMPARE(history.currentScroll(), 900);
        history.keepOnly([](const QString& path) { return path != u"a"; });
        QCOMPARE(history.paths(), QStringList({"toc", "toc", "toc"}));
        QCOMPARE(history.currentScroll(), 900);
        history.jumpedWithin(); // drops what lay ahead, as a new node does
        QCOMPARE(history.paths().size(), 3);
        QVERIFY(!history.canGoForward());
    }
};

QTEST_GUILESS_MAIN(TestNodeHistory)
#include "tst_nodehistory.moc"
