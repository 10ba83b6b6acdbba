#include "find/searchcontroller.h"
#include "testsupport/apptestmain.h"
#include "testsupport/pagescript.h"
#include "testsupport/startwindow.h"
#include "testsupport/suitefixture.h"
#include "tree/documenttree.h"
#include "tree/documenttreepanel.h"
#include "viewer/documentviewer.h"
#include "viewer/occurrencenavigator.h"
#include "viewer/titlepanel.h"
#include "window/mainwindow.h"
#include "window/nodenavigation.h"

#include <QDesktopServices>
#include <QLabel>
#include <QPrinterInfo>
#include <QSignalSpy>

#include <QToolButton>
#include <QTreeWidget>
#include <QWebEnginePage>
#include <QWebEngineView>
#include <sys/stat.h>

#include <sys/stat.h>

// Catches the addresses handed to the desktop's browser.
class UrlCatcher : public QObject
{
    Q_OBJECT
public:
    QList<QUrl> urls;
public slots:
    void open(const QUrl& url) { urls.append(url); }
};

class TestNavigation : public QObject
{
    Q_OBJECT

    SuiteFixture m_suite;
    std::unique_ptr<MainWindow> m_form;

    QVariant evaluate(const QString& script)
    {
        return evaluateInPage(m_form->viewer()->view()->page(), script);
    }
    QString selection() { return selectionInPage(m_form->viewer()->view()->page()); }
    QTreeWidgetItem* node(const QString& caption)
    {
        QTreeWidgetItem* root = m_form->treePanel()->view()->topLevelItem(0);
        for (int i = 0; i < root->childCount(); ++i) {
            if (root->child(i)->text(0) == caption)
                return root->child(i);
        }
        return nullptr;
    }
    // Selects a document as the user does and waits until its page has loaded.
    void choose(const QString& caption)
    {
        QSignalSpy loads(m_form->viewer()->view(), &QWebEngineView::loadFinished);
        m_form->treePanel()->view()->setCurrentItem(node(caption));
        QTRY_VERIFY_WITH_TIMEOUT(!loads.isEmpty(), 20000);
    }
    QString shown() const
    {
        return m_form->treePanel()->view()->currentItem()
                   ? m_form->treePanel()->view()->currentItem()->text(0)
                   : QString();
    }

private slots:
    void initTestCase()
    {
        qputenv("TMPDIR", m_suite.scratch(QStringLiteral("tmp")).toLocal8Bit());
        const QString filler = QStringLiteral("<p>строка текста</p>\r\n").repeated(150);
        const auto page = [](const QString& body) {
            return TestFiles::cp1251(QStringLiteral("<html><body>") + body +
                                     QStringLiteral("</body></html>"));
        };
        QVERIFY(TestFiles::write(m_suite.normDoc(QStringLiteral("Шпунт.htm")),
                                 page(QStringLiteral("<p>Шпунт ларсен-5</p>") + filler +
                                      QStringLiteral("<p>и ЛАРСЕН, <a href='Ссылки.htm'>x</a>"
                                                     "</p>") +
                                      filler + QStringLiteral("<p id=end>Ларсен</p>"))));
        QVERIFY(TestFiles::write(m_suite.normDoc(QStringLiteral("Раздел/_index.htm")),
                                 page(QStringLiteral("<p>Страница раздела</p>"))));
        QVERIFY(TestFiles::write(m_suite.normDoc(QStringLiteral("Раздел/Лист.htm")),
                                 page(QStringLiteral("<p>лист</p>"))));
        QVERIFY(TestFiles::write(
            m_suite.normDoc(QStringLiteral("Ссылки.htm")),
            page(QStringLiteral("<a id=local href='Шпунт.htm#end'>шпунт</a> <a id=web "
                                "href='http://example.com/'>сайт</a> <a id=out "
                                "href='../../outside.htm'>вне</a> <a id=folder "
                                "href='Раздел/_index.htm'>раздел</a>"))));
        QVERIFY(
            TestFiles::write(m_suite.normDoc(QStringLiteral("Оглавление.htm")),
                             page(QStringLiteral("<p><a id=toc href='#part2'>Часть 2</a></p>") +
                                  filler + QStringLiteral("<p id=part2>Часть 2</p>") + filler)));
        QVERIFY(TestFiles::write(m_suite.iniFile(), "[TreeView]\nNormDocButton=1\n"));
        m_form = startWindow(m_suite.programFile());
        QVERIFY(m_form);
    }
    void cleanupTestCase() { m_form.reset(); }

