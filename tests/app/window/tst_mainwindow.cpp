#include "find/findbox.h"
#include "find/searchcontroller.h"
#include "platform/userworkdir.h"
#include "settings/appsettings.h"
#include "settings/inifile.h"
#include "support/windowcommands.h"
#include "testsupport/apptestmain.h"
#include "testsupport/pagescript.h"
#include "testsupport/startwindow.h"
#include "testsupport/suitefixture.h"
#include "tree/documenttree.h"
#include "tree/documenttreepanel.h"
#include "viewer/documentviewer.h"
#include "viewer/titlepanel.h"
#include "window/favoritesmenu.h"
#include "window/mainwindow.h"
#include "window/recentmenu.h"

#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QMenu>
#include <QPushButton>
#include <QSplitter>
#include <QToolButton>
#include <QTreeWidget>
#include <QWebEngineView>

class TestMainWindow : public QObject
{
    Q_OBJECT

    const IniFile m_ini{};

    static std::unique_ptr<MainWindow> start(const SuiteFixture& suite)
    {
        return startWindow(suite.programFile());
    }

    QString setting(const SuiteFixture& suite, const QString& section, const QString& key) const
    {
        return m_ini.readText(suite.iniFile(), section, key);
    }

private slots:
    void init()
    {
        // Working copies go to a private folder of each test.
        static QTemporaryDir tmp;
        qputenv("TMPDIR", tmp.path().toLocal8Bit());
    }

    void defaultsWithoutSettingsFile()
    {
        SuiteFixture suite;
        auto form = start(suite);
        QVERIFY(form);
        QVERIFY(form->isStarted());
        QVERIFY(form->treePanel()->technicalButton()->isChecked());
        QVERIFY(!form->treePanel()->normativeButton()->isChecked());
        QVERIFY(!form->openButton()->isEnabled());
        QVERIFY(!form->commands()->action(WindowCommands::SortByDate)->isChecked());
        QCOMPARE(form->zoomBox()->currentText(), QStringLiteral("100%"));
        QCOMPARE(form->treePanel()->bookmark(), QString());
        QVERIFY(!form->search()->matchOptions().wholeWords);
        QVERIFY(!form->search()->matchOptions().textMode);
        QVERIFY(!form->search()->matchOptions().caseSensitive);
        QCOMPARE(form->search()->backColor(), AppSettings::DefaultBackColor);
        QCOMPARE(form->search()->fontColor(), AppSettings::DefaultFontColor);
        QVERIFY(!form->search()->isSearchMode());
        QCOMPARE(form->statusText(), QString());
        QCOMPARE(form->treePanel()->view()->topLevelItem(0)->text(0),
                 QStringLiteral("Технические части"));
        QCOMPARE(form->titlePanel()->text(), QStringLiteral(" Технические части"));
        QCOMPARE(form->windowTitle(), QStringLiteral("Просмотр нормативной документации"));
        QCOMPARE(form->suiteDir(), suite.suiteDir());
        QCOMPARE(form->settingsFile(), suite.iniFile());
        QVERIFY(form->treePanel()->view()->hasFocus());
        QVERIFY(!form->findChild<QToolButton*>(QStringLiteral("cancelSearchButton"))->isEnabled());
        // No width stored: the tree starts at about a quarter of the window.
        QCOMPARE(form->splitter()->sizes().first(),
                 qMin(qMax(form->frameGeometry().width() / 4, 240), form->splitter()->width() / 2));

        form->close();
        QCOMPARE(setting(suite, QStringLiteral("TreeView"), QStringLiteral("NormDocButton")),
                 QStringLiteral("0"));
        QCOMPARE(setting(suite, QStringLiteral("TreeView"), QStringLiteral("TekFileName")),
                 QStringLiteral("0"));
        QCOMPARE(setting(suite, QStringLiteral("TreeView"), QStringLiteral("Width")).toInt(),
                 form->treePanel()->view()->width());
        QVERIFY(TestFiles::read(suite.iniFile()).contains("Context=\n"));
    }

