#include "dialogs/guidebrowser.h"
#include "dialogs/helpwindow.h"
#include "dialogs/searchoptionsdialog.h"
#include "dialogs/searchresultdialog.h"
#include "find/findbox.h"
#include "find/searchcontroller.h"
#include "find/searchresultsdock.h"
#include "support/windowcommands.h"
#include "testsupport/apptestmain.h"
#include "testsupport/startwindow.h"
#include "testsupport/suitefixture.h"
#include "tree/documenttreepanel.h"
#include "viewer/documentviewer.h"
#include "window/mainwindow.h"

#include <QAction>
#include <QCheckBox>
#include <QClipboard>
#include <QGuiApplication>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSignalSpy>
#include <QTextDocument>
#include <QToolButton>
#include <QTreeWidget>

// A query with operators typed in the find box: the tree shows exactly what it finds, the
// result says how it was read and offers the text as written; a malformed one is refused.
class TestQuery : public QObject
{
    Q_OBJECT

    SuiteFixture m_suite;
    std::unique_ptr<MainWindow> m_form;
    QString m_reading;        // of the last result dialog
    bool m_asWritten = false; // the next dialog's answer: "Искать как написано"
    int m_dialogs = 0;
    QString m_optionsHelp;     // the section of the guide F1 opened in the options dialog
    bool m_everywhere = false; // the next dialog's answer: "Искать везде", when offered
    bool m_dontShowAgain = false; // the next dialog's "Больше не показывать"
    QString m_scope;              // where the last dialog said it looked

    QStringList foundDocuments() const { return m_form->treePanel()->documentsInTreeOrder(); }
    bool search(const QString& text)
    {
        // Everywhere: the root selected.
        QTreeWidget* tree = m_form->treePanel()->view();
        tree->setCurrentItem(tree->topLevelItem(0));
        m_form->search()->findBox()->setEditText(text);
        QSignalSpy finished(m_form.get(), &MainWindow::searchFinished);
        m_form->beginSearch();
        return finished.wait(30000);
    }
    QStringList names() const
    {
        QStringList found;
        for (const QString& path : foundDocuments())
            found << QFileInfo(path).completeBaseName();
        found.sort();
        return found;
    }
    bool write(const QString& name, const QString& text)
    {
        return TestFiles::write(m_suite.normDoc(name + QStringLiteral(".htm")),
                                TestFiles::cp1251(QStringLiteral("<html><body><p>%1</p></body>"
                                                                 "</html>")
                                                      .arg(text)));
    }

private slots:
    void initTestCase()
    {
        qputenv("TMPDIR", m_suite.scratch(QStringLiteral("tmp")).toLocal8Bit());
        QVERIFY(write(QStringLiteral("Сваи"), QStringLiteral("Сваи забивают копром.")));
        QVERIFY(write(QStringLiteral("Шпунт"),
                      QStringLiteral("Шпунт Ларсена погружают вибропогружателем.")));
        QVERIFY(write(QStringLiteral("Асфальт"), QStringLiteral("Сваи и асфальт.")));
        QVERIFY(write(QStringLiteral("Оба"), QStringLiteral("Шпунт Ларсена, затем сваи; сваи.")));
        QVERIFY(write(QStringLiteral("Здания"),
                      QStringLiteral("ЗДАНИЯ И СООРУЖЕНИЯ. Общие положения.")));
        QVERIFY(write(QStringLiteral("Бетон"), QStringLiteral("Бетонная смесь.")));
        QVERIFY(TestFiles::write(m_suite.iniFile(),
                                 "[TreeView]\nNormDocButton=1\n[Search]\nTextMode=1\n"));
        m_form = startWindow(m_suite.programFile());
        QVERIFY(m_form);
        TestAnswers::runDialogsWith([this](QDialog& dialog) {
            if (auto* options = qobject_cast<SearchOptionsDialog*>(&dialog)) {
                QTest::keyClick(options, Qt::Key_F1);
                const auto* help =
                    options->findChild<HelpWindow*>(QString(), Qt::FindDirectChildrenOnly);
                m_optionsHelp = help ? help->browser()->source().fragment() : QString();
                return int(QDialog::Rejected);
            }
            auto* result = qobject_cast<SearchResultDialog*>(&dialog);
            if (!result)
                return int(QDialog::Rejected);
            ++m_dialogs;
            m_reading = result->readingLabel() ? result->readingLabel()->text() : QString();
            m_scope = result->scopeLabel()->isVisibleTo(result) ? result->scopeLabel()->text()
                                                                : QString();
            if (std::exchange(m_dontShowAgain, false))
                result->dontShowAgainBox()->setChecked(true);
            if (std::exchange(m_everywhere, false) && result->everywhereButton()) {
                result->everywhereButton()->click();
                return int(QDialog::Accepted);
            }
            if (m_asWritten && result->literalButton()) {
                m_asWritten = false;
                result->literalButton()->click();
                return int(QDialog::Accepted);
            }
            return int(QDialog::Rejected);
        });
    }
    void cleanupTestCase() { m_form.reset(); }

