#include "links/normkeeper.h"
#include "links/normlinksdock.h"
#include "support/windowcommands.h"
#include "testsupport/apptestmain.h"
#include "testsupport/pagescript.h"
#include "testsupport/startwindow.h"
#include "testsupport/suitefixture.h"
#include "tree/documenttreepanel.h"
#include "viewer/documentviewer.h"
#include "viewer/titlepanel.h"
#include "window/mainwindow.h"
#include "window/nodenavigation.h"

#include <QAction>
#include <QLabel>
#include <QTreeWidget>
#include <QWebEngineView>

// The designations of a shown document as links, the notes of editions and replacements, and
// "Связи", in the real window.
class TestNormLinks : public QObject
{
    Q_OBJECT

    SuiteFixture m_suite;
    std::unique_ptr<MainWindow> m_form;

    bool writePage(const QString& name, const QString& title, const QString& body)
    {
        return TestFiles::write(m_suite.normDoc(name),
                                TestFiles::cp1251(QStringLiteral("<html><head><title>") + title +
                                                  QStringLiteral("</title></head><body>") + body +
                                                  QStringLiteral("</body></html>")));
    }
    QVariant evaluate(const QString& script)
    {
        return evaluateInPage(m_form->viewer()->view()->page(), script);
    }
    // Shows a document as the user does, and waits for its copy with the links to load.
    bool show(const QString& name)
    {
        const QString path = m_suite.normDoc(name);
        if (!m_form->treePanel()->selectPath(path))
            return false;
        return QTest::qWaitFor(
                   [&] {
                       return m_form->viewer()->shownDocument() == path &&
                              m_form->viewer()->view()->url().fileName() == u"NormDoc.htm";
                   },
                   20000) &&
               QTest::qWaitFor(
                   [&] {
                       return evaluate(QStringLiteral("document.querySelectorAll('a').length"))
                                  .toInt() > 0;
                   },
                   20000);
    }
    bool selected(const QString& name) const
    {
        return QTest::qWaitFor(
            [&] { return m_form->treePanel()->selectedPath() == m_suite.normDoc(name); }, 20000);
    }

private slots:
    void initTestCase()
    {
        qputenv("TMPDIR", m_suite.scratch(QStringLiteral("tmp")).toLocal8Bit());
        QVERIFY(writePage(QStringLiteral("СП 48.13330.2019.htm"),
                          QStringLiteral("СП 48.13330.2019 (актуализированная редакция СНиП "
                                         "12-01-2004)"),
                          QStringLiteral("<p>ВЗАМЕН СП 48.13330.2011</p>")));
        QVERIFY(writePage(QStringLiteral("СП 48.13330.2011.htm"), QStringLiteral("Свод правил"),
                          QStringLiteral("<p>Текст без ссылок.</p>")));
        QVERIFY(writePage(QStringLiteral("Смета.htm"), QStringLiteral("Смета"),
                          QStringLiteral("<p>Согласно <b>СП</b> 48.13330.2019; старая: СП "
                                         "48.13330.2016; кирпич по ГОСТ 1-90.</p>")));
        QVERIFY(TestFiles::write(m_suite.iniFile(), "[TreeView]\nNormDocButton=1\n"));
        m_form = startWindow(m_suite.programFile());
        QVERIFY(m_form);
        QTRY_VERIFY_WITH_TIMEOUT(m_form->norms()->catalog()->documentCount() == 3, 20000);
    }
    void cleanupTestCase() { m_form.reset(); }

    // The held designations are links with the document's caption as hint, the others are
    // marked apart; a click shows the document named, and back returns.
    void linksInTheShownCopy()
    {
        QVERIFY(show(QStringLiteral("Смета.htm")));
        QCOMPARE(
            evaluate(QStringLiteral("document.querySelectorAll('a.lectoria-norm').length")).toInt(),
            3); // "СП" and "48.13330.2019" apart (the tag between), and the 2016 edition
        QCOMPARE(evaluate(QStringLiteral(
                              "document.querySelector('a.lectoria-norm').getAttribute('title')"))
                     .toString(),
                 QStringLiteral("СП 48.13330.2019"));
        QVERIFY(evaluate(QStringLiteral("document.querySelectorAll('a.lectoria-norm')[2]"
                                        ".getAttribute('title')"))
                    .toString()
                    .contains(QStringLiteral("редакции 2016 в библиотеке нет")));
        QCOMPARE(evaluate(QStringLiteral("document.querySelector('.lectoria-absent').textContent"
                                         " + '|' + document.querySelector('.lectoria-absent')"
                                         ".getAttribute('title')"))
                     .toString(),
                 QStringLiteral("ГОСТ 1-90|Нет в библиотеке"));
        // The file itself is not changed.
        QVERIFY(!TestFiles::read(m_suite.normDoc(QStringLiteral("Смета.htm"))).contains("<a "));

        // Clicked as the user clicks: a page's script may not follow such a link.
        const QStringList box =
            evaluate(QStringLiteral("(function(r) { return [r.left + 3, r.top + r.height / 2]"
                                    ".join(','); })(document.querySelector('a.lectoria-norm')"
                                    ".getBoundingClientRect())"))
                .toString()
                .split(u',');
        QCOMPARE(box.size(), 2);
        QWidget* surface = m_form->viewer()->view()->focusProxy();
        QVERIFY(surface);
        QTest::mouseClick(surface, Qt::LeftButton, {},
                          QPoint(int(box[0].toDouble()), int(box[1].toDouble())));
        QVERIFY(selected(QStringLiteral("СП 48.13330.2019.htm")));
        m_form->navigation()->goBack();
        QVERIFY(selected(QStringLiteral("Смета.htm")));
    }

