#include "platform/userworkdir.h"
#include "settings/inifile.h"
#include "testsupport/apptestmain.h"
#include "testsupport/pagescript.h"
#include "testsupport/startwindow.h"
#include "testsupport/suitefixture.h"
#include "tree/documenttree.h"
#include "tree/documenttreepanel.h"
#include "viewer/documentpage.h"
#include "viewer/documentviewer.h"
#include "viewer/titlepanel.h"
#include "window/mainwindow.h"
#include "window/toprow.h"

#include <QCheckBox>
#include <QComboBox>
#include <QImage>
#include <QLabel>
#include <QSignalSpy>
#include <QSplitter>
#include <QTcpServer>
#include <QTreeWidget>
#include <QWebEnginePage>
#include <QWebEngineScript>
#include <QWebEngineView>

class TestDisplay : public QObject
{
    Q_OBJECT

    SuiteFixture m_suite;
    std::unique_ptr<MainWindow> m_form;
    QString m_hashDoc;

    QTreeWidgetItem* node(const QStringList& captions) const
    {
        QTreeWidgetItem* item = m_form->treePanel()->view()->topLevelItem(0);
        for (const QString& caption : captions) {
            item->setExpanded(true);
            QTreeWidgetItem* found = nullptr;
            for (int i = 0; i < item->childCount() && !found; ++i) {
                if (item->child(i)->text(0) == caption)
                    found = item->child(i);
            }
            if (!found)
                return nullptr;
            item = found;
        }
        return item;
    }

    // Selects a node as the user does and waits for the viewer to settle on the address.
    bool select(QTreeWidgetItem* item, const QUrl& expected)
    {
        m_form->treePanel()->view()->setCurrentItem(item);
        return QTest::qWaitFor([&] { return m_form->viewer()->view()->url() == expected; }, 20000);
    }
    QString pageText()
    {
        QString text;
        bool done = false;
        m_form->viewer()->view()->page()->toPlainText([&](const QString& result) {
            text = result;
            done = true;
        });
        if (!QTest::qWaitFor([&] { return done; }, 10000))
            return QString();
        return text;
    }
    QStringList viewerWorkEntries() const
    {
        return QDir(UserWorkDir::viewerWorkDir())
            .entryList(QDir::NoDotAndDotDot | QDir::AllEntries);
    }
    QVariant evaluate(const QString& script)
    {
        return evaluateInPage(m_form->viewer()->view()->page(), script);
    }
    static QUrl blank() { return QUrl(QStringLiteral("about:blank")); }

private slots:
    void initTestCase()
    {
        qputenv("TMPDIR", m_suite.scratch(QStringLiteral("tmp")).toLocal8Bit());
        m_hashDoc = m_suite.normDoc(QStringLiteral("Раздел 1.2/Смета #1 на 50% ?.htm"));
        QVERIFY(TestFiles::write(
            m_hashDoc, TestFiles::cp1251(QStringLiteral(
                           "<html><body><p>Сметная стоимость работ</p>"
                           "<img src=\"Смета #1 на 50% ?.files/p.png\"></body></html>"))));
        QVERIFY(TestFiles::write(
            m_suite.normDoc(QStringLiteral("Раздел 1.2/Смета #1 на 50% ?.files/p.png")), "png"));
        QVERIFY(TestFiles::write(m_suite.normDoc(QStringLiteral("Раздел 1.2/_index.htm")),
                                 "<p>index</p>"));
        QVERIFY(TestFiles::write(m_suite.normDoc(QStringLiteral("Раздел 1/_index.htm")),
                                 "<p>wrong</p>"));
        QVERIFY(TestFiles::write(m_suite.normDoc(QStringLiteral("Без страницы/Плита.htm")),
                                 "<p>плита</p>"));
        QVERIFY(TestFiles::write(m_suite.normDoc(QStringLiteral("Общие.htm")), "<p>общие</p>"));
        QVERIFY(TestFiles::write(m_suite.iniFile(), "[TreeView]\nNormDocButton=1\n"));
        m_form = startWindow(m_suite.programFile());
        QVERIFY(m_form);
    }
    void cleanupTestCase() { m_form.reset(); }