    void operatorsPruneTheTree()
    {
        QVERIFY(search(QStringLiteral("сваи ИЛИ шпунт Ларсена -асфальт")));
        QCOMPARE(names().join(u','), QStringLiteral("Оба,Сваи,Шпунт"));
        QCOMPARE(m_reading,
                 QStringLiteral("Прочитано как: («сваи» ИЛИ «шпунт Ларсена») И БЕЗ «асфальт»"));
        QVERIFY(
            m_form->search()->resultList()->header().startsWith(QStringLiteral("Прочитано как: ")));
        // Every term to be found is marked and counted, in the page and in the result list.
        QVERIFY(m_form->treePanel()->selectPath(m_suite.normDoc(QStringLiteral("Оба.htm"))));
        QTRY_COMPARE_WITH_TIMEOUT(m_form->viewer()->shownMarks(), 3, 20000);
        QTreeWidget* list = m_form->search()->resultList()->list();
        const auto countOf = [list](const QString& name) {
            for (int i = 0; i < list->topLevelItemCount(); ++i) {
                const QTreeWidgetItem* row = list->topLevelItem(i);
                if (QFileInfo(SearchResultsDock::documentPath(row)).completeBaseName() == name)
                    return row->text(SearchResultsDock::CountColumn);
            }
            return QString();
        };
        QTRY_COMPARE_WITH_TIMEOUT(countOf(QStringLiteral("Оба")), QStringLiteral("3"), 20000);
        QCOMPARE(countOf(QStringLiteral("Шпунт")), QStringLiteral("1"));
    }

    // A context without operators is searched as always: the plain fragment.
    void plainContextsStayAsTheyWere()
    {
        QVERIFY(search(QStringLiteral("Бетонная смесь")));
        QCOMPARE(names(), QStringList{QStringLiteral("Бетон")});
        QCOMPARE(m_reading, QString());
    }

    // The capitals of a norm read as an operator; one click searches the text as written.
    void searchedAsWritten()
    {
        const int before = m_dialogs;
        m_asWritten = true;
        QVERIFY(search(QStringLiteral("ЗДАНИЯ И СООРУЖЕНИЯ")));
        QTRY_COMPARE_WITH_TIMEOUT(m_dialogs, before + 2, 30000);
        QCOMPARE(m_reading, QString()); // the second search: one context
        QCOMPARE(names(), QStringList{QStringLiteral("Здания")});
    }

