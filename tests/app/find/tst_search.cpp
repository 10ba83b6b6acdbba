#include "dialogs/progressdialog.h"
#include "dialogs/searchoptionsdialog.h"
#include "dialogs/searchresultdialog.h"
#include "find/findbox.h"
#include "find/scopechooser.h"
#include "find/searchcontroller.h"
#include "find/searchresultsdock.h"
#include "matching/highlightedcopy.h"
#include "platform/userworkdir.h"
#include "search/searchjob.h"
#include "settings/inifile.h"
#include "support/windowcommands.h"
#include "testsupport/apptestmain.h"
#include "testsupport/startwindow.h"
#include "testsupport/suitefixture.h"
#include "tree/documenttree.h"
#include "tree/documenttreepanel.h"
#include "viewer/documentviewer.h"
#include "viewer/titlepanel.h"
#include "window/mainwindow.h"
#include "window/toprow.h"

#include <QAbstractItemView>
#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QCompleter>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QSignalSpy>
#include <QTimer>
#include <QToolButton>
#include <QTreeWidget>
#include <QTreeWidgetItemIterator>
#include <QWebEngineView>

#include <ctime>

#include <unistd.h>
#include <utime.h>

class TestSearch : public QObject
{
    Q_OBJECT

    std::unique_ptr<SuiteFixture> m_suite;
    std::unique_ptr<MainWindow> m_form;
    struct Shown
    {
        int dialogs = 0;
        QString checked;
        QString found;
        QString context;
        bool textModeHint = false;
        QString done;
        bool restoreTreeOffered = false;
        QString fragmentOffer;
    } m_results;
    // The result dialog's answer in the next search: the fragment search it offers.
    bool m_searchAsFragment = false;
    // The result dialog's answer in the next search: the whole tree back.
    bool m_restoreTree = false;