    // A large document is marked apart from the window: it is shown with its marks and
    // counts once they are made, and a node shown meanwhile is not overtaken by them.
    void largeDocumentMarkedApart()
    {
        const QString large = m_suite.normDoc(QStringLiteral("Большой.htm"));
        const QByteArray line = TestFiles::cp1251(
            QStringLiteral("<p>Сметная стоимость: портландцемент Portland</p>\r\n"));
        const qsizetype lines = DocumentViewer::LargeDocument / line.size() + 1000;
        QVERIFY(TestFiles::write(large, line.repeated(lines)));
        DocumentViewer* viewer = m_form->viewer();
        QSignalSpy counted(viewer, &DocumentViewer::shownChanged);
        const DocumentViewer::Highlighting highlighting{{QStringLiteral("portland")},
                                                        MatchOptions{false, false, true, false}};
        // The title panel hears of the node at once, and of its counts when the copy is made.
        const QString title = QStringLiteral("Нормативная документация->Большой");
        viewer->showNode(NodeKind::Document, large, QStringLiteral("Большой"), title, highlighting);
        QCOMPARE(viewer->shownMarks(), -1); // not yet
        QCOMPARE(counted.size(), 1);
        QCOMPARE(counted.constFirst().at(0).toString(), title);
        QCOMPARE(counted.constFirst().at(1).toInt(), -1);
        QVERIFY(counted.wait(60000));
        QCOMPARE(counted.constLast().at(0).toString(), title);
        QCOMPARE(counted.constLast().at(1).toInt(), int(lines));
        QCOMPARE(viewer->shownMarks(), int(lines));
        QTRY_VERIFY_WITH_TIMEOUT(viewer->view()->url().fileName() == u"NormDoc.htm", 20000);

        // Another node shown before the copy is made wins.
        counted.clear();
        viewer->showNode(NodeKind::Document, large, QStringLiteral("Большой"), title, highlighting);
        viewer->showNode(NodeKind::Document, m_suite.normDoc(QStringLiteral("Общие.htm")),
                         QStringLiteral("Общие"), QStringLiteral("Общие"), highlighting);
        QCOMPARE(viewer->shownMarks(), 0);
        QTest::qWait(200);
        QCOMPARE(counted.size(), 2);
        QCOMPARE(counted.constLast().at(0).toString(), QStringLiteral("Общие"));
        QCOMPARE(viewer->shownMarks(), 0);
        QVERIFY(QFile::remove(large));
    }

    void documentsAndFolderPages()
    {
        QVERIFY(select(node({QStringLiteral("Раздел 1.2"), QStringLiteral("Смета #1 на 50% ?")}),
                       QUrl::fromLocalFile(m_hashDoc)));
        QTRY_VERIFY_WITH_TIMEOUT(pageText().contains(QStringLiteral("Сметная стоимость")), 20000);
        QCOMPARE(m_form->titlePanel()->text(),
                 QStringLiteral(" Нормативная документация->Раздел 1.2->Смета #1 на 50% ?"));
        QCOMPARE(m_form->titlePanel()->titleLabel()->toolTip(), m_form->titlePanel()->text());
        // Too long for the panel: shortened in the middle, the caption whole.
        m_form->titlePanel()->titleLabel()->resize(200, 20);
        const QString shown = m_form->titlePanel()->titleLabel()->text();
        QVERIFY2(shown.contains(u'…') && shown.endsWith(QStringLiteral("->Смета #1 на 50% ?")),
                 qPrintable(shown));
        QCOMPARE(viewerWorkEntries(), QStringList{QStringLiteral("Смета #1 на 50% ?.files")});

        // Only the last document's picture folder is kept (an empty one for a document without).
        QVERIFY(select(node({QStringLiteral("Общие")}),
                       QUrl::fromLocalFile(m_suite.normDoc(QStringLiteral("Общие.htm")))));
        QCOMPARE(viewerWorkEntries(), QStringList{QStringLiteral("Общие.files")});

        // A folder shows its own page, a dotted name kept whole; without a page it is blank.
        QVERIFY(
            select(node({QStringLiteral("Раздел 1.2")}),
                   QUrl::fromLocalFile(m_suite.normDoc(QStringLiteral("Раздел 1.2/_index.htm")))));
        QVERIFY(select(node({QStringLiteral("Без страницы")}), blank()));
        QVERIFY(select(node({QStringLiteral("Общие")}),
                       QUrl::fromLocalFile(m_suite.normDoc(QStringLiteral("Общие.htm")))));
        QVERIFY(select(m_form->treePanel()->view()->topLevelItem(0), blank()));
        QCOMPARE(m_form->titlePanel()->text(), QStringLiteral(" Нормативная документация"));
    }