    void settingsRoundTrip()
    {
        SuiteFixture suite;
        const QString external = suite.scratch(QStringLiteral("Внешние документы"));
        QVERIFY(TestFiles::write(
            suite.iniFile(), "[TreeView]\nNormDocButton=1\nWidth=300\nTekFileName=/x/Закладка.htm\n"
                             "[SortDate]\nChecked=1\n[CppWebBrowser]\nScale=2\n"
                             "[Search]\nRegister=1\nWholeWords=1\nTextMode=1\nBackColor=65280\n"
                             "FindKod_1=  бетон \nFindKod_3=ксилолит\n"
                             "[File]\nExternalDirectory=" +
                                 external.toUtf8() + "\n"));
        auto form = start(suite);
        QVERIFY(form);
        QVERIFY(form->treePanel()->normativeButton()->isChecked());
        QVERIFY(form->openButton()->isEnabled());
        QVERIFY(form->commands()->action(WindowCommands::SortByDate)->isChecked());
        QCOMPARE(form->zoomBox()->currentIndex(), 2);
        QCOMPARE(form->treePanel()->bookmark(), QStringLiteral("/x/Закладка.htm"));
        QVERIFY(form->search()->matchOptions().caseSensitive);
        QVERIFY(form->search()->matchOptions().wholeWords);
        QVERIFY(form->search()->matchOptions().textMode);
        QCOMPARE(form->search()->backColor(), 65280u);
        QCOMPARE(form->search()->fontColor(),
                 AppSettings::DefaultFontColor); // missing: keeps its default
        QCOMPARE(form->treePanel()->externalDirectory(), external);
        QCOMPARE(form->search()->findBox()->count(), 2);
        QCOMPARE(form->search()->findBox()->itemText(0), QStringLiteral("бетон"));
        QCOMPARE(form->search()->findBox()->currentText(), QString());
        QCOMPARE(form->treePanel()->view()->width(), 300);
        QCOMPARE(form->treePanel()->view()->topLevelItem(0)->text(0),
                 QStringLiteral("Нормативная документация"));

        form->search()->setSearchMode(true, QStringLiteral("сметная стоимость"));
        form->treePanel()->technicalButton()->click();
        form->close();
        QCOMPARE(setting(suite, QStringLiteral("TreeView"), QStringLiteral("NormDocButton")),
                 QStringLiteral("0"));
        QCOMPARE(setting(suite, QStringLiteral("Search"), QStringLiteral("Context")),
                 QStringLiteral("сметная стоимость"));
        QCOMPARE(setting(suite, QStringLiteral("TreeView"), QStringLiteral("Width")),
                 QStringLiteral("300"));
        // Keys the window does not write are kept.
        QCOMPARE(setting(suite, QStringLiteral("Search"), QStringLiteral("FindKod_3")),
                 QStringLiteral("ксилолит"));
    }

    // The way back after closing: the status bar names the last document, Ctrl+F2 goes there
    // and lands where it was read; the next close keeps the place.
    void lastDocumentAndItsPlace()
    {
        SuiteFixture suite;
        const QString document = suite.normDoc(QStringLiteral("Длинный.htm"));
        QVERIFY(TestFiles::write(document, QByteArray("<p>строка</p>\n").repeated(400)));
        QVERIFY(TestFiles::write(suite.iniFile(), "[TreeView]\nNormDocButton=1\nTekFileName=" +
                                                      document.toUtf8() + "\nTekScroll=600\n"));
        auto form = start(suite);
        QVERIFY(form);
        QCOMPARE(form->statusText(), QStringLiteral("Последний документ: «Длинный» — Ctrl+F2"));
        QCOMPARE(form->viewer()->shownDocument(), QString()); // nothing opened by itself
        form->commands()->action(WindowCommands::GoToBookmark)->trigger();
        QTRY_COMPARE(form->viewer()->view()->url(), QUrl::fromLocalFile(document));
        QTRY_VERIFY_WITH_TIMEOUT(
            qAbs(evaluateInPage(form->viewer()->view()->page(), QStringLiteral("window.scrollY"))
                     .toDouble() -
                 600) < 2,
            20000);
        // The place is the page's own, whatever the zoom.
        form->viewer()->setZoomFactor(2.0);
        evaluateInPage(form->viewer()->view()->page(), QStringLiteral("window.scrollTo(0, 300)"));
        QTRY_VERIFY(qAbs(form->viewer()->scrollPosition() - 300) < 2);
        form->close();
        QCOMPARE(setting(suite, QStringLiteral("TreeView"), QStringLiteral("TekScroll")),
                 QStringLiteral("300"));
    }

