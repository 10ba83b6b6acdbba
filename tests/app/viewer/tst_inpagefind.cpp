#include "find/searchcontroller.h"
#include "platform/userworkdir.h"
#include "testsupport/apptestmain.h"
#include "testsupport/pagescript.h"
#include "testsupport/startwindow.h"
#include "testsupport/suitefixture.h"
#include "tree/documenttree.h"
#include "tree/documenttreepanel.h"
#include "viewer/documentviewer.h"
#include "viewer/titlepanel.h"
#include "window/mainwindow.h"
#include "window/toprow.h"

#include <QComboBox>
#include <QLabel>
#include <QSignalSpy>
#include <QTreeWidget>
#include <QWebEnginePage>
#include <QWebEngineScript>
#include <QWebEngineView>

class TestInPageFind : public QObject
{
    Q_OBJECT

    SuiteFixture m_suite;
    std::unique_ptr<MainWindow> m_form;

    QVariant evaluate(const QString& script)
    {
        return evaluateInPage(m_form->viewer()->view()->page(), script);
    }
    QString selection() { return selectionInPage(m_form->viewer()->view()->page()); }
    // Loads a document in search mode for the context and waits until the page has settled.
    void show(const QString& caption, const QString& context, bool matchCase)
    {
        m_form->search()->setSearchMode(true);
        m_form->search()->setSearchMode(true, context);
        {
            MatchOptions options = m_form->search()->matchOptions();
            options.caseSensitive = matchCase;
            m_form->search()->setMatchOptions(options);
        }
        QSignalSpy loads(m_form->viewer()->view(), &QWebEngineView::loadFinished);
        QSignalSpy finds(m_form->viewer(), &DocumentViewer::inPageFindFinished);
        QTreeWidgetItem* root = m_form->treePanel()->view()->topLevelItem(0);
        m_form->treePanel()->view()->setCurrentItem(root);
        for (int i = 0; i < root->childCount(); ++i) {
            if (root->child(i)->text(0) == caption)
                m_form->treePanel()->view()->setCurrentItem(root->child(i));
        }
        QVERIFY(QTest::qWaitFor(
            [&] {
                return m_form->viewer()->view()->url().toLocalFile().endsWith(
                           QStringLiteral("NormDoc.htm")) &&
                       !loads.isEmpty() && loads.last().first().toBool();
            },
            20000));
        QTRY_VERIFY_WITH_TIMEOUT(!finds.isEmpty(), 10000); // the find answers asynchronously
    }

private slots:
    void initTestCase()
    {
        qputenv("TMPDIR", m_suite.scratch(QStringLiteral("tmp")).toLocal8Bit());
        const QString filler = QStringLiteral("<p>строка текста</p>\r\n").repeated(200);
        QVERIFY(TestFiles::write(
            m_suite.normDoc(QStringLiteral("Шпунт.htm")),
            TestFiles::cp1251(QStringLiteral("<html>\r\n<head>\r\n<meta http-equiv=Content-Type "
                                             "content=\"text/html; charset=windows-1251\">\r\n"
                                             "</head>\r\n<body lang=RU>\r\n") +
                              filler +
                              QStringLiteral("<p>Шпунт ларсен-5 и ЛАРСЕН</p></body></html>"))));
        QVERIFY(TestFiles::write(m_suite.normDoc(QStringLiteral("Разметка.htm")),
                                 TestFiles::cp1251(QStringLiteral(
                                     "<html><body><!-- ларсен "
                                     "--><table><tr><td>текст</td></tr></table></body></html>"))));
        QVERIFY(TestFiles::write(
            m_suite.normDoc(QStringLiteral("Разрыв.htm")),
            TestFiles::cp1251(QStringLiteral("<html><body>") + filler +
                              QStringLiteral("<p>Сметная\r\n<span class=SpellE>стои</span>мость "
                                             "<b>x</b></p><table><tr><td>сметная</td>\r\n"
                                             "<td>стоимость</td></tr></table></body></html>"))));
        QVERIFY(TestFiles::write(m_suite.iniFile(),
                                 "[TreeView]\nNormDocButton=1\n[CppWebBrowser]\nScale=2\n"));
        m_form = startWindow(m_suite.programFile());
        QVERIFY(m_form);
    }
    void cleanupTestCase() { m_form.reset(); }

