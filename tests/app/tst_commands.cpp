#include "apptestmain.h"
#include "startwindow.h"
#include "suitefixture.h"
#include "taboutdialog1.h"
#include "tapplication.h"
#include "tform1.h"
#include "thelpform1.h"
#include "tsplashform.h"
#include "winifile.h"
#include "wmaketreeviewfordir.h"
#include "wmessage.h"

#include <QAction>
#include <QComboBox>
#include <QFileInfo>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>
#include <QScreen>
#include <QTextBrowser>
#include <QToolButton>
#include <QTreeWidget>
#include <QWebEngineView>

class TestCommands : public QObject
{
    Q_OBJECT

    std::unique_ptr<SuiteFixture> m_suite;
    std::unique_ptr<TForm1> m_form;

    void start()
    {
        m_form = startWindow(m_suite->programFile());
        QVERIFY(m_form);
    }
    QTreeWidgetItem* root() const { return m_form->TreeView1->topLevelItem(0); }
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
        m_form->TreeView1->setCurrentItem(root());
        m_form->PopupMenu1Popup();
        QVERIFY(!m_form->DeleteItem1->isEnabled());
        QVERIFY(!m_form->CopyInItem1->isEnabled());
        QVERIFY(!m_form->OpenInEditorItem1->isEnabled());
        QVERIFY(!m_form->GotoZakladka1->isEnabled());
        m_form->TreeView1->setCurrentItem(child(root(), QStringLiteral("Акт")));
        m_form->SetZakladka1->trigger();
        QCOMPARE(m_form->BookmarkFileName, doc(QStringLiteral("Акт.htm")));
        m_form->PopupMenu1Popup();
        QVERIFY(m_form->DeleteItem1->isEnabled() && m_form->CopyInItem1->isEnabled());
        QVERIFY(m_form->OpenInEditorItem1->isEnabled());
        QVERIFY(m_form->GotoZakladka1->isEnabled());
        m_form->TreeView1->setCurrentItem(child(root(), QStringLiteral("Раздел")));
        m_form->PopupMenu1Popup();
        QVERIFY(!m_form->OpenInEditorItem1->isEnabled());