    void showDocOffAndInactiveWindow()
    {
        QVERIFY(select(node({QStringLiteral("Общие")}),
                       QUrl::fromLocalFile(m_suite.normDoc(QStringLiteral("Общие.htm")))));
        m_form->showDocumentBox()->click();
        QTRY_COMPARE(m_form->viewer()->view()->url(), blank());
        QVERIFY(select(node({QStringLiteral("Раздел 1.2"), QStringLiteral("Смета #1 на 50% ?")}),
                       blank()));
        QCOMPARE(m_form->titlePanel()->text(),
                 QStringLiteral(" Нормативная документация->Раздел 1.2->Смета #1 на 50% ?"));
        m_form->showDocumentBox()->click();
        QTRY_COMPARE(m_form->viewer()->view()->url(), QUrl::fromLocalFile(m_hashDoc));

        // Another window is active: a selection changes neither the viewer nor the title.
        QWidget other;
        other.resize(200, 100);
        other.show();
        other.activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(&other));
        // The selection is handled at once: the title panel shows whether it was taken.
        m_form->treePanel()->view()->setCurrentItem(node({QStringLiteral("Общие")}));
        QCOMPARE(m_form->viewer()->view()->url(), QUrl::fromLocalFile(m_hashDoc));
        QCOMPARE(m_form->titlePanel()->text(),
                 QStringLiteral(" Нормативная документация->Раздел 1.2->Смета #1 на 50% ?"));
        other.close();
        m_form->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(m_form.get()));
    }

    void zoomHoldsForEveryPage()
    {
        QSignalSpy loads(m_form->viewer()->view(), &QWebEngineView::loadFinished);
        m_form->zoomBox()->setCurrentIndex(2);
        emit m_form->topRow()->zoomChosen(); // as the user chooses it
        QCOMPARE(IniFile().readInt(m_suite.iniFile(), QStringLiteral("CppWebBrowser"),
                                   QStringLiteral("Scale")),
                 2);
        QTRY_VERIFY_WITH_TIMEOUT(loads.count() > 0, 20000);
        QCOMPARE(m_form->viewer()->view()->zoomFactor(), 1.4f);
        loads.clear();
        QVERIFY(select(node({QStringLiteral("Раздел 1.2"), QStringLiteral("Смета #1 на 50% ?")}),
                       QUrl::fromLocalFile(m_hashDoc)));
        QTRY_VERIFY_WITH_TIMEOUT(loads.count() > 0, 20000);
        QCOMPARE(m_form->viewer()->view()->zoomFactor(), 1.4f);

        m_form->zoomBox()->setCurrentIndex(-1); // a stored index outside the list
        QCOMPARE(m_form->topRow()->selectedZoomFactor(), 1.0);
        m_form->zoomBox()->setCurrentIndex(5);
        QCOMPARE(m_form->topRow()->selectedZoomFactor(), 2.0);
    }

    // A planted page: its script would change it and read a local file, and it asks the
    // network for a picture, a style sheet, a frame and a refresh.
    void documentIsReadNotRun()
    {
        QTcpServer server;
        QVERIFY(server.listen(QHostAddress::LocalHost));
        int requests = 0;
        connect(&server, &QTcpServer::newConnection, &server, [&] {
            while (QTcpSocket* socket = server.nextPendingConnection()) {
                ++requests;
                socket->deleteLater();
            }
        });
        const QString remote = QStringLiteral("http://127.0.0.1:%1/").arg(server.serverPort());
        const QString path = m_suite.normDoc(QStringLiteral("Чужой.htm"));
        QVERIFY(QDir().mkpath(m_suite.normDoc(QStringLiteral("Чужой.files"))));
        QVERIFY(QImage(7, 5, QImage::Format_RGB32)
                    .save(m_suite.normDoc(QStringLiteral("Чужой.files/p.png"))));
        const QString outside =
            m_suite.scratch(QStringLiteral("outside")) + QStringLiteral("/p.png");
        QVERIFY(QImage(7, 5, QImage::Format_RGB32).save(outside));
        QVERIFY(TestFiles::write(
            path,
            TestFiles::cp1251(
                QStringLiteral("<html><head><link rel=stylesheet href='%1s.css'>"
                               "<meta http-equiv=refresh content='0;url=%1refresh'></head><body>"
                               "<p id=t>как есть</p><img id=own src='Чужой.files/p.png'>"
                               "<img id=outside src='%2'>"
                               "<img src='%1remote.png'><iframe src='%1frame'></iframe>"
                               "<a id=out href='file:///etc/hostname'>out</a><script>"
                               "document.getElementById('t').textContent = 'changed';"
                               "var x = new XMLHttpRequest(); x.open('GET', 'file:///etc/hostname',"
                               " false); x.send(); document.body.append(x.responseText);"
                               "new Image().src = '%1beacon';</script></body></html>")
                    .arg(remote))));
        m_form->refresh();
        QSignalSpy loads(m_form->viewer()->view(), &QWebEngineView::loadFinished);
        QVERIFY(select(node({QStringLiteral("Чужой")}), QUrl::fromLocalFile(path)));
        QTRY_VERIFY_WITH_TIMEOUT(!loads.isEmpty(), 20000);

        // The page is as written, its own picture is there, the network saw nothing.
        QCOMPARE(evaluate(QStringLiteral("document.getElementById('t').textContent")).toString(),
                 QStringLiteral("как есть"));
        // Nothing appended: the body holds only the elements written.
        QCOMPARE(evaluate(QStringLiteral("document.body.childNodes.length")).toInt(),
                 evaluate(QStringLiteral("document.body.children.length")).toInt());
        QCOMPARE(evaluate(QStringLiteral("document.getElementById('own').naturalWidth")).toInt(),
                 7);
        QCOMPARE(requests, 0);

        // A link out of the library is refused; the document stays.
        QSignalSpy refused(m_form->viewer()->page(), &DocumentPage::navigationRefused);
        evaluate(QStringLiteral("document.getElementById('out').click()"));
        QTRY_VERIFY_WITH_TIMEOUT(!refused.isEmpty(), 10000);
        QCOMPARE(m_form->viewer()->view()->url(), QUrl::fromLocalFile(path));
        QCOMPARE(requests, 0);
    }

    void documentPaneSwitch()
    {
        QTest::keyClick(m_form->treePanel()->view(), Qt::Key_F5);
        QVERIFY(!m_form->showDocumentBox()->isChecked());
        QVERIFY(!m_form->viewer()->isVisible());
        QVERIFY(!m_form->splitter()->handle(1)->isVisible());
        QCOMPARE(m_form->treePanel()->width(), m_form->splitter()->width());
        QTest::keyClick(m_form->treePanel()->view(), Qt::Key_F5);
        QVERIFY(m_form->showDocumentBox()->isChecked());
        QVERIFY(m_form->viewer()->isVisible());
        QVERIFY(m_form->splitter()->handle(1)->isVisible());
        // A quarter of the window, but wide enough to read.
        QCOMPARE(m_form->treePanel()->width(), qMin(qMax(m_form->frameGeometry().width() / 4, 240),
                                                    m_form->splitter()->width() / 2));
    }
};

LECTORIA_APP_TEST_MAIN(TestDisplay)
#include "tst_display.moc"