    void start()
    {
        m_form = startWindow(m_suite->programFile());
        QVERIFY(m_form);
        TestAnswers::runDialogsWith([this](QDialog& dialog) {
            if (auto* result = qobject_cast<SearchResultDialog*>(&dialog)) {
                ++m_results.dialogs;
                m_results.checked = result->checkedLabel()->text();
                m_results.found = result->foundLabel()->text();
                m_results.context = result->contextText()->toPlainText();
                m_results.textModeHint = result->textModeHint() != nullptr;
                m_results.done = result->findChild<QLabel*>(QStringLiteral("doneLabel"))->text();
                m_results.restoreTreeOffered = result->restoreTreeButton() != nullptr;
                const auto* offer = result->findChild<QLabel*>(QStringLiteral("fragmentLabel"));
                if (offer) // kept past the dialog of the search its button runs
                    m_results.fragmentOffer = offer->text();
                if (m_searchAsFragment && result->fragmentButton()) {
                    m_searchAsFragment = false;
                    result->fragmentButton()->click();
                    return int(QDialog::Accepted);
                }
                if (m_restoreTree && result->restoreTreeButton()) {
                    m_restoreTree = false;
                    result->restoreTreeButton()->click();
                    return int(QDialog::Accepted);
                }
            }
            return int(QDialog::Rejected);
        });
    }
    QTreeWidgetItem* root() const { return m_form->treePanel()->view()->topLevelItem(0); }
    static QTreeWidgetItem* child(QTreeWidgetItem* node, const QString& caption)
    {
        node->setExpanded(true);
        for (int i = 0; node && i < node->childCount(); ++i) {
            if (node->child(i)->text(0) == caption)
                return node->child(i);
        }
        return nullptr;
    }
    static QString shape(const QTreeWidgetItem* node)
    {
        QString out = node->text(0);
        if (node->childCount() == 0)
            return out;
        out += u'(';
        for (int i = 0; i < node->childCount(); ++i)
            out += (i ? QStringLiteral(",") : QString()) + shape(node->child(i));
        return out + u')';
    }
    // Types a context and presses Enter; with wait, until the search has ended.
    void typeAndEnter(const QString& text, bool wait = true)
    {
        m_form->search()->findBox()->setFocus();
        m_form->search()->findBox()->setEditText(text);
        QTest::keyClick(m_form->search()->findBox()->lineEdit(), Qt::Key_Return);
        if (!wait)
            return;
        QTRY_VERIFY_WITH_TIMEOUT(!m_form->search()->isSearching(), 60000);
        QVERIFY(QTest::qWaitForWindowActive(m_form.get()));
    }
    // typeAndEnter, keeping the request the search ran with.
    void searchFor(const QString& text, SearchRequest* request)
    {
        typeAndEnter(text, false);
        QVERIFY(m_form->search()->runningSearch());
        *request = *m_form->search()->runningSearch();
        QTRY_VERIFY_WITH_TIMEOUT(!m_form->search()->isSearching(), 60000);
        QVERIFY(QTest::qWaitForWindowActive(m_form.get()));
    }
    static QString options(const SearchRequest& request)
    {
        return QStringLiteral("%1%2%3")
            .arg(int(request.options.caseSensitive))
            .arg(int(request.options.wholeWords))
            .arg(int(request.options.textMode));
    }
    // The result list's rows as "path|count|fragment", once every document has been read.
    QStringList resultRows()
    {
        const QTreeWidget* list = m_form->search()->resultList()->list();
        const auto unread = [list] {
            for (int i = 0; i < list->topLevelItemCount(); ++i) {
                if (list->topLevelItem(i)->text(SearchResultsDock::CountColumn) == u"…")
                    return true;
            }
            return false;
        };
        [&] { QTRY_VERIFY_WITH_TIMEOUT(!unread(), 20000); }();
        QStringList rows;
        for (int i = 0; i < list->topLevelItemCount(); ++i) {
            const QTreeWidgetItem* row = list->topLevelItem(i);
            rows.append(SearchResultsDock::documentPath(row) + u'|' +
                        row->text(SearchResultsDock::CountColumn) + u'|' +
                        row->text(SearchResultsDock::SnippetColumn));
        }
        return rows;
    }
    void writeManyDocuments(int folders)
    {
        for (int folder = 0; folder < folders; ++folder) {
            for (int doc = 0; doc < 300; ++doc)
                QVERIFY(TestFiles::write(
                    m_suite->normDoc(QStringLiteral("Много/%1/%2.htm").arg(folder).arg(doc)),
                    "<p>x</p>"));
        }
        m_form->commands()->action(WindowCommands::Refresh)->trigger();
        QVERIFY(QTest::qWaitForWindowActive(m_form.get()));
    }

private slots:
    void init()
    {
        TestAnswers::reset();
        m_results = Shown();
        m_suite = std::make_unique<SuiteFixture>();
        qputenv("TMPDIR", m_suite->scratch(QStringLiteral("tmp")).toLocal8Bit());
        const auto doc = [this](const QString& path, const QString& text) {
            QVERIFY(TestFiles::write(m_suite->normDoc(path), TestFiles::cp1251(text)));
        };
        doc(QStringLiteral("Общие.htm"),
            QStringLiteral("<p>Сметная стоимость &laquo;объекта&raquo;</p>"));
        doc(QStringLiteral("Полы/Ксилолит.htm"),
            QStringLiteral("<TABLE><tr><td>покрытия из ксилолита</td></tr></TABLE>"));
        doc(QStringLiteral("Полы/Линолеум.htm"), QStringLiteral("<p>линолеум</p>"));
        doc(QStringLiteral("Грунт/Пусто.htm"), QStringLiteral("<p>грунт</p>"));
        doc(QStringLiteral("Грунт/Глубже/Ещё глубже/Находка.htm"),
            QStringLiteral("<p>Шпунт Ларсен-5</p>"));
        doc(QStringLiteral("Грунт/Соседняя/Нет.htm"), QStringLiteral("<p>ничего</p>"));
        QVERIFY(TestFiles::write(m_suite->iniFile(), "[TreeView]\nNormDocButton=1\n"));
        start();
    }
    void cleanup()
    {
        m_form.reset();
        m_suite.reset();
    }

    void blanksOnlyChangesNothing()
    {
        const QString before = shape(root());
        m_form->search()->setSearchMode(true);
        typeAndEnter(QStringLiteral("   "));
        QVERIFY(!m_form->search()->isSearchMode());
        QCOMPARE(m_results.dialogs, 0);
        QCOMPARE(shape(root()), before);
        QCOMPARE(m_form->search()->findBox()->count(), 0); // a blank context is never stored
    }

