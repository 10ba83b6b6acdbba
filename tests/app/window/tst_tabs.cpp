#include "find/findbox.h"
#include "find/searchcontroller.h"
#include "links/normkeeper.h"
#include "search/normcatalog.h"
#include "settings/appsettings.h"
#include "support/windowcommands.h"
#include "testsupport/apptestmain.h"
#include "testsupport/pagescript.h"
#include "testsupport/startwindow.h"
#include "testsupport/suitefixture.h"
#include "tree/documenttreepanel.h"
#include "viewer/documentviewer.h"
#include "window/mainwindow.h"
#include "window/nodenavigation.h"
#include "window/sidepane.h"
#include "window/viewertabs.h"
#include "window/windowtabs.h"

#include <QAction>
#include <QComboBox>
#include <QDialog>
#include <QFile>
#include <QSignalSpy>
#include <QTabBar>
#include <QTreeWidget>
#include <QWebEngineView>

// Several documents in tabs over one viewer, two beside each other, and two editions
// compared in a tab of their own, in the real window.
class TestTabs : public QObject
{
    Q_OBJECT

    SuiteFixture m_suite;
    std::unique_ptr<MainWindow> m_form;

    ViewerTabs* tabs() const { return m_form->tabs()->tabs(); }
    QAction* command(WindowCommands::Command which) const
    {
        return m_form->commands()->action(which);
    }
    QVariant evaluate(DocumentViewer* viewer, const QString& script)
    {
        return evaluateInPage(viewer->view()->page(), script);
    }
    // Whether viewer has the page of path loaded: its title, the document's name unless
    // another is given (the copies shown share one file name, so the address tells nothing).
    bool loaded(DocumentViewer* viewer, const QString& path, QString title = QString())
    {
        if (title.isEmpty())
            title = QFileInfo(path).completeBaseName();
        return QTest::qWaitFor(
            [&] {
                return viewer->shownDocument() == path && !viewer->view()->url().isEmpty() &&
                       evaluate(viewer, QStringLiteral("document.readyState")).toString() ==
                           u"complete" &&
                       evaluate(viewer, QStringLiteral("document.title")).toString() == title;
            },
            20000);
    }
    bool show(const QString& path)
    {
        if (!QTest::qWaitFor([&] { return m_form->treePanel()->selectPath(path); }, 20000))
            return false;
        return loaded(m_form->viewer(), path);
    }
    // Clicks the tree's node of path with the middle button, as the user opens it in a tab.
    bool middleClick(const QString& path)
    {
        QTreeWidget* view = m_form->treePanel()->view();
        const QList<QTreeWidgetItem*> items =
            view->findItems(QFileInfo(path).completeBaseName(), Qt::MatchRecursive);
        if (items.isEmpty())
            return false;
        view->scrollToItem(items.front());
        QTest::mouseClick(view->viewport(), Qt::MiddleButton, {},
                          view->visualItemRect(items.front()).center());
        return true;
    }
    bool scrolledNear(int y)
    {
        return QTest::qWaitFor([&] { return std::abs(m_form->viewer()->scrollPosition() - y) < 4; },
                               10000);
    }
    static QByteArray longPage(const QString& title)
    {
        QString body;
        for (int i = 1; i <= 80; ++i)
            body += QStringLiteral("<p>%1.%2 Работы выполняют по проекту производства работ "
                                   "номер %2.</p>")
                        .arg(i / 10 + 1)
                        .arg(i);
        return TestFiles::cp1251(QStringLiteral("<html><head><title>%1</title></head><body>"
                                                "<h1>%1</h1>")
                                     .arg(title) +
                                 body + QStringLiteral("</body></html>"));
    }
    static QByteArray edition(bool newer)
    {
        // Paragraphs between the parts, so that each can be scrolled to the top.
        QString filler;
        for (int i = 0; i < 25; ++i)
            filler += QStringLiteral("<p>Работы ведут по проекту производства работ.</p>");
        QString body = QStringLiteral("<h1>5 Бетонные работы</h1>");
        body += QStringLiteral("<p>5.1 Смесь марки %1 укладывают слоями толщиной до 0,5 м.</p>")
                    .arg(newer ? QStringLiteral("М300") : QStringLiteral("М200")) +
                filler;
        if (newer)
            body += QStringLiteral("<p>5.2 Основание очищают от мусора, снега и наледи.</p>");
        const int shift = newer ? 1 : 0;
        body += QStringLiteral("<p>5.%1 Уход за бетоном ведут не менее семи суток.</p>"
                               "<p>5.%2 Прочность проверяют по ГОСТ 18105-2010.</p>")
                    .arg(2 + shift)
                    .arg(3 + shift) +
                filler;
        if (!newer)
            body += QStringLiteral("<p>5.4 Прогрев ведут электродами в зимнее время.</p>") + filler;
        body += QStringLiteral("<h1>6 Приемка</h1><p>6.1 Приемку оформляют актом.</p>") + filler;
        return TestFiles::cp1251(
            QStringLiteral("<html><head><title>СП 70.13330.%1</title></head><body>")
                .arg(newer ? 2024 : 2012) +
            body + QStringLiteral("</body></html>"));
    }

private slots:
    void initTestCase()
    {
        qputenv("TMPDIR", m_suite.scratch(QStringLiteral("tmp")).toLocal8Bit());
        QVERIFY(TestFiles::write(m_suite.normDoc(QStringLiteral("Длинный.htm")),
                                 longPage(QStringLiteral("Длинный"))));
        QVERIFY(TestFiles::write(m_suite.normDoc(QStringLiteral("Записка.htm")),
                                 longPage(QStringLiteral("Записка"))));
        QVERIFY(TestFiles::write(m_suite.normDoc(QStringLiteral("Смета.htm")),
                                 longPage(QStringLiteral("Смета"))));
        QVERIFY(TestFiles::write(m_suite.normDoc(QStringLiteral("Пропавший.htm")),
                                 longPage(QStringLiteral("Пропавший"))));
        QVERIFY(TestFiles::write(m_suite.normDoc(QStringLiteral("СП 70.13330.2012.htm")),
                                 edition(false)));
        QVERIFY(TestFiles::write(m_suite.normDoc(QStringLiteral("СП 70.13330.2024.htm")),
                                 edition(true)));
        QVERIFY(TestFiles::write(m_suite.iniFile(), "[TreeView]\nNormDocButton=1\n"));
        m_form = startWindow(m_suite.programFile());
        QVERIFY(m_form);
        QTRY_VERIFY_WITH_TIMEOUT(m_form->norms()->catalog()->documentCount() > 0, 20000);
    }
    void cleanupTestCase() { m_form.reset(); }

