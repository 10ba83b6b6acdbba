#include "support/latestwork.h"

#include <QSemaphore>
#include <QSignalSpy>
#include <QTest>

#include <atomic>

// Work handed off the window's thread: only the latest result reaches the owner, stale work
// is told to stop, and nothing arrives after its owner has gone.
class TestLatestWork : public QObject
{
    Q_OBJECT

private slots:
    void onlyTheLatestResultArrives()
    {
        QObject owner;
        LatestWork<int> work(&owner);
        QSemaphore started;
        QSemaphore release;
        std::atomic<bool> firstSawStop = false;
        QList<int> results;
        work.start(
            [&](const auto& run) {
                started.release();
                release.acquire(); // held until the second work has been started
                firstSawStop = run.isStopped();
                return 1;
            },
            [&](int result) { results.append(result); });
        QVERIFY(work.isRunning());
        started.acquire(); // work made stale before it begins does not run at all
        work.start([](const auto&) { return 2; }, [&](int result) { results.append(result); });
        release.release();
        QTRY_COMPARE(results, QList<int>{2});
        QVERIFY(firstSawStop);
        QVERIFY(!work.isRunning());
        QTest::qWait(50);
        QCOMPARE(results, QList<int>{2});
    }

    // Cancelled work does not count as running: a part may start anew at once (and a part
    // that waits for the cancelled work's end would wait for nothing).
    void cancelledWorkIsNoLongerRunning()
    {
        QObject owner;
        LatestWork<int> work(&owner);
        QSemaphore release;
        int done = 0;
        work.start(
            [&](const auto&) {
                release.acquire();
                return 1;
            },
            [&](int) { ++done; });
        work.cancel();
        QVERIFY(!work.isRunning());
        release.release();
        work.wait();
        QTest::qWait(50);
        QCOMPARE(done, 0);
        work.start([](const auto&) { return 2; }, [&](int) { ++done; });
        QVERIFY(work.isRunning());
        QTRY_COMPARE(done, 1);
        QVERIFY(!work.isRunning());
    }

    // Pieces handed over while the work runs arrive in order, until the work goes stale.
    void piecesStopWhenStale()
    {
        QObject owner;
        LatestWork<void> work(&owner);
        QSemaphore step;
        QList<int> pieces;
        bool ended = false;
        work.start(
            [&](const auto& run) {
                for (int i = 0; i < 3 && !run.isStopped(); ++i) {
                    run.handOver([&pieces, i] { pieces.append(i); });
                    step.acquire();
                }
            },
            [&] { ended = true; });
        step.release();
        QTRY_COMPARE(pieces, (QList<int>{0, 1}));
        work.cancel();
        step.release(2);
        work.wait();
        QTest::qWait(50);
        QCOMPARE(pieces, (QList<int>{0, 1}));
        QVERIFY(!ended);
    }

    // The helper's end stops its work and waits for it; nothing arrives afterwards.
    void nothingArrivesAfterTheEnd()
    {
        QObject owner;
        std::atomic<bool> stopped = false;
        int done = 0;
        {
            LatestWork<int> work(&owner, QThread::LowestPriority);
            work.start(
                [&](const auto& run) {
                    while (!run.isStopped())
                        QThread::msleep(1);
                    stopped = true;
                    return 1;
                },
                [&](int) { ++done; });
            QThread::msleep(20);
        }
        QVERIFY(stopped);
        QTest::qWait(50);
        QCOMPARE(done, 0);
    }
};

QTEST_GUILESS_MAIN(TestLatestWork)
#include "tst_latestwork.moc"