    void fullRunFromTheRoot()
    {
        m_form->treePanel()->view()->setCurrentItem(child(root(), QStringLiteral("Общие")));
        QTRY_VERIFY(m_form->viewer()->view()->url().isLocalFile());
        m_form->treePanel()->view()->setCurrentItem(root());
        typeAndEnter(QStringLiteral("<table"));
        QCOMPARE(m_results.dialogs, 1);
        QCOMPARE(m_results.checked, QStringLiteral("6"));
        QCOMPARE(m_results.found, QStringLiteral("1"));
        QCOMPARE(m_results.context, QStringLiteral("<table"));
        QCOMPARE(shape(root()), QStringLiteral("Нормативная документация(Полы(Ксилолит))"));
        QVERIFY(m_form->search()->isSearchMode());
        QCOMPARE(m_form->statusText(),
                 QStringLiteral(" Режим поиска. Для отмены режима поиска нажмите Ctrl+Z."));
        QVERIFY(
            m_form->findChild<QToolButton*>(QStringLiteral("cancelSearchButton"))->isEnabled() &&
            m_form->commands()->action(WindowCommands::CancelSearch)->isEnabled());
        QTRY_COMPARE(m_form->viewer()->view()->url(), QUrl(QStringLiteral("about:blank")));
        QTRY_VERIFY(m_form->treePanel()->view()->hasFocus());

        // A character reference is found only as written. Nothing found is said so, with
        // the way back to the whole tree.
        typeAndEnter(QStringLiteral("«объекта"));
        QCOMPARE(m_results.found, QStringLiteral("0"));
        QCOMPARE(m_results.done, QStringLiteral("Ничего не найдено"));
        QVERIFY(m_results.restoreTreeOffered);
        QCOMPARE(shape(root()), QStringLiteral("Нормативная документация"));
        typeAndEnter(QStringLiteral("&laquo;ОБЪЕКТА"));
        QCOMPARE(m_results.found, QStringLiteral("1"));
        QVERIFY(!m_results.restoreTreeOffered);

        // Showing a found document shows its highlighted copy.
        m_form->treePanel()->view()->setCurrentItem(child(root(), QStringLiteral("Общие")));
        const QString copy = UserWorkDir::highlightWorkDir() + QStringLiteral("/NormDoc.htm");
        QTRY_COMPARE(m_form->viewer()->view()->url(), QUrl::fromLocalFile(copy));
        QVERIFY(TestFiles::read(copy).contains(TestFiles::cp1251(
            QStringLiteral("<span style='color:ffffff;background:ff0000'>&laquo;объекта</span>"))));

        m_form->findChild<QToolButton*>(QStringLiteral("cancelSearchButton"))->click();
        QVERIFY(!m_form->search()->isSearchMode());
        QCOMPARE(m_form->statusText(), QString());
        QCOMPARE(root()->childCount(), 3);

        // "Вернуть дерево" after nothing was found leaves search mode.
        m_restoreTree = true;
        m_form->treePanel()->view()->setCurrentItem(root());
        typeAndEnter(QStringLiteral("синхрофазотрон"));
        QCOMPARE(m_results.found, QStringLiteral("0"));
        QTRY_VERIFY(!m_form->search()->isSearchMode());
        QCOMPARE(root()->childCount(), 3);
    }

    void folderAndDocumentRuns()
    {
        QTreeWidgetItem* ground = child(root(), QStringLiteral("Грунт"));
        m_form->treePanel()->view()->setCurrentItem(ground);
        typeAndEnter(QStringLiteral("ларсен"));
        QCOMPARE(m_results.checked, QStringLiteral("3"));
        QCOMPARE(m_results.found, QStringLiteral("1"));
        ground = child(root(), QStringLiteral("Грунт"));
        QCOMPARE(shape(ground), QStringLiteral("Грунт(Глубже(Ещё глубже(Находка)))"));
        QVERIFY(child(ground, QStringLiteral("Глубже"))->isExpanded());
        QCOMPARE(root()->childCount(), 3); // the rest of the tree as it was
        QCOMPARE(m_form->titlePanel()->text(), QStringLiteral(" Нормативная документация->Грунт"));

        // Nothing found: the selected folder stays, empty.
        typeAndEnter(QStringLiteral("синхрофазотрон"));
        QCOMPARE(m_results.found, QStringLiteral("0"));
        QCOMPARE(shape(child(root(), QStringLiteral("Грунт"))), QStringLiteral("Грунт"));

        // A document alone: counted once, kept in the tree either way.
        QTreeWidgetItem* general = child(root(), QStringLiteral("Общие"));
        m_form->treePanel()->view()->setCurrentItem(general);
        typeAndEnter(QStringLiteral("ксилолит"));
        QCOMPARE(m_results.checked, QStringLiteral("1"));
        QCOMPARE(m_results.found, QStringLiteral("0"));
        QCOMPARE(child(root(), QStringLiteral("Общие")), general);
        typeAndEnter(QStringLiteral("СМЕТНАЯ"));
        QCOMPARE(m_results.found, QStringLiteral("1"));
        QTRY_VERIFY(
            m_form->viewer()->view()->url().toLocalFile().endsWith(QStringLiteral("NormDoc.htm")));

        // The chooser beside the find box shows the scope the selection gives, and sets
        // another: the document selected, the search of the whole collection.
        ScopeChooser* scope = m_form->search()->scopeChooser();
        QCOMPARE(scope->currentText(), QStringLiteral("В документе «Общие»"));
        SearchRequest request;
        m_form->search()->findBox()->setEditText(QStringLiteral("ксилолит"));
        scope->setCurrentIndex(0);
        QCOMPARE(scope->currentText(), QStringLiteral("Везде"));
        searchFor(QStringLiteral("ксилолит"), &request);
        QVERIFY(request.document.isEmpty());
        QCOMPARE(request.folders, m_form->treePanel()->collection().folders);
        QCOMPARE(m_results.found, QStringLiteral("1"));
        QVERIFY(
            m_form->search()->resultList()->header().endsWith(QStringLiteral("во всей коллекции")));
        // A new selection gives its own scope again.
        m_form->treePanel()->view()->setCurrentItem(child(root(), QStringLiteral("Полы")));
        QCOMPARE(scope->currentText(), QStringLiteral("В папке «Полы»"));
    }

