#include "dialogs/aboutdialog.h"
#include "dialogs/guidebrowser.h"
#include "dialogs/helpwindow.h"
#include "dialogs/splashscreen.h"
#include "find/findbox.h"
#include "find/searchcontroller.h"
#include "platform/systeminfo.h"
#include "settings/inifile.h"
#include "support/appversion.h"
#include "support/windowcommands.h"
#include "testsupport/apptestmain.h"
#include "testsupport/startwindow.h"
#include "testsupport/suitefixture.h"
#include "tree/documenttree.h"
#include "tree/documenttreepanel.h"
#include "viewer/documentviewer.h"
#include "viewer/pagefindbar.h"
#include "window/application.h"
#include "window/mainwindow.h"

#include <QAction>
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QImage>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>
#include <QScreen>
#include <QTextBrowser>
#include <QTextDocument>
#include <QToolButton>
#include <QTreeWidget>
#include <QWebEngineView>

#include <sys/stat.h>

class TestCommands : public QObject
{
    Q_OBJECT

    std::unique_ptr<SuiteFixture> m_suite;
    std::unique_ptr<MainWindow> m_form;

    void start()
    {
        m_form = startWindow(m_suite->programFile());
        QVERIFY(m_form);
    }
    QTreeWidgetItem* root() const { return m_form->treePanel()->view()->topLevelItem(0); }
    static QTreeWidgetItem* child(QTreeWidgetItem* node, const QString& caption)
    {
        for (int i = 0; node && i < node->childCount(); ++i) {
            if (node->child(i)->text(0) == caption)
                return node->child(i);
        }
        return nullptr;
    }
    QString doc(const QString& relative) const { return m_suite->normDoc(relative); }

private slots:
    void init()
    {
        TestAnswers::reset();
        m_suite = std::make_unique<SuiteFixture>();
        qputenv("TMPDIR", m_suite->scratch(QStringLiteral("tmp")).toLocal8Bit());
        for (const char* path : {"Яма.htm", "Акт.htm", "Раздел/Глава/Документ.htm",
                                 "Раздел/Второй.htm", "Бетон/Плита.htm"})
            QVERIFY(TestFiles::write(doc(QString::fromUtf8(path)), "<p>x</p>"));
        QVERIFY(TestFiles::write(m_suite->iniFile(), "[TreeView]\nNormDocButton=1\n"));
        start();
    }
    void cleanup()
    {
        m_form.reset();
        m_suite.reset();
    }