    // The searches after "Искать в найденном" look only in the documents found then, also
    // where a document added since holds what they look for; Esc leaves it, "Вернуть дерево"
    // brings every document back.
    void searchWithinFound()
    {
        QAction* within = m_form->commands()->action(WindowCommands::SearchWithinFound);
        QVERIFY(search(QStringLiteral("сваи ИЛИ шпунт")));
        QCOMPARE(names().join(u','), QStringLiteral("Асфальт,Оба,Сваи,Шпунт"));
        QVERIFY(write(QStringLiteral("Новый"), QStringLiteral("Шпунт, новый.")));
        QVERIFY(within->isEnabled());
        within->trigger();
        QVERIFY(within->isChecked());
        QVERIFY(m_form->search()->isSearchingWithinFound());
        QVERIFY(m_form->search()
                    ->resultList()
                    ->findChild<QToolButton*>(QStringLiteral("restoreTreeButton"))
                    ->isVisibleTo(m_form->search()->resultList()));
        QVERIFY(search(QStringLiteral("шпунт")));
        QCOMPARE(names().join(u','), QStringLiteral("Оба,Шпунт"));
        QVERIFY2(m_form->search()->resultList()->header().contains(
                     QStringLiteral("в найденном: 4 документа")),
                 qPrintable(m_form->search()->resultList()->header()));
        // Still among the four: a query too.
        QVERIFY(search(QStringLiteral("асфальт ИЛИ копром")));
        QCOMPARE(names().join(u','), QStringLiteral("Асфальт,Сваи"));
        // Esc in the find box leaves it; the next search looks everywhere again.
        QTest::keyClick(m_form->search()->findBox()->lineEdit(), Qt::Key_Escape);
        QVERIFY(!within->isChecked());
        QVERIFY(search(QStringLiteral("шпунт")));
        QCOMPARE(names().join(u','), QStringLiteral("Новый,Оба,Шпунт"));
        // "Вернуть дерево": search mode ends with the whole tree.
        within->trigger();
        QVERIFY(within->isChecked());
        m_form->search()
            ->resultList()
            ->findChild<QToolButton*>(QStringLiteral("restoreTreeButton"))
            ->click();
        QTRY_VERIFY_WITH_TIMEOUT(!within->isChecked(), 10000);
        QVERIFY(!m_form->search()->isSearchMode());
        QTRY_COMPARE_WITH_TIMEOUT(foundDocuments().size(), 7, 10000);
        QVERIFY(QFile::remove(m_suite.normDoc(QStringLiteral("Новый.htm"))));
    }

    // A search of one document that finds nothing says where it looked and offers the same
    // search everywhere, in the dialog and beside the result list.
    void nothingFoundOffersEverywhere()
    {
        QVERIFY(m_form->treePanel()->selectPath(m_suite.normDoc(QStringLiteral("Сваи.htm"))));
        m_form->search()->findBox()->setEditText(QStringLiteral("шпунт ИЛИ асфальт"));
        const int before = m_dialogs;
        m_everywhere = false;
        QSignalSpy finished(m_form.get(), &MainWindow::searchFinished);
        m_form->beginSearch();
        QVERIFY(finished.wait(30000));
        QCOMPARE(m_dialogs, before + 1);
        QCOMPARE(m_scope, QStringLiteral("Где искали: в документе «Сваи»"));
        auto* offer = m_form->search()->resultList()->findChild<QToolButton*>(
            QStringLiteral("everywhereButton"));
        QVERIFY(offer && offer->isVisibleTo(m_form->search()->resultList()));
        QVERIFY(
            m_form->search()->resultList()->header().contains(QStringLiteral("ничего не найдено")));
        // From the dialog: the same query in the whole collection.
        QVERIFY(m_form->treePanel()->selectPath(m_suite.normDoc(QStringLiteral("Сваи.htm"))));
        m_form->beginSearch();
        m_everywhere = true;
        QVERIFY(finished.wait(30000));
        QTRY_COMPARE_WITH_TIMEOUT(m_dialogs, before + 3, 30000);
        QCOMPARE(m_scope, QStringLiteral("Где искали: во всей коллекции"));
        QCOMPARE(names().join(u','), QStringLiteral("Асфальт,Оба,Шпунт"));
        QVERIFY(!offer->isVisibleTo(m_form->search()->resultList()));
    }

