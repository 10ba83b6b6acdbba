#include "apptestmain.h"
#include "startwindow.h"
#include "suitefixture.h"
#include "tform1.h"
#include "userworkdir.h"
#include "winifile.h"
#include "wmaketreeviewfordir.h"

#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QPushButton>
#include <QSplitter>
#include <QToolButton>
#include <QTreeWidget>

class TestTForm1 : public QObject
{
    Q_OBJECT

    const WIniFile m_ini;

    static std::unique_ptr<TForm1> start(const SuiteFixture& suite)
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
        QVERIFY(form->Activated);
        QVERIFY(form->TechTButton1->isChecked());
        QVERIFY(!form->NormDocButton1->isChecked());
        QVERIFY(!form->OpenButton1->isEnabled());
        QVERIFY(!form->SortDateItem1->isChecked());
        QCOMPARE(form->ScaleComboBox1->currentText(), QStringLiteral("100%"));
        QCOMPARE(form->BookmarkFileName, QString());
        QVERIFY(!form->WholeWords);
        QVERIFY(!form->TextMode);
        QVERIFY(!form->CaseSensitive);
        QCOMPARE(form->HighlightBackColor, 255u);
        QCOMPARE(form->HighlightFontColor, 16777215u);
        QVERIFY(!form->SearchMode);
        QCOMPARE(form->statusText(), QString());
        QCOMPARE(form->TreeView1->topLevelItem(0)->text(0), QStringLiteral("Технические части"));
        QCOMPARE(form->NamePanel1->text(), QStringLiteral(" Технические части"));
        QCOMPARE(form->windowTitle(), QStringLiteral("Просмотр нормативной документации"));
        QCOMPARE(form->GetSuiteDir(), suite.suiteDir());
        QCOMPARE(form->IniFileName, suite.iniFile());
        QVERIFY(form->TreeView1->hasFocus());
        QVERIFY(!form->CancelFindButton1->isEnabled());

        form->close();
        QCOMPARE(setting(suite, QStringLiteral("TreeView"), QStringLiteral("NormDocButton")),
                 QStringLiteral("0"));
        QCOMPARE(setting(suite, QStringLiteral("TreeView"), QStringLiteral("TekFileName")),
                 QStringLiteral("0"));
        QCOMPARE(setting(suite, QStringLiteral("TreeView"), QStringLiteral("Width")).toInt(),
                 form->TreeView1->width());
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
        QVERIFY(form->NormDocButton1->isChecked());
        QVERIFY(form->OpenButton1->isEnabled());
        QVERIFY(form->SortDateItem1->isChecked());
        QCOMPARE(form->ScaleComboBox1->currentIndex(), 2);
        QCOMPARE(form->BookmarkFileName, QStringLiteral("/x/Закладка.htm"));
        QVERIFY(form->CaseSensitive);
        QVERIFY(form->WholeWords);
        QVERIFY(form->TextMode);
        QCOMPARE(form->HighlightBackColor, 65280u);
        QCOMPARE(form->HighlightFontColor, 16777215u); // missing: keeps its default
        QCOMPARE(form->ExternalDirectory, external);
        QCOMPARE(form->FindComboBox1->count(), 2);
        QCOMPARE(form->FindComboBox1->itemText(0), QStringLiteral("бетон"));
        QCOMPARE(form->FindComboBox1->currentText(), QString());
        QCOMPARE(form->TreeView1->width(), 300);
        QCOMPARE(form->TreeView1->topLevelItem(0)->text(0),
                 QStringLiteral("Нормативная документация"));

        form->SearchContext = QStringLiteral("сметная стоимость");
        form->TechTButton1->click();
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

    void storedScaleOutsideListSelectsNothing()
    {
        SuiteFixture suite;
        QVERIFY(TestFiles::write(suite.iniFile(), "[CppWebBrowser]\nScale=9\n"));
        auto form = start(suite);
        QVERIFY(form);
        QCOMPARE(form->ScaleComboBox1->currentIndex(), -1);
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
        form->SearchMode = true;
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
        QCoreApplication::processEvents();
        const QList<QWidget*> top = form->findChild<QWidget*>(QStringLiteral("TopPanel1"))
                                        ->findChildren<QWidget*>(Qt::FindDirectChildrenOnly);
        for (QWidget* a : top) {
            for (QWidget* b : top) {
                if (a != b && a->isVisible() && b->isVisible())
                    QVERIFY2(!a->geometry().intersects(b->geometry()),
                             qPrintable(a->objectName() + u' ' + b->objectName()));
            }
        }
        form->Splitter1->setSizes({60, 2000});
        QCoreApplication::processEvents();
        for (QToolButton* button : {form->NormDocButton1, form->TechTButton1}) {
            QVERIFY2(button->text().endsWith(u'…') ||
                         button->text() == button->toolTip(), // whole, or shortened at its end
                     qPrintable(button->text() + u'|' + button->toolTip()));
            QVERIFY(button->toolTip().startsWith(button->text().chopped(1)));
        }
        form->ShowDocCheckBox1->setChecked(false);
        form->ShowDocCheckBox1Click();
        form->ShowDocCheckBox1->setChecked(true);
        form->ShowDocCheckBox1Click();
        QVERIFY(form->Splitter1->sizes().first() >= qMin(240, form->Splitter1->width() / 2));
    }

    void refreshClearsStatusAndSearchMode()
    {
        SuiteFixture suite;
        auto form = start(suite);
        QVERIFY(form);
        form->SearchMode = true;
        form->UpdateSearchCommands();
        QVERIFY(form->CancelFindButton1->isEnabled());
        form->setStatusText(QStringLiteral(" Режим поиска."));
        form->Refresh1->trigger();
        QVERIFY(!form->SearchMode);
        QVERIFY(!form->CancelFindButton1->isEnabled());
        QCOMPARE(form->statusText(), QString());
    }
};

LECTORIA_APP_TEST_MAIN(TestTForm1)
#include "tst_tform1.moc"