    // With one tab the window looks as it always has; a middle click opens a node in a tab
    // of its own, and each tab keeps its document, place, zoom and way back.
    void eachTabKeepsItsPlace()
    {
        QVERIFY(!tabs()->bar()->isVisible());
        const QString first = m_suite.normDoc(QStringLiteral("Длинный.htm"));
        const QString second = m_suite.normDoc(QStringLiteral("Записка.htm"));
        QVERIFY(show(first));
        m_form->viewer()->scrollTo(600);
        QVERIFY(scrolledNear(600));

        QVERIFY(middleClick(second));
        QTRY_COMPARE(tabs()->count(), 2);
        QVERIFY(tabs()->bar()->isVisible());
        QVERIFY(loaded(m_form->viewer(), second));
        QCOMPARE(m_form->treePanel()->selectedPath(), second);
        QCOMPARE(tabs()->bar()->tabText(1), QStringLiteral("Записка"));
        // A way back of its own: from the note to the estimate and back, not to the first tab.
        QVERIFY(!m_form->navigation()->canGoBack());
        QVERIFY(show(m_suite.normDoc(QStringLiteral("Смета.htm"))));
        QVERIFY(m_form->navigation()->canGoBack());
        m_form->zoomBox()->setCurrentIndex(2);

        command(WindowCommands::NextTab)->trigger(); // round to the first
        QCOMPARE(tabs()->currentIndex(), 0);
        QVERIFY(loaded(m_form->viewer(), first));
        QVERIFY(scrolledNear(600));
        QCOMPARE(m_form->treePanel()->selectedPath(), first); // the tree follows
        QVERIFY(!m_form->navigation()->canGoBack());
        QCOMPARE(m_form->zoomBox()->currentIndex(), 0);

        command(WindowCommands::PreviousTab)->trigger();
        QVERIFY(loaded(m_form->viewer(), m_suite.normDoc(QStringLiteral("Смета.htm"))));
        QVERIFY(m_form->navigation()->canGoBack());
        QCOMPARE(m_form->zoomBox()->currentIndex(), 2);
        m_form->zoomBox()->setCurrentIndex(0);
        m_form->navigation()->goBack();
        QVERIFY(loaded(m_form->viewer(), second));
    }

