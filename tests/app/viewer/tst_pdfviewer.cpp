#include "dialogs/searchresultdialog.h"
#include "find/findbox.h"
#include "find/searchcontroller.h"
#include "find/searchresultsdock.h"
#include "testsupport/apptestmain.h"
#include "testsupport/pagescript.h"
#include "testsupport/startwindow.h"
#include "testsupport/suitefixture.h"
#include "testsupport/testpdf.h"
#include "tree/documenttreepanel.h"
#include "viewer/documentviewer.h"
#include "viewer/occurrencenavigator.h"
#include "window/mainwindow.h"

#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QSignalSpy>
#include <QTreeWidget>
#include <QWebEngineView>

// A PDF document of the library in the real window: shown page by page, found, opened at its
// first occurrence with every occurrence marked, stepped through.
class TestPdfViewer : public QObject
{
    Q_OBJECT

    SuiteFixture m_suite;
    std::unique_ptr<MainWindow> m_form;

    QVariant evaluate(const QString& script)
    {
        return evaluateInPage(m_form->viewer()->view()->page(), script);
    }
    QVariantMap pdfState()
    {
        return evaluate(QStringLiteral("window.lectoriaPdf ? lectoriaPdf.state() : null")).toMap();
    }
    bool presented()
    {
        return QTest::qWaitFor([&] { return pdfState().value(QStringLiteral("ready")).toBool(); },
                               30000);
    }

private slots:
    void initTestCase()
    {
        qputenv("TMPDIR", m_suite.scratch(QStringLiteral("tmp")).toLocal8Bit());
        QList<QStringList> pages;
        for (int page = 1; page <= 3; ++page) {
            QStringList lines{QStringLiteral("Страница %1 свода правил").arg(page)};
            for (int line = 0; line < 40; ++line)
                lines << QStringLiteral("Строка %1: бетонная смесь укладывается слоями.").arg(line);
            if (page > 1)
                lines << QStringLiteral("Шпунт Ларсен-5 забивается вибропогружателем.");
            pages << lines;
        }
        QVERIFY(TestPdf::writePages(m_suite.normDoc(QStringLiteral("Свод правил.pdf")), pages));
        QVERIFY(TestPdf::writePages(m_suite.normDoc(QStringLiteral("Скан.pdf")), {{}}));
        QVERIFY(TestFiles::write(m_suite.normDoc(QStringLiteral("Страница.htm")),
                                 TestFiles::cp1251(QStringLiteral("<p>Ларсен-5</p>"))));
        QVERIFY(TestFiles::write(m_suite.iniFile(), "[TreeView]\nNormDocButton=1\n"));
        m_form = startWindow(m_suite.programFile());
        QVERIFY(m_form);
    }
    void cleanupTestCase() { m_form.reset(); }

    // Selected in the tree, the PDF is shown page by page with its text to select.
    void shownPageByPage()
    {
        const QString path = m_suite.normDoc(QStringLiteral("Свод правил.pdf"));
        QVERIFY(m_form->treePanel()->selectPath(path));
        QVERIFY(presented());
        const QVariantMap state = pdfState();
        QCOMPARE(state.value(QStringLiteral("pages")).toInt(), 3);
        QVERIFY2(!state.value(QStringLiteral("failed")).toBool(),
                 qPrintable(state.value(QStringLiteral("errors")).toString()));
        QTRY_VERIFY_WITH_TIMEOUT(pdfState().value(QStringLiteral("drawn")).toInt() >= 1, 20000);
        QVERIFY2(pdfState().value(QStringLiteral("errors")).toString().isEmpty(),
                 qPrintable(pdfState().value(QStringLiteral("errors")).toString()));
        QVERIFY(evaluate(QStringLiteral("document.querySelector('.textLayer').textContent"))
                    .toString()
                    .contains(QStringLiteral("Страница 1 свода правил")));
        QCOMPARE(m_form->viewer()->shownDocument(), path);
        // Drawn: the page's picture has the text's dark pixels.
        QVERIFY(evaluate(QStringLiteral(
                             "(function() { var p = document.querySelector('img.drawn');"
                             "  var c = document.createElement('canvas');"
                             "  c.width = p.naturalWidth; c.height = p.naturalHeight;"
                             "  var g = c.getContext('2d'); g.drawImage(p, 0, 0);"
                             "  var d = g.getImageData(0, 0, c.width, c.height).data, dark = 0;"
                             "  for (var i = 0; i < d.length; i += 4) if (d[i] < 128) ++dark;"
                             "  return dark; })()"))
                    .toInt() > 1000);
    }

