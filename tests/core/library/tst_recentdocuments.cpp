#include "library/recentdocuments.h"
#include "settings/appsettings.h"
#include "testsupport/testfiles.h"

#include <QTemporaryDir>
#include <QTest>

// The documents shown last: newest first, each once, at most twenty, kept in the settings.
class TestRecentDocuments : public QObject
{
    Q_OBJECT

private slots:
    void newestFirstEachOnce()
    {
        RecentDocuments recent;
        QVERIFY(recent.shown(QStringLiteral("/l/a.htm"), QStringLiteral("А")));
        QVERIFY(recent.shown(QStringLiteral("/l/b.htm"), QStringLiteral("Б")));
        QVERIFY(!recent.shown(QStringLiteral("/l/b.htm"), QStringLiteral("Б"))); // first already
        QVERIFY(recent.shown(QStringLiteral("/l/a.htm"), QStringLiteral("А")));
        QCOMPARE(recent.size(), 2);
        QCOMPARE(recent.items().at(0).path, QStringLiteral("/l/a.htm"));
        // A new label of the same document renews it; an empty one is its path.
        QVERIFY(recent.shown(QStringLiteral("/l/a.htm"), QString()));
        QCOMPARE(recent.items().at(0).label, QStringLiteral("/l/a.htm"));
        QVERIFY(!recent.shown(QString(), QStringLiteral("x")));
        for (int i = 0; i < 30; ++i)
            recent.shown(QStringLiteral("/l/%1.htm").arg(i), QString::number(i));
        QCOMPARE(recent.size(), RecentDocuments::MaxCount);
        QCOMPARE(recent.items().first().label, QStringLiteral("29"));
        QCOMPARE(recent.items().last().label, QStringLiteral("10"));
    }

    // Kept in [Recent]; a file written by hand with repeats or too many is read sanely.
    void keptInTheSettings()
    {
        QTemporaryDir dir;
        const QString file = dir.filePath(QStringLiteral("Lectoria.ini"));
        {
            AppSettings settings(file);
            RecentDocuments recent;
            recent.shown(QStringLiteral("/l/старый.htm"), QStringLiteral("Старый"));
            recent.shown(QStringLiteral("/l/новый.htm"), QStringLiteral("Новый"));
            QVERIFY(settings.setRecentDocuments(recent));
            QCOMPARE(settings.recentDocuments().items(), recent.items());
        }
        QVERIFY(TestFiles::write(file, "[Recent]\nCount=99\nPath1=/l/a.htm\nLabel1=A\n"
                                       "Path2=/l/a.htm\nLabel2=A2\nPath3=\nPath4=/l/b.htm\n"));
        const RecentDocuments read = AppSettings(file).recentDocuments();
        QCOMPARE(read.size(), 2);
        QCOMPARE(read.items().at(0).label, QStringLiteral("A"));
        QCOMPARE(read.items().at(1).label, QStringLiteral("/l/b.htm"));
    }
};

QTEST_GUILESS_MAIN(TestRecentDocuments)
#include "tst_recentdocuments.moc"