        // Captions and shortcuts as the menu shows them.
        QCOMPARE(m_form->DeleteItem1->text(), QStringLiteral("У&далить..."));
        QCOMPARE(m_form->DeleteItem1->shortcut(), QKeySequence(Qt::CTRL | Qt::Key_Delete));
        QCOMPARE(m_form->GotoZakladka1->shortcut(), QKeySequence(Qt::CTRL | Qt::Key_F2));
        QCOMPARE(m_form->PopupMenu1->actions().size(), 13 + 7); // items and separators
    }

    void keysOfTheTree()
    {
        m_form->TreeView1->setFocus();
        QTreeWidgetItem* section = child(root(), QStringLiteral("Раздел"));
        m_form->TreeView1->setCurrentItem(section);
        QTest::keyClick(m_form->TreeView1, Qt::Key_Return);
        QVERIFY(section->isExpanded());
        QVERIFY(!child(section, QStringLiteral("Глава"))->isExpanded()); // one level

        // The find box keeps its own editing keys.
        m_form->FindComboBox1->lineEdit()->setFocus();
        QTest::keyClick(m_form->FindComboBox1->lineEdit(), Qt::Key_C, Qt::ControlModifier);
        QVERIFY(section->isExpanded());
        // In the tree Ctrl+C closes all folders.
        m_form->TreeView1->setFocus();
        QTest::keyClick(m_form->TreeView1, Qt::Key_C, Qt::ControlModifier);
        QVERIFY(!section->isExpanded());

        // Ctrl+Del on the root deletes nothing, whatever the menu showed last.
        m_form->TreeView1->setCurrentItem(child(root(), QStringLiteral("Акт")));
        m_form->TreeView1->setCurrentItem(root());
        TestAnswers::instance().button = QMessageBox::Yes;
        m_form->DeleteItem1Click();
        QCOMPARE(m_form->TreeView1->topLevelItemCount(), 1);
        QVERIFY(TestAnswers::instance().messages.isEmpty());
    }

    void deleteAsksFirst()
    {
        m_form->TreeView1->setCurrentItem(child(root(), QStringLiteral("Яма")));
        TestAnswers::instance().button = QMessageBox::No;
        m_form->DeleteItem1Click();
        QVERIFY(QFileInfo::exists(doc(QStringLiteral("Яма.htm"))));
        TestAnswers::instance().button = QMessageBox::Cancel;
        m_form->DeleteItem1Click();
        QVERIFY(QFileInfo::exists(doc(QStringLiteral("Яма.htm"))));
        TestAnswers::instance().button = QMessageBox::Yes;
        m_form->DeleteItem1Click();
        QVERIFY(!QFileInfo::exists(doc(QStringLiteral("Яма.htm"))));
        QCOMPARE(TestAnswers::instance().messages.first(),
                 QStringLiteral("Просмотр нормативной документации|Удалить документы без "
                                "возможности восстановления?"));
    }

    void copyRunsInTheBackground()
    {
        const QString out = m_suite->scratch(QStringLiteral("out"));
        m_form->TreeView1->setCurrentItem(child(root(), QStringLiteral("Раздел")));
        TestAnswers::instance().folders = {out};
        m_form->CopyInItem1->trigger();
        QVERIFY(m_form->isCopying());
        QTRY_VERIFY(!m_form->isCopying());
        QVERIFY(QFileInfo::exists(out + QStringLiteral("/Раздел/Глава/Документ.htm")));
        // Closing the window during a copy stops it and closes.
        TestAnswers::instance().folders = {out + QStringLiteral("/again")};
        m_form->CopyInItem1->trigger();
        QVERIFY(m_form->close());
        QVERIFY(!m_form->isCopying());
    }

    void bookmarks()
    {
        m_form->BookmarkFileName = doc(QStringLiteral("Раздел/Глава/Документ.htm"));
        m_form->GotoZakladka1->setEnabled(true);
        m_form->GotoZakladka1->trigger();
        QCOMPARE(WMakeTreeviewForDir::NodeRecord(m_form->TreeView1->currentItem()).FileName,
                 doc(QStringLiteral("Раздел/Глава/Документ.htm")));
        QTRY_COMPARE(m_form->CppWebBrowser1->url(),
                     QUrl::fromLocalFile(doc(QStringLiteral("Раздел/Глава/Документ.htm"))));
        QVERIFY(TestAnswers::instance().messages.isEmpty());

        QVERIFY(QFile::remove(doc(QStringLiteral("Раздел/Глава/Документ.htm"))));
        m_form->GotoZakladka1Click();
        QCOMPARE(
            TestAnswers::instance().messages,
            QStringList{QStringLiteral("Просмотр нормативной документации|Закладка не найдена!")});
        QCOMPARE(m_form->TreeView1->currentItem(), root());
        QTRY_COMPARE(m_form->CppWebBrowser1->url(), QUrl(QStringLiteral("about:blank")));
    }

    void sortByDateAndBookmarkSurviveRestart()
    {
        m_form->SortDateItem1->trigger();
        QVERIFY(m_form->SortDateItem1->isChecked());
        const WIniFile ini;
        QVERIFY(ini.readBool(m_suite->iniFile(), QStringLiteral("SortDate"),
                             QStringLiteral("Checked")));
        // Directory order: folders first, then documents.
        QCOMPARE(root()->childCount(), 4);
        QCOMPARE(WMakeTreeviewForDir::NodeRecord(root()->child(0)).Kind, quint8(2));
        QCOMPARE(WMakeTreeviewForDir::NodeRecord(root()->child(1)).Kind, quint8(2));
        QCOMPARE(WMakeTreeviewForDir::NodeRecord(root()->child(2)).Kind, quint8(1));
        QCOMPARE(WMakeTreeviewForDir::NodeRecord(root()->child(3)).Kind, quint8(1));
        m_form->TreeView1->setCurrentItem(child(root(), QStringLiteral("Акт")));
        m_form->SetZakladka1->trigger(); // not stored as such
        m_form->TreeView1->setCurrentItem(child(root(), QStringLiteral("Яма")));
        m_form->close();
        m_form.reset();
        start();
        QVERIFY(m_form->SortDateItem1->isChecked());
        QCOMPARE(m_form->BookmarkFileName, doc(QStringLiteral("Яма.htm")));
        m_form->PopupMenu1Popup();
        QVERIFY(m_form->GotoZakladka1->isEnabled());
        QVERIFY(m_form->CppWebBrowser1->url().isEmpty() ||
                m_form->CppWebBrowser1->url() == QUrl(QStringLiteral("about:blank")));
    }

    void aboutAndHelp()
    {
        QCOMPARE(TAboutDialog1::versionLine(QStringLiteral("1.20.240226")),
                 QStringLiteral("Версия 1.20.240226  от 26-02-2024г."));
        QVERIFY(m_form->VersionText.startsWith(QStringLiteral("1.20.")));
        TAboutDialog1 about(m_form->VersionText, QStringLiteral("/x"), m_form->IniFileName);
        about.show();
        QVERIFY(QTest::qWaitForWindowActive(&about));
        QCOMPARE(about.VersionLabel1->text(), TAboutDialog1::versionLine(m_form->VersionText));
        QCOMPARE(about.UserLabel1->text(),
                 QStringLiteral("Пользователь: ") + WMessage().ComputerName());
        QCOMPARE(about.SettingsLabel1->text(),
                 QStringLiteral("Файл настроек: ") + m_suite->iniFile());
        QCOMPARE(about.windowTitle(), QStringLiteral("О программе"));
        QTest::keyClick(&about, Qt::Key_Escape);
        QVERIFY(!about.isVisible());

        m_form->TreeView1->setFocus();
        QTest::keyClick(m_form->TreeView1, Qt::Key_F1);
        QCOMPARE(TestAnswers::instance().messages,
                 QStringList{
                     QStringLiteral("Просмотр нормативной документации|Файл справки не найден:\n") +
                     m_form->HelpFileName});
        QCOMPARE(m_form->HelpFileName, m_suite->settingsFolder() + QStringLiteral("/lectoria.htm"));

        // The guide in the program's own window: one, brought back where it was.
        QVERIFY(TestFiles::write(m_form->HelpFileName,
                                 "<html><body><h1>Справка</h1><p>Версия 1.20</p></body></html>"));
        m_form->HelpButton1->click();
        auto* help = m_form->findChild<THelpForm1*>();
        QVERIFY(help && help->isVisible());
        QVERIFY(help->HelpBrowser1->toPlainText().contains(QStringLiteral("Версия 1.20")));
        help->setGeometry(60, 70, 500, 400);
        help->showMinimized();
        QTest::keyClick(m_form->TreeView1, Qt::Key_F1);
        QCOMPARE(m_form->findChildren<THelpForm1*>().size(), 1);
        QTRY_VERIFY(help->isVisible() && !help->isMinimized());
        QCOMPARE(help->geometry(), QRect(60, 70, 500, 400));
        // A window no screen shows comes back onto the screen.
        const QRect area = help->screen()->availableGeometry();
        help->move(area.right() + 500, area.top());
        m_form->HelpButton1Click();
        QTRY_VERIFY(area.contains(help->frameGeometry()));
        QCOMPARE(help->size(), QSize(500, 400));
        QCOMPARE(TestAnswers::instance().messages.size(), 1);
    }

    void qtTextsInRussianAndMessagesAboveTheSplash()
    {
        QVERIFY(TApplication::installRussianTexts());
        QMessageBox box(QMessageBox::Question, QString(), QString(),
                        QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel);
        QCOMPARE(box.button(QMessageBox::Yes)->text().remove(u'&'), QStringLiteral("Да"));
        QCOMPARE(box.button(QMessageBox::No)->text().remove(u'&'), QStringLiteral("Нет"));
        QCOMPARE(box.button(QMessageBox::Cancel)->text().remove(u'&'), QStringLiteral("Отмена"));

        // The splash stays on top of every window, so it goes before a message.
        TSplashForm splash;
        splash.showNow();
        AppMessageBox::show(m_form.get(), m_form->AppTitle, QStringLiteral("Сообщение"));
        QVERIFY(!splash.isVisible());
    }
};

LECTORIA_APP_TEST_MAIN(TestCommands)
#include "tst_commands.moc"