    void historyOfContexts()
    {
        for (int i = 1; i <= 21; ++i)
            typeAndEnter(QStringLiteral("контекст %1").arg(i));
        QCOMPARE(m_form->search()->findBox()->count(), 20);
        QCOMPARE(m_form->search()->findBox()->itemText(0), QStringLiteral("контекст 21"));
        const IniFile ini{};
        QCOMPARE(ini.readText(m_suite->iniFile(), QStringLiteral("Search"),
                              QStringLiteral("FindKod_20")),
                 QStringLiteral("контекст 2"));

        // Choosing an entry runs it and moves it to the top.
        const int before = m_results.dialogs;
        m_form->search()->chooseHistoryEntry(
            m_form->search()->findBox()->findText(QStringLiteral("контекст 5")));
        QTRY_COMPARE(m_results.dialogs, before + 1);
        QCOMPARE(m_form->search()->context(), QStringLiteral("контекст 5"));
        QCOMPARE(m_form->search()->findBox()->itemText(0), QStringLiteral("контекст 5"));
        QCOMPARE(m_form->search()->findBox()->findText(QStringLiteral("контекст 5")), 0);
        QCOMPARE(m_form->search()->findBox()->count(), 20);

        // Stepping through the history with the arrow keys runs nothing.
        const int dialogs = m_results.dialogs;
        m_form->search()->findBox()->setFocus();
        QTest::keyClick(m_form->search()->findBox(), Qt::Key_Down);
        QTest::keyClick(m_form->search()->findBox(), Qt::Key_Down);
        QCOMPARE(m_form->search()->findBox()->currentIndex(), 2);
        QCOMPARE(m_results.dialogs, dialogs);

        // Enter while the history's list is open below the box searches what is typed.
        const int typed = m_results.dialogs;
        QLineEdit* edit = m_form->search()->findBox()->lineEdit();
        edit->setFocus();
        edit->clear();
        // As typing opens it (the test's keys are ASCII only).
        edit->setText(QStringLiteral("контекст"));
        QCompleter* completer = m_form->search()->findBox()->completer();
        completer->setCompletionPrefix(QStringLiteral("контекст"));
        completer->complete();
        QAbstractItemView* list = completer->popup();
        QTRY_VERIFY(list->isVisible());
        QTest::keyClick(list, Qt::Key_Return);
        QTRY_COMPARE_WITH_TIMEOUT(m_results.dialogs, typed + 1, 60000);
        QCOMPARE(m_form->search()->context(), QStringLiteral("контекст"));
        QVERIFY(!list->isVisible());
        QTRY_VERIFY_WITH_TIMEOUT(!m_form->search()->isSearching(), 60000);
        QVERIFY(QTest::qWaitForWindowActive(m_form.get()));

        // Blanks around an Enter context: stored with them, searched without.
        typeAndEnter(QStringLiteral(" линолеум "));
        QCOMPARE(m_form->search()->context(), QStringLiteral("линолеум"));
        QCOMPARE(m_results.context, QStringLiteral("линолеум"));
        QVERIFY(TestFiles::read(m_suite->iniFile()).contains("FindKod_1= линолеум \n"));
        m_form->close();
        m_form.reset();
        start();
        QCOMPARE(m_form->search()->findBox()->itemText(0), QStringLiteral("линолеум"));
    }

    void progressWindowPaintsWhileTheWorkRuns()
    {
        writeManyDocuments(100); // enough small documents that the run takes a while
        // The probe runs only while the window's event loop runs. Showing the progress window
        // lets it run once; more runs happen only while the documents are being checked.
        int visibleTicks = 0;
        QTimer probe;
        connect(&probe, &QTimer::timeout, this, [&] {
            auto* progress = m_form->findChild<ProgressDialog*>();
            if (progress && progress->isVisible())
                ++visibleTicks;
        });
        probe.start(5);
        m_form->treePanel()->view()->setCurrentItem(root());
        typeAndEnter(QStringLiteral("синхрофазотрон"));
        QCOMPARE(m_results.checked, QStringLiteral("30006"));
        QVERIFY(visibleTicks >= 2);
        QTRY_VERIFY(!m_form->findChild<ProgressDialog*>()); // gone after the run
    }