    // The search's marks and their count belong to the tab they were shown in.
    void marksBelongToTheirTab()
    {
        QCOMPARE(tabs()->count(), 2);
        m_form->search()->findBox()->setEditText(QStringLiteral("производства"));
        TestAnswers::runDialogsWith([](QDialog&) { return int(QDialog::Accepted); });
        QSignalSpy finished(m_form.get(), &MainWindow::searchFinished);
        m_form->beginSearch();
        QVERIFY(finished.wait(30000));
        TestAnswers::reset();
        const QString marked = m_suite.normDoc(QStringLiteral("Записка.htm"));
        QVERIFY(show(marked));
        QTRY_VERIFY_WITH_TIMEOUT(m_form->viewer()->shownMarks() > 0, 20000);
        const int marks = m_form->viewer()->shownMarks();
        // The first tab is left unmarked; the search is cancelled there.
        tabs()->setCurrent(0);
        QVERIFY(loaded(m_form->viewer(), m_suite.normDoc(QStringLiteral("Длинный.htm"))));
        QCOMPARE(m_form->viewer()->shownMarks(), -1);
        command(WindowCommands::CancelSearch)->trigger();
        QVERIFY(!m_form->search()->isSearchMode());
        // The second still has its marks when shown again.
        tabs()->setCurrent(1);
        QVERIFY(loaded(m_form->viewer(), marked));
        QCOMPARE(m_form->viewer()->shownMarks(), marks);
    }

    // Thirty tabs at most: the one shown longest ago that was never moved in gives way.
    void thirtyTabsAtMost()
    {
        const int before = tabs()->count();
        const QString path = m_suite.normDoc(QStringLiteral("Смета.htm"));
        for (int i = before; i < ViewerTabs::MaxTabs; ++i)
            m_form->tabs()->openInNewTab(
                path, [this](const QString& p) { return m_form->treePanel()->selectPath(p); });
        QCOMPARE(tabs()->count(), ViewerTabs::MaxTabs);
        const quint64 firstId = tabs()->at(0).id; // moved in: scrolled
        m_form->tabs()->openInNewTab(
            path, [this](const QString& p) { return m_form->treePanel()->selectPath(p); });
        QCOMPARE(tabs()->count(), ViewerTabs::MaxTabs);
        QVERIFY(tabs()->indexOf(firstId) >= 0);
        QVERIFY2(m_form->statusText().contains(QStringLiteral("закрыта вкладка")),
                 qPrintable(m_form->statusText()));
        // Back to two: closed by the command and by the bar's button.
        while (tabs()->count() > 3)
            command(WindowCommands::CloseTab)->trigger();
        emit tabs()->bar()->tabCloseRequested(2);
        QCOMPARE(tabs()->count(), 2);
    }

    // The tabs and their places come back at the next start; a document gone is left out and
    // said so.
    void tabsComeBackAtTheNextStart()
    {
        tabs()->setCurrent(0);
        const QString first = m_suite.normDoc(QStringLiteral("Длинный.htm"));
        QVERIFY(loaded(m_form->viewer(), first));
        m_form->viewer()->scrollTo(450);
        QVERIFY(scrolledNear(450));
        const QString gone = m_suite.normDoc(QStringLiteral("Пропавший.htm"));
        QVERIFY(middleClick(gone));
        QTRY_COMPARE(tabs()->count(), 3);
        QVERIFY(loaded(m_form->viewer(), gone));
        tabs()->setCurrent(0);
        QVERIFY(scrolledNear(450));
        m_form->close();
        m_form.reset();

        const QList<AppSettings::KeptTab> kept = AppSettings(m_suite.iniFile()).keptTabs();
        QCOMPARE(kept.size(), 3);
        QCOMPARE(kept[0].path, first);
        QVERIFY(std::abs(kept[0].scroll - 450) < 4);
        QCOMPARE(AppSettings(m_suite.iniFile()).keptCurrentTab(), 0);
        QVERIFY(QFile::remove(gone));

        m_form = startWindow(m_suite.programFile());
        QVERIFY(m_form);
        QCOMPARE(tabs()->count(), 2);
        QCOMPARE(tabs()->currentIndex(), 0);
        QVERIFY(loaded(m_form->viewer(), first));
        QVERIFY(scrolledNear(450));
        QVERIFY2(m_form->statusText().contains(QStringLiteral("Пропавший")),
                 qPrintable(m_form->statusText()));
        QTRY_VERIFY_WITH_TIMEOUT(m_form->norms()->catalog()->documentCount() > 0, 20000);
    }