    void everyPartSeesTheSameSettings()
    {
        SuiteFixture suite;
        QVERIFY(TestFiles::write(suite.iniFile(), "[TreeView]\nNormDocButton=1\n"));
        const QString document = suite.normDoc(QStringLiteral("Общие положения.htm"));
        QVERIFY(TestFiles::write(document, "<p>x</p>"));
        auto form = start(suite);
        QVERIFY(form);
        // Options changed through the search are what the next tree is built with, and are in
        // the file at once.
        MatchOptions options = form->search()->matchOptions();
        options.textMode = true;
        form->search()->setMatchOptions(options);
        QVERIFY(form->settings()->matchOptions().textMode);
        QCOMPARE(setting(suite, QStringLiteral("Search"), QStringLiteral("TextMode")),
                 QStringLiteral("1"));
        form->refresh();
        QVERIFY(form->treePanel()->tree()->options().textMode);

        // A favourite added by the window's command is what the menu lists.
        QVERIFY(form->treePanel()->selectPath(document));
        form->commands()->action(WindowCommands::AddFavorite)->trigger();
        QCOMPARE(form->settings()->favorites().size(), 1);
        QCOMPARE(form->settings()->favorites().items().at(0).path, document);
        form->favorites()->menu()->popup(QPoint());
        QTRY_VERIFY(form->favorites()->menu()->isVisible());
        QCOMPARE(form->favorites()->menu()->actions().at(0)->text(),
                 QStringLiteral("Общие положения"));
        form->favorites()->menu()->hide();

        // The find box's history, kept by the search, is the settings' history.
        form->search()->addToHistory(QStringLiteral("ксилолит"));
        QCOMPARE(form->settings()->searchHistory().value(0), QStringLiteral("ксилолит"));
        QCOMPARE(setting(suite, QStringLiteral("Search"), QStringLiteral("FindKod_1")),
                 QStringLiteral("ксилолит"));
    }

    // "Недавние": the documents shown, newest first, kept in the settings; one that is gone
    // is greyed; a click shows one again.
    void recentDocuments()
    {
        SuiteFixture suite;
        QVERIFY(TestFiles::write(suite.iniFile(), "[TreeView]\nNormDocButton=1\n"));
        const QString first = suite.normDoc(QStringLiteral("Первый.htm"));
        const QString second = suite.normDoc(QStringLiteral("Второй.htm"));
        QVERIFY(TestFiles::write(first, "<p>1</p>"));
        QVERIFY(TestFiles::write(second, "<p>2</p>"));
        auto form = start(suite);
        QVERIFY(form);
        for (const QString& document : {first, second}) {
            QVERIFY(form->treePanel()->selectPath(document));
            form->showSelectedNode();
            QTRY_COMPARE_WITH_TIMEOUT(form->viewer()->shownDocument(), document, 20000);
        }
        QTRY_COMPARE(form->settings()->recentDocuments().size(), 2);
        QCOMPARE(form->settings()->recentDocuments().items().at(0).path, second);
        QCOMPARE(form->settings()->recentDocuments().items().at(0).label, QStringLiteral("Второй"));
        QCOMPARE(setting(suite, QStringLiteral("Recent"), QStringLiteral("Path2")), first);
        QVERIFY(QFile::remove(second));
        QMenu* menu = form->recent()->menu();
        menu->popup(QPoint());
        QTRY_VERIFY(menu->isVisible());
        QCOMPARE(menu->actions().at(0)->text(), QStringLiteral("Второй — нет на месте"));
        QVERIFY(!menu->actions().at(0)->isEnabled());
        QCOMPARE(menu->actions().at(1)->text(), QStringLiteral("Первый"));
        QAction* again = menu->actions().at(1);
        menu->hide();
        again->trigger();
        QTRY_COMPARE_WITH_TIMEOUT(form->viewer()->shownDocument(), first, 20000);
        QTRY_COMPARE(form->settings()->recentDocuments().items().at(0).path, first);
    }