    void menuRules()
    {
        m_form->treePanel()->view()->setCurrentItem(root());
        m_form->treePanel()->updateCommands();
        QVERIFY(!m_form->commands()->action(WindowCommands::Delete)->isEnabled());
        QVERIFY(!m_form->commands()->action(WindowCommands::CopyTo)->isEnabled());
        QVERIFY(!m_form->commands()->action(WindowCommands::OpenInWord)->isEnabled());
        QVERIFY(!m_form->commands()->action(WindowCommands::GoToBookmark)->isEnabled());
        m_form->treePanel()->view()->setCurrentItem(child(root(), QStringLiteral("Акт")));
        m_form->commands()->action(WindowCommands::SetBookmark)->trigger();
        QCOMPARE(m_form->treePanel()->bookmark(), doc(QStringLiteral("Акт.htm")));
        m_form->treePanel()->updateCommands();
        QVERIFY(m_form->commands()->action(WindowCommands::Delete)->isEnabled() &&
                m_form->commands()->action(WindowCommands::CopyTo)->isEnabled());
        QVERIFY(m_form->commands()->action(WindowCommands::OpenInWord)->isEnabled());
        QVERIFY(m_form->commands()->action(WindowCommands::GoToBookmark)->isEnabled());
        m_form->treePanel()->view()->setCurrentItem(child(root(), QStringLiteral("Раздел")));
        m_form->treePanel()->updateCommands();
        QVERIFY(!m_form->commands()->action(WindowCommands::OpenInWord)->isEnabled());

        // Captions and shortcuts as the menu shows them.
        QCOMPARE(m_form->commands()->action(WindowCommands::Delete)->text(),
                 QStringLiteral("У&далить..."));
        QCOMPARE(m_form->commands()->action(WindowCommands::Delete)->shortcut(),
                 QKeySequence(Qt::CTRL | Qt::Key_Delete));
        QCOMPARE(m_form->commands()->action(WindowCommands::GoToBookmark)->shortcut(),
                 QKeySequence(Qt::CTRL | Qt::Key_F2));
        QCOMPARE(m_form->commands()->treeMenu()->actions().size(), 24 + 9); // items and separators
        QCOMPARE(m_form->commands()->action(WindowCommands::OpenInNewTab)->text(),
                 QStringLiteral("Открыть в новой вкладке"));
        QVERIFY(m_form->commands()->action(WindowCommands::SideBySide)->isCheckable());
        QCOMPARE(m_form->commands()->action(WindowCommands::CompareEditions)->text(),
                 QStringLiteral("Сравнить редакции"));
        QCOMPARE(m_form->commands()->action(WindowCommands::CloseTab)->shortcut(),
                 QKeySequence(Qt::CTRL | Qt::Key_F4));
        QCOMPARE(m_form->commands()->action(WindowCommands::NextTab)->shortcut(),
                 QKeySequence(Qt::CTRL | Qt::Key_Tab));
        QCOMPARE(m_form->commands()->action(WindowCommands::ShowOutline)->shortcut(),
                 QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_O));
        QCOMPARE(m_form->commands()->action(WindowCommands::GoToPart)->text(),
                 QStringLiteral("Перейти к пункту..."));
        QCOMPARE(m_form->commands()->action(WindowCommands::ShowLinks)->shortcut(),
                 QKeySequence(Qt::CTRL | Qt::Key_K));
        QCOMPARE(m_form->commands()->action(WindowCommands::CopyPath)->text(),
                 QStringLiteral("Копировать путь"));
        QCOMPARE(m_form->commands()->action(WindowCommands::OpenFolder)->text(),
                 QStringLiteral("Открыть папку документа"));
        QCOMPARE(m_form->commands()->action(WindowCommands::AddFavorite)->shortcut(),
                 QKeySequence(Qt::CTRL | Qt::Key_D));
    }

    void keysOfTheTree()
    {
        m_form->treePanel()->view()->setFocus();
        QTreeWidgetItem* section = child(root(), QStringLiteral("Раздел"));
        m_form->treePanel()->view()->setCurrentItem(section);
        QTest::keyClick(m_form->treePanel()->view(), Qt::Key_Return);
        QVERIFY(section->isExpanded());
        QVERIFY(!child(section, QStringLiteral("Глава"))->isExpanded()); // one level

        // The find box keeps its own editing keys.
        m_form->search()->findBox()->lineEdit()->setFocus();
        QTest::keyClick(m_form->search()->findBox()->lineEdit(), Qt::Key_C, Qt::ControlModifier);
        QVERIFY(section->isExpanded());
        // In the tree Ctrl+C closes all folders.
        m_form->treePanel()->view()->setFocus();
        QTest::keyClick(m_form->treePanel()->view(), Qt::Key_C, Qt::ControlModifier);
        QVERIFY(!section->isExpanded());

        // Ctrl+Del on the root deletes nothing, whatever the menu showed last.
        m_form->treePanel()->view()->setCurrentItem(child(root(), QStringLiteral("Акт")));
        m_form->treePanel()->view()->setCurrentItem(root());
        TestAnswers::instance().button = QMessageBox::Yes;
        m_form->treePanel()->deleteSelected(QStringLiteral("Просмотр нормативной документации"));
        QCOMPARE(m_form->treePanel()->view()->topLevelItemCount(), 1);
        QVERIFY(TestAnswers::instance().messages.isEmpty());
    }

    // The shown document has the focus: the tree's keys and the zoom keys act from there,
    // Ctrl+C stays the page's copy.
    void keysFromTheViewer()
    {
        QTreeWidgetItem* section = child(root(), QStringLiteral("Раздел"));
        section->setExpanded(true);
        m_form->treePanel()->view()->setCurrentItem(child(root(), QStringLiteral("Акт")));
        QTRY_COMPARE(m_form->viewer()->view()->url(),
                     QUrl::fromLocalFile(doc(QStringLiteral("Акт.htm"))));
        QWidget* page = m_form->viewer()->view()->focusProxy();
        QVERIFY(page);
        page->setFocus();
        QTRY_VERIFY(page->hasFocus());

        QTest::keyClick(page, Qt::Key_F2);
        QCOMPARE(m_form->treePanel()->bookmark(), doc(QStringLiteral("Акт.htm")));
        QTest::keyClick(page, Qt::Key_C, Qt::ControlModifier);
        QVERIFY(section->isExpanded());

        QComboBox* zoom = m_form->zoomBox();
        QCOMPARE(zoom->currentIndex(), 0);
        QTest::keyClick(page, Qt::Key_Plus, Qt::ControlModifier);
        QTest::keyClick(page, Qt::Key_Equal, Qt::ControlModifier);
        QCOMPARE(zoom->currentIndex(), 2);
        QTest::keyClick(page, Qt::Key_Minus, Qt::ControlModifier);
        QCOMPARE(zoom->currentIndex(), 1);
        QTest::keyClick(page, Qt::Key_0, Qt::ControlModifier);
        QCOMPARE(zoom->currentIndex(), 0);
    }

    void deleteAsksFirst()
    {
        m_form->treePanel()->view()->setCurrentItem(child(root(), QStringLiteral("Яма")));
        TestAnswers::instance().button = QMessageBox::No;
        m_form->treePanel()->deleteSelected(QStringLiteral("Просмотр нормативной документации"));
        QVERIFY(QFileInfo::exists(doc(QStringLiteral("Яма.htm"))));
        TestAnswers::instance().button = QMessageBox::Cancel;
        m_form->treePanel()->deleteSelected(QStringLiteral("Просмотр нормативной документации"));
        QVERIFY(QFileInfo::exists(doc(QStringLiteral("Яма.htm"))));
        TestAnswers::instance().button = QMessageBox::Yes;
        m_form->treePanel()->deleteSelected(QStringLiteral("Просмотр нормативной документации"));
        QVERIFY(!QFileInfo::exists(doc(QStringLiteral("Яма.htm"))));
        // The question names what goes, in the singular for one document; what went is said.
        QCOMPARE(TestAnswers::instance().messages.first(),
                 QStringLiteral("Просмотр нормативной документации|Документ «Яма»\n\nУдалить "
                                "документ без возможности восстановления?"));
        QCOMPARE(m_form->statusText(), QStringLiteral("Удалено: 1 документ"));

        // A folder: its documents counted, in the plural.
        m_form->treePanel()->view()->setCurrentItem(child(root(), QStringLiteral("Раздел")));
        m_form->treePanel()->deleteSelected(QStringLiteral("Просмотр нормативной документации"));
        QCOMPARE(TestAnswers::instance().messages.last(),
                 QStringLiteral("Просмотр нормативной документации|Папка «Раздел», документов в "
                                "ней: 2\n\nУдалить документы без возможности восстановления?"));
        QCOMPARE(m_form->statusText(), QStringLiteral("Удалено: 2 документа"));
    }

    void copyRunsInTheBackground()
    {
        const QString out = m_suite->scratch(QStringLiteral("out"));
        m_form->treePanel()->view()->setCurrentItem(child(root(), QStringLiteral("Раздел")));
        TestAnswers::instance().folders = {out};
        m_form->commands()->action(WindowCommands::CopyTo)->trigger();
        QVERIFY(m_form->treePanel()->isCopying());
        QTRY_VERIFY(!m_form->treePanel()->isCopying());
        QVERIFY(QFileInfo::exists(out + QStringLiteral("/Раздел/Глава/Документ.htm")));
        // Closing the window during a copy stops it and closes.
        TestAnswers::instance().folders = {out + QStringLiteral("/again")};
        m_form->commands()->action(WindowCommands::CopyTo)->trigger();
        QVERIFY(m_form->close());
        QVERIFY(!m_form->treePanel()->isCopying());
    }

    void bookmarks()
    {
        m_form->treePanel()->setBookmark(doc(QStringLiteral("Раздел/Глава/Документ.htm")));
        m_form->commands()->action(WindowCommands::GoToBookmark)->setEnabled(true);
        m_form->commands()->action(WindowCommands::GoToBookmark)->trigger();
        QCOMPARE(DocumentTree::nodeData(m_form->treePanel()->view()->currentItem()).path,
                 doc(QStringLiteral("Раздел/Глава/Документ.htm")));
        QTRY_COMPARE(m_form->viewer()->view()->url(),
                     QUrl::fromLocalFile(doc(QStringLiteral("Раздел/Глава/Документ.htm"))));
        QVERIFY(TestAnswers::instance().messages.isEmpty());

        QVERIFY(QFile::remove(doc(QStringLiteral("Раздел/Глава/Документ.htm"))));
        m_form->goToBookmark();
        QCOMPARE(
            TestAnswers::instance().messages,
            QStringList{QStringLiteral("Просмотр нормативной документации|Закладка не найдена!")});
        QCOMPARE(m_form->treePanel()->view()->currentItem(), root());
        QTRY_COMPARE(m_form->viewer()->view()->url(), QUrl(QStringLiteral("about:blank")));
    }

    void sortByDateAndBookmarkSurviveRestart()
    {
        m_form->commands()->action(WindowCommands::SortByDate)->trigger();
        QVERIFY(m_form->commands()->action(WindowCommands::SortByDate)->isChecked());
        const IniFile ini{};
        QVERIFY(ini.readBool(m_suite->iniFile(), QStringLiteral("SortDate"),
                             QStringLiteral("Checked")));
        // Directory order: folders first, then documents.
        QCOMPARE(root()->childCount(), 4);
        QCOMPARE(DocumentTree::nodeData(root()->child(0)).kind, NodeKind::Folder);
        QCOMPARE(DocumentTree::nodeData(root()->child(1)).kind, NodeKind::Folder);
        QCOMPARE(DocumentTree::nodeData(root()->child(2)).kind, NodeKind::Document);
        QCOMPARE(DocumentTree::nodeData(root()->child(3)).kind, NodeKind::Document);
        m_form->treePanel()->view()->setCurrentItem(child(root(), QStringLiteral("Акт")));
        m_form->commands()->action(WindowCommands::SetBookmark)->trigger(); // not stored as such
        m_form->treePanel()->view()->setCurrentItem(child(root(), QStringLiteral("Яма")));
        m_form->close();
        m_form.reset();
        start();
        QVERIFY(m_form->commands()->action(WindowCommands::SortByDate)->isChecked());
        QCOMPARE(m_form->treePanel()->bookmark(), doc(QStringLiteral("Яма.htm")));
        m_form->treePanel()->updateCommands();
        QVERIFY(m_form->commands()->action(WindowCommands::GoToBookmark)->isEnabled());
        QVERIFY(m_form->viewer()->view()->url().isEmpty() ||
                m_form->viewer()->view()->url() == QUrl(QStringLiteral("about:blank")));
    }

    // Esc acts where the user is: the find-on-page bar closes, the find box and the name
    // filter keep the window; only the tree (and the viewer, the window) close it.
    void escapeActsWhereTheUserIs()
    {
        PageFindBar* bar = m_form->viewer()->pageFindBar();
        m_form->viewer()->openPageFind();
        QVERIFY(bar->isVisible());
        QTest::keyClick(bar->field(), Qt::Key_Escape);
        QVERIFY(!bar->isVisible());
        QVERIFY(m_form->isVisible());
        m_form->search()->findBox()->setFocus();
        QTest::keyClick(m_form->search()->findBox()->lineEdit(), Qt::Key_Escape);
        QVERIFY(m_form->isVisible());
        m_form->treePanel()->nameFilterField()->setFocus();
        QTest::keyClick(m_form->treePanel()->nameFilterField(), Qt::Key_Escape);
        QVERIFY(m_form->isVisible());
        QCOMPARE(QApplication::focusWidget(), m_form->treePanel()->view());
    }

    void aboutAndHelp()
    {
        QCOMPARE(AboutDialog::versionLine(QStringLiteral("1.20.240226")),
                 QStringLiteral("Версия 1.20.240226  от 26.02.2024"));
        QVERIFY(AppVersion::text().startsWith(QStringLiteral("1.20.")));
        AboutDialog about(AppVersion::text(), QStringLiteral("/x"), m_form->settingsFile());
        about.show();
        QVERIFY(QTest::qWaitForWindowActive(&about));
        QCOMPARE(about.versionLabel()->text(), AboutDialog::versionLine(AppVersion::text()));
        QCOMPARE(about.userLabel()->text(),
                 QStringLiteral("Компьютер: ") + SystemInfo::computerName());
        QCOMPARE(about.settingsLabel()->text(),
                 QStringLiteral("Файл настроек: ") + m_suite->iniFile());
        QCOMPARE(about.windowTitle(), QStringLiteral("О программе"));
        QTest::keyClick(&about, Qt::Key_Escape);
        QVERIFY(!about.isVisible());

        m_form->treePanel()->view()->setFocus();
        QTest::keyClick(m_form->treePanel()->view(), Qt::Key_F1);
        QCOMPARE(TestAnswers::instance().messages,
                 QStringList{
                     QStringLiteral("Просмотр нормативной документации|Файл справки не найден:\n") +
                     m_form->helpFile()});
        QCOMPARE(m_form->helpFile(), m_suite->settingsFolder() + QStringLiteral("/lectoria.htm"));

        // The guide in the program's own window: one, brought back where it was.
        // The guide loads its own pictures, not whatever a page names: a pipe in its folder
        // (which would wait for a writer for ever) nor a device that never ends.
        const QString guideFolder = QFileInfo(m_form->helpFile()).absolutePath();
        QVERIFY(QDir().mkpath(guideFolder + QStringLiteral("/lectoria.files")));
        QImage picture(4, 4, QImage::Format_RGB32);
        picture.fill(Qt::red);
        QVERIFY(picture.save(guideFolder + QStringLiteral("/lectoria.files/p.png")));
        const QByteArray pipe = QFile::encodeName(guideFolder + QStringLiteral("/pipe.png"));
        QFile::remove(QFile::decodeName(pipe));
        QCOMPARE(mkfifo(pipe.constData(), 0600), 0);
        QVERIFY(TestFiles::write(m_form->helpFile(),
                                 "<html><body><h1>Справка</h1><p>Версия 1.20</p>"
                                 "<img src=\"lectoria.files/p.png\"><img src=\"pipe.png\">"
                                 "<img src=\"/dev/zero\"><img src=\"../../etc/passwd\">"
                                 "</body></html>"));
        m_form->findChild<QToolButton*>(QStringLiteral("helpButton"))->click();
        auto* help = m_form->findChild<HelpWindow*>();
        QVERIFY(help && help->isVisible());
        QVERIFY(help->browser()->toPlainText().contains(QStringLiteral("Версия 1.20")));
        GuideBrowser* browser = help->browser();
        QCOMPARE(browser
                     ->loadResource(QTextDocument::ImageResource,
                                    QUrl(QStringLiteral("lectoria.files/p.png")))
                     .userType(),
                 QMetaType::QByteArray);
        for (const char* refused :
             {"pipe.png", "/dev/zero", "../../etc/passwd", "file:///dev/zero"}) {
            const QVariant loaded =
                browser->loadResource(QTextDocument::ImageResource, QUrl(QLatin1String(refused)));
            QVERIFY2(qvariant_cast<QImage>(loaded).size() == QSize(1, 1), refused);
        }
        QFile::remove(QFile::decodeName(pipe));
        help->setGeometry(60, 70, 500, 400);
        help->showMinimized();
        QTest::keyClick(m_form->treePanel()->view(), Qt::Key_F1);
        QCOMPARE(m_form->findChildren<HelpWindow*>().size(), 1);
        QTRY_VERIFY(help->isVisible() && !help->isMinimized());
        QCOMPARE(help->geometry(), QRect(60, 70, 500, 400));
        // A window no screen shows comes back onto the screen.
        const QRect area = help->screen()->availableGeometry();
        help->move(area.right() + 500, area.top());
        m_form->showHelp();
        QTRY_VERIFY(area.contains(help->frameGeometry()));
        QCOMPARE(help->size(), QSize(500, 400));
        QCOMPARE(TestAnswers::instance().messages.size(), 1);
    }

    void qtTextsInRussianAndMessagesAboveTheSplash()
    {
        QVERIFY(Application::installRussianTexts());
        QMessageBox box(QMessageBox::Question, QString(), QString(),
                        QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel);
        QCOMPARE(box.button(QMessageBox::Yes)->text().remove(u'&'), QStringLiteral("Да"));
        QCOMPARE(box.button(QMessageBox::No)->text().remove(u'&'), QStringLiteral("Нет"));
        QCOMPARE(box.button(QMessageBox::Cancel)->text().remove(u'&'), QStringLiteral("Отмена"));

        // The splash stays on top of every window, so it goes before a message.
        SplashScreen splash;
        splash.showNow();
        AppMessageBox::show(m_form.get(), m_form->windowTitle(), QStringLiteral("Сообщение"));
        QVERIFY(!splash.isVisible());
    }
};

LECTORIA_APP_TEST_MAIN(TestCommands)
#include "tst_commands.moc"