    void firstOccurrenceIsSelected()
    {
        const int before = m_form->viewer()->inPageFindCount();
        show(QStringLiteral("Шпунт"), QStringLiteral("ЛАРСЕН"), false);
        QTRY_COMPARE(selection(), QStringLiteral("ларсен"));
        QCOMPARE(m_form->viewer()->inPageFindCount(),
                 before + 1);                                   // one find, no second one after it
        QCOMPARE(m_form->viewer()->view()->zoomFactor(), 1.4f); // the zoom follows the find
        // The occurrence is scrolled into view, at any zoom, also after the zoom changes.
        const QString inView =
            QStringLiteral("var r = window.getSelection().getRangeAt(0).getBoundingClientRect();"
                           "window.scrollY > 0 && r.top >= 0 && r.bottom <= window.innerHeight");
        QTRY_VERIFY(evaluate(inView).toBool());
        QSignalSpy finds(m_form->viewer(), &DocumentViewer::inPageFindFinished);
        m_form->zoomBox()->setCurrentIndex(m_form->zoomBox()->count() - 1);
        emit m_form->topRow()->zoomChosen(); // as the user chooses it
        QTRY_VERIFY_WITH_TIMEOUT(!finds.isEmpty(), 20000);
        QTRY_COMPARE(selection(), QStringLiteral("ларсен"));
        QTRY_VERIFY(evaluate(inView).toBool());
        finds.clear();
        m_form->zoomBox()->setCurrentIndex(2);
        emit m_form->topRow()->zoomChosen(); // as the user chooses it
        QTRY_VERIFY_WITH_TIMEOUT(!finds.isEmpty(), 20000);
        QTRY_VERIFY(evaluate(inView).toBool());
        // The marks of the copy show their colours (white on red by default).
        QTRY_COMPARE(evaluate(QStringLiteral("var s = window.getSelection().anchorNode"
                                             ".parentElement; var c = getComputedStyle(s);"
                                             "c.color + ' on ' + c.backgroundColor"))
                         .toString(),
                     QStringLiteral("rgb(255, 255, 255) on rgb(255, 0, 0)"));
    }

    // In text mode the occurrence is found as the reader sees it, across tags, a line break and
    // table cells, and the first one is selected and scrolled into view.
    void textModeSelectsTheOccurrenceAcrossMarkup()
    {
        {
            MatchOptions options = m_form->search()->matchOptions();
            options.textMode = true;
            m_form->search()->setMatchOptions(options);
        }
        show(QStringLiteral("Разрыв"), QStringLiteral("сметная стоимость"), false);
        {
            MatchOptions options = m_form->search()->matchOptions();
            options.textMode = false;
            m_form->search()->setMatchOptions(options);
        }
        QTRY_COMPARE(selection().simplified(), QStringLiteral("Сметная стоимость"));
        QCOMPARE(evaluate(QStringLiteral("new Set(Array.from(document.querySelectorAll("
                                         "'[data-occurrence]'), m => m.dataset.occurrence)).size"))
                     .toInt(),
                 2);
        QTRY_VERIFY(evaluate(QStringLiteral("var r = window.getSelection().getRangeAt(0)"
                                            ".getBoundingClientRect(); window.scrollY > 0 && "
                                            "r.top >= 0 && r.bottom <= window.innerHeight"))
                        .toBool());
        QVERIFY(!m_form->titlePanel()->text().contains(QStringLiteral("разметке")));
    }

    void matchCase()
    {
        show(QStringLiteral("Шпунт"), QStringLiteral("ЛАРСЕН"), true);
        QTRY_COMPARE(selection(), QStringLiteral("ЛАРСЕН"));
        show(QStringLiteral("Шпунт"), QStringLiteral("Ларсен"), true);
        QCOMPARE(selection(), QString());
    }

    void onlyInMarkupOrSearchModeOff()
    {
        const int before = m_form->viewer()->inPageFindCount();
        show(QStringLiteral("Разметка"), QStringLiteral("ларсен"), false);
        QCOMPARE(selection(), QString());
        QCOMPARE(m_form->viewer()->inPageFindCount(), before);
        QVERIFY(
            m_form->titlePanel()->text().endsWith(QStringLiteral("совпадения только в разметке")));

        m_form->search()->setSearchMode(false);
        const int requests = m_form->viewer()->inPageFindRequests();
        QSignalSpy loads(m_form->viewer()->view(), &QWebEngineView::loadFinished);
        QTreeWidgetItem* root = m_form->treePanel()->view()->topLevelItem(0);
        m_form->treePanel()->view()->setCurrentItem(root->child(1));
        QTRY_VERIFY_WITH_TIMEOUT(!loads.isEmpty(), 20000);
        QCOMPARE(m_form->viewer()->inPageFindRequests(), requests); // no find asked for
        QCOMPARE(selection(), QString());
        QCOMPARE(m_form->viewer()->inPageFindCount(), before);
    }
};

LECTORIA_APP_TEST_MAIN(TestInPageFind)
#include "tst_inpagefind.moc"