    void storedScaleOutsideListSelectsNothing()
    {
        SuiteFixture suite;
        QVERIFY(TestFiles::write(suite.iniFile(), "[CppWebBrowser]\nScale=9\n"));
        auto form = start(suite);
        QVERIFY(form);
        QCOMPARE(form->zoomBox()->currentIndex(), -1);
    }

    void closingRemovesWorkingDirectories()
    {
        SuiteFixture suite;
        qputenv("TMPDIR", suite.scratch(QStringLiteral("tmp")).toLocal8Bit());
        auto form = start(suite);
        QVERIFY(form);
        const QString base = UserWorkDir::base();
        const QString viewer = UserWorkDir::viewerWorkDir();
        const QString highlight = UserWorkDir::highlightWorkDir();
        QVERIFY(viewer.startsWith(suite.scratch(QStringLiteral("tmp"))));
        QVERIFY(TestFiles::write(viewer + QStringLiteral("Doc.files/image001.png"), "png"));
        QVERIFY(TestFiles::write(highlight + QStringLiteral("/Doc.htm"), "<html>"));
        QVERIFY(TestFiles::setReadOnly(highlight + QStringLiteral("/Doc.htm")));
        form->search()->setSearchMode(true);
        form->close();
        QVERIFY(!QFileInfo::exists(viewer));
        QVERIFY(!QFileInfo::exists(highlight));
        QVERIFY(!QFileInfo::exists(base));
    }

    // At its smallest the window's controls do not cover each other, the collection buttons
    // shorten their captions with "…", and the pane switch leaves the tree readable.
    void layoutHoldsAtTheMinimumSize()
    {
        SuiteFixture suite;
        auto form = start(suite);
        QVERIFY(form);
        form->resize(200, 150);
        form->show();
        QTRY_VERIFY(form->width() >= form->minimumSizeHint().width());
        // A 1280×720 screen at a scale of 1.5 has 853×480 of room, frame and panel taken off.
        QVERIFY2(form->minimumWidth() <= 840 && form->minimumHeight() <= 440,
                 qPrintable(
                     QStringLiteral("%1×%2").arg(form->minimumWidth()).arg(form->minimumHeight())));
        QCoreApplication::processEvents();
        const QList<QWidget*> top = form->findChild<QWidget*>(QStringLiteral("topRow"))
                                        ->findChildren<QWidget*>(Qt::FindDirectChildrenOnly);
        for (QWidget* a : top) {
            for (QWidget* b : top) {
                if (a != b && a->isVisible() && b->isVisible())
                    QVERIFY2(!a->geometry().intersects(b->geometry()),
                             qPrintable(a->objectName() + u' ' + b->objectName()));
            }
        }
        form->splitter()->setSizes({60, 2000});
        QCoreApplication::processEvents();
        for (QToolButton* button :
             {form->treePanel()->normativeButton(), form->treePanel()->technicalButton()}) {
            QVERIFY2(button->text().endsWith(u'…') ||
                         button->text() == button->toolTip(), // whole, or shortened at its end
                     qPrintable(button->text() + u'|' + button->toolTip()));
            QVERIFY(button->toolTip().startsWith(button->text().chopped(1)));
        }
        form->showDocumentBox()->setChecked(false);
        form->applyDocumentPane();
        form->showDocumentBox()->setChecked(true);
        form->applyDocumentPane();
        QVERIFY(form->splitter()->sizes().first() >= qMin(240, form->splitter()->width() / 2));
    }

    void refreshClearsStatusAndSearchMode()
    {
        SuiteFixture suite;
        auto form = start(suite);
        QVERIFY(form);
        form->search()->setSearchMode(true);
        form->search()->updateCommands();
        QVERIFY(form->findChild<QToolButton*>(QStringLiteral("cancelSearchButton"))->isEnabled());
        form->setStatusText(QStringLiteral(" Режим поиска."));
        form->commands()->action(WindowCommands::Refresh)->trigger();
        QVERIFY(!form->search()->isSearchMode());
        QVERIFY(!form->findChild<QToolButton*>(QStringLiteral("cancelSearchButton"))->isEnabled());
        QCOMPARE(form->statusText(), QString());
    }
};

LECTORIA_APP_TEST_MAIN(TestMainWindow)
#include "tst_mainwindow.moc"