    // The count, stepping through the marks (round the end, with a note) and the keys' hints.
    void stepsThroughOccurrences()
    {
        m_form->search()->setSearchMode(true);
        m_form->search()->setSearchMode(true, QStringLiteral("ларсен"));
        QSignalSpy finds(m_form->viewer(), &DocumentViewer::inPageFindFinished);
        choose(QStringLiteral("Шпунт"));
        QTRY_VERIFY_WITH_TIMEOUT(!finds.isEmpty(), 10000);
        QVERIFY(m_form->titlePanel()->text().endsWith(QStringLiteral("— 3 совпадения")));
        QTRY_COMPARE_WITH_TIMEOUT(m_form->titlePanel()->occurrenceLabel()->text(),
                                  QStringLiteral("1 из 3"), 20000);
        QVERIFY(m_form->titlePanel()->nextButton()->isVisible());
        QVERIFY(m_form->titlePanel()->nextButton()->toolTip().contains(QStringLiteral("Enter")));
        m_form->titlePanel()->nextButton()->click();
        QTRY_COMPARE_WITH_TIMEOUT(m_form->titlePanel()->occurrenceLabel()->text(),
                                  QStringLiteral("2 из 3"), 20000);
        QTRY_COMPARE_WITH_TIMEOUT(selection(), QStringLiteral("ЛАРСЕН"), 20000);
        m_form->viewer()->stepOccurrence(1);
        QTRY_COMPARE_WITH_TIMEOUT(m_form->titlePanel()->occurrenceLabel()->text(),
                                  QStringLiteral("3 из 3"), 20000);
        m_form->viewer()->stepOccurrence(1);
        // The note is shown at once, for a few seconds.
        QVERIFY(m_form->statusText().contains(QStringLiteral("с начала")));
        QTRY_COMPARE_WITH_TIMEOUT(m_form->titlePanel()->occurrenceLabel()->text(),
                                  QStringLiteral("1 из 3"), 20000);
        m_form->titlePanel()->previousButton()->click();
        QTRY_COMPARE_WITH_TIMEOUT(m_form->titlePanel()->occurrenceLabel()->text(),
                                  QStringLiteral("3 из 3"), 20000);
        QTRY_COMPARE_WITH_TIMEOUT(selection(), QStringLiteral("Ларсен"), 20000);
        m_form->search()->setSearchMode(false);

        // A rebuild (refresh, another collection, sort by date) leaves nothing of the
        // highlighted copy described: no count in the title, no counter.
        m_form->refresh();
        QVERIFY(m_form->titlePanel()->occurrenceLabel()->isHidden());
        QVERIFY(!m_form->titlePanel()->text().contains(QStringLiteral("совпадени")));
    }

    // Printing where there is no printer says so at once, and the viewer goes on.
    void printWithoutPrinters()
    {
        if (!QPrinterInfo::availablePrinters().isEmpty())
            QSKIP("this machine has a printer");
        TestAnswers::instance().messages.clear();
        m_form->viewer()->printDocument();
        QCOMPARE(TestAnswers::instance().messages.size(), 1);
        QVERIFY(TestAnswers::instance().messages.first().endsWith(
            QStringLiteral("Принтер не найден: сохраните документ как PDF")));
        choose(QStringLiteral("Ссылки"));
        choose(QStringLiteral("Шпунт"));
        QCOMPARE(shown(), QStringLiteral("Шпунт"));
    }

    // A jump within a page (its table of contents) is a step of the history: back returns to
    // the place left, forward to the jump's place again.
    void jumpsWithinAPage()
    {
        m_form->search()->setSearchMode(false);
        choose(QStringLiteral("Оглавление"));
        QTRY_VERIFY(evaluate(QStringLiteral("document.getElementById('toc') != null")).toBool());
        const bool couldGoBack = m_form->navigation()->canGoBack();
        evaluate(QStringLiteral("document.getElementById('toc').click()"));
        QTRY_VERIFY_WITH_TIMEOUT(m_form->viewer()->scrollPosition() > 100, 20000);
        QVERIFY(m_form->navigation()->canGoBack());
        const double jumped = m_form->viewer()->scrollPosition();
        m_form->navigation()->goBack();
        QTRY_VERIFY_WITH_TIMEOUT(m_form->viewer()->scrollPosition() < 2, 20000);
        QCOMPARE(shown(), QStringLiteral("Оглавление"));
        QCOMPARE(m_form->navigation()->canGoBack(), couldGoBack);
        m_form->navigation()->goForward();
        QTRY_VERIFY_WITH_TIMEOUT(qAbs(m_form->viewer()->scrollPosition() - jumped) < 2, 20000);
    }

