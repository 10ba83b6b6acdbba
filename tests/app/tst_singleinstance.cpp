#include "apptestmain.h"
#include "singleinstance.h"
#include "suitefixture.h"

#include <QLocalSocket>
#include <QProcess>
#include <QSignalSpy>

class TestSingleInstance : public QObject
{
    Q_OBJECT

    // The real program copied into a suite of its own, so its settings stay apart.
    static QString installProgram(const SuiteFixture& suite)
    {
        QFile::remove(suite.programFile());
        return QFile::copy(QStringLiteral(LECTORIA_BINARY), suite.programFile())
                   ? suite.programFile()
                   : QString();
    }

    static bool isListening(const QString& program)
    {
        QLocalSocket socket;
        socket.connectToServer(SingleInstance::keyFor(program));
        return socket.waitForConnected(200);
    }

private slots:
    void secondProcessShowsFirstAndEnds()
    {
        SuiteFixture suite;
        const QString program = installProgram(suite);
        QVERIFY(!program.isEmpty());

        QProcess first;
        first.start(program, {});
        QVERIFY(first.waitForStarted());
        QTRY_VERIFY_WITH_TIMEOUT(isListening(program), 60000);
        // The first instance writes its settings only when it closes.
        QVERIFY(!QFileInfo::exists(suite.iniFile()));

        QProcess second;
        second.start(program, {});
        QVERIFY(second.waitForFinished(60000));
        QCOMPARE(second.exitStatus(), QProcess::NormalExit);
        QCOMPARE(second.exitCode(), 0);
        QVERIFY(!QFileInfo::exists(suite.iniFile()));
        QCOMPARE(first.state(), QProcess::Running);

        first.kill();
        first.waitForFinished();
    }

    void secondProcessAsksTheRunningOneToShow()
    {
        SuiteFixture suite;
        const QString program = installProgram(suite);
        QVERIFY(!program.isEmpty());
        QVERIFY(TestFiles::write(suite.iniFile(), "[TreeView]\nWidth=123\n"));

        SingleInstance running;
        QVERIFY(running.claim(program));
        QSignalSpy showRequests(&running, &SingleInstance::showRequested);

        QProcess second;
        second.start(program, {});
        QVERIFY(second.waitForStarted());
        QVERIFY(showRequests.wait(60000));
        QVERIFY(second.waitForFinished(60000));
        QCOMPARE(second.exitCode(), 0);
        QCOMPARE(TestFiles::read(suite.iniFile()), QByteArray("[TreeView]\nWidth=123\n"));

        // Another program file is another program.
        SingleInstance other;
        QVERIFY(other.claim(suite.suiteDir() + QStringLiteral("Bin/other")));
    }
};

LECTORIA_APP_TEST_MAIN(TestSingleInstance)
#include "tst_singleinstance.moc"