    void stoppedSearchLeavesTheWindowAsItWas()
    {
        writeManyDocuments(20);
        typeAndEnter(QStringLiteral("ксилолит"));
        m_form->treePanel()->view()->setCurrentItem(child(root(), QStringLiteral("Полы")));
        const QString tree = shape(root());
        const QString status = m_form->statusText();
        const int dialogs = m_results.dialogs;
        const QStringList rows = resultRows();
        QCOMPARE(rows.size(), 1);

        // Esc in the progress window, and its button.
        for (const bool button : {false, true}) {
            m_form->treePanel()->view()->setCurrentItem(root());
            typeAndEnter(QStringLiteral("линолеум"), false);
            auto* progress = m_form->findChild<ProgressDialog*>();
            QVERIFY(progress && progress->isVisible() && progress->cancelButton());
            if (button)
                progress->cancelButton()->click();
            else
                QTest::keyClick(progress, Qt::Key_Escape);
            QTRY_VERIFY(!m_form->search()->isSearching());
            QCOMPARE(shape(root()), tree);
            QCOMPARE(m_form->treePanel()->selectedNode(), root());
            QVERIFY(m_form->search()->isSearchMode());
            QCOMPARE(m_form->search()->context(), QStringLiteral("ксилолит"));
            QCOMPARE(m_form->statusText(), status);
            QCOMPARE(m_results.dialogs, dialogs);
            QVERIFY(m_form->search()->resultList()->isVisible());
            QCOMPARE(resultRows(), rows);
        }

        // Closing the window stops the search and closes.
        typeAndEnter(QStringLiteral("линолеум"), false);
        QVERIFY(m_form->search()->isSearching());
        QVERIFY(m_form->close());
        QVERIFY(!m_form->search()->isSearching());
        QVERIFY(!m_form->isVisible());
        QCOMPARE(m_results.dialogs, dialogs);
    }