    // Back and forward through the nodes shown, links to documents and to the web, and PDF.
    void historyLinksAndPdf()
    {
        m_form->search()->setSearchMode(false);
        choose(QStringLiteral("Ссылки"));
        choose(QStringLiteral("Шпунт"));
        m_form->navigation()->goBack();
        QTRY_COMPARE_WITH_TIMEOUT(shown(), QStringLiteral("Ссылки"), 20000);
        QVERIFY(m_form->navigation()->forwardButton()->isEnabled());
        m_form->navigation()->goForward();
        QTRY_COMPARE_WITH_TIMEOUT(shown(), QStringLiteral("Шпунт"), 20000);
        m_form->navigation()->goBack();
        QTRY_COMPARE_WITH_TIMEOUT(m_form->viewer()->view()->url().fileName(),
                                  QStringLiteral("Ссылки.htm"), 20000);
        QTRY_VERIFY(evaluate(QStringLiteral("document.getElementById('local') != null")).toBool());

        // A web link goes to the desktop's browser, the viewer stays; a link out opens nothing.
        UrlCatcher catcher;
        QDesktopServices::setUrlHandler(QStringLiteral("http"), &catcher, "open");
        const QUrl here = m_form->viewer()->view()->url();
        evaluate(QStringLiteral("document.getElementById('web').click()"));
        QTRY_COMPARE_WITH_TIMEOUT(catcher.urls.size(), 1, 20000);
        QCOMPARE(catcher.urls.first(), QUrl(QStringLiteral("http://example.com/")));
        evaluate(QStringLiteral("document.getElementById('out').click()"));
        QTest::qWait(300);
        QCOMPARE(m_form->viewer()->view()->url(), here);
        QCOMPARE(shown(), QStringLiteral("Ссылки"));
        QDesktopServices::unsetUrlHandler(QStringLiteral("http"));

        // A link to a document of the library selects its node, goes into the history and
        // opens at the anchor it names.
        evaluate(QStringLiteral("document.getElementById('local').click()"));
        QTRY_COMPARE_WITH_TIMEOUT(shown(), QStringLiteral("Шпунт"), 20000);
        QTRY_COMPARE_WITH_TIMEOUT(m_form->viewer()->view()->url().fileName(),
                                  QStringLiteral("Шпунт.htm"), 20000);
        QTRY_VERIFY_WITH_TIMEOUT(evaluate(QStringLiteral("window.scrollY")).toDouble() > 100,
                                 20000);
        m_form->navigation()->goBack();
        QTRY_COMPARE_WITH_TIMEOUT(shown(), QStringLiteral("Ссылки"), 20000);

        // Back and forward land where each document was left.
        choose(QStringLiteral("Шпунт"));
        QTRY_VERIFY(evaluate(QStringLiteral("document.getElementById('end') != null")).toBool());
        evaluate(QStringLiteral("window.scrollTo(0, 500)"));
        QTRY_VERIFY(qAbs(m_form->viewer()->scrollPosition() - 500) < 2);
        choose(QStringLiteral("Ссылки"));
        m_form->navigation()->goBack();
        QTRY_COMPARE_WITH_TIMEOUT(shown(), QStringLiteral("Шпунт"), 20000);
        QTRY_VERIFY_WITH_TIMEOUT(
            qAbs(evaluate(QStringLiteral("window.scrollY")).toDouble() - 500) < 2, 20000);
        m_form->navigation()->goForward();
        QTRY_COMPARE_WITH_TIMEOUT(shown(), QStringLiteral("Ссылки"), 20000);

        // A link to a folder's page shows that folder.
        QTRY_VERIFY(evaluate(QStringLiteral("document.getElementById('folder') != null")).toBool());
        evaluate(QStringLiteral("document.getElementById('folder').click()"));
        QTRY_COMPARE_WITH_TIMEOUT(m_form->treePanel()->selectedPath(),
                                  m_suite.normDoc(QStringLiteral("Раздел")), 20000);
        m_form->navigation()->goBack();
        QTRY_COMPARE_WITH_TIMEOUT(shown(), QStringLiteral("Ссылки"), 20000);

        // A rebuild drops what is gone, keeps the rest.
        QFile::remove(m_suite.normDoc(QStringLiteral("Шпунт.htm")));
        m_form->refresh();
        QVERIFY(!m_form->navigation()->history().paths().contains(
            m_suite.normDoc(QStringLiteral("Шпунт.htm"))));
        QVERIFY(m_form->navigation()->history().paths().contains(
            m_suite.normDoc(QStringLiteral("Ссылки.htm"))));

        choose(QStringLiteral("Ссылки"));
        const QString pdf = m_suite.scratch(QStringLiteral("pdf")) + QStringLiteral("/Ссылки.pdf");
        QSignalSpy saved(m_form->viewer(), &DocumentViewer::pdfSaved);
        m_form->viewer()->saveAsPdf(pdf);
        QTRY_VERIFY_WITH_TIMEOUT(!saved.isEmpty(), 20000);
        QVERIFY(saved.first().at(1).toBool());
        QVERIFY(TestFiles::read(pdf).startsWith("%PDF"));
        // Written as the user's other files are, not private to the user.
        const mode_t mask = ::umask(0022);
        ::umask(mask);
        QCOMPARE(bool(QFileInfo(pdf).permissions() & QFile::ReadOther), !(mask & S_IROTH));
        QCOMPARE(bool(QFileInfo(pdf).permissions() & QFile::ReadGroup), !(mask & S_IRGRP));
        QVERIFY(evaluate(QStringLiteral("document.getElementById('lectoria-no-marks') == null"))
                    .toBool()); // the page shows as before
    }
};

LECTORIA_APP_TEST_MAIN(TestNavigation)
#include "tst_navigation.moc"
