#include "apptestmain.h"
#include "startwindow.h"
#include "suitefixture.h"
#include "tform1.h"
#include "winifile.h"
#include "wmaketreeviewfordir.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QSignalSpy>
#include <QSplitter>
#include <QTreeWidget>
#include <QWebEnginePage>
#include <QWebEngineView>

class TestDisplay : public QObject
{
    Q_OBJECT

    SuiteFixture m_suite;
    std::unique_ptr<TForm1> m_form;
    QString m_hashDoc;

    QTreeWidgetItem* node(const QStringList& captions) const
    {
        QTreeWidgetItem* item = m_form->TreeView1->topLevelItem(0);
        for (const QString& caption : captions) {
            item->setExpanded(true);
            QTreeWidgetItem* found = nullptr;
            for (int i = 0; i < item->childCount() && !found; ++i) {
                if (item->child(i)->text(0) == caption)
                    found = item->child(i);
            }
            if (!found)
                return nullptr;
            item = found;
        }
        return item;
    }

    // Selects a node as the user does and waits for the viewer to settle on the address.
    bool select(QTreeWidgetItem* item, const QUrl& expected)
    {
        m_form->TreeView1->setCurrentItem(item);
        return QTest::qWaitFor([&] { return m_form->CppWebBrowser1->url() == expected; }, 20000);
    }
    QString pageText()
    {
        QString text;
        bool done = false;
        m_form->CppWebBrowser1->page()->toPlainText([&](const QString& result) {
            text = result;
            done = true;
        });
        if (!QTest::qWaitFor([&] { return done; }, 10000))
            return QString();
        return text;
    }
    QStringList viewerWorkEntries() const
    {
        return QDir(WMakeTreeviewForDir::ViewerWorkDir())
            .entryList(QDir::NoDotAndDotDot | QDir::AllEntries);
    }
    static QUrl blank() { return QUrl(QStringLiteral("about:blank")); }

private slots:
    void initTestCase()
    {
        qputenv("TMPDIR", m_suite.scratch(QStringLiteral("tmp")).toLocal8Bit());
        m_hashDoc = m_suite.normDoc(QStringLiteral("Раздел 1.2/Смета #1 на 50% ?.htm"));
        QVERIFY(TestFiles::write(
            m_hashDoc, TestFiles::cp1251(QStringLiteral(
                           "<html><body><p>Сметная стоимость работ</p>"
                           "<img src=\"Смета #1 на 50% ?.files/p.png\"></body></html>"))));
        QVERIFY(TestFiles::write(
            m_suite.normDoc(QStringLiteral("Раздел 1.2/Смета #1 на 50% ?.files/p.png")), "png"));
        QVERIFY(TestFiles::write(m_suite.normDoc(QStringLiteral("Раздел 1.2/_index.htm")),
                                 "<p>index</p>"));
        QVERIFY(TestFiles::write(m_suite.normDoc(QStringLiteral("Раздел 1/_index.htm")),
                                 "<p>wrong</p>"));
        QVERIFY(TestFiles::write(m_suite.normDoc(QStringLiteral("Без страницы/Плита.htm")),
                                 "<p>плита</p>"));
        QVERIFY(TestFiles::write(m_suite.normDoc(QStringLiteral("Общие.htm")), "<p>общие</p>"));
        QVERIFY(TestFiles::write(m_suite.iniFile(), "[TreeView]\nNormDocButton=1\n"));
        m_form = startWindow(m_suite.programFile());
        QVERIFY(m_form);
    }
    void cleanupTestCase() { m_form.reset(); }

    void documentsAndFolderPages()
    {
        QVERIFY(select(node({QStringLiteral("Раздел 1.2"), QStringLiteral("Смета #1 на 50% ?")}),
                       QUrl::fromLocalFile(m_hashDoc)));
        QTRY_VERIFY_WITH_TIMEOUT(pageText().contains(QStringLiteral("Сметная стоимость")), 20000);
        QCOMPARE(m_form->NamePanel1->text(),
                 QStringLiteral(" Нормативная документация->Раздел 1.2->Смета #1 на 50% ?"));
        QCOMPARE(m_form->NamePanel1->toolTip(), m_form->NamePanel1->text());
        QCOMPARE(viewerWorkEntries(), QStringList{QStringLiteral("Смета #1 на 50% ?.files")});

        // Only the last document's picture folder is kept (an empty one for a document without).
        QVERIFY(select(node({QStringLiteral("Общие")}),
                       QUrl::fromLocalFile(m_suite.normDoc(QStringLiteral("Общие.htm")))));
        QCOMPARE(viewerWorkEntries(), QStringList{QStringLiteral("Общие.files")});

        // A folder shows its own page, a dotted name kept whole; without a page it is blank.
        QVERIFY(
            select(node({QStringLiteral("Раздел 1.2")}),
                   QUrl::fromLocalFile(m_suite.normDoc(QStringLiteral("Раздел 1.2/_index.htm")))));
        QVERIFY(select(node({QStringLiteral("Без страницы")}), blank()));
        QVERIFY(select(node({QStringLiteral("Общие")}),
                       QUrl::fromLocalFile(m_suite.normDoc(QStringLiteral("Общие.htm")))));
        QVERIFY(select(m_form->TreeView1->topLevelItem(0), blank()));
        QCOMPARE(m_form->NamePanel1->text(), QStringLiteral(" Нормативная документация"));
    }