    // A search's marks and the links in one copy: both are there, the marks counted.
    void linksBesideSearchMarks()
    {
        const QString path = m_suite.normDoc(QStringLiteral("Смета.htm"));
        m_form->viewer()->showNode(
            NodeKind::Document, path, QStringLiteral("Смета"), QStringLiteral("Смета"),
            DocumentViewer::Highlighting{{QStringLiteral("48.13330")},
                                         MatchOptions{false, false, true, false}});
        QCOMPARE(m_form->viewer()->shownMarks(), 2);
        QTRY_VERIFY_WITH_TIMEOUT(
            evaluate(QStringLiteral("document.querySelectorAll('[data-occurrence]').length + ':' + "
                                    "(document.querySelector('[data-occurrence] a.lectoria-norm') "
                                    "!= null)"))
                    .toString() == u"2:true",
            20000);
    }

    // The older edition says a newer one is held; the note's link shows it.
    void editionNote()
    {
        QVERIFY(m_form->treePanel()->selectPath(
            m_suite.normDoc(QStringLiteral("СП 48.13330.2011.htm"))));
        QLabel* note = m_form->titlePanel()->normNote();
        QTRY_VERIFY_WITH_TIMEOUT(note->isVisible(), 20000);
        QVERIFY(note->text().contains(QStringLiteral("Есть более новая редакция: ")));
        emit note->linkActivated(
            QStringLiteral("norm:") +
            QString::fromLatin1(QUrl::toPercentEncoding(QStringLiteral("СП 48.13330.2019"))));
        QVERIFY(selected(QStringLiteral("СП 48.13330.2019.htm")));
        QTRY_VERIFY_WITH_TIMEOUT(!note->isVisible(), 20000); // the newest held
    }

    // "Связи" of the shown document: what it cites, who cites it, its editions.
    void linksPanel()
    {
        m_form->commands()->action(WindowCommands::ShowLinks)->trigger();
        QVERIFY(show(QStringLiteral("СП 48.13330.2019.htm")));
        NormLinksDock* dock = m_form->normLinks();
        QVERIFY(dock->isVisible());
        QTRY_VERIFY_WITH_TIMEOUT(!dock->isSearching() && dock->list()->topLevelItemCount() == 4,
                                 20000);
        QTreeWidgetItem* cites = dock->list()->topLevelItem(0);
        QTreeWidgetItem* citedBy = dock->list()->topLevelItem(1);
        QTreeWidgetItem* citedPart = dock->list()->topLevelItem(2);
        QTreeWidgetItem* editions = dock->list()->topLevelItem(3);
        QCOMPARE(citedBy->text(0), QStringLiteral("На документ ссылаются"));
        // A page without numbered parts.
        QCOMPARE(citedPart->text(1), QStringLiteral("читаемая часть без номера"));
        QCOMPARE(cites->childCount(), 1);
        QCOMPARE(cites->child(0)->text(0), QStringLiteral("СП 48.13330.2011"));
        QTRY_COMPARE_WITH_TIMEOUT(citedBy->childCount(), 1, 20000);
        QCOMPARE(citedBy->child(0)->text(0), QStringLiteral("Смета"));
        QVERIFY(citedBy->child(0)->text(1).contains(QStringLiteral("Согласно СП 48.13330.2019")));
        QStringList editionTexts;
        for (int i = 0; i < editions->childCount(); ++i)
            editionTexts << editions->child(i)->text(0);
        QVERIFY2(editionTexts.contains(QStringLiteral("Редакция: СП 48.13330.2011")),
                 qPrintable(editionTexts.join(u'|')));
        QVERIFY(editionTexts.contains(QStringLiteral("Заменяет: СП 48.13330.2011")));

        // A citing document opens at its mention.
        emit dock->list()->itemActivated(citedBy->child(0), 0);
        QVERIFY(selected(QStringLiteral("Смета.htm")));
    }
};

LECTORIA_APP_TEST_MAIN(TestNormLinks)
#include "tst_normlinks.moc"
