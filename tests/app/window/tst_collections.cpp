#include "dbase/dbfwriter.h"
#include "dialogs/libraryfolderdialog.h"
#include "find/scopechooser.h"
#include "find/searchcontroller.h"
#include "settings/inifile.h"
#include "support/windowcommands.h"
#include "testsupport/apptestmain.h"
#include "testsupport/startwindow.h"
#include "testsupport/suitefixture.h"
#include "tree/documenttree.h"
#include "tree/documenttreepanel.h"
#include "viewer/documentviewer.h"
#include "window/mainwindow.h"
#include "window/nodenavigation.h"

#include <QAction>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>
#include <QStringEncoder>
#include <QToolButton>
#include <QTreeWidget>

class TestCollections : public QObject
{
    Q_OBJECT

    static std::unique_ptr<MainWindow> start(const SuiteFixture& suite)
    {
        return startWindow(suite.programFile());
    }
    static QStringList rootCaptions(const MainWindow& form)
    {
        QStringList list;
        const QTreeWidgetItem* root = form.treePanel()->view()->topLevelItem(0);
        for (int i = 0; root && i < root->childCount(); ++i)
            list.append(root->child(i)->text(0));
        return list;
    }

private slots:
    void init()
    {
        TestAnswers::reset();
        static QTemporaryDir tmp;
        qputenv("TMPDIR", tmp.path().toLocal8Bit());
    }

    void dialogControlStates()
    {
        LibraryFolderDialog dialog;
        dialog.show();
        QVERIFY(QTest::qWaitForWindowActive(&dialog));
        QVERIFY(dialog.suiteChoice()->isChecked());
        QVERIFY(!dialog.chooseFolderButton()->isEnabled());
        QVERIFY(dialog.okButton()->isEnabled());

        dialog.externalChoice()->click();
        QVERIFY(dialog.chooseFolderButton()->isEnabled());
        QVERIFY(!dialog.okButton()->isEnabled());

        dialog.chooseFolderButton()->click(); // cancelled: nothing changes
        QCOMPARE(dialog.chosenDirectory(), QString());
        QVERIFY(!dialog.okButton()->isEnabled());

        // A backslash is part of a folder's name here; only "/" is a separator.
        TestAnswers::instance().folders = {QStringLiteral("/srv/x\\"),
                                           QStringLiteral("/srv/Нормы/")};
        dialog.chooseFolderButton()->click();
        QCOMPARE(dialog.chosenDirectory(), QStringLiteral("/srv/x\\"));
        dialog.chooseFolderButton()->click();
        QCOMPARE(dialog.chosenDirectory(), QStringLiteral("/srv/Нормы"));
        QCOMPARE(dialog.folderLabel()->text(), QStringLiteral(" /srv/Нормы"));
        QVERIFY(dialog.okButton()->isEnabled());

        dialog.suiteChoice()->click();
        QVERIFY(dialog.okButton()->isEnabled());
        QVERIFY(!dialog.chooseFolderButton()->isEnabled());
        dialog.okButton()->click();
        QCOMPARE(dialog.result(), int(QDialog::Accepted));
        QCOMPARE(dialog.chosenDirectory(), QString());

        LibraryFolderDialog escaped;
        escaped.show();
        QVERIFY(QTest::qWaitForWindowActive(&escaped));
        QTest::keyClick(&escaped, Qt::Key_Escape);
        QCOMPARE(escaped.result(), int(QDialog::Rejected));
    }

    void choosingTheDocumentationDirectory()
    {
        SuiteFixture suite;
        QVERIFY(TestFiles::write(suite.normDoc(QStringLiteral("Свой.htm")), "x"));
        const QString external = suite.scratch(QStringLiteral("Внешние"));
        QVERIFY(TestFiles::write(external + QStringLiteral("/Чужой.htm"), "x"));
        QVERIFY(TestFiles::write(suite.iniFile(),
                                 "[TreeView]\nNormDocButton=1\n[File]\nExternalDirectory=   \n"));
        auto form = start(suite);
        QVERIFY(form);
        QVERIFY(form->openButton()->isEnabled() &&
                form->commands()->action(WindowCommands::Open)->isEnabled());
        QCOMPARE(rootCaptions(*form), QStringList{QStringLiteral("Свой")});

        // Blanks only: the suite's documents are checked; OK stores the empty text.
        bool suiteChecked = false;
        TestAnswers::runDialogsWith([&](QDialog& dialog) {
            auto& select = static_cast<LibraryFolderDialog&>(dialog);
            suiteChecked = select.suiteChoice()->isChecked();
            select.acceptChoice();
            return dialog.result();
        });
        form->openButton()->click();
        QVERIFY(suiteChecked);
        QCOMPARE(form->treePanel()->externalDirectory(), QString());
        const IniFile ini{};
        QCOMPARE(ini.readText(suite.iniFile(), QStringLiteral("File"),
                              QStringLiteral("ExternalDirectory")),
                 QString());

        // A document of the suite chosen as the scope of the next search.
        ScopeChooser* scope = form->search()->scopeChooser();
        QVERIFY(form->treePanel()->selectPath(suite.normDoc(QStringLiteral("Свой.htm"))));
        QCOMPARE(scope->currentText(), QStringLiteral("В документе «Свой»"));

        // An external directory: stored at once, the tree rebuilt from it, the next search
        // looking everywhere in it.
        TestAnswers::instance().folders = {external + u'/'};
        TestAnswers::runDialogsWith([&](QDialog& dialog) {
            auto& select = static_cast<LibraryFolderDialog&>(dialog);
            select.externalChoice()->click();
            select.chooseFolder();
            select.acceptChoice();
            return dialog.result();
        });
        form->commands()->action(WindowCommands::Open)->trigger();
        QCOMPARE(form->treePanel()->externalDirectory(), external);
        QCOMPARE(ini.readText(suite.iniFile(), QStringLiteral("File"),
                              QStringLiteral("ExternalDirectory")),
                 external);
        QCOMPARE(rootCaptions(*form), QStringList{QStringLiteral("Чужой")});
        QCOMPARE(scope->currentText(), QStringLiteral("Везде"));
        QVERIFY(scope->isEverywhere());

        // Cancelled: nothing changes.
        const QByteArray settings = TestFiles::read(suite.iniFile());
        TestAnswers::runDialogsWith([](QDialog& dialog) {
            dialog.reject();
            return dialog.result();
        });
        form->openButton()->click();
        QCOMPARE(form->treePanel()->externalDirectory(), external);
        QCOMPARE(TestFiles::read(suite.iniFile()), settings);
        QCOMPARE(rootCaptions(*form), QStringList{QStringLiteral("Чужой")});
        QVERIFY(TestAnswers::instance().messages.isEmpty());
    }

