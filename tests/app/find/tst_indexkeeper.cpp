#include "find/indexkeeper.h"
#include "testsupport/testfiles.h"

#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

// The window's index keeper: an update asked for again while one runs for the same folders
// does not start over; it runs once more afterwards.
class TestIndexKeeper : public QObject
{
    Q_OBJECT

private slots:
    void sameFoldersGoOn()
    {
        QTemporaryDir dir;
        qputenv("XDG_CACHE_HOME", dir.filePath(QStringLiteral("cache")).toUtf8());
        const QString library = dir.filePath(QStringLiteral("library"));
        for (int i = 0; i < 400; ++i)
            QVERIFY(TestFiles::write(
                library + QStringLiteral("/Папка %1/Документ %2.htm").arg(i % 20).arg(i),
                TestFiles::cp1251(QStringLiteral("<p>Текст %1</p>").arg(i))));
        IndexKeeper keeper;
        QStringList progress;
        bool agreed = true; // the options dialog's state is what the status bar says
        connect(&keeper, &IndexKeeper::statusMessage, &keeper,
                [&progress, &agreed, &keeper](const QString& text) {
                    progress.append(text);
                    agreed = agreed && keeper.stateText() == text;
                });
        QSignalSpy finished(&keeper, &IndexKeeper::finished);
        keeper.update({library});
        QVERIFY(keeper.isUpdating());
        keeper.update({library}); // as after a search: the same folders
        QVERIFY(keeper.isUpdating());
        QTRY_COMPARE_WITH_TIMEOUT(finished.size(), 2, 60000); // the run, and once more
        QVERIFY(!keeper.isUpdating());
        // The count of the first run never went back.
        int last = -1;
        for (const QString& text : std::as_const(progress)) {
            if (!text.contains(QStringLiteral(" из ")))
                break;
            const int done = text.section(u' ', 1, 1).toInt();
            QVERIFY2(done >= last, qPrintable(progress.join(u'\n')));
            last = done;
        }
        QCOMPARE(keeper.stateText(), QStringLiteral("Индекс: 400 документов"));
        QVERIFY(agreed);
    }
};

QTEST_MAIN(TestIndexKeeper)
#include "tst_indexkeeper.moc"
