#include "support/windowcommands.h"
#include "testsupport/apptestmain.h"
#include "testsupport/startwindow.h"
#include "testsupport/suitefixture.h"
#include "testsupport/testfiles.h"
#include "tree/documenttreepanel.h"
#include "tree/namefilter.h"
#include "window/mainwindow.h"

#include <QClipboard>
#include <QFile>
#include <QGuiApplication>
#include <QLineEdit>
#include <QTreeWidget>
#include <QTreeWidgetItemIterator>

// "Найти по названию" on a collection whose folders have never been opened.
class TestNameFilter : public QObject
{
    Q_OBJECT

    SuiteFixture m_suite;
    std::unique_ptr<MainWindow> m_form;

    QStringList shownDocuments() const
    {
        QStringList paths;
        for (QTreeWidgetItemIterator it(m_form->treePanel()->nameFilterView()); *it; ++it) {
            const QString path = NameFilter::pathOf(*it);
            if (path.endsWith(QStringLiteral(".htm")))
                paths.append(path);
        }
        return paths;
    }

private slots:
    void initTestCase()
    {
        for (const char* name :
             {"Своды правил/Нагрузки/СНиП 2.01.07-85*.htm",
              "Своды правил/Нагрузки/СНиП 2.01.07-86.htm", "Сборники/ГЭСН/ГЭСН 81-02-06.htm",
              "Прочее/readme.htm", "Прочее/Письмо о ГЭСН 06-01.htm",
              "Сборники/ГЭСН/ГЭСН 06-01-001.htm"})
            QVERIFY(TestFiles::write(m_suite.normDoc(QString::fromUtf8(name)), "<p>x</p>"));
        // A web of folder links: every level links three times to the next.
        for (int level = 0; level < 12; ++level) {
            const QString folder = m_suite.normDoc(QStringLiteral("Паутина/Уровень %1").arg(level));
            QVERIFY(TestFiles::write(folder + QStringLiteral("/Документ %1.htm").arg(level), "x"));
            for (const char* name : {"/а", "/б", "/в"})
                QVERIFY(QFile::link(QStringLiteral("../Уровень %1").arg(level + 1),
                                    folder + QLatin1String(name)));
        }
        QVERIFY(TestFiles::write(m_suite.iniFile(), "[TreeView]\nNormDocButton=1\n"));
        m_form = startWindow(m_suite.programFile());
        QVERIFY(m_form);
    }

    void filtersTheWholeCollection()
    {
        DocumentTreePanel* panel = m_form->treePanel();
        QTreeWidgetItem* root = panel->view()->topLevelItem(0);
        for (int i = 0; i < root->childCount(); ++i)
            QVERIFY(!root->child(i)->isExpanded()); // nothing opened yet

        QLineEdit* field = panel->nameFilterField();
        field->setFocus();
        field->insert(QStringLiteral("снип2.01.07–85")); // as typed, a keystroke at a time
        QTRY_COMPARE(shownDocuments(),
                     QStringList{m_suite.normDoc(QStringLiteral("Своды правил/Нагрузки/СНиП "
                                                                "2.01.07-85*.htm"))});
        QVERIFY(panel->nameFilterView()->isVisible() && !panel->view()->isVisible());
        QCOMPARE(panel->nameFilterView()->topLevelItem(0)->text(0), QStringLiteral("Найдено: 1"));

        // Enter shows the document in the tree and the viewer; Esc gives the tree back.
        QTest::keyClick(field, Qt::Key_Return);
        QTRY_COMPARE(panel->selectedPath(), shownDocuments().value(0));
        QTest::keyClick(field, Qt::Key_Escape);
        QVERIFY(field->text().isEmpty());
        QVERIFY(panel->view()->isVisible() && !panel->nameFilterView()->isVisible());
        QCOMPARE(panel->selectedPath(),
                 m_suite.normDoc(QStringLiteral("Своды правил/Нагрузки/СНиП 2.01.07-85*.htm")));

        // A near miss finds only its own; a folder's name leads to its documents' folder.
        field->setText(QStringLiteral("2.01.07-86"));
        QCOMPARE(shownDocuments().size(), 1);
        field->setText(QStringLiteral("cybg 2.01.07-85"));
        QCOMPARE(shownDocuments().size(), 1); // "снип" typed in the Latin layout
        field->setText(QStringLiteral("гэсн 81 02"));
        QCOMPARE(shownDocuments(),
                 QStringList{m_suite.normDoc(QStringLiteral("Сборники/ГЭСН/ГЭСН 81-02-06.htm"))});
        // What begins with the query comes first at each level of the tree (and the folders
        // that lead to it), the rest after it.
        field->setText(QStringLiteral("гэсн 06"));
        QCOMPARE(shownDocuments(),
                 QStringList({m_suite.normDoc(QStringLiteral("Сборники/ГЭСН/ГЭСН 06-01-001.htm")),
                              m_suite.normDoc(QStringLiteral("Сборники/ГЭСН/ГЭСН 81-02-06.htm")),
                              m_suite.normDoc(QStringLiteral("Прочее/Письмо о ГЭСН 06-01.htm"))}));
        QCOMPARE(panel->nameFilterView()->topLevelItem(0)->text(0), QStringLiteral("Найдено: 3"));
        // The keys move through the results as through the tree, and the window's commands
        // act on the result chosen.
        QTreeWidget* results = panel->nameFilterView();
        results->setFocus();
        for (QTreeWidgetItemIterator it(results); *it; ++it) {
            if (NameFilter::pathOf(*it) == shownDocuments().at(0)) {
                results->setCurrentItem(*it);
                break;
            }
        }
        QCOMPARE(panel->selectedPath(), shownDocuments().at(0));
        QTest::keyClick(results, Qt::Key_Down);
        QCOMPARE(panel->selectedPath(), shownDocuments().at(1));
        QVERIFY(results->hasFocus() && results->isVisible());
        m_form->commands()->action(WindowCommands::CopyPath)->trigger();
        QCOMPARE(QGuiApplication::clipboard()->text(), shownDocuments().at(1));
        field->setText(QStringLiteral("нет такого"));
        QVERIFY(shownDocuments().isEmpty());
        field->clear();
        QVERIFY(panel->view()->isVisible());
    }

    // "*" on a web of folder links opens each real folder once, as "Открыть все папки" does.
    void asteriskOpensEachRealFolderOnce()
    {
        DocumentTreePanel* panel = m_form->treePanel();
        QTreeWidgetItem* root = panel->view()->topLevelItem(0);
        QTreeWidgetItem* web = nullptr;
        for (int i = 0; i < root->childCount(); ++i) {
            if (root->child(i)->text(0) == u"Паутина")
                web = root->child(i);
        }
        QVERIFY(web);
        panel->view()->setCurrentItem(web);
        panel->view()->setFocus();
        QTest::keyClick(panel->view(), Qt::Key_Asterisk);
        web = panel->view()->currentItem();
        QCOMPARE(web->text(0), QStringLiteral("Паутина"));
        QVERIFY(web->isExpanded());
        int nodes = 0;
        int documents = 0;
        for (QTreeWidgetItemIterator it(web);
             *it && (*it == web || (*it)->parent() != web->parent()); ++it) {
            ++nodes;
            documents += (*it)->text(0).startsWith(QStringLiteral("Документ"));
        }
        QVERIFY2(nodes < 300, qPrintable(QString::number(nodes)));
        QCOMPARE(documents, 12); // every document of the web, each once
    }
};

LECTORIA_APP_TEST_MAIN(TestNameFilter)
#include "tst_namefilter.moc"