    // Two editions compared in a tab of their own: what changed, part by part; a part shown
    // beside it in either edition.
    void editionsComparedInATab()
    {
        const QString older = m_suite.normDoc(QStringLiteral("СП 70.13330.2012.htm"));
        const QString newer = m_suite.normDoc(QStringLiteral("СП 70.13330.2024.htm"));
        QTRY_VERIFY_WITH_TIMEOUT(m_form->norms()->catalog()->comparedEditions(newer).has_value(),
                                 20000);
        QVERIFY(show(newer));
        const int before = tabs()->count();
        command(WindowCommands::CompareEditions)->trigger();
        QTRY_COMPARE_WITH_TIMEOUT(tabs()->count(), before + 1, 20000);
        const ViewerTabs::Tab& tab = tabs()->at(tabs()->currentIndex());
        QVERIFY(tab.isComparison());
        QCOMPARE(tab.comparedWith, older);
        QVERIFY(!tab.page.startsWith(m_suite.normDoc())); // never into the library
        QVERIFY(loaded(m_form->viewer(), tab.page, QStringLiteral("Сравнение редакций")));
        const QString text =
            evaluate(m_form->viewer(), QStringLiteral("document.body.innerText")).toString();
        QVERIFY2(text.contains(QStringLiteral("Что изменилось")), qPrintable(text));
        QVERIFY(text.contains(QStringLiteral("Добавлено: 1 пункт")));
        QVERIFY(text.contains(QStringLiteral("Исключено: 1 пункт")));
        QVERIFY(text.contains(QStringLiteral("п. 5.3 (было 5.2)")));
        // "М200" struck through whole, as one token.
        const QStringList struck =
            evaluate(m_form->viewer(),
                     QStringLiteral("Array.from(document.querySelectorAll('del'))"
                                    ".map(function (e) { return e.textContent; }).join('|')"))
                .toString()
                .split(u'|');
        QVERIFY2(struck.contains(QStringLiteral("М200")), qPrintable(struck.join(u'|')));

        // Side by side: the tab before beside the comparison; a part of the old edition there.
        command(WindowCommands::SideBySide)->setChecked(true);
        SidePane* side = m_form->tabs()->sidePane();
        QVERIFY(side->isVisible());
        QVERIFY(loaded(side->viewer(), newer));
        m_form->tabs()->showDocumentPart(older, QStringLiteral("п. 5.4"));
        QVERIFY(loaded(side->viewer(), older));
        const auto readingKey = [side] {
            const int part = side->viewer()->readingPart();
            return part < 0 || !side->viewer()->shownStructure()
                       ? QString()
                       : side->viewer()->shownStructure()->parts()[std::size_t(part)].key;
        };
        QTRY_COMPARE_WITH_TIMEOUT(readingKey(), QStringLiteral("5.4"), 10000);
        command(WindowCommands::SideBySide)->setChecked(false);
        QVERIFY(!side->isVisible());

        // Without the side pane a part opens in a tab of its own.
        const int count = tabs()->count();
        m_form->tabs()->showDocumentPart(older, QStringLiteral("п. 5.4"));
        QTRY_COMPARE(tabs()->count(), count + 1);
        QVERIFY(loaded(m_form->viewer(), older));
        // A document with no other edition says so.
        QVERIFY(show(m_suite.normDoc(QStringLiteral("Смета.htm"))));
        command(WindowCommands::CompareEditions)->trigger();
        QVERIFY(m_form->statusText().contains(QStringLiteral("нет другой редакции")));
    }
};

LECTORIA_APP_TEST_MAIN(TestTabs)
#include "tst_tabs.moc"