    // Found by a search, the PDF opens at its first occurrence with every occurrence marked;
    // the keys step through them; the result list tells the page, the dialog the scan.
    void foundAndMarked()
    {
        QString withoutText;
        TestAnswers::runDialogsWith([&](QDialog& dialog) {
            if (auto* result = qobject_cast<SearchResultDialog*>(&dialog))
                withoutText = result->withoutTextLabel() ? result->withoutTextLabel()->text()
                                                         : QStringLiteral("none");
            return int(QDialog::Rejected);
        });
        QTreeWidget* tree = m_form->treePanel()->view();
        tree->setCurrentItem(tree->topLevelItem(0)); // the whole collection
        m_form->search()->findBox()->setFocus();
        m_form->search()->findBox()->setEditText(QStringLiteral("ларсен-5"));
        QTest::keyClick(m_form->search()->findBox()->lineEdit(), Qt::Key_Return);
        QTRY_VERIFY_WITH_TIMEOUT(!m_form->search()->isSearching(), 60000);
        QCOMPARE(withoutText, QStringLiteral("1 документ PDF без текста не просмотрен"));
        QVERIFY(m_form->search()->resultList()->header().endsWith(withoutText));

        // The row of the PDF tells the page of its first occurrence.
        const QTreeWidget* list = m_form->search()->resultList()->list();
        QTRY_COMPARE_WITH_TIMEOUT(list->topLevelItemCount(), 2, 20000);
        QTreeWidgetItem* pdfRow = nullptr;
        for (int i = 0; i < list->topLevelItemCount(); ++i) {
            if (list->topLevelItem(i)->text(0) == u"Свод правил")
                pdfRow = list->topLevelItem(i);
        }
        QVERIFY(pdfRow);
        QTRY_VERIFY_WITH_TIMEOUT(
            pdfRow->text(SearchResultsDock::SnippetColumn).startsWith(QStringLiteral("с. 2: ")),
            20000);

        const QString path = m_suite.normDoc(QStringLiteral("Свод правил.pdf"));
        QVERIFY(m_form->treePanel()->selectPath(path));
        QVERIFY(presented());
        QTRY_COMPARE_WITH_TIMEOUT(m_form->viewer()->shownMarks(), 2, 20000);
        QTRY_COMPARE_WITH_TIMEOUT(m_form->viewer()->occurrences()->current(), 1, 20000);
        QCOMPARE(evaluate(QStringLiteral("window.getSelection().toString()")).toString(),
                 QStringLiteral("Ларсен-5"));
        QCOMPARE(evaluate(QStringLiteral("document.querySelector('[data-occurrence=\"1\"]')"
                                         ".closest('.page').dataset.page"))
                     .toString(),
                 QStringLiteral("2"));
        m_form->viewer()->stepOccurrence(1);
        QTRY_COMPARE_WITH_TIMEOUT(m_form->viewer()->occurrences()->current(), 2, 20000);
        QCOMPARE(evaluate(QStringLiteral("document.querySelector('[data-lectoria-current]')"
                                         ".closest('.page').dataset.page"))
                     .toString(),
                 QStringLiteral("3"));
        TestAnswers::reset();
    }

    // "Сохранить как PDF" keeps a PDF as it is.
    void savedAsItIs()
    {
        const QString path = m_suite.normDoc(QStringLiteral("Свод правил.pdf"));
        QVERIFY(m_form->treePanel()->selectPath(path));
        QVERIFY(presented());
        const QString target =
            m_suite.scratch(QStringLiteral("out")) + QStringLiteral("/saved.pdf");
        QSignalSpy saved(m_form->viewer(), &DocumentViewer::pdfSaved);
        m_form->viewer()->saveAsPdf(target);
        QTRY_COMPARE(saved.size(), 1);
        QVERIFY(saved.at(0).at(1).toBool());
        QCOMPARE(TestFiles::read(target), TestFiles::read(path));
        // Saved onto itself, it stays as it is.
        const QByteArray before = TestFiles::read(path);
        m_form->viewer()->saveAsPdf(path);
        QTRY_COMPARE(saved.size(), 2);
        QVERIFY(saved.at(1).at(1).toBool());
        QCOMPARE(TestFiles::read(path), before);
    }
};

LECTORIA_APP_TEST_MAIN(TestPdfViewer)
#include "tst_pdfviewer.moc"