    void resultList()
    {
        const auto doc = [this](const QString& path, const QString& text) {
            QVERIFY(TestFiles::write(m_suite->normDoc(path), TestFiles::cp1251(text)));
        };
        doc(QStringLiteral("Полы/Три раза.htm"),
            QStringLiteral("<p>Ксилолит, <i>ксилолит</i> и снова КСИЛОЛИТ</p>"));
        doc(QStringLiteral("Грунт/Глубже/Подпись.htm"),
            QStringLiteral("<p>ксилолит</p><img alt=\"ксилолит\"><p>ксилолит</p>"));
        doc(QStringLiteral("Разметка.htm"), QStringLiteral("<img alt=\"ксилолит\"><p>пол</p>"));
        m_form->commands()->action(WindowCommands::Refresh)->trigger();
        QVERIFY(QTest::qWaitForWindowActive(m_form.get()));
        SearchResultsDock* dock =
            m_form->findChild<SearchResultsDock*>(QStringLiteral("searchResultsDock"));
        QVERIFY(dock && dock == m_form->search()->resultList() && !dock->isVisible());

        SearchRequest request;
        searchFor(QStringLiteral("ксилолит"), &request);
        QVERIFY(dock->isVisible());
        QCOMPARE(dock->windowTitle(), QStringLiteral("Результаты поиска"));

        // The found documents of the tree in its order, with their captions below the root.
        QStringList treeOrder;
        QHash<QString, QString> captions;
        for (QTreeWidgetItemIterator it(m_form->treePanel()->view()); *it; ++it) {
            const auto record = DocumentTree::nodeData(*it);
            if (record.kind != NodeKind::Document)
                continue;
            treeOrder.append(record.path);
            captions.insert(record.path,
                            DocumentTree::nodeValue(*it).title().section(QStringLiteral("->"), 1));
        }
        QCOMPARE(treeOrder.size(), 4);
        const QStringList rows = resultRows();
        QTreeWidget* list = dock->list();
        QStringList listed;
        for (int i = 0; i < list->topLevelItemCount(); ++i)
            listed.append(SearchResultsDock::documentPath(list->topLevelItem(i)));
        QCOMPARE(listed, treeOrder);
        const MatchOptions options = request.options;
        for (int i = 0; i < list->topLevelItemCount(); ++i) {
            const QTreeWidgetItem* row = list->topLevelItem(i);
            const QString path = SearchResultsDock::documentPath(row);
            QCOMPARE(row->text(SearchResultsDock::DocumentColumn), captions.value(path));
            const auto expected =
                HighlightedCopy::highlight(TestFiles::read(path), request.context, options,
                                           QByteArrayLiteral("<b>"), QByteArrayLiteral("</b>"));
            QCOMPARE(row->text(SearchResultsDock::CountColumn).toInt(), expected.marked);
            const QString fragment = row->text(SearchResultsDock::SnippetColumn);
            if (expected.marked == 0) {
                QVERIFY(expected.inMarkup > 0);
                QCOMPARE(fragment, QStringLiteral("совпадения только в разметке"));
            } else {
                QVERIFY2(fragment.contains(request.context, Qt::CaseInsensitive),
                         qPrintable(fragment));
                QCOMPARE(row->data(SearchResultsDock::SnippetColumn, SearchResultsDock::MatchRole)
                             .toString()
                             .toLower(),
                         request.context);
            }
        }
        QVERIFY(rows.join(u'\n').contains(QStringLiteral("Три раза.htm|3|")));
        QVERIFY(rows.join(u'\n').contains(QStringLiteral("Подпись.htm|2|")));

        // By the count, most first, from its header.
        QHeaderView* header = list->header();
        QTest::mouseClick(
            header->viewport(), Qt::LeftButton, {},
            QPoint(header->sectionViewportPosition(SearchResultsDock::CountColumn) + 5,
                   header->height() / 2));
        QCOMPARE(list->sortColumn(), int(SearchResultsDock::CountColumn));
        QStringList counts;
        for (int i = 0; i < list->topLevelItemCount(); ++i)
            counts.append(list->topLevelItem(i)->text(SearchResultsDock::CountColumn));
        QCOMPARE(counts, QStringList({QStringLiteral("3"), QStringLiteral("2"), QStringLiteral("1"),
                                      QStringLiteral("0")}));

        // The arrow keys show the document of the row they move to, as Enter does.
        list->setFocus();
        list->setCurrentItem(list->topLevelItem(1));
        QTest::keyClick(list, Qt::Key_Down);
        const QString chosen = SearchResultsDock::documentPath(list->topLevelItem(2));
        QCOMPARE(DocumentTree::nodeData(m_form->treePanel()->selectedNode()).path, chosen);
        QTest::keyClick(list, Qt::Key_Return);
        QCOMPARE(DocumentTree::nodeData(m_form->treePanel()->selectedNode()).path, chosen);
        QVERIFY(chosen.endsWith(QStringLiteral("Ксилолит.htm")));
        QVERIFY(list->hasFocus());

        // Word forms: the relevance column tells each document's share of the best score.
        const MatchOptions before = m_form->search()->matchOptions();
        m_form->search()->setMatchOptions(MatchOptions{false, false, true, true});
        m_form->treePanel()->view()->setCurrentItem(m_form->treePanel()->view()->topLevelItem(0));
        QVERIFY(m_form->topRow()->searchModeLabel()->isVisible()); // the mode is shown
        QCOMPARE(m_form->topRow()->searchModeLabel()->text(), QStringLiteral("в любой форме"));
        searchFor(QStringLiteral("ксилолиты"), &request);
        QVERIFY(request.options.wordForms);
        QVERIFY(!list->isColumnHidden(SearchResultsDock::RelevanceColumn));
        QCOMPARE(list->topLevelItem(0)->text(SearchResultsDock::RelevanceColumn),
                 QStringLiteral("100 %"));
        for (int i = 0; i < list->topLevelItemCount(); ++i)
            QVERIFY(list->topLevelItem(i)->text(SearchResultsDock::RelevanceColumn).endsWith(u'%'));
        QVERIFY(m_results.fragmentOffer.isEmpty()); // the forms found no less

        // Fewer by word forms than as a fragment: the dialog and the list's line say so, and
        // the button searches the fragment.
        QVERIFY(
            TestFiles::write(m_suite->normDoc(QStringLiteral("Полы/Другое слово.htm")),
                             TestFiles::cp1251(QStringLiteral("<p>ксилолитбетонные плиты</p>"))));
        m_form->refresh();
        m_form->treePanel()->view()->setCurrentItem(m_form->treePanel()->view()->topLevelItem(0));
        searchFor(QStringLiteral("ксилолит"), &request);
        QCOMPARE(m_results.fragmentOffer, QStringLiteral("Как фрагмент: 4 документа"));
        QVERIFY(m_form->search()->resultList()->header().endsWith(m_results.fragmentOffer));
        m_searchAsFragment = true;
        searchFor(QStringLiteral("ксилолит"), &request);

        QTRY_VERIFY_WITH_TIMEOUT(!m_form->search()->isSearching(), 60000);
        QVERIFY(!m_form->search()->matchOptions().wordForms);
        QVERIFY(m_form->search()->matchOptions().textMode);
        QVERIFY(!m_form->topRow()->searchModeLabel()->isVisible());
        QCOMPARE(m_results.found, QStringLiteral("4")); // the fragment's own search
        m_form->search()->setMatchOptions(before);

        // Leaving search mode hides and empties the list.
        m_form->findChild<QToolButton*>(QStringLiteral("cancelSearchButton"))->click();
        QVERIFY(!m_form->search()->isSearchMode());
        QVERIFY(!dock->isVisible());
        QCOMPARE(list->topLevelItemCount(), 0);
    }

