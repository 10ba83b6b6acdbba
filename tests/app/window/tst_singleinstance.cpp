#include "support/singleinstance.h"
#include "testsupport/apptestmain.h"
#include "testsupport/suitefixture.h"

#include <QLocalSocket>
#include <QProcess>
#include <QSignalSpy>

#include <unistd.h>

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

    void endingSignalClosesAsTheUserDoes()
    {
        SuiteFixture suite;
        const QString program = installProgram(suite);
        QVERIFY(!program.isEmpty());
        const QString tmp = suite.scratch(QStringLiteral("tmp"));
        QProcess running;
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert(QStringLiteral("TMPDIR"), tmp);
        running.setProcessEnvironment(environment);
        running.start(program, {});
        QVERIFY(running.waitForStarted());
        QTRY_VERIFY_WITH_TIMEOUT(isListening(program), 60000);
        running.terminate(); // SIGTERM
        QVERIFY(running.waitForFinished(60000));
        QVERIFY(QFileInfo::exists(suite.iniFile())); // the window's settings were written
        QCOMPARE(QDir(tmp).entryList({QStringLiteral("lectoria-*")}, QDir::Dirs), QStringList());
    }

    void noPrivatePlaceMeansNoHandOver()
    {
        // A runtime folder another user owns could hold that user's server: a start then runs
        // on its own instead of handing over (or ending).
        if (::geteuid() != 0)
            QSKIP("needs to give a folder to another user (run as root)");
        SuiteFixture suite;
        // Without a runtime folder of the session the fallback is "<temp>/runtime-<user>":
        // here it was made by another user.
        const QByteArray runtime = qgetenv("XDG_RUNTIME_DIR");
        const QByteArray temp = qgetenv("TMPDIR");
        const QString tmp = suite.scratch(QStringLiteral("tmp"));
        const QString shared = tmp + QStringLiteral("/runtime-root");
        QVERIFY(QDir().mkpath(shared));
        QVERIFY(::chown(QFile::encodeName(shared).constData(), 65534, 65534) == 0);
        qunsetenv("XDG_RUNTIME_DIR");
        qputenv("TMPDIR", QFile::encodeName(tmp));
        const QString program = suite.programFile();
        QCOMPARE(SingleInstance::keyFor(program), QString());
        SingleInstance first;
        SingleInstance second;
        QVERIFY(first.claim(program));
        QVERIFY(second.claim(program));
        qputenv("XDG_RUNTIME_DIR", runtime);
        qputenv("TMPDIR", temp);
    }
};

LECTORIA_APP_TEST_MAIN(TestSingleInstance)
#include "tst_singleinstance.moc"