    // The results taken away: a CSV table and an HTML report written from the list, the
    // selected rows copied as text.
    void resultsTakenAway()
    {
        QVERIFY(search(QStringLiteral("шпунт ИЛИ копром")));
        SearchResultsDock* results = m_form->search()->resultList();
        QTreeWidget* list = results->list();
        QTRY_COMPARE_WITH_TIMEOUT(list->topLevelItemCount(), 3, 20000);
        for (int i = 0; i < 3; ++i)
            QTRY_VERIFY_WITH_TIMEOUT(
                list->topLevelItem(i)->text(SearchResultsDock::CountColumn) != u"…", 20000);
        const QString saved = m_suite.scratch(QStringLiteral("saved"));
        const QString csv = saved + QStringLiteral("/Результаты.csv");
        QVERIFY(results->saveResults(csv));
        QFile table(csv);
        QVERIFY(table.open(QIODevice::ReadOnly));
        const QStringList lines = QString::fromUtf8(table.readAll().mid(3))
                                      .split(QStringLiteral("\r\n"), Qt::SkipEmptyParts);
        QCOMPARE(lines.size(), 4);
        QVERIFY2(lines[1].startsWith(QStringLiteral("Оба;")), qPrintable(lines[1]));
        const QString html = saved + QStringLiteral("/Результаты.html");
        QVERIFY(results->saveResults(html));
        QFile report(html);
        QVERIFY(report.open(QIODevice::ReadOnly));
        QTextDocument parsed;
        parsed.setHtml(QString::fromUtf8(report.readAll()));
        const QString text = parsed.toPlainText();
        QVERIFY(text.contains(QStringLiteral("Прочитано как: «шпунт» ИЛИ «копром»")));
        QVERIFY(text.contains(QStringLiteral("во всей коллекции")));
        QVERIFY(text.contains(QStringLiteral("Сваи забивают")));
        QVERIFY(!results->saveResults(saved + QStringLiteral("/нет такой папки/р.csv")));
        list->clearSelection();
        list->topLevelItem(1)->setSelected(true);
        list->topLevelItem(2)->setSelected(true);
        list->setFocus();
        QTest::keyClick(list, Qt::Key_C, Qt::ControlModifier);
        const QStringList copied = QGuiApplication::clipboard()->text().split(u'\n');
        QCOMPARE(copied.size(), 2);
        QCOMPARE(copied[0].split(u'\t').size(), 5);
    }

    // The options dialog tells the syntax in a few lines; F1 there opens the guide's section.
    void syntaxInTheOptions()
    {
        QVERIFY(TestFiles::write(m_form->helpFile(),
                                 "<html><body><h1>Справка</h1><p>Начало</p><a name=\"query\"></a>"
                                 "<h2>Запросы</h2></body></html>"));
        m_form->commands()->action(WindowCommands::SearchOptions)->trigger();
        QCOMPARE(m_optionsHelp, QStringLiteral("query"));
    }

    // A malformed query is refused, naming the place, and nothing is searched.
    void malformedQueriesAreRefused()
    {
        const QStringList before = foundDocuments();
        const int dialogs = m_dialogs;
        m_form->search()->findBox()->setEditText(QStringLiteral("сваи ИЛИ (шпунт"));
        m_form->beginSearch();
        QCOMPARE(m_dialogs, dialogs);
        QVERIFY2(
            m_form->statusText().contains(QStringLiteral("Нет закрывающей скобки после «(шпунт»")),
            qPrintable(m_form->statusText()));
        QCOMPARE(foundDocuments(), before);
        m_form->search()->findBox()->setEditText(QStringLiteral("-асфальт"));
        m_form->beginSearch();
        QVERIFY(m_form->statusText().contains(
            QStringLiteral("Запрос должен содержать хотя бы одно слово, которое нужно найти")));
    }

    // "Больше не показывать": the searches after it show no dialog, the list's line carries
    // the counts and the offers; the options dialog brings the window back.
    void resultDialogCanStayAway()
    {
        m_dontShowAgain = true;
        QVERIFY(search(QStringLiteral("сваи ИЛИ шпунт")));
        QVERIFY(!m_form->settings()->showsResultDialog());
        const int dialogs = m_dialogs;
        QVERIFY(search(QStringLiteral("нет такого ИЛИ и этого")));
        QCOMPARE(m_dialogs, dialogs);
        SearchResultsDock* results = m_form->search()->resultList();
        QVERIFY2(results->header().contains(QStringLiteral("проверено ")) &&
                     results->header().contains(QStringLiteral("найдено 0")),
                 qPrintable(results->header()));
        for (const char* offer : {"literalOfferButton", "restoreTreeOfferButton"}) {
            auto* button = results->findChild<QToolButton*>(QString::fromLatin1(offer));
            QVERIFY2(button && button->isVisibleTo(results), offer);
        }
        // An offer taken: the literal search runs, and the offers give way to its own.
        QSignalSpy finished(m_form.get(), &MainWindow::searchFinished);
        results->findChild<QToolButton*>(QStringLiteral("literalOfferButton"))->click();
        QVERIFY(finished.wait(30000));
        QTRY_VERIFY(!results->findChild<QToolButton*>(QStringLiteral("literalOfferButton")));
        QCOMPARE(m_dialogs, dialogs);
        QVERIFY(m_form->settings()->setShowsResultDialog(true));
    }
};

LECTORIA_APP_TEST_MAIN(TestQuery)
#include "tst_query.moc"