    // Alt+PgDown and Alt+PgUp go through the found documents in the list's order, across
    // folders and round the ends; F6 puts the focus in the list.
    void nextAndPreviousFoundDocument()
    {
        for (const char* path : {"А/Первый.htm", "Б/В/Второй.htm", "Третий.htm"})
            QVERIFY(TestFiles::write(m_suite->normDoc(QString::fromUtf8(path)),
                                     TestFiles::cp1251(QStringLiteral("<p>шпунтовина</p>"))));
        m_form->commands()->action(WindowCommands::Refresh)->trigger();
        QVERIFY(QTest::qWaitForWindowActive(m_form.get()));
        typeAndEnter(QStringLiteral("шпунтовина"));
        QTreeWidget* list = m_form->search()->resultList()->list();
        QCOMPARE(list->topLevelItemCount(), 3);
        QStringList order;
        for (int i = 0; i < list->topLevelItemCount(); ++i)
            order.append(SearchResultsDock::documentPath(list->topLevelItem(i)));
        m_form->treePanel()->view()->setFocus();
        const auto step = [this](Qt::Key key) {
            QTest::keyClick(m_form->treePanel()->view(), key, Qt::AltModifier);
            return m_form->treePanel()->selectedPath();
        };
        list->setCurrentItem(nullptr);
        QCOMPARE(step(Qt::Key_PageDown), order.at(0));
        QCOMPARE(step(Qt::Key_PageDown), order.at(1));
        QCOMPARE(step(Qt::Key_PageDown), order.at(2));
        QSignalSpy notes(m_form->search(), &SearchController::statusNote);
        QCOMPARE(step(Qt::Key_PageDown), order.at(0)); // round the end, and it is said
        QCOMPARE(notes.size(), 1);
        QCOMPARE(notes.last().at(0).toString(),
                 QStringLiteral("Переход продолжен с первого найденного документа"));
        QCOMPARE(step(Qt::Key_PageUp), order.at(2));
        QCOMPARE(notes.last().at(0).toString(),
                 QStringLiteral("Переход продолжен с последнего найденного документа"));
        QTest::keyClick(m_form->treePanel()->view(), Qt::Key_F6);
        QTRY_COMPARE(QApplication::focusWidget(), list);
    }

    void plantedWorkingFolder()
    {
        // Working folders planted by someone else (a link in the name of this user's folder,
        // a folder of the user's left open to others with links to the library inside) are
        // never used: the program makes its own, and nothing is written or deleted through
        // a link, at start, while showing or at closing.
        const QString tmp = m_suite->scratch(QStringLiteral("planted"));
        const QString elsewhere = m_suite->scratch(QStringLiteral("elsewhere"));
        const QString prefix = tmp + QStringLiteral("/lectoria-") + QString::number(::getuid());
        QVERIFY(QFile::link(elsewhere, prefix));
        QVERIFY(QFile::link(elsewhere, prefix + QStringLiteral("-link")));
        QVERIFY(QDir().mkpath(prefix + QStringLiteral("-open")));
        QVERIFY(QFile::setPermissions(prefix + QStringLiteral("-open"),
                                      QFileDevice::Permissions(0x7777)));
        QVERIFY(QFile::link(m_suite->normDoc(), prefix + QStringLiteral("-open/Temp")));
        QVERIFY(QFile::link(elsewhere, prefix + QStringLiteral("-open/Q.temp")));
        const utimbuf hourAgo{::time(nullptr) - 3600, ::time(nullptr) - 3600};
        QVERIFY(::utime(QFile::encodeName(prefix + QStringLiteral("-open")).constData(),
                        &hourAgo) == 0);
        qputenv("TMPDIR", tmp.toLocal8Bit());
        m_form.reset();
        start();
        typeAndEnter(QStringLiteral("линолеум"));
        m_form->treePanel()->view()->setCurrentItem(
            child(child(root(), QStringLiteral("Полы")), QStringLiteral("Линолеум")));
        QTRY_VERIFY(m_form->viewer()->view()->url().toLocalFile().startsWith(prefix + u'-'));
        QTest::keyClick(m_form->treePanel()->view(), Qt::Key_Escape); // closes the window
        QTRY_VERIFY(!m_form->isVisible());
        QCOMPARE(QDir(elsewhere).entryList(QDir::NoDotAndDotDot | QDir::AllEntries), QStringList());
        QVERIFY(QFileInfo::exists(m_suite->normDoc(QStringLiteral("Полы/Линолеум.htm"))));
        QVERIFY(QFileInfo(prefix).isSymLink() &&
                QFileInfo(prefix + QStringLiteral("-link")).isSymLink());
        QCOMPARE(QDir(tmp).entryList(QDir::NoDotAndDotDot | QDir::AllEntries),
                 (QStringList{QStringLiteral("lectoria-%1").arg(::getuid()),
                              QStringLiteral("lectoria-%1-link").arg(::getuid())}));
    }