    void technicalPartsOfTheInstalledBases()
    {
        SuiteFixture suite;
        const QString base1 = suite.scratch(QStringLiteral("Base1"));
        const QString base2 = suite.scratch(QStringLiteral("Base2"));
        QVERIFY(TestFiles::write(base1 + QStringLiteral("/TT/Общая часть.htm"), "x"));
        QVERIFY(QDir().mkpath(suite.suiteDir() + QStringLiteral("TQ_W")));
        QStringEncoder oem("IBM866");
        QVERIFY(DbfWriter::write(
            suite.suiteDir() + QStringLiteral("TQ_W/instal.dbf"),
            {{"VID", 1}, {"DIR", 200}, {"NAIM", 60}},
            {{{"b", (base2 + u'/').toUtf8(), oem.encode(QStringLiteral("ФЕР-2020"))}, false},
             {{"b", (base1 + u'/').toUtf8(), oem.encode(QStringLiteral("ГЭСН-2020"))}, false}}));
        auto form = start(suite);
        QVERIFY(form);
        QVERIFY(form->treePanel()->technicalButton()->isChecked());
        QVERIFY(!form->openButton()->isEnabled() &&
                !form->commands()->action(WindowCommands::Open)->isEnabled());
        QCOMPARE(rootCaptions(*form),
                 (QStringList{QStringLiteral("ГЭСН-2020"), QStringLiteral("ФЕР-2020")}));
        QTreeWidgetItem* gesn = form->treePanel()->view()->topLevelItem(0)->child(0);
        QCOMPARE(DocumentTree::nodeData(gesn).path, base1 + QStringLiteral("/TT"));
        QVERIFY(TestAnswers::instance().messages.isEmpty());

        // The normative button shows the suite's folder; the open command follows.
        const QString part = base1 + QStringLiteral("/TT/Общая часть.htm");
        QVERIFY(form->treePanel()->selectPath(part));
        form->treePanel()->normativeButton()->click();
        QVERIFY(form->openButton()->isEnabled());
        QCOMPARE(form->treePanel()->view()->topLevelItem(0)->text(0),
                 QStringLiteral("Нормативная документация"));

        // The history is kept: back leads to the document of the other collection, shown
        // with its collection.
        const QString norm = suite.normDoc(QStringLiteral("Норма.htm"));
        QVERIFY(TestFiles::write(norm, "<p>норма</p>"));
        form->refresh();
        QVERIFY(form->treePanel()->selectPath(norm));
        QVERIFY(form->navigation()->canGoBack());
        form->navigation()->goBack();
        QVERIFY(form->treePanel()->technicalButton()->isChecked());
        QCOMPARE(form->treePanel()->selectedPath(), part);
        QTRY_COMPARE(form->viewer()->shownDocument(), part);
    }

    void missingInstallationTable()
    {
        SuiteFixture suite;
        auto form = start(suite);
        QVERIFY(form);
        QCOMPARE(rootCaptions(*form), QStringList());
        // Told once: the table is listed once for the tree, and the start, the search and the
        // index keeper take that listing.
        QCOMPARE(TestAnswers::instance().messages,
                 QStringList{QStringLiteral("Lectoria|Файл:") + suite.suiteDir() +
                             QStringLiteral("TQ_W/instal.dbf\nне найден!")});
        form->search()->updateIndex();
        QCOMPARE(TestAnswers::instance().messages.size(), 1);
        // A refresh lists the collection again, and tells again.
        form->refresh();
        QCOMPARE(TestAnswers::instance().messages.size(), 2);
    }
};

LECTORIA_APP_TEST_MAIN(TestCollections)
#include "tst_collections.moc"