    void showDocOffAndInactiveWindow()
    {
        QVERIFY(select(node({QStringLiteral("Общие")}),
                       QUrl::fromLocalFile(m_suite.normDoc(QStringLiteral("Общие.htm")))));
        m_form->ShowDocCheckBox1->click();
        QTRY_COMPARE(m_form->CppWebBrowser1->url(), blank());
        QVERIFY(select(node({QStringLiteral("Раздел 1.2"), QStringLiteral("Смета #1 на 50% ?")}),
                       blank()));
        QCOMPARE(m_form->NamePanel1->text(),
                 QStringLiteral(" Нормативная документация->Раздел 1.2->Смета #1 на 50% ?"));
        m_form->ShowDocCheckBox1->click();
        QTRY_COMPARE(m_form->CppWebBrowser1->url(), QUrl::fromLocalFile(m_hashDoc));

        // Another window is active: a selection changes neither the viewer nor the title.
        QWidget other;
        other.resize(200, 100);
        other.show();
        other.activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(&other));
        m_form->TreeView1->setCurrentItem(node({QStringLiteral("Общие")}));
        QTest::qWait(300);
        QCOMPARE(m_form->CppWebBrowser1->url(), QUrl::fromLocalFile(m_hashDoc));
        QCOMPARE(m_form->NamePanel1->text(),
                 QStringLiteral(" Нормативная документация->Раздел 1.2->Смета #1 на 50% ?"));
        other.close();
        m_form->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(m_form.get()));
    }

    void zoomHoldsForEveryPage()
    {
        QSignalSpy loads(m_form->CppWebBrowser1, &QWebEngineView::loadFinished);
        m_form->ScaleComboBox1->setCurrentIndex(2);
        m_form->ScaleComboBox1Change();
        QCOMPARE(WIniFile().readInt(m_suite.iniFile(), QStringLiteral("CppWebBrowser"),
                                    QStringLiteral("Scale")),
                 2);
        QTRY_VERIFY_WITH_TIMEOUT(loads.count() > 0, 20000);
        QCOMPARE(m_form->CppWebBrowser1->zoomFactor(), 1.4f);
        loads.clear();
        QVERIFY(select(node({QStringLiteral("Раздел 1.2"), QStringLiteral("Смета #1 на 50% ?")}),
                       QUrl::fromLocalFile(m_hashDoc)));
        QTRY_VERIFY_WITH_TIMEOUT(loads.count() > 0, 20000);
        QCOMPARE(m_form->CppWebBrowser1->zoomFactor(), 1.4f);

        m_form->ScaleComboBox1->setCurrentIndex(-1); // a stored index outside the list
        QCOMPARE(m_form->selectedZoomFactor(), 1.0);
        m_form->ScaleComboBox1->setCurrentIndex(5);
        QCOMPARE(m_form->selectedZoomFactor(), 2.0);
    }

    void documentPaneSwitch()
    {
        QTest::keyClick(m_form->TreeView1, Qt::Key_F5);
        QVERIFY(!m_form->ShowDocCheckBox1->isChecked());
        QVERIFY(!m_form->WebPanel1->isVisible());
        QVERIFY(!m_form->Splitter1->handle(1)->isVisible());
        QCOMPARE(m_form->TreeViewPanel1->width(), m_form->Splitter1->width());
        QTest::keyClick(m_form->TreeView1, Qt::Key_F5);
        QVERIFY(m_form->ShowDocCheckBox1->isChecked());
        QVERIFY(m_form->WebPanel1->isVisible());
        QVERIFY(m_form->Splitter1->handle(1)->isVisible());
        QCOMPARE(m_form->TreeViewPanel1->width(), m_form->frameGeometry().width() / 5);
    }
};

LECTORIA_APP_TEST_MAIN(TestDisplay)
#include "tst_display.moc"