    void searchOptions()
    {
        // The dialog offers every option as the window holds it and stores what it gives back.
        // An option changed after the build: a folder search keeps the builder's old value,
        // the highlighting and the next full build use the new one at once.
        struct
        {
            bool visible = false;
            bool checked = false;
        } offered;
        bool accept = true;
        TestAnswers::runDialogsWith([&](QDialog& dialog) {
            if (auto* parameters = qobject_cast<SearchOptionsDialog*>(&dialog)) {
                QCheckBox* const boxes[] = {parameters->caseSensitiveBox(),
                                            parameters->wholeWordsBox(), parameters->textModeBox()};
                offered = {true, true};
                for (QCheckBox* box : boxes) {
                    offered.visible = offered.visible && box->isVisibleTo(parameters);
                    offered.checked = offered.checked && box->isChecked();
                    box->setChecked(true);
                }
                SearchOptionsDialog::selectColor(parameters->backColorBox(), 0x00FFFF);
                return int(accept ? QDialog::Accepted : QDialog::Rejected);
            }
            if (auto* result = qobject_cast<SearchResultDialog*>(&dialog))
                m_results.found = result->foundLabel()->text();
            return int(QDialog::Rejected);
        });
        m_form->findChild<QToolButton*>(QStringLiteral("searchOptionsButton"))->click();
        QVERIFY(offered.visible && !offered.checked);
        QVERIFY(m_form->search()->matchOptions().caseSensitive &&
                m_form->search()->matchOptions().wholeWords &&
                m_form->search()->matchOptions().textMode);
        QCOMPARE(m_form->search()->backColor(), 0x00FFFFu);
        const IniFile ini{};
        const QString search = QStringLiteral("Search");
        for (const char* key : {"Register", "WholeWords", "TextMode"})
            QVERIFY2(ini.readBool(m_suite->iniFile(), search, QString::fromLatin1(key)), key);
        QCOMPARE(ini.readInt(m_suite->iniFile(), search, QStringLiteral("BackColor")), 0x00FFFF);
        accept = false;
        m_form->findChild<QToolButton*>(QStringLiteral("searchOptionsButton"))->click();
        QVERIFY(offered.visible && offered.checked);

        SearchRequest request;
        m_form->treePanel()->view()->setCurrentItem(child(root(), QStringLiteral("Полы")));
        searchFor(QStringLiteral("КСИЛОЛИТА"), &request);
        QCOMPARE(options(request), QStringLiteral("000"));
        QCOMPARE(m_results.found, QStringLiteral("1")); // found without regard to case
        m_form->treePanel()->view()->setCurrentItem(
            child(child(root(), QStringLiteral("Полы")), QStringLiteral("Ксилолит")));
        const QString copy = UserWorkDir::highlightWorkDir() + QStringLiteral("/NormDoc.htm");
        QTRY_COMPARE(m_form->viewer()->view()->url(), QUrl::fromLocalFile(copy));
        QVERIFY(!TestFiles::read(copy).contains("<span")); // highlighted with case

        m_form->treePanel()->view()->setCurrentItem(root());
        searchFor(QStringLiteral("КСИЛОЛИТА"), &request);
        QCOMPARE(options(request), QStringLiteral("111"));
        QCOMPARE(m_results.found, QStringLiteral("0"));
        searchFor(QStringLiteral("покрытия"), &request);
        QTreeWidgetItem* floors = child(root(), QStringLiteral("Полы"));
        QVERIFY(floors);
        m_form->treePanel()->view()->setCurrentItem(floors);
        searchFor(QStringLiteral("покрытия"), &request);
        QCOMPARE(request.folders, QStringList{m_suite->normDoc(QStringLiteral("Полы"))});
        QCOMPARE(options(request), QStringLiteral("111"));
    }

    void textModeProposedForAPhraseNotFound()
    {
        // Only after a search of the whole collection in the raw bytes that found nothing
        // for a context of more than one word.
        const auto hintAfter = [this](QTreeWidgetItem* from, const QString& context) {
            m_form->treePanel()->view()->setCurrentItem(from);
            typeAndEnter(context);
            return m_results.textModeHint;
        };
        QVERIFY(!hintAfter(child(root(), QStringLiteral("Грунт")), QStringLiteral("ларсен 6")));
        QVERIFY(hintAfter(root(), QStringLiteral("стоимость объекта")));
        QVERIFY(!hintAfter(root(), QStringLiteral("синхрофазотрон")));
        QVERIFY(!hintAfter(root(), QStringLiteral("сметная стоимость")));
        {
            MatchOptions options = m_form->search()->matchOptions();
            options.textMode = true;
            m_form->search()->setMatchOptions(options);
        }
        QVERIFY(!hintAfter(root(), QStringLiteral("стоимость объекта")));
        QCOMPARE(m_results.found, QStringLiteral("0"));
    }
};

LECTORIA_APP_TEST_MAIN(TestSearch)
#include "tst_search.moc"
